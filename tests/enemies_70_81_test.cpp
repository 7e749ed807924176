#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "StageCheck.h"
#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "enemy/StageScript.h"
#include "player/Item.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

constexpr float kSpeedBase[8] = {3.5f, 4.0f, 4.5f, 5.0f, 5.8f, 6.7f, 7.6f, 8.5f};

// Angle difference folded into -180..180.
float AngleGap(float a, float b) {
  float d = std::fmod(a - b, 360.0f);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

class MidBossTest : public ::testing::Test {
 protected:
  std::unique_ptr<GameWorld> world;
  int savedDifficulty = 0;
  float savedSpeedBase = 0;

  void SetUp() override {
    savedDifficulty = g_difficulty;
    savedSpeedBase = g_bulletSpeedBase;
    Fresh();
  }
  // A new world at difficulty 3 with the random walk at a fixed place.
  void Fresh() {
    world.reset();
    InitGameTables();
    std::vector<uint8_t> table(2 * kRandomTableSize);
    for (int i = 0; i < kRandomTableSize; ++i) {
      const int w = i == 0 ? kRandomTableSize : (i * 7919 + 13) & 0xFFFF;
      table[2 * i] = static_cast<uint8_t>(w & 0xFF);
      table[2 * i + 1] = static_cast<uint8_t>(w >> 8);
    }
    ASSERT_EQ(LoadRandomTableFromBytes(table.data(), static_cast<long>(table.size())), 0);
    SetRandomState(100, 7);
    SetDifficulty(3);
    world = std::make_unique<GameWorld>();
    world->player.x = 180;
    world->player.y = 420;
    world->stageScript = new StageScript;
  }
  void TearDown() override {
    world.reset();
    g_difficulty = savedDifficulty;
    g_bulletSpeedBase = savedSpeedBase;
  }

  static void SetDifficulty(int d) {
    g_difficulty = d;
    g_bulletSpeedBase = kSpeedBase[d];
  }

  Enemy* Make(int type, float x = 180, float y = -60, float dir = 270, float speed = 20) {
    return LaunchEnemy(world.get(), type, x, y, dir, speed);
  }
  void Step(int frames = 1) {
    for (int i = 0; i < frames; ++i) UpdateEnemies(world.get());
  }
  bool InList(const Enemy* e) const {
    for (Enemy* p = world->enemies.head; p; p = p->next)
      if (p == e) return true;
    return false;
  }
  int CountBullets(int type) const {
    int n = 0;
    for (EnemyBullet* b = world->bullets.head; b; b = b->next) n += b->type == type;
    return n;
  }
  // Ends every part of the boss but the one in `keep`, the way a player's kill does.
  void KeepOnlyPart(Enemy* boss, int keep) {
    for (int i = 0; i < boss->childCount; ++i) {
      if (i != keep && boss->children[i]) KillEnemy(false, world.get(), 0, boss->children[i]);
    }
  }
};

TEST_F(MidBossTest, EntryGlideSpinAndPartsOnTheirRings) {
  for (int boss : {70, 74, 78}) {
    Fresh();
    Enemy* b = Make(boss, 180, -60, 270, 20);
    Step();
    ASSERT_EQ(world->enemies.count, 7) << boss;
    ASSERT_EQ(b->childCount, 6);
    for (int i = 0; i < 6; ++i) {
      Enemy* p = b->children[i];
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(p->type, boss + (i < 3 ? 1 : 2));
      EXPECT_EQ(p->indexInParent, i);
      EXPECT_EQ(p->parent, b);
    }
    // Spin of 1.0 to 1.2 degrees per frame either way; the glide loses a tenth per frame.
    const float spin = b->floatRegs[0];
    EXPECT_GE(std::fabs(spin), 1.0f);
    EXPECT_LT(std::fabs(spin), 1.2f);
    EXPECT_FLOAT_EQ(b->speed, 18.0f);
    EXPECT_FLOAT_EQ(b->direction, 270.0f);
    float expectedY = -60 + 18;
    float v = 18;
    for (int f = 2; f <= 120; ++f) {
      const float facing = b->facing;
      Step();
      v *= 0.9f;
      expectedY += v;
      EXPECT_NEAR(AngleGap(b->facing, facing), spin, 1e-3);
    }
    EXPECT_NEAR(b->y, expectedY, 1e-2);
    EXPECT_NEAR(b->y, 120, 0.1);  // a glide of 9 x the spawn speed
    EXPECT_FLOAT_EQ(b->x, 180);

    // Gun parts at 0, 120, 240 degrees from the boss's facing, 112 px out; carriers between
    // them, 104 px out. Gun parts spin against the boss, 75 and the carriers keep their facing.
    for (int i = 0; i < 6; ++i) {
      Enemy* p = b->children[i];
      const float r = Hypot(p->x - b->x, p->y - b->y);
      EXPECT_NEAR(r, i < 3 ? 112 : 104, 1e-3) << boss << " part " << i;
      const float offset = i < 3 ? 0.0f : 60.0f;
      EXPECT_NEAR(AngleGap(AngleFromTo(b->x, b->y, p->x, p->y), i * 120 + b->facing + offset), 0, 1e-2);
      const float facing = p->facing;
      Step();
      const float turn = AngleGap(p->facing, facing);
      if (i < 3 && boss != 74) {
        EXPECT_GT(std::fabs(turn), 1.1f);
        EXPECT_LT(turn * spin, 0) << "the part turns against its boss";
      } else {
        EXPECT_EQ(turn, 0);
      }
      if (boss == 74 && i < 3) {
        EXPECT_EQ(p->facing, 0);
        const float s = p->floatRegs[0];  // its bullets' orbit rate
        EXPECT_GE(std::fabs(s), 3.5f);
        EXPECT_LT(std::fabs(s), 5.0f + 0.01f);
        EXPECT_LT(s * spin, 0);
      }
    }
    // The boss's six launch points ride 36 px out.
    for (int i = 0; i < b->launcherCount; ++i)
      EXPECT_NEAR(Hypot(b->launchers[i].x - b->x, b->launchers[i].y - b->y), 36, 1e-3);
    world.reset();
  }
}

// The registers of the parts by difficulty (shots per volley, frames between shots, pause,
// bullets per launcher; 79's speed layers; 75's fan step).
TEST_F(MidBossTest, PartRegistersByDifficulty) {
  struct Row {
    int g71[4], g75[4], g79[5], carrier[3];
    float fan75;
  } const rows[8] = {
      {{4, 3, 120, 1}, {2, 36, 160, 1}, {2, 25, 120, 1, 2}, {1, 160, 180}, 12},
      {{4, 5, 80, 1}, {3, 32, 96, 1}, {3, 16, 80, 1, 3}, {2, 80, 135}, 12},
      {{8, 4, 60, 1}, {5, 28, 68, 1}, {6, 14, 60, 1, 4}, {3, 53, 108}, 12},
      {{14, 3, 48, 1}, {6, 24, 53, 1}, {11, 12, 48, 1, 5}, {4, 40, 90}, 12},
      {{22, 3, 40, 2}, {8, 23, 43, 2}, {18, 11, 40, 2, 6}, {5, 32, 77}, 20},
      {{52, 3, 34, 3}, {11, 22, 36, 3}, {48, 11, 34, 3, 7}, {6, 26, 67}, 22.666666f},
      {{64, 3, 30, 4}, {13, 21, 32, 4}, {60, 11, 30, 3, 7}, {7, 22, 60}, 24},
      {{78, 2, 26, 4}, {14, 20, 28, 4}, {74, 10, 26, 3, 7}, {8, 20, 54}, 24},
  };
  for (int d = 0; d < 8; ++d) {
    SetDifficulty(d);
    const Row& row = rows[d];
    for (int boss : {70, 74, 78}) {
      Enemy* b = Make(boss);
      Step(2);  // the boss is the list's last enemy: its parts first run in the next frame
      const int* gun = boss == 70 ? row.g71 : boss == 74 ? row.g75 : row.g79;
      for (int i = 0; i < 6; ++i) {
        const Enemy* p = b->children[i];
        ASSERT_NE(p, nullptr);
        if (i < 3) {
          EXPECT_EQ(p->intRegs[0], gun[0]) << "D" << d << " type " << p->type;
          EXPECT_EQ(p->intRegs[1], gun[1]) << "D" << d << " type " << p->type;
          EXPECT_EQ(p->intRegs[2], gun[2]) << "D" << d << " type " << p->type;
          EXPECT_EQ(p->intRegs[4], gun[3]) << "D" << d << " type " << p->type;
          if (boss == 78) {
            EXPECT_EQ(p->intRegs[5], gun[4]) << "D" << d;
          }
          if (boss == 74) {
            EXPECT_NEAR(p->floatRegs[1], row.fan75, 1e-4) << "D" << d;
          }
        } else {
          EXPECT_EQ(p->intRegs[0], row.carrier[0]) << "D" << d << " type " << p->type;
          EXPECT_EQ(p->intRegs[1], row.carrier[1]) << "D" << d << " type " << p->type;
          EXPECT_EQ(p->intRegs[2], row.carrier[2]) << "D" << d << " type " << p->type;
        }
        // The counter starts within the first pause.
        EXPECT_GT(p->intRegs[3], -p->intRegs[2]);
        EXPECT_LE(p->intRegs[3], 1);  // counted once: its first frame
      }
    }
    ClearEnemyList(world.get());
  }
}

// One part left alone fires volleys: intRegs[0] shots intRegs[1] frames apart, pauses of
// intRegs[2] + 1 to 2 x intRegs[2] frames. Per shot: 71 fires n bullets per launcher where odd
// shots carry one fewer (so at D 4 they alternate 2 and 1), 79 the same times its speed layers,
// 75 always intRegs[4] per launcher, and a carrier one drone (at D 0 one per volley).
TEST_F(MidBossTest, PartVolleysByDifficulty) {
  struct Case {
    int boss, slot, bulletType;  // bulletType 0: the part launches drones
  } const cases[] = {{70, 0, 408}, {74, 1, 400}, {78, 2, 404}, {70, 3, 0}, {74, 4, 0}, {78, 5, 0}};
  for (const Case& c : cases) {
    for (int d : {0, 3, 4, 7}) {
      Fresh();
      SetDifficulty(d);
      Enemy* b = Make(c.boss, 180, 100, 270, 0);
      Step(2);
      KeepOnlyPart(b, c.slot);
      const Enemy* part = b->children[c.slot];
      const int shots = part->intRegs[0], period = part->intRegs[1], pause = part->intRegs[2];
      const int perLauncher = part->intRegs[4], layers = part->intRegs[5];
      auto made = [&]() {
        if (c.bulletType) return CountBullets(c.bulletType);
        int n = 0;  // drones not seen before; a register no drone uses marks the seen ones
        for (Enemy* e = world->enemies.head; e; e = e->next) {
          if (e->type != c.boss + 3 || e->intRegs[200] != 0) continue;
          e->intRegs[200] = 1;
          ++n;
        }
        return n;
      };
      std::vector<int> shotFrames, shotSizes;
      for (int f = 3; f <= 700; ++f) {
        const int before = c.bulletType ? made() : 0;
        Step();
        const int n = made() - before;
        if (n > 0) {
          shotFrames.push_back(f);
          shotSizes.push_back(n);
        }
      }
      const std::string what = "type " + std::to_string(part->type) + " D" + std::to_string(d);
      // Within the 700 frames before the boss climbs out the second volley surely begins when
      // the first pause, the first volley and the longest pause fit in.
      const bool twoVolleys = 3 * pause + (shots - 1) * period < 690;
      ASSERT_GT(shotFrames.size(), twoVolleys ? static_cast<size_t>(shots) : 1u) << what;
      int inVolley = 0, volleys = 0;
      for (size_t k = 0; k < shotFrames.size(); ++k) {
        if (k > 0) {
          const int gap = shotFrames[k] - shotFrames[k - 1];
          if (gap != period || inVolley == shots) {
            EXPECT_EQ(inVolley, shots) << what << " volley " << volleys;
            EXPECT_GE(gap, pause + 1) << what;
            EXPECT_LE(gap, 2 * pause) << what;
            inVolley = 0;
            ++volleys;
          }
        }
        const int fewer = std::max(perLauncher - (inVolley & 1), 1);
        const int expected = c.bulletType == 408 ? 3 * fewer
                             : c.bulletType == 404 ? 3 * fewer * layers
                             : c.bulletType == 400 ? 3 * perLauncher
                                                   : 1;
        EXPECT_EQ(shotSizes[k], expected) << what << " shot " << inVolley;
        ++inVolley;
      }
      if (twoVolleys) {
        EXPECT_GE(volleys, 1) << what;
      }
    }
  }
}

// The bullets of single shots.
TEST_F(MidBossTest, GunPartBullets) {
  // The bullets of one shot: type 408 at the launchers, 0.54 B, pulsing.
  Fresh();
  SetDifficulty(4);
  Enemy* b = Make(70, 180, 100, 270, 0);
  Step(2);
  KeepOnlyPart(b, 1);
  Enemy* gun = b->children[1];
  while (CountBullets(408) == 0) Step();
  ASSERT_EQ(CountBullets(408), 6);  // first shot of a volley: two per launcher
  int k = 0;
  for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next, ++k) {
    EXPECT_FLOAT_EQ(bl->speed, 0.54f * kSpeedBase[4]);
    EXPECT_EQ(bl->pulseOn, 1);
    const EnemyLauncher& l = gun->launchers[k / 2];
    EXPECT_FLOAT_EQ(bl->x, l.x);
    const float widen = (4 - 3.6f) * 2.35f + 1;
    const float expected = (k / 2) * 120 + gun->facing + ((k % 2) * 2 - 1) * gun->floatRegs[0] * widen;
    EXPECT_NEAR(AngleGap(bl->direction, expected), 0, 1e-3);
  }
  // 79 at D 5: every direction carries seven bullets of rising speed.
  Fresh();
  SetDifficulty(5);
  Enemy* b79 = Make(78, 180, 100, 270, 0);
  Step(2);
  KeepOnlyPart(b79, 0);
  while (CountBullets(404) == 0) Step();
  ASSERT_EQ(CountBullets(404), 3 * 3 * 7);
  int m = 0;
  for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next, m = (m + 1) % 7) {
    EXPECT_FLOAT_EQ(bl->speed, kSpeedBase[5] * (0.47f + 0.08f * m / (20.0f / 13.0f))) << m;
    EXPECT_FLOAT_EQ(bl->baseScaleX, 0.32f);
  }
}

