#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/HighScore.h"
#include "world/GameWorld.h"

namespace fs = std::filesystem;

namespace {

HighScoreEntry DefaultEntry(int i) {
  HighScoreEntry e;
  e.scoreLow = (10 - i) * 10000;
  e.scoreHigh = 0;
  e.item = (10 - i) * 100;
  e.miss = i + 1;
  std::memcpy(e.name, "no name ", 8);
  e.stage = 1;
  return e;
}

bool SameEntry(const HighScoreEntry& a, const HighScoreEntry& b) {
  return a.scoreLow == b.scoreLow && a.scoreHigh == b.scoreHigh && a.item == b.item &&
         a.miss == b.miss && std::memcmp(a.name, b.name, 8) == 0 && a.stage == b.stage;
}

int32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[at + i];
  return static_cast<int32_t>(v);
}

class HighScoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    char tmpl[] = "/tmp/wexla_hiscore_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    for (auto& table : g_highScores)
      for (int i = 0; i < kHighScoreEntries; ++i) table[i] = DefaultEntry(i);
    g_difficulty = 3;
    g_stage = 5;
    Player& p = world_.player;
    p.scoreLow = 100001;
    p.scoreHigh = 0;
    p.gaugeTotal = 4321;
    p.hitCount = 7;
    std::memcpy(world_.result.entryName, "PLAYER 1", 8);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }

  GameWorld world_;
  fs::path old_, dir_;
};

}  // namespace

TEST(HighScoreRank, AgainstTheDefaultTable) {
  HighScoreEntry table[kHighScoreEntries];
  for (int i = 0; i < kHighScoreEntries; ++i) table[i] = DefaultEntry(i);
  struct Case { int low, high, rank; } cases[] = {
      {10000, 0, -1}, {0, 0, -1}, {10001, 0, 9}, {100000, 0, 1},  // a tie ranks below
      {100001, 0, 0}, {55000, 0, 5}, {0, 1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(RankScoreInTable(table, c.low, c.high), c.rank) << c.low;

  // The high part decides first: 1 x 100,000,000 + 0 beats 0 x 100,000,000 + 99,999,999.
  table[0].scoreLow = 99999999;
  EXPECT_EQ(RankScoreInTable(table, 0, 1), 0);
  table[0].scoreLow = 0;
  table[0].scoreHigh = 1;
  EXPECT_EQ(RankScoreInTable(table, 99999999, 0), 1);
}

TEST_F(HighScoreTest, InsertShiftsTheRestAndRewritesTheFile) {
  ASSERT_EQ(RankHighScore(&world_), 0);
  ASSERT_TRUE(StoreHighScore(&world_, 0));
  const HighScoreEntry* t = g_highScores[3];
  EXPECT_EQ(t[0].scoreLow, 100001);
  EXPECT_EQ(t[0].item, 4321);
  EXPECT_EQ(t[0].miss, 7);
  EXPECT_EQ(std::memcmp(t[0].name, "PLAYER 1", 8), 0);
  EXPECT_EQ(t[0].stage, 5);
  for (int i = 1; i < kHighScoreEntries; ++i) EXPECT_TRUE(SameEntry(t[i], DefaultEntry(i - 1))) << i;
  for (int i = 0; i < kHighScoreEntries; ++i) EXPECT_TRUE(SameEntry(g_highScores[2][i], DefaultEntry(i)));

  std::ifstream in("hiscore.dat", std::ios::binary);
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(b.size(), 17920u);
  const size_t at = 280 * 3;
  EXPECT_EQ(Get32(b, at), 100001);
  EXPECT_EQ(Get32(b, at + 8), 4321);
  EXPECT_EQ(std::memcmp(&b[at + 16], "PLAYER 1", 8), 0);
  EXPECT_EQ(Get32(b, at + 28), 100000);  // the old first entry, now second

  char name[9];
  std::memcpy(g_highScores[3][0].name, "\xFFLONGEST", 8);  // eight bytes, no terminator
  CopyHighScoreName(g_highScores[3][0], name);
  EXPECT_STREQ(name, "\xFFLONGEST");
}

TEST_F(HighScoreTest, LastRankAllClearAndNoRank) {
  g_stage = 7;  // past the last stage: an all clear
  ASSERT_TRUE(StoreHighScore(&world_, 9));
  const HighScoreEntry* t = g_highScores[3];
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(SameEntry(t[i], DefaultEntry(i)));
  EXPECT_EQ(t[9].scoreLow, 100001);
  EXPECT_EQ(t[9].stage, -1);

  fs::remove("hiscore.dat");
  HighScoreEntry before[kHighScoreEntries];
  std::memcpy(before, t, sizeof(before));
  // No rank, and ranks outside -1..9: nothing inserted, the file is still rewritten.
  for (int rank : {-1, 10, -2, INT_MAX, INT_MIN}) {
    EXPECT_TRUE(StoreHighScore(&world_, rank));
    EXPECT_EQ(std::memcmp(before, t, sizeof(before)), 0) << rank;
  }
  EXPECT_EQ(fs::file_size("hiscore.dat"), 17920u);

  // A difficulty without a table is never ranked nor stored into.
  for (int d : {-1, 64}) {
    g_difficulty = d;
    EXPECT_EQ(RankHighScore(&world_), -1);
    StoreHighScore(&world_, 0);
  }
  g_difficulty = 3;
  EXPECT_EQ(std::memcmp(before, t, sizeof(before)), 0);
}

TEST_F(HighScoreTest, FailedWriteKeepsTheNewEntryInMemory) {
  fs::create_directory("hiscore.dat");
  EXPECT_FALSE(StoreHighScore(&world_, 4));
  EXPECT_EQ(g_highScores[3][4].scoreLow, 100001);
  EXPECT_TRUE(fs::is_directory("hiscore.dat"));
}
