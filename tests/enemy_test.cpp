#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "enemy/Enemy.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "enemy/StageScript.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/SpriteTable.h"

namespace {

class EnemyTest : public ::testing::Test {
 protected:
  DispatchGuard dispatchGuard;
  std::unique_ptr<GameWorld> world;

  void SetUp() override {
    InitGameTables();
    g_hitErrorFlags = 0;
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 2000;  // far away unless a test moves it
  }

  Enemy* Make(int type, float x = 180, float y = 200, float dir = 0, float speed = 0) {
    EnemyList& l = world->enemies;
    return ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, dir, speed);
  }
  bool InList(const Enemy* e) const {
    for (Enemy* p = world->enemies.head; p; p = p->next)
      if (p == e) return true;
    return false;
  }
};

// Calls of the test bodies, in order: type * 10 + (0 behaviour, 1 attack).
std::vector<int> g_calls;
void RecordBehaviour(GameWorld*, Enemy* e) { g_calls.push_back(e->type * 10); }
void RecordAttack(GameWorld*, Enemy* e) { g_calls.push_back(e->type * 10 + 1); }

}  // namespace

TEST_F(EnemyTest, CatalogueRowsAreAppliedAtConstruction) {
  struct Row {
    int type, body;
    uint32_t tint;
    float sx, sy;
    int hp, score, dropKind, dropCount, removeOff, targetable;
    float orbit;
    int launchers;
  };
  const Row rows[] = {
      {0, 152, 0xFFFFFFFF, 6, 6, 10000000, 1000000, 0, -1, 1, 1, 0, 3},
      {1, 152, 0xFF60E060, 1, 1, 40, 400, 0, 1, 1, 1, 0, 3},
      {2, 153, 0xFFC0C0C0, 1.2f, 1.2f, 600, 2000, -1, 0, 1, 1, 0, 0},
      {3, 152, 0xFF6060E0, 1, 1, 180, 700, 0, 1, 1, 1, 0, 2},
      {4, 153, 0xFFE060C0, 2.4f, 1.4f, 2200, 5000, 10, 8, 1, 1, 0, 3},
      {5, 154, 0xFF30E0C0, 1, 1.8f, 570, 1500, 0, 3, 1, 1, 0, 1},
      {6, 152, 0xFF40E020, 1.8f, 1.8f, 2600, 10000, 7, 7, 1, 1, 0, 3},
      {7, 154, 0xFFC0E030, 1.4f, 1.4f, 600, 4000, 0, 16, 1, 1, 0, 3},
      {8, 152, 0xFFE03000, 1.1f, 1.1f, 260, 600, 0, 2, 1, 1, 0, 3},
      {9, 153, 0xFF404040, 1, 1, 50, 300, 0, 1, 1, 1, 0, 1},
      {10, 152, 0xFF20C0E0, 2.4f, 2.4f, 5200, 20000, 11, 12, 1, 1, 0, 4},
      {11, 152, 0xFF20E0A0, 0.7f, 0.7f, 300, 1000, 0, 5, 1, 1, 0, 1},
      {12, 153, 0xFF4000E0, 2.4f, 2.4f, 6000, 25000, 6, 15, 1, 1, 0, 4},
      {13, 154, 0xFFE020C0, 0.9f, 1, 240, 1200, 0, 5, 1, 1, 0, 1},
      {14, 152, 0xFF90D020, 2.5f, 2.5f, 6000, 30000, 9, 80, 1, 1, 0, 1},
      {15, 152, 0xFFA000E0, 0.9f, 0.9f, 150, 1600, 0, 1, 1, 1, 0, 1},
      {16, 154, 0xFFE04000, 1, 1, 350, 1200, 0, 2, 1, 1, 0, 1},
      {17, 152, 0xFFFFFFFF, 7, 7, 20000, 100000, 0, 50, 1, 1, 0, 0},
      {18, 154, 0xFF808080, 0.9f, 1, 200, 200, 0, 1, 1, 1, 0, 1},
      {19, 154, 0xFF38E010, 1.4f, 2.2f, 2400, 30000, 6, 8, 1, 1, 0, 3},
      {20, 153, 0xFFA0A0A0, 1.03f, 1.03f, 1600, 1000, 0, 0, 1, 0, 0, 0},
      {21, 152, 0xFFE0E0E0, 0.7f, 0.7f, 300, 200, 0, 2, 1, 0, 0, 0},
      {22, 153, 0xFFE0C020, 1.1f, 1.1f, 300, 500, 0, 1, 1, 1, 0, 5},
      {23, 153, 0xFFE04020, 1.8f, 3.6f, 4000, 8000, 7, 20, 1, 1, 0, 5},
      {24, 153, 0xFFE09020, 1.1f, 1.8f, 900, 3500, 0, 5, 1, 1, 0, 3},
      {25, 153, 0xFFC0E020, 1.8f, 1.8f, 4000, 10000, 9, 25, 1, 1, 0, 1},
      {26, 152, 0xFFE0E0E0, 0.7f, 0.7f, 500, 500, 0, -1, 1, 0, 0, 0},
      {27, 153, 0xFF40E0A0, 1.9f, 3.2f, 11000, 40000, 11, 60, 1, 1, 0, 5},
      {28, 154, 0xFFE040C0, 1.2f, 1.6f, 1600, 2000, 0, 5, 1, 1, 0, 3},
      {29, 152, 0xFFE0D0E0, 2.2f, 2.2f, 12000, 50000, 0, -1, 0, 1, 0, 7},
      {30, 154, 0xFFE0E0E0, 1.3f, 0.7f, 8000, 10000, 0, 30, 0, 1, 0, 1},
      {31, 152, 0xFFB0E030, 2.4f, 2.4f, 6200, 5000, 9, 50, 1, 1, 0, 1},
      {32, 152, 0xFFD0E030, 1.1f, 1.1f, 730, 1500, 0, 10, 1, 1, 0, 1},
      {33, 153, 0xFF3828E0, 2.2f, 3.3f, 18000, 75000, 0, 80, 1, 1, 0, 21},
      {64, 154, 0xFF80E090, 2.4f, 6, 24000, 100000, 7, 64, 0, 1, 0, 3},
      {65, 154, 0xFF8090E0, 2, 2, 4500, 30000, 6, 24, 0, 1, 0, 1},
      {66, 152, 0xFF40A0E0, 1.6f, 1.6f, 1500, 150000, 11, 16, 0, 1, 0, 1},
      {67, 153, 0xFF9080E0, 2.2f, 4, 60000, 200000, 6, 80, 0, 1, 0, 1},
      {68, 152, 0xFF80A0E0, 1.6f, 1.6f, 7000, 25000, 11, 15, 0, 1, 0, 1},
      {69, 152, 0xFFA080E0, 1.6f, 1.6f, 10000, 50000, 10, 25, 0, 1, 0, 1},
      {70, 152, 0xFFE06000, 3.2f, 3.2f, 10000, 20000, 8, 50, 0, 1, 0, 6},
      {71, 152, 0xFFD03060, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3},
      {72, 152, 0xFFA0D030, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1},
      {73, 152, 0xFF80E020, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1},
      {74, 152, 0xFF00E060, 3.2f, 3.2f, 10000, 20000, 7, 50, 0, 1, 0, 6},
      {75, 152, 0xFF60D030, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3},
      {76, 152, 0xFF30A0D0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1},
      {77, 152, 0xFF2080E0, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1},
      {78, 152, 0xFF6000E0, 3.2f, 3.2f, 10000, 20000, 6, 50, 0, 1, 0, 6},
      {79, 152, 0xFF3060D0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3},
      {80, 152, 0xFFD030A0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1},
      {81, 152, 0xFFE02080, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1},
      {82, 153, 0xFFB0C0E0, 1.2f, 1.2f, 10000, 100000, 0, 20, 0, 1, 0, 0},
      {83, 153, 0xFFB0D0E0, 1.8f, 1.8f, 1000000000, 0, 0, 120, 0, 1, 0, 0},
      {84, 152, 0xFFE0B0D0, 1.1f, 1.1f, 10000, 500000, 0, 20, 0, 1, 0, 0},
      {85, 152, 0xFFC0E0D0, 0.9f, 0.9f, 6000, 5000, 0, 10, 0, 1, 0, 0},
      {86, 153, 0xFFA0C0B0, 1.6f, 1.1f, 1000000000, 0, 0, 20, 0, 1, 0, 0},
      {87, 153, 0xFF50C070, 0.8f, 0.6f, 4000, 5000, 0, 15, 0, 1, 0, 0},
      {88, 152, 0xFF6040B0, 1, 1, 4000, 5000, 0, 15, 0, 1, 0, 0},
      {89, 153, 0xFFA04020, 1.4f, 1, 6000, 10000, 0, 20, 0, 1, 0, 0},
      {90, 152, 0xFFC0D0E0, 0.8f, 3, 16000, 10000, 0, 30, 0, 1, 0, 0},
      {91, 153, 0xFF504040, 0.5f, 0.3f, 2400, 20000, 0, 10, 0, 1, 0, 0},
      {92, 154, 0xFF40E0D0, 3.6f, 5.5f, 132000, 100000, 11, 100, 0, 1, 0, 15},
      {93, 153, 0xFF30B0E0, 1.3f, 1.3f, 17000, 10000, 6, 30, 0, 1, 120, 8},
      {94, 152, 0xFF30E090, 1.8f, 1.8f, 14000, 10000, 7, 30, 0, 1, 140, 4},
      {95, 154, 0xFFE09030, 1.85f, 2.35f, 27000, 20000, 8, 50, 0, 1, 66, 1},
      {96, 154, 0xFFC040E0, 2, 2, 16000, 20000, 10, 50, 0, 1, 83, 1},
      {97, 154, 0xFF70E090, 1.8f, 1.8f, 12000, 10000, 7, 30, 0, 1, 115, 1},
      {98, 154, 0xFFE00040, 1, 1, 600, 1000, 0, 5, 1, 1, 0, 1},
      {99, 153, 0xFFC020E0, 3.9f, 2.8f, 150000, 100000, 10, 120, 0, 1, 0, 20},
      {100, 152, 0xFF20E050, 0.9f, 0.9f, 6000, 10000, 7, 30, 0, 1, 0, 4},
      {101, 152, 0xFF2050E0, 0.9f, 0.9f, 13000, 20000, 6, 60, 0, 1, 0, 4},
      {102, 152, 0xFF20D8D8, 0.9f, 0.9f, 20000, 30000, 11, 120, 0, 1, 0, 4},
  };
  int rowCount = 0;
  EnemyTypeRows(&rowCount);
  EXPECT_EQ(rowCount, 73);
  ASSERT_EQ(sizeof(rows) / sizeof(rows[0]), 73u);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.type);
    Enemy* e = Make(r.type);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->bodySprite, r.body);
    EXPECT_EQ(e->sprite.colorMode, SpriteColorSingle);
    EXPECT_EQ(e->sprite.colors[0], r.tint);
    EXPECT_EQ(e->sprite.scaleX, r.sx);
    EXPECT_EQ(e->sprite.scaleY, r.sy);
    EXPECT_EQ(e->hitShape.scaleX, r.sx);
    EXPECT_EQ(e->hitShape.scaleY, r.sy);
    EXPECT_EQ(e->hp, r.hp);
    EXPECT_EQ(e->maxHp, r.hp);
    EXPECT_EQ(e->score, r.score);
    EXPECT_EQ(e->dropItemKind, r.dropKind);
    EXPECT_EQ(e->dropItemCount, r.dropCount);
    EXPECT_EQ(e->removeOffField, r.removeOff);
    EXPECT_EQ(e->targetable, r.targetable);
    EXPECT_EQ(e->orbitRadius, r.orbit);
    EXPECT_EQ(e->launcherCount, r.launchers);
    EXPECT_EQ(FindEnemyTypeRow(r.type)->launcherCount, r.launchers);
    for (int i = 0; i < e->launcherCount; ++i) {
      EXPECT_EQ(e->launchers[i].index, i);
      EXPECT_EQ(e->launchers[i].aimAngle, e->launchers[i].placementAngle);
    }
  }
  EXPECT_EQ(world->enemies.count, 73);
  EXPECT_EQ(g_hitErrorFlags, 0u);
}

