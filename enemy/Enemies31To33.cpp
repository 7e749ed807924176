// The heavy carriers: the ring launcher (31) that holds a point, fires layered fans and releases
// growing rings of enemies of the type its stage line names; the sweeping gun platform (32); and
// the stationary mid-boss (33) with four independent weapons on its ring, flank and corner points.

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// (ax, ay) = polar(angle away from the player, g); velocity = (k vx + ax, k vy - |ay|): it
// backs away from the player and always climbs.
void ClimbAwayFromPlayer(const GameWorld* world, Enemy* e, float g, float k) {
  float ax = 0, ay = 0;
  PolarToXY(&ax, &ay, AngleFromEnemyToPlayer(world, e) + 180.0f, g);
  e->SetVelocityXY(k * e->vx + ax, k * e->vy - std::fabs(ay));
}

// ---- Type 31: ring launcher ------------------------------------------------------------------

enum LauncherPhase { LauncherBraking = 0, LauncherFans = 1, LauncherRings = 2, LauncherClimbing = 3 };

void HoldLauncherPoint(Enemy* e) {
  const float* f = e->floatRegs;
  SteerEnemyFromWithJitter(e, e->baseX, e->baseY, f[0], f[1], 0.08f, 0.93f, 0.3f, 0.15f);
}

void UpdateEnemy31Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    if (e->intParams[0] < 1) e->intParams[0] = 1;  // the type launched: type 1 unless the stage says
    r[0] = ((d + 1) / 2) * 2 + 3;
    r[1] = MinInt(d / 2 + 1, 4);
    r[2] = (d > 4) + 1 + (d > 6);
    r[3] = MaxInt(50 / r[1], 8);
    r[4] = MaxInt(80 / (d + 2), 0);
    r[5] = MaxInt(52 / (d + 2), 2);
    r[6] = LauncherRings;
    r[7] = d + 5 + (d == 1) - 3 * (d > 1) - 3 * (d > 3);
    r[8] = (d > 1) + 1 + (d > 3);
    r[9] = MaxInt(40 / r[8], 8);
    r[10] = MaxInt(12 - d, 2);
    r[11] = MaxInt(450 / (d + 6), 0);
  }
  switch (e->phase) {
    case LauncherBraking:
      if (BrakeEnemyBelow(e, 0.9f, 2.5f)) {
        f[0] = e->baseX + 20.0f * e->vx;  // a point ahead on its course
        f[1] = e->baseY + 20.0f * e->vy;
        e->SetEnemyPhase(LauncherFans);
      }
      break;
    case LauncherFans:
      HoldLauncherPoint(e);
      if (e->phaseFrames > r[4] + r[3] * r[1] + r[5]) e->SetEnemyPhase(r[6]);
      break;
    case LauncherRings:
      HoldLauncherPoint(e);
      if (e->phaseFrames > r[10] + r[8] * r[9] + r[11]) {
        r[6] = LauncherClimbing;
        e->SetEnemyPhase(LauncherFans);
      }
      break;
    case LauncherClimbing:
      ClimbAwayFromPlayer(world, e, 0.4f, 0.93f);
      break;
    default:
      break;
  }
  e->launchers[0].aimAngle = AngleFromEnemyToPlayer(world, e);
}

// Odd fans have one bullet fewer; odd speed layers are pairs of small bullets.
void FireLauncherFan(GameWorld* world, Enemy* e, int v) {
  const int* r = e->intRegs;
  float ox = 0, oy = 0, a = 0;
  ShotOriginOf(e, 0, &ox, &oy, &a);
  const int n = r[0] - v % 2;
  if (n < 1) return;
  // An integer spacing, truncated: 14 degrees for 5 bullets, 13 for 7, 12 for 9 to 11.
  const int w = (10 * n + 24) / n;
  for (int i = 0; i < n; ++i) {
    for (int q = 0; q < r[2]; ++q) {
      const int odd = q % 2;
      for (int j = 0; j <= odd; ++j) {
        const float angle = a + F((2 * i - (n - 1)) * w) + F(2 * j - odd) * 2.8f;
        const float scale = 0.9f - 0.5f * F(odd);
        EnemyBullet* b =
            SpawnEnemyBullet(world, 11, BulletFaceSpin, ox, oy, angle, (1.2f - 0.2f * F(q)) * B(), scale, scale);
        if (!b) continue;
        b->spinStep = F(2 * ((v + q) % 2) - 1) * 14.6f;
        b->SetBulletPulse(0.1f, 0.0f, 23.0f);
      }
    }
  }
}

