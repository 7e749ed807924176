#include "enemy/EnemyHelpers.h"

#include <cmath>
#include <cstdint>

#include "app/FrameLoop.h"
#include "enemy/Enemy.h"
#include "enemy/EnemyCatalogue.h"
#include "enemy/StageScript.h"
#include "platform/SoundSystem.h"
#include "world/Effect.h"
#include "world/EnemyBullet.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/Random.h"

int D() { return g_difficulty; }
float Df() { return static_cast<float>(g_difficulty); }
float B() { return g_bulletSpeedBase; }
float F(int v) { return static_cast<float>(v); }

float AngleFromTo(float px, float py, float qx, float qy) { return Atan2Deg(py - qy, qx - px); }

float AngleToPlayer(const GameWorld* world, float x, float y) {
  return AngleFromTo(x, y, world->player.x, world->player.y);
}

float AngleFromEnemyToPlayer(const GameWorld* world, const Enemy* e) { return AngleToPlayer(world, e->x, e->y); }

float DistanceToPlayer(const GameWorld* world, float x, float y) {
  return Hypot(world->player.x - x, world->player.y - y);
}

float FanAngle(float center, int j, int n, int step) {
  return center + static_cast<float>((2 * j - (n - 1)) * step / 2);
}

float FanAngle(float center, int j, int n, float step) {
  return center + static_cast<float>(2 * j - (n - 1)) * step / 2.0f;
}

float RingAngle(float start, int i, int n) {
  if (n < 1) return start;
  return static_cast<float>(i * 360 / n) + start;
}

float RingAngleFloat(float start, int i, int n) {
  if (n < 1) return start;
  return 360.0f * static_cast<float>(i) / static_cast<float>(n) + start;
}

int RingStep(int n) { return n < 1 ? 0 : 360 / n; }

bool FireGateEvery(int frame, int period) { return period >= 1 && frame % period == 0; }

bool FireGateCounted(int frame, int delay, int period, int count, int* outIndex) {
  if (period < 1 || frame < delay) return false;
  const int t = frame - delay;
  if (t % period != 0 || t / period >= count) return false;
  if (outIndex) *outIndex = t / period;
  return true;
}

bool FireGateBefore(int frame, int limit, int period) {
  if (!(frame < limit)) return false;
  return FireGateEvery(frame, period);
}

bool InFrameWindow(int frame, int start, int length) {
  const int64_t t = static_cast<int64_t>(frame) - start;
  return t >= 0 && t < length;
}

int SafeMod(int n, int d) { return (d == 0 || (d == -1)) ? 0 : n % d; }
int SafeDiv(int n, int d) {
  if (d == 0) return 0;
  if (d == -1) return n == INT32_MIN ? INT32_MAX : -n;
  return n / d;
}

void BrakeEnemy(Enemy* e, float factor) { e->SetVelocityPolar(e->direction, e->speed * factor); }

bool BrakeEnemyBelow(Enemy* e, float factor, float threshold) {
  BrakeEnemy(e, factor);
  return e->speed < threshold;
}

void SteerEnemyFrom(Enemy* e, float fromX, float fromY, float tx, float ty, float g, float kx, float ky) {
  float ax = 0, ay = 0;
  PolarToXY(&ax, &ay, AngleFromTo(fromX, fromY, tx, ty), g);
  e->SetVelocityXY(kx * e->vx + ax, ky * e->vy + ay);
}

void SteerEnemyToward(Enemy* e, float tx, float ty, float g, float kx, float ky) {
  SteerEnemyFrom(e, e->x, e->y, tx, ty, g, kx, ky);
}

void SteerEnemyTowardPlayer(const GameWorld* world, Enemy* e, float g, float kx, float ky) {
  SteerEnemyToward(e, world->player.x, world->player.y, g, kx, ky);
}

void DampAndPushEnemy(Enemy* e, float k, float angle, float g) {
  float ax = 0, ay = 0;
  PolarToXY(&ax, &ay, angle, g);
  e->SetVelocityXY(e->vx * k + ax, e->vy * k + ay);
}

