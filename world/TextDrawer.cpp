#include "world/TextDrawer.h"

#include "world/GameObject.h"
#include "world/Renderer.h"
#include "world/SpriteTable.h"

constexpr int FontFirstRow = 0;        // byte 32 (space)
constexpr int ExtraGlyphFirstRow = 96;  // byte 0xB1

int GlyphRowForByte(unsigned char byte) {
  if (byte >= 32 && byte <= 127) return FontFirstRow + (byte - 32);
  if (byte >= 0xB1 && byte <= 0xCE) return ExtraGlyphFirstRow + (byte - 0xB1);
  return -1;
}

void DrawText(Graphics* gfx, int /*ignored*/, const char* text, float x, float y, uint32_t argb) {
  if (!text) return;
  ScreenVertex q[4];
  for (ScreenVertex& v : q) {
    v.z = 1.0f;
    v.rhw = 1.0f;
  }
  // The shadow keeps the alpha and halves each colour byte.
  const uint32_t shadow = (argb & 0xFF000000u) | ((argb >> 1) & 0x007F7F7Fu);
  float cx = x;
  float cy = y;
  for (int i = 0; i < TextMaxBytes; ++i) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == 0) break;
    if (byte == '\n') {
      cx = x;
      cy += TextLineHeight;
      continue;
    }
    const int row = GlyphRowForByte(byte);
    if (row < 0) continue;
    if (row != 0) {
      const int texture = g_spriteDefs[row].texture;
      BuildSpriteQuad(q, row, cx + 1.0f, cy + 1.0f, shadow);
      DrawCheckedQuad(gfx, texture, q);
      BuildSpriteQuad(q, row, cx, cy, argb);
      DrawCheckedQuad(gfx, texture, q);
    }
    cx += TextAdvance;
  }
}
