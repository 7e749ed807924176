#pragma once
// The state of play: the player, the six object lists, the stage script, the two replays and the
// result screen.

#include "enemy/Enemy.h"
#include "enemy/EnemySpawner.h"
#include "enemy/StageScript.h"
#include "frontend/ReplayData.h"
#include "frontend/ResultScreen.h"
#include "player/Item.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/EnemyBullet.h"
#include "world/Effect.h"

class GameWorld {
 public:
  Player player;
  ShotList shots;
  SpawnerList spawners;
  EnemyList enemies;
  BulletList bullets;
  ItemList items;
  EffectList effects;
  StageScript* stageScript = nullptr;
  ReplayData* recorder = nullptr;
  ReplayData* playback = nullptr;
  ResultScreenState result;
  char replayFileName[256] = {};

  GameWorld();
  ~GameWorld();
  GameWorld(const GameWorld&) = delete;
  GameWorld& operator=(const GameWorld&) = delete;

  void Reset();
  // Clears the six lists in their fixed order: shots, spawners, enemies, bullets, items, effects.
  void ClearObjectLists();
};
