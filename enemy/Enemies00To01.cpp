#include "enemy/Enemies00To01.h"

#include <cmath>

#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// The charge bullet register of set-up 2 holds this while there is none.
constexpr int kNoChargeBullet = BulletIdNone;

// ---- Type 0: phase entries -------------------------------------------------------------------

void EnterRing(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  r[0] = 5;
  r[1] = MaxInt(61 - 18 * D(), 1);
  r[2] = 4000000;
  f[0] = AngleFromEnemyToPlayer(world, e);
  f[1] = -20.0f;
  f[2] = 100.0f;
  f[3] = 90.0f;
  f[4] = 1.8f;
  f[5] = 0.7f;
  f[6] = 0.02f;
}

void EnterCharge(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = MaxInt(120 - 16 * d, 30);
  r[1] = MinInt(12 * d, MaxInt(210 - 25 * d, 40));
  const int extra = RandomInt(r[1]);
  r[2] = r[0] + extra;
  r[3] = 0;
  r[4] = 0;
  r[5] = kNoChargeBullet;
  r[6] = 0;
  r[7] = (d > 0) + (d > 4) * (d - 4) + 2 * (d > 5) * (d - 5);
  r[8] = MaxInt(60 / (4 * d + 1 + 24 * (d > 4)) + 32768 * (d == 0), 1);
  r[9] = r[8];
  f[0] = 2.0f;
  f[1] = 1.0f + 0.6f * Df();
}

void EnterRain(Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  r[0] = MaxInt(60 - 2 * d, 20);
  r[1] = MaxInt(144 / (d + 4 + (d > 4) * (d - 4)), 15);
  r[2] = MinInt(d + MinInt(2 * d, 3) + 6, 16);
  r[3] = 0;
}

void EnterClosingV(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = MaxInt(48 / (d + 3) - 2 * d, 1);
  r[1] = MaxInt(18 - 4 * d, MaxInt(6 - d, 0));
  r[2] = 180 / (d + 3);
  r[3] = 0;
  r[4] = 0;
  r[5] = 0;
  r[6] = (d > 4) * (d - 4) + 1;
  f[0] = 90.0f;
  f[1] = 0.0f;
}

void EnterSpiral(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  r[0] = MaxInt(2 * d + 1, 2);
  r[1] = MaxInt(16 / (MaxInt(d, 1) + 1), 1);
  r[2] = 240 / (d + 3);
  r[3] = 480;
  r[4] = 270 / (d + 3);
  f[0] = RandomFloat(360.0f);
  const int sense = RandomInt(2);
  f[1] = F(2 * sense - 1) * (2.8f * F(r[1]) + 0.861f * Df());
  f[2] = f[1] - SignFloat(f[1]) * Df() * 0.04f;
  f[3] = 0.1f * F(r[1]);
}

// The V's sweep: from the start delay on, the clock counts; at four marks a 91-frame sweep
// starts that closes (odd count) or opens (even count) the V by one degree per frame.
void SweepClosingV(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->phaseFrames < r[2]) return;
  r[3] += 1;
  if (r[3] == 1 || r[3] == 180 || r[3] == 270 || r[3] == 390) {
    r[4] = 91;
    r[5] += 1;
    f[1] = SignIntAsFloat(2 * ((r[5] + 1) % 2) - 1);
  }
  r[4] -= 1;
  f[0] = ClampFloat(f[0] + f[1], 0.0f, 90.0f);
}

// ---- Type 0: attacks -------------------------------------------------------------------------

// A ring bullet that would start heading within 2 degrees of the player is turned 2 degrees
// away (only after the first 120 frames and below difficulty 5).
void ApplyRingMercy(const GameWorld* world, Enemy* e, EnemyBullet* b, float px, float py) {
  if (!(e->phaseFrames > 120 && D() < 5)) return;
  const float a = AngleToPlayer(world, px, py);
  if (AngleDistance(a, b->facing) < 2.0f) {
    const float d = TurnAngleToward(b->direction, a + 180.0f, 2.0f);
    b->SetVelocityPolar(d, b->speed);
    b->facing = d;
  }
}

