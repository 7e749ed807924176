#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "world/Collision.h"

namespace {

// An axis-aligned quad shape centred on the anchor, half sizes hx, hy, optionally offset.
HitShape Box(float hx, float hy, float scale = 1.0f, float ox = 0.0f, float oy = 0.0f) {
  HitShape h;
  h.hitType = HitQuad;
  h.scaleX = h.scaleY = scale;
  const float c[8] = {ox - hx, oy - hy, ox + hx, oy - hy, ox + hx, oy + hy, ox - hx, oy + hy};
  float far = 0;
  for (int i = 0; i < 8; ++i) {
    h.hitCorners[i] = c[i];
  }
  for (int i = 0; i < 4; ++i) {
    const float d = std::sqrt(c[2 * i] * c[2 * i] + c[2 * i + 1] * c[2 * i + 1]);
    if (d > far) far = d;
  }
  h.boundRadius = far;
  return h;
}

HitShape Circle(float r, float sx, float sy, float ox = 0.0f, float oy = 0.0f) {
  HitShape h;
  h.hitType = HitCircle;
  h.scaleX = sx;
  h.scaleY = sy;
  h.hitCorners[0] = ox;
  h.hitCorners[1] = oy;
  h.hitCorners[2] = r;
  h.boundRadius = std::sqrt(ox * ox + oy * oy) + r;
  return h;
}

class Collision : public ::testing::Test {
 protected:
  void SetUp() override { g_hitErrorFlags = 0; }
};

}  // namespace

TEST_F(Collision, QuadAgainstQuad) {
  struct Case {
    const char* what;
    float ax, ay, aFacing;
    HitShape a;
    float bx, by, bFacing;
    HitShape b;
    bool hit;
  };
  const Case cases[] = {
      {"overlapping boxes", 0, 0, 0, Box(8, 8), 10, 5, 0, Box(8, 8), true},
      {"small inside large", 3, 2, 0, Box(1, 1), 0, 0, 0, Box(20, 20), true},
      {"large around small", 0, 0, 0, Box(20, 20), 3, 2, 0, Box(1, 1), true},
      {"apart", 0, 0, 0, Box(8, 8), 17, 3, 0, Box(8, 8), false},
      // Edges on one line count as crossing even when they do not overlap.
      {"apart but edges on one line", 0, 0, 0, Box(8, 8), 17, 0, 0, Box(8, 8), true},
      {"beyond the bound radii", 0, 0, 0, Box(8, 8), 40, 40, 0, Box(8, 8), false},
      {"an X: edges cross, no corner inside", 0, 0, 45, Box(20, 2), 0, 0, 315, Box(20, 2), true},
      {"scale 2 reaches", 0, 0, 0, Box(8, 8, 2.0f), 19, 0, 0, Box(4, 4), true},
      {"scale 1 does not", 0, 0, 0, Box(8, 8, 1.0f), 19, 0, 0, Box(4, 4), false},
      // A shape offset 11 px to the right of its anchor: facing 90 turns it above the anchor.
      {"offset shape at facing 0", 0, 0, 0, Box(1, 1, 1.0f, 11, 0), 11, 0, 0, Box(2, 2), true},
      {"offset shape at facing 0 misses above", 0, 0, 0, Box(1, 1, 1.0f, 11, 0), 0, -11, 0, Box(2, 2), false},
      {"offset shape at facing 90", 0, 0, 90, Box(1, 1, 1.0f, 11, 0), 0, -11, 0, Box(2, 2), true},
      {"offset shape at facing 90 misses right", 0, 0, 90, Box(1, 1, 1.0f, 11, 0), 11, 0, 0, Box(2, 2), false},
      {"rotated 45: corner reaches further", 0, 0, 45, Box(8, 8), 14.5f, 0, 0, Box(4, 4), true},
      {"unrotated does not", 0, 0, 0, Box(8, 8), 14.5f, 0, 0, Box(4, 4), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TestHit(c.ax, c.ay, c.aFacing, c.a, c.bx, c.by, c.bFacing, c.b), c.hit) << c.what;
    EXPECT_EQ(TestHit(c.bx, c.by, c.bFacing, c.b, c.ax, c.ay, c.aFacing, c.a), c.hit) << c.what << " (swapped)";
  }
}

