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
#include "player/Player.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

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
      for (EnemyBullet* q : made) {
        if (q->kind != BulletPlain) continue;
        if (q->type == 53) {
          if (firstShotAge == 0) firstShotAge = boss->age;
          bossBullets += 1;
          EXPECT_FLOAT_EQ(q->speed, b);
          EXPECT_FLOAT_EQ(q->baseScaleX, 0.8f);
        } else {
          podBullets += 1;
          EXPECT_EQ(q->baseScaleX, 0.6f);
          // Pods fire along the boss's aim, not their own: the fan is centred on it.
          const int width = Pod(0)->intRegs[16];
          const float a = q->type == 48 ? 0.5f : q->type == 52 ? 0.43f : 0.36f;
          const float bb = q->type == 48 ? 1.7f : q->type == 52 ? 1.3f : 0.9f;
          const float gap = 2.0f * (width * a + bb) / width;
          EXPECT_LE(AngleDistance(q->direction, aim), gap * (width - 1) / 2.0f + 1e-3f);
        }
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
      if (boss->phaseFrames == r[83] + r[85])
        for (int i = 0; i < 12; ++i) EXPECT_EQ(Pod(i)->intRegs[kBossPodStopReg], 1);
    }
    // 501 charging frames of a fixed and a random gain.
    EXPECT_GE(shots, (501 * r[80]) / 100 - 1);
    EXPECT_LE(shots, (501 * (r[80] + r[81])) / 100);
    if (d == 7) EXPECT_NEAR(shots, 501, 100);
    for (int i = 0; i < 12; ++i) {
      EXPECT_EQ(Pod(i)->phase, BossPodFormation);
      EXPECT_EQ(Pod(i)->intRegs[kBossPodStopReg], 0);
    }
    TearDown();
  }
}

}  // namespace
