// Rectangles with their clipping, and 4 x 4 float matrices and 3-vectors for
// the projection, view and viewport transforms.
//
// Matrices are row-major (element (r, c) is m[4 * r + c]) and act on row
// vectors from the left (v' = v x M): translation sits in row 3, and A x B
// applies A first. Projections are left-handed, map view z into 0..1 and put
// z into w. Nothing here keeps state except the screen-size source.
#pragma once

#include "library/veziv.h"

namespace veziv {

// Where the projection builders read the screen size: graphics installs its
// own; null (the start state) gives 640 x 480.
using ScreenSizeSource = void (*)(int* width, int* height);
void SetScreenSizeSource(ScreenSizeSource source);

}  // namespace veziv
