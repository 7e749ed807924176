// The large ship (67) with four rotating gun pods (68) and two retaliating side pods (69). The
// ship dashes across the field away from the player, comes back, swings about the top centre
// and then alternates curled and turning rings, chosen by how many pods are left; it leaves at
// age 2600 and takes its pods along. The pods lob bullets while the ship comes in, fire aimed
// fans once its swing is over (69 only while it is being hit), and are pushed aside by hits.

#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Type 67: the ship -----------------------------------------------------------------------

enum PodShipPhase {
  PodShipDash = 0,
  PodShipBrake = 1,
  PodShipSwing = 2,
  PodShipCurledRings = 3,
  PodShipTurningRings = 4,
  PodShipLeave = 5
};

constexpr int kPodShipLeaveAge = 2600;
constexpr int kPodShipUntargetFrame = 120;
constexpr int kPodShipDashFrames = 450;
constexpr int kPodShipSwingFrames = 360;
// The point the ship aims its entries at, the centre of its swing and the point it settles on.
constexpr float kEntryX = 180, kEntryY = 120;
constexpr float kSwingX = 180, kSwingY = 160;
constexpr float kSettleX = 180, kSettleY = 140;

// Heads from its base toward the entry point at the given speed, within 3 degrees.
void AimPodShipEntry(Enemy* e, float speed) {
  const float jitter = RandomFloat(6.0f);
  const float direction = AngleFromTo(e->baseX, e->baseY, kEntryX, kEntryY) + jitter - 3.0f;
  e->SetVelocityPolar(direction, speed);
}

void SetPodShipTargetable(GameWorld* world, Enemy* e, bool on) {
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    Enemy* pod = e->children[i];
    if (!pod) continue;
    if (on) pod->targetable = 1;
    else UntargetEnemy(world, pod);
  }
  if (on) e->targetable = 1;
  else UntargetEnemy(world, e);
}

void EnterCurledRings(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = d + 2;
  r[1] = d + 4 + 3 * (d > 4) * (d - 4);
  r[2] = d + 1;
  r[3] = MaxInt(180 / (r[0] + 1), 10);
  r[4] = 120 / (d + 1) + 96;
  r[5] = 110 / (d + 1);
  // After a turning-rings phase the old value is a base angle (never negative), so the turn
  // keeps a positive sign (or none for exactly 0): deliberate, replays rely on it.
  f[0] = SignFloat(f[0]) * 360.0f * 1.39f / F(r[1]);
  f[1] = -SignFloat(f[0]) * 360.0f * 0.28f / F(r[1]);
  f[2] = 2.45f;
  f[3] = B();
  f[4] = 0.0f;
}

void EnterTurningRings(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = 2 * d + 5;
  r[1] = d + 5;
  r[2] = d / 2 + 1;
  r[3] = MaxInt(448 / (d + 8), 6);
  r[4] = 120 / (d + 1) + 64;
  r[5] = 150 / (d + 1);
  f[0] = RandomFloat(360.0f);
  const int s = RandomInt(2) * 2 - 1;
  f[1] = (0.13f * Df() + 1.24f) * F(s);
}

bool RingPhaseDone(const Enemy* e) {
  const int* r = e->intRegs;
  return e->phaseFrames >= r[0] * r[3] + r[4] + r[5];
}

