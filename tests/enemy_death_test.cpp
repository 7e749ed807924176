#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cmath>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/EnemyBullet.h"
#include "world/Effect.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

void LoadTestTable() {
  std::vector<uint8_t> b(2 * kRandomTableSize);
  for (int i = 0; i < kRandomTableSize; ++i) {
    const int w = i == 0 ? kRandomTableSize : (i * 7919 + 13) & 0x7FFF;
    b[2 * i] = w & 0xFF;
    b[2 * i + 1] = w >> 8;
  }
  ASSERT_EQ(LoadRandomTableFromBytes(b.data(), static_cast<long>(b.size())), 0);
}

std::vector<Item*> ItemsOf(GameWorld* w) {
  std::vector<Item*> v;
  for (Item* i = w->items.head; i; i = i->next) v.push_back(i);
  return v;
}

std::vector<EnemyBullet*> BulletsOf(GameWorld* w) {
  std::vector<EnemyBullet*> v;
  for (EnemyBullet* b = w->bullets.head; b; b = b->next) v.push_back(b);
  return v;
}

class EnemyDeath : public ::testing::Test {
 protected:
  std::unique_ptr<GameWorld> world;
  int savedDifficulty = 0;
  float savedSpeedBase = 0;

  void SetUp() override {
    savedDifficulty = g_difficulty;
    savedSpeedBase = g_bulletSpeedBase;
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ResetSoundRequests();
    world = std::make_unique<GameWorld>();
    Player& p = world->player;
    p.x = 180;
    p.y = 400;
    p.state = PlayerNormal;
    p.grazeFrames = 0;
    for (int& l : p.optionClassLevel) l = 0;
    g_difficulty = 4;
    g_bulletSpeedBase = 5.8f;
    // Shot held, slow released: no bonus and the plain drop sequence unless a test says so.
    g_gameInput[InputShot] = 1;
    g_gameInput[InputSlow] = 0;
  }
  void TearDown() override {
    g_difficulty = savedDifficulty;
    g_bulletSpeedBase = savedSpeedBase;
    g_gameInput[InputShot] = 0;
    g_gameInput[InputSlow] = 0;
    ResetSoundRequests();
  }

  Enemy* Make(int type, float x = 180, float y = 100) {
    EnemyList& l = world->enemies;
    return ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, 270, 0);
  }
  long long Score() const {
    return static_cast<long long>(world->player.scoreHigh) * 100000000LL + world->player.scoreLow;
  }
  // Draws the explosion makes for an enemy of row 152 or 153: n, then per particle speed and life.
  static int ExplosionDraws(int n) { return 1 + 2 * n; }
};

}  // namespace

// A kill pays the score once, requests the break sound, throws 10 to 13 particles for a body of
// scale 1 and sets the enemy dying; a second kill in the same frame does nothing.
TEST_F(EnemyDeath, KillPaysOnceWithSoundAndDebris) {
  Enemy* e = Make(1);
  e->dropItemCount = -1;  // no gauge items: the draws are the explosion's alone
  const int step = g_randomStep;
  KillEnemy(true, world.get(), HitSourceMainShot, e);
  EXPECT_EQ(Score(), 400);
  EXPECT_EQ(e->dyingCounter, 1);
  EXPECT_EQ(g_seRequested[SeEnemyBreak], 1);
  const int n = world->effects.count;
  EXPECT_GE(n, 10);
  EXPECT_LE(n, 13);
  EXPECT_EQ(DrawsSince(step), ExplosionDraws(n));
  // Particles: sprite 152, tint x 2/3, scale ramp, one step back from the centre.
  const Effect* p = world->effects.head;
  EXPECT_EQ(p->startColor, 0xAA409540u);  // 0xFF60E060 channel by channel x 2 / 3
  EXPECT_EQ(p->endColor, 0u);
  EXPECT_FLOAT_EQ(p->startScaleY, 0.2f);
  EXPECT_FLOAT_EQ(p->endScaleX, 3.0f);
  EXPECT_FLOAT_EQ(p->friction, 0.95f);
  EXPECT_GE(p->lifetime, 40);
  EXPECT_LT(p->lifetime, 48);
  EXPECT_NEAR(p->baseX, 180 - p->vx, 1e-4);
  EXPECT_NEAR(p->direction, 270, 1e-4);  // the first at angle 0 + facing
  EXPECT_NEAR(p->next->direction, 270 + 360 / n, 1e-3);  // whole degrees: (1 x 360) / n

  const int step2 = g_randomStep;
  KillEnemy(true, world.get(), HitSourceMainShot, e);
  EXPECT_EQ(Score(), 400);
  EXPECT_EQ(world->effects.count, n);
  EXPECT_EQ(DrawsSince(step2), 0);
}

