#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "frontend/ReplayData.h"
#include "world/GameWorld.h"
#include "world/Random.h"

namespace fs = std::filesystem;

namespace {

// ---- An independent writer and reader of the replay file, byte by byte from the format. ----

struct ReplayFields {
  int key1 = 3, key2 = 5;
  char name[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
  uint32_t scoreLow = 12345678, scoreHigh = 2, frames = 307, endIndex = 163;
  int difficulty = 2, startPower = 0, endPower = 7, startStage = 1, endStage = 5;
  int startLives = 1, endLives = 0xFF, startShields = 5, endShields = 0, startBombs = 3, endBombs = 1;
  uint32_t graze = 99;
  int classLevels[6] = {0, 1, 2, 3, 0, 1};
  uint32_t seedIndex = 1234, randomIndex = 1240, randomStep = 7;
  uint32_t headerWords = 160, runShift = 12;
};

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

uint32_t Sum(const std::vector<uint8_t>& b, size_t from, size_t to) {
  uint32_t s = 0;
  for (size_t at = from; at < to; at += 4) s += Get32(b, at);
  return s;
}

std::vector<uint8_t> PlainHeader(const ReplayFields& f) {
  std::vector<uint8_t> h(640, 0);
  h[0] = 'D'; h[1] = 'D'; h[2] = 'E'; h[3] = 'S';
  h[4] = 0x14; h[5] = 0x07; h[6] = 0x09; h[7] = 0x20;
  h[8] = f.key1; h[9] = f.key2;
  for (int i = 0; i < 8; ++i) h[12 + i] = f.name[i];
  Put32(h, 84, f.scoreLow); Put32(h, 88, f.scoreHigh); Put32(h, 92, f.frames); Put32(h, 96, f.endIndex);
  h[100] = f.difficulty; h[102] = f.startPower; h[103] = f.endPower; h[104] = f.startStage;
  h[105] = f.endStage; h[106] = f.startLives; h[107] = f.endLives; h[108] = f.startShields;
  h[109] = f.endShields; h[110] = f.startBombs; h[111] = f.endBombs;
  Put32(h, 136, f.graze);
  for (int i = 0; i < 6; ++i) h[140 + i] = f.classLevels[i];
  Put32(h, 156, f.headerWords); Put32(h, 160, f.runShift);
  Put32(h, 164, f.seedIndex); Put32(h, 168, f.randomIndex); Put32(h, 172, f.randomStep);
  return h;
}

void SealHeader(std::vector<uint8_t>& h) {  // checksums, then scrambling
  Put32(h, 504, Sum(h, 12, 112));
  Put32(h, 508, Sum(h, 112, 504));
  for (int p = 12; p < 504; ++p) h[p] = (h[p] + h[8] + ((p * h[9]) & 0xFF)) & 0xFF;
}

std::vector<uint8_t> ReplayFile(const ReplayFields& f, const std::vector<uint32_t>& runs) {
  std::vector<uint8_t> b = PlainHeader(f);
  SealHeader(b);
  const size_t words = runs.size() + 160;  // the runs, then 160 zero words
  b.resize(640 + 4 * words, 0);
  for (size_t i = 0; i < runs.size(); ++i) Put32(b, 640 + 4 * i, runs[i]);
  return b;
}

// Unscrambles a copy of a file's header; reports whether both checksums hold.
std::vector<uint8_t> ReadHeader(const std::vector<uint8_t>& file, bool* checksumsGood) {
  std::vector<uint8_t> h(file.begin(), file.begin() + 640);
  for (int p = 12; p < 504; ++p) h[p] = (h[p] - h[8] - ((p * h[9]) & 0xFF)) & 0xFF;
  *checksumsGood = Sum(h, 12, 112) == Get32(h, 504) && Sum(h, 112, 504) == Get32(h, 508);
  return h;
}

uint32_t RunWord(uint32_t length, uint32_t mask) { return (length << 12) | mask; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every test runs in its own temporary folder, since the replay names are relative.
class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    char tmpl[] = "/tmp/wexla_replay_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    g_replayPlayback = 0;
    g_replayKey1 = 3;
    g_replayKey2 = 5;
    g_difficulty = 2;
    g_stage = 1;
    g_gameFrame = 0;
    g_randomSeedIndex = 1234;
    g_randomIndex = 1240;
    g_randomStep = 7;
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }

  // A live game as the golden fields describe it: start values, three runs, end values.
  // skipFirstEndFrame: Z or Escape left on the game-over frame itself, so the frame loop closes
  // the recording there, one frame early.
  void RecordGoldenGame(GameWorld& w, bool skipFirstEndFrame = false) {
    g_stage = 1;
    Player& p = w.player;
    p.power = 0; p.lives = 1; p.shields = 5; p.bombs = 3;
    const int levels[6] = {0, 1, 2, 3, 0, 1};
    for (int i = 0; i < 6; ++i) p.optionClassLevel[i] = levels[i];
    w.recorder = new ReplayData();
    BeginReplayRecording(&w);
    for (int i = 0; i < 300; ++i) w.recorder->RecordInput(0);
    for (int i = 0; i < 2; ++i) w.recorder->RecordInput(16);
    for (int i = 0; i < 5; ++i) w.recorder->RecordInput(3);
    p.scoreLow = 12345678; p.scoreHigh = 2; p.power = 7; p.lives = -1; p.shields = 0; p.bombs = 1;
    p.grazeCount = 99;
    g_stage = 5;
    if (skipFirstEndFrame) {
      g_gameFrame = 306;
      CloseReplayRecording(&w, g_gameFrame + 1);
    } else {
      g_gameFrame = 307;
      w.recorder->FlushRecording();
      FinishReplayHeader(&w);
    }
    SetRecorderPlayerName(&w, "ABCDEFGH");
  }

  fs::path old_, dir_;
};

std::vector<uint32_t> Record(const std::vector<std::pair<int, int>>& maskFrames, bool flush) {
  ReplayData r;
  r.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayBufferWords, 4));
  r.index = 160;
  for (auto [mask, frames] : maskFrames)
    for (int i = 0; i < frames; ++i) r.RecordInput(mask);
  if (flush) r.FlushRecording();
  return std::vector<uint32_t>(r.runBuffer + 160, r.runBuffer + r.index);
}

}  // namespace

TEST(ReplayRuns, RunCodingTable) {
  struct Case {
    std::vector<std::pair<int, int>> input;
    bool flush;
    std::vector<uint32_t> words;
  } cases[] = {
      {{{0, 300}, {16, 2}}, true, {RunWord(300, 0), RunWord(2, 16)}},
      {{{0, 300}, {16, 2}}, false, {RunWord(300, 0)}},  // the run in progress waits for the next mask
      {{{5, 1}}, true, {RunWord(1, 5)}},
      {{}, true, {}},
      {{{0x7FF, 3}, {0, 1}, {0x7FF, 1}}, true, {RunWord(3, 0x7FF), RunWord(1, 0), RunWord(1, 0x7FF)}},
      // Longer than the 20-bit length: two runs of the same mask, not a wrapped length of 0.
      {{{7, 0xFFFFF + 1}}, true, {RunWord(0xFFFFF, 7), RunWord(1, 7)}},
      {{{7, 0xFFFFF}}, true, {RunWord(0xFFFFF, 7)}},
  };
  for (const Case& c : cases) EXPECT_EQ(Record(c.input, c.flush), c.words);
}

TEST(ReplayRuns, FlushTwiceAndCapacity) {
  ReplayData r;
  r.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayBufferWords, 4));
  r.RecordInput(4);
  r.FlushRecording();
  r.FlushRecording();
  EXPECT_EQ(r.index, 161);
  EXPECT_EQ(r.runBuffer[160], RunWord(1, 4));
  EXPECT_EQ(r.runBuffer[161], 0u);

  // Input changing on every frame fills the buffer up to 199840; nothing is stored past it.
  ReplayData full;
  full.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayBufferWords, 4));
  for (int i = 0; i < 199680 + 50; ++i) full.RecordInput(i & 1);
  full.FlushRecording();
  EXPECT_EQ(full.index, kReplayMaxEndIndex);
  EXPECT_EQ(full.runBuffer[kReplayMaxEndIndex - 1], RunWord(1, 1));
  for (int i = kReplayMaxEndIndex; i < kReplayBufferWords; ++i) ASSERT_EQ(full.runBuffer[i], 0u) << i;
}

