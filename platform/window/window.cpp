// SDL video start-up, the one window and its placement, cursor, screen saver
// and the desktop's mode.
#include "platform/window/window.h"

#include <SDL_syswm.h>
#include <sys/sysinfo.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/gpu/device.h"
#include "platform/os/charset.h"
#include "platform/window/driver.h"
#include "platform/window/harness.h"
#include "platform/window/inject.h"
#include "platform/window/letterbox.h"

namespace platform::window {

namespace os = platform::os;
namespace gpu = platform::gpu;

namespace detail {

WindowModuleState& ModuleState() {
  static WindowModuleState state;
  return state;
}

const Driver& ActiveDriver() { return IsHeadless() ? kHeadlessDriver : kDesktopDriver; }

}  // namespace detail

using detail::ModuleState;

bool IsHeadless() {
  static const bool headless = [] {
    const char* v = std::getenv("VEZIV_HEADLESS");
    return (v != nullptr && std::strcmp(v, "1") == 0) || HarnessActive();
  }();
  return headless;
}

bool StartVideo() {
  detail::WindowModuleState& s = ModuleState();
  if (s.video_started) return true;
  const detail::Driver& driver = detail::ActiveDriver();
  // A headless run asked for a graphics device gets SDL's offscreen driver,
  // which makes OpenGL contexts through EGL without a display.
  if (IsHeadless() && gpu::DeviceUseFromEnvironment() == gpu::DeviceUse::kAny)
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
  else if (driver.video_driver != nullptr)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.video_driver);
  // A full-screen window that loses the focus gets out of the way, as the
  // library's activation handling expects.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
  // A composition longer than an event's fixed text arrives whole.
  SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  s.video_started = true;
  return true;
}

void StopVideo() {
  detail::WindowModuleState& s = ModuleState();
  CloseWindow();
  if (!s.video_started) return;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  s.video_started = false;
}

DesktopMode GetDesktopMode() {
  DesktopMode mode;
  if (!StartVideo()) return mode;
  SDL_DisplayMode dm{};
  if (SDL_GetDesktopDisplayMode(0, &dm) != 0) return mode;
  mode.width = dm.w;
  mode.height = dm.h;
  mode.bits_per_pixel = detail::StoredBitsPerPixel(dm.format);
  return mode;
}

bool OpenWindow(const char* title_cp932, int x, int y, int width, int height, bool full_screen) {
  detail::WindowModuleState& s = ModuleState();
  if (s.window != nullptr || !StartVideo()) return false;
  std::string title = os::Cp932ToUtf8(title_cp932 ? title_cp932 : "");
  int px = x == kCentred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x;
  int py = y == kCentred ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y;
  // Resizable from the start, so that a window made in full screen can be
  // resized once it is switched to window mode. Made for OpenGL where the
  // video driver has it, so that the graphics device can draw into it.
  Uint32 flags = SDL_WINDOW_RESIZABLE | (full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  const char* video = SDL_GetCurrentVideoDriver();
  if (video != nullptr && std::strcmp(video, "dummy") != 0)
    s.window = SDL_CreateWindow(title.c_str(), px, py, width, height, flags | SDL_WINDOW_OPENGL);
  if (s.window == nullptr) s.window = SDL_CreateWindow(title.c_str(), px, py, width, height, flags);
  if (s.window == nullptr) return false;
  s.mouse_x = 0;
  s.mouse_y = 0;
  detail::HarnessBeforeFirstFrame();
  return true;
}

void CloseWindow() {
  detail::WindowModuleState& s = ModuleState();
  if (s.window == nullptr) return;
  detail::ReleasePresenter();
  SDL_DestroyWindow(s.window);
  s.window = nullptr;
  s.text_input_area_set = false;
}

bool HasWindow() { return ModuleState().window != nullptr; }

void* WindowIdentity() { return ModuleState().window; }

void SetTitle(const char* title_cp932) {
  SDL_Window* w = ModuleState().window;
  if (w == nullptr) return;
  std::string title = os::Cp932ToUtf8(title_cp932 ? title_cp932 : "");
  SDL_SetWindowTitle(w, title.c_str());
}

void SetIcon(const uint32_t* rgba, int width, int height) {
  SDL_Window* w = ModuleState().window;
  if (w == nullptr || rgba == nullptr || width <= 0 || height <= 0) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(rgba), width, height, 32, width * 4,
                                                         SDL_PIXELFORMAT_RGBA32);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(w, icon);
  SDL_FreeSurface(icon);
}

