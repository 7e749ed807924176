// The parts of the timeline boss (93 to 97) and the drone its bays launch (98): two spinning
// side plates that fire inward crosses (93), two arms that fire orbiting spirals once the boss
// starts them (94), each carrying a drone bay that turns toward the player (95), a rear fountain
// (96) and two rear ring guns (97) that fire the bursts the boss counts out to them. The parts
// ride on their parent through the orbit fields and fall silent while the boss is dying; a part
// without a parent dies without reward. The drones have no parent and live on.

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kDroneType = 98;

// +1 for an odd slot in the parent, -1 for an even one: the two parts of a pair mirror.
float SideSign(const Enemy* e) { return e->indexInParent % 2 != 0 ? 1.0f : -1.0f; }

// The parts fire only while the boss is alive and not in its death sequence.
bool BossQuiet(const Enemy* boss) { return !boss || boss->dyingCounter != 0; }

// Rides on a point of the boss: base there, the catalogue's orbit radius at this angle.
void RideOn(Enemy* e, float baseX, float baseY, float orbitAngle) {
  e->baseX = baseX;
  e->baseY = baseY;
  e->orbitAngle = orbitAngle;
}

// The stretch of the rear parts' bullets (and the boss's beam), in whole numbers: 23 at
// difficulty 0 down to 9 at 7.
float RearStretch() { return F(115 / (g_difficulty + 5)); }

// Gate of the counted volleys: timer % gap == gap - 1 and the shot number timer / gap below
// count. A gap below 1 fires nothing.
bool CountedShot(int timer, int gap, int count, int* outShot) {
  if (gap < 1 || timer % gap != gap - 1) return false;
  const int q = timer / gap;
  if (q >= count) return false;
  if (outShot) *outShot = q;
  return true;
}

// ---- 93: side plate --------------------------------------------------------------------------

void UpdateSidePlateBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = d + 1 + MaxInt(2 * d - 5, 0);
    r[1] = MaxInt((d - 2) / 2, 0) + 1;
    r[2] = MaxInt((d - 3) / 2, 0) + 1;
    r[3] = MaxInt((18 * r[0] + 49) / r[0], 1);
    r[4] = MaxInt(1344 / (d + 6), 1);
    r[5] = 1;
    r[6] = 0;
    r[32] = 0;
    e->floatRegs[0] = (Df() * 0.36f + 5.27f) * SideSign(e);
  }
  if (r[5] != 0) {
    r[6] += 1;
    if (r[6] >= r[0] * r[3] + r[4]) {
      r[6] = 0;
      r[5] &= 1;
    }
  }
  const Enemy* boss = e->parent;
  RideOn(e, boss->x, boss->y, boss->facing + 24.0f * SideSign(e));
  e->facing = NormalizeAngle(e->facing + e->floatRegs[0]);
}

void UpdateSidePlateAttack(GameWorld* world, Enemy* e) {
  if (BossQuiet(e->parent) || e->phase != 0) return;
  const int* r = e->intRegs;
  int q = 0;
  if (!CountedShot(r[6], r[3], r[0], &q)) return;
  const float spin = e->floatRegs[0];
  for (int g = 0; g < 4; ++g) {
    for (int j = 0; j < 2; ++j) {
      float ox = 0, oy = 0, placement = 0;
      ShotOriginOf(e, 2 * g + j, &ox, &oy, &placement);
      const int n = r[1 + j];
      for (int m = 0; m < n; ++m) {
        // Each shot crosses the plate inward from its eight points.
        const float angle =
            placement + e->facing + 180.0f + F(2 * m - (n - 1)) * (3.15f + 1.8f * F(j)) - F(q) * spin * 0.4f;
        EnemyBullet* b = SpawnEnemyBullet(world, 83, BulletFaceSpin, ox, oy, angle, (B() - 3.5f) * 0.3f + 2.45f,
                                          0.3f + 0.1f * F(j), 0.24f + 0.08f * F(j));
        if (b) b->spinStep = 2.0f * spin;
      }
    }
  }
}

// ---- 94: arm ---------------------------------------------------------------------------------

void UpdateArmBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    SpawnCatalogueChildren(world, e);
    r[0] = d / 2 + 1 + (d > 2) * (d - 2);
    r[1] = (d + 1) / 2 + 6;
    r[2] = MaxInt((6 * r[0] + 35) / r[0], 1);
    r[3] = MaxInt(2070 / (d + 9), 1);
    r[4] = 0;
    r[5] = 0;
    r[6] = d / 2 + 1;
    e->floatRegs[0] = (Df() * 0.12f + 1.67f) * SideSign(e);
  }
  if (r[4] == 1) {
    r[5] += 1;
    // At the end of its shots the arm hands its bay the drones of this cycle.
    if (r[5] == r[0] * r[2]) {
      if (Enemy* bay = EnemyChildAt(e, 0)) bay->intRegs[0] = r[6];
    }
    if (r[5] >= r[0] * r[2] + r[3]) {
      r[3] = MaxInt(r[3] * (d + 8) / (d + 7), 1);  // the pause grows every cycle
      r[5] = 0;
    }
  }
  const Enemy* boss = e->parent;
  if (boss->dyingCounter != 0) e->floatRegs[0] *= 0.986f;
  RideOn(e, boss->x, boss->y, boss->facing + 90.0f * SideSign(e));
  e->facing = NormalizeAngle(e->facing + e->floatRegs[0]);
}

void UpdateArmAttack(GameWorld* world, Enemy* e) {
  if (BossQuiet(e->parent) || e->phase != 0) return;
  const int* r = e->intRegs;
  int q = 0;
  if (r[4] != 1 || !CountedShot(r[5], r[2], r[0], &q)) return;
  const float spin = e->floatRegs[0];
  const float aim = AngleFromEnemyToPlayer(world, e);
  const int n = r[1];
  for (int l = 0; l < 4; ++l) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, l, &ox, &oy, &unused);
    const bool centre = l == 0;
    for (int m = 0; m < n; ++m) {
      const float angle = SignFloat(spin) * F(3 * m + q) * 360.0f / F(3 * n) + aim;
      // Made at the arm itself; the orbit offset turns with the arm's spin.
      EnemyBullet* b = SpawnEnemyBullet(world, centre ? 1 : 11, BulletFaceSpin, e->x, e->y, angle, B(),
                                        centre ? 0.8f : 0.3f, centre ? 0.7f : 0.25f);
      if (!b) continue;
      b->spinStep = 2.0f * spin;
      b->orbitAngleVel = spin;
      b->orbitAngleVelFactor = 1.0f;
      b->orbitAngle = AngleFromTo(ox, oy, e->x, e->y);
      b->orbitRadius = centre ? 0.0f : Hypot(e->x - ox, e->y - oy);
    }
  }
}

// ---- 95: drone bay ---------------------------------------------------------------------------

void UpdateDroneBayBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const Enemy* arm = e->parent;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = 0;
    r[1] = MaxInt(216 / (g_difficulty + 8), 2);
    r[2] = 0;
    e->floatRegs[0] = 240.0f * SideSign(arm);
  }
  if (r[0] > 0) {
    r[2] += 1;
    if (r[2] >= r[1]) {
      r[0] -= 1;
      r[2] = 0;
    }
  }
  float& offset = e->floatRegs[0];
  const float toPlayer = AngleFromEnemyToPlayer(world, arm);
  offset = NormalizeAngle(TurnAngleToward(arm->orbitAngle + offset, toPlayer, 1.0f) - arm->orbitAngle);
  RideOn(e, arm->x, arm->y, arm->orbitAngle + offset);
  e->facing = e->orbitAngle;
}

void UpdateDroneBayAttack(GameWorld* world, Enemy* e) {
  const Enemy* arm = e->parent;
  // The boss is reached through the arm; an arm whose boss is gone launches nothing.
  if (!arm || BossQuiet(arm->parent) || e->phase != 0) return;
  const int* r = e->intRegs;
  if (r[2] != r[1] - 1) return;  // the frame before each countdown step: one drone per count
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  LaunchEnemy(world, kDroneType, ox, oy, e->facing, 8.0f);
}

// ---- 96: rear fountain -----------------------------------------------------------------------

void UpdateFountainBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = 0;
    r[1] = 5 * d / 2 + 2 + MaxInt(2 * (d - 2) * (d - 1) / (d + 2), 0);
    r[2] = MaxInt(60 / r[1], 1);
    r[3] = MaxInt(320 / (d + 4), 2);
    r[4] = 0;
  }
  if (r[0] > 0) {
    r[4] += 1;
    if (r[4] >= r[1] * r[2] + r[3]) {
      r[0] -= 1;
      r[4] = 0;
    }
  }
  const Enemy* boss = e->parent;
  RideOn(e, boss->x + 3.0f, boss->y, boss->facing + 180.0f);
  e->facing = e->orbitAngle;
}

// Both rear parts accelerate their bullets upward within 30 degrees (one draw).
void SetRearBulletMotion(EnemyBullet* b) {
  const float spread = RandomFloat(60.0f);
  if (!b) return;
  b->accelFactor = 1.012f;
  b->friction = 0.94f;
  b->SetBulletAccelPolar(270.0f + spread - 30.0f, Df() * 0.0033f + 0.04f);
}

