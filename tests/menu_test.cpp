// The title and configuration menus: key repeat, the difficulty wrap, the REPLAY item that
// needs "replay.dat", game starts, the controller-button capture and the config writes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/MenuScreens.h"
#include "frontend/Menus.h"
#include "frontend/ReplayData.h"
#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace fs = std::filesystem;

namespace {

void LoadTestRandomTable() {
  std::vector<uint8_t> b(2 * kRandomTableSize);
  for (int i = 0; i < kRandomTableSize; ++i) {
    const int w = i == 0 ? kRandomTableSize : (i * 7919) & 0x7FFF;
    b[2 * i] = static_cast<uint8_t>(w & 0xFF);
    b[2 * i + 1] = static_cast<uint8_t>(w >> 8);
  }
  ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}

std::vector<int32_t> ReadSlots(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int32_t> slots;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | bytes[i + k];
    slots.push_back(static_cast<int32_t>(v));
  }
  return slots;
}

// Every test runs in a folder of its own: the menus read and write relative file names.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    char tmpl[] = "/tmp/wexla_menu_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    InitGameTables();
    LoadTestRandomTable();
    SetRandomState(0, 1);
    SetDefaultConfig(0);
    for (int i = 0; i < kPadButtons; ++i) g_padButtonMap[i] = g_config[i];
    g_bgmVolume = g_config[ConfigBgmVolume];
    g_seVolume = g_config[ConfigSeVolume];
    ResetCommandLineValues();
    g_replayPlayback = 0;
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    g_gameFrame = 0;
    g_menuCursor = 0;
    std::memset(pad_, 0, sizeof pad_);
    ReleaseAll();
    ResetSoundRequests();
    world_ = std::make_unique<GameWorld>();
  }
  void TearDown() override {
    world_.reset();
    fs::current_path(old_);
    fs::remove_all(dir_);
    ResetCommandLineValues();
    g_replayPlayback = 0;
  }

  static void ReleaseAll() {
    std::memset(g_inputHeld, 0, sizeof g_inputHeld);
    std::memset(g_inputHeldFrames, 0, sizeof g_inputHeldFrames);
  }
  // The live arrays of one frame with exactly these entries held, counted as the poll does.
  static void Hold(std::initializer_list<int> held) {
    for (int i = 0; i < kInputCount; ++i) {
      bool on = false;
      for (int h : held) on = on || h == i;
      g_inputHeld[i] = on ? 1 : 0;
      g_inputHeldFrames[i] = on ? g_inputHeldFrames[i] + 1 : 0;
    }
  }
  // One frame of the title scene as the frame loop runs it.
  void TitleFrame(std::initializer_list<int> held = {}) {
    g_gameFrame += 1;
    g_sceneFrame += 1;
    Hold(held);
    ResetSoundRequests();
    RunTitleMenu(&sound_, world_.get());
  }
  void ConfigFrame(std::initializer_list<int> held = {}) {
    g_gameFrame += 1;
    g_sceneFrame += 1;
    Hold(held);
    ResetSoundRequests();
    RunConfigMenu(&sound_, world_.get(), pad_);
  }
  void EnterConfig() {
    g_scene = SceneConfig;
    g_sceneFrame = 0;
    ConfigFrame();
  }
  void TouchReplayFile() { std::ofstream("replay.dat") << "x"; }
  // A real replay of a short game at the given difficulty, saved as "replay.dat".
  void SaveGoodReplay(int difficulty) {
    GameWorld w;
    g_difficulty = difficulty;
    g_stage = 1;
    w.recorder = new ReplayData();
    BeginReplayRecording(&w);
    for (int i = 0; i < 30; ++i) w.recorder->RecordInput(i < 10 ? 0 : 16);
    w.recorder->FlushRecording();
    FinishReplayHeader(&w);
    ASSERT_TRUE(SaveLatestReplay(&w));
  }

  SoundSystem sound_;
  PadArray pad_;
  std::unique_ptr<GameWorld> world_;
  fs::path old_, dir_;
};

