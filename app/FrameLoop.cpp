#include "app/FrameLoop.h"

#include <cstring>

#include "app/CommandLine.h"
#include "app/Settings.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "platform/JoystickInput.h"
#include "platform/Platform.h"
#include "platform/SoundSystem.h"
#include "platform/Window.h"
#include "frontend/Menus.h"
#include "frontend/ReplayData.h"
#include "frontend/ResultScreen.h"
#include "enemy/Enemy.h"
#include "enemy/EnemySpawner.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/Renderer.h"

int g_scene = SceneTitle;
int g_gameFrame = 0;
int g_sceneFrame = 0;
float g_bulletSpeedBase = 0.0f;
int g_targetFps = 60;
int g_fpsMeasured = 0;
int g_framesThisSecond = 0;
uint32_t g_frameTime = 0;
uint32_t g_prevFrameTime = 0;

void (*g_frameStepHook)(int step) = nullptr;

int g_difficulty = 4;
int g_stage = 1;

float BulletSpeedBaseForDifficulty(int difficulty) {
  static const float speeds[7] = {3.5f, 4.0f, 4.5f, 5.0f, 5.8f, 6.7f, 7.6f};
  return (difficulty >= 0 && difficulty < 7) ? speeds[difficulty] : 8.5f;
}

int StartPowerForDifficulty(int difficulty) {
  switch (difficulty) {
    case 0: return 11;
    case 1: return 9;
    case 2: return 6;
    case 3: return 3;
    default: return 0;
  }
}

namespace {

void StepDone(FrameStep step) {
  if (g_frameStepHook) g_frameStepHook(step);
}

bool LivePressed(int index) { return g_inputHeldFrames[index] == 1; }

void StartStage(SoundSystem* sound, GameWorld* world) {
  delete world->stageScript;
  world->stageScript = new StageScript(g_stage);
  sound->PlayBgm(g_stage - 1);  // stage n plays music n - 1
  g_bulletSpeedBase = BulletSpeedBaseForDifficulty(g_difficulty);
  if (g_gameFrame == 1) StartGame(world);
}

void UpdateGameInput(GameWorld* world) {
  if (g_replayPlayback && world->playback) {
    world->playback->ReadInput(g_gameInput);
    g_gameInput[InputAxisX] = g_gameInput[InputRight] - g_gameInput[InputLeft];
    g_gameInput[InputAxisY] = g_gameInput[InputDown] - g_gameInput[InputUp];
    for (int i = 0; i < 16; ++i) g_gameInputFrames[i] = (g_gameInputFrames[i] + 1) * g_gameInput[i];
  } else {
    std::memcpy(g_gameInput, g_inputHeld, sizeof(g_gameInput));
    std::memcpy(g_gameInputFrames, g_inputHeldFrames, sizeof(g_gameInputFrames));
  }
  int mask = 0;
  for (int i = 0; i <= InputKeyM; ++i) mask |= (g_gameInput[i] ? 1 : 0) << i;
  if (world->recorder) world->recorder->RecordInput(mask);
}

// Leaving the game-end scene on the frame it was entered would skip the frame that closes the
// recording: close it here so the saved replay is still playable.
void LeaveGameEndForResult(GameWorld* world) {
  if (g_sceneFrame == 0) CloseReplayRecording(world, g_gameFrame + 1);
  world->ClearObjectLists();
  g_scene = SceneResult;
  g_sceneFrame = 0;
}

void RunMenuScene(SoundSystem* sound, GameWorld* world, int* pad) {
  const int s = g_scene;
  switch (s) {
    case SceneTitle:
      if (g_sceneFrame == 1) sound->PlayBgm(BgmTitle);
      RunTitleMenu(sound, world);
      if (LivePressed(InputEscape)) g_quitRequested = 1;
      break;
    case SceneConfig:
      RunConfigMenu(sound, world, pad);
      if (LivePressed(InputEscape)) {
        g_scene = SceneTitle;
        g_sceneFrame = 0;
      }
      break;
    case SceneResult:
      RunResultScreen(world, sound);
      if (g_scene != s && g_cmdPlayReplay == 1) g_quitRequested = 1;
      break;
    case SceneQuit:
      g_quitRequested = 1;
      break;
    default:
      break;
  }
  if (g_scene == s) {
    UpdatePlayerShots(world);
    UpdateEnemies(world);
    UpdateEnemyBullets(world);
    UpdateItems(world);
    UpdateEffects(world);
  }
}

void RunPlayScene(SoundSystem* sound, GameWorld* world) {
  if (g_scene == SceneGame && g_sceneFrame == 1) StartStage(sound, world);
  if (g_scene == SceneGame) UpdateGameInput(world);
  if (g_scene == SceneGameEnd && g_sceneFrame == 1) {
    sound->PlayBgm(BgmGameOver);
    CloseReplayRecording(world, g_gameFrame);
  }
  UpdatePlayer(world);
  StepDone(FrameStepPlayer);
  UpdatePlayerShots(world);
  StepDone(FrameStepShots);
  RunStageScript(world);
  StepDone(FrameStepScript);
  UpdateEnemySpawners(world);
  StepDone(FrameStepSpawners);
  UpdateEnemies(world);
  StepDone(FrameStepEnemies);
  UpdateEnemyBullets(world);
  StepDone(FrameStepBullets);
  UpdateItems(world);
  StepDone(FrameStepItems);
  UpdateEffects(world);
  StepDone(FrameStepEffects);
  if (LivePressed(InputEscape)) {
    if (g_cmdPlayReplay == 1) {
      g_quitRequested = 1;
    } else if (g_scene == SceneGameEnd) {
      LeaveGameEndForResult(world);
    } else {
      g_scene = SceneTitle;
      g_sceneFrame = 0;
    }
  }
  if (g_scene == SceneGameEnd && LivePressed(InputShot)) LeaveGameEndForResult(world);
}

int FastForwardFactor() {
  if (!g_replayPlayback) return 0;
  const bool z = g_inputHeld[InputShot] != 0;
  const bool x = g_inputHeld[InputSlow] != 0;
  if (z && x) return 60;
  if (x) return 4;
  if (z) return 2;
  return 0;
}

// Milliseconds from `now` until its tick number changes. The tick is the wrapped product
// now * fps / 1000, so it changes when the product reaches the next multiple of 1000 or wraps
// past 2^32; the product grows by fps per millisecond across both wraps, the clock's included.
uint32_t MillisecondsToNextTick(uint32_t now, uint32_t fps) {
  const uint32_t product = now * fps;
  const uint64_t next = (static_cast<uint64_t>(product / 1000u) + 1) * 1000u;
  const uint64_t boundary = next < (uint64_t{1} << 32) ? next : (uint64_t{1} << 32);
  return static_cast<uint32_t>((boundary - product + fps - 1) / fps);
}

// Waits for the first millisecond of the next 1/60 s tick and counts frames per second.
// Tick numbers are unsigned 32-bit products, wrapping as the timer does: the tick sequence
// jumps about every 19.9 hours, and frame ends follow it.
void PaceFrame(int k) {
  g_targetFps = 60;
  int state = 2;
  const uint32_t target = (g_prevFrameTime * static_cast<uint32_t>(g_targetFps)) / 1000u;
  g_framesThisSecond += 1;
  while (k == 0 && state != 0) {
    g_frameTime = PlatformMilliseconds();
    const uint32_t tick = (g_frameTime * static_cast<uint32_t>(g_targetFps)) / 1000u;
    if (state == 2 && (g_prevFrameTime % 1000u) > (g_frameTime % 1000u)) {
      g_fpsMeasured = g_framesThisSecond;
      g_framesThisSecond = 0;
      state = 1;
    }
    if (tick != target) {
      state = 0;
    } else {
      // Sleep while more than 2 ms remain in this tick, then spin to its end.
      const uint32_t remaining = MillisecondsToNextTick(g_frameTime, static_cast<uint32_t>(g_targetFps));
      if (remaining > 2) PlatformSleepMilliseconds(remaining - 2);
    }
  }
  g_prevFrameTime = g_frameTime;
}

}  // namespace

