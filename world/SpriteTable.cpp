#include "world/SpriteTable.h"

#include <cmath>
#include <cstring>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "platform/SoundSystem.h"
#include "world/GameObject.h"
#include "world/MathUtil.h"

SpriteDef g_spriteDefs[kSpriteRowCount];
char g_optionTypeNames[25][256];
int32_t g_optionFirePeriod[25];
uint32_t g_bulletColors[16];
char g_difficultyNames[16][256];
uint8_t g_nameEntryGlyphs[104];
char g_rankOrdinals[10][8];
int32_t g_shotPatternByPower[21];

namespace {

float CornerDistance(float x, float y) { return std::sqrt(x * x + y * y); }

void SetRadii(SpriteDef& d, const float* xs, const float* ys) {
  float big = 0, small = 0;
  for (int i = 0; i < 4; ++i) {
    float r = CornerDistance(xs[i] - d.pivotX, ys[i] - d.pivotY);
    if (i == 0 || r > big) big = r;
    if (i == 0 || r < small) small = r;
  }
  d.radius = big;
  d.innerRadius = small;
}

void SetBoundFromCorners(SpriteDef& d) {
  float big = 0;
  for (int i = 0; i < 4; ++i) big = MaxFloat(big, CornerDistance(d.hitCorners[2 * i], d.hitCorners[2 * i + 1]));
  d.boundRadius = big;
}

void CopyName(char* out, const char* name) {
  // A plain copy: names are never used as a format.
  std::strncpy(out, name, 255);
  out[255] = '\0';
}

void DefineSpriteRows() {
  std::memset(static_cast<void*>(g_spriteDefs), 0, sizeof(g_spriteDefs));
  int row;
  // Font, row = character code - 32.
  row = -1;
  for (int k = 0; k < 96; ++k)
    row = DefineSprite(row, 0, 362.5f + 13 * (k % 16), 0.5f + 20 * (k / 16), 12, 19, 0, 0, 0);
  // Extra glyphs: arrows, BACK and END, HUD icons, box.
  for (int k = 0; k < 30; ++k)
    row = DefineSprite(row, 0, 570.5f + 13 * (k % 5), 0.5f + 20 * (k / 5), 12, 19, 0, 0, 0);
  // Game-over banner, then the empty row.
  row = DefineSprite(125, 1, 385, 115, 180, 29, 90, 14.5f, 0);
  row = DefineSprite(126, 0, 0, 0, 0, 0, 0, 0, 0);
  // Player ship frames.
  for (int k = 0; k < 10; ++k) {
    row = DefineSprite(row, 0, 1.15f + 34 * (k % 5), 1.15f + 34 * (k / 5), 32.7f, 32.7f, 16, 16, 0);
    SetSpriteHitRect(row, 14, 14, 4, 4);
  }
  // Main shots of sizes 1..5.
  {
    const int a[5] = {0, 1, 1, 2, 3};
    const int w[5] = {23, 29, 30, 30, 32};
    float u = 171.15f;
    for (int k = 0; k < 5; ++k) {
      // The anchor's x is the width halved in integers: 11 for the odd width 23, 14 for 29.
      row = DefineSprite(row, 0, u, 101.5f - a[k], w[k] + 0.7f, 2 * a[k] + 12.7f, static_cast<float>(w[k] / 2),
                         7.0f + a[k], 0);
      SetSpriteHitRect(row, 0, 0, static_cast<float>(w[k]), static_cast<float>(2 * a[k] + 13));
      u = u + w[k] + 2;
    }
  }
  // Option and homing shots.
  for (int k = 0; k < 3; ++k) {
    row = DefineSprite(row, 1, 62.15f + 96 * (k / 2), 2.15f + 24 * (k % 2), 19.7f, 19.7f, 10, 10, 0);
    SetSpriteHitRect(row, 0, 0, 20, 20);
  }
  // Background tile.
  row = DefineSprite(149, 1, 1.15f, 1.15f, 58.7f, 58.7f, 0, 0, 0);
  // Enemy bodies and debris, sparkle, launcher point.
  row = 151;
  for (int k = 0; k < 7; ++k) {
    const int r = 152 + k;
    const float px = (r == 154) ? 15.0f : 23.0f;
    row = DefineSprite(row, 0, 171.5f + 48 * (k % 4), 1.15f + 48 * (k / 4), 45.7f, 45.7f, px, 23, 0);
    if (r == 153) SetSpriteHitRect(row, 0, 0, 46, 46);
    else if (r == 154) SetSpriteHitQuad(row, 0, 0, 46, 22, 46, 24, 0, 46);
    else SetSpriteHitRect(row, 4, 4, 38, 38);
  }
  // Launcher barrel.
  row = DefineSprite(row, 0, 325.5f, 100.15f, 36.7f, 14.7f, 7, 7, 0);
  SetSpriteHitRect(row, 0, 0, 36, 14);
  // Enemy bullets, row = type + 160.
  for (int j = 0; j < 9; ++j) {
    const float o = (j == 1 || j == 3) ? 9.0f : 0.0f;
    for (int i = 0; i < 16; ++i) {
      row = DefineSprite(row, 0, 1.15f + 40 * i, 121.15f + 40 * j + o, 37.7f, 37.7f - 2 * o, 19, 19 - o, 0);
      switch (j) {
        case 0: case 5: case 7: SetSpriteHitRect(row, 11, 11, 16, 16); break;
        case 1: case 3: SetSpriteHitRect(row, 12, 7, 14, 6); break;
        case 2: SetSpriteHitRect(row, 0, 11, 38, 16); break;
        case 4: SetSpriteHitRect(row, 15, 15, 8, 8); break;
        case 6: SetSpriteHitQuad(row, 5, 7, 27, 18, 27, 19, 5, 30); break;
        default: SetSpriteHitRect(row, 12, 4, 17, 15); break;
      }
    }
  }
  // Items of kinds 0..4, option item, balloon pieces, option label.
  for (int k = 0; k < 5; ++k) {
    row = DefineSprite(row, 0, 1.15f + 34 * k, 69.15f, 31.7f, 31.7f, 16, 16, 0);
    SetSpriteHitRect(row, 0, 0, 32, 32);
  }
  row = DefineSprite(row, 0, 571.15f, 81.15f, 37.7f, 37.7f, 19, 19, 0);
  SetSpriteHitRect(row, 0, 0, 38, 38);
  row = DefineSprite(row, 0, 1.15f, 103.15f, 8.7f, 16.7f, 8, 0, 0);
  row = DefineSprite(row, 0, 10.15f, 103.15f, 158.7f, 2.7f, 0, 0, 0);
  row = DefineSprite(row, 1, 1.15f, 61.15f, -0.7f, 11.7f, 0, 0, 0);
  // Hit sparks, graze sparks, large debris.
  row = DefineSprite(335, 1, 181.15f, 1.15f, 21.7f, 21.7f, 11, 11, 0);
  for (int k = 0; k < 4; ++k)
    row = DefineSprite(row, 1, 277.15f + 128 * (k % 2), 1.15f + 32 * (k / 2), 29.7f, 29.7f, 15, 15, 0);
  for (int k = 0; k < 2; ++k) row = DefineSprite(row, 1, 533.15f, 1.15f + 26 * k, 23.7f, 23.7f, 12, 12, 0);
  for (int k = 0; k < 2; ++k) row = DefineSprite(row, 1, 158.15f + 36 * k, 26.15f, 31.7f, 31.7f, 16, 16, 0);
  row = DefineSprite(row, 1, 4.15f, 376.15f, 99.7f, 99.7f, 50, 50, 0);
  // Defined, never referenced.
  for (int k = 0; k < 10; ++k) row = DefineSprite(row, 1, 83.15f + 47 * k, 66.15f, 44.7f, 45.7f, 22.5f, 23, 0);
  {
    const char* letters = "AKJLIBK";
    float u = 83.15f;
    for (int k = 0; k < 7; ++k) {
      const int n = static_cast<unsigned char>(letters[k]) - 27;
      row = DefineSprite(row, 1, u, 114.15f, n - 4.3f, 45.7f, 0, 0, 0);
      u = u + (n - 2);
    }
  }
  // Bomb shots, blasts and beams, ring shot.
  for (int k = 0; k < 2; ++k) {
    row = DefineSprite(row, 1, 82.15f + 40 * k, 163.15f, 37.7f, 37.7f, 18.8f, 18.8f, 0);
    SetSpriteHitRect(row, 8, 8, 24, 24);
  }
  for (int k = 0; k < 2; ++k) {
    row = DefineSprite(row, 1, 82.15f + 40 * k, 203.15f, 37.7f, 37.7f, 18.8f, 18.8f, 0);
    SetSpriteHitRect(row, 0, 10, 20, 20);
  }
  for (int k = 0; k < 2; ++k) {
    row = DefineSprite(row, 1, 162.15f + 80 * k, 163.15f, 77.7f, 77.7f, 38.8f, 38.8f, 0);
    SetSpriteHitRect(row, 4, 4, 72, 72);
  }
  for (int k = 0; k < 2; ++k) {
    row = DefineSprite(row, 1, 322.15f, 163.15f + 40 * k, 37.7f, 37.7f, 18.8f, 18.8f, 0);
    SetSpriteHitRect(row, 4, 4, 40, 20);
  }
  row = DefineSprite(row, 1, 82.15f, 242.15f, 45.7f, 45.7f, 23.3f, 23.3f, 0);
  SetSpriteHitRect(row, 4, 4, 37.7f, 37.7f);
  // Large enemy bullets, bullet types 352..543.
  row = 511;
  for (int k = 0; k < 192; ++k) {
    row = DefineSprite(row, 2, 1.15f + 40 * (k % 16), 1.15f + 40 * (k / 16), 36.7f, 36.7f, 19, 19, 0);
    switch (k / 16) {
      case 0: SetSpriteHitRect(row, 12, 12, 14, 14); break;
      case 1: SetSpriteHitRect(row, 17, 12, 14, 14); break;
      case 2: SetSpriteHitRect(row, 24, 12, 14, 14); break;
      case 3: SetSpriteHitRect(row, 13, 13, 12, 12); break;
      case 5: SetSpriteHitRect(row, 6, 16, 30, 6); break;
      default: SetSpriteHitRect(row, 11, 11, 16, 16); break;
    }
  }
  // Centred font for flying text, and centred extra glyphs.
  row = 1023;
  for (int k = 0; k < 96; ++k)
    row = DefineSprite(row, 0, 362.85f + 13 * (k % 16), 0.5f + 20 * (k / 16), 11.3f, 19, 6, 9.5f, 0);
  for (int k = 0; k < 30; ++k)
    row = DefineSprite(row, 0, 570.85f + 13 * (k % 5), 0.5f + 20 * (k / 5), 11.3f, 19, 6, 9.5f, 0);
}

void DefineShotPatterns() {
  const int32_t patterns[21] = {100,   200,   300,   1110,  1210,  1310,  2320,  2420,  3430,  3530, 4540,
                                12321, 12421, 13431, 13531, 23532, 24542, 34543, 35553, 45554, 55555};
  for (int i = 0; i < 21; ++i) g_shotPatternByPower[i] = patterns[i];
}

void DefineOptionTypes() {
  static const char* const names[25] = {
      "[OP-NOTHING]",           "[OP-NORMAL] Wing",       "[OP-NORMAL] Rolling",     "[OP-NORMAL] Straight",
      "[OP-NORMAL] Trace",      "[OP-NORMAL] Mass",       "[OP-NORMAL] Search",      "[OP-ABNORMAL] Wiper",
      "[OP-ABNORMAL] Allrange", "[OP-ABNORMAL] Reverse",  "[OP-ABNORMAL] Float",     "[OP-ABNORMAL] Support",
      "[OP-ABNORMAL] Autohoming", "[OP-SPECIAL] Feather", "[OP-SPECIAL] Enclose",    "[OP-SPECIAL] Stream",
      "[OP-SPECIAL] Hunter",    "[OP-SPECIAL] Anchor",    "[OP-SPECIAL] Homing",     "[OP-EXTRA] Caladborg",
      "[OP-EXTRA] Aegis",       "[OP-EXTRA] L\xB9vatein", "[OP-EXTRA] Gespenst",     "[OP-EXTRA] Fragarach",
      "[OP-EXTRA] Brionac"};
  static const int32_t periods[25] = {8, 8, 8, 8, 8, 8, 12, 6, 4, 6, 6, 5, 6, 8, 5, 5, 8, 5, 8, 4, 4, 5, 7, 5, 6};
  for (int i = 0; i < 25; ++i) {
    CopyName(g_optionTypeNames[i], names[i]);
    g_optionFirePeriod[i] = periods[i];
  }
}

void DefineBulletColors() {
  static const uint32_t colors[16] = {0xFF20E020, 0xFF20E080, 0xFF20E0E0, 0xFF2080E0, 0xFF2020E0, 0xFF8020E0,
                                      0xFFE020E0, 0xFFE02080, 0xFFE02020, 0xFFE08020, 0xFFE0E020, 0xFF80E020,
                                      0xFF80E080, 0xFF8080E0, 0xFFE08080, 0xFFC0C0C0};
  for (int i = 0; i < 16; ++i) g_bulletColors[i] = colors[i];
}

void DefineDifficultyNames() {
  static const char* const names[8] = {"Very Easy", "Easy",      "Light Normal",   "Normal",
                                       "Hard",      "Very Hard", "Fuckin'Goddamn", "Impossible"};
  for (int i = 0; i < 16; ++i) CopyName(g_difficultyNames[i], i < 8 ? names[i] : "Unknown");
}

void DefineNameEntryGlyphs() {
  std::memset(g_nameEntryGlyphs, 0, sizeof(g_nameEntryGlyphs));
  for (int c = 0; c < 26; ++c) g_nameEntryGlyphs[c] = static_cast<uint8_t>(33 + c);
  for (int c = 0; c < 26; ++c) g_nameEntryGlyphs[26 + c] = static_cast<uint8_t>(65 + c);
  for (int c = 0; c < 10; ++c) g_nameEntryGlyphs[52 + c] = static_cast<uint8_t>(16 + c);
  for (int c = 10; c < 25; ++c) g_nameEntryGlyphs[52 + c] = static_cast<uint8_t>(1 + (c - 10));
  for (int c = 0; c < 7; ++c) g_nameEntryGlyphs[78 + c] = static_cast<uint8_t>(26 + c);
  for (int c = 7; c < 13; ++c) g_nameEntryGlyphs[78 + c] = static_cast<uint8_t>(59 + (c - 7));
  for (int c = 13; c < 17; ++c) g_nameEntryGlyphs[78 + c] = static_cast<uint8_t>(91 + (c - 13));
  g_nameEntryGlyphs[78 + 24] = 96;
  g_nameEntryGlyphs[78 + 25] = 100;
}

void DefineRankOrdinals() {
  static const char* const ordinals[10] = {" 1st", " 2nd", " 3rd", " 4th", " 5th",
                                           " 6th", " 7th", " 8th", " 9th", "10th"};
  for (int i = 0; i < 10; ++i) std::memcpy(g_rankOrdinals[i], ordinals[i], 5);
}

}  // namespace

