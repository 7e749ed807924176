// The frame renderer and the text drawer, checked at the level of the quads they hand to
// Graphics::DrawQuad (the recording graphics backend keeps every draw with its blend mode and
// filter).

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/FrameLoop.h"
#include "platform/Graphics.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/GameWorld.h"
#include "world/ObjectList.h"
#include "world/Renderer.h"
#include "frontend/MenuScreens.h"
#include "frontend/ReplayData.h"
#include "world/SpriteTable.h"
#include "world/TextDrawer.h"

namespace {

// A glyph as drawn: its font row, the playfield position of its top-left corner and its colour.
struct Glyph {
  int row;
  float x, y;
  uint32_t color;
  bool operator==(const Glyph& o) const { return row == o.row && x == o.x && y == o.y && color == o.color; }
};

std::ostream& operator<<(std::ostream& os, const Glyph& g) {
  return os << "{row " << g.row << " at " << g.x << "," << g.y << " 0x" << std::hex << g.color << std::dec << "}";
}

// The font row whose texture origin and 12 x 19 size the quad shows, or -1.
int GlyphRowOf(const RecordedCall& d) {
  if (d.v[1].x - d.v[0].x != 12.0f || d.v[3].y - d.v[0].y != 19.0f) return -1;
  for (int row = 0; row < 126; ++row) {
    const SpriteDef& s = g_spriteDefs[row];
    if (d.v[0].u == s.srcU / 639.0f && d.v[0].v == s.srcV / 479.0f) return row;
  }
  return -1;
}

uint32_t ShadowOf(uint32_t argb) { return (argb & 0xFF000000u) | ((argb >> 1) & 0x007F7F7Fu); }

// Every glyph in draw order. Each one must come right after its shadow (one pixel down and
// right, half brightness, the same row and texture).
std::vector<Glyph> DecodeGlyphs(const std::vector<RecordedCall>& draws) {
  std::vector<Glyph> out;
  for (size_t i = 0; i < draws.size(); ++i) {
    const int row = GlyphRowOf(draws[i]);
    if (row < 0) continue;
    EXPECT_LT(i + 1, draws.size());
    if (i + 1 >= draws.size()) break;
    const RecordedCall& shadow = draws[i];
    const RecordedCall& glyph = draws[i + 1];
    EXPECT_EQ(GlyphRowOf(glyph), row);
    EXPECT_EQ(shadow.v[0].x, glyph.v[0].x + 1.0f);
    EXPECT_EQ(shadow.v[0].y, glyph.v[0].y + 1.0f);
    EXPECT_EQ(shadow.v[0].color, ShadowOf(glyph.v[0].color));
    EXPECT_EQ(glyph.slot, g_spriteDefs[row].texture);
    out.push_back({row, glyph.v[0].x - 140.0f, glyph.v[0].y, glyph.v[0].color});
    ++i;
  }
  return out;
}

// What one line of text is expected to draw: printable bytes from font rows 0..95, bytes
// 0xB1.. from rows 96.., spaces advance without drawing.
void ExpectText(std::vector<Glyph>& out, float x, float y, uint32_t color, const std::string& text) {
  for (size_t k = 0; k < text.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    const int row = c >= 0xB1 ? c - 0xB1 + 96 : c - 32;
    if (row != 0) out.push_back({row, x + 11.0f * static_cast<float>(k), y, color});
  }
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    SelectGraphicsBackend(GraphicsBackendRecording);
    g_graphicsRecorder.Clear();
    ASSERT_EQ(gfx.CreateDirect3D(), 0);
    ASSERT_EQ(gfx.CreateDevice(nullptr, 0, 0), 0);
    world = std::make_unique<GameWorld>();
    g_scene = SceneGame;
    g_rotateScreen = 0;
    g_replayPlayback = 0;
    g_hitErrorFlags = 0;
    g_fpsMeasured = 59;
    g_targetFps = 60;
    std::memset(g_gameInput, 0, sizeof g_gameInput);
  }
  void TearDown() override { g_rotateScreen = 0; }

