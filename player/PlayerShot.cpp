#include "player/PlayerShot.h"

#include "world/ObjectList.h"

void PlayerShot::UnlinkAndDelete(PlayerShot** head, PlayerShot** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void ShotList::Clear() { ListDeleteAll(&head, &tail, &count); }
