#pragma once
// The result screen: the game's start parameters and stage results as flying glyphs, the rank,
// the name entry on a 26 x 4 glyph grid and the question whether to keep the replay.

#include <cstdint>

class GameWorld;
class SoundSystem;
class Effect;

enum ResultPhase {
  ResultPhaseNone = 0,
  ResultPhaseNameEntry = 1,
  ResultPhaseAskSave = 2,
  ResultPhaseSaved = 3,
  ResultPhasePlayback = 4,
  ResultPhaseClosing = 9,
};

enum ResultStep {
  ResultStepReveal = -3,
  ResultStepRanked = -2,
  ResultStepSetup = -1,
  ResultStepInteractive = 0,  // 1..40 after END in the name entry (the grid fades), 0..7 closing
};

constexpr int kNameGridColumns = 26;
constexpr int kNameGridRows = 4;
constexpr int kNameGridCells = kNameGridColumns * kNameGridRows;
constexpr int kNameGridBackColumn = 24;  // BACK and END lie in the last row
constexpr int kNameGridEndColumn = 25;
constexpr float kNameGridCellWidth = 13.0f;
constexpr float kNameGridCellHeight = 18.0f;
constexpr int kEntryNameLength = 8;
constexpr float kPromptHidden = -65536.0f;

struct ResultScreenState {
  int resultPhase = ResultPhaseNone;
  float promptX = kPromptHidden, promptY = kPromptHidden;  // where the name or Yes/No is drawn
  float gridX = 0, gridY = 0;
  int cursorColumn = 0;  // in the save question the answer: 0 Yes, 1 No, -1 none yet
  int cursorRow = 0;
  uint32_t highlightColor = 0xFF607090u;
  uint32_t normalColor = 0xFFB09080u;
  int cursorIdleFrames = 0;
  int resultStep = ResultStepReveal;
  // Eight characters and terminators; kept from game to game, blanks at start-up.
  char entryName[12] = "        ";
  int nameCursor = 0;
  uint8_t nameEntered = 0;
  uint8_t saveChosen = 0;
  // Whether the numbered replay was really written: the file name is shown only then.
  uint8_t saveSucceeded = 0;
};

extern int g_resultRank;        // rank 0..9 in the table of g_difficulty, -1 none
extern int g_resultTextLength;  // glyphs of the first frame's text
extern int g_resultTimer;       // frames since the first frame
extern float g_textCursorX;     // where the next glyph goes
extern float g_textCursorY;

// One glyph effect per byte of text, appended to the effect list, circling in from 300..400 px
// and fading in after a delay of half its running glyph count. Advances the count and the
// cursor (11 px a glyph; a newline goes to x 6 on the next line, 18 px down).
void SpawnTextEffects(const char* text, int* glyphCount, float* x, float* y, uint32_t argb, Effect** head,
                      Effect** tail, int32_t* count);

// The ranking music of a rank: BgmRanking1 + rank for ranks 0..3, BgmRanking5 for the others
// and for an unranked game (all five play the same track).
int ResultMusicId(int rank);

// Logic of the result scene, once per frame.
void RunResultScreen(GameWorld* world, SoundSystem* sound);
