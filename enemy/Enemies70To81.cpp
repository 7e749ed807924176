// The spinning mid-bosses 70, 74 and 78: a spinning body with three gun parts and three drone
// carriers on a ring around it. Each boss with its parts and drones is a set of four types:
//   boss 70: gun 71, carrier 72, drone 73
//   boss 74: gun 75, carrier 76, drone 77
//   boss 78: gun 79, carrier 80, drone 81
// The bodies of the three bosses and of the three carriers are shared; the gun parts and the
// drones differ in their set-up and fire.

#include <cmath>
#include <cstdint>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "enemy/StageScript.h"
#include "platform/SoundSystem.h"
#include "player/Item.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Registers ---------------------------------------------------------------------------------

// Boss: spin step of the body; scratch of the death sequence's debris bursts.
constexpr int kSpinStep = 0;     // floatRegs
constexpr int kBurstCount = 8;   // intRegs
constexpr int kBurstOffsetX = 8; // floatRegs 8..11: offset x, y, end scale, start scale y

// Parts: the volley counter.
constexpr int kVolleyShots = 0;     // intRegs: shots per volley
constexpr int kVolleyPeriod = 1;    // frames between two shots
constexpr int kVolleyPause = 2;     // base length of the pause between volleys
constexpr int kVolleyCounter = 3;   // negative during the pause
constexpr int kBulletsPerShot = 4;  // gun parts: bullets per launcher per shot
constexpr int kSpeedLayers = 5;     // 79: bullets of rising speed per direction
constexpr int kFanStep = 1;         // 75, floatRegs: angular step of its fan

// Drones.
constexpr int kDroneShotsLeft = 0;   // 81, intRegs: bullets still to fire
constexpr int kDroneShotPeriod = 1;  // 81, intRegs: frames between two bullets
constexpr int kDroneBearing = 0;     // 81, floatRegs: bearing at birth

constexpr int kDeathSequenceFrames = 64;
constexpr int kHoldFrames = 720;      // frames in phase 0 before the boss climbs out
constexpr float kLeaveBaseY = -200;   // above this the boss and its parts become removable
constexpr int kRingPeriod = 300;      // boss ring of six: ages 299, 599, ...
constexpr float kGunOrbit = 112;
constexpr float kCarrierOrbit = 104;

constexpr int kItemOptionType1 = 6;  // orphan drop of 75
constexpr int kItemOptionType5 = 10; // orphan drop of 76

int Above(bool c) { return c ? 1 : 0; }

// ---- Volley counter (all six part types) -------------------------------------------------------

// Counts the volley on; at the end of a volley the pause is drawn.
void AdvanceVolleyCounter(Enemy* e) {
  int* r = e->intRegs;
  r[kVolleyCounter] += 1;
  if (r[kVolleyCounter] > (r[kVolleyShots] - 1) * r[kVolleyPeriod]) {
    const int extra = RandomInt(r[kVolleyPause]);
    r[kVolleyCounter] = -(r[kVolleyPause] + extra);
  }
}

// True in a frame that fires a shot of the volley; *outShot gets its number in the volley.
bool VolleyShotDue(const Enemy* e, int* outShot) {
  const int c = e->intRegs[kVolleyCounter];
  const int period = e->intRegs[kVolleyPeriod];
  if (c < 0 || !FireGateEvery(c, period)) return false;
  *outShot = c / period;
  return true;
}

// ---- Bosses 70, 74, 78 -------------------------------------------------------------------------

void UpdateMidBossBehaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1) {
    SpawnEnemyParts(world, e, "111222");
    const int s = RandomInt(2) * 2 - 1;
    const float u = RandomFloat(0.2f);
    e->floatRegs[kSpinStep] = (u + 1.0f) * static_cast<float>(s);
    e->facing = RandomFloat(360.0f);
  }
  if (e->phase == -1) {
    e->floatRegs[kSpinStep] = e->floatRegs[kSpinStep] * 0.9894f;
    if (e->phaseFrames % 6 == 1) ThrowBossDeathDebrisFloatAngles(world, e, kBurstCount, kBurstOffsetX);
    if (e->phaseFrames == kDeathSequenceFrames) FinishBossDeathSequence(world, e, 0);
  } else if (e->phase == 0) {
    if (e->phaseFrames > kHoldFrames) {
      e->SetVelocityPolar(90.0f, e->speed + 0.5f);
      if (e->baseY < kLeaveBaseY) {
        SetStageFlag(world, 0, 0);
        for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
          if (e->children[i]) e->children[i]->removeOffField = 1;
        }
        e->removeOffField = 1;
      }
    }
  }
  // Any other phase (only a stage line can give one) spins and glides but never leaves.
  e->facing = NormalizeAngle(e->facing + e->floatRegs[kSpinStep]);
  e->SetVelocityPolar(e->direction, e->speed * 0.9f);
}

