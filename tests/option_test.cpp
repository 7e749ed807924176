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
#include "player/Bomb.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

struct Pt {
  float x, y;
};

Pt Polar(float a, float d) {
  Pt p;
  PolarToXY(&p.x, &p.y, a, d);
  return p;
}

class OptionTest : public ::testing::Test {
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
  GameWorld* W() { return world.get(); }

  void StartNormal() {
    P().SetState(PlayerNormal);
    P().invincibleFrames = 0;
  }
  // Options of the given type at the player's position, the block reset for it.
  void AddOptions(int n, int type = OptionWing) {
    P().optionType = type;
    for (int i = 0; i < n; ++i) new Option(&P().optionHead, &P().optionTail, &P().optionCount, P().x, P().y);
    ResetOptionFormation(W());
  }
  Option* At(int i) {
    Option* o = P().optionHead;
    while (o && i-- > 0) o = o->next;
    return o;
  }
  void Frame(const std::vector<int>& held = {}) {
    FeedHeldInput(held);
    UpdatePlayer(W());
  }
  void Frames(int n, const std::vector<int>& held = {}) {
    for (int k = 0; k < n; ++k) Frame(held);
  }
  // An enemy with the body row's square hit box (38 px) at (x, y).
  Enemy* MakeEnemy(float x, float y, int hp = 100) {
    Enemy* e = new Enemy;
    ListAppendAtTail(&world->enemies.head, &world->enemies.tail, e);
    world->enemies.count += 1;
    e->x = x;
    e->y = y;
    e->facing = 0;
    e->SetObjectSprite(152);
    SetHitShapeFromTable(e->hitShape, 152);
    e->SetScaleUniform(1.0f);
    e->hp = e->maxHp = hp;
    return e;
  }
  int CountItems() { return world->items.count; }
};

float AngleGap(float a, float b) { return AngleDistance(a, b); }

}  // namespace

// ---- The option object and its operations ----

TEST_F(OptionTest, ConstructionAndListOperations) {
  AddOptions(3);
  At(0)->fireTimer = 5;
  Option* o = new Option(&P().optionHead, &P().optionTail, &P().optionCount, 10.0f, 20.0f);
  EXPECT_EQ(P().optionCount, 4);
  EXPECT_EQ(P().optionTail, o);
  EXPECT_EQ(o->fireTimer, 5);  // in step with the head option
  EXPECT_FLOAT_EQ(o->x, 10.0f);
  EXPECT_FLOAT_EQ(o->y, 20.0f);
  EXPECT_FLOAT_EQ(o->facing, 90.0f);
  EXPECT_FLOAT_EQ(o->speed, 0.0f);
  EXPECT_EQ(o->launched, 0);
  EXPECT_EQ(o->power, 700);
  EXPECT_EQ(o->launchAge, 0);
  EXPECT_EQ(o->target, nullptr);
  EXPECT_FLOAT_EQ(o->sprite.scaleX, 0.5f);
  EXPECT_FLOAT_EQ(o->hitShape.scaleY, 0.5f);
  EXPECT_EQ(o->sprite.colorMode, SpriteColorWhite);
  EXPECT_EQ(o->sprite.colors[0], 0xFFFFFFFFu);
  EXPECT_FLOAT_EQ(o->sprite.srcU, g_spriteDefs[128].srcU);

  At(1)->UnlinkAndDelete(&P().optionHead, &P().optionTail, &P().optionCount);
  EXPECT_EQ(P().optionCount, 3);
  EXPECT_EQ(At(2), o);
  P().launchedCount = 1;
  P().ClearOptions();
  EXPECT_EQ(P().optionHead, nullptr);
  EXPECT_EQ(P().optionCount, 0);
  EXPECT_EQ(P().launchedCount, 0);

  Option* first = new Option(&P().optionHead, &P().optionTail, &P().optionCount, 0, 0);
  EXPECT_EQ(first->fireTimer, 0);  // an empty list gives 0
}

TEST_F(OptionTest, MoveTowardStepsAndClamps) {
  struct Case {
    float fromX, fromY, toX, toY, k, wantX, wantY;
  };
  const Case cases[] = {
      {100, 100, 200, 100, 1.0f, 106.75f, 100},  // 100 px: at least 6.75
      {100, 100, 400, 100, 1.0f, 110, 100},      // 300 px: a thirtieth
      {100, 100, 103, 100, 1.0f, 103, 100},      // 3 px: exactly onto it
      {100, 100, 100, 200, 2.0f, 100, 113.5f},   // 6.75 * k
      {100, 100, 300, 450, 100.0f, 300, 450},    // k 100 jumps
      {0, 100, -50, 100, 100.0f, -2, 100},       // the field's margin
      {100, 20, 100, -40, 100.0f, 100, 14},
      {350, 470, 400, 500, 100.0f, 362, 482},
      {50, 50, 50, 50, 1.0f, 50, 50},            // already there
  };
  Option o;
  for (const Case& c : cases) {
    o.x = c.fromX;
    o.y = c.fromY;
    o.targetX = c.toX;
    o.targetY = c.toY;
    o.MoveToward(c.k);
    EXPECT_NEAR(o.x, c.wantX, 1e-4) << c.toX << "," << c.toY;
    EXPECT_NEAR(o.y, c.wantY, 1e-4) << c.toX << "," << c.toY;
  }
}

TEST_F(OptionTest, AcquireTargetTakesTheNearestLiveTargetableEnemy) {
  AddOptions(1);
  Option* o = At(0);
  o->x = 100;
  o->y = 100;
  Enemy* dying = MakeEnemy(100, 110);
  dying->dyingCounter = 1;
  Enemy* untargetable = MakeEnemy(100, 112);
  untargetable->targetable = 0;
  Enemy* far = MakeEnemy(100, 150);
  Enemy* near1 = MakeEnemy(100, 130);
  Enemy* near2 = MakeEnemy(100, 70);  // as near: the first in list order wins
  (void)far;
  (void)near2;
  AcquireOptionTarget(W(), o);
  EXPECT_EQ(o->target, near1);

  // A kept target stays.
  o->target = far;
  AcquireOptionTarget(W(), o);
  EXPECT_EQ(o->target, far);

  // 1280 px away is out of reach.
  ClearEnemyList(W());
  o->target = nullptr;
  MakeEnemy(100, 100 + 1280);
  AcquireOptionTarget(W(), o);
  EXPECT_EQ(o->target, nullptr);
  Enemy* inReach = MakeEnemy(100, 100 + 1279);
  AcquireOptionTarget(W(), o);
  EXPECT_EQ(o->target, inReach);
}

TEST_F(OptionTest, ResetOptionFormationByType) {
  P().x = 100;
  P().y = 300;
  struct Row {
    int type;
    float angle, radius, aim, spin, cx, cy;
  };
  // The block before each reset: angle -30, radius 7, aim 5, spin 3, centre (1, 2).
  const Row rows[] = {
      {OptionWing, 0, 7, 5, 3, 1, 2},        {OptionRolling, 330, 60, 90, 1, 1, 2},
      {OptionStraight, -30, 7, 5, 3, 1, 2},  {OptionMass, -30, 7, 5, 3, 100, 268},
      {OptionWiper, 90, 7, 90, 3, 1, 2},     {OptionAllrange, 330, 60, 1, 3, 1, 2},
      {OptionReverse, 90, 80, 5, 3, 1, 2},   {OptionSupport, -30, 7, 5, 3, 100, 364},
      {OptionFeather, 0, 7, 5, 3, 1, 2},     {OptionEnclose, 330, 80, 5, 3, 100, 300},
      {OptionStream, 330, 7, 5, 3, 1, 2},    {OptionHunter, 330, 7, 5, 3, 1, 2},
      {OptionAnchor, -30, 7, -1, 3, 100, 268}, {OptionCaladborg, 90, 7, 90, 3, 1, 2},
      {OptionAegis, 330, 80, 5, 3, 100, 300},  {OptionLvatein, 330, 7, 5, 3, 1, 2},
      {OptionFragarach, -30, 7, -1, 3, 100, 268}, {OptionBrionac, -30, 7, 5, 3, 1, 2},
      {24, -30, 7, 5, 3, 1, 2},              {-1, -30, 7, 5, 3, 1, 2},
  };
  for (const Row& r : rows) {
    P().formation = OptionFormation{1, 2, -30, 7, 5, 3};
    P().optionType = r.type;
    ResetOptionFormation(W());
    const OptionFormation& f = P().formation;
    EXPECT_FLOAT_EQ(f.angle, r.angle) << r.type;
    EXPECT_FLOAT_EQ(f.radius, r.radius) << r.type;
    EXPECT_FLOAT_EQ(f.aim, r.aim) << r.type;
    EXPECT_FLOAT_EQ(f.spin, r.spin) << r.type;
    EXPECT_FLOAT_EQ(f.centerX, r.cx) << r.type;
    EXPECT_FLOAT_EQ(f.centerY, r.cy) << r.type;
  }
}

