#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "platform/Platform.h"
#include "platform/SoundMixer.h"
#include "platform/SoundSystem.h"

namespace {

// ---- the mixer -----------------------------------------------------------------------------

WaveFormatEx Pcm(uint16_t channels, uint16_t bits, uint32_t rate = 22050) {
  WaveFormatEx f{};
  f.formatTag = WaveFormatPcm;
  f.channels = channels;
  f.bitsPerSample = bits;
  f.samplesPerSec = rate;
  f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
  f.avgBytesPerSec = rate * f.blockAlign;
  return f;
}

// A mono 16-bit buffer whose frame i holds value(i).
SoundBuffer* MonoRamp(SoundMixer& mixer, int frames, int16_t (*value)(int)) {
  const WaveFormatEx f = Pcm(1, 16);
  SoundBufferDesc desc;
  desc.bufferBytes = static_cast<uint32_t>(frames * 2);
  desc.format = &f;
  SoundBuffer* b = mixer.CreateBuffer(desc);
  std::vector<int16_t> s(frames);
  for (int i = 0; i < frames; ++i) s[i] = value(i);
  b->Write(0, s.data(), desc.bufferBytes);
  return b;
}

int16_t Index(int i) { return static_cast<int16_t>(i + 1); }
int16_t Loud(int) { return 30000; }

std::vector<int16_t> Pull(SoundMixer& mixer, int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  mixer.Mix(out.data(), frames);
  return out;
}

TEST(SoundMixer, PlaysOnceOrLoopingAndStopKeepsThePosition) {
  SoundMixer mixer(22050);
  SoundBuffer* b = MonoRamp(mixer, 4, Index);
  b->Play(false);
  std::vector<int16_t> out = Pull(mixer, 6);
  const std::vector<int16_t> once = {1, 1, 2, 2, 3, 3, 4, 4, 0, 0, 0, 0};
  EXPECT_EQ(out, once);  // the same sample on both sides, then silence at the end
  EXPECT_EQ(b->GetStatus(), 0u);

  b->Play(true);
  out = Pull(mixer, 6);
  EXPECT_EQ(out[8], 1);  // wrapped to the start
  EXPECT_EQ(out[10], 2);
  EXPECT_EQ(b->GetStatus(), SoundStatusPlaying | SoundStatusLooping);

  b->Stop();
  uint32_t play = 0, write = 0;
  b->GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, 4u);  // frame 2
  EXPECT_EQ(write, 4u);
  EXPECT_EQ(Pull(mixer, 1)[0], 0);
  b->Play(false);  // no rewind
  EXPECT_EQ(Pull(mixer, 1)[0], 3);
}

TEST(SoundMixer, PositionsRoundDownAndOutsideTheBufferAreIgnored) {
  SoundMixer mixer(22050);
  const WaveFormatEx f = Pcm(2, 16);
  SoundBufferDesc desc;
  desc.bufferBytes = 40;
  desc.format = &f;
  SoundBuffer* b = mixer.CreateBuffer(desc);
  uint32_t play = 0;
  EXPECT_TRUE(b->SetCurrentPosition(15));
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 12u);
  EXPECT_FALSE(b->SetCurrentPosition(40));
  EXPECT_FALSE(b->SetCurrentPosition(0xFFFFFFF0u));
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 12u);
}

