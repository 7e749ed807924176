// The result screen: the flying text, its steps and phases, the name entry, the save question,
// the files it writes and the messages about them, and its dialog drawing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/HighScore.h"
#include "frontend/MenuScreens.h"
#include "frontend/ReplayData.h"
#include "frontend/ResultScreen.h"
#include "platform/Graphics.h"
#include "platform/GraphicsDevice.h"
#include "platform/Input.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "world/Effect.h"
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

// The text byte an effect's sprite shows: the centred font rows 1024.. back to bytes (a
// newline and a blank both show glyph 0 and read as a blank).
char ByteOfGlyphSprite(const SpriteRecord& s) {
  for (int g = 0; g < 126; ++g) {
    const SpriteDef& d = g_spriteDefs[1024 + g];
    if (d.srcU == s.srcU && d.srcV == s.srcV && d.srcWidth == s.srcWidth && d.srcHeight == s.srcHeight)
      return static_cast<char>(g < 96 ? g + 32 : g + 81);
  }
  return '?';
}

std::string Flat(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

struct Spawned {
  std::string text;
  std::vector<const Effect*> glyphs;
};

// The text glyphs in list order from the n-th effect on.
Spawned TextGlyphs(const GameWorld& w, int from = 0) {
  Spawned out;
  int i = 0;
  for (const Effect* e = w.effects.head; e; e = e->next, ++i) {
    if (i < from || e->kind != EffectTextGlyph) continue;
    out.text += ByteOfGlyphSprite(e->sprite);
    out.glyphs.push_back(e);
  }
  return out;
}

std::vector<const Effect*> CursorGlyphs(const GameWorld& w) {
  std::vector<const Effect*> out;
  for (const Effect* e = w.effects.head; e; e = e->next)
    if (e->kind == EffectPlain) out.push_back(e);
  return out;
}

int EffectCount(const GameWorld& w) { return w.effects.count; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    char tmpl[] = "/tmp/wexla_result_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    InitGameTables();
    LoadTestRandomTable();
    SetRandomState(0, 1);
    SetDefaultHighScores();
    ResetCommandLineValues();
    g_replayPlayback = 0;
    g_difficulty = 2;
    g_stage = 2;
    g_scene = SceneResult;
    g_sceneFrame = 0;
    std::memset(g_inputHeld, 0, sizeof g_inputHeld);
    std::memset(g_inputHeldFrames, 0, sizeof g_inputHeldFrames);
    world_ = std::make_unique<GameWorld>();
    world_->recorder = new ReplayData();
    BeginReplayRecording(world_.get());
    for (int i = 0; i < 50; ++i) world_->recorder->RecordInput(i % 7);
    CloseReplayRecording(world_.get(), 50);
    Player& p = world_->player;
    p.startParams = PlayerStartParams{2, 1, 6, 5, 3, 0, 0};
    SetScore(0, 0);
  }
  void TearDown() override {
    world_.reset();
    fs::current_path(old_);
    fs::remove_all(dir_);
    g_replayPlayback = 0;
  }

  void SetScore(int low, int high) {
    world_->player.scoreLow = low;
    world_->player.scoreHigh = high;
  }
  static void Hold(std::initializer_list<int> held) {
    for (int i = 0; i < kInputCount; ++i) {
      bool on = false;
      for (int h : held) on = on || h == i;
      g_inputHeld[i] = on ? 1 : 0;
      g_inputHeldFrames[i] = on ? g_inputHeldFrames[i] + 1 : 0;
    }
  }
  void Frame(std::initializer_list<int> held = {}) {
    g_sceneFrame += 1;
    Hold(held);
    RunResultScreen(world_.get(), &sound_);
  }
  // A key pressed for one frame and released in the next.
  void Tap(int input) {
    Frame({input});
    Frame();
  }
  // First frame, then the text completes at once and the rank step and the setup follow.
  void OpenDialog() {
    Frame();
    Frame({InputShot});
    Frame();  // ranked step
    Frame();  // setup
    ASSERT_EQ(r().resultStep, 0);
  }
  // Moves the grid cursor to (column, row) by taps.
  void MoveTo(int column, int row) {
    while (r().cursorColumn != column) Tap(InputRight);
    while (r().cursorRow != row) Tap(InputDown);
  }
  void TypeCell(int column, int row) {
    MoveTo(column, row);
    Tap(InputShot);
  }
  ResultScreenState& r() { return world_->result; }

  SoundSystem sound_;
  std::unique_ptr<GameWorld> world_;
  fs::path old_, dir_;
};

