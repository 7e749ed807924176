#include "enemy/Enemies02To07.h"

#include <cmath>

#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

namespace {

// ---- Type 3: the homing turn -------------------------------------------------------------------

// How far the fighter has flown beyond its free stretch; the turn weakens with it.
float FighterOverrun(const Enemy* e) {
  const float free = F(10 * MaxInt(D(), 4)) + 30.0f * e->speed + 110.0f;
  return MaxFloat(F(e->phaseFrames) * e->speed - free, 0.0f);
}

// The step is measured against the player's angle a even when turning toward another target
// (phase 12 turns away with it); kept as it is, replays depend on it.
void HomingTurn(Enemy* e, float target, float a, float overrun) {
  const float step =
      MaxFloat(AngleDistance(e->facing, a) / (overrun / 6.0f + 18.0f), MaxFloat(2.0f - overrun / 100.0f, 0.0f));
  e->facing = TurnAngleToward(e->facing, target, step);
}

// ---- Type 4: the registers of a run ----------------------------------------------------------

void EnterGunshipFire(Enemy* e, bool second) {
  int* r = e->intRegs;
  const int d = D();
  r[0] = 4 * MaxInt(d - 2, 0) + 2 * d + 6 + (second ? 0 : (d > 5) * (d - 5) * d);
  r[1] = 2 * MaxInt(d - 3, 0) + 1;
  r[2] = MaxInt((second ? 8 : 9) - d, 1);
  r[3] = (600 / (d + 4)) * (d != 5);
  r[4] = MaxInt(d - 2, 0) * (d - 3) + (second ? 0 : 256 * (d > 5)) + 1;
  r[5] = 6 * d + 6;
  r[6] = MaxInt(20 - 2 * d + (second ? 20 : 10) * (d == 5), 1);
}

bool GunshipFireDone(const Enemy* e) {
  const int* r = e->intRegs;
  return e->phaseFrames > r[0] * r[2] && e->phaseFrames > r[3] + r[4] * r[6];
}

// ---- Type 6: the two anchors -----------------------------------------------------------------

// The frame of the first anchor on which the pods are switched off (beyond the anchor's end
// from difficulty 6 on).
int PodSwitchOffFrame() { return D() * (D() + 10) + 1600 * (D() > 5) + 1; }

void EnterCarrierStrings(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  f[2] = world->player.x;
  f[3] = world->player.y;
  f[8] = f[9] = 0.0f;
  r[1] = d + 3;
  r[2] = d + 1;
  r[3] = MaxInt(120 / (r[1] * r[2]), 1);
  r[4] = MaxInt(d - 4, 0) + 1;
  r[5] = 120 / (d + 3);
  r[6] = 360 / (4 * d + 3);
}

void EnterCarrierFans(Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  r[1] = 3 * d + 6;
  r[2] = MaxInt((96 - 4 * d) / r[1], 1);
  r[3] = MaxInt(d - 2, 0) + 1;
  r[4] = MaxInt(d - 1, 0) + 1;
  r[5] = 96 / (3 * d + 4);
  r[6] = 420 / (5 * d + 3);
}

}  // namespace

// ---- Type 2: sinking block -------------------------------------------------------------------

void UpdateEnemy2Behaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1 && e->intParams[0] != 0) e->dropItemKind = e->intParams[0] % 100;
  if (e->phase != 0) return;
  int* r = e->intRegs;
  const int d = D();
  if (e->phaseFrames == 1) {
    // Below difficulty 4 the first volley lies beyond any phase: the block never fires.
    r[0] = 70 - 8 * d + 32768 * (d < 4);
    r[1] = 2 * d - 3;
    r[2] = MinInt(6 * d, 2 * d + 19) - 21;
    r[3] = MaxInt(9 - d, 1);
  }
  const float sink = e->vy * 0.96f + 0.1f * F(e->phaseFrames > 180);
  e->SetVelocityXY(e->vx * 0.96f, MaxFloat(sink, 0.5f));
  if (e->phaseFrames > r[0]) {
    // The square turns one of its four sides toward the player by the smallest rotation.
    const float a = AngleFromEnemyToPlayer(world, e);
    e->facing = std::fmod(e->facing + 45.0f, 90.0f) - 45.0f;
    e->facing = TurnAngleToward(FloorF((a + 45.0f) / 90.0f) * 90.0f + e->facing, a, 0.8f);
  }
}

