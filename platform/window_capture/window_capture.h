// Reading back what the X server shows in the program's window, so that a
// test can compare the window with the picture the program meant to show,
// and resizing it from outside, as a user's drag of its frame does.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::window {

struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top
};

// True when the window lies on an X display (not the headless driver, not
// another video system).
bool WindowIsOnXDisplay();
// The window's client area as the display holds it now, after every drawing
// request sent so far has been carried out. False without an X window.
bool CaptureWindowPixels(WindowPixels* out);
// Gives the window's client area width x height from another connection to
// the X server, as the window manager does when the user drags the frame.
// False without an X window.
bool ResizeWindowFromOutside(int width, int height);

}  // namespace platform::window
