#include "enemy/EnemyDispatch.h"

// Each enemy family adds its registration call here (RegisterEnemyTypeCode for every type it
// owns). Types without a call keep empty bodies: they move on their velocity and never fire.
void RegisterEnemyFamilies() {}
