#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "StageCheck.h"
#include "enemies_12_19_fixture.h"
#include "enemy/Enemy99.h"
#include "enemy/EnemyHelpers.h"
#include "enemy/StageScript.h"
#include "platform/SoundSystem.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/Effect.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

namespace {

using family_test::EnemyFamilyTest;

constexpr int kPodTypes[12] = {100, 100, 101, 101, 102, 102, 100, 100, 101, 101, 102, 102};

class PodBoss : public EnemyFamilyTest {
 protected:
  Enemy* boss = nullptr;

  // The boss after its first frame and its pods after theirs: spawned while the boss is the
  // list's last enemy, the pods first run in the next frame.
  void StartBoss(int d, float playerX = 180.0f) {
    SetDifficulty(d);
    world->player.x = playerX;
    boss = Make(99, 180, -40, 270, 0);
    ASSERT_NE(boss, nullptr);
    Step();
    Step();
  }

  Enemy* Pod(int i) const { return EnemyChildAt(boss, i); }

  // Holds the boss in a phase without a body: it hovers and fires nothing but walker bombs.
  void ParkBoss() { boss->SetEnemyPhase(7); }

  // Keeps the pods of the other slots from firing (a phase without an attack).
  void SilenceOtherPods(int keep) {
    for (int i = 0; i < 12; ++i)
      if (i != keep && Pod(i)) Pod(i)->SetEnemyPhase(7);
  }

  void Kill(Enemy* e) { KillEnemy(true, world.get(), HitSourceMainShot, e); }

  // An option and a player shot locked onto the enemy: neither may keep it once it is gone.
  std::pair<Option*, PlayerShot*> LockOnto(Enemy* e) {
    Option* o = new Option;
    ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
    world->player.optionCount += 1;
    o->target = e;
    PlayerShot* s = new PlayerShot;
    ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
    world->shots.count += 1;
    s->target = e;
    return {o, s};
  }