// The particle speeds follow the body's shape: row 153 faster at the diagonals, 154 slower
// between its lobes. Particle i leaves at (i x 360) / n degrees, truncated, from the facing.
TEST_F(EnemyDeath, ExplosionShapesByBodyRow) {
  int uneven = 0;  // counts that do not divide 360, where whole degrees differ from the exact ring
  for (int type : {1, 2, 5}) {  // rows 152, 153, 154
    ClearEffectList(&world->effects);
    Enemy* e = Make(type);
    e->dropItemCount = -1;
    e->dropItemKind = 0;
    const float sx = e->sprite.scaleX, sy = e->sprite.scaleY;
    const float k = MinFloat(sx, sy) * std::sqrt(MaxFloat(sx, sy));
    const int idx = g_randomIndex, step = g_randomStep;
    KillEnemy(false, world.get(), -1, e);
    // Replay the draws and compare every particle.
    const int i2 = g_randomIndex, s2 = g_randomStep;
    SetRandomState(idx, step);
    const int n = FloatToInt(4 * k) + RandomInt(4) + 6;
    ASSERT_EQ(world->effects.count, n) << type;
    uneven += 360 % n != 0;
    const Effect* p = world->effects.head;
    for (int i = 0; i < n; ++i, p = p->next) {
      const float a = static_cast<float>(i * 360 / n);
      EXPECT_NEAR(AngleDistance(p->direction, a + 270), 0, 1e-3) << type << "/" << i;
      float speed = RandomFloat(4) + (type == 5 ? 5 : 4) + (type == 5 ? 2.8f : 2.5f) * std::sqrt(sx * sy);
      if (type == 2) speed *= 1 + 0.414f * MinFloat(std::fmod(a, 90.0f), 45) / 45;
      if (type == 5) speed *= 1 - 0.3f * MinFloat(std::fmod(a, 120.0f), 60) / 60;
      const int life = 40 + RandomInt(8);
      EXPECT_FLOAT_EQ(p->speed, speed) << type << "/" << i;
      EXPECT_EQ(p->lifetime, life);
      // Rows 152 and 153 start one step back; 154 at the centre.
      EXPECT_NEAR(p->baseX, type == 5 ? 180 : 180 - p->vx, 1e-4);
    }
    SetRandomState(i2, s2);
  }
  EXPECT_GT(uneven, 0);
}

