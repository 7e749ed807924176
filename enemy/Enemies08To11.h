#pragma once
// The second family of small enemies: type 8, the twin-barrelled fighter; 9, the popcorn craft
// in six colours; 10, the spinning station; 11, the station's drone.

class Enemy;
class GameWorld;

void UpdateEnemy8Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy8Attack(GameWorld* world, Enemy* e);
void UpdateEnemy9Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy9Attack(GameWorld* world, Enemy* e);
void UpdateEnemy10Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy10Attack(GameWorld* world, Enemy* e);
// The drone has no behaviour: it flies on its launch velocity.
void UpdateEnemy11Attack(GameWorld* world, Enemy* e);

// Registers the bodies of types 8 to 11 with the dispatch table (called from
// RegisterEnemyFamilies).
void RegisterEnemyFamilySmallB();