// ---- Steering of the block ----

TEST_F(OptionTest, RollingAimSpringsBackAndSpinFollowsTheLastDirection) {
  StartNormal();
  AddOptions(1, OptionRolling);
  Frame({InputLeft});
  EXPECT_FLOAT_EQ(P().formation.aim, 92.0f);
  EXPECT_FLOAT_EQ(P().formation.spin, 1.0f);
  Frames(40, {InputLeft});
  EXPECT_FLOAT_EQ(P().formation.aim, 135.0f);  // clamped to 136, sprung back by 1
  Frame();
  EXPECT_FLOAT_EQ(P().formation.aim, 134.0f);
  Frames(60);
  EXPECT_FLOAT_EQ(P().formation.aim, 90.0f);
  EXPECT_FLOAT_EQ(P().formation.spin, 1.0f);

  // Right alone turns the other way; both held keeps the spin.
  const float before = P().formation.angle;
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().formation.spin, -1.0f);
  EXPECT_NEAR(AngleGap(P().formation.angle, before - 3.6f), 0.0f, 1e-3);
  Frame({InputLeft, InputRight});
  EXPECT_FLOAT_EQ(P().formation.spin, -1.0f);
  // Rolling's aim passes 90 without stopping.
  P().formation.aim = 91;
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().formation.aim, 89.0f);
  // Radius: 60 down to 40 with slow, back up without.
  Frames(15, {InputSlow});
  EXPECT_FLOAT_EQ(P().formation.radius, 40.0f);
  Frames(3);
  EXPECT_FLOAT_EQ(P().formation.radius, 46.0f);
}

TEST_F(OptionTest, WiperAndCaladborgStopOnNinetyWhenTheyCrossIt) {
  StartNormal();
  AddOptions(1, OptionWiper);
  P().formation.aim = 91;
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().formation.aim, 90.0f);
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().formation.aim, 88.0f);
  Frames(60, {InputRight});
  EXPECT_FLOAT_EQ(P().formation.aim, 0.0f);  // clamped to -1, sprung back
  EXPECT_FLOAT_EQ(P().formation.angle, 0.0f);
  Frames(100, {InputLeft});
  EXPECT_FLOAT_EQ(P().formation.aim, 180.0f);
  EXPECT_FLOAT_EQ(P().formation.angle, 180.0f);

  P().optionType = OptionCaladborg;
  ResetOptionFormation(W());
  P().formation.aim = 92;
  Frame({InputRight});  // 92 - 4 = 88, sprung to 89: crossed
  EXPECT_FLOAT_EQ(P().formation.aim, 90.0f);
  EXPECT_FLOAT_EQ(P().formation.angle, 86.4f);
  Frame({InputRight});
  EXPECT_FLOAT_EQ(P().formation.aim, 87.0f);
}

TEST_F(OptionTest, AllrangeKeepsTurningAndSpeedsUpAfterFifteenHeldFrames) {
  StartNormal();
  AddOptions(1, OptionAllrange);
  EXPECT_FLOAT_EQ(P().formation.aim, 1.0f);
  Frame();
  EXPECT_NEAR(P().formation.angle, 3.6f, 1e-4);
  Frames(15, {InputRight});  // held counts 1..15: normal speed
  EXPECT_FLOAT_EQ(P().formation.aim, -1.0f);
  EXPECT_NEAR(P().formation.angle, NormalizeAngle(3.6f - 15 * 3.6f), 1e-3);
  float before = P().formation.angle;
  Frame({InputRight});  // 16th held frame
  EXPECT_NEAR(AngleGap(P().formation.angle, before - 5.4f), 0.0f, 1e-3);
  before = P().formation.angle;
  Frame();  // released: the last direction, normal speed
  EXPECT_NEAR(AngleGap(P().formation.angle, before - 3.6f), 0.0f, 1e-3);
  Frames(25, {InputSlow});
  EXPECT_FLOAT_EQ(P().formation.radius, 20.0f);
}

TEST_F(OptionTest, ReverseTurnsAwayFromTheHeldDirection) {
  StartNormal();
  AddOptions(1, OptionReverse);
  Frame({InputLeft});  // toward 0, the right-hand side
  EXPECT_FLOAT_EQ(P().formation.angle, 85.5f);
  Frames(30, {InputLeft});
  EXPECT_FLOAT_EQ(P().formation.angle, 0.0f);
  Frames(5, {InputLeft, InputShot});  // not while shooting
  EXPECT_FLOAT_EQ(P().formation.angle, 0.0f);
  Frames(20, {InputDown, InputSlow});
  EXPECT_NEAR(P().formation.angle, 90.0f, 1e-4);  // up, away from down
  EXPECT_FLOAT_EQ(P().formation.radius, 50.0f);
}

TEST_F(OptionTest, WingAngleAndCentreTypesFollowTheButtons) {
  StartNormal();
  AddOptions(1, OptionWing);
  Frames(30, {InputUp});
  EXPECT_FLOAT_EQ(P().formation.angle, 90.0f);
  Frames(3, {InputDown, InputShot});  // held shot freezes it
  EXPECT_FLOAT_EQ(P().formation.angle, 90.0f);
  Frames(50, {InputDown});
  EXPECT_FLOAT_EQ(P().formation.angle, -90.0f);

  P().optionType = OptionEnclose;
  ResetOptionFormation(W());
  Frames(30, {InputSlow});
  EXPECT_FLOAT_EQ(P().formation.radius, 130.0f);
  Frame({InputShot});  // the centre stays behind while shooting
  EXPECT_FLOAT_EQ(P().formation.centerX, P().prevX);
  const float cy = P().formation.centerY;
  Frames(3, {InputShot, InputUp});
  EXPECT_FLOAT_EQ(P().formation.centerY, cy);
  Frame();
  EXPECT_FLOAT_EQ(P().formation.centerY, P().y);

  P().optionType = OptionSupport;
  Frame({InputLeft});
  EXPECT_FLOAT_EQ(P().formation.centerX, P().x);
  EXPECT_FLOAT_EQ(P().formation.centerY, P().y + 64.0f);

  // Outside normal play the block does not steer.
  P().optionType = OptionWing;
  P().formation.angle = 0;
  P().SetState(PlayerShieldHit);
  Frame({InputUp});
  EXPECT_FLOAT_EQ(P().formation.angle, 0.0f);
}

