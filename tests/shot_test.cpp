#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/PlayerShot.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

void ClearInput() {
  std::memset(g_gameInput, 0, sizeof g_gameInput);
  std::memset(g_gameInputFrames, 0, sizeof g_gameInputFrames);
}

class ShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ClearInput();
    ResetSoundRequests();
    world = std::make_unique<GameWorld>();
    Player& p = world->player;
    p.SetState(PlayerNormal);
    p.x = 180;
    p.y = 400;
  }
  void TearDown() override {
    ClearInput();
    ResetSoundRequests();
  }
  std::unique_ptr<GameWorld> world;

  void Frame(bool shot) {
    ResetSoundRequests();
    g_gameInput[InputShot] = shot ? 1 : 0;
    g_gameInputFrames[InputShot] = shot ? g_gameInputFrames[InputShot] + 1 : 0;
    UpdatePlayerShots(world.get());
  }
  PlayerShot* Shot(int kind, int hitBit, int mul, int div, float x, float y, float angle = 90, float speed = 0) {
    return ConstructPlayerShot(world.get(), kind, hitBit, mul, div, x, y, angle, speed);
  }
  // A plain target: body row 152 at scale 1 (a 38-pixel box), the given hit points.
  Enemy* Target(float x, float y, int hp) {
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(0, &l.head, &l.tail, &l.count, x, y, 0, 0);
    e->SetObjectSprite(152);
    SetHitShapeFromTable(e->hitShape, 152);
    e->SetScaleUniform(1.0f);
    e->facing = 0;
    e->hp = e->maxHp = hp;
    e->dropItemKind = 0;
    e->dropItemCount = -1;
    e->score = 0;
    return e;
  }
  int Score() const { return world->player.scoreLow; }
  int Count() const { return world->shots.count; }
};

struct Fired {
  int kind;
  float angle;
  int damage;
};

}  // namespace

// Every power's volley: which columns fire on which frame, their kinds, angles and damage.
TEST_F(ShotTest, MainShotPatternsByPower) {
  struct Case {
    int power;
    int cycle;
    std::vector<std::vector<Fired>> frames;  // one entry per frame of the volley
  };
  const Case cases[] = {
      {0, 5, {{{0, 90, 80}}, {}, {}, {}, {}}},
      {2, 5, {{{2, 90, 109}}, {}, {}, {}, {}}},
      {3, 6, {{{0, 90, 69}}, {}, {}, {{0, 84, 69}, {0, 96, 69}}, {}, {}}},
      {7, 6, {{{3, 90, 103}}, {}, {}, {{1, 84, 74}, {1, 96, 74}}, {}, {}}},
      {11, 7, {{{2, 90, 77}}, {}, {{1, 84, 64}, {1, 96, 64}}, {}, {{0, 78, 51}, {0, 102, 51}}, {}, {}}},
      {20, 7, {{{4, 90, 80}}, {}, {{4, 84, 80}, {4, 96, 80}}, {}, {{4, 78, 80}, {4, 102, 80}}, {}, {}}},
  };
  for (const Case& c : cases) {
    world->shots.Clear();
    world->player.shotPhase = 0;
    world->player.power = c.power;
    for (int round = 0; round < 2; ++round) {
      for (int f = 0; f < c.cycle; ++f) {
        const int before = Count();
        PlayerShot* lastOld = world->shots.tail;
        Frame(true);
        SCOPED_TRACE(testing::Message() << "power " << c.power << " frame " << f);
        const std::vector<Fired>& want = c.frames[static_cast<size_t>(f)];
        ASSERT_EQ(Count() - before, static_cast<int>(want.size()));
        EXPECT_EQ(g_seRequested[SeShot] != 0, !want.empty());
        PlayerShot* s = lastOld ? lastOld->next : world->shots.head;
        for (const Fired& w : want) {
          ASSERT_NE(s, nullptr);
          EXPECT_EQ(s->kind, w.kind);
          EXPECT_FLOAT_EQ(s->direction, w.angle);
          EXPECT_FLOAT_EQ(s->facing, w.angle);
          EXPECT_FLOAT_EQ(s->speed, 16.0f);
          EXPECT_EQ(s->damage, w.damage);
          EXPECT_EQ(s->hitBit, HitSourceMainShot);
          EXPECT_EQ(s->age, 1);  // moved in the frame it was fired
          EXPECT_FLOAT_EQ(s->prevX, 180.0f);
          EXPECT_FLOAT_EQ(s->prevY, 400.0f);
          EXPECT_NEAR(s->x, 180.0f + 16.0f * std::cos(w.angle * kPi / 180.0f), 1e-4);
          EXPECT_NEAR(s->y, 400.0f - 16.0f * std::sin(w.angle * kPi / 180.0f), 1e-4);
          s = s->next;
        }
      }
      EXPECT_EQ(world->player.shotPhase, 0);
    }
  }
}

