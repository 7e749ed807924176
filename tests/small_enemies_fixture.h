#pragma once
// The fixture of the small-enemy family tests: a world with the player at a known place, a
// loaded test random table, the start-up tables, difficulty, base bullet speed and stage set,
// and one-frame runs of the enemy walk that report the bullets made and the draws taken.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

struct SmallEnemyFrame {
  std::vector<EnemyBullet*> bullets;  // made in the frame, in list order
  int draws = 0;
};

class SmallEnemyTest : public ::testing::Test {
 protected:
  std::unique_ptr<GameWorld> world;
  int savedDifficulty = 0;
  float savedSpeedBase = 0;
  int savedStage = 0;

  void SetUp() override {
    savedDifficulty = g_difficulty;
    savedSpeedBase = g_bulletSpeedBase;
    savedStage = g_stage;
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 400;
    world->player.state = PlayerNormal;
    g_stage = 1;
    SetDifficulty(4);
  }
  void TearDown() override {
    ClearEnemyList(world.get());
    g_difficulty = savedDifficulty;
    g_bulletSpeedBase = savedSpeedBase;
    g_stage = savedStage;
  }

  static void LoadTestTable() {
    std::vector<uint8_t> b(2 * kRandomTableSize);
    for (int i = 0; i < kRandomTableSize; ++i) {
      const int w = i == 0 ? kRandomTableSize : (i * 7919 + 13) & 0x7FFF;
      b[2 * i] = static_cast<uint8_t>(w & 0xFF);
      b[2 * i + 1] = static_cast<uint8_t>(w >> 8);
    }
    ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
  }

  static void SetDifficulty(int d) {
    static const float kBase[8] = {3.5f, 4.0f, 4.5f, 5.0f, 5.8f, 6.7f, 7.6f, 8.5f};
    g_difficulty = d;
    g_bulletSpeedBase = kBase[d];
  }

  // A fresh world for the next case of a table.
  void Reset() {
    ClearEnemyList(world.get());
    ClearBulletList(&world->bullets);
    SetRandomState(0, 0);
  }

  Enemy* Make(int type, int phase, float x, float y, float direction, float speed) {
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, direction, speed);
    EXPECT_NE(e, nullptr);
    if (e) e->phase = phase;
    return e;
  }

  // A fresh world at difficulty d holding one new enemy: the start of a case of a table.
  Enemy* MakeFresh(int d, int type, int phase, float x, float y, float direction, float speed) {
    Reset();
    SetDifficulty(d);
    return Make(type, phase, x, y, direction, speed);
  }

  static int DrawsSince(int step) { return (g_randomStep - step + kRandomTableSize / 2) % (kRandomTableSize / 2); }

  // One walk of the enemy list; bullets stay where they were made (no bullet update runs).
  SmallEnemyFrame Frame() {
    SmallEnemyFrame r;
    EnemyBullet* tail = world->bullets.tail;
    const int step = g_randomStep;
    UpdateEnemies(world.get());
    r.draws = DrawsSince(step);
    for (EnemyBullet* b = tail ? tail->next : world->bullets.head; b; b = b->next) r.bullets.push_back(b);
    return r;
  }

  std::vector<SmallEnemyFrame> Run(int frames) {
    std::vector<SmallEnemyFrame> out;
    for (int i = 0; i < frames; ++i) out.push_back(Frame());
    return out;
  }

  // Frame numbers (1-based, counted from the first of the run) that made bullets.
  static std::vector<int> FiringFrames(const std::vector<SmallEnemyFrame>& run) {
    std::vector<int> out;
    for (size_t i = 0; i < run.size(); ++i) {
      if (!run[i].bullets.empty()) out.push_back(static_cast<int>(i) + 1);
    }
    return out;
  }

  static size_t BulletCount(const std::vector<SmallEnemyFrame>& run) {
    size_t n = 0;
    for (const SmallEnemyFrame& f : run) n += f.bullets.size();
    return n;
  }

  float AngleToPlayerFrom(const Enemy* e) const { return AngleFromEnemyToPlayer(world.get(), e); }

  int CountEnemies(int type) const {
    int n = 0;
    for (Enemy* e = world->enemies.head; e; e = e->next) n += e->type == type;
    return n;
  }
};

inline float AngleDiff(float a, float b) { return AngleDistance(a, b); }