TEST_F(OptionTest, AnchorHookIsThrownRisesAndHandsOverItsFirstHit) {
  StartNormal();
  AddOptions(3, OptionAnchor);
  Option* launched = At(2);
  launched->launched = 1;
  P().launchedCount = 1;
  Enemy* a = MakeEnemy(P().x, P().y - 200);
  Enemy* b = MakeEnemy(P().x, P().y - 210);
  (void)b;
  a->dyingCounter = 1;  // the hook takes dying enemies as well
  a->targetable = 0;

  Frame({InputUp});
  EXPECT_FLOAT_EQ(P().formation.aim, -1.0f);
  const float startY = P().y;
  Frame({InputUp, InputShot});  // shot pressed while up is held: thrown, rising at once
  EXPECT_FLOAT_EQ(P().formation.aim, 1.0f);
  EXPECT_NEAR(P().formation.centerY, startY - 4.5f - 16.2f, 1e-3);
  int frames = 1;
  while (P().formation.aim > 0 && frames < 40) {
    Frame({InputShot});
    ++frames;
  }
  EXPECT_FLOAT_EQ(P().formation.aim, -1.0f);
  for (Option* o = P().optionHead; o; o = o->next) EXPECT_EQ(o->target, a);
  // About (200 - 19 - 2) / 16.2 frames of flight.
  EXPECT_GE(frames, 10);
  EXPECT_LE(frames, 12);

  // A miss is spent 40 px above the top edge.
  ClearEnemyList(W());
  FeedHeldInput({});
  Frame({InputShot, InputUp});
  EXPECT_FLOAT_EQ(P().formation.aim, 1.0f);
  while (P().formation.aim > 0 && frames < 200) {
    Frame({InputShot});
    ++frames;
  }
  EXPECT_LT(P().formation.centerY, -40.0f);
  EXPECT_GT(P().formation.centerY, -40.0f - 16.3f);

  // Released: back at rest at once. Formation options drop the target without the shot.
  Frame();
  Frame({InputShot, InputUp});
  EXPECT_FLOAT_EQ(P().formation.aim, 1.0f);
  Frame();
  EXPECT_FLOAT_EQ(P().formation.aim, -1.0f);
  EXPECT_FLOAT_EQ(P().formation.centerX, P().x);
  EXPECT_FLOAT_EQ(P().formation.centerY, P().y);
}

// ---- Formations ----

// Every type with three options over one player path: 20 frames up-right, then 60 still frames.
// Points are relative to the player unless stated; the block's values follow from the steering.
TEST_F(OptionTest, FormationOfEveryTypeAfterAKnownPath) {
  const float d = 4.5f / std::sqrt(2.0f);  // the diagonal step per axis
  struct Slot {
    float x, y, facing;  // facing NAN: not checked
  };
  struct Row {
    int type;
    bool absoluteX;  // x is a field coordinate (Stream, Laevatein)
    float box;       // 0: exact point; > 0: a swarm within this many px of the point per axis
    bool settled;    // the option stands on its point at the end
    float facingTol;
    Slot s[3];
  };
  auto at = [](float a, float r, float facing) {
    const Pt p = Polar(a, r);
    return Slot{p.x, p.y, facing};
  };
  auto stream = [](float base, float a) {
    const Pt q = Polar(a, 32);
    return Slot{base + q.x, 64 + q.y / 2, 90};
  };
  auto hunter = [](int i, float ring) {
    const Pt q = Polar(ring, 6);
    return Slot{q.x, 24.0f + 8 * i, 90};
  };
  const float traceX = 180 + 7 * d, traceY = 400 - 7 * d;
  const Row rows[] = {
      {OptionWing, false, 0, true, 1e-3f, {at(225, 20, 180), at(-45, 20, 0), at(225, 36, 180)}},
      {OptionRolling, false, 0, false, 1e-3f, {at(72, 60, 90), at(192, 60, 90), at(312, 60, 90)}},
      {OptionStraight, false, 0, true, 1e-3f, {at(270, 80, 90), at(286, 80, 90), at(254, 80, 90)}},
      {OptionTrace, false, 0, true, 1e-3f, {{0, 0, 90}, {0, 0, 90}, {0, 0, 90}}},  // filled below
      {OptionMass, false, 32, false, 1e-3f, {{0, -32, 87.3f}, {0, -32, 90}, {0, -32, 92.7f}}},
      {OptionSearch, false, 0, true, 1e-3f, {{-36, 0, 90}, {36, 0, 90}, {-24, 16, 90}}},
      {OptionWiper, false, 0, true, 1e-3f, {at(0, 20, 90), at(0, 36, 90), at(0, 52, 90)}},
      {OptionAllrange, false, 0, false, 1e-2f, {at(63, 60, 63), at(183, 60, 183), at(303, 60, 303)}},
      {OptionReverse, false, 0, true, 1e-3f, {at(180, 80, 180), at(196, 80, 180), at(164, 80, 180)}},
      {OptionFloat, false, -1, false, 1e-3f, {{0, 0, 90}, {0, 0, 90}, {0, 0, 90}}},
      {OptionSupport, false, 32, false, 1e-3f, {{0, 64, NAN}, {0, 64, NAN}, {0, 64, NAN}}},
      {OptionAutohoming, false, 0, true, 0.5f, {{-36, 0, 320 - 44}, {36, 0, 80 - 44}, {-24, 16, 200 - 44}}},
      {OptionFeather, false, 0, true, 1e-3f, {at(225, 20, 135), at(-45, 20, 45), at(225, 36, 180)}},
      {OptionEnclose, false, 0, false, 1e-2f, {at(144, 80, 324), at(264, 80, 84), at(384, 80, 204)}},
      {OptionStream, true, 0, false, 1e-3f, {stream(180, 216), stream(270, 246), stream(90, 276)}},
      {OptionHunter, false, 0, false, 1e-3f, {hunter(0, 72), hunter(1, 192), hunter(2, 312)}},
      {OptionAnchor, false, 32, false, 1e-3f, {{0, 0, 84}, {0, 0, 90}, {0, 0, 96}}},
      {OptionHoming, false, 0, true, 1e-3f, {{-30, 0, 90}, {30, 0, 90}, {-27, 7, 90}}},
      {OptionCaladborg, false, 0, true, 1e-3f, {at(18, 20, 90), at(18, 36, 90), at(18, 52, 90)}},
      {OptionAegis, false, 0, false, 1e-3f, {at(192, 80, 90), at(312, 80, 90), at(432, 80, 90)}},
      {OptionLvatein, true, 0, false, 1e-3f, {stream(180, 192), stream(270, 222), stream(90, 252)}},
      {OptionGespenst, false, 0, true, 1e-3f, {{0, 24, 90}, {6, 24, 90}, {-6, 24, 90}}},
      {OptionFragarach, false, 32, false, 1e-3f, {{0, 0, 84}, {0, 0, 90}, {0, 0, 96}}},
      {OptionBrionac, false, 0, true, 1e-3f, {{-24, 0, 180}, {24, 0, 0}, {-36, -12, 161.56505f}}},
  };
  ASSERT_EQ(sizeof rows / sizeof rows[0], 24u);
  for (const Row& r : rows) {
    SetUp();
    StartNormal();
    AddOptions(3, r.type);
    Frames(20, {InputRight, InputUp});
    Frames(60);
    const float px = P().x, py = P().y;
    ASSERT_NEAR(px, 180 + 20 * d, 1e-3);
    for (int i = 0; i < 3; ++i) {
      Option* o = At(i);
      Slot want = r.s[i];
      float wx = r.absoluteX ? want.x : px + want.x;
      float wy = py + want.y;
      if (r.type == OptionTrace) {
        // Option 0 is 14 entries behind the newest of the 20 moves; 1 and 2 reach back past
        // the start, into the respawn fill.
        wx = i == 0 ? traceX : 180;
        wy = i == 0 ? traceY : 400;
      }
      if (r.box == 0) {
        EXPECT_NEAR(o->targetX, wx, 2e-2) << r.type << " option " << i;
        EXPECT_NEAR(o->targetY, wy, 2e-2) << r.type << " option " << i;
      } else if (r.box > 0) {
        EXPECT_LE(std::fabs(o->targetX - wx), r.box) << r.type << " option " << i;
        EXPECT_LE(std::fabs(o->targetY - wy), r.box) << r.type << " option " << i;
      }
      if (r.settled) {
        EXPECT_FLOAT_EQ(o->x, o->targetX) << r.type << " option " << i;
        EXPECT_FLOAT_EQ(o->y, o->targetY) << r.type << " option " << i;
      }
      if (!std::isnan(want.facing)) {
        EXPECT_NEAR(AngleGap(o->facing, want.facing), 0.0f, r.facingTol) << r.type << " option " << i;
      }
    }
  }
}

