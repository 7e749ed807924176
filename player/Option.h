#pragma once
// Option units. Their links follow the head; the list header lives in the Player.

#include <cstdint>

#include "world/GameObject.h"

class Enemy;

class Option : public GameObject {
 public:
  Option* prev = nullptr;
  Option* next = nullptr;
  Enemy* target = nullptr;  // locked enemy, not owned

  void UnlinkAndDelete(Option** head, Option** tail, int32_t* count);
};