TEST(ReplayRuns, ReadInputPlaysRunsZeroWordsAndStopsAtTheEnd) {
  ReplayData r;
  r.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayBufferWords, 4));
  r.runBuffer[160] = RunWord(2, 0x411);  // Left, Z, M
  r.runBuffer[161] = 0;              // one frame without input
  r.runBuffer[162] = RunWord(1, 2);
  int flags[11];
  const uint32_t expect[] = {0x411, 0x411, 0, 2, 0, 0};
  for (uint32_t mask : expect) {
    r.ReadInput(flags);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(flags[i], static_cast<int>((mask >> i) & 1));
  }
  EXPECT_EQ(r.index, 165);

  r.index = kReplayBufferWords - 1;
  r.runCount = 0;
  r.runBuffer[kReplayBufferWords - 1] = RunWord(3, 1);
  for (int i = 0; i < 3; ++i) {
    r.ReadInput(flags);
    EXPECT_EQ(flags[0], 1);
  }
  for (int i = 0; i < 5; ++i) {
    flags[0] = 7;
    r.ReadInput(flags);
    EXPECT_EQ(flags[0], 0);
    EXPECT_EQ(r.index, kReplayBufferWords);
  }
}

TEST(ReplayHeader, ScrambleRoundTripKeepsOuterBytes) {
  const int keys[][2] = {{1, 1}, {3, 5}, {128, 128}, {255, 255}};
  for (const auto& k : keys) {
    ReplayData r;
    r.runBuffer = static_cast<uint32_t*>(std::calloc(kReplayBufferWords, 4));
    uint8_t h[640];
    for (int p = 0; p < 640; ++p) h[p] = 0x42;
    h[8] = k[0];
    h[9] = k[1];
    for (int i = 0; i < 160; ++i) r.runBuffer[i] = GetReplayWord(h, 4 * i);
    r.ScrambleHeader();
    uint8_t s[640];
    for (int i = 0; i < 160; ++i) PutReplayWord(s, 4 * i, r.runBuffer[i]);
    for (int p = 0; p < 12; ++p) EXPECT_EQ(s[p], h[p]);
    for (int p = 504; p < 640; ++p) EXPECT_EQ(s[p], h[p]);
    EXPECT_NE(s[12], s[13]) << "equal bytes at different offsets are stored differently";
    for (int p = 12; p < 504; ++p) EXPECT_EQ(s[p], (0x42 + k[0] + ((p * k[1]) & 0xFF)) & 0xFF);
    r.UnscrambleHeader();
    for (int i = 0; i < 160; ++i) EXPECT_EQ(r.runBuffer[i], GetReplayWord(h, 4 * i));
  }
}

TEST_F(ReplayTest, GoldenFileFromTheRecorder) {
  GameWorld w;
  RecordGoldenGame(w);
  ASSERT_TRUE(SaveReplay(&w, "golden.dat"));
  const std::vector<uint8_t> file = ReadFile("golden.dat");
  const std::vector<uint8_t> expect = ReplayFile(ReplayFields{}, {RunWord(300, 0), RunWord(2, 16), RunWord(5, 3)});
  ASSERT_EQ(file.size(), 4u * (163 + 160));
  EXPECT_EQ(file, expect);

  // Hand-checked bytes: plain magic, version and keys; 'A' at 12 becomes 0x41 + 3 + 60.
  const uint8_t head[] = {'D', 'D', 'E', 'S', 0x14, 0x07, 0x09, 0x20, 3, 5, 0, 0, 0x80};
  for (int i = 0; i < 13; ++i) EXPECT_EQ(file[i], head[i]) << i;
  bool good = false;
  const std::vector<uint8_t> h = ReadHeader(file, &good);
  EXPECT_TRUE(good);
  EXPECT_EQ(h[107], 0xFF);  // the end lives of a game over
  EXPECT_EQ(Get32(h, 96), 163u);

  // The header image stays plain: a second save writes the same bytes; the header copy in
  // words 0..159 is the scrambled one and the runs start at word 160.
  EXPECT_EQ(GetReplayWord(w.recorder->header, 12), 0x44434241u);
  ASSERT_TRUE(SaveLatestReplay(&w));
  EXPECT_EQ(ReadFile("replay.dat"), expect);
  EXPECT_EQ(w.recorder->runBuffer[3], Get32(file, 12));
  EXPECT_EQ(w.recorder->runBuffer[160], RunWord(300, 0));
}