int DefineSprite(int prevRow, int texture, float u, float v, float w, float h, float pivotX, float pivotY,
                 float baseAngle) {
  const int row = prevRow + 1;
  if (row < 0 || row >= kSpriteRowCount) return row;
  SpriteDef& d = g_spriteDefs[row];
  d.texture = texture;
  d.shape = SpriteShapeRect;
  d.srcU = u;
  d.srcV = v;
  d.srcWidth = w;
  d.srcHeight = h;
  d.pivotX = pivotX;
  d.pivotY = pivotY;
  d.baseAngle = baseAngle;
  d.hitType = 255;
  d.boundRadius = 0;
  const float xs[4] = {0, w, w, 0};
  const float ys[4] = {0, 0, h, h};
  SetRadii(d, xs, ys);
  return row;
}

int SetSpriteHitRect(int row, float x, float y, float w, float h) {
  if (row < 0 || row >= kSpriteRowCount) return row;
  SpriteDef& d = g_spriteDefs[row];
  d.hitType = 1;
  const float x0 = x - d.pivotX, y0 = y - d.pivotY;
  const float c[8] = {x0, y0, x0 + w, y0, x0 + w, y0 + h, x0, y0 + h};
  for (int i = 0; i < 8; ++i) d.hitCorners[i] = c[i];
  SetBoundFromCorners(d);
  return row;
}

