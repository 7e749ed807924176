#pragma once
// Angle, vector, rounding, clamping and wave helpers. Their exact results (ranges, tie-breaks,
// the turn rule) are part of every replay, so they work in float exactly as written.

#include <cstdint>

constexpr float kPi = 3.1415927f;

float Atan2Deg(float y, float x);
float NormalizeAngle(float a);
float AngleDistance(float a, float b);
float TurnAngleToward(float cur, float target, float step);
void PolarToXY(float* outX, float* outY, float angle, float length);
void PolarToXYOut(float angle, float length, float* outX, float* outY);
void XYToPolar(float x, float y, float* outAngle, float* outLength);
float Hypot(float x, float y);

float FloorF(float v);
int FloorToInt(float v);
float RoundF(float v);

inline int MaxInt(int a, int b) { return a > b ? a : b; }
inline int MaxIntAlt(int a, int b) { return a > b ? a : b; }
inline int MinInt(int a, int b) { return a < b ? a : b; }
inline int MinIntAlt(int a, int b) { return a < b ? a : b; }
inline float MaxFloat(float a, float b) { return a > b ? a : b; }
inline float MaxFloatAlt(float a, float b) { return a > b ? a : b; }
inline float MinFloat(float a, float b) { return a < b ? a : b; }
inline float MinFloatAlt(float a, float b) { return a < b ? a : b; }
int ClampInt(int v, int lo, int hi);
float ClampFloat(float v, float lo, float hi);

int SignInt(int v);
float SignIntAsFloat(int v);
int SignFloatAsInt(float v);
float SignFloat(float v);

int TriangleWave(int t, int period);
int TriangleWaveOdd(int t, int period);

// Float to int with a defined result for NaN (0), infinities and out-of-range values (saturated),
// truncating toward zero otherwise. Every conversion of a computed float goes through here.
int32_t FloatToInt(float v);
// The same, saturated into 0..255 (colour channels and alpha).
int FloatToByte(float v);