TEST_F(Collision, BaseAngleTurnsTheShapeBack) {
  HitShape a = Box(1, 1, 1.0f, 11, 0);
  a.baseAngle = 90;
  // Facing 90 with base angle 90 poses the shape as stored: to the right.
  EXPECT_TRUE(TestHit(0, 0, 90, a, 11, 0, 0, Box(2, 2)));
  EXPECT_FALSE(TestHit(0, 0, 90, a, 0, -11, 0, Box(2, 2)));
}

TEST_F(Collision, NoneNeverHits) {
  HitShape none = Box(8, 8);
  none.hitType = HitNone;
  EXPECT_FALSE(TestHit(0, 0, 0, none, 0, 0, 0, Box(8, 8)));
  EXPECT_FALSE(TestHit(0, 0, 0, Box(8, 8), 0, 0, 0, none));
  EXPECT_FALSE(TestHit(0, 0, 0, none, 0, 0, 0, Circle(5, 1, 1)));
}

TEST_F(Collision, SegmentRules) {
  struct Case {
    const char* what;
    float s[4], t[4];
    bool cross;
  };
  const Case cases[] = {
      {"plain crossing", {-1, -1, 1, 1}, {-1, 1, 1, -1}, true},
      {"apart", {0, 0, 1, 1}, {2, 0, 3, 1}, false},
      {"same non-vertical line, no overlap", {0, 0, 1, 1}, {5, 5, 6, 6}, true},
      {"parallel, different lines", {0, 0, 1, 1}, {0, 1, 1, 2}, false},
      {"same vertical line", {0, 0, 0, 5}, {0, 1, 0, 3}, false},
      {"vertical against exactly horizontal", {0, -1, 0, 1}, {-1, 0, 1, 0}, false},
      {"vertical against sloped", {0, -1, 0, 1}, {-1, -0.5f, 1, 0.5f}, true},
      {"sloped against vertical", {-1, -0.5f, 1, 0.5f}, {0, -1, 0, 1}, true},
      {"vertical misses sloped", {3, -1, 3, 1}, {-1, -0.5f, 1, 0.5f}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SegmentsIntersect(c.s[0], c.s[1], c.s[2], c.s[3], c.t[0], c.t[1], c.t[2], c.t[3]), c.cross) << c.what;
  }
}

TEST_F(Collision, PointInQuadAndLineFoot) {
  EXPECT_TRUE(PointInQuad(0, 0, 10, 0, 10, 10, 0, 10, 5, 5));
  EXPECT_TRUE(PointInQuad(0, 0, 0, 10, 10, 10, 10, 0, 5, 5));  // either winding
  EXPECT_TRUE(PointInQuad(5, -5, 10, 5, 5, 10, -1, 3, 5, 3));  // not axis-aligned
  EXPECT_FALSE(PointInQuad(0, 0, 10, 0, 10, 10, 0, 10, 15, 5));
  EXPECT_FALSE(PointInQuad(0, 0, 0, 0, 0, 0, 0, 0, 0, 0));  // a degenerate quad holds nothing
  // Foot below the point (screen y down): 270 degrees; a point on the line gives 0.
  EXPECT_FLOAT_EQ(AngleToLineFoot(0, 10, 10, 10, 5, 0), 270.0f);
  EXPECT_FLOAT_EQ(AngleToLineFoot(0, 0, 10, 10, 5, 5), 0.0f);
  EXPECT_NEAR(AngleToLineFoot(0, 0, 10, 10, 0, 10), 45.0f, 1e-3f);  // up and right
}

TEST_F(Collision, PointBelowLine) {
  EXPECT_EQ(PointBelowLine(0, 0, 0, 10, 1, 5), 1);   // vertical: right of it
  EXPECT_EQ(PointBelowLine(0, 0, 0, 10, -1, 5), 0);
  EXPECT_EQ(PointBelowLine(0, 10, 10, 0, 5, 8), 1);  // rising to the right: below on screen
  EXPECT_EQ(PointBelowLine(10, 0, 0, 10, 5, 8), 1);  // same line given the other way round
  EXPECT_EQ(PointBelowLine(0, 0, 10, 10, 5, 2), 1);  // falling: above on screen
  EXPECT_EQ(PointBelowLine(0, 0, 10, 10, 5, 8), 0);
}

