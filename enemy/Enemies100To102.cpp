// The pod boss's twelve pods, four each of types 100, 101 and 102: one behaviour and one attack
// with per-type constants. A pod spins, holds the formation slot the boss lays out for it or
// later a place on a ring around the boss, and fires in the mode the boss sets as its phase.
// Without its boss it dies at once, without reward.

#include <cmath>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/Enemy99.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// The constants of SpringEnemyTowardPoint.
struct PodSpring {
  float factor, base, cap, damping;
};

// a x B + c.
struct SpeedOfBase {
  float a, c;
  float Of(float b) const { return b * a + c; }
};

struct BossPodKind {
  float spinRange, spinBase;       // spin = (RandomFloat(range) + base) x a random side
  int t1, t2;                      // difficulty thresholds of the phase-1 spread and steps
  int pauseSpiral;                 // phase-1 pause: Max(this / (D + 2), 16)
  int shotsPerD, shotsBase;        // phase-2 shots per burst: per x D + base
  int pauseTriplets;               // phase-2 pause: Max(this / (D + 3), 24)
  int ringFanNum, ringFanPerD, ringFanBase;  // phase-10 fan period - 1: num / (per x D + base)
  int column;                      // formation column
  PodSpring formation, ring;
  float fanA, fanB;                // fan spread (width x a + b) / width
  int fanType;
  SpeedOfBase formationFanSpeed, ringFanSpeed;
  int spiralType, tripletType;
  SpeedOfBase tripletSpeed;
};

constexpr BossPodKind kPodA = {0.1f, 0.5f, 6, 1, 300, 3, 2, 720, 90, 1, 1, 0,
                               {0.003f, 0.04f, 0.6f, 0.92f}, {0.012f, 0.16f, 2.4f, 0.82f},
                               0.5f, 1.7f, 48, {0.78f, 0.0f}, {0.38f, 0.7f}, 129, 139, {0.26f, 1.4f}};
constexpr BossPodKind kPodB = {0.15f, 0.65f, 5, 2, 240, 4, 4, 840, 600, 5, 6, 1,
                               {0.0033f, 0.06f, 0.7f, 0.916f}, {0.0132f, 0.24f, 2.8f, 0.816f},
                               0.43f, 1.3f, 52, {0.84f, 0.0f}, {0.44f, 0.7f}, 131, 133, {0.34f, 1.54f}};
constexpr BossPodKind kPodC = {0.2f, 0.85f, 4, 3, 180, 5, 6, 960, 440, 3, 4, 2,
                               {0.0023f, 0.02f, 0.5f, 0.94f}, {0.0092f, 0.08f, 2.0f, 0.832f},
                               0.36f, 0.9f, 50, {0.9f, 0.0f}, {0.5f, 0.7f}, 130, 130, {0.42f, 1.68f}};

constexpr int kSpinReg = 0;           // floatRegs: degrees per frame
constexpr int kTripletAimReg = 48;    // floatRegs: phase-2 burst aim
constexpr int kSpiralTimerReg = 36;   // intRegs
constexpr int kTripletTimerReg = 51;  // intRegs
constexpr int kRingFanTimerReg = 66;  // intRegs

void SetUpBossPod(Enemy* e, const BossPodKind& k) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  const float side = RandomSignFloat();
  const float spin = RandomFloat(k.spinRange);
  e->floatRegs[kSpinReg] = (spin + k.spinBase) * side;
  r[kBossPodStopReg] = 0;
  r[kBossPodRankReg] = 0;
  r[16] = (d > 3) * ((d - 2) / 2) * 2 + 1;
  r[32] = (d > k.t1) * (d - k.t1) + 1;
  r[33] = ((d > k.t2) * (d - k.t2) + 1) - (d > k.t1) * (d - k.t1);
  r[34] = MaxInt(6 - (d + 1) / 2, 1);
  r[35] = MaxInt(k.pauseSpiral / (d + 2), 16);
  const int spiralWait = RandomInt(r[35]);
  r[kSpiralTimerReg] = -1 - spiralWait;
  r[48] = k.shotsPerD * d + k.shotsBase;
  r[49] = 2 - (d > 3);
  r[50] = MaxInt(k.pauseTriplets / (d + 3), 24);
  const int tripletWait = RandomInt(r[50]);
  r[kTripletTimerReg] = -1 - tripletWait;
  r[64] = (d > 3) * ((d - 2) / 2) * 2 + 1;
  r[65] = k.ringFanNum / (k.ringFanPerD * d + k.ringFanBase);
  r[kRingFanTimerReg] = RandomInt(r[65]);
  e->floatRegs[kTripletAimReg] = 0.0f;
  e->facing = RandomFloat(360.0f);
  e->baseX = e->parent->x;
  e->baseY = e->parent->y;
}

