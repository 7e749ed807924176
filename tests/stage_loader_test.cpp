#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "enemy/StageScript.h"
#include "platform/Platform.h"

namespace {

std::vector<StageEvent> Parse(const std::string& text, StageScript* s) {
  s->LoadBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  return std::vector<StageEvent>(s->events, s->events + s->eventCount);
}

void ExpectEvent(const StageEvent& a, const StageEvent& e) {
  EXPECT_EQ(a.frame, e.frame);
  EXPECT_EQ(a.lineType, e.lineType);
  EXPECT_EQ(a.kind, e.kind);
  EXPECT_EQ(a.amount, e.amount);
  EXPECT_EQ(a.selector, e.selector);
  EXPECT_EQ(a.interval, e.interval);
  EXPECT_EQ(a.spawnType, e.spawnType);
  EXPECT_EQ(a.x, e.x);
  EXPECT_EQ(a.y, e.y);
  EXPECT_EQ(a.vx, e.vx);
  EXPECT_EQ(a.vy, e.vy);
  EXPECT_EQ(a.dx, e.dx);
  EXPECT_EQ(a.dy, e.dy);
  EXPECT_EQ(a.intCount, e.intCount);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(a.intIds[i], e.intIds[i]) << i;
    EXPECT_EQ(a.intValues[i], e.intValues[i]) << i;
    EXPECT_EQ(a.floatIds[i], e.floatIds[i]) << i;
    EXPECT_EQ(a.floatValues[i], e.floatValues[i]) << i;
    EXPECT_EQ(a.flagIds[i], e.flagIds[i]) << i;
    EXPECT_EQ(a.flagValues[i], e.flagValues[i]) << i;
  }
  EXPECT_EQ(a.floatCount, e.floatCount);
  EXPECT_EQ(a.flagCount, e.flagCount);
  EXPECT_EQ(a.maxAlive, e.maxAlive);
  EXPECT_EQ(a.difficultyCond, e.difficultyCond);
  EXPECT_EQ(a.playerXCond, e.playerXCond);
  EXPECT_EQ(a.playerYCond, e.playerYCond);
}

constexpr int32_t kIntMax = 2147483647;
constexpr int32_t kIntMin = -2147483647 - 1;

}  // namespace

