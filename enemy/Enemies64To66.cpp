// The large ship (64) with its two side guns (65) and its rear turret (66). The ship streaks
// across the field, comes back from the top, hovers and alternates an aimed spread with twin
// rings and a fan; it switches its parts on during its first spread and takes them along when
// it leaves at age 1500.

#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Type 64: the ship -----------------------------------------------------------------------

enum ShipPhase { ShipStreak = 0, ShipBrake = 1, ShipSpread = 2, ShipRings = 3, ShipLeave = 99 };

constexpr int kShipLeaveAge = 1500;
constexpr int kSideGunSlots[2] = {0, 1};
constexpr int kTurretSlot = 2;

void EnterShipSpread(Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  r[0] = 60;
  r[1] = 26 / (d + 2);
  r[2] = 80 / (d + 2);
  r[3] = 3;
  r[4] = 1320 / (d + 6);
  e->floatRegs[2] = 8.0f * Df() + 40.0f;
}

void EnterShipRings(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = 450;
  r[1] = 1080 / (d + 6);
  r[2] = 2 * d + 1;
  r[3] = d + 3;
  r[4] = MaxInt(7 - d, 1);
  r[5] = 144 / (d + 2);
  f[2] = RandomFloat(360.0f);
  const int s = RandomInt(2) * 2 - 1;
  const float turn = RandomFloat(0.03f);
  f[3] = (turn + 0.2f) * F(s);
  r[6] = 320 - 13 * d;
  r[7] = 360;
  r[8] = MaxInt(d - 2, 0) * 2 + 1;
  r[9] = MaxInt(12 - 2 * d, 1);
  f[4] = 4.0f - 0.5f * Df();
  f[5] = 1.2f * Df() + 6.0f;
}

// A part in the slot that exists and is not firing yet starts firing.
void SwitchPartOn(Enemy* e, int slot) {
  Enemy* part = EnemyChildAt(e, slot);
  if (part && part->phase != 1) part->SetEnemyPhase(1);
}

void UpdateEnemy64Behaviour(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    e->baseX = -300.0f;
    e->baseY = 500.0f;
    SpawnCatalogueChildren(world, e);
    const float heading = RandomFloat(4.0f);
    e->SetVelocityPolar(43.0f + heading, 32.0f);
    e->facing = e->direction;
  }
  switch (e->phase) {
    case ShipStreak:
      if (e->x > 1800.0f) {
        const float bx = RandomFloat(40.0f);
        e->baseX = bx + 200.0f;
        e->baseY = -200.0f;
        const float heading = RandomFloat(10.0f);
        e->SetVelocityPolar(heading + 260.0f, 15.0f);
        e->facing = 270.0f;
        e->SetEnemyPhase(ShipBrake);
      }
      break;
    case ShipBrake:
      if (e->y > 0.0f) BrakeEnemy(e, 0.85f);
      if (e->y > 0.0f && e->speed < 0.01f) {
        const float tx = RandomFloat(60.0f);
        f[0] = tx + 150.0f;
        const float ty = RandomFloat(30.0f);
        f[1] = ty + 120.0f;
        e->SetEnemyPhase(ShipSpread);
      }
      break;
    case ShipSpread: {
      if (e->phaseFrames == 1) EnterShipSpread(e);
      const int cycle = r[0] + r[2];
      if (FireGateEvery(e->phaseFrames, cycle)) r[1] = MaxInt(r[1] - 1, 1);
      if (e->phaseFrames == r[0] + 2 * r[2]) {
        for (int slot : kSideGunSlots) SwitchPartOn(e, slot);
      }
      if (e->phaseFrames == cycle * r[3]) SwitchPartOn(e, kTurretSlot);
      if (e->phaseFrames > r[0] * r[3] + r[2] * (r[3] - 1) + r[4]) e->SetEnemyPhase(ShipRings);
      break;
    }
    case ShipRings:
      if (e->phaseFrames == 1) EnterShipRings(e);
      if (e->phaseFrames > r[0] + r[1]) e->SetEnemyPhase(ShipSpread);
      break;
    case ShipLeave:
      e->SetVelocityXY(e->vx * 0.5f, e->vy * 0.5f - 1.2f);
      if (e->y < -100.0f) RemoveEnemyWithParts(e);
      break;
    default:
      break;
  }
  if (e->age == kShipLeaveAge) e->SetEnemyPhase(ShipLeave);
  if (e->phase == ShipSpread || e->phase == ShipRings) {
    // The hover target wanders inside its box; the ship drifts toward it.
    const float dx = RandomFloat(4.0f);
    f[0] = ClampFloat(f[0] + dx - 2.0f, 150.0f, 210.0f);
    const float dy = RandomFloat(4.0f);
    f[1] = ClampFloat(f[1] + dy - 2.0f, 120.0f, 150.0f);
    SteerEnemyToward(e, f[0], f[1], 0.04f, 0.986f, 0.986f);
  }
}

// Aimed shots with a random spread from the nose, intRegs[3] cycles of a firing and a quiet part.
void FireShipSpread(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int cycle = r[0] + r[2];
  if (SafeDiv(e->phaseFrames, cycle) >= r[3]) return;
  if (!FireGateBefore(SafeMod(e->phaseFrames, cycle), r[0], r[1])) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const int big = RandomInt(2);
  const float sc = F(big) * 0.3f + 0.33f;
  const float spread = e->floatRegs[2];
  const float jitter = RandomFloat(spread);
  const float angle = AngleToPlayer(world, ox, oy) + jitter - spread / 2.0f;
  const int type = 96 + RandomInt(2);
  SpawnEnemyBullet(world, type, BulletFaceMotion, ox, oy, angle, B(), sc, sc);
}

