#pragma once
// Values given on the command line; -1 until a switch sets them.

extern int g_cmdStage;
extern int g_cmdPower;
extern int g_cmdOptionCount;
extern int g_cmdOptionType;
extern int g_cmdDifficulty;
extern int g_cmdBgmVolume;
extern int g_cmdSeVolume;
extern int g_cmdPlayReplay;
extern char g_replayFileArg[256];
extern int g_fullscreen;
extern int g_rotateScreen;
