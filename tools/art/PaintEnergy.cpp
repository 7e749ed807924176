// Light: shots, enemy bullets, sparks, flashes, explosions and bomb shots. Bullets and shots
// carry their own colour with a near-white core (they are drawn additive); the effects are
// white or grey for the game to tint.

#include "tools/art/PaintCommon.h"
#include "world/SpriteTable.h"

namespace art {

namespace {

constexpr float kDeg = 3.14159265f / 180;

// A glowing shape of signed distance d: white deeper than `core` px inside, its colour at the
// rim, a soft halo outside.
Rgb Energy(float d, float core, Rgb col, float halo, float haloLevel = 0.6f) {
  if (d > 0) return col * (haloLevel * Glow(d, halo));
  return Mix(Mix(col, Grey(1), 0.12f), Grey(1), Smooth(0, core, -d));
}

// Distance to a stroke from a (radius ra) to b (radius rb): tapered capsules, teardrops.
float TaperDist(float x, float y, float ax, float ay, float ra, float bx, float by, float rb) {
  const float dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
  const float t = l2 > 0 ? Clamp01(((x - ax) * dx + (y - ay) * dy) / l2) : 0;
  return std::hypot(x - ax - dx * t, y - ay - dy * t) - Mix(ra, rb, t);
}

// Distance to the nearest of n rays from (cx, cy), each of length len and half width w at the
// root, tapering to a point; rot in degrees.
float RaysDist(float x, float y, float cx, float cy, int n, float len, float w, float rot, float start = 0) {
  const float r = std::hypot(x - cx, y - cy);
  float a = std::atan2(y - cy, x - cx) / kDeg - rot;
  const float step = 360.0f / n;
  a = std::fmod(std::fmod(a, step) + step, step);
  if (a > step / 2) a -= step;
  const float along = r * std::cos(a * kDeg), across = std::fabs(r * std::sin(a * kDeg));
  if (along < start) return std::hypot(start - along, across) + 0.01f;
  const float half = w * Clamp01(1 - (along - start) / (len - start));
  return std::max(across - half, along - len);
}

Rgb Cap(Rgb c) { return {std::min(c.r, 1.0f), std::min(c.g, 1.0f), std::min(c.b, 1.0f)}; }

// ---- Player shots.

Rgb MainShot(float x, float y, int k, float w, float h) {
  const Rgb col{0.45f, 0.85f, 1.0f};
  const float cy = h / 2 - 0.35f + 0.5f;
  const float hh = 2.2f + 0.6f * k;
  const float head = w - 2.6f - hh * 0.6f;
  const float d = TaperDist(x, y, 3.0f, cy, 0.5f, head, cy, hh);
  Px p;
  p.Add(Energy(d, hh * 0.7f, col, 1.3f, 0.5f), 1);
  if (k >= 2) {
    // Twin side trails on the stronger shots.
    for (int s = -1; s <= 1; s += 2) {
      const float ty = cy + s * (hh + 1.6f);
      p.Add(col * 0.7f, Glow(TaperDist(x, y, head - 10 - 2 * k, ty, 0.2f, head - 2, ty, 0.9f), 0.8f));
    }
  }
  return Cap(p.c);
}

Rgb SpinShot(float x, float y, int frame) {
  const Rgb col{0.45f, 1.0f, 0.55f};
  const float d = StarDist(x, y, 10, 10, 4, 7.8f, 2.6f, frame * 22.5f);
  Px p;
  p.Add(Energy(d, 2.2f, col, 1.4f), 1);
  return Cap(p.c);
}

Rgb SeekerShot(float x, float y, int frame) {
  const Rgb col{1.0f, 0.62f, 0.2f};
  Px p;
  p.Add(Energy(CircleDist(x, y, 10, 10, 3.6f), 2.2f, col, 1.4f), 1);
  for (int i = 0; i < 3; ++i) {
    const float a = (frame * 30 + i * 120) * kDeg;
    p.Add(Energy(CircleDist(x, y, 10 + 6.5f * std::cos(a), 10 + 6.5f * std::sin(a), 1.4f), 1.0f, col, 1.0f), 1);
  }
  p.Add(col * 0.5f, Inside(std::fabs(std::hypot(x - 10, y - 10) - 6.5f) - 0.4f));
  return Cap(p.c);
}

// ---- Enemy bullets, texture 0: shape j, in colour col; local coordinates of the row.

Rgb SmallBullet(float x, float y, int j, Rgb col) {
  switch (j) {
    case 0: return Cap(Energy(CircleDist(x, y, 19, 19, 8), 5, col, 2.6f));
    case 1: return Cap(Energy(EllipseDist(x, y, 19, 10, 8.5f, 3.8f), 2.6f, col, 1.6f));
    case 2: return Cap(Energy(TaperDist(x, y, 9.5f, 19, 6.5f, 28.5f, 19, 6.5f), 4, col, 1.6f));
    case 3: {
      static const float needle[] = {6.5f, 10, 20, 7.2f, 31.5f, 10, 20, 12.8f};
      return Cap(Energy(PolygonDist(x, y, needle, 4), 1.4f, col, 1.4f));
    }
    case 4: return Cap(Energy(CircleDist(x, y, 19, 19, 4.5f), 2.8f, col, 2.2f));
    case 5: {
      const float r = std::hypot(x - 19, y - 19);
      Px p;
      p.Add(Energy(r - 8, 5, col, 1.8f, 0.5f), 1);
      p.Add(Energy(std::fabs(r - 13) - 1.6f, 1.0f, col, 1.4f, 0.6f), 1);
      return Cap(p.c);
    }
    case 6: {
      static const float kunai[] = {5, 7, 27, 18.5f, 5, 30, 10.5f, 18.5f};
      Px p;
      p.Add(Energy(PolygonDist(x, y, kunai, 4), 2.2f, col, 1.5f), 1);
      p.Add(Grey(1.0f), Inside(std::fabs(y - 18.5f) - 0.7f) * Inside(x - 24) * Inside(13 - x));
      return Cap(p.c);
    }
    case 7: {
      Px p;
      p.Add(Energy(StarDist(x, y, 19, 19, 5, 11, 5, 0), 2.6f, col, 1.8f), 1);
      p.Add(Grey(1.0f), Inside(CircleDist(x, y, 19, 19, 3)));
      return Cap(p.c);
    }
    default: return Cap(Energy(TaperDist(x, y, 5, 11.5f, 1.0f, 21, 11.5f, 7), 4, col, 1.6f));
  }
}

// ---- Large bullets, texture 2.

Rgb LargeBullet(float x, float y, int j, Rgb col) {
  const float r = std::hypot(x - 19, y - 19);
  const float a = std::atan2(y - 19, x - 19);
  Px p;
  switch (j) {
    case 0: p.Add(Energy(r - 10, 6, col, 2.6f), 1); break;
    case 1: p.Add(Energy(TaperDist(x, y, 3.5f, 19, 1.0f, 24, 19, 7.5f), 4.5f, col, 1.8f), 1); break;
    case 2: p.Add(Energy(TaperDist(x, y, 2.5f, 19, 0.8f, 30, 19, 5.6f), 3.5f, col, 1.5f), 1); break;
    case 3:
      p.Add(Energy(r - 6.5f, 4, col, 1.6f, 0.4f), 1);
      p.Add(Energy(std::fabs(r - 11) - 1.2f, 0.9f, col, 1.4f, 0.5f), 1);
      break;
    case 4:
      p.Add(Energy(std::fabs(r - 10) - 2.5f, 1.6f, col, 2.0f), 1);
      p.Add(col * 0.25f, Inside(r - 7.5f));
      break;
    case 5: p.Add(Energy(TaperDist(x, y, 9.5f, 19, 3.2f, 33, 19, 3.2f), 2, col, 1.5f), 1); break;
    case 6: {
      // Six-petal flower.
      float d = 1e9f;
      for (int i = 0; i < 6; ++i) {
        const float pa = (i * 60) * kDeg;
        d = std::min(d, EllipseDist(x, y, 19 + 8 * std::cos(pa), 19 + 8 * std::sin(pa), 5.5f, 5.5f));
      }
      p.Add(Energy(d, 2.5f, col, 1.6f), 1);
      p.Add(Grey(1), Inside(r - 4));
      break;
    }
    case 7:
      p.Add(Energy(StarDist(x, y, 19, 19, 6, 14, 7, 0), 3.2f, col, 1.8f), 1);
      break;
    case 8: {
      p.Add(Energy(r - 7, 4.5f, col, 1.8f), 1);
      const float flare = RaysDist(x, y, 19, 19, 4, 16, 1.8f, 45);
      p.Add(Mix(col, Grey(1), 0.5f), Glow(flare, 0.8f));
      break;
    }
    case 9:
      p.Add(Energy(r - 4.5f, 3, col, 1.2f, 0.5f), 1);
      p.Add(Energy(std::fabs(r - 9) - 1.2f, 0.9f, col, 1.2f, 0.5f), 1);
      p.Add(Energy(std::fabs(r - 14) - 1.3f, 0.9f, col, 1.4f, 0.5f), 1);
      break;
    case 10: {
      // Spiked orb.
      const float spikes = r - (10.5f + 2.8f * std::fabs(std::cos(a * 5)));
      p.Add(Energy(spikes, 5, col, 1.8f), 1);
      break;
    }
    default: {
      // Hexagonal crystal.
      float d = -1e9f;
      for (int i = 0; i < 6; ++i) {
        const float na = (i * 60 + 30) * kDeg;
        d = std::max(d, (x - 19) * std::cos(na) + (y - 19) * std::sin(na) - 11);
      }
      p.Add(Energy(d, 5, col, 1.8f), 1);
      p.Add(Grey(0.6f), Inside(std::fabs(std::fabs(d + 5.5f)) - 0.5f) * Inside(d));
      break;
    }
  }
  return Cap(p.c);
}

// ---- White effects.

Rgb HitSpark(float x, float y, int row, int f, float c) {
  const float t = f / 3.0f;
  const float fade = 1 - 0.55f * t;
  const float r = std::hypot(x - c, y - c);
  // Art stays inside this radius so the last, widest frame is not cut by the gutter.
  const float lim = c - 2.4f;
  Px p;
  switch (row) {
    case 336:
      p.Add(Grey(fade), Inside(RaysDist(x, y, c, c, 8, 4.5f + 3.8f * t, 1.3f - 0.5f * t, 22.5f * f, 2.5f * t)));
      p.Add(Grey(1), Glow(r - (2.2f - 1.6f * t), 1.0f) * (1 - 0.8f * t));
      break;
    case 337:
      p.Add(Grey(fade), Glow(std::fabs(r - (3.5f + 2.7f * f)) - (1.5f - 0.35f * f), 0.7f));
      p.Add(Grey(1), Glow(r - (2.5f - 2.0f * t), 1.2f) * (1 - t));
      break;
    case 338:
      p.Add(Grey(fade), Inside(StarDist(x, y, c, c, 4, 6 + 2.2f * f, 1.3f, 45 + 15 * f)));
      p.Add(Grey(1), Glow(r - 1.5f, 1.5f) * (1 - t));
      break;
    case 339:
      for (int i = 0; i < 6; ++i) {
        const float a = (i * 60 + 10 * f) * kDeg;
        const float sx = c + (3 + 2.6f * f) * std::cos(a), sy = c + (3 + 2.6f * f) * std::sin(a);
        float lx = x, ly = y;
        Rotate(lx, ly, sx, sy, -(i * 60 + 10 * f + 35 * f));
        static const float shard[] = {2.6f, 0, -1.6f, 1.3f, -1.6f, -1.3f};
        const float tri[] = {sx + shard[0], sy + shard[1], sx + shard[2], sy + shard[3], sx + shard[4], sy + shard[5]};
        p.Add(Grey(fade), Inside(PolygonDist(lx, ly, tri, 3)));
      }
      p.Add(Grey(1), Glow(r - 2, 1.3f) * (1 - t));
      break;
    case 340:
      p.Add(Grey(fade), Inside(RaysDist(x, y, c, c, 4, 5 + 2.4f * f, 1.1f, 0)));
      for (int i = 0; i < 8; ++i) {
        const float a = (i * 45 + 22.5f) * kDeg;
        const float d = 4 + 2.5f * f;
        p.Add(Grey(fade), Glow(CircleDist(x, y, c + d * std::cos(a), c + d * std::sin(a), 1.0f), 0.6f));
      }
      break;
    case 341:
      p.Add(Grey(fade), Glow(std::fabs(r - (2.5f + 2.0f * f)) - 0.9f, 0.7f));
      p.Add(Grey(fade), Inside(RaysDist(x, y, c, c, 4, 4 + 1.6f * f, 0.9f, 45, 1 + 2 * f)));
      break;
    default:
      for (int i = 0; i < 10; ++i) {
        const float a = (i * 36 + (i * 97 % 23)) * kDeg;
        const float d = (2.5f + 2.0f * f) * (0.75f + 0.05f * (i * 7 % 6));
        p.Add(Grey(fade), Glow(CircleDist(x, y, c + d * std::cos(a), c + d * std::sin(a), 1.0f - 0.15f * f), 0.5f));
      }
      break;
  }
  return Cap(p.c * Clamp01((lim - r) / 1.2f + 1));
}

Rgb GrazeStreak(float x, float y) {
  Px p;
  p.Add(Grey(0.8f), Glow(EllipseDist(x, y, 16, 16, 12.5f, 2.0f), 2.0f));
  p.Add(Grey(1), Inside(EllipseDist(x, y, 16, 16, 8, 0.9f)));
  return Cap(p.c);
}

Rgb SmallStar(float x, float y) {
  Px p;
  p.Add(Energy(StarDist(x, y, 16, 16, 4, 11, 2.4f, 0), 1.5f, Grey(0.85f), 1.3f, 0.45f), 1);
  return Cap(p.c);
}

Rgb LargeFlash(float x, float y) {
  const float r = std::hypot(x - 50, y - 50);
  Px p;
  p.Add(Grey(1), std::exp(-(r - 39) * (r - 39) / 14));
  p.Add(Grey(0.35f), std::exp(-r * r / 700));
  p.c = p.c * Clamp01((46.5f - r) / 3);
  return Cap(p.c);
}

// Unreferenced 10-frame fireball, coloured: hot and solid at first, then a cooling ring.
Rgb FireRamp(float temp) {
  if (temp > 0.7f) return Mix(Rgb{1, 0.85f, 0.35f}, Rgb{1, 1, 0.92f}, (temp - 0.7f) / 0.3f);
  if (temp > 0.4f) return Mix(Rgb{0.95f, 0.42f, 0.1f}, Rgb{1, 0.85f, 0.35f}, (temp - 0.4f) / 0.3f);
  return Mix(Rgb{0.3f, 0.06f, 0.04f}, Rgb{0.95f, 0.42f, 0.1f}, Clamp01(temp / 0.4f));
}

Rgb Explosion(float x, float y, int k) {
  const float cx = 22.5f, cy = 23;
  const float r = std::hypot(x - cx, y - cy), a = std::atan2(y - cy, x - cx);
  const float R = 9.5f + 1.1f * k;
  const float rough = 0.88f + 0.07f * std::sin(a * 5 + k) + 0.05f * std::sin(a * 11 - 2 * k);
  const float edge = R * rough;
  const float hole = R * std::pow(k / 10.0f, 1.5f);
  const float body = Clamp01((edge - r) / 2.5f) * Clamp01((r - hole) / 3 + (k < 2 ? 1.0f : 0.0f));
  const float temp = (1 - k / 10.5f) * (0.55f + 0.45f * Clamp01(1 - r / edge)) +
                     0.08f * std::sin(a * 7 + r * 0.8f + k);
  Px p;
  p.Add(FireRamp(temp), body);
  p.Add(Rgb{1, 0.5f, 0.15f}, Glow(r - edge, 1.8f) * 0.35f * (r > edge ? 1.0f : 0.0f) * (1 - k / 11.0f));
  return Cap(p.c);
}

// ---- Bomb art (grey levels; the game tints and fades it).

Rgb BombSpread(float x, float y, int f) {
  const float c = 18.8f;
  const float r = std::hypot(x - c, y - c), a = std::atan2(y - c, x - c) / kDeg;
  Px p;
  p.Add(Grey(1), Glow(r - 5.5f, 2.0f));
  // Three spiral arms.
  const float phase = std::fmod(a - r * 14 + f * 60 + 720, 120.0f);
  const float arm = std::fabs(phase - 60) / 60;  // 1 on the arm, 0 between arms
  p.Add(Grey(0.8f), Smooth(0.55f, 0.95f, arm) * Clamp01((15.5f - r) / 5) * Inside(r - 15.5f));
  p.Add(Grey(0.35f), Glow(r - 11, 3.0f) * Inside(r - 16));
  return Cap(p.c);
}

Rgb BombBeam(float x, float y, int f) {
  const float dy = std::fabs(y - 18.8f) * (1 + 0.12f * std::sin(x * 0.55f + f * 3.14159265f));
  Px p;
  p.Add(Grey(1), Smooth(5.5f, 2.5f, dy));
  p.Add(Grey(0.55f), std::exp(-dy * dy / 40));
  p.c = p.c * Clamp01((16.2f - std::fabs(y - 18.8f)) / 2.5f);
  return Cap(p.c);
}

Rgb BombBurst(float x, float y, int f) {
  const float c = 38.8f;
  const float r = std::hypot(x - c, y - c);
  Px p;
  p.Add(Grey(1), Glow(r - (9 + 3 * f), 4.0f));
  p.Add(Grey(0.85f), Glow(std::fabs(r - (24 + 6 * f)) - 2.5f, 2.0f) * Clamp01((34.5f - r) / 2));
  p.Add(Grey(0.7f), Inside(RaysDist(x, y, c, c, 12, 33, 2.2f, 15 * f, 6)));
  p.c = p.c * Clamp01((35.5f - r) / 2.5f);
  return Cap(p.c);
}

Rgb BombBlast(float x, float y, int f) {
  const float c = 18.8f;
  const float r = std::hypot(x - c, y - c), a = std::atan2(y - c, x - c);
  const float edge = 12.5f + 1.3f * std::sin(a * 7 + f * 2.1f) + 0.8f * std::sin(a * 13 - f);
  Px p;
  p.Add(Energy(r - edge, 6, Grey(0.7f), 1.6f, 0.5f), 1);
  return Cap(p.c);
}

Rgb RingFrame(float x, float y, int n) {
  const float c = 23.3f;
  const float r = std::hypot(x - c, y - c);
  const float radius = 4.5f + 1.05f * n, half = 2.4f - 0.11f * n;
  Px p;
  p.Add(Grey(1), Glow(std::fabs(r - radius) - half, 0.9f));
  // A faint wash just inside the ring, so it reads as a wave front rather than a hoop.
  p.Add(Grey(0.3f * (1 - n / 16.0f)), Inside(r - radius) * std::exp(-(radius - r) / 2.5f));
  p.c = p.c * Clamp01((20.8f - r) / 1.5f);
  return Cap(p.c);
}

}  // namespace

bool PaintEnergy(Canvas& c, const Frame& f) {
  const int row = f.row, fr = f.frame;
  Shader s;
  if (row >= 138 && row <= 142) {
    const int k = row - 138;
    const float w = f.w, h = f.h;
    s = [=](float x, float y) { return MainShot(x, y, k, w, h); };
  } else if (row == 143) {
    s = [=](float x, float y) { return SpinShot(x, y, fr); };
  } else if (row == 144) {
    s = [=](float x, float y) { return SeekerShot(x, y, fr); };
  } else if (row >= 160 && row <= 303) {
    const int j = (row - 160) / 16;
    const Rgb col = FromArgb(g_bulletColors[(row - 160) % 16]);
    s = [=](float x, float y) { return SmallBullet(x, y, j, col); };
  } else if (row >= 512 && row <= 703) {
    const int j = (row - 512) / 16;
    const Rgb col = FromArgb(g_bulletColors[(row - 512) % 16]);
    s = [=](float x, float y) { return LargeBullet(x, y, j, col); };
  } else if (row >= 336 && row <= 342) {
    const float cc = row == 336 ? 11.0f : (row <= 340 ? 15.0f : 12.0f);
    s = [=](float x, float y) { return HitSpark(x, y, row, fr, cc); };
  } else if (row == 343) {
    s = GrazeStreak;
  } else if (row == 344) {
    s = SmallStar;
  } else if (row == 345) {
    s = LargeFlash;
  } else if (row >= 346 && row <= 355) {
    s = [=](float x, float y) { return Explosion(x, y, row - 346); };
  } else if (row == 363 || row == 364) {
    s = [=](float x, float y) { return BombSpread(x, y, row - 363); };
  } else if (row == 365 || row == 366) {
    s = [=](float x, float y) { return BombBeam(x, y, row - 365); };
  } else if (row == 367 || row == 368) {
    s = [=](float x, float y) { return BombBurst(x, y, row - 367); };
  } else if (row == 369 || row == 370) {
    s = [=](float x, float y) { return BombBlast(x, y, row - 369); };
  } else if (row == 371) {
    s = [=](float x, float y) { return RingFrame(x, y, fr); };
  } else {
    return false;
  }
  Paint(c, f, s);
  return true;
}

bool PaintFrame(Canvas& c, const Frame& f) { return PaintText(c, f) || PaintCraft(c, f) || PaintEnergy(c, f); }

}  // namespace art
