#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

using Carriers = EnemyFamilyTest;

int CountType(const std::vector<EnemyBullet*>& v, int type) {
  int n = 0;
  for (const EnemyBullet* b : v) n += b->type == type;
  return n;
}

int CountEnemies(const GameWorld* w, int type) {
  int n = 0;
  for (const Enemy* p = w->enemies.head; p; p = p->next) n += p->type == type && p->dyingCounter == 0;
  return n;
}

// ---- Types 20 and 21 -------------------------------------------------------------------------

TEST_F(Carriers, BlockDriftsAndNeverFires) {
  Enemy* e = Make(20, 100, 100, 300, 2.0f);
  const int step = g_randomStep;
  for (int i = 0; i < 200; ++i) EXPECT_TRUE(Step().empty());
  EXPECT_EQ(DrawsSince(step), 0);
  EXPECT_EQ(e->targetable, 0);
  EXPECT_FLOAT_EQ(e->vx, std::cos(300.0f * kPi / 180.0f) * 2.0f);
  EXPECT_EQ(e->facing, 300.0f);
}

TEST_F(Carriers, DroneSpinsAndSlowsTowardTwo) {
  Enemy* e = Make(21, 180, 100, 250, 9.0f);
  int step = g_randomStep;
  EXPECT_TRUE(Step().empty());
  EXPECT_EQ(DrawsSince(step), 2);  // side, then size of the spin
  const float spin = e->floatRegs[0];
  EXPECT_GE(std::fabs(spin), 16.0f);
  EXPECT_LT(std::fabs(spin), 48.0f);
  EXPECT_FLOAT_EQ(e->speed, 7.0f * 0.9f + 2.0f);
  EXPECT_FLOAT_EQ(e->facing, NormalizeAngle(250.0f + spin));
  step = g_randomStep;
  for (int i = 0; i < 40; ++i) EXPECT_TRUE(Step().empty());
  EXPECT_EQ(DrawsSince(step), 0);
  EXPECT_EQ(e->floatRegs[0], spin);
  EXPECT_NEAR(e->speed, 2.0f, 0.1f);
  // A spin seeded by the stage is kept.
  Enemy* seeded = Make(21, 180, 100, 250, 2.0f);
  seeded->floatRegs[0] = -5.0f;
  step = g_randomStep;
  Step();
  EXPECT_EQ(seeded->floatRegs[0], -5.0f);
  EXPECT_EQ(DrawsSince(step), 0);
}

// ---- Type 22 ---------------------------------------------------------------------------------

TEST_F(Carriers, CarrierRegistersByDifficultyAndStage) {
  struct Case {
    int d, drones[3], approach, volleys, bullets, interval, delay, wait;
    float spread, scale;
  } const cases[] = {
      {0, {1, 1, 1}, 150, 5, 1, 0, 60, 80, 0, 0.34f},    {1, {1, 1, 2}, 81, 5, 1, 1, 30, 53, 0, 0.36f},
      {2, {1, 2, 2}, 62, 6, 1, 2, 20, 40, 0, 0.38f},     {3, {2, 2, 2}, 54, 9, 1, 3, 15, 32, 1.3f, 0.4f},
      {4, {2, 2, 3}, 48, 14, 2, 4, 12, 26, 3.4f, 0.42f}, {5, {3, 3, 4}, 45, 21, 3, 3, 10, 22, 5.5f, 0.44f},
      {6, {4, 5, 5}, 43, 30, 4, 2, 8, 20, 7.6f, 0.46f},  {7, {6, 6, 6}, 41, 41, 5, 2, 7, 17, 9.7f, 0.48f},
  };
  const int stages[3] = {1, 4, 6};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetDifficulty(c.d);
    for (int s = 0; s < 3; ++s) {
      g_stage = stages[s];
      Enemy* e = Make(22, 180, 40, 270, 3.0f);
      Step();
      EXPECT_EQ(e->intRegs[0], c.drones[s]);
      EXPECT_EQ(e->intRegs[1] + 30, c.approach);
      e->DestroyEnemy(world.get());
    }
    g_stage = 1;
    Enemy* e = Make(22, 180, 40, 270, 3.0f, 1);
    Step();
    EXPECT_EQ(e->intRegs[2] + 1, c.volleys);
    EXPECT_EQ(e->intRegs[3], c.bullets);
    EXPECT_EQ(e->intRegs[4], c.interval);
    EXPECT_EQ(e->intRegs[8], c.delay);
    EXPECT_EQ(e->intRegs[9], c.wait);
    e->DestroyEnemy(world.get());
    // The column spread and scale, seen on the first volley.
    ClearBulletList(&world->bullets);
    e = Make(22, 180, 40, 270, 0.0f, 1);
    std::vector<EnemyBullet*> made;
    while (made.empty() && e->phaseFrames < 200) made = Step();
    ASSERT_FALSE(made.empty());
    EXPECT_FLOAT_EQ(made[0]->baseScaleX, c.scale);
    EXPECT_NEAR(MaxFloat(2.1f * static_cast<float>(c.d) - 5.0f, 0.0f), c.spread, 1e-4f);
    e->DestroyEnemy(world.get());
    ClearBulletList(&world->bullets);
  }
}