void UpdateEnemy31Attack(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  int v = 0;
  if (e->phase == LauncherFans) {
    if (FireGateCounted(e->phaseFrames, r[4], r[3], r[1], &v)) FireLauncherFan(world, e, v);
  } else if (e->phase == LauncherRings) {
    if (!FireGateCounted(e->phaseFrames, r[10], r[9], r[8], &v)) return;
    const float base = RandomFloat(360.0f);
    for (int i = 0; i < r[7]; ++i)
      LaunchEnemy(world, e->intParams[0], e->x, e->y, RingAngle(base, i, r[7]), 9.0f + 2.8f * F(v));
    r[7] += 1;  // each ring one enemy larger
  }
}

// ---- Type 32: sweeping gun platform ----------------------------------------------------------

enum PlatformPhase { PlatformBraking = 0, PlatformSweeping = 1, PlatformClimbing = 2 };

// 1: the barrel starts 90 degrees clockwise of the facing and turns counter-clockwise; 0: the
// reverse. Chosen by the stage line's parameter 0.
int PlatformSweepSide(const GameWorld* world, const Enemy* e) {
  switch (e->intParams[0]) {
    case -2: return 0;
    case -1: return 1;
    case 1: return e->baseX >= 180.0f;
    case 2: return world->player.x < 180.0f;
    case 3: return world->player.x >= 180.0f;
    default: return e->baseX < 180.0f;
  }
}

void UpdateEnemy32Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = MaxInt(240 / (d * d + 1), 1);
    r[1] = (d > 3);
    r[3] = MaxInt(60 / (2 * d + 3) - d / 3 + 1, 1);
    r[4] = MaxInt(120 / (d + 3), 2);
    r[5] = MaxInt(140 / (d + 7), 2);
    r[2] = PlatformSweepSide(world, e);
    f[0] = -F(2 * r[2] - 1) * 90.0f;
    f[1] = 4.5f;
    r[6] = FloatToInt(180.0f / f[1]);  // 40 frames of sweep
    r[7] = RandomInt(r[3]);
  }
  switch (e->phase) {
    case PlatformBraking:
      BrakeEnemy(e, 0.9f);
      e->facing = AngleFromEnemyToPlayer(world, e);
      e->launchers[0].aimAngle = NormalizeAngle(e->facing + f[0]);
      if (e->speed < 4.0f) {
        f[2] = e->baseX + 15.0f * e->vx;
        f[3] = e->baseY + 15.0f * e->vy;
        e->SetEnemyPhase(PlatformSweeping);
      }
      break;
    case PlatformSweeping:
      SteerEnemyFromWithJitter(e, e->x, e->y, f[2], f[3], 0.15f, 0.93f, 0.6f, 0.3f);
      // The facing stays what it was when it stopped: the barrel sweeps 180 degrees across it.
      if (InFrameWindow(e->phaseFrames, r[4], r[6])) {
        r[7] = SafeMod(r[7] + 1, r[3]);
        f[0] = NormalizeAngle(f[0] + F(2 * r[2] - 1) * f[1]);
        e->launchers[0].aimAngle = NormalizeAngle(e->facing + f[0]);
      }
      if (e->phaseFrames - r[4] >= r[6] + r[5]) {
        r[1] = (d > 2);
        e->SetEnemyPhase(PlatformClimbing);
      }
      break;
    case PlatformClimbing:
      ClimbAwayFromPlayer(world, e, 0.22f, 0.9f);
      break;
    default:
      break;
  }
}

// Flies out in a random direction and curls back toward the platform's facing.
void FirePlatformSpray(GameWorld* world, Enemy* e) {
  const float a = RandomFloat(360.0f);
  EnemyBullet* b = SpawnEnemyBullet(world, 379, BulletFaceMotion, e->x, e->y, a, B(), 0.5f, 0.5f);
  const float curl = RandomFloat(40.0f);
  if (!b) return;
  b->accelFactor = 1.01f;
  b->friction = 0.96f;
  b->SetBulletAccelPolar(e->facing + curl - 20.0f, 0.04f + 0.0033f * Df());
  b->stretch = F(26 / (g_difficulty + 4));  // an integer quotient: 3, 3, 2, 2, 2 at difficulties 3 to 7
}

