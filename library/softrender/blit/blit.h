// The software renderer's blits: a whole source image drawn unscaled at a point
// of a target image, or scaled (and mirrored) into a destination rectangle, by
// the draw state of the snapshot. Both refuse silently and report nothing.
#pragma once

#include <cstdint>

#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {

// Draws source with its top-left pixel at (x, y) of target. transparencyFlag 0
// tests no pixel; any other value skips transparent pixels (the transparent
// value, or alpha by the loop's rule). blendImage (one byte a pixel, aligned
// with the source) weights each pixel through the blend alpha table; null for none.
void SoftSurfaceBlit(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t x, int32_t y,
                     int32_t transparencyFlag, const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);

// Draws source into the rectangle {x1, y1, x2, y2} of target, nearest-neighbour;
// x1 > x2 or y1 > y2 mirrors that axis. A request of the source's own size that
// is not mirrored goes to SoftSurfaceBlit.
void SoftSurfaceBlitScaled(SOFTSURFACE* target, const SOFTSURFACE* source, const int32_t rect[4],
                           int32_t transparencyFlag, const SOFTSURFACE* blendImage,
                           const SoftDrawSnapshot& draw);

}  // namespace veziv