TEST_F(OptionTest, FormationSlotsForOtherCounts) {
  P().x = 180;
  P().y = 300;
  // Straight with 2 options: 262 and 278 degrees.
  AddOptions(2, OptionStraight);
  UpdateOptions(W());
  for (int i = 0; i < 2; ++i) {
    const Pt want = Polar(i == 0 ? 262.0f : 278.0f, 80);
    EXPECT_NEAR(At(i)->targetX, 180 + want.x, 1e-3);
    EXPECT_NEAR(At(i)->targetY, 300 + want.y, 1e-3);
  }
  // Stream with 1 option sits in the field's middle, with 2 at 120 and 240 (plus the wobble).
  P().ClearOptions();
  AddOptions(1, OptionStream);
  P().formation.angle = 90;  // q = (0, -32): no x wobble
  UpdateOptions(W());
  EXPECT_NEAR(At(0)->targetX, 180, 1e-3);
  EXPECT_NEAR(At(0)->targetY, 300 + 64 - 16, 1e-3);
  AddOptions(1, OptionStream);
  P().formation.angle = 90;
  UpdateOptions(W());
  EXPECT_NEAR(At(0)->targetX, 120, 1e-3);
  EXPECT_NEAR(At(1)->targetX, 240 + Polar(120, 32).x, 1e-3);
  // Where 360 does not divide evenly, each slot's x (sym + 1 + n) * 360 / (2n + 2) truncates.
  const struct {
    int n;
    int x[12];
  } streams[] = {{6, {154, 205, 102, 257, 51, 308}},
                 {10, {163, 196, 130, 229, 98, 261, 65, 294, 32, 327}},
                 {12, {166, 193, 138, 221, 110, 249, 83, 276, 55, 304, 27, 332}}};
  for (const auto& c : streams) {
    P().ClearOptions();
    AddOptions(c.n, OptionStream);
    P().formation.angle = 90;
    UpdateOptions(W());
    for (int i = 0; i < c.n; ++i) {
      EXPECT_NEAR(At(i)->targetX, c.x[i] + Polar(30.0f * i + 90, 32).x, 1e-3) << c.n << " options, " << i;
    }
  }

  // Search with 12 options: the grid offsets.
  P().ClearOptions();
  AddOptions(12, OptionSearch);
  UpdateOptions(W());
  const float grid[12][2] = {{-36, 0},  {36, 0},  {-24, 16}, {24, 16}, {-48, 20}, {48, 20},
                             {-12, 36}, {12, 36}, {-36, 40}, {36, 40}, {-60, 44}, {60, 44}};
  for (int i = 0; i < 12; ++i) {
    EXPECT_FLOAT_EQ(At(i)->targetX, 180 + grid[i][0]) << i;
    EXPECT_FLOAT_EQ(At(i)->targetY, 300 + grid[i][1]) << i;
  }

  // Wing with 4 options and angle 0: 20 and 36 px to either side, facing up.
  P().ClearOptions();
  AddOptions(4, OptionWing);
  UpdateOptions(W());
  const float wing[4] = {-20, 20, -36, 36};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(At(i)->targetX, 180 + wing[i], 1e-3);
    EXPECT_NEAR(At(i)->targetY, 300, 1e-3);
    EXPECT_FLOAT_EQ(At(i)->facing, 90);
  }
}

TEST_F(OptionTest, LaunchedOptionsKeepTheirIndexInTheList) {
  P().x = 180;
  P().y = 300;
  AddOptions(2, OptionWiper);
  P().formation.angle = 0;
  At(0)->launched = 1;
  P().launchedCount = 1;
  At(0)->y = 2000;  // flies off; the formation option still counts it as index 0
  UpdateOptions(W());
  EXPECT_EQ(P().optionCount, 1);
  EXPECT_NEAR(At(0)->targetX, 180 + 36, 1e-3);  // index 1: 20 + 16 px out
}

TEST_F(OptionTest, TraceFollowsTheHistoryAndNeverIndexesOutsideIt) {
  P().historyIndex = 5;
  for (int h = 0; h < PlayerHistorySize; ++h) {
    P().historyX[h] = static_cast<float>(h);
    P().historyY[h] = static_cast<float>(1000 + h);
  }
  // 16 options, more than the list ever holds: the later ones reach past the ring's start.
  AddOptions(16, OptionTrace);
  UpdateOptions(W());
  EXPECT_FLOAT_EQ(At(0)->targetX, static_cast<float>((5 - 14 + 160) % 160));  // 14 back
  EXPECT_FLOAT_EQ(At(11)->targetX, static_cast<float>((5 - 148 + 160) % 160));  // 148 back
  for (int i = 0; i < 16; ++i) {
    int h = ((12 - i) * 159 / 13 + 5) % 160;
    if (h < 0) h += 160;
    EXPECT_FLOAT_EQ(At(i)->targetX, static_cast<float>(h)) << i;
    EXPECT_FLOAT_EQ(At(i)->targetY, static_cast<float>(1000 + h)) << i;
  }
}

TEST_F(OptionTest, SearchAndHomingTargets) {
  StartNormal();
  P().x = 180;
  P().y = 400;
  AddOptions(1, OptionSearch);
  Enemy* a = MakeEnemy(140, 300);
  Frame();
  EXPECT_EQ(At(0)->target, nullptr);  // none while the shot is not held
  Frame({InputShot});
  EXPECT_EQ(At(0)->target, a);
  Enemy* nearer = MakeEnemy(144, 380);
  Frame({InputShot, InputSlow});  // slow keeps the current one
  EXPECT_EQ(At(0)->target, a);
  Frame({InputShot});  // a new nearest every frame
  EXPECT_EQ(At(0)->target, nearer);
  nearer->dyingCounter = 1;
  Frame({InputShot});
  EXPECT_EQ(At(0)->target, a);
  Frames(30, {InputShot});
  const float toA = Atan2Deg(At(0)->y - a->y, a->x - At(0)->x);
  EXPECT_NEAR(AngleGap(At(0)->facing, toA), 0.0f, 1e-3);

  // Brionac: dropped while slow is not held, acquired while the shot is.
  P().ClearOptions();
  AddOptions(1, OptionBrionac);
  Frame({InputShot});
  EXPECT_EQ(At(0)->target, a);
  Frame({InputSlow});
  EXPECT_EQ(At(0)->target, a);
  Frame();
  EXPECT_EQ(At(0)->target, nullptr);
  // While a bomb runs it faces its target at once.
  Frame({InputShot});
  P().bombKind = 1;
  P().bombDuration = 1000;
  Frame({InputShot});
  EXPECT_NEAR(AngleGap(At(0)->facing, Atan2Deg(At(0)->y - a->y, a->x - At(0)->x)), 0.0f, 1e-3);
  P().bombKind = 0;
}

TEST_F(OptionTest, EncloseChoosesItsTargetAgainEveryFrameInsideTheCircle) {
  P().x = 180;
  P().y = 400;
  AddOptions(1, OptionEnclose);
  Option* o = At(0);
  Enemy* inside = MakeEnemy(180, 330);  // 70 px from the centre, within 80 + its size
  Enemy* outside = MakeEnemy(180, 200);
  outside->targetable = 0;
  UpdateOptions(W());
  EXPECT_EQ(o->target, inside);
  // The target moves out; an untargetable enemy inside is taken on the same frame.
  const float size = MaxFloat(inside->sprite.scaleX, inside->sprite.scaleY) * inside->sprite.radius;
  inside->y = 400 - 80 - size - 1;
  outside->y = 400 - 60;
  UpdateOptions(W());
  EXPECT_EQ(o->target, outside);
  // A nearer enemy inside replaces a kept one: the choice runs every frame.
  inside->y = o->y;
  inside->x = o->x + 1;
  UpdateOptions(W());
  EXPECT_EQ(o->target, inside);
  inside->dyingCounter = 1;
  UpdateOptions(W());
  EXPECT_EQ(o->target, outside);
}

