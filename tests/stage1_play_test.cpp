#include <gtest/gtest.h>

#include "tests/PlayHarness.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "enemy/StageScript.h"
#include "frontend/ReplayData.h"
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

// What one run of stage 1 showed, and its trace.
struct PlayRun {
  std::string trace;
  int maxEnemies = 0;
  int maxItems = 0;
  int maxBullets = 0;
  int kills = 0;  // enemies that died by KillEnemy (not by leaving the field)
  bool playerHit = false;
  bool gameOver = false;
  bool stageEnded = false;
  int frames = 0;
  int bossFrame = 0;       // first frame with the boss in the field, 0 if it never came
  int bossGoneFrame = 0;   // first frame without it afterwards
  bool bossKilled = false; // it was shot down (it did not climb out)
  int shieldsLeft = 0;
};

enum class Pilot { Sweeping, Shooting, NotShooting };

// Stage 1 ends with the large ship, which climbs out at age 1500 when it is not shot down.
constexpr int kBossType = 64;
constexpr int kBossStay = 1500;

// The keys of frame n: the shot held all the time, the ship sweeping left and right and now and
// then moving up or down; no bombs, so the ship is hit in the end.
void HoldKeysFor(int n) {
  ReleaseAllScriptedKeys();
  SetScriptedKeyHeld(KeyZ, true);
  const int sweep = n % 240;
  SetScriptedKeyHeld(sweep < 120 ? KeyLeft : KeyRight, (n / 40) % 3 != 0);
  if (n % 600 < 60) SetScriptedKeyHeld(KeyUp, true);
  if (n % 600 >= 300 && n % 600 < 340) SetScriptedKeyHeld(KeyDown, true);
}

class Stage1Play : public PlayFixture {
 protected:
  void SetUp() override { Prepare("wexla_stage1_play", {"st01.txt"}); }

  // Starts a game directly, as the title menu does, and plays up to maxFrames frames of stage 1.
  // With shielded, the ship is kept invincible, so only the stage's end stops the run.
  PlayRun Play(int difficulty, int maxFrames, bool shielded = false, Pilot pilot = Pilot::Sweeping) {
    PlayRun r;
    GameWorld* world = new GameWorld();
    StartDirectGame(world, 1, difficulty, 1234, 77);
    const int startShields = 5;
    for (int n = 1; n <= maxFrames; ++n) {
      if (pilot == Pilot::Sweeping) {
        HoldKeysFor(n);
      } else {
        const bool shooting = pilot == Pilot::Shooting;
        HoldPilotKeys(ChoosePilotKeys(*world, shooting, false), shooting);
      }
      if (shielded) KeepShipUnhit(world);
      RunFrame(&gfx, &sound, &joystick, world);
      const Player& p = world->player;
      r.frames = n;
      r.maxEnemies = std::max(r.maxEnemies, world->enemies.count);
      r.maxItems = std::max(r.maxItems, world->items.count);
      r.maxBullets = std::max(r.maxBullets, world->bullets.count);
      for (const Enemy* e = world->enemies.head; e; e = e->next) r.kills += DiedInTheField(e);
      if (p.shields < startShields || p.state == PlayerShieldHit || p.state == PlayerDying) r.playerHit = true;
      r.shieldsLeft = p.shields;
      const Enemy* boss = nullptr;
      for (const Enemy* e = world->enemies.head; e; e = e->next)
        if (e->type == kBossType) boss = e;
      if (boss && !r.bossFrame) r.bossFrame = n;
      if (boss && DiedInTheField(boss)) r.bossKilled = true;
      if (!boss && r.bossFrame && !r.bossGoneFrame) r.bossGoneFrame = n;
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
        r.gameOver = true;
        break;
      }
      if (g_stage != 1) {
        r.stageEnded = true;
        break;
      }
    }
    delete world;
    return r;
  }
};

}  // namespace

// Stage 1 from a direct game start with the real frame loop: enemies appear, are shot and drop
// items, the ship is hit and the game ends (game over or the stage's end); two runs give the
// same trace.
TEST_F(Stage1Play, StageOnePlaysToItsEndTheSameWayTwice) {
  const PlayRun a = Play(4, 9000);
  EXPECT_GT(a.maxEnemies, 3);
  EXPECT_GT(a.maxBullets, 50);
  EXPECT_GT(a.kills, 10);
  EXPECT_GT(a.maxItems, 0);
  EXPECT_TRUE(a.playerHit);
  EXPECT_TRUE(a.gameOver || a.stageEnded) << "still playing after " << a.frames << " frames";
  const PlayRun b = Play(4, 9000);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.frames, b.frames);
}

// Every emitter of stage 1 drifts off, the boss comes and climbs out, and the stage ends: a
// ship that is never hit reaches stage 2 after two to four minutes.
TEST_F(Stage1Play, StageOneEndsWhenTheShipSurvives) {
  const PlayRun r = Play(4, 15000, true);
  EXPECT_TRUE(r.stageEnded);
  EXPECT_FALSE(r.gameOver);
  EXPECT_GT(r.bossFrame, 0);
  EXPECT_GT(r.frames, 7200);
  EXPECT_LT(r.frames, 14400);
  EXPECT_GT(r.kills, 30);
}

// At difficulty 3 a scripted pilot that shoots and dodges reaches the boss and stage 2 without
// losing its life, and so does the same run a second time, frame by frame.
TEST_F(Stage1Play, ScriptedRunReachesTheBossAndStageTwo) {
  const PlayRun a = Play(3, 15000, false, Pilot::Shooting);
  EXPECT_GT(a.bossFrame, 6000) << "the boss comes after the mid-boss and the second emitter";
  EXPECT_FALSE(a.gameOver) << "lost at frame " << a.frames;
  EXPECT_TRUE(a.stageEnded) << "still in stage 1 after " << a.frames << " frames";
  EXPECT_GT(a.kills, 60);
  const PlayRun b = Play(3, 15000, false, Pilot::Shooting);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.bossFrame, b.bossFrame);
}

// A pilot that only dodges never hurts the boss: it climbs out after its twenty-five seconds,
// the field empties and stage 2 begins; the second run is the same.
TEST_F(Stage1Play, WithoutShootingTheStageEndsAfterTheBossLeaves) {
  const PlayRun a = Play(3, 12000, false, Pilot::NotShooting);
  ASSERT_GT(a.bossFrame, 0);
  EXPECT_FALSE(a.bossKilled);
  EXPECT_GT(a.bossGoneFrame, a.bossFrame + kBossStay);
  EXPECT_TRUE(a.stageEnded) << "after " << a.frames << " frames";
  EXPECT_FALSE(a.gameOver);
  EXPECT_GE(a.frames, a.bossGoneFrame + 180);  // the cleared stage waits 180 frames
  EXPECT_EQ(a.kills, 0);
  const PlayRun b = Play(3, 12000, false, Pilot::NotShooting);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.frames, b.frames);
}
