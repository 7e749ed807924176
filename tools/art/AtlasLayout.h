#pragma once
// Where art may go on the three atlases: the texel box a quad samples for a source rectangle,
// the paint area inside it, and the animation frames that have no sprite row of their own.
// Shared by the atlas tool and its test so both read the same layout.

#include <cmath>
#include <vector>

namespace atlas {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Inclusive texel range.
struct TexelBox {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool Empty() const { return x1 < x0 || y1 < y0; }
  bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Texture coordinates are u/639 and v/479 on a 640x480 texture, so a quad reaches up to one texel
// right of and below its nominal rectangle.
inline TexelBox SampleBox(float u, float v, float w, float h) {
  TexelBox b;
  if (!(w > 0) || !(h > 0)) return b;
  b.x0 = static_cast<int>(std::floor(u * 640.0 / 639.0));
  b.y0 = static_cast<int>(std::floor(v * 480.0 / 479.0));
  b.x1 = static_cast<int>(std::ceil((u + w) * 640.0 / 639.0)) - 1;
  b.y1 = static_cast<int>(std::ceil((v + h) * 480.0 / 479.0)) - 1;
  return b;
}

// Linear filtering and rotation must see black around every picture: keep 1 texel clear inside
// the sampled box, 2 along sides of 20 px or more.
inline TexelBox PaintBox(float u, float v, float w, float h) {
  TexelBox b = SampleBox(u, v, w, h);
  if (b.Empty()) return b;
  const int gx = w >= 20 ? 2 : 1;
  const int gy = h >= 20 ? 2 : 1;
  b.x0 += gx;
  b.x1 -= gx;
  b.y0 += gy;
  b.y1 -= gy;
  return b;
}

// A frame drawn by shifting a row's rectangle (or, for the option labels, by the renderer
// supplying a rectangle under row 312).
struct StripFrame {
  int row;    // the row whose art group paints it
  int frame;  // frame number within the animation (the row itself is frame 0)
  int texture;
  float u, v, w, h;
};

// Letters per option label, by option type ("0" stands for 10).
constexpr const char* kLabelLetterCounts = "478546587570776666959897";

inline int LabelLetters(int type) {
  const int n = kLabelLetterCounts[type] - '0';
  return n == 0 ? 10 : n;
}

inline std::vector<StripFrame> StripFrames() {
  std::vector<StripFrame> s;
  // Option shots: 4-frame spins 24 px apart.
  for (int row = 143; row <= 144; ++row)
    for (int f = 1; f < 4; ++f) s.push_back({row, f, 1, 62.15f + 24 * f, 2.15f + 24 * (row - 143), 19.7f, 19.7f});
  // Hit sparks.
  for (int f = 1; f < 4; ++f) s.push_back({336, f, 1, 181.15f + 24 * f, 1.15f, 21.7f, 21.7f});
  for (int k = 0; k < 4; ++k)
    for (int f = 1; f < 4; ++f)
      s.push_back({337 + k, f, 1, 277.15f + 128 * (k % 2) + 32 * f, 1.15f + 32 * (k / 2), 29.7f, 29.7f});
  for (int k = 0; k < 2; ++k)
    for (int f = 1; f < 4; ++f) s.push_back({341 + k, f, 1, 533.15f + 26 * f, 1.15f + 26 * k, 23.7f, 23.7f});
  // Counter-bomb ring: two lines of 8 frames.
  for (int n = 1; n < 16; ++n) s.push_back({371, n, 1, 82.15f + 48 * (n % 8), 242.15f + 48 * (n / 8), 45.7f, 45.7f});
  // Option-name labels, one per option type, 8 px per letter.
  for (int t = 0; t < 24; ++t) s.push_back({312, t, 1, 1.15f, 61.15f + 13 * t, 8.0f * LabelLetters(t) - 0.7f, 11.7f});
  return s;
}

}  // namespace atlas