void AttackRing(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  const int pf = e->phaseFrames;
  if (FireGateEvery(pf, r[1])) {
    const int type = (pf / r[1]) % 12;
    const float sx = 1.2f - (1.0f - F(MinInt(pf, 360)) / 360.0f) * 0.5f;
    for (int i = 0; i < r[0]; ++i) {
      const float p = NormalizeAngle(RingAngleFloat(f[0], i, r[0]));
      const float rad = p * kPi / 180.0f;
      const float px = e->x + std::cos(rad) * f[1];
      const float py = e->y - std::sin(rad) * f[1];
      const float h = NormalizeAngle(p + f[3]);
      EnemyBullet* b = SpawnEnemyBullet(world, type, 0, px, py, h, 0.0f, sx, 1.0f);
      if (!b) continue;
      ApplyRingMercy(world, e, b, px, py);
      SetBulletAccelMotion(b, 0.13f, 1.0f, 0.984f, 0.8f);
    }
  }
  if (pf > 360 && pf < 720 && pf % 20 == 0) {
    const float a = AngleFromEnemyToPlayer(world, e);
    const int type = 64 + (pf / 20) % 12;
    for (int i = 0; i < 60; ++i) {
      SpawnEnemyBullet(world, type, 0, e->x, e->y, a + 6.0f * F(i), B(), 0.6f, 0.6f);
    }
  }
  if (pf > 760) {
    const int k = (pf - 761) % 60;
    if (k < 24) {
      // An integer quotient: the waver widens in whole degrees, one more every 600 frames.
      const float w = MinFloat(F(MaxInt(pf - 2400, 0) / 600), 6.0f);
      const float a = AngleFromEnemyToPlayer(world, e);
      const float jitter = RandomFloat(w);
      EnemyBullet* b = SpawnEnemyBullet(world, 16 + k % 12, 0, e->x, e->y, a + jitter - w / 2.0f, 0.0f, 0.6f, 1.2f);
      SetBulletAccelMotion(b, 0.062f, 1.0f, 0.984f, 1.2f);
    }
  }
}

void AttackCharge(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  const float* f = e->floatRegs;
  // The charge bullet: made when none is held, released when its charge time has run.
  if (r[4] == 0) {
    if (r[3] == 0 && r[5] == kNoChargeBullet) {
      const float cy = e->y + RandomFloat(128.0f) - 64.0f;
      const float cx = e->x + RandomFloat(128.0f) - 64.0f;
      const float a = AngleFromEnemyToPlayer(world, e);
      r[5] = SpawnEnemyBulletWithId(world, nullptr, 9, 0, cx, cy, a, 4.0f + 1.5f * Df(), 1.0f, 1.0f);
      const int extra = RandomInt(r[1]);
      r[2] = r[0] + extra;
      r[6] += 1;
      r[4] += 1;
    }
  } else {
    r[4] += 1;
    if (r[4] >= r[2]) r[3] = 1;
  }
  // The scatter: a batch tagged with the current charge, pulled toward it below.
  r[9] -= 1;
  if (r[9] < 1) {
    for (int i = 0; i < r[7]; ++i) {
      const float sy = 0.3f + RandomFloat(0.12f);
      const float sx = 0.3f + RandomFloat(0.12f);
      const float speed = f[0] + RandomFloat(f[1]);
      const float angle = RandomFloat(360.0f);
      EnemyBullet* b = SpawnEnemyBullet(world, 11, BulletFaceSpin, e->x, e->y, angle, speed, sx, sy);
      const float spin = RandomFloat(48.0f) - 24.0f;
      if (b) {
        b->spinStep = spin;
        b->bulletId = r[6];
      }
    }
    r[9] = r[8];
  }
  if (r[5] == kNoChargeBullet) {
    r[4] = 0;
    return;
  }
  EnemyBullet* q = FindHeldBullet(world, r[5]);
  if (!q) {
    r[5] = kNoChargeBullet;
    r[3] = 0;
    r[4] = 0;
    return;
  }
  if (r[3] == 0) {
    // Growing in place: the base is moved back by the velocity the bullet update will add.
    q->SetBulletBaseScale(q->baseScaleX + 0.005f + 0.003f * Df(), q->baseScaleY + 0.005f + 0.003f * Df());
    q->SetVelocityPolar(AngleFromEnemyToPlayer(world, e), q->speed + 0.003f + 0.0006f * Df());
    q->baseX -= q->vx;
    q->baseY -= q->vy;
  }
  // Every bullet on the field is affected, other enemies' included: the batch (matched by its
  // tag alone) is drawn to the charge, the rest speeds up.
  for (EnemyBullet* b = world->bullets.head; b; b = b->next) {
    if (b->bulletId == r[6]) {
      float ax = 0, ay = 0;
      PolarToXY(&ax, &ay, AngleFromTo(b->x, b->y, q->x, q->y), 0.24f);
      b->SetVelocityXY(b->vx + ax, b->vy + ay);
    } else {
      b->SetVelocityPolar(b->direction, b->speed + 0.06f);
    }
  }
}

