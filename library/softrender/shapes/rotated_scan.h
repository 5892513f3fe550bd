// The rotated blit's geometry: the turned corners, and the bounding box
// clipped to the draw area with the fixed-point texel position and steps of
// its first pixel, computed once per call. Internal to the renderer.
#pragma once

#include <cstdint>

#include "library/softrender/blit/blit_setup.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv::softrender {

// The four turned corners in fixed point: 0 the source's top-left, 1
// bottom-left, 2 bottom-right, 3 top-right.
struct RotatedCorners {
  int64_t x[4], y[4];
};

// Corners of a width x height source zoomed by scale and turned by angle about
// (centreX, centreY).
RotatedCorners TurnCorners(uint32_t width, uint32_t height, int32_t centreX, int32_t centreY, float angle,
                           float scale);

// The clipped box and the texel coordinates of its pixels: pixel (left + i,
// top + j) maps to u + i * du + j * rowU (and v likewise), in wrapping 32-bit
// arithmetic.
struct RotatedScan {
  ClipBox box;
  uint32_t u, v;
  uint32_t du, dv;
  uint32_t rowU, rowV;
};

// The scan of a width x height source for the non-mirrored blit; false when
// nothing is to be drawn: a zero or non-finite scale, an empty clipped box,
// or coordinates that would not fit the 32-bit fixed point.
bool SetUpRotatedScan(uint32_t width, uint32_t height, int32_t centreX, int32_t centreY, float angle, float scale,
                      const DrawRect& drawArea, const SOFTSURFACE& target, RotatedScan* scan);

}  // namespace veziv::softrender
