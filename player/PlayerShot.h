#pragma once
// Every shot on the player's side (main shot, option shots, bomb attacks, counter-bomb rings) in
// one list: firing of the main shot, the motion of each kind and the hits on enemies.

#include <cstdint>

#include "world/GameObject.h"

class Enemy;
class GameWorld;

enum ShotKind {
  ShotMain1 = 0,  // ShotMain1..ShotMain5: main shot of column digit 1..5
  ShotMain2 = 1,
  ShotMain3 = 2,
  ShotMain4 = 3,
  ShotMain5 = 4,
  ShotReturn = 5,
  ShotHoming = 6,
  ShotSeeker = 7,
  ShotMissile = 8,
  ShotBombSpread = 9,  // turns into ShotBombBlast on its first hit
  ShotBombBlast = 10,
  ShotBombBeam = 11,
  ShotBombBurst = 12,
  ShotBombRing = 13,
};

constexpr int ShotKindCount = 14;

// The bit a player-side hit or-s into an enemy's hitByMask, and the cause given to KillEnemy.
enum HitSource {
  HitSourceMainShot = 0,
  HitSourceOptionShot = 1,
  HitSourceLaunchedOption = 2,  // only a kill cause, from launched options
  HitSourceRing = 3,
  HitSourceBomb = 4,
};

// The bomb kinds' own sprite and hit-shape rows, taken by their creators after construction.
constexpr int ShotRowBombSpread = 363;
constexpr int ShotRowBombBeam = 365;
constexpr int ShotRowBombBurst = 367;
constexpr int ShotRowBombBlast = 369;
constexpr int ShotRowBombRing = 371;

class PlayerShot : public GameObject {
 public:
  int32_t kind = 0;
  int32_t age = 0;     // incremented first in every update
  int32_t damage = 0;  // hit points taken per hit
  int32_t hitBit = 0;  // HitSource
  Enemy* target = nullptr;  // locked enemy of the homing kinds, not owned
  PlayerShot* prev = nullptr;
  PlayerShot* next = nullptr;

  PlayerShot() = default;
  // Appends at the tail. Sprite and hit shape from row 138 + kind (kinds 0..5) or 137 + kind
  // (6..13), scale 1; damage = (80 + (kind < 5 ? 20 * kind : 0)) * damageMul / damageDiv,
  // in integers (a divisor of 0 counts as 1).
  PlayerShot(int kind, int hitBit, int damageMul, int damageDiv, PlayerShot** head, PlayerShot** tail,
             int32_t* count, float x, float y, float angle, float speed);

  void UnlinkAndDelete(PlayerShot** head, PlayerShot** tail, int32_t* count);
  // Sprite record (colour mode 1) and hit shape from the row; what bomb shots do after
  // construction.
  void SetShotRow(int row);
};

class ShotList {
 public:
  PlayerShot* head = nullptr;
  PlayerShot* tail = nullptr;
  int32_t count = 0;

  ShotList() = default;
  ~ShotList() { Clear(); }
  ShotList(const ShotList&) = delete;
  ShotList& operator=(const ShotList&) = delete;
  void Clear();
};

// The constructor on the world's shot list.
PlayerShot* ConstructPlayerShot(GameWorld* world, int kind, int hitBit, int damageMul, int damageDiv, float x,
                                float y, float angle, float speed);

// The nearest enemy with dyingCounter 0 strictly closer than 1280 (first of equals in list
// order), or null; the missile's lock and AcquireShotTarget use it.
Enemy* NearestShotTarget(GameWorld* world, const PlayerShot* shot);

// Only when the shot has no target: the nearest enemy with dyingCounter 0 strictly closer than
// 1280 (first of equals in list order); targetable is not looked at. May leave it null.
void AcquireShotTarget(GameWorld* world, PlayerShot* shot);

// Once per frame after UpdatePlayer: fire the main shot by shotMode, let the options fire, then
// move every shot, cull it and test it against every live enemy.
void UpdatePlayerShots(GameWorld* world);