TEST_F(OptionTest, HunterAndAnchorSitOnTheirTarget) {
  StartNormal();
  P().x = 180;
  P().y = 400;
  AddOptions(2, OptionHunter);
  Enemy* e = MakeEnemy(100, 200);
  const float size = MaxFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.radius;
  // The target is chosen after the move: the point follows it from the next frame on.
  Frame({InputShot});
  EXPECT_EQ(At(1)->target, e);
  EXPECT_NEAR(At(1)->targetY, P().y + 24 + 8, 1e-3);
  Frame({InputShot});
  Pt q = Polar(NormalizeAngle(P().formation.angle) + 180.0f, 6);
  EXPECT_NEAR(At(1)->targetX, 100 + q.x, 1e-3);
  EXPECT_NEAR(At(1)->targetY, 200 + size + 8, 1e-3);
  Frame();  // released: one more frame at the target, which is then dropped
  q = Polar(NormalizeAngle(P().formation.angle) + 180.0f, 6);
  EXPECT_NEAR(At(1)->targetX, 100 + q.x, 1e-3);
  EXPECT_EQ(At(1)->target, nullptr);
  Frame();
  EXPECT_NEAR(At(1)->targetY, P().y + 24 + 8, 1e-3);

  P().optionType = OptionAnchor;
  ResetOptionFormation(W());
  At(0)->target = e;
  Frame({InputShot});
  EXPECT_EQ(At(0)->target, e);
  EXPECT_NEAR(At(0)->targetX, 100 + At(0)->work[0], 1e-3);
  EXPECT_NEAR(At(0)->targetY, 200 + size + At(0)->work[1], 1e-3);
  Frame();
  EXPECT_NEAR(At(0)->targetX, 100 + At(0)->work[0], 1e-3);
  EXPECT_EQ(At(0)->target, nullptr);  // dropped with the shot released, after the move
}

TEST_F(OptionTest, GespenstBlinksBesideItsTargetOnItsShots) {
  StartNormal();
  P().x = 180;
  P().y = 400;
  AddOptions(1, OptionGespenst);
  Enemy* e = MakeEnemy(100, 200);
  const float size = MaxFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.radius;
  Option* o = At(0);
  o->fireTimer = 7;  // a multiple of the period 7: a teleport frame
  int step = g_randomStep;
  FeedHeldInput({InputShot});
  UpdateOptions(W());
  EXPECT_EQ(DrawsSince(step), 1);
  EXPECT_EQ(o->target, e);
  EXPECT_NEAR(Hypot(o->x - 100, o->y - 200), size, 1e-3);
  EXPECT_NEAR(AngleGap(o->facing, Atan2Deg(o->y - 200, 100 - o->x)), 0.0f, 1e-3);
  const float x = o->x, y = o->y;
  o->fireTimer = 3;
  step = g_randomStep;
  UpdateOptions(W());
  EXPECT_EQ(DrawsSince(step), 0);
  EXPECT_FLOAT_EQ(o->x, x);
  EXPECT_FLOAT_EQ(o->y, y);
  // During a spread or beam bomb: every 8th frame from frame 21.
  P().optionFireMode = OptionFireSpread;
  P().bombFrames = 29;
  step = g_randomStep;
  UpdateOptions(W());
  EXPECT_EQ(DrawsSince(step), 1);
  P().bombFrames = 30;
  step = g_randomStep;
  UpdateOptions(W());
  EXPECT_EQ(DrawsSince(step), 0);
  // Without the shot there is no target: back beside the ship at once.
  FeedHeldInput({});
  UpdateOptions(W());
  EXPECT_EQ(o->target, nullptr);
  EXPECT_FLOAT_EQ(o->x, 180);
  EXPECT_FLOAT_EQ(o->y, 424);
}

TEST_F(OptionTest, FloatDriftsTowardThePlayerAndBouncesOffTheInnerFrame) {
  P().x = 180;
  P().y = 400;
  AddOptions(2, OptionFloat);
  At(0)->x = 10;
  At(0)->y = 60;
  At(1)->x = 350;
  At(1)->y = 476;
  At(1)->work[0] = 0.5f;
  At(1)->work[1] = 0.5f;
  UpdateOptions(W());
  // Both bounce: option 0 off the left and top edges, option 1 (f = 0.8) off the right and bottom.
  EXPECT_GE(At(0)->work[0], 0.5f);
  EXPECT_GE(At(0)->work[1], 0.5f);
  EXPECT_LE(At(1)->work[0], -0.4f);
  EXPECT_LE(At(1)->work[1], -0.4f);
  // The drift speed stays within 3 f.
  for (int k = 0; k < 500; ++k) {
    UpdateOptions(W());
    EXPECT_LE(std::fabs(At(0)->work[0]), 3.0f + 0.5f);
    EXPECT_LE(std::fabs(At(1)->work[0]), 2.4f + 0.4f);
  }
}

TEST_F(OptionTest, RandomDrawsPerFrameWithOptionsOut) {
  struct Row {
    int type, draws;  // per frame, three options, no enemy
  };
  const Row rows[] = {{OptionWing, 0},     {OptionMass, 6},    {OptionFloat, 6},     {OptionSupport, 6},
                      {OptionAnchor, 6},   {OptionFragarach, 6}, {OptionGespenst, 0}, {OptionEnclose, 0},
                      {OptionStream, 0},   {OptionBrionac, 0}};
  for (const Row& r : rows) {
    SetUp();
    StartNormal();
    AddOptions(3, r.type);
    for (int f = 0; f < 3; ++f) {
      FeedHeldInput({InputShot});
      const int step = g_randomStep;
      UpdateOptions(W());
      EXPECT_EQ(DrawsSince(step), r.draws) << r.type;
    }
  }
  // A launched option draws nothing while it flies; its drop draws once.
  SetUp();
  AddOptions(1, OptionWing);
  At(0)->launched = 1;
  P().launchedCount = 1;
  const int step = g_randomStep;
  UpdateOptions(W());
  EXPECT_EQ(DrawsSince(step), 0);
}

// ---- Double tap, launch, ramming, leaving ----

TEST_F(OptionTest, DoubleTapLaunchesTheTailMostFormationOption) {
  struct Case {
    int press, release;
    bool launches;
  };
  const Case cases[] = {{6, 6, true}, {7, 6, false}, {6, 7, false}, {1, 1, true}};
  for (const Case& c : cases) {
    SetUp();
    StartNormal();
    P().power = 20;
    AddOptions(3);
    Frames(10);  // the trackers settle after the respawn values
    Frames(c.press, {InputShot});
    Frames(c.release);
    Frame({InputShot});
    EXPECT_EQ(P().launchedCount, c.launches ? 1 : 0) << c.press << "/" << c.release;
    EXPECT_EQ(At(2)->launched, c.launches ? 1 : 0);
    if (c.launches) {
      EXPECT_EQ(At(2)->power, 2400);
    }
  }
  // No launch on the first press after a respawn.
  SetUp();
  AddOptions(2);
  Frame({InputShot});
  EXPECT_EQ(P().launchedCount, 0);

  // With 3 formation options and a launched one at the end, the third one goes next; with every
  // option launched a double tap finds none.
  SetUp();
  StartNormal();
  AddOptions(4);
  At(3)->launched = 1;
  P().launchedCount = 1;
  auto tap = [&]() {
    Frames(2, {InputShot});
    Frames(2);
    Frame({InputShot});
  };
  Frames(10);
  tap();
  EXPECT_EQ(At(2)->launched, 1);
  EXPECT_EQ(At(2)->power, 700);  // power 0
  EXPECT_EQ(P().launchedCount, 2);
  At(0)->launched = 1;
  At(1)->launched = 1;
  P().launchedCount = 4;
  for (Option* o = P().optionHead; o; o = o->next) o->y = 300;  // keep them on the field
  for (Option* o = P().optionHead; o; o = o->next) o->facing = 90;
  Frames(2);
  tap();
  EXPECT_EQ(P().launchedCount, P().optionCount);
}

