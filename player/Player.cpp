#include "player/Player.h"

#include <cmath>

#include "app/FrameLoop.h"
#include "player/Bomb.h"
#include "platform/Input.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

constexpr int PlayerSpriteRow = 128;

float SinDeg(float a) { return std::sin(a * kPi / 180.0f); }

uint32_t PackArgb(int a, int r, int g, int b) {
  return (static_cast<uint32_t>(a) << 24) | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

int Held(int index) { return g_gameInput[index] != 0 ? 1 : 0; }

void FillHistory(Player* p) {
  for (int i = 0; i < PlayerHistorySize; ++i) {
    p->historyX[i] = p->x;
    p->historyY[i] = p->y;
  }
  p->historyIndex = 0;
}

// One item dropped at death. The draw for its facing follows the item's construction; it is
// made also when the kind is refused, so the random order does not depend on the kind.
void DropDeathItem(GameWorld* world, int kind, float x, float y, float angle, float speed) {
  Item* item = ConstructItem(world, kind, x, y, angle, speed);
  const float facing = RandomFloat(360.0f);
  if (item) item->facing = facing;
}

// The drops and the explosion on the 40th frame of dying.
void DeathBurst(GameWorld* world, Player* p) {
  const int drops = p->power - p->power * 7 / 10;
  for (int i = 0; i < drops; ++i) {
    const float speed = 15.0f + RandomFloat(6.0f);
    const float angle = 84.0f + RandomFloat(12.0f);
    DropDeathItem(world, ItemPower, p->x, p->y, angle, speed);
  }
  // Formation options turn into option items of the current type; launched ones fly on.
  for (Option* o = p->optionHead; o;) {
    Option* next = o->next;
    if (!o->launched) {
      const float speed = ((o->y / 2.0f + 64.0f) * 14.0f / 240.0f + 4.0f) + RandomFloat(5.0f);
      const float angle = 85.5f + RandomFloat(9.0f);
      DropDeathItem(world, p->optionType + 5, o->x, o->y, angle, speed);
      o->UnlinkAndDelete(&p->optionHead, &p->optionTail, &p->optionCount);
    }
    o = next;
  }
  for (int i = 0; i < 64; ++i) {
    const int life = 40 + RandomInt(8) + (p->lives == 0 ? 32 : 0);
    const float speed = 4.0f + RandomFloat(12.0f);
    // The piece's angle step is the integer (i * 360) / 64: 0, 5, 11, 16, ...
    Effect* e = ConstructEffect(world, EffectColorFade, p->x, p->y, static_cast<float>(i * 360 / 64) + p->facing,
                                speed, life);
    e->SetObjectSprite(152);
    e->friction = 0.95f;
    e->startScaleY = 0.5f + RandomFloat(0.1f);
    e->endScaleX = 4.0f + RandomFloat(0.4f);
    e->endScaleY = 0.0f;
    e->params[0] = 320 + RandomInt(192);
    e->params[1] = 192 + RandomInt(192);
    e->params[2] = 64 + RandomInt(192);
  }
  p->SetVelocityXY(0.0f, 0.0f);
}

void GameOver(GameWorld* world, Player* p) {
  p->lives = -1;
  p->RecordStageResult(g_stage);
  p->SetState(PlayerGameOver);
  if (world->stageScript) world->stageScript->phase = 4;  // StagePhaseStopped
  Effect* banner = ConstructEffect(world, EffectPlain, 180.0f, 500.0f, 90.0f, 28.0f, 2147483647);
  banner->facing = 0.0f;
  banner->SetObjectSprite(126);
  banner->friction = 0.93f;
  banner->startScaleX = banner->endScaleX = 1.8f;
  banner->startScaleY = banner->endScaleY = 3.0f;
  banner->startColor = banner->endColor = 0xFFFF0000u;
  g_scene = SceneGameEnd;
  g_sceneFrame = 0;
}

void StepEntering(Player* p) {
  const int f = p->stateFrames;
  p->invincibleFrames = MaxInt(p->invincibleFrames, 360 - f);
  // Integer quotients: the fly-in shrinks in steps (4, 3, 2, 1) and sways by whole degrees.
  p->SetScaleUniform(static_cast<float>(4 - 3 * f / 59));
  p->sprite.pivotX = g_spriteDefs[PlayerSpriteRow].pivotX + 10.0f * SinDeg(static_cast<float>((59 - f) * 90 / 59));
  const int g = f * 127 / 59 + 128;
  p->sprite.colors[0] = PackArgb(g, g, g, g);
  if (f > 59) {
    p->SetObjectSprite(PlayerSpriteRow);
    p->hitShape.scaleX = 1.0f;
    p->hitShape.scaleY = 1.0f;
    p->SetState(PlayerNormal);
  }
}

void StepNormal(Player* p, int* outDx, int* outDy) {
  const int dx = Held(InputRight) - Held(InputLeft);
  const int dy = Held(InputDown) - Held(InputUp);
  const float s = (dx != 0 && dy != 0) ? std::sqrt(2.0f) : 1.0f;
  const float k = Held(InputSlow) ? 2.0f : 1.0f;
  p->x += static_cast<float>(dx) * 4.5f / s / k;
  p->y += static_cast<float>(dy) * 4.5f / s / k;
  p->bank = ClampInt(p->bank - SignInt(p->bank) + 2 * dx, -24, 24);
  const int bankAbs = p->bank < 0 ? -p->bank : p->bank;
  const int row = PlayerSpriteRow + 2 * (bankAbs / 10) - (p->bank <= -10 ? 1 : 0);
  p->sprite.srcU = g_spriteDefs[row].srcU;
  *outDx = dx;
  *outDy = dy;
}

void StepDying(GameWorld* world, Player* p) {
  const int f = p->stateFrames;
  if (f < 40) {
    p->sprite.colors[0] = PackArgb(255, (255 - 2 * f) & 255, MaxInt(255 - 8 * f, 0), MaxInt(224 - 20 * f, 0));
    if (g_gameInputFrames[InputBomb] == 1 && p->bombs > 0) {
      // The counter bomb: a drifting emitter of ring shots.
      p->bombs -= 1;
      const float speed = RandomFloat(4.0f);
      const float angle = RandomFloat(360.0f);
      Effect* e = ConstructEffect(world, EffectRingEmitter, p->x, p->y, angle, speed, 27);
      e->params[0] = p->power;
    }
  } else {
    p->sprite.colors[0] = 0;
  }
  if (f == 40) DeathBurst(world, p);
  if (f > 120) {
    if (p->lives > 0) {
      p->lives -= 1;
      if (p->gauge == p->gaugeMax) p->gaugeFull = 0;
      p->gauge /= 2;
      p->power = p->power * 7 / 10;
      const float deathX = p->x;
      p->Respawn();
      p->x = deathX;
      FillHistory(p);
      p->sprite.colors[0] = 0;
    } else if (p->optionHead == nullptr && world->shots.head == nullptr) {
      GameOver(world, p);
    }
  }
}

void SpawnExhaust(GameWorld* world, Player* p) {
  const float speed = 8.0f + RandomFloat(3.0f);
  const float angle = 260.0f + RandomFloat(20.0f);
  Effect* e = ConstructEffect(world, EffectPlain, p->x, p->y + 16.0f, angle, speed, 16);
  e->SetObjectSprite(152);
  e->friction = 0.95f;
  e->endScaleX = 0.1f;
  e->endScaleY = 0.1f;
  e->SetEffectScaleFactor(0.4f, 0.4f);
  e->startColor = 0xFF206080u;
  e->endColor = 0x80202020u;
}

void SpawnInvincibleSparkle(GameWorld* world, Player* p) {
  Effect* e = ConstructEffect(world, EffectPlain, p->x, p->y, 0.0f, 0.0f, 1);
  e->SetObjectSprite(156);
  e->SetEffectScaleFactor(p->sprite.scaleX * 1.8f, p->sprite.scaleX * 1.8f);
  const int v = p->invincibleFrames - 30;
  const int r = ClampInt(3 * (v <= 30 ? v : 60 - v), 0, 128);
  const int g = ClampInt(3 * (v - 30), 0, 255);
  const int b = ClampInt(6 * (v - 60), 0, 255);
  e->startColor = e->endColor = PackArgb(0xFF, r, g, b);
}

}  // namespace

