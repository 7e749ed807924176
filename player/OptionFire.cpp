// The options' shots: by the rhythm and shot of their type in normal fire, and the bomb shots of
// the spread and beam bombs while those drive the options.

#include <climits>
#include <cstdint>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Bomb.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

int Held(int index) { return g_gameInput[index] != 0 ? 1 : 0; }

int AbsInt(int v) { return v < 0 ? -v : v; }

PlayerShot* MakeShot(GameWorld* world, int kind, int hitBit, int mul, int div, const Option* o, float angle,
                     float speed) {
  return ConstructPlayerShot(world, kind, hitBit, mul, div, o->x, o->y, angle, speed);
}

PlayerShot* MakeOptionShot(GameWorld* world, int kind, const Option* o, float angle, float speed) {
  return MakeShot(world, kind, HitSourceOptionShot, 11, world->player.optionCount + 10, o, angle, speed);
}

// damage * 2 * factor / divisor without overflow for any class level.
int32_t ScaledDamage(int32_t damage, int64_t factor, int64_t divisor) {
  const int64_t v = static_cast<int64_t>(damage) * 2 * factor / divisor;
  return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : v));
}

// The bomb shots take their own row, start on the bomb's animation frame and alternate frames.
void SetBombShotLook(PlayerShot* s, int row, int bombFrames) {
  s->SetShotRow(row);
  s->age = bombFrames % 4;
  if (s->age == 2 || s->age == 3) s->sprite.srcU += 40.0f;
}

// The shot of the option's type in normal fire; fireTimer already holds the new period.
void FireTypeShot(GameWorld* world, Option* o, int i) {
  const Player& p = world->player;
  switch (p.optionType) {
    case OptionAllrange:
      MakeOptionShot(world, ShotMain1, o, o->facing, 16.0f);
      // While turning the options fire every 3 frames instead of 4.
      if (AbsInt(g_gameInputFrames[InputLeft] - g_gameInputFrames[InputRight]) > 15) o->fireTimer -= 1;
      break;
    case OptionAutohoming: MakeOptionShot(world, ShotReturn, o, o->facing, 8.0f); break;
    case OptionFeather: {
      const int q = g_sceneFrame / MaxInt(o->fireTimer, 1) + i / 2;
      if (q % 2 != 0) {
        PlayerShot* s = MakeOptionShot(world, ShotMissile, o, o->facing + 180.0f, 8.0f);
        s->facing = RandomFloat(360.0f);
      } else {
        // Even indices fire the left one first, odd ones the right one.
        const float first = i % 2 == 0 ? -4.0f : 4.0f;
        MakeOptionShot(world, ShotMain1, o, o->facing + first, 16.0f);
        MakeOptionShot(world, ShotMain1, o, o->facing - first, 16.0f);
      }
      break;
    }
    case OptionHoming: MakeOptionShot(world, ShotHoming, o, o->facing, 8.0f)->target = o->target; break;
    case OptionCaladborg:
      MakeOptionShot(world, ShotMain1, o, o->facing, 16.0f);
      if (Held(InputLeft) != Held(InputRight)) o->fireTimer = 2;
      break;
    case OptionLvatein: MakeOptionShot(world, ShotMain5, o, o->facing, 16.0f); break;
    case OptionFragarach:
      MakeOptionShot(world, ShotMain1, o, o->facing, 16.0f);
      if (Held(InputUp)) o->fireTimer = o->target ? 4 : 2;
      break;
    case OptionBrionac: MakeOptionShot(world, ShotSeeker, o, o->facing, 8.0f)->target = o->target; break;
    default: MakeOptionShot(world, ShotMain1, o, o->facing, 16.0f); break;
  }
}

}  // namespace

void FireOptionShots(GameWorld* world) {
  Player& p = world->player;
  if (p.state != PlayerNormal && p.state != PlayerShieldHit) return;
  const int level = p.optionClassLevel[OptionColorOf(p.optionType)];
  int i = 0;
  for (Option* o = p.optionHead; o; o = o->next, ++i) {
    switch (p.optionFireMode) {
      case OptionFireNormal:
        if (o->fireTimer > 0) o->fireTimer -= 1;
        if (Held(InputShot) && o->fireTimer == 0) {
          o->fireTimer = OptionFirePeriodOf(p.optionType);
          FireTypeShot(world, o, i);
          RequestSoundEffect(SeShot);
        }
        break;
      case OptionFireSpread:
        if (o->fireTimer == 0) {
          const float angle = o->facing - 40.0f + RandomFloat(80.0f);
          PlayerShot* s = MakeShot(world, ShotBombSpread, HitSourceBomb, 4, p.optionCount + 4, o, angle, 16.0f);
          s->damage = ScaledDamage(s->damage, static_cast<int64_t>(level) + 10, 85);
          SetBombShotLook(s, ShotRowBombSpread, p.bombFrames);
          s->facing = RandomFloat(360.0f);
          s->SetScaleUniform(0.7f);
        }
        o->fireTimer = o->fireTimer == 0 ? 1 : 0;
        break;
      case OptionFireBeam:
        if (o->fireTimer == 0) {
          PlayerShot* s = MakeShot(world, ShotBombBeam, HitSourceBomb, 6, p.optionCount + 6, o, o->facing, 20.0f);
          s->damage = ScaledDamage(s->damage, 3 * static_cast<int64_t>(level) + 10, 18);
          SetBombShotLook(s, ShotRowBombBeam, p.bombFrames);
          s->SetScale(2.0f, 1.2f);
        }
        o->fireTimer = o->fireTimer == 0 ? 1 : 0;
        break;
      case OptionFireSilent:
      default: break;  // the timers stand still
    }
  }
}
