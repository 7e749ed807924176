#include "world/GameWorld.h"

GameWorld::GameWorld() {
  InitSpawnerListHeader(&spawners);
  InitEnemyListHeader(&enemies);
  InitBulletListHeader(&bullets);
  InitEffectListHeader(&effects);
  Reset();
}

GameWorld::~GameWorld() {
  DestroyEffectList(&effects);
  items.Clear();
  DestroyBulletList(&bullets);
  DestroyEnemyList(this);
  DestroySpawnerList(&spawners);
  shots.Clear();
  delete stageScript;
  delete recorder;
  delete playback;
  // The player, destroyed last as a member, frees its options.
}

void GameWorld::ClearObjectLists() {
  shots.Clear();
  ClearSpawnerList(&spawners);
  ClearEnemyList(this);
  ClearBulletList(&bullets);
  items.Clear();
  ClearEffectList(&effects);
}

void GameWorld::Reset() {
  player.ResetForNewGame();
  ClearObjectLists();
  delete stageScript;
  stageScript = nullptr;
}
