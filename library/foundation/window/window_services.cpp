// Read-outs and setters of the window state, the cursor's state machine,
// mouse position, wheel, clipboard and clocks.
#include "library/veziv.h"

#include <string>

#include "library/foundation/core/helpers.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/app_icon.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/window_state.h"
#include "platform/os/clock.h"
#include "platform/window/window.h"

namespace veziv {
namespace {

namespace pw = platform::window;
using detail::WindowState;
using detail::WindowStateBlock;

constexpr int kProgramIconResource = 101;

}  // namespace

void* GetAppWindowHandle() { return WindowState().window; }
int IsWindowEnded() { return WindowState().destroyed; }
int IsWindowedMode() { return WindowState().windowed; }
int IsWindowActive() { return WindowState().active; }
int IsWindowClosing() { return WindowState().closing; }

int GetDesktopMode(int* width, int* height, int* color_bits) {
  const WindowStateBlock& s = WindowState();
  int w = s.desktop_width, h = s.desktop_height, bits = s.desktop_bits;
  if (!detail::IsLibraryInitialised()) {
    pw::DesktopMode d = pw::GetDesktopMode();
    w = d.width;
    h = d.height;
    bits = d.bits_per_pixel;
  }
  if (width) *width = w;
  if (height) *height = h;
  if (color_bits) *color_bits = bits;
  return 0;
}

double GetWindowZoomRatio() {
  WindowStateBlock& s = WindowState();
  if (s.zoom <= 0.0) s.zoom = 1.0;
  return s.windowed ? s.zoom : 1.0;
}

int SetWindowTitle(const char* text) {
  WindowStateBlock& s = WindowState();
  s.title = text ? text : "";
  if (s.window != nullptr) pw::SetTitle(s.title.c_str());
  return 0;
}

int SetWindowIconFromResource(int resource_id) {
  WindowStateBlock& s = WindowState();
  s.icon_resource_id = resource_id;
  if (s.window == nullptr) return 0;
  // The program's one resource; any other id (0 included) leaves the system's icon.
  if (resource_id == kProgramIconResource) {
    detail::IconImage icon = detail::ProgramIcon();
    pw::SetIcon(icon.rgba, icon.width, icon.height);
  }
  return 0;
}

int SetCursorVisibility(int flag) {
  WindowStateBlock& s = WindowState();
  if (flag != -1) s.cursor_wanted = flag;
  int visible = s.cursor_wanted == 1 ? 1 : 0;
  if (flag != -1 && visible == s.cursor_shown) return 0;
  pw::ShowSystemCursor(visible != 0);
  s.cursor_shown = visible;
  return 0;
}

int ReadMousePosition(int* x, int* y) {
  int mx = 0, my = 0;
  pw::ReadMouse(&mx, &my);
  if (WindowState().windowed) {
    double zoom = GetWindowZoomRatio();
    mx = TruncateDoubleToInt(mx / zoom);
    my = TruncateDoubleToInt(my / zoom);
  }
  if (x) *x = mx;
  if (y) *y = my;
  return 0;
}

int TakeWheelRotation(int clear) {
  WindowStateBlock& s = WindowState();
  int count = s.wheel_count;
  if (clear) s.wheel_count = 0;
  return count;
}

int GetWindowDrawRect(int* rect) {
  const WindowStateBlock& s = WindowState();
  if (rect == nullptr) return 0;
  rect[0] = s.client_left;
  rect[1] = s.client_top;
  rect[2] = s.client_right;
  rect[3] = s.client_bottom;
  return 0;
}

int ReadClipboardText(char* buffer, size_t size) {
  std::string text;
  if (!pw::GetClipboardText(&text)) return -1;
  // The clipboard's block holds the text and its zero.
  if (buffer == nullptr) return static_cast<int>(text.size() + 1) + 1;
  if (size == 0) return -1;
  // Another program may have changed the clipboard since the caller sized
  // the buffer: cut to fit, never inside a double-byte character.
  size_t n = 0;
  while (n < text.size()) {
    size_t step = detail::IsShiftJisLeadByte(static_cast<unsigned char>(text[n])) && n + 1 < text.size() ? 2 : 1;
    if (n + step > size - 1) break;
    n += step;
  }
  text.copy(buffer, n);
  buffer[n] = '\0';
  return 0;
}

int WriteClipboardText(const char* text) {
  pw::SetClipboardText(text ? text : "");
  return 0;
}

int GetMillisecondCount(int) { return static_cast<int>(platform::os::MillisecondClock() & 0x7FFFFFFFu); }

int64_t GetMicrosecondCount(int) { return static_cast<int64_t>(platform::os::MicrosecondClock()); }

int DrawInactivePicture() { return detail::IsLibraryEnding() ? 0 : -1; }

}  // namespace veziv
