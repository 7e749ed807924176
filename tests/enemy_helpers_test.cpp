#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "enemies_12_19_fixture.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/SpriteTable.h"

TEST(EnemyHelpers, FireGates) {
  struct Counted {
    int frame, delay, period, count;
    bool open;
    int index;
  } const counted[] = {
      {10, 10, 5, 3, true, 0}, {15, 10, 5, 3, true, 1},  {20, 10, 5, 3, true, 2}, {25, 10, 5, 3, false, 0},
      {12, 10, 5, 3, false, 0}, {9, 10, 5, 3, false, 0}, {10, 10, 0, 3, false, 0}, {10, 10, -2, 3, false, 0},
      {0, 0, 1, 0, false, 0},
  };
  for (const Counted& c : counted) {
    int index = -1;
    EXPECT_EQ(FireGateCounted(c.frame, c.delay, c.period, c.count, &index), c.open) << c.frame << "/" << c.period;
    if (c.open) {
      EXPECT_EQ(index, c.index);
    }
  }
  // A zero period register (an enemy started in a phase its parent sets up) fires nothing.
  EXPECT_FALSE(FireGateEvery(0, 0));
  EXPECT_TRUE(FireGateEvery(-6, 3));  // a negative frame keeps C's remainder rule
  EXPECT_FALSE(FireGateEvery(-5, 3));
  // The limit is tested first: at or past it the period is never looked at.
  EXPECT_FALSE(FireGateBefore(1, 0, 0));
  EXPECT_TRUE(FireGateBefore(4, 5, 2));
  EXPECT_FALSE(FireGateBefore(5, 5, 1));
  EXPECT_TRUE(InFrameWindow(10, 10, 1));
  EXPECT_FALSE(InFrameWindow(11, 10, 1));
  EXPECT_FALSE(InFrameWindow(INT_MIN, 10, INT_MAX));
  EXPECT_EQ(SafeMod(7, 0), 0);
  EXPECT_EQ(SafeMod(-7, 3), -1);
  EXPECT_EQ(SafeDiv(INT_MIN, -1), INT_MAX);
  EXPECT_EQ(SafeDiv(-7, 2), -3);
}

TEST(EnemyHelpers, AimingFansAndRings) {
  EXPECT_FLOAT_EQ(AngleFromTo(0, 0, 10, 0), 0);
  EXPECT_FLOAT_EQ(AngleFromTo(0, 0, 0, -10), 90);  // up the screen
  EXPECT_FLOAT_EQ(AngleFromTo(0, 0, -10, 0), 180);
  const float fan[3] = {FanAngle(90, 0, 3, 10), FanAngle(90, 1, 3, 10), FanAngle(90, 2, 3, 10)};
  EXPECT_FLOAT_EQ(fan[0], 80);
  EXPECT_FLOAT_EQ(fan[1], 90);
  EXPECT_FLOAT_EQ(fan[2], 100);
  // An integer step divides the product as an integer, a float step in float.
  struct FanCase { int j, n, step; float want; };
  for (const FanCase c : {FanCase{0, 2, 9, -4}, {1, 2, 9, 4}, {0, 4, 9, -13}, {1, 4, 9, -4}, {0, 1, 9, 0}}) {
    EXPECT_FLOAT_EQ(FanAngle(0, c.j, c.n, c.step), c.want) << c.j << " of " << c.n;
  }
  EXPECT_FLOAT_EQ(FanAngle(0, 0, 2, 9.0f), -4.5f);
  // (i x 360) / n truncates per bullet: a ring of 11 lies at 0, 32, 65, 98, ...
  const float ring11[4] = {RingAngle(0, 0, 11), RingAngle(0, 1, 11), RingAngle(0, 2, 11), RingAngle(0, 3, 11)};
  EXPECT_FLOAT_EQ(ring11[1], 32);
  EXPECT_FLOAT_EQ(ring11[2], 65);
  EXPECT_FLOAT_EQ(ring11[3], 98);
  EXPECT_FLOAT_EQ(RingAngle(5, 1, 4), 95);
  EXPECT_FLOAT_EQ(RingAngle(5, 3, 0), 5);
  EXPECT_NEAR(RingAngleFloat(0, 1, 11), 32.727f, 1e-3f);
  EXPECT_FLOAT_EQ(RingAngleFloat(5, 3, 0), 5);
  EXPECT_EQ(RingStep(42), 8);
  EXPECT_EQ(RingStep(0), 0);
}

