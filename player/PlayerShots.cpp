// The per-frame update of the player-side shots: main-shot firing, motion by kind, hits.

#include <cmath>

#include "enemy/Enemy.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Bomb.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

constexpr float MainShotSpeed = 16.0f;

uint32_t Grey(int k) {
  const uint32_t c = static_cast<uint32_t>(ClampInt(k, 0, 255));
  return c << 24 | c << 16 | c << 8 | c;
}

float AngleTo(const GameObject* from, float px, float py) { return Atan2Deg(from->y - py, px - from->x); }

// The return, homing and seeker strip: four frames 24 texture pixels apart.
void StepStrip24(PlayerShot* s) {
  if (s->age % 2 != 0) return;
  if ((s->age / 2) % 4 == 0) s->sprite.srcU -= 72.0f;
  else s->sprite.srcU += 24.0f;
}

// Two frames 40 texture pixels apart.
float Toggle40(int age) { return (age / 2) % 2 == 0 ? -40.0f : 40.0f; }

void DropDyingTarget(PlayerShot* s) {
  if (s->target && s->target->dyingCounter > 0) s->target = nullptr;
}

// The normal shot: one volley of 5, 6 or 7 frames by the power's column pattern.
void FireMainShot(GameWorld* world) {
  Player* p = &world->player;
  if (g_gameInput[InputShot] == 0 && p->shotPhase <= 0) return;
  // Out-of-range power (start switch, replay) never reads outside the table.
  const int pattern = g_shotPatternByPower[ClampInt(p->power, 0, PlayerPowerMax)];
  int digits[5];
  int n = 0;
  for (int i = 0, v = pattern; i < 5; ++i, v /= 10) {
    digits[i] = v % 10;
    if (digits[i] != 0) n += 1;
  }
  static const int kColumnPhase[5] = {2, 1, 0, 1, 2};
  for (int i = 0; i < 5; ++i) {
    if (digits[i] == 0 || p->shotPhase != kColumnPhase[i] * (n == 5 ? 2 : 3)) continue;
    RequestSoundEffect(SeShot);
    ConstructPlayerShot(world, digits[i] - 1, HitSourceMainShot, 20, p->power + 20, p->x, p->y,
                        p->facing + static_cast<float>((i - 2) * 6), MainShotSpeed);
  }
  p->shotPhase += 1;
  if (p->shotPhase >= 5 + (n > 2) + (n > 4)) p->shotPhase = 0;
}

// The kind's motion. Returns false when the shot ends here (removed without a hit test).
bool MoveShotByKind(GameWorld* world, PlayerShot* s) {
  const float age = static_cast<float>(s->age);
  switch (s->kind) {
    case ShotReturn: {
      const Player& p = world->player;
      float ax, ay;
      PolarToXY(&ax, &ay, AngleTo(s, p.x, p.y), MaxFloat(0.64f - 0.012f * age, 0.0f));
      const float f = MinFloat(0.94f + 0.0016f * age, 1.03f);
      s->SetVelocityXY(f * s->vx + ax, f * s->vy + ay);
      StepStrip24(s);
      break;
    }
    case ShotHoming: {
      DropDyingTarget(s);
      AcquireShotTarget(world, s);
      const float a = s->target ? AngleTo(s, s->target->x, s->target->y) : s->direction;
      float ax, ay;
      PolarToXY(&ax, &ay, a, MaxFloat(0.56f - 0.01f * age, 0.16f));
      const float f = MinFloat(0.84f + 0.0024f * age, 1.002f);
      s->SetVelocityXY(f * s->vx + ax, f * s->vy + ay);
      StepStrip24(s);
      break;
    }
    case ShotSeeker: {
      DropDyingTarget(s);
      AcquireShotTarget(world, s);
      const float a = s->target ? AngleTo(s, s->target->x, s->target->y) : 90.0f;
      const float speed = MinFloat(s->speed + 0.4f, 24.0f);
      const float step =
          MaxFloat(MinFloat(AngleDistance(s->direction, a) / 3.0f, 40.0f), static_cast<float>(MinInt(s->age, 12)));
      const float direction = TurnAngleToward(s->direction, a, step);
      s->SetVelocityPolar(direction, speed);
      StepStrip24(s);
      break;
    }
    case ShotMissile:
      if (s->age < 40) s->SetVelocityPolar(s->direction, s->speed * 0.9f);
      if (s->age >= 1 && s->age <= 19) {
        s->facing = NormalizeAngle(s->facing + 16.0f);
      } else if (s->age == 20) {
        if (Enemy* t = NearestShotTarget(world, s)) s->target = t;
      } else if (s->age >= 21 && s->age <= 40) {
        DropDyingTarget(s);
        const float a = s->target ? AngleTo(s, s->target->x, s->target->y) : s->facing;
        s->facing = TurnAngleToward(s->facing, a, 16.0f);
      }
      if (s->age >= 41) s->SetVelocityPolar(s->facing, s->speed * 0.8f + 3.2f);  // tends to 16
      break;
    case ShotBombSpread:
      if (s->age % 2 == 0) s->sprite.srcU += Toggle40(s->age);
      s->facing = NormalizeAngle(s->facing + 37.7f);
      break;
    case ShotBombBlast: {
      if (s->age % 2 == 0) s->sprite.srcV += Toggle40(s->age);
      s->facing = NormalizeAngle(s->facing + 37.7f);
      s->damage = MaxInt(s->damage * 8 / 10, 1);
      s->SetScale(s->sprite.scaleX + 0.05f, s->sprite.scaleY + 0.05f);
      s->SetVelocityPolar(s->direction, s->speed * 0.97f);
      const int r = 36 - s->age;
      s->sprite.colors[0] = Grey(r * 255 / 36);
      if (r < 1) return false;
      break;
    }
    case ShotBombBeam:
      if (s->age % 2 == 0) s->sprite.srcU += Toggle40(s->age);
      break;
    case ShotBombBurst:
      s->facing = RandomFloat(360.0f);
      if (s->age == 2) s->sprite.srcU += 80.0f;
      if (s->age > 3) return false;
      break;
    case ShotBombRing:
      s->facing = NormalizeAngle(s->facing + 9.0f);
      s->sprite.colors[0] = Grey((60 - s->age) * 255 / 59);
      if (s->age % 4 == 0) {
        if (s->age == 32) {  // second row of the strip
          s->sprite.srcU -= 336.0f;
          s->sprite.srcV += 48.0f;
        } else {
          s->sprite.srcU += 48.0f;
        }
      }
      if (s->age > 59) return false;
      s->damage = MaxInt(s->damage * 8 / 10, 3);
      break;
    default:  // the main shots fly straight
      break;
  }
  return true;
}

