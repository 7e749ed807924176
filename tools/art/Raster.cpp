#include "tools/art/Raster.h"

#include <algorithm>
#include <cstdio>

namespace art {

float CircleDist(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float EllipseDist(float x, float y, float cx, float cy, float rx, float ry) {
  // Scaled-circle approximation, close enough near the outline for sampling and glows.
  const float dx = (x - cx) / rx, dy = (y - cy) / ry;
  const float k = std::hypot(dx, dy);
  if (k == 0) return -std::min(rx, ry);
  const float gx = dx / (rx * k), gy = dy / (ry * k);  // gradient of k
  const float gl = std::hypot(gx, gy);
  return (k - 1) / (gl > 0 ? gl : 1);
}

float BoxDist(float x, float y, float cx, float cy, float hw, float hh, float round) {
  const float qx = std::fabs(x - cx) - (hw - round), qy = std::fabs(y - cy) - (hh - round);
  const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - round;
}

float SegmentDist(float x, float y, float ax, float ay, float bx, float by) {
  const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
  const float l2 = dx * dx + dy * dy;
  const float t = l2 > 0 ? Clamp01((px * dx + py * dy) / l2) : 0;
  return std::hypot(px - dx * t, py - dy * t);
}

float PolygonDist(float x, float y, const float* pts, int n) {
  float d = 1e9f;
  bool inside = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const float xi = pts[2 * i], yi = pts[2 * i + 1], xj = pts[2 * j], yj = pts[2 * j + 1];
    d = std::min(d, SegmentDist(x, y, xj, yj, xi, yi));
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside ? -d : d;
}

float StarDist(float x, float y, float cx, float cy, int points, float outer, float inner, float rotDeg) {
  float pts[4 * 16];
  if (points > 16) points = 16;
  for (int i = 0; i < 2 * points; ++i) {
    const float a = (rotDeg + 180.0f * i / points) * 3.14159265f / 180.0f;
    const float r = (i % 2 == 0) ? outer : inner;
    pts[2 * i] = cx + r * std::cos(a);
    pts[2 * i + 1] = cy + r * std::sin(a);
  }
  return PolygonDist(x, y, pts, 2 * points);
}

void Rotate(float& x, float& y, float cx, float cy, float deg) {
  const float a = deg * 3.14159265f / 180.0f;
  const float c = std::cos(a), s = std::sin(a);
  const float dx = x - cx, dy = y - cy;
  x = cx + dx * c - dy * s;
  y = cy + dx * s + dy * c;
}

Canvas::Canvas() : px_(atlas::kWidth * atlas::kHeight) {}

void Canvas::Paint(const atlas::TexelBox& box, float originU, float originV, const Shader& s) {
  for (int y = std::max(box.y0, 0); y <= std::min(box.y1, atlas::kHeight - 1); ++y)
    for (int x = std::max(box.x0, 0); x <= std::min(box.x1, atlas::kWidth - 1); ++x) {
      Rgb sum;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          const Rgb c = s(x + (i + 0.5f) / 4 - originU, y + (j + 0.5f) / 4 - originV);
          sum = sum + Rgb{Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
        }
      px_[y * atlas::kWidth + x] = sum * (1.0f / 16);
    }
}

void Canvas::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= atlas::kWidth || y >= atlas::kHeight) return;
  px_[y * atlas::kWidth + x] = c;
}

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 255);
  b.push_back((v >> 8) & 255);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
uint8_t ToByte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }
}  // namespace

std::vector<uint8_t> Canvas::EncodeBmp() const {
  const uint32_t rowBytes = atlas::kWidth * 3, dataBytes = rowBytes * atlas::kHeight;
  std::vector<uint8_t> b;
  b.reserve(54 + dataBytes);
  b.push_back('B');
  b.push_back('M');
  Put32(b, 54 + dataBytes);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, atlas::kWidth);
  Put32(b, atlas::kHeight);  // positive: bottom-up
  Put16(b, 1);
  Put16(b, 24);
  Put32(b, 0);  // BI_RGB
  Put32(b, dataBytes);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 0);
  Put32(b, 0);
  for (int y = atlas::kHeight - 1; y >= 0; --y)
    for (int x = 0; x < atlas::kWidth; ++x) {
      const Rgb& c = px_[y * atlas::kWidth + x];
      uint8_t r = ToByte(c.r), g = ToByte(c.g), bl = ToByte(c.b);
      // Exact black is the colour key: a texel that shows at all must not fall into it.
      if (r | g | bl) {
        r = std::max<uint8_t>(r, 1);
        g = std::max<uint8_t>(g, 1);
        bl = std::max<uint8_t>(bl, 1);
      }
      b.push_back(bl);
      b.push_back(g);
      b.push_back(r);
    }
  return b;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace art
