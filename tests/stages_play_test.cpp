// Stages 2, 5 and 6 played through the real frame loop, each from a direct start of that stage,
// and the whole game from stage 1 to the all clear: every stage must end on its own (its bosses
// killed or gone), whether the ship shoots or not, and the same keys must give the same game.

#include <gtest/gtest.h>

#include "tests/PlayHarness.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "enemy/StageScript.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "tools/headless/StateDigest.h"
#include "world/Collision.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

namespace fs = std::filesystem;
using namespace play_harness;

// The bosses whose death sequence runs in phase -1 before the real death.
bool IsBossType(int type) { return type == 70 || type == 74 || type == 78 || type == 92 || type == 99; }

// What one run of a stage showed.
struct StageRun {
  std::string trace;
  int frames = 0;
  bool stageEnded = false;  // the next stage began (or, after stage 6, the all clear)
  bool allClear = false;
  bool gameOver = false;
  int kills = 0;
  int maxBullets = 0;
  std::map<int, int> firstSeen;  // enemy type -> first frame in the enemy list
  std::map<int, int> lastSeen;   // enemy type -> last frame in the enemy list
  std::set<int> killed;          // boss types that began their death sequence
  std::set<int> aliveAtEnd;      // enemy types in the list after the last frame
};

class StagesPlay : public PlayFixture {
 protected:
  void SetUp() override { Prepare("wexla_stages_play", {"st01.txt", "st02.txt", "st05.txt", "st06.txt"}); }

  // Starts a game directly in the given stage and plays it until it ends, the game is over or
  // maxFrames have passed. With shielded the ship is kept invincible. With wholeGame the play
  // goes on through the later stages up to the all clear; stageStarts gets the first frame of
  // each stage.
  StageRun Play(int stage, int difficulty, bool shooting, bool shielded, int maxFrames = 16000,
                bool wholeGame = false, std::vector<std::pair<int, int>>* stageStarts = nullptr) {
    StageRun r;
    GameWorld* world = new GameWorld();
    StartDirectGame(world, stage, difficulty, 4321, 11);
    for (int n = 1; n <= maxFrames; ++n) {
      HoldPilotKeys(ChoosePilotKeys(*world, shooting, true), shooting);
      if (shielded) KeepShipUnhit(world);
      RunFrame(&gfx, &sound, &joystick, world);
      const Player& p = world->player;
      r.frames = n;
      r.maxBullets = std::max(r.maxBullets, world->bullets.count);
      for (const Enemy* e = world->enemies.head; e; e = e->next) {
        r.kills += e->dyingCounter == 2 && !IsEnemyOffField(e);
        if (!r.firstSeen.count(e->type)) r.firstSeen[e->type] = n;
        r.lastSeen[e->type] = n;
        if (IsBossType(e->type) && e->phase == -1) r.killed.insert(e->type);
      }
      if (n % 10 == 0) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "%d scene=%d stage=%d score=%d rnd=%d,%d lists=%d,%d,%d,%d,%d,%d p=%.3f,%.3f,%d,%d "
                      "digest=%016llx\n",
                      g_gameFrame, g_scene, g_stage, p.scoreLow, g_randomIndex, g_randomStep, world->shots.count,
                      world->spawners.count, world->enemies.count, world->bullets.count, world->items.count,
                      world->effects.count, p.x, p.y, p.state, p.shields,
                      static_cast<unsigned long long>(StateDigest(*world)));
        r.trace += line;
      }
      if (g_scene == SceneGameEnd) {
        r.allClear = g_stage > 6;
        r.stageEnded = r.allClear;
        r.gameOver = !r.allClear;
        break;
      }
      if (g_stage != stage) {
        if (stageStarts) stageStarts->push_back({g_stage, n + 1});
        if (!wholeGame) {
          r.stageEnded = true;
          break;
        }
        stage = g_stage;
      }
    }
    for (const Enemy* e = world->enemies.head; e; e = e->next) r.aliveAtEnd.insert(e->type);
    delete world;
    return r;
  }
};

}  // namespace

namespace {

struct StageCase {
  int stage;
  int next;     // g_stage after it (7: the all clear)
  int midBoss;  // the big enemy of its middle
  int boss;     // its last boss
  int bossLastPart;  // its parts and drones are the types from boss + 1 to this one
  int bossStay;      // frames the boss stays at least when it is not hurt
  int mustKill;      // a type that never leaves by itself (0: none), so a ship that never shoots stays
  std::vector<int> holders;  // the types that may still be there then: it, its parts and drones
};

const StageCase kStages[] = {
    {2, 5, 17, 78, 81, 720, 0, {}},
    {5, 6, 78, 92, 98, 4200, 29, {21, 29, 30}},
    {6, 7, 82, 99, 102, 4000, 82, {82, 83, 84, 85, 86, 87, 88, 89}},
};

}  // namespace