TEST_F(EnemyTest, ComputedAndSampledLaunchPoints) {
  // Each: type, launcher, mode, tint, angle, distance, scale.
  struct L {
    int type, i, mode;
    uint32_t tint;
    float angle, distance, scale;
  } const points[] = {
      {1, 0, LauncherBarrel, 0xFFFFFFFF, 0, 0, 1},        {1, 2, LauncherPoint, 0xFF00FF00, 200, 20, 0.2f},
      {8, 1, LauncherBarrel, 0xFFFFE0E0, 300, 10, 0.8f},  {12, 3, LauncherBarrel, 0xFF8080E0, 315, 20, 1.3f},
      {22, 4, LauncherPoint, 0xFFC09000, 315, 18, 0.25f}, {27, 4, LauncherBarrel, 0xFFA0B0C0, 240, 24, 1.2f},
      {29, 6, LauncherPoint, 0xFFA000A0, 300, 20, 0.24f}, {33, 20, LauncherPoint, 0xFF40C050, 310, 23, 0.27f},
      {33, 13, LauncherPoint, 0xFF80C020, 90, 18, 0.3f},  {64, 2, LauncherPoint, 0xFF00D000, 200, 14, 0.5f},
      {92, 13, LauncherPoint, 0xFF4080E0, -72, 9, 0.3f},  {92, 14, LauncherBarrel, 0xFFE0E0E0, 0, 2, 2.1f},
      {93, 7, LauncherPoint, 0xFF0088C0, 315, 11, 0.47f}, {94, 3, LauncherPoint, 0xFFA0C000, 340, 11, 0.3f},
      {99, 4, LauncherPoint, 0xFFA0A0A0, 168, 9, 0.25f},  {99, 19, LauncherPoint, 0xFFA0A0A0, 212, 22, 0.25f},
      {102, 3, LauncherPoint, 0xFFC01010, 300, 16, 0.19f}, {78, 5, LauncherPoint, 0xFF008080, 300, 11.25f, 0.5f},
  };
  for (const L& p : points) {
    SCOPED_TRACE(p.type * 100 + p.i);
    Enemy* e = Make(p.type);
    ASSERT_NE(e, nullptr);
    const EnemyLauncher& l = e->launchers[p.i];
    EXPECT_EQ(l.mode, p.mode);
    EXPECT_EQ(l.tint, p.tint);
    EXPECT_EQ(l.placementAngle, p.angle);
    EXPECT_FLOAT_EQ(l.distance, p.distance);
    EXPECT_EQ(l.scale, p.scale);
  }
  // The mid-boss points lie 36 px out on screen; type 33's ring points 16 px out on its body.
  Enemy* boss = Make(70, 100, 100);
  RunEnemyMotionTail(boss);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(Hypot(boss->launchers[i].x - 100, boss->launchers[i].y - 100), 36, 1e-3);
  Enemy* ring = Make(33, 100, 100);
  RunEnemyMotionTail(ring);
  for (int k = 1; k <= 10; ++k) {
    EXPECT_NEAR(Hypot(ring->launchers[k].x - 100, ring->launchers[k].y - 100), 16, 1e-3);
    EXPECT_LT(AngleDistance(AngleFromTo(100, 100, ring->launchers[k].x, ring->launchers[k].y), 36.0f * (k - 1)), 1e-2);
  }
}

