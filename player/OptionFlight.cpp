// The double tap that launches an option, the launched options' homing flight and ramming, and
// the trails every option leaves.

#include <climits>
#include <cmath>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int TrailSpriteRow = 156;
constexpr int DoubleTapFramesMax = 6;

Item* DropPowerItem(GameWorld* world, float x, float y, float angle, float speed) {
  return ConstructItem(world, ItemPower, x, y, angle, speed);
}

void RemoveLaunched(Player& p, Option* o) {
  o->UnlinkAndDelete(&p.optionHead, &p.optionTail, &p.optionCount);
  p.launchedCount -= 1;
}

// A spent option turns into a power item thrown upward, and away from the side edges.
void SpendInRam(GameWorld* world, Option* o) {
  const float speed = 2.0f + RandomFloat(2.0f);
  Item* item = DropPowerItem(world, o->x, o->y, o->facing, speed);
  item->SetVelocityXY(item->vx, item->vy - 8.0f);
  if (item->x < 50.0f) item->SetVelocityXY(std::fabs(item->vx) + 1.0f, item->vy);
  else if (item->x > 310.0f) item->SetVelocityXY(-std::fabs(item->vx) - 1.0f, item->vy);
  RemoveLaunched(world->player, o);
}

// Trades the option's power against the hit points of every enemy it touches, dying ones
// included. Returns false when the option was spent (and is gone).
bool Ram(GameWorld* world, Option* o) {
  const int halfLaunchPower = OptionLaunchPower(world->player.power) / 2;
  for (Enemy* e = world->enemies.head; e;) {
    Enemy* next = e->next;
    if (TestHit(o->x, o->y, o->facing, o->hitShape, e->x, e->y, e->facing, e->hitShape)) {
      bool spent;
      if (e->hp < o->power) {
        o->power -= e->hp;
        e->hp = 0;
        spent = o->power < halfLaunchPower;
      } else {
        e->hp -= o->power;
        spent = true;
      }
      if (spent) SpendInRam(world, o);
      if (e->hp < 1) KillEnemy(true, world, HitSourceLaunchedOption, e);
      if (spent) return false;
    }
    e = next;
  }
  return true;
}

bool OutsideField(const Option* o) {
  if (!std::isfinite(o->x) || !std::isfinite(o->y)) return true;  // could never leave otherwise
  const float m = MaxFloat(o->sprite.scaleX, o->sprite.scaleY) * o->sprite.radius + 64.0f;
  return o->x < -m || o->x > 360.0f + m || o->y < -m || o->y > 480.0f + m;
}

// Launched options move by their own velocity, never through MoveToward's clamp: a clamped
// option could never leave, and the game over waits for the option list to empty. Returns false
// when the option is gone (spent or off the field).
bool UpdateLaunchedOption(GameWorld* world, Option* o) {
  o->launchAge += 1;
  AcquireOptionTarget(world, o);
  if (Enemy* e = o->target) {
    const float a = Atan2Deg(o->y - e->y, e->x - o->x);
    o->facing = TurnAngleToward(o->facing, a, MaxFloat(AngleDistance(o->facing, a) / 16.0f, 4.0f));
  }
  float mx, my;
  PolarToXY(&mx, &my, o->facing, (0.7f + 0.004f * static_cast<float>(o->launchAge)) * 4.5f);
  o->x += mx;
  o->y += my;
  if (!Ram(world, o)) return false;
  if (OutsideField(o)) {
    // The power item falls back in from the top edge.
    const float x = std::isfinite(o->x) ? ClampFloat(o->x, 32.0f, 328.0f) : 180.0f;
    const float dx = RandomFloat(32.0f);
    DropPowerItem(world, x + dx - 16.0f, -24.0f, 270.0f, 2.0f);
    RemoveLaunched(world->player, o);
    return false;
  }
  return true;
}

uint32_t TrailColor(int type, int k) {
  static const bool lit[OptionColorCount][3] = {
      {false, false, true}, {false, true, false}, {true, false, false},
      {true, true, false},  {true, false, true},  {false, true, true},
  };
  const bool* c = lit[OptionColorOf(type)];
  const uint32_t r = c[0] ? k : 0x18, g = c[1] ? k : 0x18, b = c[2] ? k : 0x18;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

void SpawnTrail(GameWorld* world, const Option* o) {
  Effect* e = ConstructEffect(world, EffectPlain, o->x, o->y, 0.0f, 0.0f, o->launched ? 18 : 9);
  e->SetObjectSprite(TrailSpriteRow);
  e->friction = 0.95f;
  e->endScaleX = 0.2f;
  e->endScaleY = 0.2f;
  e->SetEffectScaleFactor(0.4f, 0.4f);
  e->endColor = 0x80181818u;
  e->startColor = TrailColor(world->player.optionType, TriangleWave(g_sceneFrame, 64) + 48);
}

}  // namespace

void UpdateOptionDoubleTap(GameWorld* world) {
  Player& p = world->player;
  const int s = g_gameInput[InputShot] != 0 ? 1 : 0;
  if (s != p.lastShotInput) {
    if (s) {
      p.shotPressFrames = 0;
    } else {
      p.shotReleaseFrames = 0;
      p.prevShotPressFrames = p.shotPressFrames;
    }
    p.lastShotInput = s;
  }
  if (!s) {
    if (p.shotReleaseFrames < INT_MAX) p.shotReleaseFrames += 1;
    return;
  }
  if (p.shotPressFrames < INT_MAX) p.shotPressFrames += 1;
  if (p.shotPressFrames == 1 && p.shotReleaseFrames <= DoubleTapFramesMax &&
      p.prevShotPressFrames <= DoubleTapFramesMax && p.optionCount > 0) {
    // The tail-most option still in formation; with every option launched there is none.
    Option* o = p.optionTail;
    while (o && o->launched) o = o->prev;
    if (o) {
      o->launched = 1;
      o->power = OptionLaunchPower(p.power);
      p.launchedCount += 1;
    }
  }
}

void UpdateOptions(GameWorld* world) {
  Player& p = world->player;
  const bool trailFrame = g_sceneFrame % 3 == 0;
  int i = 0;
  for (Option* o = p.optionHead; o; ++i) {
    Option* next = o->next;
    bool alive = true;
    if (o->launched) alive = UpdateLaunchedOption(world, o);
    else UpdateOptionFormation(world, o, i);
    if (alive && trailFrame) SpawnTrail(world, o);
    o = next;
  }
}