TEST_F(ShotTest, ReleasedVolleyCompletesThenStops) {
  Player& p = world->player;
  p.power = 20;
  Frame(true);  // phase 0: centre
  EXPECT_EQ(Count(), 1);
  const int fired[] = {0, 2, 0, 2, 0, 0};  // phases 1..6 with the button released
  for (int want : fired) {
    const int before = Count();
    Frame(false);
    EXPECT_EQ(Count() - before, want);
  }
  EXPECT_EQ(p.shotPhase, 0);
  for (int f = 0; f < 10; ++f) Frame(false);
  EXPECT_EQ(Count(), 5);
}

TEST_F(ShotTest, FiresOnlyInNormalAndShieldHitAndShotMode0) {
  Player& p = world->player;
  struct Case {
    int state, mode;
    bool fires;
  };
  const Case cases[] = {{PlayerNormal, 0, true},    {PlayerShieldHit, 0, true}, {PlayerEntering, 0, false},
                        {PlayerDying, 0, false},    {PlayerGameOver, 0, false}, {PlayerNormal, -1, false},
                        {PlayerNormal, 1, false}};
  for (const Case& c : cases) {
    world->shots.Clear();
    p.state = c.state;
    p.shotMode = c.mode;
    p.shotPhase = 0;
    Frame(true);
    EXPECT_EQ(Count(), c.fires ? 1 : 0) << c.state << " " << c.mode;
  }
}

TEST_F(ShotTest, ConstructorRowsDamageAndVelocity) {
  struct Case {
    int kind, mul, div, damage, row;
  };
  const Case cases[] = {
      {ShotMain1, 20, 20, 80, 138},  {ShotMain5, 20, 40, 80, 142},   {ShotMain3, 11, 22, 60, 140},
      {ShotReturn, 11, 11, 80, 143}, {ShotHoming, 11, 11, 80, 143},  {ShotSeeker, 1, 1, 80, 144},
      {ShotMissile, 1, 1, 80, 145},  {ShotBombSpread, 30, 20, 120, 146}, {ShotBombRing, 20, 100, 16, 150},
      {ShotMain1, 7, 0, 560, 138},  // a zero divisor counts as 1
  };
  for (const Case& c : cases) {
    PlayerShot* s = Shot(c.kind, HitSourceOptionShot, c.mul, c.div, 10, 20, 30, 2);
    EXPECT_EQ(s->damage, c.damage) << c.kind;
    EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[c.row].srcU) << c.kind;
    EXPECT_FLOAT_EQ(s->sprite.srcV, g_spriteDefs[c.row].srcV) << c.kind;
    EXPECT_EQ(s->hitShape.hitType, static_cast<int8_t>(g_spriteDefs[c.row].hitType));
    EXPECT_EQ(s->age, 0);
    EXPECT_EQ(s->target, nullptr);
    EXPECT_FLOAT_EQ(s->sprite.scaleX, 1.0f);
    EXPECT_FLOAT_EQ(s->hitShape.scaleY, 1.0f);
    EXPECT_NEAR(s->vx, 2.0f * std::cos(30.0f * kPi / 180.0f), 1e-6);
    EXPECT_NEAR(s->vy, -1.0f, 1e-6);
    EXPECT_EQ(world->shots.tail, s);
  }
  EXPECT_EQ(Count(), 10);
  PlayerShot* s = Shot(ShotBombBeam, HitSourceBomb, 1, 1, 0, 0);
  s->SetShotRow(ShotRowBombBeam);
  EXPECT_EQ(s->sprite.colorMode, SpriteColorSingle);
  EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[ShotRowBombBeam].srcU);
}

