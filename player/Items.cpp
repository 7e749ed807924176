// The per-frame update of the items: magnet, motion, option-class growth, spin, removal and
// pickup with its effect and score.

#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Item.h"
#include "player/Player.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kOptionLimit = 12;  // OptionCountMax
constexpr int kClassMax = 3;
constexpr uint32_t kBonusPopupColor = 0xFFFFFFFFu;

// Option item tint by colour index (R, G, B).
constexpr int kOptionTint[6][3] = {{0x40, 0x40, 0xFF}, {0x40, 0xFF, 0x40}, {0xFF, 0x40, 0x40},
                                   {0xC0, 0xC0, 0x40}, {0xC0, 0x40, 0xC0}, {0x40, 0xC0, 0xC0}};

bool IsOptionItem(int kind) { return kind >= ItemOptionFirst && kind <= ItemKindLast; }

uint32_t Argb(int a, int r, int g, int b) {
  return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
         static_cast<uint32_t>(b);
}

// The class level of a colour as an index: a level from a replay or a switch stays in 0..3.
int ClassLevel(const Player& p, int colour) { return ClampInt(p.optionClassLevel[colour], 0, kClassMax); }

// Pulse of the option item's brightness in percent, by class.
int OptionPulse(int age, int cls) {
  switch (cls) {
    case 0: return 100 + TriangleWave(age, 30) * 100 / 15;
    case 1: return 25 + TriangleWave(age, 20) * 75 / 10;
    case 2: return 100 + TriangleWave(age, 16) * 200 / 8;
    default: return 100 + TriangleWave(age, 10) * 300 / 5;
  }
}

// Class growth of an option item kept attracted, the kind following its colour's level, and
// the tint.
void StepOptionItem(Player* p, Item* it) {
  const int t = it->kind - ItemOptionFirst;
  const int q = t % 6;
  const int k = t / 6;
  int32_t& level = p->optionClassLevel[q];
  if (k == 0 && it->attractTimer == 300 && level == 0) {
    level = 1;
    it->attractTimer = -32768;
  } else if (k == 1 && it->attractTimer == 600 && level == 1) {
    level = 2;
    it->attractTimer = -32768;
  } else if (k == 2 && it->attractTimer == 1200 && (p->scoreLow / 10) % 10 == q && level == 2) {
    level = 3;
    it->attractTimer = -32768;
  }
  const int shown = ClassLevel(*p, q);
  if (shown != k) {
    it->kind = q + ItemOptionFirst + 6 * shown;
    it->SetLabelWidth();
  }
  const int pulse = OptionPulse(it->age, k);
  it->sprite.colorMode = SpriteColorSingle;
  it->sprite.colors[0] = Argb(0xFF, MinInt(kOptionTint[q][0] * pulse / 100, 255),
                              MinInt(kOptionTint[q][1] * pulse / 100, 255),
                              MinInt(kOptionTint[q][2] * pulse / 100, 255));
}

void PickUpGauge(GameWorld* world, Item* it) {
  Player* p = &world->player;
  const int v = it->value;
  const bool calledIn = it->attractState == ItemCollected;
  RequestSoundEffect(SePointItem);
  int points;
  if (calledIn) points = 10 * (p->gaugeFull > 0 ? p->gaugeMax * v / 100 : v);
  else points = 10 * ClampInt(p->gauge * v / 100, v, p->gaugeMax * v / 100);
  p->AddScore(points);
  const float angle = NormalizeAngle(it->direction + 180.0f + RandomFloat(64.0f) - 32.0f);
  const float speed = it->speed * 0.3f + RandomFloat(2.0f);
  SpawnScorePopup(world, points, it->x, it->y, angle, speed, it->sprite.colors[0]);
  const int gain = v * (calledIn ? 1 : 2);
  p->gauge = MinInt(p->gauge + gain, p->gaugeMax);
  p->gaugeTotal += gain;
  if (p->gauge == p->gaugeMax && p->gaugeFull == 0) p->gaugeFull = 600;
}

