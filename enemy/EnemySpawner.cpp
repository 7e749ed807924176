#include "enemy/EnemySpawner.h"

#include "world/ObjectList.h"

void InitSpawnerListHeader(SpawnerList* list) { *list = SpawnerList{}; }
void ClearSpawnerList(SpawnerList* list) { ListDeleteAll(&list->head, &list->tail, &list->count); }
void DestroySpawnerList(SpawnerList* list) { ClearSpawnerList(list); }

void UnlinkAndDeleteSpawner(SpawnerList* list, EnemySpawner* s) {
  ListUnlink(&list->head, &list->tail, s);
  list->count -= 1;
  delete s;
}