TEST(MenuKeyRepeat, CountsAtOnceThenEveryFourthFrameFromTheTwentyFourth) {
  struct Case { int held; bool counts; } cases[] = {
      {0, false}, {1, true}, {2, false}, {4, false}, {20, false}, {21, false},
      {23, false}, {24, true}, {25, false}, {28, true}, {32, true}, {400, true},
  };
  for (const Case& c : cases) {
    g_inputHeldFrames[InputDown] = c.held;
    EXPECT_EQ(MenuKeyCounts(InputDown), c.counts) << c.held;
  }
  g_inputHeldFrames[InputDown] = 0;
}

TEST_F(MenuTest, TitleFirstFrameResetsStageDifficultyAndCursor) {
  g_config[ConfigDifficulty] = 2;
  g_stage = 5;
  g_difficulty = 7;
  g_menuCursor = 3;
  TitleFrame();
  EXPECT_EQ(g_stage, 1);
  EXPECT_EQ(g_difficulty, 2);
  EXPECT_EQ(g_menuCursor, 0);
  EXPECT_EQ(world_->player.lives, 0);
  EXPECT_EQ(world_->player.bombs, 0);
  EXPECT_EQ(world_->player.shields, 0);
  EXPECT_EQ(world_->player.y, -96.0f);
  // A damaged slot 18 never reaches the tables out of range.
  g_config[ConfigDifficulty] = 1000;
  g_sceneFrame = 0;
  TitleFrame();
  EXPECT_GE(g_difficulty, 0);
  EXPECT_LT(g_difficulty, SelectableDifficultyCount());
}

TEST_F(MenuTest, HeldDownMovesOnTheFirstFrameThenFromTheTwentyFourthEveryFourth) {
  TouchReplayFile();
  TitleFrame();
  std::vector<int> moves;
  int last = g_menuCursor;
  for (int f = 1; f <= 40; ++f) {
    TitleFrame({InputDown});
    if (g_menuCursor != last) {
      moves.push_back(f);
      EXPECT_TRUE(g_seRequested[SeCursor]);
    }
    last = g_menuCursor;
  }
  EXPECT_EQ(moves, (std::vector<int>{1, 24, 28, 32, 36, 40}));
  EXPECT_EQ(g_menuCursor, 6 % kTitleItems);
}

TEST_F(MenuTest, DifficultyWrapsAtTheSelectableCount) {
  g_config[ConfigDifficulty] = 0;
  TitleFrame();
  TitleFrame({InputLeft});
  EXPECT_EQ(g_difficulty, 3);
  EXPECT_TRUE(g_seRequested[SeCursor]);
  TitleFrame();
  TitleFrame({InputRight});
  EXPECT_EQ(g_difficulty, 0);
  // Left and Right together cancel: no change and no sound.
  TitleFrame();
  TitleFrame({InputLeft, InputRight});
  EXPECT_EQ(g_difficulty, 0);
  EXPECT_FALSE(g_seRequested[SeCursor]);

  // After an all clear on difficulty 3 the count is 5 and difficulty 4 can be chosen.
  g_config[ConfigDifficultyCount] = 5;
  TitleFrame();
  TitleFrame({InputLeft});
  EXPECT_EQ(g_difficulty, 4);
  TitleFrame();
  TitleFrame({InputRight});
  EXPECT_EQ(g_difficulty, 0);

  // A damaged count (0 or negative) must not divide by zero.
  for (int bad : {0, -3}) {
    g_config[ConfigDifficultyCount] = bad;
    TitleFrame();
    TitleFrame({InputLeft});
    EXPECT_GE(g_difficulty, 0);
    EXPECT_LT(g_difficulty, SelectableDifficultyCount());
  }
}

