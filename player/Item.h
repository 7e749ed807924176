#pragma once
// Items. The fields and behaviour grow with the items code.

#include <cstdint>

#include "world/GameObject.h"

class Item : public GameObject {
 public:
  int32_t kind = 0;
  float labelWidth = 0;
  Item* prev = nullptr;
  Item* next = nullptr;

  void UnlinkAndDelete(Item** head, Item** tail, int32_t* count);
};

class ItemList {
 public:
  Item* head = nullptr;
  Item* tail = nullptr;
  int32_t count = 0;

  ItemList() = default;
  ~ItemList() { Clear(); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  void Clear();
};