// Boss 70 fires its ring at ages 299, 599, ...: six bullets 81..91, a hexagon of 36 px turning
// at the spin step of the moment of firing, while its centre flies toward the player; 74 fires
// nothing itself.
TEST_F(MidBossTest, BossRingAndTheSilentBoss74) {
  Enemy* b = Make(70, 180, 100, 270, 0);
  Step();
  KeepOnlyPart(b, -1);  // no parts: only the boss fires
  Step(297);
  EXPECT_EQ(world->bullets.count, 0);
  Step();
  ASSERT_EQ(b->age, 299);
  ASSERT_EQ(world->bullets.count, 6);
  int i = 0;
  for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next, ++i) {
    EXPECT_EQ(bl->type, 81 + 2 * i);
    EXPECT_FLOAT_EQ(bl->speed, 0.2f * kSpeedBase[3] + 1.5f);
    EXPECT_NEAR(AngleGap(bl->direction, AngleFromTo(b->x, b->y, 180, 420)), 0, 1e-3);
    EXPECT_FLOAT_EQ(bl->baseX, b->x);
    EXPECT_FLOAT_EQ(bl->orbitAngle, 60.0f * i);
    EXPECT_NEAR(bl->orbitRadius, 36, 1e-4);
    EXPECT_FLOAT_EQ(bl->orbitAngleVel, b->floatRegs[0]);
  }
  // The hexagon keeps the rate it was fired with for its whole flight.
  const float rate = b->floatRegs[0];
  for (int f = 0; f < 40; ++f)
    for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next) bl->MoveBullet();
  EnemyBullet* first = world->bullets.head;
  EXPECT_NEAR(AngleGap(first->orbitAngle, 40 * rate), 0, 1e-3);
  EXPECT_NEAR(Hypot(first->x - first->baseX, first->y - first->baseY), 36, 1e-3);

  ClearEnemyList(world.get());
  ClearBulletList(&world->bullets);
  Enemy* silent = Make(74, 180, 100, 270, 0);
  Step();
  KeepOnlyPart(silent, -1);
  Step(650);
  EXPECT_EQ(world->bullets.count, 0);
}

