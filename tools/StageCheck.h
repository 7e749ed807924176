#pragma once
// The stage-file checker: parses a stage file with the game's own loader and lists what would
// go wrong in play (swallowed comments, events that never fire, ignored options, broken limits,
// enemy types or start phases without code, spawners outliving the script, a stage that never
// ends).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct StageProblem {
  int line;  // 1-based; 0 for the whole file
  std::string message;
};

std::vector<StageProblem> CheckStageBytes(const uint8_t* data, size_t size);
