#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "StageCheck.h"
#include "enemies_12_19_fixture.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyHelpers.h"
#include "enemy/StageScript.h"
#include "player/Item.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

// Which type's attack made each bullet of the last step.
struct Shot {
  int by;
  EnemyBullet* b;
};
std::vector<Shot> g_shots;
EnemyTypeCode g_saved[7];

template <int T>
void TalliedAttack(GameWorld* w, Enemy* e) {
  EnemyBullet* last = w->bullets.tail;
  if (g_saved[T - 92].attack) g_saved[T - 92].attack(w, e);
  for (EnemyBullet* b = last ? last->next : w->bullets.head; b; b = b->next) g_shots.push_back({T, b});
}

template <int... T>
void InstallTally(std::integer_sequence<int, T...>) {
  // Installed once: a second call would wrap the wrapper.
  ((GetEnemyTypeCode(92 + T).attack == TalliedAttack<92 + T>
        ? void()
        : (g_saved[T] = GetEnemyTypeCode(92 + T),
           RegisterEnemyTypeCode(92 + T, g_saved[T].behaviour, TalliedAttack<92 + T>))),
   ...);
}

constexpr int kArmSlot[2] = {2, 3};

class TimelineBoss : public EnemyFamilyTest {
 protected:
  Enemy* boss = nullptr;

  void SetUp() override {
    EnemyFamilyTest::SetUp();
    world->stageScript = new StageScript;
    InstallTally(std::make_integer_sequence<int, 7>{});
    g_shots.clear();
  }
  void TearDown() override {
    for (int t = 0; t < 7; ++t) RegisterEnemyTypeCode(92 + t, g_saved[t].behaviour, g_saved[t].attack);
    g_shots.clear();
    EnemyFamilyTest::TearDown();
  }

  // The boss glides down from the top; its first frame spawns its parts, which, appended while
  // the last enemy was processed, run their first frame in its second.
  void MakeBoss(int d, float playerX = 180, float speed = 3.0f) {
    SetDifficulty(d);
    world->player.x = playerX;
    boss = Make(92, 180, 40, 270, speed);
    ASSERT_NE(boss, nullptr);
    Tick();
    ASSERT_EQ(boss->childCount, 7);
    EXPECT_EQ(Part(0)->age, 0);
    Tick();
    EXPECT_EQ(Part(0)->age, 1);
  }

  // One frame; g_shots holds its bullets. Bullets of earlier frames are freed unless kept.
  void Tick(bool keepBullets = false) {
    g_shots.clear();
    if (!keepBullets) ClearBulletList(&world->bullets);
    Step();
  }
  void RunToAge(int age, bool keepBullets = false) {
    while (Alive(boss) && boss->age < age) Tick(keepBullets);
  }
  int ShotsBy(int type, int bulletType = -1) const {
    int n = 0;
    for (const Shot& s : g_shots) n += s.by == type && (bulletType < 0 || s.b->type == bulletType);
    return n;
  }
  std::vector<EnemyBullet*> BulletsBy(int type, int bulletType = -1) const {
    std::vector<EnemyBullet*> v;
    for (const Shot& s : g_shots)
      if (s.by == type && (bulletType < 0 || s.b->type == bulletType)) v.push_back(s.b);
    return v;
  }
  Enemy* Part(int slot) const { return boss->children[slot]; }
  void KillPart(int slot) { KillEnemy(true, world.get(), HitSourceMainShot, Part(slot)); }
  int64_t Score() const {
    return static_cast<int64_t>(world->player.scoreHigh) * ScoreLowLimit + world->player.scoreLow;
  }
  int Flag0() const { return world->stageScript->flags[0]; }
  int Count(int type) const {
    int n = 0;
    for (const Enemy* e = world->enemies.head; e; e = e->next) n += e->type == type;
    return n;
  }
};

