// The pod carriers: the diving gunship (28), and the large carrier (29) that hovers on a looping
// path, launches type-21 drones and carries six coloured pods (30) on a ring. A slot whose pod
// is gone fires bursts of its own; the drones are independent enemies without a parent link.

#include <cmath>
#include <cstdint>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "player/Item.h"
#include "player/Player.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Type 28: diving gunship -----------------------------------------------------------------

constexpr int kDiveFrame = 300;
// A side-shot period this long means no side shots.
constexpr int kNoSideShots = 32768;

void UpdateEnemy28Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = MaxInt(d - 3, 1);
    r[1] = MinInt(d + 1, 8);
    r[2] = MaxInt((60 - 3 * d) / (2 * d + 1), 3);
    r[3] = MaxInt(240 / (4 * d + 3), 8);
    r[4] = 0;
    f[0] = RandomFloat(360.0f);
    r[5] = 40 / MaxInt(d - 2, 1) + kNoSideShots * (d < 3);
    r[6] = RandomInt(r[5]);
    r[7] = SafeMod(r[6] + r[5] / 2, r[5]);  // half a period after the first side
    f[1] = -1.0f;
  }
  if (e->phase != 0) return;
  if (e->phaseFrames < kDiveFrame) {
    BrakeEnemy(e, 0.96f);
  } else {
    if (f[1] < 0.0f) f[1] = AngleFromEnemyToPlayer(world, e) + 360.0f;
    float ax = 0, ay = 0;
    PolarToXY(&ax, &ay, f[1], 0.3f);
    // From difficulty 5 on it dives at where the player was; below, the vertical push is
    // reversed, so it climbs away from a player below it.
    const float s = d >= 5 ? 1.0f : -1.0f;
    e->SetVelocityXY(0.96f * e->vx + ax, 0.96f * e->vy + s * ay);
  }
  e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), 2.4f);
}

void FireGunshipSideShot(GameWorld* world, Enemy* e, int side) {
  float ox = 0, oy = 0;
  LauncherPosition(e, side + 1, &ox, &oy);
  const float w = MinFloat(1.6f * Df() + 4.0f, 60.0f);
  const float a = AngleFromEnemyToPlayer(world, e);
  const float spread = RandomFloat(w);
  EnemyBullet* b = SpawnEnemyBullet(world, 9, BulletFaceSpin, ox, oy, a + spread - w / 2.0f, 2.0f, 0.35f, 0.42f);
  const float sign = RandomSignFloat();
  const float spin = RandomFloat(8.0f);
  if (b) b->spinStep = sign * (16.0f + spin);
}

void UpdateEnemy28Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 0) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int pf = e->phaseFrames;
  int v = 0;
  if (FireGateCounted(pf, r[3], r[2], kNoVolleyLimit, &v)) {
    if (r[4] == 0) {  // every r[1] volleys share one aim
      const float a = AngleFromEnemyToPlayer(world, e);
      const float jitter = RandomFloat(64.0f);
      f[0] = a + jitter - 32.0f;
    }
    float ox = 0, oy = 0;
    LauncherPosition(e, 0, &ox, &oy);
    for (int i = 0; i < r[0]; ++i) {
      SpawnEnemyBullet(world, 103 + v % 2, kFaceLaunchAngle, ox, oy, f[0] + F(2 * i - (r[0] - 1)) * 3.5f,
                       1.04f * B(), 0.55f, 0.55f);
    }
    r[4] = SafeMod(r[4] + 1, r[1]);
  }
  if (r[5] >= 1 && r[5] < kNoSideShots) {
    for (int side = 0; side < 2; ++side)
      if (pf % r[5] == r[6 + side]) FireGunshipSideShot(world, e, side);
  }
}

// ---- Type 29: pod carrier --------------------------------------------------------------------

constexpr int kPodCount = 6;
constexpr int kCarrierDroneType = 21;
constexpr int kPodRetireFrame = 2400;  // 40 seconds
constexpr int kPodSpinOrdersFrom = 101;
constexpr int kOptionClassMax = 3;
// Pods 0 to 5: green, blue, red, cyan, yellow, magenta (the tints of launch points 1 to 6).
constexpr uint32_t kPodColours[kPodCount] = {0xFF00E000, 0xFF0000E0, 0xFFE00000,
                                             0xFF00E0E0, 0xFFE0E000, 0xFFE000E0};

void SetUpPods(GameWorld* world, Enemy* e) {
  SpawnEnemyParts(world, e, "111111");
  for (int i = 0; i < kPodCount; ++i) {
    Enemy* pod = EnemyChildAt(e, i);
    if (!pod) continue;
    pod->sprite.colors[0] = kPodColours[i];
    pod->facing = NormalizeAngle(60.0f * F(i) + e->facing);
    pod->launchers[0].aimAngle = pod->facing;
    pod->dropItemKind = i + 6;  // the option item of its colour
  }
}

