// The screen mode (size, colour bits, refresh rate, the half-size screen and
// the vertical-blank wait), its change with fallbacks while the library runs,
// the display's mode list, the frame wait and showing the screen image in the
// window.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window/present.h"

namespace veziv {

// -1 for a zero width or height or bits other than 8, 16 and 32. Before the
// library has started the mode is stored and the result is 0; afterwards it
// is applied: 0 when the screen now has the mode asked for, -2 when it fell
// back to 640 x 480 x 16, else -1.
int SetScreenMode(int width, int height, int color_bits, int refresh_rate);
// -1 in any argument keeps the current value. Restarts graphics in the new
// mode, falling back (320 x 240 as the 640 x 480 half-size screen, the old
// mode, 640 x 480 x 16) when it cannot start; ends the program when nothing
// starts. Every graph is lost. 0.
int ChangeScreenMode(int width, int height, int color_bits, int force, int refresh_rate);

// Either pointer may be null; 640 x 480 while no size is set. 0.
int GetScreenSizeOrDefault(int* width, int* height);
// The stored values (zeros while unset); each pointer may be null. 0.
int GetScreenSizeAndDepth(int* width, int* height, int* color_bits);
int GetScreenColorBitDepth();
// 1 when the program runs in full screen.
int IsFullScreenMode();
// A token that stands for the display object; never null.
void* GetDirectDrawObject();
// Always 0.
int GetGraphicsStubFlag();
// flag 1: a present waits for the vertical blank. 0.
int SetPresentWaitsForVBlank(int flag);
int GetPresentWaitsForVBlank();
// 1: a 640 x 480 screen shows its top-left 320 x 240 enlarged. 0.
int SetHalfSizeScreenFlag(int flag);
// Yields the processor and records the time of the flip; the wait for the
// vertical blank itself is the present's. 0.
int WaitFrameInterval();

struct DisplayModeRecord {
  int32_t width;
  int32_t height;
  int32_t colorBits;
  int32_t refreshRate;
};
// The display's modes of at least 16 bits, listed on first use.
int GetDisplayModeCount();
// The entry at index; all four fields -1 outside the list.
DisplayModeRecord GetDisplayModeEntry(int index);

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
// runs: StartGraphicsSystem, EndGraphicsSystem and SetupSoftwareDevice unless
// a test puts its own in.
struct GraphicsLifecycle {
  int (*start)();         // 0, or -1 after ending what it started
  int (*end)();           // 0
  int (*setup_device)();  // 0 or -1
};
GraphicsLifecycle& GraphicsLifecycleCalls();
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
// The screen record, the lifecycle calls and the hooks back to their start.
void ResetScreenModeForTest();

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

}  // namespace detail
}  // namespace veziv
