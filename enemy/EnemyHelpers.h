#pragma once
// Building blocks shared by the per-type enemy code: aiming, fan and ring angles, fire gates,
// braking and steering, the motion tail, bullet set-up, bullets held by id, shot origins and
// the parent/part links. Each one computes exactly as the formulas are written (integer
// quotients truncated, float arithmetic in float), so the type code gets identical results
// whichever helper it uses.

#include <cstdint>

class Enemy;
class EnemyBullet;
class GameWorld;

// ---- Formula terms ---------------------------------------------------------------------------
// The short names the type formulas are written with. D() is the difficulty for integer
// formulas (counts, periods, quotients that truncate) and Df() the same value for float ones, so
// a formula's arithmetic stays what it is written as.

int D();         // g_difficulty
float Df();      // g_difficulty as a float
float B();       // g_bulletSpeedBase
float F(int v);  // v as a float

// ---- Aiming ----------------------------------------------------------------------------------

// The angle from P to Q: Atan2Deg(P.y - Q.y, Q.x - P.x), 90 pointing up the screen.
float AngleFromTo(float px, float py, float qx, float qy);
// From a point and from the enemy's body to the player, and the distance from a point.
float AngleToPlayer(const GameWorld* world, float x, float y);
float AngleFromEnemyToPlayer(const GameWorld* world, const Enemy* e);
float DistanceToPlayer(const GameWorld* world, float x, float y);

// ---- Fan and ring angles ---------------------------------------------------------------------
// Each quotient is taken as the formula writes it: between two integers "/" truncates toward
// zero, so (i x 360) / 11 steps 32, 32, 33, ... degrees. Only a float operand makes it float.
// Pattern angles are replay behaviour: a float ring where the formula is integer changes games.

// Bullet j of an n-bullet fan around center with an integer step: center + ((2j - (n - 1)) x
// step) / 2, the product divided as an integer (step 9: offsets -4, +4, not -4.5, +4.5).
float FanAngle(float center, int j, int n, int step);
// The same with a float step: center + (2j - (n - 1)) x step / 2 in float.
float FanAngle(float center, int j, int n, float step);
// A double step would silently pick float; say 9 or 9.0f.
float FanAngle(float center, int j, int n, double step) = delete;
// Bullet i of an n-bullet ring: (i x 360) / n truncated, + start. n < 1 gives start.
float RingAngle(float start, int i, int n);
// A ring the formula writes in float: 360 x i / (float)n + start. n < 1 gives start.
float RingAngleFloat(float start, int i, int n);
// The angle between neighbours of an n-bullet ring: 360 / n truncated. n < 1 gives 0.
int RingStep(int n);

// ---- Fire gates (all false for a period below 1: a register left at 0 fires nothing) ---------

// A count for FireGateCounted that never closes the gate: only its delay and period do.
constexpr int kNoVolleyLimit = INT32_MAX;

// frame % period == 0.
bool FireGateEvery(int frame, int period);
// frame >= delay, (frame - delay) % period == 0 and (frame - delay) / period < count; the shot
// number (frame - delay) / period goes to *outIndex when the gate opens (outIndex may be null).
bool FireGateCounted(int frame, int delay, int period, int count, int* outIndex);
// frame < limit and frame % period == 0, tested in that order: a frame at or past the limit
// never reaches the remainder.
bool FireGateBefore(int frame, int limit, int period);
// 0 <= frame - start < length.
bool InFrameWindow(int frame, int start, int length);
// n % d and n / d that give 0 instead of faulting for d == 0 (truncating toward zero otherwise).
int SafeMod(int n, int d);
int SafeDiv(int n, int d);

// ---- Braking and steering --------------------------------------------------------------------

// velocity = polar(direction, speed x factor).
void BrakeEnemy(Enemy* e, float factor);
// Brakes; returns true when the speed then is below threshold.
bool BrakeEnemyBelow(Enemy* e, float factor, float threshold);
// A steering step of strength g toward (tx, ty) seen from (fromX, fromY):
// (ax, ay) = polar(angle from the point to the target, g); velocity = (kx vx + ax, ky vy + ay).
void SteerEnemyFrom(Enemy* e, float fromX, float fromY, float tx, float ty, float g, float kx, float ky);
// The same from the body's position.
void SteerEnemyToward(Enemy* e, float tx, float ty, float g, float kx, float ky);
void SteerEnemyTowardPlayer(const GameWorld* world, Enemy* e, float g, float kx, float ky);
// velocity = k x velocity + polar(angle, g): a damped push along a given angle.
void DampAndPushEnemy(Enemy* e, float k, float angle, float g);

// ---- Motion tail -----------------------------------------------------------------------------

// Base += velocity; position = base + polar(orbitAngle, orbitRadius); launch points placed.
void RunEnemyMotionTail(Enemy* e);
// Each launch point: offset polar(placementAngle, distance) scaled by the body's sprite scale,
// turned by facing and added to the position.
void PlaceEnemyLaunchers(Enemy* e);

// ---- Bullets ---------------------------------------------------------------------------------

// Facing mode 0: the bullet keeps the facing of its launch angle.
constexpr int kFaceLaunchAngle = 0;

// One bullet appended to the world's bullet list (kind 0 BulletPlain unless given).
EnemyBullet* SpawnEnemyBullet(GameWorld* world, int type, int facingMode, float x, float y, float angle, float speed,
                              float scaleX, float scaleY);
EnemyBullet* SpawnEnemyBulletOfKind(GameWorld* world, int kind, int type, int facingMode, float x, float y, float angle,
                                    float speed, float scaleX, float scaleY);
