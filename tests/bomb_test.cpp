#include <gtest/gtest.h>

#include "tests/TestSupport.h"

#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "platform/SoundSystem.h"
#include "player/Bomb.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"
#include "world/SpriteTable.h"

namespace {

// One frame of game input, counted as the polling layer counts held entries.
void FeedInput(const std::vector<int>& held) {
  int now[kInputCount] = {};
  for (int i : held) now[i] = 1;
  for (int i = 0; i < kInputCount; ++i) {
    g_gameInput[i] = now[i];
    g_gameInputFrames[i] = (g_gameInputFrames[i] + 1) * now[i];
  }
}

class BombTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    LoadTestTable();
    SetRandomState(0, 0);
    ResetPlayGlobals();
    world = std::make_unique<GameWorld>();
    P().SetState(PlayerNormal);
    P().invincibleFrames = 0;
  }
  void TearDown() override { ResetPlayGlobals(); }
  std::unique_ptr<GameWorld> world;
  Player& P() { return world->player; }

  // The player update of one frame, with this frame's sound requests.
  void Frame(const std::vector<int>& held = {}) {
    ResetSoundRequests();
    FeedInput(held);
    UpdatePlayer(world.get());
  }
};

bool BombSoundRequested() { return g_seRequested[SeBomb] != 0; }

}  // namespace

