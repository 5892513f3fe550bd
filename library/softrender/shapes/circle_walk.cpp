// Where the circle walk stands at a given step, and which steps can draw
// inside an area.
//
// The decision value at (xo, yo) is F(xo + 1, yo) + F(xo + 1, yo - 1) with
// F(x, y) = x^2 + y^2 - r^2 (it starts at 3 - 2r and each step adds what the
// walk adds). While the walk stays in its octant, the yo it holds at xo is
// the largest y with F(xo, y) + F(xo, y - 1) < 0, that is y(y - 1) <=
// r^2 - xo^2 - 1; so a state can be worked out from xo alone, in 128 bits
// because r^2 needs 62.
#include "library/softrender/shapes/circle_walk.h"

#include <cmath>

namespace veziv::softrender {
namespace {

using Wide = __int128;

// The largest y >= 0 with y(y - 1) <= t, or -1 when t < 0.
int64_t LargestYFor(Wide t) {
  if (t < 0) return -1;
  auto y = static_cast<int64_t>(std::floor(0.5L + std::sqrt(static_cast<long double>(t) + 0.25L)));
  while (y > 0 && Wide{y} * (y - 1) > t) --y;
  while (Wide{y + 1} * y <= t) ++y;
  return y;
}

// The yo the walk holds at xo while it stays in its octant; it never grows
// with xo.
int64_t YoAt(int64_t r, int64_t xo) { return LargestYFor(Wide{r} * r - Wide{xo} * xo - 1); }

// The first xo >= 1 whose yo is at most hi (hi >= 1).
int64_t FirstXoWithYoAtMost(int64_t r, int64_t hi) {
  int64_t low = 1, high = r + 1;  // yo at r + 1 is below 1
  while (low < high) {
    const int64_t mid = low + (high - low) / 2;
    if (YoAt(r, mid) <= hi)
      high = mid;
    else
      low = mid + 1;
  }
  return low;
}

// The last xo >= 1 whose yo is at least lo (1 <= lo <= r).
int64_t LastXoWithYoAtLeast(int64_t r, int64_t lo) {
  int64_t low = 1, high = r;  // yo at 1 is r
  while (low < high) {
    const int64_t mid = high - (high - low) / 2;
    if (YoAt(r, mid) >= lo)
      low = mid;
    else
      high = mid - 1;
  }
  return low;
}

// Collects ranges of xo, each cut to [1, r], and hands them back in order,
// overlapping or touching ones joined.
struct RangeList {
  int64_t r;
  CircleSteps steps;

  void Add(int64_t first, int64_t last) {
    first = std::max<int64_t>(first, 1);
    last = std::min(last, r);
    if (first > last) return;
    int i = steps.count++;
    for (; i > 0 && steps.first[i - 1] > first; --i) {
      steps.first[i] = steps.first[i - 1];
      steps.last[i] = steps.last[i - 1];
    }
    steps.first[i] = first;
    steps.last[i] = last;
  }

  // The offsets o >= 1 that put c + o or c - o in [low, high).
  void AddOffsets(int64_t c, int64_t low, int64_t high) {
    Add(low - c, high - 1 - c);
    Add(c - high + 1, c - low);
  }

  // The xo at which yo puts y + yo or y - yo in [low, high).
  void AddYoOffsets(int64_t y, int64_t low, int64_t high) {
    AddYoRange(low - y, high - 1 - y);
    AddYoRange(y - high + 1, y - low);
  }
  void AddYoRange(int64_t lo, int64_t hi) {
    lo = std::max<int64_t>(lo, 1);
    hi = std::min(hi, r);
    if (lo > hi) return;
    Add(FirstXoWithYoAtMost(r, hi), LastXoWithYoAtLeast(r, lo));
  }

  CircleSteps Joined() const {
    CircleSteps out;
    for (int i = 0; i < steps.count; ++i) {
      if (out.count > 0 && steps.first[i] <= out.last[out.count - 1] + 1) {
        out.last[out.count - 1] = std::max(out.last[out.count - 1], steps.last[i]);
        continue;
      }
      out.first[out.count] = steps.first[i];
      out.last[out.count] = steps.last[i];
      ++out.count;
    }
    return out;
  }
};

}  // namespace

CircleWalk CircleWalkAt(int64_t r, int64_t xo) {
  const int64_t yo = YoAt(r, xo);
  if (yo < xo) return CircleWalk(xo, yo, 0);
  const Wide next = Wide{xo} + 1;
  const Wide d = 2 * next * next + Wide{yo} * yo + Wide{yo - 1} * (yo - 1) - 2 * Wide{r} * r;
  return CircleWalk(xo, yo, static_cast<int64_t>(d));
}

CircleSteps OutlineSteps(int64_t x, int64_t y, int64_t r, const ClipBox& area) {
  RangeList list{r, {}};
  list.AddOffsets(y, area.top, area.bottom);
  list.AddOffsets(x, area.left, area.right);
  return list.Joined();
}

CircleSteps DiscSteps(int64_t y, int64_t r, const ClipBox& area) {
  RangeList list{r, {}};
  list.AddOffsets(y, area.top, area.bottom);
  list.AddYoOffsets(y, area.top, area.bottom);
  return list.Joined();
}

}  // namespace veziv::softrender
