#include "frontend/ResultScreen.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/FrameLoop.h"
#include "frontend/HighScore.h"
#include "frontend/Menus.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"
#include "world/TextDrawer.h"

int g_resultRank = -1;
int g_resultTextLength = 0;
int g_resultTimer = 0;
float g_textCursorX = 6.0f;
float g_textCursorY = 9.5f;

namespace {

constexpr int CentredFontRow = 1024;
constexpr int TextGlyphLifetime = 0x7FFFFFFF;
constexpr int CursorGlyphLifetime = 40;
constexpr int CursorIdleLimit = 20;
constexpr int RevealTail = 62;        // frames the last glyph needs to stand in place
constexpr int NameFadeFrames = 40;
constexpr int ClosingFrames = 6;
constexpr int ImmediateGlyphCount = -65535;  // negative delays: the glyphs appear at once
constexpr float LineStartX = 6.0f;
constexpr float GlyphCentreY = 9.5f;

constexpr uint32_t HeadingColor = 0xFFFFA020u;
constexpr uint32_t LabelColor = 0xFF50FF30u;
constexpr uint32_t ValueColor = 0xFFE0F0FFu;
constexpr uint32_t SeparatorColor = 0xFF5020FFu;
constexpr uint32_t TotalColor = 0xFFE0FF60u;
constexpr uint32_t DialogColor = 0xFFFF5060u;

const char* const AnswerTexts[2] = {"Yes", "No"};

int GlyphForByte(unsigned char b) {
  if (b >= 32 && b <= 127) return b - 32;
  if (b >= 0xB1 && b <= 0xCE) return b - 81;
  return 0;
}

void Spawn(GameWorld* world, const char* text, int* glyphCount, uint32_t argb) {
  EffectList& l = world->effects;
  SpawnTextEffects(text, glyphCount, &g_textCursorX, &g_textCursorY, argb, &l.head, &l.tail, &l.count);
}

// printf into a line first: no text of the game or of a file is ever used as a format.
template <class... Args>
void SpawnFormatted(GameWorld* world, int* glyphCount, uint32_t argb, const char* format, Args... args) {
  char line[256];
  std::snprintf(line, sizeof line, format, args...);
  Spawn(world, line, glyphCount, argb);
}

// Every glyph snaps to its place.
void SnapAllGlyphs(GameWorld* world) {
  for (Effect* e = world->effects.head; e; e = e->next) e->orbitRadius = 0.0f;
}

void SpawnCursorGlyph(GameWorld* world, float x, float y, int glyph) {
  const ResultScreenState& r = world->result;
  Effect* e = ConstructEffect(world, EffectPlain, x, y, 0.0f, 0.0f, CursorGlyphLifetime);
  e->SetObjectSprite(CentredFontRow + glyph);
  e->startScaleX = 1.0f;
  e->startScaleY = 1.0f;
  e->endScaleX = 2.0f;
  e->endScaleY = 2.0f;
  e->startColor = r.highlightColor;
  e->endColor = 0;
}

int CellGlyph(int column, int row) {
  const int i = ClampInt(row, 0, kNameGridRows - 1) * kNameGridColumns + ClampInt(column, 0, kNameGridColumns - 1);
  return g_nameEntryGlyphs[i];
}

bool CursorOn(const ResultScreenState& r, int column) {
  return r.cursorColumn == column && r.cursorRow == kNameGridRows - 1;
}

void JumpToEnd(ResultScreenState& r) {
  r.cursorColumn = kNameGridEndColumn;
  r.cursorRow = kNameGridRows - 1;
}

bool Pressed(int input) { return g_inputHeldFrames[input] == 1; }
bool EscapePressedOrHeld() { return g_inputHeldFrames[InputEscape] == 1 || g_inputHeldFrames[InputEscape] > 20; }

void LeaveToTitle(GameWorld* world) {
  world->Reset();
  g_scene = SceneTitle;
  g_sceneFrame = 0;
}

// The numbered replay under the entry name; remembers whether it was really written.
void SaveKeptReplay(GameWorld* world) {
  SetRecorderPlayerName(world, world->result.entryName);
  world->result.saveSucceeded = SaveNumberedReplay(world) ? 1 : 0;
}

void PromptAtTextCursor(ResultScreenState& r) {
  r.promptX = g_textCursorX - LineStartX;
  r.promptY = g_textCursorY - GlyphCentreY;
}

void TextCursorToPrompt(const ResultScreenState& r) {
  g_textCursorX = r.promptX + LineStartX;
  g_textCursorY = r.promptY + GlyphCentreY;
}

void ResetDialogColors(ResultScreenState& r) {
  r.highlightColor = 0xFF607090u;
  r.normalColor = 0xFFB09080u;
}

void SpawnStartParameters(GameWorld* world, int* n) {
  const Player& p = world->player;
  const PlayerStartParams& s = p.startParams;
  Spawn(world, "Initial Parameters\n", n, HeadingColor);
  Spawn(world, "Mode       ", n, LabelColor);
  Spawn(world, "Standard\n", n, ValueColor);
  Spawn(world, "Difficulty ", n, LabelColor);
  SpawnFormatted(world, n, ValueColor, "%s\n", g_difficultyNames[ClampInt(s.difficulty, 0, 15)]);
  Spawn(world, "\xB6/Pow/\xB7/\xB8  ", n, LabelColor);
  SpawnFormatted(world, n, ValueColor, "%3d ", s.lives);
  Spawn(world, "/ ", n, SeparatorColor);
  SpawnFormatted(world, n, ValueColor, "%3d ", s.power);
  Spawn(world, "/ ", n, SeparatorColor);
  SpawnFormatted(world, n, ValueColor, "%3d", s.shields);
  Spawn(world, "/ ", n, SeparatorColor);
  SpawnFormatted(world, n, ValueColor, "%3d\n", s.bombs);
  Spawn(world, "Option     ", n, LabelColor);
  SpawnFormatted(world, n, ValueColor, "%3d ", s.optionCount);
  Spawn(world, "- ", n, SeparatorColor);
  // The start type is named even when the game started without options.
  SpawnFormatted(world, n, ValueColor, "%s\n", g_optionTypeNames[ClampInt(s.optionType + 1, 0, 24)]);
  if (g_replayPlayback) {
    char name[9];
    CopyReplayPlayerName(world->playback, name);
    Spawn(world, "Player     ", n, LabelColor);
    SpawnFormatted(world, n, ValueColor, "%s\n", name);
  }
}

void SpawnStageResults(GameWorld* world, int* n) {
  const Player& p = world->player;
  Spawn(world, "\nStage Result\n", n, HeadingColor);
  Spawn(world, "               Score   Item Miss\n", n, LabelColor);
  const int last = MinInt(g_stage, PlayerStageRecordCount - 1);
  for (int s = 1; s <= last; ++s) {
    const StageScoreRecord& sc = p.stageScore[s];
    const int64_t sum = static_cast<int64_t>(sc.low) + sc.high + p.stageGaugeTotal[s] + p.stageHitCount[s];
    if (sum == 0) continue;  // a stage never played (3 and 4 lie outside the stage order)
    SpawnFormatted(world, n, LabelColor, "Stage%2d ", s);
    SpawnFormatted(world, n, ValueColor, "%04d%08d %6d %4d\n", sc.high, sc.low, p.stageGaugeTotal[s],
                   p.stageHitCount[s]);
  }
  Spawn(world, "Total   ", n, HeadingColor);
  SpawnFormatted(world, n, TotalColor, "%04d%08d %6d %4d\n\n", p.scoreHigh, p.scoreLow, p.gaugeTotal, p.hitCount);
}

void RunFirstFrame(GameWorld* world, SoundSystem* sound) {
  ResultScreenState& r = world->result;
  g_resultTextLength = 0;
  g_resultTimer = 0;
  g_resultRank = -1;
  g_textCursorX = LineStartX;
  g_textCursorY = GlyphCentreY;
  r.nameEntered = 0;
  r.saveChosen = 0;
  r.saveSucceeded = 0;
  r.resultPhase = ResultPhaseNone;

  int n = 0;
  SpawnStartParameters(world, &n);
  SpawnStageResults(world, &n);
  g_resultTextLength = n;
  g_resultTimer = 0;

  g_resultRank = RankHighScore(world);
  if (sound) sound->PlayBgm(ResultMusicId(g_resultRank));
  if (!g_replayPlayback) {
    SetRecorderPlayerName(world, "(latest)");
    SaveLatestReplay(world);
  }
  r.resultStep = ResultStepReveal;
}

void RunReveal(GameWorld* world) {
  const int complete = g_resultTextLength + RevealTail;
  if (Pressed(InputShot) || Pressed(InputEscape) || g_resultTimer >= complete) {
    for (Effect* e = world->effects.head; e; e = e->next) e->effectAge = complete;
    g_resultTimer = complete;
    world->result.resultStep = ResultStepRanked;
  }
}

void RunRanked(GameWorld* world) {
  ResultScreenState& r = world->result;
  if (g_replayPlayback) {
    r.resultPhase = ResultPhasePlayback;
  } else if (g_resultRank < 0) {
    r.resultPhase = ResultPhaseAskSave;
    StoreHighScore(world, -1);  // nothing inserted; the file is rewritten
  } else {
    r.resultPhase = ResultPhaseNameEntry;
    int n = 0;
    Spawn(world, "Rank in ", &n, DialogColor);
    SpawnFormatted(world, &n, DialogColor, "%s ! \n", g_rankOrdinals[ClampInt(g_resultRank, 0, 9)]);
  }
  r.resultStep = ResultStepSetup;
}

// The dialog line of a phase: its label, then the prompt position, then room for the grid.
void SetUpDialog(GameWorld* world, const char* label) {
  ResultScreenState& r = world->result;
  int n = 0;
  Spawn(world, label, &n, DialogColor);
  PromptAtTextCursor(r);
  Spawn(world, "\n", &n, DialogColor);
  ResetDialogColors(r);
  r.cursorIdleFrames = 0;
  g_textCursorX = LineStartX;
  g_textCursorY += 36.0f;
  SnapAllGlyphs(world);
}

void RunSetup(GameWorld* world) {
  ResultScreenState& r = world->result;
  switch (r.resultPhase) {
    case ResultPhaseNameEntry: {
      int n = 0;
      Spawn(world, "    Entry Name : ", &n, DialogColor);
      PromptAtTextCursor(r);
      Spawn(world, "\n", &n, DialogColor);
      r.gridX = g_textCursorX;
      r.gridY = g_textCursorY;
      r.cursorColumn = 0;
      r.cursorRow = 0;
      ResetDialogColors(r);
      r.cursorIdleFrames = 0;
      r.nameCursor = 0;
      g_textCursorX = LineStartX;
      g_textCursorY += 36.0f;
      SnapAllGlyphs(world);
      break;
    }
    case ResultPhaseAskSave:
      SetUpDialog(world, "Save replay ? ");
      r.cursorColumn = -1;
      break;
    case ResultPhaseSaved: {
      // The name only for a file really written; a failure says so in the same place.
      int n = 0;
      const std::string line =
          std::string(r.saveSucceeded ? "Filename : " : "Save failed : ") + world->replayFileName;
      Spawn(world, line.c_str(), &n, DialogColor);
      break;
    }
    default:
      break;
  }
  r.resultStep = ResultStepInteractive;
}

void RunNameEntry(GameWorld* world) {
  ResultScreenState& r = world->result;
  if (r.resultStep != 0) {
    r.resultStep += 1;
    if (r.resultStep > NameFadeFrames) {
      if (!r.saveChosen) {
        r.promptX = kPromptHidden;
        r.promptY = kPromptHidden;
        r.resultPhase = ResultPhaseAskSave;
      } else {
        r.resultPhase = ResultPhaseSaved;
      }
      r.resultStep = ResultStepSetup;
    }
    return;
  }

  const int startColumn = r.cursorColumn;
  const int startRow = r.cursorRow;
  const int left = MenuKeyCounts(InputLeft) ? 1 : 0;
  const int right = MenuKeyCounts(InputRight) ? 1 : 0;
  const int up = MenuKeyCounts(InputUp) ? 1 : 0;
  const int down = MenuKeyCounts(InputDown) ? 1 : 0;
  r.cursorColumn = PositiveModulo(r.cursorColumn + 25 * left + right, kNameGridColumns);
  r.cursorRow = PositiveModulo(r.cursorRow + 3 * up + down, kNameGridRows);

  r.cursorIdleFrames += 1;
  if (r.cursorColumn != startColumn || r.cursorRow != startRow || r.cursorIdleFrames > CursorIdleLimit) {
    SpawnCursorGlyph(world, static_cast<float>(r.cursorColumn) * kNameGridCellWidth + r.gridX + 6.0f,
                     static_cast<float>(r.cursorRow) * kNameGridCellHeight + r.gridY + GlyphCentreY,
                     CellGlyph(r.cursorColumn, r.cursorRow));
    r.cursorIdleFrames = 0;
  }

  bool storedThisFrame = false;
  if (Pressed(InputShot)) {
    if (CursorOn(r, kNameGridEndColumn)) {
      TextCursorToPrompt(r);
      int n = ImmediateGlyphCount;
      Spawn(world, r.entryName, &n, DialogColor);
      SnapAllGlyphs(world);
      g_textCursorX = LineStartX;
      g_textCursorY += 36.0f;
      r.nameEntered = 1;
      StoreHighScore(world, g_resultRank);
      storedThisFrame = true;
      if (r.saveChosen) SaveKeptReplay(world);
      r.resultStep = 1;  // the grid fades
    } else if (CursorOn(r, kNameGridBackColumn)) {
      r.nameCursor = MaxInt(r.nameCursor - 1, 0);  // the character stays
    } else {
      const int at = ClampInt(r.nameCursor, 0, kEntryNameLength - 1);
      r.entryName[at] = static_cast<char>(CellGlyph(r.cursorColumn, r.cursorRow) + 32);
      if (at == kEntryNameLength - 1) JumpToEnd(r);
      r.nameCursor = MinInt(at + 1, kEntryNameLength - 1);
    }
  }

  if (EscapePressedOrHeld()) {
    if (CursorOn(r, kNameGridEndColumn)) {
      // Z on END in the same frame has stored the score already.
      if (!r.saveChosen && !storedThisFrame) StoreHighScore(world, g_resultRank);
      LeaveToTitle(world);
    } else {
      JumpToEnd(r);
    }
  }
}

void RunAskSave(GameWorld* world) {
  ResultScreenState& r = world->result;
  if (r.resultStep != 0) return;
  const int startChoice = r.cursorColumn;
  const int d = (MenuKeyCounts(InputRight) ? 1 : 0) - (MenuKeyCounts(InputLeft) ? 1 : 0);
  if (d != 0) {
    if (r.cursorColumn < 0 || r.cursorColumn > 1) {
      r.cursorColumn = d < 0 ? 0 : 1;
    } else {
      r.cursorColumn = 1 - r.cursorColumn;
    }
  }

  const bool chosen = r.cursorColumn == 0 || r.cursorColumn == 1;
  r.cursorIdleFrames += 1;
  if (chosen && (r.cursorColumn != startChoice || r.cursorIdleFrames > CursorIdleLimit)) {
    const char* answer = AnswerTexts[r.cursorColumn];
    for (int k = 0; answer[k] != '\0'; ++k) {
      SpawnCursorGlyph(world, static_cast<float>(k + 4 * r.cursorColumn) * 11.0f + r.promptX + 6.0f,
                       r.promptY + GlyphCentreY, static_cast<unsigned char>(answer[k]) - 32);
    }
    r.cursorIdleFrames = 0;
  }

  if (Pressed(InputShot) && chosen) {
    TextCursorToPrompt(r);
    const char* answer = AnswerTexts[r.cursorColumn];
    if (r.cursorColumn == 0) {
      r.saveChosen = 1;
      if (!r.nameEntered) {
        r.resultPhase = ResultPhaseNameEntry;  // the name for the file first
      } else {
        SaveKeptReplay(world);
        r.resultPhase = ResultPhaseSaved;
      }
    } else {
      r.resultPhase = ResultPhaseClosing;
      g_textCursorX += 44.0f;
    }
    r.resultStep = ResultStepSetup;
    int n = ImmediateGlyphCount;
    Spawn(world, answer, &n, DialogColor);
    SnapAllGlyphs(world);
    g_textCursorX = LineStartX;
    g_textCursorY += 18.0f;
  }

  if (EscapePressedOrHeld()) LeaveToTitle(world);
}

void RunSavedOrPlayback(GameWorld* world) {
  ResultScreenState& r = world->result;
  if (Pressed(InputShot)) {
    r.resultPhase = ResultPhaseClosing;
    r.resultStep = ResultStepSetup;
  }
  if (EscapePressedOrHeld()) LeaveToTitle(world);
}

void RunClosing(GameWorld* world) {
  ResultScreenState& r = world->result;
  r.resultStep += 1;
  if (r.resultStep > ClosingFrames) {
    LeaveToTitle(world);
    return;
  }
  if (EscapePressedOrHeld()) LeaveToTitle(world);
}

}  // namespace

