#include "enemy/EnemySpawner.h"

#include <cfloat>
#include <cmath>
#include <new>

#include "enemy/Enemy.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/Random.h"

EnemySpawner* ConstructEnemySpawner(int enemyType, int enemyPhase, EnemySpawner** head, EnemySpawner** tail,
                                    int32_t* count, float x, float y, float stepX, float stepY, float enemyVx,
                                    float enemyVy, int interval, int spawnCount) {
  EnemySpawner* s = new (std::nothrow) EnemySpawner;
  if (!s) return nullptr;
  s->enemyType = enemyType;
  s->enemyPhase = enemyPhase;
  s->x = x;
  s->y = y;
  s->vx = stepX;
  s->vy = stepY;
  s->enemyVx = enemyVx;
  s->enemyVy = enemyVy;
  s->interval = MaxInt(interval, 1);
  s->spawnCount = spawnCount;
  ListAppendAtTail(head, tail, s);
  *count += 1;
  return s;
}

void InitSpawnerListHeader(SpawnerList* list) { *list = SpawnerList{}; }
void ClearSpawnerList(SpawnerList* list) { ListDeleteAll(&list->head, &list->tail, &list->count); }
void DestroySpawnerList(SpawnerList* list) { ClearSpawnerList(list); }

void UnlinkAndDeleteSpawner(SpawnerList* list, EnemySpawner* s) {
  ListUnlink(&list->head, &list->tail, s);
  list->count -= 1;
  delete s;
}

bool IsEdgePosition(float v) { return std::fabs(v) == FLT_MAX; }

float EdgeBasePosition(float v, float half, const Enemy* e) {
  const float r = MinFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.innerRadius / 1.4142135f;
  return SignFloat(v) * (r + half) + half;
}

void UpdateEnemySpawners(GameWorld* world) {
  SpawnerList& list = world->spawners;
  EnemySpawner* s = list.head;
  while (s) {
    EnemySpawner* next = s->next;
    s->counter += 1;
    const int interval = MaxInt(s->interval, 1);
    if (s->counter % interval == 0) {
      // Always four draws, in this order, also when a jitter is 0.
      const float speed = Hypot(s->enemyVx, s->enemyVy) + RandomFloat(2.0f * s->jitterSpeed) - s->jitterSpeed;
      const float direction =
          Atan2Deg(-s->enemyVy, s->enemyVx) + RandomFloat(2.0f * s->jitterAngle) - s->jitterAngle;
      const float y = s->y + RandomFloat(2.0f * s->jitterY) - s->jitterY;
      const float x = s->x + RandomFloat(2.0f * s->jitterX) - s->jitterX;
      EnemyList& el = world->enemies;
      Enemy* e = ConstructEnemy(s->enemyType, &el.head, &el.tail, &el.count, x, y, direction, speed);
      if (IsEdgePosition(s->x)) {
        if (e) e->baseX = EdgeBasePosition(s->x, 180.0f, e);
      } else {
        s->x += s->vx;
      }
      if (IsEdgePosition(s->y)) {
        if (e) e->baseY = EdgeBasePosition(s->y, 240.0f, e);
      } else {
        s->y += s->vy;
      }
      if (e) {
        e->phase = s->enemyPhase;
        for (int i = 0; i < 256; ++i) e->intParams[i] = s->intParams[i];
        for (int i = 0; i < 256; ++i) e->floatRegs[i] = s->floatParams[i];
      }
      if (s->counter / interval >= static_cast<int64_t>(s->spawnCount) - 1) UnlinkAndDeleteSpawner(&list, s);
    }
    s = next;
  }
}
