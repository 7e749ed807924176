#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Wave.h"

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutId(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }

std::vector<uint8_t> DefaultSamples() {
  std::vector<uint8_t> s;
  for (uint8_t i = 1; i <= 8; ++i) s.push_back(i);
  return s;
}

// A WAVE file, with knobs for the ways real and damaged files differ.
struct WaveSpec {
  const char* riff = "RIFF";
  const char* form = "WAVE";
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 22050;
  uint16_t bits = 16;
  uint32_t fmtSize = 16;
  std::vector<uint8_t> fmtExtra;          // after the 16 bytes
  bool junkBefore = false;                // an odd-sized LIST chunk before 'fmt '
  bool factBeforeData = false;            // a 'fact' chunk between 'fmt ' and 'data'
  bool withFmt = true;
  bool withData = true;
  std::vector<uint8_t> samples = DefaultSamples();
  int64_t dataSizeDelta = 0;              // what the 'data' header claims beyond the real bytes
};

std::vector<uint8_t> MakeWave(const WaveSpec& s) {
  std::vector<uint8_t> body;
  PutId(body, s.form);
  if (s.junkBefore) {
    PutId(body, "LIST");
    Put32(body, 3);
    body.insert(body.end(), {'a', 'b', 'c', 0});  // 3 bytes and the pad byte
  }
  if (s.withFmt) {
    PutId(body, "fmt ");
    Put32(body, s.fmtSize);
    std::vector<uint8_t> fmt;
    Put16(fmt, s.tag);
    Put16(fmt, s.channels);
    Put32(fmt, s.rate);
    const uint16_t block = static_cast<uint16_t>(s.channels * s.bits / 8);
    Put32(fmt, s.rate * block);
    Put16(fmt, block);
    Put16(fmt, s.bits);
    fmt.insert(fmt.end(), s.fmtExtra.begin(), s.fmtExtra.end());
    fmt.resize(s.fmtSize < fmt.size() ? s.fmtSize : fmt.size());
    while (fmt.size() < s.fmtSize) fmt.push_back(0);
    body.insert(body.end(), fmt.begin(), fmt.end());
  }
  if (s.factBeforeData) {
    PutId(body, "fact");
    Put32(body, 4);
    Put32(body, 99);
  }
  if (s.withData) {
    PutId(body, "data");
    Put32(body, static_cast<uint32_t>(static_cast<int64_t>(s.samples.size()) + s.dataSizeDelta));
    body.insert(body.end(), s.samples.begin(), s.samples.end());
  }
  std::vector<uint8_t> file;
  PutId(file, s.riff);
  Put32(file, static_cast<uint32_t>(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

class WaveReader : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/wexla_wave_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    WaveClose();
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  std::string Write(const std::vector<uint8_t>& bytes, const char* name = "t.wav") {
    const std::string path = dir_ + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }
  std::string dir_;
};

TEST_F(WaveReader, ReadsFormatAndDataPastOtherChunks) {
  WaveSpec spec;
  spec.junkBefore = true;
  spec.factBeforeData = true;
  spec.channels = 2;
  ASSERT_TRUE(WaveOpen(Write(MakeWave(spec)).c_str()));
  ASSERT_NE(g_waveFormat, nullptr);
  EXPECT_EQ(g_waveFormat->formatTag, 1);
  EXPECT_EQ(g_waveFormat->channels, 2);
  EXPECT_EQ(g_waveFormat->samplesPerSec, 22050u);
  EXPECT_EQ(g_waveFormat->blockAlign, 4);
  EXPECT_EQ(g_waveFormat->cbSize, 0);
  EXPECT_EQ(g_waveRiffChunk.ckid, WaveFourCC('R', 'I', 'F', 'F'));
  EXPECT_EQ(g_waveDataChunk.cksize, 8u);

  // A partial read counts the chunk down; the next read gets only what is left.
  uint8_t out[16] = {};
  uint32_t read = 0;
  ASSERT_EQ(WaveReadFile(g_waveFile, 3, out, &g_waveDataChunk, &read), WaveResultOk);
  EXPECT_EQ(read, 3u);
  WaveFormatEx format{};
  ASSERT_TRUE(WaveReadData(16, out + 3, &read, &format));
  EXPECT_EQ(read, 5u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], i + 1);
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.avgBytesPerSec, 88200u);
  EXPECT_EQ(g_waveFormat, nullptr);  // freed by the read
  WaveClose();
  EXPECT_EQ(g_waveFile, nullptr);
}

