#pragma once
// Replays: every game is recorded as run-length coded input masks behind a 640-byte header that
// holds the start parameters, the random generator's state and the results. Playing the masks
// back from the same start reproduces the game, because all randomness of play comes from the
// table walk whose state the header keeps.

#include <cstdint>

class GameWorld;

constexpr int kReplayHeaderBytes = 640;
constexpr int kReplayHeaderWords = 160;
constexpr int kReplayBufferWords = 200000;
// The buffer keeps room for the 160 zero words written behind the runs.
constexpr int kReplayMaxEndIndex = kReplayBufferWords - kReplayHeaderWords;  // 199840
constexpr uint32_t kReplayMagic = 0x53454444;  // "DDES"
constexpr uint32_t kReplayVersion = 0x20090714;
constexpr int kReplayRunShift = 12;
constexpr uint32_t kReplayMaskBits = 0xFFF;
constexpr uint32_t kReplayMaxRunLength = 0xFFFFF;  // 20 bits
constexpr int kReplayInputFlags = 11;              // Left, Right, Up, Down, Z, X, C, V, B, N, M

// Byte offsets in the header (little-endian words and single bytes).
enum ReplayHeaderOffset {
  ReplayOffsetMagic = 0,
  ReplayOffsetVersion = 4,
  ReplayOffsetKey1 = 8,
  ReplayOffsetKey2 = 9,
  ReplayOffsetName = 12,  // eight characters, no terminator
  ReplayOffsetScoreLow = 84,
  ReplayOffsetScoreHigh = 88,
  ReplayOffsetFrames = 92,
  ReplayOffsetEndIndex = 96,
  ReplayOffsetDifficulty = 100,
  ReplayOffsetStartPower = 102,
  ReplayOffsetEndPower = 103,
  ReplayOffsetStartStage = 104,
  ReplayOffsetEndStage = 105,
  ReplayOffsetStartLives = 106,
  ReplayOffsetEndLives = 107,
  ReplayOffsetStartShields = 108,
  ReplayOffsetEndShields = 109,
  ReplayOffsetStartBombs = 110,
  ReplayOffsetEndBombs = 111,
  ReplayOffsetGrazeCount = 136,
  ReplayOffsetClassLevels = 140,  // six bytes, option colours 0..5
  ReplayOffsetHeaderWords = 156,
  ReplayOffsetRunShift = 160,
  ReplayOffsetSeedIndex = 164,
  ReplayOffsetRandomIndex = 168,
  ReplayOffsetRandomStep = 172,
  ReplayOffsetChecksum1 = 504,
  ReplayOffsetChecksum2 = 508,
};

// Scrambled bytes of the header in a file; the checksums cover 12..111 and 112..503.
constexpr int kReplayScrambleBegin = 12;
constexpr int kReplayScrambleEnd = 504;

class ReplayData {
 public:
  uint8_t header[kReplayHeaderBytes] = {};  // the plain header image
  uint32_t* runBuffer = nullptr;  // words 0..159: header copy when saving or loading; runs from 160
  int index = kReplayHeaderWords;  // recording: next word to write; playback: word being played
  int currentMask = -1;            // recording: mask of the run in progress, -1 none
  int runCount = 0;  // recording: length of the run in progress; playback: frames played of the word
  bool headerFinished = false;  // the results are in: closing the recording again changes nothing

  ReplayData() = default;
  ~ReplayData();
  ReplayData(const ReplayData&) = delete;
  ReplayData& operator=(const ReplayData&) = delete;

  // One frame of recording; a mask of -1 ends the run in progress.
  void RecordInput(int mask);
  void FlushRecording();
  // One frame of playback: flags[i] = bit i of the mask, i = 0..10.
  void ReadInput(int flags[kReplayInputFlags]);

  // These work on the header copy in words 0..159 of the run buffer, not on the header image.
  void WriteChecksums();
  void ScrambleHeader();
  void UnscrambleHeader();
  bool ChecksumsBad() const;
};

extern int g_replayKey1;         // 1..255, drawn by the title menu at every game start
extern int g_replayKey2;
extern uint8_t g_replayPlayback;  // 1 while the game input comes from the playback replay

// Header fields as little-endian words in a byte image.
uint32_t GetReplayWord(const uint8_t* bytes, int offset);
void PutReplayWord(uint8_t* bytes, int offset, uint32_t value);

// Fills the recording replay's header and gives it a new zeroed run buffer (every game start).
void BeginReplayRecording(GameWorld* world);
// The results into the recording header (first frame of the game-end scene). A second call
// after the first changes nothing.
void FinishReplayHeader(GameWorld* world);
// FlushRecording and FinishReplayHeader of the recording replay, with gameFrame as the frames of
// the game: g_gameFrame on the game-end scene's first frame, or g_gameFrame + 1 when a Z or
// Escape press leaves for the result screen before that frame runs. Harmless when the recording
// is already closed or there is none.
void CloseReplayRecording(GameWorld* world, int gameFrame);

// Up to eight name bytes into the recording header (a shorter text is padded with zero bytes).
void SetRecorderPlayerName(GameWorld* world, const char* name);
void CopyEntryNameToRecorder(GameWorld* world);
// The eight name bytes of a replay's header with a terminator; empty when there is no replay.
void CopyReplayPlayerName(const ReplayData* replay, char out[9]);

// Writes the recording replay through a temporary file renamed over the old one. Returns false
// (and writes nothing) without a recording run buffer or when the write fails.
bool SaveReplay(GameWorld* world, const char* path);
bool SaveLatestReplay(GameWorld* world);  // "replay.dat"; a failure is told on standard error
// The first "replay%04d.dat" that no directory entry matches, into the world's replayFileName.
// Returns false when all 10000 names are taken (the name is then "replay9999.dat").
bool ChooseReplayFileName(GameWorld* world);
// ChooseReplayFileName, then SaveReplay to the chosen name; false when either fails (with every
// name taken nothing is written, so no kept replay is overwritten).
bool SaveNumberedReplay(GameWorld* world);

// Replaces the playback replay and loads path into it. A file that cannot be opened, is shorter
// than its header, fails a checksum or holds a field out of range is bad: false, nothing restored
// and g_replayPlayback 0. A good file restores the difficulty, the stage, the player's power,
// shields, bombs and option class levels and the random state, and sets g_replayPlayback.
bool LoadPlaybackReplay(GameWorld* world, const char* path);