// 70 and 78: a hexagon of six bullets that keeps turning at the spin step it was fired with
// while its centre flies from the boss toward the player.
void UpdateMidBossRingAttack(GameWorld* world, Enemy* e) {
  if (e->age % kRingPeriod != kRingPeriod - 1) return;
  const float aim = AngleFromEnemyToPlayer(world, e);
  for (int i = 0; i < e->launcherCount && i < kEnemyLauncherMax; ++i) {
    float ox, oy, oa;
    ShotOriginOf(e, i, &ox, &oy, &oa);
    EnemyBullet* b = SpawnEnemyBullet(world, 81 + 2 * i, BulletFaceMotion, ox, oy, aim,
                                      0.2f * g_bulletSpeedBase + 1.5f, 2.44f, 2.44f);
    if (!b) continue;
    b->baseX = e->x;
    b->baseY = e->y;
    b->orbitAngle = e->launchers[i].placementAngle;  // the boss's facing is not added
    b->orbitRadius = e->launchers[i].distance * e->sprite.scaleX;
    b->orbitAngleVel = e->floatRegs[kSpinStep];
    b->orbitAngleVelFactor = 1.0f;
  }
}

// ---- Parts: gun parts 71, 75, 79 and carriers 72, 76, 80 ---------------------------------------

bool IsGunPart(int type) { return type == 71 || type == 75 || type == 79; }

// The spin step of a gun part: (u2 + (u1 + k) x indexInParent + base) x s, turning against
// its boss.
void SetGunSpin(Enemy* e, float u1Range, float u2Range, float k, float base) {
  const float s = -SignFloat(e->parent->floatRegs[kSpinStep]);
  const float u1 = RandomFloat(u1Range);
  const float u2 = RandomFloat(u2Range);
  e->floatRegs[kSpinStep] = (u2 + (u1 + k) * static_cast<float>(e->indexInParent) + base) * s;
}

void SetVolley(Enemy* e, int shots, int period, int pause) {
  e->intRegs[kVolleyShots] = shots;
  e->intRegs[kVolleyPeriod] = period;
  e->intRegs[kVolleyPause] = pause;
  e->intRegs[kVolleyCounter] = -RandomInt(pause);
}

void SetUpPart(Enemy* e) {
  const int d = D();
  const int more = MaxInt(d - 3 - Above(d > 6), 0) + 1;  // bullets per launcher per shot
  switch (e->type) {
    case 71:
      e->facing = RandomFloat(360.0f);
      SetGunSpin(e, 0.03f, 0.07f, 0.14f, 1.2f);
      e->orbitRadius = kGunOrbit;
      SetVolley(e, MaxInt(d - 1, 0) * (d + 2) + 4 + 20 * Above(d > 4),
                MaxInt(6 - d - 3 * Above(d == 0), 3) - Above(d > 6), SafeDiv(240, d + 2));
      e->intRegs[kBulletsPerShot] = more;
      break;
    case 75:
      // Keeps the facing of 0 it was built with.
      SetGunSpin(e, 0.23f, 0.47f, 0.27f, 3.5f);
      e->orbitRadius = kGunOrbit;
      SetVolley(e, 3 * d / 2 + 2 * Above(d > 4) + 2, MaxInt(36 - 3 * MinInt(d, 3) - d, 6),
                SafeDiv(480, 2 * d + 3));
      e->intRegs[kBulletsPerShot] = more;
      e->floatRegs[kFanStep] = static_cast<float>((more - 2) * 28 + 40) / static_cast<float>(more);
      break;
    case 79:
      e->facing = RandomFloat(360.0f);
      SetGunSpin(e, 0.03f, 0.07f, 0.14f, 1.2f);
      e->orbitRadius = kGunOrbit;
      SetVolley(e, MaxInt(d - 1, 0) * d + d + 2 + Above(d > 4) * (d + 16),
                MaxInt(18 - 2 * d + 7 * Above(d == 0), 11) - Above(d > 6), SafeDiv(240, d + 2));
      e->intRegs[kBulletsPerShot] = MinInt(more, 3);
      e->intRegs[kSpeedLayers] = MinInt(d + 2, 7);
      break;
    default: {  // carriers 72, 76, 80
      e->facing = RandomFloat(360.0f);
      e->orbitRadius = kCarrierOrbit;
      const int shots = d + 1;
      SetVolley(e, shots, SafeDiv(160, shots), SafeDiv(540, d + 3));
      break;
    }
  }
}

