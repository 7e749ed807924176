#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cstring>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
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

uint32_t g_fakeNow = 0;
uint32_t FakeClock() { return g_fakeNow; }

// A clock that moves on by one millisecond at every read, so the pacing loop finds its tick.
uint32_t TickingClock() { return g_fakeNow++; }

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformEnableMessageBoxes(false);
    ResetCommandLineValues();
    SelectGraphicsBackend(GraphicsBackendRecording);
    g_graphicsRecorder.Clear();
    ASSERT_EQ(gfx.CreateDirect3D(), 0);
    ASSERT_EQ(gfx.CreateDevice(nullptr, 0, 0), 0);
    sound.Init(nullptr, SoundOutputNone);
    SelectInputSource(InputSourceScripted);
    ReleaseAllScriptedKeys();
    std::vector<uint8_t> table(2 * kRandomTableSize, 1);
    table[0] = kRandomTableSize & 0xFF;
    table[1] = kRandomTableSize >> 8;
    ASSERT_EQ(LoadRandomTableFromBytes(table.data(), static_cast<long>(table.size())), 0);
    SeedRandomWalk(1000);
    InitGameTables();
    SetDefaultHighScores();
    world = new GameWorld();
    g_gameFrame = 0;
    g_quitRequested = 0;
    g_deviceLost = 0;
    g_replayPlayback = 0;
    g_fakeNow = 5000;
    PlatformSetClock(TickingClock);
  }
  void TearDown() override {
    PlatformSetClock(nullptr);
    delete world;
  }
  void Frame() { RunFrame(&gfx, &sound, &joystick, world); }
  int Presents() const {
    int n = 0;
    for (const RecordedCall& c : g_graphicsRecorder.calls) n += c.kind == RecordedPresent;
    return n;
  }
  void StartGameScene() {
    g_scene = SceneGame;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_stage = 1;
  }

  Graphics gfx;
  SoundSystem sound;
  JoystickInput joystick;
  GameWorld* world = nullptr;
};

}  // namespace

TEST_F(FrameLoop, CountersAndTitleEscape) {
  EXPECT_EQ(g_scene, SceneTitle);
  Frame();
  EXPECT_EQ(g_gameFrame, 1);
  EXPECT_EQ(g_sceneFrame, 1);
  EXPECT_EQ(sound.currentBgm, BgmTitle);  // the title music starts on the first frame
  Frame();
  EXPECT_EQ(g_gameFrame, 2);
  EXPECT_FALSE(g_quitRequested);
  SetScriptedKeyHeld(KeyEscape, true);
  Frame();
  EXPECT_TRUE(g_quitRequested);
  EXPECT_EQ(Presents(), 3);
}

TEST_F(FrameLoop, StageAndGameStartByDifficulty) {
  struct Case { int difficulty; float speed; int power; } cases[] = {
      {0, 3.5f, 11}, {1, 4.0f, 9}, {2, 4.5f, 6}, {3, 5.0f, 3}, {4, 5.8f, 0}, {6, 7.6f, 0}, {7, 8.5f, 0},
  };
  for (const Case& c : cases) {
    world->Reset();
    g_difficulty = c.difficulty;
    g_highScores[c.difficulty][0].scoreLow = 4321;
    StartGameScene();
    Frame();
    ASSERT_NE(world->stageScript, nullptr);
    EXPECT_FLOAT_EQ(g_bulletSpeedBase, c.speed) << c.difficulty;
    EXPECT_EQ(world->player.power, c.power) << c.difficulty;
    EXPECT_EQ(world->player.shownHighScoreLow, 4321);
    EXPECT_EQ(world->player.startParams.power, c.power);
    EXPECT_EQ(world->player.shotPressFrames, 7);
  }
  // A later stage start keeps the player's power: only a game's first frame sets it.
  world->player.power = 15;
  g_sceneFrame = 0;
  g_stage = 2;
  Frame();
  EXPECT_EQ(world->player.power, 15);
  g_cmdPower = 20;
  StartGameScene();
  Frame();
  EXPECT_EQ(world->player.power, 20);
}