void UpdateEnemy2Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 0) return;
  int* r = e->intRegs;
  if (!(e->phaseFrames >= r[0] && r[1] > 0 && FireGateEvery(e->phaseFrames - r[0], r[3]))) return;
  // An expanding square outline: per side the bullets spread evenly along its edge.
  const float s = F(r[1] + 9) * B() / std::sqrt(2.0f) / 15.0f;
  for (int q = 0; q < 4; ++q) {
    for (int j = 0; j < r[2]; ++j) {
      const float o = F(2 * j - r[2]) * s / F(r[2]);
      EnemyBullet* b = SpawnEnemyBullet(world, 15, BulletFaceMotion, e->x, e->y, 0.0f, 0.0f, 0.4f, 0.4f);
      if (!b) continue;
      b->SetVelocityPolar(F(90 * q) + Atan2Deg(-o, s) + e->facing, Hypot(s, o));
      b->stretch = 12.0f;
    }
  }
  r[1] -= 1;
}

// ---- Type 3: homing fighter ------------------------------------------------------------------

void UpdateEnemy3Behaviour(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  const int d = D();
  if (e->age == 1) {
    r[0] = ((d > 3) * (d - 2)) / 2 + 1;
    r[1] = MinInt(2 * (d > 3) * (d - 3), d - 2) + 1;
    r[2] = 5;
    r[3] = MaxInt(70 - 7 * d, 20);
    r[4] = MaxInt(42 - 6 * d, 10);
  }
  const float overrun = FighterOverrun(e);
  const float a = AngleFromEnemyToPlayer(world, e);
  switch (e->phase) {
    case 0:
      if (F(e->phaseFrames) * e->speed < 420.0f) HomingTurn(e, a, a, overrun);
      e->SetVelocityPolar(e->facing, e->speed);
      break;
    case 10:
      if (d < 5) r[2] = 0;
      HomingTurn(e, a, a, overrun);
      BrakeEnemy(e, 0.922f);
      if (e->speed < 1.0f) {
        r[2] = 5;
        e->SetEnemyPhase(11);
      }
      break;
    case 11: {
      HomingTurn(e, a, a, overrun);
      e->SetVelocityPolar(e->facing, 1.0f);
      const int burst = r[0] * r[2];
      if (e->phaseFrames > 120 && SafeMod(e->phaseFrames + r[3], burst + r[3]) > burst) {
        if (d < 4) r[2] = 0;
        e->SetEnemyPhase(12);
      }
      break;
    }
    case 12:
      HomingTurn(e, a + 180.0f, a, overrun);
      e->SetVelocityPolar(e->facing, e->speed + 0.1f);
      break;
    default:
      break;
  }
}

void UpdateEnemy3Attack(GameWorld* world, Enemy* e) {
  if (e->phase >= 20) return;
  const int* r = e->intRegs;
  const int d = D();
  if (!(r[2] > 0 && DistanceToPlayer(world, e->x, e->y) > F(160 - 30 * d))) return;
  const int burst = r[0] * r[2];
  const int cycle = burst + r[3];
  const int pf = e->phaseFrames;
  if (!(pf >= r[4] && cycle > 0)) return;
  const int u = (pf + cycle - r[4]) % cycle;
  if (!(u < burst && u % r[2] == 0)) return;
  // Each side fans from the nose around to its own wing.
  for (int s = 0; s < 2; ++s) {
    float px = 0, py = 0;
    LauncherPosition(e, s, &px, &py);
    for (int j = 0; j < r[1]; ++j) {
      const float angle = e->facing + F(90 * (1 - 2 * s) * j) / F(MaxInt(r[1] - 1, 1));
      EnemyBullet* b = SpawnEnemyBullet(world, 20, BulletFaceMotion, px, py, angle, B(), 0.56f, 0.56f);
      if (d < 5) SetBulletPlainTrail(b, 180, 2, 12 - 2 * d, 1.1f, 1.1f);
    }
  }
}

// ---- Type 4: gunship -------------------------------------------------------------------------

