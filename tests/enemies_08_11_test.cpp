#include <climits>
#include <iterator>
#include <cmath>

#include "enemy/EnemyDispatch.h"
#include "player/Item.h"
#include "world/Effect.h"
#include "small_enemies_fixture.h"

namespace {

class SmallEnemiesB : public SmallEnemyTest {
 protected:
  // Bullets of one type among those of a run.
  static size_t CountOfType(const std::vector<SmallEnemyFrame>& run, int type) {
    size_t n = 0;
    for (const SmallEnemyFrame& f : run) {
      for (const EnemyBullet* b : f.bullets) n += b->type == type;
    }
    return n;
  }
};

}  // namespace

// Registers against the values by difficulty (stage 1) of types 8, 9, 10 and the drones.
TEST_F(SmallEnemiesB, RegistersByDifficulty) {
  struct Row {
    int t8[5];  // volleys, fan size, spacing, delay, tail
    float splayFrom, splayTo;
    int barrel;
    int t9[2];       // volleys, per volley
    int t10a[6];     // fans, spacing, bunch, per launcher, delay, tail
    int t10b[3];     // launches, spacing, tail
    int drone[2];    // bullets, interval
    float spread;
  } const rows[8] = {
      {{1, 1, 60, 40, 30}, 60, 20, 30, {2, 1}, {2, 15, 1, 1, 16, 120}, {1, 40, 150}, {2, 18}, 2.4f},
      {{2, 1, 28, 20, 10}, 57, 17.6f, 20, {4, 1}, {6, 6, 1, 1, 10, 86}, {2, 30, 113}, {2, 15}, 1.6f},
      {{2, 2, 26, 13, 6}, 54, 15.2f, 15, {6, 1}, {10, 5, 2, 1, 8, 70}, {3, 24, 95}, {2, 14}, 1.2f},
      {{3, 2, 16, 10, 4}, 51, 12.8f, 12, {8, 1}, {14, 4, 2, 1, 6, 60}, {4, 20, 84}, {2, 12}, 0.96f},
      {{5, 2, 8, 8, 3}, 48, 10.4f, 10, {10, 1}, {18, 3, 3, 1, 5, 53}, {5, 17, 76}, {2, 11}, 0.8f},
      {{5, 3, 8, 6, 2}, 45, 8, 8, {12, 3}, {29, 2, 3, 2, 4, 48}, {6, 15, 71}, {4, 10}, 0.6857f},
      {{5, 5, 7, 5, 2}, 42, 5.6f, 4, {14, 5}, {40, 2, 4, 3, 4, 45}, {7, 13, 67}, {6, 9}, 0.6f},
      {{5, 5, 6, 5, 2}, 39, 3.2f, 4, {16, 7}, {51, 1, 4, 4, 3, 42}, {8, 12, 64}, {8, 9}, 0.5333f},
  };
  for (int d = 0; d < 8; ++d) {
    Reset();
    SetDifficulty(d);
    const Row& w = rows[d];
    Enemy* t8 = Make(8, 1, 180, 100, 270, 0);
    Enemy* t9 = Make(9, 0, 100, 100, 270, 1);
    Enemy* a = Make(10, 0, 180, 150, 0, 0);
    Enemy* b = Make(10, 1, 180, 150, 0, 0);
    // The splay closes from spawn above difficulty 5 and from the hover above 4: read its start
    // from a fighter still braking.
    Enemy* fresh = Make(8, 0, 260, 100, 270, 5);
    Frame();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t8->intRegs[3 + i], w.t8[i]) << "d " << d << " reg " << 3 + i;
    EXPECT_NEAR(fresh->floatRegs[0], w.splayFrom - (d > 5 ? 0.3f : 0.0f), 1e-4) << d;
    EXPECT_NEAR(fresh->floatRegs[1], w.splayTo, 1e-4) << d;
    EXPECT_EQ(fresh->intRegs[2], w.barrel) << d;
    EXPECT_EQ(t9->intRegs[2], w.t9[0]) << d;
    EXPECT_EQ(t9->intRegs[3], w.t9[1]) << d;
    const int a0[6] = {a->intRegs[4], a->intRegs[5], a->intRegs[2], a->intRegs[3], a->intRegs[7], a->intRegs[8]};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a0[i], w.t10a[i]) << "d " << d << " item " << i;
    EXPECT_EQ(b->intRegs[2], w.t10b[0]) << d;
    EXPECT_EQ(b->intRegs[3], w.t10b[1]) << d;
    EXPECT_EQ(b->intRegs[6], w.t10b[2]) << d;
    // The first launch is in that same frame: three drones with the phase's fan set-up.
    ASSERT_EQ(CountEnemies(11), 3) << d;
    for (Enemy* e = world->enemies.head; e; e = e->next) {
      if (e->type != 11) continue;
      EXPECT_EQ(e->intRegs[0], w.drone[0]) << d;
      EXPECT_EQ(e->intRegs[1], w.drone[1]) << d;
      EXPECT_NEAR(e->floatRegs[0], w.spread, 1e-4) << d;
      EXPECT_EQ(e->speed, 6.0f);
    }
  }
}

