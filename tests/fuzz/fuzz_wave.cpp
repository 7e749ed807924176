// WAVE files: the RIFF reader, then the sound system's loader into a mixer buffer, which is
// played and mixed as the game's sound would be.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/SoundMixer.h"
#include "platform/SoundSystem.h"
#include "platform/Wave.h"
#include "tests/fuzz/FuzzSession.h"

namespace {
SoundSystem* g_sound = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InitOnce();
  g_sound = new SoundSystem();
  g_sound->Init(nullptr, SoundOutputOffline);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PutFile("fuzz.wav", data, size);
  // The reader on its own, reading in uneven pieces.
  if (WaveOpen("fuzz.wav")) {
    std::vector<uint8_t> piece(777);
    uint32_t got = 0;
    WaveFormatEx format{};
    WaveReadData(static_cast<uint32_t>(piece.size()), piece.data(), &got, &format);
  }
  WaveClose();

  if (SoundBuffer* b = g_sound->LoadWave("fuzz.wav")) {
    b->Play(true);
    std::vector<int16_t> out(2 * 4096);
    g_sound->directSound->Mix(out.data(), 4096);
    b->Release();
  }
  fuzz::DropFile("fuzz.wav");
  return 0;
}