TEST(SoundMixer, VolumeIsHundredthsOfADecibelAndTheSumSaturates) {
  SoundMixer mixer(22050);
  SoundBuffer* a = MonoRamp(mixer, 8, Loud);
  struct Case { int32_t volume; int16_t expect; } cases[] = {
      {0, 30000}, {-2000, 3000}, {-600, static_cast<int16_t>(std::lrint(30000 * std::pow(10.0, -0.3)))},
      {-10000, 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(a->SetVolume(c.volume));
    EXPECT_EQ(a->GetVolume(), c.volume);
    a->SetCurrentPosition(0);
    a->Play(false);
    EXPECT_NEAR(Pull(mixer, 1)[0], c.expect, 1) << c.volume;
  }
  EXPECT_FALSE(a->SetVolume(1));
  EXPECT_FALSE(a->SetVolume(-10001));
  EXPECT_EQ(a->GetVolume(), -10000);

  a->SetVolume(0);
  SoundBuffer* b = MonoRamp(mixer, 8, Loud);
  a->Play(true);
  b->Play(true);
  EXPECT_EQ(Pull(mixer, 1)[0], 32767);
}

TEST(SoundMixer, ResamplesToTheOutputRateAndReadsEightBitStereo) {
  SoundMixer mixer(44100);
  SoundBuffer* b = MonoRamp(mixer, 100, Index);
  b->Play(false);
  std::vector<int16_t> out = Pull(mixer, 20);
  EXPECT_EQ(out[0], 1);
  EXPECT_NEAR(out[2], 1.5, 0.51);  // half-way between frames 0 and 1
  EXPECT_EQ(out[4], 2);
  uint32_t play = 0;
  b->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 20u);  // 10 frames of 2 bytes
  b->Release();

  mixer.SetOutputRate(11025);
  const WaveFormatEx f = Pcm(2, 8, 11025);
  SoundBufferDesc desc;
  desc.bufferBytes = 4;
  desc.format = &f;
  SoundBuffer* c = mixer.CreateBuffer(desc);
  const uint8_t bytes[4] = {0xFF, 0x00, 0x80, 0x80};
  c->Write(0, bytes, 4);
  c->Play(false);
  out = Pull(mixer, 1);
  EXPECT_EQ(out[0], 127 * 256);
  EXPECT_EQ(out[1], -128 * 256);
}

TEST(SoundMixer, RefusesUnusableBuffers) {
  SoundMixer mixer(22050);
  struct Case { const char* what; WaveFormatEx format; uint32_t bytes; } cases[] = {
      {"float", [] { WaveFormatEx f = Pcm(1, 16); f.formatTag = 3; return f; }(), 64},
      {"3 channels", Pcm(3, 16), 60},
      {"24 bits", Pcm(1, 24), 60},
      {"rate 0", Pcm(1, 16, 0), 64},
      {"block align", [] { WaveFormatEx f = Pcm(2, 16); f.blockAlign = 2; return f; }(), 64},
      {"3 bytes", Pcm(1, 8), 3},
      {"half a frame", Pcm(2, 16), 2},
  };
  for (const Case& c : cases) {
    SoundBufferDesc desc;
    desc.bufferBytes = c.bytes;
    desc.format = &c.format;
    EXPECT_EQ(mixer.CreateBuffer(desc), nullptr) << c.what;
  }
  SoundBufferDesc none;
  none.bufferBytes = 64;
  EXPECT_EQ(mixer.CreateBuffer(none), nullptr);
  EXPECT_EQ(mixer.BufferCount(), 0);
}

// ---- the sound system ----------------------------------------------------------------------

// Other tags carry the extra-size word unless a bare 16-byte format chunk is asked for.
void WriteWaveFile(const std::string& path, uint16_t channels, uint32_t frames, uint16_t tag = 1,
                   bool bareFormat = false) {
  const uint32_t block = channels * 2u;
  const uint32_t data = frames * block;
  const uint32_t fmtSize = tag == 1 || bareFormat ? 16 : 18;
  const uint32_t head = 28 + fmtSize;
  std::vector<uint8_t> b;
  b.reserve(head + data);
  auto p16 = [&b](uint32_t v) { b.push_back(static_cast<uint8_t>(v)); b.push_back(static_cast<uint8_t>(v >> 8)); };
  auto p32 = [&p16](uint32_t v) { p16(v & 0xFFFF); p16(v >> 16); };
  auto id = [&b](const char* s) { for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(s[k])); };
  id("RIFF"); p32(head - 8 + data); id("WAVE"); id("fmt "); p32(fmtSize);
  p16(tag); p16(channels); p32(22050); p32(22050 * block); p16(block); p16(16);
  if (fmtSize == 18) p16(0);
  id("data"); p32(data);
  b.resize(b.size() + data, 0);
  // Frame i holds i (mod 32768) in every channel, so positions can be read back from samples.
  for (uint32_t i = 0; i < frames; ++i)
    for (uint32_t c = 0; c < channels; ++c) {
      const size_t at = head + static_cast<size_t>(i) * block + c * 2;
      b[at] = static_cast<uint8_t>(i & 0xFF);
      b[at + 1] = static_cast<uint8_t>((i >> 8) & 0x7F);
    }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

class SoundSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformEnableMessageBoxes(false);
    char pattern[] = "/tmp/wexla_sound_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ASSERT_NE(getcwd(cwd_, sizeof(cwd_)), nullptr);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    mkdir("se", 0755);
    mkdir("bgm", 0755);
    // Every effect but the graze; SeShot is long enough to test restarts.
    for (int id : kSoundEffectIds)
      if (id != SeGraze) WriteWaveFile(SoundEffectFile(id), 1, id == SeShot ? 2000 : 200);
    WriteWaveFile(BgmFile(BgmStage3), 2, 1000);
    WriteWaveFile(BgmFile(BgmGameOver), 2, 300);
    g_bgmVolume = 10000;
    g_seVolume = 10000;
    ResetSoundRequests();
  }
  void TearDown() override {
    sound_.Release();
    ASSERT_EQ(chdir(cwd_), 0);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }
  void Start() {
    ASSERT_EQ(sound_.Init(nullptr, SoundOutputOffline), 0);
    sound_.directSound->SetOutputRate(22050);  // one output frame per frame of the files
  }
  uint32_t BgmPosition() {
    uint32_t play = 0;
    sound_.buffers[0]->GetCurrentPosition(&play, nullptr);
    return play;
  }
  void Advance(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    sound_.directSound->Mix(out.data(), frames);
  }

  SoundSystem sound_;
  std::string dir_;
  char cwd_[4096];
};

TEST_F(SoundSystemTest, InitLoadsTheEffectsOrFailsSilentWithoutADevice) {
  Start();
  for (int id = 0; id < kSoundSlots; ++id) {
    const bool effect = SoundEffectFile(id) != nullptr && id != SeGraze;
    EXPECT_EQ(sound_.buffers[id] != nullptr, effect) << id;
  }
  EXPECT_EQ(sound_.currentBgm, -1);
  EXPECT_EQ(sound_.buffers[SeShot]->GetVolume(), 0);

  SoundSystem silent;
  testing::internal::CaptureStderr();
  EXPECT_EQ(silent.Init(nullptr, SoundOutputNone), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[wexla] DirectSound オブジェクトの作成に失敗しました。\n");
  EXPECT_EQ(silent.directSound, nullptr);
  EXPECT_EQ(silent.LoadWave(SoundEffectFile(SeShot)), nullptr);
  RequestSoundEffect(SeShot);
  silent.PlayRequestedEffects();
  silent.PlayBgm(BgmStage3);
  silent.UpdateBgmLoop();
  silent.ApplyBgmVolume();
  EXPECT_EQ(silent.buffers[0], nullptr);
  EXPECT_EQ(g_seQueueLength, 0);
  EXPECT_EQ(g_seRequested[SeShot], 0);
}

TEST_F(SoundSystemTest, RequestsQueueOncePerIdAndPlayFromTheStart) {
  Start();
  for (int id : {0, 128, -5}) RequestSoundEffect(id);
  EXPECT_EQ(g_seQueueLength, 0);
  RequestSoundEffect(SeEnemyBreak);
  RequestSoundEffect(SeShot);
  RequestSoundEffect(SeEnemyBreak);
  RequestSoundEffect(SeGraze);  // no buffer: its flag is still cleared
  ASSERT_EQ(g_seQueueLength, 3);
  EXPECT_EQ(g_seQueue[0], SeEnemyBreak);
  EXPECT_EQ(g_seQueue[1], SeShot);

  sound_.PlayRequestedEffects();
  EXPECT_EQ(g_seQueueLength, 0);
  for (int id : {SeEnemyBreak, SeShot, SeGraze}) EXPECT_EQ(g_seRequested[id], 0) << id;
  EXPECT_EQ(sound_.buffers[SeShot]->GetStatus(), static_cast<uint32_t>(SoundStatusPlaying));
  EXPECT_EQ(sound_.buffers[SeCursor]->GetStatus(), 0u);

  // Requested again while it sounds: it restarts from its beginning.
  Advance(500);
  uint32_t play = 0;
  sound_.buffers[SeShot]->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 1000u);
  RequestSoundEffect(SeShot);
  sound_.PlayRequestedEffects();
  sound_.buffers[SeShot]->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);
}

