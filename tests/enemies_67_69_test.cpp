#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

namespace {

using family_test::EnemyFamilyTest;

class PodShip : public EnemyFamilyTest {
 protected:
  Enemy* ship = nullptr;

  // The ship, stepped through its first frame (its pods exist from then on).
  Enemy* Launch(float playerX = 100) {
    world->player.x = playerX;
    ship = Make(67, 0, 0, 0, 0);
    Step();
    return ship;
  }
  Enemy* Pod(int slot) const { return ship->children[slot]; }

  void RunToPhase(int phase, int limit = 3000) {
    for (int i = 0; i < limit && ship->phase != phase; ++i) Step();
    ASSERT_EQ(ship->phase, phase);
  }

  void KillPodsDownTo(int live) {
    for (int i = 0; i < 6 && CountLiveChildren(ship) > live; ++i)
      if (Pod(i)) KillEnemy(false, world.get(), -1, Pod(i));
    ASSERT_EQ(CountLiveChildren(ship), live);
  }

  Option* LockOption(Enemy* target) {
    Option* o = new Option;
    ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
    world->player.optionCount += 1;
    o->target = target;
    return o;
  }

  static std::vector<EnemyBullet*> OfType(const std::vector<EnemyBullet*>& v, int type) {
    std::vector<EnemyBullet*> out;
    for (EnemyBullet* b : v)
      if (b->type == type) out.push_back(b);
    return out;
  }
};

TEST_F(PodShip, StartsOppositeThePlayerWithItsPodsInPlace) {
  for (float px : {100.0f, 300.0f}) {
    SCOPED_TRACE(px);
    SetUp();
    int step = g_randomStep;
    Launch(px);
    EXPECT_EQ(DrawsSince(step), 2);  // speed and heading
    // The pods were appended behind the last enemy of the walk: their first frame is the next.
    step = g_randomStep;
    Step();
    EXPECT_EQ(DrawsSince(step), 6);  // one spin per pod
    EXPECT_EQ(Pod(0)->age, 1);
    const float startX = px < 180 ? 580.0f : -220.0f;
    EXPECT_FLOAT_EQ(ship->baseX - 2 * ship->vx, startX);
    EXPECT_FLOAT_EQ(ship->baseY - 2 * ship->vy, -60.0f);
    EXPECT_EQ(ship->vx < 0, px < 180);  // dashing away from the player's side
    EXPECT_GE(ship->speed, 24.0f);
    EXPECT_LT(ship->speed, 26.0f);
    EXPECT_LE(AngleDistance(ship->direction, AngleFromTo(startX, -60, 180, 120)), 3.0f);
    EXPECT_FLOAT_EQ(ship->facing, 270.0f);
    ASSERT_EQ(ship->childCount, 6);
    const float dx[6] = {-90, 90, -90, 90, -120, 120}, dy[6] = {60, 60, -60, -60, 0, 0};
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      ASSERT_NE(Pod(i), nullptr);
      EXPECT_EQ(Pod(i)->type, i < 4 ? 68 : 69);
      EXPECT_NEAR(Pod(i)->x - ship->x, dx[i], 1e-3);
      EXPECT_NEAR(Pod(i)->y - ship->y, dy[i], 1e-3);
      const float spin = Pod(i)->floatRegs[1];
      EXPECT_EQ(spin > 0, i % 2 == 1);
      EXPECT_GE(std::fabs(spin), 1.2f);
      EXPECT_LT(std::fabs(spin), 2.0f);
    }
    TearDown();
  }
}