TEST_F(TimelineBoss, SetUpRegistersByDifficulty) {
  // Boss: [2] [4] [5] [16] [17] [18] [19] [20] [21] [22] [32] [33] [34] [35].
  const int bossRows[8][14] = {
      {24, 160, 190, 3, 2, 8, 1, 190, 79, 545, 1, 84, 77, 1020}, {28, 125, 110, 4, 4, 14, 2, 152, 51, 291, 1, 84, 61, 586},
      {32, 113, 83, 5, 6, 20, 2, 133, 42, 241, 2, 42, 53, 500},  {36, 107, 70, 6, 8, 26, 3, 121, 37, 219, 2, 42, 48, 462},
      {40, 104, 62, 7, 10, 32, 3, 114, 35, 207, 3, 28, 45, 442}, {44, 101, 56, 8, 12, 38, 3, 108, 33, 199, 3, 28, 43, 429},
      {48, 100, 52, 8, 14, 44, 3, 104, 31, 194, 4, 21, 41, 420}, {52, 98, 50, 8, 16, 50, 3, 101, 30, 190, 4, 21, 40, 413},
  };
  const int bossRegs[13] = {2, 4, 5, 16, 17, 18, 19, 20, 21, 22, 32, 33, 34};
  // [35] after two frames with both bays not yet built (2 points, 6 % each): 1020 -> 958 -> 900.
  const int corePauseAtAge2[8] = {900, 517, 441, 407, 390, 378, 370, 364};
  // 93 [0..4] | 94 [0] [1] [2] [3] [6] | 95 [1] | 96 [1..3] | 97 [1..4] | 98 [0..2].
  const int partRows[8][21] = {
      {1, 1, 1, 67, 224, 1, 6, 41, 230, 1, 27, 4, 15, 80, 0, 2, 40, 80, 1, 0, 60},
      {2, 1, 1, 42, 192, 1, 7, 41, 207, 1, 24, 4, 15, 64, 0, 2, 40, 64, 1, 1, 30},
      {3, 1, 1, 34, 168, 2, 7, 23, 188, 2, 21, 7, 8, 53, 1, 3, 40, 53, 1, 1, 20},
      {5, 1, 1, 27, 149, 3, 8, 17, 172, 2, 19, 9, 6, 45, 1, 3, 40, 45, 1, 1, 15},
      {8, 2, 1, 24, 134, 5, 8, 13, 159, 3, 18, 14, 4, 40, 1, 4, 40, 40, 1, 1, 12},
      {11, 2, 2, 22, 122, 6, 9, 11, 147, 3, 16, 17, 3, 35, 2, 5, 20, 35, 3, 1, 10},
      {14, 3, 2, 21, 112, 8, 9, 10, 138, 4, 15, 22, 2, 32, 2, 5, 20, 32, 3, 3, 8},
      {17, 3, 3, 20, 103, 9, 10, 9, 129, 4, 14, 25, 2, 29, 2, 6, 20, 29, 5, 3, 7},
  };
  for (int d = 0; d < 8; ++d) {
    SCOPED_TRACE(d);
    SetUp();
    const int step = g_randomStep;
    MakeBoss(d, 100);
    EXPECT_EQ(DrawsSince(step), 2);  // the two wander phases; the parts draw nothing
    const int* r = boss->intRegs;
    for (int k = 0; k < 13; ++k) EXPECT_EQ(r[bossRegs[k]], bossRows[d][k]) << "boss " << bossRegs[k];
    EXPECT_EQ(r[35], corePauseAtAge2[d]);
    EXPECT_EQ(r[0], 1);  // the player was on the left
    EXPECT_EQ(r[1], -32768);
    EXPECT_EQ(r[3], 2);
    EXPECT_EQ(r[6], -1);
    EXPECT_EQ(r[23], r[22]);
    EXPECT_EQ(r[64], 2);  // the arms have not made their bays yet: 1 each
    EXPECT_FLOAT_EQ(boss->launchers[14].aimAngle, 270.0f);
    const int types[7] = {93, 93, 94, 94, 96, 97, 97};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Part(i)->type, types[i]);
    const int* p = partRows[d];
    for (int k = 0; k < 5; ++k) EXPECT_EQ(Part(0)->intRegs[k], p[k]) << "93 " << k;
    const int armRegs[5] = {0, 1, 2, 3, 6};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(Part(2)->intRegs[armRegs[k]], p[5 + k]) << "94 " << armRegs[k];
    for (int slot : kArmSlot) {
      ASSERT_EQ(Part(slot)->childCount, 1);
      const Enemy* bay = Part(slot)->children[0];
      ASSERT_NE(bay, nullptr);
      EXPECT_EQ(bay->type, 95);
      EXPECT_EQ(bay->intRegs[1], p[10]);
      // The bay starts 240 degrees round from its arm, toward the arm's side, turned by at most
      // one degree toward the player.
      const float start = slot == 2 ? -240.0f : 240.0f;
      EXPECT_LE(AngleDistance(bay->floatRegs[0], start), 1.0f + 1e-3f);
    }
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Part(4)->intRegs[1 + k], p[11 + k]) << "96 " << k;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Part(5)->intRegs[1 + k], p[14 + k]) << "97 " << k;
    // Spins mirror between the two plates and the two arms.
    EXPECT_FLOAT_EQ(Part(0)->floatRegs[0], -(d * 0.36f + 5.27f));
    EXPECT_FLOAT_EQ(Part(1)->floatRegs[0], d * 0.36f + 5.27f);
    EXPECT_FLOAT_EQ(Part(2)->floatRegs[0], -(d * 0.12f + 1.67f));
    EXPECT_FLOAT_EQ(Part(3)->floatRegs[0], d * 0.12f + 1.67f);
    Enemy* drone = Make(98, 180, 100, 270, 0);
    Tick();
    for (int k = 0; k < 3; ++k) EXPECT_EQ(drone->intRegs[k], p[18 + k]) << "98 " << k;
    TearDown();
  }
}

TEST_F(TimelineBoss, PartsRideOnTheBossAtTheirRadii) {
  MakeBoss(3);
  RunToAge(30);
  const float f = boss->facing;
  const struct {
    int slot;
    float angle, radius, dx;
  } rows[] = {{0, f - 24, 120, 0}, {1, f + 24, 120, 0}, {2, f - 90, 140, 0}, {3, f + 90, 140, 0},
              {4, f + 180, 83, 3}, {5, f + 180 + 46, 115, 3}, {6, f + 180 - 46, 115, 3}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.slot);
    const Enemy* p = Part(r.slot);
    float ox = 0, oy = 0;
    PolarToXY(&ox, &oy, r.angle, r.radius);
    EXPECT_NEAR(p->x, boss->x + r.dx + ox, 1e-3);
    EXPECT_NEAR(p->y, boss->y + oy, 1e-3);
  }
  // The bay rides 66 px out from its arm, at the arm's orbit angle plus its offset.
  const Enemy* arm = Part(3);
  const Enemy* bay = arm->children[0];
  float ox = 0, oy = 0;
  PolarToXY(&ox, &oy, arm->orbitAngle + bay->floatRegs[0], 66.0f);
  EXPECT_NEAR(bay->x, arm->x + ox, 1e-3);
  EXPECT_NEAR(bay->y, arm->y + oy, 1e-3);
  EXPECT_FLOAT_EQ(bay->facing, bay->orbitAngle);
}

TEST_F(TimelineBoss, CoastsThenHoversAroundWhereItStopped) {
  MakeBoss(0, 180, 3.0f);
  float speed = 3.0f * 0.93f * 0.93f;
  for (int age = 3; age < 60; ++age) {
    Tick();
    speed *= 0.93f;
    EXPECT_NEAR(boss->speed, speed, 1e-5) << age;
  }
  Tick();
  const float ax = boss->floatRegs[6], ay = boss->floatRegs[7];
  EXPECT_FLOAT_EQ(ax, boss->prevX);
  EXPECT_FLOAT_EQ(ay, boss->prevY);
  float maxSpeed = 0, maxDx = 0, maxDy = 0;
  for (int age = 61; age < 4200; ++age) {
    Tick();
    maxSpeed = MaxFloat(maxSpeed, boss->speed);
    maxDx = MaxFloat(maxDx, std::fabs(boss->x - ax));
    maxDy = MaxFloat(maxDy, std::fabs(boss->y - ay));
  }
  EXPECT_LT(maxSpeed, 0.008f / (1.0f - 0.922f) + 1e-3);  // the pull's terminal speed
  EXPECT_LT(maxDx, 40.0f);
  EXPECT_LT(maxDy, 16.0f);
  EXPECT_GT(maxDx + maxDy, 1.0f);
}

