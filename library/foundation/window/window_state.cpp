// The WindowStateBlock and its clearing at window creation.
#include "library/foundation/window/window_state.h"

#include <utility>

#include "library/foundation/window/call_sites.h"

namespace veziv::detail {
WindowStateBlock& WindowState() {
  static WindowStateBlock state;
  return state;
}

void ClearWindowStateForCreation() {
  WindowStateBlock& window = WindowState();
  WindowStateBlock fresh;
  fresh.windowed = window.windowed;
  fresh.run_while_inactive = window.run_while_inactive;
  fresh.icon_resource_id = window.icon_resource_id;
  fresh.title = std::move(window.title);
  fresh.class_name = std::move(window.class_name);
  fresh.zoom = window.zoom;
  fresh.window = window.window;
  window = std::move(fresh);
}

void ScreenSize(int* width, int* height) {
  int w = 0, h = 0;
  CallSites().get_screen_size(&w, &h);
  *width = w;
  *height = h;
}

bool OnMainThread() { return std::this_thread::get_id() == WindowState().main_thread; }

}  // namespace veziv::detail
