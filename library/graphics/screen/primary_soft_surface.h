// The software screen: the screen image the screen targets draw into and the
// two work images of the software string drawing, made at graphics start and
// released at its end.
#pragma once

#include "library/softrender/surface/softsurface.h"

namespace veziv {

// Makes the software screen image at the screen size and type (its failure
// ends the program), the two work images of string drawing (the second with
// the extra planes), fills the screen with black and makes it the image the
// screen targets draw into. Returns 0.
int CreatePrimarySoftSurface();
// Releases the screen and work images (graphics end); the screen targets then
// have no image.
void ReleasePrimarySoftSurface();
// The two work images of the software string drawing (index 0 or 1), or null.
SOFTSURFACE* GetStringWorkSoftSurface(int index);

}  // namespace veziv
