#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "platform/SoundSystem.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {


class Bullets : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ResetSoundRequests();
    world = std::make_unique<GameWorld>();
  }
  std::unique_ptr<GameWorld> world;

  EnemyBullet* Make(int kind, int type, int facingMode, float x, float y, float angle, float speed, float sx = 1,
                    float sy = 1) {
    BulletList& l = world->bullets;
    return ConstructEnemyBullet(kind, type, facingMode, &l.head, &l.tail, &l.count, x, y, angle, speed, sx, sy);
  }
  int Alloc(EnemyBullet** out = nullptr) {
    EnemyBullet* b = nullptr;
    int id = AllocBulletWithId(&world->bullets, &b, 0, 0, 0, 100, 100, 0, 0, 1, 1);
    if (out) *out = b;
    return id;
  }
  // Number of draws made since the given step (each draw advances the step by one).
};

}  // namespace

TEST_F(Bullets, Construction) {
  EnemyBullet* b = Make(0, 1, 0, 50, 60, -90, 2, 1.5f, 0.5f);
  EXPECT_FLOAT_EQ(b->direction, 270.0f);
  EXPECT_FLOAT_EQ(b->facing, 270.0f);
  EXPECT_FLOAT_EQ(b->spinStep, 12.0f);
  EXPECT_FLOAT_EQ(Make(0, 2, 0, 0, 0, 0, 0)->spinStep, -12.0f);
  EXPECT_FLOAT_EQ(b->baseX, 50.0f);
  EXPECT_FLOAT_EQ(b->baseScaleX, 1.5f);
  EXPECT_EQ(b->bulletId, -1);
  EXPECT_EQ(b->hasId, 0);
  // The first move sets sprite and hit-shape scale together.
  UpdateEnemyBullets(world.get());
  EXPECT_FLOAT_EQ(b->sprite.scaleX, 1.5f);
  EXPECT_FLOAT_EQ(b->hitShape.scaleX, 1.5f);
  EXPECT_FLOAT_EQ(b->hitShape.scaleY, 0.5f);
}

TEST_F(Bullets, IdRingHandsFreedIdsOutLastInOrder) {
  std::vector<EnemyBullet*> held(BulletIdCount, nullptr);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Alloc(&held[i]), i);
  held[7]->UnlinkAndDeleteBullet(&world->bullets);
  held[3]->UnlinkAndDeleteBullet(&world->bullets);
  EXPECT_EQ(FindBulletById(&world->bullets, 7), nullptr);
  for (int i = 10; i < BulletIdCount; ++i) ASSERT_EQ(Alloc(&held[i]), i);
  EXPECT_EQ(Alloc(&held[7]), 7);
  EXPECT_EQ(Alloc(&held[3]), 3);
  EXPECT_EQ(world->bullets.freeCount, 0);

  // No free id: the bullet is made without one and the ring stays intact.
  EnemyBullet* extra = nullptr;
  EXPECT_EQ(Alloc(&extra), BulletIdNone);
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->hasId, 0);
  EXPECT_EQ(extra->bulletId, -1);
  EXPECT_EQ(world->bullets.count, BulletIdCount + 1);
  EXPECT_EQ(world->bullets.freeCount, 0);
  extra->UnlinkAndDeleteBullet(&world->bullets);
  EXPECT_EQ(world->bullets.freeCount, 0);
  held[100]->UnlinkAndDeleteBullet(&world->bullets);
  EXPECT_EQ(Alloc(), 100);
  EXPECT_EQ(world->bullets.slots[7], held[7]);

  for (int id : {-1, BulletIdNone, 5000, INT_MAX, INT_MIN}) EXPECT_EQ(FindBulletById(&world->bullets, id), nullptr);
  EXPECT_EQ(FindBulletById(&world->bullets, 3), held[3]);

  ClearBulletList(&world->bullets);
  EXPECT_EQ(world->bullets.count, 0);
  EXPECT_EQ(world->bullets.freeCount, BulletIdCount);
  EXPECT_EQ(world->bullets.freeReadIndex, 0);
  for (int i = 0; i < BulletIdCount; ++i) {
    ASSERT_EQ(world->bullets.slots[i], nullptr);
    ASSERT_EQ(world->bullets.freeRing[i], i);
  }
}

