#pragma once
// Hit tests between two posed hit shapes (quadrilaterals and circles), and the error bits that
// the frame renderer prints over every scene.

#include <cstdint>
#include <string>

#include "world/GameObject.h"

enum HitErrorBit : int32_t {
  HitErrorEllipse = 1,       // a circle shape with unequal scales was tested
  HitErrorLaunchPoints = 2,  // an enemy's list of launch points is full
};

// Set, never cleared, by the hit tests and the enemy code.
extern int32_t g_hitErrorFlags;

// The overlay text for the given error bits: "Error !!\n" and one line per set bit, in
// increasing bit order. Empty when no bit is set.
std::string BuildHitErrorText(int32_t flags);

// Side a is the moving object, side b the target.
bool TestHit(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b);

bool HitQuadQuad(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b);
bool HitCircleCircle(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b);
// The circle is always side a.
bool HitCircleQuad(float ax, float ay, float aFacing, HitShape a, float bx, float by, float bFacing, HitShape b);
// Exact: the centre inside the posed quad, or closer than r to one of its edges.
bool HitCircleQuadCore(float cx, float cy, float r, float bx, float by, float bFacing, HitShape b);

bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
bool PointInQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float px, float py);
float AngleToLineFoot(float x1, float y1, float x2, float y2, float px, float py);
int PointBelowLine(float x1, float y1, float x2, float y2, float px, float py);
