// Weak stand-ins (see RenderPendingStubs.h): the real definitions override them at link time.
#include "world/RenderPendingStubs.h"

__attribute__((weak)) uint8_t g_replayPlayback;

__attribute__((weak)) void DrawTitleScreen(Graphics*, GameWorld*) {}
__attribute__((weak)) void DrawConfigScreen(Graphics*, GameWorld*) {}
__attribute__((weak)) void DrawResultDialog(Graphics*, GameWorld*) {}
