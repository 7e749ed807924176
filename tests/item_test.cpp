#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Item.h"
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

class ItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ClearInput();
    ResetSoundRequests();
    g_scene = SceneGame;
    g_stage = 1;
    world = std::make_unique<GameWorld>();
    P().SetState(PlayerNormal);
    P().x = 180;
    P().y = 400;
  }
  void TearDown() override {
    ClearInput();
    ResetSoundRequests();
  }
  std::unique_ptr<GameWorld> world;
  Player& P() { return world->player; }

  Item* Make(int kind, float x, float y, float angle = 0, float speed = 0) {
    return ConstructItem(world.get(), kind, x, y, angle, speed);
  }
  // One frame with the shot and slow buttons as given; slow counts its held frames.
  void Frame(bool shot = false, bool slow = false) {
    ResetSoundRequests();
    g_gameInput[InputShot] = shot ? 1 : 0;
    g_gameInputFrames[InputShot] = shot ? g_gameInputFrames[InputShot] + 1 : 0;
    g_gameInput[InputSlow] = slow ? 1 : 0;
    g_gameInputFrames[InputSlow] = slow ? g_gameInputFrames[InputSlow] + 1 : 0;
    UpdateItems(world.get());
  }
  bool InList(const Item* it) const {
    for (Item* p = world->items.head; p; p = p->next)
      if (p == it) return true;
    return false;
  }
  int Score() const { return world->player.scoreLow; }
};

}  // namespace

TEST_F(ItemTest, ConstructionAcceptsKinds0To28Only) {
  for (int kind : {-1, 29, 40, 1000}) EXPECT_EQ(Make(kind, 10, 10), nullptr) << kind;
  EXPECT_EQ(world->items.count, 0);
  struct Case {
    int kind, row;
    float label;
  };
  const Case cases[] = {{0, 304, 0},   {3, 307, 0},   {4, 308, 0},    {5, 309, 32},
                        {16, 309, 80}, {25, 309, 72}, {28, 309, 56}};
  for (const Case& c : cases) {
    Item* it = Make(c.kind, 10, 20, 30, 2);
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(world->items.tail, it);
    EXPECT_FLOAT_EQ(it->sprite.srcU, g_spriteDefs[c.row].srcU) << c.kind;
    EXPECT_FLOAT_EQ(it->sprite.srcV, g_spriteDefs[c.row].srcV) << c.kind;
    EXPECT_FLOAT_EQ(it->labelWidth, c.label) << c.kind;
    EXPECT_FLOAT_EQ(it->facing, 30.0f);
    EXPECT_NEAR(it->vy, -1.0f, 1e-6);
    EXPECT_EQ(it->age, 0);
    EXPECT_EQ(it->attractState, ItemFree);
    EXPECT_FLOAT_EQ(it->hitShape.scaleX, 1.0f);
  }
  EXPECT_EQ(world->items.count, 7);
}

// Free items sink toward 1.25 px per frame, gauge items toward 2.75; the spin step is the
// integer 480 / (age + 64).
TEST_F(ItemTest, FallAndSpin) {
  P().SetState(PlayerDying);  // no magnet, no pickup
  Item* power = Make(ItemPower, 100, 0, 0, 0);
  Item* gauge = Make(ItemGauge, 200, 0, 0, 0);
  Frame();
  EXPECT_FLOAT_EQ(power->vy, 0.05f);
  EXPECT_FLOAT_EQ(gauge->vy, 0.11f);
  // Facing after so many frames: steps of 7 for ages 1..4, then 6 up to age 16.
  const struct {
    int frames;
    float facing;
  } spins[] = {{1, 7}, {2, 14}, {4, 28}, {5, 34}, {16, 100}};
  int frames = 1;
  for (const auto& c : spins) {
    while (frames < c.frames) {
      Frame();
      ++frames;
    }
    EXPECT_FLOAT_EQ(power->facing, c.facing) << c.frames;
  }
  // The last whole degree comes at age 416; from 417 on the item no longer turns.
  power->age = 415;
  power->facing = 0;
  Frame();
  EXPECT_FLOAT_EQ(power->facing, 1.0f);
  Frame();
  EXPECT_FLOAT_EQ(power->facing, 1.0f);
  for (int i = 0; i < 200; ++i) Frame();
  EXPECT_NEAR(power->vy, 1.25f, 1e-3);
  EXPECT_NEAR(gauge->vy, 2.75f, 1e-3);
  EXPECT_EQ(power->attractState, ItemFree);
}

