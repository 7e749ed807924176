// Placeholder definitions for PendingStubs.h and for the Player members the stage runner calls.
// Delete this file when collision, options, effects, input, replay and the player land.

#include "enemy/PendingStubs.h"

#include "enemy/Enemy.h"
#include "player/Option.h"
#include "player/Player.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

uint32_t g_hitErrorFlags = 0;
uint8_t g_replayPlayback = 0;

bool IsSpaceKeyHeld() { return false; }

// Bounding circles only.
bool TestHit(float ax, float ay, float, HitShape a, float bx, float by, float, HitShape b) {
  const float ra = a.boundRadius * MaxFloat(a.scaleX, a.scaleY);
  const float rb = b.boundRadius * MaxFloat(b.scaleX, b.scaleY);
  return Hypot(bx - ax, by - ay) < ra + rb;
}

void ClearOptionTargets(GameWorld* world, Enemy* e) {
  for (Option* o = world->player.optionHead; o; o = o->next) {
    if (o->target == e) o->target = nullptr;
  }
}

Effect* ConstructEffect(int kind, Effect** head, Effect** tail, int32_t* count, float x, float y, float angle,
                        float speed, int lifetime) {
  Effect* e = new Effect;
  e->x = x;
  e->y = y;
  e->direction = angle;
  e->speed = speed;
  PolarToXY(&e->vx, &e->vy, angle, speed);
  e->facing = angle;
  e->kind = kind;
  e->lifetime = MaxInt(lifetime, 1);
  ListAppendAtTail(head, tail, e);
  SetSpriteFromTable(e->sprite, kind);
  e->sprite.colorMode = SpriteColorSingle;
  *count += 1;
  return e;
}

void Player::SetState(int s) {
  state = s;
  stateFrames = 0;
}

void Player::RecordStageResult(int) {}

// The framework part of enemy death: no explosion, drops or score yet.
void KillEnemy(bool, GameWorld* world, int, Enemy* e) {
  if (e->dyingCounter != 0) return;
  const int t = e->type;
  if ((t == 70 || t == 74 || t == 78 || t == 92 || t == 99) && e->phase >= 0) {
    e->dyingCounter = -1;
    e->SetEnemyPhase(-1);
    e->removeOffField = 0;
    return;
  }
  UnhookEnemyFromFamily(e);
  ClearOptionTargets(world, e);
  e->dyingCounter = 1;
}