void PickUpOption(GameWorld* world, Item* it) {
  Player* p = &world->player;
  const int t = it->kind - ItemOptionFirst;
  if (p->optionCount >= kOptionLimit) {
    if (t == p->optionType) {
      p->AddScore(2000);
      SpawnScorePopup(world, 2000, it->x, it->y, 90.0f, 3.0f, kBonusPopupColor);
    }
  } else {
    new Option(&p->optionHead, &p->optionTail, &p->optionCount, p->x, p->y);
  }
  if (p->optionType != t) {
    p->optionType = t;
    ResetOptionFormation(world);  // every option of the list takes the new type
  }
}

void PickUp(GameWorld* world, Item* it) {
  Player* p = &world->player;
  switch (it->kind) {
    case ItemPower:
      if (p->power < PlayerPowerMax) {
        p->power += 1;
      } else {
        p->maxPowerBonusCount += 1;
        const int points = p->maxPowerBonusCount * 1000;
        p->AddScore(points);
        SpawnScorePopup(world, points, it->x, it->y, 90.0f, 3.0f, kBonusPopupColor);
      }
      break;
    case ItemBomb: p->bombs += 1; break;
    case ItemShield: p->shields += 1; break;
    case ItemExtraLife: p->lives += 1; break;
    case ItemGauge: PickUpGauge(world, it); break;
    default:
      if (IsOptionItem(it->kind)) PickUpOption(world, it);
      break;
  }
}

}  // namespace

void UpdateItems(GameWorld* world) {
  Player* p = &world->player;
  ItemList& list = world->items;
  for (Item* it = list.head; it;) {
    Item* next = it->next;
    const bool gauge = it->kind == ItemGauge;
    it->age += 1;
    it->prevX = it->x;
    it->prevY = it->y;

    if (p->state == PlayerNormal && it->attractState == ItemFree) {
      const float d = Hypot(p->x - it->x, p->y - it->y);
      const int r = 24 + (gauge ? 64 : 0) + (g_gameInput[InputShot] == 0 ? (gauge ? 80 : 48) : 0);
      if (d < static_cast<float>(r)) it->attractState = ItemAttracted;
      else if (gauge && g_gameInputFrames[InputSlow] == 1) it->attractState = ItemCollected;
    }

    if (it->attractState == ItemFree) {
      it->SetVelocityXY(it->vx * 0.96f, it->vy * 0.96f + 0.05f + (gauge ? 0.06f : 0.0f));
    } else {
      it->attractTimer += 1;
      const float pull = 0.8f + 0.006f * static_cast<float>(gauge ? MaxInt(it->attractTimer - 120, 0) : 0);
      float px, py;
      PolarToXY(&px, &py, Atan2Deg(it->y - p->y, p->x - it->x), pull);
      const float nvy = it->vy * 0.9f + py + RandomFloat(0.4f) - 0.2f;
      const float nvx = it->vx * 0.9f + px + RandomFloat(0.4f) - 0.2f;
      it->SetVelocityXY(nvx, nvy);
      if (p->state != PlayerNormal) {
        it->attractState = ItemFree;
        it->attractTimer = 0;
      }
    }

    if (IsOptionItem(it->kind)) StepOptionItem(p, it);

    // The spin step is an integer quotient: 7 degrees at first, 0 from age 417 on.
    it->facing = NormalizeAngle(it->facing + static_cast<float>(480 / (it->age + 64)));
    it->x += it->vx;
    it->y += it->vy;

    const bool gone = it->y > 544.0f || (gauge && (it->x < -32.0f || it->x > 392.0f || it->y < -32.0f));
    if (gone) {
      it->UnlinkAndDelete(&list.head, &list.tail, &list.count);
    } else if ((p->state == PlayerNormal || p->state == PlayerShieldHit) &&
               TestHit(it->x, it->y, it->facing, it->hitShape, p->x, p->y, p->facing, p->hitShape)) {
      PickUp(world, it);
      it->UnlinkAndDelete(&list.head, &list.tail, &list.count);
    }
    it = next;
  }
}
