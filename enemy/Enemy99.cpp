// The pod boss: it sweeps in from the side away from the player, hovers around a slowly
// wandering point in the upper middle and commands its twelve pods (Enemies100To102.cpp):
// volleys with the pods in formation, a charge while they burst, and once half of them are lost
// a ring in which the survivors circle it. All the while it sends out up to ten invisible
// walkers that wander across the field laying delayed blasts. It climbs out at age 4000; killed,
// it plays an 80-frame death sequence and sets stage flag 0.

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

constexpr int kWalkerLauncher = 3;
constexpr int kChargeLauncherFirst = 4;
constexpr int kChargeLaunchers = 16;
constexpr int kVolleyLaunchers = 3;  // 0, 1, 2
constexpr int kWalkerSlots = 10;
constexpr int kWalkerCounterReg = 48;  // intRegs 48..57: frames since launch, -1 free
constexpr int kWalkerStateReg = 48;    // floatRegs 48 + 3i: x, y, heading
constexpr int kExitAge = 4000;
constexpr int kDeathLength = 80;
constexpr int kDeathBurstCountReg = 128;  // intRegs: pieces of the current burst
constexpr int kDeathBurstRegs = 128;      // floatRegs 128..131: its offset and debris scales
constexpr int kRingLoss = 6;       // lost pods that send the survivors to the ring
constexpr int kVolleyLoss = 10;    // lost pods that send the boss back to the volleys
constexpr float kHoverLeft = 160.0f, kHoverRight = 200.0f, kHoverTop = 100.0f, kHoverBottom = 140.0f;

// Shots per volley: more as pods are lost.
int VolleyShots(int d, int lost) { return (4 * d + 1) / 3 + 1 + (d > 3) * (3 * d - 11) + lost * (d + 1) / 4; }

int CountLostPods(const Enemy* e) {
  int lost = 0;
  for (int i = 0; i < kPodBossPods; ++i) lost += EnemyChildAt(e, i) == nullptr;
  return lost;
}

// Calls fn(pod, rank) for the pods still there, in slot order; rank counts the live pods.
template <typename Fn>
void ForEachLivePod(Enemy* e, Fn fn) {
  int rank = 0;
  for (int i = 0; i < kPodBossPods; ++i) {
    if (Enemy* pod = EnemyChildAt(e, i)) fn(pod, rank++);
  }
}

void SendPodsToRing(Enemy* e) {
  ForEachLivePod(e, [](Enemy* pod, int rank) {
    pod->SetEnemyPhase(BossPodRing);
    pod->intRegs[kBossPodStopReg] = 0;
    pod->intRegs[kBossPodRankReg] = rank;
  });
  e->SetEnemyPhase(PodBossRings);
}

void SendPodsToPhase(Enemy* e, int phase) {
  ForEachLivePod(e, [phase](Enemy* pod, int) {
    pod->SetEnemyPhase(phase);
    pod->intRegs[kBossPodStopReg] = 0;
  });
}

// The spring toward the hover point; returns the angle to it.
float SpringTowardHoverPoint(Enemy* e) {
  return SpringEnemyTowardPoint(e, e->floatRegs[16], e->floatRegs[17], 0.0011f, 0.015f, 0.2f, 0.985f);
}

// Six slots in two rows of three; each row takes the three columns in a shuffled order. The
// set-up lays row 0 90 to 130 below the boss and row 1 up to 40 below; a re-lay puts them on the
// side of its sign and swaps the rows every second time.
void LayFormation(Enemy* e, bool relay) {
  float* f = e->floatRegs;
  const int n = e->intRegs[1];
  const float sign = F(2 * (n & 1) - 1);
  int a = 0, b = 1;
  for (int j = 0; j < 6; ++j) {
    if (j % 3 == 0) {
      a = RandomInt(3);
      b = RandomInt(2) + 1;
    }
    const int k = (a + j * b) % 3;
    const int row = j / 3;
    const float jitter = RandomFloat(10.0f);
    const float x = F(k * 40 + 70 + row * 20) + jitter - 5.0f;
    if (!relay) {
      f[kPodBossSlotsReg + 2 * j] = x;
      const float y = RandomFloat(40.0f);
      f[kPodBossSlotsReg + 2 * j + 1] = y + 90.0f - F(row * 90);
    } else {
      f[kPodBossSlotsReg + 2 * j] = x * sign;
      const float y = RandomFloat(60.0f);
      f[kPodBossSlotsReg + 2 * j + 1] = y + 40.0f - F(((row + (n + 1) / 2) & 1) * 80);
    }
  }
}

