#include "enemy/EnemyDispatch.h"

#include "enemy/Enemies00To01.h"

// Each enemy family file registers the bodies of the types it owns, for example
//   void RegisterPhasedEnemies() {
//     RegisterEnemyTypeCode(0, UpdateEnemy0Behaviour, UpdateEnemy0Attack);
//     RegisterEnemyTypeCode(1, UpdateEnemy1Behaviour, UpdateEnemy1Attack);
//   }
// and adds its call below. Types without a call keep empty bodies: they move on their velocity
// and never fire. Runs once, on the first use of the dispatch table.
void RegisterEnemyFamilies() {
  RegisterPhasedEnemies();
}
