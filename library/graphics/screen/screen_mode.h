// The screen mode (size, colour bits, refresh rate, the half-size screen and
// the vertical-blank wait), its change with fallbacks while the library runs,
// the display's mode list, the frame wait and showing the screen image in the
// window.
#pragma once

#include <cstdint>
#include <vector>

#include "library/veziv.h"
#include "platform/window/present.h"

namespace veziv {

// Always 0.
int GetGraphicsStubFlag();

namespace detail {

// The mode itself lives in the screen record (graphics_context.h); beside it
// the time of the last flip and the display-mode list.
struct DisplayState {
  uint32_t last_flip_ms = 0;
  bool modes_listed = false;
  std::vector<DisplayModeRecord> modes;
};
DisplayState& Display();

// How a mode change ends and starts graphics, and the device set-up the start
// runs: StartGraphicsSystem, EndGraphicsSystem and SetupGraphicsDevice unless
// a test puts its own in.
struct GraphicsLifecycle {
  int (*start)();         // 0, or -1 after ending what it started
  int (*end)();           // 0
  int (*setup_device)();  // 0 or -1
};
GraphicsLifecycle& GraphicsLifecycleCalls();
// The library's own graphics start, end and device set-up.
const GraphicsLifecycle& DefaultGraphicsLifecycle();
// The device set-up of the software road: nothing in window mode; in full
// screen the window covers the desktop and the screen is letterboxed in it.
int SetupSoftwareDevice();
// The device's end on the software road: a full-screen window gives the
// desktop back; the display-mode list is freed (listed again on next use).
void ReleaseGraphicsDevice();

// Puts the screen size into the projection builders and the window's call
// sites (with the forced change that a window-mode switch makes, and the
// recovery after a device loss).
void InstallScreenModeHooks();

// The display modes the list keeps: those of at least 16 bits, in order.
std::vector<DisplayModeRecord> KeepListedModes(const std::vector<platform::window::DisplayMode>& modes);

struct PresentRects {
  platform::window::ScreenRect source;
  platform::window::ScreenRect destination;
};
// The part of a screen_width x screen_height image shown and where it goes in
// window mode (zoomed by the window's zoom factor).
PresentRects ComputePresentRects(int screen_width, int screen_height, bool half_size, bool windowed, double zoom);
// Shows a 32-bit screen image (bytes blue, green, red, unused; rows pitch
// bytes apart) in the window as the mode says, after the frame wait unless
// the present does not wait. 0 (also without a window), or -1 when the image
// cannot be shown.
int PresentScreenImage(const uint8_t* pixels, int width, int height, int pitch);
// The device's frame shown the same way, without reading it back. 0 or -1.
int PresentScreenFrame();

}  // namespace detail
}  // namespace veziv
