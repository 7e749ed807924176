#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

namespace {

using family_test::EnemyFamilyTest;

class LargeShip : public EnemyFamilyTest {
 protected:
  Enemy* ship = nullptr;

  // The ship, stepped through its first frame (its parts exist from then on).
  Enemy* Launch() {
    ship = Make(64, 180, 100, 270, 0);
    Step();
    return ship;
  }
  Enemy* Part(int slot) const { return ship->children[slot]; }

  // Steps until the ship is in the phase (or the frame limit is reached).
  void RunToPhase(int phase, int limit = 3000) {
    for (int i = 0; i < limit && ship->phase != phase; ++i) Step();
    ASSERT_EQ(ship->phase, phase);
  }

  static std::vector<EnemyBullet*> OfType(const std::vector<EnemyBullet*>& v, int lo, int hi) {
    std::vector<EnemyBullet*> out;
    for (EnemyBullet* b : v)
      if (b->type >= lo && b->type <= hi) out.push_back(b);
    return out;
  }
};

TEST_F(LargeShip, SpawnsItsPartsAndPlacesThemAboutIt) {
  const int step = g_randomStep;
  Launch();
  EXPECT_EQ(DrawsSince(step), 1);  // the streak's heading; the parts draw nothing
  ASSERT_EQ(ship->childCount, 3);
  const int types[3] = {65, 65, 66};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(Part(i), nullptr);
    EXPECT_EQ(Part(i)->type, types[i]);
    EXPECT_EQ(Part(i)->indexInParent, i);
    EXPECT_EQ(Part(i)->parent, ship);
  }
  EXPECT_GE(ship->direction, 43.0f);
  EXPECT_LT(ship->direction, 47.0f);
  EXPECT_FLOAT_EQ(ship->speed, 32.0f);
  EXPECT_FLOAT_EQ(ship->facing, ship->direction);
  EXPECT_FLOAT_EQ(ship->baseX - ship->vx, -300.0f);
  EXPECT_FLOAT_EQ(ship->baseY - ship->vy, 500.0f);

  // Once it faces down: guns 160 px right (slot 0) and left (slot 1), the turret 90 px above.
  RunToPhase(1);
  Step();
  const float dx[3] = {160, -160, 0}, dy[3] = {0, 0, -90};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(Part(i)->x - ship->x, dx[i], 1e-3);
    EXPECT_NEAR(Part(i)->y - ship->y, dy[i], 1e-3);
  }
  // Launch points: the nose 19.2 px below the centre, the rear corners at (+-28.7, -31.6).
  EXPECT_NEAR(ship->launchers[0].y - ship->y, 19.2f, 1e-3);
  EXPECT_NEAR(ship->launchers[1].x - ship->x, 28.73f, 0.01f);
  EXPECT_NEAR(ship->launchers[1].y - ship->y, -31.57f, 0.01f);
  EXPECT_NEAR(ship->launchers[2].x - ship->x, -28.73f, 0.01f);
}

TEST_F(LargeShip, CourseAndPhaseLengthsByDifficulty) {
  struct Case {
    int d, spreadEnd, ringsEnd, gunsOn, turretOn;
  } const cases[] = {
      {0, 480, 630, 140, 300}, {1, 420, 604, 112, 258}, {2, 385, 585, 100, 240}, {3, 358, 570, 92, 228},
      {4, 338, 558, 86, 219},  {5, 322, 548, 82, 213},  {6, 310, 540, 80, 210},  {7, 297, 533, 76, 204},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch();
    // The streak, far outside the field, never culled.
    int streak = 1;
    while (ship->phase == 0) {
      Step();
      streak += 1;
      ASSERT_TRUE(Alive(Part(0)));
    }
    EXPECT_GT(streak, 80);
    EXPECT_LT(streak, 100);
    EXPECT_GE(ship->baseX - ship->vx, 200.0f);
    EXPECT_LT(ship->baseX - ship->vx, 240.0f);
    EXPECT_FLOAT_EQ(ship->facing, 270.0f);
    RunToPhase(2);
    EXPECT_GT(ship->y, 85.0f);
    EXPECT_LT(ship->y, 100.0f);
    EXPECT_LT(ship->speed, 0.01f + 0.04f);  // at rest, then the first hover pull
    // The spread: the guns and then the turret are switched on at their frames.
    int gunsOn = 0, turretOn = 0, last = 0;
    while (ship->phase == 2) {
      last = ship->phaseFrames + 1;
      Step();
      if (!gunsOn && Part(0)->phase == 1) gunsOn = last;
      if (!turretOn && Part(2)->phase == 1) turretOn = last;
      EXPECT_EQ(Part(1)->phase, Part(0)->phase);
      ASSERT_GE(ship->floatRegs[0], 150.0f);
      ASSERT_LE(ship->floatRegs[0], 210.0f);
      ASSERT_GE(ship->floatRegs[1], 120.0f);
      ASSERT_LE(ship->floatRegs[1], 150.0f);
    }
    EXPECT_EQ(last, c.spreadEnd + 1);
    EXPECT_EQ(gunsOn, c.gunsOn);
    EXPECT_EQ(turretOn, c.turretOn);
    ASSERT_EQ(ship->phase, 3);
    while (ship->phase == 3) {
      last = ship->phaseFrames + 1;
      Step();
    }
    EXPECT_EQ(last, c.ringsEnd + 1);
    EXPECT_EQ(ship->phase, 2);
    // The ship stays near its hover box.
    EXPECT_NEAR(ship->x, 180.0f, 45.0f);
    EXPECT_NEAR(ship->y, 130.0f, 45.0f);
    TearDown();
  }
}

