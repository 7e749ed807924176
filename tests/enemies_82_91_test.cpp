#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "enemies_12_19_fixture.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyHelpers.h"
#include "player/Item.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

namespace {

using family_test::EnemyFamilyTest;

class ArticulatedShip : public EnemyFamilyTest {
 protected:
  Enemy* ship = nullptr;
  std::vector<Enemy*> pieces;

  // A ship gliding down into the field, with its pieces after the first frame.
  void MakeShip(float speed = 4.0f) {
    ship = Make(82, 180, 40, 270, speed);
    ASSERT_NE(ship, nullptr);
    Step();
    ASSERT_EQ(ship->childCount, 18);
    pieces.assign(ship->children, ship->children + 18);
  }

  int64_t Score() const {
    return static_cast<int64_t>(world->player.scoreHigh) * ScoreLowLimit + world->player.scoreLow;
  }
  // Child slots still holding a piece.
  std::vector<int> LiveSlots() const {
    std::vector<int> live;
    for (int i = 0; i < ship->childCount; ++i)
      if (ship->children[i]) live.push_back(i);
    return live;
  }
  bool InList(const Enemy* e) const { return Alive(e) && e->dyingCounter == 0; }
};

TEST_F(ArticulatedShip, SpawnsItsPiecesWithTheirChainRegisters) {
  MakeShip();
  EXPECT_FLOAT_EQ(ship->facing, 270.0f);
  struct Row {
    int type, anchor, link;
    float offset, distance;
  } const rows[18] = {
      {83, 0, 0, 0, 0},    {84, 0, 0, 0, 0},     {86, 4, 1, -50, 0},  {86, 5, 2, 60, 0},  {85, 1, 2, 0, 50},
      {85, 2, 3, 0, 70},   {85, 3, -1, 0, 70},   {87, 6, 0, 0, 0},    {88, 7, 0, 0, 0},   {89, 8, 0, 0, 0},
      {86, 12, 1, 50, 0},  {86, 13, 10, -60, 0}, {85, 1, 10, 0, 50},  {85, 10, 11, 0, 70}, {85, 11, -1, 0, 70},
      {87, 14, 0, 0, 0},   {88, 15, 0, 0, 0},    {89, 16, 0, 0, 0},
  };
  for (int i = 0; i < 18; ++i) {
    SCOPED_TRACE(i);
    const Enemy* p = pieces[i];
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->type, rows[i].type);
    EXPECT_EQ(p->parent, ship);
    EXPECT_EQ(p->indexInParent, i);
    EXPECT_EQ(p->intRegs[16], rows[i].anchor);
    EXPECT_EQ(p->intRegs[17], rows[i].link);
    EXPECT_FLOAT_EQ(p->floatRegs[16], rows[i].offset);
    EXPECT_FLOAT_EQ(p->floatRegs[17], rows[i].distance);
    EXPECT_EQ(p->launcherCount, 0);
    EXPECT_EQ(p->removeOffField, 0);
  }
  // The stem and the joints cannot be shot down in practice.
  EXPECT_EQ(pieces[0]->hp, 1000000000);
  EXPECT_EQ(pieces[2]->hp, 1000000000);
}

