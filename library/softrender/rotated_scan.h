// The rotated blit's geometry and scan: the turned corners, the bounding box
// clipped to the draw area and the fixed-point texel position and steps of
// its first pixel, computed once per call; and what the row loops read.
// Internal to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/draw_snapshot.h"
#include "library/graphics/softsurface.h"
#include "library/softrender/blend_rules.h"
#include "library/softrender/blit_setup.h"

namespace veziv::softrender {

inline constexpr int kRotatedShift = 18;  // fraction bits of texel coordinates

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

// What a row loop reads besides the row's position and coordinates.
struct RotatedSetup {
  uint8_t* target;
  ptrdiff_t targetPitch;
  const uint8_t* source;
  ptrdiff_t sourcePitch;
  uint32_t widthBound, heightBound;  // texel coordinates at or past these lie outside
  const uint8_t* blend;              // null without a blend image
  ptrdiff_t blendPitch;
  const uint8_t* blendAlpha;
  const uint8_t* palette;  // palette sources: the source's own palette
  uint32_t key;
  RuleTables rules;
};

// One row of the box: count pixels from (first, row) of the target, the first
// at texel coordinates (u, v), each next one du, dv further.
struct RotatedRow {
  int32_t row, first, count;
  uint32_t u, v, du, dv;
};

using RotatedRowLoop = void (*)(const RotatedSetup&, const RotatedRow&);

// The 32-bit row loop of a rule and options; palette sources take the
// parameter-0 subtract and ignore the alpha option.
RotatedRowLoop ChooseRotated32Loop(bool palette, BlendRule rule, const LoopOptions& o);

}  // namespace veziv::softrender