TEST_F(EnemyTest, TypesWithoutRowCreateNothingAndLauncherLimitIsKept) {
  for (int t : {-1, 34, 50, 63, 103, 1 << 30}) {
    EXPECT_EQ(Make(t), nullptr) << t;
    EXPECT_EQ(GetEnemyTypeCode(t).behaviour, nullptr);
  }
  EXPECT_EQ(world->enemies.count, 0);
  EXPECT_EQ(world->enemies.head, nullptr);

  Enemy* e = Make(17);
  for (int i = 0; i < 32; ++i) e->AddEnemyLauncher(kLauncherPointRow, 0, 0, 0, 1);
  EXPECT_EQ(g_hitErrorFlags, 0u);
  e->AddEnemyLauncher(kLauncherBarrelRow, 0, 0, 0, 1);
  EXPECT_EQ(e->launcherCount, 32);
  EXPECT_EQ(g_hitErrorFlags, HitErrorLaunchPoints);
}

TEST_F(EnemyTest, ConstructionAndFirstLauncherPass) {
  Enemy* e = Make(1, 100, 50, 90, 2);
  EXPECT_FLOAT_EQ(e->vx, std::cos(90 * kPi / 180) * 2);
  EXPECT_FLOAT_EQ(e->vy, -2);
  EXPECT_EQ(e->baseX, 100);
  EXPECT_EQ(e->orbitAngle, 90);
  EXPECT_EQ(e->facing, 90);
  EXPECT_EQ(e->dropItemCount, 1);
  // Launcher 1 (160 degrees, 20 px, turned by facing 90) placed from the creation position.
  EXPECT_NEAR(e->launchers[1].x, 100 + std::cos(250 * kPi / 180) * 20, 1e-3);
  EXPECT_NEAR(e->launchers[1].y, 50 - std::sin(250 * kPi / 180) * 20, 1e-3);
}