// 75 aims from its boss at the player; the three bullets of one direction circle the part's
// position at 12.8 px with its own orbit rate, leaving a trail.
TEST_F(MidBossTest, GunPart75FiresOrbitingFansAimedFromTheBoss) {
  SetDifficulty(4);
  Enemy* b = Make(74, 180, 100, 270, 0);
  Step();
  KeepOnlyPart(b, 2);
  Enemy* gun = b->children[2];
  while (world->bullets.count == 0) Step();
  ASSERT_EQ(world->bullets.count, 6);  // 2 per launcher on every shot at D 4
  const float aim = AngleFromTo(b->x, b->y, 180, 420);
  int k = 0;
  for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next, ++k) {
    EXPECT_EQ(bl->type, 400);
    EXPECT_NEAR(AngleGap(bl->direction, aim + ((k % 2) * 2 - 1) * 20 * 0.5f), 0, 1e-3);
    EXPECT_FLOAT_EQ(bl->baseX, gun->x);
    EXPECT_NEAR(bl->orbitRadius, 12.8f, 1e-4);
    EXPECT_FLOAT_EQ(bl->orbitAngle, gun->launchers[k / 2].placementAngle + gun->facing);
    EXPECT_FLOAT_EQ(bl->orbitAngleVel, gun->floatRegs[0]);
    EXPECT_EQ(bl->trailSprite, 560);
    EXPECT_EQ(bl->trailInterval, 1);
    EXPECT_EQ(bl->trailLifetime, 3);
  }
  // Two shots later the fan still comes from the boss's bearing.
  Step(gun->intRegs[1]);
  EXPECT_EQ(world->bullets.count, 12);
}