// Each hit source or-s its own bit; the shot scores 10, damages, sparks and is removed.
TEST_F(ShotTest, HitsMarkSourceDamageAndScore) {
  for (int source : {HitSourceMainShot, HitSourceOptionShot, HitSourceRing, HitSourceBomb}) {
    world->shots.Clear();
    ClearEnemyList(world.get());
    ClearEffectList(&world->effects);
    world->player.scoreLow = 0;
    Enemy* e = Target(100, 100, 1000);
    e->hitByMask = 1u << 5;
    Shot(ShotMain2, source, 20, 20, 100, 100);  // kind 1: damage 100
    Frame(false);
    EXPECT_EQ(Count(), 0) << source;
    EXPECT_EQ(e->hitByMask, (1u << 5) | (1u << source));
    EXPECT_EQ(e->hp, 900);
    EXPECT_EQ(Score(), 10);
    EXPECT_NE(g_seRequested[SeShotHit], 0);
    EXPECT_EQ(e->dyingCounter, 0);
    ASSERT_EQ(world->effects.count, 1);
    EXPECT_EQ(world->effects.head->kind, EffectHitSpark);
    EXPECT_EQ(world->effects.head->params[0], 1);
  }
}

TEST_F(ShotTest, KillingHitEndsTheEnemyWithoutHitSound) {
  Enemy* a = Target(100, 100, 100);
  Enemy* b = Target(100, 100, 1000);  // behind the first: a non-piercing shot stops at a
  Shot(ShotMain2, HitSourceMainShot, 20, 20, 100, 100);
  Frame(false);
  EXPECT_EQ(a->hp, 0);
  EXPECT_EQ(a->dyingCounter, 1);
  EXPECT_EQ(g_seRequested[SeShotHit], 0);
  EXPECT_EQ(b->hp, 1000);
  EXPECT_EQ(Score(), 10);  // the hit's own 10; the kill pays the enemy's score on top
  // Dying enemies are not tested any more.
  Shot(ShotMain2, HitSourceMainShot, 20, 20, 100, 100);
  Frame(false);
  EXPECT_EQ(a->hp, 0);
  EXPECT_EQ(b->hp, 900);
}

TEST_F(ShotTest, HitSparkFrameSetByKind) {
  const int want[9] = {0, 1, 2, 3, 4, 5, 5, 6, 0};
  for (int kind = 0; kind <= ShotMissile; ++kind) {
    ClearEnemyList(world.get());
    ClearEffectList(&world->effects);
    world->shots.Clear();
    Target(100, 100, 100000);
    PlayerShot* s = Shot(kind, HitSourceOptionShot, 1, 1, 100, 100, 90, 5);
    s->target = nullptr;
    Frame(false);
    Effect* fx = world->effects.tail;
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->kind, EffectHitSpark);
    EXPECT_EQ(fx->params[0], want[kind]) << kind;
    EXPECT_EQ(fx->lifetime, 16);
    EXPECT_EQ(fx->endColor, 0u);
    EXPECT_FLOAT_EQ(fx->endScaleY, 2.0f);
  }
}

// A spread's first hit turns it into a blast that goes on through the rest of the frame; the
// blast fades its damage by 8/10 per frame and scores only in its first frame of motion.
TEST_F(ShotTest, SpreadTurnsIntoBlast) {
  Enemy* a = Target(100, 100, 100000);
  Enemy* b = Target(100, 100, 100000);
  PlayerShot* s = Shot(ShotBombSpread, HitSourceBomb, 30, 20, 100, 100, 45, 0);
  s->SetShotRow(ShotRowBombSpread);
  Frame(false);
  EXPECT_EQ(s->kind, ShotBombBlast);
  EXPECT_EQ(s->age, 0);
  EXPECT_EQ(100000 - a->hp, 120);
  EXPECT_EQ(100000 - b->hp, 40);
  EXPECT_EQ(Score(), 10);
  EXPECT_FLOAT_EQ(s->sprite.scaleX, 0.9f);
  EXPECT_FLOAT_EQ(s->hitShape.scaleY, 0.9f);
  EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[ShotRowBombBlast].srcU);
  EXPECT_EQ(a->hitByMask, 1u << HitSourceBomb);
  const int hits[] = {32, 25, 20, 16, 12, 9, 7, 5, 4, 3, 2, 1, 1, 1};
  for (int i = 0; i < 14; ++i) {
    const int hpA = a->hp, hpB = b->hp, score = Score();
    Frame(false);
    EXPECT_EQ(hpA - a->hp, hits[i]) << i;
    EXPECT_EQ(hpB - b->hp, hits[i]) << i;
    EXPECT_EQ(Score() - score, i == 0 ? 20 : 0) << i;
  }
  EXPECT_NEAR(s->sprite.scaleX, 0.9f + 14 * 0.05f, 1e-5);
  for (int age = 15; age < 36; ++age) Frame(false);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(s->sprite.colors[0], 0x07070707u);  // r = 1: 255 / 36
  Frame(false);  // age 36: gone without a hit test
  EXPECT_EQ(Count(), 0);
}

