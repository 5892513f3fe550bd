// The rotated and zoomed blit: a whole source image turned by an angle and
// zoomed by a scale about a centre point of the target, by the draw state of
// the snapshot. Each target pixel of the image's bounding box is mapped back
// to a source texel in 18-bit fixed point; pixels that map outside the source
// are left alone.
#pragma once

#include <cstdint>

#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {

// Draws source with its texel (width / 2, height / 2) on target pixel
// (centreX, centreY), turned by angle radians (clockwise on the screen) and
// zoomed by scale (a negative scale adds a half turn). transparencyFlag
// non-zero skips transparent texels (the transparent value, a palette index,
// or alpha by the rules); blendImage (null for none, at least the source's
// size) weights each texel. turnFlag non-zero draws the source mirrored left
// to right. A zero or non-finite scale draws nothing.
void SoftSurfaceBlitRotated(SOFTSURFACE* target, const SOFTSURFACE* source, int32_t centreX, int32_t centreY,
                            float angle, float scale, int32_t transparencyFlag, int32_t turnFlag,
                            const SOFTSURFACE* blendImage, const SoftDrawSnapshot& draw);

}  // namespace veziv
