#pragma once
// One stage's script. The events and the loader grow with the stage code.

#include <cstdint>

class StageScript {
 public:
  StageScript() = default;

  int32_t phase = 0;  // stage phase of the runner; 4 stops the script
};