  // Frames until the boss's phase is `phase` (the frame where it changed counts); -1 after max.
  int RunUntilBossPhase(int phase, int max) {
    for (int f = 1; f <= max; ++f) {
      Step();
      if (boss->phase == phase) return f;
    }
    return -1;
  }
};

bool IsChargeShot(const EnemyBullet* b) {
  return b->type >= 48 && b->type < 60 && b->baseScaleX == 0.3f && b->baseScaleY == 0.7f;
}

// ---- The boss ----------------------------------------------------------------------------------

TEST_F(PodBoss, EntersFromTheSideAwayFromThePlayerWithItsPods) {
  struct Case {
    float playerX;
    float startX;
  } const cases[] = {{179.0f, 680.0f}, {180.0f, -320.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.playerX);
    SetUp();
    SetDifficulty(3);
    world->player.x = c.playerX;
    boss = Make(99, 180, -40, 270, 0);
    Step();
    EXPECT_NEAR(boss->baseX - boss->vx, c.startX, 1e-3);
    EXPECT_NEAR(boss->baseY - boss->vy, 200.0f, 1e-3);
    // The spring has acted twice already; the sweep is still fast, down and toward the middle.
    EXPECT_GT(std::fabs(boss->vx), 10.0f);
    EXPECT_EQ(boss->vx > 0, c.startX < 0);
    EXPECT_GT(boss->vy, 5.0f);
    ASSERT_EQ(boss->childCount, 12);
    for (int i = 0; i < 12; ++i) {
      ASSERT_NE(Pod(i), nullptr);
      EXPECT_EQ(Pod(i)->type, kPodTypes[i]);
      EXPECT_EQ(Pod(i)->indexInParent, i);
    }
    // It swings into its hover box by the end of the entry.
    while (boss->phase == PodBossEntry) Step();
    EXPECT_EQ(boss->age, 161);
    EXPECT_NEAR(boss->x, 180.0f, 60.0f);
    EXPECT_NEAR(boss->y, 120.0f, 60.0f);
    EXPECT_GE(boss->floatRegs[16], 150.0f);
    EXPECT_LE(boss->floatRegs[16], 210.0f);
    TearDown();
  }
}

TEST_F(PodBoss, SetUpValuesByDifficulty) {
  struct Row {
    int r17, r18, r19, r20, r21, r32, r33, r34, r80, r81, r83, r84, r96;
  } const bossRows[8] = {
      {1, 1, 124, 160, 120, 1, 24, 284, 8, 5, 40, 90, 160},   {1, 2, 64, 142, 108, 1, 16, 266, 10, 10, 34, 81, 137},
      {1, 4, 34, 130, 100, 1, 12, 258, 12, 15, 30, 73, 120},  {3, 5, 28, 120, 93, 2, 9, 248, 14, 20, 26, 67, 106},
      {5, 7, 21, 112, 87, 3, 8, 242, 16, 37, 24, 62, 96},     {5, 12, 14, 105, 82, 4, 6, 249, 33, 50, 21, 57, 87},
      {7, 16, 11, 100, 78, 5, 6, 245, 44, 65, 20, 54, 80},    {7, 20, 10, 95, 75, 6, 5, 255, 57, 82, 18, 50, 73},
  };
  // Per pod type: [32] [33] [34] [35] [48] [49] [50] [65]+1.
  struct PodRow {
    int v[8];
  } const pods[8][3] = {
      {{{1, 1, 6, 150, 2, 2, 240, 91}}, {{1, 1, 6, 120, 4, 2, 280, 101}}, {{1, 1, 6, 90, 6, 2, 320, 111}}},
      {{{1, 1, 5, 100, 5, 2, 180, 46}}, {{1, 1, 5, 80, 8, 2, 210, 55}}, {{1, 1, 5, 60, 11, 2, 240, 63}}},
      {{{1, 2, 5, 75, 8, 2, 144, 31}}, {{1, 1, 5, 60, 12, 2, 168, 38}}, {{1, 1, 5, 45, 16, 2, 192, 45}}},
      {{{1, 3, 4, 60, 11, 2, 120, 23}}, {{1, 2, 4, 48, 16, 2, 140, 29}}, {{1, 1, 4, 36, 21, 2, 160, 34}}},
      {{{1, 4, 4, 50, 14, 1, 102, 19}}, {{1, 3, 4, 40, 20, 1, 120, 24}}, {{1, 2, 4, 30, 26, 1, 137, 28}}},
      {{{1, 5, 3, 42, 17, 1, 90, 16}}, {{1, 4, 3, 34, 24, 1, 105, 20}}, {{2, 2, 3, 25, 31, 1, 120, 24}}},
      {{{1, 6, 3, 37, 20, 1, 80, 13}}, {{2, 4, 3, 30, 28, 1, 93, 17}}, {{3, 2, 3, 22, 36, 1, 106, 21}}},
      {{{2, 6, 2, 33, 23, 1, 72, 12}}, {{3, 4, 2, 26, 32, 1, 84, 15}}, {{4, 2, 2, 20, 41, 1, 96, 18}}},
  };
  const int fanWidth[8] = {1, 1, 1, 1, 3, 3, 5, 5};
  for (int d = 0; d < 8; ++d) {
    SCOPED_TRACE(testing::Message() << "D " << d);
    SetUp();
    StartBoss(d);
    const int* r = boss->intRegs;
    const Row& w = bossRows[d];
    const int got[13] = {r[17], r[18], r[19], r[20], r[21], r[32], r[33], r[34], r[80], r[81], r[83], r[84], r[96]};
    const int want[13] = {w.r17, w.r18, w.r19, w.r20, w.r21, w.r32, w.r33, w.r34, w.r80, w.r81, w.r83, w.r84, w.r96};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(got[i], want[i]) << "column " << i;
    EXPECT_EQ(r[16], 2);
    EXPECT_EQ(r[2], 4400);
    EXPECT_EQ(r[85], 500);
    EXPECT_EQ(r[22], -r[20]);  // the timer runs only in phase 1
    for (int i = 0; i < 10; ++i) EXPECT_EQ(r[48 + i], -1);
    EXPECT_GE(r[97], 0);
    EXPECT_LT(r[97], r[96]);
    for (int t = 0; t < 3; ++t) {
      const Enemy* pod = Pod(2 * t);
      const int* p = pod->intRegs;
      const int gotPod[8] = {p[32], p[33], p[34], p[35], p[48], p[49], p[50], p[65] + 1};
      for (int i = 0; i < 8; ++i) EXPECT_EQ(gotPod[i], pods[d][t].v[i]) << "type " << pod->type << " column " << i;
      EXPECT_EQ(p[16], fanWidth[d]);
      EXPECT_EQ(p[64], fanWidth[d]);
      EXPECT_LT(p[36], 0);
      EXPECT_GE(p[36], -p[35]);
      EXPECT_LT(p[51], 0);
      EXPECT_GE(p[51], -p[50]);
      EXPECT_GE(p[66], 0);
      EXPECT_LE(p[66], p[65]);
    }
    TearDown();
  }
}


TEST_F(PodBoss, FirstFramesDrawsAndFormationSlots) {
  SetDifficulty(2);
  boss = Make(99, 180, -40, 270, 0);
  int step = g_randomStep;
  Step();
  // Velocity 2, slots 4 + 12, hover point and ring 11, walker timer 1; then the hover drift 2.
  EXPECT_EQ(DrawsSince(step), 31);
  step = g_randomStep;
  Step();
  EXPECT_EQ(DrawsSince(step), 2 + 12 * 6);  // the pods' set-up: spin 2, three timers, facing
  for (int f = 0; f < 20; ++f) {
    step = g_randomStep;
    Step();
    EXPECT_EQ(DrawsSince(step), 2);  // only the hover drift during the entry
  }
  // Each row of three slots takes the three columns once.
  const float* s = boss->floatRegs;
  for (int row = 0; row < 2; ++row) {
    std::set<int> columns;
    for (int j = 3 * row; j < 3 * row + 3; ++j) {
      const float base = s[2 * j] - 70.0f - 20.0f * row;
      const int k = static_cast<int>(std::lround(base / 40.0f));
      EXPECT_NEAR(base, 40.0f * k, 5.0f);
      columns.insert(k);
      const float y = s[2 * j + 1] - (row == 0 ? 90.0f : 0.0f);
      EXPECT_GE(y, 0.0f);
      EXPECT_LT(y, 40.0f);
    }
    EXPECT_EQ(columns, (std::set<int>{0, 1, 2}));
  }
  // The twelve pods aim at twelve different targets; odd slots right of the boss.
  std::set<std::pair<int, int>> targets;
  for (int i = 0; i < 12; ++i) {
    const int j = 3 * (i / 6) + (Pod(i)->type - 100);
    EXPECT_EQ(j, i / 2);
    const float side = i % 2 ? 1.0f : -1.0f;
    targets.insert({static_cast<int>(side * s[2 * j]), static_cast<int>(s[2 * j + 1])});
  }
  EXPECT_EQ(targets.size(), 12u);
}

TEST_F(PodBoss, VolleyScheduleWithoutLosses) {
  struct Case {
    int d;
    int phase1Length, bossBullets, podFanBullets, phase2Length;
  } const cases[] = {
      {0, 649, 6, 24, 630},
      {4, 581, 210, 504, 586},
      {7, 646, 840, 2400, 568},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d);
    SetUp();
    StartBoss(c.d);
    const float b = g_bulletSpeedBase;
    int firstShotAge = 0, bossBullets = 0, podBullets = 0, phase1Length = 0, phase2Length = 0;
    while (boss->age < 3000 && phase2Length == 0) {
      const int phase = boss->phase, pf = boss->phaseFrames;
      const std::vector<EnemyBullet*> made = Step();
      const float aim = boss->floatRegs[kPodBossVolleyAimReg];
      if (boss->phase != phase) {
        if (phase == PodBossVolleys) phase1Length = pf + 1;
        if (phase == PodBossCharge) phase2Length = pf + 1;
      }
      if (phase1Length != 0) continue;
      std::vector<const EnemyBullet*> fans;
      for (const EnemyBullet* q : made) {
        if (q->kind != BulletPlain) continue;
        if (q->type == 53) {
          if (firstShotAge == 0) firstShotAge = boss->age;
          bossBullets += 1;
          EXPECT_FLOAT_EQ(q->speed, b);
          EXPECT_FLOAT_EQ(q->baseScaleX, 0.8f);
        } else {
          fans.push_back(q);
        }
      }
      podBullets += static_cast<int>(fans.size());
      // Each pod's fan is centred on the boss's aim, not on its own, with its type's gap.
      const int width = Pod(0)->intRegs[16];
      ASSERT_EQ(fans.size() % width, 0u);
      for (size_t k = 0; k < fans.size(); k += width) {
        const EnemyBullet* mid = fans[k + width / 2];
        EXPECT_NEAR(AngleDistance(mid->direction, aim), 0.0f, 1e-3);
        EXPECT_FLOAT_EQ(mid->baseScaleX, 0.6f);
        if (width == 1) continue;
        const int t = mid->type == 48 ? 0 : mid->type == 52 ? 1 : 2;
        const float a[3] = {0.5f, 0.43f, 0.36f}, bb[3] = {1.7f, 1.3f, 0.9f}, speed[3] = {0.78f, 0.84f, 0.9f};
        EXPECT_NEAR(AngleDistance(fans[k]->direction, fans[k + 1]->direction), 2.0f * (width * a[t] + bb[t]) / width,
                    1e-3);
        EXPECT_FLOAT_EQ(mid->speed, b * speed[t]);
      }
    }
    EXPECT_EQ(firstShotAge, boss->intRegs[20] + 161);
    EXPECT_EQ(phase1Length, c.phase1Length);
    EXPECT_EQ(bossBullets, c.bossBullets);
    EXPECT_EQ(podBullets, c.podFanBullets);
    EXPECT_EQ(phase2Length, c.phase2Length);
    EXPECT_EQ(boss->phase, PodBossVolleys);
    EXPECT_EQ(boss->intRegs[1], 2);  // re-laid after each of the two volleys
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Pod(i)->phase, BossPodFormation);
    TearDown();
  }
}

