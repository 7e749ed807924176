#pragma once
// The sound layer: nine sound effects in slots numbered by their ids, the current music track in
// slot 0 looping over its window, and the effects requested during a frame, played after it is
// drawn. Mixed by our own SoundMixer on an SDL audio device.

#include <cstdint>

#include "platform/SoundMixer.h"

struct SDL_Window;

enum SoundEffectId {
  SeGraze = 1,
  SeShot = 9,
  SeShotHit = 10,
  SeBomb = 11,
  SePointItem = 24,
  SeEnemyBreak = 64,
  SeDecide = 120,
  SeCursor = 122,
  SeVolume = 123,
};

enum BgmId {
  BgmStage1 = 0,
  BgmStage2 = 1,
  BgmStage3 = 2,
  BgmStage4 = 3,
  BgmStage5 = 4,
  BgmStage6 = 5,
  BgmStage7 = 6,
  BgmStage8 = 7,
  BgmGameOver = 20,
  BgmRanking1 = 21,
  BgmRanking2 = 22,
  BgmRanking3 = 23,
  BgmRanking4 = 24,
  BgmRanking5 = 25,
  BgmTitle = 30,
  BgmConfig = 31,
};

constexpr int kSoundSlots = 128;
constexpr int kBgmIds = 32;

extern int g_seRequested[128];
extern int g_seQueue[128];
extern int g_seQueueLength;

// Music and effect volumes, 0 (silent) to 10000 (full); set by the settings precedence at
// start-up and by the configuration menu. A value outside the range leaves a buffer's volume as
// it was (a new buffer starts at full volume).
extern int g_bgmVolume;
extern int g_seVolume;

// Queues id (1..127) for this frame, at most once per id.
void RequestSoundEffect(int id);
void ResetSoundRequests();

// File of a sound effect id or a music id, null when the id has none.
const char* SoundEffectFile(int id);
const char* BgmFile(int id);
// Loop window of a music id in bytes of its buffer; false for ids without one.
bool BgmLoopWindow(int id, uint32_t* start, uint32_t* end);
// The ids of the nine effects in loading order.
extern const int kSoundEffectIds[9];

// Where SoundSystem::Init sends the sound, chosen once by the caller.
enum SoundOutput {
  SoundOutputDevice,   // the default SDL audio device; no device makes Init fail
  SoundOutputNone,     // behave as a machine without sound: Init fails and the game runs silent
  SoundOutputOffline,  // a mixer without a device, pulled by the caller (tests)
};

class SoundSystem {
 public:
  SoundSystem();
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // 0 on success; 1 after the failure message box, having released all it had created.
  int Init(SDL_Window* window, SoundOutput output = SoundOutputDevice);
  SoundBuffer* LoadWave(const char* path);
  void PlayBgm(int id);
  void UpdateBgmLoop();
  void PlayRequestedEffects();
  void ApplyBgmVolume();
  void ApplySeVolume();
  void Release();  // what the destructor does; safe to call more than once

  SoundMixer* directSound;    // our mixer: null when there is no sound
  uint32_t primaryBuffer;     // the SDL audio device id, 0 when none
  SoundBuffer* buffers[kSoundSlots];
  SoundBufferDesc primaryDesc;
  int currentBgm;
};
