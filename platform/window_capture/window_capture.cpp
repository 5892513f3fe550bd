// The window's pixels read from the X server with XGetImage on the program's
// window, found through the window module's test seam, and that window
// resized by a second client of the server.
#include "platform/window_capture/window_capture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "platform/window/inject.h"

namespace platform::window {
namespace {

bool XWindowOf(Display** display, Window* window) {
  void* found = nullptr;
  unsigned long id = 0;
  if (!FindX11Window(&found, &id)) return false;
  *display = static_cast<Display*>(found);
  *window = static_cast<Window>(id);
  return true;
}

// The channel of a pixel under mask, as 8 bits.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long top = mask >> shift;
  int bits = 0;
  while (((top >> bits) & 1) != 0) ++bits;
  const unsigned long value = (pixel & mask) >> shift;
  return bits >= 8 ? static_cast<uint32_t>(value >> (bits - 8)) : static_cast<uint32_t>(value << (8 - bits));
}

}  // namespace

bool CanOpenXDisplay() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

bool WindowIsOnXDisplay() {
  Display* display = nullptr;
  Window window = 0;
  return XWindowOf(&display, &window);
}

bool CaptureWindowPixels(WindowPixels* out) {
  Display* display = nullptr;
  Window window = 0;
  if (!XWindowOf(&display, &window)) return false;
  return CaptureX11WindowPixels(display, window, out);
}

bool CaptureX11WindowPixels(void* connection, unsigned long id, WindowPixels* out) {
  Display* display = static_cast<Display*>(connection);
  const Window window = static_cast<Window>(id);
  if (display == nullptr || window == 0) return false;
  XSync(display, False);
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  out->width = attributes.width;
  out->height = attributes.height;
  out->pixels.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), 0);
  for (int y = 0; y < out->height; ++y) {
    for (int x = 0; x < out->width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      out->pixels[static_cast<size_t>(y) * static_cast<size_t>(out->width) + static_cast<size_t>(x)] =
          Channel(p, image->red_mask) << 16 | Channel(p, image->green_mask) << 8 | Channel(p, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return true;
}

bool ResizeWindowFromOutside(int width, int height) {
  Display* own = nullptr;
  Window window = 0;
  if (width <= 0 || height <= 0 || !XWindowOf(&own, &window)) return false;
  Display* other = XOpenDisplay(DisplayString(own));
  if (other == nullptr) return false;
  XResizeWindow(other, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(other, False);
  XCloseDisplay(other);
  return true;
}

namespace {

// What the key and pointer events of a window share.
template <typename Event>
void FillFor(Display* display, Window window, Event* e, int x, int y) {
  e->display = display;
  e->window = window;
  e->root = DefaultRootWindow(display);
  e->subwindow = None;
  e->time = CurrentTime;
  e->x = x;
  e->y = y;
  e->x_root = x;
  e->y_root = y;
  e->same_screen = True;
}

}  // namespace

bool SendX11Key(void* connection, unsigned long id, unsigned long keysym) {
  Display* display = static_cast<Display*>(connection);
  const Window window = static_cast<Window>(id);
  if (display == nullptr || window == 0) return false;
  const KeyCode code = XKeysymToKeycode(display, static_cast<KeySym>(keysym));
  if (code == 0) return false;
  for (const int type : {KeyPress, KeyRelease}) {
    XEvent e{};
    e.xkey.type = type;
    FillFor(display, window, &e.xkey, 1, 1);
    e.xkey.keycode = code;
    if (XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e) == 0) return false;
  }
  XSync(display, False);
  return true;
}

bool SendX11Click(void* connection, unsigned long id, int x, int y) {
  Display* display = static_cast<Display*>(connection);
  const Window window = static_cast<Window>(id);
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (display == nullptr || window == 0 || !XTestQueryExtension(display, &event_base, &error_base, &major, &minor)) {
    return false;
  }
  // Through the server's own pointer, so the click lands where a user's
  // would: on whatever window shows at that point.
  int root_x = 0, root_y = 0;
  Window child = 0;
  if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &root_x, &root_y, &child)) return false;
  XTestFakeMotionEvent(display, -1, root_x, root_y, CurrentTime);
  XTestFakeButtonEvent(display, Button1, True, CurrentTime);
  XTestFakeButtonEvent(display, Button1, False, CurrentTime);
  XSync(display, False);
  return true;
}

}  // namespace platform::window
