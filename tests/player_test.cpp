#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ResetPlayGlobals();
    world = std::make_unique<GameWorld>();
  }
  void TearDown() override { ResetPlayGlobals(); }
  std::unique_ptr<GameWorld> world;
  Player& P() { return world->player; }

  void Frame(std::initializer_list<int> held = {}) {
    FeedHeldInput(held);
    UpdatePlayer(world.get());
  }
  // Straight into normal play, without the fly-in's invincibility.
  void StartNormal() {
    P().SetState(PlayerNormal);
    P().invincibleFrames = 0;
  }
  Option* AddOption(bool launched) {
    Option* o = new Option;
    ListAppendAtTail(&P().optionHead, &P().optionTail, o);
    P().optionCount += 1;
    o->launched = launched ? 1 : 0;
    o->x = P().x;
    o->y = P().y;
    return o;
  }
};

}  // namespace

TEST_F(PlayerTest, NewGameAndRespawnValues) {
  Player& p = P();
  p.formation.radius = 60;
  p.formation.aim = 90;
  p.formation.spin = -1;
  p.formation.angle = 30;
  p.startParams.power = 9;
  p.lives = 3;
  p.Respawn();
  EXPECT_FLOAT_EQ(p.formation.radius, 60.0f);  // a respawn keeps them
  EXPECT_FLOAT_EQ(p.formation.angle, 0.0f);
  EXPECT_EQ(p.lives, 3);
  p.ResetForNewGame();
  EXPECT_FLOAT_EQ(p.formation.radius, 0.0f);  // a new game does not
  EXPECT_FLOAT_EQ(p.formation.aim, 0.0f);
  EXPECT_FLOAT_EQ(p.formation.spin, 0.0f);
  EXPECT_EQ(p.startParams.power, 9);
  EXPECT_EQ(p.lives, 1);
  EXPECT_EQ(p.shields, 5);
  EXPECT_EQ(p.bombs, 3);
  EXPECT_EQ(p.gaugeMax, 1000);
  EXPECT_EQ(p.state, PlayerEntering);
  EXPECT_FLOAT_EQ(p.x, 180.0f);
  EXPECT_FLOAT_EQ(p.y, 400.0f);
  EXPECT_FLOAT_EQ(p.facing, 90.0f);
  EXPECT_FLOAT_EQ(p.scrollSpeedY, -3.0f);
  EXPECT_EQ(p.shotPressFrames, 7);
  EXPECT_EQ(p.lastShotInput, -1);
  for (int i = 0; i < PlayerHistorySize; ++i) {
    ASSERT_FLOAT_EQ(p.historyX[i], 180.0f);
    ASSERT_FLOAT_EQ(p.historyY[i], 400.0f);
  }
  EXPECT_EQ(p.hitShape.hitType, HitQuad);
  EXPECT_FLOAT_EQ(p.hitShape.scaleX, 1.0f);
}

TEST_F(PlayerTest, AddScoreKeepsTheTwoParts) {
  struct Case {
    int low, high, points, wantLow, wantHigh;
  };
  const Case cases[] = {
      {0, 0, 150000000, 50000000, 1},
      {99999990, 0, 10, 0, 1},
      {5, 2, INT_MAX, 47483652, 23},  // no overflow of the low part
      {10, 1, -20, 99999990, 0},      // borrow
      {10, 0, -20, 99999990, -1},
      {0, 3, -250000000, 50000000, 0},
  };
  for (const Case& c : cases) {
    P().scoreLow = c.low;
    P().scoreHigh = c.high;
    P().AddScore(c.points);
    EXPECT_EQ(P().scoreLow, c.wantLow) << c.points;
    EXPECT_EQ(P().scoreHigh, c.wantHigh) << c.points;
  }
}

