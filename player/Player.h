#pragma once
// The player ship and its resources; it also holds the option list.

#include <cstdint>

#include "player/Option.h"
#include "world/GameObject.h"

class Player : public GameObject {
 public:
  Option* optionHead = nullptr;
  Option* optionTail = nullptr;
  int32_t optionCount = 0;
  int32_t launchedCount = 0;
  int32_t state = 0;
  int32_t stateFrames = 0;

  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void ResetForNewGame();
  void ClearOptions();
  void SetState(int state);
  void RecordStageResult(int stage);
};
