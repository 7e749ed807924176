#include <cmath>
#include <utility>
#include <vector>

#include "enemy/EnemyCatalogue.h"
#include "small_enemies_fixture.h"

namespace {

class SmallEnemiesA : public SmallEnemyTest {};

constexpr int kNever = 32768;

}  // namespace

// Registers at phase entry against the values by difficulty of types 2, 3 and 5.
TEST_F(SmallEnemiesA, EntryRegistersByDifficulty) {
  struct Row {
    int t2first, t2squares, t2perSide, t2interval;
    int t3volleys, t3perSide, t3pause, t3delay;
    int t5volleys, t5bullets, t5interval;
    float t5first, t5last;
  } const rows[8] = {
      {kNever, -3, -21, 9, 1, -1, 70, 42, 1, 1, 16, 3.0f, 5.0f},
      {kNever, -1, -15, 8, 1, 0, 63, 36, 3, 1, 10, 2.7f, 6.2f},
      {kNever, 1, -9, 7, 1, 1, 56, 30, 5, 1, 8, 2.4f, 7.4f},
      {kNever, 3, -3, 6, 1, 1, 49, 24, 7, 1, 6, 2.1f, 8.6f},
      {38, 5, 3, 5, 2, 3, 42, 18, 9, 2, 5, 1.8f, 9.8f},
      {30, 7, 8, 4, 2, 4, 35, 12, 43, 3, 4, 1.5f, 11.0f},
      {22, 9, 10, 3, 3, 5, 28, 10, 45, 4, 4, 1.2f, 12.2f},
      {14, 11, 12, 2, 3, 6, 21, 10, 47, 5, 3, 0.9f, 13.4f},
  };
  for (int d = 0; d < 8; ++d) {
    Reset();
    SetDifficulty(d);
    const Row& w = rows[d];
    Enemy* t2 = Make(2, 0, 100, 100, 270, 1);
    Enemy* t3 = Make(3, 0, 180, 100, 270, 1);
    Enemy* t5 = Make(5, 0, 260, 300, 90, 1);
    Frame();
    if (w.t2first == kNever) {
      EXPECT_GE(t2->intRegs[0], kNever) << d;
    } else {
      EXPECT_EQ(t2->intRegs[0], w.t2first) << d;
    }
    EXPECT_EQ(t2->intRegs[1], w.t2squares) << d;
    EXPECT_EQ(t2->intRegs[2], w.t2perSide) << d;
    EXPECT_EQ(t2->intRegs[3], w.t2interval) << d;
    EXPECT_EQ(t3->intRegs[0], w.t3volleys) << d;
    EXPECT_EQ(t3->intRegs[1], w.t3perSide) << d;
    EXPECT_EQ(t3->intRegs[2], 5) << d;
    EXPECT_EQ(t3->intRegs[3], w.t3pause) << d;
    EXPECT_EQ(t3->intRegs[4], w.t3delay) << d;
    EXPECT_EQ(t5->intRegs[0], w.t5volleys) << d;
    EXPECT_EQ(t5->intRegs[1], w.t5bullets) << d;
    EXPECT_EQ(t5->intRegs[2], w.t5interval) << d;
    EXPECT_NEAR(t5->floatRegs[1], w.t5first, 1e-5) << d;
    EXPECT_NEAR(t5->floatRegs[2], w.t5last, 1e-5) << d;
  }
}