// Gauge items: the base count plus the bonuses; large items (value 5, scale 1) while more than
// four remain, then small ones (value 1, scale 0.4), in the enemy's tint.
TEST_F(EnemyDeath, GaugeItemCountsAndBonuses) {
  struct Case {
    const char* what;
    uint32_t mask;
    int cause;
    bool shotReleased, graze, below, close;
    int count;
  } const cases[] = {
      {"none", 0, HitSourceMainShot, false, false, false, false, 7},
      {"main shots only", 1, HitSourceMainShot, false, false, false, false, 9},
      {"option shots only", 2, HitSourceOptionShot, false, false, false, false, 8},
      {"both", 3, HitSourceMainShot, false, false, false, false, 7},
      {"shot released", 0, HitSourceMainShot, true, false, false, false, 9},
      {"grazing", 0, HitSourceMainShot, false, true, false, false, 8},
      {"below the ship", 0, HitSourceMainShot, false, false, true, false, 8},
      {"close", 0, HitSourceMainShot, false, false, true, true, 9},
      {"launched option", 0, HitSourceLaunchedOption, false, false, false, false, 12},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    g_gameInput[InputShot] = c.shotReleased ? 0 : 1;
    world->player.grazeFrames = c.graze ? 5 : 0;
    Enemy* e = Make(1, 180, c.close ? 405 : (c.below ? 460 : 100));
    e->dropItemCount = 7;
    e->hitByMask = c.mask;
    KillEnemy(true, world.get(), c.cause, e);
    int total = 0, large = 0;
    for (Item* it : ItemsOf(world.get())) {
      ASSERT_EQ(it->kind, ItemGauge) << c.what;
      total += it->value;
      large += it->value == 5;
      EXPECT_FLOAT_EQ(it->sprite.scaleX, it->value == 5 ? 1.0f : 0.4f);
      EXPECT_EQ(it->sprite.colors[0], 0xFF60E060u);
      EXPECT_EQ(it->sprite.colorMode, SpriteColorSingle);
      EXPECT_GE(it->speed, 0.0f);
      EXPECT_LT(it->speed, 1.2f);
    }
    EXPECT_EQ(total, c.count) << c.what;
    EXPECT_EQ(large, (c.count - 1) / 5) << c.what;  // 7 -> 5 + 1 + 1; 12 -> 5 + 5 + 1 + 1
  }
}

// The reward item by dropItemKind: fixed kinds, option colours at their class level, the
// rotating sequence; kinds above 11 drop nothing. It follows the gauge items.
TEST_F(EnemyDeath, RewardItemKinds) {
  world->player.optionClassLevel[2] = 3;
  world->player.optionClassLevel[5] = 1;
  struct Case {
    int dropKind;
    int item;  // -1 none
  } const cases[] = {
      {1, ItemPower},      {2, ItemBomb}, {3, ItemShield}, {4, ItemExtraLife}, {5, ItemGauge},
      {6, 5},              {8, 7 + 18},   {11, 10 + 6},    {12, -1},           {100, -1},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    Enemy* e = Make(1);
    e->dropItemCount = 0;  // no gauge items with the shot held and no bonus
    e->dropItemKind = c.dropKind;
    const int effectsBefore = world->effects.count;
    KillEnemy(true, world.get(), HitSourceOptionShot, e);
    const std::vector<Item*> items = ItemsOf(world.get());
    if (c.item < 0) {
      EXPECT_TRUE(items.empty()) << c.dropKind;
      continue;
    }
    ASSERT_EQ(items.size(), 1u) << c.dropKind;
    EXPECT_EQ(items[0]->kind, c.item) << c.dropKind;
    EXPECT_GT(world->effects.count, effectsBefore);
  }
  // Order: the gauge items first, then the reward item with motion three.
  world->items.Clear();
  Enemy* e = Make(1, 100, 160);
  e->dropItemCount = 2;
  e->dropItemKind = 2;
  e->hitByMask = 3;
  const int idx = g_randomIndex, step = g_randomStep;
  KillEnemy(true, world.get(), HitSourceMainShot, e);
  const std::vector<Item*> items = ItemsOf(world.get());
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0]->kind, ItemGauge);
  EXPECT_EQ(items[1]->kind, ItemGauge);
  EXPECT_EQ(items[2]->kind, ItemBomb);
  // Replay: explosion, two gauge items (speed, direction, facing), the reward (speed, direction,
  // facing).
  const int i2 = g_randomIndex, s2 = g_randomStep;
  SetRandomState(idx, step);
  const int n = RandomInt(4) + 10;
  for (int i = 0; i < 2 * n; ++i) RandomFloat(1);
  for (int g = 0; g < 2; ++g) {
    const float speed = RandomFloat(1.2f);
    const float dir = 315 + RandomFloat(270);
    const float facing = RandomFloat(360);
    EXPECT_FLOAT_EQ(items[g]->speed, speed);
    EXPECT_NEAR(AngleDistance(items[g]->direction, dir), 0, 1e-3);
    EXPECT_FLOAT_EQ(items[g]->facing, facing);
  }
  const float speed = (160 + 64) * 9 / 480.0f + RandomFloat(4);
  const float dir = 90 - 4.5f + RandomFloat(9);
  const float facing = RandomFloat(360);
  EXPECT_FLOAT_EQ(items[2]->speed, speed);
  EXPECT_NEAR(items[2]->direction, dir, 1e-3);
  EXPECT_FLOAT_EQ(items[2]->facing, facing);
  EXPECT_EQ(g_randomStep, s2);  // nothing else was drawn
  SetRandomState(i2, s2);
}

