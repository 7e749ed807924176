#include "enemy/EnemyDispatch.h"

#include "enemy/Enemy.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyHelpers.h"

namespace {

EnemyTypeCode s_code[kEnemyTypeSlots];
bool s_familiesRegistered = false;

// The families register on first use of the table, so no start-up call is needed; a test may
// replace a row afterwards.
void EnsureFamiliesRegistered() {
  if (s_familiesRegistered) return;
  s_familiesRegistered = true;
  RegisterEnemyFamilies();
}

bool InTable(int type) { return type >= 0 && type < kEnemyTypeSlots; }

}  // namespace

void RegisterEnemyTypeCode(int type, EnemyBodyFn behaviour, EnemyBodyFn attack) {
  EnsureFamiliesRegistered();
  if (!InTable(type)) return;
  s_code[type] = EnemyTypeCode{behaviour, attack};
}

EnemyTypeCode GetEnemyTypeCode(int type) {
  EnsureFamiliesRegistered();
  if (!InTable(type)) return EnemyTypeCode{};
  return s_code[type];
}

void UpdateEnemyBehaviour(GameWorld* world, Enemy* e) {
  e->age += 1;
  e->phaseFrames += 1;
  const EnemyBodyFn body = GetEnemyTypeCode(e->type).behaviour;
  if (body) body(world, e);
  RunEnemyMotionTail(e);
}

void UpdateEnemyAttack(GameWorld* world, Enemy* e) {
  if (e->phaseFrames <= 0) return;
  const EnemyBodyFn body = GetEnemyTypeCode(e->type).attack;
  if (body) body(world, e);
}