// Registers of the gunship's two versions and of the carrier's two anchor phases.
TEST_F(SmallEnemiesA, GunshipAndCarrierRegistersByDifficulty) {
  // side volleys, per volley, interval, ring delay, rings, per ring, ring interval.
  const int v1[8][7] = {
      {6, 1, 9, 150, 1, 6, 20},   {8, 1, 8, 120, 1, 12, 18},  {10, 1, 7, 100, 1, 18, 16},
      {16, 1, 6, 85, 1, 24, 14},  {22, 3, 5, 75, 3, 30, 12},  {28, 5, 4, 0, 7, 36, 20},
      {40, 7, 3, 60, 269, 42, 8}, {54, 9, 2, 54, 277, 48, 6},
  };
  const int v11[8][7] = {
      {6, 1, 8, 150, 1, 6, 20},  {8, 1, 7, 120, 1, 12, 18}, {10, 1, 6, 100, 1, 18, 16},
      {16, 1, 5, 85, 1, 24, 14}, {22, 3, 4, 75, 3, 30, 12}, {28, 5, 3, 0, 7, 36, 30},
      {34, 7, 2, 60, 13, 42, 8}, {40, 9, 1, 54, 21, 48, 6},
  };
  // phase 1: strings, volleys per string, spacing, per volley, delay, tail;
  // phase 2: fans, spacing, even size, odd size, delay, tail.
  const int c1[8][6] = {
      {3, 1, 40, 1, 40, 120}, {4, 2, 15, 1, 30, 51}, {5, 3, 8, 1, 24, 32}, {6, 4, 5, 1, 20, 24},
      {7, 5, 3, 1, 17, 18},   {8, 6, 2, 2, 15, 15},  {9, 7, 1, 3, 13, 13}, {10, 8, 1, 4, 12, 11},
  };
  const int c2[8][6] = {
      {6, 16, 1, 1, 24, 140}, {9, 10, 1, 1, 13, 52}, {12, 7, 1, 2, 9, 32}, {15, 5, 2, 3, 7, 23},
      {18, 4, 3, 4, 6, 18},   {21, 3, 4, 5, 5, 15},  {24, 3, 5, 6, 4, 12}, {27, 2, 6, 7, 3, 11},
  };
  for (int d = 0; d < 8; ++d) {
    Reset();
    SetDifficulty(d);
    Enemy* g1 = Make(4, 1, 100, 100, 90, 0);
    Enemy* g11 = Make(4, 11, 200, 100, 90, 0);
    Enemy* a1 = Make(6, 1, 100, 200, 90, 0);
    Enemy* a2 = Make(6, 2, 200, 200, 90, 0);
    Frame();
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(g1->intRegs[i], v1[d][i]) << "d " << d << " reg " << i;
      EXPECT_EQ(g11->intRegs[i], v11[d][i]) << "d " << d << " reg " << i;
    }
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(a1->intRegs[i + 1], c1[d][i]) << "d " << d << " reg " << i + 1;
      EXPECT_EQ(a2->intRegs[i + 1], c2[d][i]) << "d " << d << " reg " << i + 1;
    }
  }
}

// Type 2 at difficulty 4: five expanding squares of 4 x 3 bullets from frame 38, five frames
// apart, each slower; it sinks at no less than 0.5 px per frame. Below 4 it never fires.
TEST_F(SmallEnemiesA, Type2ExpandingSquares) {
  Enemy* e = Make(2, 0, 180, 40, 270, 1);
  const std::vector<SmallEnemyFrame> run = Run(120);
  EXPECT_EQ(FiringFrames(run), (std::vector<int>{38, 43, 48, 53, 58}));
  for (const SmallEnemyFrame& f : run) EXPECT_EQ(f.draws, 0);
  for (int v = 0; v < 5; ++v) {
    const SmallEnemyFrame& f = run[37 + 5 * v];
    ASSERT_EQ(f.bullets.size(), 12u);
    const float s = static_cast<float>(5 - v + 9) * 5.8f / std::sqrt(2.0f) / 15.0f;
    // The first bullet of each side sits at the corner: 45 degrees past the side, speed s x sqrt 2.
    // The first square comes before the block turns (facing 270).
    if (v == 0) {
      EXPECT_NEAR(AngleDiff(f.bullets[0]->direction, 315.0f), 0, 1e-3);
    }
    for (int q = 0; q < 4; ++q) {
      const EnemyBullet* b = f.bullets[3 * q];
      EXPECT_EQ(b->type, 15);
      EXPECT_EQ(b->facingMode, BulletFaceMotion);
      EXPECT_EQ(b->stretch, 12.0f);
      EXPECT_NEAR(b->speed, s * std::sqrt(2.0f), 1e-4) << v;
      EXPECT_NEAR(AngleDiff(b->direction, 90.0f * q + f.bullets[0]->direction), 0, 1e-3) << v;
      // The middle bullet (o = -s / 3) lies on the side, 18.43 degrees off its centre.
      const EnemyBullet* m = f.bullets[3 * q + 1];
      EXPECT_NEAR(m->speed, Hypot(s, s / 3.0f), 1e-4);
    }
  }
  EXPECT_GE(e->vy, 0.5f);

  for (int d = 0; d < 4; ++d) {
    Reset();
    SetDifficulty(d);
    Make(2, 0, 180, 40, 270, 1);
    EXPECT_EQ(BulletCount(Run(400)), 0u) << d;
  }
}

