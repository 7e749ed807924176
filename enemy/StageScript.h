#pragma once
// One stage's script. The events and the loader grow with the stage code.

class StageScript {
 public:
  StageScript() = default;
};