TEST_F(PodBoss, ChargeKeepsWhatIsLeftBelowOneShot) {
  for (int d : {0, 7}) {
    SCOPED_TRACE(testing::Message() << "D " << d);
    SetUp();
    StartBoss(d);
    ASSERT_GT(RunUntilBossPhase(PodBossCharge, 2000), 0);
    SilenceOtherPods(-1);
    const float b = g_bulletSpeedBase;
    const int* r = boss->intRegs;
    int shots = 0;
    while (boss->phase == PodBossCharge) {
      const std::vector<EnemyBullet*> made = Step();
      if (boss->phase != PodBossCharge) break;
      for (EnemyBullet* q : made) {
        if (!IsChargeShot(q)) continue;
        shots += 1;
        EXPECT_GE(q->speed, 3.0f * b);
        EXPECT_LT(q->speed, 5.0f * b);
        EXPECT_FLOAT_EQ(q->friction, 0.88f);
        EXPECT_FLOAT_EQ(q->accelMagnitude, (b + 8.0f) * 0.019f);
        EXPECT_FLOAT_EQ(q->accelAngle, q->direction);
        EXPECT_EQ(q->facingMode, BulletFaceSpin);
        EXPECT_LE(AngleDistance(q->direction, AngleFromEnemyToPlayer(world.get(), boss)), 45.0f);
      }
      EXPECT_LT(r[82], 100);
      // The pods are told to stop at the end of the charging.
      if (boss->phaseFrames == r[83] + r[85]) {
        for (int i = 0; i < 12; ++i) EXPECT_EQ(Pod(i)->intRegs[kBossPodStopReg], 1);
      }
    }
    // 501 charging frames of a fixed and a random gain.
    EXPECT_GE(shots, (501 * r[80]) / 100 - 1);
    EXPECT_LE(shots, (501 * (r[80] + r[81])) / 100);
    if (d == 7) { EXPECT_NEAR(shots, 501, 100); }
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(Pod(i)->phase, BossPodFormation);
      EXPECT_EQ(Pod(i)->intRegs[kBossPodStopReg], 0);
    }
    TearDown();
  }
}