// The rotating sequence (dropItemKind -1): six colours then a shield or, at the end, a bomb;
// the shot released skips a step; slow held gives the current option type.
TEST_F(EnemyDeath, RotatingDropSequence) {
  Player& p = world->player;
  p.optionType = 9;
  p.optionClassLevel[3] = 2;
  struct Case {
    int cycle;
    bool shotReleased, slow;
    int item, cycleAfter;
  } const cases[] = {
      {5, true, false, ItemShield, 7},   // d becomes 6
      {20, true, true, ItemBomb, 0},     // 20 mod 7 = 6, (20 / 7) mod 3 = 2
      {13, false, false, ItemShield, 14},
      {0, false, false, 5, 1},
      {3, false, false, 5 + 3 + 12, 4},  // colour 3 at class 2
      {2, true, false, 5 + 3 + 12, 4},
      {8, false, true, 9 + 5, 9},        // slow: the current option type
  };
  for (const Case& c : cases) {
    world->items.Clear();
    g_gameInput[InputShot] = c.shotReleased ? 0 : 1;
    g_gameInput[InputSlow] = c.slow ? 1 : 0;
    p.dropCycle = c.cycle;
    Enemy* e = Make(2);  // dropItemKind -1
    e->dropItemCount = -1;
    KillEnemy(true, world.get(), HitSourceMainShot, e);
    const std::vector<Item*> items = ItemsOf(world.get());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->kind, c.item) << c.cycle;
    EXPECT_EQ(p.dropCycle, c.cycleAfter) << c.cycle;
  }
}

// A part killed without reward explodes and is unhooked, but pays nothing and drops nothing.
TEST_F(EnemyDeath, UnrewardedKillPaysNothing) {
  Enemy* parent = Make(29);
  SpawnEnemyParts(world.get(), parent, "1");
  Enemy* part = parent->children[0];
  ASSERT_NE(part, nullptr);
  part->dropItemKind = 3;
  KillEnemy(false, world.get(), -1, part);
  EXPECT_EQ(Score(), 0);
  EXPECT_EQ(world->items.count, 0);
  EXPECT_GT(world->effects.count, 0);
  EXPECT_EQ(part->dyingCounter, 1);
  EXPECT_EQ(parent->children[0], nullptr);
  EXPECT_EQ(part->parent, nullptr);
}

// A boss's first kill only starts its death sequence: no sound, no score, no debris.
TEST_F(EnemyDeath, BossFirstKillStartsTheSequence) {
  Enemy* boss = Make(92);
  boss->phase = 3;
  KillEnemy(true, world.get(), HitSourceMainShot, boss);
  EXPECT_EQ(boss->dyingCounter, -1);
  EXPECT_EQ(boss->phase, -1);
  EXPECT_EQ(boss->removeOffField, 0);
  EXPECT_EQ(Score(), 0);
  EXPECT_EQ(world->effects.count, 0);
  EXPECT_EQ(g_seRequested[SeEnemyBreak], 0);
  boss->dyingCounter = 0;  // the end of its sequence
  KillEnemy(true, world.get(), 0, boss);
  EXPECT_EQ(Score(), 100000);
  EXPECT_EQ(boss->dyingCounter, 1);
  EXPECT_GT(world->items.count, 0);
}

