#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "player/Item.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;
using family_test::FirstFrameCounter;

using HeavyCarriers = EnemyFamilyTest;

int CountType(const std::vector<EnemyBullet*>& v, int type) {
  int n = 0;
  for (const EnemyBullet* b : v) n += b->type == type;
  return n;
}

// Takes a type's bodies away while it lives (launched enemies then fly straight and never fire).
class WithoutBodies {
 public:
  explicit WithoutBodies(int type) : type_(type), saved_(GetEnemyTypeCode(type)) {
    RegisterEnemyTypeCode(type, nullptr, nullptr);
  }
  ~WithoutBodies() { RegisterEnemyTypeCode(type_, saved_.behaviour, saved_.attack); }

 private:
  int type_;
  EnemyTypeCode saved_;
};

// ---- Type 31 ---------------------------------------------------------------------------------

// Enemies of a type launched in the last frame. With an anchor behind the launcher they always
// run their first frame in the frame they are made.
std::vector<Enemy*> FreshEnemies(const GameWorld* w, int type) {
  std::vector<Enemy*> v;
  for (Enemy* p = w->enemies.head; p; p = p->next)
    if (p->type == type && p->age == 1) v.push_back(p);
  return v;
}

constexpr int kInertType = 20;  // moves on its velocity, never fires

// Bullets of one fan: n per layer set, one on even layers and two on odd ones.
int FanBullets(int n, int layers) {
  int perAngle = 0;
  for (int q = 0; q < layers; ++q) perAngle += 1 + q % 2;
  return n * perAngle;
}