// The block turns one of its sides toward the player, 0.8 degrees per frame at most.
TEST_F(SmallEnemiesA, Type2TurnsASideTowardThePlayer) {
  world->player.x = 330;
  world->player.y = 120;
  Enemy* e = Make(2, 0, 60, 40, 270, 0);
  Run(38);
  // Each frame the facing moves by at most 0.8 degrees, seen modulo the square's 90.
  float last = e->facing;
  for (int i = 0; i < 80; ++i) {
    Frame();
    const float m = std::fmod(NormalizeAngle(e->facing - last), 90.0f);
    EXPECT_LE(std::fmin(m, 90.0f - m), 0.8f + 1e-3f) << i;
    last = e->facing;
  }
  const float off = std::fmod(NormalizeAngle(e->facing - AngleToPlayerFrom(e)), 90.0f);
  EXPECT_TRUE(off < 1.0f || off > 89.0f) << off;
}

// Drops: m0 picks the kind (mod 100); without it the rotating sequence stays.
TEST_F(SmallEnemiesA, Type2DropFromStageParameter) {
  const int cases[][2] = {{0, -1}, {104, 4}, {7, 7}, {-205, -5}};
  for (const auto& c : cases) {
    Reset();
    Enemy* e = Make(2, 0, 180, 40, 270, 1);
    e->intParams[0] = c[0];
    Frame();
    EXPECT_EQ(e->dropItemKind, c[1]) << c[0];
  }
}

// Type 3 at difficulty 4: bursts of two volleys five frames apart from frame 18, then a pause
// of 42; each side fans from the nose to its wing, trailed below difficulty 5.
TEST_F(SmallEnemiesA, Type3BurstsFromTheWings) {
  world->player.y = 470;
  Enemy* e = Make(3, 0, 180, 20, 270, 1);
  const std::vector<SmallEnemyFrame> run = Run(130);
  EXPECT_EQ(FiringFrames(run), (std::vector<int>{18, 23, 70, 75, 122, 127}));
  const SmallEnemyFrame& f = run[17];
  ASSERT_EQ(f.bullets.size(), 6u);
  EXPECT_EQ(f.draws, 0);
  // Bullets of the first volley, side 0 then side 1, angles facing + 0, 45, 90 and - 0, 45, 90;
  // the facing has not moved since (the player is straight ahead).
  const float turns[6] = {0, 45, 90, 0, -45, -90};
  for (int i = 0; i < 6; ++i) {
    const EnemyBullet* b = f.bullets[i];
    EXPECT_EQ(b->type, 20);
    EXPECT_EQ(b->speed, 5.8f);
    EXPECT_NEAR(AngleDiff(b->direction, e->facing + turns[i]), 0, 1e-3) << i;
    EXPECT_EQ(b->trailInterval, 2);
    EXPECT_EQ(b->trailLifetime, 4);
  }

  struct Case {
    int d;
    size_t firstVolley;  // bullets
    int firstFrame;
    int trail;
  } const cases[] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 2, 30, 2}, {5, 8, 12, 0}, {7, 12, 10, 0}};
  for (const Case& c : cases) {
    Reset();
    SetDifficulty(c.d);
    Make(3, 0, 180, 20, 270, 1);
    const std::vector<SmallEnemyFrame> r = Run(60);
    const std::vector<int> frames = FiringFrames(r);
    if (c.firstVolley == 0) {
      EXPECT_TRUE(frames.empty()) << c.d;
      continue;
    }
    ASSERT_FALSE(frames.empty()) << c.d;
    EXPECT_EQ(frames[0], c.firstFrame) << c.d;
    EXPECT_EQ(r[frames[0] - 1].bullets.size(), c.firstVolley) << c.d;
    EXPECT_EQ(r[frames[0] - 1].bullets[0]->trailInterval, c.trail) << c.d;
  }
}