TEST(EnemyHelpers, BrakingSteeringBulletsAndOrigins) {
  InitGameTables();
  auto world = std::make_unique<GameWorld>();
  EnemyList& l = world->enemies;
  Enemy* e = ConstructEnemy(20, &l.head, &l.tail, &l.count, 100, 100, 0, 2);
  EXPECT_FALSE(BrakeEnemyBelow(e, 0.5f, 0.5f));
  EXPECT_TRUE(BrakeEnemyBelow(e, 0.2f, 0.5f));
  EXPECT_FLOAT_EQ(e->speed, 0.2f);
  e->SetVelocityXY(1, 0);
  SteerEnemyToward(e, 100, 200, 0.5f, 0.9f, 0.8f);  // the target is below: +y
  EXPECT_NEAR(e->vx, 0.9f, 1e-6);
  EXPECT_NEAR(e->vy, 0.5f, 1e-6);

  EnemyBullet* b = SpawnEnemyBullet(world.get(), 3, BulletFaceSpin, 1, 2, 45, 3, 0.5f, 0.6f);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(world->bullets.count, 1);
  SetBulletAccelMotion(b, 0.1f, 1.0f, 0.98f, 2.0f);
  EXPECT_EQ(b->accelAngle, b->direction);
  EXPECT_EQ(b->friction, 0.98f);
  EnemyBullet* held = nullptr;
  const int id = SpawnEnemyBulletWithId(world.get(), &held, 9, 0, 0, 0, 0, 0, 1, 1);
  ASSERT_NE(id, BulletIdNone);
  EXPECT_EQ(FindHeldBullet(world.get(), id), held);
  EXPECT_EQ(FindHeldBullet(world.get(), BulletIdNone), nullptr);
  EXPECT_EQ(FindHeldBullet(world.get(), -1), nullptr);
  held->UnlinkAndDeleteBullet(&world->bullets);
  EXPECT_EQ(FindHeldBullet(world.get(), id), nullptr);

  float x, y, a;
  ShotOriginOf(e, 5, &x, &y, &a);  // type 20 has no launch points: the body
  EXPECT_EQ(x, e->x);
  EXPECT_EQ(a, e->facing);
  EXPECT_EQ(EnemyChildAt(e, 0), nullptr);
  EXPECT_EQ(EnemyChildAt(e, 40), nullptr);
  EXPECT_EQ(LaunchEnemy(world.get(), 50, 0, 0, 0, 0), nullptr);
  EXPECT_NE(LaunchEnemy(world.get(), 21, 0, 0, 0, 0), nullptr);
}

// A boss's death debris spaces its pieces as its formula writes it: the integer form truncates
// (i x 360) / n, the float form does not. Seven pieces are where the two differ.
TEST(EnemyHelpers, DeathDebrisIntAndFloatSpacing) {
  InitGameTables();
  family_test::LoadTestRandomTable();
  SetRandomState(0, 0);
  const float ints[7] = {0, 51, 102, 154, 205, 257, 308};
  const float floats[7] = {0, 51.428571f, 102.857143f, 154.285714f, 205.714286f, 257.142857f, 308.571429f};
  for (bool floatForm : {false, true}) {
    SCOPED_TRACE(floatForm ? "float" : "int");
    auto world = std::make_unique<GameWorld>();
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(92, &l.head, &l.tail, &l.count, 180, 100, 0, 0);
    ASSERT_NE(e, nullptr);
    e->facing = 10;
    for (int burst = 0; burst < 40 && e->intRegs[128] != 7; ++burst) {
      ClearEffectList(&world->effects);
      (floatForm ? ThrowBossDeathDebrisFloatAngles : ThrowBossDeathDebrisIntAngles)(world.get(), e, 128, 128);
    }
    ASSERT_EQ(e->intRegs[128], 7);
    ASSERT_EQ(world->effects.count, 7);
    int i = 0;
    for (const Effect* p = world->effects.head; p; p = p->next, ++i)
      EXPECT_NEAR(AngleDistance(p->direction, 10 + (floatForm ? floats[i] : ints[i])), 0.0f, 1e-3f) << i;
  }
}
