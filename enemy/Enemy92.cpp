// The timeline boss (92). It has no phase machine: it runs on its age, commands its seven parts
// (93 to 97) to fire at fixed ages, and wakes its own three weapons as the parts fall: a
// charged beam cannon on a barrel, a ring gun at each side (endless once the arm on that side
// is gone) and a twelve-point spray core. It leaves upward after age 4200 or, killed, plays a
// 128-frame death sequence; either way it sets stage flag 0.

#include <cmath>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// Child slots ("1122455").
constexpr int kArmSlots[2] = {2, 3};  // the two 94s
constexpr int kFountainSlot = 4;       // the 96
constexpr int kRearRingSlots[2] = {5, 6};

// Launch points.
constexpr int kCoreFirst = 2, kCoreLast = 13;
constexpr int kBarrel = 14;

// intRegs.
constexpr int kFirstArmSide = 0;   // 1: the arm in slot 3 starts first (player on the left)
constexpr int kSecondArmDelay = 1;  // from age 360 to the second arm's start
constexpr int kBeamShots = 2, kBeamGap = 3, kCharge = 4, kCannonPause = 5, kCannonTimer = 6;
constexpr int kRingArms = 16, kRingArmBullets = 17, kRingArmWidth = 18, kRingsPerCycle = 19, kRingGap = 20,
              kRingLeadIn = 21, kRingPause = 22, kRingCycles = 24, kRingTimer = 26;  // the last three per side
constexpr int kCoreSprays = 32, kCoreGap = 33, kCoreLeadIn = 34, kCorePause = 35, kCoreTimer = 36,
              kScoreAtPauseUpdate = 37;
constexpr int kDamageScore = 64;
constexpr int kBurstCount = 128;
// floatRegs.
constexpr int kWanderAmpX = 0, kWanderAmpY = 1, kWanderPhaseX = 2, kWanderPhaseY = 3, kWanderStepX = 4,
              kWanderStepY = 5, kAnchorX = 6, kAnchorY = 7;
constexpr int kBurstFloats = 128;

constexpr int kCannonIdle = -1;
constexpr int kNoSecondArm = -32768;
constexpr int kEndlessCycles = 65535;
constexpr int kArmStartAge = 360;
constexpr int kCannonFirstAge = 450, kCannonLastAge = 3800;
constexpr int kWanderAge = 60, kLeaveAge = 4200;
constexpr int kDeathFrames = 128;
constexpr float kLeftAtY = -100.0f;

void SetUpBoss(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  e->launchers[kBarrel].aimAngle = e->facing;
  SpawnCatalogueChildren(world, e);
  r[kFirstArmSide] = world->player.x < 180.0f ? 1 : 0;
  r[kSecondArmDelay] = kNoSecondArm;
  r[kBeamShots] = 4 * d + 24;
  r[kBeamGap] = 2;
  r[kCharge] = MaxInt(70 / (d + 1), 0) + 90;
  r[kCannonPause] = MaxInt(160 / (d + 1), 0) + 30;
  r[kCannonTimer] = kCannonIdle;
  r[kRingArms] = MinInt(d + 3, 8);
  r[kRingArmBullets] = MinInt(2 * d + 2, 20);
  r[kRingArmWidth] = MinInt(6 * d + 8, 60);
  r[kRingsPerCycle] = MinInt((d + 1) / 2 + 1, 3);
  r[kRingGap] = MaxInt(228 / (d + 2), 0) + 76;
  r[kRingLeadIn] = MaxInt(55 / (d + 1), 0) + 24;
  for (int i = 0; i < 2; ++i) {
    r[kRingPause + i] = MaxInt(380 / (2 * d + 1), 0) + 165;
    r[kRingCycles + i] = 0;
    r[kRingTimer + i] = 0;
  }
  r[kCoreSprays] = d / 2 + 1;
  r[kCoreGap] = MaxInt(84 / r[kCoreSprays], 16);
  r[kCoreLeadIn] = MaxInt(94 / (d + 2), 0) + 30;
  r[kCorePause] = MaxInt(650 / (2 * d + 1), 0) + 370;
  r[kCoreTimer] = 0;
  r[kScoreAtPauseUpdate] = 0;
  r[kDamageScore] = 0;
  f[kWanderAmpX] = 40.0f;
  f[kWanderAmpY] = 16.0f;
  const float phaseX = RandomFloat(360.0f);
  f[kWanderPhaseX] = phaseX;
  const float phaseY = RandomFloat(360.0f);
  f[kWanderPhaseY] = phaseY;
  f[kWanderStepX] = 1.1f;
  f[kWanderStepY] = 2.4f;
  f[kAnchorX] = 0.0f;
  f[kAnchorY] = 0.0f;
}