bool OffField(const PlayerShot* s) {
  // A shot with a broken position leaves too: the game over waits for this list to empty.
  if (!std::isfinite(s->x) || !std::isfinite(s->y)) return true;
  return s->x < -64.0f || s->x > 424.0f || s->y < -64.0f || s->y > 544.0f;
}

// The piercing kinds go on to the next enemy; the others end on their first hit.
bool Pierces(int kind) { return kind == ShotBombBurst || kind == ShotBombBlast || kind == ShotBombRing; }

// Tests the shot against every live enemy in list order. Returns false when a hit removed it.
bool HitEnemies(GameWorld* world, PlayerShot* s) {
  Player* p = &world->player;
  for (Enemy* e = world->enemies.head; e;) {
    Enemy* next = e->next;
    if (e->dyingCounter != 0 ||
        !TestHit(s->x, s->y, s->facing, s->hitShape, e->x, e->y, e->facing, e->hitShape)) {
      e = next;
      continue;
    }
    e->hitByMask |= 1u << (static_cast<uint32_t>(s->hitBit) & 31u);
    e->hp -= s->damage;
    if (e->hp < 1) KillEnemy(true, world, s->hitBit, e);
    else RequestSoundEffect(SeShotHit);
    // Blasts and rings hit every frame but score only in their first frame of motion.
    if ((s->kind != ShotBombBlast && s->kind != ShotBombRing) || s->age == 1) p->AddScore(10);
    if (s->kind == ShotBombSpread) {
      s->SetVelocityPolar(s->direction, s->speed * 0.2f);
      s->damage /= 3;
      s->age = 0;
      s->kind = ShotBombBlast;
      s->SetShotRow(ShotRowBombBlast);
      s->SetScaleUniform(s->sprite.scaleX * 0.9f);  // the row copy reset the scale to 1
    } else if (s->kind == ShotBombBeam) {
      Effect* fx = ConstructEffect(world, EffectBlastFrames, s->x, s->y, s->direction, s->speed * 0.4f, 16);
      fx->endColor = 0;
      fx->endScaleX = s->sprite.scaleY + 1.5f;
      fx->endScaleY = s->sprite.scaleX + 3.0f;
      return false;
    } else if (!Pierces(s->kind)) {
      Effect* fx = ConstructEffect(world, EffectHitSpark, s->x, s->y, s->direction, s->speed * 0.4f, 16);
      fx->endColor = 0;
      fx->endScaleY = 2.0f;
      fx->params[0] = (s->kind - (s->kind > 5 ? 1 : 0)) % 7;
      return false;
    }
    e = next;
  }
  return true;
}

}  // namespace

void UpdatePlayerShots(GameWorld* world) {
  Player* p = &world->player;
  const bool flying = p->state == PlayerNormal || p->state == PlayerShieldHit;
  if (flying) {
    if (p->shotMode == ShotModeNormal) FireMainShot(world);
    FireBombAttack(world);  // shot modes 2..5; -1 and 1 fire nothing
    FireOptionShots(world);
  }

  ShotList& list = world->shots;
  for (PlayerShot* s = list.head; s;) {
    PlayerShot* next = s->next;
    s->age += 1;
    s->prevX = s->x;
    s->prevY = s->y;
    bool alive = MoveShotByKind(world, s);
    if (alive) {
      s->x += s->vx;
      s->y += s->vy;
      alive = !OffField(s) && HitEnemies(world, s);
    }
    if (!alive) s->UnlinkAndDelete(&list.head, &list.tail, &list.count);
    s = next;
  }
}