TEST_F(MenuTest, ReplayItemIsSkippedWithoutReplayFile) {
  TitleFrame();
  TitleFrame({InputDown});
  EXPECT_EQ(g_menuCursor, TitleItemConfig);
  TitleFrame();
  TitleFrame({InputUp});
  EXPECT_EQ(g_menuCursor, TitleItemGameStart);
  TitleFrame();
  TitleFrame({InputUp});
  EXPECT_EQ(g_menuCursor, TitleItemExit);

  TouchReplayFile();
  TitleFrame();
  TitleFrame({InputDown});
  EXPECT_EQ(g_menuCursor, TitleItemGameStart);
  TitleFrame();
  TitleFrame({InputDown});
  EXPECT_EQ(g_menuCursor, TitleItemReplay);
}

TEST_F(MenuTest, GameStartStoresTheDifficultyAndStartsALiveRecordedGame) {
  g_config[ConfigDifficulty] = 1;
  TitleFrame();
  TitleFrame();
  TitleFrame({InputRight});  // difficulty 2
  g_replayPlayback = 1;      // left over from an earlier playback
  world_->recorder = new ReplayData();  // the last game's recording
  world_->recorder->index = 999;
  g_gameInput[InputShot] = 1;
  g_gameInputFrames[InputShot] = 9;
  TitleFrame({InputShot});

  EXPECT_EQ(g_scene, SceneGame);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_EQ(g_gameFrame, 0);
  EXPECT_EQ(g_stage, 1);
  EXPECT_EQ(g_difficulty, 2);
  EXPECT_EQ(g_replayPlayback, 0);
  EXPECT_TRUE(g_seRequested[SeDecide]);
  ASSERT_NE(world_->recorder, nullptr);
  EXPECT_EQ(world_->recorder->index, kReplayHeaderWords);  // a new recording has begun
  EXPECT_NE(world_->recorder->runBuffer, nullptr);
  for (int i = 0; i < kInputCount; ++i) {
    EXPECT_EQ(g_inputHeld[i], 0);
    EXPECT_EQ(g_inputHeldFrames[i], 0);
    EXPECT_EQ(g_gameInput[i], 0);
    EXPECT_EQ(g_gameInputFrames[i], 0);
  }
  EXPECT_GE(g_replayKey1, 1);
  EXPECT_LE(g_replayKey1, 255);
  EXPECT_GE(g_replayKey2, 1);
  EXPECT_LE(g_replayKey2, 255);
  EXPECT_EQ(world_->player.lives, 1);  // a fresh player

  EXPECT_EQ(g_config[ConfigDifficulty], 2);
  const std::vector<int32_t> slots = ReadSlots("config.dat");
  ASSERT_EQ(slots.size(), static_cast<size_t>(kConfigSlots));
  for (int i = 0; i < kConfigSlots; ++i) EXPECT_EQ(slots[i], g_config[i]) << i;
}

// Slot 18 from 0 to 15 is the title's difficulty as it stands, beyond the selectable count too,
// and GAME START writes it back unchanged; only a value outside falls back to a selectable one.
TEST_F(MenuTest, TitleDifficultyFromSlot18AsWritten) {
  const struct { int32_t slot, shown; } cases[] = {{3, 3}, {5, 5}, {9, 9}, {15, 15}, {16, 3}, {-1, 0}, {1000, 3}};
  for (const auto& c : cases) {
    SetDefaultConfig(0);  // 4 selectable difficulties
    g_config[ConfigDifficulty] = c.slot;
    g_scene = SceneTitle;
    g_sceneFrame = 0;
    g_menuCursor = TitleItemGameStart;
    TitleFrame();
    EXPECT_EQ(g_difficulty, c.shown) << c.slot;
    TitleFrame();
    TitleFrame({InputShot});
    ASSERT_EQ(g_scene, SceneGame) << c.slot;
    EXPECT_EQ(g_difficulty, c.shown) << c.slot;
    const std::vector<int32_t> slots = ReadSlots("config.dat");
    ASSERT_EQ(slots.size(), static_cast<size_t>(kConfigSlots));
    EXPECT_EQ(slots[ConfigDifficulty], c.shown) << c.slot;
    EXPECT_EQ(slots[ConfigDifficultyCount], 4);
  }
  // From 9 the arrows step within the selectable count: (9 + 1 + 4) mod 4.
  g_config[ConfigDifficulty] = 9;
  g_scene = SceneTitle;
  g_sceneFrame = 0;
  TitleFrame();
  TitleFrame({InputRight});
  EXPECT_EQ(g_difficulty, 2);
}