void PlaceEnemyLaunchers(Enemy* e) {
  for (int i = 0; i < e->launcherCount && i < kEnemyLauncherMax; ++i) {
    EnemyLauncher& l = e->launchers[i];
    const float rad = l.placementAngle * kPi / 180.0f;
    const float ox = std::cos(rad) * l.distance * e->sprite.scaleX;
    const float oy = -std::sin(rad) * l.distance * e->sprite.scaleY;
    const float a = Atan2Deg(-oy, ox);
    const float d = Hypot(ox, oy);
    const float r = (a + e->facing) * kPi / 180.0f;
    l.x = e->x + std::cos(r) * d;
    l.y = e->y - std::sin(r) * d;
  }
}

void RunEnemyMotionTail(Enemy* e) {
  e->baseX += e->vx;
  e->baseY += e->vy;
  const float rad = e->orbitAngle * kPi / 180.0f;
  e->x = e->baseX + std::cos(rad) * e->orbitRadius;
  e->y = e->baseY - std::sin(rad) * e->orbitRadius;
  PlaceEnemyLaunchers(e);
}

EnemyBullet* SpawnEnemyBulletOfKind(GameWorld* world, int kind, int type, int facingMode, float x, float y, float angle,
                                    float speed, float scaleX, float scaleY) {
  BulletList& l = world->bullets;
  return ConstructEnemyBullet(kind, type, facingMode, &l.head, &l.tail, &l.count, x, y, angle, speed, scaleX, scaleY);
}

EnemyBullet* SpawnEnemyBullet(GameWorld* world, int type, int facingMode, float x, float y, float angle, float speed,
                              float scaleX, float scaleY) {
  return SpawnEnemyBulletOfKind(world, BulletPlain, type, facingMode, x, y, angle, speed, scaleX, scaleY);
}

int SpawnEnemyBulletWithId(GameWorld* world, EnemyBullet** outBullet, int type, int facingMode, float x, float y,
                           float angle, float speed, float scaleX, float scaleY) {
  return AllocBulletWithId(&world->bullets, outBullet, BulletPlain, type, facingMode, x, y, angle, speed, scaleX,
                           scaleY);
}

void SetBulletAccelAlong(EnemyBullet* b, float magnitude) {
  if (b) b->SetBulletAccelPolar(b->direction, magnitude);
}

void SetBulletAccelMotion(EnemyBullet* b, float accel, float accelFactor, float friction, float stretch) {
  if (!b) return;
  b->SetBulletAccelPolar(b->direction, accel);
  b->accelFactor = accelFactor;
  b->friction = friction;
  b->stretch = stretch;
}

void SetBulletPlainTrail(EnemyBullet* b, int sprite, int interval, int lifetime, float scaleFactorX,
                         float scaleFactorY) {
  if (b) b->SetBulletTrail(0, sprite, interval, lifetime, 0.0f, 1.0f, scaleFactorX, scaleFactorY);
}

uint32_t DimColorTwoThirds(uint32_t argb) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) out |= (((argb >> shift) & 0xFFu) * 2u / 3u) << shift;
  return out;
}

EnemyBullet* FindHeldBullet(GameWorld* world, int id) { return FindBulletById(&world->bullets, id); }

void ShotOriginOf(const Enemy* e, int launcher, float* outX, float* outY, float* outAngle) {
  if (launcher < 0 || launcher >= e->launcherCount) {
    *outX = e->x;
    *outY = e->y;
    *outAngle = e->facing;
    return;
  }
  ComputeShotOrigin(outX, outY, outAngle, e->launchers[launcher]);
}

void LauncherPosition(const Enemy* e, int launcher, float* outX, float* outY) {
  float unused = 0;
  ShotOriginOf(e, launcher, outX, outY, &unused);
}

void SpawnEnemyParts(GameWorld* world, Enemy* e, const char* digits) {
  e->SpawnChildEnemies(digits, &world->enemies.head, &world->enemies.tail, &world->enemies.count);
}

void SpawnCatalogueChildren(GameWorld* world, Enemy* e) {
  const EnemyTypeRow* r = FindEnemyTypeRow(e->type);
  if (r && r->children[0] != '\0') SpawnEnemyParts(world, e, r->children);
}

Enemy* EnemyChildAt(const Enemy* e, int slot) {
  if (slot < 0 || slot >= e->childCount || slot >= kEnemyChildMax) return nullptr;
  return e->children[slot];
}

int CountLiveChildren(const Enemy* e) {
  int n = 0;
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) n += e->children[i] != nullptr;
  return n;
}

bool KillIfOrphaned(GameWorld* world, Enemy* e) {
  if (e->parent) return false;
  KillEnemy(false, world, -1, e);
  return true;
}