TEST_F(ItemTest, MagnetRadiusByKindAndShotButton) {
  struct Case {
    int kind;
    float distance;
    bool shot;
    bool attracted;
  };
  const Case cases[] = {
      {ItemPower, 23, true, true},  {ItemPower, 30, true, false}, {ItemPower, 30, false, true},
      {ItemPower, 71, false, true}, {ItemPower, 73, false, false}, {ItemBomb, 73, false, false},
      {ItemGauge, 87, true, true},  {ItemGauge, 89, true, false}, {ItemGauge, 167, false, true},
      {ItemGauge, 169, false, false}, {9, 71, false, true},       {9, 25, true, false},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    Item* it = Make(c.kind, 180 - c.distance, 400);
    Frame(c.shot);
    ASSERT_TRUE(InList(it));
    EXPECT_EQ(it->attractState, c.attracted ? ItemAttracted : ItemFree) << c.kind << " " << c.distance;
  }
  // Only while the player is in normal play.
  world->items.Clear();
  P().SetState(PlayerShieldHit);
  Item* it = Make(ItemPower, 150, 400);
  Frame();
  EXPECT_EQ(it->attractState, ItemFree);
}

// A slow press (held count 1) calls gauge items in from anywhere; holding it does not.
TEST_F(ItemTest, SlowPressCallsInGaugeItems) {
  Item* gauge = Make(ItemGauge, 180, 100);
  Item* power = Make(ItemPower, 180, 100);
  Frame(true, true);
  EXPECT_EQ(gauge->attractState, ItemCollected);
  EXPECT_EQ(power->attractState, ItemFree);
  Item* late = Make(ItemGauge, 20, 100);
  Frame(true, true);  // held count 2: no call-in
  EXPECT_EQ(late->attractState, ItemFree);
}

TEST_F(ItemTest, AttractedItemsArePulledAndFallBackWhenThePlayerLeavesNormalPlay) {
  Item* it = Make(ItemPower, 150, 300);
  Frame(false);
  ASSERT_EQ(it->attractState, ItemFree);  // 104 px away
  it->attractState = ItemAttracted;
  const int step = g_randomStep;
  Frame(false);
  EXPECT_EQ(DrawsSince(step), 2);
  EXPECT_EQ(it->attractTimer, 1);
  for (int i = 0; i < 5; ++i) Frame(false);
  ASSERT_TRUE(InList(it));
  EXPECT_LT(Hypot(it->x - 180, it->y - 400), 100.0f);  // drawn toward the ship
  EXPECT_GT(it->vy, 0.0f);
  P().SetState(PlayerDying);
  Frame(false);
  EXPECT_EQ(it->attractState, ItemFree);
  EXPECT_EQ(it->attractTimer, 0);
}

// Gauge items attracted for more than 120 frames are pulled harder.
TEST_F(ItemTest, GaugePullGrowsAfter120Frames) {
  for (int timer : {100, 200}) {
    world->items.Clear();
    Item* it = Make(ItemGauge, 180, 0);
    it->attractState = ItemCollected;
    it->attractTimer = timer - 1;
    SetRandomState(0, 0);
    const float before = it->vy;
    Frame();
    const float pull = 0.8f + 0.006f * static_cast<float>(MaxInt(timer - 120, 0));
    EXPECT_NEAR(it->vy - before * 0.9f, pull, 0.2001f) << timer;  // plus up to +-0.2 of noise
  }
}

