// Triangle set-up and edge walk. Positions are held with a half-pixel bias
// (a corner sits at its pixel's centre), integer parts round toward zero, both
// span ends are inclusive and the bottom corner's row is not walked; an edge
// shared by two triangles is computed the same way in both, so its pixels are
// drawn by both. The set-up runs in 64 bits so that corners far outside the
// area neither overflow nor make the walk run through rows nobody sees.
#include "library/softrender/triangle/triangle_walk.h"

#include <algorithm>

#include "library/foundation/core/helpers.h"

namespace veziv::softrender {
namespace {

bool WithinLimit(int32_t value) {
  return value > -kTriangleCoordinateLimit && value < kTriangleCoordinateLimit;
}

int64_t ToFixedPosition(int32_t pixel) { return int64_t{pixel} * kFixedOne + kFixedOne / 2; }

// Orders the indexes by key; equal keys keep their order, which decides the
// reference corner when two corners share the least x.
void ExchangeSort(int* index, const int64_t* key) {
  for (int i = 0; i < 2; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      if (key[index[i]] > key[index[j]]) std::swap(index[i], index[j]);
    }
  }
}

int32_t Gradient(int64_t numerator, int64_t determinant) {
  return TruncateDoubleToInt(static_cast<double>(numerator) * static_cast<double>(kFixedOne) /
                             static_cast<double>(determinant));
}

// An edge from an upper point to a lower one; false when it spans no row.
bool MakeSegment(int64_t xa, int64_t ya, int64_t xb, int64_t yb, EdgeSegment* segment) {
  segment->rows = (yb - ya) / kFixedOne;
  if (segment->rows <= 0) return false;
  segment->startX = xa;
  segment->step = (xb - xa) / segment->rows;
  segment->startRow = ya;
  return true;
}

}  // namespace

bool SetUpTriangle(const TriangleVertex* corners, bool textured, TriangleSetup* setup) {
  int64_t x[3], y[3];
  for (int i = 0; i < 3; ++i) {
    const TriangleVertex& c = corners[i];
    if (!WithinLimit(c.x) || !WithinLimit(c.y)) return false;
    if (textured && (!WithinLimit(c.u) || !WithinLimit(c.v))) return false;
    x[i] = ToFixedPosition(c.x);
    y[i] = ToFixedPosition(c.y);
  }
  int byX[3] = {0, 1, 2}, byY[3] = {0, 1, 2};
  ExchangeSort(byX, x);
  ExchangeSort(byY, y);

  *setup = TriangleSetup{};
  const int r = byX[0], c1 = byX[1], c2 = byX[2];
  const int64_t dx1 = int64_t{corners[c1].x} - corners[r].x, dy1 = int64_t{corners[c1].y} - corners[r].y;
  const int64_t dx2 = int64_t{corners[c2].x} - corners[r].x, dy2 = int64_t{corners[c2].y} - corners[r].y;
  const int64_t d = dy1 * dx2 - dy2 * dx1;
  if (d == 0) return false;
  setup->referenceColumn = x[r] / kFixedOne;
  setup->referenceRow = y[r] / kFixedOne;
  if (textured) {
    setup->referenceU = static_cast<uint32_t>(corners[r].u) << kFixedShift;
    setup->referenceV = static_cast<uint32_t>(corners[r].v) << kFixedShift;
    const int64_t du1 = int64_t{corners[c1].u} - corners[r].u, dv1 = int64_t{corners[c1].v} - corners[r].v;
    const int64_t du2 = int64_t{corners[c2].u} - corners[r].u, dv2 = int64_t{corners[c2].v} - corners[r].v;
    setup->dUdx = Gradient(dy1 * du2 - dy2 * du1, d);
    setup->dUdy = Gradient(du1 * dx2 - dx1 * du2, d);
    setup->dVdx = Gradient(dy1 * dv2 - dy2 * dv1, d);
    setup->dVdy = Gradient(dv1 * dx2 - dx1 * dv2, d);
  }

  const int t = byY[0], m = byY[1], b = byY[2];
  EdgeSide& left = setup->left;
  EdgeSide& right = setup->right;
  bool ok;
  if (y[t] == y[m]) {
    const int l = x[t] <= x[m] ? t : m, rr = x[t] <= x[m] ? m : t;
    ok = MakeSegment(x[l], y[l], x[b], y[b], &left.segment[1]) &&
         MakeSegment(x[rr], y[rr], x[b], y[b], &right.segment[1]);
  } else if (y[m] == y[b]) {
    const int l = x[m] <= x[b] ? m : b, rr = x[m] <= x[b] ? b : m;
    ok = MakeSegment(x[t], y[t], x[l], y[l], &left.segment[1]) &&
         MakeSegment(x[t], y[t], x[rr], y[rr], &right.segment[1]);
  } else {
    // Which side the middle corner is on, by the slopes of the two edges from the top.
    const double toMiddle = static_cast<double>(x[m] - x[t]) / static_cast<double>((y[m] - y[t]) / kFixedOne);
    const double toBottom = static_cast<double>(x[b] - x[t]) / static_cast<double>((y[b] - y[t]) / kFixedOne);
    EdgeSide& bent = toBottom > toMiddle ? left : right;
    EdgeSide& straight = toBottom > toMiddle ? right : left;
    // On the right the lower part starts one fixed-point unit right of the middle corner.
    const int64_t lowerStart = &bent == &right ? x[m] + 1 : x[m];
    ok = MakeSegment(x[t], y[t], x[m], y[m], &bent.segment[0]) &&
         MakeSegment(lowerStart, y[m], x[b], y[b], &bent.segment[1]) &&
         MakeSegment(x[t], y[t], x[b], y[b], &straight.segment[1]);
    bent.current = 0;
    bent.pending = bent.segment[1].rows;
  }
  return ok;
}

