#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyHelpers.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

using MineLayers = EnemyFamilyTest;

int CountType(const std::vector<EnemyBullet*>& v, int type) {
  int n = 0;
  for (const EnemyBullet* b : v) n += b->type == type;
  return n;
}

std::vector<Enemy*> EnemiesOfType(const GameWorld* w, int type) {
  std::vector<Enemy*> v;
  for (Enemy* p = w->enemies.head; p; p = p->next)
    if (p->type == type) v.push_back(p);
  return v;
}

// ---- Type 25 ---------------------------------------------------------------------------------

TEST_F(MineLayers, LayerFansMinesAndArmourByDifficulty) {
  struct Case {
    int d, armouredUntil, fan, fanAge, secondFan, mines, interval, firstMine;
  } const cases[] = {
      {0, 20, 2, 100, 0, 3, 12, 160}, {1, 31, 4, 96, 0, 5, 8, 150},  {2, 42, 4, 92, 0, 7, 6, 140},
      {3, 53, 4, 88, 0, 9, 5, 130},   {4, 64, 4, 84, 3, 11, 4, 120}, {5, 75, 6, 80, 5, 16, 3, 110},
      {6, 80, 8, 76, 7, 21, 3, 100},  {7, 80, 10, 72, 9, 26, 3, 92},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(25, 180, 40, 270, 3.0f);
    std::vector<int> fanAges, fanSizes, mineAges;
    for (int age = 1; age <= c.firstMine + c.interval * c.mines + 10; ++age) {
      e->hp = e->maxHp - 10;
      const int before = static_cast<int>(EnemiesOfType(world.get(), 26).size());
      const int step = g_randomStep;
      const std::vector<EnemyBullet*> made = Step();
      const int laid = static_cast<int>(EnemiesOfType(world.get(), 26).size()) - before;
      int setUps = 0;
      for (const Enemy* m : EnemiesOfType(world.get(), 26)) setUps += m->age == 1;
      EXPECT_EQ(DrawsSince(step), 2 * laid + 3 * setUps);  // speed, direction; a mine's set-up
      ASSERT_EQ(e->age, age);
      EXPECT_EQ(e->hp, age < c.armouredUntil ? e->maxHp : e->maxHp - 10) << age;
      const int fan = CountType(made, 58);
      if (fan) {
        fanAges.push_back(age);
        fanSizes.push_back(fan);
        const EnemyBullet* b = made.front();
        EXPECT_EQ(b->speed, 2.4f);
        EXPECT_EQ(b->pulseOn, 1);
        EXPECT_FLOAT_EQ(b->facing, e->facing + 90.0f);
        // The outer bullets lie ((n - 1)(6n + 16)) / n degrees (truncated) either side of the facing.
        EXPECT_NEAR(AngleDistance(b->direction, e->facing), static_cast<float>((fan - 1) * (6 * fan + 16) / fan),
                    1e-3f);
      }
      const std::vector<Enemy*> mines = EnemiesOfType(world.get(), 26);
      if (static_cast<int>(mines.size()) > before) {
        ASSERT_EQ(static_cast<int>(mines.size()), before + 1);
        const Enemy* m = mines.back();
        mineAges.push_back(age);
        EXPECT_EQ(m->parent, e);
        EXPECT_EQ(e->childCount, 0);  // a link only
        const float v = static_cast<float>(mineAges.size() - 1);
        // A mine appended behind a mine runs its first frame in the same walk and has braked.
        if (m->age == 0) {
          EXPECT_GE(m->speed, 9.0f + 0.6f * v - 1e-4f);
          EXPECT_LT(m->speed, 11.0f + 0.6f * v + 1e-4f);
        }
      }
    }
    std::vector<int> wantAges{c.fanAge}, wantSizes{c.fan};
    if (c.secondFan) {
      wantAges.push_back(c.fanAge + 30);
      wantSizes.push_back(c.secondFan);
    }
    EXPECT_EQ(fanAges, wantAges);
    EXPECT_EQ(fanSizes, wantSizes);
    ASSERT_EQ(static_cast<int>(mineAges.size()), c.mines);
    for (int i = 0; i < c.mines; ++i) EXPECT_EQ(mineAges[i], c.firstMine + i * c.interval);
    TearDown();
  }
}

