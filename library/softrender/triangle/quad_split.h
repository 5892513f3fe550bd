// A quad as two triangles: which corners form each triangle for the corner
// orders callers pass, and the cheap test that lets a quad far off the draw
// area skip both triangles.
#pragma once

#include "library/softrender/triangle/triangle_walk.h"

namespace veziv::softrender {

enum class QuadCornerOrder {
  // Corners are the image's top-left, top-right, bottom-left, bottom-right:
  // triangles (0, 1, 2) and (1, 2, 3), split along the corner 1 - corner 2 diagonal.
  kZ,
  // Corners go round the outline: triangles (0, 1, 2) and (0, 2, 3), split along 0 - 2.
  kOutline,
};

// Writes the two triangles' corners, three and three, into triangles[0..5].
void SplitQuad(const TriangleVertex* corners, QuadCornerOrder order, TriangleVertex* triangles);

// False when the corners' box, widened by 2 pixels up and left and 4 down and
// right, misses area; the triangles then draw nothing and need not be walked.
bool QuadBoxMeetsArea(const TriangleVertex* corners, const DrawRect& area);

}  // namespace veziv::softrender
