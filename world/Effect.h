#pragma once
// Effects (particles). The fields and behaviours of each kind grow with the effects code.

#include <cstdint>

#include "world/GameObject.h"

class Effect : public GameObject {
 public:
  Effect* prev = nullptr;
  Effect* next = nullptr;

  void UnlinkAndDeleteEffect(Effect** head, Effect** tail, int32_t* count);
};

struct EffectList {
  Effect* head = nullptr;
  Effect* tail = nullptr;
  int32_t count = 0;
};

void InitEffectListHeader(EffectList* list);
void ClearEffectList(EffectList* list);
void DestroyEffectList(EffectList* list);
