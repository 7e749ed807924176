#include "frontend/MenuScreens.h"

#include <cstdint>
#include <cstdio>

#include "app/FrameLoop.h"
#include "app/Settings.h"
#include "frontend/HighScore.h"
#include "frontend/Menus.h"
#include "frontend/ResultScreen.h"
#include "platform/Graphics.h"
#include "world/GameObject.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Renderer.h"
#include "world/SpriteTable.h"
#include "world/TextDrawer.h"

namespace {

constexpr int BoxGlyphRow = 105;
constexpr uint32_t White = 0xFFFFFFFFu;
constexpr uint32_t CursorBoxColor = 0xFF208030u;
constexpr uint32_t NameCursorBoxColor = 0xFF302080u;
constexpr uint32_t EnteredNameColor = 0xFFFFC080u;
constexpr uint32_t SlashColor = 0xFF5020FFu;

const char* const TitleItemTexts[kTitleItems] = {"GAME START", "  REPLAY  ", "  CONFIG  ", "   EXIT   "};
const char* const TitleArrows = "      \xB3\n\xB1           \xB2\n      \xB4";

const char* const ConfigRowLabels[kConfigItems] = {" BGM Volume", "  SE Volume", "     Attack", "       Slow",
                                                   "       Bomb", "Full screen", "     Rotate", "Exit"};
constexpr uint32_t ConfigHeadingColor = 0xFF60FF80u;
constexpr uint32_t ConfigLabelColor = 0xFFFFF080u;
constexpr uint32_t ConfigValueColor = 0xFFFF6080u;
constexpr float ConfigValueX = 132;

void DrawSprite(Graphics* gfx, int row, float x, float y, uint32_t argb) {
  ScreenVertex q[4];
  for (ScreenVertex& v : q) {
    v.z = 1.0f;
    v.rhw = 1.0f;
  }
  BuildSpriteQuad(q, row, x, y, argb);
  DrawCheckedQuad(gfx, g_spriteDefs[CheckedSpriteRow(row)].texture, q);
}

// Each channel scaled by f/40 in integers; the shadow also halves red, green and blue.
uint32_t FadeColor(uint32_t argb, int f, bool shadow) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int c = static_cast<int>((argb >> shift) & 0xFFu) * f / 40;
    if (shadow && shift < 24) c /= 2;
    out |= static_cast<uint32_t>(c) << shift;
  }
  return out;
}

void DrawNameEntry(Graphics* gfx, const ResultScreenState& r) {
  const int f = ClampInt(40 - r.resultStep, 0, 40);
  for (int i = 0; i < kNameGridCells; ++i) {
    const int column = i % kNameGridColumns;
    const int row = i / kNameGridColumns;
    const float x = static_cast<float>(column) * kNameGridCellWidth + r.gridX;
    const float y = static_cast<float>(row) * kNameGridCellHeight + r.gridY;
    const uint32_t c = column == r.cursorColumn && row == r.cursorRow ? r.highlightColor : r.normalColor;
    const int glyph = g_nameEntryGlyphs[i];
    gfx->SetBlendMode(BlendAlpha);
    DrawSprite(gfx, glyph, x + 1.0f, y + 1.0f, FadeColor(c, f, true));
    gfx->SetBlendMode(BlendAdditive);
    DrawSprite(gfx, glyph, x, y, FadeColor(c, f, false));
  }
  if (r.resultStep != 0) return;
  gfx->SetBlendMode(BlendAlpha);
  DrawText(gfx, 0, r.entryName, r.promptX, r.promptY, EnteredNameColor);
  gfx->SetBlendMode(BlendAdditive);
  DrawSprite(gfx, BoxGlyphRow, static_cast<float>(r.cursorColumn) * kNameGridCellWidth + r.gridX,
             static_cast<float>(r.cursorRow) * kNameGridCellHeight + r.gridY - 1.0f, CursorBoxColor);
  DrawSprite(gfx, BoxGlyphRow, static_cast<float>(r.nameCursor) * 11.0f + r.promptX + 1.0f, r.promptY,
             NameCursorBoxColor);
}

void DrawSaveQuestion(Graphics* gfx, const ResultScreenState& r) {
  const int choice = r.cursorColumn;
  gfx->SetBlendMode(BlendAlpha);
  DrawText(gfx, 0, "Yes", r.promptX, r.promptY, choice == 0 ? r.highlightColor : r.normalColor);
  DrawText(gfx, 0, "/", r.promptX + 33.0f, r.promptY, SlashColor);
  DrawText(gfx, 0, "No", r.promptX + 44.0f, r.promptY, choice == 1 ? r.highlightColor : r.normalColor);
  if (choice != 0 && choice != 1) return;
  gfx->SetBlendMode(BlendAdditive);
  const int letters = choice == 0 ? 3 : 2;
  for (int k = 0; k < letters; ++k) {
    DrawSprite(gfx, BoxGlyphRow, static_cast<float>(k + 4 * choice) * 11.0f + r.promptX + 1.0f, r.promptY - 1.0f,
               CursorBoxColor);
  }
}