TEST_F(PlayerTest, StageRecordsKeepEachStagesShare) {
  Player& p = P();
  p.scoreLow = 99999990;
  p.gaugeTotal = 40;
  p.hitCount = 2;
  p.RecordStageResult(1);
  p.scoreHigh = 1;
  p.scoreLow = 20;
  p.gaugeTotal = 100;
  p.hitCount = 3;
  p.RecordStageResult(2);
  EXPECT_EQ(p.stageScore[2].high, 0);
  EXPECT_EQ(p.stageScore[2].low, 30);
  EXPECT_EQ(p.stageGaugeTotal[2], 60);
  EXPECT_EQ(p.stageHitCount[2], 1);
  EXPECT_EQ(p.stageScore[1].low, 99999990);
  // Outside the 16 records nothing is written.
  for (int stage : {-1, 16, 1000}) p.RecordStageResult(stage);
  EXPECT_EQ(p.stageScore[0].low, 0);
  EXPECT_EQ(p.stageScore[15].low, 0);
}

TEST_F(PlayerTest, FlyInAndItsInvincibility) {
  Player& p = P();
  const SpriteDef& row = g_spriteDefs[128];
  const int step = g_randomStep;
  // Scale 4 - 3f / 59 and sway angle (59 - f) * 90 / 59, both integer quotients, by fly-in frame.
  struct Step {
    int frame;
    float scale;
    int swayDegrees;
  };
  const Step steps[] = {{1, 4, 88}, {19, 4, 61}, {20, 3, 59}, {39, 3, 30}, {40, 2, 28}, {58, 2, 1}, {59, 1, 0}};
  int f = 0;
  for (const Step& c : steps) {
    SCOPED_TRACE(c.frame);
    while (f < c.frame) {
      Frame({InputRight, InputShot});  // no input while entering
      ++f;
    }
    EXPECT_FLOAT_EQ(p.sprite.scaleX, c.scale);
    EXPECT_FLOAT_EQ(p.hitShape.scaleY, c.scale);
    EXPECT_NEAR(p.sprite.pivotX, row.pivotX + 10.0f * std::sin(static_cast<float>(c.swayDegrees) * kPi / 180.0f),
                1e-4f);
    if (c.frame == 1) {
      EXPECT_EQ(p.sprite.colors[0], 0x82828282u);
      EXPECT_EQ(p.invincibleFrames, 358);
    }
  }
  EXPECT_EQ(p.state, PlayerEntering);
  EXPECT_EQ(p.sprite.colors[0], 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(p.x, 180.0f);
  EXPECT_EQ(DrawsSince(step), 0);
  EXPECT_EQ(world->effects.count, 0);
  Frame();  // 60th frame
  EXPECT_EQ(p.state, PlayerNormal);
  EXPECT_FLOAT_EQ(p.sprite.scaleX, 1.0f);
  EXPECT_FLOAT_EQ(p.hitShape.scaleY, 1.0f);
  EXPECT_FLOAT_EQ(p.sprite.pivotX, row.pivotX);
  EXPECT_EQ(p.sprite.colorMode, SpriteColorSingle);
  EXPECT_EQ(p.invincibleFrames, 299);
  for (int f = 61; f <= 358; ++f) Frame();
  EXPECT_EQ(p.invincibleFrames, 1);
  Frame();
  EXPECT_EQ(p.invincibleFrames, 0);
}

TEST_F(PlayerTest, RandomDrawsPerQuietFrame) {
  Player& p = P();
  int step = g_randomStep;
  Frame();
  EXPECT_EQ(DrawsSince(step), 0);  // entering: nothing drawn
  StartNormal();
  p.SetScaleUniform(1.0f);
  for (int f = 0; f < 5; ++f) {
    step = g_randomStep;
    const int effects = world->effects.count;
    Frame({f % 2 ? InputLeft : InputUp});
    EXPECT_EQ(DrawsSince(step), 2);  // the exhaust
    EXPECT_EQ(world->effects.count, effects + 1);
  }
  Effect* e = world->effects.tail;
  EXPECT_FLOAT_EQ(e->y, p.y + 16);
  EXPECT_EQ(e->lifetime, 16);
  EXPECT_EQ(e->startColor, 0xFF206080u);
  EXPECT_EQ(e->endColor, 0x80202020u);
  EXPECT_GE(e->speed, 8.0f);
  EXPECT_GE(e->direction, 260.0f);
  // With invincibility above 29 a sparkle comes too, without draws.
  p.invincibleFrames = 100;
  step = g_randomStep;
  Frame();
  EXPECT_EQ(DrawsSince(step), 2);
  Effect* s = world->effects.tail;
  EXPECT_EQ(s->lifetime, 1);
  EXPECT_FLOAT_EQ(s->scaleFactorX, 1.8f);
  // v = 99 - 30 = 69: R = 3 * (60 - 69) clamped 0, G = 3 * 39 = 117, B = 6 * 9 = 54.
  EXPECT_EQ(s->startColor, 0xFF007536u);
  EXPECT_EQ(s->endColor, s->startColor);
}

TEST_F(PlayerTest, Steering) {
  struct Case {
    std::initializer_list<int> held;
    float dx, dy;
  };
  const float d = 4.5f / std::sqrt(2.0f);
  const Case cases[] = {
      {{InputRight}, 4.5f, 0},
      {{InputLeft}, -4.5f, 0},
      {{InputUp}, 0, -4.5f},
      {{InputRight, InputDown}, d, d},
      {{InputRight, InputDown, InputSlow}, d / 2, d / 2},
      {{InputLeft, InputSlow}, -2.25f, 0},
      {{InputLeft, InputRight}, 0, 0},
  };
  for (const Case& c : cases) {
    P().Respawn();
    StartNormal();
    Frame(c.held);
    EXPECT_FLOAT_EQ(P().x, 180.0f + c.dx);
    EXPECT_FLOAT_EQ(P().y, 400.0f + c.dy);
  }
}

TEST_F(PlayerTest, BankingPicksTheSpriteRow) {
  Player& p = P();
  StartNormal();
  const int want[9] = {2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (int f = 0; f < 9; ++f) {
    Frame({InputRight});
    EXPECT_EQ(p.bank, want[f]);
  }
  EXPECT_FLOAT_EQ(p.sprite.srcU, g_spriteDefs[130].srcU);
  Frame();
  EXPECT_EQ(p.bank, 9);
  EXPECT_FLOAT_EQ(p.sprite.srcU, g_spriteDefs[128].srcU);
  for (int f = 0; f < 30; ++f) Frame({InputRight});
  EXPECT_EQ(p.bank, 24);
  EXPECT_FLOAT_EQ(p.sprite.srcU, g_spriteDefs[132].srcU);
  for (int f = 0; f < 40; ++f) Frame({InputLeft});
  EXPECT_EQ(p.bank, -24);
  EXPECT_FLOAT_EQ(p.sprite.srcU, g_spriteDefs[131].srcU);
  while (p.bank != -15) Frame();
  EXPECT_FLOAT_EQ(p.sprite.srcU, g_spriteDefs[129].srcU);
}

TEST_F(PlayerTest, FieldClampAndHistory) {
  Player& p = P();
  StartNormal();
  p.x = 357;
  Frame({InputRight});
  EXPECT_FLOAT_EQ(p.x, 358.0f);
  EXPECT_EQ(p.historyIndex, 1);
  Frame({InputRight});  // pressed into the wall: no move, but steering advances the ring
  EXPECT_EQ(p.historyIndex, 2);
  Frame();
  EXPECT_EQ(p.historyIndex, 2);  // standing still
  // Knock-back cannot carry the ship out either, and decays to 85 % per frame.
  p.SetVelocityPolar(180, 50);
  p.x = 20;
  Frame();
  EXPECT_FLOAT_EQ(p.x, 2.0f);
  EXPECT_NEAR(p.speed, 42.5f, 1e-4f);
  p.SetVelocityPolar(90, 0.16f);
  Frame();
  EXPECT_FLOAT_EQ(p.speed, 0.0f);  // 0.136 is below 0.15
  p.y = 10;
  Frame();
  EXPECT_FLOAT_EQ(p.y, 16.0f);
  EXPECT_FLOAT_EQ(p.historyY[(p.historyIndex + PlayerHistorySize - 1) % PlayerHistorySize], 16.0f);
  // The index wraps at 160.
  for (int f = 0; f < 200; ++f) Frame({f % 2 ? InputUp : InputDown});
  EXPECT_EQ(p.historyIndex, (5 + 200) % PlayerHistorySize);
}

TEST_F(PlayerTest, ScrollPhases) {
  StartNormal();
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().scrollPhaseX, 1.5f);
  EXPECT_FLOAT_EQ(P().scrollPhaseY, 57.0f);
  Frame({InputLeft});
  Frame({InputLeft});
  EXPECT_FLOAT_EQ(P().scrollPhaseX, 58.5f);
  EXPECT_FLOAT_EQ(P().scrollPhaseY, 51.0f);
}

TEST_F(PlayerTest, ShieldHitLasts31Frames) {
  Player& p = P();
  StartNormal();
  p.SetState(PlayerShieldHit);
  Frame({InputRight});
  EXPECT_EQ(p.invincibleFrames, 73);  // at least 75 - 1, then counted down
  EXPECT_FLOAT_EQ(p.x, 180.0f);  // no steering
  for (int f = 2; f <= 30; ++f) Frame();
  EXPECT_EQ(p.state, PlayerShieldHit);
  EXPECT_EQ(p.invincibleFrames, 44);
  Frame();
  EXPECT_EQ(p.state, PlayerNormal);
  EXPECT_EQ(p.stateFrames, 0);
}

TEST_F(PlayerTest, DeathDropsExplosionAndRespawn) {
  Player& p = P();
  StartNormal();
  p.power = 20;
  p.gauge = p.gaugeMax = 1500;
  p.gaugeFull = 600;
  p.x = 100;
  Frame();
  p.SetState(PlayerDying);
  Frame();
  EXPECT_EQ(p.sprite.colors[0], 0xFFFDF7CCu);  // f = 1: (255, 253, 247, 204)
  for (int f = 2; f < 40; ++f) Frame();
  const int effects = world->effects.count;
  const int step = g_randomStep;
  p.SetVelocityPolar(45, 3);
  Frame();  // f = 40
  EXPECT_EQ(DrawsSince(step), 6 * 3 + 64 * 7);  // six power drops and the explosion
  ASSERT_EQ(world->effects.count, effects + 64);
  EXPECT_FLOAT_EQ(p.speed, 0.0f);
  EXPECT_EQ(p.sprite.colors[0], 0u);
  const float deathX = p.x;  // moved by the knock-back of this frame before it stopped
  // Piece i flies at (i * 360) / 64 + facing, the step truncated: 5, 11, 16, ... not 5.625 i.
  const struct {
    int piece;
    float angle;
  } pieces[] = {{0, 90}, {1, 95}, {3, 106}, {5, 118}, {63, 444}};
  Effect* first = world->effects.tail;
  for (int i = 0; i < 63; ++i) first = first->prev;
  for (const auto& c : pieces) {
    Effect* e = first;
    for (int i = 0; i < c.piece; ++i) e = e->next;
    EXPECT_FLOAT_EQ(e->direction, c.angle) << c.piece;
  }
  for (Effect* e = world->effects.tail; e && e->kind == EffectColorFade; e = e->prev) {
    EXPECT_GE(e->lifetime, 40);
    EXPECT_LT(e->lifetime, 48);
    EXPECT_GE(e->params[0], 320);
    EXPECT_LT(e->params[2], 256);
    EXPECT_FLOAT_EQ(e->startScaleX, 1.0f);
    EXPECT_FLOAT_EQ(e->endScaleY, 0.0f);
  }
  int quiet = g_randomStep;
  for (int f = 41; f <= 120; ++f) Frame();
  EXPECT_EQ(DrawsSince(quiet), 0);
  EXPECT_EQ(p.state, PlayerDying);
  Frame();  // f = 121
  EXPECT_EQ(p.state, PlayerEntering);
  EXPECT_EQ(p.lives, 0);
  EXPECT_EQ(p.power, 14);
  EXPECT_EQ(p.gauge, 750);
  EXPECT_EQ(p.gaugeFull, 0);
  EXPECT_FLOAT_EQ(p.x, deathX);
  EXPECT_FLOAT_EQ(p.y, 400.0f);
  EXPECT_FLOAT_EQ(p.historyX[37], deathX);
  EXPECT_FLOAT_EQ(p.historyY[159], 400.0f);
  EXPECT_EQ(p.sprite.colors[0], 0u);
  EXPECT_EQ(p.shields, 5);
  EXPECT_EQ(p.bombs, 3);
}

TEST_F(PlayerTest, DropsByPowerAndGaugeHalving) {
  struct Case {
    int power, drops, kept, lives, gauge, gaugeFull, wantGauge, wantFull, pieceLifeMin;
  };
  const Case cases[] = {
      {20, 6, 14, 1, 1500, 600, 750, 0, 40},
      {1, 1, 0, 1, 999, 600, 499, 600, 40},
      {0, 0, 0, 2, 0, 0, 0, 0, 40},
      {7, 3, 4, 0, 0, 0, 0, 0, 72},  // the last ship's pieces live 32 frames longer
  };
  for (const Case& c : cases) {
    Player& p = P();
    p.ResetForNewGame();
    ClearEffectList(&world->effects);
    p.power = c.power;
    p.lives = c.lives;
    p.gaugeMax = 1500;
    p.gauge = c.gauge;
    p.gaugeFull = c.gaugeFull;
    p.SetState(PlayerDying);
    for (int f = 1; f < 40; ++f) Frame();
    const int step = g_randomStep;
    Frame();
    EXPECT_EQ(DrawsSince(step), 3 * c.drops + 64 * 7) << c.power;
    int minLife = INT_MAX;
    for (Effect* e = world->effects.head; e; e = e->next) minLife = MinInt(minLife, e->lifetime);
    EXPECT_GE(minLife, c.pieceLifeMin);
    EXPECT_LT(minLife, c.pieceLifeMin + 8);
    for (int f = 41; f <= 121; ++f) Frame();
    if (c.lives > 0) {
      EXPECT_EQ(p.power, c.kept) << c.power;
      EXPECT_EQ(p.gauge, c.wantGauge);
      EXPECT_EQ(p.gaugeFull, c.wantFull);
      EXPECT_EQ(p.lives, c.lives - 1);
    } else {
      EXPECT_EQ(p.state, PlayerGameOver);
    }
  }
}

TEST_F(PlayerTest, FormationOptionsBecomeItemsLaunchedOnesStay) {
  Player& p = P();
  p.power = 0;
  AddOption(false);
  Option* launched = AddOption(true);
  AddOption(false);
  p.launchedCount = 1;
  p.SetState(PlayerDying);
  for (int f = 1; f < 40; ++f) Frame();
  const int step = g_randomStep;
  Frame();
  EXPECT_EQ(DrawsSince(step), 2 * 3 + 64 * 7);
  EXPECT_EQ(p.optionCount, 1);
  EXPECT_EQ(p.optionHead, launched);
  EXPECT_EQ(p.optionTail, launched);
  EXPECT_EQ(p.launchedCount, 1);
}

TEST_F(PlayerTest, GameOverWaitsForOptionsAndShots) {
  Player& p = P();
  world->stageScript = new StageScript;
  p.lives = 0;
  p.scoreLow = 1234;
  AddOption(true);
  PlayerShot* shot = new PlayerShot;
  ListAppendAtTail(&world->shots.head, &world->shots.tail, shot);
  world->shots.count += 1;
  p.SetState(PlayerDying);
  for (int f = 1; f <= 125; ++f) Frame();
  EXPECT_EQ(p.state, PlayerDying);
  EXPECT_EQ(g_scene, SceneGame);
  p.ClearOptions();
  Frame();
  EXPECT_EQ(p.state, PlayerDying);  // a shot is still flying
  shot->UnlinkAndDelete(&world->shots.head, &world->shots.tail, &world->shots.count);
  const int effects = world->effects.count;
  Frame();
  EXPECT_EQ(p.state, PlayerGameOver);
  EXPECT_EQ(p.lives, -1);
  EXPECT_EQ(g_scene, SceneGameEnd);
  EXPECT_EQ(g_sceneFrame, 0);
  EXPECT_EQ(world->stageScript->phase, 4);
  EXPECT_EQ(p.stageScore[1].low, 1234);
  ASSERT_EQ(world->effects.count, effects + 1);
  Effect* banner = world->effects.tail;
  EXPECT_EQ(banner->lifetime, INT_MAX);
  EXPECT_FLOAT_EQ(banner->y, 500.0f);
  EXPECT_FLOAT_EQ(banner->speed, 28.0f);
  EXPECT_FLOAT_EQ(banner->friction, 0.93f);
  EXPECT_EQ(banner->startColor, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(banner->endScaleY, 3.0f);
  // Game over keeps running the common steps.
  Frame();
  EXPECT_EQ(p.state, PlayerGameOver);
  EXPECT_EQ(p.stateFrames, 1);
}

TEST_F(PlayerTest, GameOverWithoutStageScriptOrValidStage) {
  Player& p = P();
  g_stage = 40;  // outside the records: nothing is stored
  p.lives = 0;
  p.SetState(PlayerDying);
  for (int f = 1; f <= 121; ++f) Frame();
  EXPECT_EQ(p.state, PlayerGameOver);
  EXPECT_EQ(world->stageScript, nullptr);
  EXPECT_EQ(g_scene, SceneGameEnd);
}

TEST_F(PlayerTest, CounterBombOnFreshPressesWhileDying) {
  Player& p = P();
  p.power = 12;
  p.SetState(PlayerDying);
  Frame();
  int step = g_randomStep;
  Frame({InputBomb});
  EXPECT_EQ(DrawsSince(step), 2);
  EXPECT_EQ(p.bombs, 2);
  Effect* e = world->effects.tail;
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->kind, EffectRingEmitter);
  EXPECT_EQ(e->lifetime, 27);
  EXPECT_EQ(e->params[0], 12);
  EXPECT_LT(e->speed, 4.0f);
  step = g_randomStep;
  Frame({InputBomb});  // held, not a fresh press
  EXPECT_EQ(DrawsSince(step), 0);
  Frame();
  Frame({InputBomb});
  Frame();
  Frame({InputBomb});
  EXPECT_EQ(p.bombs, 0);
  Frame();
  Frame({InputBomb});  // no bomb left
  EXPECT_EQ(p.bombs, 0);
  while (p.stateFrames < 40) Frame();
  Frame();
  p.bombs = 3;
  step = g_randomStep;
  Frame({InputBomb});  // too late
  EXPECT_EQ(p.bombs, 3);
  EXPECT_EQ(DrawsSince(step), 0);
}

namespace {

struct WorldState {
  float x, y, vx, vy;
  int state, stateFrames, scoreLow, grazeCount, hitCount, shields, invincible, bullets, effects;
  int randomIndex, randomStep;
  double effectSum;
  bool operator==(const WorldState& o) const {
    return x == o.x && y == o.y && vx == o.vx && vy == o.vy && state == o.state && stateFrames == o.stateFrames &&
           scoreLow == o.scoreLow && grazeCount == o.grazeCount && hitCount == o.hitCount && shields == o.shields &&
           invincible == o.invincible && bullets == o.bullets && effects == o.effects &&
           randomIndex == o.randomIndex && randomStep == o.randomStep && effectSum == o.effectSum;
  }
};

// A scripted game: the fly-in, steering left into the wall, a bullet field made at frame 360,
// then steering right through it. Each frame runs the input copy and the player, enemy-bullet
// and effect updates in the frame loop's order.
std::vector<WorldState> RunScriptedGame(GameWorld* world) {
  ResetPlayGlobals();
  SetRandomState(1234, 17);
  world->Reset();
  std::vector<WorldState> states;
  for (int frame = 1; frame <= 450; ++frame) {
    g_gameFrame = frame;
    g_sceneFrame = frame;
    if (frame == 1) {
      world->player.power = 11;  // the start power of difficulty 0
      world->player.SaveStartParameters();
    }
    if (frame == 360) {
      BulletList& l = world->bullets;
      for (float bx : {118.25f, 208.25f}) {
        ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, bx, 420, 0, 0, 1, 1);
      }
      ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, 300.25f, 400, 0, 0, 1, 1);
    }
    ResetSoundRequests();
    if (frame > 60 && frame <= 120) FeedHeldInput({InputLeft, InputShot});
    else if (frame > 360) FeedHeldInput({InputRight});
    else FeedHeldInput({});
    UpdatePlayer(world);
    UpdateEnemyBullets(world);
    UpdateEffects(world);
    const Player& p = world->player;
    WorldState s{p.x, p.y, p.vx, p.vy, p.state, p.stateFrames, p.scoreLow, p.grazeCount, p.hitCount, p.shields,
                 p.invincibleFrames, world->bullets.count, world->effects.count, g_randomIndex, g_randomStep, 0.0};
    for (Effect* e = world->effects.head; e; e = e->next) s.effectSum += e->x + 3.0 * e->y + e->sprite.colors[0];
    states.push_back(s);
  }
  return states;
}

}  // namespace

