#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemySpawner.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "enemy/StageScript.h"
#include "player/Option.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/SpriteTable.h"

namespace {

class StageRunnerTest : public ::testing::Test {
 protected:
  DispatchGuard dispatchGuard;
  std::unique_ptr<GameWorld> world;
  std::filesystem::path dir, cwd;

  void SetUp() override {
    InitGameTables();
    RegisterEnemyTypeCode(20, nullptr, nullptr);
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 400;
    g_scene = SceneGame;
    g_sceneFrame = 5;
    g_stage = 1;
    g_difficulty = 3;
    g_replayPlayback = 0;
    for (int32_t& c : g_config) c = 0;
    g_config[ConfigDifficultyCount] = 4;
    // The all clear writes "config.dat" into the current directory.
    cwd = std::filesystem::current_path();
    dir = std::filesystem::temp_directory_path() / ("wexla_stage_runner_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(cwd);
    std::filesystem::remove_all(dir);
  }

  StageScript* Load(const std::string& text) {
    delete world->stageScript;
    world->stageScript = new StageScript;
    world->stageScript->LoadBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return world->stageScript;
  }
  void Frames(int n, bool space = false) {
    for (int i = 0; i < n; ++i) AdvanceStageScript(world.get(), space);
  }
  Enemy* AddEnemy() {
    EnemyList& l = world->enemies;
    return ConstructEnemy(20, &l.head, &l.tail, &l.count, 100, 100, 0, 0);
  }
};

}  // namespace

TEST_F(StageRunnerTest, ConditionsDecideWhetherAnEventFires) {
  struct Case {
    const char* options;
    int difficulty;
    float px, py;
    int enemies;
    int flag2;
    bool fires;
  } const cases[] = {
      {"", 0, 180, 400, 5, 0, true},
      {"n0", 3, 180, 400, 0, 0, true},     {"n0", 3, 180, 400, 1, 0, false},  {"n1", 3, 180, 400, 1, 0, true},
      {"d3", 3, 180, 400, 0, 0, true},     {"d3", 2, 180, 400, 0, 0, false},  {"d-2", 2, 180, 400, 0, 0, true},
      {"d-2", 3, 180, 400, 0, 0, false},   {"x100", 3, 100, 400, 0, 0, true}, {"x100", 3, 99, 400, 0, 0, false},
      {"x-100", 3, 99, 400, 0, 0, true},   {"x-100", 3, 100, 400, 0, 0, false},
      {"y300", 3, 180, 299, 0, 0, false},  {"y-300", 3, 180, 299, 0, 0, true},
      {"b2 1", 3, 180, 400, 0, 1, true},   {"b2 1", 3, 180, 400, 0, 0, false}, {"b2 0", 3, 180, 400, 0, 0, true},
      {"b2 5", 3, 180, 400, 0, 1, true},   {"b16 0", 3, 180, 400, 0, 0, false}, {"b-1 0", 3, 180, 400, 0, 0, false},
      {"n5 d1 b2 1", 3, 180, 400, 2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.options) + " D" + std::to_string(c.difficulty));
    ClearEnemyList(world.get());
    for (int i = 0; i < c.enemies; ++i) AddEnemy();
    g_difficulty = c.difficulty;
    world->player.x = c.px;
    world->player.y = c.py;
    StageScript* s = Load(std::string("e1 20 0 50 60 0 0 ") + c.options + "\r\n");
    s->flags[2] = static_cast<uint8_t>(c.flag2);
    Frames(1);
    EXPECT_EQ(world->enemies.count, c.enemies + (c.fires ? 1 : 0));
    EXPECT_EQ(s->nextEvent, 1);  // fired or skipped, the event is consumed
  }
}