TEST_F(EnemyTest, ShotOriginOfBarrelAndPoint) {
  EnemyLauncher barrel;
  barrel.mode = LauncherBarrel;
  barrel.x = 10;
  barrel.y = 20;
  barrel.scale = 2;
  barrel.aimAngle = 90;
  barrel.placementAngle = 0;
  float x, y, a;
  ComputeShotOrigin(&x, &y, &a, barrel);
  EXPECT_NEAR(x, 10, 1e-4);
  EXPECT_NEAR(y, -40, 1e-4);
  EXPECT_EQ(a, 90);
  EnemyLauncher point = barrel;
  point.mode = LauncherPoint;
  ComputeShotOrigin(&x, &y, &a, point);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  EXPECT_EQ(a, 0);  // a point fires along its placement angle, not its aim
}

TEST_F(EnemyTest, BehaviourAndAttackOrderAndTheirCounters) {
  RegisterEnemyTypeCode(20, RecordBehaviour, RecordAttack);
  RegisterEnemyTypeCode(21, RecordBehaviour, RecordAttack);
  g_calls.clear();
  Enemy* a = Make(20, 100, 100);
  Enemy* b = Make(21, 200, 100);
  b->phase = 3;  // a stage start phase: phaseFrames still 0, the first update makes it 1
  UpdateEnemies(world.get());
  EXPECT_EQ(g_calls, (std::vector<int>{200, 201, 210, 211}));
  EXPECT_EQ(a->age, 1);
  EXPECT_EQ(a->phaseFrames, 1);
  b->SetEnemyPhase(4);
  b->phaseFrames = -1;  // a behaviour that changes the phase leaves phaseFrames 0 for the attack
  g_calls.clear();
  UpdateEnemies(world.get());
  EXPECT_EQ(g_calls, (std::vector<int>{200, 201, 210}));
  EXPECT_EQ(b->phaseFrames, 0);
}