TEST_F(Collision, Circles) {
  EXPECT_TRUE(TestHit(0, 0, 0, Circle(5, 1, 1), 8, 0, 0, Circle(4, 1, 1)));
  EXPECT_FALSE(TestHit(0, 0, 0, Circle(5, 1, 1), 10, 0, 0, Circle(4, 1, 1)));
  // The radii are not scaled, the offsets are.
  EXPECT_FALSE(TestHit(0, 0, 0, Circle(5, 2, 2), 10, 0, 0, Circle(4, 2, 2)));
  EXPECT_TRUE(TestHit(0, 0, 0, Circle(2, 2, 2, 3, 0), 9, 0, 0, Circle(2, 1, 1)));
  EXPECT_EQ(g_hitErrorFlags, 0);
  // Circle against quad, either order: the circle goes first.
  EXPECT_TRUE(TestHit(0, 0, 0, Circle(3, 1, 1), 0, 0, 0, Box(5, 5)));
  EXPECT_TRUE(TestHit(0, 0, 0, Box(5, 5), 6, 0, 0, Circle(3, 1, 1)));
  EXPECT_TRUE(TestHit(6, 0, 0, Circle(3, 1, 1), 0, 0, 0, Box(5, 5)));
  EXPECT_TRUE(TestHit(7, 7, 0, Circle(3, 1, 1), 0, 0, 0, Box(5, 5)));  // corner 2.83 away
  EXPECT_FALSE(TestHit(7.5f, 0, 0, Circle(2, 1, 1), 0, 0, 0, Box(5, 5)));
  EXPECT_FALSE(TestHit(8, 8, 0, Circle(3, 1, 1), 0, 0, 0, Box(5, 5)));  // corner 4.24 away
  EXPECT_FALSE(TestHit(20, 0, 0, Circle(3, 1, 1), 0, 0, 0, Box(5, 5)));
  // Rotated quad: a 45-degree diamond reaches 7.07 along x.
  EXPECT_TRUE(TestHit(9, 0, 0, Circle(2.5f, 1, 1), 0, 0, 45, Box(5, 5)));
  EXPECT_FALSE(TestHit(9, 0, 0, Circle(2.5f, 1, 1), 0, 0, 0, Box(5, 5)));
  EXPECT_FALSE(TestHit(9, 0, 0, Circle(1.5f, 1, 1), 0, 0, 45, Box(5, 5)));  // tip 1.93 away
  EXPECT_EQ(g_hitErrorFlags, 0);
}

TEST_F(Collision, UnequalCircleScalesSetTheErrorBit) {
  EXPECT_FALSE(TestHit(0, 0, 0, Circle(5, 1, 2), 0, 0, 0, Circle(5, 1, 1)));
  EXPECT_EQ(g_hitErrorFlags, HitErrorEllipse);
  g_hitErrorFlags = 0;
  EXPECT_FALSE(TestHit(0, 0, 0, Box(5, 5), 0, 0, 0, Circle(5, 2, 1)));
  EXPECT_EQ(g_hitErrorFlags, HitErrorEllipse);
  // Never cleared by later tests.
  EXPECT_TRUE(TestHit(0, 0, 0, Circle(5, 1, 1), 0, 0, 0, Circle(5, 1, 1)));
  EXPECT_EQ(g_hitErrorFlags, HitErrorEllipse);
}

TEST(HitErrorText, OneLinePerSetBit) {
  EXPECT_EQ(BuildHitErrorText(0), "");
  EXPECT_EQ(BuildHitErrorText(1), "Error !!\n0:Ellipsoidal hit range is invalid.\n");
  EXPECT_EQ(BuildHitErrorText(3), "Error !!\n0:Ellipsoidal hit range is invalid.\n1:L.E. is out of limitation.\n");
  EXPECT_EQ(BuildHitErrorText(2 | 16), "Error !!\n1:L.E. is out of limitation.\n?:undefined error.\n");
  // Every bit set, the sign bit included: 32 lines, nothing truncated.
  std::string all = BuildHitErrorText(-1);
  int lines = 0;
  for (char ch : all) lines += ch == '\n';
  EXPECT_EQ(lines, 33);
  EXPECT_EQ(all.substr(all.size() - 19), "?:undefined error.\n");
}