void AttackRain(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  if (r[3] < r[0]) return;
  const int n = r[2] + 1;
  const float g = 400.0f / F(MaxInt(r[2], 1));
  const float u = -RandomFloat(g);
  const float v = (B() - 3.5f) * 0.3f + 2.45f;
  const int stack = MaxInt(D() - 4, 0);
  for (int m = 0; m < n; ++m) {
    const float x = u + F(m) * g;
    for (int j = 0; j <= stack; ++j) {
      SpawnEnemyBullet(world, 15, 0, x, 0.0f, 270.0f, 3.0f * v / F(j + 3), 0.5f, 0.5f);
    }
  }
  r[3] = 0;
  r[0] = MaxInt(r[0] - 1, r[1]);
}

void AttackClosingV(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  if (!(r[4] > 0 && FireGateEvery(e->phaseFrames, r[0]))) return;
  const int t = ((r[5] + 1) % 2) * 90 + SignInt(2 * (r[5] % 2) - 1) * r[4];
  if (t < r[1]) return;
  const float a = AngleFromEnemyToPlayer(world, e);
  for (int s = 0; s < 2; ++s) {
    const float sigma = F(2 * s - 1);
    for (int j = 0; j < r[6]; ++j) {
      EnemyBullet* b =
          SpawnEnemyBullet(world, 441 + j, 0, e->x, e->y, a + sigma * (f[0] + 0.7f * F(j)), 0.0f, 0.5f, 0.74f);
      if (!b) continue;
      // Written directly: the bullet update derives the vector from them.
      b->accelAngle = b->facing;
      b->accelMagnitude = 0.0075f * B() + 0.15f + 0.0217f * F(j);
      b->accelFactor = 0.93f;
      b->stretch = 0.6f;
    }
  }
}

void AttackSpiral(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  float* f = e->floatRegs;
  const int pf = e->phaseFrames;
  if (pf > r[2] && FireGateEvery(pf, r[1])) {
    const int q = (pf / r[1]) % 12;
    const float a0 = f[0];
    float o = 0.0f;
    const int n = r[0];
    for (int i = 0; i < n; ++i) {
      for (int s = 0; s < 2; ++s) {
        const float angle = 180.0f * F(s) + a0 + F(2 * s - 1) * (F(n) * f[2] / 2.0f - o);
        const float speed = 3.15f + F(i) * (B() - 3.15f) * 1.3f / F(n);
        SpawnEnemyBullet(world, 400 + q, 0, e->x, e->y, angle, speed, 0.6f, 0.6f);
      }
      o += f[2] + F(2 * i - (n - 1)) * f[3];
    }
    f[0] = NormalizeAngle(f[0] + f[1]);
  }
  if (e->age % 30 == 0 && e->age > 300) {
    EnemyBullet* b = SpawnEnemyBullet(world, 52, 0, e->x, e->y, AngleFromEnemyToPlayer(world, e), B(), 1.0f, 1.0f);
    SetBulletPlainTrail(b, 212, 4, 32, 1.0f, 1.0f);
  }
}