void SetUpPodBoss(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  // Off the field on the side away from the player.
  const float side = world->player.x < 180.0f ? 1.0f : -1.0f;
  e->baseX = side * 500.0f + 180.0f;
  e->baseY = 200.0f;
  const float vy = RandomFloat(2.0f) + 6.0f;
  const float vx = -(RandomFloat(2.0f) + 11.0f) * side;
  e->SetVelocityXY(vx, vy);
  e->facing = 270.0f;
  SpawnCatalogueChildren(world, e);
  LayFormation(e, false);

  f[16] = RandomFloat(40.0f) + 160.0f;
  f[17] = RandomFloat(40.0f) + 100.0f;
  f[18] = RandomFloat(2.0f) - 1.0f;
  f[19] = RandomFloat(2.0f) - 1.0f;
  const float turnSide = RandomSignFloat();
  f[20] = (RandomFloat(0.2f) + 1.1f) * turnSide;
  f[21] = RandomFloat(360.0f);
  f[22] = 90.0f;
  f[23] = 10.0f;
  const float swingSide = RandomSignFloat();
  f[24] = (RandomFloat(0.26f) + 1.9f) * swingSide;
  f[25] = RandomFloat(360.0f);
  f[kPodBossVolleyAimReg] = 0.0f;

  r[0] = 0;
  r[1] = 0;
  r[2] = 4400;
  r[16] = 2;
  r[17] = (d > 2) * (d / 2) * 2 + 1;
  r[18] = VolleyShots(d, r[0]);
  r[19] = MaxInt(MinInt(4 * r[18] + 120, 200) / r[18], 4);
  r[20] = 720 / (d + 6) + 40;
  r[21] = 630 / (d + 7) + 30;
  r[22] = -r[20];
  r[23] = 0;
  r[32] = MinInt((d > 2) * (d - 2) + 1, 7);
  r[33] = MaxInt(48 / (d + 2), 3);
  r[34] = r[20] + r[18] * r[19] * MaxInt(70 - 2 * d, 50) / 70;
  for (int i = 0; i < kWalkerSlots; ++i) r[kWalkerCounterReg + i] = -1;
  r[80] = d * ((d > 4) * (d - 2) + 2) + 8;
  r[81] = d * ((d > 3) * (d - 1) + 5) + 5;
  r[82] = 0;
  r[83] = 240 / (d + 6);
  r[84] = 810 / (d + 9);
  r[85] = 500;
  r[96] = 960 / (d + 6);
  r[97] = RandomInt(r[96]);
}

void StartWalker(Enemy* e, int slot, float x, float y, float heading) {
  e->intRegs[kWalkerCounterReg + slot] = 0;
  float* w = &e->floatRegs[kWalkerStateReg + 3 * slot];
  w[0] = x;
  w[1] = y;
  w[2] = heading;
}

// Phase 1 walker launches, spread over the volley series from intRegs[34] on. A walker still
// alive in its slot is restarted (deliberate: replays depend on it).
void LaunchVolleyWalkers(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  for (int i = 0; i < r[32]; ++i) {
    if (e->phaseFrames != r[34] + (i * r[33] * (3 * r[32] + 1)) / (2 * r[32]) || e->age >= r[2]) continue;
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, kWalkerLauncher, &ox, &oy, &unused);
    const int side = RandomSign();
    const float jitter = RandomFloat(6.0f);
    StartWalker(e, i, ox, oy, AngleToPlayer(world, ox, oy) + F(side * i) * 2.4f + jitter - 3.0f);
  }
}

void EndVolleySeries(Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  r[23] = 0;
  r[22] = -r[20];
  r[18] = VolleyShots(d, r[0]);  // the gap and the first walker frame keep their set-up values
  if (r[0] >= kRingLoss) {
    SendPodsToRing(e);
    return;
  }
  const int common = RandomInt(2) + 1;
  // Negative below D 4, so every pod takes the common mode; the roll is drawn all the same.
  const int threshold = (d - 3) * 24 - 11;
  ForEachLivePod(e, [common, threshold](Enemy* pod, int) {
    int p = common;
    const int roll = RandomInt(256);
    if (roll < threshold) p = RandomInt(2) + 1;
    pod->SetEnemyPhase(p);
    pod->intRegs[kBossPodStopReg] = 0;
  });
  e->SetEnemyPhase(PodBossCharge);
}

void RunVolleys(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  r[22] += 1;
  if (r[22] == 0) e->floatRegs[kPodBossVolleyAimReg] = AngleFromEnemyToPlayer(world, e);
  const int volley = r[18] * r[19];
  if (r[22] == volley) {
    // Just after the last shot: the pods change sides.
    r[1] += 1;
    LayFormation(e, true);
  }
  if (r[22] >= volley + r[21]) {
    r[23] += 1;
    r[22] = -1;  // the next volley aims and fires on the next frame
    if (r[23] >= r[16]) EndVolleySeries(e);
  }
  LaunchVolleyWalkers(world, e);
}