// 75 and 76 leave an option item behind when their boss is gone.
void DropOrphanItem(GameWorld* world, Enemy* e) {
  const int kind = e->type == 75 ? kItemOptionType1 : kItemOptionType5;
  const float v = RandomFloat(4.0f) + (e->y + 64.0f) * 9.0f / 480.0f;
  const float a = RandomFloat(9.0f) + 90.0f - 4.5f;
  Item* item = ConstructItem(world, kind, e->x, e->y, a, v);
  const float facing = RandomFloat(360.0f);
  if (item) item->facing = facing;
}

void UpdateMidBossPartBehaviour(GameWorld* world, Enemy* e) {
  if (!e->parent) {
    if (e->type == 75 || e->type == 76) DropOrphanItem(world, e);
    KillIfOrphaned(world, e);
    return;
  }
  if (e->age == 1) SetUpPart(e);
  AdvanceVolleyCounter(e);
  if (e->type == 71 || e->type == 79) e->facing = NormalizeAngle(e->facing + e->floatRegs[kSpinStep]);
  e->SnapEnemyBaseToParent();
  const float offset = IsGunPart(e->type) ? 0.0f : 60.0f;
  e->orbitAngle = NormalizeAngle(static_cast<float>(e->indexInParent * 120) + e->parent->facing + offset);
}

// 71 and 79: small fans straight outward from the three launchers of the spinning part; 79
// adds speed layers to every direction. Odd shots of a volley carry one bullet fewer.
void FireGunFans(GameWorld* world, Enemy* e, int shot, int bulletType, int layers) {
  const int d = D();
  const int n = MaxInt(e->intRegs[kBulletsPerShot] - (shot & 1), 1);
  const float widen = (static_cast<float>(d) - 3.6f) * 2.35f + 1.0f;
  const float B = g_bulletSpeedBase;
  for (int i = 0; i < e->launcherCount && i < kEnemyLauncherMax; ++i) {
    float ox, oy, oa;
    ShotOriginOf(e, i, &ox, &oy, &oa);
    for (int j = 0; j < n; ++j) {
      const float fan = static_cast<float>(2 * j - (n - 1)) * e->floatRegs[kSpinStep] * widen;
      const float angle = static_cast<float>(i * 120) + e->facing + fan;
      if (layers <= 0) {
        EnemyBullet* b = SpawnEnemyBullet(world, bulletType, BulletFaceMotion, ox, oy, angle, 0.54f * B, 0.32f, 0.32f);
        if (b) b->SetBulletPulse(0.15f, 0.0f, 15.0f);
        continue;
      }
      const float base = 0.77f - 0.3f * static_cast<float>(Above(d > 3));
      const float layerDiv = static_cast<float>(layers + 13) / 13.0f;
      for (int m = 0; m < layers; ++m) {
        const float speed = B * (base + 0.08f * static_cast<float>(m) / layerDiv);
        EnemyBullet* b = SpawnEnemyBullet(world, bulletType, BulletFaceMotion, ox, oy, angle, speed, 0.32f, 0.32f);
        if (b) b->SetBulletPulse(0.15f, 0.0f, 15.0f);
      }
    }
  }
}

void UpdateGunPart71Attack(GameWorld* world, Enemy* e) {
  int shot;
  if (VolleyShotDue(e, &shot)) FireGunFans(world, e, shot, 408, 0);
}

void UpdateGunPart79Attack(GameWorld* world, Enemy* e) {
  int shot;
  if (VolleyShotDue(e, &shot)) FireGunFans(world, e, shot, 404, e->intRegs[kSpeedLayers]);
}

// 75: a fan aimed from the boss at the player; the three bullets of one fan direction circle a
// common centre (the part) that flies off along that direction.
void UpdateGunPart75Attack(GameWorld* world, Enemy* e) {
  int shot;
  if (!VolleyShotDue(e, &shot) || !e->parent) return;
  const float aim = AngleFromEnemyToPlayer(world, e->parent);
  const int n = e->intRegs[kBulletsPerShot];
  for (int i = 0; i < e->launcherCount && i < kEnemyLauncherMax; ++i) {
    float ox, oy, oa;
    ShotOriginOf(e, i, &ox, &oy, &oa);
    for (int j = 0; j < n; ++j) {
      const float angle = aim + static_cast<float>(2 * j - (n - 1)) * e->floatRegs[kFanStep] * 0.5f;
      EnemyBullet* b =
          SpawnEnemyBullet(world, 400, BulletFaceMotion, ox, oy, angle, 0.54f * g_bulletSpeedBase, 0.48f, 0.48f);
      if (!b) continue;
      b->SetBulletPulse(0.15f, 0.0f, 15.0f);
      b->baseX = e->x;
      b->baseY = e->y;
      b->orbitAngle = e->launchers[i].placementAngle + e->facing;
      b->orbitRadius = e->launchers[i].distance * e->sprite.scaleX;
      b->orbitAngleVel = e->floatRegs[kSpinStep];
      b->orbitAngleVelFactor = 1.0f;
      b->SetBulletTrail(EffectPlain, b->type + 160, 1, 3, 0.0f, 0.0f, 1.0f, 1.0f);
    }
  }
}