TEST_F(PlayerTest, ScriptedGameIsReproducible) {
  const std::vector<WorldState> run = RunScriptedGame(world.get());
  ASSERT_EQ(run.size(), 450u);
  auto at = [&](int frame) { return run[frame - 1]; };
  EXPECT_EQ(world->player.startParams.power, 11);
  // The fly-in ignores the input; then left at 4.5 px per frame into the wall.
  EXPECT_FLOAT_EQ(at(60).x, 180.0f);
  EXPECT_FLOAT_EQ(at(70).x, 135.0f);
  EXPECT_FLOAT_EQ(at(100).x, 2.0f);
  EXPECT_FLOAT_EQ(at(360).x, 2.0f);
  EXPECT_EQ(at(358).invincible, 1);
  EXPECT_EQ(at(359).invincible, 0);
  // Right through the field: every graze bullet scores on 4 of its 11 graze frames, the bullet
  // on the path twice before it hits on the 65th step.
  EXPECT_FLOAT_EQ(at(361).x, 6.5f);
  EXPECT_FLOAT_EQ(at(424).x, 290.0f);
  EXPECT_EQ(at(424).hitCount, 0);
  EXPECT_EQ(at(424).grazeCount, 10);
  EXPECT_EQ(at(425).hitCount, 1);
  EXPECT_EQ(at(425).shields, 4);
  EXPECT_EQ(at(425).state, PlayerShieldHit);
  EXPECT_EQ(at(425).bullets, 2);
  EXPECT_FLOAT_EQ(at(450).x, 294.5f);  // a stationary bullet gives no push; no steering while hit
  EXPECT_EQ(at(450).grazeCount, 10);
  EXPECT_EQ(at(450).scoreLow, 100);
  for (int f = 1; f <= 450; ++f) EXPECT_FLOAT_EQ(run[f - 1].y, 400.0f) << f;

  // A second run from the same start gives the same world, frame by frame.
  auto second = std::make_unique<GameWorld>();
  const std::vector<WorldState> again = RunScriptedGame(second.get());
  ASSERT_EQ(again.size(), run.size());
  for (size_t i = 0; i < run.size(); ++i) ASSERT_TRUE(run[i] == again[i]) << "frame " << i + 1;
}

TEST_F(PlayerTest, AfterAShieldHitBulletsPassThenVanishThenHarm) {
  Player& p = P();
  StartNormal();
  BulletList& l = world->bullets;
  auto touching = [&] { ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, p.x, p.y, 0, 0, 1, 1); };
  touching();
  UpdateEnemyBullets(world.get());
  ASSERT_EQ(p.hitCount, 1);
  ASSERT_EQ(p.state, PlayerShieldHit);
  for (int k = 1; k <= 74; ++k) {
    ClearBulletList(&l);
    Frame();
    touching();
    UpdateEnemyBullets(world.get());
    if (k <= 30) {
      EXPECT_EQ(l.count, 1) << k;  // ignored while the shield hit lasts
    } else {
      EXPECT_EQ(l.count, 0) << k;  // touching, removed
    }
    EXPECT_EQ(p.hitCount, k < 74 ? 1 : 2) << k;
  }
  EXPECT_EQ(p.shields, 3);
}