  std::vector<RecordedCall> Draw() {
    g_graphicsRecorder.calls.clear();
    EXPECT_TRUE(gfx.BeginFrame());
    RenderFrame(&gfx, world.get());
    gfx.EndFrame();
    return g_graphicsRecorder.Draws();
  }
  // The frame without the draws of the scene's own screen (the menus and the result dialog
  // draw between the replay keys and the error overlay): what the renderer itself adds.
  std::vector<RecordedCall> DrawWithoutScreen() {
    std::vector<RecordedCall> frame = Draw();
    g_graphicsRecorder.calls.clear();
    EXPECT_TRUE(gfx.BeginFrame());
    if (g_scene == SceneTitle) DrawTitleScreen(&gfx, world.get());
    if (g_scene == SceneConfig) DrawConfigScreen(&gfx, world.get());
    if (g_scene == SceneResult) DrawResultDialog(&gfx, world.get());
    gfx.EndFrame();
    const std::vector<RecordedCall> screen = g_graphicsRecorder.Draws();
    const auto same = [](const RecordedCall& a, const RecordedCall& b) {
      return a.slot == b.slot && a.v[0].x == b.v[0].x && a.v[0].y == b.v[0].y && a.v[0].color == b.v[0].color;
    };
    for (size_t i = frame.size() + 1; screen.size() > 0 && i-- > screen.size();) {
      const size_t at = i - screen.size();
      bool match = true;
      for (size_t k = 0; k < screen.size() && match; ++k) match = same(frame[at + k], screen[k]);
      if (match) {
        frame.erase(frame.begin() + static_cast<long>(at), frame.begin() + static_cast<long>(i));
        break;
      }
    }
    return frame;
  }
  std::vector<RecordedCall> DrawTextOnly(const char* text, float x, float y, uint32_t argb) {
    g_graphicsRecorder.calls.clear();
    EXPECT_TRUE(gfx.BeginFrame());
    DrawText(&gfx, 0, text, x, y, argb);
    gfx.EndFrame();
    return g_graphicsRecorder.Draws();
  }
  // Draws whose top-left vertex has this colour (objects are told apart by their tint).
  static std::vector<RecordedCall> WithColor(const std::vector<RecordedCall>& draws, uint32_t color) {
    std::vector<RecordedCall> out;
    for (const RecordedCall& d : draws)
      if (d.v[0].color == color) out.push_back(d);
    return out;
  }
  static int IndexOfColor(const std::vector<RecordedCall>& draws, uint32_t color) {
    for (size_t i = 0; i < draws.size(); ++i)
      if (draws[i].v[0].color == color) return static_cast<int>(i);
    return -1;
  }

  Graphics gfx;
  std::unique_ptr<GameWorld> world;
};

void Tint(GameObject* o, float x, float y, uint32_t color) {
  o->x = x;
  o->y = y;
  o->sprite.colorMode = SpriteColorSingle;
  o->sprite.colors[0] = color;
}

TEST_F(RenderTest, TextAdvanceLineFeedAndGlyphRows) {
  // A, line feed, B; a space advances without drawing; 0x80 neither draws nor advances; the
  // extra glyphs read their bytes as unsigned.
  const struct {
    const char* text;
    std::vector<Glyph> glyphs;
  } cases[] = {
      {"A\nB", {{33, 10, 20, 0xFF204060u}, {34, 10, 38, 0xFF204060u}}},
      {"A B", {{33, 10, 20, 0xFF204060u}, {34, 32, 20, 0xFF204060u}}},
      {"A\x80" "B", {{33, 10, 20, 0xFF204060u}, {34, 21, 20, 0xFF204060u}}},
      {"\x7F\xB1\xB6\xCE\xCF\xB0~", {{95, 10, 20, 0xFF204060u}, {96, 21, 20, 0xFF204060u},
                                      {101, 32, 20, 0xFF204060u}, {125, 43, 20, 0xFF204060u},
                                      {94, 54, 20, 0xFF204060u}}},
      {"\n\n  x", {{88, 32, 56, 0xFF204060u}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DecodeGlyphs(DrawTextOnly(c.text, 10, 20, 0xFF204060u)), c.glyphs);
  }
  // The shadow keeps the alpha and halves each byte (checked by the decoder as well).
  const auto draws = DrawTextOnly("W", 0, 0, 0x80FF8103u);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].v[0].color, 0x807F4001u);
  // No text is read past 256 bytes, terminated or not.
  std::string longText(300, 'A');
  EXPECT_EQ(DrawTextOnly(longText.c_str(), 0, 0, 0xFFFFFFFFu).size(), 2u * 256u);
}