TEST_F(MenuTest, ReplayPlaysTheFileBackWithItsDifficultyAndWritesNoConfig) {
  SaveGoodReplay(6);
  g_config[ConfigDifficulty] = 1;
  TitleFrame();
  TitleFrame({InputDown});
  ASSERT_EQ(g_menuCursor, TitleItemReplay);
  TitleFrame({InputShot});
  EXPECT_EQ(g_scene, SceneGame);
  EXPECT_EQ(g_replayPlayback, 1);
  EXPECT_EQ(g_difficulty, 6);
  ASSERT_NE(world_->recorder, nullptr);
  ASSERT_NE(world_->playback, nullptr);
  EXPECT_EQ(world_->recorder->header[ReplayOffsetDifficulty], 6);  // the recording takes the replay's start
  EXPECT_FALSE(fs::exists("config.dat"));
  EXPECT_EQ(g_config[ConfigDifficulty], 1);
}

TEST_F(MenuTest, CorruptReplayStartsALiveGameAtTheTitleDifficulty) {
  std::ofstream("replay.dat", std::ios::binary) << std::string(2000, '\x5A');
  g_config[ConfigDifficulty] = 2;
  TitleFrame();
  TitleFrame({InputDown});
  ASSERT_EQ(g_menuCursor, TitleItemReplay);
  TitleFrame({InputShot});
  EXPECT_EQ(g_scene, SceneGame);
  EXPECT_EQ(g_replayPlayback, 0);
  EXPECT_EQ(g_difficulty, 2);
  EXPECT_FALSE(fs::exists("config.dat"));
}

TEST_F(MenuTest, CommandLineReplayStartsOnTheFirstFrameWithoutKeyOrSound) {
  SaveGoodReplay(5);
  fs::rename("replay.dat", "given.dat");
  g_cmdPlayReplay = 1;
  std::snprintf(g_replayFileArg, sizeof g_replayFileArg, "%s", "given.dat");
  g_config[ConfigDifficulty] = 0;
  TitleFrame();
  EXPECT_EQ(g_scene, SceneGame);
  EXPECT_EQ(g_replayPlayback, 1);
  EXPECT_EQ(g_difficulty, 5);
  EXPECT_FALSE(g_seRequested[SeDecide]);
  // The config is written with the title's difficulty, before the replay sets its own.
  const std::vector<int32_t> slots = ReadSlots("config.dat");
  ASSERT_EQ(slots.size(), static_cast<size_t>(kConfigSlots));
  EXPECT_EQ(slots[ConfigDifficulty], 0);
}

TEST_F(MenuTest, ConfigAndExitItems) {
  TitleFrame();
  TitleFrame({InputUp});
  TitleFrame();
  TitleFrame({InputUp});
  ASSERT_EQ(g_menuCursor, TitleItemConfig);
  TitleFrame({InputShot});
  EXPECT_EQ(g_scene, SceneConfig);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_EQ(sound_.currentBgm, BgmConfig);
  EXPECT_FALSE(fs::exists("config.dat"));

  g_scene = SceneTitle;
  g_sceneFrame = 0;
  TitleFrame();
  TitleFrame({InputUp});
  ASSERT_EQ(g_menuCursor, TitleItemExit);
  TitleFrame({InputShot});
  EXPECT_EQ(g_scene, SceneQuit);
  EXPECT_EQ(g_sceneFrame, 0);
}