// 1 per part gone, 2 per arm gone, and 1 for a live arm without its drone bay (at most 9).
// An arm counts its bay as gone also before it has made it, in the boss's first two frames, so
// the core's pause shrinks from the start (deliberate: replays depend on it).
int CountDamage(const Enemy* e) {
  int score = 0;
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    if (!e->children[i]) score += (i == kArmSlots[0] || i == kArmSlots[1]) ? 2 : 1;
  }
  for (int slot : kArmSlots) {
    const Enemy* arm = EnemyChildAt(e, slot);
    if (arm && !EnemyChildAt(arm, 0)) score += 1;
  }
  return score;
}

void RunCannonTimer(GameWorld* world, Enemy* e, int score) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age <= kCannonFirstAge) return;
  if (r[kCannonTimer] == kCannonIdle) {
    if (e->age % 70 == 0 && e->age < kCannonLastAge && score > (d < 1) + 2 + (d < 4)) r[kCannonTimer] = 0;
    return;
  }
  r[kCannonTimer] += 1;
  const int beamEnd = r[kCharge] + r[kBeamShots] * r[kBeamGap];
  if (r[kCannonTimer] > beamEnd) {
    // The barrel turns toward the player during the pause: the next beam goes where it points.
    // Whole degrees per frame: 0 at difficulties 0 and 1, where it never turns.
    EnemyLauncher& barrel = e->launchers[kBarrel];
    const float target = AngleToPlayer(world, barrel.x, barrel.y);
    barrel.aimAngle = TurnAngleToward(barrel.aimAngle, target, F(120 / (r[kCannonPause] + 24)));
  }
  if (r[kCannonTimer] >= beamEnd + r[kCannonPause]) r[kCannonTimer] = e->age < kCannonLastAge ? 0 : kCannonIdle;
}

// Ring gun 0 (launcher 0, at +90 degrees) belongs to the arm in slot 3, ring gun 1 to slot 2.
void RunRingGunTimers(Enemy* e) {
  int* r = e->intRegs;
  for (int i = 0; i < 2; ++i) {
    if (!EnemyChildAt(e, kArmSlots[1 - i])) r[kRingCycles + i] = kEndlessCycles;
    if (r[kRingCycles + i] <= 0 && r[kRingTimer + i] <= 0) continue;
    r[kRingTimer + i] += 1;
    if (r[kRingTimer + i] >= r[kRingLeadIn] + r[kRingsPerCycle] * r[kRingGap] + r[kRingPause + i]) {
      r[kRingPause + i] = MaxInt(r[kRingPause + i] * 74 / 100, 8);
      r[kRingCycles + i] -= 1;
      r[kRingTimer + i] = 0;
    }
  }
}

void StartArm(Enemy* e, Enemy* arm) {
  arm->intRegs[4] = 1;
  const int* a = arm->intRegs;
  e->intRegs[kSecondArmDelay] = (a[0] * a[2] + a[3]) / 2;  // half the arm's cycle
}

void StartArms(Enemy* e) {
  const int side = e->intRegs[kFirstArmSide];
  Enemy* first = EnemyChildAt(e, kArmSlots[0] + side);
  Enemy* second = EnemyChildAt(e, kArmSlots[1] - side);
  if (e->age == kArmStartAge) {
    if (first) StartArm(e, first);
    else if (second) StartArm(e, second);
  }
  if (e->age == e->intRegs[kSecondArmDelay] + kArmStartAge && second) StartArm(e, second);
}

void CommandRearParts(Enemy* e) {
  const int a = e->age;
  if (a == 80 || a == 1100 || (a >= 1800 && a % 600 == 0)) {
    if (Enemy* fountain = EnemyChildAt(e, kFountainSlot)) fountain->intRegs[0] = (g_difficulty > 0) + 2;
  }
  if (a == 110 || a == 800 || a == 1400 || (a > 1800 && a % 600 == 300)) {
    const int bursts = (EnemyChildAt(e, kArmSlots[0]) == nullptr) + 1 + (EnemyChildAt(e, kArmSlots[1]) == nullptr);
    for (int slot : kRearRingSlots) {
      if (Enemy* ring = EnemyChildAt(e, slot)) ring->intRegs[0] = bursts;
    }
  }
}

