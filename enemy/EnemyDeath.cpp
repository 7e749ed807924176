#include <cmath>
#include <cstdint>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Bomb.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/EnemyBullet.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kOptionColours = 6;
constexpr int kOptionClassMax = 3;

int ColourOfOptionType(int optionType) {
  const int c = optionType % kOptionColours;
  return c < 0 ? c + kOptionColours : c;
}

// Each channel x 2 / 3 (integers).
uint32_t DarkenTint(uint32_t c) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t ch = (c >> shift) & 0xFFu;
    out |= ((ch * 2u) / 3u) << shift;
  }
  return out;
}

// How a dropped item leaves the enemy. The draws: speed, direction, then the item's facing.
enum ItemMotion { MotionOne, MotionTwo, MotionThree };

// The draws are made also when the item cannot be created, so the sequence never shifts.
Item* DropItem(GameWorld* world, int kind, float x, float y, ItemMotion motion) {
  float speed = 0, direction = 0;
  switch (motion) {
    case MotionOne: {
      const float s = RandomFloat(4.0f);
      speed = (y + 64.0f) * 18.0f / 480.0f + s;
      const float d = RandomFloat(9.0f);
      direction = 90.0f - 4.5f + d;
      break;
    }
    case MotionTwo: {
      const float s = RandomFloat(6.0f);
      speed = (y + 64.0f) * 18.0f / 480.0f + s;
      const float d = RandomFloat(12.0f);
      direction = 90.0f - 6.0f + d;
      break;
    }
    case MotionThree: {
      const float s = RandomFloat(4.0f);
      speed = (y + 64.0f) * 9.0f / 480.0f + s;
      const float d = RandomFloat(9.0f);
      direction = 90.0f - 4.5f + d;
      break;
    }
  }
  Item* item = ConstructItem(world, kind, x, y, direction, speed);
  const float facing = RandomFloat(360.0f);
  if (item) item->facing = facing;
  return item;
}

// The option item of a colour at a class level: kind 5 + colour + 6 x level.
int OptionItemKind(int colour, int level) { return ItemOptionFirst + colour + kOptionColours * level; }

// Raises the colour's class by one and drops the option item of the new class (motion one).
void RaiseClassAndDrop(GameWorld* world, Enemy* e, int colour) {
  Player& p = world->player;
  p.optionClassLevel[colour] += 1;
  DropItem(world, OptionItemKind(colour, p.optionClassLevel[colour]), e->x, e->y, MotionOne);
}

void DropSeveral(GameWorld* world, Enemy* e, int kind, int n) {
  for (int i = 0; i < n; ++i) DropItem(world, kind, e->x, e->y, MotionTwo);
}

// Particles thrown out by the body's shape: round (152), square-ish (153, farther at the
// diagonals) or three-lobed (154, nearer between the lobes).
void ThrowExplosion(GameWorld* world, Enemy* e) {
  const float sx = e->sprite.scaleX, sy = e->sprite.scaleY;
  const float k = MinFloat(sx, sy) * std::sqrt(MaxFloat(sx, sy));
  const uint32_t q = DarkenTint(e->sprite.colors[0]);
  const int extra = RandomInt(4);
  const int n = FloatToInt(4.0f * k) + extra + 6;
  const int row = e->bodySprite;
  if (row != 152 && row != 153 && row != 154) return;
  const float size = std::sqrt(sx * sy);
  for (int i = 0; i < n; ++i) {
    const float a = RingAngle(0.0f, i, n);  // whole degrees
    float speed;
    if (row == 152) {
      const float r = RandomFloat(4.0f);
      speed = r + 4.0f + 2.5f * size;
    } else if (row == 153) {
      const float m = std::fmod(a, 90.0f);
      const float r = RandomFloat(4.0f);
      speed = (r + 4.0f + 2.5f * size) * (1.0f + 0.414f * MinFloat(m, 45.0f) / 45.0f);
    } else {
      const float m = std::fmod(a, 120.0f);
      const float r = RandomFloat(4.0f);
      speed = (r + 5.0f + 2.8f * size) * (1.0f - 0.3f * MinFloat(m, 60.0f) / 60.0f);
    }
    const int life = RandomInt(8);
    Effect* p = ConstructEffect(world, EffectPlain, e->x, e->y, a + e->facing, speed, 40 + life);
    if (!p) continue;
    if (row != 154) {
      // Moved back by one step, so that its first move starts from the centre.
      p->baseX -= p->vx;
      p->baseY -= p->vy;
      p->x -= p->vx;
      p->y -= p->vy;
    }
    p->SetObjectSprite(152);
    p->friction = 0.95f;
    p->startScaleY = 0.2f * k;
    p->endScaleX = k + 2.0f;
    p->endScaleY = 0.0f;
    p->startColor = q;
    p->endColor = 0;
  }
}