TEST_F(OptionTest, LaunchedOptionRamsEnemiesAndTurnsIntoAPowerItem) {
  P().power = 20;
  P().x = 180;
  P().y = 400;
  AddOptions(1);
  Option* o = At(0);
  o->launched = 1;
  o->power = OptionLaunchPower(P().power);
  P().launchedCount = 1;
  o->x = 180;
  o->y = 300;
  Enemy* big = MakeEnemy(180, 297, 1000);
  Enemy* second = MakeEnemy(180, 296, 300);
  UpdateOptions(W());
  // 2400 - 1000 = 1400 is at least half the launch power: it flies on into the second enemy,
  // which leaves it 1100, below half: spent.
  EXPECT_EQ(big->hp, 0);
  EXPECT_EQ(big->dyingCounter, 1);
  EXPECT_EQ(second->hp, 0);
  EXPECT_EQ(second->dyingCounter, 1);
  EXPECT_EQ(P().optionCount, 0);
  EXPECT_EQ(P().launchedCount, 0);
  // The power item of the spent option, thrown upward (the kills may drop items of their own).
  int thrown = 0;
  for (Item* it = world->items.head; it; it = it->next) {
    if (it->kind == 0 && std::fabs(it->x - 180) < 1e-3f && it->vy <= -10.0f && it->vy >= -12.0f) ++thrown;
  }
  EXPECT_EQ(thrown, 1);
}

TEST_F(OptionTest, RammingAStrongerEnemySpendsTheOption) {
  AddOptions(1);
  Option* o = At(0);
  o->launched = 1;
  P().launchedCount = 1;
  o->x = 30;  // near the left edge: the item is thrown to the right
  o->y = 300;
  o->facing = 180;
  Enemy* e = MakeEnemy(27, 300, 5000);
  UpdateOptions(W());
  EXPECT_EQ(e->hp, 5000 - 700);
  EXPECT_EQ(e->dyingCounter, 0);
  EXPECT_EQ(P().optionCount, 0);
  ASSERT_EQ(CountItems(), 1);
  EXPECT_GE(world->items.head->vx, 1.0f);
}

TEST_F(OptionTest, LaunchedOptionHomesFlyOffTheFieldAndDropsAnItemFromTheTop) {
  AddOptions(1);
  Option* o = At(0);
  o->launched = 1;
  P().launchedCount = 1;
  o->x = 10;
  o->y = 100;
  // No clamp holds it back: it leaves past the top edge by its margin and turns into an item.
  float prevY = o->y;
  int frames = 0;
  while (P().optionCount > 0 && frames < 200) {
    prevY = P().optionHead->y;
    UpdateOptions(W());
    ++frames;
  }
  EXPECT_EQ(P().optionCount, 0);
  EXPECT_EQ(P().launchedCount, 0);
  EXPECT_LT(prevY, -2.0f);
  ASSERT_EQ(CountItems(), 1);
  Item* item = world->items.head;
  EXPECT_GE(item->x, 16.0f);
  EXPECT_LT(item->x, 48.0f);
  EXPECT_FLOAT_EQ(item->y, -24.0f);
  EXPECT_NEAR(item->direction, 270.0f, 1e-3);
  EXPECT_FLOAT_EQ(item->speed, 2.0f);

  // Homing: turns toward its target by at least 4 degrees per frame, and speeds up with age.
  AddOptions(1);
  o = At(0);
  o->launched = 1;
  P().launchedCount = 1;
  o->x = 180;
  o->y = 300;
  o->facing = 90;
  Enemy* e = MakeEnemy(300, 300);
  UpdateOptions(W());
  EXPECT_EQ(o->target, e);
  EXPECT_EQ(o->launchAge, 1);
  EXPECT_NEAR(o->facing, 90 - 90.0f / 16.0f, 1e-3);
  EXPECT_NEAR(Hypot(o->x - 180, o->y - 300), (0.7f + 0.004f) * 4.5f, 1e-4);
}

TEST_F(OptionTest, TrailsEveryThirdFrameInTheTypeColour) {
  P().x = 180;
  P().y = 400;
  AddOptions(2, OptionStraight);  // colour 2: red
  At(1)->launched = 1;
  P().launchedCount = 1;
  At(1)->y = 200;
  g_sceneFrame = 1;
  UpdateOptions(W());
  EXPECT_EQ(world->effects.count, 0);
  g_sceneFrame = 3;
  UpdateOptions(W());
  ASSERT_EQ(world->effects.count, 2);
  Effect* formation = world->effects.head;
  Effect* launched = formation->next;
  EXPECT_EQ(formation->lifetime, 9);
  EXPECT_EQ(launched->lifetime, 18);
  EXPECT_EQ(formation->kind, EffectPlain);
  EXPECT_EQ(formation->sprite.colorMode, SpriteColorSingle);
  EXPECT_FLOAT_EQ(formation->sprite.srcU, g_spriteDefs[156].srcU);
  EXPECT_FLOAT_EQ(formation->friction, 0.95f);
  EXPECT_FLOAT_EQ(formation->endScaleX, 0.2f);
  EXPECT_FLOAT_EQ(formation->scaleFactorY, 0.4f);
  EXPECT_EQ(formation->endColor, 0x80181818u);
  const int k = TriangleWave(3, 64) + 48;
  EXPECT_EQ(formation->startColor, 0xFF000000u | static_cast<uint32_t>(k) << 16 | 0x1818u);

  const uint32_t colours[6] = {0xFF1818FFu, 0xFF18FF18u, 0xFFFF1818u, 0xFFFFFF18u, 0xFFFF18FFu, 0xFF18FFFFu};
  for (int t = 0; t < 24; ++t) {
    SetUp();
    g_sceneFrame = 33;
    AddOptions(1, t);
    UpdateOptions(W());
    ASSERT_EQ(world->effects.count, 1);
    const int level = TriangleWave(33, 64) + 48;
    const uint32_t want = (colours[t % 6] & 0xFF000000u) |
                          ((colours[t % 6] >> 16 & 0xFF) == 0xFF ? level : 0x18) << 16 |
                          ((colours[t % 6] >> 8 & 0xFF) == 0xFF ? level : 0x18) << 8 |
                          ((colours[t % 6] & 0xFF) == 0xFF ? level : 0x18);
    EXPECT_EQ(world->effects.head->startColor, want) << t;
  }
}

// ---- Option fire ----

