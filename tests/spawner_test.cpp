#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <memory>
#include <vector>

#include "enemy/Enemy.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemySpawner.h"
#include "enemy/StageScript.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

class SpawnerTest : public ::testing::Test {
 protected:
  DispatchGuard dispatchGuard;
  std::unique_ptr<GameWorld> world;

  void SetUp() override {
    InitGameTables();
    SetRandomState(0, 0);
    world = std::make_unique<GameWorld>();
    RegisterEnemyTypeCode(20, nullptr, nullptr);  // a body-less type keeps every test to the spawner
  }

  EnemySpawner* Make(int type, float x, float y, float dx, float dy, float vx, float vy, int interval, int count) {
    SpawnerList& l = world->spawners;
    return ConstructEnemySpawner(type, 0, &l.head, &l.tail, &l.count, x, y, dx, dy, vx, vy, interval, count);
  }

  // Runs the spawners for n frames; returns the frame numbers (0-based) in which enemies appeared.
  std::vector<int> Run(int frames) {
    std::vector<int> spawnFrames;
    for (int f = 0; f < frames; ++f) {
      const int before = world->enemies.count;
      UpdateEnemySpawners(world.get());
      for (int k = before; k < world->enemies.count; ++k) spawnFrames.push_back(f);
    }
    return spawnFrames;
  }
};

}  // namespace

TEST_F(SpawnerTest, CountAndInterval) {
  struct Case {
    int interval, count;
    std::vector<int> frames;
  } const cases[] = {
      {10, 3, {0, 10, 20}},
      {10, 1, {0}},
      {10, 0, {0}},
      {10, -5, {0}},
      {0, 3, {0, 1, 2}},    // an interval below 1 is taken as 1
      {-4, 2, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval * 100 + c.count);
    ClearEnemyList(world.get());
    Make(20, 100, 100, 0, 0, 0, 0, c.interval, c.count);
    EXPECT_EQ(Run(40), c.frames);
    EXPECT_EQ(world->spawners.count, 0);
    EXPECT_EQ(world->spawners.head, nullptr);
  }
}

TEST_F(SpawnerTest, StepsEdgesPhaseAndParameters) {
  EnemySpawner* s = Make(20, 100, 50, 0, 20, 0, 2, 1, 3);
  s->enemyPhase = 7;
  for (int i = 0; i < 256; ++i) s->floatParams[i] = 0.5f * i;
  s->intParams[255] = -9;
  Run(3);
  ASSERT_EQ(world->enemies.count, 3);
  float y = 50;
  for (Enemy* e = world->enemies.head; e; e = e->next, y += 20) {
    EXPECT_EQ(e->x, 100);
    EXPECT_EQ(e->y, y);
    EXPECT_FLOAT_EQ(e->vy, 2);
    EXPECT_EQ(e->phase, 7);
    EXPECT_EQ(e->phaseFrames, 0);
    EXPECT_EQ(e->intParams[255], -9);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(e->floatRegs[i], 0.5f * i);
  }

  // "<" keeps the spawn x and puts each enemy's base just outside the left edge.
  ClearEnemyList(world.get());
  Make(20, kStageEdgeLow, 100, 5, 12, 3, 0, 1, 2);
  Run(2);
  ASSERT_EQ(world->enemies.count, 2);
  Enemy* a = world->enemies.head;
  const float r = MinFloat(a->sprite.scaleX, a->sprite.scaleY) * a->sprite.innerRadius / 1.4142135f;
  EXPECT_FLOAT_EQ(a->baseX, -r);
  EXPECT_EQ(a->next->baseY, 112);
  EXPECT_FLOAT_EQ(a->next->baseX, -r);
}

TEST_F(SpawnerTest, JitterDrawsFourNumbersPerSpawn) {
  // The walk advances its step by one per draw.
  EnemySpawner* s = Make(20, 100, 100, 0, 0, 0, 3, 1, 2);
  Run(2);
  EXPECT_EQ(g_randomStep, 8);

  ClearEnemyList(world.get());
  SetRandomState(0, 0);
  s = Make(20, 100, 100, 0, 0, 0, 3, 1, 1);
  s->jitterX = 4;
  s->jitterY = 2;
  s->jitterAngle = 10;
  s->jitterSpeed = 1;
  Run(1);
  // Order of the draws: speed, direction, y, x.
  SetRandomState(0, 0);
  const float speed = 3 + RandomFloat(2) - 1;
  const float dir = -90 + RandomFloat(20) - 10;
  const float y = 100 + RandomFloat(4) - 2;
  const float x = 100 + RandomFloat(8) - 4;
  Enemy* e = world->enemies.head;
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->speed, speed);
  EXPECT_EQ(e->direction, dir);
  EXPECT_EQ(e->y, y);
  EXPECT_EQ(e->x, x);
}

TEST_F(SpawnerTest, TypeWithoutRowSpawnsNothingButTheSpawnerStillRuns) {
  Make(40, 100, 100, 0, 0, 0, 0, 2, 2);
  Run(5);
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(world->spawners.count, 0);
}