// Six pods that lived 40 seconds each raise their colour's class and leave its option item;
// any fewer vanish without items or score.
void RetirePods(GameWorld* world, Enemy* e) {
  Player& p = world->player;
  if (CountLiveChildren(e) == kPodCount) {
    for (int i = 0; i < kPodCount; ++i) {
      const Enemy* pod = EnemyChildAt(e, i);
      if (!pod) continue;
      if (p.optionClassLevel[i] < kOptionClassMax) p.optionClassLevel[i] += 1;
      const int kind = i + ItemOptionFirst + kPodCount * p.optionClassLevel[i];
      const float s = RandomFloat(4.0f);
      const float speed = (e->y + 64.0f) * 18.0f / 480.0f + s;
      const float a = RandomFloat(9.0f);
      Item* item = ConstructItem(world, kind, pod->x, pod->y, 85.5f + a, speed);
      const float facing = RandomFloat(360.0f);
      if (item) item->facing = facing;
    }
  }
  for (int i = 0; i < kPodCount; ++i) {
    Enemy* pod = EnemyChildAt(e, i);
    if (!pod) continue;
    pod->score = 0;
    pod->dropItemCount = -1;
    pod->dropItemKind = 0;
    KillEnemy(true, world, 0, pod);
  }
}

// Every pod's barrel turns one full circle, each at its own rate, in senses chosen by the
// order's pattern: all one way, all the other, alternating, by halves of the ring, or at random.
void OrderPodSpin(Enemy* e) {
  if (RandomInt(1024) > e->intRegs[14]) return;
  const int order = RandomInt(5);
  const int shift = RandomInt(6);
  const float sign = RandomSignFloat();
  const float magnitude = RandomFloat(3.0f);
  const float base = sign * (3.2f + magnitude);
  const float w = RandomFloat(1.8f);
  for (int i = 0; i < kPodCount; ++i) {
    Enemy* pod = EnemyChildAt(e, i);
    if (!pod) continue;
    int sense = 1;
    switch (order) {
      case 0: sense = 1; break;
      case 1: sense = -1; break;
      case 2: sense = 2 * ((i + shift) % 2) - 1; break;
      case 3: sense = 2 * (((i + shift) / 3) % 2) - 1; break;
      default: sense = RandomSign(); break;
    }
    const float rate = RandomFloat(w);
    pod->intRegs[0] = 1;
    pod->floatRegs[0] = F(sense) * (base + 2.0f * rate - w);
  }
}

void UpdateEnemy29Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = (d > 0) + 1 + d / 3;
    r[1] = MaxInt(48 / (d + 3), 1);
    r[2] = MaxInt(960 / (d + 8), 8);
    r[3] = -60;  // the first drone cycle starts a second after the spawn
    r[4] = MaxInt(d - 4, 0) + 1;
    r[5] = 2 * MaxInt(d - 3, 0) + 4 + 2 * d + 4 * MaxInt(d - 5, 0);
    r[6] = MaxInt(40 / (d + 2) - d / 4, 1);
    r[7] = MaxInt(450 / (d + 5) - 2 * d, 8);
    for (int i = 0; i < kPodCount; ++i) r[8 + i] = -1;
    r[14] = d + 1;
    const float sign = RandomSignFloat();
    f[0] = (0.3f + 0.024f * Df()) * sign;
    f[1] = (0.005f + 0.0011f * Df()) * SignFloat(f[0]);
    e->facing = RandomFloat(360.0f);
    SetUpPods(world, e);
  }
  if (e->phase == 0) {
    if (e->phaseFrames == kPodRetireFrame) RetirePods(world, e);
    if (e->phaseFrames >= kPodSpinOrdersFrom) OrderPodSpin(e);
    r[3] += 1;
    if (r[3] >= r[0] * r[1] + r[2]) r[3] = 0;
    for (int i = 0; i < kPodCount; ++i) {
      if (EnemyChildAt(e, i)) continue;  // a live pod keeps its slot quiet
      r[8 + i] += 1;
      if (r[8 + i] >= r[5] * r[6] + r[7]) r[8 + i] = 0;
    }
    BrakeEnemy(e, 0.89f);
    const float tx = 180.0f + 80.0f * std::sin(1.7f * F(e->age) * kPi / 180.0f);
    const float ty = 120.0f + 30.0f * std::cos(2.3f * F(e->age) * kPi / 180.0f);
    SteerEnemyFromWithJitter(e, e->x, e->y, tx, ty, 0.04f, 1.0f, 0.04f, 0.02f);
  }
  // The spin swings between -12 and +12 degrees a frame; the pods sit on the facing.
  f[0] += f[1];
  if (f[0] < -12.0f) f[1] = std::fabs(f[1]);
  if (f[0] > 12.0f) f[1] = -std::fabs(f[1]);
  e->facing = NormalizeAngle(e->facing + f[0]);
}