TEST(StageLoader, LinesAndTheirEvents) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<StageEvent> events;
  };
  const std::string longDigits(300, '2');
  const Case cases[] = {
      {"enemy line", "e120 3 0 180 -20 0 2\r\n",
       {{.frame = 120, .lineType = EventEnemy, .kind = 3, .x = 180, .y = -20, .vy = 2}}},
      {"LF alone ends the last field too", "e120 3 0 180 -20 0 2\n",
       {{.frame = 120, .lineType = EventEnemy, .kind = 3, .x = 180, .y = -20, .vy = 2}}},
      {"relative forms", "e120 3 0 180 -20 0 2\r\ne+60 3 0 @20 @ @ @\r\ne-5 1 @2\r\n",
       {{.frame = 120, .lineType = EventEnemy, .kind = 3, .x = 180, .y = -20, .vy = 2},
        {.frame = 180, .lineType = EventEnemy, .kind = 3, .x = 200, .y = -20, .vy = 2},
        {.frame = 175, .lineType = EventEnemy, .kind = 1, .selector = 2}}},
      {"spawner with an x jitter", "g240 1 0 8 10 < 100 0 12 3 0 X4\r\n",
       {{.frame = 240, .lineType = EventSpawner, .amount = 8, .selector = 0, .interval = 10, .spawnType = 1,
         .x = kStageEdgeLow, .y = 100, .vx = 3, .dy = 12, .floatIds = {1000}, .floatCount = 1,
         .floatValues = {4}}}},
      {"edges leave the previous value", "e1 0 0 50 > 0 0\r\ne2 0 0 < @5 0 0\r\n",
       {{.frame = 1, .lineType = EventEnemy, .x = 50, .y = kStageEdgeHigh},
        {.frame = 2, .lineType = EventEnemy, .x = kStageEdgeLow, .y = 5}}},
      {"flag lines", "b300 2 -1\r\nb300 2 1\r\nb300 2 0\r\n",
       {{.frame = 300, .lineType = EventFlag, .amount = 2, .selector = -1},
        {.frame = 300, .lineType = EventFlag, .amount = 2, .selector = 1},
        {.frame = 300, .lineType = EventFlag, .amount = 2, .selector = 0}}},
      {"phase line with options", "s900 2 b0 1\r\n",
       {{.frame = 900, .lineType = EventPhase, .amount = 2, .flagIds = {0}, .flagValues = {1}, .flagCount = 1}}},
      {"conditions", "e400 70 0 180 -60 0 1 n0 d3 x-120.5 y2e2\r\n",
       {{.frame = 400, .lineType = EventEnemy, .kind = 70, .x = 180, .y = -60, .vy = 1, .maxAlive = 0,
         .difficultyCond = 3, .playerXCond = -120.5f, .playerYCond = 200}}},
      {"int entries", "e50 1 0 100 0 0 2 m0 5 m1 7\r\n",
       {{.frame = 50, .lineType = EventEnemy, .kind = 1, .x = 100, .vy = 2, .intIds = {0, 1}, .intValues = {5, 7},
         .intCount = 2}}},
      {"effect line", "f10 5 1 2 3 4 60 m0 1 p2 0.5\r\n",
       {{.frame = 10, .lineType = EventEffect, .kind = 5, .amount = 60, .x = 1, .y = 2, .vx = 3, .vy = 4,
         .intIds = {0}, .intValues = {1}, .floatIds = {2}, .intCount = 1, .floatCount = 1, .floatValues = {0.5f}}}},
      {"comments", " e10 1 0 0 0 0 0\r\n//e\r\nE10 1\r\n\r\n0 e\r\n", {}},
      {"empty file", "", {}},
      {"letter alone and a separator after the letter", "e\r\ne 120 3\r\n",
       {{.lineType = EventEnemy}, {.lineType = EventEnemy, .kind = 120, .selector = 3}}},
      {"the byte after an option letter is its value", "e1 0 0 0 0 0 0 n 5 d-2\r\n",
       {{.frame = 1, .lineType = EventEnemy, .maxAlive = 5, .difficultyCond = -2}}},
      {"tabs and colons separate", "e10:1\t0 5 6 7 8\r\n",
       {{.frame = 10, .lineType = EventEnemy, .kind = 1, .x = 5, .y = 6, .vx = 7, .vy = 8}}},
      {"a fourth entry of a kind is ignored", "e1 0 0 0 0 0 0 m0 1 m1 2 m2 3 m3 4 p0 1 p1 2 X3 Y4 b0 1 b1 0 b2 1 b3 1\r\n",
       {{.frame = 1, .lineType = EventEnemy, .intIds = {0, 1, 2}, .intValues = {1, 2, 3}, .floatIds = {0, 1, 1000},
         .intCount = 3, .floatCount = 3, .floatValues = {1, 2, 3}, .flagIds = {0, 1, 2}, .flagValues = {1, 0, 1},
         .flagCount = 3}}},
      {"an unknown option letter ends the line", "e1 0 0 0 0 0 0 n3 z9 d4\r\n",
       {{.frame = 1, .lineType = EventEnemy, .maxAlive = 3}}},
      {"ids are stored as given", "g1 0 0 1 1 0 0 0 0 0 0 m300 5 p-1 6 b16 1\r\n",
       {{.frame = 1, .lineType = EventSpawner, .amount = 1, .interval = 1, .intIds = {300}, .intValues = {5},
         .floatIds = {-1}, .intCount = 1, .floatCount = 1, .floatValues = {6}, .flagIds = {16}, .flagValues = {1},
         .flagCount = 1}}},
      {"numbers saturate", "e99999999999 0 0 1e400 -1e400 0 0 m0 -99999999999\r\ne+10 0 0 @1e38 0 0 0\r\n",
       {{.frame = kIntMax, .lineType = EventEnemy, .x = 1e38f, .y = -1e38f, .intIds = {0}, .intValues = {kIntMin},
         .intCount = 1},
        {.frame = kIntMax, .lineType = EventEnemy, .x = 1e38f}}},
      {"only decimal numbers", "e1 0 0 0x10 inf nan 1e\r\n", {{.frame = 1, .lineType = EventEnemy, .vy = 1}}},
      {"a long token is capped and keeps the fields in place", "e1 0 0 " + longDigits + " 5 0 0\r\n",
       {{.frame = 1, .lineType = EventEnemy, .x = 1e38f, .y = 5}}},
      {"reading ends at 0xFF", "e1 0 0 0 0 0 0\r\n\xFF" "e2 0 0 0 0 0 0\r\n", {{.frame = 1, .lineType = EventEnemy}}},
      {"0xFF right after an option letter", "e1 0 0 0 0 0 0 n\xFF\r\ne2 0 0 0 0 0 0\r\n",
       {{.frame = 1, .lineType = EventEnemy}}},
      {"the end of the file right after an option letter", "e1 0 0 0 0 0 0 n", {{.frame = 1, .lineType = EventEnemy}}},
      // As with CR LF, the line end after an option letter leaves the option out; the next line
      // is a line of its own.
      {"an LF right after an option letter", "e1 0 0 0 0 0 0 n\ne2 0 0 0 0 0 0\r\n",
       {{.frame = 1, .lineType = EventEnemy}, {.frame = 2, .lineType = EventEnemy}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StageScript s;
    const std::vector<StageEvent> got = Parse(c.text, &s);
    ASSERT_EQ(got.size(), c.events.size());
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      ExpectEvent(got[i], c.events[i]);
    }
  }
}

