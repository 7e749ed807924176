// Stages 2, 5 and 6 played through the real frame loop, each from a direct start of that stage,
// and the whole game from stage 1 on: every stage must end on its own (its bosses killed or
// gone), whether the ship shoots or not, the same keys must give the same game, and each stage
// shows its own roster and boss.

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
#include "enemy/EnemyCatalogue.h"
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
  std::set<int> killed;          // types shot down in the field (bosses: began their death sequence)
  std::map<int, int> killAge;    // type -> age of the first one killed
  std::map<int, std::set<int>> typesByStage;  // stage -> every enemy type met in it
  std::map<int, int> powerMax;                // stage -> the ship's highest power in it
  std::set<int> aliveAtEnd;                   // enemy types in the list after the last frame
};

class StagesPlay : public PlayFixture {
 protected:
  void SetUp() override { Prepare("wexla_stages_play", {"st01.txt", "st02.txt", "st05.txt", "st06.txt"}); }

  // Starts a game directly in the given stage and plays it until it ends, the game is over or
  // maxFrames have passed. With shielded the ship is kept invincible. With wholeGame the play
  // goes on through the later stages up to the all clear, or up to the end of lastStage;
  // stageStarts gets the first frame of each stage.
  StageRun Play(int stage, int difficulty, bool shooting, bool shielded, int maxFrames = 16000,
                bool wholeGame = false, std::vector<std::pair<int, int>>* stageStarts = nullptr,
                int lastStage = 6) {
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
      r.powerMax[stage] = std::max(r.powerMax[stage], p.power);
      for (const Enemy* e = world->enemies.head; e; e = e->next) {
        r.kills += DiedInTheField(e);
        if (!r.firstSeen.count(e->type)) r.firstSeen[e->type] = n;
        r.lastSeen[e->type] = n;
        r.typesByStage[stage].insert(e->type);
        if (DiedInTheField(e) || (IsBossType(e->type) && e->phase == -1)) {
          r.killed.insert(e->type);
          r.killAge.emplace(e->type, e->age);
        }
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
        if (!wholeGame || stage == lastStage) {
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
    {2, 5, 74, 67, 69, 2600, 0, {}},
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

// What each stage must show a player who shoots well: every type it holds (parts and drones
// through their parents), and the boss at its end, shot down before it leaves at its age.
struct RosterCase {
  int stage;
  int boss;
  int bossLeaveAge;
  std::set<int> types;
};

const RosterCase kRosters[] = {
    {1, 64, 1500, {0, 1, 2, 3, 5, 8, 9, 10, 11, 18, 20, 21, 22, 64, 65, 66, 70, 71, 72, 73}},
    {2, 67, 2600, {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 24,
                   67, 68, 69, 74, 75, 76, 77}},
    {5, 92, 4200, {1, 2, 3, 9, 20, 21, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 64, 65, 66, 78, 79,
                   80, 81, 92, 93, 94, 95, 96, 97, 98}},
    {6, 99, 4000, {2, 3, 9, 10, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 31, 32,
                   33, 82, 83, 84, 85, 86, 87, 88, 89, 99, 100, 101, 102}},
};

}  // namespace

// The invincible pilot that shoots plays the game from stage 1 at difficulty 3: each stage shows
// its roster and no other type, no boss ends two stages, each boss is shot down before it
// would leave, and the items of stage 1 raise the ship's power. With a row for every stage the
// rosters together hold every type that can be placed.
TEST_F(StagesPlay, EachStageShowsItsRosterAndItsBossFalls) {
  const int lastStage = std::rbegin(kRosters)->stage;
  const StageRun r = Play(1, 3, true, true, 60000, true, nullptr, lastStage);
  ASSERT_TRUE(r.stageEnded || r.allClear) << "after " << r.frames << " frames in stage " << g_stage;
  std::set<int> bosses, met;
  for (const RosterCase& c : kRosters) {
    SCOPED_TRACE("stage " + std::to_string(c.stage));
    ASSERT_TRUE(r.typesByStage.count(c.stage));
    EXPECT_EQ(r.typesByStage.at(c.stage), c.types);
    EXPECT_TRUE(bosses.insert(c.boss).second) << "boss " << c.boss << " ends two stages";
    ASSERT_TRUE(r.killAge.count(c.boss)) << "boss " << c.boss << " was not shot down; power " << r.powerMax.at(c.stage) << ", it stayed " << r.lastSeen.at(c.boss) - r.firstSeen.at(c.boss);
    EXPECT_LT(r.killAge.at(c.boss), c.bossLeaveAge);
    met.insert(c.types.begin(), c.types.end());
  }
  EXPECT_GT(r.powerMax.at(1), StartPowerForDifficulty(3));
  if (std::size(kRosters) == 4) {
    std::set<int> placeable;
    for (int t = 0; t < kEnemyTypeSlots; ++t)
      if (IsEnemyTypeDefined(t) && t != 90 && t != 91) placeable.insert(t);
    EXPECT_EQ(met, placeable);
  }
}
