// The filled box: corners normalised, clipped to the draw area, every pixel of
// the box visited once with the flat-colour rule of the call.
#include <algorithm>

#include "library/softrender/flat_colour.h"
#include "library/softrender/shapes.h"

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
  const int64_t w = box.right - box.left, h = box.bottom - box.top;
  if (w <= 0 || h <= 0) return;
  const ptrdiff_t pitch = target->base->pitch;

  FlatPen pen;
  WithFlatRule(*target, colour, draw, &pen, [&](auto format, auto rule) {
    using F = decltype(format);
    uint8_t* row = target->pixels + box.top * pitch + box.left * F::kBytes;
    for (int64_t y = 0; y < h; ++y, row += pitch)
      for (int64_t x = 0; x < w; ++x) F::template Draw<decltype(rule)::value>(row + x * F::kBytes, pen);
  });
}

}  // namespace veziv
