#pragma once
// What the whole-stage plays share: a ticking clock, a fixture that runs the real frame loop on
// recording graphics, no sound device and scripted keys in a temporary folder holding the stage
// files, and the headless driver's dodging pilot.

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
#include "tools/headless/Pilot.h"

namespace play_harness {

// A clock that moves on by one millisecond at every read, so the pacing loop finds its tick.
inline uint32_t g_clock = 0;
inline uint32_t TickingClock() { return g_clock++; }

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// An enemy shot down in the field in the frame just run. A kill shows the counter 2 after its
// frame; so does an enemy removed as it leaves, but outside the field or, for the ships that
// climb out over the top and remove themselves there, above it.
inline bool DiedInTheField(const Enemy* e) { return e->dyingCounter == 2 && e->y >= 0 && !IsEnemyOffField(e); }

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