// Rings from both rear corners, turning in opposite directions.
void FireShipTwinRings(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  const int burst = r[2] * r[4];
  const int t = SafeMod(e->phaseFrames - 1, burst + r[5]);
  if (!FireGateBefore(t, burst, r[4])) return;
  for (int i = 0; i < 2; ++i) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, i + 1, &ox, &oy, &unused);
    const float a = F((2 * i - 1) * e->phaseFrames) * f[3] + f[2];
    for (int j = 0; j < r[3]; ++j) {
      SpawnEnemyBullet(world, 140, BulletFaceSpin, ox, oy, RingAngle(a, j, r[3]), 0.5f * B(), 0.4f, 0.4f);
    }
  }
}

// An aimed fan from the nose whose speed ramps over its window, whatever the bullet speed base.
void FireShipFan(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  const int pf = e->phaseFrames;
  if (pf < r[6] || pf >= r[7] || !FireGateEvery(pf, r[9])) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float aim = AngleToPlayer(world, ox, oy);
  const float s = f[4] + (f[5] - f[4]) * F(pf - r[6]) / F(r[7] - r[6]);
  for (int j = 0; j < r[8]; ++j) {
    SpawnEnemyBullet(world, 107, BulletFaceMotion, ox, oy, aim + F((2 * j - (r[8] - 1)) * 13), s, 0.55f, 0.55f);
  }
}

void UpdateEnemy64Attack(GameWorld* world, Enemy* e) {
  switch (e->phase) {
    case ShipSpread:
      FireShipSpread(world, e);
      break;
    case ShipRings:
      if (e->phaseFrames >= e->intRegs[0]) break;
      FireShipTwinRings(world, e);
      FireShipFan(world, e);
      break;
    default:
      break;
  }
}

// ---- Type 65: side gun -----------------------------------------------------------------------

void UpdateEnemy65Behaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  if (e->age == 1) {
    f[0] = F(e->indexInParent * 180 + 90);
    e->orbitRadius = 160.0f;
  }
  PlacePartAboutParent(e, f[0]);
  e->facing = e->parent->facing;
  e->launchers[0].aimAngle = AngleFromEnemyToPlayer(world, e);
  if (e->phase == 1 && e->phaseFrames == 1) {
    r[0] = 4 * d + 12;
    r[1] = MaxInt(20 / (d + 2 + 4 * (d > 4) * (d - 4)), 1);
    r[2] = MaxInt(960 / (d + 3 + 120 * (d > 5)), 1);
    f[1] = 1.4f * Df();
  }
}

// Bullets that start at rest on the barrel's line and gather speed.
void UpdateEnemy65Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 1) return;
  const int* r = e->intRegs;
  if (!FireGateBefore(SafeMod(e->phaseFrames, r[0] + r[2]), r[0], r[1])) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float sc = 0.04f * Df() + 0.86f;
  const float spread = e->floatRegs[1];
  const float jitter = RandomFloat(spread);
  const float angle = AngleToPlayer(world, ox, oy) + jitter - spread / 2.0f;
  const int type = 4 - RandomInt(2);
  EnemyBullet* b = SpawnEnemyBullet(world, type, BulletFaceMotion, ox, oy, angle, 0.0f, sc, sc);
  if (!b) return;
  b->stretch = 1.6f;
  b->friction = 0.985f;
  b->accelFactor = 1.04f;
  b->SetBulletAccelPolar(angle, 0.01f);
}

// ---- Type 66: rear turret --------------------------------------------------------------------

void UpdateEnemy66Behaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  if (e->phaseFrames == 1) {
    f[0] = 180.0f;
    e->orbitRadius = 90.0f;
  }
  PlacePartAboutParent(e, f[0]);
  if (e->phase == 1 && e->phaseFrames == 1) {
    r[0] = d / 2 + 3 * (d > 5) + 1 + 7 * (d > 6);
    r[1] = 3 * d + 8 - 11 * (d > 5);
    r[2] = MaxInt(16 - d - 5 * (d > 5), 3);
    r[3] = 1440 / (d + 3 + 80 * (d > 5));
  }
}

// Bursts of rings, aimed and half-step turned in turn.
void UpdateEnemy66Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 1) return;
  const int* r = e->intRegs;
  const int burst = r[0] * r[2];
  const int t = SafeMod(e->phaseFrames - 1, burst + r[3]);
  if (!FireGateBefore(t, burst, r[2])) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float aim = AngleToPlayer(world, ox, oy);
  const int q = (t / r[2]) % 2;
  for (int j = 0; j < r[1]; ++j) {
    const float angle = RingAngle(aim, j, r[1]) + F(q * 180 / r[1]);
    SpawnEnemyBullet(world, 81 + q, BulletFaceMotion, ox, oy, angle, B(), 1.0f, 1.0f);
  }
}

}  // namespace

void RegisterLargeShipEnemies() {
  RegisterEnemyTypeCode(64, UpdateEnemy64Behaviour, UpdateEnemy64Attack);
  RegisterEnemyTypeCode(65, UpdateEnemy65Behaviour, UpdateEnemy65Attack);
  RegisterEnemyTypeCode(66, UpdateEnemy66Behaviour, UpdateEnemy66Attack);
}
