#include "app/Settings.h"

#include <cstring>
#include <vector>

#include "platform/Platform.h"

int32_t g_config[256];
HighScoreEntry g_highScores[kHighScoreTables][kHighScoreEntries];

namespace {

void PutLE32(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = u & 0xFF;
  p[1] = (u >> 8) & 0xFF;
  p[2] = (u >> 16) & 0xFF;
  p[3] = (u >> 24) & 0xFF;
}

}  // namespace

bool WriteConfigFile() {
  uint8_t bytes[1024];
  for (int i = 0; i < 256; ++i) PutLE32(bytes + 4 * i, g_config[i]);
  return PlatformWriteFileAtomic("config.dat", bytes, sizeof(bytes));
}

bool WriteHighScoreFile() {
  std::vector<uint8_t> bytes(kHighScoreTables * kHighScoreEntries * 28);
  uint8_t* p = bytes.data();
  for (int t = 0; t < kHighScoreTables; ++t) {
    for (int i = 0; i < kHighScoreEntries; ++i, p += 28) {
      const HighScoreEntry& e = g_highScores[t][i];
      PutLE32(p, e.scoreLow);
      PutLE32(p + 4, e.scoreHigh);
      PutLE32(p + 8, e.item);
      PutLE32(p + 12, e.miss);
      std::memcpy(p + 16, e.name, 8);
      PutLE32(p + 24, e.stage);
    }
  }
  return PlatformWriteFileAtomic("hiscore.dat", bytes.data(), bytes.size());
}