// A burst timer: runs up from a negative wait through a burst of `length` frames, then waits
// again; a stopped pod finishes the burst under way and then holds at a random wait. Returns
// true on the frame where the burst starts (the timer reaches 0).
bool RunBurstTimer(Enemy* e, int reg, int length, int pause) {
  int* r = e->intRegs;
  if (r[kBossPodStopReg] != 0 && r[reg] < 0) return false;
  r[reg] += 1;
  const bool started = r[reg] == 0;
  if (r[reg] >= length) {
    if (r[kBossPodStopReg] == 0) {
      r[reg] = -1;  // the next burst starts on the next frame
    } else {
      const int wait = RandomInt(pause);
      r[reg] = -1 - wait;
    }
  }
  return started;
}

void RunPodTimers(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  switch (e->phase) {
    case BossPodSpiral:
      RunBurstTimer(e, kSpiralTimerReg, r[33] * r[34] + r[35], r[35]);
      break;
    case BossPodTriplets:
      if (RunBurstTimer(e, kTripletTimerReg, r[48] * r[49] + r[50], r[50]))
        e->floatRegs[kTripletAimReg] = AngleFromEnemyToPlayer(world, e);
      break;
    case BossPodRing:
      r[kRingFanTimerReg] += 1;
      if (r[kRingFanTimerReg] > r[65]) r[kRingFanTimerReg] = 0;
      break;
    default:
      break;
  }
}

// Its formation slot beside the boss, or its place on the ring.
void MovePod(Enemy* e, const BossPodKind& k) {
  const Enemy* boss = e->parent;
  const float* bf = boss->floatRegs;
  float tx = 0, ty = 0;
  const PodSpring* spring = &k.formation;
  if (e->phase < BossPodRing) {
    // For the boss's pods this is slot indexInParent / 2, mirrored to the left for an even index.
    const int j = 3 * (e->indexInParent / 6) + k.column;
    const float side = e->indexInParent % 2 != 0 ? 1.0f : -1.0f;
    tx = boss->x + side * bf[kPodBossSlotsReg + 2 * j];
    ty = boss->y + bf[kPodBossSlotsReg + 2 * j + 1];
  } else {
    // Places on whole degrees, (rank x 360) / survivors. A live pod is one of the survivors, so
    // at least one remains.
    const int alive = MaxInt(kPodBossPods - boss->intRegs[kPodBossLostReg], 1);
    const float angle = RingAngle(bf[kPodBossRingAngleReg], e->intRegs[kBossPodRankReg], alive);
    const float radius =
        bf[kPodBossRingRadiusReg] + bf[kPodBossRingSwingReg] * std::sin(bf[kPodBossSwingPhaseReg] * kPi / 180.0f);
    float ox = 0, oy = 0;
    PolarToXY(&ox, &oy, angle, radius);
    tx = boss->x + ox;
    ty = boss->y + oy;
    spring = &k.ring;
  }
  SpringEnemyTowardPoint(e, tx, ty, spring->factor, spring->base, spring->cap, spring->damping);
}

void UpdateBossPodBehaviour(GameWorld* world, Enemy* e, const BossPodKind& k) {
  if (KillIfOrphaned(world, e)) return;
  if (e->age == 1) SetUpBossPod(e, k);
  RunPodTimers(world, e);
  MovePod(e, k);
  e->facing = NormalizeAngle(e->facing + e->floatRegs[kSpinReg]);
}

// A fan from launcher 0 along the given aim (phases 0 and 10).
void FirePodFan(GameWorld* world, Enemy* e, const BossPodKind& k, int width, float aim, float speed) {
  const float spread = (F(e->intRegs[16]) * k.fanA + k.fanB) / F(e->intRegs[16]);
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  // FanAngle's step is the gap between neighbours, twice the spread.
  for (int j = 0; j < width; ++j)
    SpawnEnemyBullet(world, k.fanType, BulletFaceMotion, ox, oy, FanAngle(aim, j, width, 2.0f * spread), speed, 0.6f,
                     0.6f);
}