// At difficulty 3 the scripted pilot that shoots and dodges plays every stage to its end
// without losing its life; the mid-boss comes before the boss, nothing but the boss's parts
// and drones comes after it, and the same start gives the same game frame by frame.
TEST_F(StagesPlay, ScriptedPilotClearsEachStageTheSameWayTwice) {
  for (const StageCase& c : kStages) {
    SCOPED_TRACE("stage " + std::to_string(c.stage));
    const StageRun a = Play(c.stage, 3, true, false);
    ASSERT_TRUE(a.stageEnded) << "after " << a.frames << " frames, game over " << a.gameOver;
    EXPECT_EQ(g_stage, c.next);
    EXPECT_EQ(a.allClear, c.next == 7);
    ASSERT_TRUE(a.firstSeen.count(c.midBoss));
    ASSERT_TRUE(a.firstSeen.count(c.boss));
    EXPECT_LT(a.firstSeen.at(c.midBoss), a.firstSeen.at(c.boss));
    EXPECT_GT(a.firstSeen.at(c.boss), 4800);
    EXPECT_GT(a.kills, 60);
    EXPECT_GT(a.maxBullets, 100);
    // The stage waits for the boss to be killed or gone, then 180 frames more.
    int lastEnemy = 0;
    for (const auto& [type, frame] : a.lastSeen) lastEnemy = std::max(lastEnemy, frame);
    EXPECT_GE(a.frames, lastEnemy + 180);
    for (const auto& [type, frame] : a.firstSeen) {
      if (frame > a.firstSeen.at(c.boss)) {
        EXPECT_TRUE(type > c.boss && type <= c.bossLastPart) << type;
      }
    }
    const StageRun b = Play(c.stage, 3, true, false);
    EXPECT_EQ(a.trace, b.trace);
    EXPECT_EQ(a.frames, b.frames);
  }
}

// A ship that never shoots (and is never hit) still gets through: every enemy leaves on its
// own, the bosses included after their time, so no stage can hold the game but by a type that
// must be destroyed; then the stage goes on without it after its time-out, the boss comes and
// leaves, and only that enemy (with its parts and drones) keeps the stage from ending.
TEST_F(StagesPlay, WithoutShootingEveryStageStillEnds) {
  for (const StageCase& c : kStages) {
    SCOPED_TRACE("stage " + std::to_string(c.stage));
    const StageRun r = Play(c.stage, 3, false, true);
    ASSERT_TRUE(r.firstSeen.count(c.boss));
    EXPECT_FALSE(r.killed.count(c.boss));
    EXPECT_GE(r.lastSeen.at(c.boss) - r.firstSeen.at(c.boss), c.bossStay);
    if (c.mustKill == 0) {
      ASSERT_TRUE(r.stageEnded) << "after " << r.frames << " frames";
      EXPECT_EQ(g_stage, c.next);
      continue;
    }
    EXPECT_FALSE(r.stageEnded);
    EXPECT_LT(r.lastSeen.at(c.boss), r.frames);
    EXPECT_TRUE(r.aliveAtEnd.count(c.mustKill));
    for (int type : r.aliveAtEnd)
      EXPECT_NE(std::find(c.holders.begin(), c.holders.end(), type), c.holders.end()) << type;
  }
}

// The whole game from stage 1 with a ship that is never hit: the stages follow in the order 1,
// 2, 5, 6 as each one ends, and the all clear ends the game after stage 6.
TEST_F(StagesPlay, TheWholeGameRunsToTheAllClear) {
  std::vector<std::pair<int, int>> starts;
  const StageRun r = Play(1, 3, true, true, 60000, true, &starts);
  EXPECT_TRUE(r.allClear) << "after " << r.frames << " frames in stage " << g_stage;
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0].first, 2);
  EXPECT_EQ(starts[1].first, 5);
  EXPECT_EQ(starts[2].first, 6);
  EXPECT_EQ(g_scene, SceneGameEnd);
  EXPECT_GT(r.firstSeen.count(92), 0u);
}

namespace {

// What the invincible, shooting pilot meets in stage 5 and, going on with what it gained
// there, in stage 6.
struct LateStageCase {
  int stage;
  int boss;
  int leaveAge;         // the boss's age when it starts to climb out
  std::set<int> types;  // every enemy type that appears in the stage
};

const LateStageCase kLateStages[] = {
    {5, 92, 4200, {1,  2,  3,  9,  20, 21, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 64, 65, 66,
                   78, 79, 80, 81, 92, 93, 94, 95, 96, 97, 98}},
    {6, 99, 4000, {2,  3,  9,  10, 12, 14, 15, 16, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 31,
                   32, 33, 82, 83, 84, 85, 86, 87, 88, 89, 99, 100, 101, 102}},
};

}  // namespace

// The ship gains power and options from the block columns and drops, so a pilot that shoots
// well kills the timeline boss and the pod boss before they leave; every type of the two
// stages' rosters is met on the way.
TEST_F(StagesPlay, ThePilotMeetsEveryTypeAndKillsBothLateBosses) {
  GameWorld* world = new GameWorld();
  StartDirectGame(world, 5, 3, 777, 11);
  std::map<int, std::set<int>> seen;
  std::map<int, int> bossArrived, bossDying;
  for (int n = 1; n <= 30000 && g_scene == SceneGame && g_stage <= 6; ++n) {
    HoldPilotKeys(ChoosePilotKeys(*world, true, true), true);
    KeepShipUnhit(world);
    RunFrame(&gfx, &sound, &joystick, world);
    const int stage = g_stage;
    const int boss = stage == 5 ? 92 : 99;
    for (const Enemy* e = world->enemies.head; e; e = e->next) {
      if (e->dyingCounter == 2) continue;  // culled off the field: never met
      seen[stage].insert(e->type);
      if (e->type != boss) continue;
      if (!bossArrived.count(stage)) bossArrived[stage] = n;
      if (e->phase == -1 && !bossDying.count(stage)) bossDying[stage] = n;
    }
  }
  delete world;
  EXPECT_EQ(g_scene, SceneGameEnd);
  for (const LateStageCase& c : kLateStages) {
    SCOPED_TRACE("stage " + std::to_string(c.stage));
    EXPECT_EQ(seen[c.stage], c.types);
    ASSERT_TRUE(bossArrived.count(c.stage));
    ASSERT_TRUE(bossDying.count(c.stage)) << "the boss left unbeaten";
    EXPECT_LT(bossDying.at(c.stage) - bossArrived.at(c.stage), c.leaveAge);
  }
}
