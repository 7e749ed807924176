#include "frontend/HighScore.h"

#include <cstring>

#include "app/FrameLoop.h"
#include "world/GameWorld.h"

namespace {

static_assert(sizeof(ResultScreenState::entryName) >= sizeof(HighScoreEntry::name));

bool HasTable(int difficulty) { return difficulty >= 0 && difficulty < kHighScoreTables; }

}  // namespace

int RankScoreInTable(const HighScoreEntry table[kHighScoreEntries], int scoreLow, int scoreHigh) {
  for (int i = 0; i < kHighScoreEntries; ++i) {
    const HighScoreEntry& e = table[i];
    if (e.scoreHigh < scoreHigh || (e.scoreHigh == scoreHigh && e.scoreLow < scoreLow)) return i;
  }
  return -1;
}

int RankHighScore(const GameWorld* world) {
  if (!world || !HasTable(g_difficulty)) return -1;
  return RankScoreInTable(g_highScores[g_difficulty], world->player.scoreLow, world->player.scoreHigh);
}

bool StoreHighScore(GameWorld* world, int rank) {
  if (world && rank >= 0 && rank < kHighScoreEntries && HasTable(g_difficulty)) {
    HighScoreEntry* table = g_highScores[g_difficulty];
    for (int i = kHighScoreEntries - 1; i > rank; --i) table[i] = table[i - 1];
    HighScoreEntry& e = table[rank];
    const Player& p = world->player;
    e.scoreLow = p.scoreLow;
    e.scoreHigh = p.scoreHigh;
    e.item = p.gaugeTotal;
    e.miss = p.hitCount;
    std::memcpy(e.name, world->result.entryName, sizeof(e.name));
    e.stage = g_stage > 6 ? -1 : g_stage;  // an all clear is shown as "ALL"
  }
  // The table in memory keeps the entry even when the file cannot be written.
  return WriteHighScoreFile();
}

void CopyHighScoreName(const HighScoreEntry& entry, char out[9]) {
  std::memcpy(out, entry.name, sizeof(entry.name));
  out[8] = '\0';
}
