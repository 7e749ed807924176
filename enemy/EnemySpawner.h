#pragma once
// Enemy spawners: a row of enemies of one type, one every `interval` frames from a spawn point
// that moves by a fixed step. They share the object head's leading layout and use its position
// and velocity (the step).

#include <cstdint>

#include "world/GameObject.h"

class Enemy;
class GameWorld;

class EnemySpawner : public GameObject {
 public:
  float jitterX = 0;
  float jitterY = 0;
  int32_t interval = 1;
  int32_t spawnCount = 1;
  int32_t counter = -1;
  int32_t enemyType = 0;
  int32_t enemyPhase = 0;
  float enemyVx = 0, enemyVy = 0;
  float jitterAngle = 0;
  float jitterSpeed = 0;
  int32_t intParams[256] = {};
  float floatParams[256] = {};
  EnemySpawner* prev = nullptr;
  EnemySpawner* next = nullptr;
};

struct SpawnerList {
  EnemySpawner* head = nullptr;
  EnemySpawner* tail = nullptr;
  int32_t count = 0;
};

// The constructor; null when the allocation fails. An interval below 1 is taken as 1 (0 has no
// remainder and a negative one would never let the spawner end).
EnemySpawner* ConstructEnemySpawner(int enemyType, int enemyPhase, EnemySpawner** head, EnemySpawner** tail,
                                    int32_t* count, float x, float y, float stepX, float stepY, float enemyVx,
                                    float enemyVy, int interval, int spawnCount);

void InitSpawnerListHeader(SpawnerList* list);
void ClearSpawnerList(SpawnerList* list);
void DestroySpawnerList(SpawnerList* list);
void UnlinkAndDeleteSpawner(SpawnerList* list, EnemySpawner* s);

// Once per frame in play, after the stage runner and before the enemies.
void UpdateEnemySpawners(GameWorld* world);

// An edge position ("<" or ">" in a stage line) is the largest float; the enemy's base then
// lies r = min(scale) x innerRadius / sqrt 2 outside that edge (half is 180 for x, 240 for y).
bool IsEdgePosition(float v);
float EdgeBasePosition(float v, float half, const Enemy* e);
