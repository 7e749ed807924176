// The generated image atlases: exact file format, art only where the game samples it, every
// sprite row visible (or blank where it must be), the colour-key and colour rules.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tools/art/AtlasLayout.h"
#include "world/SpriteTable.h"

namespace {

constexpr long kFileBytes = 54 + 640 * 3 * 480;

struct Atlas {
  std::vector<uint8_t> bytes;
  // Top-down texel access into the bottom-up rows; returns {r, g, b}.
  void Rgb(int x, int y, int out[3]) const {
    const uint8_t* p = &bytes[54 + (479 - y) * 1920 + 3 * x];
    out[0] = p[2];
    out[1] = p[1];
    out[2] = p[0];
  }
  bool Visible(int x, int y) const {
    int c[3];
    Rgb(x, y, c);
    return c[0] | c[1] | c[2];
  }
  int CountVisible(const atlas::TexelBox& b) const {
    int n = 0;
    for (int y = b.y0; y <= b.y1; ++y)
      for (int x = b.x0; x <= b.x1; ++x) n += Visible(x, y);
    return n;
  }
};

uint32_t U32(const std::vector<uint8_t>& b, size_t off) {
  return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) | (static_cast<uint32_t>(b[off + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t off) { return static_cast<uint16_t>(b[off] | (b[off + 1] << 8)); }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> b;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return b;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
  std::fclose(f);
  return b;
}

class AtlasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGameTables();
    for (int t = 0; t < 3; ++t) {
      char name[64];
      std::snprintf(name, sizeof name, "/img/tex%03d.bmp", t);
      tex[t].bytes = ReadFile(std::string(WEXLA_GAME_DIR) + name);
      ASSERT_EQ(static_cast<long>(tex[t].bytes.size()), kFileBytes) << name;
    }
  }
  static bool Drawn(int row) { return g_spriteDefs[row].srcWidth > 0 && g_spriteDefs[row].srcHeight > 0; }
  static atlas::TexelBox Box(int row) {
    const SpriteDef& d = g_spriteDefs[row];
    return atlas::SampleBox(d.srcU, d.srcV, d.srcWidth, d.srcHeight);
  }
  Atlas tex[3];
};

TEST_F(AtlasTest, FilesAreUncompressed24BitBottomUpBmp) {
  for (const Atlas& a : tex) {
    const std::vector<uint8_t>& b = a.bytes;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), static_cast<uint32_t>(kFileBytes));
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 640u);
    EXPECT_EQ(U32(b, 22), 480u);  // positive height: bottom-up
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), 24);
    EXPECT_EQ(U32(b, 30), 0u);  // BI_RGB
  }
}

TEST_F(AtlasTest, ArtOnlyInsideSampledBoxesAndNeverInTheColourKey) {
  std::vector<std::vector<bool>> allowed(3, std::vector<bool>(640 * 480, false));
  auto allow = [&](int t, const atlas::TexelBox& b) {
    for (int y = b.y0; y <= b.y1; ++y)
      for (int x = b.x0; x <= b.x1; ++x) allowed[t][y * 640 + x] = true;
  };
  for (int row = 0; row < kSpriteRowCount; ++row)
    if (Drawn(row)) allow(g_spriteDefs[row].texture, Box(row));
  for (const atlas::StripFrame& s : atlas::StripFrames()) allow(s.texture, atlas::SampleBox(s.u, s.v, s.w, s.h));
  for (int t = 0; t < 3; ++t) {
    int stray = 0, dark = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        int c[3];
        tex[t].Rgb(x, y, c);
        if (!(c[0] | c[1] | c[2])) continue;
        if (!allowed[t][y * 640 + x] && stray++ == 0) ADD_FAILURE() << "texture " << t << " paints (" << x << ", " << y << ")";
        // A visible texel with a zero channel would still be fine for the key, but it marks
        // shading that ran into black; every shown texel is at least (1, 1, 1).
        if ((c[0] == 0 || c[1] == 0 || c[2] == 0) && dark++ == 0)
          ADD_FAILURE() << "texture " << t << " texel (" << x << ", " << y << ") has a zero channel";
      }
    EXPECT_EQ(stray, 0) << "texture " << t;
    EXPECT_EQ(dark, 0) << "texture " << t;
  }
}

