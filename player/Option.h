#pragma once
// Option units. Their links follow the head; the list header lives in the Player.

#include <cstdint>

#include "world/GameObject.h"

// The formation values shared by all options, kept in the Player.
struct OptionFormation {
  float centerX = 0, centerY = 0;
  float angle = 0;
  float radius = 0;
  float aim = 0;
  float spin = 0;
};

class Option : public GameObject {
 public:
  Option* prev = nullptr;
  Option* next = nullptr;
  uint8_t launched = 0;  // 0 in formation, 1 launched

  void UnlinkAndDelete(Option** head, Option** tail, int32_t* count);
};