TEST_F(SoundSystemTest, PlayBgmKeepsTheCurrentTrackAndSwitchesOthers) {
  Start();
  sound_.PlayBgm(BgmStage3);
  ASSERT_NE(sound_.buffers[0], nullptr);
  EXPECT_EQ(sound_.currentBgm, BgmStage3);
  Advance(100);
  sound_.PlayBgm(BgmStage3);  // same id: neither reloaded nor rewound
  EXPECT_EQ(BgmPosition(), 400u);
  EXPECT_EQ(sound_.directSound->BufferCount(), 9);

  // Stage 3 has no window: it loops over the whole buffer.
  Advance(1000);
  EXPECT_EQ(BgmPosition(), 400u);
  EXPECT_EQ(sound_.buffers[0]->GetStatus(), SoundStatusPlaying | SoundStatusLooping);
  sound_.buffers[0]->Stop();
  sound_.UpdateBgmLoop();  // a stopped track is started again, looping
  EXPECT_EQ(sound_.buffers[0]->GetStatus(), SoundStatusPlaying | SoundStatusLooping);

  // Ids without a file leave silence; ids outside 0..31 never index the table.
  for (int id : {12, 40, -3, 1000000}) {
    sound_.PlayBgm(BgmStage3);
    sound_.PlayBgm(id);
    EXPECT_EQ(sound_.buffers[0], nullptr) << id;
    EXPECT_EQ(sound_.currentBgm, id);
    sound_.UpdateBgmLoop();
  }
  EXPECT_EQ(sound_.directSound->BufferCount(), 8);
}

TEST_F(SoundSystemTest, GameOverPlaysOnceAndIsNotRestarted) {
  Start();
  sound_.PlayBgm(BgmGameOver);
  EXPECT_EQ(sound_.buffers[0]->GetStatus(), static_cast<uint32_t>(SoundStatusPlaying));
  Advance(400);
  EXPECT_EQ(sound_.buffers[0]->GetStatus(), 0u);
  sound_.UpdateBgmLoop();
  EXPECT_EQ(sound_.buffers[0]->GetStatus(), 0u);
}

