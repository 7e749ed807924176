#pragma once
// The phased family: type 0, the huge emitter with five attack set-ups, and type 1, the small
// fighter that hovers or flies through and fires accelerating darts.

class Enemy;
class GameWorld;

void UpdateEnemy0Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy0Attack(GameWorld* world, Enemy* e);
void UpdateEnemy1Behaviour(GameWorld* world, Enemy* e);
void UpdateEnemy1Attack(GameWorld* world, Enemy* e);

// Registers the four bodies with the dispatch table (called from RegisterEnemyFamilies).
void RegisterPhasedEnemies();