void UpdateEnemy4Behaviour(GameWorld* world, Enemy* e) {
  const bool entry = e->phaseFrames == 1;
  const float a = AngleFromEnemyToPlayer(world, e);
  switch (e->phase) {
    case 0:
      e->facing = 0.0f;
      if (BrakeEnemyBelow(e, 0.9f, 0.2f)) {
        e->SetVelocityPolar(90.0f, 0.0f);
        e->SetEnemyPhase(1);
      }
      break;
    case 1:
      if (entry) EnterGunshipFire(e, false);
      e->SetVelocityPolar(e->direction, e->speed * 0.8f + 0.08f);
      if (GunshipFireDone(e)) e->SetEnemyPhase(2);
      break;
    case 2:
      e->SetVelocityPolar(e->direction, e->speed * 0.9f + 0.24f);
      break;
    case 10:
      if (entry) e->facing = e->direction + 90.0f;
      e->facing = TurnAngleToward(e->facing, a + 90.0f, 6.0f);
      if (BrakeEnemyBelow(e, 0.9f, 0.2f)) {
        e->SetVelocityPolar(a + 180.0f, 0.0f);
        e->SetEnemyPhase(11);
      }
      break;
    case 11:
      if (entry) EnterGunshipFire(e, true);
      e->SetVelocityPolar(e->direction, e->speed * 0.8f + 0.08f);
      e->facing = TurnAngleToward(e->facing, a + 90.0f, 0.8f);
      if (GunshipFireDone(e)) e->SetEnemyPhase(12);
      break;
    case 12:
      e->facing = TurnAngleToward(e->facing, a + 270.0f, 1.0f);
      e->SetVelocityPolar(e->direction, e->speed * 0.9f + 0.24f);
      break;
    default:
      break;
  }
}

void UpdateEnemy4Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 1 && e->phase != 11) return;
  const int* r = e->intRegs;
  const int d = D();
  const int pf = e->phaseFrames;
  // Side fans, alternating between the two side points.
  if (FireGateEvery(pf, r[2]) && pf / r[2] - 1 < r[0]) {
    const int k = pf / r[2];
    const int side = ((k + (e->x < 180.0f)) % 2) + 1;
    float px = 0, py = 0;
    LauncherPosition(e, side, &px, &py);
    const float w = MaxFloat(3.8f - 2.0f * F(r[1]), 2.3f);
    for (int j = 0; j < r[1]; ++j) {
      const float angle = e->facing + 270.0f + F(2 * j - (r[1] - 1)) * w;
      EnemyBullet* b = SpawnEnemyBullet(world, 119, BulletFaceSpin, px, py, angle, B(), 0.7f, 0.7f);
      if (d < 6) SetBulletPlainTrail(b, 279, 1, 7 - d, 1.1f, 1.1f);
    }
  }
  // Rings from the centre; above difficulty 3 every second ring is turned by half a step. With a
  // ring delay of 0 (difficulty 5) ring 0 would need frame 0 and never comes.
  int k = 0;
  if (r[5] >= 1 && FireGateCounted(pf, r[3], r[6], r[4], &k)) {
    // Whole degrees: a ring whose size does not divide 360 leaves a wider lane after its last
    // bullet.
    const int g = RingStep(r[5]);
    const float a0 = AngleFromEnemyToPlayer(world, e) + F((d > 3) * (k % 2) * g / 2);
    float px = 0, py = 0;
    LauncherPosition(e, 0, &px, &py);
    for (int i = 0; i < r[5]; ++i) {
      SpawnEnemyBullet(world, 69, BulletFaceMotion, px, py, a0 + F(i * g), B(), 0.63f, 0.63f);
    }
  }
}

// ---- Type 5: mortar --------------------------------------------------------------------------

void UpdateEnemy5Behaviour(GameWorld* world, Enemy* e) {
  if (e->phase != 0) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const int d = D();
  if (e->phaseFrames == 1) {
    // Values a stage line or a spawner gave are kept.
    if (r[0] == 0) r[0] = 32 * (d > 4) + 2 * d + 1;
    if (r[1] == 0) r[1] = (d > 3) * (d - 3) + 1;
    if (r[2] == 0) r[2] = MaxInt(32 / (d + 2), 1);
    if (f[0] == 0.0f) f[0] = world->player.x + RandomFloat(48.0f) - 24.0f;
    if (f[1] == 0.0f) f[1] = 3.0f - 0.3f * Df();
    if (f[2] == 0.0f) f[2] = 1.2f * Df() + 5.0f;
    r[3] = -(32768 * (d < 5) + 5 * MaxInt(10 - d, 0));
    r[4] = 0;
  }
  // Waiting to fire: once slowed down it starts on a 3-in-4 chance per frame.
  if (r[3] < 0) {
    r[3] += 1;
    if (std::fabs(e->vy) < 2.5f) {
      const int roll = RandomInt(512);
      if (roll < 384) r[3] = 0;
    }
  }
  const float wander = RandomFloat(8.0f);
  f[0] += wander - 4.0f;
  // It steers under the wandering target and rises faster the more volleys it has fired.
  const float rise = MaxFloat(F(r[3]) / F(r[0]), 0.0f);
  e->SetVelocityXY(e->vx * 0.97f + SignFloat(f[0] - e->x) * 0.07f, e->vy * 0.97f - rise * 0.2f);
  e->facing = TurnAngleToward(e->facing, 90.0f, AngleDistance(e->facing, 90.0f) * 0.7f);
}