TEST_F(StageRunnerTest, OrderWithinAFrameAndBlockedEvents) {
  // Same frame: file order, and the second one's "n" sees the enemy of the first.
  StageScript* s = Load("e3 20 0 50 60 0 0\r\ne3 20 0 50 60 0 0 n0\r\ne4 20 0 50 60 0 0\r\n");
  Frames(2);
  EXPECT_EQ(world->enemies.count, 0);
  Frames(1);
  EXPECT_EQ(world->enemies.count, 1);
  EXPECT_EQ(s->nextEvent, 2);
  Frames(5);
  EXPECT_EQ(world->enemies.count, 2);  // the skipped one is not retried

  // An event whose frame is 0, or has passed, holds back every later one.
  for (const char* text : {"e0 20 0 1 1 0 0\r\ne1 20 0 1 1 0 0\r\n", "e5 20 0 1 1 0 0\r\ne3 20 0 1 1 0 0\r\n"}) {
    ClearEnemyList(world.get());
    s = Load(text);
    Frames(20);
    EXPECT_LE(world->enemies.count, 1) << text;
    EXPECT_LE(s->nextEvent, 1) << text;
  }
}

TEST_F(StageRunnerTest, EnemyEventsPlaceAndSeedTheirEnemies) {
  Load("e1 20 7 < 100 0 2 m5 7 m300 1 p255 2.5 p-1 3\r\ne1 20 0 50 > 3 0 X4 A2\r\ne1 40 0 1 1 0 0\r\n");
  Frames(1);
  ASSERT_EQ(world->enemies.count, 2);  // type 40 has no row
  Enemy* a = world->enemies.head;
  const float r = MinFloat(a->sprite.scaleX, a->sprite.scaleY) * a->sprite.innerRadius / 1.4142135f;
  EXPECT_FLOAT_EQ(a->baseX, -r);
  EXPECT_EQ(a->baseY, 100);
  EXPECT_FLOAT_EQ(a->direction, -90);
  EXPECT_FLOAT_EQ(a->speed, 2);
  EXPECT_EQ(a->phase, 7);
  EXPECT_EQ(a->phaseFrames, 0);
  EXPECT_EQ(a->intParams[5], 7);
  EXPECT_EQ(a->floatRegs[255], 2.5f);
  Enemy* b = a->next;
  EXPECT_FLOAT_EQ(b->baseY, 480 + r);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(b->floatRegs[i], 0) << i;  // jitter entries mean nothing here
}

TEST_F(StageRunnerTest, SpawnerEffectAndFlagEvents) {
  StageScript* s = Load(
      "g1 20 3 4 0 10 20 1 2 3 4 X4 Y2 A1 m2 9 m256 1\r\n"
      "g1 20 0 1 1 0 0 0 0 0 0 R0.5 p3 1.5 p999 1\r\n"
      "f1 3000 10 20 0 -2 30 m1 5 p0 2.5\r\n"
      "b1 2 1\r\nb1 3 -1\r\nb1 3 -1\r\nb1 4 -1\r\nb1 16 1\r\nb1 2 7\r\n");
  s->flags[5] = 1;
  Frames(1);
  ASSERT_EQ(world->spawners.count, 2);
  EnemySpawner* g = world->spawners.head;
  EXPECT_EQ(g->enemyType, 20);
  EXPECT_EQ(g->enemyPhase, 3);
  EXPECT_EQ(g->spawnCount, 4);
  EXPECT_EQ(g->interval, 1);  // 0 in the file
  EXPECT_EQ(g->vx, 1);        // the step
  EXPECT_EQ(g->enemyVy, 4);
  EXPECT_EQ(g->jitterX, 4);
  EXPECT_EQ(g->jitterY, 2);
  EXPECT_EQ(g->jitterAngle, 1);
  EXPECT_EQ(g->intParams[2], 9);
  EXPECT_EQ(g->next->jitterSpeed, 0.5f);
  EXPECT_EQ(g->next->floatParams[3], 1.5f);

  ASSERT_EQ(world->effects.count, 1);
  Effect* fx = world->effects.head;
  EXPECT_EQ(fx->lifetime, 30);
  EXPECT_FLOAT_EQ(fx->direction, 90);
  EXPECT_EQ(fx->sprite.srcWidth, g_spriteDefs[kEmptySpriteRow].srcWidth);
  const int32_t ints[3] = {fx->params[0], fx->params[1], fx->params[2]};
  EXPECT_EQ(ints[0], 0);
  EXPECT_EQ(ints[1], 5);
  EXPECT_EQ(ints[2], 5);
  for (int i = 3; i < 6; ++i) {
    float v;
    std::memcpy(&v, &fx->params[i], sizeof(v));
    EXPECT_EQ(v, 2.5f) << i;
  }

  const uint8_t flags[kStageFlagCount] = {0, 0, 0, 0, 1, 1};
  EXPECT_EQ(std::memcmp(s->flags, flags, sizeof(flags)), 0);  // 2 set then cleared, 3 toggled twice
}