void UpdateFountainAttack(GameWorld* world, Enemy* e) {
  if (BossQuiet(e->parent)) return;
  const int* r = e->intRegs;
  if (r[0] <= 0 || !CountedShot(r[4], r[2], r[1], nullptr)) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float speed = RandomFloat(1.0f) * B();
  const float angle = RandomFloat(360.0f);
  EnemyBullet* b = SpawnEnemyBullet(world, 53, BulletFaceMotion, ox, oy, angle, speed, 0.5f, 0.5f);
  SetRearBulletMotion(b);
  if (b) b->stretch = RearStretch();
}

// ---- 97: rear ring ---------------------------------------------------------------------------

void UpdateRearRingBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = 0;
    r[1] = (d + 1) / 3;  // 0 below difficulty 2: it never fires
    r[2] = 3 * d / 5 + 2;
    r[3] = MaxInt(40 / MaxInt(r[1], 1), 1);
    r[4] = MaxInt(320 / (d + 4), 2);
    r[5] = 0;
  }
  if (r[0] > 0) {
    r[5] += 1;
    if (r[5] >= r[1] * r[3] + r[4]) {
      r[0] -= 1;
      r[5] = 0;
    }
  }
  const Enemy* boss = e->parent;
  RideOn(e, boss->x + 3.0f, boss->y, boss->facing + 180.0f + 46.0f * SideSign(e));
  e->facing = boss->facing + 180.0f;
}

void UpdateRearRingAttack(GameWorld* world, Enemy* e) {
  if (BossQuiet(e->parent)) return;
  const int* r = e->intRegs;
  int q = 0;
  if (r[0] <= 0 || !CountedShot(r[5], r[3], r[1], &q)) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const int n = r[2];
  for (int k = 0; k < n; ++k) {
    const float angle = RingAngle(e->facing, k, n);
    EnemyBullet* b = SpawnEnemyBullet(world, 49, BulletFaceMotion, ox, oy, angle, F(q + 1) * B() / F(r[1]), 0.5f, 0.5f);
    SetRearBulletMotion(b);
    if (!b) continue;
    b->SetBulletAccelXY(b->accelX - b->vx * 0.01f, b->accelY);
    b->stretch = RearStretch();
  }
}

// ---- 98: drone -------------------------------------------------------------------------------

// No movement of its own: it keeps its launch velocity until it leaves the field.
void UpdateDroneBehaviour(GameWorld*, Enemy* e) {
  if (e->age != 1) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  r[0] = 2 * (d > 6) + 2 * (d > 4) + 1;
  r[1] = (d > 0) + 2 * (d > 5);
  r[2] = MaxInt(60 / (d + 1), 1);
}

void UpdateDroneAttack(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  const int* r = e->intRegs;
  const int period = r[2];
  if (e->age <= 1 || period < 1 || e->phaseFrames % period != period / 3) return;
  if (!(e->y < F(MinInt(d * 30 + 360, 475)))) return;  // low on the field it holds its fire
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  for (int g = 0; g < 3; ++g) {
    const int n = g == 0 ? r[0] : r[1];  // one fan forward, two to the rear
    const float base = NormalizeAngle(F(g * 120) + e->facing);
    for (int m = 0; m < n; ++m) {
      EnemyBullet* b =
          SpawnEnemyBullet(world, 7, BulletFaceMotion, ox, oy, F(2 * m - (n - 1)) * 1.8f + base, 0.0f, 0.6f, 0.4f);
      if (!b) continue;
      b->stretch = 4.2f;
      SetBulletAccelAlong(b, Df() * 0.0045f + 0.065f);
      b->friction = 0.976f;
      b->accelFactor = 1.006f;
    }
  }
}

}  // namespace

void RegisterTimelineBossParts() {
  RegisterEnemyTypeCode(93, UpdateSidePlateBehaviour, UpdateSidePlateAttack);
  RegisterEnemyTypeCode(94, UpdateArmBehaviour, UpdateArmAttack);
  RegisterEnemyTypeCode(95, UpdateDroneBayBehaviour, UpdateDroneBayAttack);
  RegisterEnemyTypeCode(96, UpdateFountainBehaviour, UpdateFountainAttack);
  RegisterEnemyTypeCode(97, UpdateRearRingBehaviour, UpdateRearRingAttack);
  RegisterEnemyTypeCode(98, UpdateDroneBehaviour, UpdateDroneAttack);
}
