// The drone family: the heavy gunship (12) with its homing drones (13), and the carrier (14)
// with its bullet-carrying drones (15). The drones are independent enemies without a parent
// link: killing a carrier leaves its drones flying.

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

constexpr int kGunshipDroneType = 13;
constexpr int kCarrierDroneType = 15;

// Type 15's carried-bullet register: an id 0..2047, or one of these.
constexpr int kNoCarriedBullet = BulletIdNone;  // 2048: make one in the next attack
constexpr int kBulletThrown = BulletIdNone + 1;  // 2049: thrown, never carries another

// ---- Type 12: heavy gunship ------------------------------------------------------------------

constexpr int kGunshipBarrels[2] = {2, 3};

// Phases 1, 2 and 4 share one volley clock: volleys, spacing, first delay and a tail.
bool GunshipVolleysDone(const Enemy* e) {
  const int* r = e->intRegs;
  return e->phaseFrames > r[3] * r[4] + r[5] + r[6];
}

void UpdateEnemy12Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[0] = 10 * d + 32;
        r[1] = 2 * MaxInt(d - 3, 0) + 1;
        r[2] = MaxInt(8 - d / 2, 1);
        for (int b : kGunshipBarrels) e->launchers[b].aimAngle = AngleFromShotOriginToPlayer(world, e, b);
      }
      if (BrakeEnemyBelow(e, 0.95f, 1.0f)) {
        e->SetVelocityPolar(e->direction, 0.0f);
        e->SetEnemyPhase(1);
      }
      break;
    case 1:
      if (e->phaseFrames == 1) {
        r[3] = d + 2 * MaxInt(d - 4, 0) + 2;
        r[4] = MaxInt((4 * d + 40) / r[3], 1);
        r[5] = MaxInt(16 - 2 * d, 1);
        r[6] = 80 / (d + 1);
      }
      e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), 1.6f);
      if (GunshipVolleysDone(e)) e->SetEnemyPhase(2);
      break;
    case 2:
      if (e->phaseFrames == 1) {
        r[3] = 2 * d + 4;
        r[4] = MaxInt(80 / (d + 8), 1);
        r[5] = 24 - 2 * d;
        r[6] = 320 / (d + 2);
        const float offset = RandomFloat(10.0f);
        e->floatRegs[0] = 12.0f + offset;
        e->floatRegs[1] = RandomSignFloat();
      }
      if (GunshipVolleysDone(e)) e->SetEnemyPhase(3);
      break;
    case 3:
      e->SetVelocityPolar(90.0f, e->speed * 0.9f + 0.04f);
      if (e->phaseFrames > MaxInt(r[0], 120)) e->SetEnemyPhase(4);
      break;
    case 4:
      if (e->phaseFrames == 1) {
        r[3] = 8 * MaxInt(d - 4, 0) + 2 * d + 4;
        r[4] = MaxInt((80 - 6 * d) / r[3], 1);
        r[5] = MaxInt(16 - 2 * d, 1);
      }
      e->SetVelocityPolar(90.0f, e->speed * 0.95f + 0.08f);
      e->facing = TurnAngleToward(e->facing, 270.0f, 1.0f);
      break;
    default:
      break;
  }
  // The barrels track the player in every phase, also while they hold fire.
  for (int b : kGunshipBarrels) {
    EnemyLauncher& l = e->launchers[b];
    l.aimAngle = TurnAngleToward(l.aimAngle, AngleFromShotOriginToPlayer(world, e, b), 2.0f);
  }
}

void FireGunshipFans(GameWorld* world, Enemy* e, float speedFactor) {
  const int n = e->intRegs[1];
  for (int b : kGunshipBarrels) {
    float ox = 0, oy = 0, aim = 0;
    ShotOriginOf(e, b, &ox, &oy, &aim);
    for (int j = 0; j < n; ++j) {
      EnemyBullet* q = SpawnEnemyBullet(world, 52, BulletFaceMotion, ox, oy, FanAngle(aim, j, n, 7),
                                        speedFactor * g_bulletSpeedBase, 0.5f, 0.5f);
      if (q) q->SetBulletPulse(0.06f, 0.0f, 9.0f);
    }
  }
}