TEST_F(RenderTest, ListsInTheirOrderWithTheirBlendModesAndFilters) {
  // One tinted object of every kind, created in a shuffled order so that only the renderer's
  // order can put them in sequence.
  Effect* effect = new Effect(0, &world->effects.head, &world->effects.tail, &world->effects.count, 10, 10, 0, 0, 5);
  Tint(effect, 50, 50, 0xFF000009u);
  EnemyBullet* bullet = ConstructEnemyBullet(0, 0, 0, &world->bullets.head, &world->bullets.tail,
                                             &world->bullets.count, 60, 60, 0, 0, 1, 1);
  Tint(bullet, 60, 60, 0xFF000008u);

  auto* enemy = new Enemy();
  world->enemies.head = world->enemies.tail = enemy;
  world->enemies.count = 1;
  enemy->SetObjectSprite(152);
  Tint(enemy, 100, 100, 0xFF000001u);
  enemy->facing = 30;
  enemy->launcherCount = 2;
  enemy->launchers[0] = {0, LauncherBarrel, 0xFF000002u, 110, 100, 0, 10, 2.0f, 45};
  enemy->launchers[1] = {1, LauncherPoint, 0xFF000003u, 90, 100, 180, 10, 1.0f, 180};

  auto addShot = [&](int kind, uint32_t color) {
    auto* s = new PlayerShot();
    ListAppendAtTail(&world->shots.head, &world->shots.tail, s);
    world->shots.count++;
    s->kind = kind;
    s->SetObjectSprite(138);
    Tint(s, 120, 300, color);
  };
  addShot(9, 0xFF000005u);  // a bomb kind, listed first but drawn after the plain shot
  addShot(0, 0xFF000004u);

  auto addItem = [&](int kind, uint32_t color) {
    auto* it = new Item();
    ListAppendAtTail(&world->items.head, &world->items.tail, it);
    world->items.count++;
    it->kind = kind;
    it->labelWidth = 40;
    it->SetObjectSprite(304 + (kind < 5 ? kind : 5));
    Tint(it, 150, 200, color);
  };
  addItem(5, 0xFF000006u);
  addItem(0, 0xFF000016u);

  auto* option = new Option();
  ListAppendAtTail(&world->player.optionHead, &world->player.optionTail, option);
  world->player.optionCount = 1;
  option->SetObjectSprite(128);
  Tint(option, 170, 380, 0xFF000007u);
  Tint(&world->player, 180, 400, 0xFF00000Au);

  const auto draws = Draw();
  // The 63 background tiles come first, opaque and unfiltered.
  ASSERT_GE(draws.size(), 63u);
  for (int i = 0; i < 63; ++i) {
    EXPECT_EQ(draws[i].v[0].color, 0xFF808080u);
    EXPECT_EQ(draws[i].blendMode, BlendOpaque);
    EXPECT_EQ(draws[i].filter, TextureFilterNone);
  }
  const struct {
    uint32_t color;
    int blend;
    TextureFilter filter;
  } order[] = {
      {0xFF000001u, BlendAlpha, TextureFilterNone},        // enemy
      {0xFF000002u, BlendAlpha, TextureFilterNone},        // its barrel
      {0xFF000003u, BlendAlpha, TextureFilterNone},        // its point
      {0xFF000004u, BlendAlpha, TextureFilterLinear},      // plain shot
      {0xFF000005u, BlendAdditive, TextureFilterLinear},   // bomb shot
      {0xFF000006u, BlendAlpha, TextureFilterLinear},      // option item
      {0xC0FFFFFFu, BlendAlpha, TextureFilterNone},        // its balloon
      {0xFF000016u, BlendAlpha, TextureFilterLinear},      // power item, filter back to linear
      {0xFF000007u, BlendAlpha, TextureFilterNone},        // option
      {0xFF00000Au, BlendAlpha, TextureFilterNone},        // player
      {0xFF000008u, BlendAdditive, TextureFilterLinear},   // enemy bullet
      {0xFF000009u, BlendAdditive, TextureFilterLinear},   // effect
      {0xFF80C0FFu, BlendAlpha, TextureFilterLinear},      // left side panel
  };
  int last = 62;
  for (const auto& o : order) {
    SCOPED_TRACE(o.color);
    const int i = IndexOfColor(draws, o.color);
    ASSERT_GT(i, last);
    EXPECT_EQ(draws[i].blendMode, o.blend);
    EXPECT_EQ(draws[i].filter, o.filter);
    last = i;
  }
  // Launchers: the record of their mode, scaled by the launcher, a barrel turned to its aim,
  // a point to the enemy's facing, from the first atlas.
  const struct {
    int launcher;
    int row;
  } launchers[] = {{0, 159}, {1, 158}};
  for (const auto& l : launchers) {
    const EnemyLauncher& el = enemy->launchers[l.launcher];
    SpriteRecord r;
    SetSpriteFromTable(r, l.row);
    r.scaleX = r.scaleY = el.scale;
    r.colorMode = SpriteColorSingle;
    r.colors[0] = el.tint;
    ScreenVertex want[4];
    BuildRotatedSpriteQuad(want, el.x, el.y, el.mode == LauncherBarrel ? el.aimAngle : enemy->facing, r);
    const auto got = WithColor(draws, el.tint);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].slot, 0);
    for (int k = 0; k < 4; ++k) {
      EXPECT_FLOAT_EQ(got[0].v[k].x, want[k].x);
      EXPECT_FLOAT_EQ(got[0].v[k].y, want[k].y);
    }
  }
  // Objects of every list are drawn as their sprite record says.
  ScreenVertex want[4];
  BuildRotatedSpriteQuad(want, enemy->x, enemy->y, enemy->facing, enemy->sprite);
  const auto got = WithColor(draws, 0xFF000001u);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].slot, enemy->sprite.texture);
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(got[0].v[k].x, want[k].x);
    EXPECT_FLOAT_EQ(got[0].v[k].u, want[k].u);
  }
}