// Each motion feature from a known state, three frames of the real update.
TEST_F(Bullets, MotionFeatures) {
  struct Frame {
    float x, y, facing, sx, sy;
  };
  struct Case {
    const char* what;
    int type, facingMode;
    float angle, speed;
    std::function<void(EnemyBullet*)> setup;
    Frame frames[3];
  };
  const float root = 1.0f / 1.5f;
  const Case cases[] = {
      {"friction halves the speed", 0, 0, 0, 4, [](EnemyBullet* b) { b->friction = 0.5f; },
       {{102, 100, 0, 1, 1}, {103, 100, 0, 1, 1}, {103.5f, 100, 0, 1, 1}}},
      {"acceleration fades by its factor", 0, BulletFaceAccel, 0, 0,
       [](EnemyBullet* b) {
         b->SetBulletAccelPolar(0, 1);
         b->accelFactor = 0.5f;
       },
       {{100.5f, 100, 0, 1, 1}, {101.25f, 100, 0, 1, 1}, {102.125f, 100, 0, 1, 1}}},
      {"orbit radius grows", 0, 0, 0, 0,
       [](EnemyBullet* b) {
         b->orbitRadiusVel = 10;
         b->orbitRadiusVelFactor = 1;
       },
       {{110, 100, 0, 1, 1}, {120, 100, 0, 1, 1}, {130, 100, 0, 1, 1}}},
      {"orbit turns, facing follows the orbit", 0, BulletFaceOrbit, 0, 0,
       [](EnemyBullet* b) {
         b->orbitRadius = 10;
         b->orbitAngleVel = 90;
         b->orbitAngleVelFactor = 1;
       },
       {{100, 90, 90, 1, 1}, {90, 100, 180, 1, 1}, {100, 110, 270, 1, 1}}},
      // The velocity factor is applied before the velocity is added: with the default 0 the
      // orbit never turns.
      {"orbit velocity without its factor", 0, BulletFaceOrbit, 0, 0,
       [](EnemyBullet* b) {
         b->orbitRadius = 10;
         b->orbitAngleVel = 30;
       },
       {{110, 100, 0, 1, 1}, {110, 100, 0, 1, 1}, {110, 100, 0, 1, 1}}},
      {"orbit acceleration", 0, BulletFaceOrbit, 0, 0,
       [](EnemyBullet* b) {
         b->orbitAngleAccel = 10;
         b->orbitAngleAccelFactor = 0.5f;
         b->orbitAngleVelFactor = 1;
       },
       {{100, 100, 5, 1, 1}, {100, 100, 12.5f, 1, 1}, {100, 100, 21.25f, 1, 1}}},
      {"spin, odd type", 1, BulletFaceSpin, 0, 0, nullptr,
       {{100, 100, 12, 1, 1}, {100, 100, 24, 1, 1}, {100, 100, 36, 1, 1}}},
      {"spin, even type", 0, BulletFaceSpin, 0, 0, nullptr,
       {{100, 100, 348, 1, 1}, {100, 100, 336, 1, 1}, {100, 100, 324, 1, 1}}},
      {"facing along the last move", 0, BulletFaceMotion, 0, 3, [](EnemyBullet* b) { b->facing = 45; },
       {{103, 100, 0, 1, 1}, {106, 100, 0, 1, 1}, {109, 100, 0, 1, 1}}},
      {"facing along the velocity", 0, BulletFaceVelocity, 90, 1, [](EnemyBullet* b) { b->facing = 45; },
       {{100, 99, 90, 1, 1}, {100, 98, 90, 1, 1}, {100, 97, 90, 1, 1}}},
      {"stretch 10, 5 px per frame", 0, 0, 0, 5, [](EnemyBullet* b) { b->stretch = 10; },
       {{105, 100, 0, 1.5f, root}, {110, 100, 0, 1.5f, root}, {115, 100, 0, 1.5f, root}}},
      {"stretch -10, 5 px per frame", 0, 0, 0, 5, [](EnemyBullet* b) { b->stretch = -10; },
       {{105, 100, 0, 2, 0.5f}, {110, 100, 0, 2, 0.5f}, {115, 100, 0, 2, 0.5f}}},
      // k = 1 - 20 / 10 = -1 would flip the scales; the divisor stays at 0.01.
      {"stretch -10, 20 px per frame", 0, 0, 0, 20, [](EnemyBullet* b) { b->stretch = -10; },
       {{120, 100, 0, 100, 0.01f}, {140, 100, 0, 100, 0.01f}, {160, 100, 0, 100, 0.01f}}},
      {"stretch below 0.1 is off", 0, 0, 0, 5, [](EnemyBullet* b) { b->stretch = 0.09f; },
       {{105, 100, 0, 1, 1}, {110, 100, 0, 1, 1}, {115, 100, 0, 1, 1}}},
      {"pulse", 0, 0, 0, 0,
       [](EnemyBullet* b) {
         b->SetBulletBaseScale(2, 1);
         b->SetBulletPulse(0.5f, 0, 90);
       },
       {{100, 100, 0, 3, 1.5f}, {100, 100, 0, 2, 1}, {100, 100, 0, 1, 0.5f}}},
  };
  for (const Case& c : cases) {
    ClearBulletList(&world->bullets);
    EnemyBullet* b = Make(0, c.type, c.facingMode, 100, 100, c.angle, c.speed);
    if (c.setup) c.setup(b);
    for (int f = 0; f < 3; ++f) {
      UpdateEnemyBullets(world.get());
      ASSERT_EQ(world->bullets.head, b) << c.what;
      const Frame& e = c.frames[f];
      EXPECT_NEAR(b->x, e.x, 1e-4f) << c.what << " frame " << f + 1;
      EXPECT_NEAR(b->y, e.y, 1e-4f) << c.what << " frame " << f + 1;
      EXPECT_NEAR(b->facing, e.facing, 1e-4f) << c.what << " frame " << f + 1;
      EXPECT_NEAR(b->sprite.scaleX, e.sx, 1e-4f) << c.what << " frame " << f + 1;
      EXPECT_NEAR(b->sprite.scaleY, e.sy, 1e-4f) << c.what << " frame " << f + 1;
      EXPECT_EQ(b->hitShape.scaleX, b->sprite.scaleX);
      EXPECT_EQ(b->hitShape.scaleY, b->sprite.scaleY);
    }
  }
}

