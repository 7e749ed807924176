// The mixed family: the fighter that turns its nose through fixed headings (16), the mid-boss
// that grows its own launchers and cycles its colour (17), the small spinning craft in seven
// colours (18) and the two-barrelled gunship (19).

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Type 16: fighter ------------------------------------------------------------------------

constexpr int kFighterWaypoints = 5;

// The nose turns to the player, through the half-way heading to its own reverse heading, and
// through the next half-way heading to the heading away from the player.
void SetFighterWaypoints(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  f[0] = NormalizeAngle(AngleFromEnemyToPlayer(world, e));
  f[2] = NormalizeAngle(e->facing + 180.0f);
  f[4] = NormalizeAngle(f[0] + 180.0f);
  f[1] = TurnAngleToward(f[0], f[2], AngleDistance(f[0], f[2]) / 2.0f);
  f[3] = TurnAngleToward(f[2], f[4], AngleDistance(f[2], f[4]) / 2.0f);
}

// Every turn starts from the facing the frame began with: the nose moves at most 2.4 degrees a
// frame, while waypoints that lie within that step are all passed in one frame.
void WalkFighterNose(Enemy* e) {
  int& k = e->intRegs[0];
  const float f = e->facing;
  while (k >= 0 && k < kFighterWaypoints) {
    const int before = k;
    e->facing = TurnAngleToward(f, e->floatRegs[k], 2.4f);
    // Normalised on both sides: a waypoint normalised to exactly 360 (the player level with it
    // to within about 1e-5 degrees) is reached as 0, and the walk would otherwise never end.
    if (NormalizeAngle(e->facing) == NormalizeAngle(e->floatRegs[k])) k += 1;
    if (k == before) break;
  }
}

void UpdateEnemy16Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[0] = d;
        r[1] = MaxInt(d - 3, 1);
      }
      if (BrakeEnemyBelow(e, 0.9f, 3.0f)) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[0] = 0;
        r[1] = MaxInt(d - 4, 0);
        r[2] = MaxInt(6 - d / 3, 1);
        SetFighterWaypoints(world, e);
      }
      BrakeEnemy(e, 0.9f);
      WalkFighterNose(e);
      if (r[0] > 4) e->SetEnemyPhase(2);
      break;
    case 2:
      if (e->phaseFrames == 1) {
        r[0] = MaxInt(24 - 3 * d, 1);
        r[1] = d * MinInt(d, 4) + 3 + (d > 3) * (d - 2) * (d - 1);
        f[0] = MaxFloat(0.4f - 0.03f * Df(), 0.2f);
        f[1] = 0.02f * Df() + 0.45f;
        // A float quotient: the spreads 13.85 and 77.14 degrees are the game's own values.
        f[2] = 180.0f - 2160.0f / static_cast<float>(d * MaxInt(d - 2, 0) + 13);
      }
      if (e->phaseFrames > r[0]) e->SetVelocityPolar(e->facing, e->speed * 0.96f + 0.3f);
      break;
    default:
      break;
  }
}

// Rows of bullets fanning back from the nose, the front row fastest.
void FireFighterChevron(GameWorld* world, Enemy* e, float ox, float oy) {
  const int* r = e->intRegs;
  const int rows = r[1];
  const float s = MinFloat(0.1f * Df(), 0.7f);
  const int w = 7 * rows + 13;
  const int m = MaxInt(r[0] + rows - 1, 1);
  const int m1 = MaxInt(rows - 1, 1);
  for (int i = 0; i < rows; ++i) {
    const int n = (r[0] - 1) * (m1 - i) / m1 + 1;
    const float sc = 0.8f - 0.3f * s * static_cast<float>(i) / static_cast<float>(rows);
    for (int j = 0; j < n; ++j) {
      const float speed = B() * (1.0f - static_cast<float>(i + r[0] - 1 - j) * s / static_cast<float>(m));
      for (int k = 0; k < (i == 0 ? 1 : 2); ++k) {
        // An integer quotient, truncated toward zero on both sides: +-13 degrees, not 13.5.
        const float angle = i == 0 ? e->facing : e->facing + static_cast<float>((2 * k - 1) * w * i / MaxInt(rows, 1));
        SpawnEnemyBullet(world, 57, kFaceLaunchAngle, ox, oy, angle, speed, sc, sc);
      }
    }
  }
}

