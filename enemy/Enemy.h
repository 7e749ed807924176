#pragma once
// Enemies: the record with its launch points and part links, the list, construction from the
// type catalogue, and the per-frame walk that runs behaviour, off-field removal, contact push
// and attack.

#include <cstdint>

#include "world/GameObject.h"

class GameWorld;

constexpr int kEnemyLauncherMax = 32;
constexpr int kEnemyChildMax = 32;
constexpr int kEnemyRegisterCount = 256;

enum LauncherMode { LauncherPoint = 0, LauncherBarrel = 1 };

// Sprite rows a launch point is drawn with; AddEnemyLauncher takes the row, mode = row - 158.
constexpr int kLauncherPointRow = 158;
constexpr int kLauncherBarrelRow = 159;

struct EnemyLauncher {
  int32_t index = 0;
  int32_t mode = LauncherPoint;
  uint32_t tint = 0;
  float x = 0, y = 0;
  float placementAngle = 0;
  float distance = 0;
  float scale = 0;
  float aimAngle = 0;
};

class Enemy : public GameObject {
 public:
  int32_t bodySprite = 0;
  float baseX = 0, baseY = 0;
  float orbitAngle = 0;
  float orbitRadius = 0;
  int32_t type = 0;
  int32_t age = 0;
  int32_t phaseFrames = 0;
  int32_t phase = 0;
  int32_t hp = 0;
  int32_t maxHp = 0;
  int32_t score = 0;
  int32_t dropItemKind = 0;
  int32_t dropItemCount = -1;
  uint32_t hitByMask = 0;
  uint8_t removeOffField = 1;
  uint8_t targetable = 1;
  int32_t dyingCounter = 0;
  int32_t launcherCount = 0;
  EnemyLauncher launchers[kEnemyLauncherMax];
  Enemy* parent = nullptr;
  int32_t indexInParent = 0;
  Enemy* children[kEnemyChildMax] = {};
  int32_t childCount = 0;
  int32_t intParams[kEnemyRegisterCount] = {};
  int32_t intRegs[kEnemyRegisterCount] = {};
  float floatRegs[kEnemyRegisterCount] = {};
  Enemy* prev = nullptr;
  Enemy* next = nullptr;

  // Creates one part per valid digit ('0'..'9', 'A'..'Z' add 0..35 to this type), in the same
  // list. A part whose type has no catalogue row, or whose allocation fails, leaves its slot
  // null; the slot count still advances, so indexInParent is the position among valid digits.
  void SpawnChildEnemies(const char* digits, Enemy** head, Enemy** tail, int32_t* count);
  void SnapEnemyBaseToParent();
  void SetEnemyPhase(int newPhase);

  // Catalogue (EnemyCatalogue.cpp).
  void InitEnemyType();
  void SetEnemyAppearance(int row, uint32_t tint, float scaleX, float scaleY);
  void AddEnemyLauncher(int row, uint32_t tint, float angle, float distance, float scale);
  void AddEnemyLauncherXY(int row, uint32_t tint, float dx, float dy, float scale);

  // Removes the enemy from the world's enemy list and deletes it. Before that: every enemy
  // whose parent is this one loses the link, its live parts are set dying (removed two frames
  // later without reward), the parent's slot is cleared only when it really holds this enemy,
  // and no option or player shot keeps it as its target. Do not use the enemy afterwards.
  void DestroyEnemy(GameWorld* world);
};

struct EnemyList {
  Enemy* head = nullptr;
  Enemy* tail = nullptr;
  int32_t count = 0;
};

// The constructor: null, and nothing created, for a type without a catalogue row (outside
// 0..33 and 64..102) or when the allocation fails. Callers test the result.
Enemy* ConstructEnemy(int type, Enemy** head, Enemy** tail, int32_t* count, float x, float y, float direction,
                      float speed);

// A barrel fires from its muzzle 30 x scale out along aimAngle; a point from itself along its
// placementAngle.
void ComputeShotOrigin(float* outX, float* outY, float* outAngle, EnemyLauncher launcher);

void UntargetEnemy(GameWorld* world, Enemy* e);

// Unhooks a dying enemy from its family: the parent's slots that hold it are cleared, its own
// parent link is nulled (so its later destruction touches no parent), and its parts that point
// back at it lose their parent (they die by the orphan rule). Part of KillEnemy.
void UnhookEnemyFromFamily(Enemy* e);

// Every option and player shot whose target is the enemy loses it.
void ClearEnemyTargetsOf(GameWorld* world, Enemy* e);

void InitEnemyListHeader(EnemyList* list);
// Deletes every enemy; options and player shots lose every target first.
void ClearEnemyList(GameWorld* world);
void DestroyEnemyList(GameWorld* world);

// m = max(scaleX, scaleY) x sprite radius; off when beyond the field by more than m (strict),
// or when the position is not finite.
bool IsEnemyOffField(const Enemy* e);

// The per-frame walk (generic list walk: next is read before an enemy is processed).
void UpdateEnemies(GameWorld* world);

// Ends an enemy's life (explosion, drops, score; a boss's first kill starts its death
// sequence). rewarded false pays nothing; cause is the HitSource, 0 from a death sequence, -1 for
// an orphaned part. Does nothing when dyingCounter is not 0 (enemy/EnemyDeath.cpp).
void KillEnemy(bool rewarded, GameWorld* world, int cause, Enemy* e);
