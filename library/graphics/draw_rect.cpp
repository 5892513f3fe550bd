// Clipping of draw rectangles.
#include "library/graphics/draw_rect.h"

namespace veziv {
namespace {

void ClampInto(int32_t& v, int32_t low, int32_t high) {
  if (v > high) v = high;
  if (v < low) v = low;
}

}  // namespace

int ClipDrawRect(DrawRect& r, const DrawRect& clip) {
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  ClampInto(r.bottom, clip.top, clip.bottom);
  ClampInto(r.top, clip.top, clip.bottom);
  ClampInto(r.right, clip.left, clip.right);
  ClampInto(r.left, clip.left, clip.right);
  return 0;
}

}  // namespace veziv