TEST_F(PodBoss, StartPhasesOtherThanTheEntry) {
  // The set-up runs on the first frame in any phase, so no period is ever zero. Only phase 0
  // sweeps the boss in; the stage checker rejects the others.
  // At D 0 the charge gains 8 to 12 a frame from phase frame 40: its first shot comes 8 to 12
  // frames later.
  struct Case {
    int phase;
    int firstShotAge;    // first volley bullet, 0 none within the run
    int chargeStartAge;  // age of phase frame 40 of a charge, 0 none
    int leftAtAge;       // age at which it left its start phase, 0 never
  } const cases[] = {
      {PodBossVolleys, 160, 649 + 40, 649},
      {PodBossCharge, 0, 40, 630},
      {PodBossRings, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "phase " << c.phase);
    SetUp();
    boss = Make(99, 180, -40, 270, 0, c.phase);
    int firstShot = 0, firstCharge = 0, left = 0, walkers = 0;
    while (boss->age < 700) {
      const std::vector<EnemyBullet*> made = Step();
      for (const EnemyBullet* q : made) {
        if (q->type == 53 && q->baseScaleX == 0.8f && firstShot == 0) firstShot = boss->age;
        if (IsChargeShot(q) && firstCharge == 0) firstCharge = boss->age;
      }
      if (left == 0 && boss->phase != c.phase) left = boss->age;
      for (int i = 0; i < 10; ++i) walkers += boss->intRegs[48 + i] == 1;
      if (boss->age % 100 == 0) ClearBulletList(&world->bullets);
    }
    EXPECT_EQ(firstShot, c.firstShotAge);
    if (c.chargeStartAge == 0) {
      EXPECT_EQ(firstCharge, 0);
    } else {
      EXPECT_GE(firstCharge, c.chargeStartAge + 8);
      EXPECT_LE(firstCharge, c.chargeStartAge + 12);
    }
    EXPECT_EQ(left, c.leftAtAge);
    if (c.phase == PodBossRings) {
      EXPECT_GE(walkers, 4);  // one every 160 frames, the first after a random wait
      EXPECT_LE(walkers, 5);
    }
    TearDown();
  }
  // Placed in phase -1 it plays its death sequence while alive and dies rewarded on frame 80.
  SetUp();
  world->stageScript = new StageScript();
  boss = Make(99, 180, -40, 270, 0, PodBossDying);
  for (int f = 1; f < 80; ++f) Step();
  EXPECT_EQ(boss->dyingCounter, 0);
  Step();
  EXPECT_EQ(boss->dyingCounter, 1);
  EXPECT_EQ(world->stageScript->flags[0], 1);
  EXPECT_EQ(world->player.scoreLow, 100000);
}

// ---- The pods' modes -----------------------------------------------------------------------------

TEST_F(PodBoss, SpiralBurstsStepsAndPauses) {
  struct Case {
    int d, slot;
    int spiralType;
  } const cases[] = {{0, 0, 129}, {4, 2, 131}, {7, 4, 130}, {7, 0, 129}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d << " pod " << c.slot);
    SetUp();
    StartBoss(c.d);
    ParkBoss();
    SilenceOtherPods(c.slot);
    Enemy* pod = Pod(c.slot);
    pod->SetEnemyPhase(BossPodSpiral);
    const int* r = pod->intRegs;
    // The timer runs from 0 to steps x gap + pause, then -1: one frame more per cycle.
    const int width = r[32], steps = r[33], gap = r[34], cycle = steps * gap + r[35] + 1;
    std::vector<int> stepFrames;
    for (int f = 0; f < 3 * cycle; ++f) {
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      EXPECT_EQ(DrawsSince(step), 2);  // the boss's hover drift only: a running burst draws nothing
      if (made.empty()) continue;
      ASSERT_EQ(static_cast<int>(made.size()), 3 * width);
      stepFrames.push_back(pod->age);
      for (int l = 0; l < 3; ++l) {
        const float placement = pod->launchers[1 + l].placementAngle;
        for (int j = 0; j < width; ++j) {
          const EnemyBullet* q = made[l * width + j];
          EXPECT_EQ(q->type, c.spiralType);
          EXPECT_FLOAT_EQ(q->speed, g_bulletSpeedBase * 0.4f + 1.05f);
          EXPECT_FLOAT_EQ(q->baseScaleX, 0.24f);
          EXPECT_FLOAT_EQ(q->spinStep, 12.0f);
          EXPECT_NEAR(AngleDistance(q->direction, placement + pod->facing + (2 * j - (width - 1)) * 3.7f), 0.0f, 2e-3);
        }
      }
    }
    // Bursts of `steps` steps `gap` frames apart, a burst every `cycle` frames.
    ASSERT_GE(stepFrames.size(), static_cast<size_t>(2 * steps));
    for (size_t i = 1; i < stepFrames.size(); ++i)
      EXPECT_EQ(stepFrames[i] - stepFrames[i - 1], i % steps ? gap : cycle - (steps - 1) * gap);
    TearDown();
  }
}

TEST_F(PodBoss, StoppedPodFinishesItsBurstThenHolds) {
  StartBoss(5);
  ParkBoss();
  SilenceOtherPods(3);
  Enemy* pod = Pod(3);
  pod->SetEnemyPhase(BossPodSpiral);
  int* r = pod->intRegs;
  while (r[36] != 1) Step();  // the first step of a burst has fired
  pod->intRegs[kBossPodStopReg] = 1;
  int steps = 1, ended = 0;
  for (int f = 0; f < 300; ++f) {
    const int step = g_randomStep;
    const int before = r[36];
    const std::vector<EnemyBullet*> made = Step();
    steps += !made.empty();
    if (before >= 0 && r[36] < 0) {
      ended += 1;
      EXPECT_EQ(DrawsSince(step), 3);  // one draw for the hold
      EXPECT_GE(r[36], -r[35]);
    }
    if (ended && before < 0) { EXPECT_EQ(r[36], before); }  // held
  }
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(steps, r[33]);
  // A new phase from the boss clears the stop.
  pod->SetEnemyPhase(BossPodSpiral);
  pod->intRegs[kBossPodStopReg] = 0;
  const int held = r[36];
  Step();
  EXPECT_EQ(r[36], held + 1);
}

