#include "player/Option.h"

#include "platform/Input.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/SpriteTable.h"

namespace {

constexpr int OptionSpriteRow = 128;
constexpr float TargetRangeMax = 1280.0f;

int Held(int index) { return g_gameInput[index] != 0 ? 1 : 0; }

float Normalized(float a) { return NormalizeAngle(a); }

// The radius clamps of the steering: Slow held shrinks (sign -1) or grows (sign +1) by 2.
float SteerRadius(float radius, int slowSign, float lo, float hi) {
  return ClampFloat(radius + 2.0f * static_cast<float>(slowSign), lo, hi);
}

// Wiper and Caladborg: the aim follows the buttons, springs back toward 90 and stops on 90 for
// one frame when it crosses it.
void SteerStoppingAim(OptionFormation* f, int lr, float angleStep, float aimStep) {
  f->angle = ClampFloat(f->angle + angleStep * static_cast<float>(lr), 0.0f, 180.0f);
  const int before = SignFloatAsInt(f->aim - 90.0f);
  f->aim = ClampFloat(f->aim + aimStep * static_cast<float>(lr), -1.0f, 181.0f);
  f->aim -= SignFloat(f->aim - 90.0f);
  const int after = SignFloatAsInt(f->aim - 90.0f);
  if (before != 0 && after != before) f->aim = 90.0f;
}

// The hook of Anchor and Fragarach: thrown upward with shot + up, it hands the first enemy it
// touches to every option as their target. Its centre rests on the ship.
void SteerHook(GameWorld* world, int shot, int up) {
  Player& p = world->player;
  OptionFormation& f = p.formation;
  if (!shot) f.aim = -1.0f;
  if (f.aim < 0.0f) {
    f.centerX = p.x;
    f.centerY = p.y;
    if (g_gameInputFrames[InputShot] == 1 && up) f.aim = 1.0f;
  }
  if (f.aim > 0.0f) {
    f.centerY -= 16.2f;
    // Any enemy it touches, dying or untargetable ones included.
    for (Enemy* e = world->enemies.head; e; e = e->next) {
      if (TestHit(f.centerX, f.centerY, p.facing, p.hitShape, e->x, e->y, e->facing, e->hitShape)) {
        for (Option* o = p.optionHead; o; o = o->next) o->target = e;
        f.aim = -1.0f;
        break;
      }
    }
    if (f.centerY < -40.0f) f.aim = -1.0f;
  }
}

}  // namespace

Option::Option(Option** head, Option** tail, int32_t* count, float nx, float ny) {
  x = nx;
  y = ny;
  SetVelocityPolar(0.0f, 0.0f);
  facing = 90.0f;
  target = nullptr;
  targetX = targetY = 0.0f;
  for (float& w : work) w = 0.0f;
  fireTimer = *head ? (*head)->fireTimer : 0;
  launched = 0;
  power = 700;
  launchAge = 0;
  ListAppendAtTail(head, tail, this);
  SetSpriteFromTable(sprite, OptionSpriteRow);
  SetHitShapeFromTable(hitShape, OptionSpriteRow);
  SetScaleUniform(0.5f);
  *count += 1;
}

void Option::UnlinkAndDelete(Option** head, Option** tail, int32_t* count) {
  ListUnlink(head, tail, this);
  *count -= 1;
  delete this;
}

void Option::MoveToward(float k) {
  const float dx = targetX - x;
  const float dy = targetY - y;
  const float d = Hypot(dx, dy);
  const float step = MinFloat(MaxFloat(d / 30.0f, 6.75f * k), d);
  if (step >= d) {
    // Exactly onto the point, without the rounding of a step along the direction.
    x = targetX;
    y = targetY;
  } else {
    float mx, my;
    PolarToXY(&mx, &my, Atan2Deg(-dy, dx), step);
    x += mx;
    y += my;
  }
  x = ClampFloat(x, -2.0f, 362.0f);
  y = ClampFloat(y, 14.0f, 482.0f);
}

int OptionColorOf(int type) { return (type >= 0 && type < OptionTypeCount) ? type % OptionColorCount : 0; }

int OptionFirePeriodOf(int type) {
  const int period = g_optionFirePeriod[(type >= 0 && type < OptionTypeCount) ? type + 1 : 0];
  return period > 0 ? period : 1;
}

int OptionLaunchPower(int playerPower) { return playerPower * 1700 / 20 + 700; }

void AcquireOptionTarget(GameWorld* world, Option* option) {
  if (option->target) return;
  float best = TargetRangeMax;
  for (Enemy* e = world->enemies.head; e; e = e->next) {
    if (e->dyingCounter != 0 || !e->targetable) continue;
    const float d = Hypot(e->x - option->x, e->y - option->y);
    if (d < best) {
      best = d;
      option->target = e;
    }
  }
}

void ClearOptionTargets(GameWorld* world, Enemy* e) {
  for (Option* o = world->player.optionHead; o; o = o->next) {
    if (o->target == e) o->target = nullptr;
  }
}

