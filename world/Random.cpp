#include "world/Random.h"

#include <cstdio>
#include <vector>

#include "platform/Platform.h"

int32_t g_randomTable[kRandomTableSize];
int32_t g_randomTableSize = kRandomTableSize;
int32_t g_randomIndex = 0;
int32_t g_randomStep = 0;
int32_t g_randomSeedIndex = 0;

namespace {

int NextValue() {
  g_randomStep = (g_randomStep + 1) % (kRandomTableSize / 2);
  g_randomIndex = (g_randomIndex + g_randomStep) % kRandomTableSize;
  return (g_randomTable[g_randomIndex] + g_randomStep) % 32768;
}

}  // namespace

int RandomInt(int n) {
  int v = NextValue();
  // 64-bit product truncated to 32 bits: unchanged for every n below 65536, no overflow above.
  int64_t p = static_cast<int64_t>(v) * n;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(p)) ) / 32768;
}

float RandomFloat(float f) {
  int v = NextValue();
  return (static_cast<float>(v) / 32768.0f) * f;
}

void SetRandomState(int index, int step) {
  g_randomSeedIndex = index;
  g_randomIndex = index;
  g_randomStep = step;
}

void GetRandomState(int* outSeedIndex, int* outStep) {
  *outSeedIndex = g_randomSeedIndex;
  *outStep = g_randomStep;
}

int LoadRandomTableFromBytes(const uint8_t* data, long size) {
  if (size < 2) return 1;
  int word0 = data[0] | (data[1] << 8);
  if (word0 != kRandomTableSize) return 2;
  if (size < 2L * kRandomTableSize) return 1;
  for (int i = 0; i < kRandomTableSize; ++i) g_randomTable[i] = data[2 * i] | (data[2 * i + 1] << 8);
  return 0;
}

void SeedRandomWalk(uint32_t milliseconds) {
  int t = static_cast<int>(milliseconds % kRandomTableSize);
  // The first two values of the C runtime's unseeded generator (seed 1), fixed here so the
  // seeding does not depend on this platform's rand().
  const int r1 = 41;
  const int r2 = 18467;
  g_randomSeedIndex = g_randomIndex = (r1 * kRandomTableSize) / 32768 + t;
  g_randomStep = (r2 + t) % kRandomTableSize;
}

bool LoadRandomTable() {
  std::FILE* f = PlatformOpenFileForReading("rndtbl.dat");
  if (!f) {
    PlatformMessageBox("乱数テーブルが見つかりません", "error", MessageBoxOk);
    return false;
  }
  std::vector<uint8_t> bytes(2 * kRandomTableSize);
  long got = static_cast<long>(std::fread(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);
  if (got < 2) {
    // An empty file has no first word: it is as bad as a wrong one.
    PlatformMessageBox("乱数テーブルが異常です", "error", MessageBoxOk);
    return false;
  }
  if (LoadRandomTableFromBytes(bytes.data(), got) != 0) {
    // A wrong first word and a short table are both reported as a bad table.
    PlatformMessageBox("乱数テーブルが異常です", "error", MessageBoxOk);
    return false;
  }
  SeedRandomWalk(PlatformMilliseconds());
  return true;
}