// Triads (phase 1) and hexagons (phase 4): bullets orbiting a common centre thrown toward the
// player. The draws are the same for both: aim, orbit phase, spin side, spin magnitude.
void FireGunshipOrbitVolley(GameWorld* world, Enemy* e, bool hexagon) {
  const int d = g_difficulty;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 1, &ox, &oy, &unused);
  const float spread = RandomFloat(static_cast<float>(6 * d + 30));
  const float a = AngleFromEnemyToPlayer(world, e) + spread - 15.0f - static_cast<float>(3 * d);
  const float p = RandomFloat(360.0f);
  const float side = RandomSignFloat();
  const float magnitude = RandomFloat(1.0f + 0.3f * Df());
  e->floatRegs[0] = (2.0f + 0.7f * Df() + magnitude) * side;
  const float speed = 0.4f * g_bulletSpeedBase;
  for (int i = 0; i < 3; ++i) {
    for (int s = 0; s < (hexagon ? 2 : 1); ++s) {
      EnemyBullet* q =
          SpawnEnemyBullet(world, 52 + s, BulletFaceOrbit, ox, oy, a, speed, (hexagon ? 0.6f : 0.7f) + 0.1f * Df(), 0.7f);
      if (!q) continue;
      q->orbitAngle = hexagon ? NormalizeAngle(static_cast<float>((s + 2 * i) * 60) + p)
                              : NormalizeAngle(static_cast<float>(120 * i) + p);
      q->orbitRadius = static_cast<float>(d + 16 + 4 * s);
      q->orbitAngleVelFactor = 1.0f;
      q->orbitAngleVel = e->floatRegs[0];
    }
  }
}

void LaunchGunshipDrone(GameWorld* world, Enemy* e) {
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  LaunchEnemy(world, kGunshipDroneType, ox, oy, e->facing + 180.0f + e->floatRegs[0] * e->floatRegs[1],
              0.5f * Df() + 6.0f);
  e->floatRegs[1] = -e->floatRegs[1];
  e->floatRegs[0] += 3.0f;
}

void UpdateEnemy12Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  const bool volley = FireGateCounted(e->phaseFrames, r[5], r[4], r[3], nullptr);
  switch (e->phase) {
    case 0:
    case 3:
      // The limit is tested before the remainder: a gunship started in phase 3 has a zero
      // interval and fires nothing.
      if (FireGateBefore(e->phaseFrames, r[0], r[2])) FireGunshipFans(world, e, e->phase == 0 ? 0.7f : 0.75f);
      break;
    case 1:
      if (volley) FireGunshipOrbitVolley(world, e, false);
      break;
    case 2:
      if (volley) LaunchGunshipDrone(world, e);
      break;
    case 4:
      if (volley) FireGunshipOrbitVolley(world, e, true);
      break;
    default:
      break;
  }
}

// ---- Type 13: homing drone -------------------------------------------------------------------

void UpdateEnemy13Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  if (e->age == 1) {
    r[0] = d + d * MaxInt(d - 2, 0) + 3;
    r[1] = MaxInt((8 * d + 60) / r[0], 1);
    r[2] = MaxInt(d - 2, 0) + 1;
    r[3] = 0;
    e->floatRegs[0] = 10.0f;
  }
  e->facing = TurnAngleToward(e->facing, AngleFromEnemyToPlayer(world, e), e->floatRegs[0]);
  e->SetVelocityPolar(e->facing, e->speed);
  e->floatRegs[0] *= 0.95f;
}