void UpdateEnemy16Attack(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  switch (e->phase) {
    case 0:
      // Only on frame 8: a fighter that has braked into phase 1 before then never fires it.
      if (e->phaseFrames == 8) FireFighterChevron(world, e, ox, oy);
      break;
    case 1:
      if (!FireGateEvery(e->phaseFrames, r[2])) break;
      for (int i = 0; i < r[1]; ++i) {
        const float angle = e->facing + static_cast<float>(24 * (2 * i - (r[1] - 1)) / MaxInt(d - 1, 1));
        SpawnEnemyBullet(world, 24, kFaceLaunchAngle, ox, oy, angle, 0.7f * B(), 0.8f + 0.04f * Df(), 0.5f);
      }
      break;
    case 2:
      if (e->phaseFrames != r[0]) break;
      // A burst of spinning shards behind it: six draws per shard.
      for (int i = 0; i < r[1]; ++i) {
        const float sx = f[0] + RandomFloat(f[1] - f[0]);
        const float sy = sx * (0.95f + RandomFloat(0.1f));
        const float speed = B() / 2.0f + RandomFloat(B() / 2.0f);
        const float angle = e->facing + 180.0f - f[2] / 2.0f + RandomFloat(f[2]);
        EnemyBullet* q = SpawnEnemyBullet(world, 7, BulletFaceSpin, ox, oy, angle, speed, sx, sy);
        const float side = RandomSignFloat();
        const float spin = RandomFloat(32.0f);
        if (q) q->spinStep = side * (16.0f + spin);
      }
      break;
    default:
      break;
  }
}

// ---- Type 17: mid-boss with grown launchers --------------------------------------------------

constexpr int kColourCycle = 336;

// Rings of launch points grown at run time: count, first angle, angle step, distance before the
// body's scale. 11.2 (not 11.25) is the game's own value.
struct GrownRing {
  int count;
  float start, step, distance;
};
constexpr GrownRing kGrownRings[] = {{4, 0, 90, 4}, {4, 45, 90, 8}, {8, 22.5f, 45, 12}, {16, 11.2f, 22.5f, 16}};

void GrowMidBossLaunchers(Enemy* e) {
  const uint32_t tint = e->sprite.colors[0];
  for (const GrownRing& g : kGrownRings)
    for (int i = 0; i < g.count; ++i)
      e->AddEnemyLauncher(kLauncherPointRow, tint, NormalizeAngle(g.step * static_cast<float>(i) + g.start),
                          g.distance, 0.001f);
}

// Each channel rests at 112 and rises to 224 and back during one third of the cycle.
uint32_t MidBossChannel(int t, int offset) {
  return static_cast<uint32_t>(MaxInt(TriangleWave((t + offset) % 672, 1120) - 448, 0) + 112);
}

void CycleMidBossColour(Enemy* e) {
  e->intRegs[0] = (e->intRegs[0] + 1) % kColourCycle;
  const int t = 2 * e->intRegs[0];
  const uint32_t colour =
      0xFF000000u | MidBossChannel(t, 560) << 16 | MidBossChannel(t, 336) << 8 | MidBossChannel(t, 112);
  e->sprite.colors[0] = colour;
  for (int i = 0; i < e->launcherCount; ++i) e->launchers[i].tint = colour;
}