TEST_F(EnemyTest, MotionTailMovesBaseAndOrbit) {
  Enemy* e = Make(20, 100, 100, 0, 3);
  e->orbitAngle = 90;
  e->orbitRadius = 10;
  UpdateEnemies(world.get());
  EXPECT_FLOAT_EQ(e->baseX, 103);
  EXPECT_NEAR(e->x, 103, 1e-4);
  EXPECT_NEAR(e->y, 90, 1e-4);
  EXPECT_EQ(e->prevX, 100);
}

TEST_F(EnemyTest, OffFieldMarginAndRemoval) {
  // m = max(scale) x sprite radius; on the line is still on the field.
  Enemy* e = Make(1);
  const float m = MaxFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.radius;
  ASSERT_GT(m, 0);
  struct Case {
    float x, y;
    bool off;
  } const cases[] = {
      {-m, 100, false},        {-m - 0.001f, 100, true}, {360 + m, 100, false},
      {360 + m + 0.01f, 100, true}, {100, -m, false},     {100, 480 + m + 0.01f, true},
      {std::numeric_limits<float>::quiet_NaN(), 100, true},
      {100, std::numeric_limits<float>::infinity(), true},
  };
  for (const Case& c : cases) {
    e->x = c.x;
    e->y = c.y;
    EXPECT_EQ(IsEnemyOffField(e), c.off) << c.x << "," << c.y;
  }

  Enemy* gone = Make(1, -500, 100);      // removed: flagged 2, destroyed in the next frame
  Enemy* stays = Make(29, -500, 100);    // removeOffField 0: never culled
  RegisterEnemyTypeCode(1, nullptr, RecordAttack);
  g_calls.clear();
  UpdateEnemies(world.get());
  EXPECT_EQ(gone->dyingCounter, 2);
  EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), 11), 1);  // only the on-field type 1 attacked
  UpdateEnemies(world.get());
  EXPECT_FALSE(InList(gone));
  EXPECT_TRUE(InList(stays));
  EXPECT_EQ(stays->dyingCounter, 0);
}