TEST_F(MenuTest, ConfigRowsWrapAndVolumesClamp) {
  EnterConfig();
  EXPECT_EQ(g_menuCursor, 0);
  ConfigFrame({InputUp});
  EXPECT_EQ(g_menuCursor, ConfigItemExit);
  ConfigFrame();
  ConfigFrame({InputDown});
  EXPECT_EQ(g_menuCursor, ConfigItemBgmVolume);

  g_bgmVolume = 9950;
  ConfigFrame({InputRight});
  EXPECT_EQ(g_bgmVolume, 10000);
  EXPECT_EQ(g_config[ConfigBgmVolume], 10000);
  EXPECT_TRUE(g_seRequested[SeVolume]);
  ConfigFrame();
  ConfigFrame({InputRight});
  EXPECT_EQ(g_bgmVolume, 10000);

  ConfigFrame();
  ConfigFrame({InputDown});
  g_seVolume = 50;
  ConfigFrame({InputLeft});
  EXPECT_EQ(g_seVolume, 0);
  EXPECT_EQ(g_config[ConfigSeVolume], 0);
  EXPECT_EQ(g_config[ConfigBgmVolume], 10000);

  // A volume given outside 0..10000 is stepped from where it stands, into the menu's bounds.
  const struct { int start, d, want; } steps[] = {{-5, 1, 95}, {-5, -1, 0}, {20000, -1, 10000}, {20000, 1, 10000}};
  for (const auto& st : steps) {
    g_seVolume = st.start;
    ConfigFrame();
    ConfigFrame({st.d > 0 ? InputRight : InputLeft});
    EXPECT_EQ(g_seVolume, st.want) << st.start << " " << st.d;
    EXPECT_EQ(g_config[ConfigSeVolume], st.want);
  }
}

TEST_F(MenuTest, ButtonCaptureOnTheButtonRows) {
  EnterConfig();
  ConfigFrame({InputDown});
  ConfigFrame();
  ConfigFrame({InputDown});
  ASSERT_EQ(g_menuCursor, ConfigItemAttack);

  pad_[4 + 5] = 1;
  ConfigFrame();
  EXPECT_EQ(g_config[0], 5);
  EXPECT_EQ(g_padButtonMap[0], 5);
  EXPECT_TRUE(g_seRequested[SeDecide]);
  ConfigFrame();  // still held: no change, no sound
  EXPECT_FALSE(g_seRequested[SeDecide]);
  pad_[4 + 5] = 0;

  pad_[4 + 1] = 1;
  ConfigFrame();
  EXPECT_EQ(g_config[0], 1);
  pad_[4 + 1] = 0;

  // Of several held buttons the highest wins; 12..15 are never taken.
  pad_[4 + 3] = 1;
  pad_[4 + 7] = 1;
  pad_[4 + 12] = 1;
  pad_[4 + 15] = 1;
  ConfigFrame();
  EXPECT_EQ(g_config[0], 7);
  EXPECT_EQ(g_padButtonMap[0], 7);
  std::memset(pad_, 0, sizeof pad_);

  ConfigFrame({InputLeft});
  EXPECT_EQ(g_config[0], -1);
  EXPECT_EQ(g_padButtonMap[0], -1);
  EXPECT_TRUE(g_seRequested[SeDecide]);
  ConfigFrame();
  ConfigFrame({InputLeft});  // already none: no sound
  EXPECT_FALSE(g_seRequested[SeDecide]);
  ConfigFrame();
  ConfigFrame({InputRight});
  EXPECT_EQ(g_config[0], 0);  // the default button of the shot

  // The Bomb row's default is button 2; off the button rows nothing is captured.
  ConfigFrame({InputDown});
  ConfigFrame();
  ConfigFrame({InputDown});
  ASSERT_EQ(g_menuCursor, ConfigItemBomb);
  ConfigFrame({InputLeft});
  ConfigFrame();
  ConfigFrame({InputRight});
  EXPECT_EQ(g_config[2], 2);
  ConfigFrame({InputDown});
  pad_[4 + 9] = 1;
  ConfigFrame();
  EXPECT_EQ(g_config[2], 2);
  EXPECT_EQ(g_config[0], 0);
  EXPECT_EQ(g_config[1], 1);
}