void RunCharge(Enemy* e) {
  int* r = e->intRegs;
  const int pf = e->phaseFrames;
  const int chargeEnd = r[83] + r[85];
  if (r[83] <= pf && pf <= chargeEnd) {
    const int gain = RandomInt(r[81]);
    r[82] += r[80] + gain;
  }
  if (pf == chargeEnd) ForEachLivePod(e, [](Enemy* pod, int) { pod->intRegs[kBossPodStopReg] = 1; });
  if (pf >= chargeEnd + r[84]) {
    if (r[0] >= kRingLoss) {
      SendPodsToRing(e);
    } else {
      SendPodsToPhase(e, BossPodFormation);
      e->SetEnemyPhase(PodBossVolleys);
    }
  }
}

void RunRings(GameWorld* world, Enemy* e, int lostBefore) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  f[21] = NormalizeAngle(f[21] + f[20]);
  f[25] = NormalizeAngle(f[25] + f[24]);
  // The rest of this frame's ring body still runs after the switch.
  if (r[0] >= kVolleyLoss) e->SetEnemyPhase(PodBossVolleys);
  if (r[0] != lostBefore) ForEachLivePod(e, [](Enemy* pod, int rank) { pod->intRegs[kBossPodRankReg] = rank; });
  r[97] += 1;
  if (r[97] < r[96] || e->age >= r[2]) return;
  r[97] = 0;  // also when every slot is busy
  for (int i = 0; i < kWalkerSlots; ++i) {
    if (r[kWalkerCounterReg + i] >= 0) continue;
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, kWalkerLauncher, &ox, &oy, &unused);
    const float jitter = RandomFloat(60.0f);
    StartWalker(e, i, ox, oy, AngleToPlayer(world, ox, oy) + jitter - 30.0f);
    return;
  }
}

void RunDeathSequence(GameWorld* world, Enemy* e) {
  e->SetVelocityXY(e->vx * 0.983f, e->vy * 0.983f + 0.01f);
  if (e->phaseFrames % 6 == 1) ThrowBossDeathDebrisIntAngles(world, e, kDeathBurstCountReg, kDeathBurstRegs);
  if (e->phaseFrames == kDeathLength) FinishBossDeathSequence(world, e, 1);
}

// Walkers jump every intRegs[33] frames, wobbling by up to 5 degrees, and free their slot once
// well off the field.
void MoveWalkers(Enemy* e) {
  int* r = e->intRegs;
  const int period = r[33];
  for (int i = 0; i < kWalkerSlots; ++i) {
    int& counter = r[kWalkerCounterReg + i];
    if (counter < 0) continue;
    counter += 1;
    float* w = &e->floatRegs[kWalkerStateReg + 3 * i];
    if (FireGateEvery(counter, period)) {
      const float wobble = RandomFloat(10.0f);
      w[2] = NormalizeAngle(w[2] + wobble - 5.0f);
      float dx = 0, dy = 0;
      PolarToXY(&dx, &dy, w[2], F(period) * 5.2f * F(19 - i) / 19.0f);
      w[0] += dx;
      w[1] += dy;
    }
    if (w[0] < -40.0f || w[0] > 400.0f || w[1] < -40.0f || w[1] > 520.0f) counter = -1;
  }
}

void Hover(Enemy* e) {
  float* f = e->floatRegs;
  e->facing = TurnAngleToward(e->facing, 270.0f, 2.0f);
  const float jx = RandomFloat(0.3f);
  f[18] += jx - 0.15f;
  const float jy = RandomFloat(0.3f);
  f[19] += jy - 0.15f;
  if (f[16] < kHoverLeft) f[18] = std::fabs(f[18]);
  if (f[16] > kHoverRight) f[18] = -std::fabs(f[18]);
  if (f[17] < kHoverTop) f[19] = std::fabs(f[19]);
  if (f[17] > kHoverBottom) f[19] = -std::fabs(f[19]);
  f[16] += f[18];
  f[17] += f[19];
  SpringTowardHoverPoint(e);
}

// Climbs out; no stage flag is written on this path.
void Exit(Enemy* e) {
  e->SetVelocityXY(e->vx * 0.985f, e->vy * 0.985f - 0.06f);
  if (e->baseY < -160.0f) e->removeOffField = 1;
}