TEST_F(ArticulatedShip, GlidesToRestAndHoldsItsPoseWithoutFiringOrDrawing) {
  const int step = g_randomStep;
  MakeShip(4.0f);
  for (int f = 2; f <= 300; ++f) {
    const float before = ship->speed;
    Step();
    EXPECT_FLOAT_EQ(ship->speed, before * 0.93f) << f;
  }
  EXPECT_EQ(world->bullets.count, 0);
  EXPECT_EQ(DrawsSince(step), 0);
  EXPECT_EQ(world->enemies.count, 19);
  // The ship stopped about 4 / 0.07 px below its start.
  EXPECT_NEAR(ship->y, 40.0f + 4.0f * 0.93f / 0.07f, 0.05f);

  const auto at = [&](int i) { return pieces[i]; };
  EXPECT_FLOAT_EQ(at(0)->x, ship->x);
  EXPECT_FLOAT_EQ(at(0)->y, ship->y - 40.0f);
  EXPECT_FLOAT_EQ(at(1)->y, ship->y - 80.0f);
  // The hub never turns: its links reach out sideways, each joint turning by its offset.
  EXPECT_NEAR(at(4)->x, at(1)->x + 50.0f, 1e-3);
  EXPECT_NEAR(at(12)->x, at(1)->x + 50.0f, 1e-3);
  EXPECT_NEAR(AngleDistance(at(2)->facing, -50.0f), 0.0f, 1e-3);
  EXPECT_NEAR(AngleDistance(at(10)->facing, 50.0f), 0.0f, 1e-3);
  EXPECT_NEAR(AngleDistance(at(3)->facing, 10.0f), 0.0f, 1e-3);
  EXPECT_NEAR(AngleDistance(at(11)->facing, -10.0f), 0.0f, 1e-3);
  // In a steady pose a joint sits 50 px from its link's base, at twice its own facing.
  for (const auto& [link, joint] : {std::pair{4, 2}, std::pair{5, 3}, std::pair{12, 10}, std::pair{13, 11}}) {
    SCOPED_TRACE(link);
    float dx = 0, dy = 0;
    PolarToXY(&dx, &dy, 2.0f * at(joint)->facing, 50.0f);
    EXPECT_NEAR(at(joint)->x, at(link)->baseX + dx, 1e-3);
    EXPECT_NEAR(at(joint)->y, at(link)->baseY + dy, 1e-3);
    EXPECT_FLOAT_EQ(at(link)->facing, at(joint)->facing);
  }
  // The last link stands 70 px out along its joint; the three tip pieces stand on it.
  float dx = 0, dy = 0;
  PolarToXY(&dx, &dy, at(3)->facing, 70.0f);
  EXPECT_NEAR(at(6)->x, at(3)->x + dx, 1e-3);
  EXPECT_NEAR(at(6)->y, at(3)->y + dy, 1e-3);
  for (int tip : {7, 8, 9}) {
    EXPECT_FLOAT_EQ(at(tip)->x, at(6)->x);
    EXPECT_FLOAT_EQ(at(tip)->y, at(6)->y);
  }
  // The arms are mirror images about the hub's horizontal line.
  for (const auto& [a, b] : {std::pair{2, 10}, std::pair{3, 11}, std::pair{6, 14}, std::pair{9, 17}}) {
    EXPECT_NEAR(at(a)->x, at(b)->x, 1e-3);
    EXPECT_NEAR(at(a)->y - at(1)->y, at(1)->y - at(b)->y, 1e-3);
  }
}

