// Filled triangles and quads of the software renderer: a triangle with a
// texture mapped through per-corner texel coordinates or with one flat colour,
// and a whole image drawn into four free corners. Both read the draw state of
// the snapshot once, clip to its draw area and refuse silently.
#pragma once

#include <cstdint>

#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"
#include "library/softrender/triangle/triangle_walk.h"

namespace veziv {

// Draws the triangle of three corners (any order) into target. With a source
// the corners' u and v map it onto the triangle; transparencyFlag non-zero
// leaves its transparent texels out and blendImage (null for none) weights
// each texel. Without a source every covered pixel gets colour, a pixel value
// of the target's format, and the flag, blend image, u and v are not read.
void SoftSurfaceFillTriangle(SOFTSURFACE* target, const SOFTSURFACE* source,
                             const softrender::TriangleVertex* vertices, int32_t transparencyFlag,
                             const SOFTSURFACE* blendImage, uint32_t colour, const SoftDrawSnapshot& draw);

// Draws the whole source into the quad of corners[0..7] (x, y of the points
// that receive the source's top-left, top-right, bottom-left and bottom-right)
// as two triangles sharing the top-right to bottom-left diagonal.
void SoftSurfaceFillQuad(SOFTSURFACE* target, const SOFTSURFACE* source, const int32_t* corners,
                         int32_t transparencyFlag, const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);

}  // namespace veziv