void FirePlatformSweepShot(GameWorld* world, Enemy* e) {
  float ox = 0, oy = 0, a = 0;
  ShotOriginOf(e, 0, &ox, &oy, &a);
  const float s = 0.65f + 0.03f * Df();
  EnemyBullet* b = SpawnEnemyBullet(world, 10, kFaceLaunchAngle, ox, oy, a, 0.0f, s, 0.88f * s);
  SetBulletAccelMotion(b, 0.18f + 0.01f * Df(), 1.0f, 0.988f, 7.3f);
  if (b) SetBulletPlainTrail(b, b->type + 160, 3, MaxInt(18 - 2 * g_difficulty, 6), 0.3f, 0.3f);
}

void UpdateEnemy32Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int pf = e->phaseFrames;
  if (e->phase == PlatformBraking || e->phase == PlatformClimbing) {
    if (r[1] > 0 && r[0] >= 1 && (pf - 2) % r[0] == 0) FirePlatformSpray(world, e);
  } else if (e->phase == PlatformSweeping) {
    if (InFrameWindow(pf, r[4], r[6]) && r[7] == 0) FirePlatformSweepShot(world, e);
  }
}

// ---- Type 33: stationary mid-boss ------------------------------------------------------------

constexpr int kRingPointFirst = 1;  // launch points 1 to 10 ring the body
constexpr int kRingPoints = 10;
constexpr int kFlankPointFirst = 11;  // 11 to 13 on one flank, 14 to 16 on the other
constexpr int kCornerPointFirst = 17;  // 17 to 20
constexpr int kCornerPoints = 4;
constexpr int kClusterTiers = 3;

void UpdateEnemy33Behaviour(GameWorld* world, Enemy* e) {
  (void)world;
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = (d > 3) * (d - 2) + 1;
    r[1] = (d / 2) * 2 + 4 + 4 * (d > 0);
    r[2] = MaxInt((4 * r[1] + 24) / MaxInt(r[1], 1), 1);
    r[3] = MaxInt(540 / (d + 3), 1);
    r[4] = 0;
    r[16] = (d + 1) / 2 + 4;
    r[17] = MaxInt(1440 / (d + 6), 1);
    r[18] = ((d > 3) * r[17]) / 2;  // from difficulty 4 the first spiral comes at half the period
    r[32] = MaxInt((d - 1) / 2, 0);
    r[33] = (d + 1) / 2 + ((d > 4) * (d - 4)) / 2;
    r[34] = (d + 2) / 2 + ((d > 4) * (d - 3)) / 2;
    r[35] = MaxInt((6 * r[34] + 30) / MaxInt(r[34], 1), 8);
    r[36] = MaxInt(576 / (d + 4), 1);
    r[37] = 0;
    r[48] = (d + (d > 4) * (d - 4)) / 2 + 1;
    r[49] = 480 / (d + 3);
  }
  // Three cycle counters; no movement code: it keeps its spawn velocity and never turns.
  r[4] += 1;
  if (r[4] >= r[0] * r[2] + r[3]) r[4] = 0;
  r[18] += 1;
  if (r[18] >= r[17]) {
    // Each spiral waits 1 % longer (kept within 32 bits however long it lives).
    r[17] = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(r[17]) * 101 / 100, INT32_MAX));
    r[18] = 0;
  }
  r[37] += 1;
  if (r[37] >= r[34] * r[35] + r[36]) r[37] = 0;
}

// m = 1 leaves the player in a gap; from difficulty 4 every odd volley closes it.
void FireGappedRing(GameWorld* world, Enemy* e, int v) {
  const int n = e->intRegs[1];
  if (n < 1) return;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const int m = (g_difficulty > 3 && v % 2 == 1) ? 0 : 1;
  // Integer quotients, truncated: a ring of 14 steps 25, 25, 26, ... degrees after a gap of 12.
  const float a = AngleToPlayer(world, ox, oy) + F(m * 180 / n);
  for (int i = 0; i < n; ++i) {
    EnemyBullet* b =
        SpawnEnemyBullet(world, 372, kFaceLaunchAngle, ox, oy, RingAngle(a, i, n), 0.87f * B(), 0.9f, 1.1f);
    if (b) b->SetBulletPulse(0.06f, 0.0f, 12.0f);
  }
}