// Phase 10 brakes silently below difficulty 5, creeps in phase 11 and turns away in 12, which
// is silent below difficulty 4.
TEST_F(SmallEnemiesA, Type3BrakeCreepAndTurnAway) {
  world->player.y = 460;
  for (int d : {3, 4}) {
    Reset();
    SetDifficulty(d);
    Enemy* e = Make(3, 10, 180, 40, 270, 4);
    // 4 x 0.922^n < 1 first at n = 18.
    const std::vector<SmallEnemyFrame> braking = Run(18);
    EXPECT_EQ(BulletCount(braking), 0u) << d;
    EXPECT_EQ(e->phase, 11) << d;
    std::vector<SmallEnemyFrame> creep;
    while (e->phase == 11 && creep.size() < 400) creep.push_back(Frame());
    EXPECT_EQ(e->phase, 12) << d;
    EXPECT_NEAR(e->speed, 1.0f, 1e-5);
    EXPECT_EQ(creep.size(), d == 3 ? 121u : 125u);
    EXPECT_GT(BulletCount(creep), 0u) << d;
    const std::vector<SmallEnemyFrame> away = Run(30);
    EXPECT_EQ(BulletCount(away) > 0, d >= 4) << d;
    EXPECT_NEAR(e->speed, 4.0f, 1e-4);
  }
}

// Type 4 at difficulty 5 from phase 0: it brakes (26 frames), then in phase 1 alternates side
// fans every 4 frames and fires rings 1 to 6 (the ring delay is 0: ring 0 would need frame 0).
TEST_F(SmallEnemiesA, Type4SideFansAndRings) {
  SetDifficulty(5);
  Enemy* e = Make(4, 0, 100, 40, 270, 3);
  EXPECT_EQ(BulletCount(Run(26)), 0u);
  ASSERT_EQ(e->phase, 1);
  std::vector<SmallEnemyFrame> run;
  while (e->phase == 1 && run.size() < 1000) run.push_back(Frame());
  // Phase 1 ends when its frame count passes 140 (after the rings), its 141st frame.
  EXPECT_EQ(run.size(), 141u);
  EXPECT_EQ(e->phase, 2);
  size_t fans = 0, rings = 0;
  for (size_t i = 0; i < run.size(); ++i) {
    const int pf = static_cast<int>(i) + 1;
    EXPECT_EQ(run[i].draws, 0) << pf;
    for (const EnemyBullet* b : run[i].bullets) (b->type == 119 ? fans : rings) += 1;
    if (pf % 20 == 0 && pf <= 120) {
      // Ring k = pf / 20: 36 bullets 10 degrees apart, odd rings turned by 5.
      ASSERT_EQ(run[i].bullets.size() - (pf % 4 == 0 && pf <= 112 ? 5 : 0), 36u) << pf;
    }
  }
  EXPECT_EQ(fans, 28u * 5u);
  EXPECT_EQ(rings, 6u * 36u);
  // The first side volley (frame 4, k = 1) comes from launcher 1 since the gunship is left of
  // the centre; the second from launcher 2.
  Reset();
  e = Make(4, 1, 100, 100, 0, 0);
  std::vector<SmallEnemyFrame> r;
  for (int i = 1; i <= 20; ++i) {
    r.push_back(Frame());
    if (i == 4) {
      EXPECT_EQ(r.back().bullets.at(0)->x, e->launchers[1].x);
    }
    if (i == 8) {
      EXPECT_EQ(r.back().bullets.at(0)->x, e->launchers[2].x);
    }
  }
  ASSERT_EQ(r[3].bullets.size(), 5u);
  for (int j = 0; j < 5; ++j) {
    const EnemyBullet* b = r[3].bullets[j];
    EXPECT_EQ(b->type, 119);
    EXPECT_EQ(b->facingMode, BulletFaceSpin);
    EXPECT_NEAR(AngleDiff(b->direction, 270.0f + (2 * j - 4) * 2.3f), 0, 1e-3) << j;
    EXPECT_EQ(b->trailLifetime, 2);
  }
  // Ring 1 at frame 20: turned by half a step from the player's angle.
  const std::vector<EnemyBullet*>& ring = r[19].bullets;
  ASSERT_EQ(ring.size(), 5u + 36u);
  const float a = AngleToPlayerFrom(e);
  EXPECT_NEAR(AngleDiff(ring[5]->direction, a + 5.0f), 0, 1e-3);
  EXPECT_NEAR(AngleDiff(ring[6]->direction, a + 15.0f), 0, 1e-3);
  EXPECT_EQ(ring[5]->type, 69);
}