TEST_F(ReplayTest, ClosingTheRecordingTwiceChangesNothing) {
  GameWorld w;
  RecordGoldenGame(w);
  const std::vector<uint8_t> before(w.recorder->header, w.recorder->header + 640);
  g_gameFrame = 999;
  w.player.scoreLow = 1;
  CloseReplayRecording(&w, g_gameFrame);
  FinishReplayHeader(&w);
  w.recorder->FlushRecording();
  EXPECT_EQ(std::vector<uint8_t>(w.recorder->header, w.recorder->header + 640), before);
  EXPECT_EQ(w.recorder->index, 163);

  // Closed early on the game-over frame: the same file as through the game-end scene.
  ASSERT_TRUE(SaveReplay(&w, "normal.dat"));
  GameWorld early;
  RecordGoldenGame(early, true);
  ASSERT_TRUE(SaveReplay(&early, "early.dat"));
  EXPECT_EQ(ReadFile("early.dat"), ReadFile("normal.dat"));

  GameWorld empty;
  CloseReplayRecording(&empty, 1);  // no recorder: nothing happens
  EXPECT_FALSE(SaveReplay(&empty, "none.dat"));
  empty.recorder = new ReplayData();  // no run buffer: nothing written
  EXPECT_FALSE(SaveReplay(&empty, "none.dat"));
  EXPECT_FALSE(fs::exists("none.dat"));

  // A damaged index never makes the file longer than the run buffer.
  w.recorder->index = 300000;
  ASSERT_TRUE(SaveReplay(&w, "capped.dat"));
  EXPECT_EQ(fs::file_size("capped.dat"), 4u * kReplayBufferWords);
}

TEST_F(ReplayTest, LoadRestoresAndPlaysBack) {
  ReplayFields f;
  f.difficulty = 6;
  f.startPower = 11;
  f.startStage = 2;
  f.startShields = 9;
  f.startBombs = 4;
  f.startLives = 7;
  WriteFile("replay.dat", ReplayFile(f, {RunWord(2, 16), RunWord(1, 3)}));
  GameWorld w;
  w.player.lives = 1;
  g_randomSeedIndex = g_randomIndex = g_randomStep = 0;
  ASSERT_TRUE(LoadPlaybackReplay(&w, "replay.dat"));
  EXPECT_EQ(g_replayPlayback, 1);
  EXPECT_EQ(g_difficulty, 6);
  EXPECT_EQ(g_stage, 2);
  EXPECT_EQ(w.player.power, 11);
  EXPECT_EQ(w.player.shields, 9);
  EXPECT_EQ(w.player.bombs, 4);
  EXPECT_EQ(w.player.lives, 1);  // the lives byte is not read
  for (int i = 0; i < 6; ++i) EXPECT_EQ(w.player.optionClassLevel[i], f.classLevels[i]);
  EXPECT_EQ(g_randomSeedIndex, 1234);
  EXPECT_EQ(g_randomIndex, 1240);
  EXPECT_EQ(g_randomStep, 7);
  char name[9];
  CopyReplayPlayerName(w.playback, name);
  EXPECT_STREQ(name, "ABCDEFGH");

  // Played back and recorded again, as the frame loop does: the same runs come out.
  w.recorder = new ReplayData();
  BeginReplayRecording(&w);
  int flags[11];
  for (int frame = 0; frame < 3; ++frame) {
    w.playback->ReadInput(flags);
    int mask = 0;
    for (int i = 0; i < 11; ++i) mask |= flags[i] << i;
    w.recorder->RecordInput(mask);
  }
  w.recorder->FlushRecording();
  EXPECT_EQ(w.recorder->index, 162);
  EXPECT_EQ(w.recorder->runBuffer[160], RunWord(2, 16));
  EXPECT_EQ(w.recorder->runBuffer[161], RunWord(1, 3));
}