// Type 17's drops by cause and class limit.
TEST_F(EnemyDeath, Type17DropsByCause) {
  Player& p = world->player;
  p.optionType = 8;  // colour 2
  struct Case {
    int cause, level, shotMode;
    int kind, count, levelAfter;
  } const cases[] = {
      {HitSourceBomb, 0, 0, 5 + 2 + 6, 1, 1},
      {HitSourceBomb, 2, 0, ItemBomb, 3, 2},        // at the limit of 2
      {HitSourceBomb, 2, 3, 5 + 2 + 18, 1, 3},      // the burst bomb allows a third class
      {HitSourceRing, 0, 0, ItemBomb, 2, 0},
      {HitSourceLaunchedOption, 0, 0, 8 + 5, 12, 0},
      {HitSourceMainShot, 0, 0, ItemPower, 3, 0},
  };
  for (const Case& c : cases) {
    world->items.Clear();
    p.optionClassLevel[2] = c.level;
    p.shotMode = c.shotMode;
    Enemy* e = Make(17);
    KillEnemy(false, world.get(), c.cause, e);
    const std::vector<Item*> items = ItemsOf(world.get());
    ASSERT_EQ(static_cast<int>(items.size()), c.count) << c.cause << "/" << c.level;
    for (Item* it : items) EXPECT_EQ(it->kind, c.kind);
    EXPECT_EQ(p.optionClassLevel[2], c.levelAfter);
  }
  p.shotMode = 0;
}

// Type 29: a power item from each surviving pod's launch point; with none left and an option
// in hand, the colour's class rises and its option item drops.
TEST_F(EnemyDeath, Type29PodDrops) {
  Player& p = world->player;
  p.optionType = 1;
  Enemy* carrier = Make(29);
  SpawnCatalogueChildren(world.get(), carrier);
  ASSERT_EQ(carrier->childCount, 6);
  carrier->children[1] = nullptr;
  carrier->children[4] = nullptr;
  KillEnemy(false, world.get(), HitSourceMainShot, carrier);
  EXPECT_EQ(world->items.count, 4);
  for (Item* it : ItemsOf(world.get())) EXPECT_EQ(it->kind, ItemPower);

  world->items.Clear();
  Enemy* bare = Make(29);
  p.optionCount = 1;
  KillEnemy(false, world.get(), HitSourceMainShot, bare);
  ASSERT_EQ(world->items.count, 1);
  EXPECT_EQ(world->items.head->kind, 5 + 1 + 6);
  EXPECT_EQ(p.optionClassLevel[1], 1);
  p.optionCount = 0;
}