TEST_F(PodShip, DashesUntargetableAndComesBackFromTheSideItLeftBy) {
  for (int d : {0, 7}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    Launch(100);
    Option* onPod = LockOption(Pod(4));
    Option* onShip = LockOption(ship);
    while (ship->phaseFrames < 119) Step();
    EXPECT_EQ(ship->targetable, 1);
    Step();
    EXPECT_EQ(ship->targetable, 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Pod(i)->targetable, 0);
    EXPECT_EQ(onPod->target, nullptr);
    EXPECT_EQ(onShip->target, nullptr);
    while (ship->phaseFrames < 450) Step();
    const int step = g_randomStep;
    Step();
    ASSERT_EQ(ship->phase, 1);
    EXPECT_GE(DrawsSince(step), 3);  // height, speed, heading (the pods may lob as well)
    EXPECT_EQ(ship->targetable, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Pod(i)->targetable, 1);
    // It dashed left, far out; it comes back from the left at 18 px a frame or more.
    EXPECT_FLOAT_EQ(ship->baseX - ship->vx, -220.0f);
    EXPECT_FLOAT_EQ(ship->floatRegs[0], -1.0f);
    EXPECT_GT(ship->vx, 0.0f);
    EXPECT_GE(ship->speed, 18.0f);
    // It brakes until it crosses the centre line, then swings for 360 frames.
    while (ship->phase == 1) {
      const bool crosses = SignFloatAsInt(ship->x - 180) != SignFloatAsInt(ship->x + ship->vx * 0.97f - 180);
      Step();
      EXPECT_EQ(ship->phase == 2, crosses);
    }
    int swing = 0;
    while (ship->phase == 2) {
      Step();
      swing += 1;
      if (ship->phase != 2) break;
      for (int i = 0; i < 6; ++i) ASSERT_EQ(Pod(i)->phase, 0);
    }
    EXPECT_EQ(swing, 361);
    EXPECT_EQ(ship->phase, 3);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Pod(i)->phase, 1);
    TearDown();
  }
}

