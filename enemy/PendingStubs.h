#pragma once
// Stand-ins for interfaces that other modules provide (collision, options, effects, input,
// replay and the frame renderer's error flags). Declarations use the final names; the
// definitions in PendingStubs.cpp are placeholders to be deleted once the real modules land,
// and the includes of this header replaced by theirs.

#include <cstdint>

#include "world/GameObject.h"

class Effect;
class Enemy;
class GameWorld;

// Frame renderer / collision: error bits printed by the overlay.
extern uint32_t g_hitErrorFlags;
constexpr uint32_t HitErrorEllipse = 1u << 0;
constexpr uint32_t HitErrorLauncherLimit = 1u << 1;  // "1:L.E. is out of limitation."

// Replay: 1 while the game input comes from the playback replay.
extern uint8_t g_replayPlayback;

// Input: the Space key, read from the keyboard directly (not from the game input).
bool IsSpaceKeyHeld();

// Collision.
bool TestHit(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b);

// Options: every option whose target is the enemy loses it.
void ClearOptionTargets(GameWorld* world, Enemy* e);

// Effects.
Effect* ConstructEffect(int kind, Effect** head, Effect** tail, int32_t* count, float x, float y, float angle,
                        float speed, int lifetime);
