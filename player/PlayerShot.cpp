#include "player/PlayerShot.h"

#include <climits>

#include "enemy/Enemy.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/SpriteTable.h"

namespace {

int ConstructionRow(int kind) { return kind < 6 ? 138 + kind : 137 + kind; }

int32_t ShotDamage(int kind, int mul, int div) {
  const int64_t base = 80 + (kind >= 0 && kind < 5 ? 20 * kind : 0);
  const int64_t d = base * mul / (div != 0 ? div : 1);  // a zero divisor would crash the game
  return static_cast<int32_t>(d > INT32_MAX ? INT32_MAX : (d < INT32_MIN ? INT32_MIN : d));
}

}  // namespace

PlayerShot::PlayerShot(int kind_, int hitBit_, int damageMul, int damageDiv, PlayerShot** head, PlayerShot** tail,
                       int32_t* count, float x_, float y_, float angle, float speed_) {
  x = x_;
  y = y_;
  SetVelocityPolar(angle, speed_);
  facing = angle;
  kind = kind_;
  hitBit = hitBit_;
  age = 0;
  target = nullptr;
  ListAppendAtTail(head, tail, this);
  const int row = ConstructionRow(kind_);
  SetSpriteFromTable(sprite, row);
  SetHitShapeFromTable(hitShape, row);
  SetScaleUniform(1.0f);
  damage = ShotDamage(kind_, damageMul, damageDiv);
  *count += 1;
}

void PlayerShot::UnlinkAndDelete(PlayerShot** head, PlayerShot** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void PlayerShot::SetShotRow(int row) {
  SetObjectSprite(row);
  SetHitShapeFromTable(hitShape, row);
}

void ShotList::Clear() { ListDeleteAll(&head, &tail, &count); }

PlayerShot* ConstructPlayerShot(GameWorld* world, int kind, int hitBit, int damageMul, int damageDiv, float x,
                                float y, float angle, float speed) {
  ShotList& l = world->shots;
  return new PlayerShot(kind, hitBit, damageMul, damageDiv, &l.head, &l.tail, &l.count, x, y, angle, speed);
}

// The nearest live enemy strictly closer than 1280, the first of equals in list order.
Enemy* NearestShotTarget(GameWorld* world, const PlayerShot* shot) {
  Enemy* best = nullptr;
  float bestDistance = 1280.0f;
  for (Enemy* e = world->enemies.head; e; e = e->next) {
    if (e->dyingCounter != 0) continue;
    const float d = Hypot(e->x - shot->x, e->y - shot->y);
    if (d < bestDistance) {
      bestDistance = d;
      best = e;
    }
  }
  return best;
}

void AcquireShotTarget(GameWorld* world, PlayerShot* shot) {
  if (shot->target) return;
  shot->target = NearestShotTarget(world, shot);
}
