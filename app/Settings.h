#pragma once
// The settings file "config.dat" and the high-score file "hiscore.dat".

#include <cstdint>

enum ConfigSlot {
  ConfigPadMap = 0,  // slots 0..15
  ConfigBgmVolume = 16,
  ConfigSeVolume = 17,
  ConfigDifficulty = 18,
  ConfigDifficultyCount = 19,
  ConfigFullscreen = 20,
  ConfigRotate = 21,
};

constexpr int kConfigSlots = 256;
constexpr int kConfigFileSize = kConfigSlots * 4;

struct HighScoreEntry {
  int32_t scoreLow = 0;
  int32_t scoreHigh = 0;
  int32_t item = 0;
  int32_t miss = 0;
  char name[8] = {};  // no terminator, blank-padded
  int32_t stage = 0;
};

constexpr int kHighScoreTables = 64;
constexpr int kHighScoreEntries = 10;
constexpr int kHighScoreRecordSize = 28;
constexpr int kHighScoreFileSize = kHighScoreTables * kHighScoreEntries * kHighScoreRecordSize;

extern int32_t g_config[kConfigSlots];
extern HighScoreEntry g_highScores[kHighScoreTables][kHighScoreEntries];

// Live volumes, 0..10000 (10000 full volume, 0 silence).
extern int g_bgmVolume;
extern int g_seVolume;

// Start-up, after ParseCommandLine and in this order: LoadOrCreateConfigFile,
// LoadOrCreateHighScoreFile, ApplySettingsPrecedence. Problems are reported in message boxes
// and the defaults are used.
void LoadOrCreateConfigFile();
void LoadOrCreateHighScoreFile();
void ApplySettingsPrecedence();

// The default slots; fullscreen is the answer to the start-up question (1 Yes, 0 No).
void SetDefaultConfig(int fullscreen);
HighScoreEntry DefaultHighScoreEntry(int rank);
void SetDefaultHighScores();

// Rewrite the whole file, through a temporary file renamed over the old one. The first rewrite
// of a file found damaged at start-up first keeps it beside as NAME.bad (or NAME.bad1 ...) and
// says so on standard error. The screens never show a failure; a failed write is told on
// standard error ("wexla: could not write config.dat: REASON").
bool WriteConfigFile();
bool WriteHighScoreFile();

// Slots 18 and 19 as the menus may use them, whatever a damaged file holds: the number of
// selectable difficulties (slot 19 when it is 1..8, else 4), and the title's difficulty: slot 18
// as it stands when it is 0..15 (each has its name and its score table), else clamped into
// 0..count-1.
constexpr int kDifficultyNames = 16;
int SelectableDifficultyCount();
int TitleDifficultyFromConfig();