// The ring step is 360 / intRegs[5] and the half step of odd rings (D > 3) x (k % 2) x step / 2,
// both in integers: 42 bullets step 8 (half 4) at difficulty 6, 48 step 7 (half 3) at 7, which
// leaves a wider lane after the last bullet.
TEST_F(SmallEnemiesA, Type4RingsStepInWholeDegrees) {
  struct Case {
    int d, frame, size;
    std::vector<std::pair<int, int>> offsets;  // bullet i, degrees from the player's angle
  } const cases[] = {
      {6, 60, 42, {{0, 0}, {1, 8}, {41, 328}}},  // ring 0 at the ring delay 600 / 10
      {6, 68, 42, {{0, 4}, {1, 12}, {41, 332}}},  // ring 1, one interval of 8 later
      {7, 54, 48, {{0, 0}, {1, 7}, {47, 329}}},  // delay 600 / 11
      {7, 60, 48, {{0, 3}, {1, 10}, {47, 332}}},  // interval 6
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    Enemy* e = MakeFresh(c.d, 4, 1, 180, 100, 90, 0);
    std::vector<SmallEnemyFrame> run = Run(c.frame);
    std::vector<EnemyBullet*> ring;
    for (EnemyBullet* b : run.back().bullets) {
      if (b->type == 69) ring.push_back(b);
    }
    ASSERT_EQ(static_cast<int>(ring.size()), c.size);
    const float a = AngleToPlayerFrom(e);
    for (const auto& [i, deg] : c.offsets) EXPECT_NEAR(AngleDiff(ring[i]->direction, a + deg), 0, 1e-3) << i;
  }
}

// Version 11 faces the player side-on while braking, backs away from it and turns its back.
TEST_F(SmallEnemiesA, Type4SideOnVersion) {
  Enemy* e = Make(4, 10, 180, 40, 270, 3);
  Run(26);
  ASSERT_EQ(e->phase, 11);
  const float a = AngleToPlayerFrom(e);
  EXPECT_NEAR(AngleDiff(e->direction, a + 180.0f), 0, 0.1f);
  EXPECT_NEAR(AngleDiff(e->facing, a + 90.0f), 0, 0.1f);
  Run(10);
  EXPECT_NEAR(AngleDiff(e->direction, a + 180.0f), 0, 1e-3);
  EXPECT_GT(e->speed, 0.3f);
}

