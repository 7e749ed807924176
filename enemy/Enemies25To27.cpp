// The mine layer (25) with its homing mines (26), and the four-barrel gunship (27). A mine keeps
// a link to its layer (not entered among the layer's parts) and carries one growing bullet that
// it holds by id; when it dies the bullet leaves with it.

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kMineType = 26;

// The mine's carried-bullet register: an id 0..2047, or one of these.
constexpr int kNoCarriedBullet = BulletIdNone;   // 2048: make one in the next attack
constexpr int kBulletUnheld = BulletIdNone + 1;  // 2049: no id was free, never makes another

// ---- Type 25: mine layer ---------------------------------------------------------------------

void UpdateEnemy25Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = MinInt(11 * d + 20, 80);
    r[1] = 2 + 2 * (d > 0) + 2 * (d > 4) * (d - 4);
    r[2] = MaxInt(100 - 4 * d, 70);
    r[3] = 30;
    r[4] = MinInt(2 * d + 3 + 3 * (d > 4) * (d - 4), 30);
    r[5] = (2 * r[4] + 30) / r[4];
    r[6] = r[2] + MaxInt(60 - 6 * d, 20);
  }
  // Only phase 0 moves; the sinking counts phaseFrames while the mines count the age.
  if (e->phase == 0) {
    BrakeEnemy(e, 0.975f);
    if (e->phaseFrames < r[6]) {
      e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), 3.0f);
    } else {
      // It sinks faster and faster.
      e->SetVelocityXY(e->vx, e->vy + 0.03f + 0.0017f * F(e->phaseFrames - r[6]));
      e->facing = TurnAngleToward(e->facing, 270.0f, 3.0f);
    }
  }
  if (e->age < r[0]) e->hp = e->maxHp;  // it cannot be hurt while it arrives
}

void FireLayerFan(GameWorld* world, Enemy* e, int n) {
  if (n < 1) return;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float a = e->facing;
  for (int i = 0; i < n; ++i) {
    // An integer quotient, truncated: a fan of 5 lies at -36, -18, 0, 18, 36 (not -36.8, -18.4).
    const float angle = a + F((2 * i - (n - 1)) * (6 * n + 16) / n);
    EnemyBullet* q = SpawnEnemyBullet(world, 58, kFaceLaunchAngle, ox, oy, angle, 2.4f, 1.3f, 1.3f);
    if (!q) continue;
    q->facing = a + 90.0f;
    q->SetBulletPulse(0.2f, 0.0f, 8.0f);
  }
}

void LayMine(GameWorld* world, Enemy* e, int v) {
  const float rs = RandomFloat(2.0f);
  const float speed = 9.0f + rs + 0.6f * F(v);
  const float rd = RandomFloat(100.0f);
  Enemy* mine = LaunchEnemy(world, kMineType, e->x, e->y, e->facing + 180.0f - 50.0f + rd, speed);
  if (!mine) return;
  mine->parent = e;  // a link only: the layer does not list it among its parts
}

void UpdateEnemy25Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  if (e->age == r[2]) FireLayerFan(world, e, r[1]);
  if (g_difficulty > 3 && e->age == r[2] + r[3]) FireLayerFan(world, e, r[1] - 1);
  int v = 0;
  if (FireGateCounted(e->age, r[6], r[5], r[4], &v)) LayMine(world, e, v);
}

// ---- Type 26: homing mine --------------------------------------------------------------------

constexpr uint32_t kMineColours[12] = {
    0xFF00E000, 0xFF00E070, 0xFF00E0E0, 0xFF0070E0, 0xFF0000E0, 0xFF7000E0,
    0xFFE000E0, 0xFFE00070, 0xFFE00000, 0xFFE07000, 0xFFE0E000, 0xFF70E000,
};

void UpdateEnemy26Behaviour(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    const float side = RandomSignFloat();
    const float spin = RandomFloat(16.0f);
    f[0] = side * (12.0f + spin);
    f[1] = 0.09f + 0.001f * Df();
    f[2] = 0.8f - 0.002f * Df();
    r[0] = kNoCarriedBullet;
    r[1] = RandomInt(12);
    r[2] = static_cast<int32_t>(kMineColours[r[1]]);
    e->sprite.colors[0] = kMineColours[r[1]];
  }
  // A dying or removed layer is freed on a later frame; the mine drops the link first.
  if (e->parent && e->parent->dyingCounter != 0) e->parent = nullptr;
  SteerEnemyTowardPlayer(world, e, f[1], f[2], f[2]);
  e->facing = NormalizeAngle(e->facing + f[0]);
  f[1] = MinFloat(f[1] * 1.005f, 0.3f);
  f[2] += (1.0f - f[2]) * 0.128f;
}