TEST_F(ShotTest, RingPiercesFadesAndEnds) {
  Enemy* a = Target(100, 100, 100000);
  PlayerShot* s = Shot(ShotBombRing, HitSourceRing, 50, 50, 100, 100);  // damage 80
  s->SetShotRow(ShotRowBombRing);
  int damage = 80;
  for (int age = 1; age <= 60; ++age) {
    const int hp = a->hp, score = Score();
    Frame(false);
    if (age == 60) break;
    damage = MaxInt(damage * 8 / 10, 3);
    EXPECT_EQ(hp - a->hp, damage) << age;
    EXPECT_EQ(Score() - score, age == 1 ? 10 : 0);
    const uint32_t k = static_cast<uint32_t>((60 - age) * 255 / 59);
    EXPECT_EQ(s->sprite.colors[0], k * 0x01010101u);
  }
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(a->hitByMask, 1u << HitSourceRing);
}

TEST_F(ShotTest, BurstHitsOnAges1To3AndDrawsItsFacing) {
  Enemy* a = Target(100, 100, 100000);
  PlayerShot* s = Shot(ShotBombBurst, HitSourceBomb, 1, 1, 100, 100);
  s->SetShotRow(ShotRowBombBurst);
  const float u = s->sprite.srcU;
  for (int age = 1; age <= 3; ++age) {
    const int step = g_randomStep;
    Frame(false);
    EXPECT_EQ(DrawsSince(step), 1);
    if (age == 2) {
      EXPECT_FLOAT_EQ(s->sprite.srcU, u + 80);
    }
  }
  EXPECT_EQ(100000 - a->hp, 240);
  EXPECT_EQ(Score(), 30);  // a burst scores every hit
  Frame(false);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(a->hp, 100000 - 240);
}

TEST_F(ShotTest, BeamEndsInBlastFrames) {
  Target(100, 100, 100000);
  PlayerShot* s = Shot(ShotBombBeam, HitSourceBomb, 1, 1, 100, 100, 90, 0);
  s->SetShotRow(ShotRowBombBeam);
  s->SetScale(3.6f, 2.0f);
  Frame(false);
  EXPECT_EQ(Count(), 0);
  ASSERT_EQ(world->effects.count, 1);
  Effect* fx = world->effects.head;
  EXPECT_EQ(fx->kind, EffectBlastFrames);
  EXPECT_EQ(fx->lifetime, 16);
  EXPECT_FLOAT_EQ(fx->endScaleX, 2.0f + 1.5f);
  EXPECT_FLOAT_EQ(fx->endScaleY, 3.6f + 3.0f);
}

TEST_F(ShotTest, LeavesTheFieldBeyond64Pixels) {
  struct Case {
    float x, y, angle;
    bool stays;
  };
  const Case cases[] = {{180, -47, 90, true}, {180, -49, 90, false}, {-49, 200, 180, false},
                        {409, 200, 0, false}, {180, 529, 270, false}, {180, 527, 270, true}};
  for (const Case& c : cases) {
    world->shots.Clear();
    Shot(ShotMain1, HitSourceMainShot, 1, 1, c.x, c.y, c.angle, 16);
    Frame(false);
    EXPECT_EQ(Count(), c.stays ? 1 : 0) << c.x << " " << c.y;
  }
}

