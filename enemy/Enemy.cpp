#include "enemy/Enemy.h"

#include "world/ObjectList.h"

void InitEnemyListHeader(EnemyList* list) { *list = EnemyList{}; }
void ClearEnemyList(EnemyList* list) { ListDeleteAll(&list->head, &list->tail, &list->count); }
void DestroyEnemyList(EnemyList* list) { ClearEnemyList(list); }