void MoveBoss(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  if (e->age < kWanderAge) {
    BrakeEnemy(e, 0.93f);
  } else if (e->age < kLeaveAge) {
    if (e->age == kWanderAge) {
      f[kAnchorX] = e->x;
      f[kAnchorY] = e->y;
    }
    f[kWanderPhaseX] = NormalizeAngle(f[kWanderPhaseX] + f[kWanderStepX]);
    f[kWanderPhaseY] = NormalizeAngle(f[kWanderPhaseY] + f[kWanderStepY]);
    const float tx = f[kAnchorX] + std::cos(f[kWanderPhaseX] * kPi / 180.0f) * f[kWanderAmpX];
    const float ty = f[kAnchorY] - std::sin(f[kWanderPhaseY] * kPi / 180.0f) * f[kWanderAmpY];
    DampAndPushEnemy(e, 0.922f, AngleFromTo(e->x, e->y, tx, ty), 0.008f);
  } else {
    e->SetVelocityXY(e->vx * 0.997f, e->vy * 0.997f - 0.04f);
    if (e->y < kLeftAtY) {
      e->removeOffField = 1;
      SetStageFlag(world, 0, 1);
    }
  }
}

void RunDeathSequence(GameWorld* world, Enemy* e) {
  e->SetVelocityXY(e->vx * 0.983f, e->vy * 0.983f + 0.01f);
  if (e->phaseFrames % 6 == 1) ThrowBossDeathDebrisIntAngles(world, e, kBurstCount, kBurstFloats);
  if (e->phaseFrames == kDeathFrames) FinishBossDeathSequence(world, e, 1);
}

void UpdateBoss92Behaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1) SetUpBoss(world, e);
  if (e->phase == -1) {
    RunDeathSequence(world, e);
    return;
  }
  const int d = g_difficulty;
  int* r = e->intRegs;
  const int score = CountDamage(e);
  r[kDamageScore] = score;
  RunCannonTimer(world, e, score);
  // One opening ring per gun: set here and advanced just below, so it fires in this frame.
  if (e->age == 20 && d > 3) {
    for (int i = 0; i < 2; ++i) {
      r[kRingCycles + i] = 1;
      r[kRingTimer + i] = r[kRingLeadIn] - 1 + (r[kRingsPerCycle] - 1) * r[kRingGap];
    }
  }
  RunRingGunTimers(e);
  if (score > (d < 2) + 1 + (d < 4)) {
    r[kCoreTimer] += 1;
    if (r[kCoreTimer] >= r[kCoreLeadIn] + r[kCoreSprays] * r[kCoreGap] + r[kCorePause]) r[kCoreTimer] = 0;
  }
  if (score != r[kScoreAtPauseUpdate]) {
    const int points = score > r[kScoreAtPauseUpdate] ? score - r[kScoreAtPauseUpdate] : r[kScoreAtPauseUpdate] - score;
    for (int i = 0; i < points; ++i) r[kCorePause] = MaxInt(r[kCorePause] * 94 / 100, 24);
    r[kScoreAtPauseUpdate] = score;
  }
  StartArms(e);
  CommandRearParts(e);
  MoveBoss(world, e);
}

// ---- Weapons ---------------------------------------------------------------------------------

// A particle that spirals into the muzzle over its 40 frames. Draws: radius, y jitter, x
// jitter, orbit angle.
void ThrowChargeParticle(GameWorld* world, float mx, float my) {
  const float radius = RandomFloat(60.0f) + 90.0f;
  const float jy = RandomFloat(8.0f);
  const float jx = RandomFloat(8.0f);
  Effect* p = ConstructEffect(world, EffectPlain, mx + jx - 4.0f, my + jy - 4.0f, 0.0f, 0.0f, 40);
  const float orbit = RandomFloat(360.0f);
  if (!p) return;
  p->orbitAngle = orbit;
  p->orbitRadius = radius;
  p->orbitAngleVel = -8.4f;
  p->orbitRadiusVel = -radius / 40.0f;
  p->orbitAngleVelFactor = 1.02f;
  p->orbitRadiusVelFactor = 1.0f;
  p->facing = 0.0f;
  p->SetObjectSprite(152);
  p->startScaleX = p->startScaleY = 0.7f;
  p->endScaleX = p->endScaleY = 0.23f;
  p->startColor = 0xFF000000u;
  p->endColor = 0xFFC0C060u;
}