// Carriers launch drones outward from the boss, each of a volley 0.3 px/frame faster; drones
// home with a growing pull; 81 fires a burst along its birth bearing.
TEST_F(MidBossTest, CarriersAndTheirDrones) {
  for (int boss : {70, 74, 78}) {
    Fresh();
    SetDifficulty(3);
    Enemy* b = Make(boss, 180, 100, 270, 0);
    Step();
    KeepOnlyPart(b, 3);
    Enemy* carrier = b->children[3];
    const int drone = boss + 3;
    std::vector<Enemy*> drones;
    std::vector<int> births;
    while (static_cast<int>(drones.size()) < 4) {
      Enemy* last = world->enemies.tail;
      Step();
      if (world->enemies.tail == last || world->enemies.tail->type != drone) continue;
      Enemy* d = world->enemies.tail;
      drones.push_back(d);
      births.push_back(b->age);
      // Launched at the carrier; a drone appended behind the list's last enemy makes its first
      // homing step only in the next frame.
      float ax = 0, ay = 0;
      if (d->age == 1) PolarToXY(&ax, &ay, AngleFromTo(d->prevX, d->prevY, 180, 420), 0.00014f + 0.04f);
      const float sp = Hypot(d->vx - ax, d->vy - ay);
      EXPECT_NEAR(sp, 1 + 0.3f * (drones.size() - 1), 1e-3) << boss;
      const float dir = Atan2Deg(-(d->vy - ay), d->vx - ax);
      EXPECT_LE(std::fabs(AngleGap(dir, carrier->orbitAngle)), 16.01f);
      EXPECT_NEAR(d->age == 1 ? d->prevX : d->x, carrier->x, 1e-3);
      ASSERT_LT(b->age, 600);
    }
    for (int k = 1; k < 4; ++k) EXPECT_EQ(births[k] - births[k - 1], carrier->intRegs[1]);
    Step();  // the newest drone has surely run its first frame and is still on the field
    Enemy* d = drones.back();
    ASSERT_TRUE(InList(d));
    if (drone == 73) {
      EXPECT_EQ(d->intRegs[0], 4);
    }
    if (drone == 77) {
      EXPECT_EQ(d->intRegs[0], 7);
      EXPECT_EQ(d->intRegs[1], 0);
    }
    world.reset();
  }

  // Drone 81 alone: the burst along the first frame's bearing, every intRegs[1] frames, never in
  // its first frame; the pull grows with its age.
  for (int d : {0, 3, 7}) {
    Fresh();
    SetDifficulty(d);
    Enemy* dr = Make(81, 60, 100, 0, 1);
    const float bearing = AngleFromTo(60, 100, 180, 420);
    std::vector<int> fired;
    for (int f = 1; f <= 200 && InList(dr); ++f) {
      const int before = CountBullets(55);
      const float vx = dr->vx, vy = dr->vy;
      const float ang = AngleFromTo(dr->x, dr->y, 180, 420);
      Step();
      if (!InList(dr)) break;
      float ax, ay;
      PolarToXY(&ax, &ay, ang, f * 0.00014f + 0.04f);
      EXPECT_NEAR(dr->vx, vx + ax, 1e-4);
      EXPECT_NEAR(dr->vy, vy + ay, 1e-4);
      if (CountBullets(55) > before) fired.push_back(f);
    }
    const int expectedShots[8] = {1, 4, 9, 12, 15, 18, 21, 24};
    const int period = std::max(6 - d, 3);
    ASSERT_EQ(static_cast<int>(fired.size()), expectedShots[d]) << "D" << d;
    for (size_t k = 0; k < fired.size(); ++k) EXPECT_EQ(fired[k], period * static_cast<int>(k + 1));
    for (EnemyBullet* bl = world->bullets.head; bl; bl = bl->next) {
      EXPECT_NEAR(AngleGap(bl->direction, bearing), 0, 1e-3);
      EXPECT_FLOAT_EQ(bl->speed, kSpeedBase[d]);
    }
    world.reset();
  }
}