// Carriers: one drone per shot, outward from the boss, each of a volley 0.3 px/frame faster.
void UpdateCarrierAttack(GameWorld* world, Enemy* e) {
  int shot;
  if (!VolleyShotDue(e, &shot)) return;
  float ox, oy, oa;
  ShotOriginOf(e, 0, &ox, &oy, &oa);
  const int drone = e->type + 1;  // 72 -> 73, 76 -> 77, 80 -> 81
  const float direction = e->orbitAngle + RandomFloat(32.0f) - 16.0f;
  LaunchEnemy(world, drone, ox, oy, direction, static_cast<float>(shot) * 0.3f + 1.0f);
}

// ---- Drones 73, 77, 81 -------------------------------------------------------------------------

// The registers of 73 and 77 are read by their revenge bullets on death.
void UpdateDroneBehaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1) {
    const int d = D();
    switch (e->type) {
      case 73:
        e->intRegs[0] = MinInt(d + 1, 8);
        break;
      case 77:
        e->intRegs[0] = MinInt(2 * d + 1, 9);
        e->intRegs[1] = MinInt(2 * d - 5, 9) * Above(d > 3);
        break;
      default:  // 81
        e->intRegs[kDroneShotsLeft] = MinInt(d + 1, 8) * MinInt(d + 1, 3);
        e->intRegs[kDroneShotPeriod] = MaxInt(6 - d, 3);
        e->floatRegs[kDroneBearing] = AngleFromEnemyToPlayer(world, e);
        break;
    }
  }
  // Homing without limit or friction: it overshoots and curves back faster until it leaves.
  const float pull = static_cast<float>(e->age) * 0.00014f + 0.04f;
  SteerEnemyTowardPlayer(world, e, pull, 1.0f, 1.0f);
}

// 81: a short burst along the bearing it had at birth, never in its first frame.
void UpdateDrone81Attack(GameWorld* world, Enemy* e) {
  const int period = e->intRegs[kDroneShotPeriod];
  if (e->intRegs[kDroneShotsLeft] <= 0 || e->phaseFrames <= 1 || !FireGateEvery(e->phaseFrames, period)) return;
  float ox, oy, oa;
  ShotOriginOf(e, 0, &ox, &oy, &oa);
  SpawnEnemyBullet(world, 55, BulletFaceMotion, ox, oy, e->floatRegs[kDroneBearing], g_bulletSpeedBase, 0.4f, 0.3f);
  e->intRegs[kDroneShotsLeft] -= 1;
}

}  // namespace

void RegisterSpinningMidBosses() {
  RegisterEnemyTypeCode(70, UpdateMidBossBehaviour, UpdateMidBossRingAttack);
  RegisterEnemyTypeCode(71, UpdateMidBossPartBehaviour, UpdateGunPart71Attack);
  RegisterEnemyTypeCode(72, UpdateMidBossPartBehaviour, UpdateCarrierAttack);
  RegisterEnemyTypeCode(73, UpdateDroneBehaviour, nullptr);
  RegisterEnemyTypeCode(74, UpdateMidBossBehaviour, nullptr);  // fires nothing itself
  RegisterEnemyTypeCode(75, UpdateMidBossPartBehaviour, UpdateGunPart75Attack);
  RegisterEnemyTypeCode(76, UpdateMidBossPartBehaviour, UpdateCarrierAttack);
  RegisterEnemyTypeCode(77, UpdateDroneBehaviour, nullptr);
  RegisterEnemyTypeCode(78, UpdateMidBossBehaviour, UpdateMidBossRingAttack);
  RegisterEnemyTypeCode(79, UpdateMidBossPartBehaviour, UpdateGunPart79Attack);
  RegisterEnemyTypeCode(80, UpdateMidBossPartBehaviour, UpdateCarrierAttack);
  RegisterEnemyTypeCode(81, UpdateDroneBehaviour, UpdateDrone81Attack);
}
