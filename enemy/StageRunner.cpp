// The stage script runner: fires the due events of the current StageScript, runs the stage
// phases and moves on to the next stage or the all clear.

#include <cstring>

#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "enemy/Enemy.h"
#include "enemy/EnemySpawner.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "enemy/StageScript.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"

namespace {

constexpr int kLastStage = 6;
constexpr int kDifficultyCountMax = 8;
constexpr int kPlayerGameOver = 3;

bool IsParamId(int id) { return id >= 0 && id < 256; }

bool EventConditionsHold(const GameWorld* world, const StageScript* s, const StageEvent& e) {
  if (e.maxAlive != -1 && world->enemies.count > e.maxAlive) return false;
  const int v = e.difficultyCond;
  if (v >= 0 && g_difficulty < v) return false;
  if (v < 0 && static_cast<int64_t>(g_difficulty) > -static_cast<int64_t>(v)) return false;
  const float px = world->player.x;
  const float py = world->player.y;
  if (e.playerXCond < 0 && -e.playerXCond <= px) return false;
  if (e.playerXCond > 0 && e.playerXCond > px) return false;
  if (e.playerYCond < 0 && -e.playerYCond <= py) return false;
  if (e.playerYCond > 0 && e.playerYCond > py) return false;
  for (int i = 0; i < e.flagCount && i < kStageEventEntries; ++i) {
    const int id = e.flagIds[i];
    if (id < 0 || id >= kStageFlagCount) return false;  // no such flag: the condition fails
    if (s->flags[id] != (e.flagValues[i] != 0 ? 1 : 0)) return false;
  }
  return true;
}

void FireEnemyEvent(GameWorld* world, const StageEvent& ev) {
  EnemyList& l = world->enemies;
  Enemy* e = ConstructEnemy(ev.kind, &l.head, &l.tail, &l.count, ev.x, ev.y, Atan2Deg(-ev.vy, ev.vx),
                            Hypot(ev.vx, ev.vy));
  if (!e) return;
  if (IsEdgePosition(ev.x)) e->baseX = EdgeBasePosition(ev.x, 180.0f, e);
  if (IsEdgePosition(ev.y)) e->baseY = EdgeBasePosition(ev.y, 240.0f, e);
  e->phase = ev.selector;
  for (int i = 0; i < ev.intCount && i < kStageEventEntries; ++i) {
    if (IsParamId(ev.intIds[i])) e->intParams[ev.intIds[i]] = ev.intValues[i];
  }
  for (int i = 0; i < ev.floatCount && i < kStageEventEntries; ++i) {
    if (IsParamId(ev.floatIds[i])) e->floatRegs[ev.floatIds[i]] = ev.floatValues[i];
  }
}

void FireSpawnerEvent(GameWorld* world, const StageEvent& ev) {
  SpawnerList& l = world->spawners;
  EnemySpawner* s = ConstructEnemySpawner(ev.spawnType, ev.selector, &l.head, &l.tail, &l.count, ev.x, ev.y, ev.dx,
                                          ev.dy, ev.vx, ev.vy, ev.interval, ev.amount);
  if (!s) return;
  for (int i = 0; i < ev.intCount && i < kStageEventEntries; ++i) {
    if (IsParamId(ev.intIds[i])) s->intParams[ev.intIds[i]] = ev.intValues[i];
  }
  for (int i = 0; i < ev.floatCount && i < kStageEventEntries; ++i) {
    const int id = ev.floatIds[i];
    const float v = ev.floatValues[i];
    if (id == kJitterIdX) s->jitterX = v;
    else if (id == kJitterIdY) s->jitterY = v;
    else if (id == kJitterIdAngle) s->jitterAngle = v;
    else if (id == kJitterIdSpeed) s->jitterSpeed = v;
    else if (IsParamId(id)) s->floatParams[id] = v;
  }
}

// Effect parameters 0..2 are integers and 3..5 floats (stored as their bits).
void SetEffectParamInt(Effect* e, int i, int32_t v) { e->params[i] = v; }
void SetEffectParamFloat(Effect* e, int i, float v) { std::memcpy(&e->params[i], &v, sizeof(v)); }

void FireEffectEvent(GameWorld* world, const StageEvent& ev) {
  EffectList& l = world->effects;
  // Rows outside the sprite table become the empty row inside the constructor.
  Effect* fx = ConstructEffect(ev.kind, &l.head, &l.tail, &l.count, ev.x, ev.y, Atan2Deg(-ev.vy, ev.vx),
                               Hypot(ev.vx, ev.vy), ev.amount);
  if (!fx) return;
  for (int i = 0; i < 3; ++i) SetEffectParamInt(fx, i, 0);
  for (int i = 3; i < 6; ++i) SetEffectParamFloat(fx, i, 0.0f);
  // An entry with id k sets values k..2 of its kind, so entries in increasing id order each set
  // their own value.
  for (int i = 0; i < ev.intCount && i < kStageEventEntries; ++i) {
    const int id = ev.intIds[i];
    if (id < 0 || id > 2) continue;
    for (int k = id; k < 3; ++k) SetEffectParamInt(fx, k, ev.intValues[i]);
  }
  for (int i = 0; i < ev.floatCount && i < kStageEventEntries; ++i) {
    const int id = ev.floatIds[i];
    if (id < 0 || id > 2) continue;
    for (int k = id; k < 3; ++k) SetEffectParamFloat(fx, 3 + k, ev.floatValues[i]);
  }
}

void FireFlagEvent(StageScript* s, const StageEvent& ev) {
  if (ev.amount < 0 || ev.amount >= kStageFlagCount) return;
  uint8_t& f = s->flags[ev.amount];
  if (ev.selector == -1) f = f ? 0 : 1;
  else f = ev.selector == 1 ? 1 : 0;
}

void FireEvent(GameWorld* world, StageScript* s, const StageEvent& ev) {
  switch (ev.lineType) {
    case EventEnemy: FireEnemyEvent(world, ev); break;
    case EventSpawner: FireSpawnerEvent(world, ev); break;
    case EventEffect: FireEffectEvent(world, ev); break;
    case EventFlag: FireFlagEvent(s, ev); break;
    case EventPhase:
      s->phaseFrames = 0;
      s->phase = ev.amount;
      break;
    default: break;
  }
}

void ShowAllClearBanner(GameWorld* world) {
  EffectList& l = world->effects;
  Effect* b = ConstructEffect(0, &l.head, &l.tail, &l.count, 180.0f, 500.0f, 90.0f, 28.0f, 2147483647);
  if (!b) return;
  b->facing = 0;
  b->SetObjectSprite(126);
  b->friction = 0.93f;
  b->startScaleX = b->endScaleX = 1.8f;
  b->startScaleY = b->endScaleY = 3.0f;
  b->startColor = b->endColor = 0xFFFF0000u;
}

void PerformAllClear(GameWorld* world, StageScript* s) {
  s->phase = StagePhaseStopped;
  world->shots.Clear();
  ClearSpawnerList(&world->spawners);
  ClearEnemyList(world);
  ClearBulletList(&world->bullets);
  world->items.Clear();
  ClearEffectList(&world->effects);
  int32_t& unlocked = g_config[ConfigDifficultyCount];
  if (g_difficulty == unlocked - 1 && g_replayPlayback == 0) {
    unlocked = MinInt(unlocked + 1, kDifficultyCountMax);
    WriteConfigFile();  // a failed write is silent; the raised slot stays in memory
  }
  world->player.ClearOptions();
  world->player.SetState(kPlayerGameOver);
  ShowAllClearBanner(world);
  g_scene = SceneGameEnd;
}

void EndStage(GameWorld* world, StageScript* s) {
  world->player.RecordStageResult(g_stage);
  g_stage = NextStageNumber(g_stage);
  if (g_stage > kLastStage) PerformAllClear(world, s);
  g_sceneFrame = 0;
}

}  // namespace