// A frame begun with drawing suspended gets nothing from the renderer, not even a texture bind.
TEST_F(RenderTest, SuspendedFramesSendNothing) {
  EXPECT_FALSE(Draw().empty());
  SetGraphicsDrawingSuspended(true);
  Draw();
  SetGraphicsDrawingSuspended(false);
  EXPECT_TRUE(g_graphicsRecorder.calls.empty());
}

TEST_F(RenderTest, BackgroundTilesScrollAt60Pixels) {
  world->player.scrollPhaseX = 12.5f;
  world->player.scrollPhaseY = 30.0f;
  const auto draws = Draw();
  const SpriteDef& row = g_spriteDefs[150];
  const int probes[] = {0, 6, 7, 62};
  for (int i : probes) {
    SCOPED_TRACE(i);
    const RecordedCall& d = draws[i];
    const float left = 60.0f * static_cast<float>(i % 7) - 12.5f + 140.0f;
    const float top = 60.0f * static_cast<float>(i / 7) - 30.0f;
    EXPECT_EQ(d.slot, row.texture);
    EXPECT_FLOAT_EQ(d.v[0].x, left);
    EXPECT_FLOAT_EQ(d.v[0].y, top);
    EXPECT_FLOAT_EQ(d.v[2].x, left + 60.0f);
    EXPECT_FLOAT_EQ(d.v[2].y, top + 60.0f);
    EXPECT_FLOAT_EQ(d.v[0].u, row.srcU / 639.0f);
    EXPECT_FLOAT_EQ(d.v[2].v, row.srcHeight / 479.0f + row.srcV / 479.0f);
  }
}

