#include "world/Effect.h"

#include "world/ObjectList.h"

void Effect::UnlinkAndDeleteEffect(Effect** head, Effect** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void InitEffectListHeader(EffectList* list) { *list = EffectList{}; }
void ClearEffectList(EffectList* list) { ListDeleteAll(&list->head, &list->tail, &list->count); }
void DestroyEffectList(EffectList* list) { ClearEffectList(list); }