// A growing ring in the enemy's tint that marks a drop.
void SpawnDropFlash(GameWorld* world, Enemy* e) {
  Effect* f = ConstructEffect(world, EffectPlain, e->x, e->y, 0.0f, 0.0f, 60);
  if (!f) return;
  f->SetObjectSprite(345);
  f->startScaleX = f->startScaleY = 0.1f;
  f->endScaleX = f->endScaleY = 4.0f;
  f->startColor = e->sprite.colors[0];
  f->endColor = 0;
}

void DeathExtras17(GameWorld* world, int cause, Enemy* e) {
  Player& p = world->player;
  const int colour = ColourOfOptionType(p.optionType);
  const int limit = p.shotMode == ShotModeBurst ? 3 : 2;
  if (cause == HitSourceBomb && p.optionClassLevel[colour] < limit) {
    RaiseClassAndDrop(world, e, colour);
  } else if (cause >= HitSourceRing) {
    DropSeveral(world, e, ItemBomb, cause == HitSourceBomb ? 3 : 2);
  } else if (cause == HitSourceLaunchedOption) {
    DropSeveral(world, e, p.optionType + ItemOptionFirst, 12);
  } else {
    DropSeveral(world, e, ItemPower, 3);
  }
}

void DeathExtras26(GameWorld* world, Enemy* e) {
  // A mine that has not run yet holds no bullet (its register still reads 0, another holder's id).
  if (e->age > 0 && e->intRegs[0] < BulletIdCount) {
    // Its held bullet leaves the field and is culled by the bullet update.
    if (EnemyBullet* b = FindHeldBullet(world, e->intRegs[0])) b->baseX = -128000.0f;
  }
  if (e->parent) e->score *= 5;
}

void DeathExtras27(GameWorld* world, Enemy* e) {
  if (!(e->phase == 0 && e->phaseFrames < e->intRegs[5])) return;
  float ox, oy, unused;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const float a = AngleToPlayer(world, ox, oy);
  // The rings of its closing salvo, fired early: spaced by that salvo's own register (nothing
  // else of type 27 writes a spacing for them).
  for (int i = 0; i < e->intRegs[14]; ++i) {
    const int odd = i % 2;
    const int m = MaxInt(e->intRegs[13] + odd, 1);
    for (int j = 0; j < m; ++j) {
      EnemyBullet* b = SpawnEnemyBullet(world, 409 + 2 * odd, BulletFaceSpin, ox, oy,
                                        FanAngle(a, j, m, e->floatRegs[7]), F(i + 7) * g_bulletSpeedBase / 8.0f,
                                        0.75f, 0.75f);
      if (b) b->spinStep = F(2 * odd - 1) * 21.6f;
    }
  }
}

void DeathExtras29(GameWorld* world, Enemy* e) {
  int survivors = 0;
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    if (!e->children[i]) continue;
    ++survivors;
    float ox, oy, unused;
    ShotOriginOf(e, i + 1, &ox, &oy, &unused);
    DropItem(world, ItemPower, ox, oy, MotionTwo);
  }
  const Player& p = world->player;
  const int colour = ColourOfOptionType(p.optionType);
  if (survivors == 0 && p.optionCount >= 1 && p.optionClassLevel[colour] < kOptionClassMax) {
    RaiseClassAndDrop(world, e, colour);
  }
}

void DeathExtras73(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  if (!(e->y <= F(40 * d + 280) && DistanceToPlayer(world, e->x, e->y) >= F(MaxInt(160 - 16 * d, 64)))) return;
  float b = AngleFromEnemyToPlayer(world, e);
  if (d >= 1) b += 45.0f;
  if (d >= 2) {
    const int steps = RandomInt(d + 4) / 4;
    const float r = RandomFloat(90.0f);
    b += r * F(steps);
  }
  float ox, oy, unused;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  for (int i = 0; i < e->intRegs[0]; ++i) {
    for (int j = 0; j < 4; ++j) {
      SpawnEnemyBullet(world, 27, BulletFaceMotion, ox, oy, b + F(2 * j - 3) * 45.0f,
                       F(i + 16) * g_bulletSpeedBase / 32.0f, 0.45f, 0.45f);
    }
    if (i == 3) b += 45.0f;
  }
}

void DeathExtras77(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  if (!(e->y <= F(48 * d + 320) && DistanceToPlayer(world, e->x, e->y) >= F(MaxInt(120 - 14 * d, 32)))) return;
  float ox, oy, unused;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < e->intRegs[i]; ++j) {
      const float speed = F(j - 22 * (d > 3) + 12) * g_bulletSpeedBase / 16.0f;
      for (int side = 0; side < 2; ++side) {
        EnemyBullet* b =
            SpawnEnemyBullet(world, 19, BulletFaceMotion, ox, oy, F((i + 1) * 90 + 180 * side), speed, 0.45f, 0.45f);
        if (!b) continue;
        if (d > 3) SetBulletAccelAlong(b, 0.07f);
        b->stretch = 24.0f;
      }
    }
  }
}