// Type 8 at difficulty 4: brakes (18 frames, two draws for the hover target), hovers firing
// single aimed shots and fans in turn at 8, 16, .., 40, then flees; the barrels start with the
// hover every 10 frames and keep firing in the flight.
TEST_F(SmallEnemiesB, Type8HoverShotsAndBarrels) {
  Enemy* e = Make(8, 0, 180, 120, 270, 3);
  const std::vector<SmallEnemyFrame> braking = Run(18);
  EXPECT_EQ(BulletCount(braking), 0u);
  EXPECT_EQ(braking[17].draws, 2);
  EXPECT_EQ(braking[16].draws, 0);
  ASSERT_EQ(e->phase, 1);
  std::vector<SmallEnemyFrame> hover;
  while (e->phase == 1 && hover.size() < 200) {
    hover.push_back(Frame());
    const SmallEnemyFrame& f = hover.back();
    EXPECT_EQ(f.draws, 2);  // the jitter of the hover target, x then y
    const int pf = static_cast<int>(hover.size());
    std::vector<const EnemyBullet*> aimed;
    for (const EnemyBullet* b : f.bullets) {
      if (b->stretch == 0.0f) aimed.push_back(b);
    }
    const bool volley = pf >= 8 && pf <= 40 && pf % 8 == 0;
    ASSERT_EQ(aimed.size(), volley ? (pf % 16 == 8 ? 1u : 2u) : 0u) << pf;
    if (!volley) continue;
    const float a = AngleToPlayerFrom(e);
    for (size_t j = 0; j < aimed.size(); ++j) {
      const EnemyBullet* b = aimed[j];
      EXPECT_EQ(b->type, 11);
      EXPECT_NEAR(b->speed, 0.8f * 5.8f, 1e-5);
      EXPECT_TRUE(b->pulseOn);
      EXPECT_EQ(b->pulseStep, 12.0f);
      const float want = aimed.size() == 1 ? a : a + (j == 0 ? -2.8f : 2.8f);
      EXPECT_NEAR(AngleDiff(b->direction, want), 0, 1e-3) << pf;
      EXPECT_NEAR(b->baseScaleX, aimed.size() == 1 ? 0.8f : 0.36f, 1e-5);
    }
  }
  // The hover ends after delay + volleys x spacing + tail = 8 + 40 + 3 frames.
  EXPECT_EQ(hover.size(), 52u);
  EXPECT_EQ(e->phase, 2);
  // Barrel pairs at every age divisible by 10 from the hover on
  // (ages 20 to 60: at age 70 the phase changes and the attack is skipped).
  EXPECT_EQ(CountOfType(hover, 11) - 7u, 2u * 5u);
  const std::vector<SmallEnemyFrame> flee = Run(30);
  EXPECT_EQ(BulletCount(flee), 2u * 3u);
  EXPECT_EQ(flee[9].bullets.size(), 2u);  // age 80
  EXPECT_GT(e->y, 0.0f);
  EXPECT_LT(e->vy, 0.0f);  // away from the player below it
}

