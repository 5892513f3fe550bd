// The shared circle walk: a state worked out from xo is the state the walk
// reaches there, and the walk that jumps over steps outside the area draws
// exactly what the whole walk draws inside it, in the same order.
#include "library/softrender/shapes/circle_walk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

namespace veziv::softrender {
namespace {

using Calls = std::vector<std::tuple<int64_t, int64_t, int64_t>>;

bool Inside(const ClipBox& a, int64_t px, int64_t py) {
  return px >= a.left && px < a.right && py >= a.top && py < a.bottom;
}

// The whole walk, step by step, keeping what lands inside the area: the
// reference the jumping walk must match.
Calls WholeOutline(int64_t x, int64_t y, int64_t r, const ClipBox& a) {
  Calls out;
  auto plot = [&](int64_t px, int64_t py) {
    if (Inside(a, px, py)) out.push_back({px, py, 0});
  };
  plot(x - r, y), plot(x + r, y), plot(x, y + r), plot(x, y - r);
  CircleWalk w(r);
  w.Step();
  if (w.yo < 1) return out;
  for (; w.yo >= w.xo; w.Step()) {
    const int64_t p = w.xo, q = w.yo;
    plot(x - q, y + p), plot(x + q, y + p), plot(x - q, y - p), plot(x + q, y - p);
    plot(x - p, y + q), plot(x + p, y + q), plot(x - p, y - q), plot(x + p, y - q);
  }
  return out;
}

Calls WholeDisc(int64_t x, int64_t y, int64_t r, const ClipBox& a) {
  Calls out;
  std::vector<bool> drawn(static_cast<size_t>(a.bottom - a.top));
  auto span = [&](int64_t row, int64_t xa, int64_t xb) {
    if (row < a.top || row >= a.bottom || xb < a.left || xa >= a.right || drawn[row - a.top]) return;
    drawn[row - a.top] = true;
    out.push_back({row, std::max(xa, a.left), std::min(xb, a.right - 1)});
  };
  span(y, x - r, x + r);
  CircleWalk w(r);
  if (w.d >= 0) span(y + r, x, x), span(y - r, x, x);
  w.Step();
  if (w.yo < 1) return out;
  for (; w.yo >= w.xo; w.Step()) {
    span(y + w.xo, x - w.yo, x + w.yo);
    span(y - w.xo, x - w.yo, x + w.yo);
    if (w.d >= 0) span(y + w.yo, x - w.xo, x + w.xo), span(y - w.yo, x - w.xo, x + w.xo);
  }
  return out;
}

Calls Outline(int64_t x, int64_t y, int64_t r, const ClipBox& a) {
  Calls out;
  WalkCircleOutline(x, y, r, a, [&](int64_t px, int64_t py) { out.push_back({px, py, 0}); });
  return out;
}

Calls Disc(int64_t x, int64_t y, int64_t r, const ClipBox& a) {
  Calls out;
  std::vector<uint8_t> flags(static_cast<size_t>(a.bottom - a.top));
  WalkCircleDisc(x, y, r, a, flags.data(), [&](int64_t row, int64_t first, int64_t last) {
    out.push_back({row, first, last});
  });
  return out;
}

bool SameState(const CircleWalk& a, const CircleWalk& b) { return a.xo == b.xo && a.yo == b.yo && a.d == b.d; }

TEST(CircleWalk, AStateWorkedOutFromXoIsTheStateTheWalkReaches) {
  // Every step of every small radius, and the first step past the octant.
  for (int64_t r = 2; r <= 1500; ++r) {
    CircleWalk w(r);
    for (w.Step(); w.Running(); w.Step()) {
      const CircleWalk at = CircleWalkAt(r, w.xo);
      ASSERT_TRUE(SameState(at, w)) << "r " << r << " xo " << w.xo;
    }
    EXPECT_FALSE(CircleWalkAt(r, w.xo).Running()) << "r " << r;
    EXPECT_FALSE(CircleWalkAt(r, w.xo + 1 + r / 3).Running()) << "r " << r;
  }
  // Radii too large to walk whole: from a worked-out state, each step the walk
  // takes lands on the state worked out for the next xo, at the octant's start,
  // its middle and its end.
  const int64_t radii[] = {1 << 20, 46341, 1'000'000'007, INT32_MAX - 50, INT32_MAX};
  for (int64_t r : radii) {
    const int64_t end = static_cast<int64_t>(static_cast<double>(r) / 1.41421356237);
    for (int64_t from : {int64_t{1}, r / 3, end - 3000}) {
      CircleWalk w = CircleWalkAt(r, from);
      ASSERT_TRUE(w.Running()) << "r " << r << " xo " << from;
      int steps = 0;
      for (; w.Running() && steps < 6000; ++steps) {
        ASSERT_TRUE(SameState(CircleWalkAt(r, w.xo), w)) << "r " << r << " xo " << w.xo;
        w.Step();
      }
      if (from == end - 3000) {
        EXPECT_FALSE(w.Running()) << "the octant of r " << r << " ends within the steps";
        EXPECT_FALSE(CircleWalkAt(r, w.xo).Running()) << "r " << r;
      }
    }
  }
}

TEST(CircleWalk, TheJumpingWalkDrawsWhatTheWholeWalkDrawsInside) {
  struct Case {
    int64_t x, y, r;
    ClipBox area;
  };
  std::vector<Case> cases = {
      {50, 50, 12, {0, 0, 100, 100}},       // whole
      {50, 50, 12, {40, 45, 55, 100}},      // cut on three sides
      {50, 50, 0, {0, 0, 100, 100}},        // a point
      {50, 50, 1, {0, 0, 100, 100}},
      {50, 50, 2, {50, 50, 51, 51}},        // one pixel of area
      {-700, -700, 1000, {0, 0, 64, 48}},   // the octants' meeting line across the area
      {30, -5000, 5040, {0, 0, 64, 48}},    // the top of a large circle
      {5030, 20, 5010, {0, 0, 64, 48}},     // its left side
      {-2000, 2100, 2110, {0, 0, 64, 48}},  // its lower right
      {10, 10, 3'000'000, {0, 0, 20, 20}},  // the area deep inside
  };
  // Random ones, most with a radius that brings the circle near the area.
  std::mt19937 rng(45);
  for (int i = 0; i < 400; ++i) {
    const int64_t scale = int64_t{1} << std::uniform_int_distribution<int>(2, 18)(rng);
    std::uniform_int_distribution<int64_t> offset(-scale, scale), size(1, 80), near(-60, 60);
    const int64_t x = offset(rng), y = offset(rng), left = offset(rng) / 8, top = offset(rng) / 8;
    const auto reach = static_cast<int64_t>(std::hypot(double(x - left), double(y - top)));
    const int64_t r = i % 4 == 0 ? std::uniform_int_distribution<int64_t>(0, scale)(rng)
                                 : std::max<int64_t>(0, reach + near(rng));
    cases.push_back({x, y, r, {left, top, left + size(rng), top + size(rng)}});
  }
  for (const Case& c : cases) {
    const ClipBox& a = c.area;
    SCOPED_TRACE(testing::Message() << "centre " << c.x << "," << c.y << " r " << c.r << " area " << a.left << ","
                                    << a.top << "," << a.right << "," << a.bottom);
    ASSERT_EQ(Outline(c.x, c.y, c.r, a), WholeOutline(c.x, c.y, c.r, a));
    ASSERT_EQ(Disc(c.x, c.y, c.r, a), WholeDisc(c.x, c.y, c.r, a));
  }
}

}  // namespace
}  // namespace veziv::softrender
