// The carrier family: the inert block (20), the spinning drone (21), the drone carrier that sows
// drones and fires columns from its corners (22), the heavy ship that crosses over and vanishes
// (23) and the gunship with its two streams (24). The drones are independent enemies without a
// parent link: they live on when the carrier dies.

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kCarrierDroneType = 21;

// Type 20 has no bodies: it drifts on its spawn velocity and options cannot lock onto it.

// ---- Type 21: spinning drone -----------------------------------------------------------------

void UpdateEnemy21Behaviour(GameWorld* world, Enemy* e) {
  (void)world;
  float* f = e->floatRegs;
  if (f[0] == 0.0f) {
    const float side = RandomSignFloat();
    const float spin = RandomFloat(32.0f);
    f[0] = side * (16.0f + spin);
  }
  // The launch speed decays toward 2 px per frame.
  e->SetVelocityPolar(e->direction, (e->speed - 2.0f) * 0.9f + 2.0f);
  e->facing = NormalizeAngle(e->facing + f[0]);
}

// ---- Type 22: drone carrier ------------------------------------------------------------------

void TurnCarrierRate(Enemy* e) { e->floatRegs[0] = e->floatRegs[0] * 0.98f + 0.08f + 0.023f * Df(); }

void HomeCarrier(Enemy* e, float target, float speed) {
  e->SetVelocityPolar(TurnAngleToward(e->direction, target, e->floatRegs[0]), speed);
  e->facing = e->direction;
}

void UpdateEnemy22Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  const int s = g_stage;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[0] = MinInt((s + d + d * MaxInt(d - 3, 1)) / 7 + 1, MinInt(d / 3 + 4, 8));
        r[1] = 360 / (4 * d + 3);
        f[0] = 0.0f;
      }
      if (e->phaseFrames >= 22) {  // before that it keeps its spawn velocity
        TurnCarrierRate(e);
        HomeCarrier(e, AngleFromEnemyToPlayer(world, e), e->speed * 0.95f);
      }
      if (e->phaseFrames >= r[1] + 30) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[2] = MaxInt(d - 1, 0) * MaxInt(d - 1, 1) + 4;
        r[3] = MaxInt(d - 3, 0) + 1;
        r[4] = TriangleWave(MinInt(d, 6), 8);
        r[5] = 0;
        r[6] = 0;
        r[7] = RandomInt(4);
        r[8] = 60 / (d + 1);
        r[9] = 160 / (d + 2);
      }
      TurnCarrierRate(e);
      HomeCarrier(e, AngleFromEnemyToPlayer(world, e), e->speed * 0.93f);
      // The turn-away wait starts one volley before the last.
      if (r[5] >= r[2]) r[9] -= 1;
      if (r[9] < 1) e->SetEnemyPhase(2);
      break;
    case 2:
      f[0] *= 0.96f;
      HomeCarrier(e, AngleFromEnemyToPlayer(world, e) + 180.0f, e->speed * 0.98f + 0.14f);
      break;
    default:
      break;
  }
  // Full hit points in its first frames from difficulty 3 on; a hit below 1 still kills it.
  if (e->age < MinInt(6 * d - 15, 25) && e->hp > 0) e->hp = e->maxHp;
}

void LaunchCarrierDrone(GameWorld* world, Enemy* e) {
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const int h = 3 * g_difficulty + 8;
  const float a = AngleFromEnemyToPlayer(world, e);
  const float speed = 6.0f + RandomFloat(4.0f);
  const float spread = RandomFloat(F(2 * h));
  LaunchEnemy(world, kCarrierDroneType, ox, oy, a - F(h) + spread, speed);
}

// Columns from the four corners in turn; with no interval (difficulty 0) every volley leaves in
// one frame.
void FireCarrierColumns(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  r[6] -= 1;
  const float h = MaxFloat(2.1f * Df() - 5.0f, 0.0f);
  const float sc = 0.34f + 0.02f * Df();
  while (r[5] <= r[2] && r[6] <= 0) {
    const int corner = r[7] + 1;
    float ox = 0, oy = 0;
    LauncherPosition(e, corner, &ox, &oy);
    const float aim = AngleToPlayer(world, ox, oy);
    const float spread = RandomFloat(2.0f * h);
    const float a = aim - h + spread;
    for (int i = 0; i < r[3]; ++i) SpawnEnemyBullet(world, 393, kFaceLaunchAngle, ox, oy, a, F(i + 5) * B() / 5.0f, sc, sc);
    r[5] += 1;
    r[6] = r[4];
    r[7] = (r[7] + 1) % 4;
  }
}

void UpdateEnemy22Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int age = e->age;
  if (age % 4 == 0 && age >= 8 && (age - 8) / 4 < r[0]) LaunchCarrierDrone(world, e);
  if (e->phase == 1 && e->phaseFrames >= r[8]) FireCarrierColumns(world, e);
}

