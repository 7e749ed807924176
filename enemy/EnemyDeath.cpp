#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "player/Option.h"
#include "world/GameWorld.h"

// The framework part of enemy death: bosses enter their death sequence, parts are unhooked from
// their family and targets dropped, and the enemy starts dying. Explosions, drops and score
// come with the death effects.
void KillEnemy(bool, GameWorld* world, int, Enemy* e) {
  if (e->dyingCounter != 0) return;
  const int t = e->type;
  if ((t == 70 || t == 74 || t == 78 || t == 92 || t == 99) && e->phase >= 0) {
    e->dyingCounter = -1;
    e->SetEnemyPhase(-1);
    e->removeOffField = 0;
    return;
  }
  UnhookEnemyFromFamily(e);
  ClearOptionTargets(world, e);
  e->dyingCounter = 1;
}
