#include "player/Item.h"

#include "world/ObjectList.h"

void Item::UnlinkAndDelete(Item** head, Item** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void ItemList::Clear() { ListDeleteAll(&head, &tail, &count); }