TEST_F(MenuTest, ScreenSettingsChangeOnlyTheSlots) {
  EnterConfig();
  for (int i = 0; i < 5; ++i) {
    ConfigFrame({InputDown});
    ConfigFrame();
  }
  ASSERT_EQ(g_menuCursor, ConfigItemFullscreen);
  g_config[ConfigFullscreen] = 0;
  g_fullscreen = 0;
  ConfigFrame({InputRight});
  EXPECT_EQ(g_config[ConfigFullscreen], 1);
  EXPECT_EQ(g_fullscreen, 0);
  EXPECT_TRUE(g_seRequested[SeDecide]);
  ConfigFrame();
  ConfigFrame({InputRight});
  EXPECT_FALSE(g_seRequested[SeDecide]);
  ConfigFrame({InputDown});
  ConfigFrame({InputRight});
  EXPECT_EQ(g_config[ConfigRotate], 1);
  ConfigFrame();
  ConfigFrame({InputLeft});
  EXPECT_EQ(g_config[ConfigRotate], 0);
}

TEST_F(MenuTest, LeavingTheConfigWritesTheFile) {
  // Z on another row does not leave.
  EnterConfig();
  ConfigFrame({InputShot});
  EXPECT_EQ(g_scene, SceneConfig);
  EXPECT_FALSE(fs::exists("config.dat"));

  // Z on Exit.
  ConfigFrame({InputUp});
  ASSERT_EQ(g_menuCursor, ConfigItemExit);
  g_config[ConfigSeVolume] = 1234;
  ConfigFrame({InputShot});
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_TRUE(g_seRequested[SeDecide]);
  EXPECT_EQ(sound_.currentBgm, BgmTitle);
  std::vector<int32_t> slots = ReadSlots("config.dat");
  ASSERT_EQ(slots.size(), static_cast<size_t>(kConfigSlots));
  EXPECT_EQ(slots[ConfigSeVolume], 1234);

  // Escape on any row writes it just the same.
  fs::remove("config.dat");
  EnterConfig();
  ConfigFrame({InputDown});
  g_config[ConfigRotate] = 1;
  ConfigFrame({InputEscape});
  EXPECT_EQ(g_scene, SceneTitle);
  slots = ReadSlots("config.dat");
  ASSERT_EQ(slots.size(), static_cast<size_t>(kConfigSlots));
  for (int i = 0; i < kConfigSlots; ++i) EXPECT_EQ(slots[i], g_config[i]) << i;
}

TEST_F(MenuTest, ConfigFirstFrameResetsTheWorld) {
  ConstructEffect(world_.get(), 0, 10.0f, 10.0f, 0.0f, 0.0f, 100);
  g_menuCursor = 5;
  EnterConfig();
  EXPECT_EQ(g_menuCursor, 0);
  EXPECT_EQ(world_->effects.count, 0);
}

// The two screens as drawn: lines of text rebuilt from the glyph quads of one colour.
class MenuDrawTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    SelectGraphicsBackend(GraphicsBackendRecording);
    g_graphicsRecorder.Clear();
    ASSERT_EQ(gfx_.CreateDirect3D(), 0);
    ASSERT_EQ(gfx_.CreateDevice(nullptr, 0, 0), 0);
  }
  std::vector<RecordedCall> Draw(void (*screen)(Graphics*, GameWorld*)) {
    g_graphicsRecorder.calls.clear();
    EXPECT_TRUE(gfx_.BeginFrame());
    screen(&gfx_, world_.get());
    gfx_.EndFrame();
    return g_graphicsRecorder.Draws();
  }
  // The text of colour argb on the line at playfield y, from x0 on (blanks between glyphs).
  static std::string Line(const std::vector<RecordedCall>& draws, uint32_t argb, float x0, float y) {
    std::map<int, char> at;
    for (const RecordedCall& d : draws) {
      if (d.v[0].color != argb || d.v[0].y != y) continue;
      for (int row = 0; row < 126; ++row) {
        const SpriteDef& s = g_spriteDefs[row];
        if (d.v[0].u == s.srcU / 639.0f && d.v[0].v == s.srcV / 479.0f) {
          at[static_cast<int>((d.v[0].x - 140.0f - x0) / 11.0f)] = static_cast<char>(row < 96 ? row + 32 : row + 0x51);
          break;
        }
      }
    }
    std::string out;
    for (const auto& [column, c] : at) {
      if (column < 0) continue;
      out.resize(static_cast<size_t>(column), ' ');
      out += c;
    }
    return out;
  }
  Graphics gfx_;
};

