#include <gtest/gtest.h>

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
  int bossFrame = 0;       // first frame with boss 70 in the field, 0 if it never came
  int bossGoneFrame = 0;   // first frame without it afterwards
  bool bossKilled = false; // it ended by its death sequence (not by climbing out)
  int shieldsLeft = 0;
};

// The keys of one frame as the pilot below chooses them.
struct PilotKeys {
  int dx = 0, dy = 0;
  bool slow = false;
};

// A scripted pilot that reads the field: it looks 16 frames ahead along the real motion of every
// bullet near the ship and takes the move (8 directions or none, at full or slow speed, held for
// 3, 8 or 16 frames) that keeps its widened hit shape clear, preferring the lower middle of the
// field, or, when it shoots, the column of the nearest small enemy. Deterministic: the same field
// gives the same keys.
PilotKeys ChoosePilotKeys(const GameWorld& w, bool shooting) {
  const Player& p = w.player;
  constexpr int kAhead = 16;
  static std::vector<EnemyBullet> future;
  future.clear();
  for (EnemyBullet* b = w.bullets.head; b; b = b->next) {
    if (std::hypot(b->x - p.x, b->y - p.y) > 260) continue;
    EnemyBullet c = *b;  // a copy moved ahead; it is in no list
    for (int t = 1; t <= kAhead; ++t) {
      c.prevX = c.x;
      c.prevY = c.y;
      c.MoveBullet();
      c.UpdateBulletFacing();
      future.push_back(c);
    }
  }
  HitShape wide = p.hitShape;
  wide.scaleX *= 3.0f;
  wide.scaleY *= 3.0f;
  float targetX = 180;
  if (shooting) {
    float nearest = 1e9f;
    for (const Enemy* e = w.enemies.head; e; e = e->next) {
      if (e->dyingCounter != 0 || e->y < 0 || e->y > p.y - 40) continue;
      const float d = std::fabs(e->x - p.x) + 0.3f * (p.y - e->y) + (e->hp > 1000 ? 150.0f : 0.0f);
      if (d < nearest) {
        nearest = d;
        targetX = e->x;
      }
    }
  }
  PilotKeys best;
  float bestCost = 1e30f;
  const size_t bullets = future.size() / kAhead;
  for (int hold : {kAhead, 8, 3}) {
    for (int slow = 0; slow < 2; ++slow) {
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (hold != kAhead && dx == 0 && dy == 0) continue;
          const float step = 4.5f / ((dx && dy) ? std::sqrt(2.0f) : 1.0f) / (slow ? 2.0f : 1.0f);
          float cost = 0;
          for (int t = 1; t <= kAhead; ++t) {
            const int moved = std::min(t, hold);
            const float px = std::clamp(p.x + dx * step * moved, 8.0f, 352.0f);
            const float py = std::clamp(p.y + dy * step * moved, 16.0f, 470.0f);
            const float weight = static_cast<float>(kAhead + 1 - t) * (t <= 4 ? 10.0f : 1.0f);
            for (size_t i = 0; i < bullets; ++i) {
              const EnemyBullet& q = future[i * kAhead + (t - 1)];
              if (std::fabs(q.x - px) > 120 || std::fabs(q.y - py) > 120) continue;
              if (TestHit(q.x, q.y, q.facing, q.hitShape, px, py, p.facing, wide)) {
                cost += 1000 * weight;
              } else {
                const float d = std::hypot(q.x - px, q.y - py);
                if (d < 40) cost += (40 - d) * 0.5f * weight;
              }
            }
            if (px < 20 || px > 340 || py < 80 || py > 460) cost += 200;
          }
          cost += std::fabs(p.x + dx * step - targetX) * 0.4f + std::fabs(p.y + dy * step - 400) * 0.2f;
          if (dx || dy) cost += 2;
          if (cost < bestCost) {
            bestCost = cost;
            best = PilotKeys{dx, dy, slow != 0};
          }
        }
      }
    }
  }
  return best;
}

