// Starting and ending the graphics system on the software road, showing the
// finished frame in the window, and graphics' steps in the library's start
// and end.
#pragma once

#include "library/veziv.h"

namespace veziv {

// Sets the device up for the screen mode (an unset mode becomes
// 640 x 480 x 16), makes the screen image and resets the draw state and the
// blend tables. 0 (also when already started), or -1 after ending what it
// started when the device cannot be set up.
int StartGraphicsSystem();
// Deletes every graph, mask and light, releases the device and the screen
// images. 0.
int EndGraphicsSystem();
// The present that follows the end of a frame's drawing.
int PresentAfterEndScene();
int SetDialogBoxModeAfterEndScene(int flag);

namespace detail {
// Puts graphics' steps into the library's start and end table. InitLibrary
// calls it; tests that start the library without the top call it themselves.
void RegisterGraphicsWithLibrary();
}  // namespace detail

}  // namespace veziv
