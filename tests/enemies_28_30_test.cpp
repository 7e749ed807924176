#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "player/Item.h"
#include "player/Player.h"
#include "player/PlayerShot.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

using PodCarriers = EnemyFamilyTest;

int CountType(const std::vector<EnemyBullet*>& v, int type) {
  int n = 0;
  for (const EnemyBullet* b : v) n += b->type == type;
  return n;
}

int CountItems(const GameWorld* w) {
  int n = 0;
  for (const Item* i = w->items.head; i; i = i->next) ++n;
  return n;
}

// Takes a type's bodies away while it lives (the carrier's drones then fly straight, draw
// nothing and never fire, whatever their own code does).
class WithoutBodies {
 public:
  explicit WithoutBodies(int type) : type_(type), saved_(GetEnemyTypeCode(type)) {
    RegisterEnemyTypeCode(type, nullptr, nullptr);
  }
  ~WithoutBodies() { RegisterEnemyTypeCode(type_, saved_.behaviour, saved_.attack); }

 private:
  int type_;
  EnemyTypeCode saved_;
};

// ---- Type 28 ---------------------------------------------------------------------------------

TEST_F(PodCarriers, GunshipBurstsAndSideShotsByDifficulty) {
  struct Case {
    int d, burst, aims, interval, delay, sidePeriod;  // sidePeriod 0: none
    float spread;
  } const cases[] = {
      {0, 1, 1, 60, 80, 0, 0}, {1, 1, 2, 19, 34, 0, 0},      {2, 1, 3, 10, 21, 0, 0},
      {3, 1, 4, 7, 16, 40, 8.8f}, {4, 1, 5, 5, 12, 20, 10.4f}, {5, 2, 6, 4, 10, 13, 12.0f},
      {6, 3, 7, 3, 8, 10, 13.6f}, {7, 4, 8, 3, 8, 8, 15.2f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(28, 180, 100, 270, 4.0f);
    int step = g_randomStep;
    const int firstSides = CountType(Step(), 9);
    EXPECT_EQ(DrawsSince(step) - 3 * firstSides, 2);  // the first aim, the first side's phase
    EXPECT_EQ(e->intRegs[0], c.burst);
    EXPECT_EQ(e->intRegs[1], c.aims);
    EXPECT_EQ(e->intRegs[2], c.interval);
    EXPECT_EQ(e->intRegs[3], c.delay);
    if (c.sidePeriod == 0) {
      EXPECT_GE(e->intRegs[5], 32768);
    } else {
      EXPECT_EQ(e->intRegs[5], c.sidePeriod);
      EXPECT_EQ(e->intRegs[7], (e->intRegs[6] + c.sidePeriod / 2) % c.sidePeriod);
    }
    int volleys = 0, sideShots = 0;
    float aim = 0;
    while (e->phaseFrames < 299) {
      step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      const int pf = e->phaseFrames;
      const int bursts = CountType(made, 103) + CountType(made, 104);
      const int sides = CountType(made, 9);
      int draws = 3 * sides;
      if (bursts > 0) {
        ASSERT_GE(pf, c.delay);
        ASSERT_EQ((pf - c.delay) % c.interval, 0);
        const int v = (pf - c.delay) / c.interval;
        EXPECT_EQ(bursts, c.burst);
        EXPECT_EQ(CountType(made, 103 + v % 2), c.burst);
        const bool newAim = v % c.aims == 0;
        draws += newAim ? 1 : 0;
        if (!newAim) {
          EXPECT_FLOAT_EQ(e->floatRegs[0], aim);
        }
        aim = e->floatRegs[0];
        for (const EnemyBullet* b : made) {
          if (b->type == 9) continue;
          EXPECT_FLOAT_EQ(b->speed, 1.04f * g_bulletSpeedBase);
          EXPECT_LE(AngleDistance(b->direction, aim), 3.5f * static_cast<float>(c.burst - 1) + 1e-3f);
        }
        volleys += 1;
      } else {
        EXPECT_TRUE(pf < c.delay || (pf - c.delay) % c.interval != 0);
      }
      for (const EnemyBullet* b : made) {
        if (b->type != 9) continue;
        EXPECT_FLOAT_EQ(b->speed, 2.0f);
        EXPECT_GE(std::fabs(b->spinStep), 16.0f);
        EXPECT_LT(std::fabs(b->spinStep), 24.0f);
        const float toPlayer = AngleToPlayer(world.get(), e->x, e->y);
        EXPECT_LE(AngleDistance(b->direction, toPlayer), c.spread / 2 + 3.0f);  // seen from the body
      }
      sideShots += sides;
      EXPECT_EQ(DrawsSince(step), draws);
    }
    EXPECT_EQ(volleys, (299 - c.delay) / c.interval + 1);
    if (c.sidePeriod == 0) {
      EXPECT_EQ(sideShots, 0);
    } else {
      EXPECT_NEAR(sideShots, 2 * 299 / c.sidePeriod, 2);
    }
    TearDown();
  }
}

TEST_F(PodCarriers, GunshipDivesAtThePlayerOnlyFromDifficultyFive) {
  for (int d : {4, 5}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    Enemy* e = Make(28, 120, 100, 270, 4.0f);
    while (e->phaseFrames < 299) Step();
    EXPECT_LT(e->speed, 0.01f);  // braked to a stop
    EXPECT_FLOAT_EQ(e->floatRegs[1], -1.0f);
    const float x0 = e->x, y0 = e->y;
    const float toPlayer = AngleToPlayer(world.get(), e->x, e->y) + 360.0f;
    Step();
    EXPECT_FLOAT_EQ(e->floatRegs[1], toPlayer);
    world->player.x = 300;  // the direction is chosen once
    for (int i = 0; i < 30; ++i) Step();
    EXPECT_FLOAT_EQ(e->floatRegs[1], toPlayer);
    EXPECT_GT(e->x, x0);  // toward the player's side either way
    if (d >= 5) {
      EXPECT_GT(e->y, y0 + 50.0f);
    } else {
      EXPECT_LT(e->y, y0 - 50.0f);
    }
    // It turns its nose toward the player at most 2.4 degrees a frame.
    const float before = e->facing;
    Step();
    EXPECT_LE(AngleDistance(before, e->facing), 2.4f + 1e-4f);
    TearDown();
  }
}

// ---- Types 29 and 30 -------------------------------------------------------------------------

constexpr uint32_t kPodColours[6] = {0xFF00E000, 0xFF0000E0, 0xFFE00000, 0xFF00E0E0, 0xFFE0E000, 0xFFE000E0};

TEST_F(PodCarriers, CarrierSpawnsSixPodsOnARing) {
  WithoutBodies drones(21);
  Enemy* e = Make(29, 180, 100, 270, 2.0f);
  Step();
  ASSERT_EQ(e->childCount, 6);
  Step();  // made while the carrier was the last enemy, the pods start in the next frame
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    Enemy* pod = e->children[i];
    ASSERT_NE(pod, nullptr);
    EXPECT_EQ(pod->type, 30);
    EXPECT_EQ(pod->parent, e);
    EXPECT_EQ(pod->sprite.colors[0], kPodColours[i]);
    EXPECT_EQ(pod->dropItemKind, i + 6);
    EXPECT_FLOAT_EQ(pod->floatRegs[2], 60.0f * static_cast<float>(i));
    EXPECT_NEAR(Hypot(pod->x - e->x, pod->y - e->y), 60.0f, 1e-3f);
    EXPECT_NEAR(AngleDistance(pod->facing, e->facing + 60.0f * static_cast<float>(i)), 0.0f, 1e-3f);
  }
  // The spin swings between -12 and +12 degrees a frame and the pods turn with it.
  float lo = 0, hi = 0;
  for (int i = 0; i < 12000; ++i) {
    Step();
    lo = MinFloat(lo, e->floatRegs[0]);
    hi = MaxFloat(hi, e->floatRegs[0]);
    if (i % 500 == 0) ClearBulletList(&world->bullets);
  }
  EXPECT_LT(lo, -12.0f);
  EXPECT_GT(hi, 12.0f);
  EXPECT_GT(lo, -12.1f);
  EXPECT_LT(hi, 12.1f);
}

