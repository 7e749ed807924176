#pragma once
// The art of every sprite group. Each painter draws one frame into its paint box, in coordinates
// local to the frame's source rectangle (so a row's anchor is where the art is centred).

#include "tools/art/AtlasLayout.h"
#include "tools/art/Raster.h"

namespace art {

struct Frame {
  int row;
  int frame;  // animation frame, or the option type for the labels under row 312
  float u, v, w, h;
  atlas::TexelBox box;  // where paint may go
};

// Paints the art of f.row (frame f.frame). Returns false for rows that stay blank.
bool PaintFrame(Canvas& canvas, const Frame& f);

}  // namespace art