// The same holding an id slot; returns the id, or BulletIdNone when none was free (the bullet
// exists all the same). *outBullet may be null.
int SpawnEnemyBulletWithId(GameWorld* world, EnemyBullet** outBullet, int type, int facingMode, float x, float y,
                           float angle, float speed, float scaleX, float scaleY);
// Acceleration along the bullet's own (normalised) launch direction.
void SetBulletAccelAlong(EnemyBullet* b, float magnitude);
// The common finishing set: acceleration along its direction, acceleration factor, friction,
// stretch.
void SetBulletAccelMotion(EnemyBullet* b, float accel, float accelFactor, float friction, float stretch);
// Trail of effect kind 0 with speed factor 0 and friction 1.
void SetBulletPlainTrail(EnemyBullet* b, int sprite, int interval, int lifetime, float scaleFactorX,
                         float scaleFactorY);

// An ARGB colour with each of its four bytes times 2 / 3 (integer division): the debris colour
// of a tinted body.
uint32_t DimColorTwoThirds(uint32_t argb);

// The bullet an enemy holds by id in a register, or null when the id is out of range or the
// bullet is gone. The only way type code looks a held bullet up.
EnemyBullet* FindHeldBullet(GameWorld* world, int id);

// ---- Launch points ---------------------------------------------------------------------------

// ComputeShotOrigin on launch point i; the body's position and facing when i is not in use.
void ShotOriginOf(const Enemy* e, int launcher, float* outX, float* outY, float* outAngle);
// The same without the angle: where launch point i fires from.
void LauncherPosition(const Enemy* e, int launcher, float* outX, float* outY);

// ---- Parts and parents -----------------------------------------------------------------------

// Spawns the parts of the enemy's catalogue children string into the world's enemy list.
void SpawnCatalogueChildren(GameWorld* world, Enemy* e);
// Spawns a digit string of parts into the world's enemy list.
void SpawnEnemyParts(GameWorld* world, Enemy* e, const char* digits);
// The part in slot i, or null (empty slot or i out of range).
Enemy* EnemyChildAt(const Enemy* e, int slot);
// Parts that still exist.
int CountLiveChildren(const Enemy* e);
// The orphan rule: a part whose parent is gone kills itself without reward (cause -1); true
// when it did, and the caller skips the rest of its body.
bool KillIfOrphaned(GameWorld* world, Enemy* e);
// The end of a boss death sequence (types 70, 74, 78, 92, 99): dyingCounter back to 0, stage
// flag 0 = flagValue (only when a stage script exists), then the real, rewarded death (cause 0).
void FinishBossDeathSequence(GameWorld* world, Enemy* e, int flagValue);
// A new independent enemy (a launched drone) in the world's enemy list; null when the type has
// no row or the allocation failed.
Enemy* LaunchEnemy(GameWorld* world, int type, float x, float y, float direction, float speed);

// ---- Random helpers --------------------------------------------------------------------------

// 2 x RandomInt(2) - 1: a random side, +1 or -1 (one draw).
int RandomSign();
// The same as a float factor.
float RandomSignFloat();

// ---- Switching parts -------------------------------------------------------------------------

// Each part that still exists gets intRegs[index] = value (a parent switching its parts' fire
// or spin); an index outside the register array changes nothing.
void SetPartsIntReg(Enemy* e, int index, int value);

// ---- Appended: shot origins and accelerating bullets -----------------------------------------

// The angle from launch point i's shot origin (a barrel's muzzle, a point itself) to the player.
float AngleFromShotOriginToPlayer(const GameWorld* world, const Enemy* e, int launcher);
// The finishing set with the acceleration along a given (unnormalised) angle, as the attack
// formulas write it: SetBulletAccelPolar(angle, accel), acceleration factor, friction, stretch.
void SetBulletAccelAt(EnemyBullet* b, float angle, float accel, float accelFactor, float friction, float stretch);

// ---- Large ships with parts ------------------------------------------------------------------

// A part placed about its parent: base = the parent's position, orbitAngle = angle + the
// parent's facing (not normalised). Does nothing without a parent.
void PlacePartAboutParent(Enemy* e, float angle);
// The exit of a ship with parts: every part that still exists gets dyingCounter 1 and the ship
// 2, so all of them are removed without reward and without the orphan rule.
void RemoveEnemyWithParts(Enemy* e);

// ---- Steering with jitter --------------------------------------------------------------------

// A steering step of strength g toward (tx, ty) seen from (fromX, fromY) with damping k, each
// component also jittered by RandomFloat(jitterRange) - jitterOffset, the vy jitter drawn first:
// velocity = (k vx + ax + jx, k vy + ay + jy). Two draws.
void SteerEnemyFromWithJitter(Enemy* e, float fromX, float fromY, float tx, float ty, float g, float k,
                              float jitterRange, float jitterOffset);

// ---- Boss death sequences --------------------------------------------------------------------

// One debris burst of a boss death sequence (types 70, 74, 78, 92 and 99): sound effect 64, then
// RandomInt(4) + 5 pieces (the count kept in intRegs[countReg]) thrown around a random point of
// the body, in the body tint times 2 / 3. floatRegs[floatReg] and [floatReg + 1] keep the
// point's offset, [floatReg + 2] the end scale x and [floatReg + 3] the start scale y. The
// draws: count, offset angle, offset distance, then speed and lifetime per piece.
// Piece i of n flies at (i x 360) / n truncated + facing (7 pieces: 0, 51, 102, 154, ...).
void ThrowBossDeathDebrisIntAngles(GameWorld* world, Enemy* e, int countReg, int floatReg);
// The same with piece i at 360 x i / (float)n + facing (7 pieces: 0, 51.43, 102.86, ...).
void ThrowBossDeathDebrisFloatAngles(GameWorld* world, Enemy* e, int countReg, int floatReg);