void UpdateEnemy17Behaviour(GameWorld* world, Enemy* e) {
  (void)world;
  const int d = g_difficulty;
  const int s = g_stage;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = RandomInt(kColourCycle);
    r[1] = SafeDiv(900, d + s + 4);
    r[2] = SafeDiv(400, d + s / 2 + 4);
    f[0] = RandomSignFloat();
    e->maxHp = (e->maxHp / 100) * (4 * s + 100);
    e->hp = e->maxHp;
    e->sprite.colorMode = SpriteColorSingle;
  }
  switch (e->phase) {
    case 0:
      BrakeEnemy(e, 0.96f);
      if (e->phaseFrames == r[1]) GrowMidBossLaunchers(e);
      if (e->phaseFrames >= r[1]) {
        const float grown = static_cast<float>(e->phaseFrames - r[1] + 1) * 0.5f / static_cast<float>(r[2]);
        const float scale = ClampFloat(grown, 0.01f, 0.5f);
        for (int i = 0; i < e->launcherCount; ++i) e->launchers[i].scale = scale;
      }
      if (e->phaseFrames >= r[1] + r[2] * 11 / 10) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[1] = MinInt(d + 1 + s / 5, 320);
        r[2] = MaxInt(SafeDiv(160, r[1]), 1);
        r[3] = 120 / (2 * d + 6);
        r[4] = 100 / (d + 2);
      }
      BrakeEnemy(e, 0.96f);
      if (e->phaseFrames > r[1] * r[2] + r[3] + r[4]) e->SetEnemyPhase(2);
      break;
    case 2:
      if (e->phaseFrames == 1) {
        r[1] = 200 / (d + 2 + 4 * (d > 4) * (d - 4)) - 2 * d;
        r[2] = 0;
        f[1] = MinFloat(3.0f * Df() + 6.0f, 60.0f);
        // Toward the point (360 - x, 0) on the top edge, mirrored about the centre line.
        const float toward = Atan2Deg(e->y, 360.0f - 2.0f * e->x);
        const float jitter = RandomFloat(8.0f);
        e->SetVelocityPolar(toward + jitter - 4.0f, e->speed);
      }
      e->SetVelocityPolar(e->direction, e->speed * 0.98f + 0.02f + 0.001f * static_cast<float>(e->phaseFrames));
      break;
    default:
      break;
  }
  e->facing = NormalizeAngle(e->facing + f[0]);  // the rings turn with it
  CycleMidBossColour(e);
}

void UpdateEnemy17Attack(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  // Twelve colours that follow the colour cycle.
  const int type = (r[0] / 28) | 0x50;
  if (e->phase == 1) {
    int v = 0;
    if (!FireGateCounted(e->phaseFrames, r[3], r[2], r[1], &v)) return;
    const float a = AngleFromEnemyToPlayer(world, e);
    const float spin = static_cast<float>((2 * (v % 2) - 1) * 24);
    for (int i = 0; i < e->launcherCount; ++i) {
      float lx = 0, ly = 0;
      LauncherPosition(e, i, &lx, &ly);
      // Aimed from each launcher at difficulty 0, turning toward a parallel wall as D rises.
      const float ai = AngleToPlayer(world, lx, ly);
      const float angle = TurnAngleToward(ai, a, AngleDistance(a, ai) * Df() * 0.12f);
      EnemyBullet* q = SpawnEnemyBullet(world, type, BulletFaceSpin, lx, ly, angle, B(), 0.5f, 0.5f);
      if (q) q->spinStep = spin;
    }
  } else if (e->phase == 2) {
    r[2] += 1;
    if (r[2] < r[1]) return;
    const float a = AngleFromEnemyToPlayer(world, e);
    const float half = e->floatRegs[1];
    for (int i = 0; i < e->launcherCount; ++i) {
      float lx = 0, ly = 0;
      LauncherPosition(e, i, &lx, &ly);
      const float spread = RandomFloat(2.0f * half);
      EnemyBullet* q = SpawnEnemyBullet(world, type, BulletFaceSpin, lx, ly, a + spread - half, B(), 0.5f, 0.5f);
      const float spin = RandomFloat(48.0f);
      if (q) q->spinStep = spin - 24.0f;
    }
    r[2] = 0;
    r[1] += 1;  // each volley waits one frame longer
  }
}

// ---- Type 18: spinning craft -----------------------------------------------------------------

struct CraftVariant {
  uint32_t colour;
  int hpAndScore;
  int bulletType;
};
// Indexed by the stage phase's last digit; every other value takes variant 0.
constexpr CraftVariant kCraftVariants[7] = {
    {0xFF20E000, 200, 0}, {0xFF0020E0, 250, 4},  {0xFFE00020, 300, 8},  {0xFF00E0E0, 350, 2},
    {0xFFE0E000, 400, 10}, {0xFFE000E0, 450, 6}, {0xFFE0E0E0, 500, 15},
};
constexpr int kCraftRotatingDropVariant = 6;

