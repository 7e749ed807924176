#pragma once
// Enemy bullets: the object, its list with the table of 2048 bullet ids, the setters and motion.

#include <cstdint>

#include "world/GameObject.h"

class GameWorld;

constexpr int BulletIdCount = 2048;
// What AllocBulletWithId returns when no id is free; holders treat it as "none".
constexpr int BulletIdNone = 2048;

enum BulletKind { BulletPlain = 0, BulletDelayedBlast = 1 };
enum BulletFacingMode {
  BulletFaceMotion = 1,
  BulletFaceVelocity = 2,
  BulletFaceAccel = 3,
  BulletFaceSpin = 4,
  BulletFaceOrbit = 5,
};

class EnemyBullet : public GameObject {
 public:
  int32_t kind = 0;
  int32_t type = 0;
  int32_t facingMode = 0;
  int32_t age = 0;
  int32_t grazeCountdown = 0;
  float accelX = 0, accelY = 0;
  float accelAngle = 0, accelMagnitude = 0;
  float baseX = 0, baseY = 0;
  float orbitAngle = 0, orbitRadius = 0;
  float orbitAngleVel = 0, orbitRadiusVel = 0;
  float orbitAngleAccel = 0, orbitRadiusAccel = 0;
  float friction = 1;
  float accelFactor = 1;
  float orbitAngleVelFactor = 0, orbitRadiusVelFactor = 0;
  float orbitAngleAccelFactor = 1, orbitRadiusAccelFactor = 1;
  float spinStep = 0;
  float baseScaleX = 0, baseScaleY = 0;
  float stretch = 0;
  uint8_t pulseOn = 0;
  float pulseAmplitude = 0, pulsePhase = 0, pulseStep = 0;
  int32_t trailInterval = 0;
  int32_t trailEffectKind = 0;
  int32_t trailSprite = 0;
  int32_t trailLifetime = 0;
  float trailSpeedFactor = 0;
  float trailFriction = 0;
  float trailScaleFactorX = 0, trailScaleFactorY = 0;
  uint8_t hasId = 0;
  int32_t bulletId = -1;
  int32_t blastDelay = 0;
  float blastScaleX = 0, blastScaleY = 0;
  EnemyBullet* prev = nullptr;
  EnemyBullet* next = nullptr;

  EnemyBullet(int kind, int type, int facingMode, EnemyBullet** head, EnemyBullet** tail, int32_t* count, float x,
              float y, float angle, float speed, float sx, float sy);

  // Unlinks the bullet, returns its id to the free ring and deletes it. Do not use it afterwards.
  void UnlinkAndDeleteBullet(struct BulletList* list);

  void SetBulletAccelXY(float ax, float ay);
  void SetBulletAccelPolar(float angle, float magnitude);
  void SetBulletBaseScale(float sx, float sy);
  void SetBulletBaseScaleUniform(float s);
  void SetBulletPulse(float amplitude, float phase, float step);
  void SetBulletTrail(int effectKind, int sprite, int interval, int lifetime, float speedFactor, float friction,
                      float scaleFactorX, float scaleFactorY);
  // One frame of motion: acceleration, friction, base point, orbit, stretch and pulse.
  void MoveBullet();
  void UpdateBulletFacing();
};

struct BulletList {
  EnemyBullet* head = nullptr;
  EnemyBullet* tail = nullptr;
  int32_t count = 0;
  EnemyBullet* slots[BulletIdCount] = {};
  int32_t freeRing[BulletIdCount] = {};
  int32_t freeReadIndex = 0;
  int32_t freeCount = 0;
};

EnemyBullet* ConstructEnemyBullet(int kind, int type, int facingMode, EnemyBullet** head, EnemyBullet** tail,
                                  int32_t* count, float x, float y, float angle, float speed, float sx, float sy);
// Returns the id, or BulletIdNone (the bullet is still made, without an id) when none is free.
int AllocBulletWithId(BulletList* list, EnemyBullet** out, int kind, int type, int facingMode, float x, float y,
                      float angle, float speed, float sx, float sy);
// The only way to look a bullet up by id: null unless 0 <= id < 2048 and the id is held.
EnemyBullet* FindBulletById(BulletList* list, int id);

// Per frame, after age += 1 and the saved previous position: the delayed blast (kind 1), then
// MoveBullet.
void UpdateBulletBehaviour(GameWorld* world, EnemyBullet* b);
// The per-frame walk of the bullet list: motion, trails, off-field cull, graze and hits.
void UpdateEnemyBullets(GameWorld* world);

void InitBulletListHeader(BulletList* list);
void ClearBulletList(BulletList* list);
void DestroyBulletList(BulletList* list);