TEST_F(StageRunnerTest, PhaseTwoThreeAndTheNextStage) {
  StageScript* s = Load("e1 20 0 50 60 0 0\r\ns2 2\r\n");
  Frames(2);
  EXPECT_EQ(s->phase, StagePhaseWaitClear);
  Frames(10);
  EXPECT_EQ(s->phase, StagePhaseWaitClear);  // the enemy is alive
  world->enemies.head->DestroyEnemy(world.get());
  Frames(1);
  EXPECT_EQ(s->phase, StagePhaseCleared);
  EXPECT_EQ(s->phaseFrames, 0);
  Frames(179);
  EXPECT_EQ(g_stage, 1);
  Enemy* late = AddEnemy();  // an enemy at frame 180 holds the stage
  Frames(3);
  EXPECT_EQ(g_stage, 1);
  late->DestroyEnemy(world.get());
  Frames(1);
  EXPECT_EQ(g_stage, 2);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_EQ(g_scene, SceneGame);

  // Events stop in phase 3.
  s = Load("s1 3\r\ne2 20 0 1 1 0 0\r\n");
  Frames(5);
  EXPECT_EQ(world->enemies.count, 0);
  // "s" to phase 3 does not stop the other events of its frame.
  s = Load("s1 3\r\ne1 20 0 1 1 0 0\r\n");
  Frames(1);
  EXPECT_EQ(world->enemies.count, 1);
}

TEST_F(StageRunnerTest, StageOrderIsOneTwoFiveSix) {
  EXPECT_EQ(NextStageNumber(1), 2);
  EXPECT_EQ(NextStageNumber(2), 5);
  EXPECT_EQ(NextStageNumber(5), 6);
  EXPECT_EQ(NextStageNumber(6), 7);
  std::vector<int> stages;
  for (int i = 0; i < 4; ++i) {
    Load("s1 3\r\n");
    Frames(180);
    stages.push_back(g_stage);
  }
  EXPECT_EQ(stages, (std::vector<int>{2, 5, 6, 7}));
  EXPECT_EQ(g_scene, SceneGameEnd);
}