void UpdateEnemy5Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 0) return;
  int* r = e->intRegs;
  const float* f = e->floatRegs;
  const int d = D();
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, 0, &ox, &oy, &unused);
  if (r[3] >= 0) {
    r[4] = SafeMod(r[4] + 1, r[2]);
    if (r[4] == 0 && r[3] < r[0]) {
      // A fountain thrown up that falls back under a slightly scattered pull; later volleys
      // fly faster.
      const float w = MaxFloat(21.0f - F(r[1]), 12.0f);
      const float speed = f[1] + F(r[3] + 2) * (f[2] - f[1]) / F(r[0] + 2);
      const float scatter = 1.2f * Df() + 5.0f;
      for (int i = 0; i < r[1]; ++i) {
        const float angle = e->facing + F(2 * i - r[1] + 1) * w / 2.0f;
        EnemyBullet* b = SpawnEnemyBullet(world, 1, BulletFaceMotion, ox, oy, angle, speed, 0.4f, 0.4f);
        const float jitter = RandomFloat(scatter);
        if (!b) continue;
        b->accelFactor = 1.0f;
        b->friction = 1.0f;
        b->SetBulletAccelPolar(270.0f + jitter - scatter / 2.0f, 0.009f * Df() + 0.15f);
        b->stretch = 12.0f;
      }
      r[3] += 1;
    }
  }
  if (d > 5) {
    // The player above it is punished every frame.
    const float a = AngleFromEnemyToPlayer(world, e);
    if (a > 30.0f && a < 150.0f) {
      EnemyBullet* b = SpawnEnemyBullet(world, 67, BulletFaceMotion, ox, oy, a, B(), 0.6f, 0.6f);
      if (b) b->stretch = 9.0f;
    }
  }
}

// ---- Type 6: carrier -------------------------------------------------------------------------

void UpdateEnemy6Behaviour(GameWorld* world, Enemy* e) {
  int* r = e->intRegs;
  float* f = e->floatRegs;
  const bool entry = e->phaseFrames == 1;
  const float a = AngleFromEnemyToPlayer(world, e);
  switch (e->phase) {
    case 0:
      if (entry) {
        SpawnEnemyParts(world, e, "11");
        for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
          if (e->children[i]) e->children[i]->removeOffField = 0;
        }
        f[0] = ClampFloat(e->x, 0.0f, 360.0f);
        f[1] = ClampFloat(e->y, 0.0f, 480.0f);
        e->facing = 270.0f;
      }
      e->SetVelocityPolar(TurnAngleToward(e->direction, a, 1.5f), e->speed * 0.94f);
      if (e->speed < 0.5f) {
        r[0] = 0;
        f[6] = e->x;
        f[7] = e->y;
        e->SetVelocityPolar(e->direction, 0.0f);
        e->SetEnemyPhase(1);
      }
      break;
    case 1: {
      if (entry) EnterCarrierStrings(world, e);
      // Glides into the anchor point, slowly at first.
      const float toAnchor = AngleFromTo(e->x, e->y, f[6], f[7]);
      const float dist = Hypot(f[6] - e->x, f[7] - e->y);
      e->SetVelocityPolar(toAnchor, dist / F(MaxInt(320 - e->phaseFrames, 40)) + e->speed * 0.9f);
      if (r[0] == 0 && e->phaseFrames == PodSwitchOffFrame()) SetPartsIntReg(e, 0, 0);
      if (e->phaseFrames > r[5] + r[1] * r[2] * r[3] + r[6]) {
        f[4] = world->player.x;
        f[5] = world->player.y;
        e->SetEnemyPhase(2);
      }
      break;
    }
    case 2:
      if (entry) EnterCarrierFans(e);
      BrakeEnemy(e, 0.8f);
      if (e->phaseFrames > r[5] + r[1] * r[2] + r[6]) {
        if (r[0] == 0) {
          // The second anchor: mirrored about the centre line, a little further on.
          f[6] = (180.0f - f[0]) / 1.6f + 180.0f;
          f[7] = (e->y - f[1]) / 1.6f + e->y;
          e->SetEnemyPhase(1);
        } else {
          e->SetEnemyPhase(3);
          e->direction = AngleFromTo(e->x, e->y, f[0], f[1]);  // the direction field only
          SetPartsIntReg(e, 0, 1);
        }
        r[0] += 1;
      }
      break;
    case 3:
      e->SetVelocityPolar(e->direction, e->speed * 0.98f + 0.13f);
      break;
    default:
      break;
  }
}