// The death sequence: 64 frames of debris bursts with the boss immune and silent, then stage
// flag 0 cleared and the real kill; the parts go in the same frame, 75 and 76 leaving their
// option items.
TEST_F(MidBossTest, DeathSequenceFlagAndOrphanedParts) {
  for (int boss : {70, 74, 78}) {
    Fresh();
    Enemy* b = Make(boss, 180, 100, 270, 0);
    Step(250);
    world->stageScript->flags[0] = 1;
    b->dropItemKind = 0;  // only the parts' items are counted
    // An option and a shot locked onto a part: its end by the orphan rule must drop both.
    Option* o = new Option;
    ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
    world->player.optionCount += 1;
    o->target = b->children[5];
    PlayerShot* shot = new PlayerShot;
    ListAppendAtTail(&world->shots.head, &world->shots.tail, shot);
    world->shots.count += 1;
    shot->target = b->children[4];
    KillEnemy(true, world.get(), 0, b);
    ASSERT_EQ(b->dyingCounter, -1);
    ASSERT_EQ(b->phase, -1);
    const float spin = b->floatRegs[0];
    const int bulletsBefore = CountBullets(81);
    int effects = 0, sevens = 0;
    for (int f = 1; f <= 63; ++f) {
      const int before = world->effects.count;
      Effect* const tailBefore = world->effects.tail;
      const float facing = b->facing;  // the body turns after its burst
      Step();
      const int made = world->effects.count - before;
      if (f % 6 == 1) {
        EXPECT_GE(made, 5) << f;
        EXPECT_LE(made, 8) << f;
        effects += made;
        EXPECT_EQ(made, b->intRegs[8]);
        // Piece i flies at i x 360 / n in float + facing: seven pieces are 51.43 degrees apart.
        sevens += made == 7;
        int i = 0;
        for (Effect* p = tailBefore ? tailBefore->next : world->effects.head; p; p = p->next, ++i) {
          EXPECT_NEAR(AngleGap(p->direction, facing + 360.0f * i / made), 0, 1e-3) << f << " piece " << i;
        }
        Effect* last = world->effects.tail;
        EXPECT_EQ(last->startColor, DimColorTwoThirds(b->sprite.colors[0]));
        EXPECT_EQ(last->endColor, 0u);
        EXPECT_FLOAT_EQ(last->friction, 0.95f);
        EXPECT_FLOAT_EQ(last->endScaleX, (3.2f * std::sqrt(3.2f) + 2) * 0.8f);
        EXPECT_GE(last->lifetime, 40);
        EXPECT_LE(last->lifetime, 47);
      } else {
        EXPECT_EQ(made, 0) << f;
      }
      EXPECT_EQ(b->dyingCounter, -1);
      EXPECT_EQ(world->stageScript->flags[0], 1);
      for (int i = 0; i < 6; ++i) ASSERT_EQ(b->children[i]->dyingCounter, 0);
    }
    EXPECT_GE(effects, 55);
    EXPECT_GT(sevens, 0);
    // No ring at age 299 during the sequence.
    EXPECT_EQ(CountBullets(81), bulletsBefore);
    EXPECT_NEAR(b->floatRegs[0], spin * std::pow(0.9894f, 63), 1e-3);
    Step();
    EXPECT_EQ(b->dyingCounter, 1);
    EXPECT_EQ(world->stageScript->flags[0], 0);
    int options6 = 0, options10 = 0;
    for (Item* it = world->items.head; it; it = it->next) {
      options6 += it->kind == 6;
      options10 += it->kind == 10;
    }
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(b->children[i] ? b->children[i]->dyingCounter : 1, 1) << "part " << i;
    }
    if (boss == 74) {
      EXPECT_EQ(options6, 3);
      EXPECT_EQ(options10, 3);
    } else {
      EXPECT_EQ(options6 + options10, 0);
    }
    Step(3);
    EXPECT_FALSE(InList(b));
    for (Enemy* e = world->enemies.head; e; e = e->next) {
      EXPECT_TRUE(e->type == boss + 3) << e->type;
      EXPECT_EQ(e->parent, nullptr);
    }
    EXPECT_EQ(o->target, nullptr);
    EXPECT_EQ(shot->target, nullptr);
    world.reset();
  }
}