bool SetFullScreen(bool on) {
  SDL_Window* w = ModuleState().window;
  if (w == nullptr) return false;
  return SDL_SetWindowFullscreen(w, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool IsFullScreen() {
  SDL_Window* w = ModuleState().window;
  return w != nullptr && (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SetClientSize(int width, int height) {
  if (SDL_Window* w = ModuleState().window) SDL_SetWindowSize(w, width, height);
}

void GetClientSize(int* width, int* height) {
  int ww = 0, hh = 0;
  if (SDL_Window* w = ModuleState().window) SDL_GetWindowSize(w, &ww, &hh);
  if (width) *width = ww;
  if (height) *height = hh;
}

bool IsMaximized() {
  SDL_Window* w = ModuleState().window;
  return w != nullptr && (SDL_GetWindowFlags(w) & SDL_WINDOW_MAXIMIZED) != 0;
}

void SetPosition(int x, int y) {
  if (SDL_Window* w = ModuleState().window) SDL_SetWindowPosition(w, x, y);
}

void GetPosition(int* x, int* y) {
  int xx = 0, yy = 0;
  if (SDL_Window* w = ModuleState().window) SDL_GetWindowPosition(w, &xx, &yy);
  if (x) *x = xx;
  if (y) *y = yy;
}

void Raise(bool topmost) {
  SDL_Window* w = ModuleState().window;
  if (w == nullptr) return;
  SDL_RaiseWindow(w);
  SDL_SetWindowAlwaysOnTop(w, topmost ? SDL_TRUE : SDL_FALSE);
}

void Minimize() {
  if (SDL_Window* w = ModuleState().window) SDL_MinimizeWindow(w);
}

void SetScreenSaverAllowed(bool allowed) {
  if (!ModuleState().video_started) return;
  if (allowed) {
    SDL_EnableScreenSaver();
  } else {
    SDL_DisableScreenSaver();
  }
}

void SetLogicalScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  ModuleState().screen_width = width;
  ModuleState().screen_height = height;
}

void ReadMouse(int* x, int* y) {
  detail::WindowModuleState& s = ModuleState();
  int mx = s.mouse_x, my = s.mouse_y;
  if (IsFullScreen()) {
    int ww = 0, wh = 0;
    GetClientSize(&ww, &wh);
    MapWindowPointToScreen(s.mouse_x, s.mouse_y, ww, wh, s.screen_width, s.screen_height, &mx, &my);
  }
  if (x) *x = mx;
  if (y) *y = my;
}

void ShowSystemCursor(bool shown) {
  ++ModuleState().cursor_changes;
  if (ModuleState().video_started) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

bool GetClipboardText(std::string* cp932) {
  cp932->clear();
  if (!StartVideo() || !SDL_HasClipboardText()) return false;
  char* text = SDL_GetClipboardText();
  if (text == nullptr) return false;
  std::optional<std::string> converted;
  if (text[0] != '\0') converted = os::TryUtf8ToCp932(text);
  SDL_free(text);
  if (!converted) return false;
  *cp932 = std::move(*converted);
  return true;
}

bool SetClipboardText(const char* cp932) {
  if (!StartVideo()) return false;
  std::string utf8 = os::Cp932ToUtf8(cp932 ? cp932 : "");
  return SDL_SetClipboardText(utf8.c_str()) == 0;
}

MemoryStatus QueryMemoryStatus() {
  MemoryStatus m;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return m;
  m.total = uint64_t{info.totalram} * info.mem_unit;
  m.available = (uint64_t{info.freeram} + info.bufferram) * info.mem_unit;
  return m;
}

int CursorChangeCount() { return ModuleState().cursor_changes; }

bool SystemCursorShown() { return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

std::string WindowTitleUtf8() {
  SDL_Window* w = ModuleState().window;
  return w != nullptr ? SDL_GetWindowTitle(w) : "";
}

bool FindX11Window(void** display, unsigned long* window) {
  SDL_Window* w = ModuleState().window;
  if (w == nullptr) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(w, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
  *display = info.info.x11.display;
  *window = info.info.x11.window;
  return *display != nullptr;
}

}  // namespace platform::window
