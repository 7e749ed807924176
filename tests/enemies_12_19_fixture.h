#pragma once
// A small world for the enemy family tests: the sprite tables, a known random table, the
// difficulty with its bullet speed base, and a player well below the enemies.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "world/EnemyBullet.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace family_test {

// The bullet speed base of each difficulty, as the frame loop sets it per stage.
constexpr float kSpeedBase[8] = {3.5f, 4.0f, 4.5f, 5.0f, 5.8f, 6.7f, 7.6f, 8.5f};

inline void LoadTestRandomTable() {
  std::vector<uint8_t> b(2 * kRandomTableSize);
  for (int i = 0; i < kRandomTableSize; ++i) {
    const int w = i == 0 ? kRandomTableSize : (i * 7919) & 0x7FFF;
    b[2 * i] = static_cast<uint8_t>(w & 0xFF);
    b[2 * i + 1] = static_cast<uint8_t>(w >> 8);
  }
  ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}

class EnemyFamilyTest : public ::testing::Test {
 protected:
  std::unique_ptr<GameWorld> world;

  void SetUp() override {
    InitGameTables();
    LoadTestRandomTable();
    SetRandomState(0, 0);
    g_hitErrorFlags = 0;
    SetDifficulty(0);
    g_stage = 1;
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 440;
  }
  void TearDown() override {
    world.reset();
    SetDifficulty(0);
    g_stage = 1;
  }

  static void SetDifficulty(int d) {
    g_difficulty = d;
    g_bulletSpeedBase = kSpeedBase[d];
  }

  Enemy* Make(int type, float x, float y, float direction, float speed, int phase = 0) {
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, direction, speed);
    if (e) e->phase = phase;
    return e;
  }

  bool Alive(const Enemy* e) const {
    for (const Enemy* p = world->enemies.head; p; p = p->next)
      if (p == e) return true;
    return false;
  }

  // One frame of the enemy walk; returns the bullets it made. Bullets stay where they were made
  // unless moveBullets is set (their own motion only: no cull, graze or hits).
  std::vector<EnemyBullet*> Step(bool moveBullets = false) {
    if (moveBullets) {
      for (EnemyBullet* b = world->bullets.head; b; b = b->next) {
        b->age += 1;
        b->prevX = b->x;
        b->prevY = b->y;
        b->MoveBullet();
        b->UpdateBulletFacing();
      }
    }
    EnemyBullet* last = world->bullets.tail;
    UpdateEnemies(world.get());
    std::vector<EnemyBullet*> made;
    for (EnemyBullet* b = last ? last->next : world->bullets.head; b; b = b->next) made.push_back(b);
    return made;
  }

  // Random draws made since the step counter read `since` (each draw advances it by one).
  static int DrawsSince(int since) { return (g_randomStep - since + kRandomTableSize / 2) % (kRandomTableSize / 2); }
};

// Counts the enemies of one type that run their first frame, through the real bodies.
class FirstFrameCounter {
 public:
  explicit FirstFrameCounter(int type) : type_(type), saved_(GetEnemyTypeCode(type)) {
    s_saved = saved_;
    s_count = 0;
    RegisterEnemyTypeCode(type, Counting, saved_.attack);
  }
  ~FirstFrameCounter() { RegisterEnemyTypeCode(type_, saved_.behaviour, saved_.attack); }
  int count() const { return s_count; }

 private:
  static void Counting(GameWorld* w, Enemy* e) {
    if (e->age == 1) s_count += 1;
    if (s_saved.behaviour) s_saved.behaviour(w, e);
  }
  int type_;
  EnemyTypeCode saved_;
  static inline EnemyTypeCode s_saved{};
  static inline int s_count = 0;
};

}  // namespace family_test
