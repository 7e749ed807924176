#include <gtest/gtest.h>

#include <vector>

#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/SpriteTable.h"

namespace {

class ObjectLists : public ::testing::Test {
 protected:
  void SetUp() override { InitGameTables(); }
  GameWorld world;

  EnemyBullet* Add(float x) {
    BulletList& l = world.bullets;
    return ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, x, 0, 0, 0, 1, 1);
  }
  void CheckInvariants() {
    BulletList& l = world.bullets;
    int n = 0;
    EnemyBullet* prev = nullptr;
    for (EnemyBullet* b = l.head; b; b = b->next) {
      EXPECT_EQ(b->prev, prev);
      prev = b;
      ++n;
    }
    EXPECT_EQ(prev, l.tail);
    EXPECT_EQ(n, l.count);
  }
};

}  // namespace

TEST_F(ObjectLists, WalkAppendsFollowTheLastObjectRule) {
  Add(1);
  Add(2);
  Add(3);
  // Walk as every update does: next read first. Each of the first two appends a new bullet.
  std::vector<float> visited;
  BulletList& l = world.bullets;
  for (EnemyBullet* b = l.head; b;) {
    EnemyBullet* next = b->next;
    visited.push_back(b->x);
    if (b->x == 1) Add(10);   // appended while a middle object runs: processed in this walk
    if (b->x == 10) Add(30);  // appended while the last object runs: not processed now
    b = next;
  }
  EXPECT_EQ(visited, (std::vector<float>{1, 2, 3, 10}));
  EXPECT_EQ(l.count, 5);
  CheckInvariants();
}

TEST_F(ObjectLists, UnlinkAndClear) {
  EnemyBullet* only = Add(1);
  only->UnlinkAndDeleteBullet(&world.bullets);
  EXPECT_EQ(world.bullets.head, nullptr);
  EXPECT_EQ(world.bullets.tail, nullptr);
  EXPECT_EQ(world.bullets.count, 0);
  for (int i = 0; i < 6; ++i) Add(static_cast<float>(i));
  // A walk whose objects all delete themselves visits each once and empties the list.
  int visits = 0;
  for (EnemyBullet* b = world.bullets.head; b;) {
    EnemyBullet* next = b->next;
    ++visits;
    b->UnlinkAndDeleteBullet(&world.bullets);
    b = next;
  }
  EXPECT_EQ(visits, 6);
  EXPECT_EQ(world.bullets.count, 0);
  world.ClearObjectLists();  // clearing empty lists keeps them empty
  EXPECT_EQ(world.bullets.count, 0);
  EXPECT_EQ(world.bullets.freeCount, BulletIdCount);
}

TEST_F(ObjectLists, BulletIdRing) {
  BulletList& l = world.bullets;
  EnemyBullet* held[10];
  for (int i = 0; i < 10; ++i) EXPECT_EQ(AllocBulletWithId(&l, &held[i], 0, 0, 0, 0, 0, 0, 0, 1, 1), i);
  EXPECT_EQ(FindBulletById(&l, 7), held[7]);
  held[7]->UnlinkAndDeleteBullet(&l);
  held[3]->UnlinkAndDeleteBullet(&l);
  EXPECT_EQ(FindBulletById(&l, 7), nullptr);
  EXPECT_EQ(l.freeCount, BulletIdCount - 8);
  // Freed ids come back after every earlier free id, 7 before 3.
  EnemyBullet* b = nullptr;
  for (int id = 10; id < BulletIdCount; ++id) ASSERT_EQ(AllocBulletWithId(&l, &b, 0, 0, 0, 0, 0, 0, 0, 1, 1), id);
  EXPECT_EQ(AllocBulletWithId(&l, &b, 0, 0, 0, 0, 0, 0, 0, 1, 1), 7);
  EXPECT_EQ(AllocBulletWithId(&l, &b, 0, 0, 0, 0, 0, 0, 0, 1, 1), 3);
  // No id free: the bullet is made without one.
  EXPECT_EQ(AllocBulletWithId(&l, &b, 0, 5, 0, 0, 0, 0, 0, 1, 1), BulletIdNone);
  EXPECT_EQ(b->hasId, 0);
  EXPECT_EQ(b->bulletId, -1);
  b->UnlinkAndDeleteBullet(&l);  // must not touch the ring
  EXPECT_EQ(l.freeCount, 0);
  for (int bad : {-1, 2048, 99999}) EXPECT_EQ(FindBulletById(&l, bad), nullptr);
  // Clearing with ids in use frees them all.
  ClearBulletList(&l);
  EXPECT_EQ(l.freeCount, BulletIdCount);
  EXPECT_EQ(l.freeReadIndex, 0);
  for (int i = 0; i < BulletIdCount; ++i) {
    ASSERT_EQ(l.slots[i], nullptr);
    ASSERT_EQ(l.freeRing[i], i);
  }
}

TEST_F(ObjectLists, BulletConstruction) {
  EnemyBullet* b = Add(0);
  EXPECT_EQ(b->spinStep, -12);  // even type
  BulletList& l = world.bullets;
  EnemyBullet* c = ConstructEnemyBullet(0, 101, 0, &l.head, &l.tail, &l.count, 5, 6, -90, 2, 1.5f, 2);
  EXPECT_FLOAT_EQ(c->direction, 270);
  EXPECT_FLOAT_EQ(c->facing, 270);
  EXPECT_EQ(c->spinStep, 12);
  EXPECT_EQ(c->baseX, 5);
  EXPECT_EQ(c->baseScaleY, 2);
  EXPECT_FLOAT_EQ(c->sprite.srcU, g_spriteDefs[261].srcU);
}

TEST_F(ObjectLists, ResetKeepsReplaysAndHandlesNoScript) {
  world.Reset();
  EXPECT_EQ(world.stageScript, nullptr);
  world.recorder = new ReplayData();
  world.stageScript = new StageScript();
  world.Reset();
  EXPECT_EQ(world.stageScript, nullptr);
  EXPECT_NE(world.recorder, nullptr);
}
