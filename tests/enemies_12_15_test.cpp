#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "player/Item.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;
using family_test::FirstFrameCounter;

using Drones = EnemyFamilyTest;

// What one phase of a type-12 run did.
struct PhaseStats {
  int length = 0;   // phaseFrames on the frame it left the phase (0: it never left)
  int bullets = 0;  // its own bullets (types 52 and 53)
  int draws = 0;
};

TEST_F(Drones, GunshipPhasesVolleysAndDraws) {
  struct Case {
    int d;
    float speed;
    int startPhase;
    PhaseStats expect[5];
    int drones;
  } const cases[] = {
      // Braking from 4 px/frame ends on frame 28; phase 3 always lasts 121 frames.
      {0, 4.0f, 0, {{28, 6, 0}, {137, 6, 8}, {225, 0, 2}, {121, 6, 0}, {0, 24, 16}}, 4},
      {7, 4.0f, 0, {{28, 90, 0}, {73, 45, 60}, {136, 0, 2}, {121, 360, 0}, {0, 252, 168}}, 18},
      // Braking ends before the first fan frame: no phase-0 fan.
      {0, 1.2f, 0, {{4, 0, 0}, {137, 6, 8}, {225, 0, 2}, {121, 6, 0}, {0, 24, 16}}, 4},
      // Started in phase 3 the fan registers are zero: no fan, no division.
      {4, 0.0f, 3, {{}, {}, {}, {121, 0, 0}, {0, 72, 48}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d << " speed " << c.speed << " phase " << c.startPhase);
    SetUp();
    FirstFrameCounter drones(13);
    SetDifficulty(c.d);
    Enemy* e = Make(12, 180, 200, 270, c.speed, c.startPhase);
    ASSERT_NE(e, nullptr);
    PhaseStats got[5];
    for (int frame = 0; frame < 1000 && Alive(e); ++frame) {
      const int phase = e->phase, pf = e->phaseFrames, step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      if (phase == 4 && pf >= 100) break;
      const int after = e->phase;
      if (after != phase) got[phase].length = pf + 1;
      got[after].draws += DrawsSince(step);
      for (EnemyBullet* b : made) got[after].bullets += b->type == 52 || b->type == 53;
    }
    for (int p = 0; p < 5; ++p) {
      EXPECT_EQ(got[p].length, c.expect[p].length) << "phase " << p;
      EXPECT_EQ(got[p].bullets, c.expect[p].bullets) << "phase " << p;
      EXPECT_EQ(got[p].draws, c.expect[p].draws) << "phase " << p;
    }
    EXPECT_EQ(drones.count(), c.drones);
    TearDown();
  }
}

TEST_F(Drones, GunshipBulletShapes) {
  SetDifficulty(5);
  const float b = g_bulletSpeedBase;
  Enemy* e = Make(12, 180, 200, 270, 4);
  std::map<int, std::vector<EnemyBullet*>> byPhase;
  float spinPhase1 = 0;
  while (Alive(e) && !(e->phase == 4 && e->phaseFrames > 10)) {
    for (EnemyBullet* q : Step())
      if (q->type == 52 || q->type == 53) byPhase[e->phase].push_back(q);
    if (e->phase == 1 && e->phaseFrames == 6) spinPhase1 = e->floatRegs[0];
  }
  // Phase 0: fans of 5 from each barrel, 7 degrees apart, pulsing.
  const std::vector<EnemyBullet*>& fan = byPhase[0];
  ASSERT_GE(fan.size(), 10u);
  for (int j = 0; j < 5; ++j) {
    EXPECT_FLOAT_EQ(fan[j]->speed, 0.7f * b);
    EXPECT_EQ(fan[j]->pulseOn, 1);
    EXPECT_FLOAT_EQ(fan[j]->pulseStep, 9.0f);
    EXPECT_NEAR(AngleDistance(fan[j]->direction, fan[2]->direction), std::fabs((j - 2) * 7.0f), 1e-3);
  }
  EXPECT_FLOAT_EQ(byPhase[3].front()->speed, 0.75f * b);
  // Phase 1: triads 120 degrees apart on radius D + 16, turning with the volley's spin.
  const std::vector<EnemyBullet*>& triad = byPhase[1];
  ASSERT_EQ(triad.size(), 27u);  // 9 triads
  EXPECT_FLOAT_EQ(triad[0]->orbitRadius, 21.0f);
  EXPECT_FLOAT_EQ(triad[0]->orbitAngleVelFactor, 1.0f);
  EXPECT_NEAR(AngleDistance(triad[0]->orbitAngle, triad[1]->orbitAngle), 120.0f, 1e-3);
  EXPECT_FLOAT_EQ(triad[0]->speed, 0.4f * b);
  EXPECT_FLOAT_EQ(triad[0]->baseScaleX, 1.2f);
  const float mag = std::fabs(spinPhase1);
  EXPECT_GE(mag, 2.0f + 0.7f * 5);
  EXPECT_LT(mag, 2.0f + 0.7f * 5 + 1.0f + 0.3f * 5);
  // Phase 4: hexagons, two rings of three, the outer one 4 px further out.
  const std::vector<EnemyBullet*>& hex = byPhase[4];
  ASSERT_GE(hex.size(), 6u);
  EXPECT_EQ(hex[0]->type, 52);
  EXPECT_EQ(hex[1]->type, 53);
  EXPECT_FLOAT_EQ(hex[1]->orbitRadius - hex[0]->orbitRadius, 4.0f);
  EXPECT_NEAR(AngleDistance(hex[0]->orbitAngle, hex[1]->orbitAngle), 60.0f, 1e-3);
  EXPECT_FLOAT_EQ(hex[0]->baseScaleX, 1.1f);
}

TEST_F(Drones, GunshipDronesLeaveBackwardsAlternatingSides) {
  // Drones without bodies keep their launch velocity, so it can be read back.
  struct NoDroneBodies {
    EnemyTypeCode saved = GetEnemyTypeCode(13);
    NoDroneBodies() { RegisterEnemyTypeCode(13, nullptr, nullptr); }
    ~NoDroneBodies() { RegisterEnemyTypeCode(13, saved.behaviour, saved.attack); }
  } noBodies;
  SetDifficulty(3);
  Enemy* e = Make(12, 180, 200, 270, 0, 2);
  float splay = 0, side = 0;
  int launched = 0;
  for (int f = 0; f < 120 && e->phase == 2; ++f) {
    const Enemy* tail = world->enemies.tail;
    Step();
    if (f == 0) {
      splay = e->floatRegs[0];
      side = e->floatRegs[1];
      EXPECT_GE(splay, 12.0f);
      EXPECT_LT(splay, 22.0f);
      EXPECT_EQ(std::fabs(side), 1.0f);
    }
    const Enemy* d = world->enemies.tail;
    if (d == tail || d->type != 13) continue;
    // Backwards from the nose, alternating sides, each launch splayed 3 degrees wider.
    const float expected = e->facing + 180.0f + (splay + 3.0f * launched) * side * (launched % 2 ? -1.0f : 1.0f);
    EXPECT_NEAR(AngleDistance(d->direction, expected), 0.0f, 1e-3) << launched;
    EXPECT_FLOAT_EQ(d->speed, 0.5f * 3 + 6);
    launched += 1;
  }
  EXPECT_EQ(launched, 10);  // 2D + 4
}

TEST_F(Drones, GunshipBarrelsTrackThePlayer) {
  Enemy* e = Make(12, 180, 200, 270, 0, 3);  // a phase that fires nothing here
  world->player.x = 20;
  world->player.y = 200;  // far to the left: the barrels have a long way to turn
  for (int i = 0; i < 5; ++i) {
    const float before[2] = {e->launchers[2].aimAngle, e->launchers[3].aimAngle};
    Step();
    for (int k = 0; k < 2; ++k) EXPECT_NEAR(AngleDistance(before[k], e->launchers[2 + k].aimAngle), 2.0f, 1e-3);
  }
}

// The fan offsets are (2j - (n - 1)) x 23 / 2 in integers: -11, 11 for two bullets, not 11.5.
TEST_F(Drones, HomingDroneVolleysByDifficulty) {
  struct Case {
    int d, volleys, interval, fan;
    int offsets[6];
  } const cases[] = {{0, 3, 20, 1, {0}},
                     {3, 9, 9, 2, {-11, 11}},
                     {5, 23, 4, 4, {-34, -11, 11, 34}},
                     {7, 45, 2, 6, {-57, -34, -11, 11, 34, 57}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(13, 180, 60, 270, 1.0f);
    std::vector<int> frames;
    int bullets = 0;
    for (int f = 1; f <= 150; ++f) {
      const std::vector<EnemyBullet*> made = Step();
      if (f == 1) {
        EXPECT_EQ(e->intRegs[0], c.volleys);
        EXPECT_EQ(e->intRegs[1], c.interval);
        EXPECT_EQ(e->intRegs[2], c.fan);
      }
      if (made.empty()) continue;
      frames.push_back(f);
      bullets += static_cast<int>(made.size());
      EXPECT_FLOAT_EQ(made[0]->speed, g_bulletSpeedBase);
      ASSERT_EQ(static_cast<int>(made.size()), c.fan);
      for (int j = 0; j < c.fan; ++j) {
        EXPECT_NEAR(AngleDistance(made[j]->direction, e->facing + c.offsets[j]), 0, 1e-3) << f << "/" << j;
      }
    }
    EXPECT_EQ(bullets, c.volleys * c.fan);
    ASSERT_EQ(static_cast<int>(frames.size()), c.volleys);
    EXPECT_EQ(frames[0], c.interval);
    EXPECT_EQ(frames.back(), c.volleys * c.interval);
    // The turn rate decays by 0.95 a frame.
    EXPECT_NEAR(e->floatRegs[0], 10.0f * std::pow(0.95f, 150), 1e-4);
    TearDown();
  }
}

TEST_F(Drones, HomingDroneTurnsHardFirst) {
  Enemy* e = Make(13, 180, 100, 90, 2.0f);  // flying up, away from the player
  Step();
  EXPECT_NEAR(AngleDistance(e->facing, 90), 10.0f, 1e-4);
  Step();
  EXPECT_NEAR(AngleDistance(e->facing, 90), 19.5f, 1e-4);
  EXPECT_FLOAT_EQ(e->direction, e->facing);
  EXPECT_FLOAT_EQ(e->speed, 2.0f);
}

TEST_F(Drones, CarrierRingsAndDroneLaunches) {
  struct Case {
    int d, droneInterval;
    int ringFrames[3], ringSizes[3];
  } const cases[] = {{0, 30, {120, 0, 0}, {4, 0, 0}}, {7, 9, {10, 21, 33}, {40, 41, 42}}, {3, 15, {21, 43, 66}, {16, 17, 18}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(14, 180, 100, 0, 3.0f);
    while (e->phase == 0) Step();
    std::vector<int> ringFrames, ringSizes, launchFrames;
    while (e->phase == 1) {
      const int step = g_randomStep;
      const Enemy* tail = world->enemies.tail;
      const std::vector<EnemyBullet*> made = Step();
      const int pf = e->phaseFrames;
      int ring = 0;
      for (EnemyBullet* b : made) ring += b->type == 118;
      if (ring > 0) {
        ringFrames.push_back(pf);
        ringSizes.push_back(ring);
      }
      const Enemy* drone = world->enemies.tail;
      if (drone != tail && drone->type == 15 && drone->age <= 1) {
        // A new drone joins the end of the list and flies to the homing point.
        launchFrames.push_back(pf);
        EXPECT_FLOAT_EQ(drone->floatRegs[0], e->floatRegs[0]);
        EXPECT_FLOAT_EQ(drone->floatRegs[1], e->floatRegs[1]);
      }
      if (pf == 1) {
        EXPECT_GE(DrawsSince(step), 2);  // the homing point's two draws
      }
    }
    for (int i = 0; i < 3 && c.ringFrames[i]; ++i) {
      ASSERT_GT(ringFrames.size(), static_cast<size_t>(i));
      EXPECT_EQ(ringFrames[i], c.ringFrames[i]);
      EXPECT_EQ(ringSizes[i], c.ringSizes[i]);
    }
    ASSERT_FALSE(launchFrames.empty());
    for (size_t i = 0; i < launchFrames.size(); ++i) EXPECT_EQ(launchFrames[i], 1 + static_cast<int>(i) * c.droneInterval);
    EXPECT_EQ(static_cast<int>(launchFrames.size()), 239 / c.droneInterval + 1);
    // Phase 2: it sinks ever faster.
    Step();
    const float vy1 = e->vy;
    Step();
    EXPECT_GT(e->vy, vy1);
    TearDown();
  }
}

// Ring bullet i lies (i x 360) / n degrees after the first, truncated per bullet: a ring of 11
// (the fourth ring at difficulty 1) and the first ring of 32 at difficulty 6.
TEST_F(Drones, CarrierRingsStepInWholeDegrees) {
  struct Case {
    int d, ringSize;
    std::vector<std::pair<int, int>> offsets;  // bullet i, degrees after bullet 0
  } const cases[] = {
      {1, 11, {{1, 32}, {2, 65}, {3, 98}, {4, 130}, {5, 163}, {6, 196}, {7, 229}, {8, 261}, {9, 294}, {10, 327}}},
      {6, 32, {{1, 11}, {3, 33}, {5, 56}, {13, 146}, {31, 348}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(14, 180, 100, 0, 3.0f);
    std::vector<EnemyBullet*> ring;
    for (int f = 0; f < 600 && ring.empty() && Alive(e); ++f) {
      std::vector<EnemyBullet*> made = Step();
      made.erase(std::remove_if(made.begin(), made.end(), [](const EnemyBullet* b) { return b->type != 118; }),
                 made.end());  // a drone's carried bullet may come in the same frame
      if (static_cast<int>(made.size()) == c.ringSize) ring = made;
    }
    ASSERT_EQ(static_cast<int>(ring.size()), c.ringSize);
    for (const auto& [i, deg] : c.offsets) {
      EXPECT_NEAR(AngleDistance(ring[i]->direction, ring[0]->direction + deg), 0, 1e-3) << i;
    }
    TearDown();
  }
}

TEST_F(Drones, CarrierStartedInPhaseOneFiresNothing) {
  FirstFrameCounter drones(15);
  Enemy* e = Make(14, 180, 100, 0, 0.0f, 1);
  const int step = g_randomStep;
  int bullets = 0;
  for (int f = 0; f < 240; ++f) bullets += static_cast<int>(Step().size());
  EXPECT_EQ(bullets, 0);
  EXPECT_EQ(drones.count(), 0);
  EXPECT_EQ(DrawsSince(step), 2);  // only the homing point
  Step();
  EXPECT_EQ(e->phase, 2);
}

TEST_F(Drones, CarrierKeepsBetweenTheEdges) {
  Enemy* e = Make(14, 60, 100, 0, 0.5f);
  world->player.x = 300;  // it slides away from the player's column, but not past x 80
  Step();
  EXPECT_NEAR(e->vx, 0.5f * 0.9f - 0.1f + 0.3f, 1e-5);
}

TEST_F(Drones, CarriedBulletGrowsRidesAndIsThrown) {
  SetDifficulty(2);
  Enemy* e = Make(15, 300, 100, 0, 0);
  e->floatRegs[0] = 60;
  e->floatRegs[1] = 120;
  const int step = g_randomStep;
  std::vector<EnemyBullet*> made = Step(true);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(DrawsSince(step), 2);  // no target draws: side, then spin
  EnemyBullet* q = made[0];
  EXPECT_EQ(q->type, 89);
  EXPECT_EQ(e->intRegs[0], q->bulletId);
  EXPECT_GE(std::fabs(q->spinStep), 12.0f);
  EXPECT_LT(std::fabs(q->spinStep), 36.0f);
  const float grown = 1.4f + 0.14f * 2;
  for (int f = 2; f < 239; ++f) {
    EXPECT_TRUE(Step(true).empty());
    // It sits on the drone: its next move lands it on the drone's position.
    EXPECT_NEAR(q->baseX + q->vx, e->x, 1e-3);
    EXPECT_NEAR(q->baseY + q->vy, e->y, 1e-3);
  }
  EXPECT_NEAR(e->x, 60, 0.5f);  // settled on the target
  EXPECT_NEAR(e->y, 120, 0.5f);
  EXPECT_GE(q->baseScaleX, grown);
  EXPECT_LT(q->baseScaleX, grown + 0.0161f);
  // Charges after frame 240 and throws the bullet as it leaves the field.
  int frames = 0;
  while (Alive(e) && e->intRegs[0] != 2049 && frames++ < 400) EXPECT_TRUE(Step(true).empty());
  ASSERT_EQ(e->intRegs[0], 2049);
  EXPECT_FLOAT_EQ(q->speed, g_bulletSpeedBase);
  EXPECT_FLOAT_EQ(q->direction, e->direction);
  while (Alive(e)) EXPECT_TRUE(Step(true).empty());  // never another
}

// The carried bullet grows by (base scale + 0.006) + 0.005 D, the terms added in that order: at
// these difficulties the other grouping rounds to a different float on the very first frame.
TEST_F(Drones, CarriedBulletGrowthAddsTermByTerm) {
  for (int d : {3, 4, 6}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    Enemy* e = Make(15, 100, 100, 0, 0);
    e->floatRegs[0] = 100;
    e->floatRegs[1] = 100;
    const std::vector<EnemyBullet*> made = Step();
    ASSERT_EQ(made.size(), 1u);
    const float grow = 0.005f * static_cast<float>(d);
    const float termByTerm = 0.5f + 0.006f + grow;
    ASSERT_NE(termByTerm, 0.5f + (0.006f + grow));  // the case tells the two orders apart
    EXPECT_EQ(made[0]->baseScaleX, termByTerm);
    EXPECT_EQ(made[0]->baseScaleY, termByTerm);
    TearDown();
  }
}

TEST_F(Drones, CarriedBulletLostIsReplacedNextFrame) {
  Enemy* e = Make(15, 100, 100, 0, 0);
  const int step = g_randomStep;
  std::vector<EnemyBullet*> made = Step(true);
  EXPECT_EQ(DrawsSince(step), 4);  // target x, target y, side, spin
  EXPECT_GE(e->floatRegs[0], 30.0f);
  EXPECT_LT(e->floatRegs[0], 330.0f);
  EXPECT_GE(e->floatRegs[1], 30.0f);
  EXPECT_LT(e->floatRegs[1], 230.0f);
  ASSERT_EQ(made.size(), 1u);
  made[0]->UnlinkAndDeleteBullet(&world->bullets);  // it hit the player, say
  EXPECT_TRUE(Step(true).empty());
  EXPECT_EQ(e->intRegs[0], 2048);
  EXPECT_EQ(Step(true).size(), 1u);
  EXPECT_LT(e->intRegs[0], 2048);
}

TEST_F(Drones, CarrierDroneWithoutAFreeIdStopsMakingBullets) {
  BulletList& l = world->bullets;
  const int saved = l.freeCount;
  l.freeCount = 0;  // every id in use
  Enemy* e = Make(15, 100, 100, 0, 0);
  EXPECT_EQ(Step().size(), 1u);
  EXPECT_EQ(e->intRegs[0], 2049);
  EXPECT_TRUE(Step().empty());
  l.freeCount = saved;
}

}  // namespace

namespace {

// Waves of every type of both families, in the phases a stage line may give them, through the
// whole object update with kills and drone launches: nothing may touch freed memory (run under
// the sanitizer build) and the held-bullet registers stay in range.
TEST_F(Drones, BothFamiliesThroughWholeFramesOfPlay) {
  struct Spawn {
    int type, phase;
    float x, y, direction, speed;
  } const wave[] = {
      {12, 0, 180, -30, 270, 4}, {12, 3, 120, 100, 0, 0}, {13, 0, 200, -10, 270, 2}, {14, 0, 100, -30, 270, 3},
      {14, 1, 250, 60, 0, 0},    {15, 0, 100, 100, 0, 0}, {16, 0, 90, -16, 270, 12}, {17, 0, 180, -60, 270, 2},
      {18, 2, 60, -16, 270, 6},  {18, 16, 300, -16, 270, 6}, {19, 0, 180, -16, 270, 8},
  };
  for (int d : {0, 4, 7}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    int mostBullets = 0;
    for (int frame = 0; frame < 1500; ++frame) {
      if (frame % 300 == 0)
        for (const Spawn& s : wave) Make(s.type, s.x, s.y, s.direction, s.speed, s.phase);
      // Now and then a kill: a carrier, a drone or the mid-boss, as player fire would.
      if (frame % 41 == 40)
        for (Enemy* e = world->enemies.head; e; e = e->next)
          if ((e->type == 14 || e->type == 15 || e->type == 17) && e->dyingCounter == 0) {
            KillEnemy(true, world.get(), frame % 5, e);
            break;
          }
      // A held bullet may vanish under its drone (it hit the player, say).
      if (frame % 53 == 52)
        for (Enemy* e = world->enemies.head; e; e = e->next)
          if (EnemyBullet* q = e->type == 15 ? FindHeldBullet(world.get(), e->intRegs[0]) : nullptr) {
            q->UnlinkAndDeleteBullet(&world->bullets);
            break;
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
        if (e->type == 15 && e->age > 0) {
          EXPECT_GE(e->intRegs[0], 0);
          EXPECT_LE(e->intRegs[0], 2049);
        }
        EXPECT_LE(e->launcherCount, 32);
      }
      ASSERT_EQ(enemies, world->enemies.count);
      mostBullets = std::max(mostBullets, static_cast<int>(world->bullets.count));
    }
    EXPECT_GT(mostBullets, 50);  // the field really fills
    EXPECT_EQ(g_hitErrorFlags & 2u, 0u);  // the mid-boss grows exactly 32 launchers
    TearDown();
  }
}

}  // namespace
