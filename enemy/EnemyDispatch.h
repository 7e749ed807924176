#pragma once
// Behaviour and attack dispatch: one table row per type number with the two bodies of its
// family code. A missing body does nothing (the enemy only runs the motion tail, or never
// fires). Family files register their bodies in RegisterEnemyFamilies (EnemyFamilies.cpp).

class Enemy;
class GameWorld;

using EnemyBodyFn = void (*)(GameWorld* world, Enemy* e);

struct EnemyTypeCode {
  EnemyBodyFn behaviour = nullptr;
  EnemyBodyFn attack = nullptr;
};

// Sets the bodies of one type (either may be null); numbers outside 0..102 are ignored.
void RegisterEnemyTypeCode(int type, EnemyBodyFn behaviour, EnemyBodyFn attack);
// The bodies of a type; both null for numbers without code or outside 0..102.
EnemyTypeCode GetEnemyTypeCode(int type);

// Called once, before the first dispatch: every family's registration.
void RegisterEnemyFamilies();

// age and phaseFrames += 1, the type's behaviour, the motion tail.
void UpdateEnemyBehaviour(GameWorld* world, Enemy* e);
// Nothing while phaseFrames <= 0 (the frame of a phase change); otherwise the type's attack.
void UpdateEnemyAttack(GameWorld* world, Enemy* e);
