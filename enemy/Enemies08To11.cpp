#include "enemy/Enemies08To11.h"

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

int SaturateToInt(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}

// Type 9's colour variants: body tint and bullet type by phase % 6.
struct PopcornVariant {
  uint32_t tint;
  int bulletType;
};
constexpr PopcornVariant kPopcornVariants[6] = {
    {0xFF20E020u, 0}, {0xFF2020E0u, 4}, {0xFFE02020u, 8}, {0xFF20E0E0u, 2}, {0xFFE0E020u, 10}, {0xFFE020E0u, 6},
};

// Type 10 holds each axis of the box [60, 300] x [60, 240] once it has come inside it.
constexpr int kKeeperX = 1;
constexpr int kKeeperY = 2;
constexpr int kKeeperOff = -1;

void KeepStationInBox(Enemy* e) {
  int& keeper = e->intRegs[1];
  if (keeper == kKeeperOff) return;
  if (keeper & kKeeperX) {
    if (e->x < 60.0f) e->SetVelocityXY(e->vx - (e->x - 60.0f) * 0.08f, e->vy);
    if (e->x > 300.0f) e->SetVelocityXY(e->vx - (e->x - 300.0f) * 0.08f, e->vy);
  }
  if (keeper & kKeeperY) {
    if (e->y < 60.0f) e->SetVelocityXY(e->vx, e->vy - (e->y - 60.0f) * 0.08f);
    if (e->y > 240.0f) e->SetVelocityXY(e->vx, e->vy - (e->y - 240.0f) * 0.08f);
  }
  if (e->x > 60.0f && e->x < 300.0f) keeper |= kKeeperX;
  // Armed up to 300, pushed back from 240: kept as the station's own box.
  if (e->y > 60.0f && e->y < 300.0f) keeper |= kKeeperY;
}

}  // namespace

// ---- Type 8: twin-barrelled fighter ----------------------------------------------------------

void UpdateEnemy8Behaviour(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  if (e->age == 1) {
    f[0] = 60.0f - 3.0f * Df();
    f[1] = 20.0f - 2.4f * Df();
    r[0] = (d > 5);
    r[1] = (d > 4);
    r[2] = MaxInt(60 / (d + 5 * (d > 5) + 2), 1);
  }
  const float a = AngleFromEnemyToPlayer(world, e);
  switch (e->phase) {
    case 0:
      if (BrakeEnemyBelow(e, 0.94f, 1.0f)) {
        const float jx = RandomFloat(64.0f);
        f[2] = e->x + jx - 32.0f;
        const float jy = RandomFloat(64.0f);
        f[3] = e->y + jy - 32.0f;
        e->SetEnemyPhase(1);
      }
      break;
    case 1: {
      if (e->phaseFrames == 1) {
        r[3] = (d > 0) + (d > 2) + 1 + 2 * (d > 3);
        r[4] = (d > 1) + (d > 4) + 1 + 2 * (d > 5);
        r[5] = MaxInt((60 - 4 * d) / r[3], 1);
        r[6] = 40 / (d + 1);
        r[7] = 30 / (2 * d + 1);
        if (d > 4) r[0] = 1;
        r[1] = 1;
      }
      // Hover: the target creeps toward (180, 200) with jitter; a weak constant pull follows it.
      float ux = 0, uy = 0;
      PolarToXY(&ux, &uy, AngleFromTo(e->x, e->y, 180.0f, 200.0f), 1.0f);
      const float jx = RandomFloat(4.0f);
      f[2] += jx - 2.0f + ux;
      const float jy = RandomFloat(4.0f);
      f[3] += jy - 2.0f + uy;
      e->SetVelocityXY(e->vx * 0.994f + SignFloat(f[2] - e->x) * 0.02f,
                       e->vy * 0.994f + SignFloat(f[3] - e->y) * 0.02f);
      if (e->phaseFrames > r[6] + r[3] * r[5] + r[7]) {
        e->SetEnemyPhase(2);
        if (d < 4) r[1] = 0;
      }
      break;
    }
    case 2:
      DampAndPushEnemy(e, 0.96f, a + 180.0f, 0.2f);  // flees from the player
      break;
    default:
      break;
  }
  e->facing = TurnAngleToward(e->facing, a, 2.0f);
  if (r[0] != 0) f[0] = MaxFloat(f[0] - 0.3f, f[1]);
  if (e->launcherCount >= 3) {
    e->launchers[1].aimAngle = NormalizeAngle(e->facing - f[0]);
    e->launchers[2].aimAngle = NormalizeAngle(e->facing + f[0]);
  }
}