// Type 5's draws: the aim draw on entry, the start test while waiting (only while it is slow),
// the wander every frame, and one scatter draw per fountain bullet.
TEST_F(SmallEnemiesA, Type5StartTestAndFountains) {
  // Fast at first: no start test until |vy| < 2.5 (after six frames of 0.97).
  Enemy* e = Make(5, 0, 180, 400, 90, 3);
  const std::vector<SmallEnemyFrame> fast = Run(6);
  const int expected[6] = {2, 1, 1, 1, 1, 1};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(fast[i].draws, expected[i]) << i;
  EXPECT_EQ(BulletCount(fast), 0u);
  EXPECT_LT(e->intRegs[3], -32000);

  SetDifficulty(5);
  Reset();
  e = Make(5, 0, 180, 470, 90, 1);
  const std::vector<SmallEnemyFrame> run = Run(150);
  ASSERT_EQ(CountEnemies(5), 1);
  EXPECT_EQ(run[0].draws, 3);
  int volleys = 0;
  for (const SmallEnemyFrame& f : run) {
    if (f.bullets.empty()) continue;
    ASSERT_EQ(f.bullets.size(), 3u);
    EXPECT_EQ(f.draws, 1 + 3);
    for (const EnemyBullet* b : f.bullets) {
      EXPECT_EQ(b->type, 1);
      EXPECT_EQ(b->stretch, 12.0f);
      EXPECT_NEAR(b->accelMagnitude, 0.195f, 1e-5);
      EXPECT_LE(AngleDiff(b->accelAngle, 270.0f), 5.5f);
    }
    if (volleys == 0) {
      EXPECT_NEAR(f.bullets[0]->speed, 1.5f + 2.0f * 9.5f / 45.0f, 1e-4);
      // Three bullets 18 degrees apart around the upward nose.
      EXPECT_NEAR(AngleDiff(f.bullets[0]->direction, 90.0f - 18.0f), 0, 1e-3);
      EXPECT_NEAR(AngleDiff(f.bullets[2]->direction, 90.0f + 18.0f), 0, 1e-3);
    }
    ++volleys;
  }
  EXPECT_GT(volleys, 10);
  EXPECT_LT(e->vy, -0.5f);  // rising faster with every volley
}

// Above difficulty 5 a player above the mortar is shot at every frame.
TEST_F(SmallEnemiesA, Type5PunishesAPlayerAbove) {
  SetDifficulty(6);
  world->player.y = 100;
  Make(5, 0, 180, 300, 0, 0);
  const std::vector<SmallEnemyFrame> run = Run(5);
  for (const SmallEnemyFrame& f : run) {
    ASSERT_FALSE(f.bullets.empty());
    const EnemyBullet* b = f.bullets.back();
    EXPECT_EQ(b->type, 67);
    EXPECT_EQ(b->stretch, 9.0f);
    EXPECT_NEAR(AngleDiff(b->direction, 90.0f), 0, 1.0f);
  }
  Reset();
  world->player.y = 450;
  Make(5, 0, 180, 300, 0, 0);
  for (const SmallEnemyFrame& f : Run(5)) {
    for (const EnemyBullet* b : f.bullets) EXPECT_NE(b->type, 67);
  }
}

