#pragma once
// The two settings files share one target body: the input is the file; the bytes past the
// records (which the reader ignores) are menu keys, so the title, configuration and ranking
// screens show and change what was read.

#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzSession.h"

inline int FuzzSettingsFile(const char* name, size_t recordsBytes, const uint8_t* data, size_t size) {
  fuzz::PutFile(name, data, size);
  const uint8_t* keys = size > recordsBytes ? data + recordsBytes : nullptr;
  const size_t keyCount = size > recordsBytes ? size - recordsBytes : 0;
  const int frames = keyCount ? 4 * static_cast<int>(keyCount < 150 ? keyCount : 150) + 60 : 180;
  if (fuzz::StartUp("")) fuzz::PlayFrames(frames, keys, keyCount);
  fuzz::ShutDown();
  return 0;
}
