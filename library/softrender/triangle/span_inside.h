// Which pixels of a textured span read a texel inside the source: where the
// coordinates do not wrap over the span they move on a line, so the pixels
// inside form one run, found by division instead of a test at every pixel.
// Internal to the renderer.
#pragma once

#include <algorithm>
#include <cstdint>

#include "library/softrender/triangle/triangle_walk.h"

namespace veziv::softrender {

// Pixels [first, last) of a span read texels inside the source and the others
// read none; when linear is false the coordinates wrap over the span and
// every pixel must be tested on its own.
struct SpanInside {
  int32_t first;
  int32_t last;
  bool linear;
};

namespace span_inside_detail {

// ceil(a / b) for b > 0 and |a|, b below 2^34: the quotient in double,
// truncated, lies within ceil - 2 .. ceil + 1 for such sizes and is put right
// exactly without a branch (the corrections follow no pattern a branch
// predictor could learn). Cheaper than an integer division.
inline int64_t CeilDiv(int64_t a, int64_t b) {
  int64_t q = static_cast<int64_t>(double(a) / double(b));
  q += int64_t{q * b < a};
  q += int64_t{q * b < a};
  q -= int64_t{(q - 1) * b >= a};
  return q;
}

// Narrows [*lo, *hi) to the i at which start + i * step lies in 0 .. bound - 1.
[[gnu::always_inline]] inline void Narrow(int64_t start, int64_t step, int64_t bound, int64_t* lo, int64_t* hi) {
  if (step == 0) {
    if (start < 0 || start >= bound) *hi = *lo;
    return;
  }
  int64_t a, b;
  if (step > 0) {
    a = CeilDiv(-start, step);
    b = CeilDiv(bound - start, step);
  } else {
    a = CeilDiv(start - bound + 1, -step);
    b = CeilDiv(start + 1, -step);
  }
  *lo = std::max(*lo, a);
  *hi = std::min(*hi, b);
}

}  // namespace span_inside_detail

// The run of span's pixels whose texel (u >> 18, v >> 18) lies in a source
// whose coordinates are bounded by widthBound and heightBound.
[[gnu::always_inline]] inline SpanInside FindSpanInside(const TriangleSpan& s, uint32_t widthBound,
                                                        uint32_t heightBound) {
  if (s.count <= 0) return {0, 0, true};
  const int64_t n = s.count;
  const int64_t u = int32_t(s.u), du = int32_t(s.du), v = int32_t(s.v), dv = int32_t(s.dv);
  const int64_t endU = u + (n - 1) * du, endV = v + (n - 1) * dv;
  constexpr int64_t kLow = INT32_MIN, kHigh = INT32_MAX;
  // Bounds past 2^31 would take in negative coordinates through the unsigned test.
  if (widthBound > uint32_t{INT32_MAX} || heightBound > uint32_t{INT32_MAX} || endU < kLow || endU > kHigh ||
      endV < kLow || endV > kHigh)
    return {0, s.count, false};
  int64_t lo = 0, hi = n;
  span_inside_detail::Narrow(u, du, widthBound, &lo, &hi);
  span_inside_detail::Narrow(v, dv, heightBound, &lo, &hi);
  if (hi <= lo) return {0, 0, true};
  return {int32_t(lo), int32_t(hi), true};
}

}  // namespace veziv::softrender