// ---- Type 23: heavy ship ---------------------------------------------------------------------

constexpr int kShipBarrels[2] = {3, 4};

void AimShipBarrels(GameWorld* world, Enemy* e) {
  for (int b : kShipBarrels) {
    EnemyLauncher& l = e->launchers[b];
    l.aimAngle = TurnAngleToward(l.aimAngle, AngleToPlayer(world, l.x, l.y), 4.0f);
  }
}

void UpdateEnemy23Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        e->facing = 270.0f;  // it never turns afterwards
        f[0] = e->x;
        f[1] = 160.0f;
        r[0] = 2 * d + 4;
        r[1] = 1980 / (7 * d + 11);
        r[2] = MaxInt(((d + 1) / 2) * 2, 1);
        r[3] = MaxInt(d + 1 + 2 * (d > 3) * (d - 3), 2);
        r[4] = MinInt(3 * r[3] + 30, 110) / r[3];
        r[5] = 0;
        r[6] = MaxInt(2 * d - 8, 1);
        r[7] = MinInt(d + 1, 6);
        r[8] = 0;
        f[2] = ClampFloat(1.6f * Df() - 4.2f, 0.0f, 2.2f);
      }
      AimShipBarrels(world, e);
      if (e->phaseFrames > 32) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) {
        // The steer target mirrored toward the other side and raised.
        r[5] = 0;
        f[0] = 180.0f + 0.7f * (180.0f - e->x);
        f[1] = 0.4f * e->y + 60.0f;
      }
      AimShipBarrels(world, e);
      if (e->phaseFrames > 110) e->SetEnemyPhase(2);
      break;
    case 2:
      if (e->phaseFrames == 1) {
        r[8] = 0;
      } else {
        // Opposite sweeps, not normalised.
        e->launchers[3].aimAngle -= f[2];
        e->launchers[4].aimAngle += f[2];
      }
      // Far off the field: the off-field removal takes it without a kill or a reward.
      if (e->phaseFrames > 80) e->baseX = -128000.0f;
      break;
    default:
      break;
  }
  SteerEnemyToward(e, f[0], f[1], 0.13f, 0.982f, 0.982f);
}

// Pulsing fans from the two side points, the middle of each fan fastest.
void FireShipFans(GameWorld* world, Enemy* e) {
  const int n = e->intRegs[2];
  const float w = 12.0f - 0.8f * Df();
  for (int l = 1; l <= 2; ++l) {
    float ox = 0, oy = 0;
    LauncherPosition(e, l, &ox, &oy);
    const float a = AngleToPlayer(world, ox, oy);
    for (int i = 0; i < n; ++i) {
      const float speed = F(TriangleWaveOdd(i, n) + 6) * B() * 0.125f;
      EnemyBullet* q =
          SpawnEnemyBullet(world, 411, kFaceLaunchAngle, ox, oy, a + F(2 * i - (n - 1)) * w, speed, 0.7f, 0.7f);
      if (q) q->SetBulletPulse(0.1f, 90.0f, 11.0f);
    }
  }
}

void FireShipBarrelBursts(GameWorld* world, Enemy* e) {
  const int n = e->intRegs[6];
  for (int b : kShipBarrels) {
    const float side = b == 3 ? -1.0f : 1.0f;
    float ox = 0, oy = 0, aim = 0;
    ShotOriginOf(e, b, &ox, &oy, &aim);
    for (int j = 0; j < n; ++j)
      SpawnEnemyBullet(world, 377, kFaceLaunchAngle, ox, oy, aim + side * 9.0f * F(j), 1.6f * B(), 1.0f, 1.0f);
  }
}

// Every other ring above difficulty 3 has one bullet straight at the player; the others leave
// it in the gap between two bullets.
void FireShipRing(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int n = r[0];
  if (n < 1) return;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const int gap = (g_difficulty <= 3 || (e->age / r[1]) % 2 == 0) ? 1 : 0;
  // Both quotients are integers, truncated: a ring of 14 lies at 0, 25, 51, ... with a gap of 12.
  const float a = AngleFromEnemyToPlayer(world, e) + F(gap * 180 / n);
  const float sx = 0.6f + 0.03f * Df();
  for (int i = 0; i < n; ++i) {
    EnemyBullet* q = SpawnEnemyBullet(world, 8, kFaceLaunchAngle, ox, oy, RingAngle(a, i, n), 2.4f * B(), sx, 0.8f);
    if (!q) continue;
    // The ring bursts out and settles near 2 px per frame.
    q->stretch = 3.0f;
    q->friction = 0.826f;
    q->SetBulletAccelPolar(q->facing, 0.42f);
  }
}