// When the barrels fire and where: a table of difficulty against firing while braking, hovering
// and fleeing; each shot leaves its muzzle 24 px out along the barrel's splayed aim.
TEST_F(SmallEnemiesB, Type8BarrelSwitchAndSplay) {
  struct Case {
    int d;
    bool braking, hovering, fleeing;
  } const cases[] = {{3, false, true, false}, {4, false, true, true}, {5, true, true, true}};
  for (const Case& c : cases) {
    Reset();
    SetDifficulty(c.d);
    Enemy* e = Make(8, 0, 180, 120, 270, 4);
    size_t counts[3] = {0, 0, 0};
    for (int i = 0; i < 400 && e->phase < 3; ++i) {
      const int phase = e->phase;
      if (phase == 2 && e->phaseFrames >= 30) break;  // it is still on the field
      const SmallEnemyFrame f = Frame();
      for (const EnemyBullet* b : f.bullets) counts[phase] += b->stretch == 5.0f;
    }
    EXPECT_EQ(counts[0] > 0, c.braking) << c.d;
    EXPECT_EQ(counts[1] > 0, c.hovering) << c.d;
    EXPECT_EQ(counts[2] > 0, c.fleeing) << c.d;
  }
  // Difficulty 6: the splay closes from spawn at 0.3 degrees per frame down to 5.6; the barrel
  // shots start 24 px out along facing -/+ splay.
  Reset();
  SetDifficulty(6);
  world->player.y = 20;  // so that it flees down the field and stays on it
  Enemy* e = Make(8, 0, 180, 120, 270, 4);
  for (int age = 1; age <= 8; ++age) {
    const SmallEnemyFrame f = Frame();
    EXPECT_NEAR(e->floatRegs[0], 42.0f - 0.3f * age, 1e-3);
    if (age != 4 && age != 8) {
      EXPECT_TRUE(f.bullets.empty()) << age;
      continue;
    }
    ASSERT_EQ(f.bullets.size(), 2u) << age;
    for (int s = 0; s < 2; ++s) {
      const EnemyBullet* b = f.bullets[s];
      const EnemyLauncher& l = e->launchers[1 + s];
      const float aim = NormalizeAngle(e->facing + (s == 0 ? -1.0f : 1.0f) * e->floatRegs[0]);
      EXPECT_NEAR(AngleDiff(b->direction, aim), 0, 1e-3);
      EXPECT_NEAR(Hypot(b->x - l.x, b->y - l.y), 24.0f, 1e-3);
      EXPECT_NEAR(b->speed, 1.1f * 7.6f, 1e-4);
      EXPECT_EQ(b->type, 11);
    }
  }
  for (int i = 0; i < 120; ++i) Frame();
  ASSERT_EQ(CountEnemies(8), 1);
  EXPECT_NEAR(e->floatRegs[0], 5.6f, 1e-4);
}

// The colour variants by phase % 6, with size, hit points and score from the whole phase.
TEST_F(SmallEnemiesB, Type9VariantsByPhase) {
  struct Case {
    int phase;
    uint32_t tint;
    int bulletType, hp, score;
    float scale;
  } const cases[] = {
      {0, 0xFF20E020u, 0, 80, 300, 0.9f},      {1, 0xFF2020E0u, 4, 160, 400, 0.93f},
      {2, 0xFFE02020u, 8, 240, 500, 0.96f},    {3, 0xFF20E0E0u, 2, 320, 600, 0.99f},
      {4, 0xFFE0E020u, 10, 400, 700, 1.02f},   {5, 0xFFE020E0u, 6, 480, 800, 1.05f},
      {7, 0xFF2020E0u, 4, 640, 1000, 1.11f},   {-3, 0xFF404040u, 0, -160, 0, 0.81f},
      {INT_MAX, 0xFF2020E0u, 4, INT_MAX, INT_MAX, 0.9f + 0.03f * static_cast<float>(INT_MAX)},
  };
  for (const Case& c : cases) {
    Reset();
    Enemy* e = Make(9, c.phase, 100, 100, 270, 1);
    Frame();
    EXPECT_EQ(e->sprite.colors[0], c.tint) << c.phase;
    EXPECT_EQ(e->intRegs[1], c.bulletType) << c.phase;
    EXPECT_EQ(e->hp, c.hp) << c.phase;
    EXPECT_EQ(e->maxHp, c.hp) << c.phase;
    EXPECT_EQ(e->score, c.score) << c.phase;
    EXPECT_FLOAT_EQ(e->sprite.scaleX, c.scale) << c.phase;
  }
}

// The spawn heading: aimed with m0, toward the p0/p1 point, or the spawn velocity.
TEST_F(SmallEnemiesB, Type9Heading) {
  Enemy* aimed = Make(9, 0, 100, 100, 0, 2);
  aimed->intParams[0] = 1;
  Enemy* pointed = Make(9, 0, 100, 100, 0, 2);
  pointed->floatRegs[0] = 200;
  pointed->floatRegs[1] = 0;
  Enemy* straight = Make(9, 0, 100, 100, 0, 2);
  Frame();
  EXPECT_NEAR(AngleDiff(aimed->direction, AngleFromTo(100, 100, 180, 400)), 0, 1e-3);
  EXPECT_NEAR(AngleDiff(pointed->direction, 45.0f), 0, 1e-3);
  EXPECT_EQ(straight->direction, 0.0f);
  EXPECT_EQ(aimed->speed, 2.0f);
}

