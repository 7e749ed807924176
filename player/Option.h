#pragma once
// Option units. Their links follow the head; the list header lives in the Player.

#include <cstdint>

#include "world/GameObject.h"

class Option : public GameObject {
 public:
  Option* prev = nullptr;
  Option* next = nullptr;

  void UnlinkAndDelete(Option** head, Option** tail, int32_t* count);
};