void FireCannon(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  const int* r = e->intRegs;
  const int t = r[kCannonTimer];
  if (t == kCannonIdle) return;
  float mx = 0, my = 0, aim = 0;
  ShotOriginOf(e, kBarrel, &mx, &my, &aim);
  if (t < r[kCharge] - 40) {
    ThrowChargeParticle(world, mx, my);
    return;
  }
  // The beam fires on even timer values: with an odd charge time it starts a frame later and
  // still has all its shots.
  if (!InFrameWindow(t, r[kCharge], r[kBeamShots] * r[kBeamGap]) || !FireGateEvery(t, r[kBeamGap])) return;
  const int k = r[kBeamShots] - (t - r[kCharge]) / r[kBeamGap];
  const float s = (Df() * 0.32f + 1.6f) * F(k) / F(r[kBeamShots]) + 0.4f;  // shrinking along the beam
  EnemyBullet* b = SpawnEnemyBullet(world, 11, BulletFaceMotion, mx, my, aim, g_bulletSpeedBase, s, s);
  if (!b) return;
  b->accelFactor = 1.018f;
  b->friction = 0.97f;
  b->SetBulletAccelPolar(aim, Df() * 0.0275f + 0.35f);
  b->stretch = F(115 / (d + 5));
}

void FireRingGuns(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int arms = r[kRingArms], perArm = r[kRingArmBullets];
  for (int i = 0; i < 2; ++i) {
    if (!FireGateCounted(r[kRingTimer + i], r[kRingLeadIn], r[kRingGap], r[kRingsPerCycle], nullptr)) continue;
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, i, &ox, &oy, &unused);
    const float a = RandomFloat(360.0f);
    // The arms start on whole degrees, (j x 360) / arms, and the gap between arms is the whole
    // 360 / arms. The spread along an arm, width percent of that gap, is float: in whole numbers
    // it is 0 and stacks the arm's bullets.
    const float gap = F(RingStep(arms));
    const float width = F(r[kRingArmWidth]) / 100.0f;
    const float along = F(MaxInt(perArm - 1, 1));
    for (int j = 0; j < arms; ++j) {
      for (int m = 0; m < perArm; ++m) {
        const float angle = RingAngle(a, j, arms) + gap * width * (F(m) / along);
        EnemyBullet* b = SpawnEnemyBullet(world, 90, BulletFaceSpin, ox, oy, angle, g_bulletSpeedBase, 0.6f, 0.57f);
        if (!b) continue;
        b->spinStep = i == 0 ? -33.0f : 33.0f;
        b->SetBulletPulse(0.07f, angle, 14.0f);
        b->SetBulletAccelPolar(angle, 0.16f);
        b->friction = 0.92f;  // the ring slows to a drift
      }
    }
  }
}

void FireCore(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  if (!FireGateCounted(r[kCoreTimer], r[kCoreLeadIn], r[kCoreGap], r[kCoreSprays], nullptr)) return;
  for (int l = kCoreFirst; l <= kCoreLast; ++l) {
    float ox = 0, oy = 0, placement = 0;
    ShotOriginOf(e, l, &ox, &oy, &placement);
    const float spread = RandomFloat(36.0f);
    const float angle = placement + e->facing + spread - 18.0f;
    EnemyBullet* b = SpawnEnemyBullet(world, 4, BulletFaceSpin, ox, oy, angle, 0.0f, 0.4f, 0.4f);
    const float accel = RandomFloat(Df() * 0.0044f + 0.01f);
    if (!b) continue;
    b->accelFactor = 1.003f;
    b->friction = 0.988f;
    b->SetBulletAccelPolar(angle, accel + Df() * 0.0026f + 0.05f);
    b->spinStep = 53.2f;
  }
}

void UpdateBoss92Attack(GameWorld* world, Enemy* e) {
  FireCannon(world, e);
  FireRingGuns(world, e);
  FireCore(world, e);
}

}  // namespace

void RegisterTimelineBoss() {
  RegisterEnemyTypeCode(92, UpdateBoss92Behaviour, UpdateBoss92Attack);
}