TEST_F(LargeShip, RandomDrawsPerFrame) {
  Launch();
  int step = g_randomStep;
  while (ship->phase == 0) Step();
  EXPECT_EQ(DrawsSince(step), 2);  // the re-entry point and heading
  step = g_randomStep;
  while (ship->phase == 1) Step();
  EXPECT_EQ(DrawsSince(step), 2 + 2);  // the hover target, then its first wander in that frame
  // Phase 2 before the parts fire: two hover draws a frame, three more per shot.
  step = g_randomStep;
  Step();
  EXPECT_EQ(DrawsSince(step), 2);
  while (ship->phaseFrames < 12) Step();
  step = g_randomStep;
  EXPECT_EQ(OfType(Step(), 96, 97).size(), 1u);
  EXPECT_EQ(DrawsSince(step), 5);
  RunToPhase(3);
  // The frame that enters the rings: the hover draws of the last spread frame came first.
  step = g_randomStep;
  Step();
  EXPECT_EQ(ship->phaseFrames, 1);
  EXPECT_EQ(DrawsSince(step), 3 + 2);
}

TEST_F(LargeShip, AimedSpreadCyclesShortenTheirPeriod) {
  Launch();
  RunToPhase(2);
  world->player.x = 60;
  std::vector<int> frames;
  while (ship->phase == 2) {
    const int pf = ship->phaseFrames + 1;
    const std::vector<EnemyBullet*> shots = OfType(Step(), 96, 97);
    if (shots.empty()) continue;
    ASSERT_EQ(shots.size(), 1u);
    const EnemyBullet* b = shots[0];
    frames.push_back(pf);
    EXPECT_FLOAT_EQ(b->speed, g_bulletSpeedBase);
    EXPECT_TRUE(b->baseScaleX == 0.33f || b->baseScaleX == 0.63f) << b->baseScaleX;
    EXPECT_EQ(b->facingMode, BulletFaceMotion);
    EXPECT_LE(AngleDistance(b->direction, AngleToPlayer(world.get(), b->x, b->y)), 20.0f + 1e-3f);
    EXPECT_NEAR(b->y - ship->y, 19.2f, 1e-3);
  }
  // Period 13, then 12 and 11 from the cycle starts at frames 100 and 200; none at 300.
  const std::vector<int> expected = {13, 26, 39, 52, 100, 112, 124, 136, 148, 200, 211, 222, 233, 244, 255};
  EXPECT_EQ(frames, expected);
}