// Homing and seeker shots drop a dying target and take the nearest live enemy the same frame;
// without one they keep their direction (homing) or turn up (seeker).
TEST_F(ShotTest, HomingTargets) {
  Enemy* nearTarget = Target(120, 300, 1000);
  Enemy* farTarget = Target(300, 100, 1000);
  nearTarget->targetable = 0;  // shots do not care
  PlayerShot* h = Shot(ShotHoming, HitSourceOptionShot, 1, 1, 100, 400, 90, 8);
  Frame(false);
  EXPECT_EQ(h->target, nearTarget);
  nearTarget->dyingCounter = 1;
  Frame(false);
  EXPECT_EQ(h->target, farTarget);
  farTarget->dyingCounter = -1;  // a boss's death sequence is kept
  Frame(false);
  EXPECT_EQ(h->target, farTarget);

  ClearEnemyList(world.get());
  EXPECT_EQ(h->target, nullptr);
  world->shots.Clear();
  PlayerShot* alone = Shot(ShotHoming, HitSourceOptionShot, 1, 1, 100, 400, 30, 8);
  PlayerShot* seeker = Shot(ShotSeeker, HitSourceOptionShot, 1, 1, 200, 400, 0, 8);
  Frame(false);
  EXPECT_EQ(alone->target, nullptr);
  EXPECT_NEAR(alone->direction, 30.0f, 1e-3);
  // Seeker: step = max(min(90 / 3, 40), min(1, 12)) = 30 toward 90; speed + 0.4.
  EXPECT_NEAR(seeker->direction, 30.0f, 1e-4);
  EXPECT_NEAR(seeker->speed, 8.4f, 1e-5);
  // 30, 50, 63.3, 72.2, 78.1, 84.1, then the step min(age, 12) = 7 reaches 90.
  for (int age = 2; age <= 6; ++age) Frame(false);
  EXPECT_GT(AngleDistance(seeker->direction, 90.0f), 1.0f);
  Frame(false);
  EXPECT_NEAR(seeker->direction, 90.0f, 1e-4);
}

TEST_F(ShotTest, HomingAndSeekerMotionRules) {
  // Homing without a target: pull max(0.56 - 0.01 * age, 0.16) along its own direction,
  // velocity factor min(0.84 + 0.0024 * age, 1.002).
  PlayerShot* h = Shot(ShotHoming, HitSourceOptionShot, 1, 1, 180, 400, 90, 8);
  const float u = h->sprite.srcU;
  Frame(false);
  EXPECT_NEAR(h->speed, 8.0f * (0.84f + 0.0024f) + 0.55f, 1e-4);
  Frame(false);  // age 2: (2 / 2) % 4 = 1, one step along the strip
  EXPECT_FLOAT_EQ(h->sprite.srcU, u + 24);
  Frame(false);
  Frame(false);
  Frame(false);
  Frame(false);
  Frame(false);
  Frame(false);  // age 8: back by 72
  EXPECT_FLOAT_EQ(h->sprite.srcU, u);
}

TEST_F(ShotTest, ReturnShotIsPulledBackToThePlayer) {
  PlayerShot* r = Shot(ShotReturn, HitSourceOptionShot, 1, 1, 180, 300, 90, 8);
  Frame(false);
  // Pull 0.64 - 0.012 toward the player straight below; factor 0.94 + 0.0016.
  EXPECT_NEAR(r->vy, -8.0f * (0.94f + 0.0016f) + (0.64f - 0.012f), 1e-4);
  int frames = 1;
  while (r->vy < 0 && frames < 30) {
    Frame(false);
    frames += 1;
  }
  EXPECT_GT(r->vy, 0.0f);  // it turned back toward the ship
  EXPECT_LT(frames, 12);
  EXPECT_LT(r->y, 300.0f);
}

