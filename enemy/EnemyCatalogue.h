#pragma once
// The enemy type catalogue: one fixed row per type (0..33 and 64..102) with the body, the launch
// points, hit points, score, drops, the two behaviour flags and the orbit radius.

#include <cstdint>

constexpr int kEnemyTypeSlots = 103;  // type numbers 0..102; 34..63 have no row

// How a stage line may start a type (what the stage-file checker reports).
enum EnemyStageStart : uint8_t {
  StageStartAny = 0,       // any start phase
  StageStartPhase0 = 1,    // its periods come from the entry of phase 0: another start fires nothing
  StageStartLaunched = 2,  // its periods come from its launcher: placed by a stage it fires nothing
};

// How a launch point's angle and distance are read.
enum LauncherForm : uint8_t {
  LauncherFormPolar = 0,        // placement angle and distance as given
  LauncherFormOnScaledBody = 1, // polar(angle, distance) divided by the body scale per axis, so
                                // that the scaled point lies at that distance on screen
};

struct EnemyLauncherDef {
  int16_t type;
  int16_t row;  // 158 point, 159 barrel
  uint32_t tint;
  float angle;
  float distance;
  float scale;
  uint8_t form;
};

struct EnemyTypeRow {
  int32_t type;
  int32_t bodySprite;
  uint32_t tint;
  float scaleX, scaleY;
  int32_t hp;
  int32_t score;
  int32_t dropItemKind;
  int32_t dropItemCount;
  uint8_t removeOffField;
  uint8_t targetable;
  float orbitRadius;
  int32_t launcherCount;  // launch points the row adds
  const char* children;   // digit string its spawn set-up passes to SpawnChildEnemies ("" none)
  uint8_t stageStart;
};

// Null for a number without a row (negative, 34..63, above 102).
const EnemyTypeRow* FindEnemyTypeRow(int type);
inline bool IsEnemyTypeDefined(int type) { return FindEnemyTypeRow(type) != nullptr; }

// The launch points of a type, in the order they are added; *outCount 0 when none.
const EnemyLauncherDef* FindEnemyLauncherDefs(int type, int* outCount);

// All rows in type order, for tools and tests.
const EnemyTypeRow* EnemyTypeRows(int* outCount);