void StartGame(GameWorld* world) {
  Player& p = world->player;
  p.shotPressFrames = 7;
  p.shotReleaseFrames = 7;
  p.prevShotPressFrames = 7;
  p.power = (g_cmdPower != -1) ? g_cmdPower : StartPowerForDifficulty(g_difficulty);
  p.optionType = (g_cmdOptionType != -1) ? g_cmdOptionType : 0;
  if (p.optionType >= 0) p.optionClassLevel[p.optionType % 6] = p.optionType / 6;
  const int wanted = g_cmdOptionCount > 0 ? g_cmdOptionCount : 0;
  while (p.optionCount < wanted) new Option(&p.optionHead, &p.optionTail, &p.optionCount, p.x, p.y);
  const int table = (g_difficulty >= 0 && g_difficulty < kHighScoreTables) ? g_difficulty : 0;
  p.shownHighScoreLow = g_highScores[table][0].scoreLow;
  p.shownHighScoreHigh = g_highScores[table][0].scoreHigh;
  p.SaveStartParameters();
}

void RunFrame(Graphics* gfx, SoundSystem* sound, JoystickInput* joystick, GameWorld* world) {
  g_gameFrame += 1;
  g_sceneFrame += 1;
  int pad[32];
  joystick->ReadPad(pad);
  PollInput(pad);
  if (g_scene >= 10) RunMenuScene(sound, world, pad);
  else RunPlayScene(sound, world);
  StepDone(FrameStepLogicEnd);
  int k = FastForwardFactor();
  if (!g_deviceLost && (k == 0 || g_sceneFrame % k == 0)) {
    if (!gfx->BeginFrame()) {
      g_deviceLost = 1;
    } else {
      RenderFrame(gfx, world);
      if (!gfx->EndFrame()) g_deviceLost = 1;
      k = 0;
    }
  }
  sound->PlayRequestedEffects();
  sound->UpdateBgmLoop();
  PaceFrame(k);
}
