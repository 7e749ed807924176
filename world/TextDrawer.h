#pragma once
// The bitmap-font text drawer used by the HUD and by every screen.

#include <cstdint>

class Graphics;

// Bytes that draw the extra glyphs (font rows 96..125) in texts.
constexpr unsigned char GlyphArrowLeft = 0xB1;
constexpr unsigned char GlyphArrowRight = 0xB2;
constexpr unsigned char GlyphArrowUp = 0xB3;
constexpr unsigned char GlyphArrowDown = 0xB4;
constexpr unsigned char GlyphLife = 0xB6;
constexpr unsigned char GlyphShield = 0xB7;
constexpr unsigned char GlyphBomb = 0xB8;

constexpr int TextMaxBytes = 256;     // a text is read no further than this
constexpr float TextAdvance = 11.0f;  // glyphs overlap by one pixel of their 12
constexpr float TextLineHeight = 18.0f;

// The font row a text byte draws, or -1 for a byte that draws nothing. Row 0 (space) draws
// nothing but still advances.
int GlyphRowForByte(unsigned char byte);

// Draws text with the 12 x 19 font at playfield position (x, y), each glyph over a shadow one
// pixel down and right at half brightness. The second argument has no effect (callers pass 0).
void DrawText(Graphics* gfx, int ignored, const char* text, float x, float y, uint32_t argb);
