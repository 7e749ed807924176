#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "world/MathUtil.h"
#include "world/Random.h"

TEST(MathUtil, NormalizeAndDistance) {
  EXPECT_FLOAT_EQ(NormalizeAngle(-90), 270);
  EXPECT_FLOAT_EQ(NormalizeAngle(720), 0);
  EXPECT_FLOAT_EQ(NormalizeAngle(359.5f), 359.5f);
  EXPECT_EQ(NormalizeAngle(-0.000001f), 360.0f);  // kept: callers that index tables clamp
  EXPECT_FLOAT_EQ(AngleDistance(350, 10), 20);
  EXPECT_FLOAT_EQ(AngleDistance(0, 180), 180);
  EXPECT_FLOAT_EQ(Atan2Deg(0, -1), 180);
  EXPECT_FLOAT_EQ(Atan2Deg(-0.0f, -1), -180);
}

TEST(MathUtil, TurnAngleToward) {
  struct Case { float cur, target, step, want; } cases[] = {
      {175, 185, 20, 185}, {355, 3, 10, 3}, {10, 200, 20, 350}, {0, 180, 5, 5},
      {90, 90, 5, 90},     {90, 90, -5, 90}, {10, 20, -5, 5},
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(TurnAngleToward(c.cur, c.target, c.step), c.want) << c.cur << "->" << c.target;
}

TEST(MathUtil, PolarAndRounding) {
  float a = -1, l = -1;
  XYToPolar(0, 0, &a, &l);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(l, 0);
  float x, y;
  PolarToXY(&x, &y, 90, 2);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_FLOAT_EQ(y, -2);  // 90 points up the screen
  EXPECT_EQ(FloorF(-2.5f), -3);
  EXPECT_EQ(FloorF(-2), -2);
  EXPECT_EQ(FloorF(2.7f), 2);
  EXPECT_EQ(ClampInt(5, 10, 3), 10);
  EXPECT_EQ(ClampInt(12, 10, 3), 3);
  EXPECT_EQ(FloatToInt(NAN), 0);
  EXPECT_EQ(FloatToInt(INFINITY), INT32_MAX);
  EXPECT_EQ(FloatToInt(-1e20f), INT32_MIN);
  EXPECT_EQ(FloatToByte(300.0f), 255);
  EXPECT_EQ(FloatToByte(-3.0f), 0);
}

TEST(MathUtil, TriangleWaves) {
  const int wave4[] = {0, 1, 2, 1, 0, 1};
  const int odd5[] = {0, 1, 2, 1, 0, 0};
  for (int t = 0; t < 6; ++t) {
    EXPECT_EQ(TriangleWave(t, 4), wave4[t]);
    EXPECT_EQ(TriangleWaveOdd(t, 5), odd5[t]);
  }
  EXPECT_EQ(TriangleWave(5, 0), 0);
  EXPECT_EQ(TriangleWave(-1, 4), 1);
  EXPECT_EQ(TriangleWaveOdd(3, 4), 0);
  // Huge lifetimes must not overflow.
  EXPECT_EQ(TriangleWave(2147483647, 2147483647), 0);
  EXPECT_EQ(TriangleWave(2147483646, 1000), 2147483646 % 1000 > 500 ? 1000 - 2147483646 % 1000 : 2147483646 % 1000);
}

namespace {
// A small table: entry i = i * 7, so draws can be worked out by hand.
void LoadTestTable() {
  std::vector<uint8_t> b(2 * kRandomTableSize);
  for (int i = 0; i < kRandomTableSize; ++i) {
    int w = i == 0 ? kRandomTableSize : (i * 7) & 0xFFFF;
    b[2 * i] = w & 0xFF;
    b[2 * i + 1] = w >> 8;
  }
  ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}
}  // namespace

TEST(Random, FixedSequenceFromKnownState) {
  LoadTestTable();
  g_randomIndex = 100;
  g_randomStep = 5;
  // step 6, index 106, v = (742 + 6) % 32768 = 748
  EXPECT_EQ(RandomInt(32768), 748);
  EXPECT_EQ(g_randomStep, 6);
  EXPECT_EQ(g_randomIndex, 106);
  // step 7, index 113, v = 791 + 7 = 798; 798 * 1000 / 32768 = 24
  EXPECT_EQ(RandomInt(1000), 24);
  // step 8, index 121, v = 847 + 8 = 855 -> 855/32768 * 360
  EXPECT_FLOAT_EQ(RandomFloat(360), (855 / 32768.0f) * 360);
  // Step wraps at 10240, index at 20480.
  g_randomStep = 10239;
  g_randomIndex = 20479;
  RandomInt(1);
  EXPECT_EQ(g_randomStep, 0);
  EXPECT_EQ(g_randomIndex, 20479);
}

TEST(Random, EdgeCases) {
  LoadTestTable();
  SeedRandomWalk(1234);
  EXPECT_EQ(g_randomSeedIndex, 25 + 1234);
  EXPECT_EQ(g_randomIndex, 25 + 1234);
  EXPECT_EQ(g_randomStep, (18467 + 1234) % 20480);
  int before = g_randomStep;
  EXPECT_EQ(RandomInt(0), 0);
  EXPECT_NE(g_randomStep, before);  // still advances
  for (int i = 0; i < 5000; ++i) {
    EXPECT_EQ(RandomInt(1), 0);
    int r = RandomInt(255) + 1;
    EXPECT_GE(r, 1);
    EXPECT_LE(r, 255);
    EXPECT_LT(RandomFloat(360), 360.0f);
    int n = RandomInt(-10);
    EXPECT_LE(n, 0);
    EXPECT_GT(n, -10);
  }
  // Large n: the 64-bit product cannot overflow into undefined behaviour.
  RandomInt(1 << 30);
  // Same state, same calls, same values.
  SeedRandomWalk(777);
  std::vector<int> a, b;
  for (int i = 0; i < 100; ++i) a.push_back(RandomInt(1000));
  SeedRandomWalk(777);
  for (int i = 0; i < 100; ++i) b.push_back(RandomInt(1000));
  EXPECT_EQ(a, b);
}

TEST(Random, TableBytesAreChecked) {
  std::vector<uint8_t> b(2 * kRandomTableSize, 0);
  b[0] = 20481 & 0xFF;
  b[1] = 20481 >> 8;
  EXPECT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 2);
  b[0] = 20480 & 0xFF;
  b[1] = 20480 >> 8;
  EXPECT_EQ(LoadRandomTableFromBytes(b.data(), 40959), 1);  // short table rejected
  EXPECT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}