// The carrier's course at difficulty 0: brake (34 frames), first anchor (281), fans (261),
// second anchor, fans, then it leaves toward where it came in. The pods stop on the first frame
// of the first anchor and start again when it leaves.
TEST_F(SmallEnemiesA, Type6AnchorsAndPods) {
  SetDifficulty(0);
  Enemy* e = Make(6, 0, 180, 20, 270, 4);
  Frame();
  ASSERT_EQ(e->childCount, 2);
  Enemy* pod0 = e->children[0];
  Enemy* pod1 = e->children[1];
  ASSERT_TRUE(pod0 && pod1);
  EXPECT_EQ(pod0->removeOffField, 0);
  Frame();
  EXPECT_NEAR(pod0->x, e->x + 64.0f, 1e-3);
  EXPECT_NEAR(pod1->x, e->x - 64.0f, 1e-3);
  int frames = 2;
  while (e->phase == 0) {
    Frame();
    ++frames;
  }
  EXPECT_EQ(frames, 34);
  const int phases[] = {1, 2, 1, 2};
  const int lengths[] = {281, 261, 281, 261};
  for (int v = 0; v < 4; ++v) {
    ASSERT_EQ(e->phase, phases[v]);
    std::vector<SmallEnemyFrame> run;
    while (e->phase == phases[v] && run.size() < 1000) {
      run.push_back(Frame());
      // The player moves after the first anchor began: the fans then sweep across.
      if (v == 0 && run.size() == 1) {
        world->player.x = 300;
        EXPECT_EQ(pod0->intRegs[0], 0);  // difficulty 0 stops the pods on the anchor's first frame
      }
    }
    EXPECT_EQ(run.size(), static_cast<size_t>(lengths[v])) << v;
    if (v < 3) {
      EXPECT_EQ(pod0->intRegs[0], 0) << v;
    }
    for (const SmallEnemyFrame& f : run) {
      for (const EnemyBullet* b : f.bullets) EXPECT_NE(b->type, 84) << "pods are off";
    }
    if (phases[v] == 1) {
      // Strings at 40, 80, 120: one bullet per side, each side with its own aim draw.
      EXPECT_EQ(FiringFrames(run), (std::vector<int>{40, 80, 120})) << v;
      const SmallEnemyFrame& f = run[39];
      EXPECT_EQ(f.draws, 2);
      ASSERT_EQ(f.bullets.size(), 2u);
      EXPECT_EQ(f.bullets[0]->spinStep, -22.0f);
      EXPECT_EQ(f.bullets[1]->spinStep, 22.0f);
      EXPECT_EQ(f.bullets[0]->type, 85);
    } else {
      EXPECT_EQ(FiringFrames(run), (std::vector<int>{24, 40, 56, 72, 88, 104})) << v;
    }
    if (v == 1) {
      // From the player's place when the strings began to where it was when they ended.
      EXPECT_NEAR(AngleDiff(run[23].bullets[0]->direction, AngleFromTo(e->x, e->y, 180, 400)), 0, 0.5f);
      EXPECT_NEAR(AngleDiff(run[103].bullets[0]->direction, AngleFromTo(e->x, e->y, 300, 400)), 0, 0.5f);
    }
  }
  EXPECT_EQ(e->phase, 3);
  EXPECT_EQ(pod0->intRegs[0], 1);
  EXPECT_EQ(pod1->intRegs[0], 1);
  // Pods fire again (interval 40 at difficulty 0, by age) while the carrier leaves.
  EXPECT_GT(BulletCount(Run(40)), 0u);
  EXPECT_GT(e->speed, 1.0f);
}

// The strings' offsets are (2j - (intRegs[4] - 1)) x 9 / 2 in integers around each side's aim:
// -4, 4 for two bullets (difficulty 5), -13, -4, 4, 13 for four (difficulty 7).
TEST_F(SmallEnemiesA, Type6StringOffsetsInWholeDegrees) {
  struct Case {
    int d, firstFrame;
    std::vector<int> offsets;
  } const cases[] = {{5, 15, {-4, 4}}, {7, 12, {-13, -4, 4, 13}}};  // delay 120 / (D + 3)
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    Enemy* e = MakeFresh(c.d, 6, 1, 180, 100, 270, 0);
    std::vector<SmallEnemyFrame> run = Run(c.firstFrame);
    for (int i = 0; i + 1 < c.firstFrame; ++i) EXPECT_TRUE(run[i].bullets.empty()) << i;
    const std::vector<EnemyBullet*>& b = run.back().bullets;
    const int n = static_cast<int>(c.offsets.size());
    ASSERT_EQ(static_cast<int>(b.size()), 2 * n);
    for (int s = 0; s < 2; ++s) {
      for (int j = 0; j < n; ++j) {
        EXPECT_NEAR(AngleDiff(b[s * n + j]->direction, e->floatRegs[8 + s] + c.offsets[j]), 0, 1e-3) << s << "/" << j;
      }
    }
  }
}

