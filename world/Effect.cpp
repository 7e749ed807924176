#include "world/Effect.h"

#include <cmath>
#include <cstring>

#include "player/Bomb.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/OrbitMotion.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

float SinDeg(float a) { return std::sin(a * kPi / 180.0f); }

uint32_t PackArgb(int a, int r, int g, int b) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

int Channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

void SlowDown(Effect* e) { e->SetVelocityPolar(e->direction, e->speed * 0.9f); }

// Wander burst: leaves its creation point, is pulled back to it and bursts into debris.
void UpdateWanderBurst(GameWorld* world, Effect* e, int a) {
  const int w = MaxInt(60 - a, 0);
  if (a == 0) {
    SetSpriteFromTable(e->sprite, e->params[0]);
    e->sprite.colorMode = SpriteColorSingle;
    e->SetParamFloat(3, e->x);
    e->SetParamFloat(4, e->y);
    const int s = 2 * RandomInt(2) - 1;
    const float spinRate = RandomFloat(32.0f) + 16.0f;
    e->SetParamFloat(5, spinRate * static_cast<float>(s));
    const float jumpX = RandomFloat(360.0f);
    e->baseX = e->x = jumpX;
    const float jumpY = RandomFloat(480.0f);
    e->baseY = e->y = jumpY;
    const float speed = RandomFloat(32.0f) + 16.0f;
    const int s2 = 2 * RandomInt(2) - 1;
    const float swing = RandomFloat(60.0f) + 60.0f;
    const float toTarget = Atan2Deg(e->baseY - e->GetParamFloat(4), e->GetParamFloat(3) - e->baseX);
    e->SetVelocityPolar(toTarget + swing * static_cast<float>(s2), speed);
  }
  const float tx = e->GetParamFloat(3), ty = e->GetParamFloat(4);
  const float d = Hypot(e->baseX - tx, e->baseY - ty);
  const float pull = d * (static_cast<float>(w < 16 ? 15 - w : 0) * 0.97f / 15.0f + 0.03f);
  const float damp = MaxFloat(1.0f - 0.003f * static_cast<float>(a) - (w < 16 ? 0.3f : 0.0f), 0.0f);
  e->SetVelocityXY(damp * e->vx + SignFloat(tx - e->baseX) * pull, damp * e->vy + SignFloat(ty - e->baseY) * pull);
  e->facing = NormalizeAngle(static_cast<float>(w) * e->GetParamFloat(5));
  e->SetEffectScaleFactor(1.0f + 0.18f * static_cast<float>(w), 1.0f + 0.18f * static_cast<float>(w));
  if (a > 60 && a < 70 && a % 2 == 0) {
    Effect* ring = ConstructEffect(world, EffectPlain, e->x, e->y, 0.0f, 0.0f, 50);
    ring->SetObjectSprite(e->params[0]);
    ring->startScaleX = ring->startScaleY = 1.0f;
    ring->endScaleX = ring->endScaleY = 12.0f;
    ring->startColor = 0x60606060u;
    ring->endColor = 0x00000000u;
  }
  if (a == e->lifetime - 1) {
    const float r = RandomFloat(360.0f);
    for (int i = 0; i < 24; ++i) {
      const int life = RandomInt(8) + 40;
      const float speed = RandomFloat(6.0f) + 4.0f;
      const float py = e->y + RandomFloat(46.0f) - 23.0f;
      const float px = e->x + RandomFloat(45.0f) - 22.5f;
      Effect* p = ConstructEffect(world, EffectPlain, px, py, r + 15.0f * static_cast<float>(i), speed, life);
      p->SetObjectSprite(152);
      p->friction = 0.95f;
      p->startScaleX = RandomFloat(1.5f) + 0.5f;
      p->startScaleY = RandomFloat(0.2f) + 0.1f;
      const float grow = RandomFloat(1.0f);
      p->endScaleX = p->startScaleX + 1.0f + grow;
      p->endScaleY = 0.0f;
      const int tint = FloatToInt(200.0f * SinDeg(p->facing));
      p->startColor = PackArgb(0xFF, MinInt(260 - tint, 255), MinInt(260 + tint, 255), 0xFF);
      p->endColor = 0x00000000u;
    }
  }
}

