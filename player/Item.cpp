#include "player/Item.h"

#include "world/ObjectList.h"

Item::Item(int kind_, Item** head, Item** tail, int32_t* count, float x_, float y_, float angle, float speed_) {
  x = x_;
  y = y_;
  SetVelocityPolar(angle, speed_);
  facing = angle;
  kind = kind_;
  ListAppendAtTail(head, tail, this);
  const int row = 304 + (kind_ < 5 ? kind_ : 5);
  SetObjectSprite(row);
  SetHitShapeFromTable(hitShape, row);
  SetScale(1.0f, 1.0f);
  *count += 1;
}

void Item::UnlinkAndDelete(Item** head, Item** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void ItemList::Clear() { ListDeleteAll(&head, &tail, &count); }