void HoldPilotKeys(const PilotKeys& k, bool shooting) {
  ReleaseAllScriptedKeys();
  SetScriptedKeyHeld(KeyZ, shooting);
  SetScriptedKeyHeld(KeyX, k.slow);
  SetScriptedKeyHeld(KeyLeft, k.dx < 0);
  SetScriptedKeyHeld(KeyRight, k.dx > 0);
  SetScriptedKeyHeld(KeyUp, k.dy < 0);
  SetScriptedKeyHeld(KeyDown, k.dy > 0);
}

enum class Pilot { Sweeping, Shooting, NotShooting };

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
    SetGraphicsDrawingSuspended(true);  // nothing is looked at; the state of play is the same
  }
  void TearDown() override {
    SetGraphicsDrawingSuspended(false);
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
  PlayRun Play(int difficulty, int maxFrames, bool shielded = false, Pilot pilot = Pilot::Sweeping) {
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
    // A key held at the end of the previous run would go on counting its held frames.
    ReleaseAllScriptedKeys();
    std::fill(std::begin(g_inputHeld), std::end(g_inputHeld), 0);
    std::fill(std::begin(g_inputHeldFrames), std::end(g_inputHeldFrames), 0);
    std::fill(std::begin(g_gameInput), std::end(g_gameInput), 0);
    std::fill(std::begin(g_gameInputFrames), std::end(g_gameInputFrames), 0);
    const int startShields = 5;
    for (int n = 1; n <= maxFrames; ++n) {
      if (pilot == Pilot::Sweeping) {
        HoldKeysFor(n);
      } else {
        const bool shooting = pilot == Pilot::Shooting;
        HoldPilotKeys(ChoosePilotKeys(*world, shooting), shooting);
      }
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
      r.shieldsLeft = p.shields;
      const Enemy* boss = nullptr;
      for (const Enemy* e = world->enemies.head; e; e = e->next)
        if (e->type == 70) boss = e;
      if (boss && !r.bossFrame) r.bossFrame = n;
      if (boss && boss->phase == -1) r.bossKilled = true;
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
// ship that is never hit reaches stage 2 within two minutes.
TEST_F(Stage1Play, StageOneEndsWhenTheShipSurvives) {
  const PlayRun r = Play(4, 9000, true);
  EXPECT_TRUE(r.stageEnded);
  EXPECT_FALSE(r.gameOver);
  EXPECT_GT(r.bossFrame, 0);
  EXPECT_LT(r.frames, 7200);
  EXPECT_GT(r.kills, 30);
}

// At difficulty 3 a scripted pilot that shoots and dodges reaches the boss without losing its
// life, and so does the same run a second time, frame by frame.
TEST_F(Stage1Play, ScriptedRunReachesTheBoss) {
  const PlayRun a = Play(3, 9000, false, Pilot::Shooting);
  EXPECT_GT(a.bossFrame, 4800) << "the boss comes after the mid-boss and the second emitter";
  EXPECT_FALSE(a.gameOver) << "lost at frame " << a.frames;
  EXPECT_GT(a.kills, 60);
  const PlayRun b = Play(3, 9000, false, Pilot::Shooting);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.bossFrame, b.bossFrame);
}

// A pilot that only dodges never hurts the boss: it climbs out after its twelve seconds, the
// field empties and stage 2 begins; the second run is the same.
TEST_F(Stage1Play, WithoutShootingTheStageEndsAfterTheBossLeaves) {
  const PlayRun a = Play(3, 9000, false, Pilot::NotShooting);
  ASSERT_GT(a.bossFrame, 0);
  EXPECT_FALSE(a.bossKilled);
  EXPECT_GT(a.bossGoneFrame, a.bossFrame + 720);
  EXPECT_TRUE(a.stageEnded) << "after " << a.frames << " frames";
  EXPECT_FALSE(a.gameOver);
  EXPECT_GE(a.frames, a.bossGoneFrame + 180);  // the cleared stage waits 180 frames
  EXPECT_EQ(a.kills, 0);
  const PlayRun b = Play(3, 9000, false, Pilot::NotShooting);
  EXPECT_EQ(a.trace, b.trace);
  EXPECT_EQ(a.frames, b.frames);
}
