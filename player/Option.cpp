#include "player/Option.h"

#include "world/ObjectList.h"

void Option::UnlinkAndDelete(Option** head, Option** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}
