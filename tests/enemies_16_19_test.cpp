#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "world/Collision.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

using Mixed = EnemyFamilyTest;

int CountType(const std::vector<EnemyBullet*>& v, int type) {
  int n = 0;
  for (const EnemyBullet* b : v) n += b->type == type;
  return n;
}

// ---- Type 16 ---------------------------------------------------------------------------------

TEST_F(Mixed, FighterChevronStreamAndShardsByDifficulty) {
  struct Case {
    int d, chevron, stream, interval, shardDelay, shards;
    float spread;
  } const cases[] = {
      {0, 0, 0, 6, 24, 3, 13.85f}, {1, 1, 0, 6, 21, 4, 13.85f}, {3, 3, 0, 5, 15, 12, 45.0f},
      {5, 7, 1, 5, 9, 35, 102.86f}, {6, 14, 2, 4, 6, 47, 121.62f}, {7, 25, 3, 4, 3, 61, 135.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(16, 180, 60, 270, 20.0f);
    int chevron = 0;
    while (e->phase == 0) {
      const int pf = e->phaseFrames + 1;
      const std::vector<EnemyBullet*> made = Step();
      chevron += CountType(made, 57);
      if (!made.empty()) {
        EXPECT_EQ(pf, 8);
      }
    }
    EXPECT_EQ(chevron, c.chevron);
    int volleys = 0;
    while (e->phase == 1) {
      const std::vector<EnemyBullet*> made = Step();
      if (made.empty()) continue;
      volleys += 1;
      EXPECT_EQ(static_cast<int>(made.size()), c.stream);
      EXPECT_EQ(e->phaseFrames % c.interval, 0);
      EXPECT_FLOAT_EQ(made[0]->speed, 0.7f * g_bulletSpeedBase);
    }
    EXPECT_EQ(volleys > 0, c.stream > 0);
    while (e->phase == 2 && e->phaseFrames < c.shardDelay - 1) EXPECT_TRUE(Step().empty());
    const int step = g_randomStep;
    const std::vector<EnemyBullet*> shards = Step();
    EXPECT_EQ(e->phaseFrames, c.shardDelay);
    ASSERT_EQ(static_cast<int>(shards.size()), c.shards);
    EXPECT_EQ(DrawsSince(step), 6 * c.shards);
    EXPECT_NEAR(e->floatRegs[2], c.spread, 0.01f);
    for (const EnemyBullet* b : shards) {
      EXPECT_EQ(b->type, 7);
      EXPECT_LE(AngleDistance(b->direction, e->facing + 180.0f), c.spread / 2 + 1e-3f);
      EXPECT_GE(std::fabs(b->spinStep), 16.0f);
      EXPECT_LT(std::fabs(b->spinStep), 48.0f);
    }
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Step().empty());
    TearDown();
  }
}

TEST_F(Mixed, FighterSpawnedSlowNeverFiresItsChevron) {
  SetDifficulty(7);
  for (float speed : {3.2f, 6.0f}) {
    SCOPED_TRACE(speed);
    Enemy* e = Make(16, 180, 60, 270, speed);
    Step();
    if (speed < 3.3f) {
      EXPECT_EQ(e->phase, 1);  // it changes on its first frame
    }
    int chevron = 0;
    for (int i = 0; i < 30 && Alive(e); ++i) chevron += CountType(Step(), 57);
    EXPECT_EQ(chevron, 0);
  }
}

TEST_F(Mixed, FighterNosePassesCoincidingWaypointsInOneFrame) {
  // Flying up with the player straight behind: the first three waypoints are one heading.
  Enemy* e = Make(16, 180, 100, 90, 0.0f, 1);
  Step();
  EXPECT_FLOAT_EQ(e->floatRegs[0], 270.0f);
  EXPECT_FLOAT_EQ(e->floatRegs[1], 270.0f);
  EXPECT_FLOAT_EQ(e->floatRegs[2], 270.0f);
  int jumped = 0;
  float facing = e->facing;
  while (e->phase == 1) {
    const int before = e->intRegs[0];
    Step();
    if (e->phase != 1) break;
    EXPECT_LE(AngleDistance(facing, e->facing), 2.4f + 1e-3f);
    facing = e->facing;
    if (before == 0 && e->intRegs[0] == 3) jumped += 1;
  }
  EXPECT_EQ(jumped, 1);
  EXPECT_EQ(e->phase, 2);
}

