#include "player/Bomb.h"

#include <cstdint>

#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// The bomb's attack begins on this frame; before it the main shot (and, for a chained bomb, the
// options) stay silent.
constexpr int BombWindupFrames = 20;
constexpr int BombChainFirstFrame = 2;

int Held(int index) { return g_gameInput[index] != 0 ? 1 : 0; }

bool BombPressedThisFrame() { return g_gameInputFrames[InputBomb] == 1; }

void StartBomb(Player* p) {
  RequestSoundEffect(SeBomb);
  p->bombs -= 1;
  p->bombKind = BombGuard + Held(InputShot);
  p->bombFrames = 0;
  p->shotMode = ShotModeWindup;
  p->invincibleFrames = MaxInt(p->invincibleFrames, 360 - 120 * p->bombKind);
  p->bombDuration = 270 - 90 * p->bombKind;
}

// A chain makes no sound of its own.
void ChainBomb(Player* p) {
  p->bombs -= 1;
  p->bombKind = BombBurst + Held(InputShot) * (1 + Held(InputSlow));
  p->bombFrames = 0;
  p->optionFireMode = OptionFireSilent;
  p->shotMode = ShotModeWindup;
  const int burst = p->bombKind == BombBurst ? 1 : 0;
  const int beam = p->bombKind == BombBeam ? 1 : 0;
  p->invincibleFrames = MaxInt(p->invincibleFrames, 240 + 160 * burst + 40 * beam);
  p->bombDuration = 180 + 140 * burst + 40 * beam;
}

// Shot mode and option fire mode from frame 21, by bomb kind.
struct BombAttackModes {
  int shotMode;
  int optionFireMode;
};
constexpr BombAttackModes kAttackModes[] = {
    {ShotModeNormal, OptionFireNormal},  // BombNone
    {ShotModeOff, OptionFireNormal},     // BombGuard
    {ShotModeRing, OptionFireNormal},    // BombRing
    {ShotModeBurst, OptionFireNormal},   // BombBurst
    {ShotModeSpread, OptionFireSpread},  // BombSpread
    {ShotModeBeam, OptionFireBeam},      // BombBeam
};

constexpr float BombShotSpeed = 20.0f;
constexpr float BombFrameStep = 40.0f;  // texture step between the two frames of a bomb shot

uint32_t GreyArgb(int k) {
  const uint32_t c = static_cast<uint32_t>(k) & 0xFFu;
  return (c << 24) | (c << 16) | (c << 8) | c;
}

// A bomb shot at the player's position, then its own row for sprite and hit shape.
PlayerShot* MakeBombShot(GameWorld* world, int kind, int hitBit, int damageMul, int damageDiv, float x, float y,
                         float angle, float speed, int row) {
  PlayerShot* s = ConstructPlayerShot(world, kind, hitBit, damageMul, damageDiv, x, y, angle, speed);
  s->SetShotRow(row);
  return s;
}

// Spread and beam shots join their two-frame strip at the bomb's own frame count.
void SetStripPhase(PlayerShot* s, int bombFrames) {
  s->age = bombFrames % 4;
  if (s->age == 2 || s->age == 3) s->sprite.srcU += BombFrameStep;
}

void ToggleShotPhase(Player* p) { p->shotPhase = (p->shotPhase == 0) ? 1 : 0; }

void FireBurst(GameWorld* world, Player* p) {
  PlayerShot* s = MakeBombShot(world, ShotBombBurst, HitSourceBomb, p->power + 20, 100, p->x, p->y, p->facing, 0.0f,
                               ShotRowBombBurst);
  s->facing = RandomFloat(360.0f);
  // The focus rises while slow is held and falls otherwise.
  p->shotPhase = ClampInt(p->shotPhase - 1 + 2 * Held(InputSlow), 0, 16);
  // An integer quotient: the burst stays at 2 until the focus is full, then narrows to 1.
  const float narrow = static_cast<float>(2 - p->shotPhase / 16);
  const float scaleY = narrow + RandomFloat(0.2f);
  const float scaleX = narrow + RandomFloat(0.2f);
  s->SetScale(scaleX, scaleY);
  s->sprite.colors[0] = GreyArgb(MinInt(p->shotPhase * 96 / 16 + 96, 255));
  s->damage = s->damage * (p->shotPhase + 16) / 16;
}