// Ring emitter (the counter bomb): six rings of twelve ring shots around its own position.
void UpdateRingEmitter(GameWorld* world, Effect* e, int a) {
  if (a % 5 != 1) return;
  const int p = e->params[0];
  // The counter bomb's rings grow by the integer step p / 20 + 5, unlike the bomb's own.
  const int radius = a * (p / 20 + 5) + 32;
  FireBombRing(world, e->x, e->y, static_cast<float>(radius), p, p + 20, 100);
}

}  // namespace

Effect::Effect(int kind_, Effect** head, Effect** tail, int32_t* count, float x_, float y_, float angle, float speed_,
               int lifetime_) {
  x = x_;
  y = y_;
  direction = angle;
  speed = speed_;
  PolarToXYOut(direction, speed, &vx, &vy);
  facing = angle;
  effectAge = 0;
  kind = kind_;
  lifetime = MaxInt(lifetime_, 1);
  baseX = x_;
  baseY = y_;
  orbitAngle = angle;
  ListAppendAtTail(head, tail, this);
  SetSpriteFromTable(sprite, kind_);
  sprite.colorMode = SpriteColorSingle;
  *count += 1;
}

void Effect::UnlinkAndDeleteEffect(Effect** head, Effect** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void Effect::SetEffectAccelXY(float ax, float ay) {
  accelX = ax;
  accelY = ay;
  XYToPolar(ax, ay, &accelAngle, &accelMagnitude);
}

void Effect::SetEffectAccelPolar(float angle, float magnitude) {
  accelAngle = angle;
  accelMagnitude = magnitude;
  PolarToXYOut(angle, magnitude, &accelX, &accelY);
}

void Effect::SetEffectScaleFactor(float fx, float fy) {
  scaleFactorX = fx;
  scaleFactorY = fy;
}

void Effect::SetEffectScaleFactorUniform(float f) { SetEffectScaleFactor(f, f); }

float Effect::GetParamFloat(int i) const {
  float v;
  std::memcpy(&v, &params[i], sizeof v);
  return v;
}

void Effect::SetParamFloat(int i, float v) { std::memcpy(&params[i], &v, sizeof v); }

void Effect::MoveEffect() {
  StepOrbitMotion(*this);
  facing = NormalizeAngle(facing + spin);
  // 0 on the first frame, (L - 1) / L on the last: the end values are never shown.
  const float t = static_cast<float>(effectAge - 1) / static_cast<float>(lifetime);
  if (colorRampOn) {
    int c[4];
    for (int i = 0; i < 4; ++i) {
      const int shift = 24 - 8 * i;
      const int s = Channel(startColor, shift);
      const int e = Channel(endColor, shift);
      c[i] = ClampInt(s + FloatToInt(static_cast<float>(e - s) * t), 0, 255);
    }
    sprite.colors[0] = PackArgb(c[0], c[1], c[2], c[3]);
  }
  SetScale((startScaleX + (endScaleX - startScaleX) * t) * scaleFactorX,
           (startScaleY + (endScaleY - startScaleY) * t) * scaleFactorY);
}

Effect* ConstructEffect(int kind, Effect** head, Effect** tail, int32_t* count, float x, float y, float angle,
                        float speed, int lifetime) {
  return new Effect(kind, head, tail, count, x, y, angle, speed, lifetime);
}

Effect* ConstructEffect(GameWorld* world, int kind, float x, float y, float angle, float speed, int lifetime) {
  EffectList& l = world->effects;
  return ConstructEffect(kind, &l.head, &l.tail, &l.count, x, y, angle, speed, lifetime);
}

void InitEffectListHeader(EffectList* list) { *list = EffectList{}; }
void ClearEffectList(EffectList* list) { ListDeleteAll(&list->head, &list->tail, &list->count); }
void DestroyEffectList(EffectList* list) { ClearEffectList(list); }

void UpdateEffectKind(GameWorld* world, Effect* e) {
  const int a = e->effectAge - 1;
  switch (e->kind) {
    case EffectHitSpark: {
      if (a == 0) {
        SetSpriteFromTable(e->sprite, 336 + e->params[0]);
        e->sprite.colorMode = SpriteColorSingle;
      } else {
        const int period = e->lifetime / 4;
        if (period > 0 && a % period == 0) {
          e->sprite.srcU += static_cast<float>(24 + (e->params[0] > 4 ? 2 : 0) + ((e->params[0] + 1) % 6 > 1 ? 8 : 0));
        }
      }
      SlowDown(e);
      break;
    }
    case EffectFadeOut: {
      const int w = MaxInt(60 - a, 0);
      if (a == 0) {
        SetSpriteFromTable(e->sprite, e->params[0]);
        e->sprite.colorMode = SpriteColorSingle;
        e->facing = 0.0f;
        e->SetParamFloat(3, e->speed);
        e->colorRampOn = 0;
      }
      if (a >= (2 * static_cast<int64_t>(e->lifetime)) / 3) {
        e->SetEffectScaleFactor(e->scaleFactorX * 1.1f, e->scaleFactorY * 0.91f);  // widens and flattens
      }
      const int third = e->lifetime / 3;
      // The last quotient is taken in float: in integers the fade in and out would shrink to a
      // single dark first frame. A lifetime below 3 would divide by zero.
      const float f =
          static_cast<float>(MaxInt(third - TriangleWave(a, e->lifetime), 0)) / static_cast<float>(MaxInt(third, 1));
      e->SetVelocityPolar(e->direction, static_cast<float>(w) * e->GetParamFloat(3) / 60.0f);
      const int v = ClampInt(255 - FloatToInt(255.0f * f), 0, 255);
      e->sprite.colors[0] = PackArgb(v, v, v, v);
      break;
    }
    case EffectWanderBurst:
      UpdateWanderBurst(world, e, a);
      break;
    case EffectBlastFrames: {
      if (a == 0) {
        SetSpriteFromTable(e->sprite, 336);
        e->sprite.colorMode = SpriteColorSingle;
      } else {
        const int64_t step64 = 4 * static_cast<int64_t>(a) / e->lifetime;
        const int step = step64 < 3 ? static_cast<int>(step64) : 3;
        const SpriteDef& r = g_spriteDefs[336 + a % 2];
        e->sprite.srcV = r.srcV;
        e->sprite.srcWidth = r.srcWidth;
        e->sprite.srcHeight = r.srcHeight;
        e->sprite.pivotX = r.pivotX;
        e->sprite.pivotY = r.pivotY;
        e->sprite.srcU = r.srcU + static_cast<float>(step * (24 + 8 * (a % 2)));
      }
      SlowDown(e);
      break;
    }
    case EffectColorFade: {
      const int64_t rem = static_cast<int64_t>(e->lifetime) - a;
      int c[3];
      for (int i = 0; i < 3; ++i) {
        const int64_t v = static_cast<int64_t>(e->params[i]) * rem / e->lifetime;
        c[i] = static_cast<int>(v < 0 ? 0 : (v > 255 ? 255 : v));
      }
      e->startColor = e->endColor = PackArgb(0xFF, c[0], c[1], c[2]);
      break;
    }
    case EffectRingEmitter:
      UpdateRingEmitter(world, e, a);
      break;
    case EffectTextGlyph: {
      const int64_t delayed = static_cast<int64_t>(e->effectAge) - e->params[0];
      const int w = static_cast<int>(delayed < 0 ? 0 : (delayed > 60 ? 60 : delayed));
      const uint32_t end = e->endColor;
      e->startColor =
          PackArgb(w * 255 / 60, Channel(end, 16) * w / 60, Channel(end, 8) * w / 60, Channel(end, 0) * w / 60);
      if (w > 0) e->orbitRadius *= 1.0f - 0.2f * static_cast<float>(w) / 60.0f;
      e->SetParamFloat(4, NormalizeAngle(e->GetParamFloat(4) + e->GetParamFloat(5)));
      e->facing = SinDeg(e->GetParamFloat(4)) * e->GetParamFloat(3);
      break;
    }
    default:
      break;
  }
}

void UpdateEffects(GameWorld* world) {
  EffectList& l = world->effects;
  Effect* e = l.head;
  while (e) {
    Effect* next = e->next;
    e->effectAge += 1;
    if (e->effectAge - 1 < e->lifetime) {
      UpdateEffectKind(world, e);
      e->MoveEffect();
    } else {
      e->UnlinkAndDeleteEffect(&l.head, &l.tail, &l.count);
    }
    e = next;
  }
}