TEST_F(EnemyTest, KilledEnemyIsRemovedTwoFramesLaterWithoutAttack) {
  RegisterEnemyTypeCode(20, [](GameWorld* w, Enemy* e) { KillEnemy(false, w, -1, e); }, RecordAttack);
  g_calls.clear();
  Enemy* e = Make(20);
  UpdateEnemies(world.get());  // frame n: killed by its own behaviour
  EXPECT_EQ(e->dyingCounter, 1);
  EXPECT_TRUE(g_calls.empty());
  UpdateEnemies(world.get());
  EXPECT_TRUE(InList(e));
  UpdateEnemies(world.get());  // frame n + 2
  EXPECT_FALSE(InList(e));
}

TEST_F(EnemyTest, ContactPushOnlyInPlayerStates0And1) {
  SetHitShapeFromTable(world->player.hitShape, 152);
  world->player.hitShape.scaleX = world->player.hitShape.scaleY = 1;
  for (int state : {0, 1, 2, 3, -1}) {
    SCOPED_TRACE(state);
    world->player.state = state;
    world->player.SetVelocityXY(0, 0);
    world->player.x = 100;
    world->player.y = 110;  // just below the enemy
    Enemy* e = Make(20, 100, 100);  // a type without behaviour code
    UpdateEnemies(world.get());
    if (state == 0 || state == 1) {
      EXPECT_NEAR(world->player.vx, 0, 1e-5);
      EXPECT_NEAR(world->player.vy, 0.3f, 1e-5);  // pushed away, down the screen
    } else {
      EXPECT_EQ(world->player.vy, 0);
    }
    e->DestroyEnemy(world.get());
  }
}

TEST_F(EnemyTest, ChildDigitStrings) {
  Enemy* p = Make(5, 50, 60);
  p->SpawnChildEnemies("1A", &world->enemies.head, &world->enemies.tail, &world->enemies.count);
  ASSERT_EQ(p->childCount, 2);
  EXPECT_EQ(p->children[0]->type, 6);
  EXPECT_EQ(p->children[1]->type, 15);
  EXPECT_EQ(p->children[1]->indexInParent, 1);
  EXPECT_EQ(p->children[1]->parent, p);
  EXPECT_EQ(p->children[0]->x, 50);
  EXPECT_EQ(p->children[0]->baseX, 0);  // the base stays at (0, 0) until its behaviour places it

  Enemy* q = Make(5);
  q->SpawnChildEnemies("1-1", &world->enemies.head, &world->enemies.tail, &world->enemies.count);
  ASSERT_EQ(q->childCount, 2);
  EXPECT_EQ(q->children[1]->type, 6);
  EXPECT_EQ(q->children[1]->indexInParent, 1);

  // A digit naming a type without a row leaves its slot empty; the count still advances.
  Enemy* r = Make(33);
  SpawnEnemyParts(world.get(), r, "01");
  ASSERT_EQ(r->childCount, 2);
  EXPECT_EQ(r->children[0]->type, 33);
  EXPECT_EQ(r->children[1], nullptr);
  EXPECT_EQ(CountLiveChildren(r), 1);

  // The catalogue's child string of a type-70 boss.
  Enemy* boss = Make(70);
  SpawnCatalogueChildren(world.get(), boss);
  ASSERT_EQ(boss->childCount, 6);
  const int types[6] = {71, 71, 71, 72, 72, 72};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(boss->children[i]->type, types[i]);
}

TEST_F(EnemyTest, PartsAppendedDuringTheWalk) {
  // A part spawned by an enemy that is not last runs in the same frame; one spawned by the last
  // enemy runs first in the next frame.
  RegisterEnemyTypeCode(20, [](GameWorld* w, Enemy* e) {
    if (e->age == 1 && e->phase == 1) SpawnEnemyParts(w, e, "1");
  }, nullptr);
  RegisterEnemyTypeCode(21, nullptr, nullptr);
  Enemy* first = Make(20);
  first->phase = 1;
  Make(20);
  UpdateEnemies(world.get());
  EXPECT_EQ(first->children[0]->age, 1);
  DestroyEnemyList(world.get());
  Enemy* only = Make(20);
  only->phase = 1;
  UpdateEnemies(world.get());
  EXPECT_EQ(only->children[0]->age, 0);
  UpdateEnemies(world.get());
  EXPECT_EQ(only->children[0]->age, 1);
}

