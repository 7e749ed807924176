#include "enemy/Enemy.h"

#include <cmath>
#include <new>

#include "enemy/EnemyCatalogue.h"
#include "enemy/EnemyDispatch.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "player/Option.h"
#include "player/PlayerShot.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "world/ObjectList.h"

Enemy* ConstructEnemy(int type, Enemy** head, Enemy** tail, int32_t* count, float x, float y, float direction,
                      float speed) {
  if (!IsEnemyTypeDefined(type)) return nullptr;
  Enemy* e = new (std::nothrow) Enemy;
  if (!e) return nullptr;
  e->x = x;
  e->y = y;
  e->direction = direction;
  e->speed = speed;
  const float rad = direction * kPi / 180.0f;
  e->vx = std::cos(rad) * speed;
  e->vy = -std::sin(rad) * speed;
  e->baseX = x;
  e->baseY = y;
  e->orbitAngle = direction;
  e->orbitRadius = 0;
  e->facing = direction;
  e->type = type;
  // The remaining fields start at the constructor values of the record (counters 0, no drops,
  // removeOffField and targetable 1, no links, registers zero).
  ListAppendAtTail(head, tail, e);
  e->InitEnemyType();
  e->maxHp = e->hp;
  *count += 1;
  return e;
}

void Enemy::SpawnChildEnemies(const char* digits, Enemy** head, Enemy** tail, int32_t* count) {
  for (const char* p = digits; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    int value;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'A' && c <= 'Z') value = c - 'A' + 10;
    else continue;
    if (childCount >= kEnemyChildMax) break;
    Enemy* child = ConstructEnemy(type + value, head, tail, count, 0, 0, 0, 0);
    if (child) {
      child->x = x;
      child->y = y;
      child->parent = this;
      child->indexInParent = childCount;
    }
    children[childCount] = child;
    childCount += 1;
  }
}

void Enemy::SnapEnemyBaseToParent() {
  if (!parent) return;
  baseX = parent->x;
  baseY = parent->y;
}

void Enemy::SetEnemyPhase(int newPhase) {
  phase = newPhase;
  phaseFrames = 0;
}

void ComputeShotOrigin(float* outX, float* outY, float* outAngle, EnemyLauncher launcher) {
  if (launcher.mode == LauncherBarrel) {
    const float rad = launcher.aimAngle * kPi / 180.0f;
    *outX = launcher.x + std::cos(rad) * launcher.scale * 30.0f;
    *outY = launcher.y - std::sin(rad) * launcher.scale * 30.0f;
    *outAngle = launcher.aimAngle;
  } else {
    *outX = launcher.x;
    *outY = launcher.y;
    *outAngle = launcher.placementAngle;
  }
}

void UntargetEnemy(GameWorld* world, Enemy* e) {
  ClearOptionTargets(world, e);
  e->targetable = 0;
}

void ClearEnemyTargetsOf(GameWorld* world, Enemy* e) {
  ClearOptionTargets(world, e);
  for (PlayerShot* s = world->shots.head; s; s = s->next) {
    if (s->target == e) s->target = nullptr;
  }
}

void UnhookEnemyFromFamily(Enemy* e) {
  if (Enemy* p = e->parent) {
    for (int i = 0; i < kEnemyChildMax; ++i) {
      if (p->children[i] == e) p->children[i] = nullptr;
    }
    e->parent = nullptr;
  }
  for (int i = 0; i < e->childCount && i < kEnemyChildMax; ++i) {
    Enemy* c = e->children[i];
    if (c && c->parent == e) c->parent = nullptr;
  }
}

void Enemy::DestroyEnemy(GameWorld* world) {
  EnemyList& list = world->enemies;
  for (int i = 0; i < childCount && i < kEnemyChildMax; ++i) {
    Enemy* c = children[i];
    if (!c) continue;
    if (c->parent == this) c->parent = nullptr;
    c->dyingCounter = 1;  // the orphan goes two frames later without reward
  }
  // A part can keep its link after its slot was cleared, and a killed parent keeps its slots
  // after its parts lost their link (they may go first: a part of a part outlives a parent
  // whose own destruction reset its counter); no link or slot may outlive this enemy.
  for (Enemy* o = list.head; o; o = o->next) {
    if (o->parent == this) o->parent = nullptr;
    for (int i = 0; i < kEnemyChildMax; ++i) {
      if (o->children[i] == this) o->children[i] = nullptr;
    }
  }
  if (parent) {
    // Only slots that really hold this enemy (a wrong indexInParent must not clear a sibling).
    for (int i = 0; i < kEnemyChildMax; ++i) {
      if (parent->children[i] == this) parent->children[i] = nullptr;
    }
  }
  ClearEnemyTargetsOf(world, this);
  ListUnlink(&list.head, &list.tail, this);
  list.count -= 1;
  delete this;
}

void InitEnemyListHeader(EnemyList* list) { *list = EnemyList{}; }

void ClearEnemyList(GameWorld* world) {
  // Every enemy goes, so no option or shot may keep any target.
  for (Option* o = world->player.optionHead; o; o = o->next) o->target = nullptr;
  for (PlayerShot* s = world->shots.head; s; s = s->next) s->target = nullptr;
  EnemyList& l = world->enemies;
  ListDeleteAll(&l.head, &l.tail, &l.count);
}

void DestroyEnemyList(GameWorld* world) { ClearEnemyList(world); }

bool IsEnemyOffField(const Enemy* e) {
  if (!std::isfinite(e->x) || !std::isfinite(e->y)) return true;
  const float m = MaxFloat(e->sprite.scaleX, e->sprite.scaleY) * e->sprite.radius;
  return e->x < -m || e->x > 360.0f + m || e->y < -m || e->y > 480.0f + m;
}

namespace {

constexpr float kContactPush = 0.3f;

void PushPlayerOnContact(GameWorld* world, Enemy* e) {
  Player& p = world->player;
  if (p.state != 0 && p.state != 1) return;
  if (!TestHit(e->x, e->y, e->facing, e->hitShape, p.x, p.y, p.facing, p.hitShape)) return;
  const float a = Atan2Deg(e->y - p.y, p.x - e->x);
  const float rad = a * kPi / 180.0f;
  p.SetVelocityXY(p.vx + std::cos(rad) * kContactPush, p.vy - std::sin(rad) * kContactPush);
}

}  // namespace

void UpdateEnemies(GameWorld* world) {
  Enemy* e = world->enemies.head;
  while (e) {
    Enemy* next = e->next;
    if (e->dyingCounter > 0) {
      e->dyingCounter += 1;
      if (e->dyingCounter > 2) e->DestroyEnemy(world);
      e = next;
      continue;
    }
    e->prevX = e->x;
    e->prevY = e->y;
    UpdateEnemyBehaviour(world, e);
    if (IsEnemyOffField(e) && e->removeOffField == 1) {
      ClearOptionTargets(world, e);
      e->dyingCounter = 2;
    }
    if (e->dyingCounter == 0) {
      PushPlayerOnContact(world, e);
      UpdateEnemyAttack(world, e);
    }
    e = next;
  }
}
