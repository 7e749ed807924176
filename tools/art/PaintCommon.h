#pragma once
// Shared by the painter groups.

#include <algorithm>
#include <cmath>

#include "tools/art/Painters.h"
#include "tools/art/Raster.h"

namespace art {

inline void Paint(Canvas& c, const Frame& f, const Shader& s) { c.Paint(f.box, f.u, f.v, s); }

// Each returns false when the row is not of its group.
bool PaintText(Canvas& c, const Frame& f);
bool PaintCraft(Canvas& c, const Frame& f);
bool PaintEnergy(Canvas& c, const Frame& f);

}  // namespace art