int SetSpriteHitQuad(int row, float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
  if (row < 0 || row >= kSpriteRowCount) return row;
  SpriteDef& d = g_spriteDefs[row];
  d.hitType = 1;
  const float c[8] = {x0 - d.pivotX, y0 - d.pivotY, x1 - d.pivotX, y1 - d.pivotY,
                      x2 - d.pivotX, y2 - d.pivotY, x3 - d.pivotX, y3 - d.pivotY};
  for (int i = 0; i < 8; ++i) d.hitCorners[i] = c[i];
  SetBoundFromCorners(d);
  return row;
}

int SetSpriteHitCircle(int row, float x, float y, float r) {
  if (row < 0 || row >= kSpriteRowCount) return row;
  SpriteDef& d = g_spriteDefs[row];
  d.hitType = 0;
  d.hitCorners[0] = x - d.pivotX;
  d.hitCorners[1] = y - d.pivotY;
  d.hitCorners[2] = r;
  d.boundRadius = CornerDistance(d.hitCorners[0], d.hitCorners[1]) + r;
  return row;
}

int DefineSpriteQuad(int prevRow, int texture, float x0, float y0, float x1, float y1, float x2, float y2,
                     float x3, float y3, float pivotX, float pivotY, float baseAngle) {
  const int row = prevRow + 1;
  if (row < 0 || row >= kSpriteRowCount) return row;
  SpriteDef& d = g_spriteDefs[row];
  d.texture = texture;
  d.shape = SpriteShapeQuad;
  d.srcU = x0;
  d.srcV = y0;
  d.srcWidth = x1;
  d.srcHeight = y1;
  d.srcX2 = x2;
  d.srcY2 = y2;
  d.srcX3 = x3;
  d.srcY3 = y3;
  d.pivotX = pivotX;
  d.pivotY = pivotY;
  d.baseAngle = baseAngle;
  d.hitType = 255;
  d.boundRadius = 0;
  const float xs[4] = {x0, x1, x2, x3};
  const float ys[4] = {y0, y1, y2, y3};
  SetRadii(d, xs, ys);
  return row;
}

void InitGameTables() {
  DefineSpriteRows();
  DefineShotPatterns();
  DefineOptionTypes();
  DefineBulletColors();
  DefineDifficultyNames();
  DefineNameEntryGlyphs();
  DefineRankOrdinals();
  ResetSoundRequests();
  g_framesThisSecond = 0;
  g_fpsMeasured = 0;
  g_targetFps = 60;
  g_frameTime = 0;
  g_prevFrameTime = 0;
  g_difficulty = (g_cmdDifficulty != -1) ? g_cmdDifficulty : 4;
  g_stage = (g_cmdStage != -1) ? g_cmdStage : 1;
  g_scene = SceneTitle;
}