TEST_F(Bullets, DelayedBlast) {
  EnemyBullet* b = Make(BulletDelayedBlast, 3, 0, 100, 100, 0, 0, 2, 2);
  const int step = g_randomStep;
  UpdateEnemyBullets(world.get());
  EXPECT_EQ(DrawsSince(step), 1);
  EXPECT_EQ(b->blastDelay, 48);  // 0 means 48
  ASSERT_EQ(world->effects.count, 6);
  int i = 0;
  const float a = world->effects.head->orbitAngle;
  for (Effect* e = world->effects.head; e; e = e->next, ++i) {
    EXPECT_EQ(e->lifetime, 48);
    EXPECT_NEAR(e->orbitAngle, a + 60.0f * i, 1e-3f);
    // Sprite scale still 1 at age 1, whatever the base scale.
    EXPECT_FLOAT_EQ(e->orbitRadius, 100.0f);
    EXPECT_FLOAT_EQ(e->orbitRadiusVel, -100.0f / 48.0f);
    EXPECT_FLOAT_EQ(e->orbitAngleVel, b->spinStep);
    EXPECT_FLOAT_EQ(e->startScaleX, 1.25f);
    EXPECT_FLOAT_EQ(e->endScaleX, 0.5f);
    EXPECT_EQ(e->startColor, 0u);
    EXPECT_EQ(e->endColor, g_bulletColors[3]);
  }
  EXPECT_GT(b->x, 30000.0f);  // hidden far to the right, still in the list
  for (int age = 2; age < 48; ++age) UpdateEnemyBullets(world.get());
  EXPECT_GT(b->x, 30000.0f);
  UpdateEnemyBullets(world.get());  // age 48: shows at its base, opening at 0.71
  EXPECT_FLOAT_EQ(b->x, 100.0f);
  EXPECT_NEAR(b->sprite.scaleX, 2.0f * std::sqrt(0.5f), 1e-4f);
  for (int age = 49; age <= 58; ++age) UpdateEnemyBullets(world.get());
  EXPECT_NEAR(b->sprite.scaleX, 2.0f, 1e-4f);  // full at t = 10
  for (int age = 59; age <= 77; ++age) UpdateEnemyBullets(world.get());
  EXPECT_EQ(world->bullets.count, 1);
  UpdateEnemyBullets(world.get());  // age 78
  EXPECT_EQ(world->bullets.count, 0);
}

