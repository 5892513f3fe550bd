// The run of a textured span's pixels inside the source, against a test of
// every pixel: steps up, down and zero, starts and ends on the edges,
// coordinates that wrap, and bounds past the signed range.
#include "library/softrender/triangle/span_inside.h"

#include <gtest/gtest.h>

#include <random>

namespace veziv::softrender {
namespace {

// Checks FindSpanInside against the test at each pixel; a linear answer must
// name exactly the pixels inside, in one run. The form through the steps'
// reciprocals must give the same answer.
void ExpectMatchesEveryPixel(const TriangleSpan& s, uint32_t widthBound, uint32_t heightBound) {
  const SpanInside inside = FindSpanInside(s, widthBound, heightBound);
  const SpanInside byInverse = FindSpanInside(s, widthBound, heightBound, MakeSpanSteps(s.du, s.dv));
  ASSERT_EQ(byInverse.linear, inside.linear);
  if (!inside.linear) return;
  ASSERT_EQ(byInverse.first, inside.first) << "u " << int32_t(s.u) << " du " << int32_t(s.du);
  ASSERT_EQ(byInverse.last, inside.last) << "v " << int32_t(s.v) << " dv " << int32_t(s.dv);
  uint32_t u = s.u, v = s.v;
  for (int32_t i = 0; i < s.count; ++i, u += s.du, v += s.dv) {
    const bool expected = u < widthBound && v < heightBound;
    const bool found = i >= inside.first && i < inside.last;
    ASSERT_EQ(found, expected) << "pixel " << i << " of " << s.count << " u " << int32_t(s.u) << " du "
                               << int32_t(s.du) << " v " << int32_t(s.v) << " dv " << int32_t(s.dv) << " bounds "
                               << widthBound << " " << heightBound;
  }
}

TEST(SpanInside, NamesExactlyThePixelsInside) {
  const int64_t one = kFixedOne;
  struct Case {
    const char* name;
    TriangleSpan span;
    uint32_t width, height;
    SpanInside expected;
  };
  const Case cases[] = {
      {"all inside", {0, 0, 10, 0, 0, uint32_t(one), 0}, 16, 16, {0, 10, true}},
      {"enters and leaves", {0, 0, 40, uint32_t(-5 * one), 0, uint32_t(one), 0}, 16, 16, {5, 21, true}},
      {"backwards", {0, 0, 40, uint32_t(20 * one), uint32_t(3 * one), uint32_t(-one), 0}, 16, 16, {5, 21, true}},
      {"standing still outside", {0, 0, 8, uint32_t(3 * one), uint32_t(16 * one), 0, 0}, 16, 16, {0, 0, true}},
      {"one fixed-point unit short of the edge", {0, 0, 3, uint32_t(16 * one - 1), 0, 1, 0}, 16, 16, {0, 1, true}},
      {"wraps", {0, 0, 8, 0x7FFF0000u, 0, 0x10000u, 0}, 16, 16, {0, 8, false}},
  };
  for (const Case& c : cases) {
    const SpanInside got = FindSpanInside(c.span, uint32_t(c.width * one), uint32_t(c.height * one));
    EXPECT_EQ(got.linear, c.expected.linear) << c.name;
    if (c.expected.linear) {
      EXPECT_EQ(got.last - got.first, c.expected.last - c.expected.first) << c.name;
      if (c.expected.last > c.expected.first) {
        EXPECT_EQ(got.first, c.expected.first) << c.name;
      }
    }
  }

  std::mt19937 rng(19);
  for (int n = 0; n < 20000; ++n) {
    const uint32_t w = 1 + rng() % 300, h = 1 + rng() % 300;
    const int32_t count = 1 + int32_t(rng() % 600);
    // Steps of whole texels, fractions and near-zero, either sign; starts near the edges and far off.
    const auto step = [&rng] {
      switch (rng() % 4) {
        case 0: return int32_t(rng() % 7) - 3;
        case 1: return int32_t(rng() % (4 * kFixedOne)) - int32_t(2 * kFixedOne);
        case 2: return int32_t(0);
        default: return int32_t(rng());
      }
    };
    const auto start = [&rng](uint32_t size) {
      const int64_t edge = (rng() % 2) * int64_t{size} * kFixedOne;
      return rng() % 4 == 0 ? uint32_t(rng()) : uint32_t(edge + int64_t(rng() % 2001) - 1000);
    };
    const TriangleSpan s{0, 0, count, start(w), start(h), uint32_t(step()), uint32_t(step())};
    const uint32_t wb = rng() % 16 == 0 ? 0x90000000u : w << kFixedShift;
    ExpectMatchesEveryPixel(s, wb, h << kFixedShift);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace veziv::softrender