TEST_F(FrameLoop, EscapeAndShotLeaveTheScenes) {
  StartGameScene();
  Frame();
  SetScriptedKeyHeld(KeyEscape, true);
  Frame();
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(g_sceneFrame, 0);
  ReleaseAllScriptedKeys();
  // The game end: Z clears the lists and opens the result screen.
  g_scene = SceneGameEnd;
  g_sceneFrame = 0;
  Frame();
  EXPECT_EQ(g_scene, SceneGameEnd);
  SetScriptedKeyHeld(KeyZ, true);
  Frame();
  EXPECT_EQ(g_scene, SceneResult);
  EXPECT_EQ(world->effects.count, 0);
}

TEST_F(FrameLoop, FastForwardDrawsEveryKthFrameDuringPlayback) {
  struct Case { bool z, x; int expected; } cases[] = {{false, false, 120}, {true, false, 60}, {false, true, 30},
                                                     {true, true, 2}};
  for (const Case& c : cases) {
    g_graphicsRecorder.calls.clear();
    // A menu where Z decides nothing (on the title Z would start a game).
    g_scene = SceneConfig;
    g_sceneFrame = 0;
    g_replayPlayback = 1;  // it stays set after a playback: the keys still skip drawing
    ReleaseAllScriptedKeys();
    SetScriptedKeyHeld(KeyZ, c.z);
    SetScriptedKeyHeld(KeyX, c.x);
    const uint32_t before = g_fakeNow;
    for (int i = 0; i < 120; ++i) Frame();
    EXPECT_EQ(Presents(), c.expected) << c.z << c.x;
    if (c.expected == 120) {
      EXPECT_GT(g_fakeNow - before, 1900u);  // paced: about two seconds
    }
  }
}

TEST_F(FrameLoop, PacingEndsOnTicksAndCountsFrames) {
  PlatformSetClock(TickingClock);
  g_prevFrameTime = 0;
  Frame();  // the first frame ends at once
  std::vector<uint32_t> ends;
  for (int i = 0; i < 130; ++i) {
    Frame();
    ends.push_back(g_prevFrameTime);
  }
  for (size_t i = 1; i < ends.size(); ++i) {
    const uint32_t prevTick = ends[i - 1] * 60 / 1000;
    const uint32_t tick = ends[i] * 60 / 1000;
    EXPECT_EQ(tick, prevTick + 1) << i;                  // one tick per frame
    EXPECT_NE((ends[i] - 1) * 60 / 1000, tick) << i;     // at its first millisecond
  }
  EXPECT_EQ(g_fpsMeasured, 60);
  // A frame whose logic ran late ends at once.
  PlatformSetClock(FakeClock);
  g_fakeNow = g_prevFrameTime + 40;
  Frame();
  EXPECT_EQ(g_prevFrameTime, g_fakeNow);
}

// Near the wrap of the tick product (71,582,788 ms) and of the clock itself, frames end on the
// same milliseconds whether the wait sleeps or spins, and every frame sleeps for most of it.
TEST_F(FrameLoop, PacingSleepsAcrossBothWraps) {
  static std::vector<uint32_t> slept;
  auto frameEnds = [&](uint32_t start, bool sleeping) {
    PlatformSetSleep(sleeping ? +[](uint32_t ms) {
      slept.back() += ms;
      g_fakeNow += ms;
    } : nullptr);
    g_fakeNow = start;
    g_prevFrameTime = start;
    std::vector<uint32_t> ends;
    slept.clear();
    for (int i = 0; i < 40; ++i) {
      slept.push_back(0);
      Frame();
      ends.push_back(g_prevFrameTime);
    }
    PlatformSetSleep(nullptr);
    return ends;
  };
  for (uint32_t start : {71582788u - 300u, 0xFFFFFFFFu - 300u}) {
    SCOPED_TRACE(start);
    const std::vector<uint32_t> spun = frameEnds(start, false);
    const std::vector<uint32_t> ends = frameEnds(start, true);
    EXPECT_EQ(ends, spun);
    uint32_t prev = start;
    for (size_t i = 0; i < ends.size(); ++i) {
      const uint32_t tick = ends[i] * 60u / 1000u;
      EXPECT_NE(tick, prev * 60u / 1000u) << i;       // a new tick
      EXPECT_NE((ends[i] - 1) * 60u / 1000u, tick) << i;  // at its first millisecond
      EXPECT_GE(slept[i] + 4, ends[i] - prev) << i;    // asleep for all but the last ms
      prev = ends[i];
    }
    EXPECT_LT(ends.back() * 60u, start * 60u);  // the run crossed the wrap of the product
  }
}