TEST_F(MineLayers, LayerFanOffsetsAreIntegerQuotients) {
  // Bullet i at ((2i - (n - 1)) x (6n + 16)) / n degrees from the facing, truncated toward zero.
  struct Case {
    int d;
    std::vector<int> first, second;
  } const cases[] = {
      {4, {-30, -10, 10, 30}, {-22, 0, 22}},
      {5, {-43, -26, -8, 8, 26, 43}, {-36, -18, 0, 18, 36}},
      {6, {-56, -40, -24, -8, 8, 24, 40, 56}, {-49, -33, -16, 0, 16, 33, 49}},
      {7, {-68, -53, -38, -22, -7, 7, 22, 38, 53, 68}, {-62, -46, -31, -15, 0, 15, 31, 46, 62}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetUp();
    SetDifficulty(c.d);
    Enemy* e = Make(25, 180, 40, 270, 3.0f);
    for (const std::vector<int>* want : {&c.first, &c.second}) {
      std::vector<EnemyBullet*> fan;  // the fan's bullets only: mines' carried bullets come too
      while (fan.empty())
        for (EnemyBullet* b : Step())
          if (b->type == 58) fan.push_back(b);
      ASSERT_EQ(fan.size(), want->size());
      for (size_t i = 0; i < fan.size(); ++i)
        EXPECT_NEAR(NormalizeAngle(fan[i]->direction - e->facing + 180.0f) - 180.0f, static_cast<float>((*want)[i]),
                    1e-3f)
            << i;
    }
    TearDown();
  }
}

TEST_F(MineLayers, LayerSinksFasterAndFacesDownAfterItsFirstMine) {
  SetDifficulty(2);
  Enemy* e = Make(25, 180, 40, 270, 3.0f);
  while (e->age < 139) Step();
  const float vy = e->vy;
  EXPECT_LT(std::fabs(vy), 0.1f);
  Step();  // phaseFrames 140: the sinking starts
  EXPECT_NEAR(e->vy, vy * 0.975f + 0.03f, 1e-5f);
  float last = e->vy;
  for (int i = 1; i <= 20; ++i) {
    Step();
    EXPECT_GT(e->vy - last * 0.975f, 0.03f + 0.0017f * static_cast<float>(i) - 1e-4f);
    last = e->vy;
  }
  for (int i = 0; i < 60; ++i) Step();
  EXPECT_EQ(e->facing, 270.0f);
}

TEST_F(MineLayers, LayerStartedInAnotherPhaseDoesNotMoveButFiresByAge) {
  SetDifficulty(7);
  Enemy* e = Make(25, 180, 40, 300, 2.0f, 1);
  const float vx = e->vx, vy = e->vy;
  int fans = 0;
  for (int i = 0; i < 110; ++i) {
    fans += CountType(Step(), 58) > 0;
    EXPECT_EQ(e->vx, vx);
    EXPECT_EQ(e->vy, vy);
    EXPECT_EQ(e->facing, 300.0f);
  }
  EXPECT_EQ(fans, 2);
  EXPECT_FALSE(EnemiesOfType(world.get(), 26).empty());
}

// ---- Type 26 ---------------------------------------------------------------------------------

constexpr uint32_t kMineColours[12] = {0xFF00E000, 0xFF00E070, 0xFF00E0E0, 0xFF0070E0, 0xFF0000E0, 0xFF7000E0,
                                       0xFFE000E0, 0xFFE00070, 0xFFE00000, 0xFFE07000, 0xFFE0E000, 0xFF70E000};

TEST_F(MineLayers, MineSetUpAndItsCarriedBullet) {
  for (int d : {0, 7}) {
    SCOPED_TRACE(d);
    SetDifficulty(d);
    Enemy* e = Make(26, 180, 100, 90, 9.0f);
    const int step = g_randomStep;
    const std::vector<EnemyBullet*> made = Step();
    EXPECT_EQ(DrawsSince(step), 3);  // side, spin, colour
    const float spin = e->floatRegs[0];
    EXPECT_GE(std::fabs(spin), 12.0f);
    EXPECT_LT(std::fabs(spin), 28.0f);
    ASSERT_GE(e->intRegs[1], 0);
    ASSERT_LT(e->intRegs[1], 12);
    EXPECT_EQ(e->sprite.colors[0], kMineColours[e->intRegs[1]]);
    EXPECT_EQ(static_cast<uint32_t>(e->intRegs[2]), kMineColours[e->intRegs[1]]);
    ASSERT_EQ(made.size(), 1u);
    EnemyBullet* b = made[0];
    EXPECT_EQ(b->type, 400 + e->intRegs[1]);
    EXPECT_EQ(b->facingMode, BulletFaceSpin);
    EXPECT_EQ(b->spinStep, spin);  // the mine's own spin
    EXPECT_EQ(e->intRegs[0], b->bulletId);
    const float grow = 0.056f + 0.005f * static_cast<float>(d);
    EXPECT_FLOAT_EQ(b->baseScaleX, 0.3f + grow);  // it grows already in its first frame
    // The bullet's own motion puts it on the mine.
    b->MoveBullet();
    EXPECT_FLOAT_EQ(b->x, e->x);
    EXPECT_FLOAT_EQ(b->y, e->y);
    EXPECT_FLOAT_EQ(b->speed, 3.0f);
    EXPECT_EQ(b->direction, e->direction);
    // It grows to its full size and stops there.
    const float full = 1.0f + 0.06f * static_cast<float>(d);
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(Step().empty());
    EXPECT_GE(b->baseScaleX, full);
    EXPECT_LT(b->baseScaleX, full + grow);
    EXPECT_EQ(b->baseScaleX, b->baseScaleY);
    // Homing: the acceleration grows to 0.3 and the damping rises toward 1.
    EXPECT_FLOAT_EQ(e->floatRegs[1], MinFloat(e->floatRegs[1], 0.3f));
    EXPECT_GT(e->floatRegs[2], 0.99f);
    EXPECT_TRUE(Step().empty());
    e->DestroyEnemy(world.get());
    ClearBulletList(&world->bullets);
  }
}

TEST_F(MineLayers, MineMakesANewBulletTheFrameAfterItNoticesTheLoss) {
  Enemy* e = Make(26, 180, 100, 90, 9.0f);
  Step();
  Step();
  EnemyBullet* b = FindBulletById(&world->bullets, e->intRegs[0]);
  ASSERT_NE(b, nullptr);
  b->UnlinkAndDeleteBullet(&world->bullets);  // it hit the player
  EXPECT_TRUE(Step().empty());
  EXPECT_EQ(e->intRegs[0], BulletIdNone);
  const std::vector<EnemyBullet*> made = Step();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_FLOAT_EQ(made[0]->baseScaleX, 0.3f + 0.056f);
  EXPECT_EQ(made[0]->spinStep, e->floatRegs[0]);
  EXPECT_EQ(e->intRegs[0], made[0]->bulletId);
}

TEST_F(MineLayers, MineDeathSendsItsBulletAwayAndPaysFiveTimesWithItsLayer) {
  for (bool withLayer : {true, false}) {
    SCOPED_TRACE(withLayer);
    Enemy* layer = Make(20, 180, 20, 90, 0.0f);
    Enemy* e = Make(26, 180, 100, 90, 9.0f);
    if (withLayer) e->parent = layer;
    Step();
    EnemyBullet* b = FindBulletById(&world->bullets, e->intRegs[0]);
    ASSERT_NE(b, nullptr);
    KillEnemy(true, world.get(), 0, e);
    EXPECT_EQ(b->baseX, -128000.0f);
    EXPECT_EQ(e->score, withLayer ? 2500 : 500);
    layer->DestroyEnemy(world.get());
    Step();
    Step();
    ClearBulletList(&world->bullets);
  }
}

TEST_F(MineLayers, MineDropsTheLinkToADyingLayer) {
  SetDifficulty(7);
  Enemy* layer = Make(25, 180, 40, 270, 3.0f);
  while (EnemiesOfType(world.get(), 26).empty()) Step();
  Enemy* mine = EnemiesOfType(world.get(), 26).front();
  EXPECT_EQ(mine->parent, layer);
  layer->dyingCounter = 1;  // shot this frame; freed two frames later
  Step();
  EXPECT_EQ(mine->parent, nullptr);
  Step();
  Step();
  EXPECT_TRUE(EnemiesOfType(world.get(), 25).empty());
}

TEST_F(MineLayers, MineKilledBeforeItsFirstFrameLeavesOtherHeldBulletsAlone) {
  // Another holder's bullet with id 0.
  EnemyBullet* held = nullptr;
  ASSERT_EQ(AllocBulletWithId(&world->bullets, &held, BulletPlain, 400, BulletFaceSpin, 50, 50, 0, 0, 1, 1), 0);
  SetDifficulty(7);
  Enemy* layer = Make(25, 180, 40, 270, 3.0f);
  while (EnemiesOfType(world.get(), 26).empty()) Step();
  // Appended behind the last enemy of the walk, the mine has not run yet.
  Enemy* mine = EnemiesOfType(world.get(), 26).front();
  ASSERT_EQ(mine->age, 0);
  ASSERT_EQ(world->enemies.tail, mine);
  KillEnemy(true, world.get(), 0, mine);
  EXPECT_EQ(held->baseX, 50.0f);
  EXPECT_EQ(FindBulletById(&world->bullets, 0), held);
  (void)layer;
}

TEST_F(MineLayers, MineWithoutAFreeIdMakesOneLooseBulletOnly) {
  std::vector<EnemyBullet*> fill;
  for (int i = 0; i < BulletIdCount; ++i) {
    EnemyBullet* q = nullptr;
    AllocBulletWithId(&world->bullets, &q, BulletPlain, 400, BulletFaceSpin, 50, 50, 0, 0, 1, 1);
  }
  Enemy* e = Make(26, 180, 100, 90, 9.0f);
  EXPECT_EQ(Step().size(), 1u);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(Step().empty());
  KillEnemy(true, world.get(), 0, e);  // holds no id: touches no bullet
  for (EnemyBullet* q = world->bullets.head; q; q = q->next) EXPECT_NE(q->baseX, -128000.0f);
}

// ---- Type 27 ---------------------------------------------------------------------------------

TEST_F(MineLayers, FourBarrelGunshipRegistersByDifficulty) {
  struct Case {
    int d, fanPeriod, fan12;
    float spacing12;
    int fan34;
    float spacing34, offset;
    int heavy, heavyPeriod;
    float heavySpacing;
    int salvoPeriod, window, salvo12;
    float salvoSpacing12;
    int salvo34;
    float salvoSpacing34;
    int layers, rings, ringBase;
    float ringSpacing;
  } const cases[] = {
      {0, 73, 1, 30, 1, 19, 108, 0, 140, 0, 29, 60, 1, 63, 1, 73, 1, 3, 0, 48},
      {1, 39, 1, 30, 1, 19, 67.05f, 0, 70, 0, 22, 63, 1, 63, 1, 73, 1, 3, 1, 56},
      {2, 21, 1, 30, 1, 19, 44.51f, 0, 46, 0, 17, 66, 1, 63, 1, 73, 1, 3, 2, 32},
      {3, 9, 1, 30, 1, 19, 28.54f, 0, 35, 0, 13, 69, 1, 63, 1, 73, 1, 3, 3, 24},
      {4, 2, 1, 30, 1, 19, 15.67f, 0, 28, 0, 10, 72, 1, 63, 2, 41, 1, 5, 5, 16},
      {5, 2, 1, 30, 2, 13, 4.5f, 0, 23, 0, 7, 75, 2, 35, 3, 30.33f, 2, 7, 6, 14.67f},
      {6, 2, 2, 18, 3, 16.33f, -5.64f, 5, 20, 12, 5, 78, 3, 25.67f, 4, 25, 3, 9, 7, 13.71f},
      {7, 2, 3, 18, 4, 14, -15.09f, 9, 17, 9.78f, 3, 80, 4, 21, 5, 21.8f, 4, 11, 8, 13},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    SetDifficulty(c.d);
    Enemy* e = Make(27, 180, 60, 270, 1.0f);
    Step();
    const int* r = e->intRegs;
    const float* f = e->floatRegs;
    EXPECT_EQ(r[0], c.fanPeriod);
    EXPECT_EQ(r[1], c.fan12);
    EXPECT_NEAR(f[1], c.spacing12, 0.01f);
    EXPECT_EQ(r[2], c.fan34);
    EXPECT_NEAR(f[2], c.spacing34, 0.01f);
    EXPECT_NEAR(f[0], c.offset, 0.01f);
    EXPECT_EQ(r[3], c.heavy);
    if (c.heavy) {
      EXPECT_EQ(r[4], c.heavyPeriod);
      EXPECT_NEAR(f[3], c.heavySpacing, 0.01f);
    }
    EXPECT_EQ(r[7], c.salvoPeriod);
    EXPECT_EQ(r[11], c.window);
    EXPECT_EQ(r[8], c.salvo12);
    EXPECT_NEAR(f[4], c.salvoSpacing12, 0.01f);
    EXPECT_EQ(r[9], c.salvo34);
    EXPECT_NEAR(f[5], c.salvoSpacing34, 0.01f);
    EXPECT_EQ(r[10], c.layers);
    EXPECT_EQ(r[14], c.rings);
    EXPECT_EQ(r[13], c.ringBase);
    EXPECT_NEAR(f[7], c.ringSpacing, 0.01f);
    // Phase 0 lasts 210 to 230 frames.
    EXPECT_EQ(r[5] + r[6], 140 + MaxInt(90 - 3 * c.d, 70));
    e->DestroyEnemy(world.get());
    ClearBulletList(&world->bullets);
  }
}

TEST_F(MineLayers, FourBarrelGunshipAtDifficultyZero) {
  Enemy* e = Make(27, 180, 60, 270, 1.0f);
  const int step = g_randomStep;
  std::vector<int> fanFrames, salvoFrames;
  int ringBullets = 0, phase0Frames = 0;
  for (int i = 0; i < 600 && Alive(e) && e->dyingCounter == 0; ++i) {
    const std::vector<EnemyBullet*> made = Step();
    if (e->phase == 0) phase0Frames = e->phaseFrames;
    if (made.empty()) continue;
    if (e->phase == 0) {
      ASSERT_EQ(made.size(), 4u);  // one bullet a barrel, no heavy shots
      fanFrames.push_back(e->phaseFrames);
      for (int b = 0; b < 4; ++b) {
        float ox = 0, oy = 0, aim = 0;
        ShotOriginOf(e, b + 1, &ox, &oy, &aim);
        EXPECT_EQ(made[b]->type, b / 2 + 1);
        EXPECT_FLOAT_EQ(made[b]->x, ox);
        EXPECT_EQ(made[b]->direction, NormalizeAngle(aim));
        EXPECT_EQ(made[b]->speed, 0.0f);
        EXPECT_FLOAT_EQ(made[b]->stretch, 5.6f);
        EXPECT_FLOAT_EQ(made[b]->accelFactor, 1.006f);
      }
      EXPECT_FLOAT_EQ(e->launchers[3].aimAngle - e->launchers[1].aimAngle, 108.0f);
    } else if (e->phase == 1) {
      ASSERT_EQ(made.size(), 2u);
      salvoFrames.push_back(e->phaseFrames);
      EXPECT_EQ(made[0]->type, 371);
      EXPECT_FLOAT_EQ(made[0]->speed, g_bulletSpeedBase);
    } else {
      EXPECT_EQ(e->phaseFrames, 1);
      for (size_t k = 0; k < made.size(); ++k) {
        EXPECT_EQ(made[k]->type, 409 + 2 * static_cast<int>(k % 2));
        EXPECT_FLOAT_EQ(made[k]->speed, static_cast<float>(k + 7) * g_bulletSpeedBase / 8.0f);
        EXPECT_EQ(made[k]->spinStep, k % 2 ? 21.6f : -21.6f);
      }
      ringBullets += static_cast<int>(made.size());
    }
  }
  EXPECT_EQ(fanFrames, (std::vector<int>{73}));
  EXPECT_EQ(phase0Frames, 230);
  EXPECT_EQ(salvoFrames, (std::vector<int>{29, 58}));
  EXPECT_EQ(ringBullets, 3);
  EXPECT_EQ(DrawsSince(step), 0);
}

TEST_F(MineLayers, FourBarrelGunshipSalvosAlternateBarrelPairs) {
  SetDifficulty(7);
  Enemy* e = Make(27, 180, 60, 270, 1.0f, 1);
  int salvos = 0;
  while (e->phase == 1) {
    const std::vector<EnemyBullet*> made = Step();
    if (made.empty()) continue;
    const int p = (e->phaseFrames / 3) % 2;
    const int n = e->intRegs[8 + p];
    ASSERT_EQ(static_cast<int>(made.size()), 2 * n * 4);
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, 1 + 2 * p, &ox, &oy, &unused);
    EXPECT_FLOAT_EQ(made[0]->x, ox);
    EXPECT_FLOAT_EQ(made[3]->speed, 9.0f * g_bulletSpeedBase / 6.0f);
    EXPECT_EQ(made[0]->pulseOn, 1);
    salvos += 1;
  }
  EXPECT_EQ(salvos, 79 / 3);
}

TEST_F(MineLayers, FourBarrelGunshipRevengeOnlyInItsFirst140Frames) {
  SetDifficulty(4);
  for (int age : {50, 139, 140}) {
    SCOPED_TRACE(age);
    Enemy* e = Make(27, 180, 60, 270, 1.0f);
    while (e->age < age) Step();
    const int before = world->bullets.count;
    KillEnemy(false, world.get(), 0, e);
    // Rings of 5 and 6 bullets alternating, five rings.
    EXPECT_EQ(world->bullets.count - before, age < 140 ? 5 + 6 + 5 + 6 + 5 : 0);
    Step();
    Step();
    ClearBulletList(&world->bullets);
  }
}

}  // namespace