Player::Player() {
  optionHead = nullptr;
  optionTail = nullptr;
  ResetForNewGame();
}

Player::~Player() { ClearOptions(); }

void Player::ResetForNewGame() {
  Respawn();
  scoreLow = scoreHigh = 0;
  shownHighScoreLow = shownHighScoreHigh = 0;
  lives = 1;
  power = 0;
  maxPowerBonusCount = 0;
  gauge = 0;
  gaugeFull = 0;
  gaugeMax = 1000;
  gaugeTotal = 0;
  hitCount = 0;
  dropCycle = 0;
  invincibleFrames = 0;
  grazeFrames = 0;
  grazeCount = 0;
  for (int32_t& level : optionClassLevel) level = 0;
  for (int i = 0; i < PlayerStageRecordCount; ++i) {
    stageScore[i] = StageScoreRecord{};
    stageGaugeTotal[i] = 0;
    stageHitCount[i] = 0;
  }
  scrollPhaseX = 0.0f;
  scrollPhaseY = 0.0f;
  scrollSpeedY = -3.0f;
  // These survive respawns but not a new game: a replay starts from their start-up state.
  formation.radius = 0.0f;
  formation.aim = 0.0f;
  formation.spin = 0.0f;
}

void Player::Respawn() {
  x = 180.0f;
  y = 400.0f;
  vx = vy = 0.0f;
  direction = speed = 0.0f;
  facing = 90.0f;
  SetObjectSprite(PlayerSpriteRow);
  SetHitShapeFromTable(hitShape, PlayerSpriteRow);
  SetScaleUniform(1.0f);
  bank = 0;
  state = PlayerEntering;
  stateFrames = 0;
  shields = 5;
  bombs = 3;
  shotPhase = 0;
  FillHistory(this);
  lastShotInput = -1;
  shotPressFrames = shotReleaseFrames = prevShotPressFrames = 7;
  bombKind = bombFrames = bombDuration = 0;
  shotMode = 0;
  optionFireMode = 0;
  ClearOptions();
  optionType = 0;
  formation.centerX = 0.0f;
  formation.centerY = 0.0f;
  formation.angle = 0.0f;
}

