#pragma once
// Option units: up to twelve satellites of one type, held in a list inside the Player. They hold
// a formation around the ship, fire with it, and a double tap of the shot button launches one as
// a homing ram. The formation block they share (OptionFormation) lives in the Player as well.

#include <cstdint>

#include "world/GameObject.h"

class Enemy;
class GameWorld;

constexpr int OptionCountMax = 12;
constexpr int OptionTypeCount = 24;
constexpr int OptionColorCount = 6;

// Type t has colour t % 6 and class t / 6.
enum OptionType {
  OptionWing = 0,
  OptionRolling = 1,
  OptionStraight = 2,
  OptionTrace = 3,
  OptionMass = 4,
  OptionSearch = 5,
  OptionWiper = 6,
  OptionAllrange = 7,
  OptionReverse = 8,
  OptionFloat = 9,
  OptionSupport = 10,
  OptionAutohoming = 11,
  OptionFeather = 12,
  OptionEnclose = 13,
  OptionStream = 14,
  OptionHunter = 15,
  OptionAnchor = 16,
  OptionHoming = 17,
  OptionCaladborg = 18,
  OptionAegis = 19,
  OptionLvatein = 20,
  OptionGespenst = 21,
  OptionFragarach = 22,
  OptionBrionac = 23,
};

enum OptionClass {
  OptionClassNormal = 0,
  OptionClassAbnormal = 1,
  OptionClassSpecial = 2,
  OptionClassExtra = 3,
};

// The formation values shared by all options, kept in the Player. What aim and spin mean
// depends on the type: an aim angle, a direction sign, or the state of the hook.
struct OptionFormation {
  float centerX = 0, centerY = 0;
  float angle = 0;
  float radius = 0;
  float aim = 0;
  float spin = 0;
};

class Option : public GameObject {
 public:
  Option* prev = nullptr;
  Option* next = nullptr;
  Enemy* target = nullptr;  // locked enemy, not owned
  float targetX = 0, targetY = 0;  // the point MoveToward heads for
  float work[8] = {};  // per-type state: swarm offset and velocity, drift
  int32_t fireTimer = 0;
  uint8_t launched = 0;  // 0 in formation, 1 launched
  int32_t power = 700;   // ramming power once launched
  int32_t launchAge = 0;

  Option() = default;  // a bare record, not in any list
  // Appended at the tail; takes the head option's fireTimer so that all options fire in step.
  // Callers keep the count at most OptionCountMax.
  Option(Option** head, Option** tail, int32_t* count, float x, float y);
  Option(const Option&) = delete;
  Option& operator=(const Option&) = delete;

  void UnlinkAndDelete(Option** head, Option** tail, int32_t* count);
  // Moves toward (targetX, targetY) by at least 6.75 * k px and a thirtieth of the distance,
  // never past it; then keeps the option inside the field's margin. A k of 100 jumps at once.
  void MoveToward(float k);
};

// The colour (0..5) of a type; 0 for a type outside 0..23, which no table knows.
int OptionColorOf(int type);
// The fire period of a type, from the start-up table; the "nothing" entry for a type outside
// 0..23. Never below 1, so it can divide.
int OptionFirePeriodOf(int type);
// The ramming power of a freshly launched option at the given player power.
int OptionLaunchPower(int playerPower);

// Only when the option has no target: the nearest live, targetable enemy closer than 1280 px.
void AcquireOptionTarget(GameWorld* world, Option* option);
// Every option whose target is the enemy loses it.
void ClearOptionTargets(GameWorld* world, Enemy* e);

// Start values of the formation block for the current option type.
void ResetOptionFormation(GameWorld* world);
// The block's per-frame steering by the buttons; only while the player is in PlayerNormal.
void SteerOptionFormation(GameWorld* world);

// The double tap of the shot button: tracks presses and releases and, after a short press, a
// short release and a new press, launches the tail-most option still in formation.
void UpdateOptionDoubleTap(GameWorld* world);
// Every option in list order: its formation place or, when launched, its flight and ramming;
// then its trail.
void UpdateOptions(GameWorld* world);
// Places one option in formation; i is its position in the list, launched options counted.
void UpdateOptionFormation(GameWorld* world, Option* option, int i);
// The shots of every option, by the fire mode; only in PlayerNormal and PlayerShieldHit.
void FireOptionShots(GameWorld* world);
