// Flat-colour shapes of the software renderer: filled boxes, one-pixel lines
// and line lists, circle outlines and discs, drawn in one colour by the draw
// state of the snapshot (draw area, blend mode and parameter, brightness).
// Each refuses silently: palette and alpha targets, unknown types and blend
// modes without a rule draw nothing.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {

// Fills the box {x1, y1, x2, y2} (corners in any order, right and bottom
// exclusive; null: the whole view) with colour, a pixel value of the target's
// format (a 16-bit target reads its low 16 bits). It blends and clips by the
// draw state; filling a whole graph with a colour is SoftSurfaceFillRaw's work.
void SoftSurfaceFillBox(SOFTSURFACE* target, const DrawRect* rect, uint32_t colour, const SoftDrawSnapshot& draw);

// Draws the line from (x1, y1), drawn, to (x2, y2), not drawn.
void SoftSurfaceLine(SOFTSURFACE* target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                     const SoftDrawSnapshot& draw);

// One record of a line list: x1, y1, x2, y2, colour and a word the list does
// not read.
inline constexpr int kLineRecordWords = 6;

// Draws count records (kLineRecordWords words each, first to last) as lines;
// a count of 0 or below draws nothing.
void SoftSurfaceLineList(SOFTSURFACE* target, const int32_t* records, int32_t count, const SoftDrawSnapshot& draw);

// Draws the outline (fill 0) or the disc (any other fill) of radius r >= 0
// about (x, y).
void SoftSurfaceCircle(SOFTSURFACE* target, int32_t x, int32_t y, int32_t r, uint32_t colour, int32_t fill,
                       const SoftDrawSnapshot& draw);

}  // namespace veziv
