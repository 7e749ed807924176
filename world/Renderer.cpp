#include "world/Renderer.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"
#include "frontend/MenuScreens.h"
#include "frontend/ReplayData.h"
#include "world/SpriteTable.h"
#include "world/TextDrawer.h"

namespace {

constexpr int BackgroundRow = 150;
constexpr int BackgroundTileSize = 60;
constexpr int BackgroundColumns = 7;
constexpr int BackgroundTiles = 63;
constexpr uint32_t BackgroundColor = 0xFF808080u;  // half brightness

constexpr int LauncherPointRow = 158;
constexpr int BalloonPointerRow = 310;
constexpr int BalloonUnderlineRow = 311;
constexpr int BalloonLabelRow = 312;
constexpr uint32_t BalloonColor = 0xC0FFFFFFu;

constexpr int ShotFirstBombKind = 9;
constexpr int ItemFirstOptionKind = 5;

struct SidePanel {
  float left, right;
  uint32_t colors[4];  // top-left, top-right, bottom-right, bottom-left
};
constexpr SidePanel SidePanels[2] = {
    {0.0f, 139.5f, {0xFF80C0FFu, 0xFFC0FFC0u, 0xFFF1B280u, 0xFFC080C0u}},
    {500.0f, 640.0f, {0xFFB2F1CDu, 0xFFC0FFC0u, 0xFFCD8E80u, 0xFFC0808Eu}},
};

struct ReplayKey {
  int input;
  const char* text;
  float x, y;
};
constexpr ReplayKey ReplayKeys[7] = {
    {InputShot, "Z", 22, 420},         {InputSlow, "X", 44, 420},         {InputBomb, "C", 66, 420},
    {InputLeft, "\xB1", 88, 420},      {InputRight, "\xB2", 110, 420},    {InputUp, "\xB3", 99, 400},
    {InputDown, "\xB4", 99, 440},
};
constexpr uint32_t ReplayKeyHeldColor = 0xFFA08040u;
constexpr uint32_t ReplayKeyIdleColor = 0xFF203050u;

// The one walk every list is drawn with, in list order; `keep` picks the objects of a pass.
template <class T, class Keep>
void DrawObjectList(Graphics* gfx, ScreenVertex q[4], const T* head, Keep keep) {
  for (const T* p = head; p; p = p->next) {
    if (keep(*p)) DrawObjectSprite(gfx, q, *p);
  }
}

template <class T>
void DrawObjectList(Graphics* gfx, ScreenVertex q[4], const T* head) {
  DrawObjectList(gfx, q, head, [](const T&) { return true; });
}

void DrawBackground(Graphics* gfx, ScreenVertex q[4], const Player& player) {
  for (int i = 0; i < BackgroundTiles; ++i) {
    const int column = i % BackgroundColumns;
    const int row = i / BackgroundColumns;
    const float left = static_cast<float>(BackgroundTileSize * column) - player.scrollPhaseX + PlayfieldScreenX;
    const float top = static_cast<float>(BackgroundTileSize * row) - player.scrollPhaseY;
    // The row's texture coordinates and colour, laid by hand at 60 x 60 so the tiles meet.
    BuildSpriteQuad(q, BackgroundRow, 0.0f, 0.0f, BackgroundColor);
    q[0].x = left;
    q[0].y = top;
    q[1].x = left + BackgroundTileSize;
    q[1].y = top;
    q[2].x = left + BackgroundTileSize;
    q[2].y = top + BackgroundTileSize;
    q[3].x = left;
    q[3].y = top + BackgroundTileSize;
    DrawCheckedQuad(gfx, g_spriteDefs[BackgroundRow].texture, q);
  }
}

void DrawEnemies(Graphics* gfx, ScreenVertex q[4], const EnemyList& enemies) {
  // Indexed by the launcher's mode: 0 point, 1 barrel.
  SpriteRecord launcherSprites[2];
  for (int m = 0; m < 2; ++m) {
    SetSpriteFromTable(launcherSprites[m], LauncherPointRow + m);
    launcherSprites[m].colorMode = SpriteColorSingle;
  }
  for (const Enemy* e = enemies.head; e; e = e->next) {
    DrawObjectSprite(gfx, q, *e);
    const int count = ClampInt(e->launcherCount, 0, kEnemyLauncherMax);
    for (int i = 0; i < count; ++i) {
      const EnemyLauncher& l = e->launchers[i];
      if (l.mode != LauncherPoint && l.mode != LauncherBarrel) continue;  // no record for it
      SpriteRecord& r = launcherSprites[l.mode];
      r.scaleX = l.scale;
      r.scaleY = l.scale;
      r.colors[0] = l.tint;
      const float facing = l.mode == LauncherBarrel ? l.aimAngle : e->facing;
      BuildRotatedSpriteQuad(q, l.x, l.y, facing, r);
      DrawCheckedQuad(gfx, 0, q);
    }
  }
}

void DrawShots(Graphics* gfx, ScreenVertex q[4], const ShotList& shots) {
  DrawObjectList(gfx, q, shots.head, [](const PlayerShot& s) { return s.kind < ShotFirstBombKind; });
  gfx->SetBlendMode(BlendAdditive);  // the bomb kinds glow
  DrawObjectList(gfx, q, shots.head, [](const PlayerShot& s) { return s.kind >= ShotFirstBombKind; });
}

void DrawItems(Graphics* gfx, ScreenVertex q[4], const ItemList& items) {
  for (const Item* it = items.head; it; it = it->next) {
    DrawObjectSprite(gfx, q, *it);
    if (it->kind >= ItemFirstOptionKind) {
      gfx->SetFilterNone();
      DrawOptionItemBalloon(gfx, q, *it);
      gfx->SetFilterLinear();
    }
  }
}

void DrawSidePanels(Graphics* gfx, ScreenVertex q[4]) {
  gfx->SetBlendMode(BlendAlpha);
  for (const SidePanel& p : SidePanels) {
    const float xs[4] = {p.left, p.right, p.right, p.left};
    const float ys[4] = {0.0f, 0.0f, 480.0f, 480.0f};
    const float us[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    const float vs[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
      q[i].x = xs[i];
      q[i].y = ys[i];
      q[i].z = 0.0f;
      q[i].color = p.colors[i];
      q[i].u = us[i];
      q[i].v = vs[i];
    }
    DrawCheckedQuad(gfx, -1, q);
  }
}

// A stock as icons: the glyph `count` times while count is below `repeatBelow`, otherwise one
// glyph and the count in two digits. A count of 0 (or less) gives an empty text.
void FormatStock(char* out, size_t size, unsigned char glyph, int count, int repeatBelow) {
  if (count < repeatBelow) {
    size_t n = 0;
    for (int i = 0; i < count && n + 1 < size; ++i) out[n++] = static_cast<char>(glyph);
    out[n] = '\0';
  } else {
    std::snprintf(out, size, "%c%02d", static_cast<char>(glyph), count);
  }
}

// Bright (0xFF) or dim (0x80) colour bytes of an option type's name on the HUD.
uint32_t OptionNameColor(int type, int alpha) {
  uint32_t r = 0x80, g = 0x80, b = 0x80;
  if (type >= 0) {
    const int c = type % 6;
    if (c >= 2 && c <= 4) r = 0xFF;
    if (c % 2 == 1) g = 0xFF;
    if (c == 0 || c == 4 || c == 5) b = 0xFF;
  }
  return (static_cast<uint32_t>(alpha) << 24) | (r << 16) | (g << 8) | b;
}

void DrawHud(Graphics* gfx, const Player& p) {
  char text[256];
  std::snprintf(text, sizeof text, "SC:%04d", p.scoreHigh);
  DrawText(gfx, 0, text, 0, 0, 0xFFFFFFFFu);
  std::snprintf(text, sizeof text, "%08d", p.scoreLow);
  DrawText(gfx, 0, text, 77, 0, 0xFFFFFFFFu);
  std::snprintf(text, sizeof text, "HI:%04d", p.shownHighScoreHigh);
  DrawText(gfx, 0, text, 187, 0, 0xFFFFFFFFu);
  std::snprintf(text, sizeof text, "%08d", p.shownHighScoreLow);
  DrawText(gfx, 0, text, 264, 0, 0xFFFFFFFFu);

  FormatStock(text, sizeof text, GlyphLife, p.lives, 6);
  DrawText(gfx, 0, text, 0, 18, 0xFFA0FF70u);
  FormatStock(text, sizeof text, GlyphShield, p.shields, 8);
  DrawText(gfx, 0, text, 55, 18, 0xFF6090FFu);
  std::snprintf(text, sizeof text, "%04d", p.gauge);
  DrawText(gfx, 0, text, 154, 18, 0xFFD040E0u);
  DrawText(gfx, 0, "/", 198, 18, 0xFFFFFFFFu);
  std::snprintf(text, sizeof text, "%04d", p.gaugeMax);
  DrawText(gfx, 0, text, 209, 18, 0xFF40D0E0u);
  std::snprintf(text, sizeof text, "FPS %02d/%02d", MinInt(g_fpsMeasured, 99), MinInt(g_targetFps, 99));
  DrawText(gfx, 0, text, 253, 18, 0xFFFFFFFFu);

  // The bottom line fades to a quarter while the ship is below y 380.
  const int alpha = ClampInt(255 - FloatToInt((p.y - 380.0f) * 255.0f / 80.0f), 64, 255);
  FormatStock(text, sizeof text, GlyphBomb, p.bombs, 7);
  DrawText(gfx, 0, text, 0, 460, (static_cast<uint32_t>(alpha) << 24) | 0x00FFB040u);

  if (g_scene < SceneGameEnd) {
    const int type = p.optionCount > 0 ? p.optionType : -1;
    // A type outside the name table (a damaged replay or switch) shows no name.
    if (type >= -1 && type + 1 < static_cast<int>(sizeof g_optionTypeNames / sizeof g_optionTypeNames[0])) {
      DrawText(gfx, 0, g_optionTypeNames[type + 1], 90, 460, OptionNameColor(type, alpha));
    }
  }
}

void DrawReplayKeys(Graphics* gfx) {
  gfx->SetBlendMode(BlendAdditive);
  for (const ReplayKey& k : ReplayKeys) {
    const uint32_t color = g_gameInput[k.input] == 1 ? ReplayKeyHeldColor : ReplayKeyIdleColor;
    DrawText(gfx, 0, k.text, k.x, k.y, color);
  }
}

void DrawSceneScreen(Graphics* gfx, GameWorld* world) {
  switch (g_scene) {
    case SceneTitle: DrawTitleScreen(gfx, world); break;
    case SceneConfig: DrawConfigScreen(gfx, world); break;
    case SceneResult: DrawResultDialog(gfx, world); break;
    default: break;
  }
}

}  // namespace

bool QuadIsDrawable(const ScreenVertex q[4]) {
  for (int i = 0; i < 4; ++i) {
    if (!(std::fabs(q[i].x) <= QuadCoordinateLimit) || !(std::fabs(q[i].y) <= QuadCoordinateLimit)) return false;
  }
  return true;
}

void DrawCheckedQuad(Graphics* gfx, int texture, ScreenVertex q[4]) {
  if (!QuadIsDrawable(q)) return;
  gfx->DrawQuad(texture >= 0 && texture <= 2 ? texture : -1, q);
}

void DrawObjectSprite(Graphics* gfx, ScreenVertex q[4], const GameObject& obj) {
  BuildRotatedSpriteQuad(q, obj.x, obj.y, obj.facing, obj.sprite);
  DrawCheckedQuad(gfx, obj.sprite.texture, q);
}

void DrawOptionItemBalloon(Graphics* gfx, ScreenVertex q[4], const Item& item) {
  const float width = item.labelWidth;
  SpriteRecord label;
  SetSpriteFromTable(label, BalloonLabelRow);
  label.scaleX = 1.1f;
  label.scaleY = 1.1f;
  // One name per option type, stacked 13 pixels apart in the atlas.
  label.srcV = 61.15f + 13.0f * static_cast<float>(item.kind - ItemFirstOptionKind);
  label.srcWidth = width - 0.7f;
  label.colorMode = SpriteColorSingle;
  label.colors[0] = BalloonColor;

  const float by = FloorF(item.y - 36.0f);
  float labelX;
  if (item.x + width < 320.0f) {
    const float bx = FloorF(item.x + 24.0f);
    BuildSpriteQuad(q, BalloonPointerRow, bx, by, BalloonColor);
    DrawCheckedQuad(gfx, 0, q);
    BuildSpriteQuad(q, BalloonUnderlineRow, bx, by, BalloonColor);
    q[1].x = q[2].x = FloorF(q[0].x + width);
    DrawCheckedQuad(gfx, 0, q);
    labelX = bx;
  } else {
    const float bx = FloorF(item.x - 24.0f);
    BuildSpriteQuad(q, BalloonPointerRow, bx, by, BalloonColor);
    const float left = q[0].x;  // mirrored: its left and right x swapped
    q[0].x = q[3].x = q[1].x;
    q[1].x = q[2].x = left;
    DrawCheckedQuad(gfx, 0, q);
    BuildSpriteQuad(q, BalloonUnderlineRow, bx - width - 8.7f, by, BalloonColor);
    q[1].x = q[2].x = q[0].x + width;
    DrawCheckedQuad(gfx, 0, q);
    labelX = bx - width;
  }
  BuildRotatedSpriteQuad(q, labelX, by - 13.0f, 0.0f, label);
  DrawCheckedQuad(gfx, 1, q);
}

void RenderFrame(Graphics* gfx, GameWorld* world) {
  if (!gfx->FrameIsDrawn()) return;
  ScreenVertex q[4];
  for (ScreenVertex& v : q) {
    v.z = 1.0f;
    v.rhw = 1.0f;
  }
  Player& player = world->player;

  gfx->SetFilterNone();
  gfx->SetBlendMode(BlendOpaque);
  DrawBackground(gfx, q, player);

  gfx->SetBlendMode(BlendAlpha);
  DrawEnemies(gfx, q, world->enemies);

  gfx->SetFilterLinear();
  gfx->SetBlendMode(BlendAlpha);
  DrawShots(gfx, q, world->shots);

  gfx->SetBlendMode(BlendAlpha);
  DrawItems(gfx, q, world->items);

  gfx->SetFilterNone();
  DrawObjectList(gfx, q, player.optionHead);
  if (g_scene < SceneGameEnd) DrawObjectSprite(gfx, q, player);

  // Linear from here on: the HUD, the screens and the overlay are drawn filtered.
  gfx->SetFilterLinear();
  gfx->SetBlendMode(BlendAdditive);
  DrawObjectList(gfx, q, world->bullets.head);
  DrawObjectList(gfx, q, world->effects.head);

  if (g_rotateScreen == 0) DrawSidePanels(gfx, q);

  gfx->SetBlendMode(BlendAlpha);
  if (g_scene < SceneTitle) DrawHud(gfx, player);

  if (g_scene < SceneTitle && g_replayPlayback) DrawReplayKeys(gfx);

  DrawSceneScreen(gfx, world);

  if (g_hitErrorFlags != 0) {
    const std::string text = BuildHitErrorText(g_hitErrorFlags);
    DrawText(gfx, 0, text.c_str(), 0, 100, 0xFFFF0000u);
  }
}
