#include "player/Bomb.h"

#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"

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

}  // namespace

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
