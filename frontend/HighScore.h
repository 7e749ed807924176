#pragma once
// Ranking a finished game against the high-score table of its difficulty, and storing it.

#include "app/Settings.h"

class GameWorld;

// Index 0..9 of the first entry of the table that the score beats, or -1. A score equal to an
// entry's ranks below it.
int RankScoreInTable(const HighScoreEntry table[kHighScoreEntries], int scoreLow, int scoreHigh);
// The player's score against the table of g_difficulty (-1 for a difficulty without a table).
int RankHighScore(const GameWorld* world);
// Inserts the game at rank (nothing for -1, or for a rank outside -1..9 or a difficulty without
// a table), then rewrites "hiscore.dat" in every case. Returns whether the file was written.
bool StoreHighScore(GameWorld* world, int rank);
// An entry's eight name bytes (no terminator in the table) with a terminator, for drawing.
void CopyHighScoreName(const HighScoreEntry& entry, char out[9]);