// Fans every 6 frames from frame 8, aimed; above difficulty 5 every second fan is one short.
TEST_F(SmallEnemiesB, Type9AimedFans) {
  struct Case {
    int d;
    size_t even, odd;
    int volleys;
  } const cases[] = {{4, 1, 1, 10}, {6, 5, 4, 14}, {7, 7, 6, 16}};
  for (const Case& c : cases) {
    Reset();
    SetDifficulty(c.d);
    Enemy* e = Make(9, 3, 180, 40, 270, 1);
    std::vector<SmallEnemyFrame> run;
    for (int pf = 1; pf <= 120; ++pf) {
      run.push_back(Frame());
      const SmallEnemyFrame& f = run.back();
      EXPECT_EQ(f.draws, 0);
      if (f.bullets.empty()) continue;
      const int k = (pf - 8) / 6;
      const size_t n = k % 2 == 0 ? c.even : c.odd;
      ASSERT_EQ(f.bullets.size(), n) << pf;
      const float a = AngleToPlayerFrom(e);
      for (size_t j = 0; j < n; ++j) {
        const EnemyBullet* b = f.bullets[j];
        EXPECT_EQ(b->type, 2);
        EXPECT_EQ(b->facingMode, BulletFaceSpin);
        EXPECT_NEAR(AngleDiff(b->direction, a + (2.0f * j - (n - 1.0f)) * 5.4f), 0, 1e-3);
      }
    }
    const std::vector<int> frames = FiringFrames(run);
    ASSERT_EQ(static_cast<int>(frames.size()), c.volleys) << c.d;
    EXPECT_EQ(frames.front(), 8);
    EXPECT_EQ(frames.back(), 8 + 6 * (c.volleys - 1));
  }
}

// Type 10 at difficulty 0: two fans of one bullet per point, one set of three drones per launch
// phase, and after the third fan phase the bounds keeper is off for good. Until then it stays
// in its box.
TEST_F(SmallEnemiesB, Type10AlternatesFansAndLaunches) {
  SetDifficulty(0);
  Enemy* e = Make(10, 0, 180, 100, 300, 2);
  const int lengths[5] = {167, 191, 167, 191, 167};
  for (int v = 0; v < 5; ++v) {
    ASSERT_EQ(e->phase, v % 2) << v;
    std::vector<SmallEnemyFrame> run;
    int drones = CountEnemies(11);
    int launched = 0;
    while (e->phase == v % 2 && run.size() < 400) {
      run.push_back(Frame());
      const int now = CountEnemies(11);
      launched += MaxInt(now - drones, 0);
      drones = now;
      if (e->intRegs[1] != -1) {
        EXPECT_GT(e->x, 40.0f);
        EXPECT_LT(e->x, 320.0f);
        EXPECT_GT(e->y, 40.0f);
        EXPECT_LT(e->y, 260.0f);
      }
    }
    EXPECT_EQ(run.size(), static_cast<size_t>(lengths[v])) << v;
    if (v % 2 == 1) {
      // The station's own fans stop; the drones fire theirs (type 103).
      EXPECT_EQ(CountOfType(run, 91), 0u);
      EXPECT_EQ(e->intRegs[0], (v + 1) / 2);
      EXPECT_EQ(launched, 3) << v;  // one set of three per launch phase at difficulty 0
    } else {
      EXPECT_EQ(launched, 0) << v;
      EXPECT_EQ(FiringFrames(run), (std::vector<int>{16, 31})) << v;
      EXPECT_EQ(CountOfType(run, 91), 6u);
    }
  }
  EXPECT_EQ(e->intRegs[1], -1);
  EXPECT_EQ(e->phase, 1);
}

// Fan bullets: along each point's direction, speed stepping down within a bunch, pulsing.
TEST_F(SmallEnemiesB, Type10SpinningFans) {
  SetDifficulty(7);
  Enemy* e = Make(10, 0, 180, 150, 0, 0);
  e->floatRegs[0] = 2.0f;  // a stage "p0": no draw for the spin
  const std::vector<SmallEnemyFrame> run = Run(10);
  EXPECT_EQ(run[0].draws, 0);
  EXPECT_NEAR(AngleDiff(e->facing, 20.0f), 0, 1e-3);
  // Difficulty 7: fans at 3, 4, 5, ..; bunches of 4; four bullets per point, 21 degrees apart.
  EXPECT_EQ(FiringFrames(run), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
  for (int k = 0; k < 4; ++k) {
    const SmallEnemyFrame& f = run[2 + k];
    ASSERT_EQ(f.bullets.size(), 12u);
    const float facing = 2.0f * static_cast<float>(3 + k);
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 4; ++j) {
        const EnemyBullet* b = f.bullets[4 * i + j];
        EXPECT_EQ(b->type, 91);
        EXPECT_NEAR(b->speed, ((4 - k) * 0.06f + 0.6f) * 8.5f, 1e-4);
        EXPECT_NEAR(AngleDiff(b->direction, 120.0f * i + facing + (2 * j - 3) * 10.5f), 0, 1e-3);
        EXPECT_EQ(b->pulseStep, 10.0f);
      }
    }
  }
}