void UpdateEnemy13Attack(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  if (!FireGateEvery(e->phaseFrames, r[1]) || r[3] >= r[0]) return;
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  const int n = r[2];
  for (int j = 0; j < n; ++j)
    SpawnEnemyBullet(world, 49, BulletFaceMotion, ox, oy, FanAngle(e->facing, j, n, 23), g_bulletSpeedBase, 0.6f,
                     0.6f);
  r[3] += 1;
}

// ---- Type 14: drone carrier ------------------------------------------------------------------

// Side pushes that keep the carrier between x 80 and 280.
float CarrierEdgePush(const Enemy* e) {
  const float l = e->x < 80.0f ? 1.0f : 0.0f;
  const float r = e->x > 280.0f ? 1.0f : 0.0f;
  return 0.3f * l - 0.3f * r;
}

// The homing point that the drones fly to: it starts 60 px in front of the carrier and runs
// toward the player with a decaying turn rate. It is never drawn.
void StartCarrierHomingPoint(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  const float spread = RandomFloat(160.0f);
  const float h = AngleFromEnemyToPlayer(world, e) + spread - 80.0f;
  float px = 0, py = 0;
  PolarToXY(&px, &py, h, 60.0f);
  f[0] = e->x + px;
  f[1] = e->y + py;
  f[2] = h;
  f[3] = 1.5f + 0.4f * Df();
  f[4] = 8.0f;
  const float decay = RandomFloat(0.12f);
  f[5] = 0.94f + decay;
}

void StepCarrierHomingPoint(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  f[2] = TurnAngleToward(f[2], AngleToPlayer(world, f[0], f[1]), f[4]);
  float px = 0, py = 0;
  PolarToXY(&px, &py, f[2], f[3]);
  f[0] += px;
  f[1] += py;
  f[4] *= f[5];
}

void UpdateEnemy14Behaviour(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int* r = e->intRegs;
  switch (e->phase) {
    case 0:
      if (e->phaseFrames == 1) {
        r[0] = MaxInt(90 / (d + 3), 6);
        r[1] = 4 * (d > 5) * (d - 5) + 4 * d + 4;
        r[2] = MaxInt(240 / (3 * d + 2), 1);
        r[3] = 0;
      }
      e->SetVelocityXY(e->vx * 0.9f - SignFloat(world->player.x - e->x) * 0.1f + CarrierEdgePush(e), e->vy * 0.9f);
      if (e->speed < 1.0f) e->SetEnemyPhase(1);
      break;
    case 1:
      if (e->phaseFrames == 1) StartCarrierHomingPoint(world, e);
      StepCarrierHomingPoint(world, e);
      e->SetVelocityXY(e->vx * 0.98f + CarrierEdgePush(e), e->vy * 0.9f - 0.01f);
      if (e->phaseFrames > 240) e->SetEnemyPhase(2);
      break;
    case 2:
      e->SetVelocityXY(e->vx * 0.9f, e->vy * 0.98f + 0.002f * static_cast<float>(e->phaseFrames));
      break;
    default:
      break;
  }
}

void UpdateEnemy14Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 1) return;
  int* r = e->intRegs;
  // Rings and drones take their periods from the entry of phase 0; a carrier started in phase 1
  // has zero periods and fires neither.
  r[3] += 1;
  if (r[2] >= 1 && r[3] >= r[2]) {
    const float a0 = RandomFloat(360.0f);
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, 0, &ox, &oy, &unused);
    const int n = r[1];
    const float s = 0.6f - 0.012f * Df();
    for (int i = 0; i < n; ++i) SpawnEnemyBullet(world, 118, BulletFaceSpin, ox, oy, RingAngle(a0, i, n),
                                                 g_bulletSpeedBase, s, s);
    r[3] = 0;
    r[1] += 1;
    r[2] += 1;
  }
  if (r[0] >= 1 && e->phaseFrames % r[0] == 1) {
    Enemy* drone = LaunchEnemy(world, kCarrierDroneType, e->x, e->y, 0.0f, 0.0f);
    if (drone) {
      drone->floatRegs[0] = e->floatRegs[0];
      drone->floatRegs[1] = e->floatRegs[1];
    }
  }
}

