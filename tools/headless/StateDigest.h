#pragma once
// A 64-bit hash of the state of play: the globals of play, the game input, the player, the stage
// script's counters and every object of every list with its fields (floats by their bits). Not
// the menus, the live keys or whether the input comes from a replay, so a game and its replay
// give the same digest at the same game frame. Pointers are hashed as present or absent only.

#include <cstdint>

class GameWorld;

uint64_t StateDigest(const GameWorld& world);
