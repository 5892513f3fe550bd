// Starting and ending the graphics system on the software road, showing the
// finished frame in the window, and graphics' steps in the library's start
// and end.
#pragma once

namespace veziv {

// Sets the device up for the screen mode (an unset mode becomes
// 640 x 480 x 16), makes the screen image and resets the draw state and the
// blend tables. 0 (also when already started), or -1 after ending what it
// started when the device cannot be set up.
int StartGraphicsSystem();
// Deletes every graph, mask and light, releases the device and the screen
// images. 0.
int EndGraphicsSystem();
// Shows the screen image in the window (with the on-screen log over it while
// the log is shown). -1 before the library has started or once the window is
// gone, or when the window refuses the frame; else 0.
int PresentBackBuffer();
// The present that follows the end of a frame's drawing.
int PresentAfterEndScene();
// The menu's dialog-box mode of a full-screen device; the software screen has
// none. 0.
int SetDeviceDialogBoxMode(int flag);
int SetDialogBoxModeAfterEndScene(int flag);

namespace detail {
// Puts graphics' steps into the library's start and end table. Runs by itself
// when the program starts; tests that replace the table call it again.
void RegisterGraphicsWithLibrary();
}  // namespace detail

}  // namespace veziv
