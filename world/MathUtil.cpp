#include "world/MathUtil.h"

#include <cmath>
#include <cstdint>

float Atan2Deg(float y, float x) { return std::atan2(y, x) * 180.0f / kPi; }

float NormalizeAngle(float a) {
  float r = a - std::trunc(a / 360.0f) * 360.0f;
  if (r < 0.0f) r += 360.0f;  // may round to exactly 360 for tiny negative input; callers clamp
  return r;
}

float AngleDistance(float a, float b) {
  float d = NormalizeAngle(a - b);
  if (d > 180.0f) d -= 360.0f;
  return std::fabs(d);
}

float TurnAngleToward(float cur, float target, float step) {
  float c = NormalizeAngle(cur);
  float t = NormalizeAngle(target);
  float d = NormalizeAngle(t - c);  // counter-clockwise distance from c to t
  if (c == t) d = 0.0f;
  bool up = d > 0.0f && d <= 180.0f;
  float remaining = up ? d : (d == 0.0f ? 0.0f : 360.0f - d);
  if (remaining == 0.0f || step >= remaining) return t;
  return up ? NormalizeAngle(c + step) : NormalizeAngle(c - step);
}

void PolarToXY(float* outX, float* outY, float angle, float length) {
  float rad = angle * kPi / 180.0f;
  *outX = std::cos(rad) * length;
  *outY = -std::sin(rad) * length;
}

void PolarToXYOut(float angle, float length, float* outX, float* outY) { PolarToXY(outX, outY, angle, length); }

void XYToPolar(float x, float y, float* outAngle, float* outLength) {
  *outAngle = Atan2Deg(-y, x);
  *outLength = Hypot(x, y);
}

float Hypot(float x, float y) { return std::sqrt(x * x + y * y); }

float FloorF(float v) {
  float t = std::trunc(v);
  if (v < 0.0f && t != v) t -= 1.0f;
  return t;
}

int FloorToInt(float v) { return FloatToInt(FloorF(v)); }

float RoundF(float v) { return static_cast<float>(FloatToInt(v + 0.5f)); }

int ClampInt(int v, int lo, int hi) {
  if (v < lo) return lo;
  if (v > hi) return hi;
  return v;
}

float ClampFloat(float v, float lo, float hi) {
  if (v < lo) return lo;
  if (v > hi) return hi;
  return v;
}

int SignInt(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
float SignIntAsFloat(int v) { return static_cast<float>(SignInt(v)); }
int SignFloatAsInt(float v) { return v < 0.0f ? -1 : (v > 0.0f ? 1 : 0); }
float SignFloat(float v) { return static_cast<float>(SignFloatAsInt(v)); }

// 64-bit intermediates: lifetimes up to 2147483647 must not overflow t + 16 * period.
int TriangleWave(int t, int period) {
  if (period < 1) return 0;
  int r = static_cast<int>((static_cast<int64_t>(t) + 16 * static_cast<int64_t>(period)) % period);
  int h = period / 2;
  return r > h ? 2 * h - r : r;
}

int TriangleWaveOdd(int t, int period) {
  if (period < 1) return 0;
  int r = static_cast<int>((static_cast<int64_t>(t) + 16 * static_cast<int64_t>(period)) % period);
  int h = (period - 1) / 2;
  return r > h ? period - 1 - r : r;
}

int32_t FloatToInt(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(v);
}

int FloatToByte(float v) {
  int32_t i = FloatToInt(v);
  if (i < 0) return 0;
  if (i > 255) return 255;
  return i;
}
