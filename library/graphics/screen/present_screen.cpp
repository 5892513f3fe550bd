// Showing the screen image in the window as the screen mode says, the frame
// wait, and the display-mode list.

#include "library/foundation/core/helpers.h"
#include "library/veziv.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "platform/os/clock.h"
#include "platform/window/window.h"

namespace veziv {

namespace pw = platform::window;

namespace detail {

PresentRects ComputePresentRects(int screen_width, int screen_height, bool half_size, bool windowed, double zoom) {
  PresentRects r;
  r.source = {0, 0, screen_width, screen_height};
  if (half_size && screen_width == 640 && screen_height == 480) r.source = {0, 0, 320, 240};
  if (windowed) {
    r.destination = {0, 0, TruncateDoubleToInt(zoom * screen_width), TruncateDoubleToInt(zoom * screen_height)};
  } else {
    r.destination = {0, 0, screen_width, screen_height};
  }
  return r;
}

int PresentScreenImage(const uint8_t* pixels, int width, int height, int pitch) {
  if (!pw::HasWindow()) return 0;
  const GraphicsScreen& m = Screen();
  const bool windowed = IsWindowedMode() != 0;
  const PresentRects rects =
      ComputePresentRects(width, height, m.half_size != 0, windowed, GetWindowZoomRatio());
  if (!m.no_vblank_wait) WaitFrameInterval();
  pw::PresentRequest request;
  request.image = {pixels, width, height, pitch};
  request.source = rects.source;
  request.destination = rects.destination;
  request.wait_for_vblank = m.no_vblank_wait == 0;
  return pw::PresentScreenImage(request) ? 0 : -1;
}

int PresentScreenFrame() {
  if (!pw::HasWindow()) return 0;
  const GraphicsScreen& m = Screen();
  const PresentRects rects = ComputePresentRects(m.width, m.height, m.half_size != 0, IsWindowedMode() != 0,
                                                 GetWindowZoomRatio());
  if (!m.no_vblank_wait) WaitFrameInterval();
  return PresentDeviceFrame(rects.source.width, rects.source.height, rects.destination.width,
                            rects.destination.height, m.no_vblank_wait == 0);
}

std::vector<DisplayModeRecord> KeepListedModes(const std::vector<pw::DisplayMode>& modes) {
  std::vector<DisplayModeRecord> kept;
  for (const pw::DisplayMode& m : modes) {
    if (m.bits_per_pixel >= 16) kept.push_back({m.width, m.height, m.bits_per_pixel, m.refresh_rate});
  }
  return kept;
}

DisplayState& Display() {
  static DisplayState state;
  return state;
}

void ReleaseGraphicsDevice() {
  if (pw::HasWindow() && pw::IsFullScreen()) pw::SetFullScreen(false);
  DisplayState& m = Display();
  m.modes.clear();
  m.modes_listed = false;
}

}  // namespace detail

int WaitFrameInterval() {
  platform::os::Sleep(0);
  detail::Display().last_flip_ms = platform::os::MillisecondClock();
  return 0;
}

namespace {

const std::vector<DisplayModeRecord>& ListedModes() {
  detail::DisplayState& m = detail::Display();
  if (!m.modes_listed) {
    m.modes = detail::KeepListedModes(pw::ListDisplayModes());
    m.modes_listed = true;
  }
  return m.modes;
}

}  // namespace

int GetDisplayModeCount() { return static_cast<int>(ListedModes().size()); }

DisplayModeRecord GetDisplayModeEntry(int index) {
  const std::vector<DisplayModeRecord>& modes = ListedModes();
  if (index < 0 || static_cast<size_t>(index) >= modes.size()) return {-1, -1, -1, -1};
  return modes[static_cast<size_t>(index)];
}

}  // namespace veziv