TEST_F(TimelineBoss, WithAllPartsAliveItFiresOnlyTheOpeningRings) {
  for (int d = 0; d < 8; ++d) {
    SCOPED_TRACE(d);
    SetUp();
    MakeBoss(d);
    std::vector<int> frames;
    int rings = 0;
    while (boss->age < 1000) {
      Tick();
      const int n = ShotsBy(92);
      if (n == 0) continue;
      frames.push_back(boss->age);
      rings += ShotsBy(92, 90);
    }
    if (d <= 3) {
      EXPECT_TRUE(frames.empty());
    } else {
      // The ring timer is set and advanced in the same frame: both guns fire at once.
      EXPECT_EQ(frames, std::vector<int>{20});
      EXPECT_EQ(rings, 2 * boss->intRegs[16] * boss->intRegs[17]);
    }
    EXPECT_EQ(boss->intRegs[6], -1);
    TearDown();
  }
}

// Part slots killed in this order raise the damage score by one each (no arm among them).
constexpr int kOnePointSlots[5] = {0, 1, 4, 5, 6};

TEST_F(TimelineBoss, TheCannonWakesAtItsScoreAndFiresItsBeam) {
  // turn: 120 / (pause + 24) whole degrees per frame (190, 110, 70, 62, 50 at D 0, 1, 3, 4, 7);
  // stretch: 115 / (D + 5).
  struct Case {
    int d, score;
    bool fires;
    float turn, stretch;
  } const cases[] = {{0, 4, false, 0, 23}, {0, 5, true, 0, 23}, {1, 3, false, 0, 19}, {1, 4, true, 0, 19},
                     {3, 4, true, 1, 14},  {4, 2, false, 1, 12}, {4, 3, true, 1, 12},  {7, 3, true, 1, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d << " score " << c.score);
    SetUp();
    MakeBoss(c.d, 300);  // the player off to the right: the barrel turns after the beam
    RunToAge(40);
    for (int i = 0; i < c.score; ++i) KillPart(kOnePointSlots[i]);
    RunToAge(489);
    EXPECT_EQ(boss->intRegs[64], c.score);
    const int* r = boss->intRegs;
    const int charge = r[4], shots = r[2], pause = r[5];
    const int effects = world->effects.count;
    std::vector<int> beamAges;
    std::vector<EnemyBullet> beam;
    const int start = 490, end = start + charge + 2 * shots + pause;
    float aimAtBeamEnd = 0, aimAfterFirstTurn = 0;
    while (boss->age < end + 2) {
      const int step = g_randomStep, effectsBefore = world->effects.count;
      Tick();
      // Draws: four per charge particle, two per core bullet (the rear parts are gone or idle).
      EXPECT_EQ(DrawsSince(step), 4 * (world->effects.count - effectsBefore) + 2 * ShotsBy(92, 4));
      for (EnemyBullet* b : BulletsBy(92, 11)) {
        beamAges.push_back(boss->age);
        beam.push_back(*b);
      }
      if (boss->age == start && c.fires) {
        // A particle spiralling into the muzzle, 63 px out along the barrel.
        const Effect* p = world->effects.tail;
        float mx = 0, my = 0, unused = 0;
        ShotOriginOf(boss, 14, &mx, &my, &unused);
        EXPECT_NEAR(p->baseX, mx, 4.0f);
        EXPECT_NEAR(p->baseY, my, 4.0f);
        EXPECT_NEAR(my - boss->launchers[14].y, 63.0f, 1e-3);
        EXPECT_GE(p->orbitRadius, 90.0f);
        EXPECT_LT(p->orbitRadius, 150.0f);
        EXPECT_FLOAT_EQ(p->orbitRadiusVel, -p->orbitRadius / 40.0f);
        EXPECT_FLOAT_EQ(p->orbitAngleVel, -8.4f);
        EXPECT_FLOAT_EQ(p->orbitAngleVelFactor, 1.02f);
        EXPECT_EQ(p->lifetime, 40);
        EXPECT_EQ(p->startColor, 0xFF000000u);
        EXPECT_EQ(p->endColor, 0xFFC0C060u);
      }
      if (boss->age == start + charge + 2 * shots) aimAtBeamEnd = boss->launchers[14].aimAngle;
      if (boss->age == start + charge + 2 * shots + 1) aimAfterFirstTurn = boss->launchers[14].aimAngle;
      if (boss->age == start + charge - 41) {
        EXPECT_EQ(world->effects.count - effects, c.fires ? charge - 40 : 0);
      }
    }
    if (!c.fires) {
      EXPECT_TRUE(beamAges.empty());
      EXPECT_EQ(r[6], -1);
      TearDown();
      continue;
    }
    ASSERT_EQ(static_cast<int>(beamAges.size()), shots);
    // Even timer values only: an odd charge time starts the beam a frame later.
    EXPECT_EQ(beamAges.front(), start + charge + charge % 2);
    EXPECT_EQ(beamAges[1] - beamAges[0], 2);
    const float b = g_bulletSpeedBase;
    const float big = c.d * 0.32f + 1.6f;
    EXPECT_FLOAT_EQ(beam.front().baseScaleX, big + 0.4f);
    EXPECT_FLOAT_EQ(beam.back().baseScaleX, big * 1.0f / shots + 0.4f);
    EXPECT_FLOAT_EQ(beam.front().speed, b);
    EXPECT_FLOAT_EQ(beam.front().direction, 270.0f);  // the first beam goes along the spawn facing
    EXPECT_FLOAT_EQ(beam.front().stretch, c.stretch);
    EXPECT_FLOAT_EQ(beam.front().friction, 0.97f);
    EXPECT_FLOAT_EQ(beam.front().accelFactor, 1.018f);
    EXPECT_FLOAT_EQ(beam.front().accelMagnitude, c.d * 0.0275f + 0.35f);
    // During the pause the barrel turns toward the player (22 degrees off), then the cycle
    // starts again; at D 0 and 1 it never turns.
    EXPECT_NEAR(AngleDistance(aimAtBeamEnd, aimAfterFirstTurn), c.turn, 1e-4);
    const float turned = AngleDistance(aimAtBeamEnd, boss->launchers[14].aimAngle);
    if (c.turn == 0) {
      EXPECT_FLOAT_EQ(boss->launchers[14].aimAngle, 270.0f);
    } else {
      EXPECT_GT(turned, 1.0f);
      EXPECT_LE(turned, pause + 1.0f);
    }
    EXPECT_GE(r[6], 0);
    EXPECT_LE(r[6], 2);
    TearDown();
  }
}