TEST_F(Bullets, TrailEveryIntervalFrames) {
  EnemyBullet* b = Make(0, 5, 0, 100, 100, 0, 2, 1.5f, 1.5f);
  b->SetBulletTrail(0, 165, 2, 10, 0.5f, 0.9f, 0.5f, 2.0f);
  for (int f = 0; f < 4; ++f) UpdateEnemyBullets(world.get());
  ASSERT_EQ(world->effects.count, 2);
  Effect* e = world->effects.head;
  EXPECT_FLOAT_EQ(e->x, 104.0f);  // dropped at age 2
  EXPECT_EQ(e->lifetime, 10);
  EXPECT_FLOAT_EQ(e->speed, 1.0f);
  EXPECT_FLOAT_EQ(e->friction, 0.9f);
  EXPECT_FLOAT_EQ(e->startScaleX, 1.5f);
  EXPECT_FLOAT_EQ(e->endScaleX, 0.75f);
  EXPECT_FLOAT_EQ(e->endScaleY, 3.0f);
  EXPECT_EQ(e->startColor, g_bulletColors[5]);
  EXPECT_EQ(e->endColor, 0u);
  EXPECT_FLOAT_EQ(e->sprite.srcU, g_spriteDefs[165].srcU);
  EXPECT_EQ(e->sprite.colorMode, SpriteColorSingle);
}

TEST_F(Bullets, OffFieldCull) {
  const float r = g_spriteDefs[160].radius;
  struct Case {
    float x, y, scale, orbitRadius;
    bool kept;
  };
  const Case cases[] = {
      {-r + 0.5f, 100, 1, 0, true},       {-r - 0.5f, 100, 1, 0, false},  {360 + r - 0.5f, 100, 1, 0, true},
      {360 + r + 0.5f, 100, 1, 0, false}, {100, -r - 0.5f, 1, 0, false},  {100, 480 + r + 0.5f, 1, 0, false},
      {100, 480 + 2 * r - 0.5f, 2, 0, true},
      // The margin is capped at 1000 however large the bullet.
      {1360 - 0.5f, 100, 100, 0, true},   {1360 + 0.5f, 100, 100, 0, false},
      // An orbiting bullet stays while its orbit can reach the field.
      {-r - 150, 100, 1, 200, true},
  };
  for (const Case& c : cases) {
    ClearBulletList(&world->bullets);
    EnemyBullet* b = Make(0, 0, 0, c.x, c.y, 0, 0, c.scale, c.scale);
    b->orbitRadius = c.orbitRadius;
    b->orbitAngle = 90;  // off to the side that does not matter for the test
    UpdateEnemyBullets(world.get());
    EXPECT_EQ(world->bullets.count, c.kept ? 1 : 0) << c.x << ", " << c.y << " scale " << c.scale;
  }
}

namespace {

class BulletsOnPlayer : public Bullets {
 protected:
  void SetUp() override {
    Bullets::SetUp();
    Player& p = world->player;
    p.SetState(PlayerNormal);
    p.invincibleFrames = 0;
  }
  void Frame() {
    ResetSoundRequests();
    UpdateEnemyBullets(world.get());
  }
};

}  // namespace

TEST_F(BulletsOnPlayer, GrazeScoresOnTheFirstFrameThenEveryThird) {
  Player& p = world->player;
  Make(0, 4, 0, p.x + 20, p.y, 0, 0);  // in the graze area, clear of the ship
  const int scored[4] = {1, 0, 0, 1};
  int grazes = 0;
  for (int f = 0; f < 4; ++f) {
    const int step = g_randomStep;
    const int effects = world->effects.count;
    Frame();
    grazes += scored[f];
    EXPECT_EQ(p.grazeCount, grazes) << "frame " << f + 1;
    EXPECT_EQ(g_seRequested[SeGraze], scored[f]);
    EXPECT_EQ(world->effects.count - effects, 3 * scored[f]);
    EXPECT_EQ(DrawsSince(step), 6 * scored[f]);
    EXPECT_EQ(p.grazeFrames, 16);
  }
  EXPECT_EQ(p.scoreLow, 20);
  EXPECT_EQ(p.gaugeMax, 1002);
  EXPECT_EQ(p.gauge, 0);  // not full: the gauge itself does not move
  EXPECT_EQ(world->bullets.count, 1);
  const Effect* spark = world->effects.head;
  EXPECT_EQ(spark->lifetime, 8);
  EXPECT_FLOAT_EQ(spark->speed, 5.0f);
  EXPECT_NEAR(spark->x, p.x + 8, 1e-4f);
  EXPECT_EQ(spark->startColor, g_bulletColors[4]);
  EXPECT_EQ(spark->next->lifetime, 12);
}