// ---- Type 15: bullet-carrying drone ----------------------------------------------------------

bool OutsideField(float x, float y) { return x < 0.0f || x > 360.0f || y < 0.0f || y > 480.0f; }

void UpdateEnemy15Behaviour(GameWorld* world, Enemy* e) {
  float* f = e->floatRegs;
  if (e->phaseFrames == 1) {
    e->intRegs[0] = kNoCarriedBullet;
    if (f[0] == 0.0f && f[1] == 0.0f) {
      f[0] = 30.0f + RandomFloat(300.0f);
      f[1] = 30.0f + RandomFloat(MinFloat(40.0f * Df() + 200.0f, 420.0f));
    }
  }
  if (e->phaseFrames < 240) {
    // Settles on the target point.
    const float dist = Hypot(f[0] - e->x, f[1] - e->y);
    SteerEnemyToward(e, f[0], f[1], MinFloat(0.04f * dist, 3.0f), 0.64f, 0.64f);
    return;
  }
  // Charges along the line to where the player was at frame 240.
  if (e->phaseFrames == 240) f[2] = AngleFromEnemyToPlayer(world, e);
  float px = 0, py = 0;
  PolarToXY(&px, &py, f[2], 0.26f);
  e->SetVelocityXY(e->vx * 0.97f + px, e->vy * 0.97f + py);
}

void UpdateEnemy15Attack(GameWorld* world, Enemy* e) {
  const int d = g_difficulty;
  int& held = e->intRegs[0];
  if (held == kNoCarriedBullet) {
    EnemyBullet* q = nullptr;
    const int id = SpawnEnemyBulletWithId(world, &q, 89, BulletFaceSpin, e->x, e->y, AngleFromEnemyToPlayer(world, e),
                                          g_bulletSpeedBase, 0.5f, 0.5f);
    // Without a free id the bullet cannot be found again: it flies as made and the drone stops
    // making new ones (one per frame otherwise).
    held = id == BulletIdNone ? kBulletThrown : id;
    const float side = RandomSignFloat();
    const float spin = RandomFloat(24.0f);
    if (q) q->spinStep = (12.0f + spin) * side;
  }
  if (held < 0 || held >= kNoCarriedBullet) return;
  EnemyBullet* q = FindHeldBullet(world, held);
  if (!q) {
    held = kNoCarriedBullet;  // removed (it hit the player, say): a new one next frame
    return;
  }
  if (OutsideField(e->x, e->y)) {
    held = kBulletThrown;
    q->SetVelocityPolar(e->direction, g_bulletSpeedBase);
    return;
  }
  const float aim = AngleToPlayer(world, q->x, q->y);
  if (q->baseScaleX < 1.4f + 0.14f * Df()) {
    // Added term by term, the constant first: the sums round differently otherwise.
    const float grow = 0.005f * static_cast<float>(d);
    q->SetBulletBaseScale(q->baseScaleX + 0.006f + grow, q->baseScaleY + 0.006f + grow);
    q->SetVelocityPolar(aim, q->speed + 0.003f + 0.0006f * static_cast<float>(d));
  } else {
    q->SetVelocityPolar(aim, q->speed);
  }
  // The bullet update adds the velocity back, so the bullet sits on the drone.
  q->baseX = e->x - q->vx;
  q->baseY = e->y - q->vy;
}

}  // namespace

void RegisterDroneEnemies() {
  RegisterEnemyTypeCode(12, UpdateEnemy12Behaviour, UpdateEnemy12Attack);
  RegisterEnemyTypeCode(13, UpdateEnemy13Behaviour, UpdateEnemy13Attack);
  RegisterEnemyTypeCode(14, UpdateEnemy14Behaviour, UpdateEnemy14Attack);
  RegisterEnemyTypeCode(15, UpdateEnemy15Behaviour, UpdateEnemy15Attack);
}
