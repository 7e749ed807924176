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