TEST_F(ItemTest, PickupsOfPowerBombShieldLife) {
  Player& p = P();
  p.power = 19;
  const int bombs = p.bombs, shields = p.shields, lives = p.lives;
  for (int kind : {ItemPower, ItemBomb, ItemShield, ItemExtraLife}) Make(kind, 180, 400);
  Frame(true);
  EXPECT_EQ(world->items.count, 0);
  EXPECT_EQ(p.power, 20);
  EXPECT_EQ(p.bombs, bombs + 1);
  EXPECT_EQ(p.shields, shields + 1);
  EXPECT_EQ(p.lives, lives + 1);
  EXPECT_EQ(Score(), 0);

  // At full power each power item pays maxPowerBonusCount * 1000 with a popup.
  for (int n = 1; n <= 4; ++n) {
    ClearEffectList(&world->effects);
    const int score = Score();
    Make(ItemPower, 180, 400);
    Frame(true);
    EXPECT_EQ(p.power, 20);
    EXPECT_EQ(p.maxPowerBonusCount, n);
    EXPECT_EQ(Score() - score, n * 1000);
    ASSERT_EQ(world->effects.count, 4);  // four digits
    EXPECT_FLOAT_EQ(world->effects.head->speed, 3.0f);
    EXPECT_FLOAT_EQ(world->effects.head->direction, 90.0f);
    EXPECT_EQ(world->effects.head->startColor, 0xFFFFFFFFu);
  }
  EXPECT_EQ(Score(), 10000);
}

TEST_F(ItemTest, PickupOnlyInNormalAndShieldHit) {
  struct Case {
    int state;
    bool taken;
  };
  const Case cases[] = {{PlayerNormal, true},  {PlayerShieldHit, true}, {PlayerEntering, false},
                        {PlayerDying, false},  {PlayerGameOver, false}};
  for (const Case& c : cases) {
    world->items.Clear();
    P().state = c.state;
    Make(ItemBomb, 180, 400);
    Frame();
    EXPECT_EQ(world->items.count, c.taken ? 0 : 1) << c.state;
  }
}

TEST_F(ItemTest, GaugePickupScoreGainAndFull) {
  struct Case {
    int gauge, gaugeMax, gaugeFull, value;
    bool calledIn;
    int points, wantGauge, wantFull;
  };
  const Case cases[] = {
      {500, 1000, 0, 5, false, 250, 510, 0},   // 10 * clamp(25, 5, 50)
      {0, 1000, 0, 5, false, 50, 10, 0},       // at least 10 * value
      {990, 1000, 0, 5, false, 490, 1000, 600},  // fills the gauge
      {1000, 1000, 600, 1, false, 100, 1000, 600},
      {500, 1000, 0, 5, true, 50, 505, 0},     // called in: 10 * value, gain only value
      {1000, 1000, 600, 5, true, 500, 1000, 600},  // called in with a full gauge
      {9999, 9999, 600, 1, true, 990, 9999, 600},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    ClearEffectList(&world->effects);
    Player& p = P();
    p.scoreLow = 0;
    p.gauge = c.gauge;
    p.gaugeMax = c.gaugeMax;
    p.gaugeFull = c.gaugeFull;
    p.gaugeTotal = 0;
    Item* it = Make(ItemGauge, 180, 400, 90, 2);
    it->value = c.value;
    it->sprite.colorMode = SpriteColorSingle;
    it->sprite.colors[0] = 0xFF123456u;
    if (c.calledIn) it->attractState = ItemCollected;
    Frame(true);
    SCOPED_TRACE(testing::Message() << "gauge " << c.gauge << " value " << c.value << " called " << c.calledIn);
    EXPECT_EQ(world->items.count, 0);
    EXPECT_EQ(Score(), c.points);
    EXPECT_EQ(p.gauge, c.wantGauge);
    EXPECT_EQ(p.gaugeTotal, c.value * (c.calledIn ? 1 : 2));
    EXPECT_EQ(p.gaugeFull, c.wantFull);
    EXPECT_NE(g_seRequested[SePointItem], 0);
    ASSERT_NE(world->effects.head, nullptr);
    EXPECT_EQ(world->effects.head->startColor, 0xFF123456u);
  }
}

TEST_F(ItemTest, GaugePickupPopupDrawsAngleThenSpeed) {
  P().SetState(PlayerShieldHit);  // no magnet: the item stays free
  Item* it = Make(ItemGauge, 180, 400, 90, 2);
  it->value = 1;
  SetRandomState(0, 0);
  Frame(true);
  EXPECT_EQ(DrawsSince(0), 2);  // a free item draws nothing before its pickup
  ASSERT_EQ(world->effects.count, 2);  // 10 points: two digits
  SetRandomState(0, 0);
  const float turn = RandomFloat(64.0f);
  const float extra = RandomFloat(2.0f);
  const Effect* digit = world->effects.head;
  // The item sank to speed 2 * 0.96 - 0.11 along 90 before it was taken.
  EXPECT_NEAR(digit->direction, NormalizeAngle(90.0f + 180.0f + turn - 32.0f), 1e-3);
  EXPECT_NEAR(digit->speed, (2.0f * 0.96f - 0.11f) * 0.3f + extra, 1e-4);
}