void FireSlotBurst(GameWorld* world, Enemy* e, int slot) {
  const int n = e->intRegs[4];
  float ox = 0, oy = 0;
  LauncherPosition(e, slot + 1, &ox, &oy);
  const float w = 1.8f * Df();
  for (int j = 0; j < n; ++j) {
    const float spread = RandomFloat(2.0f * w);
    const float angle = e->facing + 60.0f * F(slot) + F(2 * j - (n - 1)) * 8.0f + spread - w;
    const int type = 48 + 2 * slot + RandomInt(2);  // the pod's colour pair
    EnemyBullet* b = SpawnEnemyBullet(world, type, BulletFaceSpin, ox, oy, angle, 0.12f * B() + 3.08f, 0.35f, 0.35f);
    const float sign = RandomSignFloat();
    const float spin = RandomFloat(12.0f);
    if (b) b->spinStep = sign * (16.0f + spin);
  }
}

void UpdateEnemy29Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  if (FireGateCounted(r[3], 0, r[1], r[0], nullptr)) {
    float ox = 0, oy = 0;
    LauncherPosition(e, 0, &ox, &oy);
    const float speed = 9.0f + RandomFloat(0.8f);
    const float a = AngleFromEnemyToPlayer(world, e);
    const float spread = RandomFloat(124.0f);
    LaunchEnemy(world, kCarrierDroneType, ox, oy, a + spread - 62.0f, speed);
  }
  for (int i = 0; i < kPodCount; ++i)
    if (FireGateCounted(r[8 + i], 0, r[6], r[5], nullptr)) FireSlotBurst(world, e, i);
}

// ---- Type 30: carrier pod --------------------------------------------------------------------

constexpr float kPodRingRadius = 60.0f;

void UpdateEnemy30Behaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->age == 1) {
    r[0] = 0;
    f[0] = 0;
    f[1] = 0;
    r[1] = MaxInt(d - 3, 0) + 1;
    r[2] = MaxInt(144 / (d + 3) - d / 2, 2);
    r[3] = MaxInt(90 / (d + 3) - d, 1);
    r[4] = -100;  // the first shot on the 100th frame
    r[5] = 0;
    f[2] = 60.0f * F(e->indexInParent);
    e->orbitRadius = kPodRingRadius;
  }
  // On the ring that turns with the carrier, facing outward.
  e->SnapEnemyBaseToParent();
  e->orbitAngle = e->parent->facing + f[2];
  e->facing = e->orbitAngle;
  if (r[0] == 1) {  // a spin order: one full turn of the barrel
    f[1] += f[0];
    if (std::fabs(f[1]) >= 360.0f) {
      f[1] = 0;
      r[0] = 0;
    }
  }
  // Fire mode: 0 slow, negative a pause counting up, positive the rapid shots so far. The
  // three steps run one after the other, each seeing what the one before changed: rapid fire
  // that starts on the frame of a due shot already counts (and may stop) that shot.
  if (r[5] == 0 && RandomInt(1024) < d + 4) r[5] = 1;
  if (r[5] < 0) r[5] += 1;
  if (r[5] > 0 && r[4] == -1) {  // a shot is due this frame
    if (RandomInt(128) < 16 - 5 * d + 2 * r[5]) r[5] = (-r[5] * r[3]) / 2;
    r[5] += 1;
  }
  r[4] += 1;
  e->launchers[0].aimAngle = NormalizeAngle(e->facing + f[1]);
}

void UpdateEnemy30Attack(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  if (r[4] < 0 || r[5] < 0) return;
  float ox = 0, oy = 0, aim = 0;
  ShotOriginOf(e, 0, &ox, &oy, &aim);
  for (int i = 0; i < r[1]; ++i) {
    const float a = NormalizeAngle(aim + F(2 * i - (r[1] - 1)) * 6.0f);
    const int type = 2 * e->indexInParent + RandomInt(2);
    EnemyBullet* b = SpawnEnemyBullet(world, type, kFaceLaunchAngle, ox, oy, a, 0.0f, 0.48f, 0.48f);
    if (!b) continue;
    b->stretch = 8.4f;
    b->friction = 0.987f;
    b->accelFactor = 1.012f;
    b->SetBulletAccelPolar(a, 0.11f);
  }
  r[4] = r[5] == 0 ? -r[2] : -r[3];
}

}  // namespace

void RegisterPodCarrierEnemies() {
  RegisterEnemyTypeCode(28, UpdateEnemy28Behaviour, UpdateEnemy28Attack);
  RegisterEnemyTypeCode(29, UpdateEnemy29Behaviour, UpdateEnemy29Attack);
  RegisterEnemyTypeCode(30, UpdateEnemy30Behaviour, UpdateEnemy30Attack);
}