TEST_F(RenderTest, HudTextsAndPositions) {
  Player& p = world->player;
  p.scoreHigh = 12;
  p.scoreLow = 3456789;
  p.shownHighScoreHigh = 0;
  p.shownHighScoreLow = 98765432;
  p.shields = 3;
  p.gauge = 250;
  p.gaugeMax = 1000;
  p.y = 400;  // alpha 255 - trunc(20 * 255 / 80) = 192
  p.optionCount = 2;
  p.optionType = 4;
  g_fpsMeasured = 120;
  const struct {
    int lives, bombs;
    std::string livesText, bombsText;
  } stocks[] = {
      {5, 2, "\xB6\xB6\xB6\xB6\xB6", "\xB8\xB8"},
      {6, 7, "\xB6" "06", "\xB8" "07"},
      {0, 0, "", ""},
      {-1, 6, "", "\xB8\xB8\xB8\xB8\xB8\xB8"},
  };
  for (const auto& s : stocks) {
    SCOPED_TRACE(s.lives);
    p.lives = s.lives;
    p.bombs = s.bombs;
    std::vector<Glyph> want;
    ExpectText(want, 0, 0, 0xFFFFFFFFu, "SC:0012");
    ExpectText(want, 77, 0, 0xFFFFFFFFu, "03456789");
    ExpectText(want, 187, 0, 0xFFFFFFFFu, "HI:0000");
    ExpectText(want, 264, 0, 0xFFFFFFFFu, "98765432");
    ExpectText(want, 0, 18, 0xFFA0FF70u, s.livesText);
    ExpectText(want, 55, 18, 0xFF6090FFu, "\xB7\xB7\xB7");
    ExpectText(want, 154, 18, 0xFFD040E0u, "0250");
    ExpectText(want, 198, 18, 0xFFFFFFFFu, "/");
    ExpectText(want, 209, 18, 0xFF40D0E0u, "1000");
    ExpectText(want, 253, 18, 0xFFFFFFFFu, "FPS 99/60");
    ExpectText(want, 0, 460, 0xC0FFB040u, s.bombsText);
    ExpectText(want, 90, 460, 0xC0FF80FFu, "[OP-NORMAL] Mass");
    EXPECT_EQ(DecodeGlyphs(Draw()), want);
  }
  // Eight shields show one icon and the count; the bottom line stays at a quarter far down.
  p.lives = 0;
  p.bombs = 0;
  p.shields = 8;
  p.y = 470;
  p.optionCount = 0;
  std::vector<Glyph> want;
  ExpectText(want, 0, 0, 0xFFFFFFFFu, "SC:0012");
  ExpectText(want, 77, 0, 0xFFFFFFFFu, "03456789");
  ExpectText(want, 187, 0, 0xFFFFFFFFu, "HI:0000");
  ExpectText(want, 264, 0, 0xFFFFFFFFu, "98765432");
  ExpectText(want, 55, 18, 0xFF6090FFu, "\xB7" "08");
  ExpectText(want, 154, 18, 0xFFD040E0u, "0250");
  ExpectText(want, 198, 18, 0xFFFFFFFFu, "/");
  ExpectText(want, 209, 18, 0xFF40D0E0u, "1000");
  ExpectText(want, 253, 18, 0xFFFFFFFFu, "FPS 99/60");
  ExpectText(want, 90, 460, 0x40808080u, "[OP-NOTHING]");
  EXPECT_EQ(DecodeGlyphs(Draw()), want);
}

