#pragma once
// The small physics shared by enemy bullets and effects: acceleration kept in its direction and
// scaled by its factor, velocity with friction moving a base point, and an orbit around that
// base point whose angle and radius have their own velocities, accelerations and factors.

#include "world/MathUtil.h"

template <class T>
void StepOrbitMotion(T& o) {
  o.accelMagnitude = o.accelMagnitude * o.accelFactor;
  PolarToXYOut(o.accelAngle, o.accelMagnitude, &o.accelX, &o.accelY);
  o.SetVelocityXY((o.vx + o.accelX) * o.friction, (o.vy + o.accelY) * o.friction);
  o.baseX += o.vx;
  o.baseY += o.vy;
  o.orbitAngleAccel *= o.orbitAngleAccelFactor;
  o.orbitRadiusAccel *= o.orbitRadiusAccelFactor;
  o.orbitAngleVel = (o.orbitAngleVel + o.orbitAngleAccel) * o.orbitAngleVelFactor;
  o.orbitRadiusVel = (o.orbitRadiusVel + o.orbitRadiusAccel) * o.orbitRadiusVelFactor;
  o.orbitAngle += o.orbitAngleVel;  // not normalised
  o.orbitRadius += o.orbitRadiusVel;
  float ox, oy;
  PolarToXY(&ox, &oy, o.orbitAngle, o.orbitRadius);
  o.x = o.baseX + ox;
  o.y = o.baseY + oy;
}
