#pragma once
// Stand-ins, for the renderer only, for declarations that the replay and menu modules bring.
// When those land, include frontend/ReplayData.h and the menu headers instead and delete this
// file and RenderPendingStubs.cpp.

#include <cstdint>

class Graphics;
class GameWorld;

extern uint8_t g_replayPlayback;

void DrawTitleScreen(Graphics* gfx, GameWorld* world);
void DrawConfigScreen(Graphics* gfx, GameWorld* world);
void DrawResultDialog(Graphics* gfx, GameWorld* world);