// The option items of orphaned 75 and 76: falling from the part, facing drawn last.
TEST_F(MidBossTest, OrphanedPartsDropOptionItems) {
  Enemy* b = Make(74, 180, 100, 270, 0);
  Step(10);
  Enemy* gun = b->children[1];
  Enemy* carrier = b->children[4];
  Enemy* part71 = nullptr;
  gun->parent = nullptr;  // orphaned without its boss's kill path
  carrier->parent = nullptr;
  b->children[1] = b->children[4] = nullptr;
  const float gx = gun->x, gy = gun->y;
  Step();
  ASSERT_EQ(world->items.count, 2);
  Item* first = world->items.head;
  EXPECT_EQ(first->kind, 6);
  EXPECT_FLOAT_EQ(first->x, gx);  // where the part stood before this frame's motion
  EXPECT_GE(first->speed, (gy + 64) * 9 / 480);
  EXPECT_LT(first->speed, (gy + 64) * 9 / 480 + 4);
  EXPECT_GE(first->direction, 85.5f);
  EXPECT_LT(first->direction, 94.5f);
  EXPECT_EQ(world->items.tail->kind, 10);
  EXPECT_EQ(gun->dyingCounter, 1);
  EXPECT_EQ(carrier->dyingCounter, 1);

  // Parts of 70 drop nothing.
  Enemy* other = Make(70, 180, 100, 270, 0);
  Step();
  part71 = other->children[0];
  part71->parent = nullptr;
  other->children[0] = nullptr;
  Step();
  EXPECT_EQ(part71->dyingCounter, 1);
  EXPECT_EQ(world->items.count, 2);
}

