#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cmath>
#include <memory>
#include <vector>

#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {


class Effects : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    world = std::make_unique<GameWorld>();
  }
  std::unique_ptr<GameWorld> world;

  Effect* Make(int kind, int lifetime, float x = 100, float y = 100, float angle = 0, float speed = 0) {
    return ConstructEffect(world.get(), kind, x, y, angle, speed, lifetime);
  }
  void Frame() { UpdateEffects(world.get()); }
};

}  // namespace

TEST_F(Effects, Construction) {
  Effect* e = Make(EffectColorFade, 5, 10, 20, -90, 3);
  EXPECT_FLOAT_EQ(e->direction, -90.0f);  // not normalised
  EXPECT_FLOAT_EQ(e->facing, -90.0f);
  EXPECT_FLOAT_EQ(e->vy, 3.0f);
  EXPECT_FLOAT_EQ(e->orbitAngle, -90.0f);
  EXPECT_FLOAT_EQ(e->baseX, 10.0f);
  EXPECT_EQ(e->sprite.colorMode, SpriteColorSingle);
  EXPECT_FLOAT_EQ(e->sprite.srcU, g_spriteDefs[EffectColorFade].srcU);  // row = kind
  EXPECT_EQ(world->effects.count, 1);
  EXPECT_EQ(world->effects.tail, e);
}

TEST_F(Effects, LifetimeFramesThenRemoval) {
  for (int lifetime : {-5, 0, 1, 3, 16}) {
    ClearEffectList(&world->effects);
    Effect* e = Make(EffectPlain, lifetime);
    const int frames = lifetime < 1 ? 1 : lifetime;
    EXPECT_EQ(e->lifetime, frames);
    for (int f = 0; f < frames; ++f) Frame();
    EXPECT_EQ(world->effects.count, 1) << lifetime;
    Frame();
    EXPECT_EQ(world->effects.count, 0) << lifetime;
  }
}

TEST_F(Effects, PlainRampsAndMotion) {
  Effect* s = Make(EffectPlain, 4, 100, 100, 0, 4);
  s->startScaleX = s->startScaleY = 1;
  s->endScaleX = 3;
  s->endScaleY = 0;
  s->SetEffectScaleFactor(2, 1);
  s->friction = 0.5f;
  s->spin = 100;
  const float sx[4] = {2, 3, 4, 5}, sy[4] = {1, 0.75f, 0.5f, 0.25f};
  const float x[4] = {102, 103, 103.5f, 103.75f}, facing[4] = {100, 200, 300, 40};
  for (int f = 0; f < 4; ++f) {
    Frame();
    EXPECT_FLOAT_EQ(s->sprite.scaleX, sx[f]);
    EXPECT_FLOAT_EQ(s->sprite.scaleY, sy[f]);
    EXPECT_FLOAT_EQ(s->x, x[f]);
    EXPECT_NEAR(s->facing, facing[f], 1e-3f);
  }

  ClearEffectList(&world->effects);
  Effect* c = Make(EffectPlain, 2);
  c->startColor = 0xFF0000FFu;
  c->endColor = 0x00000000u;
  Frame();
  EXPECT_EQ(c->sprite.colors[0], 0xFF0000FFu);
  Frame();
  EXPECT_EQ(c->sprite.colors[0], 0x80000080u);  // -127.5 truncated toward zero

  ClearEffectList(&world->effects);
  Effect* o = Make(EffectPlain, 10);
  o->orbitRadiusVel = 10;
  o->orbitRadiusVelFactor = 1;
  o->SetEffectAccelPolar(270, 1);  // accelerates downwards
  o->colorRampOn = 0;
  o->sprite.colors[0] = 0x12345678u;
  Frame();
  Frame();
  EXPECT_NEAR(o->x, 120.0f, 1e-4f);
  EXPECT_NEAR(o->y, 103.0f, 1e-4f);  // velocity 1, then 2
  EXPECT_EQ(o->sprite.colors[0], 0x12345678u);
}