// Offsets (degrees, -180..180) of the bullets from a heading, in list order.
std::vector<float> OffsetsFrom(const std::vector<EnemyBullet*>& v, int type, float heading) {
  std::vector<float> out;
  for (const EnemyBullet* b : v)
    if (b->type == type) out.push_back(NormalizeAngle(b->direction - heading + 180.0f) - 180.0f);
  return out;
}

void ExpectOffsets(std::vector<float> got, std::vector<float> want) {
  std::sort(got.begin(), got.end());
  std::sort(want.begin(), want.end());
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-3f) << i;
}

TEST_F(Mixed, FighterChevronAndStreamOffsetsAreIntegerQuotients) {
  // Chevron rows at +-(W x i) / rows and stream bullets at 24 (2i - (n - 1)) / (D - 1), both
  // truncated: D5 +-13 (not 13.5); D6 +-11, +-22 and a stream at +-4 (not 4.8); D7 +-10, +-20,
  // +-30. The outermost chevron bullet: speed factor 1 - (i + D - 1) s / M, scale 0.8 - 0.3 s i / rows.
  struct Case {
    int d;
    std::vector<float> chevron, stream;
    float outerSpeed, outerScale;
  } const cases[] = {
      {5, {0, 0, 0, 0, 0, -13, 13}, {0}, 0.58333f, 0.725f},
      {6, {0, 0, 0, 0, 0, 0, -11, -11, -11, 11, 11, 11, -22, 22}, {-4, 4}, 0.475f, 0.68f},
      {7,
       {0, 0, 0, 0, 0, 0, 0, -10, -10, -10, -10, -10, 10, 10, 10, 10, 10, -20, -20, -20, 20, 20, 20, -30, 30},
       {-8, 0, 8},
       0.37f,
       0.6425f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(16, 180, 60, 270, 20.0f);
    std::vector<EnemyBullet*> chevron;
    while (chevron.empty() && e->phase == 0) chevron = Step();
    ExpectOffsets(OffsetsFrom(chevron, 57, 270.0f), c.chevron);
    EXPECT_NEAR(chevron.back()->speed, c.outerSpeed * g_bulletSpeedBase, 1e-4f);
    EXPECT_NEAR(chevron.back()->baseScaleX, c.outerScale, 1e-5f);
    while (e->phase == 0) Step();
    std::vector<EnemyBullet*> stream;
    while (stream.empty() && e->phase == 1) stream = Step();
    ExpectOffsets(OffsetsFrom(stream, 24, e->facing), c.stream);
    TearDown();
  }
}

TEST_F(Mixed, FighterLevelWithThePlayerStillCompletesItsTurn) {
  // The player 0.00002 px below level: the first waypoint normalises to exactly 360, which the
  // turn reaches as 0. The nose still walks 270 -> 0 -> 45 -> 90 -> 135 -> 180 and leaves.
  world->player.x = 300;
  world->player.y = 200.00002f;
  Enemy* e = Make(16, 100, 200, 270, 0.0f, 1);
  Step();
  ASSERT_EQ(e->floatRegs[0], 360.0f);
  EXPECT_FLOAT_EQ(e->floatRegs[1], 45.0f);
  EXPECT_FLOAT_EQ(e->floatRegs[3], 135.0f);
  int frames = 1;
  while (e->phase == 1 && frames < 400) {
    Step();
    frames += 1;
  }
  EXPECT_EQ(e->phase, 2);
  EXPECT_EQ(frames, 113);  // 270 degrees at 2.4 a frame, the entry frame included
  EXPECT_EQ(e->facing, 180.0f);
}

// ---- Type 17 ---------------------------------------------------------------------------------

TEST_F(Mixed, MidBossHitPointsScaleWithTheStage) {
  for (int s : {1, 2, 5, 6}) {
    g_stage = s;
    Enemy* e = Make(17, 180, 100, 270, 1);
    const int step = g_randomStep;
    Step();
    EXPECT_EQ(DrawsSince(step), 2);  // colour phase, spin side
    EXPECT_EQ(e->maxHp, 20000 + 800 * s);
    EXPECT_EQ(e->hp, e->maxHp);
    EXPECT_EQ(e->sprite.colorMode, SpriteColorSingle);
    EXPECT_EQ(std::fabs(e->floatRegs[0]), 1.0f);
    e->DestroyEnemy(world.get());
  }
}

TEST_F(Mixed, MidBossGrowsThirtyTwoLaunchers) {
  g_hitErrorFlags = 0;
  Enemy* e = Make(17, 180, 100, 270, 1);
  Step();
  const int growAt = e->intRegs[1], growFrames = e->intRegs[2];
  EXPECT_EQ(growAt, 900 / 5);
  EXPECT_EQ(growFrames, 400 / 4);
  while (e->phaseFrames < growAt - 1) Step();
  EXPECT_EQ(e->launcherCount, 0);
  Step();
  ASSERT_EQ(e->launcherCount, 32);
  EXPECT_EQ(g_hitErrorFlags & 2u, 0u);
  EXPECT_FLOAT_EQ(e->launchers[0].scale, 0.01f);  // 0.5 / 100 clamped up to 0.01
  EXPECT_FLOAT_EQ(e->launchers[31].placementAngle, NormalizeAngle(22.5f * 15 + 11.2f));
  // The rings lie 28, 56, 84 and 112 px out once the body's scale is applied.
  const int firstOfRing[4] = {0, 4, 8, 16};
  for (int r = 0; r < 4; ++r) {
    const EnemyLauncher& l = e->launchers[firstOfRing[r]];
    EXPECT_NEAR(Hypot(l.x - e->x, l.y - e->y), 28.0f * (r + 1), 1e-3);
  }
  for (int i = 0; i < 10; ++i) Step();
  EXPECT_FLOAT_EQ(e->launchers[5].scale, 11 * 0.5f / 100);
  while (e->phase == 0) Step();
  EXPECT_FLOAT_EQ(e->launchers[5].scale, 0.5f);
}

TEST_F(Mixed, MidBossColourCycle) {
  Enemy* e = Make(17, 180, 100, 270, 1);
  Step();
  e->intRegs[0] = 335;  // wraps to 0: red at its peak, green and blue at rest
  Step();
  EXPECT_EQ(e->intRegs[0], 0);
  EXPECT_EQ(e->sprite.colors[0], 0xFFE07070u);
  e->intRegs[0] = 111;  // t = 224: green rising, red falling
  Step();
  EXPECT_EQ(e->sprite.colors[0], 0xFF70E070u);
  while (e->launcherCount == 0) Step();
  Step();
  for (int i = 0; i < e->launcherCount; ++i) EXPECT_EQ(e->launchers[i].tint, e->sprite.colors[0]);
}

TEST_F(Mixed, MidBossVolleys) {
  struct Case {
    int d, firstWait;
  } const cases[] = {{0, 100}, {1, 64}, {4, 25}, {5, 8}, {6, 0}, {7, -5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(17, 180, 100, 270, 1);
    while (e->phase == 0) Step();
    // Phase 1: intRegs[1] volleys of one aimed bullet per launcher, spins alternating.
    std::vector<std::vector<EnemyBullet*>> volleys;
    while (e->phase == 1) {
      std::vector<EnemyBullet*> made = Step();
      if (!made.empty()) volleys.push_back(made);
    }
    ASSERT_EQ(static_cast<int>(volleys.size()), c.d + 1);
    for (size_t v = 0; v < volleys.size(); ++v) {
      ASSERT_EQ(volleys[v].size(), 32u);
      EXPECT_FLOAT_EQ(volleys[v][0]->spinStep, v % 2 ? 24.0f : -24.0f);
      EXPECT_EQ(volleys[v][0]->type & 0xF0, 0x50);
      EXPECT_FLOAT_EQ(volleys[v][0]->speed, g_bulletSpeedBase);
    }
    if (c.d == 0) {
      // Each bullet aims at the player from its own launcher.
      const EnemyBullet* b = volleys[0][20];
      EXPECT_NEAR(AngleDistance(b->direction, AngleToPlayer(world.get(), b->x, b->y)), 0.0f, 1e-3);
    }
    // Phase 2: the first wait, then each volley one frame later; two draws per launcher.
    std::vector<int> frames;
    for (int i = 0; i < 150 && Alive(e) && frames.size() < 2; ++i) {
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      if (made.empty()) continue;
      frames.push_back(e->phaseFrames);
      EXPECT_EQ(made.size(), 32u);
      EXPECT_EQ(DrawsSince(step), e->phaseFrames == 1 ? 65 : 64);  // the entry draws its heading
      EXPECT_FLOAT_EQ(e->floatRegs[1], 6.0f + 3.0f * c.d);
      const float a = AngleFromEnemyToPlayer(world.get(), e);
      for (const EnemyBullet* q : made) EXPECT_LE(AngleDistance(q->direction, a), e->floatRegs[1] + 0.5f);
    }
    ASSERT_GE(frames.size(), 1u);
    const int first = MaxInt(c.firstWait, 1);
    EXPECT_EQ(frames[0], first);
    if (frames.size() > 1) {
      EXPECT_EQ(frames[1], first + MaxInt(c.firstWait + 1, 1));
    }
    TearDown();
  }
}

// ---- Type 18 ---------------------------------------------------------------------------------

TEST_F(Mixed, CraftVariantsFromTheStagePhase) {
  struct Case {
    int stagePhase;
    uint32_t colour;
    int hp, bulletType, dropKind, phase;
  } const cases[] = {
      {0, 0xFF20E000, 200, 0, 0, 0},   {1, 0xFF0020E0, 250, 4, 0, 0},  {2, 0xFFE00020, 300, 8, 0, 0},
      {3, 0xFF00E0E0, 350, 2, 0, 0},   {4, 0xFFE0E000, 400, 10, 0, 0}, {5, 0xFFE000E0, 450, 6, 0, 0},
      {6, 0xFFE0E0E0, 500, 15, -1, 0}, {7, 0xFF20E000, 200, 0, 0, 0},  {16, 0xFFE0E0E0, 500, 15, -1, 10},
      {-3, 0xFF20E000, 200, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stagePhase);
    Enemy* e = Make(18, 100, 200, 0, 5, c.stagePhase);
    Step();
    EXPECT_EQ(e->sprite.colors[0], c.colour);
    EXPECT_EQ(e->hp, c.hp);
    EXPECT_EQ(e->score, c.hp);
    EXPECT_EQ(e->maxHp, 200);
    EXPECT_EQ(e->intRegs[16], c.bulletType);
    EXPECT_EQ(e->dropItemKind, c.dropKind);
    EXPECT_EQ(e->phase, c.phase);
    EXPECT_EQ(e->phaseFrames, 0);
    e->DestroyEnemy(world.get());
  }
}

TEST_F(Mixed, CraftVolleysByDifficulty) {
  struct Case {
    int d, volleys, bullets, interval, delay;
  } const cases[] = {{0, 1, 1, 40, 80}, {2, 2, 1, 30, 16}, {4, 3, 3, 24, 8},
                     {5, 7, 4, 13, 7},  {6, 12, 5, 8, 6},  {7, 4112, 6, 6, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(18, 60, 240, 0, 8, 2);
    while (e->phase == 0) EXPECT_TRUE(Step().empty());
    std::vector<int> frames;
    for (int i = 0; i < 1000 && Alive(e); ++i) {
      const std::vector<EnemyBullet*> made = Step();
      if (made.empty()) continue;
      frames.push_back(e->phaseFrames);
      ASSERT_EQ(static_cast<int>(made.size()), c.bullets);
      const int first = MaxInt(10 - c.bullets / 2, 4);
      for (int i = 0; i < c.bullets; ++i) {
        EXPECT_EQ(made[i]->type, 8);
        EXPECT_FLOAT_EQ(made[i]->speed, static_cast<float>(first + i) * g_bulletSpeedBase / 10.0f);
      }
    }
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0], c.delay);
    if (frames.size() > 1) {
      EXPECT_EQ(frames[1] - frames[0], c.interval);
    }
    if (c.d < 7) {
      EXPECT_EQ(static_cast<int>(frames.size()), c.volleys);
    }
    TearDown();
  }
}

TEST_F(Mixed, CraftUTurn) {
  // With a target heading it turns until that heading and then speeds up.
  Enemy* e = Make(18, 60, 240, 0, 4, 1);
  e->floatRegs[1] = 100;
  Step();  // set-up: back to phase 0
  while (e->phase == 0) Step();
  for (int i = 0; i < 100 && e->intRegs[4] == 0; ++i) Step();
  EXPECT_FLOAT_EQ(e->direction, 100.0f);
  const float v = e->speed;
  Step();
  EXPECT_NEAR(e->speed, v + 0.1f, 1e-5);
  // Without one it turns back the way it came.
  Enemy* back = Make(18, 60, 240, 0, 4, 1);
  Step();  // set-up: back to phase 0
  while (back->phase == 0) Step();
  EXPECT_FLOAT_EQ(back->floatRegs[0], 3.0f);
  EXPECT_FLOAT_EQ(back->floatRegs[1], 180.0f);
  for (int i = 0; i < 80 && back->intRegs[4] == 0; ++i) Step();
  EXPECT_FLOAT_EQ(back->direction, 180.0f);
  // Exactly on the centre line its turn rate is 0: it never completes the turn.
  Enemy* still = Make(18, 180, 240, 0, 4, 1);
  Step();  // set-up: back to phase 0
  while (still->phase == 0) Step();
  for (int i = 0; i < 20; ++i) Step();
  EXPECT_EQ(still->intRegs[4], 0);
  EXPECT_FLOAT_EQ(still->direction, 0.0f);
}

TEST_F(Mixed, CraftInATensPhaseOnlySpins) {
  SetDifficulty(7);
  Enemy* e = Make(18, 100, 240, 0, 2, 16);
  Step();
  const float vx = e->vx, facing = e->facing;
  int bullets = 0;
  for (int i = 0; i < 50; ++i) bullets += static_cast<int>(Step().size());
  EXPECT_EQ(bullets, 0);
  EXPECT_FLOAT_EQ(e->vx, vx);
  EXPECT_NEAR(AngleDistance(e->facing, facing + 50 * 12.6f), 0.0f, 1e-2);
}

// ---- Type 19 ---------------------------------------------------------------------------------

TEST_F(Mixed, GunshipStringsAndFansByDifficulty) {
  struct Case {
    int d;
    int stringLen0, interval0;
    int fan, fanVolleys, fanInterval;
    float spacing;
    int volleys2, stringLen2, interval2;
    float sweep;
  } const cases[] = {
      {0, 0, 24, 2, 2, 30, 25, 1, 1, 17, 0},         {1, 0, 14, 4, 3, 24, 20, 2, 1, 15, -0.25f},
      {2, 0, 10, 6, 4, 20, 18.33f, 3, 1, 13, 0},     {3, 1, 8, 8, 5, 17, 17.5f, 4, 1, 11, 0.525f},
      {5, 2, 5, 16, 7, 13, 11.25f, 14, 2, 7, 0.964f}, {7, 3, 4, 32, 9, 10, 5.625f, 32, 3, 3, 1.203f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    const float b = g_bulletSpeedBase;
    // Phase 0 from a fast entry: strings on every interval until it has braked.
    Enemy* e = Make(19, 180, 60, 270, 8);
    int strings = 0, stringFrames = 0;
    while (e->phase == 0) {
      const std::vector<EnemyBullet*> made = Step();
      strings += static_cast<int>(made.size());
      if (!made.empty()) {
        stringFrames += 1;
        EXPECT_EQ(e->phaseFrames % c.interval0, 0);
      }
    }
    EXPECT_EQ(strings, stringFrames * 2 * c.stringLen0);
    EXPECT_EQ(stringFrames > 0, c.stringLen0 > 0);
    e->DestroyEnemy(world.get());

    // Phase 1: aimed fans slowing from 0.5B to 1.75, one draw per volley.
    e = Make(19, 180, 100, 270, 0, 1);
    std::vector<std::vector<EnemyBullet*>> fans;
    std::vector<int> fanFrames;
    while (e->phase == 1) {
      const int step = g_randomStep;
      std::vector<EnemyBullet*> made = Step();
      if (made.empty()) continue;
      EXPECT_EQ(DrawsSince(step), 1);
      fans.push_back(made);
      fanFrames.push_back(e->phaseFrames);
    }
    ASSERT_EQ(static_cast<int>(fans.size()), c.fanVolleys);
    for (size_t v = 0; v < fans.size(); ++v) {
      EXPECT_EQ(fanFrames[v], 1 + static_cast<int>(v) * c.fanInterval);
      ASSERT_EQ(static_cast<int>(fans[v].size()), c.fan);
      EXPECT_EQ(std::fabs(fans[v][0]->spinStep), 13.0f);
      EXPECT_NEAR(AngleDistance(fans[v][0]->direction, fans[v][1]->direction), c.spacing, 0.01f);
    }
    EXPECT_NEAR(fans.front()[0]->speed, 0.5f * b, 1e-5);
    EXPECT_NEAR(fans.back()[0]->speed, 1.75f, 1e-5);
    e->DestroyEnemy(world.get());

    // Phase 2: strings from both barrels while they sweep; the player above, so it flees down.
    world->player.y = 20;
    e = Make(19, 180, 100, 270, 0, 2);
    int volleys = 0;
    for (int i = 0; i < 120 && Alive(e); ++i) {
      const float aim1 = e->launchers[1].aimAngle, aim2 = e->launchers[2].aimAngle;
      const std::vector<EnemyBullet*> made = Step();
      if (e->phaseFrames >= 2) {
        EXPECT_NEAR(NormalizeAngle(e->launchers[1].aimAngle - aim1 + 180) - 180, c.sweep, 1e-3);
        EXPECT_NEAR(NormalizeAngle(e->launchers[2].aimAngle - aim2 + 180) - 180, -c.sweep, 1e-3);
      }
      if (made.empty()) continue;
      volleys += 1;
      EXPECT_EQ((e->phaseFrames - 1) % c.interval2, 0);
      ASSERT_EQ(static_cast<int>(made.size()), 2 * c.stringLen2);
      // The first of a string accelerates most; all share the launch point.
      const int k = c.d - 2 * (c.d < 3) * (3 - c.d);
      EXPECT_NEAR(made[0]->accelMagnitude, 0.17f + 0.02f * k, 1e-5);
      EXPECT_FLOAT_EQ(made[0]->friction, 0.992f);
      EXPECT_FLOAT_EQ(made[0]->stretch, 8.3f);
      EXPECT_FLOAT_EQ(made[0]->speed, 0.0f);
      EXPECT_FLOAT_EQ(made.back()->x, made[c.stringLen2]->x);
    }
    EXPECT_EQ(volleys, c.volleys2);
    TearDown();
  }
}

}  // namespace
