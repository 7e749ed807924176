#pragma once
// Values given on the command line; -1 until a switch sets them.

#include <string>

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
// 1 once a /j switch set a button: the configuration's button map is then not used.
extern int g_cmdPadMapGiven;

constexpr int kCommandTokenMax = 255;  // longest switch token and replay path (plus terminator)

// The first step of start-up: every command-line value to -1 (the button map included), the replay path
// zero-filled.
void ResetCommandLineValues();

// The parser reads one command-line string: this builds it from the arguments after the
// program name. No arguments: empty. First argument starting with '/' and not an existing file:
// switches, joined by single blanks. Otherwise paths, each in double quotes, joined by blanks.
std::string BuildCommandLineTail(int argc, const char* const* argv);

// Reads the command-line tail. Returns false when the program must end at once (a replay path
// that cannot be played); every other problem shows its message and parsing goes on. A quoted
// replay path is made absolute, then the current directory becomes the program's folder.
bool ParseCommandLine(const char* tail);

// The folder of the program's own file (from /proc/self/exe), without the last '/'.
std::string ProgramFolder();
