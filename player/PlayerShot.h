#pragma once
// Player-side shots. The fields and behaviour grow with the shots code.

#include <cstdint>

#include "world/GameObject.h"

class Enemy;

class PlayerShot : public GameObject {
 public:
  int32_t kind = 0;
  PlayerShot* prev = nullptr;
  PlayerShot* next = nullptr;
  Enemy* target = nullptr;  // locked enemy of the homing kinds, not owned

  void UnlinkAndDelete(PlayerShot** head, PlayerShot** tail, int32_t* count);
};

class ShotList {
 public:
  PlayerShot* head = nullptr;
  PlayerShot* tail = nullptr;
  int32_t count = 0;

  ShotList() = default;
  ~ShotList() { Clear(); }
  ShotList(const ShotList&) = delete;
  ShotList& operator=(const ShotList&) = delete;
  void Clear();
};