TEST_F(OptionTest, FirePeriodsAndShotKindsByType) {
  struct Row {
    int type, period, kind, perShot;
    float speed;
  };
  const Row rows[] = {
      {OptionWing, 8, ShotMain1, 1, 16},      {OptionRolling, 8, ShotMain1, 1, 16},
      {OptionStraight, 8, ShotMain1, 1, 16},  {OptionTrace, 8, ShotMain1, 1, 16},
      {OptionMass, 8, ShotMain1, 1, 16},      {OptionSearch, 12, ShotMain1, 1, 16},
      {OptionWiper, 6, ShotMain1, 1, 16},     {OptionAllrange, 4, ShotMain1, 1, 16},
      {OptionReverse, 6, ShotMain1, 1, 16},   {OptionFloat, 6, ShotMain1, 1, 16},
      {OptionSupport, 5, ShotMain1, 1, 16},   {OptionAutohoming, 6, ShotReturn, 1, 8},
      {OptionFeather, 8, ShotMain1, 2, 16},   {OptionEnclose, 5, ShotMain1, 1, 16},
      {OptionStream, 5, ShotMain1, 1, 16},    {OptionHunter, 8, ShotMain1, 1, 16},
      {OptionAnchor, 5, ShotMain1, 1, 16},    {OptionHoming, 8, ShotHoming, 1, 8},
      {OptionCaladborg, 4, ShotMain1, 1, 16}, {OptionAegis, 4, ShotMain1, 1, 16},
      {OptionLvatein, 5, ShotMain5, 1, 16},   {OptionGespenst, 7, ShotMain1, 1, 16},
      {OptionFragarach, 5, ShotMain1, 1, 16}, {OptionBrionac, 6, ShotSeeker, 1, 8},
  };
  for (const Row& r : rows) {
    SetUp();
    StartNormal();
    AddOptions(1, r.type);
    At(0)->facing = 100;
    g_sceneFrame = 0;  // Feather: 0 / 8 even: the pair of main shots
    std::vector<int> fired;
    for (int f = 0; f < 3 * r.period; ++f) {
      FeedHeldInput({InputShot});
      const int before = world->shots.count;
      FireOptionShots(W());
      if (world->shots.count > before) fired.push_back(f);
    }
    ASSERT_EQ(fired.size(), 3u) << r.type;
    EXPECT_EQ(fired[0], 0) << r.type;
    EXPECT_EQ(fired[1] - fired[0], r.period) << r.type;
    EXPECT_EQ(world->shots.count, 3 * r.perShot) << r.type;
    PlayerShot* s = world->shots.head;
    EXPECT_EQ(s->kind, r.kind) << r.type;
    EXPECT_EQ(s->hitBit, HitSourceOptionShot) << r.type;
    EXPECT_FLOAT_EQ(s->speed, r.speed) << r.type;
    EXPECT_EQ(s->damage, (80 + (r.kind < 5 ? 20 * r.kind : 0)) * 11 / 11) << r.type;
    if (r.type != OptionFeather) {
      EXPECT_FLOAT_EQ(s->direction, 100) << r.type;
    }
    EXPECT_EQ(g_seRequested[SeShot], 1) << r.type;
  }
}

TEST_F(OptionTest, FireDetailsOfSingleTypes) {
  // With 12 options each shot does 80 * 11 / 22 = 40; no fire without the shot button.
  StartNormal();
  AddOptions(12);
  FeedHeldInput({});
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 0);
  FeedHeldInput({InputShot});
  FireOptionShots(W());
  ASSERT_EQ(world->shots.count, 12);
  EXPECT_EQ(world->shots.head->damage, 40);

  // Feather: the pair's order follows the index; odd q fires a missile backwards.
  SetUp();
  StartNormal();
  AddOptions(2, OptionFeather);
  At(0)->facing = 90;
  At(1)->facing = 90;
  g_sceneFrame = 0;
  FeedHeldInput({InputShot});
  FireOptionShots(W());
  ASSERT_EQ(world->shots.count, 4);
  PlayerShot* s = world->shots.head;
  EXPECT_FLOAT_EQ(s->direction, 86);
  EXPECT_FLOAT_EQ(s->next->direction, 94);
  EXPECT_FLOAT_EQ(s->next->next->direction, 94);
  EXPECT_FLOAT_EQ(s->next->next->next->direction, 86);
  world->shots.Clear();
  g_sceneFrame = 8;  // 8 / 8 = 1: odd
  At(0)->fireTimer = 0;
  At(1)->fireTimer = 0;
  const int step = g_randomStep;
  FireOptionShots(W());
  ASSERT_EQ(world->shots.count, 2);
  EXPECT_EQ(world->shots.head->kind, ShotMissile);
  EXPECT_FLOAT_EQ(world->shots.head->direction, 270);
  EXPECT_FLOAT_EQ(world->shots.head->speed, 8);
  EXPECT_EQ(DrawsSince(step), 2);  // each missile's facing

  // Homing and Brionac hand over their target.
  SetUp();
  StartNormal();
  AddOptions(1, OptionBrionac);
  Enemy* e = MakeEnemy(100, 100);
  At(0)->target = e;
  FeedHeldInput({InputShot});
  FireOptionShots(W());
  ASSERT_EQ(world->shots.count, 1);
  EXPECT_EQ(world->shots.head->target, e);

  // Only in normal play and after a shield hit.
  SetUp();
  AddOptions(1);
  P().SetState(PlayerDying);
  FeedHeldInput({InputShot});
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 0);
  P().SetState(PlayerShieldHit);
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 1);
}

TEST_F(OptionTest, AllrangeCaladborgAndFragarachFireFasterWhileSteering) {
  struct Row {
    int type;
    std::vector<int> held;
    int gap;
  };
  const Row rows[] = {
      {OptionAllrange, {InputShot, InputLeft}, 3},
      {OptionAllrange, {InputShot}, 4},
      {OptionCaladborg, {InputShot, InputRight}, 2},
      {OptionCaladborg, {InputShot, InputLeft, InputRight}, 4},
      {OptionFragarach, {InputShot, InputUp}, 2},
      {OptionFragarach, {InputShot}, 5},
  };
  for (const Row& r : rows) {
    SetUp();
    StartNormal();
    AddOptions(1, r.type);
    std::vector<int> fired;
    for (int f = 0; f < 40; ++f) {
      FeedHeldInput(r.held);
      const int before = world->shots.count;
      FireOptionShots(W());
      if (world->shots.count > before) fired.push_back(f);
    }
    ASSERT_GE(fired.size(), 3u) << r.type;
    EXPECT_EQ(fired[fired.size() - 1] - fired[fired.size() - 2], r.gap) << r.type;
  }
  // Fragarach with a target and up held: every 4 frames.
  SetUp();
  StartNormal();
  AddOptions(1, OptionFragarach);
  At(0)->target = MakeEnemy(10, 10);
  int shots = 0;
  for (int f = 0; f < 20; ++f) {
    FeedHeldInput({InputShot, InputUp});
    FireOptionShots(W());
    shots = world->shots.count;
  }
  EXPECT_EQ(shots, 5);
}

TEST_F(OptionTest, BombFireModesOfTheOptions) {
  StartNormal();
  P().power = 0;
  P().optionClassLevel[OptionColorOf(OptionWing)] = 2;
  AddOptions(2);
  At(0)->fireTimer = 3;  // a leftover from normal fire: the toggle makes it 0
  At(1)->fireTimer = 3;
  P().optionFireMode = OptionFireSpread;
  P().bombFrames = 22;
  FeedHeldInput({});  // the bomb fire needs no button
  int step = g_randomStep;
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 0);
  EXPECT_EQ(At(0)->fireTimer, 0);
  FireOptionShots(W());
  ASSERT_EQ(world->shots.count, 2);
  EXPECT_EQ(DrawsSince(step), 4);  // angle, then facing, per option
  PlayerShot* s = world->shots.head;
  EXPECT_EQ(s->kind, ShotBombSpread);
  EXPECT_EQ(s->hitBit, HitSourceBomb);
  // 80 * 4 / 6 = 53, then * 2 * (2 + 10) / 85 = 14.
  EXPECT_EQ(s->damage, 14);
  EXPECT_FLOAT_EQ(s->speed, 16);
  EXPECT_GE(s->direction, 50.0f);
  EXPECT_LT(s->direction, 130.0f);
  EXPECT_EQ(s->age, 22 % 4);
  EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[363].srcU + 40);
  EXPECT_EQ(s->sprite.colorMode, SpriteColorSingle);
  EXPECT_FLOAT_EQ(s->sprite.scaleX, 0.7f);
  EXPECT_FLOAT_EQ(s->hitShape.scaleY, 0.7f);
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 2);  // every second frame

  world->shots.Clear();
  P().optionFireMode = OptionFireBeam;
  P().bombFrames = 25;
  FireOptionShots(W());  // timers 0: both fire
  FireOptionShots(W());  // timers 1: the toggle frame
  ASSERT_EQ(world->shots.count, 2);
  s = world->shots.head;
  EXPECT_EQ(s->kind, ShotBombBeam);
  // 80 * 6 / 8 = 60, then * 2 * (3 * 2 + 10) / 18 = 106.
  EXPECT_EQ(s->damage, 106);
  EXPECT_FLOAT_EQ(s->speed, 20);
  EXPECT_FLOAT_EQ(s->direction, 90);
  EXPECT_EQ(s->age, 1);
  EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[365].srcU);
  EXPECT_FLOAT_EQ(s->sprite.scaleX, 2.0f);
  EXPECT_FLOAT_EQ(s->sprite.scaleY, 1.2f);

  // Silent: nothing fires and the timers stand still.
  world->shots.Clear();
  P().optionFireMode = OptionFireSilent;
  At(0)->fireTimer = 5;
  FeedHeldInput({InputShot});
  step = g_randomStep;
  FireOptionShots(W());
  EXPECT_EQ(world->shots.count, 0);
  EXPECT_EQ(At(0)->fireTimer, 5);
  EXPECT_EQ(DrawsSince(step), 0);
}