TEST_F(AtlasTest, EveryDrawnRowShowsAndBlankRowsStayBlank) {
  // Row 0 is also every kind-0 effect's default sprite; 95 is DEL; 106..125 are unused glyphs.
  std::set<int> blank = {0, 95, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 119, 120, 124, 125};
  for (int r : std::set<int>(blank)) blank.insert(r + 1024);  // the centred font over the same texels
  const std::set<int> underOptionItem = {116, 117, 118, 121, 122, 123, 1140, 1141, 1142, 1145, 1146, 1147};
  for (int row = 0; row < kSpriteRowCount; ++row) {
    if (!Drawn(row) || underOptionItem.count(row)) continue;
    const int n = tex[g_spriteDefs[row].texture].CountVisible(Box(row));
    if (blank.count(row)) {
      EXPECT_EQ(n, 0) << "row " << row << " must stay blank";
    } else {
      EXPECT_GT(n, 0) << "row " << row << " has no art";
    }
  }
  EXPECT_FALSE(Drawn(127));
  EXPECT_FALSE(Drawn(312));
  for (const atlas::StripFrame& s : atlas::StripFrames())
    EXPECT_GT(tex[s.texture].CountVisible(atlas::SampleBox(s.u, s.v, s.w, s.h)), 0)
        << "row " << s.row << " frame " << s.frame;
}

TEST_F(AtlasTest, GlyphInkKeepsClearOfTheCellEdges) {
  // Advance 11 and line feed 18: ink at most 10 x 17, a texel in from the 12 x 19 cell.
  for (int row = 1; row <= 104; ++row) {
    if (row == 95) continue;
    const SpriteDef& d = g_spriteDefs[row];
    const atlas::TexelBox cell = Box(row);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = cell.y0; y <= cell.y1; ++y)
      for (int x = cell.x0; x <= cell.x1; ++x)
        if (tex[0].Visible(x, y)) {
          minX = std::min(minX, x - cell.x0);
          maxX = std::max(maxX, x - cell.x0);
          minY = std::min(minY, y - cell.y0);
          maxY = std::max(maxY, y - cell.y0);
        }
    // Nominal cell texels start 1 texel in from the sampled box along x, 1 along y.
    const int nomX = static_cast<int>(d.srcU + 0.5f) - cell.x0, nomY = static_cast<int>(d.srcV + 0.5f) - cell.y0;
    EXPECT_GE(minX, nomX + 1) << "row " << row;
    EXPECT_LE(maxX, nomX + 10) << "row " << row;
    EXPECT_GE(minY, nomY + 1) << "row " << row;
    EXPECT_LE(maxY, nomY + 17) << "row " << row;
  }
}

TEST_F(AtlasTest, TintedArtIsGreyAndBulletsCarryTheirColour) {
  std::vector<int> tinted;
  for (int row = 0; row <= 126; ++row) tinted.push_back(row);
  for (int row : {152, 153, 154, 156, 158, 159, 308, 309, 310, 311}) tinted.push_back(row);
  for (int row = 336; row <= 345; ++row) tinted.push_back(row);
  for (int row = 363; row <= 371; ++row) tinted.push_back(row);
  std::vector<std::pair<int, atlas::TexelBox>> boxes;
  for (int row : tinted) boxes.push_back({g_spriteDefs[row].texture, Box(row)});
  for (const atlas::StripFrame& s : atlas::StripFrames())
    if (s.row != 143 && s.row != 144) boxes.push_back({s.texture, atlas::SampleBox(s.u, s.v, s.w, s.h)});
  for (const auto& [t, b] : boxes)
    for (int y = b.y0; y <= b.y1; ++y)
      for (int x = b.x0; x <= b.x1; ++x) {
        int c[3];
        tex[t].Rgb(x, y, c);
        ASSERT_TRUE(c[0] == c[1] && c[1] == c[2]) << "texture " << t << " (" << x << ", " << y << ") is coloured";
      }

  // Bullets, both sizes: the column's strongest channel leads the sprite's light, and the core
  // is near white.
  for (int row = 160; row <= 703; ++row) {
    if (row > 303 && row < 512) continue;
    const uint32_t col = g_bulletColors[(row - (row < 512 ? 160 : 512)) % 16];
    const int want[3] = {static_cast<int>((col >> 16) & 255), static_cast<int>((col >> 8) & 255), static_cast<int>(col & 255)};
    const atlas::TexelBox b = Box(row);
    long sum[3] = {0, 0, 0};
    int core = 0;
    for (int y = b.y0; y <= b.y1; ++y)
      for (int x = b.x0; x <= b.x1; ++x) {
        int c[3];
        tex[g_spriteDefs[row].texture].Rgb(x, y, c);
        for (int k = 0; k < 3; ++k) sum[k] += c[k];
        core = std::max(core, std::min({c[0], c[1], c[2]}));
      }
    EXPECT_GE(core, 200) << "row " << row;
    for (int k = 0; k < 3; ++k)
      for (int m = 0; m < 3; ++m) {
        if (want[k] > want[m] + 64) {
          EXPECT_GT(sum[k], sum[m]) << "row " << row << " channels " << k << ", " << m;
        }
      }
  }
}

}  // namespace
