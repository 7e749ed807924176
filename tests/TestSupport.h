#pragma once
// Helpers shared by the tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
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