TEST_F(LargeShip, TwinRingsAndFanByDifficulty) {
  // ring: each bullet's turn from the first of its ring, (j x 360) / intRegs[3] truncated.
  struct Case {
    int d, ringFrames, perRing, fans, perFan;
    std::vector<float> ring;
  } const cases[] = {
      {0, 6, 3, 3, 1, {0, 120, 240}},
      {1, 21, 4, 5, 1, {0, 90, 180, 270}},
      {3, 57, 6, 13, 3, {0, 60, 120, 180, 240, 300}},
      {4, 81, 7, 23, 5, {0, 51, 102, 154, 205, 257, 308}},
      {7, 225, 10, 131, 11, {0, 36, 72, 108, 144, 180, 216, 252, 288, 324}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch();
    RunToPhase(3);
    int ringFrames = 0, fans = 0;
    std::vector<float> firstRing;
    while (ship->phase == 3) {
      const int pf = ship->phaseFrames + 1;
      const std::vector<EnemyBullet*> made = Step();
      const std::vector<EnemyBullet*> rings = OfType(made, 140, 140);
      const std::vector<EnemyBullet*> fan = OfType(made, 107, 107);
      if (pf >= 450) {
        EXPECT_TRUE(rings.empty() && fan.empty()) << pf;
      }
      if (!rings.empty()) {
        ringFrames += 1;
        ASSERT_EQ(static_cast<int>(rings.size()), 2 * c.perRing);
        EXPECT_FLOAT_EQ(rings[0]->speed, 0.5f * g_bulletSpeedBase);
        EXPECT_EQ(rings[0]->facingMode, BulletFaceSpin);
        // The two rings turn in opposite senses from the same start angle.
        const float a = NormalizeAngle(-static_cast<float>(pf) * ship->floatRegs[3] + ship->floatRegs[2]);
        const float b = NormalizeAngle(static_cast<float>(pf) * ship->floatRegs[3] + ship->floatRegs[2]);
        EXPECT_NEAR(AngleDistance(rings[0]->direction, a), 0.0f, 1e-2);
        EXPECT_NEAR(AngleDistance(rings[c.perRing]->direction, b), 0.0f, 1e-2);
        EXPECT_NEAR(rings[0]->x - ship->launchers[1].x, 0.0f, 1e-3);
        for (int side = 0; side < 2; ++side) {
          const EnemyBullet* first = rings[side * c.perRing];
          for (int j = 0; j < c.perRing; ++j) {
            EXPECT_NEAR(AngleDistance(rings[side * c.perRing + j]->direction, first->direction + c.ring[j]), 0.0f,
                        1e-3)
                << "side " << side << " bullet " << j;
          }
        }
      }
      if (!fan.empty()) {
        fans += 1;
        ASSERT_EQ(static_cast<int>(fan.size()), c.perFan);
        const int* r = ship->intRegs;
        EXPECT_GE(pf, r[6]);
        EXPECT_LT(pf, 360);
        const float s = ship->floatRegs[4] + (ship->floatRegs[5] - ship->floatRegs[4]) *
                                                 static_cast<float>(pf - r[6]) / static_cast<float>(360 - r[6]);
        EXPECT_FLOAT_EQ(fan[0]->speed, s);
        EXPECT_NEAR(AngleDistance(fan[c.perFan / 2]->direction, AngleToPlayer(world.get(), fan[0]->x, fan[0]->y)),
                    0.0f, 1e-2);
        if (c.perFan > 1) {
          EXPECT_NEAR(AngleDistance(fan[0]->direction, fan[1]->direction), 26.0f, 1e-2);
        }
      }
    }
    EXPECT_EQ(ringFrames, c.ringFrames);
    EXPECT_EQ(fans, c.fans);
    TearDown();
  }
}

TEST_F(LargeShip, PartRegistersByDifficulty) {
  struct Case {
    int d, gun[3];
    float spread;
    int turret[4];
  } const cases[] = {
      {0, {12, 10, 320}, 0.0f, {1, 8, 16, 480}}, {1, {16, 6, 240}, 1.4f, {1, 11, 15, 360}},
      {2, {20, 5, 192}, 2.8f, {2, 14, 14, 288}}, {3, {24, 4, 160}, 4.2f, {2, 17, 13, 240}},
      {4, {28, 3, 137}, 5.6f, {3, 20, 12, 205}}, {5, {32, 1, 120}, 7.0f, {3, 23, 11, 180}},
      {6, {36, 1, 7}, 8.4f, {7, 15, 5, 16}},     {7, {40, 1, 7}, 9.8f, {14, 18, 4, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch();
    Part(0)->SetEnemyPhase(1);
    Part(2)->SetEnemyPhase(1);
    Step();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Part(0)->intRegs[i], c.gun[i]);
    EXPECT_NEAR(Part(0)->floatRegs[1], c.spread, 1e-5);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Part(2)->intRegs[i], c.turret[i]);
    TearDown();
  }
}

TEST_F(LargeShip, SideGunBulletsStartAtRestAndGatherSpeed) {
  struct Case {
    int d;
    std::vector<int> frames;
  } const cases[] = {
      {0, {10, 332, 342}},
      {6, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch();
    // The ship held still in a phase without a body, one gun switched on by hand: only that
    // gun draws and fires.
    ship->phase = 7;
    ship->SetVelocityXY(0, 0);
    Enemy* gun = Part(1);
    gun->SetEnemyPhase(1);
    std::vector<int> frames;
    EnemyBullet* first = nullptr;
    while (frames.size() < c.frames.size()) {
      const int pf = gun->phaseFrames + 1;
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> shots = Step();
      if (shots.empty()) {
        EXPECT_EQ(DrawsSince(step), 0);
        continue;
      }
      ASSERT_EQ(shots.size(), 1u);
      EXPECT_EQ(DrawsSince(step), 2);  // the spread, then the type
      frames.push_back(pf);
      if (first) continue;
      first = shots[0];
      // The muzzle lies 30 px out along the barrel's aim at the player.
      const EnemyLauncher& l = gun->launchers[0];
      EXPECT_NEAR(Hypot(first->x - l.x, first->y - l.y), 30.0f, 1e-3);
      if (pf > 2) {
        // Aimed from where the gun stood before this frame's move (it jumps onto its place in
        // its second frame).
        EXPECT_NEAR(AngleDistance(l.aimAngle, AngleToPlayer(world.get(), gun->x, gun->y)), 0.0f, 1e-3);
      }
      EXPECT_TRUE(first->type == 3 || first->type == 4);
    }
    EXPECT_EQ(frames, c.frames);
    ASSERT_NE(first, nullptr);
    EXPECT_FLOAT_EQ(first->speed, 0.0f);
    EXPECT_FLOAT_EQ(first->stretch, 1.6f);
    EXPECT_FLOAT_EQ(first->friction, 0.985f);
    EXPECT_FLOAT_EQ(first->accelFactor, 1.04f);
    EXPECT_FLOAT_EQ(first->accelMagnitude, 0.01f);
    EXPECT_FLOAT_EQ(first->baseScaleX, 0.04f * c.d + 0.86f);
    // Moving on its own it speeds up along its line.
    float speed = 0;
    for (int i = 0; i < 20; ++i) {
      first->age += 1;
      first->prevX = first->x;
      first->prevY = first->y;
      first->MoveBullet();
      EXPECT_GT(first->speed, speed);
      speed = first->speed;
    }
    EXPECT_GT(first->sprite.scaleX, first->baseScaleX);  // stretched along its motion
    TearDown();
  }
}

TEST_F(LargeShip, TurretRingsAlternateAimedAndHalfTurned) {
  // Bullet j lies at (j x 360) / intRegs[1] + A + (q x 180) / intRegs[1], both quotients
  // truncated: at D 2 the ring of 14 steps 25, 26, 26, ... degrees and the half turn is 12.
  struct Case {
    int d, period, rings, perRing, half;
    std::vector<float> ring;
  } const cases[] = {
      {0, 496, 1, 8, 22, {0, 45, 90, 135, 180, 225, 270, 315}},
      {2, 316, 2, 14, 12, {0, 25, 51, 77, 102, 128, 154, 180, 205, 231, 257, 282, 308, 334}},
      {7, 72, 14, 18, 10, {0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 240, 260, 280, 300, 320, 340}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch();
    RunToPhase(2);
    Enemy* turret = Part(2);
    turret->SetEnemyPhase(1);
    int count = 0;
    for (int pf = 1; pf <= c.period; ++pf) {
      const std::vector<EnemyBullet*> made = OfType(Step(), 81, 82);
      const int t = (pf - 1) % c.period;
      if (t < c.rings * turret->intRegs[2] && t % turret->intRegs[2] == 0) {
        ASSERT_EQ(static_cast<int>(made.size()), c.perRing) << pf;
        const int q = (t / turret->intRegs[2]) % 2;
        const float aim = AngleToPlayer(world.get(), made[0]->x, made[0]->y);
        for (int j = 0; j < c.perRing; ++j) {
          EXPECT_EQ(made[j]->type, 81 + q);
          EXPECT_FLOAT_EQ(made[j]->speed, g_bulletSpeedBase);
          EXPECT_NEAR(AngleDistance(made[j]->direction, aim + c.ring[j] + static_cast<float>(q * c.half)), 0.0f, 1e-3)
              << pf << " bullet " << j;
        }
        count += 1;
      } else {
        EXPECT_TRUE(made.empty()) << pf;
      }
    }
    EXPECT_EQ(count, c.rings);
    EXPECT_NEAR(turret->y - ship->y, -90.0f, 1e-3);
    TearDown();
  }
}

TEST_F(LargeShip, ThePartsFireOnlyOnceSwitchedOnAndAreNeverRestarted) {
  SetDifficulty(6);
  Launch();
  int partShots = 0;
  while (ship->phase != 2) {
    const std::vector<EnemyBullet*> made = Step();
    partShots += static_cast<int>(OfType(made, 3, 4).size() + OfType(made, 81, 82).size());
  }
  EXPECT_EQ(partShots, 0);
  while (ship->phase == 2) Step();
  RunToPhase(2);  // the second spread finds the parts running and leaves their clocks alone
  EXPECT_GT(Part(0)->phaseFrames, 500);
  EXPECT_GT(Part(2)->phaseFrames, 500);
}

TEST_F(LargeShip, LeavesAtAge1500WithItsPartsAndLeavesNoLinkBehind) {
  SetDifficulty(3);
  Launch();
  // Locks on the parts, held until they are gone.
  Option* o = new Option;
  ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
  world->player.optionCount += 1;
  o->target = Part(0);
  PlayerShot* s = new PlayerShot;
  ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
  world->shots.count += 1;
  s->target = Part(2);
  const int scoreLow = world->player.scoreLow;
  while (ship->age < 1499) Step();
  EXPECT_NE(ship->phase, 99);
  Step();
  EXPECT_EQ(ship->phase, 99);
  int frames = 0;
  while (ship->dyingCounter == 0 && frames < 400) {
    Step();
    frames += 1;
  }
  EXPECT_EQ(ship->dyingCounter, 2);
  EXPECT_LT(ship->y, -100.0f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Part(i)->dyingCounter, 2);  // set to 1, counted on
  for (int i = 0; i < 4; ++i) Step();
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(o->target, nullptr);
  EXPECT_EQ(s->target, nullptr);
  EXPECT_EQ(world->player.scoreLow, scoreLow);
  EXPECT_EQ(world->items.count, 0);
}

TEST_F(LargeShip, StillStreakingAtAge1500GoesStraightToLeaving) {
  Launch();
  ship->age = 1499;
  Step();
  EXPECT_EQ(ship->phase, 99);
  EXPECT_EQ(ship->phaseFrames, 0);
}

TEST_F(LargeShip, KilledShipsPartsDieInTheSameFrameWithoutReward) {
  Launch();
  RunToPhase(2);
  Enemy* parts[3] = {Part(0), Part(1), Part(2)};
  KillEnemy(true, world.get(), 0, ship);
  const int items = world->items.count;
  Step();
  for (Enemy* p : parts) {
    EXPECT_EQ(p->parent, nullptr);
    EXPECT_EQ(p->dyingCounter, 1);
  }
  EXPECT_EQ(world->items.count, items);  // the parts drop nothing
  for (int i = 0; i < 3; ++i) Step();
  EXPECT_EQ(world->enemies.count, 0);
}

TEST_F(LargeShip, ADestroyedTurretIsSkipped) {
  Launch();
  Enemy* turret = Part(2);
  KillEnemy(true, world.get(), 0, turret);
  EXPECT_EQ(Part(2), nullptr);
  RunToPhase(3);
  EXPECT_EQ(Part(0)->phase, 1);
  EXPECT_EQ(Part(2), nullptr);
  EXPECT_EQ(world->enemies.count, 3);
}

TEST_F(LargeShip, PartsWithoutTheShipDieAtOnce) {
  for (int type : {65, 66}) {
    Enemy* e = Make(type, 100, 100, 0, 0, 1);
    const int score = world->player.scoreLow;
    EXPECT_TRUE(Step().empty());
    EXPECT_EQ(e->dyingCounter, 1);
    EXPECT_EQ(world->player.scoreLow, score);
  }
}

}  // namespace