void FireSpread(GameWorld* world, Player* p) {
  if (p->shotPhase == 0) {
    const float angle = p->facing - 75.0f + RandomFloat(150.0f);
    PlayerShot* s = MakeBombShot(world, ShotBombSpread, HitSourceBomb, p->power + 30, 20, p->x, p->y, angle,
                                 BombShotSpeed, ShotRowBombSpread);
    s->facing = RandomFloat(360.0f);
    SetStripPhase(s, p->bombFrames);
    s->SetScaleUniform(1.1f + 0.06f * static_cast<float>(p->power));
  }
  ToggleShotPhase(p);
}

void FireBeam(GameWorld* world, Player* p) {
  if (p->shotPhase == 0) {
    PlayerShot* s = MakeBombShot(world, ShotBombBeam, HitSourceBomb, p->power + 20, 5, p->x, p->y, p->facing,
                                 BombShotSpeed, ShotRowBombBeam);
    SetStripPhase(s, p->bombFrames);
    s->SetScale(3.6f, 1.8f + 0.06f * static_cast<float>(p->power));
  }
  ToggleShotPhase(p);
}

}  // namespace

void FireBombRing(GameWorld* world, float cx, float cy, float radius, int power, int damageMul, int damageDiv) {
  const float base = RandomFloat(360.0f);
  // An integer quotient: below power 32 every ring shot has scale 1.
  const float scale = static_cast<float>(1 + power / 32);
  for (int i = 0; i < 12; ++i) {
    float ox, oy;
    PolarToXY(&ox, &oy, static_cast<float>(i * 360 / 12) + base, radius);
    PlayerShot* s = MakeBombShot(world, ShotBombRing, HitSourceRing, damageMul, damageDiv, cx + ox, cy + oy, base,
                                 0.0f, ShotRowBombRing);
    s->SetScaleUniform(scale);
    s->facing = RandomFloat(360.0f);
  }
}

void FireBombAttack(GameWorld* world) {
  Player* p = &world->player;
  switch (p->shotMode) {
    case ShotModeRing:
      // Frames 21, 26, ..., 46: six rings, each wider than the last.
      if (p->bombFrames > 20 && p->bombFrames < 48 && p->bombFrames % 5 == 1) {
        // The bomb's own rings grow by a float step, 5 + power / 20.
        const float radius =
            (static_cast<float>(p->power) / 20.0f + 5.0f) * static_cast<float>(p->bombFrames - 20) + 32.0f;
        FireBombRing(world, p->x, p->y, radius, p->power, p->power + 30, 50);
        p->shotPhase = 0;
      }
      break;
    case ShotModeBurst: FireBurst(world, p); break;
    case ShotModeSpread: FireSpread(world, p); break;
    case ShotModeBeam: FireBeam(world, p); break;
    default: break;
  }
}

void UpdateBomb(GameWorld* world) {
  Player* p = &world->player;
  if (p->bombKind == BombNone && Held(InputBomb) && p->bombs > 0 && p->state == PlayerNormal) StartBomb(p);
  if (p->bombKind == BombNone) return;

  p->bombFrames += 1;
  if ((p->bombKind == BombGuard || p->bombKind == BombRing) && p->bombs > 0 &&
      p->bombFrames >= BombChainFirstFrame && p->bombFrames <= BombWindupFrames && BombPressedThisFrame()) {
    ChainBomb(p);
  }
  if (p->bombFrames == BombWindupFrames + 1 && p->bombKind >= BombGuard && p->bombKind <= BombBeam) {
    p->shotMode = kAttackModes[p->bombKind].shotMode;
    p->optionFireMode = kAttackModes[p->bombKind].optionFireMode;
  }
  if (p->bombFrames >= p->bombDuration) {
    p->bombKind = BombNone;
    p->optionFireMode = OptionFireNormal;
    p->shotMode = ShotModeNormal;
    p->shotPhase = 0;
  }
}
