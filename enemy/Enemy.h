#pragma once
// Enemies. The fields, catalogue and behaviour grow with the enemy framework.

#include <cstdint>

#include "world/GameObject.h"

class Enemy : public GameObject {
 public:
  Enemy* prev = nullptr;
  Enemy* next = nullptr;
};

struct EnemyList {
  Enemy* head = nullptr;
  Enemy* tail = nullptr;
  int32_t count = 0;
};

void InitEnemyListHeader(EnemyList* list);
void ClearEnemyList(EnemyList* list);
void DestroyEnemyList(EnemyList* list);