TEST(Random, ShippedTableIsValid) {
  std::ifstream f(WEXLA_GAME_DIR "/rndtbl.dat", std::ios::binary);
  ASSERT_TRUE(f.good());
  std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  ASSERT_EQ(b.size(), 40960u);
  EXPECT_EQ(b[0] | (b[1] << 8), 20480);
}

#include <unistd.h>

#include <filesystem>

#include "platform/Platform.h"

TEST(Random, LoadRandomTableFromFile) {
  namespace fs = std::filesystem;
  const fs::path old = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("wexla_rnd_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  PlatformEnableMessageBoxes(false);
  auto write = [](long size, int word0) {
    std::vector<uint8_t> b(size, 3);
    if (size >= 2) { b[0] = word0 & 0xFF; b[1] = word0 >> 8; }
    std::FILE* f = std::fopen("rndtbl.dat", "wb");
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
  };
  fs::remove("rndtbl.dat");
  EXPECT_FALSE(LoadRandomTable());  // missing
  write(40959, 20480);
  EXPECT_FALSE(LoadRandomTable());  // short
  write(0, 0);
  EXPECT_FALSE(LoadRandomTable());  // empty
  write(40960, 20481);
  EXPECT_FALSE(LoadRandomTable());  // wrong first word
  fs::remove("rndtbl.dat");
  fs::create_directory("rndtbl.dat");
  EXPECT_FALSE(LoadRandomTable());  // a folder is not a table
  fs::remove("rndtbl.dat");
  write(40970, 20480);
  EXPECT_TRUE(LoadRandomTable());  // bytes after 40960 are ignored
  EXPECT_EQ(g_randomTable[5], 3 | (3 << 8));
  fs::current_path(old);
  fs::remove_all(dir);
}