void UpdateEnemy67Behaviour(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  if (e->age == 1) {
    const float s = world->player.x < 180.0f ? 1.0f : -1.0f;
    e->baseX = 180.0f + 400.0f * s;
    e->baseY = -60.0f;
    SpawnCatalogueChildren(world, e);
    const float boost = RandomFloat(2.0f);
    AimPodShipEntry(e, boost + 24.0f + MinFloat(1.5f * Df(), 12.0f));
    e->facing = 270.0f;
  }
  switch (e->phase) {
    case PodShipDash:
      if (e->phaseFrames == kPodShipUntargetFrame) SetPodShipTargetable(world, e, false);
      if (e->phaseFrames > kPodShipDashFrames) {
        // Back beside the field on the side it now is, and in again.
        e->baseX = SignFloat(e->x - 180.0f) * 400.0f + 180.0f;
        const float by = RandomFloat(40.0f);
        e->baseY = by - 120.0f;
        const float boost = RandomFloat(2.0f);
        AimPodShipEntry(e, boost + 18.0f + MinFloat(1.2f * Df(), 12.0f));
        f[0] = SignFloat(e->baseX);
        SetPodShipTargetable(world, e, true);
        e->SetEnemyPhase(PodShipBrake);
      }
      break;
    case PodShipBrake:
      BrakeEnemy(e, 0.97f);
      if (SignFloatAsInt(e->x - 180.0f) != SignFloatAsInt(e->x + e->vx - 180.0f)) e->SetEnemyPhase(PodShipSwing);
      break;
    case PodShipSwing: {
      const float pf = F(e->phaseFrames);
      const float kx = MinFloat(0.998f - 0.0004f * Df() + 0.00001f * pf, 0.9995f);
      const float vx = kx * e->vx + SignFloat(kSwingX - e->x) * MaxFloat(0.25f - 0.0009f * pf, 0.1f);
      const float ky = MinFloat(0.997f - 0.0004f * Df() + 0.00001f * pf, 0.9992f);
      const float vy = ky * e->vy + SignFloat(kSwingY - e->y) * MaxFloat(0.18f - 0.0007f * pf, 0.06f);
      e->SetVelocityXY(vx, vy);
      if (e->phaseFrames > kPodShipSwingFrames) {
        e->SetEnemyPhase(PodShipCurledRings);
        for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
          if (e->children[i]) e->children[i]->SetEnemyPhase(1);
        }
      }
      break;
    }
    case PodShipCurledRings: {
      if (e->phaseFrames == 1) EnterCurledRings(e);
      const float w = MinFloat(0.002f * F(e->phaseFrames), 1.0f);
      const float d = Hypot(e->x - kSettleX, e->y - kSettleY);
      SteerEnemyToward(e, kSettleX, kSettleY, MinFloat(0.4f * w, 1.0f) * d, 1.0f - w, 1.0f - w);
      if (RingPhaseDone(e))
        e->SetEnemyPhase(CountLiveChildren(e) > 3 ? PodShipCurledRings : PodShipTurningRings);
      // Tested after the pattern's end, so leaving wins when both fall in one frame.
      if (e->age > kPodShipLeaveAge) e->SetEnemyPhase(PodShipLeave);
      break;
    }
    case PodShipTurningRings:
      if (e->phaseFrames == 1) EnterTurningRings(e);
      f[0] = NormalizeAngle(f[0] + f[1]);
      if (RingPhaseDone(e))
        e->SetEnemyPhase(CountLiveChildren(e) == 1 ? PodShipCurledRings : PodShipTurningRings);
      if (e->age > kPodShipLeaveAge) e->SetEnemyPhase(PodShipLeave);
      break;
    case PodShipLeave:
      e->SetVelocityXY(e->vx * 0.98f, e->vy * 0.98f - 0.12f);
      if (e->y < -100.0f) RemoveEnemyWithParts(e);
      break;
    default:
      break;
  }
}

// The burst gate of both ring phases: intRegs[0] bursts intRegs[3] frames apart after a delay
// of intRegs[4]; the burst number goes to *outIndex.
bool RingBurstDue(const Enemy* e, int* outIndex) {
  const int* r = e->intRegs;
  return FireGateCounted(e->phaseFrames - 1, r[4], r[3], r[0], outIndex);
}

// Rings of bullet lines, the slower layers bent against the turn between bursts.
void FireCurledRings(GameWorld* world, Enemy* e) {
  int burst = 0;
  if (!RingBurstDue(e, &burst)) return;
  const int* r = e->intRegs;
  float* f = e->floatRegs;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  if (burst == 0) f[4] = AngleFromEnemyToPlayer(world, e);
  else f[4] = NormalizeAngle(f[4] + f[0]);
  const float accel = 0.017f * Df() + 0.14f;
  const float stretch = 120.0f / F(D() + 16);
  for (int i = 0; i < r[1]; ++i) {
    const float a = RingAngle(f[4], i, r[1]);
    for (int j = 0; j < r[2]; ++j) {
      // The layer fraction is taken in float: as an integer quotient it would be 0 for every
      // layer but the last, and all those layers would fly at B instead of slowing to 2.45.
      const float speed = f[2] + (f[3] - f[2]) * (1.0f - F(j) / F(MaxInt(r[2] - 1, 1)));
      EnemyBullet* b = SpawnEnemyBullet(world, 19, BulletFaceMotion, ox, oy, a + F(j) * f[1], speed, 0.8f, 0.8f);
      SetBulletAccelMotion(b, accel, 0.8f, 0.997f, stretch);
    }
  }
}

