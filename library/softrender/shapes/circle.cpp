// Circle outlines and discs from one integer circle walk (decision value
// 3 - 2r): the outline plots eight mirrored points a step, duplicates included;
// the disc draws row spans and flags each row it drew, so every pixel is drawn
// once. The walk runs in 64 bits, so no radius or centre overflows.
#include <algorithm>

#include "library/foundation/memory_log/memory.h"
#include "library/softrender/shapes/flat_colour.h"
#include "library/softrender/shapes/shapes.h"

namespace veziv {

using namespace softrender;

namespace {

// The circle walk: offsets (xo, yo) from (0, r), one step at a time.
struct CircleWalk {
  int64_t xo, yo, d;
  explicit CircleWalk(int64_t r) : xo(0), yo(r), d(3 - 2 * r) {}
  void Step() {
    if (d < 0) {
      d += 4 * xo + 6;
    } else {
      d += 4 * (xo - yo) + 10;
      --yo;
    }
    ++xo;
  }
};

template <class F, BlendRule R>
struct CirclePainter {
  const TriangleSpanSetup& k;
  ClipBox area;

  void Plot(int64_t px, int64_t py) const {
    if (px < area.left || px >= area.right || py < area.top || py >= area.bottom) return;
    DrawFlatPixel<F, R>(k.target + py * k.targetPitch + px * F::kBytes, k);
  }

  void Outline(int64_t x, int64_t y, int64_t r) const {
    Plot(x - r, y);
    Plot(x + r, y);
    Plot(x, y + r);
    Plot(x, y - r);
    CircleWalk w(r);
    w.Step();
    if (w.yo < 1) return;
    while (w.yo >= w.xo) {
      const int64_t a = w.xo, b = w.yo;
      Plot(x - b, y + a);
      Plot(x + b, y + a);
      Plot(x - b, y - a);
      Plot(x + b, y - a);
      Plot(x - a, y + b);
      Plot(x + a, y + b);
      Plot(x - a, y - b);
      Plot(x + a, y - b);
      w.Step();
    }
  }

  // rowDrawn holds one flag for each row of the area.
  void Span(int64_t yy, int64_t xa, int64_t xb, uint8_t* rowDrawn) const {
    if (yy < area.top || yy >= area.bottom || xb < area.left || xa >= area.right) return;
    uint8_t& flag = rowDrawn[yy - area.top];
    if (flag) return;
    flag = 1;
    const int64_t first = std::max(xa, area.left), last = std::min(xb, area.right - 1);
    DrawFlatRow<F, R>(k, yy, first, last - first + 1);
  }

  void Disc(int64_t x, int64_t y, int64_t r, uint8_t* rowDrawn) const {
    Span(y, x - r, x + r, rowDrawn);
    CircleWalk w(r);
    if (w.d >= 0) {
      Span(y + r, x, x, rowDrawn);
      Span(y - r, x, x, rowDrawn);
    }
    w.Step();
    if (w.yo < 1) return;
    while (w.yo >= w.xo) {
      Span(y + w.xo, x - w.yo, x + w.yo, rowDrawn);
      Span(y - w.xo, x - w.yo, x + w.yo, rowDrawn);
      // A row y +- yo is drawn at the step after which yo falls, with the
      // widest xo the walk reaches on it.
      if (w.d >= 0) {
        Span(y + w.yo, x - w.xo, x + w.xo, rowDrawn);
        Span(y - w.yo, x - w.xo, x + w.xo, rowDrawn);
      }
      w.Step();
    }
  }
};

}  // namespace

void SoftSurfaceCircle(SOFTSURFACE* target, int32_t x, int32_t y, int32_t r, uint32_t colour, int32_t fill,
                       const SoftDrawSnapshot& draw) {
  if (!FlatTargetUsable(target, draw) || r < 0) return;
  const ClipBox area = DrawAreaInView(*target, draw);
  if (area.right <= area.left || area.bottom <= area.top) return;
  // A circle whose bounding box misses the area has nothing to draw.
  if (int64_t{x} + r < area.left || int64_t{x} - r >= area.right || int64_t{y} + r < area.top ||
      int64_t{y} - r >= area.bottom)
    return;

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