int NextStageNumber(int stage) {
  const int next = stage + 1;
  return next == 3 ? 5 : next;
}

void SetStageFlag(GameWorld* world, int index, int value) {
  if (!world->stageScript || index < 0 || index >= kStageFlagCount) return;
  world->stageScript->flags[index] = static_cast<uint8_t>(value);
}

void RunStageScript(GameWorld* world) { AdvanceStageScript(world, IsKeyboardKeyHeld(KeySpace)); }

void AdvanceStageScript(GameWorld* world, bool spaceHeld) {
  StageScript* s = world->stageScript;
  if (!s) return;
  s->stageFrame += 1;

  bool fire = s->nextEvent < s->eventCount && s->phase < StagePhaseCleared && s->events;
  while (fire) {
    const StageEvent& ev = s->events[s->nextEvent];
    if (ev.frame != s->stageFrame) break;
    if (EventConditionsHold(world, s, ev)) FireEvent(world, s, ev);
    s->nextEvent += 1;  // a skipped event is consumed as well
    if (s->nextEvent >= s->eventCount) fire = false;
  }

  s->phaseFrames += 1;
  if (s->phase == StagePhaseWaitClear && world->enemies.count == 0) {
    s->phase = StagePhaseCleared;
    s->phaseFrames = 0;
  } else if (s->phase == StagePhaseCleared && s->phaseFrames >= kStageClearWait && world->enemies.count == 0 &&
             g_scene == SceneGame) {
    // Only in play: after the all clear a Space restart may reach phase 3 again, and a second
    // stage end would write past the stage records and rewrite the files.
    EndStage(world, s);
  }

  if (spaceHeld) {
    s->stageFrame = 0;
    s->nextEvent = 0;
    s->phaseFrames = 0;
    s->phase = StagePhaseRunning;
  }
}