// Rings thrown outward that brake and are drawn toward where the player was.
void FireTurningRings(GameWorld* world, Enemy* e) {
  if (!RingBurstDue(e, nullptr)) return;
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float aim = AngleFromEnemyToPlayer(world, e);
  const float accel = 0.0033f * Df() + 0.04f;
  const float stretch = F(26 / (D() + 4));
  for (int i = 0; i < r[1]; ++i) {
    const float a = RingAngle(f[0], i, r[1]);
    for (int j = 0; j < r[2]; ++j) {
      const float angle = a + F(j * (360 - 360 / r[1]) / (r[1] * r[2]));
      EnemyBullet* b = SpawnEnemyBullet(world, 65, BulletFaceMotion, ox, oy, angle, B(), 0.6f, 0.6f);
      const float pull = RandomFloat(60.0f);  // drawn whether or not the bullet was made
      if (!b) continue;
      b->accelFactor = 1.01f;
      b->friction = 0.96f;
      b->SetBulletAccelPolar(aim + pull - 30.0f, accel);
      b->stretch = stretch;
    }
  }
}

void UpdateEnemy67Attack(GameWorld* world, Enemy* e) {
  if (e->phase == PodShipCurledRings) FireCurledRings(world, e);
  else if (e->phase == PodShipTurningRings) FireTurningRings(world, e);
}

// ---- Types 68 and 69: pods -------------------------------------------------------------------

enum PodKind { GunPod, SidePod };

constexpr int kHitWindow = 80;
constexpr int kShakeMax = 16;
constexpr int kPushedDamageMax = 500;

PodKind KindOf(const Enemy* e) { return e->type == 68 ? GunPod : SidePod; }

void SetUpPod(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  const int k = e->indexInParent;
  if (KindOf(e) == GunPod) {
    // Four corners about the ship: (-90, +60), (+90, +60), (-90, -60), (+90, -60) with it
    // facing down.
    const float a = F((k / 2) * 120 - 60);
    const float b = F((k % 2) * 180 - 90);
    f[0] = Atan2Deg(b, -a);
    e->orbitRadius = Hypot(a, b);
  } else {
    const float a = F((k % 2) * 240 - 120);
    f[0] = Atan2Deg(a, 0.0f);
    e->orbitRadius = a < 0.0f ? -a : a;
  }
  const float spin = RandomFloat(0.8f);
  f[1] = (spin + 1.2f) * F((k % 2) * 2 - 1);
  r[0] = (d > 3) * (d - 3) * 2 + 1;
  r[1] = MaxInt(600 / (3 * d + 3 * (d > 4) * (d - 4) + 5), 6);
  r[2] = 0;
  r[3] = e->hp;
  f[2] = 0.0f;
  f[3] = 0.0f;
}

void EnterPodAimedPhase(Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  r[4] = (d > 4) * (d - 4) * 2 + 1;
  if (KindOf(e) == GunPod) {
    r[5] = MaxInt(560 / (2 * d + 7), 12);
    r[6] = d + 2 * (d > 3) * (d - 3) + 2;
    r[7] = MaxInt(360 / (2 * d + 3), 12);
    r[8] = 120 / (d + 1) + RandomInt(r[5] * MinInt(r[6] / 2, 30)) + 60;
    r[9] = 0;
  } else {
    r[5] = MaxInt(560 / (3 * d + 7), 6);
    r[6] = d + (d > 3) * (d - 3) * d + 2;
    r[7] = MaxInt(360 / (d + 3), 24);
    r[8] = RandomInt(r[5] * MinInt(r[6] / 2, 30));
    r[9] = 0;
    r[10] = 0;
  }
}

// The aimed-shot cycle counter; a side pod's runs only within 80 frames of its last damage.
void CountPodCycle(Enemy* e) {
  int* r = e->intRegs;
  if (KindOf(e) == GunPod) {
    r[9] += 1;
  } else {
    if (e->hp < r[3]) r[10] = kHitWindow;
    else r[10] -= 1;
    if (r[10] < 1) r[9] = -1;
    else r[9] += 1;
  }
  if (r[9] >= r[5] * r[6] + r[7]) r[9] = 0;
}

