#include "player/Item.h"

#include <initializer_list>

#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

namespace {

// Letters of each option type's name after its class prefix; "0" stands for 10.
constexpr char kLabelDigits[] = "478546587570776666959897";

bool ValidKind(int kind) { return kind >= 0 && kind <= ItemKindLast; }

}  // namespace

Item::Item(int kind_, Item** head, Item** tail, int32_t* count, float x_, float y_, float angle, float speed_) {
  x = x_;
  y = y_;
  SetVelocityPolar(angle, speed_);
  facing = angle;
  kind = kind_;
  age = 0;
  value = 0;
  attractState = ItemFree;
  attractTimer = 0;
  if (kind_ >= ItemOptionFirst) SetLabelWidth();
  ListAppendAtTail(head, tail, this);
  const int row = 304 + MinInt(kind_, ItemOptionFirst);
  SetSpriteFromTable(sprite, row);
  SetHitShapeFromTable(hitShape, row);
  SetScaleUniform(1.0f);
  *count += 1;
}

void Item::SetLabelWidth() {
  const int t = kind - ItemOptionFirst;
  if (t < 0 || t >= static_cast<int>(sizeof kLabelDigits) - 1) {
    labelWidth = 0.0f;
    return;
  }
  const int digit = kLabelDigits[t] == '0' ? 10 : kLabelDigits[t] - '0';
  labelWidth = static_cast<float>(digit) * 8.0f;
}

void Item::UnlinkAndDelete(Item** head, Item** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void ItemList::Clear() { ListDeleteAll(&head, &tail, &count); }

Item* ConstructItem(int kind, Item** head, Item** tail, int32_t* count, float x, float y, float angle,
                    float speed) {
  // Kinds beyond the option items would index the option tables out of range.
  if (!ValidKind(kind)) return nullptr;
  return new Item(kind, head, tail, count, x, y, angle, speed);
}

Item* ConstructItem(GameWorld* world, int kind, float x, float y, float angle, float speed) {
  ItemList& l = world->items;
  return ConstructItem(kind, &l.head, &l.tail, &l.count, x, y, angle, speed);
}

void SpawnScorePopup(GameWorld* world, int value, float x, float y, float angle, float speed, uint32_t argb) {
  const int v = MaxInt(value, 0);
  int n = 1;
  for (int limit : {9, 99, 999, 9999, 99999, 999999, 9999999}) n += v > limit ? 1 : 0;
  const float scale = 0.3f + 0.2f * static_cast<float>(n);
  const float spacing = static_cast<float>(n) * 2.6f + 3.9f;
  int rest = v;
  for (int i = 0; i < n; ++i, rest /= 10) {
    const int digit = rest % 10;
    Effect* e = ConstructEffect(world, EffectPlain, x - static_cast<float>(i) * spacing, y, angle, speed, 32);
    e->facing = 0.0f;
    e->SetObjectSprite(16 + digit);  // the font's digit glyphs
    e->friction = 0.95f;
    e->startScaleX = e->startScaleY = scale;
    e->endScaleX = e->endScaleY = scale * 1.7f;
    e->startColor = argb;
    e->endColor = 0;
  }
}
