#include "enemy/EnemyDispatch.h"

#include "enemy/Enemies00To01.h"
#include "enemy/Enemies02To07.h"
#include "enemy/Enemies08To11.h"

// Each enemy family file registers the bodies of the types it owns with RegisterEnemyTypeCode
// and adds its call below. Types without a call keep empty bodies: they move on their velocity
// and never fire. Runs once, on the first use of the dispatch table.
void RegisterDroneEnemies();         // types 12 to 15 (Enemies12To15.cpp)
void RegisterMixedEnemies();         // types 16 to 19 (Enemies16To19.cpp)
void RegisterCarrierEnemies();       // types 20 to 24 (Enemies20To24.cpp)
void RegisterMineLayerEnemies();     // types 25 to 27 (Enemies25To27.cpp)
void RegisterPodCarrierEnemies();    // types 28 to 30 (Enemies28To30.cpp)
void RegisterHeavyCarrierEnemies();  // types 31 to 33 (Enemies31To33.cpp)
void RegisterLargeShipEnemies();     // types 64 to 66 (Enemies64To66.cpp)
void RegisterPodShipEnemies();       // types 67 to 69 (Enemies67To69.cpp)
void RegisterSpinningMidBosses();    // types 70 to 81 (Enemies70To81.cpp)
void RegisterArticulatedShip();      // types 82 to 91 (Enemies82To91.cpp)
void RegisterTimelineBoss();         // type 92 (Enemy92.cpp)
void RegisterTimelineBossParts();    // types 93 to 98 (Enemies93To98.cpp)
void RegisterPodBossFamily();        // types 99 to 102 (Enemy99.cpp, Enemies100To102.cpp)

void RegisterEnemyFamilies() {
  RegisterPhasedEnemies();
  RegisterEnemyFamilySmallA();
  RegisterEnemyFamilySmallB();
  RegisterDroneEnemies();
  RegisterMixedEnemies();
  RegisterCarrierEnemies();
  RegisterMineLayerEnemies();
  RegisterPodCarrierEnemies();
  RegisterHeavyCarrierEnemies();
  RegisterSpinningMidBosses();
  RegisterLargeShipEnemies();
  RegisterPodShipEnemies();
  RegisterArticulatedShip();
  RegisterTimelineBoss();
  RegisterTimelineBossParts();
  RegisterPodBossFamily();
}