void UpdateEnemy23Attack(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  if (e->phase == 1 && FireGateEvery(e->phaseFrames, r[4]) && r[5] < r[3]) {
    FireShipFans(world, e);
    r[5] += 1;
  }
  if (e->phase == 2) {
    const int t = e->phaseFrames - 1;
    if (t >= 0 && t % 4 == 0 && r[8] < r[7]) {
      FireShipBarrelBursts(world, e);
      r[8] += 1;
    }
  }
  if (FireGateEvery(e->age, r[1])) FireShipRing(world, e);
}

// ---- Type 24: gunship ------------------------------------------------------------------------

void UpdateEnemy24Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = d + (d > 3) * (d - 3) * (d - 2);
    r[1] = MaxInt(12 - d - (d > 3) * (d - 3), 1);
    r[2] = ((3 * d + 100) * 16) / (6 * MinInt(d, 4) + d + 16);
    f[0] = MaxFloat(3.0f * Df() - 4.5f, 0.0f);
    r[3] = MaxInt(2 * d - 2 + 2 * (d > 4), 1);
    r[4] = (r[3] + 60) / r[3];
    r[5] = (d > 4) * (d - 4) + 1;
    r[6] = r[2] + MinInt(8 * MaxInt(r[1], 3), 40);
  }
  switch (e->phase) {
    case 0:
      SteerEnemyTowardPlayer(world, e, 0.11f, 0.987f, 0.982f);
      if (e->age > r[2]) e->SetEnemyPhase(1);  // stream A has begun
      break;
    case 1:
      e->SetVelocityXY(0.989f * e->vx, 0.993f * e->vy - 0.04f);  // slows and drifts up
      if (e->age > r[6]) e->SetEnemyPhase(2);  // stream B has begun
      break;
    case 2: {
      // Follows the player sideways and backs away from it.
      float ax = 0, ay = 0;
      PolarToXY(&ax, &ay, AngleFromEnemyToPlayer(world, e), 0.06f);
      e->SetVelocityXY(0.991f * e->vx + ax, 0.991f * e->vy - ay);
      break;
    }
    default:
      break;
  }
  e->facing = 270.0f;
}

// Accelerating bolts from the nose, three draws a shot.
void FireGunshipBolt(GameWorld* world, Enemy* e) {
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float aim = AngleToPlayer(world, ox, oy);
  const float side = RandomSignFloat();
  const float spread = RandomFloat(e->floatRegs[0]);
  const float a = aim + side * spread;
  const int type = 9 - RandomInt(2);
  const float sc = 0.78f + 0.06f * Df();
  EnemyBullet* q = SpawnEnemyBullet(world, type, BulletFaceMotion, ox, oy, a, 0.0f, sc, sc);
  SetBulletAccelAt(q, a, 0.12f, 1.014f, 0.985f, 3.6f);
}

// Spinning pairs from both wing points: each aimed from its point at difficulty 0 and on odd
// volleys above 3, otherwise parallel, aimed from the body.
void FireGunshipPairs(GameWorld* world, Enemy* e, int v) {
  const int d = g_difficulty;
  const int n = e->intRegs[5];
  const bool fromPoint = d == 0 || (d > 3 && v % 2 == 1);
  for (int l = 1; l <= 2; ++l) {
    const float side = l == 1 ? -1.0f : 1.0f;
    float ox = 0, oy = 0;
    LauncherPosition(e, l, &ox, &oy);
    const float a = fromPoint ? AngleToPlayer(world, ox, oy) : AngleFromEnemyToPlayer(world, e);
    for (int j = 0; j < n; ++j) {
      EnemyBullet* q =
          SpawnEnemyBullet(world, 91, BulletFaceSpin, ox, oy, a + F(2 * j - (n - 1)) * 2.8f, 1.15f * B(), 0.55f, 0.43f);
      if (q) q->spinStep = 17.0f * side;
    }
  }
}

// Both streams count the age, not the phase. Deliberate: the phase changes at the streams'
// start ages skip that frame's attack, so at difficulty 7 two stream-A bolts are never fired.
void UpdateEnemy24Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  int v = 0;
  if (FireGateCounted(e->age, r[2], r[1], r[0], nullptr)) FireGunshipBolt(world, e);
  if (FireGateCounted(e->age, r[6], r[4], r[3], &v)) FireGunshipPairs(world, e, v);
}

}  // namespace

void RegisterCarrierEnemies() {
  RegisterEnemyTypeCode(21, UpdateEnemy21Behaviour, nullptr);
  RegisterEnemyTypeCode(22, UpdateEnemy22Behaviour, UpdateEnemy22Attack);
  RegisterEnemyTypeCode(23, UpdateEnemy23Behaviour, UpdateEnemy23Attack);
  RegisterEnemyTypeCode(24, UpdateEnemy24Behaviour, UpdateEnemy24Attack);
}
