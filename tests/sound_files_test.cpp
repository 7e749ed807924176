// The generated sound effects and music in the game folder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/SoundSystem.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
int16_t Sample(const std::vector<uint8_t>& b, size_t index) {
  return static_cast<int16_t>(Le16(b, 44 + 2 * index));
}

// The canonical 44-byte header: 'fmt ' of 16 bytes, PCM, 16 bits, 22050 Hz.
void ExpectCanonical(const std::vector<uint8_t>& b, uint16_t channels, const std::string& name) {
  ASSERT_GT(b.size(), 44u) << name;
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << name;
  EXPECT_EQ(Le32(b, 4), b.size() - 8) << name;
  EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ") << name;
  EXPECT_EQ(Le32(b, 16), 16u) << name;
  EXPECT_EQ(Le16(b, 20), 1) << name;
  EXPECT_EQ(Le16(b, 22), channels) << name;
  EXPECT_EQ(Le32(b, 24), 22050u) << name;
  EXPECT_EQ(Le32(b, 28), 22050u * 2 * channels) << name;
  EXPECT_EQ(Le16(b, 32), 2 * channels) << name;
  EXPECT_EQ(Le16(b, 34), 16) << name;
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data") << name;
  EXPECT_EQ(Le32(b, 40), b.size() - 44) << name;
}

struct Level {
  double peak = 0;
  double rms = 0;
  int fullScale = 0;  // samples at the limits: clipping
};

Level Measure(const std::vector<uint8_t>& b, size_t first, size_t count) {
  Level l;
  double sum = 0;
  for (size_t i = first; i < first + count; ++i) {
    const int s = Sample(b, i);
    l.peak = std::max(l.peak, std::fabs(s / 32768.0));
    sum += (s / 32768.0) * (s / 32768.0);
    if (s >= 32767 || s <= -32767) ++l.fullScale;
  }
  l.rms = std::sqrt(sum / static_cast<double>(count));
  return l;
}

std::string GamePath(const char* file) { return std::string(WEXLA_GAME_DIR) + "/" + file; }

TEST(SoundFiles, EffectsAreShortCleanMonoPcm) {
  struct Case { int id; double maxSeconds; } cases[] = {
      {SeGraze, 0.08}, {SeShot, 0.1}, {SeShotHit, 0.06}, {SeBomb, 1.3}, {SePointItem, 0.2},
      {SeEnemyBreak, 0.6}, {SeDecide, 0.35}, {SeCursor, 0.08}, {SeVolume, 0.1}};
  for (const Case& c : cases) {
    const std::string name = SoundEffectFile(c.id);
    const std::vector<uint8_t> b = ReadAll(GamePath(SoundEffectFile(c.id)));
    ExpectCanonical(b, 1, name);
    if (b.size() <= 44) continue;
    const size_t samples = (b.size() - 44) / 2;
    EXPECT_LE(samples / 22050.0, c.maxSeconds) << name;
    const Level l = Measure(b, 0, samples);
    EXPECT_GT(l.peak, 0.3) << name;
    EXPECT_LT(l.peak, 0.95) << name;
    EXPECT_GT(l.rms, 0.04) << name;
  }
}

TEST(SoundFiles, MusicIsStereoPcmWithNoSilenceAndNoClipping) {
  std::set<std::string> seen;
  for (int id = 0; id < kBgmIds; ++id) {
    const char* file = BgmFile(id);
    if (!file || !seen.insert(file).second) continue;
    const std::vector<uint8_t> b = ReadAll(GamePath(file));
    ExpectCanonical(b, 2, file);
    if (b.size() <= 44) continue;
    const size_t frames = (b.size() - 44) / 4;
    const double seconds = frames / 22050.0;
    if (id == BgmGameOver) {
      EXPECT_GE(seconds, 3.0) << file;
      EXPECT_LE(seconds, 8.0) << file;
    } else {
      EXPECT_GE(seconds, 10.0) << file;
    }
    const Level whole = Measure(b, 0, frames * 2);
    EXPECT_EQ(whole.fullScale, 0) << file;
    EXPECT_GT(whole.rms, 0.1) << file;
    // Every second holds music (the game-over jingle may fade out at its end).
    const size_t second = 2 * 22050;
    const size_t checked = id == BgmGameOver ? frames * 2 - 2 * second : frames * 2;
    for (size_t at = 0; at + second <= checked; at += second)
      EXPECT_GT(Measure(b, at, second).rms, 0.03) << file << " second " << at / second;
  }
}

TEST(SoundFiles, TheLoopJumpLandsOnTheSameBytes) {
  for (int id = 0; id < kBgmIds; ++id) {
    uint32_t start = 0, end = 0;
    if (!BgmLoopWindow(id, &start, &end)) continue;
    const std::vector<uint8_t> b = ReadAll(GamePath(BgmFile(id)));
    ASSERT_GT(b.size(), 44u) << id;
    const std::vector<uint8_t> data(b.begin() + 44, b.end());
    // From a write cursor w past end the game jumps to w - (end - start) rounded down to the
    // 4-byte frame, i.e. w - period for every frame-aligned w; the first such w is the first
    // frame above end.
    const uint32_t period = (end - start + 3) / 4 * 4;
    const size_t twoSeconds = 2 * 88200;
    ASSERT_GE(data.size(), end + twoSeconds) << id;
    size_t differing = 0;
    for (size_t at = (end & ~3u) + 4; at < end + twoSeconds; ++at)
      if (data[at] != data[at - period]) ++differing;
    EXPECT_EQ(differing, 0u) << BgmFile(id);
  }
}

TEST(SoundFiles, TheGamesReaderLoadsEveryFile) {
  PlatformEnableMessageBoxes(false);
  SoundSystem sound;
  ASSERT_EQ(sound.Init(nullptr, SoundOutputOffline), 0);
  std::vector<std::string> files;
  for (int id : kSoundEffectIds) files.push_back(SoundEffectFile(id));
  for (int id = 0; id < kBgmIds; ++id)
    if (BgmFile(id)) files.push_back(BgmFile(id));
  for (const std::string& file : files) {
    SoundBuffer* buffer = sound.LoadWave(GamePath(file.c_str()).c_str());
    ASSERT_NE(buffer, nullptr) << file;
    EXPECT_EQ(buffer->Format().samplesPerSec, 22050u) << file;
    buffer->Release();
  }
}

}  // namespace
