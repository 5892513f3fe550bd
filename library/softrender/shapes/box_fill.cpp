// The filled box: corners normalised, clipped to the draw area, every pixel of
// the box visited once with the flat-colour rule of the call.
#include <algorithm>

#include "library/softrender/shapes/flat_colour.h"
#include "library/softrender/shapes/shapes.h"

namespace veziv {

using namespace softrender;

void SoftSurfaceFillBox(SOFTSURFACE* target, const DrawRect* rect, uint32_t colour, const SoftDrawSnapshot& draw) {
  if (!FlatTargetUsable(target, draw)) return;
  int64_t left = 0, top = 0, right = target->width, bottom = target->height;
  if (rect) {
    left = std::min(rect->left, rect->right);
    right = std::max(rect->left, rect->right);
    top = std::min(rect->top, rect->bottom);
    bottom = std::max(rect->top, rect->bottom);
  }
  const ClipBox box = ClipToDrawArea(left, top, right, bottom, draw.drawArea, *target);
  const int64_t w = box.right - box.left;
  if (w <= 0 || box.bottom <= box.top) return;
  TriangleSpanSetup k;
  WithFlatRule(*target, colour, draw, &k, [&](auto format, auto rule) {
    for (int64_t y = box.top; y < box.bottom; ++y)
      DrawFlatRow<decltype(format), decltype(rule)::value>(k, y, box.left, w);
  });
}

}  // namespace veziv