// Each step of a burst, a spread from each of launchers 1 to 3, turned by the pod's spin.
void FireSpiralStep(GameWorld* world, Enemy* e, const BossPodKind& k) {
  const int n = e->intRegs[32];
  const float speed = g_bulletSpeedBase * 0.4f + 1.05f;
  for (int l = 1; l <= 3; ++l) {
    float ox = 0, oy = 0, placement = 0;
    ShotOriginOf(e, l, &ox, &oy, &placement);
    for (int j = 0; j < n; ++j) {
      EnemyBullet* q = SpawnEnemyBullet(world, k.spiralType, BulletFaceSpin, ox, oy,
                                        placement + e->facing + F(2 * j - (n - 1)) * 3.7f, speed, 0.24f, 0.24f);
      if (q) q->spinStep = 12.0f;
    }
  }
}

// Three bullets shrinking through the burst, each starting on the side of the pod opposite a
// launcher and circling its moving base against the pod's spin.
void FireTriplet(GameWorld* world, Enemy* e, const BossPodKind& k, int shot) {
  const int* r = e->intRegs;
  const float s = F(r[48] - shot) * (F(g_difficulty) * 0.04f + 0.24f) / F(r[48]) + 0.16f;
  const float speed = k.tripletSpeed.Of(g_bulletSpeedBase);
  for (int l = 1; l <= 3; ++l) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, l, &ox, &oy, &unused);
    EnemyBullet* q = SpawnEnemyBullet(world, k.tripletType, BulletFaceSpin, e->x, e->y, e->floatRegs[kTripletAimReg],
                                      speed, s, s);
    if (!q) continue;
    q->spinStep = 12.0f;
    q->orbitAngle = AngleFromTo(ox, oy, e->x, e->y);
    q->orbitRadius = Hypot(e->x - ox, e->y - oy);
    q->orbitAngleVel = -12.0f * e->floatRegs[kSpinReg];
    q->orbitAngleVelFactor = 1.0f;
  }
}

void UpdateBossPodAttack(GameWorld* world, Enemy* e, const BossPodKind& k) {
  const Enemy* boss = e->parent;
  if (!boss) return;
  const int* r = e->intRegs;
  const float b = g_bulletSpeedBase;
  switch (e->phase) {
    case BossPodFormation:
      // In step with the boss's volley, along the boss's aim.
      if (boss->phase == PodBossVolleys && IsPodBossShotFrame(boss))
        FirePodFan(world, e, k, r[16], boss->floatRegs[kPodBossVolleyAimReg], k.formationFanSpeed.Of(b));
      break;
    case BossPodSpiral:
      if (FireGateCounted(r[kSpiralTimerReg], 0, r[34], r[33], nullptr)) FireSpiralStep(world, e, k);
      break;
    case BossPodTriplets: {
      int shot = 0;
      if (FireGateCounted(r[kTripletTimerReg], 0, r[49], r[48], &shot)) FireTriplet(world, e, k, shot);
      break;
    }
    case BossPodRing:
      if (r[kBossPodStopReg] == 0 && r[kRingFanTimerReg] == 0)
        FirePodFan(world, e, k, r[64], AngleFromEnemyToPlayer(world, boss), k.ringFanSpeed.Of(b));
      break;
    default:
      break;
  }
}

}  // namespace

void UpdateBossPodBehaviourA(GameWorld* world, Enemy* e) { UpdateBossPodBehaviour(world, e, kPodA); }
void UpdateBossPodBehaviourB(GameWorld* world, Enemy* e) { UpdateBossPodBehaviour(world, e, kPodB); }
void UpdateBossPodBehaviourC(GameWorld* world, Enemy* e) { UpdateBossPodBehaviour(world, e, kPodC); }
void UpdateBossPodAttackA(GameWorld* world, Enemy* e) { UpdateBossPodAttack(world, e, kPodA); }
void UpdateBossPodAttackB(GameWorld* world, Enemy* e) { UpdateBossPodAttack(world, e, kPodB); }
void UpdateBossPodAttackC(GameWorld* world, Enemy* e) { UpdateBossPodAttack(world, e, kPodC); }

void RegisterBossPods() {
  RegisterEnemyTypeCode(100, UpdateBossPodBehaviourA, UpdateBossPodAttackA);
  RegisterEnemyTypeCode(101, UpdateBossPodBehaviourB, UpdateBossPodAttackB);
  RegisterEnemyTypeCode(102, UpdateBossPodBehaviourC, UpdateBossPodAttackC);
}