void SetUpCraft(Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int v = e->phase % 10;
  const CraftVariant& c = kCraftVariants[v >= 1 && v <= 6 ? v : 0];
  e->sprite.colors[0] = c.colour;
  e->hp = c.hpAndScore;  // maxHp keeps the catalogue's value
  e->score = c.hpAndScore;
  r[16] = c.bulletType;
  if (v == kCraftRotatingDropVariant) e->dropItemKind = -1;
  if (f[0] == 0.0f) f[0] = SignFloat(180.0f - e->x) * 3.0f;  // toward the centre line
  if (f[1] == 0.0f) f[1] = -1.0f;                            // the reverse heading, once braked
  if (f[2] == 0.0f) f[2] = 12.6f;
  // 4096 extra volleys make difficulty 7 fire for as long as it lives.
  r[0] = d / 2 + 1 + 4 * (d > 4) * (d - 4) + 4096 * (d > 6);
  r[1] = MaxInt(d - 2, 0) + 1;
  r[2] = MaxInt(120 / (r[0] + 2), 6);
  r[3] = MaxInt(80 / (2 * d + 1), 1);
  r[4] = 0;
  // Leaves the tens of the stage phase: 10 or more gives a phase without movement code.
  e->SetEnemyPhase(e->phase - v);
}

// The U-turn: turns by floatRegs[0] a frame until it crosses the heading floatRegs[1].
void TurnCraft(Enemy* e) {
  const float d0 = e->direction;
  float dir = d0 + e->floatRegs[0];
  float t = e->floatRegs[1];
  if (d0 >= 180.0f && t < 180.0f) t += 360.0f;
  if (SignFloatAsInt(d0 - t) != SignFloatAsInt(dir - t)) {
    dir = e->floatRegs[1];
    e->intRegs[4] = 1;
  }
  e->direction = NormalizeAngle(dir);
}

void UpdateEnemy18Behaviour(GameWorld* world, Enemy* e) {
  (void)world;
  if (e->age == 1) SetUpCraft(e);
  switch (e->phase) {
    case 0:
      BrakeEnemy(e, 0.97f);
      if (e->speed < 3.5f) {
        e->speed = 3.5f;  // the field only: the velocity follows on the next update
        if (e->floatRegs[1] < 0.0f) e->floatRegs[1] = NormalizeAngle(e->direction + 180.0f);
        e->SetEnemyPhase(1);
      }
      break;
    case 1:
      if (e->intRegs[4] == 0)
        TurnCraft(e);
      else
        e->speed += 0.1f;
      e->SetVelocityPolar(e->direction, e->speed);
      break;
    default:
      break;
  }
  e->facing = NormalizeAngle(e->facing + e->floatRegs[2]);
}

void UpdateEnemy18Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 1) return;
  const int* r = e->intRegs;
  if (!FireGateCounted(e->phaseFrames, r[3], r[2], r[0], nullptr)) return;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float a = AngleFromEnemyToPlayer(world, e);
  const float sx = 0.35f + 0.01f * Df();
  const float sy = 0.97f * sx;
  const int first = MaxInt(10 - r[1] / 2, 4);
  for (int i = 0; i < r[1]; ++i)
    SpawnEnemyBullet(world, r[16], BulletFaceSpin, ox, oy, a, static_cast<float>(first + i) * B() / 10.0f, sx, sy);
}

// ---- Type 19: two-barrelled gunship ----------------------------------------------------------

constexpr int kGunBarrels[2] = {1, 2};