TEST_F(ResultTest, SpawnTextEffectsDrawsFiveNumbersPerGlyphInOrder) {
  SetRandomState(100, 3);
  Effect *head = nullptr, *tail = nullptr;
  int32_t count = 0;
  int n = 4;
  float x = 20.0f, y = 30.0f;
  SpawnTextEffects("A\n\xB1\x80", &n, &x, &y, 0xFF123456u, &head, &tail, &count);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(n, 8);
  EXPECT_EQ(x, 6.0f + 22.0f);
  EXPECT_EQ(y, 48.0f);

  SetRandomState(100, 3);
  const float xs[4] = {20, 31, 6, 17};
  const float ys[4] = {30, 30, 48, 48};
  const char bytes[4] = {'A', ' ', static_cast<char>(0xB1), ' '};  // 0x80 and the newline show a blank
  int i = 0;
  for (Effect* e = head; e; e = e->next, ++i) {
    const float angle = RandomFloat(360.0f);
    const int sign = RandomInt(2);
    const float distance = RandomFloat(100.0f);
    const float phase = RandomFloat(360.0f);
    const float step = RandomFloat(0.8f);
    EXPECT_EQ(e->kind, EffectTextGlyph);
    EXPECT_EQ(e->lifetime, 0x7FFFFFFF);
    EXPECT_EQ(e->x, xs[i]);
    EXPECT_EQ(e->y, ys[i]);
    EXPECT_EQ(ByteOfGlyphSprite(e->sprite), bytes[i]);
    EXPECT_EQ(e->orbitAngle, angle);
    EXPECT_EQ(e->orbitRadius, static_cast<float>(2 * sign - 1) * (distance + 300.0f));
    EXPECT_EQ(e->orbitAngleVel, 3.0f);
    EXPECT_EQ(e->orbitAngleVelFactor, 1.0f);
    EXPECT_EQ(e->startColor, 0xFF123456u);
    EXPECT_EQ(e->endColor, 0xFF123456u);
    EXPECT_EQ(e->params[0], (4 + i) / 2);
    EXPECT_EQ(e->GetParamFloat(3), 8.0f);
    EXPECT_EQ(e->GetParamFloat(4), phase);
    EXPECT_EQ(e->GetParamFloat(5), step + 2.6f);
  }
  EffectList list{head, tail, count};
  ClearEffectList(&list);
  head = tail = nullptr;
  count = 0;

  // A count from -65535 gives negative delays: the glyphs stand at once.
  n = -65535;
  SpawnTextEffects("ab", &n, &x, &y, 0xFFFFFFFFu, &head, &tail, &count);
  EXPECT_LT(head->params[0], 0);
  EXPECT_LT(head->next->params[0], 0);
  list = EffectList{head, tail, count};
  ClearEffectList(&list);
}

