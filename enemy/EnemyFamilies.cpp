#include "enemy/EnemyDispatch.h"

#include "enemy/Enemies00To01.h"

// Each enemy family file registers the bodies of the types it owns with RegisterEnemyTypeCode
// and adds its call below. Types without a call keep empty bodies: they move on their velocity
// and never fire. Runs once, on the first use of the dispatch table.
void RegisterDroneEnemies();  // types 12 to 15 (Enemies12To15.cpp)
void RegisterMixedEnemies();  // types 16 to 19 (Enemies16To19.cpp)
void RegisterPodBossFamily();  // types 99 to 102 (Enemy99.cpp, Enemies100To102.cpp)

void RegisterEnemyFamilies() {
  RegisterPhasedEnemies();
  RegisterDroneEnemies();
  RegisterMixedEnemies();
  RegisterPodBossFamily();
}
