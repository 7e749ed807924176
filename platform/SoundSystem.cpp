#include "platform/SoundSystem.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/Platform.h"
#include "platform/Wave.h"

// g_bgmVolume and g_seVolume are defined with the settings, which set them at start-up.

namespace {

const char kSoundCaption[] = "wexla";
const char kCreateFailed[] = "DirectSound オブジェクトの作成に失敗しました。";
const char kPrimaryFailed[] = "プライマリサウンドバッファの作成に失敗しました。";

constexpr int kDeviceRate = 44100;
constexpr int kDeviceFrames = 1024;

struct SoundEffectFileEntry {
  int id;
  const char* file;
};

const SoundEffectFileEntry kSoundEffectFiles[] = {
    {SeGraze, "se/scratch.wav"},   {SeShot, "se/shot01.wav"},       {SeShotHit, "se/hit01.wav"},
    {SeBomb, "se/qpiien.wav"},     {SePointItem, "se/point01a.wav"}, {SeEnemyBreak, "se/break01.wav"},
    {SeDecide, "se/powget.wav"},   {SeCursor, "se/select2.wav"},    {SeVolume, "se/select.wav"},
};

// Loop windows in raw units: bytes = raw >> shift.
struct BgmTrack {
  const char* file;
  bool hasWindow;
  uint32_t rawStart;
  uint32_t rawEnd;
  int shift;
};

const char kRankingFile[] = "bgm/ranking04to06_short_22so.wav";
constexpr BgmTrack kNoTrack = {nullptr, false, 0, 0, 2};
constexpr BgmTrack kRankingTrack = {kRankingFile, true, 0x3EC00, 0x2809E8, 1};

const BgmTrack kBgmTracks[kBgmIds] = {
    {"bgm/stage01_22so.wav", true, 0x122314, 0xDDBEFC, 2},
    {"bgm/stage02_22so.wav", true, 0x1CC110, 0x1851E24, 2},
    {"bgm/stage03.wav", false, 0, 0, 2},
    {"bgm/stage04.wav", false, 0, 0, 2},
    {"bgm/stage05_short_22so.wav", true, 0x86F38, 0x1783FD0, 2},
    {"bgm/stage06_short_22so.wav", true, 0x0, 0x1431204, 2},
    {"bgm/stage07b_short.wav", false, 0, 0, 2},
    {"bgm/stage08b_short.wav", false, 0, 0, 2},
    kNoTrack, kNoTrack, kNoTrack, kNoTrack, kNoTrack, kNoTrack, kNoTrack, kNoTrack,  // 8..15
    kNoTrack, kNoTrack, kNoTrack, kNoTrack,                                          // 16..19
    {"bgm/gameover_short_22so.wav", false, 0, 0, 2},
    kRankingTrack, kRankingTrack, kRankingTrack, kRankingTrack, kRankingTrack,  // 21..25
    kNoTrack, kNoTrack, kNoTrack, kNoTrack,                                     // 26..29
    {"bgm/title_short_22so.wav", true, 0x120200, 0x10B708C, 2},
    {"bgm/config_short_22so.wav", true, 0xE3F58, 0x759540, 2},
};

// Ids outside 0..31 have no track and never index the table.
const BgmTrack* FindBgmTrack(int id) {
  if (id < 0 || id >= kBgmIds) return nullptr;
  return &kBgmTracks[id];
}

// A setting outside 0..10000 gives a buffer volume the buffer refuses, so it keeps the volume
// it had: volumes from switches and files are used as they stand, without a range test.
int32_t BufferVolume(int volume) {
  const int64_t v = static_cast<int64_t>(volume) - 10000;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

void MixCallback(void* mixer, Uint8* stream, int bytes) {
  static_cast<SoundMixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

}  // namespace

const int kSoundEffectIds[9] = {SeGraze, SeShot, SeShotHit, SeBomb, SePointItem,
                                SeEnemyBreak, SeDecide, SeCursor, SeVolume};

const char* SoundEffectFile(int id) {
  for (const SoundEffectFileEntry& e : kSoundEffectFiles)
    if (e.id == id) return e.file;
  return nullptr;
}

const char* BgmFile(int id) {
  const BgmTrack* track = FindBgmTrack(id);
  return track ? track->file : nullptr;
}

bool BgmLoopWindow(int id, uint32_t* start, uint32_t* end) {
  const BgmTrack* track = FindBgmTrack(id);
  if (!track || !track->hasWindow) return false;
  *start = track->rawStart >> track->shift;
  *end = track->rawEnd >> track->shift;
  return true;
}

SoundSystem::SoundSystem() : directSound(nullptr), primaryBuffer(0), buffers{}, primaryDesc{}, currentBgm(-1) {}

SoundSystem::~SoundSystem() { Release(); }

void SoundSystem::Release() {
  for (SoundBuffer*& buffer : buffers) {
    if (buffer) buffer->Release();
    buffer = nullptr;
  }
  if (primaryBuffer) {
    // Closing the device stops the mixing thread before the mixer goes.
    SDL_CloseAudioDevice(primaryBuffer);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  primaryBuffer = 0;
  delete directSound;
  directSound = nullptr;
}

int SoundSystem::Init(SDL_Window* window, SoundOutput output) {
  (void)window;  // the SDL audio device is shared and needs no window
  auto fail = [this](const char* text) {
    PlatformMessageBox(text, kSoundCaption, MessageBoxOk);
    Release();
    return 1;
  };
  Release();

  // The sound object: our mixer, over SDL's audio driver unless the caller chose otherwise.
  if (output == SoundOutputNone) return fail(kCreateFailed);
  if (output == SoundOutputDevice && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(kCreateFailed);
  directSound = new SoundMixer(kDeviceRate);

  // The primary buffer: the device's output stream, fed by the mixer.
  primaryDesc = SoundBufferDesc{};
  primaryDesc.size = 36;
  primaryDesc.flags = SoundBufferPrimary;
  if (output == SoundOutputDevice) {
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = kDeviceRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = MixCallback;
    want.userdata = directSound;
    const SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return fail(kPrimaryFailed);
    }
    directSound->SetOutputRate(have.freq);
    primaryBuffer = device;
    SDL_PauseAudioDevice(device, 0);
  }

  currentBgm = -1;
  for (SoundBuffer*& buffer : buffers) buffer = nullptr;

  // A file that fails leaves its slot empty.
  for (int id : kSoundEffectIds) buffers[id] = LoadWave(SoundEffectFile(id));

  ApplySeVolume();
  ResetSoundRequests();
  return 0;
}

// The game goes on without a sound that does not load; one line says which and why.
SoundBuffer* SoundSystem::LoadWave(const char* path) {
  if (!directSound || !path) return nullptr;
  auto refuse = [path](const char* why) -> SoundBuffer* {
    WaveClose();
    PlatformReportUnloadableFile(path, why);
    return nullptr;
  };
  if (!WaveOpen(path)) {
    // Only a file that did not open is opened once more, to tell why.
    const char* why = nullptr;
    std::FILE* probe = PlatformOpenFileForReading(path, &why);
    if (!probe) return refuse(why);
    std::fclose(probe);
    return refuse("not a RIFF WAVE file");
  }
  // Only plain PCM the mixer can play; the data size was checked against the file by the reader.
  if (!g_waveFormat || g_waveFormat->formatTag != WaveFormatPcm) return refuse("not PCM");
  if (!IsUsablePcmFormat(*g_waveFormat)) return refuse("PCM of a kind that cannot be played");
  const uint32_t size = g_waveDataChunk.cksize;
  uint8_t* block = static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
  WaveFormatEx format{};
  uint32_t read = 0;
  SoundBuffer* buffer = nullptr;
  if (block && WaveReadData(size, block, &read, &format)) {
    SoundBufferDesc desc;
    desc.size = 36;
    desc.flags = SoundBufferCtrlVolume | SoundBufferGlobalFocus | SoundBufferGetCurrentPosition2 |
                 SoundBufferLocDefer;
    desc.bufferBytes = read;
    desc.format = &format;
    buffer = directSound->CreateBuffer(desc);
    if (buffer && !buffer->Write(0, block, read)) {
      buffer->Release();
      buffer = nullptr;
    }
  }
  std::free(block);
  if (!buffer) return refuse("no usable sound data");
  WaveClose();
  return buffer;
}

void SoundSystem::PlayBgm(int id) {
  if (id != currentBgm) {
    if (buffers[0]) {
      buffers[0]->Stop();
      buffers[0]->Release();
      buffers[0] = nullptr;
    }
    if (const char* file = BgmFile(id)) buffers[0] = LoadWave(file);
    currentBgm = id;
  }
  if (buffers[0]) {
    // Volume first: the mixing thread could otherwise start the track at full volume.
    ApplyBgmVolume();
    buffers[0]->Play(id != BgmGameOver);
  }
}

void SoundSystem::UpdateBgmLoop() {
  SoundBuffer* buffer = buffers[0];
  if (!buffer) return;
  uint32_t play = 0;
  uint32_t write = 0;
  buffer->GetCurrentPosition(&play, &write);
  uint32_t start = 0;
  uint32_t end = 0;
  if (BgmLoopWindow(currentBgm, &start, &end) && end > 0 && play > end) {
    // Back by the window's length from the write cursor; a target outside the buffer (a file
    // that does not fit its window) is ignored.
    const int64_t target = static_cast<int64_t>(write) - (static_cast<int64_t>(end) - start);
    if (target >= 0 && target < static_cast<int64_t>(buffer->Bytes()))
      buffer->SetCurrentPosition(static_cast<uint32_t>(target));
  }
  if (currentBgm != BgmGameOver && !(buffer->GetStatus() & SoundStatusLooping)) buffer->Play(true);
}

void SoundSystem::PlayRequestedEffects() {
  const int length = g_seQueueLength < 0 ? 0 : (g_seQueueLength > 128 ? 128 : g_seQueueLength);
  for (int i = 0; i < length; ++i) {
    const int id = g_seQueue[i];
    if (id < 1 || id >= kSoundSlots) continue;
    if (SoundBuffer* buffer = buffers[id]) {
      buffer->Stop();
      buffer->SetCurrentPosition(0);
      buffer->Play(false);
    }
    g_seRequested[id] = 0;  // also for an id without a buffer, so it can be requested again
  }
  g_seQueueLength = 0;
}

void SoundSystem::ApplyBgmVolume() {
  if (buffers[0]) buffers[0]->SetVolume(BufferVolume(g_bgmVolume));
}

void SoundSystem::ApplySeVolume() {
  for (int id = 1; id < kSoundSlots; ++id)
    if (buffers[id]) buffers[id]->SetVolume(BufferVolume(g_seVolume));
}