TEST_F(ItemTest, OptionItemPickupWithAFullList) {
  struct Case {
    int count, type, itemType;
    int points, wantType;
  };
  const Case cases[] = {
      {12, 3, 3, 2000, 3},  // the current type with 12 options: 2000 points
      {12, 3, 4, 0, 4},     // another type: only the type changes
      {0, 0, 7, 0, 7},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    ClearEffectList(&world->effects);
    Player& p = P();
    p.scoreLow = 0;
    p.optionCount = c.count;  // the list itself is not needed for the count test
    p.optionType = c.type;
    p.optionClassLevel[c.itemType % 6] = c.itemType / 6;  // else the item shows its colour's level
    Make(5 + c.itemType, 180, 400);
    Frame(true);
    EXPECT_EQ(world->items.count, 0);
    EXPECT_EQ(Score(), c.points) << c.itemType;
    EXPECT_EQ(p.optionType, c.wantType);
    EXPECT_EQ(world->effects.count, c.points ? 4 : 0);
  }
  P().optionCount = 0;
}

// An option item kept attracted raises its colour's class; every item of the colour follows.
TEST_F(ItemTest, OptionClassGrowthWhileAttracted) {
  Player& p = P();
  Item* before = Make(5 + 2, 60, 100);  // colour 2, class 0, ahead in the list
  Item* grower = Make(5 + 2, 30, 100);
  Item* other = Make(5 + 3, 300, 100);
  grower->attractState = ItemAttracted;
  grower->attractTimer = 298;
  Frame();
  EXPECT_EQ(p.optionClassLevel[2], 0);
  Frame();  // timer 300
  EXPECT_EQ(p.optionClassLevel[2], 1);
  EXPECT_EQ(grower->attractTimer, -32768);
  EXPECT_EQ(grower->kind, 5 + 2 + 6);
  EXPECT_FLOAT_EQ(grower->labelWidth, 8.0f * 7);  // Reverse
  EXPECT_EQ(before->kind, 5 + 2);                  // follows on the next frame
  EXPECT_EQ(other->kind, 5 + 3);
  Frame();
  EXPECT_EQ(before->kind, 5 + 2 + 6);
  EXPECT_EQ(p.optionClassLevel[2], 1);

  // Class 1 to 2 at 600 frames; class 2 to 3 at 1200 only when the score's tens digit is the
  // colour.
  struct Case {
    int kind, timer, level, scoreLow, wantLevel;
  };
  const Case cases[] = {
      {5 + 6 + 1, 600, 1, 0, 2},  {5 + 6 + 1, 599, 1, 0, 1}, {5 + 6 + 1, 600, 0, 0, 0},
      {5 + 12 + 4, 1200, 2, 40, 3}, {5 + 12 + 4, 1200, 2, 50, 2}, {5 + 12 + 4, 1200, 2, 1145, 3},
      {5 + 18 + 4, 1200, 3, 40, 3},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    const int q = (c.kind - 5) % 6;
    p.optionClassLevel[q] = c.level;
    p.scoreLow = c.scoreLow;
    Item* it = Make(c.kind, 30, 100);
    it->attractState = ItemAttracted;
    it->attractTimer = c.timer - 1;
    Frame();
    EXPECT_EQ(p.optionClassLevel[q], c.wantLevel) << c.kind << " " << c.timer;
    EXPECT_EQ(it->kind, 5 + q + 6 * c.wantLevel);
    p.optionClassLevel[q] = 0;
  }
}

