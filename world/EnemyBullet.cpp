#include "world/EnemyBullet.h"

#include <cmath>

#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/OrbitMotion.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

EnemyBullet::EnemyBullet(int kind_, int type_, int facingMode_, EnemyBullet** head, EnemyBullet** tail,
                         int32_t* count, float x_, float y_, float angle, float speed_, float sx, float sy) {
  x = x_;
  y = y_;
  direction = NormalizeAngle(angle);
  speed = speed_;
  PolarToXYOut(direction, speed, &vx, &vy);
  facing = direction;
  kind = kind_;
  type = type_;
  facingMode = facingMode_;
  baseX = x_;
  baseY = y_;
  orbitAngle = angle;
  spinStep = (type_ & 1) ? 12.0f : -12.0f;
  ListAppendAtTail(head, tail, this);
  SetSpriteFromTable(sprite, type_ + 160);
  SetHitShapeFromTable(hitShape, type_ + 160);
  SetBulletBaseScale(sx, sy);
  *count += 1;
}

void EnemyBullet::UnlinkAndDeleteBullet(BulletList* list) {
  ListUnlink(&list->head, &list->tail, this);
  if (hasId && bulletId >= 0 && bulletId < BulletIdCount && list->slots[bulletId] == this) {
    list->slots[bulletId] = nullptr;
    list->freeRing[(list->freeReadIndex + list->freeCount) % BulletIdCount] = bulletId;
    list->freeCount += 1;
  }
  list->count -= 1;
  delete this;
}

EnemyBullet* ConstructEnemyBullet(int kind, int type, int facingMode, EnemyBullet** head, EnemyBullet** tail,
                                  int32_t* count, float x, float y, float angle, float speed, float sx, float sy) {
  return new EnemyBullet(kind, type, facingMode, head, tail, count, x, y, angle, speed, sx, sy);
}

int AllocBulletWithId(BulletList* list, EnemyBullet** out, int kind, int type, int facingMode, float x, float y,
                      float angle, float speed, float sx, float sy) {
  EnemyBullet* b = ConstructEnemyBullet(kind, type, facingMode, &list->head, &list->tail, &list->count, x, y, angle,
                                        speed, sx, sy);
  if (out) *out = b;
  if (list->freeCount <= 0) return BulletIdNone;  // no free id: the bullet exists but holds none
  const int id = list->freeRing[list->freeReadIndex];
  list->slots[id] = b;
  b->hasId = 1;
  b->bulletId = id;
  list->freeReadIndex = (list->freeReadIndex + 1) % BulletIdCount;
  list->freeCount -= 1;
  return id;
}

EnemyBullet* FindBulletById(BulletList* list, int id) {
  if (!list || id < 0 || id >= BulletIdCount) return nullptr;
  return list->slots[id];
}

void InitBulletListHeader(BulletList* list) {
  list->head = nullptr;
  list->tail = nullptr;
  list->count = 0;
}

void ClearBulletList(BulletList* list) {
  ListDeleteAll(&list->head, &list->tail, &list->count);
  for (int i = 0; i < BulletIdCount; ++i) {
    list->slots[i] = nullptr;
    list->freeRing[i] = i;
  }
  list->freeReadIndex = 0;
  list->freeCount = BulletIdCount;
}

void DestroyBulletList(BulletList* list) { ClearBulletList(list); }

void EnemyBullet::SetBulletAccelXY(float ax, float ay) {
  accelX = ax;
  accelY = ay;
  XYToPolar(ax, ay, &accelAngle, &accelMagnitude);
}

void EnemyBullet::SetBulletAccelPolar(float angle, float magnitude) {
  accelAngle = angle;
  accelMagnitude = magnitude;
  PolarToXYOut(angle, magnitude, &accelX, &accelY);
}

void EnemyBullet::SetBulletBaseScale(float sx, float sy) {
  baseScaleX = sx;
  baseScaleY = sy;
}

void EnemyBullet::SetBulletBaseScaleUniform(float s) { SetBulletBaseScale(s, s); }

void EnemyBullet::SetBulletPulse(float amplitude, float phase, float step) {
  pulseOn = 1;
  pulseAmplitude = amplitude;
  pulsePhase = phase;
  pulseStep = step;
}