TEST_F(PodBoss, TripletsCircleAgainstTheSpinAndShrink) {
  for (int d : {1, 6}) {
    SCOPED_TRACE(testing::Message() << "D " << d);
    SetUp();
    StartBoss(d);
    ParkBoss();
    SilenceOtherPods(5);
    Enemy* pod = Pod(5);
    pod->SetEnemyPhase(BossPodTriplets);
    const int* r = pod->intRegs;
    std::vector<float> scales;
    while (scales.size() < static_cast<size_t>(r[48])) {
      const int timer = r[51];
      const std::vector<EnemyBullet*> made = Step();
      if (timer == -1) {
        EXPECT_EQ(r[51], 0);
        // Aimed from where the pod stood before this frame's move.
        EXPECT_FLOAT_EQ(pod->floatRegs[48], AngleToPlayer(world.get(), pod->prevX, pod->prevY));
      }
      if (made.empty()) continue;
      ASSERT_EQ(made.size(), 3u);
      for (int l = 0; l < 3; ++l) {
        const EnemyBullet* q = made[l];
        EXPECT_EQ(q->type, 130);
        EXPECT_FLOAT_EQ(q->speed, g_bulletSpeedBase * 0.42f + 1.68f);
        EXPECT_FLOAT_EQ(q->x, pod->x);
        EXPECT_FLOAT_EQ(q->direction, NormalizeAngle(pod->floatRegs[48]));
        // Its orbit puts it on the far side of the pod from the launcher, 16 x 0.9 out.
        const EnemyLauncher& lp = pod->launchers[1 + l];
        EXPECT_NEAR(q->orbitRadius, 14.4f, 1e-3);
        EXPECT_NEAR(AngleDistance(q->orbitAngle, AngleFromTo(lp.x, lp.y, pod->x, pod->y)), 0.0f, 1e-3);
        EXPECT_FLOAT_EQ(q->orbitAngleVel, -12.0f * pod->floatRegs[0]);
        EXPECT_FLOAT_EQ(q->orbitAngleVelFactor, 1.0f);
      }
      scales.push_back(made[0]->baseScaleX);
    }
    const float full = d * 0.04f + 0.24f;
    EXPECT_NEAR(scales.front(), full + 0.16f, 1e-5);
    EXPECT_NEAR(scales.back(), full / r[48] + 0.16f, 1e-5);
    EXPECT_TRUE(std::is_sorted(scales.rbegin(), scales.rend()));
    TearDown();
  }
}

TEST_F(PodBoss, RingFansFromTheBossTowardThePlayer) {
  StartBoss(6);
  ParkBoss();
  SilenceOtherPods(6);
  Enemy* pod = Pod(6);
  pod->SetEnemyPhase(BossPodRing);
  const int period = pod->intRegs[65] + 1;
  std::vector<int> fanAges;
  for (int f = 0; f < 4 * period; ++f) {
    const std::vector<EnemyBullet*> made = Step();
    if (made.empty()) continue;
    fanAges.push_back(pod->age);
    ASSERT_EQ(made.size(), 5u);
    const float aim = AngleFromEnemyToPlayer(world.get(), boss);
    const float gap = 2.0f * (5 * 0.5f + 1.7f) / 5;
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(made[j]->type, 48);
      EXPECT_FLOAT_EQ(made[j]->speed, g_bulletSpeedBase * 0.38f + 0.7f);
      EXPECT_NEAR(AngleDistance(made[j]->direction, aim + (j - 2) * gap), 0.0f, 1e-3);
    }
  }
  ASSERT_GE(fanAges.size(), 3u);
  for (size_t i = 1; i < fanAges.size(); ++i) EXPECT_EQ(fanAges[i] - fanAges[i - 1], period);
  // A stopped pod on the ring holds its fans.
  pod->intRegs[kBossPodStopReg] = 1;
  for (int f = 0; f < 2 * period; ++f) EXPECT_TRUE(Step().empty());
}


// ---- Losses and the ring ---------------------------------------------------------------------