// Revenge bullets: type 73's four-way volleys and type 77's cross streams, only far enough from
// the player and high enough on the field.
TEST_F(EnemyDeath, RevengeBulletsOfTypes73And77) {
  struct Case {
    int type, difficulty;
    float y;
    int regs0, regs1;
    int bullets;
    int draws;  // besides the explosion
  } const cases[] = {
      {73, 4, 100, 5, 0, 20, 2},
      {73, 1, 100, 3, 0, 12, 0},
      {73, 4, 390, 5, 0, 0, 0},  // 10 px from the player: closer than 96
      {77, 4, 100, 3, 2, 10, 0},
      {77, 2, 100, 3, 2, 10, 0},
      {77, 0, 390, 3, 2, 0, 0},  // too low (390 > 320) and too close (10 px < 120)
  };
  for (const Case& c : cases) {
    ClearBulletList(&world->bullets);
    ClearEffectList(&world->effects);
    g_difficulty = c.difficulty;
    Enemy* e = Make(c.type, 180, c.y);
    e->intRegs[0] = c.regs0;
    e->intRegs[1] = c.regs1;
    const int step = g_randomStep;
    KillEnemy(false, world.get(), HitSourceMainShot, e);
    const std::vector<EnemyBullet*> b = BulletsOf(world.get());
    ASSERT_EQ(static_cast<int>(b.size()), c.bullets) << c.type << "/" << c.difficulty << "/" << c.y;
    EXPECT_EQ(DrawsSince(step), ExplosionDraws(world->effects.count) + c.draws);
    if (b.empty()) continue;
    const float speedBase = g_bulletSpeedBase;
    if (c.type == 73) {
      const float a = AngleFromTo(180, c.y, 180, 400);
      EXPECT_EQ(b[0]->type, 27);
      EXPECT_EQ(b[0]->facingMode, BulletFaceMotion);
      EXPECT_FLOAT_EQ(b[0]->speed, 16 * speedBase / 32);
      EXPECT_FLOAT_EQ(b[4]->speed, 17 * speedBase / 32);
      // Each volley is a cross of four 90 degrees apart; from the fifth volley on it turns 45.
      EXPECT_NEAR(AngleDistance(b[1]->direction, b[0]->direction), 90, 1e-3);
      if (c.difficulty == 1) {
        EXPECT_NEAR(AngleDistance(b[0]->direction, a + 45 - 135), 0, 1e-3);
      }
      if (c.regs0 > 4) {
        EXPECT_NEAR(AngleDistance(b[16]->direction, b[12]->direction), 45, 1e-3);
      }
    } else {
      EXPECT_EQ(b[0]->type, 19);
      EXPECT_FLOAT_EQ(b[0]->stretch, 24);
      EXPECT_NEAR(b[0]->direction, 90, 1e-4);
      EXPECT_NEAR(b[1]->direction, 270, 1e-4);
      EXPECT_NEAR(b[6]->direction, 180, 1e-4);
      EXPECT_NEAR(b[7]->direction, 0, 1e-4);
      const bool accel = c.difficulty > 3;
      EXPECT_FLOAT_EQ(b[0]->speed, (0 - 22 * accel + 12) * speedBase / 16);
      EXPECT_FLOAT_EQ(b[0]->accelMagnitude, accel ? 0.07f : 0.0f);
    }
  }
}

// Type 27's revenge fans while its opening phase lasts; type 26 sends its held bullet off the
// field and pays five times its score while attached; type 30 nudges its parent's turn rate.
TEST_F(EnemyDeath, RevengeFansAndPartExtras) {
  Enemy* e = Make(27);
  e->phase = 0;
  e->phaseFrames = 10;
  e->intRegs[5] = 20;
  e->intRegs[13] = 2;
  e->intRegs[14] = 3;
  e->floatRegs[7] = 10;
  KillEnemy(false, world.get(), HitSourceMainShot, e);
  std::vector<EnemyBullet*> b = BulletsOf(world.get());
  ASSERT_EQ(b.size(), 2u + 3u + 2u);
  EXPECT_EQ(b[0]->type, 409);
  EXPECT_EQ(b[2]->type, 411);
  EXPECT_FLOAT_EQ(b[0]->spinStep, -21.6f);
  EXPECT_FLOAT_EQ(b[2]->spinStep, 21.6f);
  EXPECT_FLOAT_EQ(b[2]->speed, 8 * g_bulletSpeedBase / 8);
  EXPECT_NEAR(AngleDistance(b[1]->direction, b[0]->direction), 10, 1e-3);
  Enemy* late = Make(27);
  late->phaseFrames = 30;
  late->intRegs[5] = 20;
  late->intRegs[14] = 3;
  KillEnemy(false, world.get(), HitSourceMainShot, late);
  EXPECT_EQ(world->bullets.count, 7);

  Enemy* parent = Make(29);
  Enemy* drone = Make(26);
  drone->parent = parent;
  EnemyBullet* held = nullptr;
  drone->intRegs[0] = SpawnEnemyBulletWithId(world.get(), &held, 3, 0, 50, 50, 0, 0, 1, 1);
  drone->age = 5;
  KillEnemy(true, world.get(), HitSourceMainShot, drone);
  EXPECT_EQ(held->baseX, -128000.0f);
  // A mine killed before its first frame holds no bullet: id 0 belongs to someone else.
  Enemy* fresh = Make(26);
  EnemyBullet* other = nullptr;
  ClearBulletList(&world->bullets);
  ASSERT_EQ(SpawnEnemyBulletWithId(world.get(), &other, 3, 0, 60, 60, 0, 0, 1, 1), 0);
  KillEnemy(false, world.get(), HitSourceMainShot, fresh);
  EXPECT_EQ(other->baseX, 60.0f);
  EXPECT_EQ(Score(), 2500);

  Enemy* boss = Make(29);
  boss->floatRegs[1] = -0.5f;
  Enemy* arm = Make(30);
  arm->parent = boss;
  KillEnemy(false, world.get(), HitSourceMainShot, arm);
  EXPECT_FLOAT_EQ(boss->floatRegs[1], -0.506f);
}