TEST_F(Carriers, CarrierLaunchesDronesEveryFourFrames) {
  SetDifficulty(7);
  g_stage = 6;
  Enemy* e = Make(22, 180, 40, 270, 3.0f);
  std::vector<int> ages;
  for (int i = 0; i < 40; ++i) {  // its approach: 41 frames
    ASSERT_EQ(e->phase, 0);
    const int before = CountEnemies(world.get(), 21);
    const int step = g_randomStep;
    Step();
    const int launched = CountEnemies(world.get(), 21) - before;
    int firstFrames = 0;  // drones that drew their spin in this walk
    for (const Enemy* p = world->enemies.head; p; p = p->next) firstFrames += p->type == 21 && p->age == 1;
    EXPECT_EQ(DrawsSince(step), 2 * launched + 2 * firstFrames);  // speed, then direction
    if (launched) ages.push_back(e->age);
  }
  EXPECT_EQ(ages, (std::vector<int>{8, 12, 16, 20, 24, 28}));
  // The drones are independent: the carrier's death leaves them flying.
  for (const Enemy* p = world->enemies.head; p; p = p->next)
    if (p->type == 21) {
      EXPECT_EQ(p->parent, nullptr);
      EXPECT_GE(p->speed, 2.0f);
    }
  KillEnemy(false, world.get(), -1, e);
  Step();
  Step();
  EXPECT_EQ(CountEnemies(world.get(), 21), 6);
}

TEST_F(Carriers, CarrierFiresEveryVolleyInOneFrameAtDifficultyZero) {
  Enemy* e = Make(22, 180, 40, 270, 0.0f, 1);
  Step();
  const int first = e->intRegs[7];
  while (e->phaseFrames < 59) EXPECT_TRUE(Step().empty());
  const int step = g_randomStep;
  const std::vector<EnemyBullet*> made = Step();
  ASSERT_EQ(made.size(), 5u);
  EXPECT_EQ(DrawsSince(step), 5);  // one spread draw a volley
  for (int v = 0; v < 5; ++v) {
    const EnemyLauncher& corner = e->launchers[(first + v) % 4 + 1];
    EXPECT_EQ(made[v]->type, 393);
    EXPECT_FLOAT_EQ(made[v]->x, corner.x);
    EXPECT_FLOAT_EQ(made[v]->y, corner.y);
    EXPECT_FLOAT_EQ(made[v]->speed, g_bulletSpeedBase);
    EXPECT_NEAR(AngleDistance(made[v]->direction, AngleToPlayer(world.get(), corner.x, corner.y)), 0.0f, 1e-3f);
  }
  EXPECT_EQ(e->intRegs[5], 5);
  for (int i = 0; i < 100 && e->phase == 1; ++i) EXPECT_TRUE(Step().empty());
  EXPECT_EQ(e->phase, 2);
}

