#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
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
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

namespace fs = std::filesystem;

uint32_t g_clock = 0;
uint32_t TickingClock() { return g_clock++; }

std::vector<uint8_t> ReadBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

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
};

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

class Stage1Play : public ::testing::Test {
 protected:
  fs::path dir;
  fs::path oldCwd;
  std::vector<uint8_t> table;
  Graphics gfx;
  SoundSystem sound;
  JoystickInput joystick;
  int savedDifficulty = 0;

  void SetUp() override {
    savedDifficulty = g_difficulty;
    PlatformEnableMessageBoxes(false);
    ResetCommandLineValues();
    SelectGraphicsBackend(GraphicsBackendRecording);
    ASSERT_EQ(gfx.CreateDirect3D(), 0);
    ASSERT_EQ(gfx.CreateDevice(nullptr, 0, 0), 0);
    sound.Init(nullptr, SoundOutputNone);
    SelectInputSource(InputSourceScripted);
    ReleaseAllScriptedKeys();
    InitGameTables();
    SetDefaultHighScores();
    table = ReadBytes(fs::path(WEXLA_GAME_DIR) / "rndtbl.dat");
    ASSERT_EQ(LoadRandomTableFromBytes(table.data(), static_cast<long>(table.size())), 0);
    // The stage file is read from the current directory; the game may write there too.
    dir = fs::temp_directory_path() / ("wexla_stage1_play_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(fs::path(WEXLA_SOURCE_DIR) / "data" / "st01.txt", dir / "st01.txt",
                  fs::copy_options::overwrite_existing);
    oldCwd = fs::current_path();
    fs::current_path(dir);
    PlatformSetClock(TickingClock);
  }
  void TearDown() override {
    PlatformSetClock(nullptr);
    ReleaseAllScriptedKeys();
    fs::current_path(oldCwd);
    fs::remove_all(dir);
    g_difficulty = savedDifficulty;
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_stage = 1;
  }

  // Starts a game directly, as the title menu does, and plays up to maxFrames frames of stage 1.
  // With shielded, the ship is kept invincible, so only the stage's end stops the run.
  PlayRun Play(int difficulty, int maxFrames, bool shielded = false) {
    PlayRun r;
    GameWorld* world = new GameWorld();
    world->Reset();
    g_difficulty = difficulty;
    g_stage = 1;
    g_scene = SceneGame;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_replayPlayback = 0;
    g_quitRequested = 0;
    g_deviceLost = 0;
    g_clock = 5000;
    SetRandomState(1234, 77);
    const int startShields = 5;
    for (int n = 1; n <= maxFrames; ++n) {
      HoldKeysFor(n);
      if (shielded) world->player.invincibleFrames = 2;
      RunFrame(&gfx, &sound, &joystick, world);
      const Player& p = world->player;
      r.frames = n;
      r.maxEnemies = std::max(r.maxEnemies, world->enemies.count);
      r.maxItems = std::max(r.maxItems, world->items.count);
      r.maxBullets = std::max(r.maxBullets, world->bullets.count);
      // A kill sets the counter to 1 and the enemy walk of the same frame to 2; an enemy that
      // left the field also shows 2, but off the field.
      for (const Enemy* e = world->enemies.head; e; e = e->next) {
        r.kills += e->dyingCounter == 2 && !IsEnemyOffField(e);
      }
      if (p.shields < startShields || p.state == PlayerShieldHit || p.state == PlayerDying) r.playerHit = true;
      if (n % 10 == 0) {
        char line[256];
        std::snprintf(line, sizeof line,
                      "%d scene=%d stage=%d score=%d rnd=%d,%d lists=%d,%d,%d,%d,%d,%d p=%.3f,%.3f,%d,%d\n",
                      g_gameFrame, g_scene, g_stage, p.scoreLow, g_randomIndex, g_randomStep, world->shots.count,
                      world->spawners.count, world->enemies.count, world->bullets.count, world->items.count,
                      world->effects.count, p.x, p.y, p.state, p.shields);
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
TEST_F(Stage1Play, ShortStageOnePlaysToItsEndTheSameWayTwice) {
  const PlayRun a = Play(4, 6000);
  EXPECT_GT(a.maxEnemies, 3);
  EXPECT_GT(a.maxBullets, 50);
  EXPECT_GT(a.kills, 10);
  EXPECT_GT(a.maxItems, 0);
  EXPECT_TRUE(a.playerHit);
  EXPECT_TRUE(a.gameOver || a.stageEnded) << "still playing after " << a.frames << " frames";
  const PlayRun b = Play(4, 6000);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.frames, b.frames);
}

// Every emitter of stage 1 drifts off and the stage ends: a ship that is never hit reaches
// stage 2 within a minute.
TEST_F(Stage1Play, StageOneEndsWhenTheShipSurvives) {
  const PlayRun r = Play(4, 6000, true);
  EXPECT_TRUE(r.stageEnded);
  EXPECT_FALSE(r.gameOver);
  EXPECT_LT(r.frames, 3600);
  EXPECT_GT(r.kills, 30);
}
