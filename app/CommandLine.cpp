#include "app/CommandLine.h"

int g_cmdStage = -1;
int g_cmdPower = -1;
int g_cmdOptionCount = -1;
int g_cmdOptionType = -1;
int g_cmdDifficulty = -1;
int g_cmdBgmVolume = -1;
int g_cmdSeVolume = -1;
int g_cmdPlayReplay = -1;
char g_replayFileArg[256] = {};
int g_fullscreen = -1;
int g_rotateScreen = -1;
