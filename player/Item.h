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

  Item() = default;
  // Placed at (x, y) moving along angle at speed, appended at the tail; sprite and hit shape of
  // row 304 + min(kind, 5) at scale 1.
  Item(int kind, Item** head, Item** tail, int32_t* count, float x, float y, float angle, float speed);

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