// After 720 frames the boss climbs out; above y -200 it clears flag 0 and it and its parts
// become removable. A part killed earlier leaves a null slot that is skipped. When the boss
// goes its parts go without the kill path: no option, shot, parent or child link to them may
// remain (the sanitizer build reads freed memory otherwise).
TEST_F(MidBossTest, ClimbOutAfter720FramesLeavesNoLinks) {
  Enemy* b = Make(70, 180, -60, 270, 20);
  Step(2);
  KillEnemy(true, world.get(), 0, b->children[2]);  // a slot the exit must skip
  // Options and shots locked onto the parts.
  std::vector<Option*> options;
  std::vector<PlayerShot*> shots;
  for (int i = 0; i < 6; ++i) {
    if (i == 2) continue;
    Option* o = new Option;
    ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, o);
    world->player.optionCount += 1;
    o->target = b->children[i];
    options.push_back(o);
    PlayerShot* s = new PlayerShot;
    ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
    world->shots.count += 1;
    s->target = b->children[i];
    shots.push_back(s);
  }
  world->stageScript->flags[0] = 1;
  Step(718);
  ASSERT_EQ(b->phaseFrames, 720);
  const float held = b->speed;
  Step();
  EXPECT_FLOAT_EQ(b->direction, 90);
  EXPECT_FLOAT_EQ(b->speed, (held + 0.5f) * 0.9f);
  EXPECT_EQ(b->removeOffField, 0);
  int frames = 0;
  while (world->stageScript->flags[0] == 1 && frames < 400) {
    Step();
    ++frames;
  }
  ASSERT_LT(frames, 400);
  EXPECT_LT(b->baseY, -200);
  EXPECT_EQ(b->removeOffField, 1);
  for (int i = 0; i < 6; ++i)
    if (b->children[i]) {
      EXPECT_EQ(b->children[i]->removeOffField, 1);
    }
  EXPECT_EQ(b->children[2], nullptr);
  // The speed tends to 4.5 px per frame.
  EXPECT_NEAR(b->speed, 4.5f, 0.05f);
  Step(6);
  for (Enemy* e = world->enemies.head; e; e = e->next) {
    EXPECT_TRUE(e->type == 73) << e->type;
    EXPECT_EQ(e->parent, nullptr);
  }
  for (Option* o : options) EXPECT_EQ(o->target, nullptr);
  for (PlayerShot* s : shots) EXPECT_EQ(s->target, nullptr);
}

