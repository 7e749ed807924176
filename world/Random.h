#pragma once
// The table-walk generator behind every random number of play. Its whole state is three
// integers, which a replay stores; the number and order of draws is part of the game.

#include <cstdint>

constexpr int kRandomTableSize = 20480;

extern int32_t g_randomTable[kRandomTableSize];
extern int32_t g_randomTableSize;
extern int32_t g_randomIndex;
extern int32_t g_randomStep;
extern int32_t g_randomSeedIndex;

// Loads "rndtbl.dat" from the current directory and seeds the walk from the millisecond clock.
// Shows a message box and returns false when the file is missing or bad.
bool LoadRandomTable();
// The loading and seeding steps without file or message box, for tools and tests.
// Returns 0 on success, 1 when the data is too short, 2 when word 0 is not 20480.
int LoadRandomTableFromBytes(const uint8_t* data, long size);
void SeedRandomWalk(uint32_t milliseconds);

int RandomInt(int n);
float RandomFloat(float f);
void SetRandomState(int index, int step);
void GetRandomState(int* outSeedIndex, int* outStep);