void SpawnTextEffects(const char* text, int* glyphCount, float* x, float* y, uint32_t argb, Effect** head,
                      Effect** tail, int32_t* count) {
  for (const char* p = text; *p != '\0'; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    const int glyph = GlyphForByte(b);
    Effect* e = ConstructEffect(EffectTextGlyph, head, tail, count, *x, *y, 0.0f, 0.0f, TextGlyphLifetime);
    e->SetObjectSprite(CentredFontRow + glyph);
    e->orbitAngle = RandomFloat(360.0f);
    const int sign = 2 * RandomInt(2) - 1;
    const float distance = RandomFloat(100.0f) + 300.0f;
    e->orbitRadius = static_cast<float>(sign) * distance;
    e->orbitAngleVel = 3.0f;
    e->orbitAngleVelFactor = 1.0f;
    e->startColor = argb;
    e->endColor = argb;
    e->params[0] = *glyphCount / 2;
    e->SetParamFloat(3, 8.0f);
    e->SetParamFloat(4, RandomFloat(360.0f));
    const float swayStep = RandomFloat(0.8f) + 2.6f;
    e->SetParamFloat(5, swayStep);
    *glyphCount += 1;
    *x += 11.0f;
    if (b == '\n') {
      *x = LineStartX;
      *y += 18.0f;
    }
  }
}

int ResultMusicId(int rank) { return rank >= 0 ? BgmRanking1 + MinInt(rank, 4) : BgmRanking5; }

void RunResultScreen(GameWorld* world, SoundSystem* sound) {
  if (!world) return;
  if (g_sceneFrame <= 1) {
    RunFirstFrame(world, sound);  // the steps start on the second frame
    return;
  }
  g_resultTimer += 1;
  ResultScreenState& r = world->result;
  switch (r.resultStep) {
    case ResultStepReveal: RunReveal(world); break;
    case ResultStepRanked: RunRanked(world); break;
    case ResultStepSetup: RunSetup(world); break;
    default:
      if (r.resultStep < ResultStepReveal) break;
      switch (r.resultPhase) {
        case ResultPhaseNameEntry: RunNameEntry(world); break;
        case ResultPhaseAskSave: RunAskSave(world); break;
        case ResultPhaseSaved:
        case ResultPhasePlayback: RunSavedOrPlayback(world); break;
        case ResultPhaseClosing: RunClosing(world); break;
        default: break;
      }
      break;
  }
}