TEST_F(ItemTest, OptionItemFollowsItsColourLevelAndPulses) {
  Player& p = P();
  p.optionClassLevel[1] = 3;
  Item* it = Make(5 + 1, 30, 100);  // class 0 item of colour 1
  Frame();
  EXPECT_EQ(it->kind, 5 + 1 + 18);
  // The tint of this frame still uses the class at the start of the step: 0, age 1:
  // p = 100 + 1 * 100 / 15 = 106.
  EXPECT_EQ(it->sprite.colorMode, SpriteColorSingle);
  EXPECT_EQ(it->sprite.colors[0], 0xFF000000u | (0x40 * 106 / 100) << 16 | 255u << 8 | (0x40 * 106 / 100));
  Frame();  // class 3, age 2: p = 100 + 2 * 300 / 5 = 220
  EXPECT_EQ(it->sprite.colors[0], 0xFF000000u | (0x40 * 220 / 100) << 16 | 255u << 8 | (0x40 * 220 / 100));
  // A class level out of its range never makes a kind beyond 28.
  p.optionClassLevel[1] = 7;
  Frame();
  EXPECT_EQ(it->kind, 5 + 1 + 18);
}

TEST_F(ItemTest, RemovalBelowTheFieldAndGaugeItemsAtTheSides) {
  P().SetState(PlayerDying);
  struct Case {
    int kind;
    float x, y;
    bool stays;
  };
  const Case cases[] = {{ItemPower, 100, 543.9f, true}, {ItemPower, 100, 544.5f, false},
                        {ItemPower, -40, 100, true},     {ItemPower, 400, -40, true},
                        {ItemGauge, -32.5f, 100, false}, {ItemGauge, 392.5f, 100, false},
                        {ItemGauge, 100, -32.5f, false}, {ItemGauge, -31.5f, 100, true}};
  for (const Case& c : cases) {
    world->items.Clear();
    Make(c.kind, c.x, c.y - 0.05f - (c.kind == ItemGauge ? 0.06f : 0.0f));  // minus the first frame's fall
    Frame();
    EXPECT_EQ(world->items.count, c.stays ? 1 : 0) << c.kind << " " << c.x << " " << c.y;
  }
}

TEST_F(ItemTest, ScorePopupDigits) {
  SpawnScorePopup(world.get(), 12345, 100, 50, 90, 2, 0xFF00FF00u);
  ASSERT_EQ(world->effects.count, 5);
  const int digits[5] = {5, 4, 3, 2, 1};
  int i = 0;
  for (Effect* e = world->effects.head; e; e = e->next, ++i) {
    EXPECT_EQ(e->kind, EffectPlain);
    EXPECT_NEAR(e->x, 100.0f - static_cast<float>(i) * 16.9f, 1e-4);
    EXPECT_FLOAT_EQ(e->y, 50.0f);
    EXPECT_FLOAT_EQ(e->sprite.srcU, g_spriteDefs[16 + digits[i]].srcU);
    EXPECT_FLOAT_EQ(e->startScaleX, 1.3f);
    EXPECT_FLOAT_EQ(e->endScaleY, 1.3f * 1.7f);
    EXPECT_FLOAT_EQ(e->friction, 0.95f);
    EXPECT_FLOAT_EQ(e->facing, 0.0f);
    EXPECT_EQ(e->lifetime, 32);
    EXPECT_EQ(e->startColor, 0xFF00FF00u);
    EXPECT_EQ(e->endColor, 0u);
  }
  struct Case {
    int value, digits;
  };
  for (const Case& c : {Case{0, 1}, Case{9, 1}, Case{10, 2}, Case{99999999, 8}, Case{100000000, 8}}) {
    ClearEffectList(&world->effects);
    SpawnScorePopup(world.get(), c.value, 0, 0, 0, 0, 0);
    EXPECT_EQ(world->effects.count, c.digits) << c.value;
  }
}

// The dying ship scatters its power drops and its formation's option items as items.
TEST_F(ItemTest, DeathDropsBecomeItems) {
  Player& p = P();
  p.power = 20;
  p.optionType = 9;
  p.SetState(PlayerDying);
  g_gameInput[InputShot] = 0;
  for (int f = 1; f <= 40; ++f) UpdatePlayer(world.get());
  ASSERT_EQ(world->items.count, 6);
  for (Item* it = world->items.head; it; it = it->next) {
    EXPECT_EQ(it->kind, ItemPower);
    EXPECT_GE(it->speed, 15.0f);
    EXPECT_LT(it->speed, 21.0f);
    EXPECT_GE(it->direction, 84.0f);
    EXPECT_LT(it->direction, 96.0f);
  }
}