// ---- Type 1 ----------------------------------------------------------------------------------

void EnterHover(Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  f[0] = e->x + RandomFloat(60.0f) - 30.0f;
  f[1] = e->y + RandomFloat(60.0f) - 30.0f;
  r[0] = MinInt(MaxInt(d + (d > 3) - 1, 1), 9);
  r[1] = MaxInt(110 - 14 * d, 1);
  r[2] = MaxInt(9 - d, 3);
  r[3] = -RandomInt(r[1] / 2) - 60 * (d == 0);
}

// A soft spring around a point that wanders by up to 2.5 px per frame on each axis.
void Hover(Enemy* e) {
  float* f = e->floatRegs;
  f[0] += RandomFloat(5.0f) - 2.5f;
  f[1] += RandomFloat(5.0f) - 2.5f;
  const float dx = f[0] - e->x;
  const float dy = f[1] - e->y;
  DampAndPushEnemy(e, 0.96f, Atan2Deg(-dy, dx), 0.006f * Hypot(dx, dy));
}

void EnterFlyThrough(Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  r[0] = MinInt(d + 1, 9);
  r[1] = MaxInt(140 - 20 * d, 1);
  r[2] = MaxInt(8 - d, 1);
  r[3] = -MaxInt(40 + 40 * (d == 0) - 5 * d, 2);
  e->floatRegs[0] = MaxFloat(F((d - 5) * d + 4) * 0.4f, 0.0f);
}

// Loose shots while braking (w the spread) and fleeing.
void FireLooseShot(GameWorld* world, Enemy* e, float w) {
  if (!FireGateEvery(e->phaseFrames, MaxInt(17 - 2 * D(), 2))) return;
  const float sy = 0.4f + RandomFloat(0.1f);
  const float sx = 0.4f + RandomFloat(0.1f);
  const float jitter = RandomFloat(w);
  const float angle = AngleFromEnemyToPlayer(world, e) + jitter - w / 2.0f;
  const int pick = RandomInt(3);
  const int t = 48 + (pick + 11) % 12;
  EnemyBullet* b = SpawnEnemyBullet(world, t, BulletFaceSpin, e->x, e->y, angle, 0.75f * B(), sx, sy);
  if (D() < 6) SetBulletPlainTrail(b, t + 160, 1, 1, 1.1f, 1.1f);
}

// The burst of darts of phases 1 and 10: the cycle clock wraps at the cycle length; a dart
// goes on every spacing-th frame of the cycle's first shots, unless the player is close.
void FireDarts(GameWorld* world, Enemy* e, bool flyThrough) {
  int* r = e->intRegs;
  const int d = D();
  r[3] += 1;
  if (r[3] >= r[1]) r[3] -= r[1];
  if (!(r[3] >= 0 && r[2] >= 1 && r[3] % r[2] == 0 && r[3] / r[2] < r[0])) return;
  if (!(DistanceToPlayer(world, e->x, e->y) > F(180 - 30 * d))) return;
  float ox = 0, oy = 0, angle = 0;
  ShotOriginOf(e, 0, &ox, &oy, &angle);
  if (flyThrough) {
    const float spread = e->floatRegs[0];
    const float jitter = RandomFloat(2.0f * spread);
    angle = angle + jitter - spread;
  }
  const float s = 0.7f + 0.06f * Df();
  EnemyBullet* b = SpawnEnemyBullet(world, 0, 0, ox, oy, angle, 0.0f, s, s);
  const float accel = flyThrough ? 0.23f + 0.03f * F(d - 4 * (d == 0)) : 0.23f + 0.03f * Df();
  SetBulletAccelMotion(b, accel, 1.0f, 0.988f, 7.3f);
  SetBulletPlainTrail(b, 160, 3, MaxInt(18 - 2 * d, flyThrough ? 9 : 6), 2.5f, 2.5f);
}

}  // namespace