// Option types and class levels from outside the tables (a replay, a switch) and a zero fire
// period are used without reading past a table or dividing by zero.
TEST_F(OptionTest, TypesAndPeriodsOutsideTheTables) {
  for (int type : {-7, -1, 24, 1000}) {
    SetUp();
    StartNormal();
    AddOptions(3, type);
    P().optionClassLevel[0] = 1 << 30;
    g_sceneFrame = 3;
    FeedHeldInput({InputShot, InputLeft});
    SteerOptionFormation(W());
    UpdateOptions(W());
    FireOptionShots(W());
    EXPECT_EQ(world->shots.count, 3) << type;
    EXPECT_EQ(At(0)->fireTimer, 8) << type;  // the "nothing" entry
    EXPECT_EQ(world->effects.count, 3) << type;
    P().optionFireMode = OptionFireSpread;
    FireOptionShots(W());
    P().optionFireMode = OptionFireBeam;
    FireOptionShots(W());
  }
  // A zero period fires every frame and Feather's rhythm does not divide by it.
  SetUp();
  StartNormal();
  AddOptions(1, OptionFeather);
  g_optionFirePeriod[OptionFeather + 1] = 0;
  for (int f = 0; f < 3; ++f) {
    FeedHeldInput({InputShot});
    UpdateOptions(W());
    FireOptionShots(W());
  }
  EXPECT_GE(world->shots.count, 3);
  InitGameTables();
}

// ---- Targets and the game over ----

// The hook hands out dying enemies, the launched and searching options keep theirs: once the
// enemy is destroyed no option may still point at it (the sanitizer build reads freed memory
// otherwise).
TEST_F(OptionTest, ADestroyedEnemyLeavesNoOptionTarget) {
  StartNormal();
  AddOptions(3, OptionSearch);
  At(2)->launched = 1;
  At(2)->y = 450;
  P().launchedCount = 1;
  Enemy* e = MakeEnemy(100, 100);
  for (Option* o = P().optionHead; o; o = o->next) o->target = e;
  KillEnemy(true, W(), HitSourceMainShot, e);  // killed: the targets go at once
  for (Option* o = P().optionHead; o; o = o->next) EXPECT_EQ(o->target, nullptr);
  // Dying already, yet handed out (as the hook does); destroyed two frames later.
  for (Option* o = P().optionHead; o; o = o->next) o->target = e;
  for (int f = 0; f < 3; ++f) UpdateEnemies(W());
  EXPECT_EQ(world->enemies.count, 0);
  for (Option* o = P().optionHead; o; o = o->next) EXPECT_EQ(o->target, nullptr);
  Frames(3, {InputShot, InputSlow});
}

// A launched option is never held back by the field's margin, so a game whose last ship is
// dying ends once the option has flown off.
TEST_F(OptionTest, LaunchedOptionsLetTheGameOverCome) {
  AddOptions(1);
  At(0)->launched = 1;
  P().launchedCount = 1;
  At(0)->x = 180;
  At(0)->y = 470;
  At(0)->facing = 270;  // downward, out through the bottom edge
  P().lives = 0;
  P().SetState(PlayerDying);
  int frames = 0;
  while (g_scene == SceneGame && frames < 600) {
    Frame();
    world->items.Clear();
    ++frames;
  }
  EXPECT_EQ(g_scene, SceneGameEnd);
  EXPECT_EQ(P().optionCount, 0);
  EXPECT_EQ(P().state, PlayerGameOver);
  EXPECT_EQ(frames, 121);
}

// The option item pickup adds an option at the ship, switches every option to the item's type
// and gives the block that type's start values.
TEST_F(OptionTest, OptionItemPickupAddsAnOptionAndSwitchesTheType) {
  StartNormal();
  P().x = 180;
  P().y = 400;
  AddOptions(2, OptionWing);
  P().optionClassLevel[OptionColorOf(OptionReverse)] = 1;  // the item keeps its class
  ConstructItem(W(), static_cast<int>(ItemOptionFirst) + OptionReverse, 180, 400, 90, 0);
  FeedHeldInput({});
  UpdateItems(W());
  EXPECT_EQ(world->items.count, 0);
  EXPECT_EQ(P().optionCount, 3);
  EXPECT_EQ(P().optionType, OptionReverse);
  EXPECT_FLOAT_EQ(P().formation.angle, 90.0f);
  EXPECT_FLOAT_EQ(P().formation.radius, 80.0f);
  EXPECT_FLOAT_EQ(P().optionTail->x, 180.0f);

  // With twelve options a new type only switches; the same type scores 2000.
  while (P().optionCount < OptionCountMax)
    new Option(&P().optionHead, &P().optionTail, &P().optionCount, P().x, P().y);
  ConstructItem(W(), static_cast<int>(ItemOptionFirst) + OptionWing, 180, 400, 90, 0);
  UpdateItems(W());
  EXPECT_EQ(P().optionCount, OptionCountMax);
  EXPECT_EQ(P().optionType, OptionWing);
  EXPECT_FLOAT_EQ(P().formation.angle, 0.0f);
  const int score = P().scoreLow;
  ConstructItem(W(), static_cast<int>(ItemOptionFirst) + OptionWing, 180, 400, 90, 0);
  UpdateItems(W());
  EXPECT_EQ(P().scoreLow - score, 2000);
}

// A chained spread bomb silences the options for its first 20 frames, timers standing still,
// then they fire its shots every second frame.
TEST_F(OptionTest, SpreadBombDrivesTheOptionsFromItsTwentyFirstFrame) {
  StartNormal();
  AddOptions(2);
  auto step = [&](const std::vector<int>& held) {
    Frame(held);
    FireOptionShots(W());
  };
  auto spreadShots = [&]() {
    int n = 0;
    for (PlayerShot* s = world->shots.head; s; s = s->next) n += s->kind == ShotBombSpread;
    return n;
  };
  step({InputBomb, InputShot});  // a ring bomb
  for (int f = 0; f < 3; ++f) step({InputShot});
  step({InputBomb, InputShot});  // chained on its 5th frame, shot held: spread
  ASSERT_EQ(P().bombKind, BombSpread);
  EXPECT_EQ(P().optionFireMode, OptionFireSilent);
  const int timer = At(0)->fireTimer;
  for (int f = 1; f <= 20; ++f) {
    step({InputShot});
    EXPECT_EQ(At(0)->fireTimer, timer) << f;
  }
  EXPECT_EQ(spreadShots(), 0);
  for (int f = 21; f <= 60; ++f) step({});
  EXPECT_EQ(P().optionFireMode, OptionFireSpread);
  EXPECT_GE(spreadShots(), 38);
  EXPECT_LE(spreadShots(), 40);
}