TEST_F(ReplayTest, LoaderVerdicts) {
  struct Case {
    const char* what;
    void (*fields)(ReplayFields&);       // written with checksums that match
    void (*damage)(std::vector<uint8_t>&);  // applied to the finished file
    bool good;
  } cases[] = {
      {"as written", nullptr, nullptr, true},
      {"cut after the header", nullptr, [](std::vector<uint8_t>& b) { b.resize(640); }, true},
      {"shorter than the header", nullptr, [](std::vector<uint8_t>& b) { b.resize(639); }, false},
      {"empty", nullptr, [](std::vector<uint8_t>& b) { b.clear(); }, false},
      {"byte 20 changed (checksum 1)", nullptr, [](std::vector<uint8_t>& b) { b[20] ^= 1; }, false},
      {"byte 300 changed (checksum 2)", nullptr, [](std::vector<uint8_t>& b) { b[300] ^= 1; }, false},
      {"checksum word changed", nullptr, [](std::vector<uint8_t>& b) { b[508] ^= 1; }, false},
      {"magic changed", nullptr, [](std::vector<uint8_t>& b) { b[0] = 'X'; }, true},
      {"end index 159", [](ReplayFields& f) { f.endIndex = 159; }, nullptr, false},
      {"end index 160", [](ReplayFields& f) { f.endIndex = 160; }, nullptr, true},
      {"end index 199840", [](ReplayFields& f) { f.endIndex = 199840; }, nullptr, true},
      {"end index 199841", [](ReplayFields& f) { f.endIndex = 199841; }, nullptr, false},
      {"end index negative", [](ReplayFields& f) { f.endIndex = 0x80000000u; }, nullptr, false},
      {"random index 20479", [](ReplayFields& f) { f.randomIndex = 20479; }, nullptr, true},
      {"random index 20480", [](ReplayFields& f) { f.randomIndex = 20480; }, nullptr, false},
      {"random index -1", [](ReplayFields& f) { f.randomIndex = 0xFFFFFFFFu; }, nullptr, false},
      {"random step 10239", [](ReplayFields& f) { f.randomStep = 10239; }, nullptr, true},
      {"random step 10240", [](ReplayFields& f) { f.randomStep = 10240; }, nullptr, false},
      {"random step -5", [](ReplayFields& f) { f.randomStep = 0xFFFFFFFBu; }, nullptr, false},
      {"difficulty 15", [](ReplayFields& f) { f.difficulty = 15; }, nullptr, true},
      {"difficulty 16", [](ReplayFields& f) { f.difficulty = 16; }, nullptr, false},
      {"difficulty 0xFF", [](ReplayFields& f) { f.difficulty = 0xFF; }, nullptr, false},
      {"stage 0", [](ReplayFields& f) { f.startStage = 0; }, nullptr, false},
      {"stage 8", [](ReplayFields& f) { f.startStage = 8; }, nullptr, true},
      {"stage 9", [](ReplayFields& f) { f.startStage = 9; }, nullptr, false},
      {"class level 3", [](ReplayFields& f) { f.classLevels[5] = 3; }, nullptr, true},
      {"class level 4", [](ReplayFields& f) { f.classLevels[5] = 4; }, nullptr, false},
      {"class level 0x80", [](ReplayFields& f) { f.classLevels[0] = 0x80; }, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReplayFields f;
    f.startPower = 9;
    if (c.fields) c.fields(f);
    std::vector<uint8_t> file = ReplayFile(f, {RunWord(4, 1)});
    if (c.damage) c.damage(file);
    WriteFile("replay.dat", file);
    GameWorld w;
    g_difficulty = 1;
    g_stage = 1;
    g_randomIndex = 55;
    g_replayPlayback = 1;
    EXPECT_EQ(LoadPlaybackReplay(&w, "replay.dat"), c.good);
    EXPECT_EQ(g_replayPlayback, c.good ? 1 : 0);
    if (c.good) {
      EXPECT_EQ(g_difficulty, f.difficulty);
      EXPECT_EQ(w.player.power, 9);
    } else {  // a bad file restores nothing
      EXPECT_EQ(g_difficulty, 1);
      EXPECT_EQ(g_randomIndex, 55);
      EXPECT_EQ(w.player.power, 0);
    }
  }
  GameWorld w;
  EXPECT_FALSE(LoadPlaybackReplay(&w, "missing.dat"));
  fs::create_directory("folder.dat");
  EXPECT_FALSE(LoadPlaybackReplay(&w, "folder.dat"));
}

TEST_F(ReplayTest, HostileFilesNeverCrash) {
  std::mt19937 rng(20090714);
  const size_t sizes[] = {0, 1, 639, 640, 641, 1280, 4096, 800000, 801000};
  for (size_t size : sizes) {
    for (int round = 0; round < 8; ++round) {
      std::vector<uint8_t> b(size);
      for (auto& v : b) v = rng() & 0xFF;
      WriteFile("hostile.dat", b);
      GameWorld w;
      LoadPlaybackReplay(&w, "hostile.dat");
      int flags[11];
      for (int i = 0; i < 1000; ++i) w.playback->ReadInput(flags);
    }
  }
  // Forged checksums over huge fields.
  ReplayFields f;
  f.endIndex = 0xFFFFFFFFu;
  f.randomIndex = 0x7FFFFFFF;
  f.randomStep = 0x80000000u;
  f.difficulty = f.startStage = 0xFF;
  for (int& l : f.classLevels) l = 0xFF;
  WriteFile("forged.dat", ReplayFile(f, {}));
  GameWorld w;
  EXPECT_FALSE(LoadPlaybackReplay(&w, "forged.dat"));

  // A usable header over random run words (lengths of 0 to 15 frames), cut short: the
  // playback runs off the end of the buffer and stays there.
  ReplayFields ok;
  ok.endIndex = kReplayMaxEndIndex;
  std::vector<uint32_t> runs(150000);
  for (auto& r : runs) r = rng() & 0xFFFF;
  WriteFile("long.dat", ReplayFile(ok, runs));
  ASSERT_TRUE(LoadPlaybackReplay(&w, "long.dat"));
  int flags[11];
  for (int i = 0; i < 3000000 && w.playback->index < kReplayBufferWords; ++i) w.playback->ReadInput(flags);
  EXPECT_EQ(w.playback->index, kReplayBufferWords);
  w.playback->ReadInput(flags);
  EXPECT_EQ(w.playback->index, kReplayBufferWords);
}

TEST_F(ReplayTest, NumberedNames) {
  GameWorld w;
  RecordGoldenGame(w);
  std::ofstream("replay0000.dat") << "kept";
  fs::create_directory("replay0001.dat");  // any directory entry blocks a name
  ASSERT_TRUE(SaveNumberedReplay(&w));
  EXPECT_STREQ(w.replayFileName, "replay0002.dat");
  EXPECT_EQ(ReadFile("replay0002.dat").size(), 4u * 323);
  EXPECT_EQ(ReadFile("replay0000.dat").size(), 4u);

  // Every name taken: nothing is written, replay9999.dat is kept, failure is reported.
  for (int n = 3; n < 10000; ++n) {
    char name[32];
    std::snprintf(name, sizeof(name), "replay%04d.dat", n);
    std::ofstream(name) << "kept";
  }
  EXPECT_FALSE(ChooseReplayFileName(&w));
  EXPECT_STREQ(w.replayFileName, "replay9999.dat");
  EXPECT_FALSE(SaveNumberedReplay(&w));
  EXPECT_EQ(ReadFile("replay9999.dat"), std::vector<uint8_t>({'k', 'e', 'p', 't'}));

  // A failed write is reported and keeps what was there.
  fs::create_directory("blocked.dat");
  EXPECT_FALSE(SaveReplay(&w, "blocked.dat"));
  EXPECT_TRUE(fs::is_directory("blocked.dat"));
}

TEST_F(ReplayTest, RecorderNames) {
  GameWorld w;
  w.recorder = new ReplayData();
  BeginReplayRecording(&w);
  SetRecorderPlayerName(&w, "(latest)");
  EXPECT_EQ(std::memcmp(w.recorder->header + 12, "(latest)", 8), 0);
  SetRecorderPlayerName(&w, "AB");  // a short text is padded, never read past its end
  const uint8_t padded[8] = {'A', 'B', 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(w.recorder->header + 12, padded, 8), 0);
  std::memcpy(w.result.entryName, "\xB1NAME  Z", 8);
  CopyEntryNameToRecorder(&w);
  char name[9];
  CopyReplayPlayerName(w.recorder, name);
  EXPECT_STREQ(name, "\xB1NAME  Z");
  EXPECT_EQ(w.recorder->header[20], 0);
}