TEST_F(SoundSystemTest, LoopJumpsBackByTheWindowFromTheWriteCursor) {
  struct Case { int id; uint32_t start, end; } cases[] = {
      {BgmRanking1, 0x3EC00 >> 1, 0x2809E8 >> 1},  // the ranking window is in half units
      {BgmConfig, 0xE3F58 >> 2, 0x759540 >> 2},
  };
  for (const Case& c : cases) {
    uint32_t start = 0, end = 0;
    ASSERT_TRUE(BgmLoopWindow(c.id, &start, &end));
    EXPECT_EQ(start, c.start);
    EXPECT_EQ(end, c.end);
    WriteWaveFile(BgmFile(c.id), 2, end / 4 + 22050);
  }
  Start();
  for (const Case& c : cases) {
    sound_.PlayBgm(c.id);
    // At the end itself nothing happens; past it the track goes back by end - start, rounded
    // down to the 4-byte frame.
    sound_.buffers[0]->SetCurrentPosition(c.end & ~3u);
    sound_.UpdateBgmLoop();
    EXPECT_EQ(BgmPosition(), c.end & ~3u) << c.id;
    const uint32_t past = (c.end & ~3u) + 4 * 37;
    sound_.buffers[0]->SetCurrentPosition(past);
    sound_.UpdateBgmLoop();
    EXPECT_EQ(BgmPosition(), (past - (c.end - c.start)) & ~3u) << c.id;
    EXPECT_EQ(sound_.buffers[0]->GetStatus(), SoundStatusPlaying | SoundStatusLooping);
  }
  // Between ranking ids the same file is loaded again, from its start.
  sound_.PlayBgm(BgmRanking1);
  Advance(50);
  sound_.PlayBgm(BgmRanking2);
  EXPECT_EQ(BgmPosition(), 0u);
  EXPECT_EQ(sound_.currentBgm, BgmRanking2);
}

TEST_F(SoundSystemTest, VolumesMapToHundredthsOfADecibelOutOfRangeKeepsTheLast) {
  Start();
  sound_.PlayBgm(BgmStage3);
  // In order: a value outside 0..10000 is refused by the buffers, which keep the one before.
  struct Case { int volume; int32_t expect; } cases[] = {
      {0, -10000},     {10000, 0},      {8000, -2000},       {7800, -2200},  {12000, -2200},
      {-1, -2200},     {5, -9995},      {-50000, -9995},     {10001, -9995}, {INT32_MIN, -9995},
      {INT32_MAX, -9995}};
  for (const Case& c : cases) {
    g_bgmVolume = c.volume;
    g_seVolume = c.volume;
    sound_.ApplyBgmVolume();
    sound_.ApplySeVolume();
    EXPECT_EQ(sound_.buffers[0]->GetVolume(), c.expect) << c.volume;
    for (int id : {SeShot, SeVolume}) EXPECT_EQ(sound_.buffers[id]->GetVolume(), c.expect) << c.volume;
  }
  g_bgmVolume = 5000;
  sound_.PlayBgm(BgmStage3);  // playing the current track applies the volume again
  EXPECT_EQ(sound_.buffers[0]->GetVolume(), -5000);
}

