#pragma once
// Helpers shared by the tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/Random.h"

// A small random table whose entries are worked out by hand: entry i = i * 7.
inline void LoadTestTable() {
  std::vector<uint8_t> b(2 * kRandomTableSize);
  for (int i = 0; i < kRandomTableSize; ++i) {
    int w = i == 0 ? kRandomTableSize : (i * 7) & 0xFFFF;
    b[2 * i] = w & 0xFF;
    b[2 * i + 1] = w >> 8;
  }
  ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}

// The number of random draws since the step stood at `step` (fewer than 10240).
inline int DrawsSince(int step) { return (g_randomStep - step + kRandomTableSize / 2) % (kRandomTableSize / 2); }

// Keeps the dispatch table as it was: tests replace rows with bodies of their own.
struct DispatchGuard {
  EnemyTypeCode saved[kEnemyTypeSlots];
  DispatchGuard() {
    for (int t = 0; t < kEnemyTypeSlots; ++t) saved[t] = GetEnemyTypeCode(t);
  }
  ~DispatchGuard() {
    for (int t = 0; t < kEnemyTypeSlots; ++t) RegisterEnemyTypeCode(t, saved[t].behaviour, saved[t].attack);
  }
};

// Play globals as a game's first frame sees them, input and sound requests cleared.
inline void ResetPlayGlobals() {
  std::memset(g_inputHeld, 0, sizeof g_inputHeld);
  std::memset(g_inputHeldFrames, 0, sizeof g_inputHeldFrames);
  std::memset(g_gameInput, 0, sizeof g_gameInput);
  std::memset(g_gameInputFrames, 0, sizeof g_gameInputFrames);
  g_scene = SceneGame;
  g_sceneFrame = 1;
  g_gameFrame = 1;
  g_stage = 1;
  g_difficulty = 0;
  ResetSoundRequests();
}

// One frame of live input with these entries held, counted as the polling layer counts them
// (axes included) and copied into the game input as the frame loop does in play.
inline void FeedHeldInput(const std::vector<int>& held) {
  int now[kInputCount] = {};
  for (int i : held) now[i] = 1;
  now[InputAxisX] = now[InputRight] - now[InputLeft];
  now[InputAxisY] = now[InputDown] - now[InputUp];
  for (int i = 0; i < kInputCount; ++i) {
    g_inputHeld[i] = now[i];
    g_inputHeldFrames[i] = (g_inputHeldFrames[i] + 1) * now[i];
  }
  std::memcpy(g_gameInput, g_inputHeld, sizeof g_gameInput);
  std::memcpy(g_gameInputFrames, g_inputHeldFrames, sizeof g_gameInputFrames);
}