// Without p0 the spin is drawn once at spawn: 3 to 3.3, turning the way of the side it is on.
TEST_F(SmallEnemiesB, Type10RandomSpin) {
  Enemy* right = Make(10, 2, 250, 150, 0, 0);
  const SmallEnemyFrame f = Frame();
  EXPECT_EQ(f.draws, 1);
  EXPECT_GE(right->floatRegs[0], 3.0f);
  EXPECT_LE(right->floatRegs[0], 3.3f);
  Reset();
  Enemy* left = Make(10, 2, 100, 150, 0, 0);
  Frame();
  EXPECT_LE(left->floatRegs[0], -3.0f);
  EXPECT_GE(left->floatRegs[0], -3.3f);
}

// Drones fan backwards every interval, the k-th fan k times as wide; they outlive the station.
// A drone placed by a stage line has no interval and fires nothing.
TEST_F(SmallEnemiesB, Type11DroneFans) {
  SetDifficulty(5);
  Enemy* station = Make(10, 1, 180, 240, 0, 0);
  Frame();
  ASSERT_EQ(CountEnemies(11), 3);
  Enemy* drone = station->next;
  ASSERT_EQ(drone->type, 11);
  const float facing = drone->facing;
  EXPECT_NEAR(AngleDiff(facing, station->facing + 60.0f), 0, 1e-3);
  station->DestroyEnemy(world.get());
  // Interval 10 at difficulty 5: fans of 4 at drone frames 10 and 20 (k = 1, 2); the drones were
  // appended while the last enemy was processed, so their first update is the next frame.
  std::vector<SmallEnemyFrame> run = Run(20);
  EXPECT_EQ(FiringFrames(run), (std::vector<int>{10, 20}));
  for (int k = 1; k <= 2; ++k) {
    const SmallEnemyFrame& f = run[10 * k - 1];
    ASSERT_EQ(f.bullets.size(), 12u);
    for (int j = 0; j < 4; ++j) {
      const EnemyBullet* b = f.bullets[j];
      EXPECT_EQ(b->type, 103);
      EXPECT_NEAR(AngleDiff(b->direction, facing + 180.0f + (2 * j - 3) * k * (4.8f / 7.0f) / 2.0f), 0, 1e-3);
      EXPECT_EQ(b->speed, 6.7f);
    }
  }
  Reset();
  Enemy* lone = Make(11, 0, 180, 100, 270, 0);
  EXPECT_EQ(BulletCount(Run(200)), 0u);
  EXPECT_EQ(lone->intRegs[1], 0);
  // The drone has no behaviour body: it only runs the motion tail.
  EXPECT_EQ(GetEnemyTypeCode(11).behaviour, nullptr);
}

// Every type of both families, every start phase a stage line is likely to give and every
// difficulty: the world keeps running with bullets, items and effects updated, and every enemy
// alive stays at a finite position. Halfway through, the first enemy of each kind is shot down
// (the carrier's pods then go by the orphan rule).
TEST_F(SmallEnemiesB, AllStartsRunCleanly) {
  const int phases[] = {0, 1, 2, 3, 5, 7, 10, 11, 12, 20, -1};
  for (int d = 0; d < 8; ++d) {
    Reset();
    SetDifficulty(d);
    for (int type = 2; type <= 11; ++type) {
      for (int i = 0; i < static_cast<int>(std::size(phases)); ++i) {
        Make(type, phases[i], 30.0f + 30.0f * i, 40.0f + 20.0f * (type - 2), 250.0f + 4.0f * type, 2.0f);
      }
    }
    for (int frame = 1; frame <= 600; ++frame) {
      UpdateEnemies(world.get());
      UpdateEnemyBullets(world.get());
      UpdateItems(world.get());
      UpdateEffects(world.get());
      if (frame == 300) {
        bool seen[12] = {};
        for (Enemy* e = world->enemies.head; e; e = e->next) {
          if (e->type < 12 && !seen[e->type] && e->dyingCounter == 0) {
            seen[e->type] = true;
            KillEnemy(true, world.get(), 0, e);
          }
        }
      }
      for (Enemy* e = world->enemies.head; e; e = e->next) {
        if (e->dyingCounter != 0) continue;
        ASSERT_TRUE(std::isfinite(e->x) && std::isfinite(e->y)) << "d " << d << " type " << e->type;
      }
    }
  }
}
