// Text art: the 12x19 font and its extra glyphs, the HUD icons, the 8-px option labels, the
// banner and the big letters. All white or grey: the game tints them.

#include <cstring>
#include <string>

#include "tools/art/Glyphs.h"
#include "tools/art/PaintCommon.h"
#include "world/SpriteTable.h"

namespace art {

namespace {

// Pixel rows of the 9 design rows in the 17-px cell font: the descender stem row is 1 px, so
// every bar stays 2 px thick and the ink is 17 px tall.
constexpr int kCellRowTop[kGlyphRows + 1] = {0, 2, 4, 6, 8, 10, 12, 14, 15, 17};

// A soft top-to-bottom fall-off keeps flat white text from looking pasted on.
float InkLevel(float t) { return 1.0f - 0.2f * t; }

void PaintCellGlyph(Canvas& c, const Frame& f, int code) {
  bool bits[kGlyphRows][kGlyphCols];
  if (!GlyphBits(code, bits)) return;
  const int x0 = f.box.x0, y0 = f.box.y0 + 1;
  for (int r = 0; r < kGlyphRows; ++r)
    for (int col = 0; col < kGlyphCols; ++col) {
      if (!bits[r][col]) continue;
      for (int y = kCellRowTop[r]; y < kCellRowTop[r + 1]; ++y)
        for (int x = 2 * col; x < 2 * col + 2; ++x)
          if (f.box.Contains(x0 + x, y0 + y)) c.Set(x0 + x, y0 + y, Grey(InkLevel(y / 16.0f)));
    }
}

// HUD icons in the 10x17 ink area of a glyph cell.
Rgb LifeIcon(float x, float y) {
  static const float ship[] = {5, 1,   6.3f, 6,   9.6f, 12, 9.6f, 14.2f, 6.4f, 12.8f, 5.9f, 15.6f,
                               4.1f, 15.6f, 3.6f, 12.8f, 0.4f, 14.2f, 0.4f, 12, 3.7f, 6};
  const float d = PolygonDist(x, y, ship, 11);
  Px p;
  if (d < 0) {
    const float body = 0.62f + 0.38f * Clamp01(1 - std::fabs(x - 5) / 4.5f);
    p.Over(Grey(body), 1);
    p.Over(Grey(0.98f), Inside(std::fabs(x - 5) - 0.45f) * Inside(y - 11));
    p.Over(Grey(0.4f), Inside(EllipseDist(x, y, 5, 7.6f, 1.1f, 2.0f)));
  }
  return p.c;
}

Rgb ShieldIcon(float x, float y) {
  static const float shield[] = {0.6f, 2, 9.4f, 2, 9.4f, 8.2f, 8.2f, 11.8f, 5, 15.8f, 1.8f, 11.8f, 0.6f, 8.2f};
  const float d = PolygonDist(x, y, shield, 7);
  Px p;
  if (d < 0) {
    p.Over(Grey(1.0f), 1);
    p.Over(Grey(0.42f + 0.3f * Clamp01((y - 3) / 12)), Inside(d + 1.3f));
    // Raised cross.
    const float cross = std::min(std::fabs(x - 5) - 0.7f, std::fabs(y - 7.5f) - 0.7f);
    p.Over(Grey(0.95f), Inside(cross) * Inside(d + 1.3f));
  }
  return p.c;
}

Rgb BombIcon(float x, float y) {
  Px p;
  const float d = CircleDist(x, y, 4.6f, 10.6f, 4.5f);
  if (d < 0) {
    const float lit = Clamp01(1 - CircleDist(x, y, 3.2f, 9.0f, 0) / 6.5f);
    p.Over(Grey(0.45f + 0.5f * lit), 1);
    p.Over(Grey(1.0f), Inside(CircleDist(x, y, 3.0f, 8.8f, 1.1f)));
  }
  // Cap and fuse.
  float cx = x, cy = y;
  Rotate(cx, cy, 7.4f, 6.3f, -45);
  p.Over(Grey(0.75f), Inside(BoxDist(cx, cy, 7.4f, 6.3f, 1.3f, 1.0f)));
  p.Over(Grey(0.8f), Inside(SegmentDist(x, y, 8.0f, 5.5f, 8.6f, 3.4f) - 0.5f));
  // Spark.
  const float s = StarDist(x, y, 8.3f, 2.6f, 4, 1.9f, 0.5f, 0);
  p.Over(Grey(1.0f), Inside(s));
  return p.c;
}

// Distance to the ink of a glyph (blocks of sx by sy), for glows around large text.
float GlyphDist(const bool bits[kGlyphRows][kGlyphCols], float x, float y, float ox, float oy, float sx, float sy) {
  float d = 1e9f;
  for (int r = 0; r < kGlyphRows; ++r)
    for (int col = 0; col < kGlyphCols; ++col)
      if (bits[r][col])
        d = std::min(d, BoxDist(x, y, ox + (col + 0.5f) * sx, oy + (r + 0.5f) * sy, sx / 2, sy / 2));
  return d;
}

// Large text: solid blocks with a bright top edge and a soft grey halo.
struct LargeText {
  std::string text;
  float ox, oy, sx, sy, pitch, halo;
  Rgb Shade(float x, float y) const {
    const int n = static_cast<int>(text.size());
    const int k = static_cast<int>(std::floor((x - ox) / pitch));
    float d = 1e9f;
    bool bits[kGlyphRows][kGlyphCols];
    for (int i = std::max(k - 1, 0); i <= std::min(k + 1, n - 1); ++i)
      if (GlyphBits(static_cast<unsigned char>(text[i]), bits)) d = std::min(d, GlyphDist(bits, x, y, ox + i * pitch, oy, sx, sy));
    Px p;
    p.Add(Grey(0.42f), Glow(d, halo) * (d > 0 ? 1.0f : 0.0f));
    if (d < 0) {
      const float t = Clamp01((y - oy) / (7 * sy));
      p.Over(Grey(1.0f - 0.28f * t), 1);
      p.Over(Grey(0.78f), Inside(d + 0.9f) * Smooth(0.45f, 0.55f, t) * 0.6f);
    }
    return p.c;
  }
};

void PaintBanner(Canvas& c, const Frame& f) {
  // Shown at game over and at the all clear alike.
  const std::string text = "GAME END";
  const float sx = 3.5f, sy = 3.0f, pitch = 6 * sx;
  const float width = pitch * text.size() - sx;
  LargeText t{text, (f.w - width) / 2, (f.h - 7 * sy) / 2, sx, sy, pitch, 1.6f};
  Paint(c, f, [&](float x, float y) { return t.Shade(x, y); });
}

void PaintBigLetter(Canvas& c, const Frame& f) {
  const char letter = "AKJLIBK"[f.row - 356];
  const float sy = (f.h - 8) / 7, sx = (f.w - 8) / 5;
  LargeText t{std::string(1, letter), 4, 4, sx, sy, 6 * sx, 1.2f};
  Paint(c, f, [&](float x, float y) { return t.Shade(x, y); });
}

// Option labels: the name after its class prefix, 8 px a letter, at 1 texel per design cell.
void PaintLabel(Canvas& c, const Frame& f) {
  const char* name = g_optionTypeNames[f.frame + 1];
  const char* space = std::strchr(name, ' ');
  std::string text;
  for (const char* p = space ? space + 1 : name; *p; ++p) {
    if (static_cast<unsigned char>(*p) == 0xB9) text += "ae";  // the label spells the ligature out
    else text += *p;
  }
  // Drawn flat at 1x, so a 1-texel gutter is enough; it leaves room for 5-px letters at 8 px.
  atlas::TexelBox box = atlas::SampleBox(f.u, f.v, f.w, f.h);
  box.x0 += 1;
  box.x1 -= 1;
  box.y0 += 1;
  box.y1 -= 1;
  const int x0 = box.x0, y0 = box.y0 + 1;
  for (size_t k = 0; k < text.size(); ++k) {
    bool bits[kGlyphRows][kGlyphCols];
    if (!GlyphBits(static_cast<unsigned char>(text[k]), bits)) continue;
    for (int r = 0; r < kGlyphRows; ++r)
      for (int col = 0; col < kGlyphCols; ++col) {
        const int x = x0 + 8 * static_cast<int>(k) + col, y = y0 + r;
        if (bits[r][col] && box.Contains(x, y)) c.Set(x, y, Grey(InkLevel(r / 8.0f)));
      }
  }
}

}  // namespace

bool PaintText(Canvas& c, const Frame& f) {
  const int row = f.row;
  if (row >= 1 && row <= 94) {
    PaintCellGlyph(c, f, row + 32);
    return true;
  }
  if (row >= 96 && row <= 100) {
    PaintCellGlyph(c, f, GlyphLeft + (row - 96));
    return true;
  }
  if (row == 104) {
    PaintCellGlyph(c, f, GlyphAe);
    return true;
  }
  if (row >= 101 && row <= 103) {
    const float ox = static_cast<float>(f.box.x0) - f.u, oy = static_cast<float>(f.box.y0 + 1) - f.v;
    Paint(c, f, [&](float x, float y) {
      const float lx = x - ox, ly = y - oy;
      if (lx < 0 || ly < 0 || lx >= 10 || ly >= 17) return Rgb{};  // the glyph ink area
      return row == 101 ? LifeIcon(lx, ly) : row == 102 ? ShieldIcon(lx, ly) : BombIcon(lx, ly);
    });
    return true;
  }
  if (row == 105) {
    // The cursor bar: a solid block over the whole cell.
    for (int y = f.box.y0; y <= f.box.y1; ++y)
      for (int x = f.box.x0; x <= f.box.x1; ++x) c.Set(x, y, Grey(1));
    return true;
  }
  if (row == 126) {
    PaintBanner(c, f);
    return true;
  }
  if (row >= 356 && row <= 362) {
    PaintBigLetter(c, f);
    return true;
  }
  if (row == 312) {
    PaintLabel(c, f);
    return true;
  }
  return false;
}

}  // namespace art
