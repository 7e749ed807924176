// Solid craft and objects: the player ship, the enemy bodies and launchers, the items, the
// balloon pieces, the missile and the background tile. Everything that flies points right.

#include <cstring>

#include "tools/art/Glyphs.h"
#include "tools/art/PaintCommon.h"

namespace art {

namespace {

// ---- Player ship: a silver dart with swept blue wings, cyan canopy and twin orange engines.

const Rgb kOutline{0.05f, 0.07f, 0.16f};

// Upper wing outline at full span; y is mirrored and squeezed toward the axis for the lower
// wing and for banking.
const float kWing[] = {20.5f, 14.0f, 10.2f, 3.0f, 7.4f, 3.0f, 8.8f, 9.6f, 5.2f, 13.0f, 5.2f, 14.0f};
const float kBody[] = {30.8f, 16.0f, 27.0f, 14.9f, 21.0f, 13.7f, 13.0f, 13.1f, 6.5f, 13.4f, 3.8f, 14.3f,
                       3.8f,  17.7f, 6.5f,  18.6f, 13.0f, 18.9f, 21.0f, 18.3f, 27.0f, 17.1f};

float WingDist(float x, float y, float span) {
  // span 1 = full wing; the wing is mapped onto the upper side.
  const float yy = 16 - (16 - y) / span;
  return PolygonDist(x, yy, kWing, 6) * span;
}

Rgb ShipShade(float x, float y, float spanTop, float spanBottom) {
  Px p;
  const bool top = y < 16;
  const float span = top ? spanTop : spanBottom;
  const float wy = top ? y : 32 - y;
  const float wing = WingDist(x, wy, span);
  const float body = PolygonDist(x, y, kBody, 11);
  // Engine exhaust behind the hull.
  for (int s = -1; s <= 1; s += 2) {
    const float ey = 16 + s * 1.35f;
    const float flame = EllipseDist(x, y, 3.2f, ey, 2.4f, 1.0f);
    p.Add(Rgb{1.0f, 0.55f, 0.15f}, Glow(flame, 0.9f) * 0.9f * Inside(x - 4.2f));
    p.Add(Rgb{1.0f, 0.95f, 0.7f}, Inside(EllipseDist(x, y, 3.6f, ey, 1.2f, 0.5f)));
  }
  if (wing < 0) {
    const float t = Clamp01((16 - wy) / (13 * span));  // 0 at the root, 1 at the tip
    Rgb c = Mix(Rgb{0.16f, 0.32f, 0.78f}, Rgb{0.3f, 0.5f, 0.95f}, Clamp01(1 - (x - 6) / 14));
    // Leading-edge highlight and a red tip stripe.
    const float lead = SegmentDist(x, 16 - (16 - wy) / span, kWing[0], kWing[1], kWing[2], kWing[3]) * span;
    if (lead < 2.0f) c = Mix(c, Rgb{0.75f, 0.86f, 1.0f}, 0.75f);
    if (t > 0.78f) c = Rgb{0.92f, 0.24f, 0.2f};
    p.Over(c, 1);
    p.Over(kOutline, wing > -0.7f ? 1.0f : 0.0f);
  }
  if (body < 0) {
    const float hw = 3.0f;
    const float dy = (y - 16) / hw;
    float lit = 0.55f + 0.45f * Clamp01(1 - dy * dy);
    lit += 0.35f * std::exp(-(dy + 0.45f) * (dy + 0.45f) * 8);
    Rgb c = Rgb{0.74f, 0.79f, 0.9f} * Clamp01(lit);
    c = Mix(c, Rgb{0.55f, 0.6f, 0.75f}, Clamp01((8 - x) / 5));
    p.Over(c, 1);
    // Canopy.
    const float canopy = EllipseDist(x, y, 21.0f, 16.0f, 4.2f, 1.55f);
    if (canopy < 0) {
      const float g = Clamp01(-canopy / 1.5f);
      p.Over(Mix(Rgb{0.05f, 0.35f, 0.6f}, Rgb{0.35f, 0.9f, 1.0f}, g), 1);
      p.Over(Rgb{0.95f, 1.0f, 1.0f}, Inside(EllipseDist(x, y, 22.3f, 15.4f, 1.3f, 0.45f)));
    }
    p.Over(kOutline, body > -0.7f ? 1.0f : 0.0f);
  }
  return p.c;
}

void PaintShip(Canvas& c, const Frame& f) {
  // Image top (-y) ends up on the screen's left: banking left shortens the image-bottom wing.
  float top = 1, bottom = 1;
  switch (f.row) {
    case 129: bottom = 0.72f; break;
    case 130: top = 0.72f; break;
    case 131: bottom = 0.45f; top = 1.04f; break;
    case 132: top = 0.45f; bottom = 1.04f; break;
    default: break;
  }
  Paint(c, f, [&](float x, float y) { return ShipShade(x, y, top, bottom); });
}

// ---- Enemy bodies, launchers (white and grey: tinted by the enemy's colour).

// Lit from the upper left in screen terms; a simple directional term on a dome.
float Dome(float x, float y, float cx, float cy, float r) {
  const float nx = (x - cx) / r, ny = (y - cy) / r;
  const float nz2 = 1 - nx * nx - ny * ny;
  const float nz = nz2 > 0 ? std::sqrt(nz2) : 0;
  return Clamp01(0.25f + 0.75f * (-0.45f * nx - 0.55f * ny + 0.7f * nz));
}

Rgb RoundCraft(float x, float y, int variant) {
  const float cx = 23, cy = 23;
  const float r = std::hypot(x - cx, y - cy);
  const float ang = std::atan2(y - cy, x - cx) * 180 / 3.14159265f;
  Px p;
  float outer = r - 20.0f;
  if (variant == 2) {
    // Cog: eight teeth around the rim.
    const float tooth = std::cos(ang * 8 * 3.14159265f / 180) > 0.3f ? 0.0f : 2.2f;
    outer = r - (20.5f - tooth);
  }
  if (outer < 0) {
    p.Over(Grey(0.35f + 0.6f * Dome(x, y, cx, cy, 21)), 1);
    // Bright rim (reads well when the body is drawn additive as debris).
    p.Over(Grey(0.97f), outer > -1.6f ? 1.0f : 0.0f);
    // Panel groove and eight panel seams.
    p.Over(Grey(0.28f), Inside(std::fabs(r - 14.0f) - 0.7f));
    const float seam = std::fabs(std::sin(ang * 4 * 3.14159265f / 180)) * r;
    if (r > 14.7f && r < 18.3f) p.Over(Grey(0.4f), Inside(seam - 0.55f));
    if (variant == 1) {
      // Ring craft: hollow centre with a small core.
      p.Over(Grey(0.22f), Inside(r - 10.0f));
      p.Over(Grey(0.5f + 0.5f * Dome(x, y, cx, cy, 5)), Inside(r - 4.5f));
    } else {
      // Central dome and the forward sensor.
      p.Over(Grey(0.45f + 0.55f * Dome(x, y, cx, cy, 9.5f)), Inside(r - 9.5f));
      p.Over(Grey(1.0f), Inside(CircleDist(x, y, cx - 3, cy - 3.5f, 2.2f)));
    }
    p.Over(Grey(1.0f), Inside(EllipseDist(x, y, 38.5f, cy, 1.6f, 3.4f)));
  }
  return p.c;
}

Rgb BoxCraft(float x, float y) {
  const float cx = 23, cy = 23;
  const float d = BoxDist(x, y, cx, cy, 20.6f, 20.6f, 4);
  Px p;
  if (d < 0) {
    // Bevelled frame: lit top-left, shaded bottom-right.
    const float bevel = Clamp01(0.5f + ((cx - x) + (cy - y)) / 60);
    p.Over(Grey(0.45f + 0.5f * bevel), 1);
    p.Over(Grey(0.95f), d > -1.2f ? 1.0f : 0.0f);
    const float plate = BoxDist(x, y, cx, cy, 15.5f, 15.5f, 2);
    if (plate < 0) {
      p.Over(Grey(0.55f + 0.25f * Clamp01((46 - x - y) / 46)), 1);
      p.Over(Grey(0.3f), plate > -0.9f ? 1.0f : 0.0f);
      // Cross-shaped grooves.
      p.Over(Grey(0.35f), Inside(std::min(std::fabs(x - cx), std::fabs(y - cy)) - 0.6f));
      // Core diamond.
      const float core = std::fabs(x - cx) + std::fabs(y - cy) - 7.5f;
      p.Over(Grey(0.3f), Inside(core - 1));
      p.Over(Grey(0.55f + 0.45f * Clamp01((cx + cy + 6 - x - y) / 12)), Inside(core));
    }
    // Corner bolts.
    for (int i = 0; i < 4; ++i) {
      const float bx = (i & 1) ? 40.0f : 6.0f, by = (i & 2) ? 40.0f : 6.0f;
      p.Over(Grey(0.25f), Inside(CircleDist(x, y, bx, by, 1.9f)));
      p.Over(Grey(0.9f), Inside(CircleDist(x, y, bx - 0.4f, by - 0.4f, 1.1f)));
    }
    // Forward vents on the right side.
    for (int i = -1; i <= 1; ++i) p.Over(Grey(1.0f), Inside(BoxDist(x, y, 41.3f, cy + i * 5.5f, 1.0f, 1.6f, 0.5f)));
  }
  return p.c;
}

Rgb ArrowCraft(float x, float y) {
  // Triangle (0,0)-(46,23)-(0,46) inset by the gutter, with a notch at the back.
  static const float hull[] = {2.6f, 3.0f, 43.6f, 23.0f, 2.6f, 43.0f, 9.5f, 23.0f};
  const float d = PolygonDist(x, y, hull, 4);
  Px p;
  if (d < 0) {
    // A bevelled band around two inner facets that meet along the spine.
    p.Over(Grey(y < 23 ? 0.62f : 0.38f), 1);
    p.Over(Grey(0.98f), d > -1.2f ? 1.0f : 0.0f);
    static const float inner[] = {7.0f, 9.0f, 35.0f, 23.0f, 7.0f, 37.0f, 13.0f, 23.0f};
    const float di = PolygonDist(x, y, inner, 4);
    if (di < 0.6f) p.Over(Grey(0.25f), 1);
    if (di < 0) p.Over(Grey(y < 23 ? 0.95f - 0.25f * Clamp01((30 - x) / 25) : 0.62f - 0.15f * Clamp01((30 - x) / 25)), 1);
    // Cockpit eye near the nose and engine glows at the notch.
    p.Over(Grey(0.25f), Inside(EllipseDist(x, y, 27.5f, 23, 5.0f, 2.6f)));
    p.Over(Grey(1.0f), Inside(EllipseDist(x, y, 28.0f, 22.5f, 3.5f, 1.5f)));
  }
  for (int s = -1; s <= 1; s += 2) p.Add(Grey(0.9f), Glow(CircleDist(x, y, 8.0f, 23 + s * 5.5f, 1.4f), 1.0f) * Inside(x - 3));
  return p.c;
}

Rgb Sparkle(float x, float y) {
  const float r = std::hypot(x - 23, y - 23);
  Px p;
  p.Add(Grey(1.0f), 0.85f * std::exp(-r * r / 40));
  const float ray = std::min(std::fabs(x - 23) * (1 + std::fabs(y - 23) * 0.25f),
                             std::fabs(y - 23) * (1 + std::fabs(x - 23) * 0.25f));
  p.Add(Grey(1.0f), Clamp01(1 - ray / 1.6f) * Clamp01(1 - r / 20));
  p.c = Rgb{std::min(p.c.r, 1.0f), std::min(p.c.g, 1.0f), std::min(p.c.b, 1.0f)};
  return p.c;
}

Rgb LauncherPoint(float x, float y) {
  const float r = std::hypot(x - 23, y - 23);
  Px p;
  if (r < 15) {
    p.Over(Grey(0.4f + 0.55f * Dome(x, y, 23, 23, 15)), 1);
    p.Over(Grey(0.95f), r > 13.8f ? 1.0f : 0.0f);
    p.Over(Grey(0.3f), Inside(std::fabs(r - 10) - 0.8f));
    p.Over(Grey(0.6f + 0.4f * Dome(x, y, 23, 23, 6.5f)), Inside(r - 6.5f));
    p.Over(Grey(1.0f), Inside(r - 2.2f));
  }
  return p.c;
}

Rgb Barrel(float x, float y) {
  Px p;
  // Tube along +x from the base, shaded as a cylinder.
  const float tube = BoxDist(x, y, 21.5f, 7, 13.3f, 3.1f, 0.6f);
  if (tube < 0) {
    const float t = (y - 7) / 3.1f;
    p.Over(Grey(0.45f + 0.55f * Clamp01(1 - (t + 0.35f) * (t + 0.35f))), 1);
    p.Over(Grey(0.95f), Inside(BoxDist(x, y, 33.3f, 7, 1.4f, 3.1f)));  // muzzle ring
  }
  const float base = CircleDist(x, y, 7, 7, 5.5f);
  if (base < 0) {
    p.Over(Grey(0.4f + 0.6f * Dome(x, y, 7, 7, 5.5f)), 1);
    p.Over(Grey(0.25f), Inside(CircleDist(x, y, 7, 7, 1.6f)));
  }
  return p.c;
}

// ---- Items: bevelled coloured tokens with a white letter (the game spins them).

bool LetterInk(const char* text, float x, float y, float cx, float cy, float s) {
  const int n = static_cast<int>(std::strlen(text));
  const float width = (6 * n - 1) * s;
  const float ox = cx - width / 2, oy = cy - 3.5f * s;
  bool bits[kGlyphRows][kGlyphCols];
  for (int i = 0; i < n; ++i) {
    if (!GlyphBits(static_cast<unsigned char>(text[i]), bits)) continue;
    const float gx = (x - ox - i * 6 * s) / s, gy = (y - oy) / s;
    if (gx >= 0 && gy >= 0 && gx < kGlyphCols && gy < 7 && bits[static_cast<int>(gy)][static_cast<int>(gx)]) return true;
  }
  return false;
}

Rgb ItemToken(float x, float y, Rgb col, const char* text, float scale) {
  const float r = std::hypot(x - 16, y - 16);
  Px p;
  p.Add(col, Glow(r - 12.5f, 1.4f) * 0.6f * (r > 12.5f ? 1.0f : 0.0f));
  if (r < 12.5f) {
    const float lit = Dome(x, y, 16, 16, 12.5f);
    p.Over(col * (0.35f + 0.75f * lit), 1);
    p.Over(Mix(col, Grey(1), 0.7f), r > 11.2f ? 1.0f : 0.0f);
    p.Over(col * 0.45f, Inside(std::fabs(r - 10.6f) - 0.4f));
    if (LetterInk(text, x + 0.8f, y + 0.8f, 16, 16, scale)) p.Over(col * 0.22f, 1);
    if (LetterInk(text, x, y, 16, 16, scale)) p.Over(Grey(1.0f), 1);
  }
  return p.c;
}

Rgb GaugeCrystal(float x, float y) {
  static const float gem[] = {16, 3, 25, 16, 16, 29, 7, 16};
  const float d = PolygonDist(x, y, gem, 4);
  Px p;
  p.Add(Grey(0.6f), Glow(d, 1.5f) * (d > 0 ? 1.0f : 0.0f));
  if (d < 0) {
    const bool left = x < 16, upper = y < 16;
    const float facet = upper ? (left ? 1.0f : 0.78f) : (left ? 0.62f : 0.45f);
    p.Over(Grey(facet), 1);
    static const float table[] = {16, 9, 20.5f, 16, 16, 23, 11.5f, 16};
    if (PolygonDist(x, y, table, 4) < 0) p.Over(Grey(upper ? 0.95f : 0.8f), 1);
    p.Over(Grey(1.0f), d > -0.9f ? 1.0f : 0.0f);
  }
  return p.c;
}

Rgb OptionOrb(float x, float y) {
  const float r = std::hypot(x - 19, y - 19);
  Px p;
  p.Add(Grey(0.5f), Glow(std::fabs(r - 14) - 1.5f, 1.6f));
  p.Over(Grey(0.75f + 0.25f * Clamp01((19 - y) / 14 + 0.5f)), Inside(std::fabs(r - 14) - 1.4f));
  p.Add(Grey(0.6f), std::exp(-r * r / 30));
  p.Over(Grey(0.55f + 0.45f * Dome(x, y, 19, 19, 6)), Inside(r - 6));
  for (int i = 0; i < 4; ++i) {
    const float a = (45 + 90 * i) * 3.14159265f / 180;
    p.Over(Grey(1.0f), Inside(CircleDist(x, y, 19 + 9.5f * std::cos(a), 19 + 9.5f * std::sin(a), 1.4f)));
  }
  return p.c;
}

// ---- Missile (untinted): grey body, red nose, fins and an orange flame.
Rgb Missile(float x, float y) {
  Px p;
  p.Add(Rgb{1.0f, 0.55f, 0.15f}, Glow(EllipseDist(x, y, 3.2f, 10, 2.6f, 1.3f), 1.0f) * Inside(x - 5.5f));
  p.Add(Rgb{1.0f, 0.95f, 0.7f}, Inside(EllipseDist(x, y, 4.0f, 10, 1.3f, 0.6f)));
  static const float fins[] = {5.0f, 5.5f, 8.5f, 8.8f, 8.5f, 11.2f, 5.0f, 14.5f, 6.2f, 10.0f};
  if (PolygonDist(x, y, fins, 5) < 0) p.Over(Rgb{0.75f, 0.2f, 0.18f}, 1);
  const float body = BoxDist(x, y, 10.5f, 10, 5.2f, 1.8f, 1.0f);
  if (body < 0) p.Over(Rgb{0.72f, 0.76f, 0.84f} * (0.6f + 0.45f * Clamp01(1 - (y - 9.4f) * (y - 9.4f) / 3)), 1);
  static const float nose[] = {15.5f, 8.2f, 18.6f, 10.0f, 15.5f, 11.8f};
  if (PolygonDist(x, y, nose, 3) < 0) p.Over(Rgb{0.95f, 0.3f, 0.22f}, 1);
  return p.c;
}

// ---- Background tile: a dark panel with a 1-px border, drawn opaque at half brightness.
void PaintTile(Canvas& c, const Frame& f) {
  // The tile is point-sampled across its whole box, so it fills the box to the edge.
  const atlas::TexelBox whole = atlas::SampleBox(f.u, f.v, f.w, f.h);
  const float lx0 = whole.x0 - f.u, ly0 = whole.y0 - f.v;
  const float lx1 = whole.x1 + 1 - f.u, ly1 = whole.y1 + 1 - f.v;
  const float cx = (lx0 + lx1) / 2, cy = (ly0 + ly1) / 2;
  c.Paint(whole, f.u, f.v, [&](float x, float y) {
    const Rgb base{0.2f, 0.24f, 0.36f};
    if (x < lx0 + 1 || y < ly0 + 1 || x > lx1 - 1 || y > ly1 - 1) return Rgb{0.38f, 0.46f, 0.64f};
    Px p;
    p.Over(base * (0.9f + 0.2f * Clamp01(((cx - x) + (cy - y)) / 58 + 0.5f)), 1);
    // Inner plate with a bevel: light edge top-left, dark bottom-right.
    const float plate = BoxDist(x, y, cx, cy, 20.5f, 20.5f, 3);
    if (std::fabs(plate) < 1.0f) p.Over((x + y < cx + cy) ? Rgb{0.32f, 0.38f, 0.54f} : Rgb{0.1f, 0.12f, 0.2f}, 1);
    else if (plate < 0) p.Over(Rgb{0.17f, 0.2f, 0.31f}, 1);
    // Rivets in the corners.
    for (int i = 0; i < 4; ++i) {
      const float bx = (i & 1) ? lx1 - 5 : lx0 + 5, by = (i & 2) ? ly1 - 5 : ly0 + 5;
      p.Over(Rgb{0.1f, 0.12f, 0.19f}, Inside(CircleDist(x, y, bx + 0.5f, by + 0.5f, 1.7f)));
      p.Over(Rgb{0.4f, 0.47f, 0.62f}, Inside(CircleDist(x, y, bx, by, 1.4f)));
    }
    // A faint vent pattern in the plate.
    if (plate < -4 && std::fabs(y - cy) < 8 && std::fmod(x - lx0, 6.0f) < 2) p.Over(Rgb{0.13f, 0.15f, 0.24f}, 1);
    return p.c;
  });
}

}  // namespace

bool PaintCraft(Canvas& c, const Frame& f) {
  const int row = f.row;
  if (row >= 128 && row <= 137) {
    PaintShip(c, f);
    return true;
  }
  Shader s;
  switch (row) {
    case 145: s = Missile; break;
    case 152: s = [](float x, float y) { return RoundCraft(x, y, 0); }; break;
    case 153: s = BoxCraft; break;
    case 154: s = ArrowCraft; break;
    case 155: s = [](float x, float y) { return RoundCraft(x, y, 1); }; break;
    case 156: s = Sparkle; break;
    case 157: s = [](float x, float y) { return RoundCraft(x, y, 2); }; break;
    case 158: s = LauncherPoint; break;
    case 159: s = Barrel; break;
    case 304: s = [](float x, float y) { return ItemToken(x, y, Rgb{0.95f, 0.22f, 0.18f}, "P", 2.1f); }; break;
    case 305: s = [](float x, float y) { return ItemToken(x, y, Rgb{0.7f, 0.3f, 1.0f}, "B", 2.1f); }; break;
    case 306: s = [](float x, float y) { return ItemToken(x, y, Rgb{0.2f, 0.6f, 1.0f}, "S", 2.1f); }; break;
    case 307: s = [](float x, float y) { return ItemToken(x, y, Rgb{0.25f, 0.85f, 0.3f}, "1UP", 1.25f); }; break;
    case 308: s = GaugeCrystal; break;
    case 309: s = OptionOrb; break;
    case 310:
      s = [](float x, float y) { return Grey(Inside(SegmentDist(x, y, 8, 0, 0, 16) - 0.8f)); };
      break;
    case 311: {
      // An even white line: the quad is squeezed to the label's width.
      for (int y = f.box.y0; y <= f.box.y1; ++y)
        for (int x = f.box.x0; x <= f.box.x1; ++x) c.Set(x, y, Grey(1));
      return true;
    }
    case 150: PaintTile(c, f); return true;
    default: return false;
  }
  Paint(c, f, s);
  return true;
}

}  // namespace art