// From the bytes of config.dat (slots 16 and 17) and the switches to the buffers: a volume outside
// 0..10000 is never applied, so the sound keeps its start volume, full.
TEST_F(SoundSystemTest, VolumesFromTheFileAndSwitchesAreUsedAsWritten) {
  struct Case {
    const char* commandLine;
    uint8_t bgmSlot[4], seSlot[4];  // little-endian, as in the file
    int32_t bgmExpect, seExpect;
  } const cases[] = {
      {"", {0x40, 0x1F, 0, 0}, {0x78, 0x1E, 0, 0}, -2000, -2200},                  // 8000, 7800
      {"", {0xFB, 0xFF, 0xFF, 0xFF}, {0x11, 0x27, 0, 0}, 0, 0},                    // -5, 10001
      {"", {0, 0, 0, 0}, {0x10, 0x27, 0, 0}, -10000, 0},                           // 0, 10000
      {"", {0, 0, 0, 0x80}, {0xFF, 0xFF, 0xFF, 0x7F}, 0, 0},                       // INT32_MIN, INT32_MAX
      {"/bv-5 /sv20000", {0x40, 0x1F, 0, 0}, {0x78, 0x1E, 0, 0}, 0, 0},
      {"/bv0 /sv5", {0xFB, 0xFF, 0xFF, 0xFF}, {0xFB, 0xFF, 0xFF, 0xFF}, -10000, -9995},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    std::vector<uint8_t> config(1024, 0);
    std::copy(c.bgmSlot, c.bgmSlot + 4, config.begin() + 64);
    std::copy(c.seSlot, c.seSlot + 4, config.begin() + 68);
    FILE* f = std::fopen("config.dat", "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(config.data(), 1, config.size(), f);
    std::fclose(f);
    ResetCommandLineValues();
    ASSERT_TRUE(ParseCommandLine(c.commandLine));
    LoadOrCreateConfigFile();
    ApplySettingsPrecedence();
    Start();
    sound_.PlayBgm(BgmStage3);
    EXPECT_EQ(sound_.buffers[0]->GetVolume(), c.bgmExpect);
    for (int id : {SeShot, SeVolume}) EXPECT_EQ(sound_.buffers[id]->GetVolume(), c.seExpect) << id;
    sound_.Release();
  }
  ResetCommandLineValues();
}

// Files that do not load leave silence and one line on standard error naming file and reason.
TEST_F(SoundSystemTest, LoadWaveTakesOnlyPlainPcm) {
  PlatformForgetReportedFiles();
  testing::internal::CaptureStderr();
  Start();  // every effect but the graze is there
  WriteWaveFile("good.wav", 2, 10);
  WriteWaveFile("float.wav", 1, 10, 3);
  WriteWaveFile("float16.wav", 1, 10, 3, true);
  WriteWaveFile("three.wav", 3, 10);
  WriteWaveFile("empty.wav", 1, 0);
  std::FILE* f = std::fopen("text.wav", "wb");
  std::fputs("not a sound", f);
  std::fclose(f);
  SoundBuffer* good = sound_.LoadWave("good.wav");
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->Bytes(), 40u);
  EXPECT_EQ(good->Format().channels, 2);
  good->Release();
  struct Case {
    const char* path;
    const char* line;
  } cases[] = {
      {"float.wav", "wexla: float.wav: not PCM\n"},
      {"float16.wav", "wexla: float16.wav: not PCM\n"},
      {"three.wav", "wexla: three.wav: PCM of a kind that cannot be played\n"},
      {"empty.wav", "wexla: empty.wav: no usable sound data\n"},
      {"text.wav", "wexla: text.wav: not a RIFF WAVE file\n"},
      {"missing.wav", "wexla: missing.wav: missing\n"},
      {"se", "wexla: se: not a regular file\n"},  // a folder
  };
  std::string expected = "wexla: se/scratch.wav: missing\n";
  for (const Case& c : cases) {
    EXPECT_EQ(sound_.LoadWave(c.path), nullptr) << c.path;
    EXPECT_EQ(sound_.LoadWave(c.path), nullptr) << c.path;  // reported once
    expected += c.line;
  }
  // Music: a missing track stays silent and is named once, however often it is asked for.
  for (int i = 0; i < 2; ++i) {
    sound_.PlayBgm(BgmStage1);
    EXPECT_EQ(sound_.buffers[0], nullptr);
    sound_.PlayBgm(BgmStage3);
    EXPECT_NE(sound_.buffers[0], nullptr);
  }
  expected += "wexla: bgm/stage01_22so.wav: missing\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
  EXPECT_EQ(g_waveFile, nullptr);  // closed on every path
  EXPECT_EQ(g_waveFormat, nullptr);
  PlatformForgetReportedFiles();
}

}  // namespace

namespace {

// The real device path on SDL's dummy driver: the mixer runs on SDL's audio thread.
TEST_F(SoundSystemTest, TheDeviceThreadPullsTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (sound_.Init(nullptr, SoundOutputDevice) != 0) GTEST_SKIP() << "no dummy audio driver";
  EXPECT_NE(sound_.primaryBuffer, 0u);
  sound_.PlayBgm(BgmStage3);
  uint32_t play = 0;
  for (int i = 0; i < 200 && play == 0; ++i) {
    PlatformSleepMilliseconds(10);
    play = BgmPosition();
  }
  EXPECT_GT(play, 0u);
  sound_.Release();
  EXPECT_EQ(sound_.primaryBuffer, 0u);
  EXPECT_EQ(sound_.directSound, nullptr);
}

}  // namespace
