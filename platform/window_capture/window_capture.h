// Reading back what the X server shows in the program's window, so that a
// test can compare the window with the picture the program meant to show,
// resizing it from outside, as a user's drag of its frame does, and keys and
// clicks sent to a window as the X server delivers a user's.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::window {

struct WindowPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top
};

// True when the X display the environment names can be opened (xvfb-run
// may hand over a display another run took first).
bool CanOpenXDisplay();
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

// The same reading of any window of the program's X connection (display: an
// Xlib Display*), such as a message box's.
bool CaptureX11WindowPixels(void* display, unsigned long window, WindowPixels* out);
// A key (an X keysym, such as XK_Tab) pressed and let go in the window.
bool SendX11Key(void* display, unsigned long window, unsigned long keysym);
// The display's pointer moved to x, y of the window and its left button
// pressed and let go there (through the XTest extension; false without it).
bool SendX11Click(void* display, unsigned long window, int x, int y);

}  // namespace platform::window
