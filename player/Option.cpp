#include "player/Option.h"

#include "world/GameWorld.h"
#include "world/ObjectList.h"

void Option::UnlinkAndDelete(Option** head, Option** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void ClearOptionTargets(GameWorld* world, Enemy* e) {
  for (Option* o = world->player.optionHead; o; o = o->next) {
    if (o->target == e) o->target = nullptr;
  }
}