void EnemyBullet::SetBulletTrail(int effectKind, int sprite_, int interval, int lifetime, float speedFactor,
                                 float friction_, float scaleFactorX, float scaleFactorY) {
  trailEffectKind = effectKind;
  trailSprite = sprite_;
  trailInterval = interval;
  trailLifetime = lifetime;
  trailSpeedFactor = speedFactor;
  trailFriction = friction_;
  trailScaleFactorX = scaleFactorX;
  trailScaleFactorY = scaleFactorY;
}

void EnemyBullet::UpdateBulletFacing() {
  switch (facingMode) {
    case BulletFaceMotion: facing = Atan2Deg(prevY - y, x - prevX); break;
    case BulletFaceVelocity: facing = direction; break;
    case BulletFaceAccel: facing = accelAngle; break;
    case BulletFaceSpin: facing = NormalizeAngle(facing + spinStep); break;
    case BulletFaceOrbit: facing = orbitAngle; break;
    default: break;
  }
}

void EnemyBullet::MoveBullet() {
  StepOrbitMotion(*this);
  if (std::fabs(stretch) >= 0.1f) {
    const float d = Hypot(x - prevX, y - prevY);
    // A negative stretch shrinks k with the distance; below 0.01 the scales would blow up,
    // turn negative and end in NaN in the hit push.
    const float k = MaxFloat(d / stretch + 1.0f, 0.01f);
    if (stretch > 0) SetScale(baseScaleX * k, baseScaleY / k);
    else SetScale(baseScaleX / k, baseScaleY * k);
  } else {
    SetScale(baseScaleX, baseScaleY);
  }
  if (pulseOn) {
    pulsePhase = NormalizeAngle(pulsePhase + pulseStep);
    const float f = std::sin(pulsePhase * kPi / 180.0f) * pulseAmplitude + 1.0f;
    SetScale(f * sprite.scaleX, f * sprite.scaleY);
  }
}

namespace {

constexpr int BlastDefaultDelay = 48;
constexpr float BlastHideRadius = 32768.0f;

// Six particles that spiral into the bullet while it waits hidden.
void StartDelayedBlast(GameWorld* world, EnemyBullet* b) {
  const float a = RandomFloat(360.0f);
  if (b->blastDelay < 2) b->blastDelay = BlastDefaultDelay;
  for (int i = 0; i < 6; ++i) {
    Effect* e = ConstructEffect(world, EffectPlain, b->x, b->y, b->direction, b->speed, b->blastDelay);
    e->SetEffectAccelPolar(b->accelAngle, b->accelMagnitude);
    e->friction = b->friction;
    e->accelFactor = b->accelFactor;
    e->orbitAngle = 60.0f * static_cast<float>(i) + a;
    // The sprite scale is still the table's 1 here: the first MoveBullet has not run yet.
    e->orbitRadius = (b->sprite.scaleX + b->sprite.scaleY) * 0.5f * 100.0f;
    e->orbitAngleVel = b->spinStep;
    e->orbitAngleVelFactor = 1.0f;
    e->orbitRadiusVel = -e->orbitRadius / static_cast<float>(b->blastDelay);
    e->orbitRadiusVelFactor = 1.0f;
    e->SetObjectSprite(152);
    e->startColor = 0x00000000u;
    e->endColor = g_bulletColors[b->type & 15];
    e->startScaleX = b->sprite.scaleX * 1.25f;
    e->startScaleY = b->sprite.scaleY * 1.25f;
    e->endScaleX = e->startScaleX * 0.4f;
    e->endScaleY = e->startScaleY * 0.4f;
  }
  b->orbitAngle = 0.0f;
  b->orbitRadius = BlastHideRadius;  // far off to the right, kept by the widened off-field test
  b->blastScaleX = b->baseScaleX;
  b->blastScaleY = b->baseScaleY;
}

}  // namespace

void UpdateBulletBehaviour(GameWorld* world, EnemyBullet* b) {
  if (b->kind == BulletDelayedBlast) {
    if (b->age == 1) StartDelayedBlast(world, b);
    if (b->age >= b->blastDelay) {
      b->orbitRadius = 0.0f;
      const int t = b->age - b->blastDelay;
      const float f = std::sin(static_cast<float>(t + 10) * 4.5f * kPi / 180.0f);
      b->SetBulletBaseScale(f * b->blastScaleX, f * b->blastScaleY);
    }
    if (b->age >= b->blastDelay + 30) b->baseX = BlastHideRadius;  // removed as off-field
  }
  b->MoveBullet();
}
