#pragma once
// Scene ids, frame counters, pacing values and the state of play shared across the program.

#include <cstdint>

enum Scene {
  SceneGame = 0,
  SceneGameEnd = 5,
  SceneTitle = 10,
  SceneConfig = 11,
  SceneResult = 30,
  SceneQuit = 99,
};

extern int g_scene;
extern int g_gameFrame;
extern int g_sceneFrame;
extern float g_bulletSpeedBase;
extern int g_targetFps;
extern int g_fpsMeasured;
extern int g_framesThisSecond;
extern uint32_t g_frameTime;
extern uint32_t g_prevFrameTime;

extern int g_difficulty;
extern int g_stage;

// The update steps of a frame of play, and the end of a frame's logic in any scene: a timing
// hook (null in the game; the benchmark sets it) is told as each is done.
enum FrameStep {
  FrameStepPlayer,
  FrameStepShots,
  FrameStepScript,
  FrameStepSpawners,
  FrameStepEnemies,
  FrameStepBullets,
  FrameStepItems,
  FrameStepEffects,
  FrameStepLogicEnd,
  FrameStepCount,
};
extern void (*g_frameStepHook)(int step);

class Graphics;
class SoundSystem;
class JoystickInput;
class GameWorld;

// One frame: counters, input, scene logic, drawing, sound, pacing to the next 1/60 s tick.
void RunFrame(Graphics* gfx, SoundSystem* sound, JoystickInput* joystick, GameWorld* world);
// The game start on a game's first frame: start power, options, shown high score, start params.
void StartGame(GameWorld* world);
float BulletSpeedBaseForDifficulty(int difficulty);
int StartPowerForDifficulty(int difficulty);