TEST_F(PodBoss, LossesSendThePodsToTheRingAndBackToTheVolleys) {
  StartBoss(4);
  ASSERT_GT(RunUntilBossPhase(PodBossVolleys, 200), 0);
  for (int i = 0; i < 5; ++i) Kill(Pod(i));
  // Five lost: the series still ends in the charge, with more shots for the next one.
  ASSERT_GT(RunUntilBossPhase(PodBossCharge, 1000), 0);
  EXPECT_EQ(boss->intRegs[0], 5);
  EXPECT_EQ(boss->intRegs[18], 13);
  for (int i = 5; i < 12; ++i) EXPECT_EQ(Pod(i)->phase, Pod(5)->phase);  // below D 4 and at 4 they agree
  // The sixth loss during the charge: the survivors go to the ring when it ends.
  Kill(Pod(5));
  ASSERT_GT(RunUntilBossPhase(PodBossRings, 1000), 0);
  for (int i = 6; i < 12; ++i) {
    EXPECT_EQ(Pod(i)->phase, BossPodRing);
    EXPECT_EQ(Pod(i)->intRegs[kBossPodRankReg], i - 6);
    EXPECT_EQ(Pod(i)->intRegs[kBossPodStopReg], 0);
  }
  for (int f = 0; f < 240; ++f) {
    Step();
    if (f % 50 == 0) ClearBulletList(&world->bullets);
  }
  // Six places 60 degrees apart at about 90 px.
  const float a0 = AngleFromTo(boss->x, boss->y, Pod(6)->x, Pod(6)->y);
  for (int i = 6; i < 12; ++i) {
    const Enemy* pod = Pod(i);
    EXPECT_NEAR(Hypot(pod->x - boss->x, pod->y - boss->y), 90.0f, 30.0f) << i;
    const float a = AngleFromTo(boss->x, boss->y, pod->x, pod->y);
    EXPECT_LT(AngleDistance(a - a0, pod->intRegs[kBossPodRankReg] * 60.0f), 30.0f) << i;  // the types lag unequally
  }
  // A loss renumbers the survivors in slot order.
  Kill(Pod(8));
  Step();
  const int ranks[12] = {-1, -1, -1, -1, -1, -1, 0, 1, -1, 2, 3, 4};
  for (int i = 6; i < 12; ++i)
    if (Pod(i)) { EXPECT_EQ(Pod(i)->intRegs[kBossPodRankReg], ranks[i]) << i; }
  // With ten lost the boss goes back to its volleys; the pods stay on the ring.
  Kill(Pod(6));
  Kill(Pod(7));
  Kill(Pod(9));
  Step();
  EXPECT_EQ(boss->phase, PodBossVolleys);
  EXPECT_EQ(Pod(10)->phase, BossPodRing);
  // At each series end it passes through the ring phase for one frame; shots grow with the loss.
  ASSERT_GT(RunUntilBossPhase(PodBossRings, 1000), 0);
  EXPECT_EQ(boss->intRegs[18], 19);
  Step();
  EXPECT_EQ(boss->phase, PodBossVolleys);
  Kill(Pod(10));
  ASSERT_GT(RunUntilBossPhase(PodBossRings, 2000), 0);
  EXPECT_EQ(boss->intRegs[18], 20);
  EXPECT_EQ(Pod(11)->intRegs[kBossPodRankReg], 0);
  EXPECT_EQ(boss->intRegs[19], 21);  // the gap between shots stays
}

// ---- Walkers ---------------------------------------------------------------------------------

TEST_F(PodBoss, WalkersLaunchOverTheVolleysAndLayBlastsBeforeEachJump) {
  struct Case {
    int d;
    std::vector<int> offsets;
  } const cases[] = {{0, {0}}, {3, {0, 15}}, {5, {0, 9, 19, 29}}, {7, {0, 7, 15, 23, 31, 39}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d);
    SetUp();
    StartBoss(c.d);
    ASSERT_GT(RunUntilBossPhase(PodBossVolleys, 200), 0);
    const int* r = boss->intRegs;
    const float* f = boss->floatRegs;
    const int period = r[33];
    std::vector<int> launches;
    int bombs = 0, jumps = 0;
    while (boss->phaseFrames < r[34] + 80 && boss->phase == PodBossVolleys) {
      float before[10][2];
      int counters[10];
      for (int i = 0; i < 10; ++i) {
        before[i][0] = f[48 + 3 * i];
        before[i][1] = f[49 + 3 * i];
        counters[i] = r[48 + i];
      }
      const std::vector<EnemyBullet*> made = Step();
      std::vector<int> bombing;
      for (int i = 0; i < 10; ++i) {
        const int n = r[48 + i];
        if (n == 1) launches.push_back(boss->phaseFrames - r[34]);
        if (n > 1 && n % period == 0) {
          // A jump of period x 5.2 x (19 - i) / 19 px.
          jumps += 1;
          EXPECT_NEAR(Hypot(f[48 + 3 * i] - before[i][0], f[49 + 3 * i] - before[i][1]),
                      period * 5.2f * (19 - i) / 19.0f, 1e-3);
        }
        if (n > 1) { EXPECT_EQ(n, counters[i] + 1); }
        if (n >= 0 && n % period == period - 1) bombing.push_back(i);
      }
      std::vector<const EnemyBullet*> blasts;
      for (const EnemyBullet* q : made)
        if (q->kind == BulletDelayedBlast) blasts.push_back(q);
      ASSERT_EQ(blasts.size(), bombing.size());
      for (size_t k = 0; k < blasts.size(); ++k) {
        const int i = bombing[k];
        const EnemyBullet* q = blasts[k];
        bombs += 1;
        EXPECT_FLOAT_EQ(q->x, f[48 + 3 * i]);
        EXPECT_FLOAT_EQ(q->y, f[49 + 3 * i]);
        EXPECT_FLOAT_EQ(q->baseScaleX, c.d * 0.08f + r[32] * 0.1f + 1.7f - i * 0.2f);
        const float w = c.d * 0.4f + 2.0f;
        EXPECT_GE(q->speed, w / 2);
        EXPECT_LT(q->speed, w);
        EXPECT_LT(q->type, 12);
        EXPECT_FLOAT_EQ(q->spinStep, 12.0f);
        EXPECT_FLOAT_EQ(q->friction, 0.9f);
      }
    }
    EXPECT_EQ(launches, c.offsets);
    EXPECT_GT(bombs, 0);
    EXPECT_GT(jumps, 0);
    for (int i = static_cast<int>(c.offsets.size()); i < 10; ++i) EXPECT_EQ(r[48 + i], -1);
    TearDown();
  }
}

