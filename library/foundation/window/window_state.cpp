// The WindowStateBlock and its clearing at window creation.
#include "library/foundation/window/window_state.h"

#include <utility>

#include "library/foundation/window/call_sites.h"

namespace veziv::detail {
namespace {

WindowStateBlock g_window;

}  // namespace

WindowStateBlock& WindowState() { return g_window; }

void ClearWindowStateForCreation() {
  WindowStateBlock fresh;
  fresh.windowed = g_window.windowed;
  fresh.run_while_inactive = g_window.run_while_inactive;
  fresh.icon_resource_id = g_window.icon_resource_id;
  fresh.title = std::move(g_window.title);
  fresh.class_name = std::move(g_window.class_name);
  fresh.zoom = g_window.zoom;
  fresh.window = g_window.window;
  g_window = std::move(fresh);
}

void ResetWindowStateForTest() { g_window = WindowStateBlock(); }

void ScreenSize(int* width, int* height) {
  int w = 0, h = 0;
  CallSites().get_screen_size(&w, &h);
  *width = w;
  *height = h;
}

bool OnMainThread() { return std::this_thread::get_id() == g_window.main_thread; }

}  // namespace veziv::detail