TEST_F(EnemyTest, DestroyingAParentOrphansItsLiveParts) {
  Enemy* p = Make(6);
  SpawnCatalogueChildren(world.get(), p);
  Enemy* a = p->children[0];
  Enemy* b = p->children[1];
  KillEnemy(false, world.get(), -1, a);  // a part killed before its parent leaves a null slot
  EXPECT_EQ(p->children[0], nullptr);
  EXPECT_EQ(a->parent, nullptr);
  b->dyingCounter = 0;
  p->dyingCounter = 2;  // flagged off the field: destroyed in this walk
  UpdateEnemies(world.get());
  EXPECT_FALSE(InList(p));
  EXPECT_EQ(b->parent, nullptr);
  // Set to 1 by the destruction and counted on in the same walk, since parts follow parents.
  EXPECT_EQ(b->dyingCounter, 2);
  UpdateEnemies(world.get());
  EXPECT_FALSE(InList(a));
  EXPECT_FALSE(InList(b));
  EXPECT_EQ(world->enemies.count, 0);
}

TEST_F(EnemyTest, DestroyLeavesNoLinkToFreedEnemies) {
  // Under the sanitizer build these would read freed memory without the clean-up.
  Enemy* p = Make(6);
  SpawnCatalogueChildren(world.get(), p);
  Enemy* stale = p->children[1];
  p->children[1] = nullptr;  // a part whose slot was cleared but whose link still points back
  Option* o = new Option;
  ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
  world->player.optionCount += 1;
  o->target = p;
  PlayerShot* s = new PlayerShot;
  ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
  world->shots.count += 1;
  s->target = p;
  p->DestroyEnemy(world.get());
  EXPECT_EQ(stale->parent, nullptr);
  EXPECT_EQ(o->target, nullptr);
  EXPECT_EQ(s->target, nullptr);
  // The stale part is destroyed later; it must not clear a slot of the freed parent.
  stale->DestroyEnemy(world.get());

  // A part destroyed first clears its parent's slot only when the slot holds it.
  Enemy* q = Make(6);
  SpawnCatalogueChildren(world.get(), q);
  Enemy* c0 = q->children[0];
  Enemy* c1 = q->children[1];
  c1->indexInParent = 0;  // a wrong slot number must not clear another part's slot
  c1->DestroyEnemy(world.get());
  EXPECT_EQ(q->children[0], c0);
  EXPECT_EQ(q->children[1], nullptr);  // the slot that really held it
  c0->DestroyEnemy(world.get());
  EXPECT_EQ(q->children[0], nullptr);

  // Clearing the list drops every target.
  o->target = q;
  s->target = q;
  ClearEnemyList(world.get());
  EXPECT_EQ(o->target, nullptr);
  EXPECT_EQ(s->target, nullptr);
  EXPECT_EQ(world->enemies.count, 0);
}

TEST_F(EnemyTest, OrphanRuleAndUntarget) {
  Enemy* p = Make(6);
  SpawnCatalogueChildren(world.get(), p);
  Enemy* c = p->children[0];
  EXPECT_FALSE(KillIfOrphaned(world.get(), c));
  c->parent = nullptr;
  EXPECT_TRUE(KillIfOrphaned(world.get(), c));
  EXPECT_EQ(c->dyingCounter, 1);

  Option* o = new Option;
  ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
  world->player.optionCount += 1;
  o->target = p;
  UntargetEnemy(world.get(), p);
  EXPECT_EQ(o->target, nullptr);
  EXPECT_EQ(p->targetable, 0);
}

TEST_F(EnemyTest, BossDeathSequenceWritesTheStageFlagOnlyWithAScript) {
  Enemy* boss = Make(92);
  KillEnemy(true, world.get(), 0, boss);  // the first kill starts the sequence
  EXPECT_EQ(boss->dyingCounter, -1);
  EXPECT_EQ(boss->phase, -1);
  EXPECT_EQ(boss->removeOffField, 0);
  FinishBossDeathSequence(world.get(), boss, 1);  // no stage script: no flag, no crash
  EXPECT_EQ(boss->dyingCounter, 1);

  world->stageScript = new StageScript;
  Enemy* mid = Make(70);
  KillEnemy(true, world.get(), 0, mid);
  world->stageScript->flags[0] = 1;
  FinishBossDeathSequence(world.get(), mid, 0);
  EXPECT_EQ(world->stageScript->flags[0], 0);
  EXPECT_EQ(mid->dyingCounter, 1);
}
