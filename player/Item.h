#pragma once
// Items: the pickups enemies drop and the dying ship scatters. They fall, are drawn to the ship
// by a magnet, gauge items can be called in with the slow button, and each kind has its pickup.

#include <cstdint>

#include "world/GameObject.h"

class GameWorld;

enum ItemKind {
  ItemPower = 0,
  ItemBomb = 1,
  ItemShield = 2,
  ItemExtraLife = 3,
  ItemGauge = 4,
  ItemOptionFirst = 5,  // 5 + option type 0..23
};

constexpr int ItemKindLast = 28;

enum ItemAttractState {
  ItemFree = 0,       // falls
  ItemAttracted = 1,  // pulled by the magnet
  ItemCollected = 2,  // a gauge item called in by a slow press
};

class Item : public GameObject {
 public:
  int32_t kind = 0;
  int32_t age = 0;
  int32_t value = 0;  // gauge items: 1 small, 5 large
  int32_t attractState = ItemFree;
  int32_t attractTimer = 0;  // frames attracted; -32768 after the item raised a class level
  float labelWidth = 0;      // option items: pixel width of the option name beside the item
  Item* prev = nullptr;
  Item* next = nullptr;

  Item() = default;
  // Appends at the tail; sprite and hit shape from row 304 + min(kind, 5), scale 1. Use
  // ConstructItem, which refuses kinds outside 0..28.
  Item(int kind, Item** head, Item** tail, int32_t* count, float x, float y, float angle, float speed);

  void SetLabelWidth();
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

// The constructor for kinds 0..28 only: any other kind creates nothing and gives null.
Item* ConstructItem(int kind, Item** head, Item** tail, int32_t* count, float x, float y, float angle, float speed);
// The same on the world's item list.
Item* ConstructItem(GameWorld* world, int kind, float x, float y, float angle, float speed);

// Floating digits of value (at most 8), the units digit at x and the higher ones to its left.
void SpawnScorePopup(GameWorld* world, int value, float x, float y, float angle, float speed, uint32_t argb);

void UpdateItems(GameWorld* world);