void UpdateEnemy26Attack(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int& held = e->intRegs[0];
  if (held == kNoCarriedBullet) {
    EnemyBullet* q = nullptr;
    const int id = SpawnEnemyBulletWithId(world, &q, 400 + e->intRegs[1], BulletFaceSpin, e->x, e->y, e->facing, 3.0f,
                                          0.3f, 0.3f);
    // Without a free id the bullet could not be found again: it flies as made, and the mine
    // stops making new ones (one a frame otherwise).
    held = id == BulletIdNone ? kBulletUnheld : id;
    if (q) q->spinStep = e->floatRegs[0];
  }
  if (held >= kNoCarriedBullet) return;
  EnemyBullet* q = FindHeldBullet(world, held);
  if (!q) {
    held = kNoCarriedBullet;  // it hit the player or left the field: a new one next frame
    return;
  }
  // It grows a step a frame until it reaches its full size.
  if (q->baseScaleX < 1.0f + 0.06f * F(d)) {
    q->SetBulletBaseScale(q->baseScaleX + 0.056f + 0.005f * F(d), q->baseScaleY + 0.056f + 0.005f * F(d));
  }
  q->SetVelocityPolar(e->direction, 3.0f);
  // The bullet update adds the velocity back, so the bullet sits on the mine.
  q->baseX = e->x - q->vx;
  q->baseY = e->y - q->vy;
}

// ---- Type 27: four-barrel gunship ------------------------------------------------------------

constexpr int kGunshipBarrels[4] = {1, 2, 3, 4};

void SetUpFourBarrelGunship(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  r[0] = MaxInt(220 / (2 * d + 3) - 5 * d, 2);
  r[1] = MaxInt(d - 4, 1);
  r[2] = MaxInt(d - 3, 1);
  r[3] = (d > 5) * (4 * d - 19);
  r[4] = MaxInt(140 / (d + 1), 8);
  r[5] = 140;
  r[6] = MaxInt(90 - 3 * d, 70);
  r[7] = MaxInt(116 / (d + 4) - d, 3);
  r[8] = MaxInt(d - 3, 1);
  r[9] = MaxInt(d - 2, 1);
  r[10] = MaxInt(d - 3, 1);
  r[11] = 150 - r[6];
  r[12] = MaxInt(100 - 9 * d, 40);
  r[13] = d + (d > 3);
  r[14] = 2 * (d - 3) * (d > 3) + 3;
  // Negative at difficulties 6 and 7: barrel 3 then aims clockwise of the nose.
  f[0] = 270.0f / (1.8f * Df() + 3.0f) - F(2 * d - 5) * 3.6f;
  f[1] = F((12 * (d > 6) + 6 * r[1] + 24) / r[1]);
  // Float quotients (16.33, 9.78, 25.67, 30.33, 21.8, 14.67, 13.71 degrees): the game's own values.
  f[2] = F(16 * (d > 5) + 7 * r[2] + 12) / F(r[2]);
  if (r[3] > 0) f[3] = F(7 * r[3] + 25) / F(r[3]);
  f[4] = F(7 * r[8] + 56) / F(r[8]);
  f[5] = F(9 * r[9] + 64) / F(r[9]);
  f[7] = F(8 * d + 48) / F(MaxInt(r[13], 1));
  e->facing = AngleFromEnemyToPlayer(world, e);
  for (int b : kGunshipBarrels) e->launchers[b].aimAngle = e->facing;
}

void UpdateEnemy27Behaviour(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  if (e->age == 1) SetUpFourBarrelGunship(world, e);
  switch (e->phase) {
    case 0:
      SteerEnemyTowardPlayer(world, e, 0.003f, 0.985f, 0.985f);
      e->launchers[1].aimAngle = e->facing;
      e->launchers[2].aimAngle = e->facing;
      e->launchers[3].aimAngle = e->facing + f[0];
      e->launchers[4].aimAngle = e->facing - f[0];
      if (e->phaseFrames > r[5] + r[6]) e->SetEnemyPhase(1);
      break;
    case 1:
      SteerEnemyTowardPlayer(world, e, 0.004f, 0.982f, 0.982f);
      for (int b : kGunshipBarrels) {
        EnemyLauncher& l = e->launchers[b];
        l.aimAngle = TurnAngleToward(l.aimAngle, AngleFromShotOriginToPlayer(world, e, b), 3.6f);
      }
      if (e->phaseFrames > r[11] + r[12]) e->SetEnemyPhase(2);
      break;
    case 2:
      // Backs away from the player, harder and harder.
      SteerEnemyTowardPlayer(world, e, -(0.0006f * F(e->phaseFrames) + 0.014f), 0.998f, 0.998f);
      for (int b : kGunshipBarrels) {
        EnemyLauncher& l = e->launchers[b];
        l.aimAngle = TurnAngleToward(l.aimAngle, AngleFromEnemyToPlayer(world, e), 3.6f);
      }
      break;
    default:
      break;
  }
  e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), 3.6f);
}