TEST_F(PodCarriers, CarrierRegistersDronesAndHoverByDifficulty) {
  struct Case {
    int d, drones, interval, pause, slotBullets, volleys, slotInterval, slotPause;
    float spin, change;
  } const cases[] = {
      {0, 1, 16, 120, 1, 4, 20, 90, 0.3f, 0.005f},    {1, 2, 12, 106, 1, 6, 13, 73, 0.324f, 0.0061f},
      {4, 3, 6, 80, 1, 14, 5, 42, 0.396f, 0.0094f},   {5, 3, 6, 73, 2, 18, 4, 35, 0.42f, 0.0105f},
      {7, 4, 4, 64, 4, 34, 3, 23, 0.468f, 0.0127f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    WithoutBodies drones(21);
    SetDifficulty(c.d);
    Enemy* e = Make(29, 180, 60, 270, 3.0f);
    Step();
    const int* r = e->intRegs;
    EXPECT_EQ(r[0], c.drones);
    EXPECT_EQ(r[1], c.interval);
    EXPECT_EQ(r[2], c.pause);
    EXPECT_EQ(r[4], c.slotBullets);
    EXPECT_EQ(r[5], c.volleys);
    EXPECT_EQ(r[6], c.slotInterval);
    EXPECT_EQ(r[7], c.slotPause);
    EXPECT_EQ(r[14], c.d + 1);
    EXPECT_NEAR(std::fabs(e->floatRegs[0] - e->floatRegs[1]), c.spin, 1e-5f);
    EXPECT_NEAR(std::fabs(e->floatRegs[1]), c.change, 1e-6f);
    for (int i = 8; i < 14; ++i) EXPECT_EQ(r[i], -1);
    // Drones: the first cycle starts on frame 60.
    std::vector<int> launches;
    for (int frame = 2; frame < 60 + 2 * (c.drones * c.interval + c.pause); ++frame) {
      const int before = world->enemies.count;
      Step();
      for (Enemy* p = world->enemies.head; p; p = p->next) {
        if (p->type != 21 || p->age != 1) continue;
        launches.push_back(frame);
        EXPECT_GE(p->speed, 9.0f);
        EXPECT_LT(p->speed, 9.8f);
        EXPECT_LE(AngleDistance(p->direction, AngleToPlayer(world.get(), e->x, e->y)), 62.0f + 2.0f);
      }
      (void)before;
      ClearBulletList(&world->bullets);
    }
    std::vector<int> expect;
    for (int cycle = 0; cycle < 2; ++cycle)
      for (int k = 0; k < c.drones; ++k) expect.push_back(60 + cycle * (c.drones * c.interval + c.pause) + k * c.interval);
    EXPECT_EQ(launches, expect);
    // It hovers in the upper field.
    for (int i = 0; i < 1500; ++i) {
      Step();
      ClearBulletList(&world->bullets);
      ASSERT_GT(e->x, 40.0f);
      ASSERT_LT(e->x, 320.0f);
      ASSERT_GT(e->y, 30.0f);
      ASSERT_LT(e->y, 220.0f);
    }
    TearDown();
  }
}

TEST_F(PodCarriers, KilledPodTurnsItsSlotIntoAGun) {
  WithoutBodies drones(21);
  SetDifficulty(5);
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  Step();
  Enemy* pod = e->children[2];
  ASSERT_NE(pod, nullptr);
  const float change = std::fabs(e->floatRegs[1]);
  KillEnemy(true, world.get(), HitSourceMainShot, pod);
  EXPECT_EQ(e->children[2], nullptr);
  EXPECT_NEAR(std::fabs(e->floatRegs[1]), change + 0.006f, 1e-6f);  // the carrier spins faster
  // 18 volleys of 2 bullets every 4 frames, then a pause of 35: a cycle of 107 frames.
  const int cycle = 18 * 4 + 35;
  std::vector<int> volleyFrames;
  for (int frame = 0; frame < 2 * cycle; ++frame) {
    const std::vector<EnemyBullet*> made = Step();
    const int slot = CountType(made, 52) + CountType(made, 53);
    if (slot == 0) continue;
    EXPECT_EQ(slot, 2);
    volleyFrames.push_back(frame);
    for (const EnemyBullet* b : made) {
      if (b->type != 52 && b->type != 53) continue;
      EXPECT_FLOAT_EQ(b->speed, 0.12f * g_bulletSpeedBase + 3.08f);
      EXPECT_NEAR(b->x, e->launchers[3].x, 1e-3f);
      EXPECT_NEAR(b->y, e->launchers[3].y, 1e-3f);
      EXPECT_GE(std::fabs(b->spinStep), 16.0f);
      EXPECT_LT(std::fabs(b->spinStep), 28.0f);
      // Around the slot's heading: two bullets 16 apart, each within 9 of its place.
      EXPECT_LE(AngleDistance(b->direction, e->facing + 120.0f), 8.0f + 9.0f + 1e-3f);
    }
  }
  ASSERT_EQ(volleyFrames.size(), 36u);
  EXPECT_EQ(volleyFrames[0], 0);  // the frame after the kill: the slot counter starts at 0
  for (int i = 1; i < 18; ++i) EXPECT_EQ(volleyFrames[i] - volleyFrames[i - 1], 4);
  EXPECT_EQ(volleyFrames[18], cycle);
}

TEST_F(PodCarriers, SlotBurstDrawsFourPerBullet) {
  WithoutBodies drones(21);
  SetDifficulty(7);
  Enemy* e = Make(29, 180, 60, 270, 3.0f, 7);  // a phase without the hover, spin orders or drones
  Step();
  for (int i = 0; i < 6; ++i) KillEnemy(false, world.get(), -1, e->children[i]);
  e->intRegs[3] = -100000;
  e->SetEnemyPhase(0);
  e->intRegs[14] = -1;  // no spin orders
  Step();
  ClearBulletList(&world->bullets);
  // Phase 0 now: each frame draws 2 (hover jitter) + 4 per slot bullet; from phase frame 101
  // also the spin order's test.
  for (int i = 0; i < 120; ++i) {
    const int step = g_randomStep;
    const std::vector<EnemyBullet*> made = Step();
    EXPECT_EQ(DrawsSince(step), 2 + (e->phaseFrames >= 101) + 4 * static_cast<int>(made.size()));
    if (e->intRegs[8] % 3 == 0 && e->intRegs[8] / 3 < 34) {
      EXPECT_EQ(made.size(), 6u * 4u);
    } else {
      EXPECT_TRUE(made.empty());
    }
  }
}

TEST_F(PodCarriers, SixPodsThatSurviveRaiseEveryClassAndLeaveOptionItems) {
  WithoutBodies drones(21);
  Player& p = world->player;
  p.optionClassLevel[0] = 3;  // stays at its limit
  p.optionClassLevel[1] = 1;
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  while (e->phaseFrames < 2399) {
    Step();
    ClearBulletList(&world->bullets);
  }
  ASSERT_EQ(CountLiveChildren(e), 6);
  const int itemsBefore = CountItems(world.get());
  const int scoreBefore = p.scoreLow;
  Step();
  EXPECT_EQ(CountLiveChildren(e), 0);
  EXPECT_EQ(p.scoreLow, scoreBefore);
  const int expectLevel[6] = {3, 2, 1, 1, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.optionClassLevel[i], expectLevel[i]);
  std::vector<int> kinds;
  for (const Item* it = world->items.head; it; it = it->next) kinds.push_back(it->kind);
  ASSERT_EQ(static_cast<int>(kinds.size()) - itemsBefore, 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(kinds[itemsBefore + i], i + 5 + 6 * expectLevel[i]);
  // Afterwards every slot fires.
  bool fired[6] = {};
  for (int i = 0; i < 30; ++i)
    for (const EnemyBullet* b : Step()) {
      if (b->type >= 48 && b->type < 60) fired[(b->type - 48) / 2] = true;
    }
  for (bool f : fired) EXPECT_TRUE(f);
}

TEST_F(PodCarriers, WithOnePodLostTheOthersVanishWithoutReward) {
  WithoutBodies drones(21);
  Player& p = world->player;
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  Step();
  KillEnemy(false, world.get(), -1, e->children[4]);
  while (e->phaseFrames < 2399) {
    Step();
    ClearBulletList(&world->bullets);
  }
  ASSERT_EQ(CountLiveChildren(e), 5);
  const int items = CountItems(world.get());
  Step();
  EXPECT_EQ(CountLiveChildren(e), 0);
  EXPECT_EQ(CountItems(world.get()), items);
  EXPECT_EQ(p.scoreLow, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p.optionClassLevel[i], 0);
}

TEST_F(PodCarriers, CarrierDeathDropsAPowerItemPerSurvivingPodAndOrphansThem) {
  WithoutBodies drones(21);
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  Step();
  KillEnemy(true, world.get(), HitSourceMainShot, e->children[0]);  // drops its option item
  const int scoreAfterPod = world->player.scoreLow;
  const int itemsAfterPod = CountItems(world.get());
  Step();
  KillEnemy(true, world.get(), HitSourceMainShot, e);
  int power = 0;
  int n = 0;
  for (const Item* it = world->items.head; it; it = it->next)
    if (n++ >= itemsAfterPod) power += it->kind == ItemPower;
  EXPECT_EQ(power, 5);
  EXPECT_EQ(world->player.scoreLow, scoreAfterPod + 50000);
  Step();  // the pods find no parent and die unrewarded
  Step();
  Step();
  for (const Enemy* p = world->enemies.head; p; p = p->next) EXPECT_NE(p->type, 30);
  EXPECT_EQ(world->player.scoreLow, scoreAfterPod + 50000);
}

TEST_F(PodCarriers, PodBoltsAndSlowRhythm) {
  struct Case {
    int d, bolts, slow, rapid;
  } const cases[] = {{0, 1, 48, 30}, {3, 1, 23, 12}, {4, 2, 18, 8}, {7, 5, 11, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    WithoutBodies drones(21);
    SetDifficulty(c.d);
    Enemy* e = Make(29, 180, 60, 270, 3.0f);
    Step();
    Step();
    Enemy* pod = e->children[1];
    ASSERT_NE(pod, nullptr);
    EXPECT_EQ(pod->intRegs[1], c.bolts);
    EXPECT_EQ(pod->intRegs[2], c.slow);
    EXPECT_EQ(pod->intRegs[3], c.rapid);
    while (pod->age < 99) EXPECT_TRUE(Step().empty());
    // Out of any pause, every pod fires its first shot on its 100th frame.
    for (int i = 0; i < 6; ++i) e->children[i]->intRegs[5] = 0;
    const std::vector<EnemyBullet*> made = Step();
    ASSERT_EQ(static_cast<int>(made.size()), 6 * c.bolts);
    int mine = 0;
    for (const EnemyBullet* b : made) {
      if (b->type != 2 && b->type != 3) continue;
      mine += 1;
      EXPECT_FLOAT_EQ(b->speed, 0.0f);
      EXPECT_FLOAT_EQ(b->stretch, 8.4f);
      EXPECT_FLOAT_EQ(b->friction, 0.987f);
      EXPECT_FLOAT_EQ(b->accelFactor, 1.012f);
      EXPECT_LE(AngleDistance(b->direction, pod->launchers[0].aimAngle), 6.0f * static_cast<float>(c.bolts - 1) + 1e-3f);
    }
    EXPECT_EQ(mine, c.bolts);
    // Each wait follows the mode of the shot before it: slow in mode 0, rapid while positive.
    int lastAge = pod->age, lastMode = pod->intRegs[5];
    bool paused = false;
    int checked = 0;
    for (int i = 0; i < 1500; ++i) {
      int n = 0;
      for (const EnemyBullet* b : Step()) n += b->type == 2 || b->type == 3;
      if (pod->intRegs[5] < 0) paused = true;
      if (n == 0) continue;
      EXPECT_EQ(n, c.bolts);
      if (!paused) {
        EXPECT_EQ(pod->age - lastAge, lastMode == 0 ? c.slow : c.rapid);
        checked += 1;
      }
      lastAge = pod->age;
      lastMode = pod->intRegs[5];
      paused = false;
      ClearBulletList(&world->bullets);
    }
    EXPECT_GT(checked, 10);
    TearDown();
  }
}

TEST_F(PodCarriers, FirstRapidShotsNeverStopFromDifficultyFour) {
  // At difficulty 7 the stop threshold 2n - 19 is negative for the first nine rapid shots.
  SetDifficulty(7);
  WithoutBodies drones(21);
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  Step();
  Enemy* pod = e->children[3];
  while (pod->age < 99) Step();
  pod->intRegs[5] = 0;
  Step();  // its first shot
  pod->intRegs[5] = 1;
  pod->intRegs[4] = -2;
  std::vector<int> shots;
  while (static_cast<int>(shots.size()) < 9) {
    int n = 0;
    for (const EnemyBullet* b : Step()) n += b->type == 6 || b->type == 7;
    if (n > 0) shots.push_back(pod->age);
    ASSERT_GT(pod->intRegs[5], 0);
  }
  for (size_t i = 1; i < shots.size(); ++i) EXPECT_EQ(shots[i] - shots[i - 1], 2);
  EXPECT_EQ(pod->intRegs[5], 10);
}

TEST_F(PodCarriers, RapidFireStopsForAPause) {
  SetDifficulty(0);
  WithoutBodies drones(21);
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  Step();
  Enemy* pod = e->children[0];
  while (pod->age < 100) Step();
  // At difficulty 0 the stop chance is (16 + 2n)/128: a pause of n x 30 / 2 frames follows.
  pod->intRegs[5] = 1;
  bool paused = false;
  for (int i = 0; i < 3000 && !paused; ++i) {
    const int n = pod->intRegs[5];
    const bool due = pod->intRegs[4] == -1 && n > 0;
    Step();
    if (due && pod->intRegs[5] <= 0) {
      EXPECT_EQ(pod->intRegs[5], (-n * 30) / 2 + 1);
      paused = true;
    }
  }
  ASSERT_TRUE(paused);
  const int pause = -pod->intRegs[5];
  int quiet = 0;
  while (pod->intRegs[5] < 0) {
    int n = 0;
    for (const EnemyBullet* b : Step()) n += b->type == 0 || b->type == 1;
    quiet += 1;
    // Silent through the pause; the shot that was due comes on the frame it ends.
    EXPECT_EQ(n > 0, pod->intRegs[5] == 0);
  }
  EXPECT_EQ(quiet, pause);
}

// Makes the next draws of the walk return the given raw values (0..32767).
void RigNextDraws(std::initializer_list<int> values) {
  int step = g_randomStep, index = g_randomIndex;
  for (int v : values) {
    step = (step + 1) % (kRandomTableSize / 2);
    index = (index + step) % kRandomTableSize;
    g_randomTable[index] = ((v - step) % 32768 + 32768) % 32768;
  }
}

TEST_F(PodCarriers, RapidFireStartingOnADueShotCountsThatShot) {
  // The fire-mode steps run in turn: 0 -> 1, then the due shot's stop test (16 + 2n)/128 at
  // difficulty 0 in the same frame. Kept going: n = 2, the shot leaves and the rapid wait (30)
  // follows. Stopped: (-1 x 30) / 2 + 1 = -14, a pause, and no shot.
  struct Case {
    int stopDraw, mode, bullets, wait, draws;
  } const cases[] = {{32767, 2, 1, -30, 3}, {0, -14, 0, 0, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stopDraw);
    SetUp();
    Enemy* block = Make(20, 180, 100, 0, 0.0f);  // a parent without bodies: it draws nothing
    Enemy* pod = Make(30, 180, 100, 0, 0.0f);
    pod->parent = block;
    while (pod->age < 99) Step();
    ASSERT_EQ(pod->intRegs[4], -1);  // the first shot is due on the next frame
    pod->intRegs[5] = 0;
    RigNextDraws({0, c.stopDraw});  // RI(1024) = 0 starts rapid fire; then the stop test
    const int step = g_randomStep;
    const std::vector<EnemyBullet*> made = Step();
    EXPECT_EQ(pod->intRegs[5], c.mode);
    EXPECT_EQ(static_cast<int>(made.size()), c.bullets);
    EXPECT_EQ(DrawsSince(step), c.draws);  // with the bolt's type draw when it fires
    EXPECT_EQ(pod->intRegs[4], c.wait);     // a stopped shot stays due until the pause ends
    TearDown();
  }
}

TEST_F(PodCarriers, SpinOrderTurnsEveryBarrelOnceRound) {
  SetDifficulty(7);
  WithoutBodies drones(21);
  Enemy* e = Make(29, 180, 60, 270, 3.0f);
  int orderedAt = 0;
  for (int i = 0; i < 3000 && orderedAt == 0; ++i) {
    Step();
    ClearBulletList(&world->bullets);
    if (e->children[0]->intRegs[0] == 1) orderedAt = e->phaseFrames;
  }
  ASSERT_GE(orderedAt, 101);
  float rates[6];
  for (int i = 0; i < 6; ++i) {
    const Enemy* pod = e->children[i];
    EXPECT_EQ(pod->intRegs[0], 1);
    rates[i] = pod->floatRegs[0];
    EXPECT_GE(std::fabs(rates[i]), 3.2f - 1.8f - 1e-4f);
    EXPECT_LE(std::fabs(rates[i]), 6.2f + 1.8f + 1e-4f);
    // The pod already turned once in the frame of the order.
    EXPECT_FLOAT_EQ(pod->floatRegs[1], rates[i]);
  }
  // Each barrel turns until a full circle, then stops and points outward again.
  for (int frame = 0; frame < 400; ++frame) {
    Step();
    ClearBulletList(&world->bullets);
    for (int i = 0; i < 6; ++i) {
      const Enemy* pod = e->children[i];
      if (pod->intRegs[0] != 0) continue;
      if (e->children[i]->floatRegs[0] != rates[i]) continue;  // a new order came
      EXPECT_FLOAT_EQ(pod->floatRegs[1], 0.0f);
      EXPECT_NEAR(AngleDistance(pod->launchers[0].aimAngle, pod->facing), 0.0f, 1e-3f);
    }
  }
  for (int i = 0; i < 6; ++i)
    if (e->children[i]->floatRegs[0] == rates[i]) {
      EXPECT_EQ(e->children[i]->intRegs[0], 0);
    }
}

TEST_F(PodCarriers, PodWithoutACarrierDiesUnrewarded) {
  Enemy* pod = Make(30, 180, 100, 0, 0.0f);
  const int step = g_randomStep;
  Step();
  EXPECT_EQ(pod->dyingCounter, 1);
  EXPECT_EQ(world->player.scoreLow, 0);
  EXPECT_EQ(CountItems(world.get()), 0);
  EXPECT_GT(DrawsSince(step), 0);  // its explosion
  EXPECT_EQ(world->bullets.count, 0);
}

}  // namespace
