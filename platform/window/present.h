// Showing the program's screen image in the window, and the display's modes.
// The image is 32-bit, bytes blue, green, red and an unused fourth, top row
// first. A part of it (the source) is scaled into a destination rectangle of
// the window, each image pixel repeated (nearest pixel, no smoothing); in full
// screen the part is letterboxed over the desktop instead.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window/letterbox.h"

namespace platform::window {

struct ScreenImage {
  const uint8_t* pixels = nullptr;  // the top-left pixel; rows are pitch bytes apart
  int width = 0;
  int height = 0;
  int pitch = 0;
};

struct PresentRequest {
  ScreenImage image;
  ScreenRect source;       // the part of the image shown
  ScreenRect destination;  // where it goes in window mode, in client pixels
  bool wait_for_vblank = true;
};

// Where the picture lands in the client area: the destination in window mode,
// the source's shape fitted and centred in full screen.
ScreenRect PresentPlacement(const PresentRequest& request, bool full_screen, int client_width, int client_height);

// Shows the request's source part and keeps it on screen until the next
// present. False without a window, for an image or source the request does
// not describe (an empty source, one outside the image, a pitch shorter than
// a row), or when the video system refuses.
bool PresentScreenImage(const PresentRequest& request);

// A frame held outside this module (the graphics device's back buffer): its
// holder shows it in the window, or a driver that keeps frames instead of
// showing them reads it out.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Shows the source part at placement (client pixels), the rest of the
  // client area black.
  virtual bool Show(const ScreenRect& source, const ScreenRect& placement, bool wait_for_vblank) = 0;
  // The source part's pixels, 32-bit with blue in the lowest byte, top row first.
  virtual bool Read(const ScreenRect& source, uint32_t* pixels) = 0;
};

struct FrameRequest {
  ScreenRect source;       // the part of the frame shown (its top-left at 0, 0)
  ScreenRect destination;  // where it goes in window mode, in client pixels
  bool wait_for_vblank = true;
};

// Shows a held frame as PresentScreenImage shows an image, through the
// active driver. False without a window, for an empty source or when the
// frame cannot be shown or read.
bool PresentFrame(FrameSource& frame, const FrameRequest& request);

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;  // a 4-byte pixel counts as 32, whatever its colour bits
  int refresh_rate = 0;    // 0 when unknown
};
// The primary display's modes in the order the video system reports them
// (starts video when needed); empty when video cannot start.
std::vector<DisplayMode> ListDisplayModes();

}  // namespace platform::window