TEST_F(Effects, HitSparkStrip) {
  struct Case {
    int frame, lifetime;
    float step;  // srcU advance per strip frame
  };
  const Case cases[] = {{0, 8, 24}, {1, 8, 32}, {5, 8, 26}, {0, 3, 0}};
  for (const Case& c : cases) {
    ClearEffectList(&world->effects);
    Effect* e = Make(EffectHitSpark, c.lifetime, 100, 100, 0, 10);
    e->params[0] = c.frame;
    const float u0 = g_spriteDefs[336 + c.frame].srcU;
    float speed = 10;
    for (int a = 0; a < c.lifetime; ++a) {
      Frame();
      const int advances = c.lifetime / 4 > 0 ? a / (c.lifetime / 4) : 0;
      EXPECT_FLOAT_EQ(e->sprite.srcU, u0 + c.step * static_cast<float>(advances)) << c.frame << " a " << a;
      speed *= 0.9f;
      EXPECT_NEAR(e->speed, speed, 1e-4f);
    }
  }
}

TEST_F(Effects, FadeOutRamp) {
  Effect* e = Make(EffectFadeOut, 9, 100, 100, 30, 6);
  e->params[0] = 152;
  const int level[9] = {0, 85, 170, 255, 255, 255, 170, 85, 0};
  float fx = 1, fy = 1;
  for (int a = 0; a < 9; ++a) {
    Frame();
    const uint32_t v = static_cast<uint32_t>(level[a]);
    EXPECT_EQ(e->sprite.colors[0], v << 24 | v << 16 | v << 8 | v) << "a " << a;
    if (a >= 6) {
      fx *= 1.1f;
      fy *= 0.91f;
    }
    EXPECT_FLOAT_EQ(e->scaleFactorX, fx);
    EXPECT_FLOAT_EQ(e->scaleFactorY, fy);
    EXPECT_NEAR(e->speed, (60 - a) * 6.0f / 60.0f, 1e-4f);
    EXPECT_FLOAT_EQ(e->facing, 0.0f);
  }
  // Lifetimes below 3 leave a third of 0: the divisor stays at least 1.
  for (int lifetime : {1, 2}) {
    ClearEffectList(&world->effects);
    Effect* s = Make(EffectFadeOut, lifetime);
    s->params[0] = 152;
    for (int a = 0; a < lifetime; ++a) {
      Frame();
      EXPECT_EQ(s->sprite.colors[0], 0xFFFFFFFFu);
    }
  }
}

TEST_F(Effects, WanderBurst) {
  Effect* e = Make(EffectWanderBurst, 65, 180, 240);
  e->params[0] = 345;
  int step = g_randomStep;
  Frame();
  EXPECT_EQ(DrawsSince(step), 7);
  EXPECT_FLOAT_EQ(e->GetParamFloat(3), 180.0f);
  EXPECT_FLOAT_EQ(e->GetParamFloat(4), 240.0f);
  const float spinRate = std::fabs(e->GetParamFloat(5));
  EXPECT_GE(spinRate, 16.0f);
  EXPECT_LT(spinRate, 48.0f);
  const float away = Hypot(e->x - 180, e->y - 240);
  EXPECT_GT(away, 1.0f);
  for (int a = 1; a < 62; ++a) Frame();
  EXPECT_EQ(world->effects.count, 1);
  EXPECT_LT(Hypot(e->x - 180, e->y - 240), away);  // pulled back
  Frame();  // a = 62: a ring
  EXPECT_EQ(world->effects.count, 2);
  EXPECT_EQ(world->effects.tail->lifetime, 50);
  EXPECT_FLOAT_EQ(world->effects.tail->endScaleX, 12.0f);
  Frame();  // a = 63
  step = g_randomStep;
  Frame();  // a = 64, the last frame: one more ring, then the burst
  EXPECT_EQ(world->effects.count, 3 + 24);
  EXPECT_EQ(DrawsSince(step), 1 + 24 * 7);
  Effect* d = world->effects.tail;
  EXPECT_FLOAT_EQ(d->endScaleY, 0.0f);
  EXPECT_GE(d->lifetime, 40);
  EXPECT_LT(d->lifetime, 48);
  EXPECT_EQ(d->startColor >> 24, 0xFFu);
  EXPECT_EQ(d->startColor & 0xFF, 0xFFu);
}

