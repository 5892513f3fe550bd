// The program's one top-level window on SDL2 video: creation in window or
// full-screen-desktop mode, placement, title, icon, cursor, screen saver,
// clipboard and the desktop's mode. Texts are CP932; SDL sees UTF-8.
//
// Two drivers fill the same operations: the desktop one (SDL's own choice of
// video driver) and the headless one (SDL's dummy video driver, scripted
// message-box answers), chosen once from VEZIV_HEADLESS.
#pragma once

#include <cstdint>
#include <string>

namespace platform::window {

// True when VEZIV_HEADLESS=1 chose the headless driver (read once).
bool IsHeadless();

// Starts SDL video with the chosen driver; true when it runs. Safe to repeat.
bool StartVideo();
// Stops SDL video; any window is closed first.
void StopVideo();

struct DesktopMode {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;
};
// The desktop's mode (starts video when needed); zeros when video cannot start.
DesktopMode GetDesktopMode();

// Opens the window with a client area of width x height at x, y (kCentred
// centres it), or covering the desktop in full screen. The user may resize
// the window-mode window; the size messages say when.
constexpr int kCentred = -0x10000;
bool OpenWindow(const char* title_cp932, int x, int y, int width, int height, bool full_screen);
// Closes the window; nothing happens without one.
void CloseWindow();
bool HasWindow();
// An opaque identity of the window (null without one).
void* WindowIdentity();

void SetTitle(const char* title_cp932);
// rgba: width * height pixels, bytes R, G, B, A in memory order.
void SetIcon(const uint32_t* rgba, int width, int height);

// Switches between window mode and full screen over the desktop's own mode.
bool SetFullScreen(bool on);
bool IsFullScreen();
void SetClientSize(int width, int height);
void GetClientSize(int* width, int* height);
// True while the window manager holds the window maximised.
bool IsMaximized();
void SetPosition(int x, int y);
// The client area's origin on the desktop.
void GetPosition(int* x, int* y);
void Raise(bool topmost);
void Minimize();

void SetScreenSaverAllowed(bool allowed);

// The program's screen size in pixels: full screen scales it to the desktop
// with bars, and mouse positions are mapped back to it.
void SetLogicalScreenSize(int width, int height);
// The last mouse position seen by the event source: client pixels in window
// mode, screen pixels in full screen.
void ReadMouse(int* x, int* y);

// Shows or hides the system cursor over the window.
void ShowSystemCursor(bool shown);

// The clipboard's text as CP932; false when there is none or it cannot be
// represented. Starts video when needed.
bool GetClipboardText(std::string* cp932);
bool SetClipboardText(const char* cp932);

// Total and free physical memory in bytes.
struct MemoryStatus {
  uint64_t total = 0;
  uint64_t available = 0;
};
MemoryStatus QueryMemoryStatus();

}  // namespace platform::window