void Player::SaveStartParameters() {
  startParams.difficulty = g_difficulty;
  startParams.lives = lives;
  startParams.power = power;
  startParams.shields = shields;
  startParams.bombs = bombs;
  startParams.optionCount = optionCount;
  startParams.optionType = optionType;
}

void Player::RecordStageResult(int stage) {
  if (stage < 0 || stage >= PlayerStageRecordCount) return;
  StageScoreRecord share{scoreLow, scoreHigh};
  int32_t gaugeShare = gaugeTotal;
  int32_t hitShare = hitCount;
  for (int i = 0; i < stage; ++i) {
    share.low -= stageScore[i].low;
    share.high -= stageScore[i].high;
    if (share.low < 0) {
      share.low += ScoreLowLimit;
      share.high -= 1;
    }
    gaugeShare -= stageGaugeTotal[i];
    hitShare -= stageHitCount[i];
  }
  stageScore[stage] = share;
  stageGaugeTotal[stage] = gaugeShare;
  stageHitCount[stage] = hitShare;
}

void Player::AddScore(int points) {
  // Floor division keeps the low part in range for negative amounts as well.
  int64_t low = static_cast<int64_t>(scoreLow) + points;
  int64_t carry = low / ScoreLowLimit;
  if (low % ScoreLowLimit < 0) carry -= 1;
  scoreHigh = static_cast<int32_t>(static_cast<int64_t>(scoreHigh) + carry);
  scoreLow = static_cast<int32_t>(low - carry * ScoreLowLimit);
}

void Player::SetState(int newState) {
  state = newState;
  stateFrames = 0;
}

void Player::ClearOptions() {
  ListDeleteAll(&optionHead, &optionTail, &optionCount);
  launchedCount = 0;
}

void UpdatePlayer(GameWorld* world) {
  Player* p = &world->player;
  if (p->grazeFrames > 0) p->grazeFrames -= 1;

  p->prevX = p->x;
  p->prevY = p->y;
  p->x += p->vx;
  p->y += p->vy;
  p->SetVelocityPolar(p->direction, p->speed * 0.85f);  // the knock-back decays

  p->stateFrames += 1;
  int dx = 0, dy = 0;
  switch (p->state) {
    case PlayerEntering: StepEntering(p); break;
    case PlayerNormal: StepNormal(p, &dx, &dy); break;
    case PlayerShieldHit:
      p->invincibleFrames = MaxInt(p->invincibleFrames, 75 - p->stateFrames);
      if (p->stateFrames > 30) p->SetState(PlayerNormal);
      break;
    case PlayerDying: StepDying(world, p); break;
    default: break;
  }

  p->x = ClampFloat(p->x, 2.0f, 358.0f);
  p->y = ClampFloat(p->y, 16.0f, 478.0f);
  if (std::fabs(p->speed) < 0.15f) p->SetVelocityPolar(p->direction, 0.0f);

  if (p->x != p->prevX || p->y != p->prevY || dx != 0 || dy != 0) {
    p->historyX[p->historyIndex] = p->x;
    p->historyY[p->historyIndex] = p->y;
    p->historyIndex = (p->historyIndex + 1) % PlayerHistorySize;
  }

  const bool flying = p->state == PlayerNormal || p->state == PlayerShieldHit;
  if (flying) SpawnExhaust(world, p);

  p->scrollPhaseX = std::fmod((p->x - p->prevX) / 3.0f + p->scrollPhaseX + 60.0f, 60.0f);
  p->scrollPhaseY = std::fmod(p->scrollPhaseY + p->scrollSpeedY + 60.0f, 60.0f);

  UpdateBomb(world);

  if (p->invincibleFrames > 0) {
    p->invincibleFrames -= 1;
    if (p->invincibleFrames > 29 && flying) SpawnInvincibleSparkle(world, p);
  }

  UpdateOptionDoubleTap(world);  // in every state
  SteerOptionFormation(world);
  UpdateOptions(world);
}
