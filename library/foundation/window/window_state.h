// The WindowStateBlock: the library's block of window state, shared by the
// main window, the pump, the waits and the window services. Internal to the
// library.
#pragma once

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace veziv::detail {

struct MouseClick {
  int button = 0;  // 1 left, 2 right, 4 middle
  int x = 0;
  int y = 0;
};

inline constexpr int kMaxMouseClicks = 32;
inline constexpr int kMaxDroppedFiles = 1000;

struct WindowStateBlock {
  // Survive the clearing at window creation.
  int windowed = 0;
  int run_while_inactive = 0;
  int icon_resource_id = 0;
  std::string title;
  std::string class_name;
  double zoom = 0.0;  // not above 0 means 1.0

  void* window = nullptr;  // the platform window's identity; null without one
  std::thread::id main_thread;
  int active = 0;
  int closing = 0;
  int destroyed = 0;
  int destroy_handled = 0;
  int ending = 0;
  int creating = 0;
  int mode_changing = 0;
  int display_change_seen = 0;
  int style_applied = 0;
  int cursor_wanted = 0;
  int cursor_shown = 0;
  int paint_wait = 0;
  int text_entry_running = 0;  // the key-input re-entrancy flag of the pump
  int mouse_in_menu_area = 0;
  int client_left = 0;
  int client_top = 0;
  int client_right = 0;
  int client_bottom = 0;
  // A drag of the window's frame in window mode: the client size it started
  // from and when the size last changed. The window takes its zoom's shape
  // once the drag has settled.
  int sizing = 0;
  int sizing_from_width = 0;
  int sizing_from_height = 0;
  uint32_t sizing_changed_ms = 0;
  int desktop_width = 0;
  int desktop_height = 0;
  int desktop_bits = 0;
  int charset_index = 0;
  int wheel_count = 0;
  MouseClick clicks[kMaxMouseClicks];
  int click_count = 0;
  std::vector<std::string> dropped_files;
};

WindowStateBlock& WindowState();
// Zero except for the fields kept across window creation.
void ClearWindowStateForCreation();

// The screen size the graphics layer reports (call site).
void ScreenSize(int* width, int* height);
// True on the thread that created the window.
bool OnMainThread();

}  // namespace veziv::detail
