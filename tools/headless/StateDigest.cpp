#include "tools/headless/StateDigest.h"

#include <cstring>
#include <type_traits>

#include "app/FrameLoop.h"
#include "platform/Input.h"
#include "world/GameWorld.h"
#include "world/Random.h"

namespace {

class Hasher {
 public:
  uint64_t value = 1469598103934665603ull;  // FNV-1a

  void Bytes(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) {
      value ^= b[i];
      value *= 1099511628211ull;
    }
  }
  template <class T>
  void operator()(const T& v) {
    static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>);
    Bytes(&v, sizeof(v));
  }
  template <class T, size_t N>
  void operator()(const T (&a)[N]) {
    for (const T& v : a) (*this)(v);
  }
  void Link(const void* p) { (*this)(static_cast<uint8_t>(p != nullptr)); }
};

void HashSprite(Hasher& h, const SpriteRecord& s) {
  h(s.texture); h(s.shape); h(s.srcU); h(s.srcV); h(s.srcWidth); h(s.srcHeight);
  h(s.srcX2); h(s.srcY2); h(s.srcX3); h(s.srcY3); h(s.baseAngle); h(s.scaleX); h(s.scaleY);
  h(s.pivotX); h(s.pivotY); h(s.radius); h(s.innerRadius); h(s.colorMode); h(s.colors);
}

void HashHitShape(Hasher& h, const HitShape& s) {
  h(s.hitType); h(s.scaleX); h(s.scaleY); h(s.pivotX); h(s.pivotY); h(s.hitCorners);
  h(s.boundRadius); h(s.baseAngle);
}

void HashHead(Hasher& h, const GameObject& o) {
  h(o.x); h(o.y); h(o.prevX); h(o.prevY); h(o.vx); h(o.vy); h(o.direction); h(o.speed);
  h(o.facing); h(o.effectAge);
  HashSprite(h, o.sprite);
  HashHitShape(h, o.hitShape);
}

void HashPlayer(Hasher& h, const Player& p) {
  HashHead(h, p);
  h(p.bank); h(p.scoreLow); h(p.scoreHigh); h(p.shownHighScoreLow); h(p.shownHighScoreHigh);
  h(p.state); h(p.stateFrames); h(p.lives); h(p.shields); h(p.bombs); h(p.power);
  h(p.maxPowerBonusCount); h(p.shotPhase); h(p.gauge); h(p.gaugeFull); h(p.gaugeMax);
  h(p.gaugeTotal); h(p.hitCount); h(p.dropCycle); h(p.invincibleFrames); h(p.grazeFrames);
  h(p.grazeCount); h(p.historyX); h(p.historyY); h(p.historyIndex); h(p.lastShotInput);
  h(p.shotPressFrames); h(p.shotReleaseFrames); h(p.prevShotPressFrames); h(p.bombKind);
  h(p.bombFrames); h(p.bombDuration); h(p.shotMode); h(p.optionFireMode); h(p.optionCount);
  h(p.launchedCount); h(p.optionType); h(p.optionClassLevel);
  const OptionFormation& f = p.formation;
  h(f.centerX); h(f.centerY); h(f.angle); h(f.radius); h(f.aim); h(f.spin);
  const PlayerStartParams& s = p.startParams;
  h(s.difficulty); h(s.lives); h(s.power); h(s.shields); h(s.bombs); h(s.optionCount); h(s.optionType);
  for (const StageScoreRecord& r : p.stageScore) {
    h(r.low);
    h(r.high);
  }
  h(p.stageGaugeTotal); h(p.stageHitCount); h(p.scrollPhaseX); h(p.scrollPhaseY); h(p.scrollSpeedY);
  for (const Option* o = p.optionHead; o; o = o->next) {
    HashHead(h, *o);
    h.Link(o->target);
    h(o->targetX); h(o->targetY); h(o->work); h(o->fireTimer); h(o->launched); h(o->power); h(o->launchAge);
  }
}

void HashBullet(Hasher& h, const EnemyBullet& b) {
  HashHead(h, b);
  h(b.kind); h(b.type); h(b.facingMode); h(b.age); h(b.grazeCountdown); h(b.accelX); h(b.accelY);
  h(b.accelAngle); h(b.accelMagnitude); h(b.baseX); h(b.baseY); h(b.orbitAngle); h(b.orbitRadius);
  h(b.orbitAngleVel); h(b.orbitRadiusVel); h(b.orbitAngleAccel); h(b.orbitRadiusAccel); h(b.friction);
  h(b.accelFactor); h(b.orbitAngleVelFactor); h(b.orbitRadiusVelFactor); h(b.orbitAngleAccelFactor);
  h(b.orbitRadiusAccelFactor); h(b.spinStep); h(b.baseScaleX); h(b.baseScaleY); h(b.stretch);
  h(b.pulseOn); h(b.pulseAmplitude); h(b.pulsePhase); h(b.pulseStep); h(b.trailInterval);
  h(b.trailEffectKind); h(b.trailSprite); h(b.trailLifetime); h(b.trailSpeedFactor); h(b.trailFriction);
  h(b.trailScaleFactorX); h(b.trailScaleFactorY); h(b.hasId); h(b.bulletId); h(b.blastDelay);
  h(b.blastScaleX); h(b.blastScaleY);
}