TEST_F(BulletsOnPlayer, FullGaugeFollowsItsMaximum) {
  Player& p = world->player;
  p.gaugeFull = 600;
  p.gauge = p.gaugeMax = 9999;
  Make(0, 0, 0, p.x + 20, p.y, 0, 0);
  Frame();
  EXPECT_EQ(p.gaugeMax, 9999);
  p.gauge = p.gaugeMax = 2000;
  for (int f = 0; f < 3; ++f) Frame();
  EXPECT_EQ(p.gaugeMax, 2001);
  EXPECT_EQ(p.gauge, 2001);
}

TEST_F(BulletsOnPlayer, InvincibleShipTakesNothing) {
  Player& p = world->player;
  p.invincibleFrames = 5;
  EnemyBullet* grazing = Make(0, 0, 0, p.x + 20, p.y, 0, 0);
  Make(0, 0, 0, p.x, p.y, 0, 0);  // touching
  Frame();
  EXPECT_EQ(world->bullets.count, 1);
  EXPECT_EQ(world->bullets.head, grazing);
  EXPECT_EQ(grazing->grazeCountdown, 0);
  EXPECT_EQ(p.grazeCount, 0);
  EXPECT_EQ(p.grazeFrames, 0);
  EXPECT_EQ(p.hitCount, 0);
  EXPECT_EQ(p.shields, 5);
  EXPECT_EQ(p.state, PlayerNormal);
}

TEST_F(BulletsOnPlayer, OnlyTheNormalStateIsTested) {
  Player& p = world->player;
  for (int state : {PlayerEntering, PlayerShieldHit, PlayerDying, PlayerGameOver}) {
    ClearBulletList(&world->bullets);
    p.SetState(state);
    Make(0, 0, 0, p.x + 20, p.y, 0, 0);
    Make(0, 0, 0, p.x, p.y, 0, 0);
    Frame();
    EXPECT_EQ(world->bullets.count, 2) << state;
    EXPECT_EQ(p.grazeCount, 0);
    EXPECT_EQ(p.hitCount, 0);
    EXPECT_EQ(p.state, state);
  }
}

TEST_F(BulletsOnPlayer, HitCostsAShieldOrTheShipAndPushes) {
  struct Case {
    int shields;
    float bulletSpeed, scale;
    int state;
    float pushedSpeed;
  };
  const float f6 = 0.6f * std::sqrt(0.6f), f3 = 0.3f * std::sqrt(0.3f);
  const Case cases[] = {
      {1, 2, 1, PlayerShieldHit, 2 * f6},
      {0, 2, 1, PlayerDying, 2 * f3},  // half as hard
      {5, 200, 1, PlayerShieldHit, 64},  // capped
      {0, 200, 1, PlayerDying, 200 * f3},
      {3, 2, 4, PlayerShieldHit, 2},  // k = 4: f = 1
  };
  for (const Case& c : cases) {
    ClearBulletList(&world->bullets);
    Player& p = world->player;
    p.Respawn();
    p.SetState(PlayerNormal);
    p.shields = c.shields;
    p.hitCount = 0;
    // Falls straight down onto the ship in this frame.
    Make(0, 0, 0, p.x, p.y - c.bulletSpeed, 270, c.bulletSpeed, c.scale, c.scale);
    Frame();
    EXPECT_EQ(world->bullets.count, 0);
    EXPECT_EQ(p.hitCount, 1);
    EXPECT_EQ(p.shields, MaxInt(c.shields - 1, 0));
    EXPECT_EQ(p.state, c.state);
    EXPECT_EQ(p.stateFrames, 0);
    EXPECT_NEAR(p.speed, c.pushedSpeed, 1e-3f) << c.shields << " " << c.bulletSpeed;
    EXPECT_NEAR(p.direction, -90.0f, 1e-3f);  // straight down
    EXPECT_EQ(p.grazeCount, 0);
  }
}

TEST_F(BulletsOnPlayer, MixedSignScalesGiveAFinitePush) {
  Player& p = world->player;
  EnemyBullet* b = Make(0, 0, 0, p.x, p.y - 2, 270, 2, 2, -0.5f);
  (void)b;
  Frame();
  ASSERT_EQ(p.hitCount, 1);
  EXPECT_TRUE(std::isfinite(p.vx));
  EXPECT_TRUE(std::isfinite(p.vy));
  EXPECT_NEAR(p.speed, 2 * 0.6f * std::sqrt(2.0f) * std::sqrt(0.6f * std::sqrt(2.0f)), 1e-3f);
}
