// The rectangle of target pixels that limits drawing, and its clipping.
#pragma once

#include <cstdint>

namespace veziv {

// Left and top inclusive, right and bottom exclusive.
struct DrawRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Raises right to left and bottom to top where smaller, then clamps bottom,
// top, right and left (in that order) into the clip rectangle. Returns 0.
int ClipDrawRect(DrawRect& rect, const DrawRect& clip);

}  // namespace veziv
