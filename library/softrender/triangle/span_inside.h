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

// ceil(a / b) for b > 0 and |a|, b below 2^34, from an estimate q of a / b
// truncated that lies within ceil - 2 .. ceil + 1, put right exactly without
// a branch (the corrections follow no pattern a branch predictor could learn).
inline int64_t CeilFrom(int64_t a, int64_t b, int64_t q) {
  q += int64_t{q * b < a};
  q += int64_t{q * b < a};
  q -= int64_t{(q - 1) * b >= a};
  return q;
}

// The estimate from the quotient in double, truncated (within ceil - 2 ..
// ceil + 1 for such sizes). Cheaper than an integer division.
inline int64_t CeilDiv(int64_t a, int64_t b) { return CeilFrom(a, b, static_cast<int64_t>(double(a) / double(b))); }

// The estimate from a times the reciprocal of b: off the quotient by less than
// 2^-18 for such sizes, so truncated it lies in the same window. Cheaper again
// where many spans share b.
inline int64_t CeilDivBy(int64_t a, int64_t b, double inverse) {
  return CeilFrom(a, b, static_cast<int64_t>(double(a) * inverse));
}

// Narrows [*lo, *hi) to the i at which start + i * step lies in 0 .. bound - 1;
// with Inverse, inverse is 1 / |step|.
template <bool Inverse>
[[gnu::always_inline]] inline void Narrow(int64_t start, int64_t step, int64_t bound, [[maybe_unused]] double inverse,
                                          int64_t* lo, int64_t* hi) {
  if (step == 0) {
    if (start < 0 || start >= bound) *hi = *lo;
    return;
  }
  const auto ceil = [inverse](int64_t a, int64_t b) { return Inverse ? CeilDivBy(a, b, inverse) : CeilDiv(a, b); };
  int64_t a, b;
  if (step > 0) {
    a = ceil(-start, step);
    b = ceil(bound - start, step);
  } else {
    a = ceil(start - bound + 1, -step);
    b = ceil(start + 1, -step);
  }
  *lo = std::max(*lo, a);
  *hi = std::min(*hi, b);
}

template <bool Inverse>
[[gnu::always_inline]] inline SpanInside FindWith(const TriangleSpan& s, uint32_t widthBound, uint32_t heightBound,
                                                  double inverseU, double inverseV) {
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
  Narrow<Inverse>(u, du, widthBound, inverseU, &lo, &hi);
  Narrow<Inverse>(v, dv, heightBound, inverseV, &lo, &hi);
  if (hi <= lo) return {0, 0, true};
  return {int32_t(lo), int32_t(hi), true};
}

}  // namespace span_inside_detail

// The run of span's pixels whose texel (u >> 18, v >> 18) lies in a source
// whose coordinates are bounded by widthBound and heightBound.
[[gnu::always_inline]] inline SpanInside FindSpanInside(const TriangleSpan& s, uint32_t widthBound,
                                                        uint32_t heightBound) {
  return span_inside_detail::FindWith<false>(s, widthBound, heightBound, 0, 0);
}

// The reciprocals of the steps that many spans share, made once for them.
struct SpanSteps {
  double inverseU, inverseV;  // 1 / |du| and 1 / |dv| (0 for a zero step)
};

inline SpanSteps MakeSpanSteps(uint32_t du, uint32_t dv) {
  const auto inverse = [](uint32_t d) {
    const int64_t m = int32_t(d) < 0 ? -int64_t{int32_t(d)} : int64_t{int32_t(d)};
    return m == 0 ? 0.0 : 1.0 / double(m);
  };
  return {inverse(du), inverse(dv)};
}

// The same run for a span whose steps are those steps was made of.
[[gnu::always_inline]] inline SpanInside FindSpanInside(const TriangleSpan& s, uint32_t widthBound,
                                                        uint32_t heightBound, const SpanSteps& steps) {
  return span_inside_detail::FindWith<true>(s, widthBound, heightBound, steps.inverseU, steps.inverseV);
}

}  // namespace veziv::softrender
