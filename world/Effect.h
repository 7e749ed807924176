#pragma once
// Effects: short-lived particles that move, ramp their colour and scale over their life, and
// for a few kinds run a behaviour of their own.

#include <cstdint>

#include "world/GameObject.h"

class GameWorld;

enum EffectKind {
  EffectPlain = 0,  // also 7..15 and any other value without a behaviour
  EffectHitSpark = 1,
  EffectFadeOut = 2,
  EffectWanderBurst = 3,
  EffectBlastFrames = 4,
  EffectColorFade = 5,
  EffectRingEmitter = 6,
  EffectTextGlyph = 16,
};

class Effect : public GameObject {
 public:
  int32_t kind = 0;
  int32_t lifetime = 1;
  float accelX = 0, accelY = 0, accelAngle = 0, accelMagnitude = 0;
  float baseX = 0, baseY = 0;
  float orbitAngle = 0, orbitRadius = 0;
  float orbitAngleVel = 0, orbitRadiusVel = 0;
  float orbitAngleAccel = 0, orbitRadiusAccel = 0;
  float friction = 1;
  float accelFactor = 1;
  float orbitAngleVelFactor = 0, orbitRadiusVelFactor = 0;
  float orbitAngleAccelFactor = 1, orbitRadiusAccelFactor = 1;
  float spin = 0;
  float scaleFactorX = 1, scaleFactorY = 1;
  float startScaleX = 1, startScaleY = 1, endScaleX = 1, endScaleY = 1;
  uint8_t colorRampOn = 1;
  uint32_t startColor = 0xFFFFFFFFu, endColor = 0xFFFFFFFFu;
  // Six 32-bit values per kind, integers or floats depending on the kind; floats are kept by
  // their bits (GetParamFloat / SetParamFloat).
  int32_t params[6] = {0, 0, 0, 0, 0, 0};
  Effect* prev = nullptr;
  Effect* next = nullptr;

  Effect(int kind, Effect** head, Effect** tail, int32_t* count, float x, float y, float angle, float speed,
         int lifetime);

  void UnlinkAndDeleteEffect(Effect** head, Effect** tail, int32_t* count);

  void SetEffectAccelXY(float ax, float ay);
  void SetEffectAccelPolar(float angle, float magnitude);
  void SetEffectScaleFactor(float fx, float fy);
  void SetEffectScaleFactorUniform(float f);
  void MoveEffect();

  float GetParamFloat(int i) const;
  void SetParamFloat(int i, float v);
};

struct EffectList {
  Effect* head = nullptr;
  Effect* tail = nullptr;
  int32_t count = 0;
};

Effect* ConstructEffect(int kind, Effect** head, Effect** tail, int32_t* count, float x, float y, float angle,
                        float speed, int lifetime);
// The same on the world's effect list.
Effect* ConstructEffect(GameWorld* world, int kind, float x, float y, float angle, float speed, int lifetime);

void InitEffectListHeader(EffectList* list);
void ClearEffectList(EffectList* list);
void DestroyEffectList(EffectList* list);

void UpdateEffectKind(GameWorld* world, Effect* e);
void UpdateEffects(GameWorld* world);