// A hit offsets the pod by 0.075 px per point of damage (at most 500 points a frame).
void PushPodOnHit(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->hp >= r[3]) return;
  r[2] = MinInt(r[2] + 3, kShakeMax);
  const int64_t damage = static_cast<int64_t>(r[3]) - e->hp;
  const float m = MinFloat(static_cast<float>(damage), F(kPushedDamageMax)) * 0.075f;
  const float a = RandomFloat(360.0f);
  float dx = 0, dy = 0;
  PolarToXY(&dx, &dy, a, m);
  f[2] += dx;
  f[3] += dy;
  r[3] = e->hp;
}

void UpdatePodBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) SetUpPod(e);
  if (e->phase == 1) {
    if (e->phaseFrames == 1) EnterPodAimedPhase(e);
    if (e->phaseFrames > r[8]) CountPodCycle(e);
  }
  PushPodOnHit(e);
  // The base goes back onto the ship every frame, so the push is an offset that dies away.
  PlacePartAboutParent(e, f[0]);
  e->baseX += f[2];
  e->baseY += f[3];
  f[2] *= 0.8f;
  f[3] *= 0.8f;
  if (r[2] > 0) r[2] -= 1;
  e->facing = NormalizeAngle(e->facing + f[1]);
}

// Bullets thrown upward in a narrow fan that fall back down.
void FirePodLobs(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const Enemy* ship = e->parent;
  if (!ship || !FireGateEvery(e->phaseFrames, r[1])) return;
  if (ship->phase == 1 || !(D() > 3 || ship->phase > 1)) return;
  const bool gun = KindOf(e) == GunPod;
  const int step = gun ? 4 * (D() > 5) + 3 : 7;
  const int type = gun ? 3 : 5;
  const float g = gun ? 0.012f * Df() + 0.06f : 0.012f * Df() + 0.09f;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float shake = RandomFloat(2.4f);
  const float j = (shake - 1.2f) * F(r[2]);
  for (int i = 0; i < r[0]; ++i) {
    const float angle = F((2 * i - (r[0] - 1)) * step / 2) + 90.0f + j;
    EnemyBullet* b = SpawnEnemyBullet(world, type, BulletFaceMotion, ox, oy, angle, 3.5f, 0.52f, 0.52f);
    if (!b) continue;
    b->accelFactor = 1.0f;
    b->friction = 1.0f;
    b->SetBulletAccelPolar(270.0f, g);
    b->stretch = 12.0f;
  }
}

// Aimed fans (68) or lines of rising speed (69), the aim shaken by recent hits.
void FirePodAimed(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const bool gun = KindOf(e) == GunPod;
  if (r[5] < 1 || e->phaseFrames < r[8] || e->phaseFrames <= 2) return;
  if (r[9] % r[5] != 0 || r[9] / r[5] >= r[6]) return;
  if (!gun && r[9] < 0) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float aim = AngleToPlayer(world, ox, oy);
  const float shake = RandomFloat(2.4f);
  const float j = (shake - 1.2f) * F(r[2]);
  const float sc = 0.01f * Df() + 0.47f;
  const int n = r[4];
  const float step = gun ? F(n * 12 + 40) / F(MaxInt(n, 1)) : 0.0f;
  for (int i = 0; i < n; ++i) {
    EnemyBullet* b;
    if (gun) {
      const float angle = F(2 * i - (n - 1)) * step / 2.0f + aim + j;
      b = SpawnEnemyBullet(world, 2, BulletFaceMotion, ox, oy, angle, B(), sc, 0.9f * sc);
    } else {
      b = SpawnEnemyBullet(world, 6, BulletFaceMotion, ox, oy, aim + j, F(i + 4) * B() / 4.0f, sc, 0.9f * sc);
    }
    SetBulletAccelMotion(b, 0.07f, 1.01f, 1.0f - 0.006f * B(), 16.0f);
  }
}

void UpdatePodAttack(GameWorld* world, Enemy* e) {
  if (e->phase == 0) FirePodLobs(world, e);
  else if (e->phase == 1) FirePodAimed(world, e);
}

}  // namespace

void RegisterPodShipEnemies() {
  RegisterEnemyTypeCode(67, UpdateEnemy67Behaviour, UpdateEnemy67Attack);
  RegisterEnemyTypeCode(68, UpdatePodBehaviour, UpdatePodAttack);
  RegisterEnemyTypeCode(69, UpdatePodBehaviour, UpdatePodAttack);
}