// Each bullet circles a centre that drifts toward the player, spiralling out as its orbit
// grows and slows.
void FireSpiral(GameWorld* world, Enemy* e) {
  const int arms = e->intRegs[16];
  const float a = AngleFromEnemyToPlayer(world, e);
  const float sign = RandomSignFloat();
  const float rate = RandomFloat(1.4f);
  const float turn = sign * (5.0f + rate);
  const float growth = 0.4f + 0.11f * Df();
  for (int k = 0; k < kRingPoints; ++k) {
    float px = 0, py = 0;
    LauncherPosition(e, kRingPointFirst + k, &px, &py);
    for (int j = 0; j < arms; ++j) {
      EnemyBullet* b = SpawnEnemyBullet(world, 87, BulletFaceOrbit, px, py, a, 0.2f * B() + 1.75f, 0.3f, 0.7f);
      if (!b) continue;
      b->orbitAngle = NormalizeAngle(RingAngle(36.0f * F(k) + a, j, arms));
      b->orbitRadius = 0.0f;
      b->orbitAngleVel = turn;
      b->orbitAngleVelFactor = 0.992f;
      b->orbitRadiusVel = growth;
      b->orbitRadiusVelFactor = 0.987f;
    }
  }
}

// A 270-degree arc that spins about a centre flung away from the player and pulled back.
void FireCluster(GameWorld* world, Enemy* e, int tier, int v, int point) {
  float px = 0, py = 0;
  LauncherPosition(e, point, &px, &py);
  const float a = NormalizeAngle(AngleToPlayer(world, px, py) + 180.0f);
  const float base = RandomFloat(360.0f);
  const float back = RandomFloat(40.0f);
  const float pull = NormalizeAngle(a + 180.0f + back - 20.0f);
  const int n = 2 * tier + 8;
  const float rs = RandomFloat(0.2f * B());
  const float speed = rs + 0.2f * F(v) + 0.06f * B();
  const float sign = RandomSignFloat();
  const float rate = RandomFloat(4.0f);
  const float turn = sign * (7.0f + rate);
  const float radius = 24.0f * e->launchers[point].scale;
  for (int j = 0; j < n; ++j) {
    EnemyBullet* b = SpawnEnemyBullet(world, 75, BulletFaceOrbit, px, py, a, speed, 0.3f, 0.4f);
    if (!b) continue;
    b->orbitAngle = NormalizeAngle(F(270 * j / n) + base);  // (270j) / n truncated: 0, 33, 67, ... for 8
    b->orbitRadius = radius;
    b->orbitAngleVel = turn;
    b->orbitAngleVelFactor = 1.0f;
    b->accelFactor = 1.012f;
    b->friction = 0.965f;
    b->SetBulletAccelPolar(pull, 0.027f + 0.0019f * Df());
  }
}

void FireAimedPairs(GameWorld* world, Enemy* e) {
  const int n = e->intRegs[48];
  const float a = AngleFromEnemyToPlayer(world, e);
  for (int p = 0; p < kCornerPoints; ++p) {
    float px = 0, py = 0;
    LauncherPosition(e, kCornerPointFirst + p, &px, &py);
    for (int j = 0; j < n; ++j) {
      EnemyBullet* b = SpawnEnemyBullet(world, 1, BulletFaceSpin, px, py, a, F(j + 6) * B() / 9.0f, 0.4f, 0.35f);
      if (b) b->spinStep = F(2 * (p % 2) - 1) * 16.0f;
    }
  }
}

void UpdateEnemy33Attack(GameWorld* world, Enemy* e) {
  if (e->age <= 1) return;
  const int* r = e->intRegs;
  int v = 0;
  if (FireGateCounted(r[4], r[3], r[2], kNoVolleyLimit, &v)) FireGappedRing(world, e, v);
  if (r[18] == 0) FireSpiral(world, e);
  if (r[37] >= r[36] && r[35] >= 1) {
    const int t = r[37] - r[36];
    for (int k = 0; k < kClusterTiers; ++k) {
      if (t % r[35] != r[35] * k / 3) continue;
      v = t / r[35];
      if (v >= r[32 + k]) continue;
      FireCluster(world, e, k, v, kFlankPointFirst + k);
      FireCluster(world, e, k, v, kFlankPointFirst + 3 + k);
    }
  }
  if (FireGateEvery(e->age, r[49])) FireAimedPairs(world, e);
}

}  // namespace

void RegisterHeavyCarrierEnemies() {
  RegisterEnemyTypeCode(31, UpdateEnemy31Behaviour, UpdateEnemy31Attack);
  RegisterEnemyTypeCode(32, UpdateEnemy32Behaviour, UpdateEnemy32Attack);
  RegisterEnemyTypeCode(33, UpdateEnemy33Behaviour, UpdateEnemy33Attack);
}