TEST_F(ResultTest, FirstFramePrintsTheGameAndSavesTheLatestReplay) {
  g_stage = 5;
  Player& p = world_->player;
  // Stages 1, 2 and 5 were played; 3 and 4 lie outside the stage order and have no records.
  p.stageScore[1] = {1234, 0};
  p.stageGaugeTotal[1] = 10;
  p.stageHitCount[1] = 1;
  p.stageScore[2] = {0, 0};
  p.stageHitCount[2] = 2;
  p.stageScore[5] = {99, 1};
  SetScore(1333, 1);
  p.gaugeTotal = 10;
  p.hitCount = 3;
  p.startParams = PlayerStartParams{12, 2, 9, 4, 3, 0, 0};

  Frame({InputShot});  // a press on the first frame is not acted on

  char expected[2048];
  std::snprintf(expected, sizeof expected,
                "Initial Parameters\nMode       Standard\nDifficulty %s\n"
                "\xB6/Pow/\xB7/\xB8    2 /   9 /   4/   3\nOption       0 - %s\n"
                "\nStage Result\n               Score   Item Miss\n"
                "Stage 1 000000001234     10    1\nStage 2 000000000000      0    2\n"
                "Stage 5 000100000099      0    0\nTotal   000100001333     10    3\n\n",
                g_difficultyNames[12], g_optionTypeNames[1]);
  const Spawned s = TextGlyphs(*world_);
  EXPECT_EQ(s.text, Flat(expected));
  EXPECT_EQ(g_resultTextLength, static_cast<int>(std::strlen(expected)));
  EXPECT_EQ(g_resultTimer, 0);
  EXPECT_EQ(r().resultStep, ResultStepReveal);
  EXPECT_EQ(r().resultPhase, ResultPhaseNone);
  ASSERT_FALSE(s.glyphs.empty());
  EXPECT_EQ(s.glyphs[0]->x, 6.0f);
  EXPECT_EQ(s.glyphs[0]->y, 9.5f);
  EXPECT_EQ(s.glyphs[0]->endColor, 0xFFFFA020u);
  EXPECT_EQ(s.glyphs[19]->x, 6.0f);  // first glyph of the second line
  EXPECT_EQ(s.glyphs[19]->y, 27.5f);
  EXPECT_EQ(s.glyphs[19]->endColor, 0xFF50FF30u);
  EXPECT_EQ(s.glyphs[s.glyphs.size() - 1]->params[0], (g_resultTextLength - 1) / 2);

  // 1 x 100,000,000 and more beats the whole default table.
  EXPECT_EQ(g_resultRank, 0);
  EXPECT_EQ(sound_.currentBgm, BgmRanking1);
  const std::vector<uint8_t> latest = ReadBytes("replay.dat");
  ASSERT_GE(latest.size(), static_cast<size_t>(kReplayHeaderBytes));
  GameWorld reader;
  ASSERT_TRUE(LoadPlaybackReplay(&reader, "replay.dat"));
  char name[9];
  CopyReplayPlayerName(reader.playback, name);
  EXPECT_STREQ(name, "(latest)");
  g_replayPlayback = 0;
  EXPECT_FALSE(fs::exists("hiscore.dat"));
}

TEST(ResultMusic, RankedGamesAndOthers) {
  struct Case { int rank, id; } cases[] = {{-1, 25}, {0, 21}, {1, 22}, {3, 24}, {4, 25}, {9, 25}};
  for (const Case& c : cases) EXPECT_EQ(ResultMusicId(c.rank), c.id) << c.rank;
}

TEST_F(ResultTest, TextCompletesAfterItsLengthPlus62FramesOrOnZ) {
  Frame();
  const int complete = g_resultTextLength + 62;
  for (int f = 1; f < complete; ++f) Frame();
  EXPECT_EQ(r().resultStep, ResultStepReveal);
  Frame();
  EXPECT_EQ(r().resultStep, ResultStepRanked);
  for (const Effect* e = world_->effects.head; e; e = e->next) EXPECT_EQ(e->effectAge, complete);

  g_sceneFrame = 0;
  ClearEffectList(&world_->effects);
  Frame();
  Frame();
  Frame({InputEscape});
  EXPECT_EQ(r().resultStep, ResultStepRanked);
  EXPECT_EQ(g_resultTimer, g_resultTextLength + 62);
}