void UpdateEnemy8Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  int k = 0;
  // Alternating aimed shots and fans while hovering.
  if (e->phase == 1 && FireGateCounted(e->phaseFrames, r[6], r[5], r[3], &k)) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, 0, &ox, &oy, &unused);
    const float a = AngleFromEnemyToPlayer(world, e);
    const int n = k % 2 == 0 ? 1 : r[4];
    const float s = k % 2 == 0 ? 0.6f + 0.05f * Df() : 0.36f;
    for (int j = 0; j < n; ++j) {
      const float angle = k % 2 == 0 ? a : FanAngle(a, j, n, 5.6f);
      EnemyBullet* b = SpawnEnemyBullet(world, 11, BulletFaceMotion, ox, oy, angle, 0.8f * B(), s, s);
      if (b) b->SetBulletPulse(0.1f, 90.0f, 12.0f);
    }
  }
  // The barrel streams, timed by age.
  if (r[1] == 1 && FireGateEvery(e->age, r[2])) {
    for (int i = 1; i <= 2 && i < e->launcherCount; ++i) {
      float ox = 0, oy = 0, angle = 0;
      ShotOriginOf(e, i, &ox, &oy, &angle);
      EnemyBullet* b = SpawnEnemyBullet(world, 11, BulletFaceMotion, ox, oy, angle, 1.1f * B(), 1.0f, 0.4f);
      if (b) b->stretch = 5.0f;
    }
  }
}

// ---- Type 9: popcorn in six colours ----------------------------------------------------------

void UpdateEnemy9Behaviour(GameWorld* world, Enemy* e) {
  if (e->age != 1) return;
  int* r = e->intRegs;
  const int d = D();
  const int phase = e->phase;
  if (phase >= 0) {
    const PopcornVariant& v = kPopcornVariants[phase % 6];
    e->sprite.colors[0] = v.tint;
    r[1] = v.bulletType;
  }
  // Size, hit points and score grow with the whole phase. A phase from a stage line is any
  // integer: the products saturate instead of overflowing.
  e->hp = e->maxHp = SaturateToInt(80 * static_cast<int64_t>(phase) + 80);
  e->score = SaturateToInt(100 * static_cast<int64_t>(phase) + 300);
  const float s = 0.9f + 0.03f * F(phase);
  e->SetScale(s, s);
  const float* f = e->floatRegs;
  if (e->intParams[0] != 0) {
    e->SetVelocityPolar(AngleFromEnemyToPlayer(world, e), e->speed);
  } else if (f[0] != 0.0f || f[1] != 0.0f) {
    e->SetVelocityPolar(AngleFromTo(e->x, e->y, f[0], f[1]), e->speed);
  }
  r[2] = g_stage + 2 * d + 1;
  r[3] = 2 * MaxInt(d - 4, 0) + 1;
}

void UpdateEnemy9Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int d = D();
  int k = 0;
  if (!FireGateCounted(e->phaseFrames, 8, 6, r[2], &k)) return;
  // Above difficulty 5 every second fan has one bullet fewer.
  const int n = r[3] - (k & 1) * (d > 5);
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float a = AngleFromEnemyToPlayer(world, e);
  for (int j = 0; j < n; ++j) {
    SpawnEnemyBullet(world, r[1], BulletFaceSpin, ox, oy, FanAngle(a, j, n, 10.8f), B(), 0.34f, 0.4f);
  }
}

// ---- Type 10: spinning station ---------------------------------------------------------------