TEST_F(Effects, BlastFrames) {
  Effect* e = Make(EffectBlastFrames, 8);
  for (int a = 0; a < 8; ++a) {
    Frame();
    const SpriteDef& r = g_spriteDefs[a == 0 ? 336 : 336 + a % 2];
    const int stepIndex = a == 0 ? 0 : (4 * a / 8 < 3 ? 4 * a / 8 : 3);
    EXPECT_FLOAT_EQ(e->sprite.srcU, r.srcU + static_cast<float>(stepIndex * (24 + 8 * (a % 2)))) << a;
    EXPECT_FLOAT_EQ(e->sprite.srcWidth, r.srcWidth);
    EXPECT_FLOAT_EQ(e->sprite.pivotX, r.pivotX);
  }
}

TEST_F(Effects, ColorFadeDarkensLinearly) {
  Effect* e = Make(EffectColorFade, 4);
  e->params[0] = 200;
  e->params[1] = 100;
  e->params[2] = 500;  // capped at 255
  const uint32_t colours[4] = {0xFFC864FFu, 0xFF964BFFu, 0xFF6432FAu, 0xFF32197Du};
  for (int a = 0; a < 4; ++a) {
    Frame();
    EXPECT_EQ(e->startColor, colours[a]) << a;
    EXPECT_EQ(e->endColor, colours[a]);
    EXPECT_EQ(e->sprite.colors[0], colours[a]);
  }
}

TEST_F(Effects, RingEmitterDrawsSixRings) {
  Effect* e = Make(EffectRingEmitter, 27, 100, 100, 45, 2);
  e->params[0] = 20;
  const int step = g_randomStep;
  for (int a = 0; a < 27; ++a) {
    const int before = g_randomStep;
    Frame();
    EXPECT_EQ(DrawsSince(before), a % 5 == 1 ? 13 : 0) << a;
  }
  EXPECT_EQ(DrawsSince(step), 6 * 13);
}

TEST_F(Effects, TextGlyphFadesInAfterItsDelay) {
  Effect* e = Make(EffectTextGlyph, 200);
  e->params[0] = 10;
  e->SetParamFloat(3, 5);
  e->SetParamFloat(4, 0);
  e->SetParamFloat(5, 90);
  e->endColor = 0xFF804020u;
  e->orbitRadius = 100;
  const float sway[4] = {5, 0, -5, 0};
  for (int age = 1; age <= 40; ++age) {
    Frame();
    if (age <= 4) {
      EXPECT_LT(AngleDistance(e->facing, sway[age - 1]), 1e-3f) << age;  // normalised by the move
    }
    if (age <= 10) {
      EXPECT_EQ(e->startColor, 0u);
      EXPECT_FLOAT_EQ(e->orbitRadius, 100.0f);
    }
  }
  EXPECT_EQ(e->startColor, 0x7F402010u);  // w = 30 of 60
  for (int age = 41; age <= 80; ++age) Frame();
  EXPECT_EQ(e->startColor, 0xFF804020u);
}

TEST_F(Effects, EffectsMadeByTheLastEffectWaitAFrame) {
  Effect* first = Make(EffectWanderBurst, 62);
  first->params[0] = 345;
  for (int a = 0; a < 61; ++a) Frame();
  EXPECT_EQ(world->effects.count, 1);  // rings start only after a = 60
  Frame();  // a = 61 is the last frame (lifetime 62): burst of 24, appended behind the last effect
  ASSERT_EQ(world->effects.count, 25);
  for (Effect* d = first->next; d; d = d->next) EXPECT_EQ(d->effectAge, 0);
}