TEST_F(StageRunnerTest, AllClearUnlocksADifficultyAndWritesTheConfig) {
  struct Case {
    int slot, difficulty, playback, expect;
    bool written;
  } const cases[] = {
      {4, 3, 0, 5, true}, {8, 7, 0, 8, true}, {4, 2, 0, 4, false}, {4, 3, 1, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slot * 100 + c.difficulty * 10 + c.playback);
    std::filesystem::remove("config.dat");
    g_scene = SceneGame;
    g_stage = 6;
    g_difficulty = c.difficulty;
    g_replayPlayback = static_cast<uint8_t>(c.playback);
    g_config[ConfigDifficultyCount] = c.slot;
    Option* o = new Option;
    ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
    world->player.optionCount = 1;
    EnemySpawner* sp = ConstructEnemySpawner(20, 0, &world->spawners.head, &world->spawners.tail,
                                             &world->spawners.count, 0, 0, 0, 0, 0, 0, 100, 100);
    ASSERT_NE(sp, nullptr);
    EnemyBullet* b = ConstructEnemyBullet(0, 1, 0, &world->bullets.head, &world->bullets.tail,
                                          &world->bullets.count, 0, 0, 0, 0, 1, 1);
    ASSERT_NE(b, nullptr);
    StageScript* s = Load("s1 3\r\n");
    Frames(180);
    EXPECT_EQ(g_stage, 7);
    EXPECT_EQ(s->phase, StagePhaseStopped);
    EXPECT_EQ(g_scene, SceneGameEnd);
    EXPECT_EQ(g_sceneFrame, 0);
    EXPECT_EQ(world->spawners.count, 0);
    EXPECT_EQ(world->bullets.count, 0);
    EXPECT_EQ(world->player.optionCount, 0);
    EXPECT_EQ(world->player.state, 3);
    EXPECT_EQ(g_config[ConfigDifficultyCount], c.expect);
    EXPECT_EQ(std::filesystem::exists("config.dat"), c.written);
    if (c.written) {
      std::ifstream in("config.dat", std::ios::binary);
      std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ASSERT_EQ(bytes.size(), 1024u);
      EXPECT_EQ(bytes[4 * ConfigDifficultyCount], c.expect);
    }
    // The banner is the only effect left.
    ASSERT_EQ(world->effects.count, 1);
    Effect* banner = world->effects.head;
    EXPECT_EQ(banner->lifetime, 2147483647);
    EXPECT_EQ(banner->x, 180);
    EXPECT_EQ(banner->y, 500);
    EXPECT_EQ(banner->speed, 28);
    EXPECT_EQ(banner->friction, 0.93f);
    EXPECT_EQ(banner->startScaleY, 3.0f);
    EXPECT_EQ(banner->endColor, 0xFFFF0000u);
    ClearEffectList(&world->effects);
  }
}

TEST_F(StageRunnerTest, SpaceRestartsTheEventsButNoSecondAllClear) {
  StageScript* s = Load("e1 20 0 1 1 0 0\r\n");
  Frames(3);
  EXPECT_EQ(world->enemies.count, 1);
  Frames(1, true);
  EXPECT_EQ(s->stageFrame, 0);
  EXPECT_EQ(s->nextEvent, 0);
  Frames(1);
  EXPECT_EQ(world->enemies.count, 2);  // the events fire again from frame 1; enemies stay

  ClearEnemyList(world.get());
  g_stage = 6;
  s = Load("s1 3\r\n");
  Frames(180);
  ASSERT_EQ(g_scene, SceneGameEnd);
  EXPECT_EQ(g_config[ConfigDifficultyCount], 5);
  std::filesystem::remove("config.dat");
  Frames(1, true);  // Space after the all clear
  EXPECT_EQ(s->phase, StagePhaseRunning);
  Frames(400);
  EXPECT_EQ(s->phase, StagePhaseCleared);
  EXPECT_EQ(g_stage, 7);
  EXPECT_EQ(g_config[ConfigDifficultyCount], 5);
  EXPECT_FALSE(std::filesystem::exists("config.dat"));
}

TEST_F(StageRunnerTest, StageFlagWritesNeedAScript) {
  SetStageFlag(world.get(), 0, 1);  // no script: nothing happens
  AdvanceStageScript(world.get(), true);
  StageScript* s = Load("");
  SetStageFlag(world.get(), 0, 1);
  SetStageFlag(world.get(), 16, 1);
  SetStageFlag(world.get(), -1, 1);
  EXPECT_EQ(s->flags[0], 1);
  Frames(1000);  // a stage without events only counts frames
  EXPECT_EQ(s->stageFrame, 1000);
  EXPECT_EQ(g_stage, 1);
}
