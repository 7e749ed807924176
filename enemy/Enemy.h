#pragma once
// Enemies. The fields, catalogue and behaviour grow with the enemy framework.

#include <cstdint>

#include "world/GameObject.h"

enum LauncherMode { LauncherPoint = 0, LauncherBarrel = 1 };

constexpr int kEnemyLauncherMax = 32;

// A launch point drawn over the body and used as a muzzle.
struct EnemyLauncher {
  int32_t index = 0;
  int32_t mode = LauncherPoint;
  uint32_t tint = 0;
  float x = 0, y = 0;
  float placementAngle = 0;
  float distance = 0;
  float scale = 0;
  float aimAngle = 0;
};

class Enemy : public GameObject {
 public:
  int32_t launcherCount = 0;
  EnemyLauncher launchers[kEnemyLauncherMax];
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
