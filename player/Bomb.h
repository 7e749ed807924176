#pragma once
// Bombs: a first-level bomb (guard or ring), chained by a fresh press within its first 20 frames
// into a second-level bomb (burst, spread or beam). A bomb makes the ship invincible and switches
// the main shot, and for the two strongest kinds the options' fire, into its attack.

class GameWorld;

enum BombKind {
  BombNone = 0,
  BombGuard = 1,   // bomb alone: invincibility, no main shot
  BombRing = 2,    // bomb + shot: expanding rings of ring shots
  BombBurst = 3,   // chain: a burst on the ship that slow narrows and strengthens
  BombSpread = 4,  // chain + shot: a fan of shots that burst into blasts on their first hit
  BombBeam = 5,    // chain + shot + slow: a straight beam
};

// What the main shot fires (Player::shotMode).
enum ShotMode {
  ShotModeWindup = -1,  // the first 20 frames of every bomb: nothing fires
  ShotModeNormal = 0,
  ShotModeOff = 1,
  ShotModeRing = 2,
  ShotModeBurst = 3,
  ShotModeSpread = 4,
  ShotModeBeam = 5,
};

// What the options fire (Player::optionFireMode).
enum OptionFireMode {
  OptionFireSilent = -1,  // the first 20 frames of a second-level bomb
  OptionFireNormal = 0,
  OptionFireSpread = 4,
  OptionFireBeam = 5,
};

// The bomb step of UpdatePlayer: start, chain, switch to the attack on frame 21, end.
void UpdateBomb(GameWorld* world);

// The attack of the bomb shot modes 2..5 (ring, burst, spread, beam); UpdatePlayerShots calls it
// in PlayerNormal and PlayerShieldHit when shotMode is one of them. Other modes fire nothing.
void FireBombAttack(GameWorld* world);

// One ring of twelve ring shots around (cx, cy) at the given radius: base angle drawn first, then
// each shot's facing. The ring bomb and the counter bomb's emitter share it; each computes its
// own radius.
void FireBombRing(GameWorld* world, float cx, float cy, float radius, int power, int damageMul, int damageDiv);
