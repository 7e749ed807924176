// The pilot's choice of keys; see Pilot.h.

#include "tools/headless/Pilot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "enemy/Enemy.h"
#include "player/Item.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/EnemyBullet.h"

PilotKeys ChoosePilotKeys(const GameWorld& w, bool shooting, bool onFieldTargets) {
  const Player& p = w.player;
  constexpr int kAhead = 16;
  static std::vector<EnemyBullet> future;
  future.clear();
  for (EnemyBullet* b = w.bullets.head; b; b = b->next) {
    if (std::hypot(b->x - p.x, b->y - p.y) > 260) continue;
    EnemyBullet c = *b;  // a copy moved ahead; it is in no list
    for (int t = 1; t <= kAhead; ++t) {
      c.prevX = c.x;
      c.prevY = c.y;
      c.MoveBullet();
      c.UpdateBulletFacing();
      future.push_back(c);
    }
  }
  HitShape wide = p.hitShape;
  wide.scaleX *= 3.0f;
  wide.scaleY *= 3.0f;
  float targetX = 180;
  // A power, bomb, shield, life or option item falling toward the ship comes first: with the
  // shot held it is only caught from 24 px.
  const Item* wanted = nullptr;
  if (shooting) {
    float nearest = 1e9f;
    for (const Item* it = w.items.head; it; it = it->next) {
      if (it->kind == ItemGauge || it->y < p.y - 240 || it->y > p.y + 8) continue;
      const float d = std::fabs(it->x - p.x) + 0.5f * (p.y - it->y);
      if (d < nearest) {
        nearest = d;
        wanted = it;
      }
    }
  }
  if (wanted) {
    targetX = wanted->x;
  } else if (shooting) {
    float nearest = 1e9f;
    for (const Enemy* e = w.enemies.head; e; e = e->next) {
      if (e->dyingCounter != 0 || e->y < 0 || e->y > p.y - 40) continue;
      if (onFieldTargets && (e->x < 0 || e->x > 360)) continue;
      const float d = std::fabs(e->x - p.x) + 0.3f * (p.y - e->y) + (e->hp > 1000 ? 150.0f : 0.0f);
      if (d < nearest) {
        nearest = d;
        targetX = e->x;
      }
    }
  }
  PilotKeys best;
  float bestCost = 1e30f;
  const size_t bullets = future.size() / kAhead;
  for (int hold : {kAhead, 8, 3}) {
    for (int slow = 0; slow < 2; ++slow) {
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (hold != kAhead && dx == 0 && dy == 0) continue;
          const float step = 4.5f / ((dx && dy) ? std::sqrt(2.0f) : 1.0f) / (slow ? 2.0f : 1.0f);
          float cost = 0;
          for (int t = 1; t <= kAhead; ++t) {
            const int moved = std::min(t, hold);
            const float px = std::clamp(p.x + dx * step * moved, 8.0f, 352.0f);
            const float py = std::clamp(p.y + dy * step * moved, 16.0f, 470.0f);
            const float weight = static_cast<float>(kAhead + 1 - t) * (t <= 4 ? 10.0f : 1.0f);
            for (size_t i = 0; i < bullets; ++i) {
              const EnemyBullet& q = future[i * kAhead + (t - 1)];
              if (std::fabs(q.x - px) > 120 || std::fabs(q.y - py) > 120) continue;
              if (TestHit(q.x, q.y, q.facing, q.hitShape, px, py, p.facing, wide)) {
                cost += 1000 * weight;
              } else {
                const float d = std::hypot(q.x - px, q.y - py);
                if (d < 40) cost += (40 - d) * 0.5f * weight;
              }
            }
            if (px < 20 || px > 340 || py < 80 || py > 460) cost += 200;
          }
          cost += std::fabs(p.x + dx * step - targetX) * 0.4f + std::fabs(p.y + dy * step - 400) * 0.2f;
          if (dx || dy) cost += 2;
          if (cost < bestCost) {
            bestCost = cost;
            best = PilotKeys{dx, dy, slow != 0};
          }
        }
      }
    }
  }
  return best;
}

void HoldPilotKeys(const PilotKeys& k, bool shooting) {
  ReleaseAllScriptedKeys();
  SetScriptedKeyHeld(KeyZ, shooting);
  SetScriptedKeyHeld(KeyX, k.slow);
  SetScriptedKeyHeld(KeyLeft, k.dx < 0);
  SetScriptedKeyHeld(KeyRight, k.dx > 0);
  SetScriptedKeyHeld(KeyUp, k.dy < 0);
  SetScriptedKeyHeld(KeyDown, k.dy > 0);
}

void KeepShipUnhit(GameWorld* w) { w->player.invincibleFrames = 2; }