void UpdateEnemy6Attack(GameWorld* world, Enemy* e) {
  const int* r = e->intRegs;
  float* f = e->floatRegs;
  const int pf = e->phaseFrames;
  int k = 0;
  if (e->phase == 1) {
    // Strings from the side points, each aimed near the player with its own random error.
    if (!FireGateCounted(pf, r[5], r[3], r[1] * r[2], &k)) return;
    const float a = AngleFromEnemyToPlayer(world, e);
    for (int s = 0; s < 2; ++s) {
      if (SafeMod(k, r[2]) == 0) {
        const float w = 1.6f * Df() + 12.0f;
        const float error = RandomFloat(2.0f * w);
        f[8 + s] = a + error - w;
      }
      float ox = 0, oy = 0, unused = 0;
      ShotOriginOf(e, s + 1, &ox, &oy, &unused);
      for (int j = 0; j < r[4]; ++j) {
        EnemyBullet* b =
            SpawnEnemyBullet(world, 85, BulletFaceSpin, ox, oy, FanAngle(f[8 + s], j, r[4], 9), B(), 0.3f, 0.4f);
        if (b) b->spinStep = F(2 * s - 1) * 22.0f;
      }
    }
  } else if (e->phase == 2) {
    // Fans that sweep from where the player was when the strings began to where it was when
    // they ended.
    if (!FireGateCounted(pf, r[5], r[2], r[1], &k)) return;
    const float t = F(k) / F(MaxInt(r[1] - 1, 1));
    const float tx = t * f[4] + (1.0f - t) * f[2];
    const float ty = t * f[5] + (1.0f - t) * f[3];
    const float a = AngleFromTo(e->x, e->y, tx, ty);
    const int n = k % 2 == 0 ? r[3] : r[4];
    float ox = 0, oy = 0, unused = 0;
    ShotOriginOf(e, 0, &ox, &oy, &unused);
    for (int j = 0; j < n; ++j) {
      SpawnEnemyBullet(world, 73, BulletFaceMotion, ox, oy, FanAngle(a, j, n, 17.3f), B(), 0.6f, 0.6f);
    }
  }
}

// ---- Type 7: pod of the carrier --------------------------------------------------------------

void UpdateEnemy7Behaviour(GameWorld* world, Enemy* e) {
  if (KillIfOrphaned(world, e)) return;
  if (e->phase != 0) return;
  int* r = e->intRegs;
  float* f = e->floatRegs;
  if (e->phaseFrames == 1) {
    e->orbitAngle = F(e->indexInParent * 180);
    e->facing = e->orbitAngle;
    e->orbitRadius = 64.0f;
    f[0] = F(2 * e->indexInParent - 1) * 11.0f;
    f[1] = f[0];
    r[0] = 1;
    r[1] = MaxInt(80 / (3 * D() + 8 * (D() > 5) + 2), 1);
  }
  e->SnapEnemyBaseToParent();
  // The spin eases toward its target, or to rest while the parent has switched the pod off.
  f[1] += (F(r[0]) * f[0] - f[1]) * 0.2f;
  e->facing = NormalizeAngle(e->facing + f[1]);
}

void UpdateEnemy7Attack(GameWorld* world, Enemy* e) {
  if (e->phase != 0) return;
  const int* r = e->intRegs;
  if (!(r[0] == 1 && FireGateEvery(e->age, r[1]))) return;
  for (int i = 0; i < 3 && i < e->launcherCount; ++i) {
    float ox = 0, oy = 0, angle = 0;
    ShotOriginOf(e, i, &ox, &oy, &angle);
    EnemyBullet* b = SpawnEnemyBullet(world, 84, BulletFaceMotion, ox, oy, angle + e->facing, 0.5f * B(), 0.32f, 0.32f);
    if (b) b->SetBulletPulse(0.04f, 180.0f, 20.0f);
  }
}

void RegisterEnemyFamilySmallA() {
  RegisterEnemyTypeCode(2, UpdateEnemy2Behaviour, UpdateEnemy2Attack);
  RegisterEnemyTypeCode(3, UpdateEnemy3Behaviour, UpdateEnemy3Attack);
  RegisterEnemyTypeCode(4, UpdateEnemy4Behaviour, UpdateEnemy4Attack);
  RegisterEnemyTypeCode(5, UpdateEnemy5Behaviour, UpdateEnemy5Attack);
  RegisterEnemyTypeCode(6, UpdateEnemy6Behaviour, UpdateEnemy6Attack);
  RegisterEnemyTypeCode(7, UpdateEnemy7Behaviour, UpdateEnemy7Attack);
}