TEST_F(ResultTest, UnrankedGameIsAskedAndSavesUnderTheEnteredName) {
  SetScore(5, 0);  // below every entry
  Frame();
  EXPECT_EQ(sound_.currentBgm, BgmRanking5);
  Frame({InputShot});
  Frame();
  EXPECT_EQ(r().resultPhase, ResultPhaseAskSave);
  EXPECT_TRUE(fs::exists("hiscore.dat"));  // rewritten, nothing inserted
  const int before = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, before).text, "Save replay ?  ");
  EXPECT_EQ(r().cursorColumn, -1);
  for (const Effect* e = world_->effects.head; e; e = e->next) EXPECT_EQ(e->orbitRadius, 0.0f);

  // No choice yet: Z does nothing.
  Tap(InputShot);
  EXPECT_EQ(r().resultPhase, ResultPhaseAskSave);
  Tap(InputLeft);
  EXPECT_EQ(r().cursorColumn, 0);
  const int answerAt = EffectCount(*world_);
  Frame({InputShot});
  EXPECT_EQ(r().saveChosen, 1);
  EXPECT_EQ(r().resultPhase, ResultPhaseNameEntry);  // the name for the file first
  EXPECT_EQ(TextGlyphs(*world_, answerAt).text, "Yes");
  Frame();  // setup of the name entry
  EXPECT_FALSE(fs::exists("replay0000.dat"));

  std::memcpy(r().entryName, "        ", 8);
  TypeCell(7, 0);  // H
  TypeCell(8, 0);  // I
  MoveTo(kNameGridEndColumn, 3);
  Frame({InputShot});
  EXPECT_EQ(r().nameEntered, 1);
  EXPECT_EQ(r().resultStep, 1);
  ASSERT_TRUE(fs::exists("replay0000.dat"));
  GameWorld reader;
  ASSERT_TRUE(LoadPlaybackReplay(&reader, "replay0000.dat"));
  char name[9];
  CopyReplayPlayerName(reader.playback, name);
  EXPECT_STREQ(name, "HI      ");
  g_replayPlayback = 0;
  EXPECT_EQ(g_highScores[2][9].scoreLow, 10000);  // the table is unchanged

  for (int f = 0; f < 39; ++f) Frame();  // the grid fades for 40 frames
  EXPECT_EQ(r().resultPhase, ResultPhaseNameEntry);
  Frame();
  EXPECT_EQ(r().resultPhase, ResultPhaseSaved);
  const int fileAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, fileAt).text, "Filename : replay0000.dat");
  EXPECT_EQ(TextGlyphs(*world_, fileAt).glyphs[0]->endColor, 0xFFFF5060u);

  Frame({InputShot});
  EXPECT_EQ(r().resultPhase, ResultPhaseClosing);
  for (int f = 0; f < 7; ++f) Frame();
  EXPECT_EQ(g_scene, SceneResult);
  Frame();
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_EQ(world_->effects.count, 0);
}

TEST_F(ResultTest, RankedGameStoresTheNameThenSavesAfterYes) {
  SetScore(100001, 0);
  fs::create_directory("replay0000.dat");  // any entry blocks a name
  Frame();
  Frame({InputShot});
  const int rankAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(r().resultPhase, ResultPhaseNameEntry);
  EXPECT_EQ(TextGlyphs(*world_, rankAt).text, "Rank in  1st !  ");
  const int entryAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, entryAt).text, "    Entry Name :  ");
  EXPECT_EQ(r().promptX, TextGlyphs(*world_, entryAt).glyphs.back()->x - 6.0f);
  EXPECT_EQ(r().gridX, 6.0f);
  EXPECT_EQ(r().gridY, TextGlyphs(*world_, entryAt).glyphs.back()->y + 18.0f);

  std::memcpy(r().entryName, "ZZZZZZZZ", 8);
  TypeCell(0, 1);  // a
  MoveTo(kNameGridEndColumn, 3);
  Frame({InputShot});
  const HighScoreEntry& e = g_highScores[2][0];
  EXPECT_EQ(e.scoreLow, 100001);
  EXPECT_EQ(std::string(e.name, 8), "aZZZZZZZ");
  EXPECT_EQ(g_highScores[2][1].scoreLow, 100000);
  EXPECT_TRUE(fs::exists("hiscore.dat"));

  for (int f = 0; f < 40; ++f) Frame();
  EXPECT_EQ(r().resultPhase, ResultPhaseAskSave);
  EXPECT_EQ(r().promptX, -65536.0f);
  Frame();
  Tap(InputRight);
  EXPECT_EQ(r().cursorColumn, 1);
  Tap(InputLeft);
  EXPECT_EQ(r().cursorColumn, 0);
  Frame({InputShot});
  EXPECT_EQ(r().resultPhase, ResultPhaseSaved);
  EXPECT_TRUE(fs::is_regular_file("replay0001.dat"));
  const int fileAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, fileAt).text, "Filename : replay0001.dat");
}