TEST_F(ShotTest, MissileSpinsLocksAtAge20AndTurns) {
  PlayerShot* m = Shot(ShotMissile, HitSourceOptionShot, 1, 1, 180, 400, 270, 8);
  m->facing = 0;
  for (int age = 1; age <= 19; ++age) Frame(false);
  EXPECT_NEAR(m->facing, NormalizeAngle(19 * 16.0f), 1e-3);
  EXPECT_NEAR(m->speed, 8.0f * std::pow(0.9f, 19), 1e-4);
  EXPECT_NEAR(m->direction, 270.0f, 1e-3);  // it drifts along its launch direction
  Enemy* far = Target(180, 100, 1000);
  far->targetable = 0;
  Frame(false);  // age 20: lock
  EXPECT_EQ(m->target, far);
  EXPECT_NEAR(m->facing, 304.0f, 1e-3);  // no spin at the lock
  Frame(false);  // age 21: 16 toward the target straight above
  EXPECT_NEAR(m->facing, 320.0f, 1e-3);
  for (int age = 22; age <= 29; ++age) Frame(false);
  EXPECT_NEAR(m->facing, 320.0f + 16 * 8 - 360, 1e-3);
  Frame(false);  // age 30: the last 2 degrees
  EXPECT_NEAR(m->facing, 90.0f, 1e-3);
  for (int age = 31; age <= 40; ++age) Frame(false);
  const float speed40 = m->speed;
  Frame(false);  // age 41: flies along its facing, speed * 0.8 + 3.2
  EXPECT_NEAR(m->direction, m->facing, 1e-3);
  EXPECT_NEAR(m->speed, speed40 * 0.8f + 3.2f, 1e-4);
}

TEST_F(ShotTest, AcquireShotTargetNearestStrictlyBelow1280) {
  PlayerShot* s = Shot(ShotHoming, HitSourceOptionShot, 1, 1, 0, 0);
  Enemy* a = Target(1280, 0, 10);  // exactly 1280: too far
  EXPECT_EQ(a->x, 1280.0f);
  AcquireShotTarget(world.get(), s);
  EXPECT_EQ(s->target, nullptr);
  Enemy* b = Target(0, 300, 10);
  Enemy* c = Target(300, 0, 10);  // as near as b: the first in list order wins
  AcquireShotTarget(world.get(), s);
  EXPECT_EQ(s->target, b);
  b->dyingCounter = 2;
  AcquireShotTarget(world.get(), s);  // keeps a target it has
  EXPECT_EQ(s->target, b);
  s->target = nullptr;
  AcquireShotTarget(world.get(), s);
  EXPECT_EQ(s->target, c);
}

// The counter bomb's emitter makes twelve ring shots per ring around its own position.
TEST_F(ShotTest, RingEmitterMakesRingShots) {
  Effect* e = ConstructEffect(world.get(), EffectRingEmitter, 180, 300, 0, 0, 27);
  e->params[0] = 20;
  UpdateEffects(world.get());  // a = 0
  EXPECT_EQ(Count(), 0);
  const int step = g_randomStep;
  UpdateEffects(world.get());  // a = 1: radius 1 * (20 / 20 + 5) + 32 = 38
  EXPECT_EQ(DrawsSince(step), 13);
  ASSERT_EQ(Count(), 12);
  for (PlayerShot* s = world->shots.head; s; s = s->next) {
    EXPECT_EQ(s->kind, ShotBombRing);
    EXPECT_EQ(s->hitBit, HitSourceRing);
    EXPECT_EQ(s->damage, 80 * 40 / 100);
    EXPECT_FLOAT_EQ(s->sprite.scaleX, 1.0f);  // 20 / 32 + 1 in integers
    EXPECT_FLOAT_EQ(s->hitShape.scaleY, 1.0f);
    EXPECT_EQ(s->sprite.colorMode, SpriteColorSingle);
    EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[ShotRowBombRing].srcU);
    EXPECT_NEAR(Hypot(s->x - 180, s->y - 300), 38.0f, 1e-3);
    EXPECT_FLOAT_EQ(s->speed, 0.0f);
  }
  for (int a = 2; a < 27; ++a) UpdateEffects(world.get());
  EXPECT_EQ(Count(), 72);
}

// A destroyed enemy leaves no shot pointing at it.
TEST_F(ShotTest, DestroyedEnemyIsNoTarget) {
  Enemy* e = Target(180, 200, 1000);
  PlayerShot* homing = Shot(ShotHoming, HitSourceOptionShot, 1, 1, 180, 450, 90, 1);
  PlayerShot* seeker = Shot(ShotSeeker, HitSourceOptionShot, 1, 1, 100, 450, 90, 1);
  Frame(false);
  ASSERT_EQ(homing->target, e);
  ASSERT_EQ(seeker->target, e);
  e->DestroyEnemy(world.get());
  EXPECT_EQ(homing->target, nullptr);
  EXPECT_EQ(seeker->target, nullptr);
  Frame(false);  // nothing left to follow
  EXPECT_EQ(homing->target, nullptr);
}