TEST_F(PodBoss, WalkerSlotsFreeOffTheFieldAndRingLaunchesTakeTheFirstFree) {
  StartBoss(4);
  ParkBoss();
  int* r = boss->intRegs;
  float* f = boss->floatRegs;
  // A walker heading out past x 400 frees its slot on its first jump, after one blast.
  r[57] = 0;
  f[75] = 398.0f;
  f[76] = 200.0f;
  f[77] = 0.0f;
  int blasts = 0;
  for (int n = 1; n <= r[33]; ++n) {
    for (const EnemyBullet* q : Step()) blasts += q->kind == BulletDelayedBlast;
    EXPECT_EQ(r[57], n < r[33] ? n : -1);
  }
  EXPECT_EQ(blasts, 1);
  // The ring phase, once the boss is on the field: every slot busy, the timer restarts and
  // nothing is launched.
  for (int f = 0; f < 160; ++f) Step();
  boss->SetEnemyPhase(PodBossRings);
  Step();
  for (int i = 0; i < 10; ++i) {
    r[48 + i] = 1;
    f[48 + 3 * i] = 180.0f;
    f[49 + 3 * i] = 240.0f;
  }
  r[97] = r[96] - 1;
  int step = g_randomStep;
  Step();
  EXPECT_EQ(r[97], 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(r[48 + i], 2);
  EXPECT_EQ(DrawsSince(step), 2);  // the hover drift; no heading drawn
  // With slot 7 free it takes the next walker.
  r[55] = -1;
  r[97] = r[96] - 1;
  step = g_randomStep;
  Step();
  EXPECT_EQ(r[55], 1);
  EXPECT_EQ(DrawsSince(step), 3);
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(boss, 3, &ox, &oy, &unused);
  EXPECT_LE(AngleDistance(f[50 + 3 * 7], AngleToPlayer(world.get(), f[48 + 3 * 7], f[49 + 3 * 7])), 31.0f);
}

// ---- Death and exit --------------------------------------------------------------------------

TEST_F(PodBoss, DeathSequenceThenTheFlagAndTheRealDeath) {
  for (bool withScript : {true, false}) {
    SCOPED_TRACE(withScript ? "with a stage script" : "without a stage script");
    SetUp();
    StartBoss(3);
    if (withScript) world->stageScript = new StageScript();
    ASSERT_GT(RunUntilBossPhase(PodBossVolleys, 200), 0);
    while (boss->intRegs[48] < 0) Step();
    ClearBulletList(&world->bullets);
    ClearEffectList(&world->effects);
    const int32_t scoreBefore = world->player.scoreLow;
    const auto onBoss = LockOnto(boss);
    const auto onPod = LockOnto(Pod(11));
    Kill(boss);
    EXPECT_EQ(boss->dyingCounter, -1);
    EXPECT_EQ(boss->phase, PodBossDying);
    EXPECT_EQ(world->player.scoreLow, scoreBefore);
    int bursts = 0, sevens = 0;
    for (int f = 1; f <= 80; ++f) {
      ResetSoundRequests();
      const int walker = boss->intRegs[48];
      Effect* lastEffect = world->effects.tail;
      int jumps = 0;  // walkers that jump this frame, each with one wobble draw
      for (int i = 0; i < 10; ++i) {
        const int c = boss->intRegs[48 + i];
        jumps += c >= 0 && (c + 1) % boss->intRegs[33] == 0;
      }
      const int step = g_randomStep;
      for (const EnemyBullet* q : Step()) ADD_FAILURE() << "bullet type " << q->type << " on frame " << f;
      int pieces = 0;
      for (Effect* p = lastEffect ? lastEffect->next : world->effects.head; p; p = p->next) pieces += 1;
      const bool sound = std::find(g_seQueue, g_seQueue + g_seQueueLength, SeEnemyBreak) != g_seQueue + g_seQueueLength;
      if (walker >= 0) { EXPECT_TRUE(boss->intRegs[48] == walker + 1 || boss->intRegs[48] == -1); }  // still walking
      if (f < 80) {
        EXPECT_EQ(boss->dyingCounter, -1);
        if (withScript) { EXPECT_EQ(world->stageScript->flags[0], 0); }
        EXPECT_EQ(world->player.scoreLow, scoreBefore);
        if (f % 6 == 1) {
          bursts += 1;
          EXPECT_GE(pieces, 5);
          EXPECT_LE(pieces, 8);
          EXPECT_EQ(pieces, boss->intRegs[128]);
          EXPECT_TRUE(sound);
          // Piece i of n at (i x 360) / n + facing: whole degrees, 0, 51, 102, ... for seven.
          const float seven[7] = {0, 51, 102, 154, 205, 257, 308};
          sevens += pieces == 7;
          int i = 0;
          for (Effect* p = lastEffect ? lastEffect->next : world->effects.head; p; p = p->next, ++i) {
            const float offset = pieces == 7 ? seven[i] : 360.0f / pieces * i;
            EXPECT_NEAR(AngleDistance(p->direction, boss->facing + offset), 0.0f, 1e-3) << i << " of " << pieces;
          }
          // Count, offset angle and distance, then speed and lifetime per piece; then the walkers.
          EXPECT_EQ(DrawsSince(step), 3 + 2 * pieces + jumps);
        } else {
          EXPECT_EQ(DrawsSince(step), jumps);
          EXPECT_EQ(pieces, 0);
          EXPECT_FALSE(sound);
        }
      }
    }
    EXPECT_EQ(bursts, 14);
    EXPECT_GT(sevens, 0);  // where whole degrees differ from 360 / 7
    // Frame 80: the flag, the rewarded death, and the pods' unrewarded ones in the same frame.
    EXPECT_EQ(boss->dyingCounter, 1);
    if (withScript) { EXPECT_EQ(world->stageScript->flags[0], 1); }
    EXPECT_EQ(world->player.scoreLow, scoreBefore + 100000);
    for (const Enemy* e = world->enemies.head; e; e = e->next) {
      EXPECT_EQ(e->dyingCounter, 1);
      EXPECT_EQ(e->parent, nullptr);
    }
    for (int f = 0; f < 4; ++f) Step();
    EXPECT_EQ(world->enemies.head, nullptr);
    EXPECT_EQ(world->enemies.count, 0);
    for (const auto& lock : {onBoss, onPod}) {
      EXPECT_EQ(lock.first->target, nullptr);
      EXPECT_EQ(lock.second->target, nullptr);
    }
    TearDown();
  }
}

TEST_F(PodBoss, LeavesAtAge4000WithoutTheFlag) {
  StartBoss(2);
  world->stageScript = new StageScript();
  ASSERT_GT(RunUntilBossPhase(PodBossVolleys, 200), 0);
  Kill(Pod(3));
  const auto onBoss = LockOnto(boss);
  const auto onPod = LockOnto(Pod(4));
  boss->age = 3999;
  const int32_t scoreBefore = world->player.scoreLow;
  int frames = 0;
  float lastVy = boss->vy;
  while (Alive(boss) && frames < 3000) {
    const bool flagged = boss->baseY < -160.0f;  // seen by the next behaviour
    Step();
    ++frames;
    if (frames % 100 == 0) ClearBulletList(&world->bullets);
    if (!Alive(boss)) break;
    if (boss->dyingCounter == 0) {
      EXPECT_LT(boss->vy, lastVy + 1e-6f);  // climbing ever faster
      lastVy = boss->vy;
      if (flagged) { EXPECT_EQ(boss->removeOffField, 1); }
      if (boss->baseY > -150.0f) { EXPECT_EQ(boss->removeOffField, 0); }
    }
  }
  ASSERT_FALSE(Alive(boss));
  EXPECT_GT(frames, 60);
  EXPECT_EQ(world->stageScript->flags[0], 0);
  // The pods lose their boss and go without reward; nothing keeps a link to it.
  for (const Enemy* e = world->enemies.head; e; e = e->next) {
    EXPECT_GE(e->dyingCounter, 1);
    EXPECT_EQ(e->parent, nullptr);
  }
  for (int f = 0; f < 4; ++f) Step();
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(world->player.scoreLow, scoreBefore);
  for (const auto& lock : {onBoss, onPod}) {
    EXPECT_EQ(lock.first->target, nullptr);
    EXPECT_EQ(lock.second->target, nullptr);
  }
}

TEST_F(PodBoss, PodsWithoutTheirBossDieWithoutReward) {
  for (int type : {100, 101, 102}) {
    SCOPED_TRACE(type);
    SetUp();
    Enemy* pod = Make(type, 100, 100, 0, 0);
    ASSERT_NE(pod, nullptr);
    Step();
    EXPECT_EQ(pod->dyingCounter, 1);
    EXPECT_EQ(world->player.scoreLow, 0);
    EXPECT_EQ(world->bullets.count, 0);
    EXPECT_EQ(world->items.count, 0);
    Step();
    Step();
    EXPECT_EQ(world->enemies.count, 0);
    TearDown();
  }
}

// The boss and its pods through the whole object update, with pods shot down one by one, then
// the boss killed or leaving by age: nothing may touch freed memory (run under the sanitizer
// build), and the list empties without a link left to a boss or a pod.
TEST_F(PodBoss, ThroughWholeFramesOfPlayToItsEnd) {
  for (bool killed : {true, false}) {
    for (int d : {1, 7}) {
      SCOPED_TRACE(testing::Message() << (killed ? "killed" : "leaving") << " D " << d);
      SetUp();
      world->stageScript = new StageScript();
      SetDifficulty(d);
      boss = Make(99, 180, -40, 270, 0);
      int mostBullets = 0, frame = 0;
      for (; frame < 6000 && world->enemies.count > 0; ++frame) {
        if (frame % 173 == 172 && Alive(boss)) {
          for (int i = 0; i < 12; ++i)
            if (Pod(i) && Pod(i)->dyingCounter == 0) {
              Kill(Pod(i));
              break;
            }
        }
        if (frame == 2600) {
          ASSERT_TRUE(Alive(boss));
          if (killed)
            Kill(boss);
          else
            boss->age = 4000;
        }
        UpdatePlayer(world.get());
        UpdatePlayerShots(world.get());
        UpdateEnemies(world.get());
        UpdateEnemyBullets(world.get());
        UpdateItems(world.get());
        UpdateEffects(world.get());
        if (Alive(boss)) {
          EXPECT_LE(boss->intRegs[0], 12);
        }
        mostBullets = std::max(mostBullets, static_cast<int>(world->bullets.count));
      }
      EXPECT_EQ(world->enemies.count, 0);
      EXPECT_LT(frame, 6000);
      EXPECT_GT(mostBullets, 40);
      EXPECT_EQ(world->stageScript->flags[0], killed ? 1 : 0);
      TearDown();
    }
  }
}

TEST(PodBossStageCheck, OnlyPhaseZeroStartsTheBoss) {
  const struct {
    const char* text;
    bool reported;
  } cases[] = {
      {"e1 99 0 180 -40 0 0\r\ns2 2\r\n", false},
      {"e1 99 1 180 -40 0 0\r\ns2 2\r\n", true},
      {"e1 99 3 180 -40 0 0\r\ns2 2\r\n", true},
      {"e1 99 -1 180 -40 0 0\r\ns2 2\r\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = c.text;
    bool found = false;
    for (const StageProblem& p : CheckStageBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size()))
      found |= p.line == 1 && p.message.find("boss type 99") != std::string::npos;
    EXPECT_EQ(found, c.reported);
  }
}

}  // namespace
