#pragma once
// A scripted pilot for watching and measuring whole games: it reads the field and chooses the
// play keys of one frame. A test tool; a game played by it is no player's game.

#include "world/GameWorld.h"

// The keys of one frame as the pilot chooses them.
struct PilotKeys {
  int dx = 0, dy = 0;
  bool slow = false;
};

// Looks 16 frames ahead along the real motion of every bullet near the ship and takes the move
// (8 directions or none, at full or slow speed, held for 3, 8 or 16 frames) that keeps its
// widened hit shape clear, preferring the lower middle of the field, or, when it shoots, the
// column of the nearest item worth catching (not gauge items) falling toward it, else of the
// nearest enemy (bosses last; with onFieldTargets, only enemies inside the field's width).
// Deterministic: the same field gives the same keys.
PilotKeys ChoosePilotKeys(const GameWorld& w, bool shooting, bool onFieldTargets);

// Holds the chosen keys as scripted keys (the shot too when shooting); every other scripted key
// is released.
void HoldPilotKeys(const PilotKeys& k, bool shooting);

// Keeps the ship from being hit in the coming frame (its short invincibility renewed).
void KeepShipUnhit(GameWorld* w);
