#pragma once
// One stage's script: the timed events of "st%02d.txt" (enemies, spawners, effects, stage flags
// and stage phases), the loader of that text format, and the runner that fires the events and
// moves the stage through its phases up to the next stage or the all clear.

#include <cstddef>
#include <cstdint>

class GameWorld;

enum StageEventType { EventEnemy = 0, EventSpawner = 1, EventEffect = 2, EventFlag = 3, EventPhase = 4 };

enum StagePhase {
  StagePhaseRunning = 0,
  StagePhaseWaitClear = 2,
  StagePhaseCleared = 3,
  StagePhaseStopped = 4,
};

constexpr int kStageEventEntries = 3;  // entries of each option kind per line
constexpr int kStageFlagCount = 16;
constexpr int kStageTokenMax = 255;
// A stage file larger than this is refused unread: real ones hold a few tens of kilobytes.
constexpr uint64_t kStageFileMaxBytes = 1u << 20;
constexpr int kStageClearWait = 180;  // frames in phase 3 before the next stage

// Float entry ids of the spawner jitters ("X", "Y", "A", "R").
constexpr int kJitterIdX = 1000;
constexpr int kJitterIdY = 1001;
constexpr int kJitterIdAngle = 1002;
constexpr int kJitterIdSpeed = 1003;

struct StageEvent {
  int32_t frame = 0;
  int32_t lineType = 0;
  int32_t kind = 0;
  int32_t amount = 0;
  int32_t selector = 0;
  int32_t interval = 0;
  int32_t spawnType = 0;
  float x = 0, y = 0;
  float vx = 0, vy = 0;
  float dx = 0, dy = 0;
  int32_t intIds[kStageEventEntries] = {};
  int32_t intValues[kStageEventEntries] = {};
  int32_t floatIds[kStageEventEntries] = {};
  int32_t intCount = 0;
  int32_t floatCount = 0;
  float floatValues[kStageEventEntries] = {};
  int32_t maxAlive = -1;
  int32_t difficultyCond = 0;
  int32_t flagIds[kStageEventEntries] = {};
  int32_t flagValues[kStageEventEntries] = {};
  int32_t flagCount = 0;
  float playerXCond = 0, playerYCond = 0;
};

class StageScript {
 public:
  int32_t lastFrame = 0;
  float lastX = 0, lastY = 0;
  float lastVx = 0, lastVy = 0;
  float lastDx = 0, lastDy = 0;
  StageEvent* events = nullptr;
  int32_t stageFrame = 0;
  int32_t eventCount = 0;
  int32_t nextEvent = 0;
  uint8_t flags[kStageFlagCount] = {};
  int32_t phase = 0;
  int32_t phaseFrames = 0;

  // Loads "st%02d.txt" (stage 1 reads st01.txt) from the current directory; a missing file
  // gives a stage without events.
  explicit StageScript(int stage);
  // An empty script; LoadFile or LoadBytes fill it (tools and tests).
  StageScript();
  ~StageScript();
  StageScript(const StageScript&) = delete;
  StageScript& operator=(const StageScript&) = delete;

  // False when the file is missing or cannot be used: anything but a regular file of at most
  // kStageFileMaxBytes is told on standard error ("wexla: PATH: REASON"). The script then has
  // no events.
  bool LoadFile(const char* path);
  // Parses a whole file image; reading ends at its end or at the first byte 0xFF.
  void LoadBytes(const uint8_t* data, size_t size);

  // Field parsers of the loader: they parse a token into event `index` and keep the previous
  // values that relative forms build on.
  void ParseFrame(int index, const char* token, bool relative);
  void ParseX(int index, const char* token, bool relative);
  void ParseY(int index, const char* token, bool relative);
  void ParseVx(int index, const char* token, bool relative);
  void ParseVy(int index, const char* token, bool relative);
  void ParseSpawnerDx(int index, const char* token, bool relative);
  void ParseSpawnerDy(int index, const char* token, bool relative);
  void ParseOption(int index, const char* token, int letter, int id);

 private:
  void Clear();
  void ParsePositional(int index, int field, const char* token, bool relative);
};

// Positional fields of each line type (e, g, f, b, s).
int StageFieldCount(int lineType);
// The line type a first byte selects, or -1 for a comment line.
int StageLineTypeOf(unsigned char c);

// The number readers of the stage format: like atoi and atof (leading blanks, an optional sign,
// decimal digits, for floats a fraction and an exponent), reading as far as the text is valid,
// without overflow: integers saturate at the 32-bit range, floats stay finite within +-1e38.
int32_t ReadStageInt(const char* s);
float ReadStageFloat(const char* s);

// "<" and ">" in an x or y field: just outside the left/top or right/bottom edge.
constexpr float kStageEdgeLow = -3.4028235e38f;
constexpr float kStageEdgeHigh = 3.4028235e38f;

// Advances the current stage by one frame (fires the due events, runs the stage phases, starts
// the next stage or the all clear). The Space key, read from the keyboard, restarts the events.
void RunStageScript(GameWorld* world);
// The same with the state of the Space key given.
void AdvanceStageScript(GameWorld* world, bool spaceHeld);
// The stage that follows: 1, 2, 5, 6, then 7 (the all clear).
int NextStageNumber(int stage);
// Writes a stage flag of the current script: nothing without a script or for an index outside
// 0..15 (the boss death sequences write flag 0).
void SetStageFlag(GameWorld* world, int index, int value);
