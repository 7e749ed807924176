#pragma once
// The pod boss (type 99) and what its twelve pods (types 100 to 102, Enemies100To102.cpp) read
// of it and it writes into them.

class Enemy;
class GameWorld;

constexpr int kPodBossType = 99;
constexpr int kPodBossPods = 12;  // children 0..11

// Boss phases.
enum PodBossPhase {
  PodBossDying = -1,   // the death sequence
  PodBossEntry = 0,    // sweep in
  PodBossVolleys = 1,  // fans with the pods in formation
  PodBossCharge = 2,   // the pods burst, the boss pays out its charge
  PodBossRings = 3,    // the pods circle the boss
};

// Pod phases, set by the boss.
enum BossPodPhase {
  BossPodFormation = 0,  // holds its slot, fans with the boss's volleys
  BossPodSpiral = 1,     // spiral bursts
  BossPodTriplets = 2,   // orbiting triplets
  BossPodRing = 10,      // a place on the ring, ring fans; never left
};

// Boss registers the pods read.
constexpr int kPodBossLostReg = 0;         // intRegs: pods lost (null slots of children 0..11)
constexpr int kPodBossShotsReg = 18;       // intRegs: shots per volley
constexpr int kPodBossShotGapReg = 19;     // intRegs: frames between shots
constexpr int kPodBossVolleyTimerReg = 22; // intRegs: volley timer
constexpr int kPodBossSlotsReg = 0;        // floatRegs 0..11: slot j at x offset [2j], y offset [2j+1]
constexpr int kPodBossRingAngleReg = 21;   // floatRegs: ring angle
constexpr int kPodBossRingRadiusReg = 22;  // floatRegs: ring base radius
constexpr int kPodBossRingSwingReg = 23;   // floatRegs: ring radius swing
constexpr int kPodBossSwingPhaseReg = 25;  // floatRegs: ring swing phase (degrees)
constexpr int kPodBossVolleyAimReg = 32;   // floatRegs: the aim of the current volley

// Pod registers the boss writes.
constexpr int kBossPodStopReg = 0;  // 1: finish the current burst, then hold
constexpr int kBossPodRankReg = 1;  // place on the ring among the live pods

void UpdatePodBossBehaviour(GameWorld* world, Enemy* e);
void UpdatePodBossAttack(GameWorld* world, Enemy* e);
// The spring of the boss and its pods: velocity = velocity x damping + polar(the angle from the
// enemy to the point, Min(distance x factor + base, cap)). Returns that angle.
float SpringEnemyTowardPoint(Enemy* e, float tx, float ty, float factor, float base, float cap, float damping);

// A volley shot frame of the boss (its timer at 0, gap, 2 x gap, ... below shots x gap); the
// pods in formation fire with it.
bool IsPodBossShotFrame(const Enemy* boss);

void UpdateBossPodBehaviourA(GameWorld* world, Enemy* e);  // type 100
void UpdateBossPodBehaviourB(GameWorld* world, Enemy* e);  // type 101
void UpdateBossPodBehaviourC(GameWorld* world, Enemy* e);  // type 102
void UpdateBossPodAttackA(GameWorld* world, Enemy* e);
void UpdateBossPodAttackB(GameWorld* world, Enemy* e);
void UpdateBossPodAttackC(GameWorld* world, Enemy* e);

void RegisterBossPods();  // types 100 to 102 (Enemies100To102.cpp)
// Types 99 to 102; called from RegisterEnemyFamilies.
void RegisterPodBossFamily();
