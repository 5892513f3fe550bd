// One-pixel lines: rejected by their bounding box, the start clamped onto the
// draw area and the (undrawn) end onto the first row or column outside it,
// then stepped with an integer error term, start drawn and end left out.
#include <algorithm>
#include <cstdlib>

#include "library/foundation/core/helpers.h"
#include "library/softrender/shapes/flat_colour.h"
#include "library/softrender/shapes/shapes.h"

namespace veziv {

using namespace softrender;

namespace {

// The line's x(y) and y(x) through its end points, truncated toward zero.
struct LineFunctions {
  double kx = 0, bx = 0, ky = 0, by = 0;
  int32_t XAt(int64_t y) const { return TruncateDoubleToInt(kx * double(y) + bx); }
  int32_t YAt(int64_t x) const { return TruncateDoubleToInt(ky * double(x) + by); }
};

}  // namespace

void SoftSurfaceLine(SOFTSURFACE* target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                     const SoftDrawSnapshot& draw) {
  if (!FlatTargetUsable(target, draw)) return;
  const ClipBox area = DrawAreaInView(*target, draw);
  // The area lies inside the view, so these fit in 32 bits.
  const int32_t L = int32_t(area.left), T = int32_t(area.top), R = int32_t(area.right), B = int32_t(area.bottom);
  if (R <= L || B <= T) return;
  if (std::min(y1, y2) >= B || std::min(x1, x2) >= R || std::max(y1, y2) < T || std::max(x1, x2) < L) return;

  LineFunctions f;
  if (y1 != y2) f.kx = (double(x2) - x1) / (double(y2) - y1);
  if (x1 != x2) f.ky = (double(y2) - y1) / (double(x2) - x1);
  f.bx = x1 - f.kx * y1;
  f.by = y1 - f.ky * x1;

  // Each clamp uses the values the one before left.
  if (x1 < L) {
    x1 = L;
    y1 = f.YAt(L);
  } else if (x1 >= R) {
    x1 = R - 1;
    y1 = f.YAt(R - 1);
  }
  if (x2 < L) {
    x2 = L - 1;
    y2 = f.YAt(int64_t{L} - 1);
  } else if (x2 >= R) {
    x2 = R;
    y2 = f.YAt(R);
  }
  if (y1 < T) {
    y1 = T;
    x1 = f.XAt(T);
  } else if (y1 >= B) {
    y1 = B - 1;
    x1 = f.XAt(B - 1);
  }
  if (y2 < T) {
    y2 = T - 1;
    x2 = f.XAt(int64_t{T} - 1);
  } else if (y2 >= B) {
    y2 = B;
    x2 = f.XAt(B);
  }
  // A recomputed coordinate can still lie outside; it is clamped without
  // touching the other one.
  x1 = std::clamp(x1, L, R - 1);
  x2 = std::clamp(x2, L - 1, R);
  y1 = std::clamp(y1, T, B - 1);
  y2 = std::clamp(y2, T - 1, B);

  const int32_t dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) return;
  const int32_t adx = std::abs(dx), ady = std::abs(dy);
  const ptrdiff_t pitch = target->base->pitch;

  TriangleSpanSetup k;
  WithFlatRule(*target, colour, draw, &k, [&](auto format, auto rule) {
    using F = decltype(format);
    constexpr BlendRule kRule = decltype(rule)::value;
    const ptrdiff_t stepX = dx < 0 ? -F::kBytes : F::kBytes;
    const ptrdiff_t stepY = dy < 0 ? -pitch : pitch;
    // Every pixel lies between the clipped start and end, so inside the area.
    uint8_t* dp = target->pixels + y1 * pitch + ptrdiff_t{x1} * F::kBytes;
    const bool xMajor = adx >= ady;
    const int32_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const ptrdiff_t majorStep = xMajor ? stepX : stepY, minorStep = xMajor ? stepY : stepX;
    int32_t e = 0;
    for (int32_t i = 0; i < major; ++i) {
      DrawFlatPixel<F, kRule>(dp, k);
      dp += majorStep;
      e += minor;
      if (e >= major) {
        dp += minorStep;
        e -= major;
      }
    }
  });
}

void SoftSurfaceLineList(SOFTSURFACE* target, const int32_t* records, int32_t count, const SoftDrawSnapshot& draw) {
  if (!records) return;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t* r = records + ptrdiff_t{i} * kLineRecordWords;
    SoftSurfaceLine(target, r[0], r[1], r[2], r[3], static_cast<uint32_t>(r[4]), draw);
  }
}

}  // namespace veziv
