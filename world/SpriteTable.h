#pragma once
// The sprite registry and the other fixed tables built once at start-up.

#include <cstdint>

constexpr int kSpriteRowCount = 2048;
constexpr int kEmptySpriteRow = 127;

struct SpriteDef {
  int32_t texture = 0;
  uint8_t shape = 0;
  float srcU = 0, srcV = 0, srcWidth = 0, srcHeight = 0;
  float srcX2 = 0, srcY2 = 0, srcX3 = 0, srcY3 = 0;
  float pivotX = 0, pivotY = 0;
  uint8_t hitType = 0;  // 255 none, 0 circle, 1 quad
  float hitCorners[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  float radius = 0;
  float innerRadius = 0;
  float boundRadius = 0;
  float baseAngle = 0;
};

extern SpriteDef g_spriteDefs[kSpriteRowCount];
extern char g_optionTypeNames[25][256];
extern int32_t g_optionFirePeriod[25];
extern uint32_t g_bulletColors[16];
extern char g_difficultyNames[16][256];
extern uint8_t g_nameEntryGlyphs[104];
extern char g_rankOrdinals[10][8];
extern int32_t g_shotPatternByPower[21];

void InitGameTables();

int DefineSprite(int prevRow, int texture, float u, float v, float w, float h, float pivotX, float pivotY,
                 float baseAngle);
int SetSpriteHitRect(int row, float x, float y, float w, float h);
int SetSpriteHitQuad(int row, float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);
int SetSpriteHitCircle(int row, float x, float y, float r);
int DefineSpriteQuad(int prevRow, int texture, float x0, float y0, float x1, float y1, float x2, float y2,
                     float x3, float y3, float pivotX, float pivotY, float baseAngle);