void WalkTriangle(const TriangleSetup& setup, const DrawRect& area, SpanSink sink) {
  const EdgeSide& left = setup.left;
  const EdgeSide& right = setup.right;
  int leftSegment = left.current, rightSegment = right.current;
  int64_t row = left.segment[leftSegment].startRow / kFixedOne;
  int64_t leftX = left.segment[leftSegment].startX, leftStep = left.segment[leftSegment].step;
  int64_t rightX = right.segment[rightSegment].startX, rightStep = right.segment[rightSegment].step;
  int64_t leftRows = left.segment[leftSegment].rows, rightRows = right.segment[rightSegment].rows;

  for (;;) {
    int64_t advance = 1;
    if (row < area.top) {
      advance = std::min({int64_t{area.top} - row, leftRows, rightRows});
    } else if (row >= area.bottom) {
      // Rows only grow: the left side's switch to its lower part steps back at
      // most to the last row walked.
      return;
    } else {
      int64_t first = leftX / kFixedOne;
      int64_t count = rightX / kFixedOne - first + 1;
      if (first < area.left) {
        count -= area.left - first;
        first = area.left;
      }
      if (first < area.right && count > 0) {
        TriangleSpan span;
        span.row = static_cast<int32_t>(row);
        span.first = static_cast<int32_t>(first);
        span.count = static_cast<int32_t>(std::min<int64_t>(count, int64_t{area.right} - first));
        const uint32_t dx = static_cast<uint32_t>(first - setup.referenceColumn);
        const uint32_t dy = static_cast<uint32_t>(row - setup.referenceRow);
        span.du = static_cast<uint32_t>(setup.dUdx);
        span.dv = static_cast<uint32_t>(setup.dVdx);
        span.u = setup.referenceU + dx * span.du + dy * static_cast<uint32_t>(setup.dUdy);
        span.v = setup.referenceV + dx * span.dv + dy * static_cast<uint32_t>(setup.dVdy);
        sink.draw(sink.ctx, span);
      }
    }
    leftX += advance * leftStep;
    rightX += advance * rightStep;
    row += advance;
    leftRows -= advance;
    rightRows -= advance;

    if (leftRows == 0) {
      if (leftSegment == 1) return;
      leftSegment = 1;
      leftX = left.segment[1].startX;
      leftStep = left.segment[1].step;
      row = left.segment[1].startRow / kFixedOne;
      leftRows = left.pending;
    }
    if (rightRows == 0) {
      if (rightSegment == 1) return;
      rightSegment = 1;
      rightX = right.segment[1].startX;
      rightStep = right.segment[1].step;
      rightRows = right.pending;
    }
  }
}

}  // namespace veziv::softrender