TEST_F(RenderTest, OptionNameColours) {
  const struct {
    int type;
    uint32_t rgb;
  } cases[] = {
      {0, 0x8080FF}, {1, 0x80FF80}, {2, 0xFF8080}, {3, 0xFFFF80}, {4, 0xFF80FF}, {5, 0x80FFFF}, {23, 0x80FFFF},
  };
  world->player.y = 300;
  world->player.optionCount = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    world->player.optionType = c.type;
    const auto glyphs = DecodeGlyphs(Draw());
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs.back().color, 0xFF000000u | c.rgb);
    EXPECT_EQ(glyphs.back().y, 460.0f);
  }
  // A type outside the name table shows no name and reads nothing beyond it.
  for (int bad : {24, 1000, -7}) {
    world->player.optionType = bad;
    for (const Glyph& g : DecodeGlyphs(Draw())) EXPECT_FALSE(g.y == 460.0f && g.x >= 90.0f) << bad;
  }
}

TEST_F(RenderTest, SceneDecidesPlayerAndHud) {
  Tint(&world->player, 180, 400, 0xFF00000Au);
  auto* e = new Enemy();
  world->enemies.head = world->enemies.tail = e;
  world->enemies.count = 1;
  e->SetObjectSprite(152);
  Tint(e, 100, 100, 0xFF000001u);
  const struct {
    int scene;
    bool player, hud;
  } cases[] = {
      {SceneGame, true, true}, {SceneGameEnd, false, true}, {SceneTitle, false, false},
      {SceneConfig, false, false}, {SceneResult, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scene);
    g_scene = c.scene;
    const auto draws = DrawWithoutScreen();
    EXPECT_EQ(WithColor(draws, 0xFF00000Au).size(), c.player ? 1u : 0u);
    EXPECT_EQ(WithColor(draws, 0xFF000001u).size(), 1u);  // objects in the lists are always drawn
    EXPECT_EQ(DecodeGlyphs(draws).empty(), !c.hud);
  }
  // The option name belongs to play only.
  g_scene = SceneGameEnd;
  for (const Glyph& g : DecodeGlyphs(Draw())) EXPECT_FALSE(g.y == 460.0f && g.x >= 90.0f);
}