void RunDeathExtras(GameWorld* world, int cause, Enemy* e) {
  switch (e->type) {
    case 17: DeathExtras17(world, cause, e); break;
    case 20:
      if (cause >= HitSourceRing) {
        SpawnDropFlash(world, e);
        e->dropItemKind = 1;  // the reward then drops a power item
      }
      break;
    case 26: DeathExtras26(world, e); break;
    case 27: DeathExtras27(world, e); break;
    case 29: DeathExtras29(world, e); break;
    case 30:
      if (e->parent) e->parent->floatRegs[1] += SignFloat(e->parent->floatRegs[1]) * 0.006f;
      break;
    case 73: DeathExtras73(world, e); break;
    case 77: DeathExtras77(world, e); break;
    default: break;
  }
}

// The gauge items: the base count and the bonuses for a clean, close, low, unarmed or grazing
// kill; large items of value 5 while more than four remain, then small ones.
void DropGaugeItems(GameWorld* world, int cause, Enemy* e) {
  const Player& p = world->player;
  int count = e->dropItemCount;
  if (e->hitByMask == 1) count += 2;
  if (e->hitByMask == 2) count += 1;
  const float reach = 2.0f * (MaxFloat(e->hitShape.scaleX, e->hitShape.scaleY) * e->hitShape.boundRadius +
                              MaxFloat(p.hitShape.scaleX, p.hitShape.scaleY) * p.hitShape.boundRadius);
  if (Hypot(p.x - e->x, p.y - e->y) < reach) count += 1;
  if (e->y > p.y) count += 1;
  if (g_gameInput[InputShot] == 0) count += 2;
  if (p.grazeFrames > 0) count += 1;
  if (cause == HitSourceLaunchedOption) count += 5;
  while (count > 0) {
    const float speed = RandomFloat(1.2f);
    const float r = RandomFloat(270.0f);
    Item* item = ConstructItem(world, ItemGauge, e->x, e->y, 315.0f + r, speed);
    const float facing = RandomFloat(360.0f);
    const bool large = count > 4;
    if (item) {
      item->sprite.colorMode = SpriteColorSingle;
      item->sprite.colors[0] = e->sprite.colors[0];
      item->facing = facing;
      item->SetScaleUniform(large ? 1.0f : 0.4f);
      item->value = large ? 5 : 1;
    }
    count -= large ? 5 : 1;
  }
}

// The player's rotating drop sequence of 21 steps: six option colours then a shield, twice,
// then six colours and a bomb. A step is skipped while the shot is released, except onto the
// shield or bomb step; slow held gives the current option type instead of the colour.
int NextRotatingDrop(Player& p) {
  int d = p.dropCycle;
  if (d % 7 != 6 && g_gameInput[InputShot] == 0) {
    d += 1;
    p.dropCycle = (p.dropCycle + 1) % 21;
  }
  int kind;
  if (d % 7 == 6) {
    kind = (d / 7) % 3 == 2 ? ItemBomb : ItemShield;
  } else if (g_gameInput[InputSlow] == 1) {
    kind = p.optionType + ItemOptionFirst;
  } else {
    const int colour = d % 7;
    kind = OptionItemKind(colour, p.optionClassLevel[colour]);
  }
  p.dropCycle = (p.dropCycle + 1) % 21;
  return kind;
}

// The reward item's kind; -1 for none (0, and kinds above 11, which the data model lacks).
int RewardItemKind(Player& p, int dropItemKind) {
  if (dropItemKind < 0) return NextRotatingDrop(p);
  if (dropItemKind >= 1 && dropItemKind <= 5) return dropItemKind - 1;
  if (dropItemKind >= 6 && dropItemKind <= 11) {
    const int colour = dropItemKind - 6;
    return dropItemKind - 1 + kOptionColours * p.optionClassLevel[colour];
  }
  return -1;
}

}  // namespace

void KillEnemy(bool rewarded, GameWorld* world, int cause, Enemy* e) {
  if (e->dyingCounter != 0) return;
  const int t = e->type;
  if ((t == 70 || t == 74 || t == 78 || t == 92 || t == 99) && e->phase >= 0) {
    // The first kill of a boss starts its death sequence; its own code kills it again at the end.
    e->dyingCounter = -1;
    e->SetEnemyPhase(-1);
    e->removeOffField = 0;
    return;
  }
  RequestSoundEffect(SeEnemyBreak);
  ThrowExplosion(world, e);
  if (e->dropItemKind != 0) SpawnDropFlash(world, e);
  RunDeathExtras(world, cause, e);
  UnhookEnemyFromFamily(e);
  if (rewarded) {
    Player& p = world->player;
    p.AddScore(e->score);
    if (e->dropItemCount >= 0) DropGaugeItems(world, cause, e);
    if (e->dropItemKind != 0) {
      const int kind = RewardItemKind(p, e->dropItemKind);
      if (kind >= 0) DropItem(world, kind, e->x, e->y, MotionThree);
    }
  }
  ClearOptionTargets(world, e);
  e->dyingCounter = 1;
}