// Accelerating fans from the four barrels: barrels 1 and 2 share one count and spacing, 3 and 4
// another.
void FireGunshipBarrelFans(GameWorld* world, Enemy* e) {
  const float accelFactor = 1.006f + 0.001f * Df();
  for (int b : kGunshipBarrels) {
    const int k = (b - 1) / 2;
    const int n = e->intRegs[1 + k];
    const float step = e->floatRegs[1 + k];
    float ox = 0, oy = 0, aim = 0;
    ShotOriginOf(e, b, &ox, &oy, &aim);
    for (int j = 0; j < n; ++j) {
      const float a = FanAngle(aim, j, n, step);
      EnemyBullet* q = SpawnEnemyBullet(world, k + 1, BulletFaceMotion, ox, oy, a, 0.0f, 0.8f, 0.8f);
      SetBulletAccelAt(q, a, 0.12f, accelFactor, 0.985f, 5.6f);
    }
  }
}

void FireGunshipHeavyShots(GameWorld* world, Enemy* e) {
  const int n = e->intRegs[3];
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float a = AngleToPlayer(world, ox, oy);
  for (int i = 0; i < n; ++i)
    SpawnEnemyBullet(world, 432, BulletFaceMotion, ox, oy, FanAngle(a, i, n, e->floatRegs[3]), 1.3f * B(), 1.4f, 1.0f);
}

// Barrels 1 and 2 on even salvos, 3 and 4 on odd ones; each fan in several speed layers.
void FireGunshipSalvo(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int p = (e->phaseFrames / r[7]) % 2;
  const int n = r[8 + p];
  const float step = e->floatRegs[4 + p];
  for (int b = 1 + 2 * p; b <= 2 + 2 * p; ++b) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, b, &ox, &oy, &unused);
    const float a = AngleToPlayer(world, ox, oy);
    for (int j = 0; j < n; ++j) {
      for (int q = 0; q < r[10]; ++q) {
        EnemyBullet* s = SpawnEnemyBullet(world, 371, BulletFaceMotion, ox, oy, FanAngle(a, j, n, step),
                                          F(q + 6) * B() / 6.0f, 1.0f, 0.7f);
        if (s) s->SetBulletPulse(0.1f, 0.0f, 18.0f);
      }
    }
  }
}

// The last burst: rings of spinning bullets, odd rings one bullet wider and spinning the other way.
void FireGunshipRings(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float a = AngleToPlayer(world, ox, oy);
  for (int i = 0; i < r[14]; ++i) {
    const int odd = i % 2;
    const int m = MaxInt(r[13] + odd, 1);
    for (int j = 0; j < m; ++j) {
      EnemyBullet* q = SpawnEnemyBullet(world, 409 + 2 * odd, BulletFaceSpin, ox, oy, FanAngle(a, j, m, e->floatRegs[7]),
                                        F(i + 7) * B() / 8.0f, 0.75f, 0.75f);
      if (q) q->spinStep = F(2 * odd - 1) * 21.6f;
    }
  }
}

void UpdateEnemy27Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const int pf = e->phaseFrames;
  switch (e->phase) {
    case 0:
      if (!(pf < r[5])) break;
      if (FireGateEvery(pf, r[0])) FireGunshipBarrelFans(world, e);
      if (r[3] > 0 && FireGateEvery(pf, r[4])) FireGunshipHeavyShots(world, e);
      break;
    case 1:
      if (FireGateBefore(pf, r[11], r[7])) FireGunshipSalvo(world, e);
      break;
    case 2:
      if (pf == 1) FireGunshipRings(world, e);
      break;
    default:
      break;
  }
}

}  // namespace

void RegisterMineLayerEnemies() {
  RegisterEnemyTypeCode(25, UpdateEnemy25Behaviour, UpdateEnemy25Attack);
  RegisterEnemyTypeCode(26, UpdateEnemy26Behaviour, UpdateEnemy26Attack);
  RegisterEnemyTypeCode(27, UpdateEnemy27Behaviour, UpdateEnemy27Attack);
}
