#pragma once
// What the whole-stage plays share: a ticking clock, a fixture that runs the real frame loop on
// recording graphics, no sound device and scripted keys in a temporary folder holding the stage
// files, and a dodging pilot.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "frontend/ReplayData.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "world/Collision.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace play_harness {

// A clock that moves on by one millisecond at every read, so the pacing loop finds its tick.
inline uint32_t g_clock = 0;
inline uint32_t TickingClock() { return g_clock++; }

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The keys of one frame as the pilot chooses them.
struct PilotKeys {
  int dx = 0, dy = 0;
  bool slow = false;
};

// A scripted pilot that reads the field: it looks 16 frames ahead along the real motion of every
// bullet near the ship and takes the move (8 directions or none, at full or slow speed, held for
// 3, 8 or 16 frames) that keeps its widened hit shape clear, preferring the lower middle of the
// field, or, when it shoots, the column of the nearest enemy (bosses last; with onFieldTargets,
// only enemies inside the field's width). Deterministic: the same field gives the same keys.
inline PilotKeys ChoosePilotKeys(const GameWorld& w, bool shooting, bool onFieldTargets) {
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
      if (onFieldTargets && (e->x < 0 || e->x > 360)) continue;
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

inline void HoldPilotKeys(const PilotKeys& k, bool shooting) {
  ReleaseAllScriptedKeys();
  SetScriptedKeyHeld(KeyZ, shooting);
  SetScriptedKeyHeld(KeyX, k.slow);
  SetScriptedKeyHeld(KeyLeft, k.dx < 0);
  SetScriptedKeyHeld(KeyRight, k.dx > 0);
  SetScriptedKeyHeld(KeyUp, k.dy < 0);
  SetScriptedKeyHeld(KeyDown, k.dy > 0);
}

class PlayFixture : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  std::filesystem::path oldCwd;
  std::vector<uint8_t> table;
  Graphics gfx;
  SoundSystem sound;
  JoystickInput joystick;
  int savedDifficulty = 0;
  int32_t savedConfig[kConfigSlots] = {};

  // The stage files are read from the current directory; the game may write there too.
  void Prepare(const std::string& folder, std::initializer_list<const char*> stageFiles) {
    namespace fs = std::filesystem;
    savedDifficulty = g_difficulty;
    std::copy(std::begin(g_config), std::end(g_config), std::begin(savedConfig));
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
    dir = fs::temp_directory_path() / (folder + "_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const char* name : stageFiles)
      fs::copy_file(fs::path(WEXLA_SOURCE_DIR) / "data" / name, dir / name, fs::copy_options::overwrite_existing);
    oldCwd = fs::current_path();
    fs::current_path(dir);
    PlatformSetClock(TickingClock);
    SetGraphicsDrawingSuspended(true);  // nothing is looked at; the state of play is the same
  }

  void TearDown() override {
    SetGraphicsDrawingSuspended(false);
    PlatformSetClock(nullptr);
    ReleaseAllScriptedKeys();
    std::filesystem::current_path(oldCwd);
    std::filesystem::remove_all(dir);
    g_difficulty = savedDifficulty;
    std::copy(std::begin(savedConfig), std::end(savedConfig), std::begin(g_config));
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_stage = 1;
  }

  // A game started directly in `stage`, as the title menu does, from a known random state.
  void StartDirectGame(GameWorld* world, int stage, int difficulty, int randomIndex, int randomStep) {
    world->Reset();
    g_difficulty = difficulty;
    g_stage = stage;
    g_scene = SceneGame;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_replayPlayback = 0;
    g_quitRequested = 0;
    g_deviceLost = 0;
    g_clock = 5000;
    SetRandomState(randomIndex, randomStep);
    // A key held at the end of the previous run would go on counting its held frames.
    ReleaseAllScriptedKeys();
    std::fill(std::begin(g_inputHeld), std::end(g_inputHeld), 0);
    std::fill(std::begin(g_inputHeldFrames), std::end(g_inputHeldFrames), 0);
    std::fill(std::begin(g_gameInput), std::end(g_gameInput), 0);
    std::fill(std::begin(g_gameInputFrames), std::end(g_gameInputFrames), 0);
  }
};

}  // namespace play_harness