// Type 27 killed in its opening phase fires the rings of its closing salvo, spaced by the ring
// spacing its spawn set-up computes, (8D + 48) / MaxInt(intRegs[13], 1) in float: from
// difficulty 1 every odd ring has two bullets or more, and they must not lie on one another.
TEST_F(EnemyDeath, Type27RevengeRingsSpreadFromDifficulty1) {
  struct Case {
    int d;
    int rings, evenSize, oddSize;
    float spacing;
  } const cases[] = {
      {1, 3, 1, 2, 56.0f},  // 56 / 1
      {4, 5, 5, 6, 16.0f},  // 80 / 5
      {7, 11, 8, 9, 13.0f},  // 104 / 8
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    ClearBulletList(&world->bullets);
    g_difficulty = c.d;
    Enemy* e = Make(27);
    e->phase = 0;
    UpdateEnemyBehaviour(world.get(), e);  // the spawn set-up, then the motion tail
    ASSERT_EQ(e->phaseFrames, 1);
    float ox, oy, unused;
    ShotOriginOf(e, 0, &ox, &oy, &unused);
    const float a = AngleFromTo(ox, oy, world->player.x, world->player.y);
    KillEnemy(false, world.get(), HitSourceMainShot, e);
    const std::vector<EnemyBullet*> b = BulletsOf(world.get());
    ASSERT_EQ(static_cast<int>(b.size()), (c.rings + 1) / 2 * c.evenSize + c.rings / 2 * c.oddSize);
    size_t k = 0;
    for (int i = 0; i < c.rings; ++i) {
      const int m = i % 2 ? c.oddSize : c.evenSize;
      for (int j = 0; j < m; ++j, ++k) {
        EXPECT_NEAR(AngleDistance(b[k]->direction, a + (2 * j - (m - 1)) * c.spacing / 2), 0, 1e-3) << i << "/" << j;
        EXPECT_EQ(b[k]->type, 409 + 2 * (i % 2));
      }
    }
  }
}

// Type 20 killed by a ring or a bomb shows a drop flash and drops a power item.
TEST_F(EnemyDeath, Type20DropsPowerToBombs) {
  for (int cause : {HitSourceMainShot, HitSourceRing, HitSourceBomb}) {
    world->items.Clear();
    Enemy* e = Make(20);
    e->dropItemCount = -1;
    KillEnemy(true, world.get(), cause, e);
    if (cause >= HitSourceRing) {
      ASSERT_EQ(world->items.count, 1);
      EXPECT_EQ(world->items.head->kind, ItemPower);
    } else {
      EXPECT_EQ(world->items.count, 0);
    }
  }
}
