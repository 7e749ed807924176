#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cmath>
#include <memory>
#include <vector>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
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

struct FrameResult {
  std::vector<EnemyBullet*> bullets;  // made in the frame, in list order
  int draws = 0;
};

class PhasedEnemies : public ::testing::Test {
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
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 400;
    world->player.state = PlayerNormal;
    SetDifficulty(4);
  }
  void TearDown() override {
    g_difficulty = savedDifficulty;
    g_bulletSpeedBase = savedSpeedBase;
  }

  static void SetDifficulty(int d) {
    static const float kBase[8] = {3.5f, 4.0f, 4.5f, 5.0f, 5.8f, 6.7f, 7.6f, 8.5f};
    g_difficulty = d;
    g_bulletSpeedBase = kBase[d];
  }

  Enemy* Make(int type, int phase, float x, float y, float direction, float speed, int m0 = 0) {
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, direction, speed);
    e->phase = phase;
    e->intParams[0] = m0;
    return e;
  }

  // One enemy update; bullets are left where they were made (no bullet update runs).
  FrameResult Frame() {
    FrameResult r;
    EnemyBullet* tail = world->bullets.tail;
    const int step = g_randomStep;
    UpdateEnemies(world.get());
    r.draws = DrawsSince(step);
    for (EnemyBullet* b = tail ? tail->next : world->bullets.head; b; b = b->next) r.bullets.push_back(b);
    return r;
  }

  std::vector<FrameResult> Run(int frames) {
    std::vector<FrameResult> out;
    for (int i = 0; i < frames; ++i) out.push_back(Frame());
    return out;
  }

  float AngleToPlayerFrom(const Enemy* e) const { return AngleFromEnemyToPlayer(world.get(), e); }
};

float Diff(float a, float b) { return AngleDistance(a, b); }

}  // namespace

// Phase 0 brakes to a stop and enters the set-up of m0 (0 and negatives mean 1; above 5 idle).
TEST_F(PhasedEnemies, Type0BrakesIntoItsSetUp) {
  struct Case {
    int m0, phase;
  } const cases[] = {{0, 1}, {-3, 1}, {3, 3}, {5, 5}, {7, 7}};
  for (const Case& c : cases) {
    ClearEnemyList(world.get());
    ClearBulletList(&world->bullets);
    Enemy* e = Make(0, 0, 180, 60, 270, 3, c.m0);
    int frames = 0;
    while (e->phase == 0 && frames < 100) {
      EXPECT_TRUE(Frame().bullets.empty());
      ++frames;
    }
    // 3 x 0.9^n < 0.2 first at n = 26.
    EXPECT_EQ(frames, 26) << c.m0;
    EXPECT_EQ(e->phase, c.phase) << c.m0;
    EXPECT_EQ(e->speed, 0.0f);
    const float x = e->x, y = e->y;
    const std::vector<FrameResult> later = Run(400);
    EXPECT_EQ(e->x, x);
    EXPECT_EQ(e->y, y);
    if (c.phase == 7) {
      for (const FrameResult& r : later) EXPECT_TRUE(r.bullets.empty());
    }
  }
}