void FireVolleyShot(GameWorld* world, Enemy* e) {
  const int n = e->intRegs[17];
  const float spread = F(n * 6 + 27) / F(n);
  for (int l = 0; l < kVolleyLaunchers; ++l) {
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, l, &ox, &oy, &unused);
    // FanAngle's step is the gap between neighbours, twice the spread.
    const float aim = e->floatRegs[kPodBossVolleyAimReg];
    for (int k = 0; k < n; ++k)
      SpawnEnemyBullet(world, 53, BulletFaceMotion, ox, oy, FanAngle(aim, k, n, 2.0f * spread), g_bulletSpeedBase, 0.8f,
                       0.8f);
  }
}

// Fast decelerating shots, one per 100 of charge; what is left below 100 waits for the next
// charge phase.
void PayOutCharge(GameWorld* world, Enemy* e) {
  const float b = g_bulletSpeedBase;
  int* r = e->intRegs;
  while (r[82] >= 100) {
    const int l = kChargeLauncherFirst + RandomInt(kChargeLaunchers);
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, l, &ox, &oy, &unused);
    const float speed = (RandomFloat(2.0f) + 3.0f) * b;
    const float spread = RandomFloat(80.0f);
    const float angle = AngleToPlayer(world, ox, oy) + spread - 40.0f;
    const int type = 48 + RandomInt(12);
    EnemyBullet* q = SpawnEnemyBullet(world, type, BulletFaceSpin, ox, oy, angle, speed, 0.3f, 0.7f);
    if (q) {
      q->friction = 0.88f;
      q->accelFactor = 1.0f;
      SetBulletAccelAlong(q, (b + 8.0f) * 0.019f);
    }
    r[82] -= 100;
  }
}

// A walker lays a delayed blast on the frame before each jump.
void LayWalkerBombs(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  const int* r = e->intRegs;
  const int period = r[33];
  for (int i = 0; i < kWalkerSlots; ++i) {
    const int counter = r[kWalkerCounterReg + i];
    if (counter < 0 || period < 1 || counter % period != period - 1) continue;
    const float* w = &e->floatRegs[kWalkerStateReg + 3 * i];
    const float s = F(d) * 0.08f + F(r[32]) * 0.1f + 1.7f - F(i) * 0.2f;
    const float width = F(d) * 0.4f + 2.0f;
    const float jitter = RandomFloat(width / 2.0f);
    const float speed = jitter + width / 2.0f;
    const float angle = RandomFloat(360.0f);
    const int type = RandomInt(12);
    EnemyBullet* q =
        SpawnEnemyBulletOfKind(world, BulletDelayedBlast, type, BulletFaceSpin, w[0], w[1], angle, speed, s, s);
    if (q) {
      q->spinStep = 12.0f;
      q->friction = 0.9f;
    }
  }
}

}  // namespace

float SpringEnemyTowardPoint(Enemy* e, float tx, float ty, float factor, float base, float cap, float damping) {
  const float a = AngleFromTo(e->x, e->y, tx, ty);
  const float dist = Hypot(tx - e->x, ty - e->y);
  DampAndPushEnemy(e, damping, a, MinFloat(dist * factor + base, cap));
  return a;
}

bool IsPodBossShotFrame(const Enemy* boss) {
  const int* r = boss->intRegs;
  return FireGateCounted(r[kPodBossVolleyTimerReg], 0, r[kPodBossShotGapReg], r[kPodBossShotsReg], nullptr);
}

void UpdatePodBossBehaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1) SetUpPodBoss(world, e);
  const int lostBefore = e->intRegs[kPodBossLostReg];
  e->intRegs[kPodBossLostReg] = CountLostPods(e);
  switch (e->phase) {
    case PodBossDying:
      RunDeathSequence(world, e);
      break;
    case PodBossEntry: {
      // The hover below springs again in the same frame: twice per frame during the entry
      // (deliberate: replays depend on it).
      e->facing = SpringTowardHoverPoint(e);
      if (e->phaseFrames > 160) e->SetEnemyPhase(PodBossVolleys);
      break;
    }
    case PodBossVolleys:
      RunVolleys(world, e);
      break;
    case PodBossCharge:
      RunCharge(e);
      break;
    case PodBossRings:
      RunRings(world, e, lostBefore);
      break;
    default:
      break;
  }
  MoveWalkers(e);  // also during the death sequence
  if (e->phase < 0) return;
  if (e->age < kExitAge)
    Hover(e);
  else
    Exit(e);
}

void UpdatePodBossAttack(GameWorld* world, Enemy* e) {
  if (e->phase == PodBossVolleys && IsPodBossShotFrame(e)) FireVolleyShot(world, e);
  if (e->phase == PodBossCharge) PayOutCharge(world, e);
  LayWalkerBombs(world, e);
}

void RegisterPodBossFamily() {
  RegisterEnemyTypeCode(kPodBossType, UpdatePodBossBehaviour, UpdatePodBossAttack);
  RegisterBossPods();
}