void UpdateEnemy10Behaviour(GameWorld*, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  if (e->age == 1) {
    r[0] = 0;
    r[1] = 0;
    if (f[0] == 0.0f) {
      const float spin = RandomFloat(0.3f);
      f[0] = (3.0f + spin) * (e->x > 180.0f ? 1.0f : -1.0f);
    }
  }
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[2] = d / 2 + 1;
        r[3] = MaxInt(d - 4, 0) + 1;
        r[4] = g_stage / 2 + 4 * d + 2 + 7 * (d > 4) * (d - 4);
        r[5] = MaxInt(MinInt(10 * d + 30, 120) / MaxInt(r[4], 1), 1);
        r[7] = 32 / (d + 2);
        r[8] = (20 * d + 240) / (d + 2);
      }
      if (e->phaseFrames > r[4] * r[5] + r[7] + r[8]) {
        e->SetEnemyPhase(1);
        // After two launch phases the station lets itself drift off the field.
        if (r[0] > 1) r[1] = kKeeperOff;
      }
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[2] = d + 1;
        r[3] = MaxInt(120 / (d + 3), 1);
        r[4] = 2 * MaxInt(d - 4, 0) + 2;
        r[5] = MaxInt(126 / (d + 7), 1);
        r[6] = (40 * d + 300) / (d + 2);
      }
      if (e->phaseFrames > r[2] * r[3] + r[6]) {
        r[0] += 1;
        e->SetEnemyPhase(0);
      }
      break;
    default:
      break;
  }
  KeepStationInBox(e);
  e->facing = NormalizeAngle(e->facing + f[0]);
}

void UpdateEnemy10Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int d = D();
  const int pf = e->phaseFrames;
  int k = 0;
  if (e->phase == 0 && FireGateCounted(pf, r[7], r[5], r[4], &k)) {
    // Within each bunch of r[2] volleys the speed steps down.
    const int n = r[3];
    const float s = (F(r[2] - SafeMod(k, r[2])) * 0.06f + 0.6f) * B();
    const float step = 2.5f * F(n) + 11.0f;
    for (int i = 1; i <= 3 && i < e->launcherCount; ++i) {
      const float a = e->launchers[i].placementAngle + e->facing;
      float ox = 0, oy = 0, unused = 0;
      ShotOriginOf(e, i, &ox, &oy, &unused);
      for (int j = 0; j < n; ++j) {
        EnemyBullet* b = SpawnEnemyBullet(world, 91, BulletFaceSpin, ox, oy, FanAngle(a, j, n, step), s, 0.25f, 0.25f);
        if (b) b->SetBulletPulse(0.1f, 90.0f, 10.0f);
      }
    }
  } else if (e->phase == 1 && FireGateCounted(pf, 1, r[3], r[2], &k)) {
    // Three drones leave between the points; they are independent of the station.
    for (int i = 0; i < 3; ++i) {
      Enemy* drone = LaunchEnemy(world, 11, e->x, e->y, F(120 * i) + e->facing + 60.0f, 6.0f);
      if (!drone) continue;
      drone->intRegs[0] = r[4];
      drone->intRegs[1] = r[5];
      drone->floatRegs[0] = 4.8f / F(d + 2);
    }
  }
}

// ---- Type 11: drone --------------------------------------------------------------------------

// A drone not launched by a station has a fan interval of 0 and fires nothing.
void UpdateEnemy11Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  if (!FireGateEvery(e->phaseFrames, r[1])) return;
  // The k-th fan is k times as wide as the first.
  const int k = e->phaseFrames / r[1];
  const int n = r[0];
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  for (int j = 0; j < n; ++j) {
    const float angle = e->facing + 180.0f + F(2 * j - (n - 1)) * F(k) * e->floatRegs[0] / 2.0f;
    SpawnEnemyBullet(world, 103, BulletFaceSpin, ox, oy, angle, B(), 0.4f, 0.4f);
  }
}

void RegisterEnemyFamilySmallB() {
  RegisterEnemyTypeCode(8, UpdateEnemy8Behaviour, UpdateEnemy8Attack);
  RegisterEnemyTypeCode(9, UpdateEnemy9Behaviour, UpdateEnemy9Attack);
  RegisterEnemyTypeCode(10, UpdateEnemy10Behaviour, UpdateEnemy10Attack);
  RegisterEnemyTypeCode(11, nullptr, UpdateEnemy11Attack);
}
