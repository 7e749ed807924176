#include "app/FrameLoop.h"

int g_scene = SceneTitle;
int g_gameFrame = 0;
int g_sceneFrame = 0;
float g_bulletSpeedBase = 0.0f;
int g_targetFps = 60;
int g_fpsMeasured = 0;
int g_framesThisSecond = 0;
uint32_t g_frameTime = 0;
uint32_t g_prevFrameTime = 0;

int g_difficulty = 4;
int g_stage = 1;