TEST_F(HeavyCarriers, LauncherPhasesFansAndRingsByDifficulty) {
  struct Case {
    int d, fanSize, fans, layers, fanInterval, fanDelay, ringSize, rings, ringInterval, ringDelay;
  } const cases[] = {
      {0, 3, 1, 1, 50, 40, 5, 1, 40, 12}, {1, 5, 1, 1, 50, 26, 7, 1, 40, 11}, {2, 5, 2, 1, 25, 20, 4, 2, 20, 10},
      {4, 7, 3, 1, 16, 13, 3, 3, 13, 8},  {5, 9, 3, 2, 16, 11, 4, 3, 13, 7},  {7, 11, 4, 3, 12, 8, 6, 3, 13, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    WithoutBodies launched(21);
    SetDifficulty(c.d);
    Enemy* e = Make(31, 180, 40, 270, 8.0f);
    e->intParams[0] = 21;
    Make(kInertType, 10, 470, 0, 0.0f);
    std::vector<int> phases;
    std::vector<int> fanFrames[2];
    std::vector<int> ringSizes;
    int visit = 0;
    for (int frame = 0; frame < 1500 && Alive(e); ++frame) {
      const int phase = e->phase;
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      ASSERT_TRUE(Alive(e));
      const int launched = static_cast<int>(FreshEnemies(world.get(), 21).size());
      if (phase == 0) {
        EXPECT_EQ(DrawsSince(step), 0);
      }
      if (phase != e->phase) {
        phases.push_back(e->phase);
        if (phase == 1) visit += 1;
      }
      if (!made.empty()) {
        ASSERT_EQ(e->phase, 1);
        ASSERT_LT(visit, 2);
        const int pf = e->phaseFrames;
        ASSERT_EQ((pf - c.fanDelay) % c.fanInterval, 0);
        const int v = (pf - c.fanDelay) / c.fanInterval;
        EXPECT_EQ(static_cast<int>(made.size()), FanBullets(c.fanSize - v % 2, c.layers));
        EXPECT_EQ(DrawsSince(step), 2);  // the holding jitter only
        for (const EnemyBullet* b : made) {
          EXPECT_EQ(b->type, 11);
          EXPECT_EQ(std::fabs(b->spinStep), 14.6f);
          EXPECT_EQ(b->pulseOn, 1);
        }
        fanFrames[visit].push_back(pf);
      }
      if (phase == 2 && e->phase == 2 && launched > 0) {
        ringSizes.push_back(launched);
        EXPECT_EQ((e->phaseFrames - c.ringDelay) % c.ringInterval, 0);
        EXPECT_EQ(DrawsSince(step), 3);  // jitter, ring start
      }
      if (e->phase == 3 && e->phaseFrames > 20) break;
    }
    EXPECT_EQ(phases, (std::vector<int>{1, 2, 1, 3}));
    std::vector<int> expectFans;
    for (int v = 0; v < c.fans; ++v) expectFans.push_back(c.fanDelay + v * c.fanInterval);
    EXPECT_EQ(fanFrames[0], expectFans);
    EXPECT_EQ(fanFrames[1], expectFans);  // the second visit repeats them from phase frame 1
    std::vector<int> expectRings;
    for (int v = 0; v < c.rings; ++v) expectRings.push_back(c.ringSize + v);
    EXPECT_EQ(ringSizes, expectRings);
    EXPECT_LT(e->vy, 0.0f);  // climbing away
    TearDown();
  }
}

TEST_F(HeavyCarriers, LauncherFanShape) {
  SetDifficulty(7);
  Enemy* e = Make(31, 180, 40, 270, 8.0f);
  while (e->phase != 1) Step();
  std::vector<EnemyBullet*> made;
  while (made.empty()) made = Step();
  const EnemyLauncher& l = e->launchers[0];
  const float aim = l.aimAngle;
  float ox = 0, oy = 0, oa = 0;
  ComputeShotOrigin(&ox, &oy, &oa, l);
  EXPECT_NEAR(Hypot(ox - l.x, oy - l.y), 66.0f, 1e-3f);
  // Eleven directions 2w apart, w = 134 / 11 truncated to 12; three layers at 1.2B, 1.0B (a pair
  // 5.6 apart) and 0.8B.
  ASSERT_EQ(made.size(), 44u);
  const float w = 12.0f;
  for (int i = 0; i < 11; ++i) {
    const EnemyBullet* const* g = &made[4 * i];
    EXPECT_NEAR(AngleDistance(g[0]->direction, aim + static_cast<float>(2 * i - 10) * w), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(g[0]->speed, 1.2f * g_bulletSpeedBase);
    EXPECT_FLOAT_EQ(g[0]->baseScaleX, 0.9f);
    EXPECT_NEAR(AngleDistance(g[2]->direction, g[1]->direction + 5.6f), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(g[1]->speed, 1.0f * g_bulletSpeedBase);
    EXPECT_NEAR(g[1]->baseScaleX, 0.4f, 1e-6f);
    EXPECT_NEAR(g[3]->speed, 0.8f * g_bulletSpeedBase, 1e-5f);
    EXPECT_EQ(g[0]->spinStep, -14.6f);  // fan 0, layer 0
    EXPECT_EQ(g[1]->spinStep, 14.6f);   // layer 1
    EXPECT_FLOAT_EQ(g[0]->x, ox);
  }
}

TEST_F(HeavyCarriers, LauncherFanSpacingIsAnIntegerQuotient) {
  // Fan v has n = intRegs[0] - v % 2 directions at (2i - (n - 1)) x w, w = (10n + 24) / n
  // truncated: 14 for 5 and 6, 13 for 7 and 8, 12 for 9, 10 and 11.
  struct Case {
    int d;
    std::vector<int> sizes, spacings;
  } const cases[] = {
      {1, {5}, {14}}, {3, {7, 6}, {13, 14}}, {5, {9, 8, 9}, {12, 13, 12}}, {7, {11, 10, 11, 10}, {12, 12, 12, 12}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(31, 180, 40, 270, 8.0f);
    while (e->phase != 1) Step();
    for (size_t v = 0; v < c.sizes.size(); ++v) {
      std::vector<EnemyBullet*> made;
      while (made.empty()) made = Step();
      std::vector<const EnemyBullet*> front;  // the first layer: one bullet per direction
      for (const EnemyBullet* b : made)
        if (b->speed == 1.2f * g_bulletSpeedBase) front.push_back(b);
      const int n = c.sizes[v], w = c.spacings[v];
      ASSERT_EQ(static_cast<int>(front.size()), n) << v;
      const float aim = e->launchers[0].aimAngle;
      for (int i = 0; i < n; ++i)
        EXPECT_NEAR(AngleDistance(front[i]->direction, aim + static_cast<float>((2 * i - (n - 1)) * w)), 0.0f, 1e-3f)
            << v << " " << i;
    }
    TearDown();
  }
}

TEST_F(HeavyCarriers, LauncherWithoutAStageTypeLaunchesTypeOne) {
  for (int param : {0, -3, 1}) {
    SCOPED_TRACE(param);
    SetUp();
    FirstFrameCounter ones(1);
    Enemy* e = Make(31, 180, 40, 270, 8.0f);
    e->intParams[0] = param;
    while (Alive(e) && e->phase != 3) Step();
    EXPECT_EQ(e->intParams[0], 1);
    EXPECT_EQ(ones.count(), 5);  // one ring of five at difficulty 0
    TearDown();
  }
}

TEST_F(HeavyCarriers, LauncherRingSpeedsGrowByVolley) {
  WithoutBodies launched(21);
  SetDifficulty(7);
  Enemy* e = Make(31, 180, 40, 270, 8.0f);
  e->intParams[0] = 21;
  Make(kInertType, 10, 470, 0, 0.0f);
  while (e->phase != 2) Step();
  // Rings of 6, 7 and 8 from a random start, enemy i at (i x 360) / n truncated.
  const std::vector<std::vector<int>> rings = {
      {0, 60, 120, 180, 240, 300}, {0, 51, 102, 154, 205, 257, 308}, {0, 45, 90, 135, 180, 225, 270, 315}};
  std::vector<float> speeds;
  size_t seen = 0;
  while (e->phase == 2) {
    Step();
    const std::vector<Enemy*> ring = FreshEnemies(world.get(), 21);
    if (ring.empty()) continue;
    ASSERT_LT(seen, rings.size());
    ASSERT_EQ(ring.size(), rings[seen].size());
    for (size_t i = 0; i < ring.size(); ++i) {
      speeds.push_back(ring[i]->speed);
      const float expect = ring[0]->direction + static_cast<float>(rings[seen][i]);
      EXPECT_NEAR(AngleDistance(ring[i]->direction, expect), 0.0f, 1e-3f) << seen << " " << i;
    }
    seen += 1;
  }
  ASSERT_EQ(speeds.size(), 6u + 7u + 8u);
  EXPECT_FLOAT_EQ(speeds[0], 9.0f);
  EXPECT_FLOAT_EQ(speeds[6], 9.0f + 2.8f);
  EXPECT_FLOAT_EQ(speeds[13], 9.0f + 5.6f);
}

// ---- Type 32 ---------------------------------------------------------------------------------

TEST_F(HeavyCarriers, PlatformSweepsFromTheSideItsParameterGives) {
  // Facing straight down at a player on the left: parameter 2 starts the barrel at 180 and sweeps
  // it through 270 to 0 in 40 frames.
  world->player.x = 100;
  Enemy* e = Make(32, 100, 100, 270, 6.0f);
  e->intParams[0] = 2;
  Step();
  EXPECT_EQ(e->intRegs[2], 1);
  EXPECT_NEAR(AngleDistance(e->facing, 270.0f), 0.0f, 1e-4f);
  EXPECT_FLOAT_EQ(e->launchers[0].aimAngle, 180.0f);
  while (e->phase == 0) Step();
  const int sweepDelay = e->intRegs[4];
  while (e->phaseFrames < sweepDelay - 1) Step();
  float aim = e->launchers[0].aimAngle;
  EXPECT_FLOAT_EQ(aim, 180.0f);
  for (int i = 0; i < 40; ++i) {
    Step();
    EXPECT_NEAR(AngleDistance(e->launchers[0].aimAngle, aim + 4.5f), 0.0f, 1e-3f);
    aim = e->launchers[0].aimAngle;
  }
  EXPECT_NEAR(AngleDistance(aim, 0.0f), 0.0f, 1e-3f);
  Step();
  EXPECT_FLOAT_EQ(e->launchers[0].aimAngle, aim);  // the sweep is over
}

TEST_F(HeavyCarriers, PlatformSweepSideTable) {
  struct Case {
    int param;
    float x, playerX;
    int side;
  } const cases[] = {
      {-2, 100, 100, 0}, {-1, 300, 300, 1}, {1, 200, 100, 1}, {1, 100, 100, 0}, {2, 300, 100, 1},
      {2, 100, 300, 0},  {3, 100, 300, 1},  {3, 100, 100, 0}, {0, 100, 300, 1}, {7, 200, 100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.param << " " << c.x << " " << c.playerX);
    world->player.x = c.playerX;
    Enemy* e = Make(32, c.x, 100, 270, 6.0f);
    e->intParams[0] = c.param;
    Step();
    EXPECT_EQ(e->intRegs[2], c.side);
    EXPECT_FLOAT_EQ(e->floatRegs[0], c.side ? -90.0f : 90.0f);
    e->DestroyEnemy(world.get());
  }
}

TEST_F(HeavyCarriers, PlatformSpraysAndSweepShotsByDifficulty) {
  struct Case {
    int d, spray0, spray2, every, sweepDelay, endDelay;  // spray 0: none
    float stretch;                                       // 26 / (D + 4), an integer quotient
  } const cases[] = {
      {0, 0, 0, 21, 40, 20, 6}, {2, 0, 0, 9, 24, 15, 4}, {3, 0, 24, 6, 20, 14, 3}, {4, 14, 14, 5, 17, 12, 3},
      {5, 9, 9, 4, 15, 11, 2},  {6, 6, 6, 3, 13, 10, 2}, {7, 4, 4, 2, 12, 10, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(32, 180, 40, 270, 12.0f);
    Step();
    EXPECT_EQ(e->intRegs[3], c.every);
    EXPECT_EQ(e->intRegs[4], c.sweepDelay);
    EXPECT_EQ(e->intRegs[5], c.endDelay);
    EXPECT_EQ(e->intRegs[6], 40);
    int sprays[3] = {}, sweepShots = 0;
    for (int frame = 0; frame < 600 && Alive(e); ++frame) {
      const int phase = e->phase;
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      if (!Alive(e)) break;  // it climbed off the field
      if (e->phase != phase) continue;
      const int pf = e->phaseFrames;
      const int spray = CountType(made, 379), sweep = CountType(made, 10);
      sprays[phase] += spray;
      sweepShots += sweep;
      if (spray > 0) {
        const int period = phase == 0 ? c.spray0 : c.spray2;
        ASSERT_GT(period, 0);
        EXPECT_EQ((pf - 2) % period, 0);
      }
      for (const EnemyBullet* b : made) {
        if (b->type == 379) {
          EXPECT_FLOAT_EQ(b->speed, g_bulletSpeedBase);
          EXPECT_EQ(b->stretch, c.stretch);
          EXPECT_EQ(b->baseScaleX, 0.5f);
          EXPECT_FLOAT_EQ(b->friction, 0.96f);
        } else {
          EXPECT_EQ(b->type, 10);
          EXPECT_EQ(phase, 1);
          EXPECT_GE(pf - c.sweepDelay, 0);
          EXPECT_LT(pf - c.sweepDelay, 40);
          EXPECT_FLOAT_EQ(b->speed, 0.0f);
          EXPECT_EQ(b->trailSprite, 170);
          EXPECT_EQ(b->trailInterval, 3);
          EXPECT_EQ(b->trailLifetime, MaxInt(18 - 2 * c.d, 6));
          EXPECT_FLOAT_EQ(b->stretch, 7.3f);
          EXPECT_FLOAT_EQ(b->direction, e->launchers[0].aimAngle);
        }
      }
      if (phase == 1) {
        EXPECT_EQ(DrawsSince(step), 2);  // the holding jitter
      }
    }
    EXPECT_EQ(sprays[0] > 0, c.spray0 > 0);
    EXPECT_EQ(sprays[2] > 0, c.spray2 > 0);
    EXPECT_EQ(sprays[1], 0);
    // One shot every `every` frames of the 40-frame sweep, from a random start.
    EXPECT_GE(sweepShots, 40 / c.every);
    EXPECT_LE(sweepShots, (40 + c.every - 1) / c.every);
    TearDown();
  }
}

TEST_F(HeavyCarriers, PlatformPhaseLengthsAndClimb) {
  SetDifficulty(4);
  Enemy* e = Make(32, 180, 40, 270, 12.0f);
  while (e->phase == 0) Step();
  int frames = 0;
  while (e->phase == 1) {
    Step();
    frames += 1;
  }
  EXPECT_EQ(frames, 17 + 40 + 12);  // sweep delay, sweep, end delay
  EXPECT_EQ(e->phase, 2);
  for (int i = 0; i < 30; ++i) Step();
  EXPECT_LT(e->vy, 0.0f);
}

// ---- Type 33 ---------------------------------------------------------------------------------

TEST_F(HeavyCarriers, MidBossRingPointsLieOnACircle) {
  Enemy* e = Make(33, 180, 120, 270, 0.0f);
  Step();
  ASSERT_EQ(e->launcherCount, 21);
  for (int k = 0; k < 10; ++k) {
    const EnemyLauncher& l = e->launchers[1 + k];
    EXPECT_NEAR(Hypot(l.x - e->x, l.y - e->y), 16.0f, 1e-3f);
    EXPECT_NEAR(AngleDistance(Atan2Deg(e->y - l.y, l.x - e->x), 270.0f + 36.0f * static_cast<float>(k)), 0.0f, 1e-3f);
  }
}

TEST_F(HeavyCarriers, MidBossWeaponsByDifficulty) {
  struct Case {
    int d, ringSize, ringVolleys, ringInterval, ringPause, arms, spiralPeriod, spiralOffset;
    int tiers[3], slot, clusterPause, aimed, aimedPeriod;
  } const cases[] = {
      {0, 4, 1, 10, 180, 4, 240, 0, {0, 0, 1}, 36, 144, 1, 160},
      {2, 10, 1, 6, 108, 5, 180, 0, {0, 1, 2}, 21, 96, 2, 96},
      {4, 12, 3, 6, 77, 6, 144, 72, {1, 2, 3}, 16, 72, 3, 68},
      {7, 14, 6, 5, 54, 8, 110, 55, {3, 5, 6}, 11, 52, 6, 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(33, 180, 120, 270, 0.0f);
    const int ringCycle = c.ringVolleys * c.ringInterval + c.ringPause;
    const int clusterCycle = c.tiers[2] * c.slot + c.clusterPause;
    int spiralAt = c.spiralPeriod - c.spiralOffset, spiralPeriod = c.spiralPeriod;
    std::vector<int> spirals;
    for (int age = 1; age <= 700; ++age) {
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      ASSERT_EQ(e->age, age);
      // Gapped rings.
      const int r = age % ringCycle;
      const bool ring = age > 1 && r >= c.ringPause && (r - c.ringPause) % c.ringInterval == 0;
      EXPECT_EQ(CountType(made, 372), ring ? c.ringSize : 0) << age;
      // Spirals: ten points x arms, each later period 1 % longer.
      const bool spiral = age == spiralAt;
      if (spiral) {
        spirals.push_back(age);
        spiralPeriod = spiralPeriod * 101 / 100;
        spiralAt += spiralPeriod;
      }
      EXPECT_EQ(CountType(made, 87), spiral ? 10 * c.arms : 0) << age;
      // Clusters: each tier from both flanks in its third of the slot.
      int clusters = 0, draws = spiral ? 2 : 0;
      const int t = age % clusterCycle - c.clusterPause;
      if (age > 1 && t >= 0) {
        for (int k = 0; k < 3; ++k)
          if (t % c.slot == c.slot * k / 3 && t / c.slot < c.tiers[k]) {
            clusters += 2 * (2 * k + 8);
            draws += 10;
          }
      }
      EXPECT_EQ(CountType(made, 75), clusters) << age;
      // Aimed pairs from the four corner points.
      EXPECT_EQ(CountType(made, 1), age % c.aimedPeriod == 0 ? 4 * c.aimed : 0) << age;
      EXPECT_EQ(DrawsSince(step), draws) << age;
    }
    EXPECT_FALSE(spirals.empty());
    TearDown();
  }
}

TEST_F(HeavyCarriers, MidBossRingLeavesThePlayerInAGap) {
  for (int d : {3, 5}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    Enemy* e = Make(33, 180, 120, 270, 0.0f);
    int volley = 0;
    for (int i = 0; i < 400; ++i) {
      const std::vector<EnemyBullet*> made = Step();
      if (CountType(made, 372) == 0) continue;
      const float toPlayer = AngleToPlayer(world.get(), e->launchers[0].x, e->launchers[0].y);
      float nearest = 360.0f;
      for (const EnemyBullet* b : made)
        if (b->type == 372) nearest = MinFloat(nearest, AngleDistance(b->direction, toPlayer));
      const int n = e->intRegs[1];
      const bool gap = !(d > 3 && volley % 2 == 1);
      EXPECT_NEAR(nearest, gap ? static_cast<float>(180 / n) : 0.0f, 1e-3f) << volley;
      EXPECT_FLOAT_EQ(made[0]->speed, 0.87f * g_bulletSpeedBase);
      volley += 1;
    }
    EXPECT_GT(volley, 1);
    TearDown();
  }
}

TEST_F(HeavyCarriers, MidBossPatternAnglesAreIntegerQuotients) {
  // Gapped rings: bullet i at (i x 360) / n after a gap of (m x 180) / n; spiral arms at
  // (360j) / arms; cluster arcs at (270j) / n: all truncated.
  const std::vector<int> ring8 = {0, 45, 90, 135, 180, 225, 270, 315};
  const std::vector<int> ring14 = {0, 25, 51, 77, 102, 128, 154, 180, 205, 231, 257, 282, 308, 334};
  const std::vector<int> arms7 = {0, 51, 102, 154, 205, 257, 308};
  const std::vector<int> arc8 = {0, 33, 67, 101, 135, 168, 202, 236};
  const std::vector<int> arc12 = {0, 22, 45, 67, 90, 112, 135, 157, 180, 202, 225, 247};
  struct RingCase {
    int d;
    const std::vector<int>* ring;
    std::vector<int> gaps;  // of the first volleys
  } const ringCases[] = {{1, &ring8, {22}}, {6, &ring14, {12, 0, 12}}};
  for (const RingCase& c : ringCases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(33, 180, 120, 270, 0.0f);
    for (size_t v = 0; v < c.gaps.size();) {
      std::vector<EnemyBullet*> ring;
      for (EnemyBullet* b : Step())
        if (b->type == 372) ring.push_back(b);
      if (ring.empty()) continue;
      const float toPlayer = AngleToPlayer(world.get(), e->launchers[0].x, e->launchers[0].y);
      ASSERT_EQ(ring.size(), c.ring->size());
      for (size_t i = 0; i < ring.size(); ++i)
        EXPECT_NEAR(AngleDistance(ring[i]->direction, toPlayer + static_cast<float>(c.gaps[v] + (*c.ring)[i])), 0.0f,
                    1e-3f)
            << v << " " << i;
      v += 1;
    }
    TearDown();
  }
  // A spiral of seven arms per ring point at difficulty 5.
  SetUp();
  SetDifficulty(5);
  Make(33, 180, 120, 270, 0.0f);
  std::vector<EnemyBullet*> spiral;
  for (int i = 0; i < 200 && spiral.empty(); ++i)
    for (EnemyBullet* b : Step())
      if (b->type == 87) spiral.push_back(b);
  ASSERT_EQ(spiral.size(), 70u);
  for (size_t i = 0; i < spiral.size(); ++i) {
    const int k = static_cast<int>(i) / 7, j = static_cast<int>(i) % 7;
    EXPECT_NEAR(AngleDistance(spiral[i]->orbitAngle, spiral[0]->orbitAngle + static_cast<float>(36 * k + arms7[j])),
                0.0f, 1e-3f)
        << k << " " << j;
  }
  TearDown();
  // Cluster arcs of 8 (tier 0) and 12 (tier 2) at difficulty 7, one arc per flank point.
  SetUp();
  SetDifficulty(7);
  Make(33, 180, 120, 270, 0.0f);
  bool seen8 = false, seen12 = false;
  for (int i = 0; i < 400 && !(seen8 && seen12); ++i) {
    std::vector<EnemyBullet*> arcs;
    for (EnemyBullet* b : Step())
      if (b->type == 75) arcs.push_back(b);
    const size_t n = arcs.size() / 2;
    if (n != 8 && n != 12) continue;
    const std::vector<int>& want = n == 8 ? arc8 : arc12;
    (n == 8 ? seen8 : seen12) = true;
    for (size_t a = 0; a < 2; ++a)
      for (size_t j = 0; j < n; ++j)
        EXPECT_NEAR(AngleDistance(arcs[a * n + j]->orbitAngle, arcs[a * n]->orbitAngle + static_cast<float>(want[j])),
                    0.0f, 1e-3f)
            << n << " " << a << " " << j;
  }
  EXPECT_TRUE(seen8);
  EXPECT_TRUE(seen12);
  TearDown();
}

TEST_F(HeavyCarriers, MidBossSpiralAndClusterBullets) {
  SetDifficulty(7);
  Make(33, 180, 120, 270, 0.0f);
  std::vector<EnemyBullet*> spiral, cluster;
  for (int i = 0; i < 400 && (spiral.empty() || cluster.empty()); ++i) {
    const std::vector<EnemyBullet*> made = Step();
    if (spiral.empty() && CountType(made, 87) > 0)
      for (EnemyBullet* b : made)
        if (b->type == 87) spiral.push_back(b);
    if (cluster.empty() && CountType(made, 75) > 0)
      for (EnemyBullet* b : made)
        if (b->type == 75) cluster.push_back(b);
  }
  ASSERT_EQ(spiral.size(), 80u);
  const float turn = spiral[0]->orbitAngleVel;
  EXPECT_GE(std::fabs(turn), 5.0f);
  EXPECT_LT(std::fabs(turn), 6.4f);
  for (size_t i = 0; i < spiral.size(); ++i) {
    const EnemyBullet* b = spiral[i];
    EXPECT_EQ(b->facingMode, BulletFaceOrbit);
    EXPECT_EQ(b->orbitAngleVel, turn);
    EXPECT_FLOAT_EQ(b->orbitAngleVelFactor, 0.992f);
    EXPECT_FLOAT_EQ(b->orbitRadiusVel, 0.4f + 0.77f);
    EXPECT_FLOAT_EQ(b->orbitRadiusVelFactor, 0.987f);
    EXPECT_FLOAT_EQ(b->orbitRadius, 0.0f);
    EXPECT_FLOAT_EQ(b->speed, 0.2f * g_bulletSpeedBase + 1.75f);
    // Point k's arms are 45 degrees apart, starting 36k from the aim.
    const int k = static_cast<int>(i) / 8, j = static_cast<int>(i) % 8;
    EXPECT_NEAR(AngleDistance(b->orbitAngle, spiral[0]->orbitAngle + 36.0f * static_cast<float>(k) +
                                                 45.0f * static_cast<float>(j)),
                0.0f, 1e-3f);
  }
  ASSERT_FALSE(cluster.empty());
  const EnemyBullet* b = cluster[0];
  EXPECT_EQ(b->facingMode, BulletFaceOrbit);
  EXPECT_FLOAT_EQ(b->friction, 0.965f);
  EXPECT_FLOAT_EQ(b->accelFactor, 1.012f);
  EXPECT_FLOAT_EQ(b->orbitAngleVelFactor, 1.0f);
  const float r = b->orbitRadius;
  EXPECT_TRUE(std::fabs(r - 24.0f * 0.4f) < 1e-4f || std::fabs(r - 24.0f * 0.35f) < 1e-4f ||
              std::fabs(r - 24.0f * 0.3f) < 1e-4f);
  // Flung away from the player.
  EXPECT_GT(AngleDistance(b->direction, AngleToPlayer(world.get(), b->x, b->y)), 90.0f);
}

// ---- Both carrier families -------------------------------------------------------------------

// Waves of types 28 to 33, in the phases a stage line may give them (a launcher releasing
// gunships, a pod placed alone), through the whole object update with kills of carriers, pods
// and launchers: nothing may touch freed memory (run under the sanitizer build).
TEST_F(HeavyCarriers, BothCarrierFamiliesThroughWholeFramesOfPlay) {
  struct Spawn {
    int type, phase, param;
    float x, y, direction, speed;
  } const wave[] = {
      {28, 0, 0, 120, -20, 270, 5}, {28, 2, 0, 240, 60, 0, 0},  {29, 0, 0, 180, -40, 270, 3},
      {30, 0, 0, 60, 60, 0, 0},     {31, 0, 28, 90, -30, 270, 8}, {31, 2, 0, 270, 80, 0, 0},
      {32, 0, 2, 300, -16, 250, 9}, {32, 1, -2, 60, 80, 0, 0},   {33, 0, 0, 180, 100, 270, 0},
  };
  for (int d : {0, 4, 7}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    int mostBullets = 0;
    for (int frame = 0; frame < 1500; ++frame) {
      if (frame % 500 == 0)
        for (const Spawn& s : wave) {
          Enemy* e = Make(s.type, s.x, s.y, s.direction, s.speed, s.phase);
          if (e) e->intParams[0] = s.param;
        }
      // Now and then a kill, as player fire would: a pod, a carrier, a launcher or the mid-boss.
      if (frame % 37 == 36) {
        static const int kTargets[] = {30, 29, 31, 33, 28};
        const int want = kTargets[(frame / 37) % 5];
        for (Enemy* e = world->enemies.head; e; e = e->next)
          if (e->type == want && e->dyingCounter == 0) {
            KillEnemy(true, world.get(), frame % 5, e);
            break;
          }
      }
      UpdatePlayer(world.get());
      UpdatePlayerShots(world.get());
      UpdateEnemies(world.get());
      UpdateEnemyBullets(world.get());
      UpdateItems(world.get());
      UpdateEffects(world.get());
      int enemies = 0;
      for (Enemy* e = world->enemies.head; e; e = e->next) {
        enemies += 1;
        if (e->type == 30 && e->parent) {
          EXPECT_EQ(e->parent->children[e->indexInParent], e);
        }
      }
      ASSERT_EQ(enemies, world->enemies.count);
      mostBullets = std::max(mostBullets, static_cast<int>(world->bullets.count));
    }
    EXPECT_GT(mostBullets, 10);  // the carriers really fire
    TearDown();
  }
}

}  // namespace