void FinishBossDeathSequence(GameWorld* world, Enemy* e, int flagValue) {
  e->dyingCounter = 0;
  SetStageFlag(world, 0, flagValue);
  KillEnemy(true, world, 0, e);
}

Enemy* LaunchEnemy(GameWorld* world, int type, float x, float y, float direction, float speed) {
  EnemyList& l = world->enemies;
  return ConstructEnemy(type, &l.head, &l.tail, &l.count, x, y, direction, speed);
}

int RandomSign() {
  const int r = RandomInt(2);
  return 2 * r - 1;
}

float RandomSignFloat() { return static_cast<float>(RandomSign()); }

void SetPartsIntReg(Enemy* e, int index, int value) {
  if (index < 0 || index >= kEnemyRegisterCount) return;
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    if (e->children[i]) e->children[i]->intRegs[index] = value;
  }
}

float AngleFromShotOriginToPlayer(const GameWorld* world, const Enemy* e, int launcher) {
  float ox = 0, oy = 0, unused = 0;
  ShotOriginOf(e, launcher, &ox, &oy, &unused);
  return AngleToPlayer(world, ox, oy);
}

void SetBulletAccelAt(EnemyBullet* b, float angle, float accel, float accelFactor, float friction, float stretch) {
  if (!b) return;
  b->SetBulletAccelPolar(angle, accel);
  b->accelFactor = accelFactor;
  b->friction = friction;
  b->stretch = stretch;
}

void PlacePartAboutParent(Enemy* e, float angle) {
  if (!e->parent) return;
  e->SnapEnemyBaseToParent();
  e->orbitAngle = angle + e->parent->facing;
}

void RemoveEnemyWithParts(Enemy* e) {
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    if (e->children[i]) e->children[i]->dyingCounter = 1;
  }
  e->dyingCounter = 2;
}

void SteerEnemyFromWithJitter(Enemy* e, float fromX, float fromY, float tx, float ty, float g, float k,
                              float jitterRange, float jitterOffset) {
  float ax = 0, ay = 0;
  PolarToXY(&ax, &ay, AngleFromTo(fromX, fromY, tx, ty), g);
  const float jy = RandomFloat(jitterRange) - jitterOffset;
  const float jx = RandomFloat(jitterRange) - jitterOffset;
  e->SetVelocityXY(k * e->vx + ax + jx, k * e->vy + ay + jy);
}

namespace {

void ThrowBossDeathDebris(GameWorld* world, Enemy* e, int countReg, int floatReg, bool floatAngles) {
  int& n = e->intRegs[countReg];
  float* f = &e->floatRegs[floatReg];
  RequestSoundEffect(SeEnemyBreak);
  const float sx = e->sprite.scaleX, sy = e->sprite.scaleY;
  n = RandomInt(4) + 5;
  const float a = RandomFloat(360.0f);
  const float dist = RandomFloat((sx + sy) * 11.0f);
  PolarToXY(&f[0], &f[1], a, dist);
  const uint32_t colour = DimColorTwoThirds(e->sprite.colors[0]);
  const float k = MinFloat(sx, sy) * std::sqrt(MaxFloat(sx, sy));
  f[2] = (k + 2.0f) * 0.8f;
  f[3] = k * 0.1f;
  for (int i = 0; i < n; ++i) {
    const float speed = RandomFloat(4.0f) + 4.0f + std::sqrt(sx * sy) * 1.5f;
    const int life = RandomInt(8) + 40;
    const float angle = floatAngles ? RingAngleFloat(e->facing, i, n) : RingAngle(e->facing, i, n);
    Effect* p = ConstructEffect(world, EffectPlain, e->x + f[0], e->y + f[1], angle, speed, life);
    if (!p) continue;
    p->SetObjectSprite(152);
    p->friction = 0.95f;
    p->startScaleX = 1.0f;
    p->startScaleY = f[3];
    p->endScaleX = f[2];
    p->endScaleY = 0.0f;
    p->startColor = colour;
    p->endColor = 0;
  }
}

}  // namespace

void ThrowBossDeathDebrisIntAngles(GameWorld* world, Enemy* e, int countReg, int floatReg) {
  ThrowBossDeathDebris(world, e, countReg, floatReg, false);
}

void ThrowBossDeathDebrisFloatAngles(GameWorld* world, Enemy* e, int countReg, int floatReg) {
  ThrowBossDeathDebris(world, e, countReg, floatReg, true);
}
