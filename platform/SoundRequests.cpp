#include <cstring>

#include "platform/SoundSystem.h"

int g_seRequested[128];
int g_seQueue[128];
int g_seQueueLength;

void RequestSoundEffect(int id) {
  if (id < 1 || id > 127) return;
  if (g_seRequested[id]) return;
  if (g_seQueueLength >= 128) return;
  g_seRequested[id] = 1;
  g_seQueue[g_seQueueLength++] = id;
}

void ResetSoundRequests() {
  std::memset(g_seRequested, 0, sizeof(g_seRequested));
  std::memset(g_seQueue, 0, sizeof(g_seQueue));
  g_seQueueLength = 0;
}
