#pragma once
// The player ship and the book-keeping of one game: motion, the state machine of a life, the
// stocks, the score, the position history, the per-stage records and the start parameters.
// It also holds the option list.

#include <cstdint>

#include "player/Option.h"
#include "world/GameObject.h"

class GameWorld;

enum PlayerState {
  PlayerEntering = -1,
  PlayerNormal = 0,
  PlayerShieldHit = 1,
  PlayerDying = 2,
  PlayerGameOver = 3,
};

constexpr int PlayerPowerMax = 20;
constexpr int PlayerHistorySize = 160;
constexpr int PlayerStageRecordCount = 16;
constexpr int32_t ScoreLowLimit = 100000000;  // the low part of a score stays below this

struct PlayerStartParams {
  int32_t difficulty = 0;
  int32_t lives = 0;
  int32_t power = 0;
  int32_t shields = 0;
  int32_t bombs = 0;
  int32_t optionCount = 0;
  int32_t optionType = 0;
};

// A score share in the two-part form: low + high * 100,000,000, 0 <= low < 100,000,000.
struct StageScoreRecord {
  int32_t low = 0;
  int32_t high = 0;
};

class Player : public GameObject {
 public:
  int32_t bank = 0;
  int32_t scoreLow = 0, scoreHigh = 0;
  int32_t shownHighScoreLow = 0, shownHighScoreHigh = 0;
  int32_t state = PlayerEntering;
  int32_t stateFrames = 0;
  int32_t lives = 1;
  int32_t shields = 5;
  int32_t bombs = 3;
  int32_t power = 0;
  int32_t maxPowerBonusCount = 0;
  int32_t shotPhase = 0;
  int32_t gauge = 0;
  int32_t gaugeFull = 0;
  int32_t gaugeMax = 1000;
  int32_t gaugeTotal = 0;
  int32_t hitCount = 0;
  int32_t dropCycle = 0;
  int32_t invincibleFrames = 0;
  int32_t grazeFrames = 0;
  int32_t grazeCount = 0;
  float historyX[PlayerHistorySize] = {};
  float historyY[PlayerHistorySize] = {};
  int32_t historyIndex = 0;
  int32_t lastShotInput = -1, shotPressFrames = 7, shotReleaseFrames = 7, prevShotPressFrames = 7;
  int32_t bombKind = 0, bombFrames = 0, bombDuration = 0;
  int32_t shotMode = 0;
  int32_t optionFireMode = 0;
  Option* optionHead = nullptr;
  Option* optionTail = nullptr;
  int32_t optionCount = 0;
  int32_t launchedCount = 0;
  int32_t optionType = 0;
  int32_t optionClassLevel[6] = {};
  OptionFormation formation;
  PlayerStartParams startParams;
  StageScoreRecord stageScore[PlayerStageRecordCount];
  int32_t stageGaugeTotal[PlayerStageRecordCount] = {};
  int32_t stageHitCount[PlayerStageRecordCount] = {};
  float scrollPhaseX = 0, scrollPhaseY = 0;
  float scrollSpeedY = -3.0f;

  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  void ResetForNewGame();
  void Respawn();
  void SaveStartParameters();
  // Stages outside 0..15 are ignored.
  void RecordStageResult(int stage);
  // Keeps 0 <= scoreLow < 100,000,000 for any amount, negative ones included.
  void AddScore(int points);
  void SetState(int state);
  void ClearOptions();
};

void UpdatePlayer(GameWorld* world);
