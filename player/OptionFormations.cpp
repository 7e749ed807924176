// Where each option in formation goes and where it faces, per option type.

#include <cmath>

#include "platform/Input.h"
#include "player/Bomb.h"
#include "player/Option.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr float TargetRangeMax = 1280.0f;

int Held(int index) { return g_gameInput[index] != 0 ? 1 : 0; }

float F(int v) { return static_cast<float>(v); }

// -1 for even indices, +1 for odd ones.
int Side(int i) { return i % 2 == 0 ? -1 : 1; }

// Slots symmetric about 0: 0, 2, -2, 4, -4, ... for odd n and -1, 1, -3, 3, ... for even n.
int Sym(int i, int n) { return (2 * (i % 2) - 1) * ((1 - n % 2) + ((n % 2 + i) / 2) * 2); }

float Ring(int i, int n, float angle) { return F(i * 360) / F(n) + angle; }

// The grid of Search, Autohoming and Homing; gy is a row number.
void Grid(int i, int* gx, int* gy) {
  if (i < 2) {
    *gx = 0;
    *gy = 0;
  } else if (i < 6) {
    *gx = 1 - 2 * ((i / 2) % 2);
    *gy = 1;
  } else {
    *gx = ((i / 2) % 3) * 2 - 2;
    *gy = 2;
  }
}

float SizeOf(const Enemy* e) { return MaxFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.radius; }

float AngleTo(const Option* o, float x, float y) { return Atan2Deg(o->y - y, x - o->x); }

void Turn(Option* o, float a, float q, float m) {
  o->facing = TurnAngleToward(o->facing, a, MaxFloat(AngleDistance(o->facing, a) / q, m));
}

void SetPoint(Option* o, float x, float y) {
  o->targetX = x;
  o->targetY = y;
}

// The point at polar(a, d) from (cx, cy).
void SetPolarPoint(Option* o, float cx, float cy, float a, float d) {
  float px, py;
  PolarToXY(&px, &py, a, d);
  SetPoint(o, cx + px, cy + py);
}

// The swarm step: work[0..1] wander within 32 px of the centre and are pulled back toward it;
// work[2..3] is their velocity. Draws x first, then y.
void Walk(Option* o, float r) {
  float* w = o->work;
  const float rx = RandomFloat(r);
  w[2] = ClampFloat(w[2] + rx - r / 2.0f - w[0] / 64.0f, -3.0f, 3.0f);
  const float ry = RandomFloat(r);
  w[3] = ClampFloat(w[3] + ry - r / 2.0f - w[1] / 64.0f, -3.0f, 3.0f);
  w[0] = ClampFloat(w[0] + w[2], -32.0f, 32.0f);
  w[1] = ClampFloat(w[1] + w[3], -32.0f, 32.0f);
}

// Straight, Stream and Laevatein: up, or toward the top edge above the ship while slow is held.
void FaceUpOrAbovePlayer(Option* o, const Player& p) {
  const float a = Held(InputSlow) ? AngleTo(o, p.x, 0.0f) : 90.0f;
  Turn(o, a, 4.0f, 2.0f);
}

// Search and Homing: no target while the shot is not held; while it is, the nearest enemy again
// every frame, unless slow is held too (then the current one stays).
void ChooseSearchTarget(GameWorld* world, Option* o) {
  if (!Held(InputShot)) {
    o->target = nullptr;
    return;
  }
  if (!Held(InputSlow)) o->target = nullptr;
  AcquireOptionTarget(world, o);
}

void FaceTargetOr(Option* o, float fallback, float q, float m) {
  Turn(o, o->target ? AngleTo(o, o->target->x, o->target->y) : fallback, q, m);
}

// Enclose and Aegis: the target is chosen again every frame among the live enemies inside the
// circle around the formation centre (targetable or not), nearest to the option.
void ChooseEnclosedTarget(GameWorld* world, Option* o) {
  const OptionFormation& f = world->player.formation;
  if (Enemy* kept = o->target) {
    if (Hypot(kept->x - f.centerX, kept->y - f.centerY) > SizeOf(kept) + f.radius) o->target = nullptr;
  }
  Enemy* best = nullptr;
  float bestDistance = TargetRangeMax;
  for (Enemy* e = world->enemies.head; e; e = e->next) {
    if (e->dyingCounter != 0) continue;
    if (!(Hypot(e->x - f.centerX, e->y - f.centerY) < SizeOf(e) + f.radius)) continue;
    const float d = Hypot(e->x - o->x, e->y - o->y);
    if (d < bestDistance) {
      bestDistance = d;
      best = e;
    }
  }
  o->target = best;
}

