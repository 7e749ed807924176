#pragma once
// Sound effects requested during a frame and played after it is drawn.

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

extern int g_seRequested[128];
extern int g_seQueue[128];
extern int g_seQueueLength;

// Queues id (1..127) for this frame, at most once per id.
void RequestSoundEffect(int id);
void ResetSoundRequests();