TEST_F(RenderTest, OptionItemBalloonGoesRightOrLeft) {
  const struct {
    float x, y, width;
    int kind;
    bool right;
  } cases[] = {
      {100.4f, 200.6f, 32.0f, 5, true},
      {300.0f, 200.0f, 32.0f, 8, false},  // 300 + 32 is not below 320
      {283.4f, 150.0f, 36.5f, 28, true},   // a fractional width shows where the line end is floored
      {290.0f, 150.0f, 36.5f, 6, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    world->items.Clear();
    auto* it = new Item();
    ListAppendAtTail(&world->items.head, &world->items.tail, it);
    world->items.count = 1;
    it->kind = c.kind;
    it->labelWidth = c.width;
    it->SetObjectSprite(309);
    Tint(it, c.x, c.y, 0xFF000006u);
    const auto balloon = WithColor(Draw(), 0xC0FFFFFFu);
    ASSERT_EQ(balloon.size(), 3u);
    const RecordedCall& pointer = balloon[0];
    const RecordedCall& underline = balloon[1];
    const RecordedCall& label = balloon[2];
    const float bx = std::floor(c.right ? c.x + 24.0f : c.x - 24.0f) + 140.0f;
    const float by = std::floor(c.y - 36.0f);
    // Pointer: row 310 (anchor 8, 0; 8.7 wide), mirrored on the left side.
    const float pl = bx - 8.0f, pr = bx - 8.0f + 8.7f;
    EXPECT_FLOAT_EQ(pointer.v[0].x, c.right ? pl : pr);
    EXPECT_FLOAT_EQ(pointer.v[1].x, c.right ? pr : pl);
    EXPECT_FLOAT_EQ(pointer.v[2].x, c.right ? pr : pl);
    EXPECT_FLOAT_EQ(pointer.v[0].y, by);
    EXPECT_EQ(pointer.slot, 0);
    // Underline: the label's width long.
    const float ul = c.right ? bx : bx - c.width - 8.7f;
    EXPECT_FLOAT_EQ(underline.v[0].x, ul);
    EXPECT_FLOAT_EQ(underline.v[1].x, c.right ? std::floor(ul + c.width) : ul + c.width);
    EXPECT_FLOAT_EQ(underline.v[2].x, underline.v[1].x);
    EXPECT_FLOAT_EQ(underline.v[0].y, by);
    EXPECT_EQ(underline.slot, 0);
    // Label: the type's name from the second atlas, scaled by 1.1, 13 px above the line.
    const float ll = c.right ? bx : bx - c.width;
    EXPECT_NEAR(label.v[0].x, ll, 1e-3);
    EXPECT_NEAR(label.v[0].y, by - 13.0f, 1e-3);
    EXPECT_NEAR(label.v[2].x, ll + (c.width - 0.7f) * 1.1f, 1e-3);
    EXPECT_NEAR(label.v[2].y, by - 13.0f + 11.7f * 1.1f, 1e-3);
    EXPECT_FLOAT_EQ(label.v[0].v, (61.15f + 13.0f * static_cast<float>(c.kind - 5)) / 479.0f);
    EXPECT_FLOAT_EQ(label.v[2].u, (1.15f + c.width - 0.7f) / 639.0f);
    EXPECT_EQ(label.slot, 1);
    for (const RecordedCall* d : {&pointer, &underline, &label}) EXPECT_EQ(d->filter, TextureFilterNone);
  }
}

TEST_F(RenderTest, SidePanelsOnlyWhenNotRotated) {
  const auto untextured = [](const std::vector<RecordedCall>& draws) {
    std::vector<RecordedCall> out;
    for (const RecordedCall& d : draws)
      if (d.slot == -1) out.push_back(d);
    return out;
  };
  g_rotateScreen = 0;
  const auto panels = untextured(Draw());
  ASSERT_EQ(panels.size(), 2u);
  const struct {
    float left, right;
    uint32_t colors[4];
  } want[] = {
      {0.0f, 139.5f, {0xFF80C0FFu, 0xFFC0FFC0u, 0xFFF1B280u, 0xFFC080C0u}},
      {500.0f, 640.0f, {0xFFB2F1CDu, 0xFFC0FFC0u, 0xFFCD8E80u, 0xFFC0808Eu}},
  };
  for (int p = 0; p < 2; ++p) {
    const float xs[4] = {want[p].left, want[p].right, want[p].right, want[p].left};
    const float ys[4] = {0, 0, 480, 480};
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(panels[p].v[k].x, xs[k]);
      EXPECT_EQ(panels[p].v[k].y, ys[k]);
      EXPECT_EQ(panels[p].v[k].color, want[p].colors[k]);
    }
    EXPECT_EQ(panels[p].blendMode, BlendAlpha);
  }
  // Rotated (and any other setting) draws no panels; the playfield is turned by the graphics layer.
  for (int rotate : {1, 2, -1}) {
    g_rotateScreen = rotate;
    EXPECT_TRUE(untextured(Draw()).empty()) << rotate;
  }
  g_rotateScreen = 1;
  const auto draws = Draw();
  EXPECT_FLOAT_EQ(draws[0].v[0].x, (480.0f - 0.0f) * 1.3333334f);  // first tile's top-left
  EXPECT_FLOAT_EQ(draws[0].v[0].y, 0.0f);
}