// Float: drifts slowly toward the player (later options more slowly) and bounces off an inner
// frame of the field. Draws x first, then y.
void Drift(Option* o, const Player& p, int i) {
  // A float quotient on purpose: 4 / (i + 4) in integers is 0 from the second option on, which
  // would freeze every option but the first where it stands.
  const float f = 4.0f / F(i + 4);
  float* w = o->work;
  const float rx = RandomFloat(0.2f);
  w[0] = ClampFloat(w[0] + rx - 0.1f + (p.x - o->x) / 2880.0f * f, -3.0f * f, 3.0f * f);
  const float ry = RandomFloat(0.2f);
  w[1] = ClampFloat(w[1] + ry - 0.1f + (p.y - o->y) / 960.0f * f, -3.0f * f, 3.0f * f);
  SetPoint(o, o->x + w[0], o->y + w[1]);
  o->MoveToward(1.0f);
  if (o->x < 16.0f) w[0] = std::abs(w[0]) + 0.5f * f;
  if (o->x > 344.0f) w[0] = -std::abs(w[0]) - 0.5f * f;
  if (o->y < 80.0f) w[1] = std::abs(w[1]) + 0.5f * f;
  if (o->y > 472.0f) w[1] = -std::abs(w[1]) - 0.5f * f;
}

// Gespenst blinks to a random spot beside its target on each of its shots: on normal fire
// frames, or every 8th frame of a bomb that drives the options' fire.
bool GespenstTeleportFrame(const Player& p, const Option* o) {
  if (p.optionFireMode == OptionFireNormal && o->fireTimer % OptionFirePeriodOf(p.optionType) == 0) return true;
  return p.bombFrames > 20 && p.bombFrames % 8 == 5 && p.optionFireMode > 0;
}

}  // namespace

