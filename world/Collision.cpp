#include "world/Collision.h"

#include "world/MathUtil.h"

int32_t g_hitErrorFlags = 0;

std::string BuildHitErrorText(int32_t flags) {
  if (flags == 0) return std::string();
  std::string text = "Error !!\n";
  const uint32_t bits = static_cast<uint32_t>(flags);
  for (int i = 0; i < 32; ++i) {
    if (!(bits & (1u << i))) continue;
    if (i == 0) text += "0:Ellipsoidal hit range is invalid.\n";
    else if (i == 1) text += "1:L.E. is out of limitation.\n";
    else text += "?:undefined error.\n";
  }
  return text;
}

namespace {

// A shape point (cx, cy) of an object at (x, y) with the given facing, in playfield coordinates.
void PosePoint(const HitShape& h, float x, float y, float facing, float cx, float cy, float* outX, float* outY) {
  const float ox = cx * h.scaleX;
  const float oy = cy * h.scaleY;
  const float theta = Atan2Deg(-oy, ox) - h.baseAngle + facing;
  const float len = Hypot(ox, oy);
  float dx, dy;
  PolarToXY(&dx, &dy, theta, len);
  *outX = x + dx;
  *outY = y + dy;
}

void PoseQuad(const HitShape& h, float x, float y, float facing, float px[4], float py[4]) {
  for (int i = 0; i < 4; ++i) PosePoint(h, x, y, facing, h.hitCorners[2 * i], h.hitCorners[2 * i + 1], &px[i], &py[i]);
}

float ScaledBound(const HitShape& h) { return MaxFloat(h.scaleX, h.scaleY) * h.boundRadius; }

bool ChangesSide(float v, float a, float b) { return SignFloatAsInt(v - a) != SignFloatAsInt(v - b); }

bool MidpointRule(float u1, float u2, float u3, float u4) {
  return SignFloatAsInt(u1 + u2 - 2 * u3) != SignFloatAsInt(u1 + u2 - 2 * u4) ||
         SignFloatAsInt(2 * u1 - u3 - u4) != SignFloatAsInt(2 * u2 - u3 - u4);
}

bool QuadIsSimple(const float px[4], const float py[4]) {
  return !SegmentsIntersect(px[0], py[0], px[1], py[1], px[2], py[2], px[3], py[3]) &&
         !SegmentsIntersect(px[1], py[1], px[2], py[2], px[3], py[3], px[0], py[0]);
}

bool AnyCornerInside(const float px[4], const float py[4], const float qx[4], const float qy[4]) {
  for (int k = 0; k < 4; ++k) {
    if (PointInQuad(px[0], py[0], px[1], py[1], px[2], py[2], px[3], py[3], qx[k], qy[k])) return true;
  }
  return false;
}

float DistanceToSegment(float x1, float y1, float x2, float y2, float px, float py) {
  const float dx = x2 - x1, dy = y2 - y1;
  const float len2 = dx * dx + dy * dy;
  float t = len2 > 0.0f ? ((px - x1) * dx + (py - y1) * dy) / len2 : 0.0f;
  t = ClampFloat(t, 0.0f, 1.0f);
  return Hypot(x1 + t * dx - px, y1 + t * dy - py);
}

}  // namespace

bool TestHit(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b) {
  if (a.hitType == HitNone || b.hitType == HitNone) return false;
  if (a.hitType == HitCircle && b.hitType == HitCircle) return HitCircleCircle(ax, ay, aFacing, a, bx, by, bFacing, b);
  if (a.hitType == HitCircle && b.hitType == HitQuad) return HitCircleQuad(ax, ay, aFacing, a, bx, by, bFacing, b);
  if (a.hitType == HitQuad && b.hitType == HitCircle) return HitCircleQuad(bx, by, bFacing, b, ax, ay, aFacing, a);
  if (a.hitType == HitQuad && b.hitType == HitQuad) return HitQuadQuad(ax, ay, aFacing, a, bx, by, bFacing, b);
  return false;  // any other type value never collides
}

bool HitQuadQuad(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b) {
  if (Hypot(ax - bx, ay - by) > ScaledBound(a) + ScaledBound(b)) return false;
  float px[4], py[4], qx[4], qy[4];
  PoseQuad(a, ax, ay, aFacing, px, py);
  PoseQuad(b, bx, by, bFacing, qx, qy);
  if (QuadIsSimple(px, py) && AnyCornerInside(px, py, qx, qy)) return true;
  if (QuadIsSimple(qx, qy) && AnyCornerInside(qx, qy, px, py)) return true;
  for (int i = 0; i < 4; ++i) {
    const int i2 = (i + 1) % 4;
    for (int j = 0; j < 3; ++j) {
      if (SegmentsIntersect(px[i], py[i], px[i2], py[i2], qx[j], qy[j], qx[j + 1], qy[j + 1])) return true;
    }
  }
  return false;
}

