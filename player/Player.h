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

  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void ResetForNewGame();
  void ClearOptions();

  // --- Fields the replay header and the high-score table read and write (declarations only;
  // the player's own code owns their order and behaviour). ---
  int32_t scoreLow = 0;
  int32_t scoreHigh = 0;
  int32_t lives = 0;
  int32_t shields = 0;
  int32_t bombs = 0;
  int32_t power = 0;
  int32_t gaugeTotal = 0;
  int32_t hitCount = 0;
  int32_t grazeCount = 0;
  int32_t optionClassLevel[6] = {};
};