void HashEffect(Hasher& h, const Effect& e) {
  HashHead(h, e);
  h(e.kind); h(e.lifetime); h(e.accelX); h(e.accelY); h(e.accelAngle); h(e.accelMagnitude); h(e.baseX);
  h(e.baseY); h(e.orbitAngle); h(e.orbitRadius); h(e.orbitAngleVel); h(e.orbitRadiusVel);
  h(e.orbitAngleAccel); h(e.orbitRadiusAccel); h(e.friction); h(e.accelFactor); h(e.orbitAngleVelFactor);
  h(e.orbitRadiusVelFactor); h(e.orbitAngleAccelFactor); h(e.orbitRadiusAccelFactor); h(e.spin);
  h(e.scaleFactorX); h(e.scaleFactorY); h(e.startScaleX); h(e.startScaleY); h(e.endScaleX);
  h(e.endScaleY); h(e.colorRampOn); h(e.startColor); h(e.endColor); h(e.params);
}

void HashEnemy(Hasher& h, const Enemy& e) {
  HashHead(h, e);
  h(e.bodySprite); h(e.baseX); h(e.baseY); h(e.orbitAngle); h(e.orbitRadius); h(e.type); h(e.age);
  h(e.phaseFrames); h(e.phase); h(e.hp); h(e.maxHp); h(e.score); h(e.dropItemKind); h(e.dropItemCount);
  h(e.hitByMask); h(e.removeOffField); h(e.targetable); h(e.dyingCounter); h(e.launcherCount);
  for (const EnemyLauncher& l : e.launchers) {
    h(l.index); h(l.mode); h(l.tint); h(l.x); h(l.y); h(l.placementAngle); h(l.distance); h(l.scale);
    h(l.aimAngle);
  }
  h.Link(e.parent);
  h(e.indexInParent);
  for (const Enemy* c : e.children) h.Link(c);
  h(e.childCount); h(e.intParams); h(e.intRegs); h(e.floatRegs);
}

void HashSpawner(Hasher& h, const EnemySpawner& s) {
  HashHead(h, s);
  h(s.jitterX); h(s.jitterY); h(s.interval); h(s.spawnCount); h(s.counter); h(s.enemyType);
  h(s.enemyPhase); h(s.enemyVx); h(s.enemyVy); h(s.jitterAngle); h(s.jitterSpeed); h(s.intParams);
  h(s.floatParams);
}

void HashShot(Hasher& h, const PlayerShot& s) {
  HashHead(h, s);
  h(s.kind); h(s.age); h(s.damage); h(s.hitBit);
  h.Link(s.target);
}

void HashItem(Hasher& h, const Item& i) {
  HashHead(h, i);
  h(i.kind); h(i.age); h(i.value); h(i.attractState); h(i.attractTimer); h(i.labelWidth);
}

}  // namespace

uint64_t StateDigest(const GameWorld& world) {
  Hasher h;
  h(g_scene); h(g_gameFrame); h(g_sceneFrame); h(g_bulletSpeedBase); h(g_difficulty); h(g_stage);
  h(g_randomSeedIndex); h(g_randomIndex); h(g_randomStep);
  h(g_gameInput); h(g_gameInputFrames);
  HashPlayer(h, world.player);
  if (const StageScript* s = world.stageScript) {
    h(s->lastFrame); h(s->lastX); h(s->lastY); h(s->lastVx); h(s->lastVy); h(s->lastDx); h(s->lastDy);
    h(s->stageFrame); h(s->eventCount); h(s->nextEvent); h(s->flags); h(s->phase); h(s->phaseFrames);
  }
  h(world.shots.count);
  for (const PlayerShot* s = world.shots.head; s; s = s->next) HashShot(h, *s);
  h(world.spawners.count);
  for (const EnemySpawner* s = world.spawners.head; s; s = s->next) HashSpawner(h, *s);
  h(world.enemies.count);
  for (const Enemy* e = world.enemies.head; e; e = e->next) HashEnemy(h, *e);
  h(world.bullets.count); h(world.bullets.freeRing); h(world.bullets.freeReadIndex); h(world.bullets.freeCount);
  for (const EnemyBullet* b = world.bullets.head; b; b = b->next) HashBullet(h, *b);
  h(world.items.count);
  for (const Item* i = world.items.head; i; i = i->next) HashItem(h, *i);
  h(world.effects.count);
  for (const Effect* e = world.effects.head; e; e = e->next) HashEffect(h, *e);
  return h.value;
}
