// Records the pilot's whole games, started from the title menu like a player's, as ordinary
// replay files under tests/data/ (the benchmark plays them). A tool, not a check: run it with
//   wexla_tests --gtest_also_run_disabled_tests --gtest_filter='PilotGames.*'
// whenever the stages change.

#include <gtest/gtest.h>

#include "tests/PlayHarness.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/FrameLoop.h"
#include "frontend/ReplayData.h"
#include "world/GameWorld.h"

namespace {

namespace fs = std::filesystem;
using namespace play_harness;

class PilotGames : public PlayFixture {
 protected:
  void SetUp() override { Prepare("wexla_pilot_games", {"st01.txt", "st02.txt", "st05.txt", "st06.txt"}); }

  void Step(GameWorld* world) { RunFrame(&gfx, &sound, &joystick, world); }

  // Title, GAME START at the difficulty, the pilot until the game ends, then Z to the result
  // screen, whose first frame saves replay.dat. Returns the game frames played.
  int PlayFromTitle(GameWorld* world, int difficulty, int maxFrames) {
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    ReleaseAllScriptedKeys();
    Step(world);
    g_difficulty = difficulty;  // the title's cursor, without walking it there
    SetScriptedKeyHeld(KeyZ, true);
    Step(world);
    ReleaseAllScriptedKeys();
    EXPECT_EQ(g_scene, SceneGame);
    int frames = 0;
    while (g_scene == SceneGame && frames < maxFrames) {
      HoldPilotKeys(ChoosePilotKeys(*world, true, true), true);
      Step(world);
      ++frames;
    }
    for (int i = 0; i < 200 && g_scene != SceneResult; ++i) {
      ReleaseAllScriptedKeys();
      Step(world);
      SetScriptedKeyHeld(KeyZ, true);
      Step(world);
    }
    ReleaseAllScriptedKeys();
    Step(world);
    return frames;
  }
};

TEST_F(PilotGames, DISABLED_RecordReplays) {
  for (int difficulty : {0, 3, 7}) {
    GameWorld* world = new GameWorld();
    const int frames = PlayFromTitle(world, difficulty, 60000);
    delete world;
    ASSERT_TRUE(fs::exists("replay.dat"));
    const fs::path out = fs::path(WEXLA_SOURCE_DIR) / "tests" / "data" / ("pilot_d" + std::to_string(difficulty) + ".dat");
    fs::copy_file("replay.dat", out, fs::copy_options::overwrite_existing);
    std::printf("difficulty %d: %d frames of play, stage %d -> %s\n", difficulty, frames, g_stage, out.c_str());
  }
}

}  // namespace