TEST_F(MenuDrawTest, TitleShowsTheTableOfTheDifficultyAndTheItem) {
  SetDefaultHighScores();
  g_highScores[3][2] = HighScoreEntry{12345678, 3, 42, 7, {'A', 'C', 'E', ' ', ' ', ' ', ' ', ' '}, -1};
  g_difficulty = 3;
  g_menuCursor = TitleItemConfig;
  g_sceneFrame = 49;
  std::vector<RecordedCall> d = Draw(DrawTitleScreen);
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 0, 0), "WEXLA ver.20090714");
  EXPECT_EQ(Line(d, 0xFF40FF80u, 0, 18), std::string("DIFFICULTY : ") + g_difficultyNames[3]);
  EXPECT_EQ(Line(d, 0xFFFF8070u, 0, 54), " 1st no name");
  EXPECT_EQ(Line(d, 0xFFC0FFE0u, 0, 72), "   000000100000 001000 0001 01");
  EXPECT_EQ(Line(d, 0xFFFF8070u, 0, 126), " 3rd ACE");
  EXPECT_EQ(Line(d, 0xFFC0FFE0u, 0, 144), "   000312345678 000042 0007 ALL");
  EXPECT_EQ(Line(d, 0xFFFF8070u, 0, 378), "10th no name");
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 121, 441), "  CONFIG");
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 105, 421), "      \xB3");
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 105, 439), "\xB1           \xB2");
  // The arrows blink: hidden for the next 50 frames.
  g_sceneFrame = 50;
  d = Draw(DrawTitleScreen);
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 105, 421), "");
  EXPECT_EQ(Line(d, 0xFFFFFFFFu, 121, 441), "  CONFIG");
}

TEST_F(MenuDrawTest, ConfigShowsTheSlotsAndTheCursorBar) {
  g_bgmVolume = 8050;
  g_seVolume = 0;
  g_config[0] = 5;
  g_config[1] = -1;
  g_padButtonMap[1] = 3;  // a button from the command line is not shown
  g_config[ConfigFullscreen] = 1;
  g_config[ConfigRotate] = 0;
  g_menuCursor = ConfigItemSlow;
  const std::vector<RecordedCall> d = Draw(DrawConfigScreen);
  EXPECT_EQ(Line(d, 0xFFFFF080u, 0, 72), " BGM Volume");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 72), " 80");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 90), "  0");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 162), " 05");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 180), " --");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 198), " 02");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 306), "enabled");
  EXPECT_EQ(Line(d, 0xFFFF6080u, 132, 324), "disabled");
  EXPECT_EQ(Line(d, 0xFFFFF080u, 0, 414), "Exit");
  EXPECT_EQ(Line(d, 0xFFD0E0F0u, 0, 270), "               from next time.");
  int bar = 0;
  for (const RecordedCall& c : d) {
    if (c.v[0].color != 0xFF208030u) continue;
    ++bar;
    EXPECT_EQ(c.blendMode, BlendAdditive);
  }
  EXPECT_EQ(bar, 32);
  EXPECT_EQ(d.back().blendMode, BlendAdditive);
}

}  // namespace
