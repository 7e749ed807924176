#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/FrameLoop.h"
#include "world/GameObject.h"
#include "world/SpriteTable.h"

namespace {
class SpriteTable : public ::testing::Test {
 protected:
  void SetUp() override { InitGameTables(); }
};
}  // namespace

TEST_F(SpriteTable, RowsHaveTheirRectanglesAnchorsAndHitShapes) {
  struct Row {
    int row, texture;
    float u, v, w, h, px, py;
    int hitType;
    float c0x, c0y, c2x, c2y;
  } rows[] = {
      {0, 0, 362.5f, 0.5f, 12, 19, 0, 0, 255, 0, 0, 0, 0},
      {33, 0, 362.5f + 13, 0.5f + 40, 12, 19, 0, 0, 255, 0, 0, 0, 0},
      {105, 0, 570.5f + 52, 0.5f + 20, 12, 19, 0, 0, 255, 0, 0, 0, 0},
      {126, 1, 385, 115, 180, 29, 90, 14.5f, 255, 0, 0, 0, 0},
      {127, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0},
      {128, 0, 1.15f, 1.15f, 32.7f, 32.7f, 16, 16, 1, -2, -2, 2, 2},
      {138, 0, 171.15f, 101.5f, 23.7f, 12.7f, 11, 7, 1, -11, -7, 12, 6},  // anchor 23 / 2 = 11
      {139, 0, 196.15f, 100.5f, 29.7f, 14.7f, 14, 8, 1, -14, -8, 15, 7},  // 29 / 2 = 14
      {140, 0, 227.15f, 100.5f, 30.7f, 14.7f, 15, 8, 1, -15, -8, 15, 7},
      {141, 0, 259.15f, 99.5f, 30.7f, 16.7f, 15, 9, 1, -15, -9, 15, 8},
      {142, 0, 291.15f, 98.5f, 32.7f, 18.7f, 16, 10, 1, -16, -10, 16, 9},
      {145, 1, 158.15f, 2.15f, 19.7f, 19.7f, 10, 10, 1, -10, -10, 10, 10},
      {150, 1, 1.15f, 1.15f, 58.7f, 58.7f, 0, 0, 255, 0, 0, 0, 0},
      {153, 0, 219.5f, 1.15f, 45.7f, 45.7f, 23, 23, 1, -23, -23, 23, 23},
      {154, 0, 267.5f, 1.15f, 45.7f, 45.7f, 15, 23, 1, -15, -23, 31, 1},
      {156, 0, 171.5f, 49.15f, 45.7f, 45.7f, 23, 23, 1, -19, -19, 19, 19},
      {159, 0, 325.5f, 100.15f, 36.7f, 14.7f, 7, 7, 1, -7, -7, 29, 7},
      {176, 0, 1.15f, 170.15f, 37.7f, 19.7f, 19, 10, 1, -7, -3, 7, 3},
      {260, 0, 161.15f, 361.15f, 37.7f, 37.7f, 19, 19, 1, -14, -12, 8, 0},
      {304, 0, 1.15f, 69.15f, 31.7f, 31.7f, 16, 16, 1, -16, -16, 16, 16},
      {309, 0, 571.15f, 81.15f, 37.7f, 37.7f, 19, 19, 1, -19, -19, 19, 19},
      {312, 1, 1.15f, 61.15f, -0.7f, 11.7f, 0, 0, 255, 0, 0, 0, 0},
      {356, 1, 83.15f, 114.15f, 33.7f, 45.7f, 0, 0, 255, 0, 0, 0, 0},
      {357, 1, 83.15f + 36, 114.15f, 43.7f, 45.7f, 0, 0, 255, 0, 0, 0, 0},
      {371, 1, 82.15f, 242.15f, 45.7f, 45.7f, 23.3f, 23.3f, 1, 4 - 23.3f, 4 - 23.3f, 41.7f - 23.3f, 41.7f - 23.3f},
      {512, 2, 1.15f, 1.15f, 36.7f, 36.7f, 19, 19, 1, -7, -7, 7, 7},
      {1024, 0, 362.85f, 0.5f, 11.3f, 19, 6, 9.5f, 255, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    const SpriteDef& d = g_spriteDefs[r.row];
    SCOPED_TRACE(r.row);
    EXPECT_EQ(d.texture, r.texture);
    EXPECT_EQ(d.shape, 0);
    EXPECT_FLOAT_EQ(d.srcU, r.u);
    EXPECT_FLOAT_EQ(d.srcV, r.v);
    EXPECT_FLOAT_EQ(d.srcWidth, r.w);
    EXPECT_FLOAT_EQ(d.srcHeight, r.h);
    EXPECT_FLOAT_EQ(d.pivotX, r.px);
    EXPECT_FLOAT_EQ(d.pivotY, r.py);
    EXPECT_EQ(d.hitType, r.hitType);
    EXPECT_FLOAT_EQ(d.hitCorners[0], r.c0x);
    EXPECT_FLOAT_EQ(d.hitCorners[1], r.c0y);
    EXPECT_FLOAT_EQ(d.hitCorners[4], r.c2x);
    EXPECT_FLOAT_EQ(d.hitCorners[5], r.c2y);
  }
}

TEST_F(SpriteTable, RadiiAndBounds) {
  const SpriteDef& p = g_spriteDefs[128];
  EXPECT_NEAR(p.radius, std::sqrt(16.7f * 16.7f * 2), 1e-4);
  EXPECT_NEAR(p.innerRadius, std::sqrt(16.0f * 16 * 2), 1e-4);
  EXPECT_FLOAT_EQ(p.boundRadius, std::sqrt(8.0f));
  EXPECT_EQ(g_spriteDefs[127].boundRadius, 0);
  EXPECT_EQ(g_spriteDefs[127].radius, 0);
  // Bullet type 100: row 260, shape 6 (the quad), colour 4.
  const SpriteDef& b = g_spriteDefs[260];
  EXPECT_FLOAT_EQ(b.hitCorners[2], 27 - 19);
  EXPECT_FLOAT_EQ(b.hitCorners[3], 18 - 19);
  EXPECT_FLOAT_EQ(b.hitCorners[6], 5 - 19);
  EXPECT_FLOAT_EQ(b.hitCorners[7], 30 - 19);
  EXPECT_EQ(g_bulletColors[100 & 15], 0xFF2020E0u);
}

TEST_F(SpriteTable, UndefinedRowsStayZero) {
  for (int row : {146, 151, 313, 400, 704, 1150, 2047}) {
    const SpriteDef& d = g_spriteDefs[row];
    EXPECT_EQ(d.hitType, 0) << row;  // a circle of radius 0, not "none"
    EXPECT_EQ(d.srcWidth, 0) << row;
    EXPECT_EQ(d.boundRadius, 0) << row;
  }
}

TEST_F(SpriteTable, OtherTables) {
  EXPECT_STREQ(g_optionTypeNames[0], "[OP-NOTHING]");
  EXPECT_STREQ(g_optionTypeNames[21], "[OP-EXTRA] L\xB9vatein");
  EXPECT_EQ(g_optionFirePeriod[6], 12);
  EXPECT_EQ(g_optionFirePeriod[19], 4);
  EXPECT_STREQ(g_difficultyNames[6], "Fuckin'Goddamn");
  EXPECT_STREQ(g_difficultyNames[15], "Unknown");
  EXPECT_STREQ(g_rankOrdinals[9], "10th");
  EXPECT_EQ(g_shotPatternByPower[0], 100);
  EXPECT_EQ(g_shotPatternByPower[20], 55555);
  EXPECT_EQ(g_nameEntryGlyphs[0], 33);       // A
  EXPECT_EQ(g_nameEntryGlyphs[26 + 25], 90);  // z
  EXPECT_EQ(g_nameEntryGlyphs[52 + 10], 1);   // '!'
  EXPECT_EQ(g_nameEntryGlyphs[52 + 25], 0);
  EXPECT_EQ(g_nameEntryGlyphs[78 + 16], 94);  // '~'
  EXPECT_EQ(g_nameEntryGlyphs[78 + 24], 96);  // BACK
  EXPECT_EQ(g_nameEntryGlyphs[78 + 25], 100);  // END
  EXPECT_EQ(g_scene, SceneTitle);
  EXPECT_EQ(g_difficulty, 4);
  EXPECT_EQ(g_stage, 1);
}

TEST_F(SpriteTable, SpriteCopiesAndOutOfRangeRows) {
  GameObject o;
  o.SetScale(3, 4);
  SetSpriteFromTable(o.sprite, 128);
  SetHitShapeFromTable(o.hitShape, 128);
  EXPECT_EQ(o.sprite.scaleX, 1);
  EXPECT_EQ(o.hitShape.scaleX, 3);  // the table copy leaves the hit scale alone
  EXPECT_EQ(o.sprite.colorMode, SpriteColorWhite);
  EXPECT_EQ(o.hitShape.hitType, HitQuad);
  o.SetObjectSprite(152);
  EXPECT_EQ(o.sprite.colorMode, SpriteColorSingle);
  EXPECT_EQ(o.sprite.colors[0], 0xFFFFFFFFu);
  SetHitShapeFromTable(o.hitShape, 150);
  EXPECT_EQ(o.hitShape.hitType, HitNone);
  for (int bad : {-1, 2048, 100000}) {
    SetSpriteFromTable(o.sprite, bad);
    SetHitShapeFromTable(o.hitShape, bad);
    EXPECT_EQ(o.sprite.srcWidth, 0);
    EXPECT_EQ(o.hitShape.hitType, HitNone);  // row 127: empty and no hit
  }
}

TEST_F(SpriteTable, QuadBuilders) {
  SpriteRecord r;
  SetSpriteFromTable(r, 128);  // 32.7 square, anchor (16, 16)
  ScreenVertex q[4];
  BuildRotatedSpriteQuad(q, 100, 200, 0, r);
  EXPECT_NEAR(q[0].x, 100 + 140 - 16, 1e-4);
  EXPECT_NEAR(q[0].y, 200 - 16, 1e-4);
  EXPECT_NEAR(q[2].x, 100 + 140 + 16.7f, 1e-4);
  EXPECT_NEAR(q[2].y, 200 + 16.7f, 1e-4);
  EXPECT_FLOAT_EQ(q[0].u, 1.15f / 639);
  EXPECT_FLOAT_EQ(q[2].v, (1.15f + 32.7f) / 479);
  EXPECT_FLOAT_EQ(q[1].u, q[2].u);
  EXPECT_FLOAT_EQ(q[3].v, q[2].v);
  EXPECT_EQ(q[0].color, 0xFFFFFFFFu);
  // Facing 90 turns the image a quarter turn counter-clockwise: the top-left corner
  // (-16, -16) goes to (-16, +16) on the screen.
  BuildRotatedSpriteQuad(q, 0, 0, 90, r);
  EXPECT_NEAR(q[0].x, 140 - 16, 1e-3);
  EXPECT_NEAR(q[0].y, 16, 1e-3);
  // Scale and colour modes.
  r.scaleX = 2;
  r.colorMode = SpriteColorCorners;
  r.colors[0] = 1; r.colors[1] = 2; r.colors[2] = 3; r.colors[3] = 4;
  BuildRotatedSpriteQuad(q, 0, 0, 0, r);
  EXPECT_NEAR(q[0].x, 140 - 32, 1e-4);
  EXPECT_EQ(q[3].color, 4u);
  r.colorMode = 7;
  BuildRotatedSpriteQuad(q, 0, 0, 0, r);
  EXPECT_EQ(q[1].color, 0xFFFFFFFFu);
  // A centred row at (0, 0) is centred on screen x 140.
  BuildSpriteQuad(q, 1024 + 10, 0, 0, 0xFF112233);
  EXPECT_FLOAT_EQ(q[0].x, 140 - 6);
  EXPECT_FLOAT_EQ(q[0].y, -9.5f);
  EXPECT_FLOAT_EQ(q[2].x, 140 - 6 + 11.3f);
  EXPECT_FLOAT_EQ(q[2].u, 11.3f / 639 + q[0].u);
  EXPECT_EQ(q[2].color, 0xFF112233u);
  BuildSpriteQuad(q, -5, 10, 10, 0);  // out of range: the empty row
  EXPECT_FLOAT_EQ(q[0].x, q[2].x);
}

TEST(GameObjectHead, VelocitySetters) {
  GameObject o;
  o.SetVelocityXY(0, 0);
  EXPECT_EQ(o.speed, 0);
  EXPECT_EQ(o.direction, 0);
  o.SetVelocityXY(0, -3);
  EXPECT_FLOAT_EQ(o.direction, 90);
  EXPECT_FLOAT_EQ(o.speed, 3);
  o.SetVelocityPolar(-90, 2);
  EXPECT_FLOAT_EQ(o.direction, -90);  // stored as given
  EXPECT_NEAR(o.vy, 2, 1e-6);
}