TEST_F(Carriers, CarrierColumnsLeaveIntervalFramesApart) {
  SetDifficulty(5);
  Enemy* e = Make(22, 180, 40, 270, 0.0f, 1);
  int volleys = 0, last = 0;
  while (e->phase == 1) {
    const int step = g_randomStep;
    const std::vector<EnemyBullet*> made = Step();
    if (made.empty()) continue;
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(DrawsSince(step), 1);
    for (int i = 0; i < 3; ++i) {
      EXPECT_FLOAT_EQ(made[i]->speed, static_cast<float>(i + 5) * g_bulletSpeedBase / 5.0f);
      EXPECT_EQ(made[i]->direction, made[0]->direction);
    }
    if (volleys == 0) {
      EXPECT_EQ(e->phaseFrames, 10);
    } else {
      EXPECT_EQ(e->phaseFrames - last, 3);
    }
    last = e->phaseFrames;
    volleys += 1;
  }
  EXPECT_EQ(volleys, 21);
  // The turn-away wait of 22 frames starts one volley before the last.
  EXPECT_EQ(e->phaseFrames, 0);
  EXPECT_EQ(e->age, 1 + 10 + 19 * 3 + 22 - 1);
}

TEST_F(Carriers, CarrierKeepsFullHitPointsInItsFirstFrames) {
  struct Case {
    int d, lastProtectedAge;
  } const cases[] = {{0, 0}, {2, 0}, {3, 2}, {4, 8}, {6, 20}, {7, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetDifficulty(c.d);
    Enemy* e = Make(22, 180, 40, 270, 1.0f);
    for (int age = 1; age <= 30; ++age) {
      e->hp = e->maxHp - 50;
      Step();
      EXPECT_EQ(e->hp, age <= c.lastProtectedAge ? e->maxHp : e->maxHp - 50) << age;
    }
    // A hit below 1 is not undone.
    Enemy* f = Make(22, 180, 40, 270, 1.0f);
    Step();
    f->hp = 0;
    Step();
    EXPECT_EQ(f->hp, 0);
    e->DestroyEnemy(world.get());
    f->DestroyEnemy(world.get());
  }
}

// ---- Type 23 ---------------------------------------------------------------------------------

TEST_F(Carriers, HeavyShipFansBurstsAndRingsByDifficulty) {
  struct Case {
    int d, ringSize, ringPeriod, fanSize, fans, interval;
    float spacing;
    int bolts, barrelVolleys;
    float sweep;
  } const cases[] = {
      {0, 4, 180, 1, 2, 18, 12, 1, 1, 0},     {1, 6, 110, 2, 2, 18, 11.2f, 1, 2, 0},
      {2, 8, 79, 2, 3, 13, 10.4f, 1, 3, 0},   {3, 10, 61, 4, 4, 10, 9.6f, 1, 4, 0.6f},
      {4, 12, 50, 4, 7, 7, 8.8f, 1, 5, 2.2f}, {5, 14, 43, 6, 10, 6, 8.0f, 2, 6, 2.2f},
      {6, 16, 37, 6, 13, 5, 7.2f, 4, 6, 2.2f}, {7, 18, 33, 8, 16, 4, 6.4f, 6, 6, 2.2f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(23, 100, 40, 270, 2.0f);
    const int step = g_randomStep;
    int fans = 0, bursts = 0, rings = 0, ringBullets = 0;
    for (int f = 0; f < 260 && Alive(e) && e->dyingCounter == 0; ++f) {
      const std::vector<EnemyBullet*> made = Step();
      if (e->age == 1) {
        EXPECT_EQ(e->intRegs[0], c.ringSize);
        EXPECT_EQ(e->intRegs[1], c.ringPeriod);
        EXPECT_EQ(e->intRegs[2], c.fanSize);
        EXPECT_EQ(e->intRegs[3], c.fans);
        EXPECT_EQ(e->intRegs[4], c.interval);
        EXPECT_EQ(e->intRegs[6], c.bolts);
        EXPECT_EQ(e->intRegs[7], c.barrelVolleys);
        EXPECT_NEAR(e->floatRegs[2], c.sweep, 1e-5f);
      }
      const int fan = CountType(made, 411), burst = CountType(made, 377), ring = CountType(made, 8);
      if (fan) {
        EXPECT_EQ(e->phase, 1);
        EXPECT_EQ(e->phaseFrames % c.interval, 0);
        EXPECT_EQ(fan, 2 * c.fanSize);
        // Bullets of one fan are spaced 2w apart, the middle fastest.
        std::vector<EnemyBullet*> fanBullets;
        for (EnemyBullet* b : made)
          if (b->type == 411) fanBullets.push_back(b);
        if (c.fanSize > 1) {
          EXPECT_NEAR(AngleDistance(fanBullets[0]->direction, fanBullets[1]->direction), 2 * c.spacing, 1e-3f);
        }
        EXPECT_FLOAT_EQ(fanBullets[c.fanSize / 2]->speed,
                        static_cast<float>(TriangleWaveOdd(c.fanSize / 2, c.fanSize) + 6) * g_bulletSpeedBase * 0.125f);
        EXPECT_EQ(fanBullets[0]->pulseOn, 1);
        fans += 1;
      }
      if (burst) {
        EXPECT_EQ(e->phase, 2);
        EXPECT_EQ((e->phaseFrames - 1) % 4, 0);
        EXPECT_EQ(burst, 2 * c.bolts);
        for (const EnemyBullet* b : made) {
          if (b->type == 377) {
            EXPECT_FLOAT_EQ(b->speed, 1.6f * g_bulletSpeedBase);
          }
        }
        bursts += 1;
      }
      if (ring) {
        EXPECT_EQ(e->age % c.ringPeriod, 0);
        EXPECT_EQ(ring, c.ringSize);
        rings += 1;
        ringBullets += ring;
      }
    }
    EXPECT_EQ(fans, c.fans);
    EXPECT_EQ(bursts, c.barrelVolleys);
    // It lives 224 frames; the phase change at age 33 skips that frame's attack.
    EXPECT_EQ(rings, 224 / c.ringPeriod - (33 % c.ringPeriod == 0));
    EXPECT_EQ(DrawsSince(step), 0);
    TearDown();
  }
}

TEST_F(Carriers, HeavyShipRingLeavesThePlayerInAGapOnEveryOtherRingAboveThree) {
  for (int d : {2, 5}) {
    SCOPED_TRACE(d);
    SetDifficulty(d);
    Enemy* e = Make(23, 180, 40, 270, 0.0f);
    int rings = 0;
    while (rings < (d == 2 ? 2 : 4)) {
      const std::vector<EnemyBullet*> made = Step();
      if (CountType(made, 8) == 0) continue;
      const float toPlayer = AngleFromEnemyToPlayer(world.get(), e);
      float nearest = 360.0f;
      for (const EnemyBullet* b : made)
        if (b->type == 8) nearest = MinFloat(nearest, AngleDistance(b->direction, toPlayer));
      const bool gap = d <= 3 || (e->age / e->intRegs[1]) % 2 == 0;
      EXPECT_NEAR(nearest, gap ? static_cast<float>(180 / e->intRegs[0]) : 0.0f, 2e-3f) << e->age;
      const EnemyBullet* b = made.back();
      EXPECT_FLOAT_EQ(b->speed, 2.4f * g_bulletSpeedBase);
      EXPECT_FLOAT_EQ(b->friction, 0.826f);
      EXPECT_FLOAT_EQ(b->stretch, 3.0f);
      EXPECT_FLOAT_EQ(b->accelMagnitude, 0.42f);
      EXPECT_EQ(b->accelAngle, b->facing);
      rings += 1;
    }
    e->DestroyEnemy(world.get());
  }
}

TEST_F(Carriers, HeavyShipRingAnglesAreIntegerQuotients) {
  // Bullet i at (i x 360) / n after a gap of (m x 180) / n, both truncated. The first ring above
  // difficulty 3 (age / period odd) has no gap, the second has one.
  struct Case {
    int d, gap;
    std::vector<int> ring;
  } const cases[] = {
      {2, 22, {0, 45, 90, 135, 180, 225, 270, 315}},
      {5, 12, {0, 25, 51, 77, 102, 128, 154, 180, 205, 231, 257, 282, 308, 334}},
      {6, 11, {0, 22, 45, 67, 90, 112, 135, 157, 180, 202, 225, 247, 270, 292, 315, 337}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetDifficulty(c.d);
    Enemy* e = Make(23, 180, 40, 270, 0.0f);
    const std::vector<int> gaps = c.d <= 3 ? std::vector<int>{c.gap} : std::vector<int>{0, c.gap};
    for (int gap : gaps) {
      std::vector<EnemyBullet*> ring;
      while (CountType(ring, 8) == 0) ring = Step();
      const float toPlayer = AngleFromEnemyToPlayer(world.get(), e);
      ASSERT_EQ(ring.size(), c.ring.size());
      for (size_t i = 0; i < ring.size(); ++i)
        EXPECT_NEAR(AngleDistance(ring[i]->direction, toPlayer + static_cast<float>(gap + c.ring[i])), 0.0f, 1e-3f)
            << gap << " " << i;
    }
    e->DestroyEnemy(world.get());
  }
}

TEST_F(Carriers, HeavyShipVanishesWithoutRewardAtPhaseTwoFrame81) {
  SetDifficulty(3);
  Enemy* e = Make(23, 180, 40, 270, 1.0f);
  while (!(e->phase == 2 && e->phaseFrames == 80)) Step();
  EXPECT_EQ(e->dyingCounter, 0);
  const int effects = world->effects.count;
  const int items = world->items.count;
  Step();
  EXPECT_EQ(e->dyingCounter, 2);  // removed off the field
  EXPECT_EQ(world->player.scoreLow, 0);
  EXPECT_EQ(world->effects.count, effects);
  EXPECT_EQ(world->items.count, items);
  Step();
  EXPECT_FALSE(Alive(e));
}

TEST_F(Carriers, HeavyShipStartedPastItsSetUpFiresNothing) {
  for (int phase : {1, 2}) {
    SCOPED_TRACE(phase);
    SetDifficulty(7);
    Enemy* e = Make(23, 180, 40, 270, 0.0f, phase);
    for (int i = 0; i < 300 && Alive(e) && e->dyingCounter == 0; ++i) EXPECT_TRUE(Step().empty());
  }
}

// ---- Type 24 ---------------------------------------------------------------------------------

TEST_F(Carriers, GunshipStreamsByDifficulty) {
  struct Case {
    int d, shots, period, startA;
    float spread;
    int volleys, periodB, perSide, startB;
  } const cases[] = {
      {0, 0, 12, 100, 0, 1, 61, 1, 140},     {1, 1, 11, 71, 0, 1, 61, 1, 111},
      {2, 2, 10, 56, 1.5f, 2, 31, 1, 96},    {3, 3, 9, 47, 4.5f, 4, 16, 1, 87},
      {4, 6, 7, 40, 7.5f, 6, 11, 1, 80},     {5, 11, 5, 40, 10.5f, 10, 7, 2, 80},
      {6, 18, 3, 41, 13.5f, 12, 6, 3, 65},   {7, 27, 1, 41, 16.5f, 14, 5, 4, 65},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    world->player.y = 300;  // it homes on the player: keep it on the field until stream B
    Enemy* e = Make(24, 180, 40, 270, 0.0f);
    int shots = 0, volleys = 0;
    int phase1At = 0, phase2At = 0;
    for (int f = 0; f < 400 && Alive(e) && e->dyingCounter == 0; ++f) {
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      if (e->age == 1) {
        EXPECT_EQ(e->intRegs[0], c.shots);
        EXPECT_EQ(e->intRegs[1], c.period);
        EXPECT_EQ(e->intRegs[2], c.startA);
        EXPECT_FLOAT_EQ(e->floatRegs[0], c.spread);
        EXPECT_EQ(e->intRegs[3], c.volleys);
        EXPECT_EQ(e->intRegs[4], c.periodB);
        EXPECT_EQ(e->intRegs[5], c.perSide);
        EXPECT_EQ(e->intRegs[6], c.startB);
      }
      EXPECT_EQ(e->facing, 270.0f);
      if (e->phase == 1 && !phase1At) phase1At = e->age;
      if (e->phase == 2 && !phase2At) phase2At = e->age;
      const int bolts = CountType(made, 8) + CountType(made, 9);
      const int pairs = CountType(made, 91);
      EXPECT_EQ(DrawsSince(step), 3 * bolts);
      if (bolts) {
        EXPECT_EQ(bolts, 1);
        EXPECT_EQ((e->age - c.startA) % c.period, 0);
        const EnemyBullet* b = made.front();
        EXPECT_EQ(b->speed, 0.0f);
        EXPECT_FLOAT_EQ(b->stretch, 3.6f);
        EXPECT_FLOAT_EQ(b->friction, 0.985f);
        EXPECT_FLOAT_EQ(b->accelFactor, 1.014f);
        EXPECT_FLOAT_EQ(b->accelMagnitude, 0.12f);
        EXPECT_FLOAT_EQ(b->baseScaleX, 0.78f + 0.06f * static_cast<float>(c.d));
        float ox = 0, oy = 0, unused = 0;
        ShotOriginOf(e, 0, &ox, &oy, &unused);
        EXPECT_LE(AngleDistance(b->direction, AngleToPlayer(world.get(), ox, oy)), c.spread + 1e-3f);
        shots += 1;
      }
      if (pairs) {
        EXPECT_EQ(pairs, 2 * c.perSide);
        EXPECT_EQ((e->age - c.startB) % c.periodB, 0);
        const EnemyBullet* first = made[made.size() - pairs];
        EXPECT_FLOAT_EQ(made.back()->speed, 1.15f * g_bulletSpeedBase);
        EXPECT_EQ(first->spinStep, -17.0f);
        EXPECT_EQ(made.back()->spinStep, 17.0f);
        volleys += 1;
      }
    }
    // The phase changes at ages startA + 1 and startB + 1 skip that frame's attack: a bolt due
    // then is never fired (two at difficulty 7).
    int lost = 0;
    for (int age : {c.startA + 1, c.startB + 1}) {
      const int t = age - c.startA;
      lost += t % c.period == 0 && t / c.period < c.shots;
    }
    EXPECT_EQ(lost, c.d == 7 ? 2 : 0);
    EXPECT_EQ(shots, c.shots - lost);
    EXPECT_EQ(volleys, c.volleys);
    EXPECT_EQ(phase1At, c.startA + 1);
    EXPECT_EQ(phase2At, c.startB + 1);
    TearDown();
  }
}

TEST_F(Carriers, GunshipPairsAimFromTheWingsOnOddVolleysAboveThree) {
  SetDifficulty(5);
  Enemy* e = Make(24, 180, 40, 270, 3.0f);
  int v = 0;
  while (v < 4) {
    const std::vector<EnemyBullet*> made = Step();
    if (CountType(made, 91) == 0) continue;
    std::vector<EnemyBullet*> pairs;
    for (EnemyBullet* b : made)
      if (b->type == 91) pairs.push_back(b);
    ASSERT_EQ(pairs.size(), 4u);
    for (int l = 0; l < 2; ++l) {
      const EnemyLauncher& wing = e->launchers[l + 1];
      const float from = v % 2 == 1 ? AngleToPlayer(world.get(), wing.x, wing.y) : AngleFromEnemyToPlayer(world.get(), e);
      EXPECT_NEAR(AngleDistance(pairs[2 * l]->direction, from), 2.8f, 1e-3f);
      EXPECT_NEAR(AngleDistance(pairs[2 * l + 1]->direction, from), 2.8f, 1e-3f);
    }
    v += 1;
  }
}

}  // namespace
