// Circle outlines and discs from the shared circle walk (circle_walk.h): the
// outline plots eight mirrored points a step, duplicates included; the disc
// draws row spans and flags each row it drew, so every pixel is drawn once.
#include "library/foundation/memory_log/memory.h"
#include "library/softrender/shapes/circle_walk.h"
#include "library/softrender/shapes/flat_colour.h"
#include "library/softrender/shapes/shapes.h"

namespace veziv {

using namespace softrender;

namespace {

template <class F, BlendRule R>
struct CirclePainter {
  const TriangleSpanSetup& k;
  ClipBox area;

  void Outline(int64_t x, int64_t y, int64_t r) const {
    WalkCircleOutline(x, y, r, area, [this](int64_t px, int64_t py) {
      DrawFlatPixel<F, R>(k.target + py * k.targetPitch + px * F::kBytes, k);
    });
  }

  // rowDrawn holds one flag for each row of the area.
  void Disc(int64_t x, int64_t y, int64_t r, uint8_t* rowDrawn) const {
    WalkCircleDisc(x, y, r, area, rowDrawn, [this](int64_t row, int64_t first, int64_t last) {
      DrawFlatRow<F, R>(k, row, first, last - first + 1);
    });
  }
};

}  // namespace

void SoftSurfaceCircle(SOFTSURFACE* target, int32_t x, int32_t y, int32_t r, uint32_t colour, int32_t fill,
                       const SoftDrawSnapshot& draw) {
  if (!FlatTargetUsable(target, draw) || r < 0) return;
  const ClipBox area = DrawAreaInView(*target, draw);
  if (area.right <= area.left || area.bottom <= area.top) return;
  // A circle whose bounding box misses the area has nothing to draw.
  if (!CircleTouchesArea(x, y, r, area)) return;

  uint8_t* rowDrawn = nullptr;
  if (fill != 0) {
    rowDrawn = static_cast<uint8_t*>(AllocLibMemoryZeroed(size_t(area.bottom - area.top)));
    if (!rowDrawn) return;
  }
  TriangleSpanSetup k;
  WithFlatRule(*target, colour, draw, &k, [&](auto format, auto rule) {
    const CirclePainter<decltype(format), decltype(rule)::value> painter{k, area};
    if (rowDrawn) painter.Disc(x, y, r, rowDrawn);
    else painter.Outline(x, y, r);
  });
  FreeLibMemory(rowDrawn);
}

}  // namespace veziv