// Set-up 1 at difficulty 4: a ring of five every frame, the aimed burst of 60 between 360 and
// 720, the spray of 24 in every 60 frames from 761, one draw per spray bullet only.
TEST_F(PhasedEnemies, Type0RingBurstAndSpray) {
  Enemy* e = Make(0, 1, 180, 100, 270, 0);
  const FrameResult first = Frame();
  ASSERT_EQ(first.bullets.size(), 5u);
  EXPECT_EQ(e->intRegs[1], 1);
  EXPECT_EQ(first.draws, 0);
  // Frame 1: ring angle = the angle to the player + 1.8, radius -20 + 0.4, heading +90.7.
  const float a0 = Atan2Deg(100 - 400, 0);
  for (int i = 0; i < 5; ++i) {
    EnemyBullet* b = first.bullets[i];
    const float p = NormalizeAngle(72.0f * i + NormalizeAngle(a0 + 1.8f));
    EXPECT_NEAR(b->x, 180 + std::cos(p * kPi / 180) * -19.6f, 1e-3) << i;
    EXPECT_NEAR(Diff(b->direction, p + 90.72f), 0, 1e-3) << i;
    EXPECT_EQ(b->type, 1);
    EXPECT_EQ(b->speed, 0.0f);
    EXPECT_NEAR(b->baseScaleX, 1.2f - (1 - 1 / 360.0f) * 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(b->accelMagnitude, 0.13f);
    EXPECT_FLOAT_EQ(b->friction, 0.984f);
    EXPECT_FLOAT_EQ(b->stretch, 0.8f);
  }
  std::vector<FrameResult> r = Run(899);  // frames 2..900
  auto at = [&](int pf) -> const FrameResult& { return r[pf - 2]; };
  EXPECT_EQ(at(359).bullets.size(), 5u);
  EXPECT_EQ(at(380).bullets.size(), 65u);
  const EnemyBullet* burst0 = at(380).bullets[5];
  EXPECT_EQ(burst0->type, 64 + 19 % 12);
  EXPECT_FLOAT_EQ(burst0->speed, g_bulletSpeedBase);
  EXPECT_NEAR(Diff(at(380).bullets[6]->direction, burst0->direction + 6), 0, 1e-3);
  EXPECT_EQ(at(720).bullets.size(), 5u);
  for (int pf = 761; pf <= 900; ++pf) {
    const int k = (pf - 761) % 60;
    const size_t want = 5 + (k < 24 ? 1 : 0);
    ASSERT_EQ(at(pf).bullets.size(), want) << pf;
    EXPECT_EQ(at(pf).draws, k < 24 ? 1 : 0) << pf;
    if (k < 24) {
      const EnemyBullet* s = at(pf).bullets[5];
      EXPECT_EQ(s->type, 16 + k % 12);
      EXPECT_NEAR(Diff(s->direction, AngleToPlayerFrom(e)), 0, 1e-3);  // exact aim before 2400
      EXPECT_FLOAT_EQ(s->accelMagnitude, 0.062f);
    }
  }
}

// The spray's waver w = MinFloat(MaxInt(pf - 2400, 0) / 600, 6) divides in integers: it is 0
// up to frame 2999 and grows by whole degrees every 600 frames up to 6. Its one draw RF(w) is
// replayed to check the angle A + RF(w) - w / 2.
TEST_F(PhasedEnemies, Type0SprayWaverStepsInWholeDegrees) {
  struct Case {
    int pf;
    float w;
  } const cases[] = {{2999, 0}, {3000, 1}, {3599, 1}, {3600, 2}, {5999, 5}, {6000, 6}, {9000, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pf);
    ClearEnemyList(world.get());
    ClearBulletList(&world->bullets);
    Enemy* e = Make(0, 1, 180, 100, 270, 0);
    Frame();
    e->phaseFrames = c.pf - 1;
    const int idx = g_randomIndex, step = g_randomStep;
    const FrameResult r = Frame();
    ASSERT_EQ(e->phaseFrames, c.pf);
    ASSERT_EQ(r.draws, 1);
    const int after = g_randomIndex, afterStep = g_randomStep;
    SetRandomState(idx, step);
    const float jitter = RandomFloat(c.w);
    SetRandomState(after, afterStep);
    const EnemyBullet* spray = nullptr;
    for (const EnemyBullet* b : r.bullets) {
      if (b->type >= 16) spray = b;
    }
    ASSERT_NE(spray, nullptr);
    EXPECT_NEAR(Diff(spray->direction, AngleToPlayerFrom(e) + jitter - c.w / 2), 0, 1e-4);
  }
}

// Below difficulty 5, from frame 121 no ring bullet starts within 2 degrees of the player.
TEST_F(PhasedEnemies, Type0RingMercyRule) {
  SetDifficulty(2);
  Enemy* e = Make(0, 1, 180, 100, 270, 0);
  int checked = 0;
  for (int pf = 1; pf <= 1500; ++pf) {
    const FrameResult r = Frame();
    if (pf <= 120) continue;
    for (const EnemyBullet* b : r.bullets) {
      if (b->type >= 12) continue;  // burst and spray
      const float a = AngleToPlayer(world.get(), b->x, b->y);
      EXPECT_GE(Diff(a, b->facing), 1.999f) << pf;
      EXPECT_EQ(b->accelAngle, b->direction);  // the push follows the turned heading
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
  (void)e;
}

// Set-up 2 at difficulty 0: no scatter, a charge of exactly 120 frames; while charging the
// charge grows and its base is moved back against its velocity; every bullet on the field, the
// charge included, speeds up by 0.06 a frame.
TEST_F(PhasedEnemies, Type0ChargeAtDifficulty0) {
  SetDifficulty(0);
  Enemy* e = Make(0, 2, 180, 100, 270, 0);
  EnemyBullet* other = SpawnEnemyBullet(world.get(), 3, 0, 50, 50, 0, 1, 1, 1);
  const FrameResult f1 = Frame();
  EXPECT_EQ(f1.draws, 4);  // RI(0) at entry; y, x and RI(0) with the charge
  ASSERT_EQ(f1.bullets.size(), 1u);
  EnemyBullet* q = f1.bullets[0];
  EXPECT_TRUE(q->hasId);
  EXPECT_EQ(e->intRegs[5], q->bulletId);
  EXPECT_EQ(e->intRegs[2], 120);
  EXPECT_EQ(e->intRegs[6], 1);
  EXPECT_NEAR(Diff(q->direction, 270), 0, 1e-3);
  EXPECT_FLOAT_EQ(q->speed, 4.0f + 0.003f + 0.06f);
  EXPECT_FLOAT_EQ(q->baseScaleX, 1.005f);
  EXPECT_FLOAT_EQ(other->speed, 1.06f);
  for (int pf = 2; pf <= 119; ++pf) {
    const float baseY = q->baseY;
    const float speed = q->speed;
    const FrameResult r = Frame();
    EXPECT_TRUE(r.bullets.empty());
    EXPECT_EQ(r.draws, 0);
    EXPECT_EQ(e->intRegs[3], 0) << pf;
    EXPECT_NEAR(q->baseY - baseY, -(speed + 0.003f), 1e-3) << pf;  // moved back (down is +y)
  }
  EXPECT_NEAR(other->speed, 1 + 0.06f * 119, 1e-3);
  EXPECT_NEAR(q->baseScaleX, 1 + 0.005f * 119, 1e-4);
  const float baseY = q->baseY;
  Frame();
  EXPECT_EQ(e->intRegs[3], 1);  // released at the 120th count: no more growth or hold
  EXPECT_EQ(q->baseY, baseY);
  EXPECT_NEAR(q->baseScaleX, 1 + 0.005f * 119, 1e-4);
}

// Set-up 2 at difficulty 7: eight scatter bullets every frame, five draws each, tagged with the
// batch and pulled toward the charge; the charge's removal starts a new batch.
TEST_F(PhasedEnemies, Type0ChargeScatterAtDifficulty7) {
  SetDifficulty(7);
  Enemy* e = Make(0, 2, 180, 100, 270, 0);
  const FrameResult f1 = Frame();
  EXPECT_EQ(f1.draws, 1 + 3 + 8 * 5);
  ASSERT_EQ(f1.bullets.size(), 9u);
  for (size_t i = 1; i < 9; ++i) {
    EXPECT_EQ(f1.bullets[i]->bulletId, 1);
    EXPECT_FALSE(f1.bullets[i]->hasId);
    EXPECT_EQ(f1.bullets[i]->facingMode, BulletFaceSpin);
    EXPECT_GE(f1.bullets[i]->baseScaleX, 0.3f);
    EXPECT_LT(f1.bullets[i]->baseScaleX, 0.42f);
  }
  EnemyBullet* tagged = f1.bullets[1];
  const float vx = tagged->vx, vy = tagged->vy;
  const FrameResult f2 = Frame();
  EXPECT_EQ(f2.bullets.size(), 8u);
  EXPECT_EQ(f2.draws, 40);
  float ax, ay;
  EnemyBullet* q = f1.bullets[0];
  PolarToXY(&ax, &ay, AngleFromTo(tagged->x, tagged->y, q->x, q->y), 0.24f);
  EXPECT_NEAR(tagged->vx, vx + ax, 1e-5);
  EXPECT_NEAR(tagged->vy, vy + ay, 1e-5);
  // The charge is removed: the registers clear and the next frame makes a new one, batch 2.
  q->UnlinkAndDeleteBullet(&world->bullets);
  Frame();
  EXPECT_EQ(e->intRegs[5], BulletIdNone);
  EXPECT_EQ(e->intRegs[4], 0);
  const FrameResult f4 = Frame();
  EXPECT_EQ(e->intRegs[6], 2);
  EXPECT_TRUE(f4.bullets[0]->hasId);
}

// Set-up 3 at difficulty 7: rows of 17 columns of 4 stacked bullets, each row one frame sooner
// down to 15 frames; one draw (the offset) per row.
TEST_F(PhasedEnemies, Type0RainAtDifficulty7) {
  SetDifficulty(7);
  Make(0, 3, 180, 100, 270, 0);
  std::vector<int> rows;
  const float v = (8.5f - 3.5f) * 0.3f + 2.45f;
  for (int pf = 1; pf <= 1000; ++pf) {
    const int step = g_randomStep;
    const int idx = g_randomIndex;
    const FrameResult r = Frame();
    if (r.bullets.empty()) {
      EXPECT_EQ(r.draws, 0);
      continue;
    }
    rows.push_back(pf);
    ASSERT_EQ(r.bullets.size(), 68u);
    EXPECT_EQ(r.draws, 1);
    // Replay the draw: the first column starts at -RF(400 / 16).
    const int s2 = g_randomStep, i2 = g_randomIndex;
    SetRandomState(idx, step);
    const float u = -RandomFloat(25.0f);
    SetRandomState(i2, s2);
    EXPECT_FLOAT_EQ(r.bullets[0]->x, u);
    EXPECT_FLOAT_EQ(r.bullets[4]->x, u + 25.0f);
    EXPECT_EQ(r.bullets[0]->y, 0.0f);
    EXPECT_FLOAT_EQ(r.bullets[0]->direction, 270.0f);
    for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(r.bullets[j]->speed, 3 * v / (j + 3));
  }
  ASSERT_GE(rows.size(), 33u);
  EXPECT_EQ(rows[0], 46);
  EXPECT_EQ(rows[1] - rows[0], 45);
  EXPECT_EQ(rows[2] - rows[1], 44);
  EXPECT_EQ(rows.back() - rows[rows.size() - 2], 15);
}

// Set-up 4 at difficulty 4: after 25 frames the V fires a pair every frame, closing from 89
// degrees one degree a frame until its half-opening drops below 2; the phase restarts at 541.
TEST_F(PhasedEnemies, Type0ClosingV) {
  Enemy* e = Make(0, 4, 180, 100, 270, 0);
  std::vector<FrameResult> r = Run(560);
  auto at = [&](int pf) -> const FrameResult& { return r[pf - 1]; };
  EXPECT_TRUE(at(24).bullets.empty());
  const float a = AngleToPlayerFrom(e);
  for (int pf = 25; pf <= 113; ++pf) {
    ASSERT_EQ(at(pf).bullets.size(), 2u) << pf;
    const float half = 90.0f - static_cast<float>(pf - 24);
    EXPECT_NEAR(Diff(at(pf).bullets[0]->direction, a - half), 0, 1e-3) << pf;
    EXPECT_NEAR(Diff(at(pf).bullets[1]->direction, a + half), 0, 1e-3) << pf;
    EXPECT_EQ(at(pf).bullets[0]->type, 441);
    EXPECT_FLOAT_EQ(at(pf).bullets[0]->accelMagnitude, 0.0075f * 5.8f + 0.15f);
    EXPECT_FLOAT_EQ(at(pf).bullets[0]->accelAngle, at(pf).bullets[0]->facing);
  }
  EXPECT_TRUE(at(114).bullets.empty());  // half-opening 1 < threshold 2
  EXPECT_TRUE(at(150).bullets.empty());
  // The second sweep opens the V from 0 at clock 180 (frame 204): t = 90 - countdown.
  EXPECT_TRUE(at(205).bullets.empty());
  ASSERT_EQ(at(250).bullets.size(), 2u);
  EXPECT_NEAR(Diff(at(250).bullets[1]->direction, a + 47), 0, 1e-3);
  // The third sweep (clock 270, frame 294) closes it again from 89.
  ASSERT_EQ(at(294).bullets.size(), 2u);
  EXPECT_NEAR(Diff(at(294).bullets[0]->direction, a - 89), 0, 1e-3);
  // Frame 541 sets phaseFrames to 0 (no attack); the entry runs again on the next frame.
  for (int pf = 541; pf <= 560; ++pf) EXPECT_TRUE(at(pf).bullets.empty()) << pf;
  EXPECT_EQ(e->phaseFrames, 19);
}

// Set-up 5 at difficulty 0: the entry draws twice; volleys of two mirrored arms of 2 every 8
// frames after 80; the aimed trail bullet from age 330; the cycle restarts after 650 frames.
TEST_F(PhasedEnemies, Type0DoubleSpiral) {
  SetDifficulty(0);
  Enemy* e = Make(0, 5, 180, 100, 270, 0);
  const FrameResult f1 = Frame();
  EXPECT_EQ(f1.draws, 2);
  EXPECT_EQ(e->intRegs[0], 2);
  EXPECT_EQ(e->intRegs[1], 8);
  EXPECT_EQ(e->intRegs[2], 80);
  EXPECT_NEAR(std::fabs(e->floatRegs[1]), 22.4f, 1e-5);
  const float a0 = e->floatRegs[0], f2 = e->floatRegs[2];
  std::vector<FrameResult> r = Run(700);  // frames 2..701
  auto at = [&](int pf) -> const FrameResult& { return r[pf - 2]; };
  EXPECT_TRUE(at(80).bullets.empty());
  ASSERT_EQ(at(88).bullets.size(), 4u);
  EXPECT_EQ(at(88).bullets[0]->type, 400 + 11);
  EXPECT_NEAR(Diff(at(88).bullets[0]->direction, a0 - (2 * f2 / 2)), 0, 1e-3);
  EXPECT_NEAR(Diff(at(88).bullets[1]->direction, 180 + a0 + (2 * f2 / 2)), 0, 1e-3);
  EXPECT_FLOAT_EQ(at(88).bullets[0]->speed, 3.15f);
  EXPECT_FLOAT_EQ(at(88).bullets[2]->speed, 3.15f + 1 * (3.5f - 3.15f) * 1.3f / 2);
  EXPECT_EQ(at(96).bullets.size(), 4u);
  EXPECT_EQ(at(330).bullets.size(), 1u);  // age 330: the aimed bullet alone
  const EnemyBullet* aimed = at(330).bullets[0];
  EXPECT_EQ(aimed->type, 52);
  EXPECT_EQ(aimed->trailSprite, 212);
  EXPECT_EQ(aimed->trailInterval, 4);
  EXPECT_EQ(at(336).bullets.size(), 4u);
  // The cycle ends after 80 + 480 + 90 frames: frame 651 restarts, frame 652 re-enters.
  EXPECT_EQ(at(652).draws, 2);
  EXPECT_EQ(at(651).draws, 0);
}

// Type 1 from phase 0 at difficulty 5: loose shots while braking (four draws each), the hover
// entry (three) and the spring (two a frame), five darts per cycle, flight after 120 frames.
TEST_F(PhasedEnemies, Type1BrakeHoverDartsAndFlee) {
  SetDifficulty(5);
  Enemy* e = Make(1, 0, 180, -16, 270, 3);
  int frame = 0, loose = 0;
  while (e->phase == 0) {
    const FrameResult r = Frame();
    ++frame;
    if (frame % 7 == 0) {
      ASSERT_EQ(r.bullets.size(), 1u) << frame;
      EXPECT_EQ(r.draws, 4);
      const EnemyBullet* b = r.bullets[0];
      EXPECT_TRUE(b->type == 59 || b->type == 48 || b->type == 49) << b->type;
      EXPECT_FLOAT_EQ(b->speed, 0.75f * 6.7f);
      EXPECT_LE(Diff(b->direction, AngleToPlayerFrom(e)), 12.5f + 1e-3);
      EXPECT_EQ(b->trailSprite, b->type + 160);
      ++loose;
    } else if (e->phase == 0) {
      EXPECT_TRUE(r.bullets.empty());
    }
  }
  EXPECT_EQ(frame, 26);
  EXPECT_EQ(loose, 3);
  // Hover: entry and spring on the first frame.
  FrameResult h = Frame();
  EXPECT_EQ(e->phaseFrames, 1);
  EXPECT_EQ(e->intRegs[0], 5);
  EXPECT_EQ(e->intRegs[1], 40);
  EXPECT_EQ(e->intRegs[2], 4);
  EXPECT_LE(e->intRegs[3], 1);
  int darts = static_cast<int>(h.bullets.size());
  int leftAt = 0;
  for (int pf = 2; pf <= 200 && !leftAt; ++pf) {
    const int clock = e->intRegs[3];
    h = Frame();
    if (e->phase == 2) {
      leftAt = pf;
      break;
    }
    EXPECT_EQ(h.draws, 2) << pf;
    const int c = (clock + 1) >= 40 ? clock + 1 - 40 : clock + 1;
    const bool fires = c >= 0 && c % 4 == 0 && c / 4 < 5;
    ASSERT_EQ(h.bullets.size(), fires ? 1u : 0u) << pf;
    if (fires) {
      const EnemyBullet* d = h.bullets[0];
      EXPECT_EQ(d->type, 0);
      EXPECT_FLOAT_EQ(d->baseScaleX, 0.7f + 0.3f);
      EXPECT_FLOAT_EQ(d->accelMagnitude, 0.23f + 0.15f);
      EXPECT_FLOAT_EQ(d->stretch, 7.3f);
      EXPECT_EQ(d->trailLifetime, 8);
      // From the muzzle 30 px out toward the player.
      EXPECT_NEAR(Hypot(d->x - e->launchers[0].x, d->y - e->launchers[0].y), 30, 1e-3);
      EXPECT_NEAR(Diff(d->direction, e->launchers[0].aimAngle), 0, 1e-3);
      ++darts;
    }
  }
  EXPECT_GT(leftAt, 90);
  EXPECT_LE(leftAt, 121);
  EXPECT_GE(darts, 5);
  // Fleeing: pushed away from the player (until it leaves the field).
  float d = DistanceToPlayer(world.get(), e->x, e->y);
  for (int i = 0; i < 8 && e->dyingCounter == 0; ++i) {
    Frame();
    const float now = DistanceToPlayer(world.get(), e->x, e->y);
    EXPECT_GT(now, d);
    d = now;
  }
}

// The no-fire radius: a dart due while the player is within 180 - 30D px is not made up.
TEST_F(PhasedEnemies, Type1HoldsDartsNearThePlayer) {
  SetDifficulty(1);
  for (const bool near : {true, false}) {
    ClearEnemyList(world.get());
    ClearBulletList(&world->bullets);
    world->player.y = 400;
    Enemy* e = Make(1, 1, 180, near ? 300 : 100, 270, 0);
    Frame();
    e->intRegs[3] = -1;  // the burst's only dart is due in the next frame
    const size_t dueFrame = Frame().bullets.size();
    EXPECT_EQ(dueFrame, near ? 0u : 1u);
    world->player.y = 0;  // far from both
    int later = 0;
    while (e->phase == 1) later += static_cast<int>(Frame().bullets.size());
    EXPECT_EQ(later, 0);
  }
}

// Phase 10 at difficulty 7: the cycle of 1 fires a dart every frame after the 5-frame delay,
// one draw each within the 7.2-degree spread; homing ends when age x speed reaches 400.
TEST_F(PhasedEnemies, Type1FlyThroughAtDifficulty7) {
  SetDifficulty(7);
  Enemy* e = Make(1, 10, 40, -16, 300, 4);
  int lived = 0;
  for (int pf = 1; pf <= 120; ++pf) {
    const float dirBefore = e->direction;
    const FrameResult r = Frame();
    if (e->dyingCounter) break;  // left the field
    lived = pf;
    if (pf < 5) {
      EXPECT_TRUE(r.bullets.empty()) << pf;
      EXPECT_EQ(r.draws, 0);
    } else {
      ASSERT_EQ(r.bullets.size(), 1u) << pf;
      EXPECT_EQ(r.draws, 1);
      EXPECT_LE(Diff(r.bullets[0]->direction, e->launchers[0].aimAngle), 7.2f + 1e-3);
      EXPECT_FLOAT_EQ(r.bullets[0]->accelMagnitude, 0.23f + 0.21f);
      EXPECT_EQ(r.bullets[0]->trailLifetime, 9);
    }
    EXPECT_EQ(e->facing, e->direction);
    if (pf >= 100) {
      EXPECT_EQ(e->direction, dirBefore) << pf;  // 100 x 4 = 400: homing over
    }
  }
  EXPECT_GE(lived, 105);
}

// Phase 10 at difficulty 0: a 1.6-degree spread, acceleration 0.11, start after 80 frames.
TEST_F(PhasedEnemies, Type1FlyThroughAtDifficulty0) {
  SetDifficulty(0);
  Enemy* e = Make(1, 10, 180, -16, 270, 2);
  std::vector<FrameResult> r = Run(120);
  int first = 0;
  for (int i = 0; i < 120 && !first; ++i) {
    if (!r[i].bullets.empty()) first = i + 1;
  }
  EXPECT_EQ(first, 80);
  ASSERT_EQ(r[79].bullets.size(), 1u);
  EXPECT_FLOAT_EQ(r[79].bullets[0]->accelMagnitude, 0.23f + 0.03f * -4);
  EXPECT_EQ(r[79].draws, 1);
  EXPECT_FLOAT_EQ(e->floatRegs[0], 1.6f);
}

// Set-up 1 runs for 4,000,000 frames, then returns to phase 0, which (at speed 0) re-enters it
// at once with a new aim.
TEST_F(PhasedEnemies, Type0RingRestartsAfterItsLength) {
  Enemy* e = Make(0, 1, 180, 100, 270, 0);
  Frame();
  e->phaseFrames = 4000000;
  EXPECT_EQ(Frame().bullets.size(), 0u);  // the phase change skips the attack
  EXPECT_EQ(e->phase, 0);
  EXPECT_EQ(Frame().bullets.size(), 0u);  // braking at speed 0: set-up 1 again
  EXPECT_EQ(e->phase, 1);
  const FrameResult r = Frame();
  EXPECT_EQ(e->phaseFrames, 1);
  EXPECT_EQ(r.bullets.size(), 5u);
  EXPECT_FLOAT_EQ(e->floatRegs[1], -19.6f);  // the ring radius starts over
}

// Type 1 in a phase without code only turns its gun to the player; started in phase 2 it flees.
TEST_F(PhasedEnemies, Type1OtherPhasesAimOnly) {
  Enemy* idle = Make(1, 5, 100, 100, 0, 0);
  for (int i = 0; i < 60; ++i) EXPECT_TRUE(Frame().bullets.empty());
  EXPECT_EQ(idle->x, 100.0f);
  EXPECT_NEAR(Diff(idle->launchers[0].aimAngle, AngleToPlayerFrom(idle)), 0, 1e-3);
  ClearEnemyList(world.get());
  Enemy* flee = Make(1, 2, 180, 300, 0, 0);
  Frame();
  EXPECT_NEAR(Diff(flee->direction, 90), 0, 1e-3);  // straight away from the player below
  EXPECT_FLOAT_EQ(flee->speed, 0.4f);
}
