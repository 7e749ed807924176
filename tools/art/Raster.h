#pragma once
// A float RGB canvas for one atlas, painted by shaders sampled 4x4 per texel, and the small
// vector toolkit the art is built from (distances, blending, glows). Black is transparent in the
// game, so everything is emitted light over black.

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/art/AtlasLayout.h"

namespace art {

struct Rgb {
  float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb Grey(float v) { return {v, v, v}; }
inline Rgb FromArgb(uint32_t c) {
  return {((c >> 16) & 255) / 255.0f, ((c >> 8) & 255) / 255.0f, (c & 255) / 255.0f};
}

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Mix(float a, float b, float t) { return a + (b - a) * t; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }
inline float Smooth(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
// 1 inside (d < 0), 0 outside; the 4x4 sampling does the anti-aliasing.
inline float Inside(float d) { return d < 0 ? 1.0f : 0.0f; }
// A soft glow falling off outside a shape of signed distance d.
inline float Glow(float d, float sigma) {
  if (d <= 0) return 1;
  const float t = d / sigma;
  return std::exp(-t * t);
}

// One sample's colour, built up front to back with Over (paint) and Add (light).
struct Px {
  Rgb c;
  void Over(Rgb col, float a) {
    if (a <= 0) return;
    c = Mix(c, col, Clamp01(a));
  }
  void Add(Rgb col, float a) {
    if (a <= 0) return;
    c = c + col * a;
  }
};

// Signed distances (negative inside).
float CircleDist(float x, float y, float cx, float cy, float r);
float EllipseDist(float x, float y, float cx, float cy, float rx, float ry);
float BoxDist(float x, float y, float cx, float cy, float hw, float hh, float round = 0);
float SegmentDist(float x, float y, float ax, float ay, float bx, float by);  // unsigned
float PolygonDist(float x, float y, const float* pts, int n);                  // pts: x0,y0,x1,y1...
float StarDist(float x, float y, float cx, float cy, int points, float outer, float inner, float rotDeg);

// Rotates (x, y) about (cx, cy) by deg.
void Rotate(float& x, float& y, float cx, float cy, float deg);

using Shader = std::function<Rgb(float x, float y)>;

class Canvas {
 public:
  Canvas();
  // Paints the texels of box with the shader, in coordinates local to (originU, originV);
  // each texel is the mean of 4x4 samples.
  void Paint(const atlas::TexelBox& box, float originU, float originV, const Shader& s);
  // Sets one texel directly (bitmap fonts).
  void Set(int x, int y, Rgb c);
  // 24-bit bottom-up BI_RGB; any texel that shows is lifted to at least (1, 1, 1).
  std::vector<uint8_t> EncodeBmp() const;

 private:
  std::vector<Rgb> px_;
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace art