bool HitCircleCircle(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b) {
  if (a.scaleX != a.scaleY || b.scaleX != b.scaleY) {
    g_hitErrorFlags |= HitErrorEllipse;
    return false;
  }
  if (Hypot(ax - bx, ay - by) > a.boundRadius * a.scaleX + b.boundRadius * b.scaleX) return false;
  float acx, acy, bcx, bcy;
  PosePoint(a, ax, ay, aFacing, a.hitCorners[0], a.hitCorners[1], &acx, &acy);
  PosePoint(b, bx, by, bFacing, b.hitCorners[0], b.hitCorners[1], &bcx, &bcy);
  return Hypot(acx - bcx, acy - bcy) < a.hitCorners[2] + b.hitCorners[2];
}

bool HitCircleQuad(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b) {
  if (a.scaleX != a.scaleY) {
    g_hitErrorFlags |= HitErrorEllipse;
    return false;
  }
  if (Hypot(ax - bx, ay - by) > ScaledBound(a) + ScaledBound(b)) return false;
  float cx, cy;
  PosePoint(a, ax, ay, aFacing, a.hitCorners[0], a.hitCorners[1], &cx, &cy);
  return HitCircleQuadCore(cx, cy, a.hitCorners[2], bx, by, bFacing, b);
}

// The circle is tested against the quad exactly: the centre inside the quad, or within r of one
// of its edges. (No sprite row has a circle shape, so this never runs in play.)
bool HitCircleQuadCore(float cx, float cy, float r, float bx, float by, float bFacing, HitShape b) {
  float px[4], py[4];
  PoseQuad(b, bx, by, bFacing, px, py);
  if (PointInQuad(px[0], py[0], px[1], py[1], px[2], py[2], px[3], py[3], cx, cy)) return true;
  for (int i = 0; i < 4; ++i) {
    if (DistanceToSegment(px[i], py[i], px[(i + 1) % 4], py[(i + 1) % 4], cx, cy) < r) return true;
  }
  return false;
}

bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4) {
  const bool sVertical = x1 == x2;
  const bool tVertical = x3 == x4;
  if (sVertical && tVertical) return false;
  if (sVertical) {
    const float m2 = (y3 - y4) / (x3 - x4);
    const float yy = m2 * x1 + (y3 - m2 * x3);
    return ChangesSide(yy, y1, y2) && ChangesSide(yy, y3, y4) && MidpointRule(x1, x2, x3, x4);
  }
  const float m1 = (y1 - y2) / (x1 - x2);
  const float c1 = y1 - m1 * x1;
  if (tVertical) {
    const float yy = m1 * x3 + c1;
    return ChangesSide(yy, y1, y2) && ChangesSide(yy, y3, y4) && MidpointRule(x1, x2, x3, x4);
  }
  const float m2 = (y3 - y4) / (x3 - x4);
  const float c2 = y3 - m2 * x3;
  if (m1 == m2) return c1 == c2;  // the same line counts as crossing, overlapping or not
  const float X = -(c1 - c2) / (m1 - m2);
  return ChangesSide(X, x1, x2) && ChangesSide(X, x3, x4) && MidpointRule(y1, y2, y3, y4);
}

bool PointInQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float px, float py) {
  const float A = AngleToLineFoot(x0, y0, x1, y1, px, py);
  const float D = AngleToLineFoot(x1, y1, x2, y2, px, py);
  const float B = AngleToLineFoot(x2, y2, x3, y3, px, py);
  const float C = AngleToLineFoot(x3, y3, x0, y0, px, py);
  const float diffs[4] = {A - D, D - B, B - C, C - A};
  int sum = 0;
  for (float d : diffs) {
    if (d > 180.0f || d < -180.0f) d -= SignFloat(d) * 360.0f;
    sum += SignFloatAsInt(d);
  }
  return sum == 4 || sum == -4;
}

float AngleToLineFoot(float x1, float y1, float x2, float y2, float px, float py) {
  float fx, fy;
  if (x1 == x2) {
    fx = x1;
    fy = py;
  } else if (y1 == y2) {
    fx = px;
    fy = y1;
  } else {
    const float m = (y1 - y2) / (x1 - x2);
    const float c = y1 - m * x1;
    const float mp = -1.0f / m;
    const float cp = py - mp * px;
    fx = -(c - cp) / (m - mp);
    fy = m * fx + c;
  }
  return NormalizeAngle(Atan2Deg(py - fy, fx - px));
}

int PointBelowLine(float x1, float y1, float x2, float y2, float px, float py) {
  if (x1 > x2) {
    float t = x1; x1 = x2; x2 = t;
    t = y1; y1 = y2; y2 = t;
  }
  if (x1 == x2) return px > x1 ? 1 : 0;
  const float ly = y1 + (y2 - y1) * (px - x1) / (x2 - x1);
  if (y2 < y1) return py > ly ? 1 : 0;
  return py < ly ? 1 : 0;
}