void DrawRowLabels(Graphics* gfx, int first, int last) {
  for (int row = first; row <= last; ++row) DrawText(gfx, 0, ConfigRowLabels[row], 0, kConfigRowY[row], ConfigLabelColor);
}

}  // namespace

void DrawTitleScreen(Graphics* gfx, GameWorld*) {
  char line[272];  // a label and the longest name
  gfx->SetBlendMode(BlendAlpha);
  DrawText(gfx, 0, "WEXLA ver.20090714", 0, 0, White);
  std::snprintf(line, sizeof line, "DIFFICULTY : %s", g_difficultyNames[ClampInt(g_difficulty, 0, 15)]);
  DrawText(gfx, 0, line, 0, 18, 0xFF40FF80u);
  DrawText(gfx, 0, "   Score        Item   Miss St.", 0, 36, 0xFF80FF40u);
  if (g_difficulty >= 0 && g_difficulty < kHighScoreTables) {
    const HighScoreEntry* table = g_highScores[g_difficulty];
    for (int i = 0; i < kHighScoreEntries; ++i) {
      const HighScoreEntry& e = table[i];
      char name[9];
      CopyHighScoreName(e, name);
      const float y = 54.0f + 36.0f * static_cast<float>(i);
      std::snprintf(line, sizeof line, "%s %s", g_rankOrdinals[i], name);
      DrawText(gfx, 0, line, 0, y, 0xFFFF8070u);
      char stage[16];
      if (e.stage == -1) {
        std::snprintf(stage, sizeof stage, "ALL");
      } else {
        std::snprintf(stage, sizeof stage, "%02d ", e.stage);
      }
      std::snprintf(line, sizeof line, "   %04d%08d %06d %04d %s", e.scoreHigh, e.scoreLow, e.item, e.miss, stage);
      DrawText(gfx, 0, line, 0, y + 18.0f, 0xFFC0FFE0u);
    }
  }
  if (g_menuCursor >= 0 && g_menuCursor < kTitleItems) DrawText(gfx, 0, TitleItemTexts[g_menuCursor], 121, 441, White);
  if ((g_sceneFrame / 50) % 2 == 0) DrawText(gfx, 0, TitleArrows, 105, 421, White);  // blinks every 50 frames
}

void DrawConfigScreen(Graphics* gfx, GameWorld*) {
  char line[64];
  gfx->SetBlendMode(BlendAlpha);
  DrawText(gfx, 0, "Configuration", 0, 0, White);
  DrawText(gfx, 0, "[Sound setting]", 0, 36, ConfigHeadingColor);
  DrawRowLabels(gfx, ConfigItemBgmVolume, ConfigItemSeVolume);
  for (int row = ConfigItemBgmVolume; row <= ConfigItemSeVolume; ++row) {
    const int volume = row == ConfigItemBgmVolume ? g_bgmVolume : g_seVolume;
    std::snprintf(line, sizeof line, "%3d", volume / 100);
    DrawText(gfx, 0, line, ConfigValueX, kConfigRowY[row], ConfigValueColor);
  }
  DrawText(gfx, 0, "[Joystick setting]", 0, 126, ConfigHeadingColor);
  DrawRowLabels(gfx, ConfigItemAttack, ConfigItemBomb);
  // The slots, not the live map: a button given on the command line is not shown.
  for (int row = ConfigItemAttack; row <= ConfigItemBomb; ++row) {
    const int button = g_config[ConfigPadMap + row - ConfigItemAttack];
    if (button == -1) {
      std::snprintf(line, sizeof line, " --");
    } else {
      std::snprintf(line, sizeof line, " %02d", button);
    }
    DrawText(gfx, 0, line, ConfigValueX, kConfigRowY[row], ConfigValueColor);
  }
  DrawText(gfx, 0, "[Screen setting]", 0, 234, ConfigHeadingColor);
  DrawText(gfx, 0, "  These setting is effective\n               from next time.", 0, 252, 0xFFD0E0F0u);
  DrawRowLabels(gfx, ConfigItemFullscreen, ConfigItemRotate);
  for (int row = ConfigItemFullscreen; row <= ConfigItemRotate; ++row) {
    const int slot = row == ConfigItemFullscreen ? ConfigFullscreen : ConfigRotate;
    DrawText(gfx, 0, g_config[slot] == 1 ? "enabled" : "disabled", ConfigValueX, kConfigRowY[row], ConfigValueColor);
  }
  DrawRowLabels(gfx, ConfigItemExit, ConfigItemExit);

  if (g_menuCursor < 0 || g_menuCursor >= kConfigItems) return;
  gfx->SetBlendMode(BlendAdditive);
  for (int i = 0; i < 32; ++i)
    DrawSprite(gfx, BoxGlyphRow, 1.0f + 11.0f * static_cast<float>(i), kConfigRowY[g_menuCursor] - 1.0f,
               CursorBoxColor);
}

void DrawResultDialog(Graphics* gfx, GameWorld* world) {
  if (!world) return;
  const ResultScreenState& r = world->result;
  switch (r.resultPhase) {
    case ResultPhaseNameEntry: DrawNameEntry(gfx, r); break;
    case ResultPhaseAskSave: DrawSaveQuestion(gfx, r); break;
    default: break;
  }
}
