#pragma once
// Enemy spawners: they share the object head's leading layout and use its position and velocity.

#include <cstdint>

#include "world/GameObject.h"

class EnemySpawner : public GameObject {
 public:
  EnemySpawner* prev = nullptr;
  EnemySpawner* next = nullptr;
};

struct SpawnerList {
  EnemySpawner* head = nullptr;
  EnemySpawner* tail = nullptr;
  int32_t count = 0;
};

void InitSpawnerListHeader(SpawnerList* list);
void ClearSpawnerList(SpawnerList* list);
void DestroySpawnerList(SpawnerList* list);
void UnlinkAndDeleteSpawner(SpawnerList* list, EnemySpawner* s);
