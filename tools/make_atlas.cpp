// Draws the three image atlases "img/tex000.bmp" .. "img/tex002.bmp". The rectangles come from
// the game's own sprite table, so the art always sits where the game samples it.

#include <cstdio>
#include <string>

#include "tools/art/AtlasLayout.h"
#include "tools/art/Painters.h"
#include "tools/art/Raster.h"
#include "world/SpriteTable.h"

namespace {

// Glyph rows 116-118 and 121-123 lie under the option item (row 309); their bytes are never
// drawn, so the option item owns those texels.
bool UnderOptionItem(int row) { return (row >= 116 && row <= 118) || (row >= 121 && row <= 123); }

art::Frame MakeFrame(int row, int frame, float u, float v, float w, float h) {
  return art::Frame{row, frame, u, v, w, h, atlas::PaintBox(u, v, w, h)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_atlas OUTPUT_DIR\n");
    return 2;
  }
  InitGameTables();
  art::Canvas canvas[3];
  // Rows 1024 and up reuse the texels of rows 0..125 (the centred font): no art of their own.
  for (int row = 0; row < 1024; ++row) {
    const SpriteDef& d = g_spriteDefs[row];
    if (!(d.srcWidth > 0) || !(d.srcHeight > 0) || UnderOptionItem(row)) continue;
    if (d.texture < 0 || d.texture > 2) {
      std::fprintf(stderr, "make_atlas: row %d names texture %d\n", row, d.texture);
      return 1;
    }
    art::PaintFrame(canvas[d.texture], MakeFrame(row, 0, d.srcU, d.srcV, d.srcWidth, d.srcHeight));
  }
  for (const atlas::StripFrame& s : atlas::StripFrames())
    art::PaintFrame(canvas[s.texture], MakeFrame(s.row, s.frame, s.u, s.v, s.w, s.h));
  for (int t = 0; t < 3; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "/tex%03d.bmp", t);
    const std::string path = std::string(argv[1]) + name;
    if (!art::WriteFile(path, canvas[t].EncodeBmp())) {
      std::fprintf(stderr, "make_atlas: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