TEST_F(WaveReader, OtherTagsKeepTheirExtraBytes) {
  WaveSpec spec;
  spec.tag = 2;
  spec.fmtSize = 20;
  spec.fmtExtra = {2, 0, 0xAB, 0xCD};
  ASSERT_TRUE(WaveOpen(Write(MakeWave(spec)).c_str()));
  ASSERT_NE(g_waveFormat, nullptr);
  EXPECT_EQ(g_waveFormat->formatTag, 2);
  ASSERT_EQ(g_waveFormat->cbSize, 2);
  const uint8_t* extra = reinterpret_cast<const uint8_t*>(g_waveFormat) + sizeof(WaveFormatEx);
  EXPECT_EQ(extra[0], 0xAB);
  EXPECT_EQ(extra[1], 0xCD);
  WaveClose();

  // A 16-byte chunk has no extra-size word: the next chunk's id is not taken for one.
  spec.fmtSize = 16;
  spec.fmtExtra.clear();
  ASSERT_TRUE(WaveOpen(Write(MakeWave(spec)).c_str()));
  EXPECT_EQ(g_waveFormat->formatTag, 2);
  EXPECT_EQ(g_waveFormat->cbSize, 0);
  EXPECT_EQ(g_waveDataChunk.cksize, 8u);
}

TEST_F(WaveReader, RefusesDamagedFiles) {
  struct Case {
    const char* what;
    WaveSpec spec;
  };
  std::vector<Case> cases;
  auto add = [&cases](const char* what, auto change) {
    WaveSpec s;
    change(s);
    cases.push_back({what, s});
  };
  add("not RIFF", [](WaveSpec& s) { s.riff = "RIFX"; });
  add("not WAVE", [](WaveSpec& s) { s.form = "AVI "; });
  add("no fmt", [](WaveSpec& s) { s.withFmt = false; });
  add("fmt shorter than 16", [](WaveSpec& s) { s.fmtSize = 14; });
  add("no data", [](WaveSpec& s) { s.withData = false; });
  add("data longer than the file", [](WaveSpec& s) { s.dataSizeDelta = 1; });
  add("data size near 4 GB", [](WaveSpec& s) { s.dataSizeDelta = 0xFFFFFF00; });
  add("extra bytes missing", [](WaveSpec& s) {
    s.tag = 3;
    s.fmtSize = 18;
    s.fmtExtra = {200, 0};
    s.withData = false;
  });
  for (const Case& c : cases) {
    EXPECT_FALSE(WaveOpen(Write(MakeWave(c.spec)).c_str())) << c.what;
    WaveClose();
  }

  // Files cut short anywhere in the headers.
  const std::vector<uint8_t> good = MakeWave(WaveSpec{});
  for (size_t cut : {size_t{0}, size_t{4}, size_t{11}, size_t{20}, size_t{36}, size_t{43}}) {
    EXPECT_FALSE(WaveOpen(Write(std::vector<uint8_t>(good.begin(), good.begin() + cut)).c_str())) << cut;
    WaveClose();
  }
  EXPECT_FALSE(WaveOpen((dir_ + "/missing.wav").c_str()));
  WaveClose();
  EXPECT_FALSE(WaveOpen(dir_.c_str()));  // a folder
  WaveClose();
  EXPECT_EQ(g_waveFile, nullptr);
  EXPECT_EQ(g_waveFormat, nullptr);
}

}  // namespace