TEST_F(ResultTest, FailedSavesSayWhichNameFailed) {
  // Every numbered name taken: nothing is written and the last kept replay stays.
  for (int n = 0; n < 10000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "replay%04d.dat", n);
    std::ofstream(name) << "kept";
  }
  SetScore(100001, 0);
  OpenDialog();
  MoveTo(kNameGridEndColumn, 3);
  Frame({InputShot});
  for (int f = 0; f < 42; ++f) Frame();
  ASSERT_EQ(r().resultPhase, ResultPhaseAskSave);
  Tap(InputLeft);
  Frame({InputShot});
  const int fileAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, fileAt).text, "Save failed : replay9999.dat");
  EXPECT_EQ(TextGlyphs(*world_, fileAt).glyphs[0]->endColor, 0xFFFF5060u);
  EXPECT_EQ(ReadBytes("replay9999.dat").size(), 4u);

  // A write that fails (no run buffer to write) is reported the same way.
  for (int n = 0; n < 10000; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "replay%04d.dat", n);
    fs::remove(name);
  }
  std::free(world_->recorder->runBuffer);
  world_->recorder->runBuffer = nullptr;
  g_sceneFrame = 0;
  ClearEffectList(&world_->effects);
  SetDefaultHighScores();
  OpenDialog();
  MoveTo(kNameGridEndColumn, 3);
  Frame({InputShot});
  for (int f = 0; f < 42; ++f) Frame();
  Tap(InputLeft);
  Frame({InputShot});
  const int failAt = EffectCount(*world_);
  Frame();
  EXPECT_EQ(TextGlyphs(*world_, failAt).text, "Save failed : replay0000.dat");
  EXPECT_FALSE(fs::exists("replay0000.dat"));
}

int CountOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

int AnswerOk(const char*, const char*, MessageBoxStyle) { return MessageBoxAnswerOk; }

