#include "world/GameObject.h"

#include <cmath>

#include "world/MathUtil.h"
#include "world/SpriteTable.h"

int CheckedSpriteRow(int row) { return (row < 0 || row >= kSpriteRowCount) ? kEmptySpriteRow : row; }

void SetSpriteFromTable(SpriteRecord& r, int row) {
  const SpriteDef& d = g_spriteDefs[CheckedSpriteRow(row)];
  r.texture = d.texture;
  r.shape = d.shape;
  r.srcU = d.srcU;
  r.srcV = d.srcV;
  r.srcWidth = d.srcWidth;
  r.srcHeight = d.srcHeight;
  if (d.shape == SpriteShapeQuad) {
    r.srcX2 = d.srcX2;
    r.srcY2 = d.srcY2;
    r.srcX3 = d.srcX3;
    r.srcY3 = d.srcY3;
  }
  r.baseAngle = d.baseAngle;
  r.pivotX = d.pivotX;
  r.pivotY = d.pivotY;
  r.radius = d.radius;
  r.innerRadius = d.innerRadius;
  r.scaleX = 1.0f;
  r.scaleY = 1.0f;
  r.colorMode = SpriteColorWhite;
  for (uint32_t& c : r.colors) c = 0xFFFFFFFFu;
}

void SetHitShapeFromTable(HitShape& h, int row) {
  const SpriteDef& d = g_spriteDefs[CheckedSpriteRow(row)];
  h.hitType = static_cast<int8_t>(d.hitType);  // 255 reads as HitNone
  h.pivotX = d.pivotX;
  h.pivotY = d.pivotY;
  for (int i = 0; i < 4; ++i) h.hitCorners[i] = d.hitCorners[i];
  if (d.hitType == 1) {
    for (int i = 4; i < 8; ++i) h.hitCorners[i] = d.hitCorners[i];
  }
  h.boundRadius = d.boundRadius;
  h.baseAngle = d.baseAngle;
}

void GameObject::SetObjectSprite(int row) {
  SetSpriteFromTable(sprite, row);
  sprite.colorMode = SpriteColorSingle;
}

void GameObject::SetScale(float sx, float sy) {
  sprite.scaleX = sx;
  hitShape.scaleX = sx;
  sprite.scaleY = sy;
  hitShape.scaleY = sy;
}

void GameObject::SetScaleUniform(float s) { SetScale(s, s); }

void GameObject::SetVelocityXY(float nvx, float nvy) {
  vx = nvx;
  vy = nvy;
  XYToPolar(vx, vy, &direction, &speed);
}

void GameObject::SetVelocityPolar(float ndirection, float nspeed) {
  direction = ndirection;
  speed = nspeed;
  PolarToXYOut(direction, speed, &vx, &vy);
}

void BuildRotatedSpriteQuad(ScreenVertex q[4], float x, float y, float facing, SpriteRecord r) {
  const float left = -r.pivotX * r.scaleX;
  const float right = (r.srcWidth - r.pivotX) * r.scaleX;
  const float top = -r.pivotY * r.scaleY;
  const float bottom = (r.srcHeight - r.pivotY) * r.scaleY;
  const float theta = (facing - r.baseAngle) * kPi / 180.0f;
  const float cx[4] = {left, right, right, left};
  const float cy[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    float d = std::sqrt(cx[i] * cx[i] + cy[i] * cy[i]);
    float phi = std::atan2(-cy[i], cx[i]);
    q[i].x = std::cos(theta + phi) * d + x + PlayfieldScreenX;
    q[i].y = -std::sin(theta + phi) * d + y;
  }
  for (int i = 0; i < 4; ++i) {
    if (r.colorMode == SpriteColorSingle) q[i].color = r.colors[0];
    else if (r.colorMode == SpriteColorCorners) q[i].color = r.colors[i];
    else q[i].color = 0xFFFFFFFFu;
  }
  const float u0 = r.srcU / 639.0f, v0 = r.srcV / 479.0f;
  const float u2 = (r.srcU + r.srcWidth) / 639.0f, v2 = (r.srcV + r.srcHeight) / 479.0f;
  q[0].u = u0; q[0].v = v0;
  q[1].u = u2; q[1].v = v0;
  q[2].u = u2; q[2].v = v2;
  q[3].u = u0; q[3].v = v2;
}

void BuildSpriteQuad(ScreenVertex q[4], int row, float x, float y, uint32_t argb) {
  const SpriteDef& d = g_spriteDefs[CheckedSpriteRow(row)];
  const float sx = x + PlayfieldScreenX;
  if (d.shape == SpriteShapeQuad) {
    const float px[4] = {d.srcU, d.srcWidth, d.srcX2, d.srcX3};
    const float py[4] = {d.srcV, d.srcHeight, d.srcY2, d.srcY3};
    for (int i = 0; i < 4; ++i) {
      q[i].x = (px[i] - d.pivotX) + sx;
      q[i].y = (py[i] - d.pivotY) + y;
      q[i].u = px[i] / 639.0f;
      q[i].v = py[i] / 479.0f;
    }
  } else {
    q[0].x = sx - d.pivotX;
    q[0].y = y - d.pivotY;
    q[2].x = q[0].x + d.srcWidth;
    q[2].y = q[0].y + d.srcHeight;
    q[1].x = q[2].x; q[1].y = q[0].y;
    q[3].x = q[0].x; q[3].y = q[2].y;
    q[0].u = d.srcU / 639.0f;
    q[0].v = d.srcV / 479.0f;
    q[2].u = d.srcWidth / 639.0f + q[0].u;
    q[2].v = d.srcHeight / 479.0f + q[0].v;
    q[1].u = q[2].u; q[1].v = q[0].v;
    q[3].u = q[0].u; q[3].v = q[2].v;
  }
  for (int i = 0; i < 4; ++i) q[i].color = argb;
}