// A boss killed while leaving still plays its whole sequence and dies where it is.
TEST_F(MidBossTest, KilledWhileLeavingPlaysTheWholeSequence) {
  Enemy* b = Make(78, 180, -60, 270, 20);
  Step(721);
  while (b->y > -120) Step();
  ASSERT_TRUE(IsEnemyOffField(b));
  KillEnemy(true, world.get(), 0, b);
  EXPECT_EQ(b->removeOffField, 0);
  Step(63);
  EXPECT_EQ(b->dyingCounter, -1);  // braking off the field, kept
  EXPECT_TRUE(IsEnemyOffField(b));
  EXPECT_TRUE(InList(b));
  Step();
  EXPECT_EQ(b->dyingCounter, 1);
}

// The stage-file checker rejects a mid-boss placed in any phase but 0 (in phase -1 it would
// run its death sequence while alive and die with its reward; in another phase it never leaves).
TEST(MidBossStageCheck, BossStartPhaseMustBeZero) {
  InitGameTables();
  auto check = [](const std::string& events) {
    const std::string text = events + "s2000 2\r\n";
    return CheckStageBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };
  auto mentions = [](const std::vector<StageProblem>& ps, const char* word) {
    for (const StageProblem& p : ps)
      if (p.message.find(word) != std::string::npos) return true;
    return false;
  };
  for (int boss : {70, 74, 78}) {
    const std::string t = std::to_string(boss);
    EXPECT_TRUE(check("e100 " + t + " 0 180 -60 0 20\r\n").empty()) << boss;
    for (const char* phase : {"-1", "1", "2"}) {
      const auto e = check("e100 " + t + " " + phase + " 180 -60 0 20\r\n");
      EXPECT_TRUE(mentions(e, "death sequence")) << boss << " phase " << phase;
      const auto g = check(std::string("g100 ") + t + " " + phase + " 1 1 180 -60 0 0 0 20\r\n");
      EXPECT_TRUE(mentions(g, "death sequence")) << boss << " phase " << phase;
    }
  }
  // Drones may be placed; parts and other enemies are checked as before.
  EXPECT_TRUE(check("e100 73 0 180 -60 0 2\r\n").empty());
  EXPECT_TRUE(mentions(check("e100 71 0 180 -60 0 2\r\n"), "part"));
}

}  // namespace