// Pods at difficulty 4: three pulsing bullets every 5 frames by age, along the points turned by
// the spinning facing (-11 per frame for pod 0, +11 for pod 1).
TEST_F(SmallEnemiesA, Type7PodsSpinAndFire) {
  Enemy* e = Make(6, 0, 180, 60, 270, 2);
  Frame();
  Enemy* pod0 = e->children[0];
  Enemy* pod1 = e->children[1];
  // Pod age a is the run's frame a (the pods were made at the end of the carrier's first frame).
  std::vector<SmallEnemyFrame> run;
  for (int a = 1; a <= 12; ++a) {
    run.push_back(Frame());
    if (a != 5) continue;
    ASSERT_EQ(run.back().bullets.size(), 6u);
    for (int i = 0; i < 3; ++i) {
      const EnemyBullet* b = run.back().bullets[i];
      EXPECT_EQ(b->type, 84);
      EXPECT_EQ(b->speed, 0.5f * 5.8f);
      EXPECT_TRUE(b->pulseOn);
      EXPECT_EQ(b->pulseStep, 20.0f);
      EXPECT_NEAR(AngleDiff(b->direction, 120.0f * i + pod0->facing), 0, 1e-3);
    }
  }
  EXPECT_EQ(pod0->intRegs[1], 5);
  EXPECT_EQ(FiringFrames(run), (std::vector<int>{5, 10}));
  // Facing 0 - 11 per frame for pod 0, 180 + 11 for pod 1, after 12 frames.
  EXPECT_NEAR(AngleDiff(pod0->facing, -11.0f * 12), 0, 1e-2);
  EXPECT_NEAR(AngleDiff(pod1->facing, 180.0f + 11.0f * 12), 0, 1e-2);
}

// A pod without its carrier removes itself at its next update, firing nothing.
TEST_F(SmallEnemiesA, Type7OrphanedPodsDie) {
  Enemy* e = Make(6, 0, 180, 60, 270, 2);
  Run(3);
  Enemy* pod0 = e->children[0];
  Enemy* pod1 = e->children[1];
  KillEnemy(false, world.get(), -1, e);
  EXPECT_EQ(pod0->parent, nullptr);
  Frame();
  EXPECT_GT(pod0->dyingCounter, 0);
  EXPECT_GT(pod1->dyingCounter, 0);
  Run(3);
  EXPECT_EQ(CountEnemies(7), 0);
  EXPECT_EQ(CountEnemies(6), 0);

  // One placed without a parent dies at once.
  Reset();
  Enemy* lone = Make(7, 0, 180, 60, 0, 0);
  EXPECT_TRUE(Frame().bullets.empty());
  EXPECT_GT(lone->dyingCounter, 0);
}

// Types 2 and 5 have code only in phase 0: started in another phase they fly straight, draw
// nothing and never fire, which the stage-file checker reports from their catalogue rows.
TEST_F(SmallEnemiesA, Types2And5OnlyInPhase0) {
  for (int type : {2, 5}) {
    EXPECT_EQ(FindEnemyTypeRow(type)->stageStart, StageStartPhase0) << type;
    Reset();
    SetDifficulty(7);
    world->player.y = 100;
    Enemy* e = Make(type, 1, 180, 240, 0, 0.5f);
    for (const SmallEnemyFrame& f : Run(200)) {
      EXPECT_TRUE(f.bullets.empty()) << type;
      EXPECT_EQ(f.draws, 0) << type;
    }
    EXPECT_NEAR(e->x, 280.0f, 1e-3) << type;
    EXPECT_EQ(e->vy, 0.0f) << type;
  }
}
