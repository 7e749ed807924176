// The per-frame walk of the enemy bullets: motion, trails, the off-field cull, grazing and hits
// on the player.

#include <cmath>

#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

void DropTrail(GameWorld* world, EnemyBullet* b) {
  const float speed = b->speed * b->trailSpeedFactor;
  Effect* e = ConstructEffect(world, b->trailEffectKind, b->x, b->y, b->facing, speed, b->trailLifetime);
  if (b->trailEffectKind == EffectPlain) e->SetObjectSprite(b->trailSprite);
  e->startScaleX = b->sprite.scaleX;
  e->startScaleY = b->sprite.scaleY;
  e->endScaleX = b->sprite.scaleX * b->trailScaleFactorX;
  e->endScaleY = b->sprite.scaleY * b->trailScaleFactorY;
  e->SetVelocityPolar(b->direction, speed);
  e->friction = b->trailFriction;
  e->startColor = g_bulletColors[b->type & 15];
  e->endColor = 0x00000000u;
}

bool OffField(const EnemyBullet* b) {
  const float m = MinFloat(MaxFloat(b->sprite.scaleX, b->sprite.scaleY) * b->sprite.radius, 1000.0f);
  return b->baseX + b->orbitRadius < -m || b->baseX - b->orbitRadius > 360.0f + m ||
         b->baseY + b->orbitRadius < -m || b->baseY - b->orbitRadius > 480.0f + m;
}

// The push a hit gives the ship, then the shield or the life.
void HitPlayer(Player* p, const EnemyBullet* b) {
  const float sx = b->sprite.scaleX, sy = b->sprite.scaleY;
  // Absolute values: a pulse can turn the scales negative.
  const float k = std::sqrt(std::fabs(MaxFloat(sx, sy))) * MaxFloat(std::sqrt(std::fabs(MinFloat(sx, sy))), 1.0f);
  const float f = MinFloat(0.6f * k, 1.0f) / (p->shields == 0 ? 2.0f : 1.0f);
  const float push = std::sqrt(f);
  p->SetVelocityXY(b->vx * f * push + p->vx, b->vy * f * push + p->vy);
  p->SetVelocityPolar(p->direction, MinFloat(p->speed, 64.0f));
  p->hitCount += 1;
  if (p->shields > 0) {
    p->shields -= 1;
    p->SetState(PlayerShieldHit);
  } else {
    p->SetState(PlayerDying);
  }
}

void GrazeSparks(GameWorld* world, const Player* p, const EnemyBullet* b) {
  const float a = Atan2Deg(p->y - b->y, b->x - p->x);
  float dx, dy;
  PolarToXY(&dx, &dy, a, 8.0f);
  const uint32_t color = g_bulletColors[b->type & 15];
  Effect* e = ConstructEffect(world, EffectPlain, p->x + dx, p->y + dy, a, 5.0f, 8);
  e->SetObjectSprite(343);
  e->startScaleX = e->startScaleY = 0.2f;
  e->endScaleX = 3.0f;
  e->endScaleY = 0.0f;
  e->startColor = color;
  e->endColor = 0x00000000u;
  for (int i = 0; i < 2; ++i) {
    const float speed = RandomFloat(6.0f) + 4.0f;
    const float angle = RandomFloat(30.0f) + a - 15.0f;
    Effect* s = ConstructEffect(world, EffectPlain, p->x + dx, p->y + dy, angle, speed, 12);
    s->SetObjectSprite(344);
    s->startScaleX = s->startScaleY = 0.6f;
    s->endScaleX = s->endScaleY = 0.1f;
    s->spin = RandomFloat(64.0f) - 32.0f;
    s->startColor = color;
    s->endColor = 0x00000000u;
  }
}

void Graze(GameWorld* world, Player* p, EnemyBullet* b) {
  b->grazeCountdown -= 1;
  p->grazeFrames = MaxInt(p->grazeFrames, 16);
  if (b->grazeCountdown >= 1) return;
  RequestSoundEffect(SeGraze);
  p->AddScore(10);
  p->grazeCount += 1;
  p->gaugeMax = MinInt(p->gaugeMax + 1, 9999);
  if (p->gaugeFull > 0) p->gauge = p->gaugeMax;
  b->grazeCountdown = 3;  // scores on the first graze frame, then every third
  GrazeSparks(world, p, b);
}

}  // namespace

void UpdateEnemyBullets(GameWorld* world) {
  BulletList& list = world->bullets;
  Player* p = &world->player;
  HitShape grazeShape = p->hitShape;
  // Straight from the keyboard, not part of the game input: T removes every bullet.
  const bool clearAll = IsKeyboardKeyHeld('T');

  EnemyBullet* b = list.head;
  while (b) {
    EnemyBullet* next = b->next;
    b->age += 1;
    b->prevX = b->x;
    b->prevY = b->y;
    UpdateBulletBehaviour(world, b);
    b->UpdateBulletFacing();
    if (b->trailInterval > 0 && b->age % b->trailInterval == 0) DropTrail(world, b);

    if (OffField(b) || clearAll) {
      b->UnlinkAndDeleteBullet(&list);
      b = next;
      continue;
    }
    const float grazeScale = b->speed / 3.0f + 8.0f;
    grazeShape.scaleX = grazeScale;
    grazeShape.scaleY = grazeScale;
    if (p->state == PlayerNormal &&
        TestHit(b->x, b->y, b->facing, b->hitShape, p->x, p->y, p->facing, grazeShape)) {
      if (TestHit(b->x, b->y, b->facing, b->hitShape, p->x, p->y, p->facing, p->hitShape)) {
        if (p->invincibleFrames == 0) HitPlayer(p, b);
        b->UnlinkAndDeleteBullet(&list);
      } else if (p->invincibleFrames == 0) {
        Graze(world, p, b);
      }
    }
    b = next;
  }
}
