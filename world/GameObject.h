#pragma once
// The common head of every moving object, its sprite and hit-shape records, and the two quad
// builders that turn a record into four screen vertices.

#include <cstdint>

constexpr float PlayfieldScreenX = 140.0f;

enum SpriteShape : uint8_t { SpriteShapeRect = 0, SpriteShapeQuad = 1 };
enum SpriteColorMode : uint8_t { SpriteColorWhite = 0, SpriteColorSingle = 1, SpriteColorCorners = 2 };
enum HitType : int8_t { HitNone = -1, HitCircle = 0, HitQuad = 1 };

struct SpriteRecord {
  int32_t texture = 0;
  uint8_t shape = 0;
  float srcU = 0, srcV = 0, srcWidth = 0, srcHeight = 0;
  float srcX2 = 0, srcY2 = 0, srcX3 = 0, srcY3 = 0;
  float baseAngle = 0;
  float scaleX = 0, scaleY = 0;
  float pivotX = 0, pivotY = 0;
  float radius = 0;
  float innerRadius = 0;
  uint8_t colorMode = 0;
  uint32_t colors[4] = {0, 0, 0, 0};
};

struct HitShape {
  int8_t hitType = 0;
  float scaleX = 0, scaleY = 0;
  float pivotX = 0, pivotY = 0;
  float hitCorners[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  float boundRadius = 0;
  float baseAngle = 0;
};

struct ScreenVertex {
  float x = 0, y = 0, z = 0, rhw = 0;
  uint32_t color = 0;
  float u = 0, v = 0;
};

class GameObject {
 public:
  float x = 0, y = 0;
  float prevX = 0, prevY = 0;
  float vx = 0, vy = 0;
  float direction = 0, speed = 0;
  float facing = 0;
  int32_t effectAge = 0;
  SpriteRecord sprite;
  HitShape hitShape;

  void SetObjectSprite(int row);
  void SetScale(float sx, float sy);
  void SetScaleUniform(float s);
  void SetVelocityXY(float vx, float vy);
  void SetVelocityPolar(float direction, float speed);
};

// Rows outside 0..2047 (they come from data) are taken as row 127, the empty row.
int CheckedSpriteRow(int row);

void SetSpriteFromTable(SpriteRecord& r, int row);
void SetHitShapeFromTable(HitShape& h, int row);
void BuildRotatedSpriteQuad(ScreenVertex q[4], float x, float y, float facing, SpriteRecord r);
void BuildSpriteQuad(ScreenVertex q[4], int row, float x, float y, uint32_t argb);
