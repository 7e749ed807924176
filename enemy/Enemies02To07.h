#pragma once
// The first family of small enemies: type 2, the sinking block; 3, the homing fighter; 4, the
// gunship; 5, the mortar; 6, the carrier with its two pods of type 7.

class Enemy;
class GameWorld;

void UpdateEnemy2Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy2Attack(GameWorld* world, Enemy* e);
void UpdateEnemy3Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy3Attack(GameWorld* world, Enemy* e);
void UpdateEnemy4Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy4Attack(GameWorld* world, Enemy* e);
void UpdateEnemy5Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy5Attack(GameWorld* world, Enemy* e);
void UpdateEnemy6Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy6Attack(GameWorld* world, Enemy* e);
void UpdateEnemy7Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy7Attack(GameWorld* world, Enemy* e);

// Registers the bodies of types 2 to 7 with the dispatch table (called from
// RegisterEnemyFamilies).
void RegisterEnemyFamilySmallA();