TEST_F(ArticulatedShip, ADestroyedPieceBringsDownWhatHangsFromIt) {
  struct Case {
    int shot;                  // the child slot shot down
    std::vector<int> survive;  // the slots left afterwards
  } const cases[] = {
      {1, {0}},                                       // the hub ends both arms; the stem stays
      {4, {0, 1, 10, 11, 12, 13, 14, 15, 16, 17}},    // the first link of one arm ends that arm
      {12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {6, {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 16, 17}},  // the last link takes its tip
      {8, {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 15, 16, 17}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shot);
    SetUp();
    MakeShip();
    for (int i = 0; i < 30; ++i) Step();
    const int score = pieces[c.shot]->score;
    KillEnemy(true, world.get(), HitSourceMainShot, pieces[c.shot]);
    const int64_t afterKill = Score();
    EXPECT_EQ(afterKill, score);
    const int items = world->items.count;
    for (int i = 0; i < 6; ++i) Step();
    EXPECT_EQ(LiveSlots(), c.survive);
    // The rest of the chain went without reward, each with its own explosion.
    EXPECT_EQ(Score(), afterKill);
    EXPECT_EQ(world->items.count, items);
    EXPECT_TRUE(InList(ship));
    for (int i = 0; i < 3; ++i) Step();
    EXPECT_EQ(world->enemies.count, 1 + static_cast<int>(c.survive.size()));
    TearDown();
  }
}

TEST_F(ArticulatedShip, KillingTheShipEndsEveryPieceInTheSameFrame) {
  MakeShip();
  for (int i = 0; i < 10; ++i) Step();
  KillEnemy(true, world.get(), HitSourceMainShot, ship);
  const int effects = world->effects.count;
  Step();
  for (const Enemy* p : pieces) {
    ASSERT_TRUE(Alive(p));
    EXPECT_EQ(p->dyingCounter, 1);
    EXPECT_EQ(p->parent, nullptr);
  }
  EXPECT_GT(world->effects.count, effects + 18 * 6);  // an explosion for each
  for (int i = 0; i < 3; ++i) Step();
  EXPECT_EQ(world->enemies.count, 0);
}

TEST_F(ArticulatedShip, NoKillOrderLeavesALinkToARemovedPiece) {
  for (int seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE(seed);
    SetUp();
    MakeShip();
    uint32_t rng = static_cast<uint32_t>(seed) * 2654435761u;
    const auto next = [&](uint32_t n) {
      rng = rng * 1664525u + 1013904223u;
      return (rng >> 8) % n;
    };
    for (int f = 0; f < 200 && world->enemies.count > 0; ++f) {
      if (next(6) == 0) {
        std::vector<Enemy*> live;
        for (Enemy* e = world->enemies.head; e; e = e->next)
          if (e->dyingCounter == 0) live.push_back(e);
        if (!live.empty()) KillEnemy(true, world.get(), HitSourceMainShot, live[next(live.size())]);
      }
      Step();
      std::vector<const Enemy*> listed;
      for (const Enemy* e = world->enemies.head; e; e = e->next) listed.push_back(e);
      const auto listedHas = [&](const Enemy* p) { return std::find(listed.begin(), listed.end(), p) != listed.end(); };
      for (const Enemy* e : listed) {
        ASSERT_TRUE(!e->parent || listedHas(e->parent)) << f;
        for (const Enemy* c : e->children) ASSERT_TRUE(!c || listedHas(c)) << f;
      }
    }
    TearDown();
  }
}

TEST_F(ArticulatedShip, APiecePlacedByTheStageRemovesItselfAtOnce) {
  for (int type = 83; type <= 91; ++type) {
    SCOPED_TRACE(type);
    SetUp();
    Enemy* e = Make(type, 100, 100, 0, 0);
    ASSERT_NE(e, nullptr);
    Step();
    EXPECT_EQ(e->dyingCounter, 1);
    EXPECT_GT(world->effects.count, 0);
    EXPECT_EQ(Score(), 0);
    EXPECT_EQ(world->items.count, 0);
    TearDown();
  }
}

TEST_F(ArticulatedShip, CatalogueRows) {
  struct Row {
    int type, body;
    uint32_t tint;
    float sx, sy;
  } const rows[] = {
      {82, 153, 0xFFB0C0E0, 1.2f, 1.2f}, {83, 153, 0xFFB0D0E0, 1.8f, 1.8f}, {84, 152, 0xFFE0B0D0, 1.1f, 1.1f},
      {85, 152, 0xFFC0E0D0, 0.9f, 0.9f}, {86, 153, 0xFFA0C0B0, 1.6f, 1.1f}, {87, 153, 0xFF50C070, 0.8f, 0.6f},
      {88, 152, 0xFF6040B0, 1, 1},       {89, 153, 0xFFA04020, 1.4f, 1},    {90, 152, 0xFFC0D0E0, 0.8f, 3},
      {91, 153, 0xFF504040, 0.5f, 0.3f},
  };
  for (const Row& r : rows) {
    const EnemyTypeRow* row = FindEnemyTypeRow(r.type);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->bodySprite, r.body) << r.type;
    EXPECT_EQ(row->tint, r.tint) << r.type;
    EXPECT_FLOAT_EQ(row->scaleX, r.sx) << r.type;
    EXPECT_FLOAT_EQ(row->scaleY, r.sy) << r.type;
    EXPECT_EQ(row->launcherCount, 0) << r.type;
    EXPECT_EQ(row->removeOffField, 0) << r.type;
  }
  EXPECT_STREQ(FindEnemyTypeRow(82)->children, "124433356744333567");
}

}  // namespace