// The player through the real frame loop: the fly-in, steering left into the wall with the shot
// held, a bullet field made at frame 360, then steering right through it; two runs give the
// same world frame by frame.
TEST_F(FrameLoop, ScriptedPlayerThroughTheRealFrameLoop) {
  struct State {
    float x, y;
    int grazeCount, hitCount, shields, state, randomIndex, randomStep, shots, bullets, effects;
    bool operator==(const State&) const = default;
  };
  auto play = [&]() {
    std::vector<State> states;
    world->Reset();
    LoadTestTable();
    SetRandomState(1234, 17);
    g_difficulty = 0;
    StartGameScene();
    for (int frame = 1; frame <= 450; ++frame) {
      if (frame == 360) {
        BulletList& l = world->bullets;
        for (float bx : {118.25f, 208.25f}) ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, bx, 420, 0, 0, 1, 1);
        ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, 300.25f, 400, 0, 0, 1, 1);
      }
      ReleaseAllScriptedKeys();
      if (frame > 60 && frame <= 120) {
        SetScriptedKeyHeld(KeyLeft, true);
        SetScriptedKeyHeld(KeyZ, true);
      } else if (frame > 360) {
        SetScriptedKeyHeld(KeyRight, true);
      }
      Frame();
      const Player& p = world->player;
      states.push_back({p.x, p.y, p.grazeCount, p.hitCount, p.shields, p.state, g_randomIndex, g_randomStep,
                        world->shots.count, world->bullets.count, world->effects.count});
    }
    return states;
  };
  const std::vector<State> run = play();
  auto at = [&](int frame) { return run[frame - 1]; };
  EXPECT_EQ(world->player.startParams.power, 11);  // difficulty 0 starts at power 11
  EXPECT_FLOAT_EQ(at(60).x, 180.0f);               // the fly-in ignores the keys
  EXPECT_FLOAT_EQ(at(100).x, 2.0f);                // then left into the wall
  EXPECT_GT(at(100).shots, 0);                     // firing by power level
  EXPECT_EQ(at(424).grazeCount, 10);
  EXPECT_EQ(at(424).hitCount, 0);
  EXPECT_EQ(at(425).hitCount, 1);
  EXPECT_EQ(at(425).shields, 4);
  EXPECT_FLOAT_EQ(at(450).y, 400.0f);
  ReleaseAllScriptedKeys();
  Frame();  // held counts drop back to 0 before the second run
  const std::vector<State> again = play();
  for (size_t i = 0; i < run.size(); ++i) ASSERT_TRUE(run[i] == again[i]) << "frame " << i + 1;
}

namespace {
std::vector<int> g_stepsSeen;
void RecordStep(int step) { g_stepsSeen.push_back(step); }
}  // namespace

// The timing hook hears every update step of a frame of play in the order they run, then the
// end of the logic; a menu frame has only the end.
TEST_F(FrameLoop, StepHookHearsEveryStepInOrder) {
  g_frameStepHook = RecordStep;
  g_stepsSeen.clear();
  Frame();  // the title
  StartGameScene();
  Frame();
  g_frameStepHook = nullptr;
  std::vector<int> expected = {FrameStepLogicEnd};
  for (int s = FrameStepPlayer; s <= FrameStepLogicEnd; ++s) expected.push_back(s);
  EXPECT_EQ(g_stepsSeen, expected);
}
