// Triangle set-up and edge walk of the software renderer: sorts the three
// corners, derives the texel gradients and the two edge sides, then walks the
// rows top to bottom and hands each clipped span (row, first column, pixel
// count, texel start and step) to a span function. Knows no pixel format.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"

namespace veziv::softrender {

// One corner: target pixel (x, y) and source texel (u, v), whole units.
struct TriangleVertex {
  int32_t x;
  int32_t y;
  int32_t u = 0;
  int32_t v = 0;
};

// Fixed point of positions, texel coordinates and steps: 18 fraction bits.
inline constexpr int kFixedShift = 18;
inline constexpr int64_t kFixedOne = int64_t{1} << kFixedShift;

// One row to draw, already inside the area: pixels first .. first + count - 1
// of row. u and v are the texel coordinates of the first pixel; each further
// pixel adds du and dv (all modulo 2^32; a coordinate is inside a source of
// width w when, unsigned, it is below w << 18). Flat fills get zeros.
struct TriangleSpan {
  int32_t row;
  int32_t first;
  int32_t count;
  uint32_t u;
  uint32_t v;
  uint32_t du;
  uint32_t dv;
};

// Corner coordinates at or beyond this magnitude are refused: below it every
// set-up product is exact in 64-bit integers and in double.
inline constexpr int32_t kTriangleCoordinateLimit = 1 << 24;

struct EdgeSegment {
  int64_t startX = 0;    // fixed point
  int64_t step = 0;      // fixed point per row
  int64_t rows = 0;
  int64_t startRow = 0;  // fixed point; read for the left side only
};

struct EdgeSide {
  EdgeSegment segment[2];
  int current = 1;       // the walk ends when segment 1 runs out
  int64_t pending = 0;   // rows of segment 1 for a side that starts on segment 0
};

struct TriangleSetup {
  int64_t referenceColumn = 0;
  int64_t referenceRow = 0;
  uint32_t referenceU = 0;
  uint32_t referenceV = 0;
  int32_t dUdx = 0, dUdy = 0, dVdx = 0, dVdy = 0;
  EdgeSide left, right;
};

// Fills setup from three corners in any order. textured = false ignores u and v
// (flat fills may leave them unset). False when nothing is to be drawn: corners
// on one line, two equal corners, or a coordinate beyond the limit.
bool SetUpTriangle(const TriangleVertex* corners, bool textured, TriangleSetup* setup);

// Receives the spans of one walk; ctx is the caller's.
struct SpanSink {
  void (*draw)(void* ctx, const TriangleSpan& span);
  void* ctx;
};

// Walks the rows of a set-up triangle and hands each span that lies in area
// (right and bottom exclusive) to sink, top to bottom. Rows above the area are stepped over in one go and the
// walk stops below it, so the work is bounded by the area.
void WalkTriangle(const TriangleSetup& setup, const DrawRect& area, SpanSink sink);

// A sink that calls fn(const TriangleSpan&); fn must outlive the walk.
template <class SpanFn>
SpanSink MakeSpanSink(SpanFn& fn) {
  return {[](void* ctx, const TriangleSpan& span) { (*static_cast<SpanFn*>(ctx))(span); },
          const_cast<void*>(static_cast<const void*>(&fn))};
}

// Set-up and walk in one; fn is called as fn(const TriangleSpan&).
template <class SpanFn>
void RasterizeTriangle(const TriangleVertex* corners, bool textured, const DrawRect& area, SpanFn&& fn) {
  TriangleSetup setup;
  if (SetUpTriangle(corners, textured, &setup)) WalkTriangle(setup, area, MakeSpanSink(fn));
}

}  // namespace veziv::softrender