// Each bomb kind from its buttons: the frames of its wind-up and attack, its invincibility, the
// bombs spent and the frame it ends on.
TEST_F(BombTest, TimelineOfEveryKind) {
  struct Case {
    const char* name;
    std::vector<int> start;  // held on the start frame
    std::vector<int> chain;  // held on the chain frame (frame 4); empty for no chain
    int kind, duration, invincible, shotMode, optionMode, bombsLeft;
  };
  const Case cases[] = {
      {"guard", {InputBomb}, {}, BombGuard, 180, 240, ShotModeOff, OptionFireNormal, 2},
      {"ring", {InputBomb, InputShot}, {}, BombRing, 90, 120, ShotModeRing, OptionFireNormal, 2},
      {"burst", {InputBomb}, {InputBomb}, BombBurst, 320, 400, ShotModeBurst, OptionFireNormal, 1},
      {"burst from ring", {InputBomb, InputShot}, {InputBomb, InputSlow}, BombBurst, 320, 400, ShotModeBurst,
       OptionFireNormal, 1},
      {"spread", {InputBomb}, {InputBomb, InputShot}, BombSpread, 180, 240, ShotModeSpread, OptionFireSpread, 1},
      {"beam", {InputBomb}, {InputBomb, InputShot, InputSlow}, BombBeam, 220, 280, ShotModeBeam, OptionFireBeam, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Player& p = P();
    Frame(c.start);
    EXPECT_TRUE(BombSoundRequested());
    EXPECT_EQ(p.bombFrames, 1);
    EXPECT_EQ(p.shotMode, ShotModeWindup);
    EXPECT_EQ(p.optionFireMode, OptionFireNormal);
    int frame = 1;  // frames of the bomb that is running now
    if (!c.chain.empty()) {
      for (; frame < 4; ++frame) Frame({});
      Frame(c.chain);
      EXPECT_FALSE(BombSoundRequested());  // a chain is silent
      EXPECT_EQ(p.bombFrames, 0);
      EXPECT_EQ(p.optionFireMode, OptionFireSilent);
      frame = 0;
    }
    EXPECT_EQ(p.bombKind, c.kind);
    EXPECT_EQ(p.bombDuration, c.duration);
    EXPECT_EQ(p.bombs, c.bombsLeft);
    // The countdown of this same frame has already taken one off.
    EXPECT_EQ(p.invincibleFrames, c.invincible - 1);
    const int invincibleAtStart = p.invincibleFrames + frame;
    for (; frame < c.duration - 1;) {
      Frame({});
      ++frame;
      ASSERT_EQ(p.bombFrames, frame);
      const bool attack = frame > 20;
      ASSERT_EQ(p.shotMode, attack ? c.shotMode : ShotModeWindup) << "frame " << frame;
      const int silentOptions = c.chain.empty() ? OptionFireNormal : OptionFireSilent;
      ASSERT_EQ(p.optionFireMode, attack ? c.optionMode : silentOptions) << "frame " << frame;
      ASSERT_EQ(p.invincibleFrames, invincibleAtStart - frame);
    }
    p.shotPhase = 1;
    Frame({});
    EXPECT_EQ(p.bombKind, BombNone);
    EXPECT_EQ(p.shotMode, ShotModeNormal);
    EXPECT_EQ(p.optionFireMode, OptionFireNormal);
    EXPECT_EQ(p.shotPhase, 0);
    // The invincibility outlasts the bomb and counts on.
    EXPECT_EQ(p.invincibleFrames, invincibleAtStart - c.duration);
    EXPECT_GT(p.invincibleFrames, 0);
  }
}

// A chain needs a fresh press on frames 2..20 of a first-level bomb and a bomb left to spend.
// The start frame holds the button, so the earliest fresh press falls on frame 3.
TEST_F(BombTest, ChainWindowAndStock) {
  struct Case {
    int pressFrame, bombs;
    bool chained;
  };
  const Case cases[] = {{3, 3, true}, {20, 3, true}, {21, 3, false}, {10, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "press on frame " << c.pressFrame << " with " << c.bombs << " bombs");
    SetUp();
    Player& p = P();
    p.bombs = c.bombs;
    Frame({InputBomb});
    while (p.bombFrames < c.pressFrame - 1) Frame();
    Frame({InputBomb});
    EXPECT_EQ(p.bombKind, c.chained ? BombBurst : BombGuard);
    EXPECT_EQ(p.bombs, c.bombs - (c.chained ? 2 : 1));
  }
  // Holding the button from the start is no fresh press: no chain, and the next bomb starts on
  // the frame after the first one ends.
  SetUp();
  Player& p = P();
  Frame({InputBomb});
  while (p.bombKind != BombNone) {
    Frame({InputBomb});
    if (p.bombKind != BombNone) {
      ASSERT_EQ(p.bombKind, BombGuard);
    }
  }
  EXPECT_EQ(p.bombs, 2);
  Frame({InputBomb});
  EXPECT_TRUE(BombSoundRequested());
  EXPECT_EQ(p.bombKind, BombGuard);
  EXPECT_EQ(p.bombFrames, 1);
  EXPECT_EQ(p.bombs, 1);
  // A second-level bomb cannot be chained further.
  while (p.bombFrames < 3) Frame();
  Frame({InputBomb, InputShot});
  ASSERT_EQ(p.bombKind, BombSpread);
  Frame();
  Frame({InputBomb});
  EXPECT_EQ(p.bombKind, BombSpread);
  EXPECT_EQ(p.bombs, 0);
}

// Only normal play starts a bomb; a running bomb counts down in any state.
TEST_F(BombTest, StartsOnlyInNormalPlayWithABombLeft) {
  for (int state : {PlayerEntering, PlayerShieldHit, PlayerDying, PlayerGameOver}) {
    SCOPED_TRACE(state);
    SetUp();
    P().SetState(state);
    Frame({InputBomb});
    EXPECT_EQ(P().bombKind, BombNone);
    EXPECT_FALSE(BombSoundRequested());
  }
  SetUp();
  P().bombs = 0;
  Frame({InputBomb});
  EXPECT_EQ(P().bombKind, BombNone);
  EXPECT_FALSE(BombSoundRequested());

  SetUp();
  Player& p = P();
  Frame({InputBomb, InputShot});
  p.SetState(PlayerGameOver);
  for (int i = 2; i < 90; ++i) Frame();
  EXPECT_EQ(p.bombKind, BombRing);
  Frame();
  EXPECT_EQ(p.bombKind, BombNone);
}

// A bomb raises the invincibility to at least its own; it never lowers a longer one.
TEST_F(BombTest, InvincibilityIsRaisedNeverLowered) {
  Player& p = P();
  p.invincibleFrames = 500;
  Frame({InputBomb});
  EXPECT_EQ(p.invincibleFrames, 499);
  Frame();
  p.invincibleFrames = 100;
  Frame({InputBomb});  // frame 3 of the guard: a chain into a burst
  EXPECT_EQ(p.bombKind, BombBurst);
  EXPECT_EQ(p.invincibleFrames, 399);
}

// Bullets on the ship vanish harmlessly while the guard's invincibility lasts; the first frame
// after it has run out the ship is hit.
TEST_F(BombTest, GuardShieldsTheShipFromBullets) {
  Player& p = P();
  for (int frame = 1; frame <= 240; ++frame) {
    Frame(frame == 1 ? std::vector<int>{InputBomb} : std::vector<int>{});
    BulletList& l = world->bullets;
    ConstructEnemyBullet(0, 0, 0, &l.head, &l.tail, &l.count, p.x, p.y, 0, 0, 1, 1);
    UpdateEnemyBullets(world.get());
    ASSERT_EQ(l.count, 0);
    if (frame < 240) {
      ASSERT_EQ(p.state, PlayerNormal) << "frame " << frame;
      ASSERT_EQ(p.hitCount, 0);
    }
  }
  EXPECT_EQ(p.state, PlayerShieldHit);
  EXPECT_EQ(p.hitCount, 1);
}

// The bomb step itself draws nothing: a bombing frame in normal play draws only the exhaust's two.
TEST_F(BombTest, TheBombStepDrawsNoRandomNumber) {
  Player& p = P();
  int step = g_randomStep;
  Frame({InputBomb});
  EXPECT_EQ(DrawsSince(step), 2);
  for (int i = 0; i < 30; ++i) {
    step = g_randomStep;
    Frame(i == 3 ? std::vector<int>{InputBomb, InputShot} : std::vector<int>{});
    ASSERT_EQ(DrawsSince(step), 2) << "frame " << i;
  }
  EXPECT_EQ(p.bombKind, BombSpread);
}

// The counter bomb answers a hit while dying: it spends a bomb, starts no bomb and gives no
// invincibility; the respawn brings the stock back to 3.
TEST_F(BombTest, CounterBombWhileDying) {
  Player& p = P();
  p.lives = 1;
  p.SetState(PlayerDying);
  for (int i = 0; i < 3; ++i) {
    Frame({InputBomb});
    Frame();
  }
  EXPECT_EQ(p.bombs, 0);
  EXPECT_EQ(p.bombKind, BombNone);
  EXPECT_EQ(p.shotMode, ShotModeNormal);
  EXPECT_EQ(p.invincibleFrames, 0);
  EXPECT_FALSE(BombSoundRequested());
  int emitters = 0;
  for (Effect* e = world->effects.head; e; e = e->next) emitters += e->kind == EffectRingEmitter;
  EXPECT_EQ(emitters, 3);
  while (p.state == PlayerDying) Frame();
  EXPECT_EQ(p.bombs, 3);
}

namespace {

// The player update and the bomb attack of UpdatePlayerShots, without moving the shots, so
// each frame's new shots stay where they were made. Returns the shots made in the frame.
std::vector<PlayerShot*> FireFrame(GameWorld* world, const std::vector<int>& held) {
  PlayerShot* lastBefore = world->shots.tail;
  ResetSoundRequests();
  FeedInput(held);
  UpdatePlayer(world);
  const int state = world->player.state;
  if (state == PlayerNormal || state == PlayerShieldHit) FireBombAttack(world);
  std::vector<PlayerShot*> made;
  for (PlayerShot* s = lastBefore ? lastBefore->next : world->shots.head; s; s = s->next) made.push_back(s);
  return made;
}

}  // namespace

class BombAttackTest : public BombTest {
 protected:
  // Frame 1 of the bomb with the start buttons, then a chain on frame 3 when chain is given.
  void Launch(const std::vector<int>& start, const std::vector<int>& chain = {}) {
    Fire(start);
    if (!chain.empty()) {
      Fire({});
      Fire(chain);
    }
  }
  std::vector<PlayerShot*> Fire(const std::vector<int>& held) { return FireFrame(world.get(), held); }
};

// Rings on frames 21, 26, ..., 46, twelve shots each, 30 degrees apart around the ship, each ring
// 5 + power/20 px per frame wider than at frame 20 plus 32.
TEST_F(BombAttackTest, RingBombFiresSixRings) {
  Player& p = P();
  p.power = 12;
  p.x = 200;
  p.y = 300;
  Launch({InputBomb, InputShot});
  std::vector<int> ringFrames;
  while (p.bombKind != BombNone) {
    const int step = g_randomStep;
    const std::vector<PlayerShot*> made = Fire({});
    if (made.empty()) {
      ASSERT_EQ(DrawsSince(step), 2);  // the exhaust only
      continue;
    }
    ringFrames.push_back(p.bombFrames);
    EXPECT_EQ(DrawsSince(step), 2 + 1 + 12);
    ASSERT_EQ(made.size(), 12u);
    const float radius = (12.0f / 20.0f + 5.0f) * static_cast<float>(p.bombFrames - 20) + 32.0f;
    const float base = made[0]->direction;
    for (int i = 0; i < 12; ++i) {
      const PlayerShot* s = made[i];
      EXPECT_EQ(s->kind, ShotBombRing);
      EXPECT_EQ(s->hitBit, HitSourceRing);
      EXPECT_EQ(s->damage, 80 * 42 / 50);
      EXPECT_FLOAT_EQ(s->direction, base);
      EXPECT_FLOAT_EQ(s->speed, 0.0f);
      EXPECT_NEAR(Hypot(s->x - p.x, s->y - p.y), radius, 1e-3f);
      EXPECT_NEAR(AngleDistance(Atan2Deg(p.y - s->y, s->x - p.x), base + 30.0f * i), 0.0f, 1e-2f);
      // Scale 1 + power / 32 in integers: 1 at power 12 (the radius above keeps its 0.6).
      EXPECT_FLOAT_EQ(s->sprite.scaleX, 1.0f);
      EXPECT_FLOAT_EQ(s->hitShape.scaleY, 1.0f);
      EXPECT_EQ(s->sprite.colorMode, SpriteColorSingle);
    }
    EXPECT_EQ(p.shotPhase, 0);
  }
  EXPECT_EQ(ringFrames, (std::vector<int>{21, 26, 31, 36, 41, 46}));
}

// The burst fires every frame of its attack; slow raises the focus by one a frame up to 16,
// which doubles its damage step by step and, at full focus only, narrows the burst from 2 to 1
// (2 - focus / 16 in integers); released, the focus falls again.
TEST_F(BombAttackTest, BurstFocusNarrowsAndStrengthens) {
  Player& p = P();
  Launch({InputBomb}, {InputBomb});
  ASSERT_EQ(p.bombKind, BombBurst);
  while (p.bombFrames < 20) EXPECT_TRUE(Fire({InputSlow}).empty());
  int shots = 0;
  for (int focus = 1; p.bombKind != BombNone; ++focus) {
    const bool slow = focus <= 20;
    const int step = g_randomStep;
    const std::vector<PlayerShot*> made = Fire(slow ? std::vector<int>{InputSlow} : std::vector<int>{});
    if (p.bombKind == BombNone) {
      EXPECT_TRUE(made.empty());  // the end frame fires as the normal shot, which is not held
      break;
    }
    ASSERT_EQ(made.size(), 1u);
    ++shots;
    EXPECT_EQ(DrawsSince(step), 2 + 3);
    const int f = slow ? (focus < 16 ? focus : 16) : (16 - (focus - 20) > 0 ? 16 - (focus - 20) : 0);
    ASSERT_EQ(p.shotPhase, f);
    const PlayerShot* s = made[0];
    EXPECT_EQ(s->kind, ShotBombBurst);
    EXPECT_EQ(s->hitBit, HitSourceBomb);
    EXPECT_EQ(s->damage, (80 * 20 / 100) * (f + 16) / 16);
    const float narrow = f < 16 ? 2.0f : 1.0f;
    EXPECT_GE(s->sprite.scaleX, narrow);
    EXPECT_LT(s->sprite.scaleX, narrow + 0.2f);
    EXPECT_GE(s->hitShape.scaleY, narrow);
    EXPECT_LT(s->hitShape.scaleY, narrow + 0.2f);
    const uint32_t k = static_cast<uint32_t>(f * 96 / 16 + 96);
    EXPECT_EQ(s->sprite.colors[0], k << 24 | k << 16 | k << 8 | k);
    EXPECT_FLOAT_EQ(s->speed, 0.0f);
  }
  EXPECT_EQ(shots, 320 - 21);
}

// Spread and beam fire on every second frame; a volley left unfinished before the bomb only
// shifts the rhythm by one frame.
TEST_F(BombAttackTest, SpreadAndBeamEverySecondFrame) {
  struct Case {
    const char* name;
    std::vector<int> chain;
    int kind, damage, drawsPerShot;
    float scaleX, scaleY;
  };
  const Case cases[] = {
      {"spread", {InputBomb, InputShot}, ShotBombSpread, 80 * 40 / 20, 2, 1.1f + 0.6f, 1.1f + 0.6f},
      {"beam", {InputBomb, InputShot, InputSlow}, ShotBombBeam, 80 * 30 / 5, 0, 3.6f, 1.8f + 0.6f},
  };
  for (const Case& c : cases) {
    for (int leftover : {0, 3}) {
      SCOPED_TRACE(testing::Message() << c.name << ", shot phase " << leftover << " before");
      SetUp();
      Player& p = P();
      p.power = 10;
      p.shotPhase = leftover;
      Launch({InputBomb}, c.chain);
      std::vector<int> firing;
      while (p.bombKind != BombNone) {
        const int step = g_randomStep;
        const std::vector<PlayerShot*> made = Fire({});
        if (made.empty()) {
          ASSERT_EQ(DrawsSince(step), 2);
          continue;
        }
        ASSERT_EQ(made.size(), 1u);
        ASSERT_EQ(DrawsSince(step), 2 + c.drawsPerShot);
        firing.push_back(p.bombFrames);
        const PlayerShot* s = made[0];
        EXPECT_EQ(s->kind, c.kind);
        EXPECT_EQ(s->hitBit, HitSourceBomb);
        EXPECT_EQ(s->damage, c.damage);
        EXPECT_FLOAT_EQ(s->speed, 20.0f);
        if (c.kind == ShotBombBeam) {
          EXPECT_FLOAT_EQ(s->direction, 90.0f);
        } else {
          EXPECT_GE(s->direction, 15.0f);
          EXPECT_LT(s->direction, 165.0f);
        }
        EXPECT_EQ(s->age, p.bombFrames % 4);
        const int row = c.kind == ShotBombBeam ? 365 : 363;
        EXPECT_FLOAT_EQ(s->sprite.srcU, g_spriteDefs[row].srcU + (s->age >= 2 ? 40.0f : 0.0f));
        EXPECT_FLOAT_EQ(s->sprite.scaleX, c.scaleX);
        EXPECT_FLOAT_EQ(s->hitShape.scaleY, c.scaleY);
      }
      ASSERT_FALSE(firing.empty());
      const int first = leftover == 0 ? 21 : 22;
      EXPECT_EQ(firing.front(), first);
      for (size_t i = 1; i < firing.size(); ++i) ASSERT_EQ(firing[i], firing[i - 1] + 2);
      const int duration = c.kind == ShotBombBeam ? 220 : 180;
      EXPECT_GE(firing.back(), duration - 2);
    }
  }
}

// The guard and the wind-up of every bomb fire nothing.
TEST_F(BombAttackTest, GuardAndWindupFireNothing) {
  Player& p = P();
  Launch({InputBomb});
  while (p.bombKind != BombNone) ASSERT_TRUE(Fire({InputShot, InputSlow}).empty());
  EXPECT_EQ(world->shots.count, 0);
}

namespace {

// The player's, the shots' and the effects' updates of one frame of play, in the frame loop's
// order (no enemies or bullets are out).
class BombFrameTest : public BombTest {
 protected:
  void PlayFrame(const std::vector<int>& held = {}) {
    Frame(held);
    UpdatePlayerShots(world.get());
    UpdateEffects(world.get());
  }
  // A plain target: body row 152 at scale 1, many hit points, nothing dropped.
  Enemy* Target(float x, float y) {
    EnemyList& l = world->enemies;
    Enemy* e = ConstructEnemy(0, &l.head, &l.tail, &l.count, x, y, 0, 0);
    e->SetObjectSprite(152);
    SetHitShapeFromTable(e->hitShape, 152);
    e->SetScaleUniform(1.0f);
    e->facing = 0;
    e->hp = e->maxHp = 1000000;
    e->dropItemKind = 0;
    e->dropItemCount = -1;
    e->score = 0;
    return e;
  }
};

}  // namespace

// Every bomb through the real shot update: its shots appear only in its attack, live their own
// span and are all gone a known number of frames after the last one was made.
TEST_F(BombFrameTest, ShotsOfEachBombAndTheirEnds) {
  struct Case {
    const char* name;
    std::vector<int> start, chain;
    int lastFiringFrame;  // bomb frame of the last shot
    int steadyCount;      // shots alive in the middle of the attack, 0 when not fixed
    int emptyAfter;       // frames after the last firing frame until the list is empty, 0 if not fixed
  };
  const Case cases[] = {
      {"ring", {InputBomb, InputShot}, {}, 46, 0, 59},
      {"burst", {InputBomb}, {InputBomb}, 319, 3, 3},
      {"spread", {InputBomb}, {InputBomb, InputShot}, 179, 0, 0},
      {"beam", {InputBomb}, {InputBomb, InputShot, InputSlow}, 219, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Player& p = P();
    PlayFrame(c.start);
    if (!c.chain.empty()) {
      PlayFrame();
      PlayFrame(c.chain);
    }
    // Frames are counted as bomb frames, and on past the bomb's end.
    int lastMade = -1, frame = p.bombFrames, lastFrameWithShots = 0;
    for (int i = 0; i < 400; ++i) {
      // New shots are made before any shot of the frame is removed, so no new shot can reuse
      // the memory of one in this set.
      std::set<const PlayerShot*> before;
      for (PlayerShot* s = world->shots.head; s; s = s->next) before.insert(s);
      const bool running = p.bombKind != BombNone;
      PlayFrame();
      ++frame;
      if (p.bombKind != BombNone) {
        ASSERT_EQ(p.bombFrames, frame);
      }
      bool made = false;
      for (PlayerShot* s = world->shots.head; s; s = s->next) made = made || before.count(s) == 0;
      if (made) {
        ASSERT_GT(frame, 20) << "a shot in the wind-up";
        ASSERT_TRUE(running && p.bombKind != BombNone) << "a shot after the bomb, frame " << frame;
        lastMade = frame;
      }
      if (world->shots.count > 0) lastFrameWithShots = frame;
      if (c.steadyCount > 0 && frame >= 23 && frame <= c.lastFiringFrame) {
        ASSERT_EQ(world->shots.count, c.steadyCount) << "frame " << frame;
      }
    }
    EXPECT_EQ(lastMade, c.lastFiringFrame);
    EXPECT_EQ(world->shots.count, 0);
    if (c.emptyAfter > 0) EXPECT_EQ(lastFrameWithShots, c.lastFiringFrame + c.emptyAfter - 1);
    else EXPECT_LT(lastFrameWithShots, c.lastFiringFrame + 40);  // off the field at 20 px a frame
  }
}

// A spread shot that hits becomes a blast of a third of its damage at scale 0.9 (its row resets
// the scale before the shrink), which fades out at age 36 without leaving the enemy.
TEST_F(BombFrameTest, SpreadShotBurstsIntoABlastOnItsFirstHit) {
  Player& p = P();
  p.power = 10;
  Enemy* e = Target(p.x, p.y - 60);
  PlayFrame({InputBomb});
  PlayFrame();
  PlayFrame({InputBomb, InputShot});
  ASSERT_EQ(p.bombKind, BombSpread);
  PlayerShot* blast = nullptr;
  while (!blast && p.bombFrames < 60) {
    PlayFrame();
    for (PlayerShot* s = world->shots.head; s; s = s->next) {
      if (s->kind == ShotBombBlast) blast = s;
    }
  }
  ASSERT_NE(blast, nullptr);
  EXPECT_EQ(blast->age, 0);
  EXPECT_EQ(blast->damage, 80 * 40 / 20 / 3);
  EXPECT_FLOAT_EQ(blast->sprite.scaleX, 0.9f);
  EXPECT_FLOAT_EQ(blast->hitShape.scaleY, 0.9f);
  EXPECT_NE(e->hitByMask & (1u << HitSourceBomb), 0u);
  EXPECT_LT(e->hp, e->maxHp);
  // Each blast lives 35 frames of motion; with the bomb over and the enemy gone, they all fade.
  e->DestroyEnemy(world.get());
  while (p.bombKind != BombNone) PlayFrame();
  for (int i = 0; i < 40; ++i) PlayFrame();
  EXPECT_EQ(world->shots.count, 0);
}

// The counter bomb's emitter drifts and leaves six rings of twelve ring shots on its frames
// 2, 7, ..., 27, each ring wider by the integer step power / 20 + 5 per frame around where the
// emitter is (5 at power 13, not 5.65), at scale 1 + 13 / 32 = 1, with the counter bomb's weaker
// damage; 1 + 12 draws per ring.
TEST_F(BombFrameTest, CounterBombEmitterRings) {
  Player& p = P();
  p.power = 13;
  p.SetState(PlayerDying);
  int step = g_randomStep;
  PlayFrame({InputBomb});
  EXPECT_EQ(DrawsSince(step), 2);
  Effect* emitter = world->effects.tail;
  ASSERT_NE(emitter, nullptr);
  ASSERT_EQ(emitter->kind, EffectRingEmitter);
  std::vector<int> ringAges;
  for (int frame = 2; frame <= 30; ++frame) {
    const bool alive = world->effects.count > 0;
    const float ex = alive ? emitter->x : 0, ey = alive ? emitter->y : 0;
    const int age = alive ? emitter->effectAge + 1 : 0;
    PlayerShot* tailBefore = world->shots.tail;
    step = g_randomStep;
    PlayFrame();
    std::vector<PlayerShot*> made;
    for (PlayerShot* s = tailBefore ? tailBefore->next : world->shots.head; s; s = s->next) made.push_back(s);
    if (made.empty()) {
      ASSERT_EQ(DrawsSince(step), 0) << "frame " << frame;
      continue;
    }
    ASSERT_EQ(made.size(), 12u);
    ASSERT_EQ(DrawsSince(step), 13);
    ringAges.push_back(age);
    const int t = age - 1;
    for (const PlayerShot* s : made) {
      EXPECT_EQ(s->kind, ShotBombRing);
      EXPECT_EQ(s->hitBit, HitSourceRing);
      EXPECT_EQ(s->damage, 80 * 33 / 100);
      EXPECT_FLOAT_EQ(s->sprite.scaleX, 1.0f);
      // The shot has made its first move (speed 0), so it is still where it was placed.
      EXPECT_NEAR(Hypot(s->x - ex, s->y - ey), static_cast<float>(5 * t + 32), 1e-3f);
    }
  }
  EXPECT_EQ(ringAges, (std::vector<int>{2, 7, 12, 17, 22, 27}));
  EXPECT_EQ(world->effects.count, 0);
  EXPECT_EQ(p.invincibleFrames, 0);
}
