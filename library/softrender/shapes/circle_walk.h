// The circle walk both drawing roads share: the integer walk with decision
// value 3 - 2r, outline and disc. Only the steps whose points or row spans
// can fall inside the area are walked: the walk jumps over the others, so a
// radius of any size finishes at once with exactly the points and spans that
// the whole walk would put inside the area, in the same order.
#pragma once

#include <algorithm>
#include <cstdint>

#include "library/softrender/blit/blit_setup.h"

namespace veziv::softrender {

// A state of the walk: offsets (xo, yo) from (0, r) and the decision value.
// The walk runs in 64 bits, so no radius or centre overflows.
struct CircleWalk {
  int64_t xo, yo, d;
  explicit CircleWalk(int64_t r) : xo(0), yo(r), d(3 - 2 * r) {}
  CircleWalk(int64_t x, int64_t y, int64_t decision) : xo(x), yo(y), d(decision) {}
  void Step() {
    if (d < 0) {
      d += 4 * xo + 6;
    } else {
      d += 4 * (xo - yo) + 10;
      --yo;
    }
    ++xo;
  }
  // Still in the first octant: the walk goes on.
  bool Running() const { return yo >= xo; }
};

// The state a walk of radius r >= 2 reaches at xo >= 1, worked out without
// walking there. Where the walk has left its octant before xo, the state
// returned is not Running.
CircleWalk CircleWalkAt(int64_t r, int64_t xo);

// The xo of the walk's steps worth drawing, in order and apart: at most four
// closed ranges.
struct CircleSteps {
  int count = 0;
  int64_t first[4], last[4];
};
// The outline's points at step (xo, yo) are (x +- yo, y +- xo) and
// (x +- xo, y +- yo): inside the area only where xo falls on one of its rows
// or columns.
CircleSteps OutlineSteps(int64_t x, int64_t y, int64_t r, const ClipBox& area);
// The disc's spans at step (xo, yo) lie on rows y +- xo and y +- yo.
CircleSteps DiscSteps(int64_t y, int64_t r, const ClipBox& area);

// False when the circle's bounding box misses the area.
inline bool CircleTouchesArea(int64_t x, int64_t y, int64_t r, const ClipBox& area) {
  return x + r >= area.left && x - r < area.right && y + r >= area.top && y - r < area.bottom;
}

// Walks the steps of ranges after the first step, calling step(walk) on each
// while the walk runs.
template <class Step>
void WalkCircleSteps(int64_t r, const CircleSteps& ranges, Step&& step) {
  CircleWalk w(r);
  w.Step();
  if (w.yo < 1) return;
  for (int i = 0; i < ranges.count; ++i) {
    if (w.xo < ranges.first[i]) w = CircleWalkAt(r, ranges.first[i]);
    for (; w.Running() && w.xo <= ranges.last[i]; w.Step()) step(w);
    if (!w.Running()) return;
  }
}

// Calls plot(px, py) for each point of the outline of radius r >= 0 about
// (x, y) that lies inside the area: eight mirrored points a step, duplicates
// included.
template <class Plot>
void WalkCircleOutline(int64_t x, int64_t y, int64_t r, const ClipBox& area, Plot&& plot) {
  auto inside = [&](int64_t px, int64_t py) {
    if (px >= area.left && px < area.right && py >= area.top && py < area.bottom) plot(px, py);
  };
  inside(x - r, y);
  inside(x + r, y);
  inside(x, y + r);
  inside(x, y - r);
  WalkCircleSteps(r, OutlineSteps(x, y, r, area), [&](const CircleWalk& w) {
    const int64_t a = w.xo, b = w.yo;
    inside(x - b, y + a);
    inside(x + b, y + a);
    inside(x - b, y - a);
    inside(x + b, y - a);
    inside(x - a, y + b);
    inside(x + a, y + b);
    inside(x - a, y - b);
    inside(x + a, y - b);
  });
}

// Calls span(row, first, last) for each row of the disc of radius r >= 0
// about (x, y) inside the area, once a row, clipped to the area: a row takes
// the first span the walk reaches on it. rowDrawn holds one zeroed flag for
// each row of the area.
template <class Span>
void WalkCircleDisc(int64_t x, int64_t y, int64_t r, const ClipBox& area, uint8_t* rowDrawn, Span&& span) {
  auto once = [&](int64_t row, int64_t xa, int64_t xb) {
    if (row < area.top || row >= area.bottom || xb < area.left || xa >= area.right) return;
    uint8_t& drawn = rowDrawn[row - area.top];
    if (drawn) return;
    drawn = 1;
    span(row, std::max(xa, area.left), std::min(xb, area.right - 1));
  };
  once(y, x - r, x + r);
  if (CircleWalk(r).d >= 0) {
    once(y + r, x, x);
    once(y - r, x, x);
  }
  WalkCircleSteps(r, DiscSteps(y, r, area), [&](const CircleWalk& w) {
    once(y + w.xo, x - w.yo, x + w.yo);
    once(y - w.xo, x - w.yo, x + w.yo);
    // A row y +- yo is drawn at the step after which yo falls, with the
    // widest xo the walk reaches on it.
    if (w.d >= 0) {
      once(y + w.yo, x - w.xo, x + w.xo);
      once(y - w.yo, x - w.xo, x + w.xo);
    }
  });
}

}  // namespace veziv::softrender