void ResetOptionFormation(GameWorld* world) {
  Player& p = world->player;
  OptionFormation& f = p.formation;
  switch (p.optionType) {
    case OptionWing:
    case OptionFeather: f.angle = 0.0f; break;
    case OptionRolling:
      f.angle = Normalized(f.angle);
      f.radius = 60.0f;
      f.aim = 90.0f;
      f.spin = 1.0f;
      break;
    case OptionMass:
    case OptionAnchor:
    case OptionFragarach:
      f.centerX = p.x;
      f.centerY = p.y - 32.0f;
      if (p.optionType != OptionMass) f.aim = -1.0f;
      break;
    case OptionWiper:
    case OptionCaladborg:
      f.angle = 90.0f;
      f.aim = 90.0f;
      break;
    case OptionAllrange:
      f.angle = Normalized(f.angle);
      f.radius = 60.0f;
      f.aim = 1.0f;
      break;
    case OptionReverse:
      f.angle = 90.0f;
      f.radius = 80.0f;
      break;
    case OptionSupport:
      f.centerX = p.x;
      f.centerY = p.y + 64.0f;
      break;
    case OptionEnclose:
    case OptionAegis:
      f.angle = Normalized(f.angle);
      f.radius = 80.0f;
      f.centerX = p.x;
      f.centerY = p.y;
      break;
    case OptionStream:
    case OptionHunter:
    case OptionLvatein: f.angle = Normalized(f.angle); break;
    default: break;  // the other types, and any type outside the table, start as they are
  }
}

void SteerOptionFormation(GameWorld* world) {
  Player& p = world->player;
  if (p.state != PlayerNormal) return;
  OptionFormation& f = p.formation;
  const int l = Held(InputLeft), r = Held(InputRight), u = Held(InputUp), d = Held(InputDown);
  const int shot = Held(InputShot), slow = Held(InputSlow);
  switch (p.optionType) {
    case OptionWing:
    case OptionFeather:
      if (!shot) f.angle = ClampFloat(f.angle + 4.5f * static_cast<float>(u - d), -90.0f, 90.0f);
      break;
    case OptionRolling:
      if (l && !r) f.spin = 1.0f;
      if (r && !l) f.spin = -1.0f;
      f.angle = Normalized(f.angle + 3.6f * f.spin);
      f.radius = SteerRadius(f.radius, 1 - 2 * slow, 40.0f, 60.0f);
      // Passes through 90 freely, unlike Wiper's and Caladborg's.
      f.aim = ClampFloat(f.aim + 3.0f * static_cast<float>(l - r), 44.0f, 136.0f);
      f.aim -= SignFloat(f.aim - 90.0f);
      break;
    case OptionMass:
      if (!shot) {
        f.centerX = p.x;
        f.centerY = p.y - 32.0f;
      }
      break;
    case OptionWiper: SteerStoppingAim(&f, l - r, 4.5f, 3.0f); break;
    case OptionAllrange: {
      if (l && !r) f.aim = 1.0f;
      if (r && !l) f.aim = -1.0f;
      const int heldFrames = g_gameInputFrames[InputLeft] + g_gameInputFrames[InputRight];
      const float boost = (heldFrames < 0 ? -heldFrames : heldFrames) > 15 ? 1.5f : 1.0f;
      f.angle = Normalized(f.angle + 3.6f * f.aim * boost);
      f.radius = SteerRadius(f.radius, 1 - 2 * slow, 20.0f, 60.0f);
      break;
    }
    case OptionReverse:
      if ((l || r || u || d) && !shot) {
        // Toward the direction opposite to the one held.
        const float away = Atan2Deg(static_cast<float>(d - u), static_cast<float>(l - r));
        f.angle = TurnAngleToward(f.angle, away, 4.5f);
        f.radius = SteerRadius(f.radius, 1 - 2 * slow, 50.0f, 80.0f);
      }
      break;
    case OptionSupport:
      if (!shot) {
        f.centerX = p.x;
        f.centerY = p.y + 64.0f;
      }
      break;
    case OptionAutohoming: f.angle = Normalized(f.angle + 4.0f); break;
    case OptionEnclose:
    case OptionAegis:
      f.angle = Normalized(f.angle + (p.optionType == OptionEnclose ? 1.8f : 2.4f));
      f.radius = SteerRadius(f.radius, 2 * slow - 1, 80.0f, 130.0f);
      if (!shot) {
        f.centerX = p.x;
        f.centerY = p.y;
      }
      break;
    case OptionStream: f.angle = Normalized(f.angle + 2.7f); break;
    case OptionHunter: f.angle = Normalized(f.angle + 5.4f); break;
    case OptionAnchor:
    case OptionFragarach: SteerHook(world, shot, u); break;
    case OptionCaladborg: SteerStoppingAim(&f, l - r, 3.6f, 4.0f); break;
    case OptionLvatein: f.angle = Normalized(f.angle + 2.4f); break;
    default: break;
  }
}