TEST_F(RenderTest, ReplayKeysDuringPlayback) {
  g_replayPlayback = 1;
  g_gameInput[InputShot] = 1;
  g_gameInput[InputUp] = 1;
  g_gameInput[InputLeft] = 2;  // held longer still counts as not 1
  std::vector<Glyph> keys;
  const uint32_t on = 0xFFA08040u, off = 0xFF203050u;
  ExpectText(keys, 22, 420, on, "Z");
  ExpectText(keys, 44, 420, off, "X");
  ExpectText(keys, 66, 420, off, "C");
  ExpectText(keys, 88, 420, off, "\xB1");
  ExpectText(keys, 110, 420, off, "\xB2");
  ExpectText(keys, 99, 400, on, "\xB3");
  ExpectText(keys, 99, 440, off, "\xB4");
  for (int scene : {SceneGame, SceneGameEnd, SceneTitle}) {
    SCOPED_TRACE(scene);
    g_scene = scene;
    const auto draws = DrawWithoutScreen();
    const auto glyphs = DecodeGlyphs(draws);
    std::vector<Glyph> tail;
    if (glyphs.size() >= keys.size()) tail.assign(glyphs.end() - static_cast<long>(keys.size()), glyphs.end());
    if (scene < SceneTitle) {
      EXPECT_EQ(tail, keys);
      EXPECT_EQ(draws.back().blendMode, BlendAdditive);
    } else {
      EXPECT_TRUE(glyphs.empty());
    }
  }
  g_scene = SceneGame;
  g_replayPlayback = 0;
  for (const Glyph& g : DecodeGlyphs(Draw())) EXPECT_TRUE(g.y != 400.0f && g.y != 420.0f && g.y != 440.0f);
}

TEST_F(RenderTest, ErrorOverlayOverEveryScene) {
  const struct {
    int32_t flags;
    std::vector<std::string> lines;
  } cases[] = {
      {1, {"Error !!", "0:Ellipsoidal hit range is invalid."}},
      {2, {"Error !!", "1:L.E. is out of limitation."}},
      {3, {"Error !!", "0:Ellipsoidal hit range is invalid.", "1:L.E. is out of limitation."}},
      {0x14, {"Error !!", "?:undefined error.", "?:undefined error."}},
  };
  for (int scene : {SceneTitle, SceneGame}) {
    g_scene = scene;
    for (const auto& c : cases) {
      SCOPED_TRACE(c.flags);
      g_hitErrorFlags = c.flags;
      std::vector<Glyph> want;
      for (size_t i = 0; i < c.lines.size(); ++i)
        ExpectText(want, 0, 100.0f + 18.0f * static_cast<float>(i), 0xFFFF0000u, c.lines[i]);
      auto glyphs = DecodeGlyphs(Draw());
      ASSERT_GE(glyphs.size(), want.size());
      glyphs.erase(glyphs.begin(), glyphs.end() - static_cast<long>(want.size()));
      EXPECT_EQ(glyphs, want);
    }
  }
  g_scene = SceneTitle;
  g_hitErrorFlags = 0;
  EXPECT_TRUE(DecodeGlyphs(DrawWithoutScreen()).empty());
  // Every bit set: the text is cut at 256 bytes, never read beyond.
  g_hitErrorFlags = -1;
  EXPECT_FALSE(DecodeGlyphs(Draw()).empty());
}

TEST_F(RenderTest, FarQuadsAndForeignTextureSlots) {
  const struct {
    float x;
    int texture;
    bool drawn;
    int slot;
  } cases[] = {
      {50.0f, 1, true, 1},     {50.0f, 7, true, -1},       {50.0f, -3, true, -1},
      {FLT_MAX, 0, false, 0},  {-2.0e6f, 0, false, 0},     {NAN, 0, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    SCOPED_TRACE(c.texture);
    ClearEffectList(&world->effects);
    Effect* e = ConstructEffect(0, &world->effects.head, &world->effects.tail, &world->effects.count, 0, 0, 0, 0, 5);
    e->SetObjectSprite(336);
    Tint(e, c.x, 100, 0xFF0000EEu);
    e->sprite.texture = c.texture;
    const auto got = WithColor(Draw(), 0xFF0000EEu);
    ASSERT_EQ(got.size(), c.drawn ? 1u : 0u);
    if (c.drawn) {
      EXPECT_EQ(got[0].slot, c.slot);
    }
  }
}

}  // namespace