void UpdateOptionFormation(GameWorld* world, Option* o, int i) {
  Player& p = world->player;
  const OptionFormation& f = p.formation;
  const int n = MaxInt(p.optionCount - p.launchedCount, 1);
  const int shot = Held(InputShot), slow = Held(InputSlow);
  int gx, gy;
  Grid(i, &gx, &gy);

  switch (p.optionType) {
    case OptionWing:
    case OptionFeather: {
      const float a = i % 2 == 0 ? 180.0f + f.angle / 2.0f : -f.angle / 2.0f;
      SetPolarPoint(o, p.x, p.y, a, F(20 + 16 * (i / 2)));
      o->MoveToward(1.0f);
      if (p.optionType == OptionWing) {
        o->facing = i % 2 == 0 ? 90.0f + f.angle : 90.0f - f.angle;
      } else {
        const int sideFeather = i % 2 == 0 ? 1 : -1;
        o->facing = 90.0f + F(sideFeather * (i / 2 + 1)) * f.angle / F(n / 2 + 1);
      }
      break;
    }
    case OptionRolling:
      SetPolarPoint(o, p.x, p.y, Ring(i, n, f.angle), f.radius);
      o->MoveToward(1.5f);
      o->facing = f.aim;
      break;
    case OptionStraight:
      SetPolarPoint(o, p.x, p.y, 270.0f + F(8 * Sym(i, n)), 80.0f);
      o->MoveToward(1.0f);
      FaceUpOrAbovePlayer(o, p);
      break;
    case OptionTrace: {
      // Kept non-negative for any index (more than 13 options would make it negative).
      int h = ((12 - i) * 159 / 13 + p.historyIndex) % PlayerHistorySize;
      if (h < 0) h += PlayerHistorySize;
      SetPoint(o, p.historyX[h], p.historyY[h]);
      o->MoveToward(1.0f);
      o->facing = 90.0f;
      break;
    }
    case OptionMass:
      Walk(o, 1.0f);
      SetPoint(o, f.centerX + o->work[0], f.centerY + o->work[1]);
      o->MoveToward(0.95f);
      o->facing = 90.0f + 2.7f * F(2 * i - (n - 1)) / 2.0f;
      break;
    case OptionSearch:
    case OptionAutohoming:
      SetPoint(o, p.x + F(Side(i) * (36 + 12 * gx)), p.y + F(4 * (i / 2) + 12 * gy));
      o->MoveToward(1.0f);
      if (p.optionType == OptionSearch) {
        ChooseSearchTarget(world, o);
        FaceTargetOr(o, 90.0f, 12.0f, 2.0f);
      } else {
        Turn(o, Ring(i, n, f.angle), 12.0f, 2.0f);  // the facings rotate with the block's angle
      }
      break;
    case OptionWiper:
    case OptionCaladborg:
      SetPolarPoint(o, p.x, p.y, f.angle, F(20 + 16 * i));
      o->MoveToward(p.optionType == OptionWiper ? 4.0f : 3.5f);
      o->facing = f.aim;
      break;
    case OptionAllrange: {
      const float ring = Ring(i, n, f.angle);
      SetPolarPoint(o, p.x, p.y, ring, f.radius);
      o->MoveToward(1.5f);
      o->facing = ring;
      break;
    }
    case OptionReverse:
      SetPolarPoint(o, p.x, p.y, f.angle + F(8 * Sym(i, n)), f.radius);
      o->MoveToward(2.0f);
      o->facing = f.angle;
      break;
    case OptionFloat:
      Drift(o, p, i);
      o->facing = 90.0f;
      break;
    case OptionSupport:
      Walk(o, 1.0f);
      SetPoint(o, f.centerX + o->work[0], f.centerY + o->work[1]);
      o->MoveToward(0.95f);
      if (!slow) o->facing = AngleTo(o, p.x, p.y);
      break;
    case OptionEnclose:
    case OptionAegis: {
      const float ring = Ring(i, n, f.angle);
      SetPolarPoint(o, f.centerX, f.centerY, ring, f.radius);
      o->MoveToward(p.optionType == OptionEnclose ? 1.5f : 1.8f);
      ChooseEnclosedTarget(world, o);
      // Enclose faces the centre without a target, Aegis up.
      FaceTargetOr(o, p.optionType == OptionEnclose ? ring + 180.0f : 90.0f, 6.0f, 8.0f);
      break;
    }
    case OptionStream:
    case OptionLvatein: {
      float qx, qy;
      PolarToXY(&qx, &qy, F(i * 30) + f.angle, 32.0f);
      // The slot's x is an integer quotient: with 6 options 154, 205, 102, ... not 154.29.
      SetPoint(o, F((Sym(i, n) + 1 + n) * 360 / (2 * n + 2)) + qx, p.y + 64.0f + qy / 2.0f);
      o->MoveToward(1.0f);
      FaceUpOrAbovePlayer(o, p);
      break;
    }
    case OptionHunter: {
      // Like every target rule beside the facing, the choice follows the move: the point is
      // taken from the target as it stands.
      p.formation.angle = NormalizeAngle(p.formation.angle);
      float qx, qy;
      PolarToXY(&qx, &qy, Ring(i, n, p.formation.angle), 6.0f);
      if (Enemy* e = o->target) SetPoint(o, e->x + qx, e->y + SizeOf(e) + F(8 * i));
      else SetPoint(o, p.x + qx, p.y + 24.0f + F(8 * i));
      o->MoveToward(1.0f);
      if (!shot) o->target = nullptr;
      else AcquireOptionTarget(world, o);
      FaceTargetOr(o, 90.0f, 12.0f, 2.0f);
      break;
    }
    case OptionAnchor:
    case OptionFragarach:
      // The target comes from the hook (steering) and goes when the shot is released.
      Walk(o, p.optionType == OptionAnchor ? 1.0f : 0.6f);
      if (Enemy* e = o->target) SetPoint(o, e->x + o->work[0], e->y + SizeOf(e) + o->work[1]);
      else SetPoint(o, f.centerX + o->work[0], f.centerY + o->work[1]);
      o->MoveToward(2.0f);
      if (!shot) o->target = nullptr;
      FaceTargetOr(o, F(90 + 6 * (2 * i - (n - 1)) / 2), 12.0f, 2.0f);
      break;
    case OptionHoming:
      SetPoint(o, p.x + F(Side(i) * (2 * n + n * gx + 24)), p.y + F(4 * (i / 2) + 3 * gy));
      o->MoveToward(1.0f);
      ChooseSearchTarget(world, o);
      FaceTargetOr(o, 90.0f, 36.0f, 0.4f);
      break;
    case OptionGespenst:
      o->target = nullptr;
      if (shot) AcquireOptionTarget(world, o);
      if (Enemy* e = o->target) {
        if (GespenstTeleportFrame(p, o)) {
          const float a = RandomFloat(360.0f);
          SetPolarPoint(o, e->x, e->y, a, SizeOf(e) + F(4 * i));
        }
        o->MoveToward(100.0f);
        o->facing = AngleTo(o, e->x, e->y);
      } else {
        SetPoint(o, p.x + F(3 * Sym(i, n)), p.y + 24.0f);
        o->MoveToward(100.0f);
        o->facing = 90.0f;
      }
      break;
    case OptionBrionac: {
      int bx = 0, by = 0;
      if (i >= 6) {
        bx = 2;
        by = ((i / 2) % 3) * 2 - 2;
      } else if (i >= 2) {
        bx = 1;
        by = 1 - 2 * ((i / 2) % 2);
      }
      SetPoint(o, p.x + F(Side(i) * (24 + 12 * bx)), p.y + F(12 * by));
      o->MoveToward(1.0f);
      if (!slow) o->target = nullptr;
      if (shot) AcquireOptionTarget(world, o);
      Turn(o, Atan2Deg(p.y - o->y, o->x - p.x), 12.0f, 2.0f);  // pointing outward
      if (p.bombKind != 0 && o->target) o->facing = AngleTo(o, o->target->x, o->target->y);
      break;
    }
    default: break;  // a type outside the table holds still
  }
}