void UpdateEnemy19Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[0] = MaxInt((d - 1) / 2, 0);
        r[1] = MaxInt(144 / (4 * d + 6), 1);
        for (int b : kGunBarrels) e->launchers[b].aimAngle = e->facing;
      }
      e->SetVelocityPolar(TurnAngleToward(e->direction, AngleFromEnemyToPlayer(world, e), 1.0f), e->speed * 0.93f);
      if (e->speed < 2.5f) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[0] = MinInt(MaxInt(2 * d + 2, 8 * d - 24), 2 * d + 18);
        r[1] = d + 2;
        r[2] = MaxInt(120 / (r[1] + 2), 1);
        r[3] = 40 / (d + 1) + 2;
        f[0] = 0.5f * B();
        f[1] = 1.75f;
        // A float quotient: spacings such as 18.33 degrees are the game's own values.
        f[2] = MinFloat(static_cast<float>(15 * r[0] + 20), 180.0f) / static_cast<float>(r[0]);
      }
      BrakeEnemy(e, 0.966f);
      if (e->phaseFrames >= r[3] + 120) e->SetEnemyPhase(2);
      break;
    case 2:
      if (e->phaseFrames == 1) {
        r[0] = MinInt(d + 1 + (d > 3) * (d - 3) * (d - 1), 90);
        r[1] = MaxInt((d - 1) / 2, 1);
        r[2] = MaxInt(17 - 2 * d, 1);
        r[3] = 120 / (d + 6);
        f[0] = static_cast<float>((d - 2) * d * (d + 4)) * 0.1f / static_cast<float>(r[0]);
      }
      // Flees from the player while the barrels sweep in opposite senses.
      e->SetVelocityPolar(TurnAngleToward(e->direction, AngleFromEnemyToPlayer(world, e) + 180.0f, 4.0f),
                          e->speed * 0.988f + 0.07f);
      if (e->phaseFrames >= 2) {
        e->launchers[1].aimAngle = NormalizeAngle(e->launchers[1].aimAngle + f[0]);
        e->launchers[2].aimAngle = NormalizeAngle(e->launchers[2].aimAngle - f[0]);
      }
      if (e->phaseFrames >= r[3] + 180) e->SetEnemyPhase(3);
      break;
    default:
      break;
  }
  if (e->phase != 2) {
    e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), 2.0f);
    for (int b : kGunBarrels) {
      EnemyLauncher& l = e->launchers[b];
      l.aimAngle = TurnAngleToward(l.aimAngle, AngleToPlayer(world, l.x, l.y), 2.4f);
    }
  }
}

// From each barrel n bullets at one point that fan out in depth by their accelerations.
void FireGunStrings(GameWorld* world, Enemy* e, int n) {
  const int d = g_difficulty;
  const float sc = 0.5f + 0.03f * Df();
  const int k = d - 2 * (d < 3) * (3 - d);
  for (int b : kGunBarrels) {
    float ox = 0, oy = 0, aim = 0;
    ShotOriginOf(e, b, &ox, &oy, &aim);
    for (int j = n - 1; j >= 0; --j) {
      EnemyBullet* q = SpawnEnemyBullet(world, 1, kFaceLaunchAngle, ox, oy, aim, 0.0f, sc, sc);
      const float accel =
          (0.17f + 0.02f * static_cast<float>(k)) * static_cast<float>(j + 1) / static_cast<float>(n);
      SetBulletAccelMotion(q, accel, 1.0f, 0.992f, 8.3f);
    }
  }
}

void FireGunFans(GameWorld* world, Enemy* e, int v) {
  const int* r = e->intRegs;
  const float* f = e->floatRegs;
  float ox = 0, oy = 0;
  LauncherPosition(e, 0, &ox, &oy);
  const float a = AngleToPlayer(world, ox, oy);
  // The first volley at 0.5B, the last at 1.75.
  const float speed =
      (f[0] - f[1]) * static_cast<float>(r[1] - 1 - v) / static_cast<float>(MaxInt(r[1] - 1, 1)) + f[1];
  const float spin = RandomSignFloat() * 13.0f;
  for (int j = 0; j < r[0]; ++j) {
    EnemyBullet* q = SpawnEnemyBullet(world, 59, BulletFaceSpin, ox, oy, FanAngle(a, j, r[0], f[2]), speed, 0.4f, 0.4f);
    if (q) q->spinStep = spin;
  }
}

void UpdateEnemy19Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  int v = 0;
  switch (e->phase) {
    case 0:
      if (FireGateEvery(e->phaseFrames, r[1]) && r[0] > 0) FireGunStrings(world, e, r[0]);
      break;
    case 1:
      if (FireGateCounted(e->phaseFrames, 1, r[2], r[1], &v)) FireGunFans(world, e, v);
      break;
    case 2:
      if (FireGateCounted(e->phaseFrames, 1, r[2], r[0], nullptr)) FireGunStrings(world, e, r[1]);
      break;
    default:
      break;
  }
}

}  // namespace

void RegisterMixedEnemies() {
  RegisterEnemyTypeCode(16, UpdateEnemy16Behaviour, UpdateEnemy16Attack);
  RegisterEnemyTypeCode(17, UpdateEnemy17Behaviour, UpdateEnemy17Attack);
  RegisterEnemyTypeCode(18, UpdateEnemy18Behaviour, UpdateEnemy18Attack);
  RegisterEnemyTypeCode(19, UpdateEnemy19Behaviour, UpdateEnemy19Attack);
}
