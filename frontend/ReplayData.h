#pragma once
// A replay being recorded or played back. The run buffer and header grow with the replay code.

class ReplayData {
 public:
  ReplayData() = default;
};