// The same script with CR LF, with LF alone, mixed, and without a line end after its last line
// reads to the same events, last fields included.
TEST(StageLoader, LineEndsCrLfLfAndNoFinalNewlineReadAlike) {
  const std::vector<std::string> lines = {
      "// comment",
      "e120 3 0 180 -20 0 2",
      "e+60 3 0 @20 @ @ @",
      "g240 1 0 8 10 < 100 0 12 3 0 X4",
      "f10 5 1 2 3 4 60",
      "b300 2 -1",
      "e400 70 0 180 -60 0 1 n0 d3",
      "e50 1 0 100 0 0 2 m0 5 m1 7",
      "",
      "e",
      "s900 2",
  };
  const std::vector<StageEvent> want = {
      {.frame = 120, .lineType = EventEnemy, .kind = 3, .x = 180, .y = -20, .vy = 2},
      {.frame = 180, .lineType = EventEnemy, .kind = 3, .x = 200, .y = -20, .vy = 2},
      {.frame = 240, .lineType = EventSpawner, .amount = 8, .selector = 0, .interval = 10, .spawnType = 1,
       .x = kStageEdgeLow, .y = 100, .vx = 3, .vy = 0, .dy = 12, .floatIds = {1000}, .floatCount = 1,
       .floatValues = {4}},
      {.frame = 10, .lineType = EventEffect, .kind = 5, .amount = 60, .x = 1, .y = 2, .vx = 3, .vy = 4},
      {.frame = 300, .lineType = EventFlag, .amount = 2, .selector = -1},
      {.frame = 400, .lineType = EventEnemy, .kind = 70, .x = 180, .y = -60, .vy = 1, .maxAlive = 0,
       .difficultyCond = 3},
      {.frame = 50, .lineType = EventEnemy, .kind = 1, .x = 100, .vy = 2, .intIds = {0, 1}, .intValues = {5, 7},
       .intCount = 2},
      {.lineType = EventEnemy},
      {.frame = 900, .lineType = EventPhase, .amount = 2},
  };
  const struct {
    const char* name;
    const char* ends[2];  // the line end of even and of odd lines
    bool finalEnd;
  } variants[] = {
      {"CR LF", {"\r\n", "\r\n"}, true},       {"LF", {"\n", "\n"}, true},
      {"mixed", {"\n", "\r\n"}, true},         {"CR LF, none at the end", {"\r\n", "\r\n"}, false},
      {"LF, none at the end", {"\n", "\n"}, false},
  };
  for (const auto& v : variants) {
    SCOPED_TRACE(v.name);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size() || v.finalEnd) text += v.ends[i % 2];
    }
    StageScript s;
    const std::vector<StageEvent> got = Parse(text, &s);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
      SCOPED_TRACE(i);
      ExpectEvent(got[i], want[i]);
    }
  }
}

TEST(StageLoader, NumberReaders) {
  struct I {
    const char* text;
    int32_t value;
  } const ints[] = {{"", 0}, {"  -12x", -12}, {"+7", 7}, {"2147483647", kIntMax}, {"2147483648", kIntMax},
                    {"-2147483648", kIntMin}, {"-99999999999999999999", kIntMin}, {"x5", 0}};
  for (const I& c : ints) EXPECT_EQ(ReadStageInt(c.text), c.value) << c.text;
  struct F {
    const char* text;
    float value;
  } const floats[] = {{"", 0}, {"1.5e1x", 15}, {" -.25", -0.25f}, {"3.", 3}, {".", 0}, {"1e", 1}, {"1e+", 1},
                      {"2E-1", 0.2f}, {"1e39", 1e38f}, {"-1e999999", -1e38f}, {"inf", 0}, {"0x1p3", 0}};
  for (const F& c : floats) EXPECT_EQ(ReadStageFloat(c.text), c.value) << c.text;
}

TEST(StageLoader, FilesAndTheStageNumber) {
  const auto dir = std::filesystem::temp_directory_path() / ("wexla_stage_loader_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto path = (dir / "st07.txt").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("// test stage\r\ne1 1 0 10 20 0 1\r\ns2 2\r\n", f);
  std::fclose(f);

  StageScript s;
  EXPECT_TRUE(s.LoadFile(path.c_str()));
  ASSERT_EQ(s.eventCount, 2);
  EXPECT_EQ(s.events[1].lineType, EventPhase);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(s.LoadFile((dir / "missing.txt").string().c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a missing stage is an empty one
  EXPECT_EQ(s.eventCount, 0);
  EXPECT_EQ(s.events, nullptr);

  // Up to the size bound a file is read; one byte more and it is refused unread, with a word.
  std::string text = "e1 1 0 10 20 0 1\r\n";
  text.resize(kStageFileMaxBytes, ' ');
  const auto big = (dir / "big.txt").string();
  for (size_t extra : {0, 1}) {
    std::FILE* b = std::fopen(big.c_str(), "wb");
    ASSERT_NE(b, nullptr);
    std::fwrite(text.data(), 1, text.size() + extra, b);  // the terminator is the extra byte
    std::fclose(b);
    PlatformForgetReportedFiles();
    testing::internal::CaptureStderr();
    EXPECT_EQ(s.LoadFile(big.c_str()), extra == 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), extra == 0 ? "" : "wexla: " + big + ": too large\n");
    EXPECT_EQ(s.eventCount, extra == 0 ? 1 : 0);
  }
  PlatformForgetReportedFiles();

  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  StageScript seven(7);
  StageScript eight(8);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(seven.eventCount, 2);
  EXPECT_EQ(eight.eventCount, 0);
  std::filesystem::remove_all(dir);
}
