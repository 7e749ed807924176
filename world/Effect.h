#pragma once
// Effects (particles). The fields and behaviours of each kind grow with the effects code.

#include <cstdint>

#include "world/GameObject.h"

class Effect : public GameObject {
 public:
  int32_t kind = 0;
  int32_t lifetime = 1;
  float friction = 1;
  float startScaleX = 1, startScaleY = 1, endScaleX = 1, endScaleY = 1;
  uint32_t startColor = 0xFFFFFFFF, endColor = 0xFFFFFFFF;
  int32_t params[6] = {};  // per-kind values; entries 3..5 hold float bits
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