TEST_F(TimelineBoss, TheCoreWakesAtItsScoreAndItsPauseShrinksPerPoint) {
  // early: the timer's count from the boss's first two frames, when the bays not yet built
  // score 2 and that wakes the core from D 4 on.
  struct Case {
    int d, wakeScore, early;
  } const cases[] = {{0, 4, 0}, {1, 4, 0}, {2, 3, 0}, {3, 3, 0}, {4, 2, 2}, {7, 2, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    MakeBoss(c.d);
    RunToAge(25);  // past the opening rings
    const int pause0 = boss->intRegs[35];
    int pause = pause0;
    for (int i = 0; i < c.wakeScore; ++i) {
      EXPECT_EQ(boss->intRegs[36], c.early);
      KillPart(kOnePointSlots[i]);
      Tick();
      pause = MaxInt(pause * 94 / 100, 24);
      EXPECT_EQ(boss->intRegs[35], pause);
    }
    EXPECT_EQ(boss->intRegs[36], c.early + 1);  // counting from the frame the score passed the mark
    const int* r = boss->intRegs;
    const int leadIn = r[34], sprays = r[32], gap = r[33];
    std::vector<int> at;
    for (int t = c.early + 2; t <= leadIn + sprays * gap + pause + 1; ++t) {
      Tick();
      const std::vector<EnemyBullet*> core = BulletsBy(92, 4);
      if (core.empty()) continue;
      at.push_back(r[36]);
      ASSERT_EQ(core.size(), 12u);
      for (int l = 0; l < 12; ++l) {
        const EnemyBullet* b = core[l];
        const float aim = boss->launchers[2 + l].placementAngle + boss->facing;
        EXPECT_LE(AngleDistance(b->direction, aim), 18.0f);
        EXPECT_FLOAT_EQ(b->speed, 0.0f);
        EXPECT_FLOAT_EQ(b->spinStep, 53.2f);
        EXPECT_GE(b->accelMagnitude, c.d * 0.0026f + 0.05f - 1e-6f);
        EXPECT_LT(b->accelMagnitude, c.d * 0.0070f + 0.06f);
        EXPECT_FLOAT_EQ(b->friction, 0.988f);
        EXPECT_FLOAT_EQ(b->x, boss->launchers[2 + l].x);
      }
    }
    std::vector<int> expected;
    for (int s = 0; s < sprays; ++s) expected.push_back(leadIn + s * gap);
    EXPECT_EQ(at, expected);
    EXPECT_EQ(r[36], 1);  // one cycle round and counting again
    TearDown();
  }
}

TEST_F(TimelineBoss, DamageScoreCountsArmsTwiceAndLostBaysOnce) {
  MakeBoss(0);
  RunToAge(10);
  Enemy* arm = Part(2);
  KillEnemy(true, world.get(), HitSourceMainShot, arm->children[0]);
  Tick();
  EXPECT_EQ(boss->intRegs[64], 1);
  KillPart(2);  // the arm whose bay is gone: 2, the bay counts nothing more
  Tick();
  EXPECT_EQ(boss->intRegs[64], 2);
  KillPart(3);  // the other arm takes its bay with it
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_EQ(Count(95), 0);
  EXPECT_EQ(boss->intRegs[64], 4);
  for (int slot : kOnePointSlots) KillPart(slot);
  Tick();
  EXPECT_EQ(boss->intRegs[64], 9);
}

// In its first two frames the arms have not made their bays yet: each counts 1, and the core's
// pause shrinks by 6 % per point as the score goes 0 -> 2 -> 2 -> 0 (four times in all). From D 4
// a score of 2 also wakes the core's timer for those two frames.
TEST_F(TimelineBoss, BaysNotYetBuiltCountAsLost) {
  struct Case {
    int d, pauseAtAge1, pauseAtAge3, coreTimerAtAge3;
  } const cases[] = {{0, 900, 795, 0}, {2, 441, 389, 0}, {4, 390, 344, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    boss = Make(92, 180, 40, 270, 3);
    const int scores[3] = {2, 2, 0}, pauses[3] = {c.pauseAtAge1, c.pauseAtAge1, c.pauseAtAge3};
    for (int age = 1; age <= 3; ++age) {
      Tick();
      EXPECT_EQ(boss->intRegs[64], scores[age - 1]) << age;
      EXPECT_EQ(boss->intRegs[35], pauses[age - 1]) << age;
    }
    EXPECT_NE(Part(2)->children[0], nullptr);
    EXPECT_EQ(boss->intRegs[36], c.coreTimerAtAge3);
    TearDown();
  }
}

// The ring gun's arms start on whole degrees, (j x 360) / arms; along an arm the bullets spread
// over width percent of 360 / arms in float (in whole numbers that spread is 0: stacked).
TEST_F(TimelineBoss, RingArmsStartOnWholeDegreesAndSpreadTheirBullets) {
  struct Case {
    int d;
    std::vector<float> armStarts;
    float step;  // between neighbours along an arm
  } const cases[] = {
      {0, {0, 120, 240}, 9.6f},                          // 3 arms of 2 at 8 %: 120 x 0.08
      {4, {0, 51, 102, 154, 205, 257, 308}, 1.813333f},  // 7 arms of 10 at 32 %: 51 x 0.32 / 9
      {7, {0, 45, 90, 135, 180, 225, 270, 315}, 1.5f},   // 8 arms of 16 at 50 %: 45 x 0.5 / 15
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    MakeBoss(c.d);
    RunToAge(30);  // past the opening rings
    KillPart(3);   // ring gun 0 runs
    std::vector<EnemyBullet*> ring;
    while (ring.empty() && boss->age < 1000) {
      Tick();
      ring = BulletsBy(92, 90);
    }
    const int arms = static_cast<int>(c.armStarts.size()), per = boss->intRegs[17];
    ASSERT_EQ(static_cast<int>(ring.size()), arms * per);
    const float a = ring[0]->direction;
    for (int j = 0; j < arms; ++j)
      for (int m = 0; m < per; ++m)
        EXPECT_NEAR(AngleDistance(ring[j * per + m]->direction, a + c.armStarts[j] + m * c.step), 0.0f, 1e-3)
            << "arm " << j << " bullet " << m;
    TearDown();
  }
}

TEST_F(TimelineBoss, ARingGunRunsWithoutEndOnceItsArmIsGone) {
  MakeBoss(3, 180);  // no opening rings below difficulty 4
  RunToAge(30);
  const int* r = boss->intRegs;
  const int leadIn = r[21], rings = r[19], gap = r[20], arms = r[16], per = r[17], width = r[18];
  int pause = r[22];
  KillPart(3);  // ring gun 0 belongs to the arm in slot 3
  const int killedAt = boss->age;
  std::vector<int> volleys;
  std::vector<int> expected;
  int cycleStart = killedAt;
  for (int cycle = 0; cycle < 3; ++cycle) {
    for (int k = 0; k < rings; ++k) expected.push_back(cycleStart + leadIn + k * gap);
    cycleStart += leadIn + rings * gap + pause;
    pause = MaxInt(pause * 74 / 100, 8);  // shrinks by 26 % each cycle
  }
  while (boss->age < expected.back() + 1) {
    Tick();
    const std::vector<EnemyBullet*> ring = BulletsBy(92, 90);
    if (ring.empty()) continue;
    volleys.push_back(boss->age);
    ASSERT_EQ(static_cast<int>(ring.size()), arms * per);
    EXPECT_EQ(r[24], 65535);
    const EnemyBullet* first = ring.front();
    const EnemyBullet* armEnd = ring[per - 1];
    const EnemyBullet* nextArm = ring[per];
    EXPECT_FLOAT_EQ(first->spinStep, -33.0f);
    EXPECT_FLOAT_EQ(first->speed, g_bulletSpeedBase);
    EXPECT_FLOAT_EQ(first->friction, 0.92f);
    EXPECT_FLOAT_EQ(first->accelMagnitude, 0.16f);
    EXPECT_EQ(first->pulseOn, 1);
    EXPECT_FLOAT_EQ(first->pulseStep, 14.0f);
    EXPECT_NEAR(AngleDistance(first->direction, nextArm->direction), 360.0f / arms, 1e-3);
    EXPECT_NEAR(AngleDistance(first->direction, armEnd->direction), 360.0f / arms * width / 100.0f, 1e-3);
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(boss, 0, &ox, &oy, &unused);
    EXPECT_FLOAT_EQ(first->x, ox);
  }
  EXPECT_EQ(volleys, expected);
  EXPECT_EQ(r[26 + 1], 0);  // the other gun stays idle while its arm lives
}

TEST_F(TimelineBoss, ArmsStartAtAge360AndHandTheirBaysDrones) {
  struct Case {
    int d;
    float playerX;
    int first;  // slot of the arm that starts first
    bool killFirst;
  } const cases[] = {{3, 100, 3, false}, {3, 260, 2, false}, {6, 100, 3, false}, {3, 260, 2, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d << " first " << c.first << " killed " << c.killFirst);
    SetUp();
    MakeBoss(c.d, c.playerX);
    const int second = 5 - c.first;
    if (c.killFirst) {
      RunToAge(100);
      KillPart(c.first);
    }
    RunToAge(359);
    EXPECT_EQ(Part(second)->intRegs[4], 0);
    Tick();
    Enemy* arm = Part(c.killFirst ? second : c.first);
    ASSERT_NE(arm, nullptr);
    EXPECT_EQ(arm->intRegs[4], 1);
    EXPECT_EQ(arm->intRegs[5], 1);
    const int* a = arm->intRegs;
    const int shots = a[0], gap = a[2], per = a[1], pause = a[3], drones = a[6];
    EXPECT_EQ(boss->intRegs[1], (shots * gap + pause) / 2);
    Enemy* bay = arm->children[0];
    const int bayGap = bay->intRegs[1];
    std::vector<int> shotAges, droneAges;
    Enemy* other = c.killFirst ? nullptr : Part(second);
    const int secondAt = 360 + boss->intRegs[1];
    while (boss->age < 360 + shots * gap + pause + 2) {
      const int before = Count(98);
      Tick();
      if (other && boss->age == secondAt - 1) {
        EXPECT_EQ(other->intRegs[4], 0);
      }
      if (other && boss->age == secondAt) {
        EXPECT_EQ(other->intRegs[4], 1);
      }
      const std::vector<EnemyBullet*> made = BulletsBy(94);
      int mine = 0;
      for (EnemyBullet* b : made) mine += b->baseX == arm->x;
      if (mine > 0 && (!other || boss->age < secondAt)) {
        shotAges.push_back(boss->age);
        EXPECT_EQ(mine, 4 * per);
        EXPECT_EQ(made[0]->type, 1);
        EXPECT_EQ(made[per]->type, 11);
        EXPECT_FLOAT_EQ(made[0]->orbitRadius, 0.0f);
        EXPECT_NEAR(made[per]->orbitRadius, 11.0f * 1.8f, 1e-3);
        EXPECT_FLOAT_EQ(made[per]->orbitAngleVel, arm->floatRegs[0]);
        EXPECT_FLOAT_EQ(made[0]->spinStep, 2.0f * arm->floatRegs[0]);
      }
      // Only this arm's bay can launch before the other arm's first shots are over.
      if (Count(98) > before && (!other || boss->age < secondAt + shots * gap)) {
        droneAges.push_back(boss->age);
        const Enemy* d = world->enemies.tail;
        EXPECT_EQ(d->type, 98);
        EXPECT_FLOAT_EQ(d->speed, 8.0f);
        EXPECT_FLOAT_EQ(d->direction, bay->facing);
        EXPECT_EQ(d->parent, nullptr);
      }
    }
    ASSERT_EQ(static_cast<int>(shotAges.size()), shots);
    EXPECT_EQ(shotAges.front(), 360 + gap - 2);
    // The bay gets its drones at the end of the shots and launches one every bayGap frames.
    ASSERT_EQ(static_cast<int>(droneAges.size()), drones);
    const int handed = 359 + shots * gap;
    for (int k = 0; k < drones; ++k) EXPECT_EQ(droneAges[k], handed + bayGap * (k + 1) - 2) << k;
    // The pause grows every cycle.
    EXPECT_EQ(a[3], MaxInt(pause * (c.d + 8) / (c.d + 7), 1));
    TearDown();
  }
}

TEST_F(TimelineBoss, SidePlatesFireInwardCrossesFromTheFirstFrame) {
  for (int d : {0, 4, 7}) {
    SCOPED_TRACE(d);
    SetUp();
    MakeBoss(d);
    const Enemy* plate = Part(1);
    const int* r = plate->intRegs;
    const int shots = r[0], gap = r[3], cycle = r[0] * r[3] + r[4];
    const int perShot = 4 * (r[1] + r[2]);
    std::vector<int> ages;
    while (plate->age < cycle + gap) {
      Tick();
      const std::vector<EnemyBullet*> made = BulletsBy(93);
      if (made.empty()) continue;
      ASSERT_EQ(static_cast<int>(made.size()), 2 * perShot);  // both plates
      ages.push_back(plate->age);
      EXPECT_FLOAT_EQ(made[0]->speed, (g_bulletSpeedBase - 3.5f) * 0.3f + 2.45f);
      EXPECT_FLOAT_EQ(made[0]->spinStep, 2.0f * Part(0)->floatRegs[0]);
      EXPECT_FLOAT_EQ(made[0]->baseScaleX, 0.3f);
    }
    std::vector<int> expected;
    for (int k = 0; k < shots; ++k) expected.push_back(gap - 1 + k * gap);
    expected.push_back(cycle + gap - 1);
    EXPECT_EQ(ages, expected);
    TearDown();
  }
}

TEST_F(TimelineBoss, RearPartsFireTheBurstsTheBossCountsOut) {
  struct Case {
    int d, fountainBursts, ringBursts;
    float stretch;  // 115 / (D + 5)
  } const cases[] = {{0, 2, 1, 23}, {1, 3, 1, 19}, {2, 3, 1, 16}, {5, 3, 1, 11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    MakeBoss(c.d);
    RunToAge(79);
    Tick();
    EXPECT_EQ(Part(4)->intRegs[0], c.fountainBursts);
    const int* f = Part(4)->intRegs;
    const int* q = Part(5)->intRegs;
    int fountain = 0, rings = 0, draws = 0;
    while (boss->age < 700) {
      const int step = g_randomStep;
      Tick();
      if (boss->age == 110) {
        EXPECT_EQ(Part(5)->intRegs[0], c.ringBursts);
      }
      const int nf = ShotsBy(96), nr = ShotsBy(97);
      fountain += nf;
      rings += nr;
      draws += DrawsSince(step);
      for (EnemyBullet* b : BulletsBy(97)) {
        EXPECT_GE(b->speed, g_bulletSpeedBase / q[1] - 1e-4);
        EXPECT_FLOAT_EQ(b->stretch, c.stretch);
      }
      for (EnemyBullet* b : BulletsBy(96)) EXPECT_FLOAT_EQ(b->stretch, c.stretch);
    }
    EXPECT_EQ(fountain, c.fountainBursts * f[1]);
    EXPECT_EQ(rings, 2 * c.ringBursts * q[1] * q[2]);  // none below difficulty 2
    EXPECT_EQ(draws, 3 * fountain + rings);
    TearDown();
  }
  // A lost arm adds a burst to the rear rings' next command.
  SetUp();
  MakeBoss(3);
  RunToAge(700);
  KillPart(2);
  RunToAge(800);
  EXPECT_EQ(Part(5)->intRegs[0], 2);
  EXPECT_EQ(Part(6)->intRegs[0], 2);
}

TEST_F(TimelineBoss, DronesFireThreeFansUntilLowOnTheField) {
  struct Case {
    int d;
    float y;
    bool fires;
  } const cases[] = {{0, 100, true}, {0, 370, false}, {1, 200, true}, {4, 470, true}, {7, 476, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "D " << c.d << " y " << c.y);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(98, 180, c.y, 250, 0);
    std::vector<int> ages;
    for (int f = 0; f < 130; ++f) {
      Tick();
      const std::vector<EnemyBullet*> made = BulletsBy(98);
      if (made.empty()) continue;
      ages.push_back(e->age);
      const int* r = e->intRegs;
      ASSERT_EQ(static_cast<int>(made.size()), r[0] + 2 * r[1]);
      EXPECT_NEAR(AngleDistance(made[0]->direction, 250.0f), (r[0] - 1) * 1.8f, 1e-3);
      if (r[1] > 0) {
        EXPECT_NEAR(AngleDistance(made[r[0]]->direction, 10.0f), (r[1] - 1) * 1.8f, 1e-3);
      }
      EXPECT_FLOAT_EQ(made[0]->speed, 0.0f);
      EXPECT_FLOAT_EQ(made[0]->accelMagnitude, c.d * 0.0045f + 0.065f);
      EXPECT_FLOAT_EQ(made[0]->accelAngle, made[0]->direction);
      EXPECT_FLOAT_EQ(made[0]->stretch, 4.2f);
    }
    if (!c.fires) {
      EXPECT_TRUE(ages.empty());
    } else {
      const int p = e->intRegs[2];
      ASSERT_FALSE(ages.empty());
      EXPECT_EQ(ages[0], p / 3 > 1 ? p / 3 : p + p / 3);
      for (size_t k = 1; k < ages.size(); ++k) EXPECT_EQ(ages[k] - ages[k - 1], p);
    }
    TearDown();
  }
}

// Debris piece i of n flies at (i x 360) / n + facing: seven pieces at 0, 51, 102, 154, 205, 257,
// 308 (5, 6 and 8 divide 360).
float DebrisOffset(int i, int n) {
  const float seven[7] = {0, 51, 102, 154, 205, 257, 308};
  return n == 7 ? seven[i] : 360.0f / n * i;
}

TEST_F(TimelineBoss, DeathSequenceSilencesThePartsThenEndsEverything) {
  MakeBoss(3, 100);
  RunToAge(430);  // the first arm has launched its drones
  const int drones = Count(98);
  ASSERT_GT(drones, 0);
  KillEnemy(true, world.get(), HitSourceMainShot, boss);
  world->player.x = 300;  // the bays turn after the moved player
  EXPECT_EQ(boss->dyingCounter, -1);
  EXPECT_EQ(boss->phase, -1);
  EXPECT_EQ(Score(), 0);
  std::vector<Enemy*> parts(boss->children, boss->children + 7);
  std::vector<Enemy*> bays = {Part(2)->children[0], Part(3)->children[0]};
  const float spin = Part(3)->floatRegs[0];
  const float bayOffset = bays[1]->floatRegs[0];
  const int effects = world->effects.count;
  int partShots = 0, bursts = 0, sevens = 0;
  float vy = boss->vy;
  for (int pf = 1; pf < 128; ++pf) {
    const int effectsBefore = world->effects.count;
    Tick();
    if (pf == 1) {
      // Debris around a random point of the body, in the tint times 2 / 3.
      const int n = boss->intRegs[128];
      EXPECT_EQ(world->effects.count - effectsBefore, n);
      const float sx = 3.6f, sy = 5.5f, k = sx * std::sqrt(sy);
      EXPECT_FLOAT_EQ(boss->floatRegs[130], (k + 2.0f) * 0.8f);
      EXPECT_FLOAT_EQ(boss->floatRegs[131], k * 0.1f);
      EXPECT_LE(Hypot(boss->floatRegs[128], boss->floatRegs[129]), (sx + sy) * 11.0f);
      const Effect* p = world->effects.tail;
      EXPECT_FLOAT_EQ(p->baseX, boss->prevX + boss->floatRegs[128]);
      EXPECT_FLOAT_EQ(p->startScaleY, boss->floatRegs[131]);
      EXPECT_FLOAT_EQ(p->endScaleX, boss->floatRegs[130]);
      EXPECT_FLOAT_EQ(p->friction, 0.95f);
      EXPECT_EQ(p->startColor, 0xAA2A958Au);  // 0xFF40E0D0 dimmed
    }
    if (pf % 6 == 1) {
      const int n = boss->intRegs[128];
      sevens += n == 7;
      const Effect* p = world->effects.tail;
      for (int i = n - 1; i >= 0; --i, p = p->prev)
        EXPECT_NEAR(AngleDistance(p->direction, boss->facing + DebrisOffset(i, n)), 0.0f, 1e-3) << i << " of " << n;
    }
    for (int t = 93; t <= 97; ++t) partShots += ShotsBy(t);
    EXPECT_EQ(ShotsBy(92), 0);
    if (pf % 6 == 1) {
      ++bursts;
      EXPECT_GE(boss->intRegs[128], 5);
      EXPECT_LE(boss->intRegs[128], 8);
    }
    EXPECT_NEAR(boss->vy, vy * 0.983f + 0.01f, 1e-5);
    vy = boss->vy;
    EXPECT_NEAR(Part(3)->floatRegs[0], spin * std::pow(0.986f, pf), 1e-4);
  }
  EXPECT_EQ(partShots, 0);
  EXPECT_EQ(bursts, 22);
  EXPECT_GT(sevens, 0);  // where whole degrees differ from 360 / 7
  EXPECT_GE(world->effects.count - effects, 22 * 5);
  EXPECT_LE(world->effects.count - effects, 22 * 8);
  EXPECT_NE(bays[1]->floatRegs[0], bayOffset);  // the bays keep aiming
  EXPECT_EQ(Flag0(), 0);
  Enemy* drone = Make(98, 180, 200, 270, 0);  // the launched ones have flown off by now
  Tick();  // phase frame 128: the real death
  EXPECT_EQ(Flag0(), 1);
  EXPECT_EQ(Score(), boss->score);
  EXPECT_EQ(boss->dyingCounter, 1);
  for (Enemy* p : parts) EXPECT_EQ(p->dyingCounter, 1);
  for (Enemy* b : bays) EXPECT_EQ(b->dyingCounter, 1);
  EXPECT_EQ(Score(), boss->score);  // the parts died without reward
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_EQ(world->enemies.count, Count(98));
  EXPECT_TRUE(Alive(drone));  // drones have no parent and live on
  EXPECT_EQ(drone->dyingCounter, 0);
}

TEST_F(TimelineBoss, WithoutAStageScriptTheDeathWritesNoFlag) {
  delete world->stageScript;
  world->stageScript = nullptr;
  MakeBoss(1);
  KillEnemy(true, world.get(), HitSourceBomb, boss);
  for (int i = 0; i < 128; ++i) Tick();
  EXPECT_EQ(boss->dyingCounter, 1);
  EXPECT_EQ(Score(), boss->score);
}

TEST_F(TimelineBoss, LeavesUpwardAfterAge4200AndSetsTheFlag) {
  MakeBoss(0);
  RunToAge(4200);
  EXPECT_EQ(Flag0(), 0);
  float vy = boss->vy;
  while (Alive(boss) && boss->dyingCounter == 0) {
    Tick();
    if (boss->dyingCounter != 0) break;
    EXPECT_NEAR(boss->vy, vy * 0.997f - 0.04f, 1e-5);
    vy = boss->vy;
    EXPECT_EQ(Flag0(), boss->prevY < -100.0f ? 1 : 0);
  }
  EXPECT_EQ(Flag0(), 1);
  EXPECT_EQ(boss->removeOffField, 1);
  EXPECT_EQ(boss->dyingCounter, 2);
  // Its parts and bays go without reward once it is gone; no part fires after it left.
  int partShots = 0;
  for (int i = 0; i < 8; ++i) {
    Tick();
    for (int t = 93; t <= 97; ++t) partShots += ShotsBy(t);
  }
  EXPECT_EQ(partShots, 0);
  EXPECT_EQ(world->enemies.count, Count(98));
  EXPECT_EQ(Score(), 0);
}

// Every parent link and child slot of a listed enemy names a listed enemy.
::testing::AssertionResult LinksStayInTheList(const EnemyList& list) {
  std::vector<const Enemy*> listed;
  for (const Enemy* e = list.head; e; e = e->next) listed.push_back(e);
  const auto listedHas = [&](const Enemy* p) { return std::find(listed.begin(), listed.end(), p) != listed.end(); };
  for (const Enemy* e : listed) {
    if (e->parent && !listedHas(e->parent)) return ::testing::AssertionFailure() << "parent of type " << e->type;
    for (const Enemy* c : e->children)
      if (c && !listedHas(c)) return ::testing::AssertionFailure() << "child slot of type " << e->type;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(TimelineBoss, NoKillOrderLeavesALinkToARemovedEnemy) {
  for (int seed = 1; seed <= 10; ++seed) {
    SCOPED_TRACE(seed);
    SetUp();
    MakeBoss(seed % 8, seed * 30.0f);
    uint32_t rng = static_cast<uint32_t>(seed) * 2654435761u;
    const auto next = [&](uint32_t n) {
      rng = rng * 1664525u + 1013904223u;
      return (rng >> 8) % n;
    };
    // Two runs let the boss leave by age; the others kill it at some point.
    const int frames = seed <= 2 ? 4600 : 900;
    for (int f = 0; f < frames && world->enemies.count > 0; ++f) {
      if (next(seed <= 2 ? 200 : 25) == 0) {
        std::vector<Enemy*> live;
        for (Enemy* e = world->enemies.head; e; e = e->next)
          if (e->dyingCounter == 0 && (seed <= 2 ? e->type != 92 : true)) live.push_back(e);
        if (!live.empty()) KillEnemy(next(2) == 0, world.get(), HitSourceMainShot, live[next(live.size())]);
      }
      Tick();
      ASSERT_TRUE(LinksStayInTheList(world->enemies)) << "frame " << f;
    }
    TearDown();
  }
}

TEST_F(TimelineBoss, APartWithoutItsParentDiesWithoutReward) {
  for (int type = 93; type <= 97; ++type) {
    SCOPED_TRACE(type);
    SetUp();
    Enemy* e = Make(type, 100, 100, 0, 0);
    Tick();
    EXPECT_EQ(e->dyingCounter, 1);
    EXPECT_GT(world->effects.count, 0);
    EXPECT_EQ(Score(), 0);
    EXPECT_EQ(world->items.count, 0);
    if (type == 94) {
      EXPECT_EQ(Count(95), 0);  // an orphaned arm makes no bay
    }
    TearDown();
  }
  // A bay whose arm is shot down goes in the same frame.
  SetUp();
  MakeBoss(2);
  RunToAge(20);
  Enemy* bay = Part(2)->children[0];
  KillPart(2);
  Tick();
  EXPECT_EQ(bay->dyingCounter, 1);
  EXPECT_EQ(bay->parent, nullptr);
}

TEST_F(TimelineBoss, CatalogueRows) {
  struct Row {
    int type, body;
    uint32_t tint;
    float sx, sy, orbit;
    int launchers;
    const char* children;
  } const rows[] = {
      {92, 154, 0xFF40E0D0, 3.6f, 5.5f, 0, 15, "1122455"}, {93, 153, 0xFF30B0E0, 1.3f, 1.3f, 120, 8, ""},
      {94, 152, 0xFF30E090, 1.8f, 1.8f, 140, 4, "1"},      {95, 154, 0xFFE09030, 1.85f, 2.35f, 66, 1, ""},
      {96, 154, 0xFFC040E0, 2, 2, 83, 1, ""},              {97, 154, 0xFF70E090, 1.8f, 1.8f, 115, 1, ""},
      {98, 154, 0xFFE00040, 1, 1, 0, 1, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type);
    const EnemyTypeRow* row = FindEnemyTypeRow(r.type);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->bodySprite, r.body);
    EXPECT_EQ(row->tint, r.tint);
    EXPECT_FLOAT_EQ(row->scaleX, r.sx);
    EXPECT_FLOAT_EQ(row->scaleY, r.sy);
    EXPECT_FLOAT_EQ(row->orbitRadius, r.orbit);
    EXPECT_EQ(row->launcherCount, r.launchers);
    EXPECT_STREQ(row->children, r.children);
    EXPECT_EQ(row->removeOffField, r.type == 98 ? 1 : 0);
  }
  Enemy* b = Make(92, 180, 100, 270, 0);
  EXPECT_EQ(b->launchers[14].mode, LauncherBarrel);
  EXPECT_FLOAT_EQ(b->launchers[14].scale, 2.1f);
  EXPECT_FLOAT_EQ(b->launchers[13].placementAngle, -72.0f);
  EXPECT_FLOAT_EQ(b->launchers[13].distance, 9.0f);
  Enemy* p = Make(93, 0, 0, 0, 0);
  EXPECT_FLOAT_EQ(p->launchers[7].placementAngle, 315.0f);
  EXPECT_FLOAT_EQ(p->launchers[7].distance, 11.0f);
  EXPECT_FLOAT_EQ(p->launchers[7].scale, 0.47f);
}

TEST(TimelineBossStageCheck, OnlyPhaseZeroIsAccepted) {
  const auto check = [](const std::string& text) {
    return CheckStageBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };
  const auto mentions92 = [](const std::vector<StageProblem>& problems) {
    for (const StageProblem& p : problems)
      if (p.message.find("92") != std::string::npos) return true;
    return false;
  };
  EXPECT_FALSE(mentions92(check("e1 92 0 0 0 0 0\r\ns2 2\r\n")));
  EXPECT_TRUE(mentions92(check("e1 92 1 0 0 0 0\r\ns2 2\r\n")));
  EXPECT_TRUE(mentions92(check("e1 92 -1 0 0 0 0\r\ns2 2\r\n")));
}

}  // namespace