// A hiscore.dat one byte short is reported and left alone at start; the game end that rewrites it
// first keeps it beside, under the first free name, and only once.
TEST_F(ResultTest, DamagedHighScoresAreKeptBesideBeforeTheGameEndRewritesThem) {
  std::vector<uint8_t> damaged(17919);
  for (size_t i = 0; i < damaged.size(); ++i) damaged[i] = static_cast<uint8_t>(i * 13 + 1);
  const std::vector<uint8_t> older = {'o', 'l', 'd'};
  PlatformSetMessageHook(AnswerOk);
  for (const bool olderKept : {false, true}) {
    SCOPED_TRACE(olderKept);
    fs::remove("hiscore.dat.bad");
    fs::remove("hiscore.dat.bad1");
    std::ofstream(fs::path("hiscore.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(damaged.data()), static_cast<std::streamsize>(damaged.size()));
    if (olderKept) std::ofstream(fs::path("hiscore.dat.bad"), std::ios::binary) << "old";
    const std::string keptAs = olderKept ? "hiscore.dat.bad1" : "hiscore.dat.bad";
    LoadOrCreateHighScoreFile();
    ASSERT_EQ(ReadBytes("hiscore.dat"), damaged);  // left alone at start

    for (int game = 0; game < 2; ++game) {
      testing::internal::CaptureStderr();
      g_sceneFrame = 0;
      SetScore(5, 0);  // unranked: the file is rewritten when the screen decides so
      Frame();
      Frame({InputShot});
      Frame();
      const std::string err = testing::internal::GetCapturedStderr();
      ASSERT_EQ(r().resultPhase, ResultPhaseAskSave);
      EXPECT_EQ(CountOf(err, "hiscore.dat was damaged; kept it as " + keptAs + " "), game == 0 ? 1 : 0) << err;
      EXPECT_EQ(ReadBytes(keptAs), damaged);
      EXPECT_EQ(ReadBytes("hiscore.dat").size(), 17920u);
    }
    EXPECT_EQ(ReadBytes("hiscore.dat.bad"), olderKept ? older : damaged);
    EXPECT_FALSE(fs::exists(olderKept ? "hiscore.dat.bad2" : "hiscore.dat.bad1"));
  }
  PlatformSetMessageHook(nullptr);
}

// Failed writes of replay.dat and hiscore.dat: one line each on standard error naming the file
// and the reason; the screen goes on as it would.
TEST_F(ResultTest, FailedWritesOfTheLatestReplayAndTheHighScoresAreTold) {
  const struct {
    const char* blocked;  // a folder made in this place
    const char* reason;
  } cases[] = {
      {"", "a folder is in its place"},
      {".tmp", "cannot create "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blocked);
    for (const char* name : {"replay.dat", "hiscore.dat"}) {
      fs::remove_all(std::string(name));
      fs::remove_all(std::string(name) + ".tmp");
      ASSERT_TRUE(fs::create_directory(std::string(name) + c.blocked));
    }
    testing::internal::CaptureStderr();
    g_sceneFrame = 0;
    ClearEffectList(&world_->effects);
    SetScore(5, 0);
    Frame();
    Frame({InputShot});
    Frame();
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char* name : {"replay.dat", "hiscore.dat"}) {
      EXPECT_EQ(CountOf(err, std::string("could not write ") + name + ": "), 1) << err;
      EXPECT_EQ(CountOf(err, std::string("could not write ") + name + ": " + c.reason), 1) << err;
      EXPECT_FALSE(fs::is_regular_file(name));
    }
    EXPECT_EQ(r().resultPhase, ResultPhaseAskSave);
    const int before = EffectCount(*world_);
    Frame();
    EXPECT_EQ(TextGlyphs(*world_, before).text, "Save replay ?  ");
  }
}

TEST_F(ResultTest, NameEntryMovesTypesAndGoesBack) {
  SetScore(100001, 0);
  OpenDialog();
  std::memcpy(r().entryName, "        ", 8);

  // Moves wrap on both axes.
  Tap(InputLeft);
  EXPECT_EQ(r().cursorColumn, 25);
  Tap(InputRight);
  EXPECT_EQ(r().cursorColumn, 0);
  Tap(InputUp);
  EXPECT_EQ(r().cursorRow, 3);
  Tap(InputDown);
  EXPECT_EQ(r().cursorRow, 0);

  // BACK at position 0 stays there and erases nothing.
  TypeCell(kNameGridBackColumn, 3);
  EXPECT_EQ(r().nameCursor, 0);
  TypeCell(0, 0);  // A
  TypeCell(1, 0);  // B
  EXPECT_EQ(std::string(r().entryName, 8), "AB      ");
  EXPECT_EQ(r().nameCursor, 2);
  TypeCell(kNameGridBackColumn, 3);
  EXPECT_EQ(r().nameCursor, 1);
  EXPECT_EQ(std::string(r().entryName, 8), "AB      ");
  TypeCell(2, 1);  // c replaces B
  EXPECT_EQ(std::string(r().entryName, 8), "Ac      ");

  // Eight letters fill the name and jump to END; a ninth replaces the eighth.
  for (int k = 2; k < 8; ++k) TypeCell(k, 0);
  EXPECT_EQ(std::string(r().entryName, 8), "AcCDEFGH");
  EXPECT_EQ(r().nameCursor, 7);
  EXPECT_EQ(r().cursorColumn, kNameGridEndColumn);
  EXPECT_EQ(r().cursorRow, 3);
  TypeCell(0, 3);  // ':'
  EXPECT_EQ(std::string(r().entryName, 8), "AcCDEFG:");
  EXPECT_EQ(r().cursorColumn, kNameGridEndColumn);
  EXPECT_EQ(r().entryName[8], '\0');

  Frame({InputShot});
  EXPECT_EQ(std::string(g_highScores[2][0].name, 8), "AcCDEFG:");
}

TEST_F(ResultTest, CursorGlyphFollowsTheCellChangeOfTheFrame) {
  SetScore(100001, 0);
  OpenDialog();
  size_t seen = CursorGlyphs(*world_).size();
  Frame({InputRight});
  std::vector<const Effect*> cursors = CursorGlyphs(*world_);
  ASSERT_EQ(cursors.size(), seen + 1);
  const Effect* c = cursors.back();
  EXPECT_EQ(c->x, 13.0f + r().gridX + 6.0f);
  EXPECT_EQ(c->y, r().gridY + 9.5f);
  EXPECT_EQ(ByteOfGlyphSprite(c->sprite), 'B');
  EXPECT_EQ(c->lifetime, 40);
  EXPECT_EQ(c->startScaleX, 1.0f);
  EXPECT_EQ(c->endScaleY, 2.0f);
  EXPECT_EQ(c->startColor, 0xFF607090u);
  EXPECT_EQ(c->endColor, 0u);
  seen = cursors.size();

  // Left and Right together leave the cell as it was: no glyph.
  Frame();
  Frame({InputLeft, InputRight});
  EXPECT_EQ(CursorGlyphs(*world_).size(), seen);
  // Without a move a glyph comes after more than 20 idle frames.
  int frames = 0;
  while (CursorGlyphs(*world_).size() == seen && frames < 100) {
    Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 19);  // 21 idle frames since the last glyph, two of them above
}

TEST_F(ResultTest, ZOnEndAndEscapeInTheSameFrameStoreOnce) {
  SetScore(100001, 0);
  OpenDialog();
  std::memcpy(r().entryName, "ONCE    ", 8);
  MoveTo(kNameGridEndColumn, 3);
  Frame({InputShot, InputEscape});
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(std::string(g_highScores[2][0].name, 8), "ONCE    ");
  EXPECT_EQ(g_highScores[2][1].scoreLow, 100000);  // not inserted a second time
}

TEST_F(ResultTest, EscapeMovesToEndThenStoresAndLeaves) {
  SetScore(100001, 0);
  OpenDialog();
  std::memcpy(r().entryName, "ESC     ", 8);
  Frame({InputEscape});
  EXPECT_EQ(r().cursorColumn, kNameGridEndColumn);
  EXPECT_EQ(r().cursorRow, 3);
  EXPECT_EQ(g_scene, SceneResult);
  EXPECT_EQ(g_highScores[2][0].scoreLow, 100000);
  for (int f = 0; f < 19; ++f) Frame({InputEscape});  // held 20 frames
  EXPECT_EQ(g_scene, SceneResult);
  Frame({InputEscape});
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(std::string(g_highScores[2][0].name, 8), "ESC     ");
  EXPECT_EQ(g_highScores[2][1].scoreLow, 100000);
  EXPECT_FALSE(fs::exists("replay0000.dat"));
}

TEST_F(ResultTest, SaveQuestionChoicesAndNo) {
  SetScore(5, 0);
  OpenDialog();
  ASSERT_EQ(r().resultPhase, ResultPhaseAskSave);
  Tap(InputRight);
  EXPECT_EQ(r().cursorColumn, 1);  // the first Right picks No
  std::vector<const Effect*> cursors = CursorGlyphs(*world_);
  ASSERT_EQ(cursors.size(), 2u);
  EXPECT_EQ(ByteOfGlyphSprite(cursors[0]->sprite), 'N');
  EXPECT_EQ(cursors[1]->x, 5.0f * 11.0f + r().promptX + 6.0f);
  Tap(InputRight);
  EXPECT_EQ(r().cursorColumn, 0);  // Right from No gives Yes
  Tap(InputLeft);
  EXPECT_EQ(r().cursorColumn, 1);  // Left from Yes gives No
  const int answerAt = EffectCount(*world_);
  const float promptX = r().promptX;
  Frame({InputShot});
  EXPECT_EQ(r().resultPhase, ResultPhaseClosing);
  const Spawned answer = TextGlyphs(*world_, answerAt);
  EXPECT_EQ(answer.text, "No");
  EXPECT_EQ(answer.glyphs[0]->x, promptX + 6.0f + 44.0f);
  for (int f = 0; f < 8; ++f) Frame();
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_FALSE(fs::exists("replay0000.dat"));

  // Escape leaves the question at once.
  g_scene = SceneResult;
  g_sceneFrame = 0;
  OpenDialog();
  Frame({InputEscape});
  EXPECT_EQ(g_scene, SceneTitle);
}

TEST_F(ResultTest, PlaybackShowsThePlayerAndWritesNothing) {
  SetRecorderPlayerName(world_.get(), "PILOT 7");
  ASSERT_TRUE(SaveReplay(world_.get(), "given.dat"));
  ASSERT_TRUE(LoadPlaybackReplay(world_.get(), "given.dat"));
  ASSERT_EQ(g_replayPlayback, 1);
  SetScore(100001, 0);
  Frame();
  EXPECT_NE(TextGlyphs(*world_).text.find("Player     PILOT 7 "), std::string::npos);
  Frame({InputShot});
  Frame();
  EXPECT_EQ(r().resultPhase, ResultPhasePlayback);
  Frame();
  Frame();
  Frame({InputShot});
  EXPECT_EQ(r().resultPhase, ResultPhaseClosing);
  for (int f = 0; f < 8; ++f) Frame();
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_FALSE(fs::exists("replay.dat"));
  EXPECT_FALSE(fs::exists("hiscore.dat"));
  EXPECT_EQ(g_highScores[2][0].scoreLow, 100000);
  EXPECT_EQ(g_replayPlayback, 1);  // stays set until the next game starts
}

TEST_F(ResultTest, SecondScreenStartsWithoutADialog) {
  SetScore(5, 0);
  OpenDialog();
  Frame({InputEscape});
  ASSERT_EQ(g_scene, SceneTitle);
  g_scene = SceneResult;
  g_sceneFrame = 0;
  Frame();
  EXPECT_EQ(r().resultPhase, ResultPhaseNone);
  EXPECT_EQ(r().nameEntered, 0);
  EXPECT_EQ(r().saveChosen, 0);
}

// The dialog as drawn: the faded grid, the entered name and the two boxes, the Yes/No line.
class ResultDrawTest : public ResultTest {
 protected:
  void SetUp() override {
    ResultTest::SetUp();
    SelectGraphicsBackend(GraphicsBackendRecording);
    g_graphicsRecorder.Clear();
    ASSERT_EQ(gfx_.CreateDirect3D(), 0);
    ASSERT_EQ(gfx_.CreateDevice(nullptr, 0, 0), 0);
  }
  std::vector<RecordedCall> Draw() {
    g_graphicsRecorder.calls.clear();
    EXPECT_TRUE(gfx_.BeginFrame());
    DrawResultDialog(&gfx_, world_.get());
    gfx_.EndFrame();
    return g_graphicsRecorder.Draws();
  }
  Graphics gfx_;
};

TEST_F(ResultDrawTest, NameGridFadesAndHidesTheNameWhileFading) {
  ResultScreenState& s = r();
  s.resultPhase = ResultPhaseNameEntry;
  s.gridX = 6.0f;
  s.gridY = 100.0f;
  s.promptX = 190.0f;
  s.promptY = 80.0f;
  s.cursorColumn = 2;
  s.cursorRow = 1;
  s.nameCursor = 3;
  std::memcpy(s.entryName, "ABC     ", 8);
  s.resultStep = 0;
  std::vector<RecordedCall> d = Draw();
  // 104 cells of shadow and glyph, "ABC" with shadows, two boxes.
  ASSERT_EQ(d.size(), 208u + 6u + 2u);
  const RecordedCall& shadow = d[2 * 28];
  const RecordedCall& cell = d[2 * 28 + 1];
  EXPECT_EQ(cell.v[0].color, 0xFF607090u);
  EXPECT_EQ(cell.blendMode, BlendAdditive);
  EXPECT_EQ(shadow.v[0].color, 0xFF303848u);
  EXPECT_EQ(shadow.blendMode, BlendAlpha);
  EXPECT_EQ(shadow.v[0].x, cell.v[0].x + 1.0f);
  EXPECT_EQ(d[1].v[0].color, 0xFFB09080u);
  EXPECT_EQ(d[214].v[0].color, 0xFF208030u);
  EXPECT_EQ(d[215].v[0].color, 0xFF302080u);
  EXPECT_EQ(d[215].blendMode, BlendAdditive);

  s.resultStep = 20;  // half way through the fade
  d = Draw();
  ASSERT_EQ(d.size(), 208u);
  EXPECT_EQ(d[2 * 28 + 1].v[0].color, 0x7F303848u);
  EXPECT_EQ(d[2 * 28].v[0].color, 0x7F181C24u);
}

TEST_F(ResultDrawTest, SaveQuestionMarksTheChosenAnswer) {
  ResultScreenState& s = r();
  s.resultPhase = ResultPhaseAskSave;
  s.promptX = 160.0f;
  s.promptY = 200.0f;
  s.cursorColumn = -1;
  std::vector<RecordedCall> d = Draw();
  ASSERT_EQ(d.size(), 12u);  // Yes, /, No with shadows, no boxes
  s.cursorColumn = 1;
  d = Draw();
  ASSERT_EQ(d.size(), 14u);
  EXPECT_EQ(d[1].v[0].color, 0xFFB09080u);   // Y in the normal colour
  EXPECT_EQ(d[9].v[0].color, 0xFF607090u);   // N highlighted
  EXPECT_EQ(d[12].v[0].color, 0xFF208030u);  // boxes under N and o
  ScreenVertex box[4];
  BuildSpriteQuad(box, 105, 4 * 11.0f + 160.0f + 1.0f, 199.0f, 0xFF208030u);
  EXPECT_EQ(d[12].v[0].x, box[0].x);
  EXPECT_EQ(d[12].v[0].y, box[0].y);
  EXPECT_EQ(d[13].v[0].x, box[0].x + 11.0f);
  EXPECT_EQ(d[13].blendMode, BlendAdditive);

  s.resultPhase = ResultPhaseSaved;
  EXPECT_TRUE(Draw().empty());
}

}  // namespace
