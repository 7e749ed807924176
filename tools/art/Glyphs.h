#pragma once
// Our bitmap font: 5 columns by 9 rows per glyph (rows 0..6 above the baseline, 7..8 the
// descender), scaled by the painters into the 12x19 cells, the 8-px labels and the banner.

namespace art {

constexpr int kGlyphCols = 5;
constexpr int kGlyphRows = 9;

// Extra glyphs beyond ASCII.
enum ExtraGlyph { GlyphLeft = 256, GlyphRight, GlyphUp, GlyphDown, GlyphEnd, GlyphAe };

// Fills bits[row][col] for an ASCII code 33..126 or an ExtraGlyph; false for anything else
// (blank).
bool GlyphBits(int code, bool bits[kGlyphRows][kGlyphCols]);

}  // namespace art
