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

extern int32_t g_config[256];
extern HighScoreEntry g_highScores[kHighScoreTables][kHighScoreEntries];

// Rewrite the whole file, through a temporary file renamed over the old one. Failures are silent.
bool WriteConfigFile();
bool WriteHighScoreFile();