void UpdateEnemy0Behaviour(GameWorld* world, Enemy* e) {
  const bool entry = e->phaseFrames == 1;
  float* f = e->floatRegs;
  switch (e->phase) {
    case 0:
      BrakeEnemy(e, 0.9f);
      if (e->speed < 0.2f) {
        e->SetVelocityPolar(e->direction, 0.0f);
        e->SetEnemyPhase(MaxInt(e->intParams[0], 1));
      }
      break;
    case 1:
      if (entry) EnterRing(world, e);
      if (e->phaseFrames > e->intRegs[2]) {
        e->SetEnemyPhase(0);  // restarts the set-up after its (very long) length
        break;
      }
      f[5] += f[6];
      f[0] = NormalizeAngle(f[0] + f[4]);
      f[1] += MinFloat((f[2] - f[1]) * 0.04f, 0.4f);
      f[3] = NormalizeAngle(f[3] + f[5]);
      break;
    case 2:
      if (entry) EnterCharge(e);
      break;
    case 3:
      if (entry) EnterRain(e);
      e->intRegs[3] += 1;
      break;
    case 4:
      if (entry) EnterClosingV(e);
      SweepClosingV(e);
      if (e->phaseFrames > 540) e->phaseFrames = 0;
      break;
    case 5:
      if (entry) EnterSpiral(e);
      if (e->phaseFrames > e->intRegs[2] + e->intRegs[3] + e->intRegs[4]) e->phaseFrames = 0;
      break;
    default:
      break;  // braked and idle: never fires
  }
}

void UpdateEnemy0Attack(GameWorld* world, Enemy* e) {
  switch (e->phase) {
    case 1: AttackRing(world, e); break;
    case 2: AttackCharge(world, e); break;
    case 3: AttackRain(world, e); break;
    case 4: AttackClosingV(world, e); break;
    case 5: AttackSpiral(world, e); break;
    default: break;
  }
}

void UpdateEnemy1Behaviour(GameWorld* world, Enemy* e) {
  const bool entry = e->phaseFrames == 1;
  switch (e->phase) {
    case 0:
      if (BrakeEnemyBelow(e, 0.9f, 0.2f)) e->SetEnemyPhase(1);
      break;
    case 1:
      if (entry) EnterHover(e);
      Hover(e);
      if (e->phaseFrames > 90 &&
          (e->intRegs[3] > e->intRegs[0] * e->intRegs[2] || e->phaseFrames > 120)) {
        e->SetEnemyPhase(2);
      }
      break;
    case 2:
      DampAndPushEnemy(e, 0.96f, AngleFromEnemyToPlayer(world, e) + 180.0f, 0.4f);
      break;
    case 10:
      if (entry) EnterFlyThrough(e);
      if (F(e->age) * e->speed < 400.0f) {
        e->SetVelocityPolar(TurnAngleToward(e->direction, AngleFromEnemyToPlayer(world, e), 3.3f), e->speed);
      }
      e->facing = e->direction;
      break;
    default:
      break;
  }
  if (e->launcherCount > 0) e->launchers[0].aimAngle = AngleFromEnemyToPlayer(world, e);
}

void UpdateEnemy1Attack(GameWorld* world, Enemy* e) {
  const int d = D();
  switch (e->phase) {
    case 0:
      if (d > 4) FireLooseShot(world, e, MinFloat(5.0f * Df(), 40.0f));
      break;
    case 2:
      if (d > 2) FireLooseShot(world, e, 11.0f * Df());
      break;
    case 1: FireDarts(world, e, false); break;
    case 10: FireDarts(world, e, true); break;
    default: break;
  }
}

void RegisterPhasedEnemies() {
  RegisterEnemyTypeCode(0, UpdateEnemy0Behaviour, UpdateEnemy0Attack);
  RegisterEnemyTypeCode(1, UpdateEnemy1Behaviour, UpdateEnemy1Attack);
}