TEST_F(PodShip, CurledRingsByDifficulty) {
  // ring: each direction's turn from the first, (i x 360) / intRegs[1] truncated (empty: an
  // exact 360 / intRegs[1]). speeds: the layers, 2.45 + (B - 2.45) x (1 - j / (layers - 1)) with
  // the fraction in float, so every layer has its own speed.
  struct Case {
    int d, r[6];
    float turn;
    std::vector<float> ring, speeds;
  } const cases[] = {
      {0, {2, 4, 1, 60, 216, 110}, 125.1f, {}, {3.5f}},
      {1, {3, 5, 2, 45, 156, 55}, 100.08f, {}, {4.0f, 2.45f}},
      {3, {5, 7, 4, 30, 126, 27}, 71.4857f, {0, 51, 102, 154, 205, 257, 308}, {5.0f, 4.15f, 3.3f, 2.45f}},
      {4, {6, 8, 5, 25, 120, 22}, 62.55f, {}, {5.8f, 4.9625f, 4.125f, 3.2875f, 2.45f}},
      {6,
       {8, 16, 7, 20, 113, 15},
       31.275f,
       {0, 22, 45, 67, 90, 112, 135, 157, 180, 202, 225, 247, 270, 292, 315, 337},
       {7.6f, 6.741667f, 5.883333f, 5.025f, 4.166667f, 3.308333f, 2.45f}},
      {7,
       {9, 20, 8, 18, 111, 13},
       25.02f,
       {},
       {8.5f, 7.635714f, 6.771429f, 5.907143f, 5.042857f, 4.178571f, 3.314286f, 2.45f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch(100);
    RunToPhase(3);
    const int n = c.r[1] * c.r[2];
    std::vector<int> frames;
    float previous = 0;
    for (;;) {
      const int pf = ship->phaseFrames + 1;
      const std::vector<EnemyBullet*> made = OfType(Step(), 19);
      if (ship->phaseFrames == 0) break;  // the phase ended (six pods: it starts again)
      if (pf == 1) {
        for (int i = 0; i < 6; ++i) EXPECT_EQ(ship->intRegs[i], c.r[i]) << i;
        // Re-entered from the left: the bursts turn clockwise.
        EXPECT_NEAR(ship->floatRegs[0], -c.turn, 1e-3);
        EXPECT_NEAR(ship->floatRegs[1], 360.0f * 0.28f / c.r[1], 1e-4);
      }
      if (made.empty()) continue;
      ASSERT_EQ(static_cast<int>(made.size()), n);
      frames.push_back(pf);
      const EnemyBullet* b = made[0];
      if (frames.size() == 1) {
        EXPECT_NEAR(AngleDistance(b->direction, AngleFromEnemyToPlayer(world.get(), ship)), 0.0f, 1e-3);
      } else {
        EXPECT_NEAR(AngleDistance(b->direction, previous - c.turn), 0.0f, 1e-2);
      }
      previous = b->direction;
      // The layers from B down to 2.45, each bent by floatRegs[1].
      for (int j = 0; j < c.r[2]; ++j) EXPECT_NEAR(made[j]->speed, c.speeds[j], 1e-5) << "layer " << j;
      if (c.r[2] > 1) {
        EXPECT_NEAR(AngleDistance(made[1]->direction, b->direction), ship->floatRegs[1], 1e-3);
      }
      for (int i = 0; i < c.r[1]; ++i) {
        const float turn = c.ring.empty() ? 360.0f * i / c.r[1] : c.ring[i];
        EXPECT_NEAR(AngleDistance(made[i * c.r[2]]->direction, b->direction + turn), 0.0f, 1e-3) << "direction " << i;
      }
      EXPECT_FLOAT_EQ(b->accelMagnitude, 0.017f * c.d + 0.14f);
      EXPECT_FLOAT_EQ(b->accelFactor, 0.8f);
      EXPECT_FLOAT_EQ(b->friction, 0.997f);
      EXPECT_FLOAT_EQ(b->stretch, 120.0f / (c.d + 16));
      EXPECT_FLOAT_EQ(b->baseScaleX, 0.8f);
    }
    ASSERT_EQ(static_cast<int>(frames.size()), c.r[0]);
    for (int k = 0; k < c.r[0]; ++k) EXPECT_EQ(frames[k], 1 + c.r[4] + k * c.r[3]);
    // It settles on (180, 140) while it fires.
    EXPECT_NEAR(ship->x, 180.0f, 0.5f);
    EXPECT_NEAR(ship->y, 140.0f, 0.5f);
    TearDown();
  }
}

TEST_F(PodShip, TheLivePodsChooseTheNextRingPattern) {
  struct Case {
    int live, afterCurled, afterTurning;
  } const cases[] = {{6, 3, 4}, {4, 3, 4}, {3, 4, 4}, {2, 4, 4}, {1, 4, 3}, {0, 4, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.live);
    SetUp();
    Launch(100);
    RunToPhase(3);
    KillPodsDownTo(c.live);
    Step();
    const int end = ship->intRegs[0] * ship->intRegs[3] + ship->intRegs[4] + ship->intRegs[5];
    while (ship->phaseFrames < end - 1) Step();
    EXPECT_EQ(ship->phase, 3);
    Step();
    EXPECT_EQ(ship->phase, c.afterCurled);
    if (c.afterCurled == 3) {
      TearDown();
      continue;
    }
    Step();
    const int end4 = ship->intRegs[0] * ship->intRegs[3] + ship->intRegs[4] + ship->intRegs[5];
    while (ship->phaseFrames < end4 - 1) Step();
    EXPECT_EQ(ship->phase, 4);
    Step();
    EXPECT_EQ(ship->phase, c.afterTurning);
    TearDown();
  }
}

TEST_F(PodShip, LeavingWinsOverTheNextPatternInTheSameFrame) {
  Launch(100);
  RunToPhase(3);
  Step();
  const int end = ship->intRegs[0] * ship->intRegs[3] + ship->intRegs[4] + ship->intRegs[5];
  while (ship->phaseFrames < end - 1) Step();
  ship->age = 2600;
  Step();
  EXPECT_EQ(ship->phase, 5);
  EXPECT_EQ(ship->phaseFrames, 0);
  Step();
  EXPECT_EQ(ship->phase, 5);  // no pattern entry ran in between
}

TEST_F(PodShip, TurningRingsCoastAndPullTowardThePlayer) {
  // ring: (i x 360) / intRegs[1] truncated; rays: bullet j of a direction turned by
  // (j x (360 - 360 / intRegs[1])) / (intRegs[1] x intRegs[2]) truncated; stretch 26 / (D + 4)
  // truncated.
  struct Case {
    int d, r[6];
    float turn;
    std::vector<float> ring, rays;
    float stretch;
  } const cases[] = {
      {0, {5, 5, 1, 56, 184, 150}, 1.24f, {0, 72, 144, 216, 288}, {0}, 6},
      {3, {11, 8, 2, 40, 94, 37}, 1.63f, {0, 45, 90, 135, 180, 225, 270, 315}, {0, 19}, 3},
      {6, {17, 11, 4, 32, 81, 21}, 2.02f, {0, 32, 65, 98, 130, 163, 196, 229, 261, 294, 327}, {0, 7, 14, 22}, 2},
      {7, {19, 12, 4, 29, 79, 18}, 2.15f, {0, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330}, {0, 6, 13, 20}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch(100);
    RunToPhase(3);
    KillPodsDownTo(0);  // no pods: phase 4 follows and repeats, and only the ship draws
    RunToPhase(4);
    int step = g_randomStep;
    Step();
    EXPECT_EQ(DrawsSince(step), 2);  // start angle and turn side
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ship->intRegs[i], c.r[i]) << i;
    EXPECT_NEAR(std::fabs(ship->floatRegs[1]), c.turn, 1e-4);
    const float vx = ship->vx, vy = ship->vy;
    const int n = c.r[1] * c.r[2];
    int bursts = 0;
    for (;;) {
      const int pf = ship->phaseFrames + 1;
      step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      if (ship->phaseFrames == 0) break;  // the phase ended (and starts again)
      EXPECT_EQ(ship->vx, vx);  // it coasts
      EXPECT_EQ(ship->vy, vy);
      if (made.empty()) {
        EXPECT_EQ(DrawsSince(step), 0);
        continue;
      }
      bursts += 1;
      EXPECT_EQ((pf - 1 - c.r[4]) % c.r[3], 0);
      ASSERT_EQ(static_cast<int>(made.size()), n);
      EXPECT_EQ(DrawsSince(step), n);  // one pull angle per bullet
      const float aim = AngleFromEnemyToPlayer(world.get(), ship);
      for (int k = 0; k < n; ++k) {
        const EnemyBullet* b = made[k];
        EXPECT_EQ(b->type, 65);
        EXPECT_FLOAT_EQ(b->speed, g_bulletSpeedBase);
        EXPECT_LE(AngleDistance(b->accelAngle, aim), 30.0f + 1e-3f);
        EXPECT_FLOAT_EQ(b->accelMagnitude, 0.0033f * c.d + 0.04f);
        EXPECT_FLOAT_EQ(b->friction, 0.96f);
        EXPECT_FLOAT_EQ(b->accelFactor, 1.01f);
        EXPECT_FLOAT_EQ(b->stretch, c.stretch);
        const float turn = c.ring[k / c.r[2]] + c.rays[k % c.r[2]];
        EXPECT_NEAR(AngleDistance(b->direction, made[0]->direction + turn), 0.0f, 1e-3) << "bullet " << k;
      }
      // The stretch draws the hit shape out along the flight: scale x (1 + distance / stretch).
      EnemyBullet* b = made[0];
      b->prevX = b->x;
      b->prevY = b->y;
      b->MoveBullet();
      const float moved = Hypot(b->x - b->prevX, b->y - b->prevY);
      EXPECT_FLOAT_EQ(b->sprite.scaleX, 0.6f * (moved / c.stretch + 1.0f));
      EXPECT_FLOAT_EQ(b->sprite.scaleY, 0.6f / (moved / c.stretch + 1.0f));
    }
    EXPECT_EQ(bursts, c.r[0]);
    EXPECT_EQ(ship->phase, 4);
    TearDown();
  }
}

TEST_F(PodShip, PodsLobWhileTheShipComesIn) {
  struct Case {
    int d;
    bool inDash;
    int period, perLob;
  } const cases[] = {{0, false, 120, 1}, {3, false, 42, 1}, {4, true, 35, 3}, {7, true, 17, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Launch(100);
    int lobs[3] = {0, 0, 0};
    while (ship->phase < 3) {
      const int pf = Pod(0)->phaseFrames + 1;
      const std::vector<EnemyBullet*> made = Step();
      const int shipPhase = ship->phase;  // as the pods saw it
      const std::vector<EnemyBullet*> gun = OfType(made, 3);
      const std::vector<EnemyBullet*> side = OfType(made, 5);
      if (gun.empty() && side.empty()) continue;
      ASSERT_LT(shipPhase, 3);
      lobs[shipPhase] += 1;
      EXPECT_EQ(pf % c.period, 0);
      ASSERT_EQ(static_cast<int>(gun.size()), 4 * c.perLob);
      ASSERT_EQ(static_cast<int>(side.size()), 2 * c.perLob);
      const EnemyBullet* b = gun[0];
      EXPECT_FLOAT_EQ(b->speed, 3.5f);
      EXPECT_FLOAT_EQ(b->accelAngle, 270.0f);
      EXPECT_FLOAT_EQ(b->accelMagnitude, 0.012f * c.d + 0.06f);
      EXPECT_FLOAT_EQ(side[0]->accelMagnitude, 0.012f * c.d + 0.09f);
      EXPECT_FLOAT_EQ(b->stretch, 12.0f);
      EXPECT_FLOAT_EQ(b->baseScaleX, 0.52f);
      // A narrow fan about straight up.
      EXPECT_LE(AngleDistance(b->direction, 90.0f), 4.0f * c.perLob * 7.0f);
      if (c.perLob > 1) {
        EXPECT_NEAR(AngleDistance(gun[1]->direction, gun[0]->direction), c.d > 5 ? 7.0f : 3.0f, 1e-3);
        EXPECT_NEAR(AngleDistance(side[1]->direction, side[0]->direction), 7.0f, 1e-3);
      }
    }
    EXPECT_EQ(lobs[0] > 0, c.inDash);
    EXPECT_EQ(lobs[1], 0);  // never while braking
    EXPECT_GT(lobs[2], 0);
    // No lobs after the swing.
    for (int i = 0; i < 300; ++i) {
      const std::vector<EnemyBullet*> made = Step();
      EXPECT_TRUE(OfType(made, 3).empty() && OfType(made, 5).empty());
    }
    TearDown();
  }
}

TEST_F(PodShip, GunPodsFireAimedFansOnTheirCycle) {
  for (int d : {0, 5}) {
    SCOPED_TRACE(d);
    SetUp();
    SetDifficulty(d);
    Launch(100);
    RunToPhase(3);
    for (int i = 1; i < 6; ++i) KillEnemy(false, world.get(), -1, Pod(i));  // one gun pod left
    Enemy* pod = Pod(0);
    const int* r = pod->intRegs;
    const int n = d == 0 ? 1 : 3;
    EXPECT_EQ(r[4], n);
    EXPECT_EQ(r[5], d == 0 ? 80 : 32);
    EXPECT_EQ(r[6], d == 0 ? 2 : 11);
    EXPECT_EQ(r[7], d == 0 ? 120 : 27);
    const int base = d == 0 ? 180 : 80;
    EXPECT_GE(r[8], base);
    EXPECT_LT(r[8], base + (d == 0 ? 80 : 160));
    std::vector<int> frames;
    for (int i = 0; i < 1000; ++i) {
      const int pf = pod->phaseFrames + 1;
      const std::vector<EnemyBullet*> made = OfType(Step(), 2);
      if (made.empty()) continue;
      ASSERT_EQ(static_cast<int>(made.size()), n);
      frames.push_back(pf - r[8]);
      const EnemyBullet* b = made[0];
      EXPECT_FLOAT_EQ(b->speed, g_bulletSpeedBase);
      const float sc = 0.01f * d + 0.47f;
      EXPECT_FLOAT_EQ(b->baseScaleX, sc);
      EXPECT_FLOAT_EQ(b->baseScaleY, 0.9f * sc);
      EXPECT_FLOAT_EQ(b->stretch, 16.0f);
      EXPECT_FLOAT_EQ(b->friction, 1.0f - 0.006f * g_bulletSpeedBase);
      EXPECT_FLOAT_EQ(b->accelMagnitude, 0.07f);
      const float aim = AngleToPlayer(world.get(), pod->x, pod->y);
      EXPECT_LE(AngleDistance(made[n / 2]->direction, aim), 1.2f * 16 + 1e-3f);
      if (n > 1) {
        EXPECT_NEAR(AngleDistance(made[1]->direction, made[0]->direction), (n * 12 + 40) / static_cast<float>(n), 1e-3);
      }
    }
    // intRegs[6] fans intRegs[5] frames apart, then a rest of intRegs[7].
    const int cycle = r[5] * r[6] + r[7];
    ASSERT_GE(frames.size(), static_cast<size_t>(r[6] + 1));
    for (size_t k = 0; k < frames.size(); ++k) {
      const int m = static_cast<int>(k) / r[6], v = static_cast<int>(k) % r[6];
      EXPECT_EQ(frames[k], m * cycle + v * r[5]) << k;
    }
    TearDown();
  }
}

TEST_F(PodShip, SidePodsFireOnlyWhileBeingHit) {
  SetDifficulty(3);
  Launch(100);
  RunToPhase(3);
  for (int i = 0; i < 6; ++i)
    if (i != 5) KillEnemy(false, world.get(), -1, Pod(i));
  Enemy* pod = Pod(5);
  const int* r = pod->intRegs;
  // Not hit: the counter is held at -1. Only the frame the counter starts on finds it still at
  // 0 and fires once (when that frame is past the second).
  int volleys = 0;
  for (int i = 0; i < 600; ++i) {
    const int pf = pod->phaseFrames + 1;
    const std::vector<EnemyBullet*> made = OfType(Step(), 6);
    if (made.empty()) continue;
    volleys += 1;
    EXPECT_EQ(pf, r[8]);
  }
  EXPECT_EQ(volleys, r[8] > 2 ? 1 : 0);
  EXPECT_EQ(r[9], -1);
  // Hit every frame: the cycle runs from its first shot; lines of rising speed.
  std::vector<int> counts;
  for (int i = 0; i < 200; ++i) {
    pod->hp -= 1;
    const std::vector<EnemyBullet*> made = OfType(Step(), 6);
    if (made.empty()) continue;
    counts.push_back(r[9]);
    ASSERT_EQ(static_cast<int>(made.size()), r[4]);
    EXPECT_FLOAT_EQ(made[0]->speed, 4 * g_bulletSpeedBase / 4);
  }
  ASSERT_FALSE(counts.empty());
  EXPECT_EQ(counts[0], 0);
  for (int v : counts) EXPECT_EQ(v % r[5], 0);
  // The hits stop: 80 frames later the counter is held again and nothing more is fired.
  for (int i = 0; i < 80; ++i) Step();
  EXPECT_EQ(r[9], -1);
  for (int i = 0; i < 200; ++i) EXPECT_TRUE(OfType(Step(), 6).empty());
}

TEST_F(PodShip, HitsPushAPodAsideAndShakeItsAim) {
  Launch(100);
  Enemy* pod = Pod(1);
  Step();
  // A 1000-point hit counts as 500: 37.5 px, one draw for the direction.
  pod->hp -= 1000;
  int step = g_randomStep;
  Step();
  EXPECT_EQ(DrawsSince(step), 1);
  EXPECT_NEAR(Hypot(pod->baseX - ship->x, pod->baseY - ship->y), 37.5f, 1e-3);
  EXPECT_EQ(pod->intRegs[2], 2);  // +3, then the frame's decay
  EXPECT_EQ(pod->intRegs[3], pod->hp);
  Step();
  EXPECT_NEAR(Hypot(pod->baseX - ship->x, pod->baseY - ship->y), 0.8f * 37.5f, 1e-3);
  EXPECT_EQ(pod->intRegs[2], 1);
  // The shake never passes 16.
  for (int i = 0; i < 10; ++i) {
    pod->hp -= 10;
    Step();
  }
  EXPECT_EQ(pod->intRegs[2], 15);
}

TEST_F(PodShip, LeavesAfterAge2600WithItsPodsAndLeavesNoLinkBehind) {
  Launch(100);
  RunToPhase(3);
  Option* onPod = LockOption(Pod(2));
  PlayerShot* s = new PlayerShot;
  ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
  world->shots.count += 1;
  s->target = Pod(5);
  const int scoreLow = world->player.scoreLow;
  ship->age = 2600;
  Step();
  EXPECT_EQ(ship->phase, 5);
  int frames = 0;
  while (ship->dyingCounter == 0 && frames < 400) {
    Step();
    frames += 1;
  }
  EXPECT_EQ(ship->dyingCounter, 2);
  EXPECT_LT(ship->y, -100.0f);
  for (int i = 0; i < 4; ++i) Step();
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(onPod->target, nullptr);
  EXPECT_EQ(s->target, nullptr);
  EXPECT_EQ(world->player.scoreLow, scoreLow);
  EXPECT_EQ(world->items.count, 0);
}

TEST_F(PodShip, KilledShipsPodsDieInTheSameFrameWithoutReward) {
  Launch(100);
  Enemy* pods[6];
  for (int i = 0; i < 6; ++i) pods[i] = Pod(i);
  Option* onPod = LockOption(pods[3]);
  KillEnemy(true, world.get(), 0, ship);
  const int items = world->items.count;
  const int score = world->player.scoreLow;
  Step();
  for (Enemy* p : pods) {
    EXPECT_EQ(p->parent, nullptr);
    EXPECT_EQ(p->dyingCounter, 1);
  }
  EXPECT_EQ(world->items.count, items);
  EXPECT_EQ(world->player.scoreLow, score);
  for (int i = 0; i < 3; ++i) Step();
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(onPod->target, nullptr);
}

TEST_F(PodShip, PodsWithoutTheShipDieAtOnce) {
  for (int type : {68, 69}) {
    Enemy* e = Make(type, 100, 100, 0, 0, 1);
    EXPECT_TRUE(Step().empty());
    EXPECT_EQ(e->dyingCounter, 1);
  }
}

}  // namespace
