// The table of operations that differ between the desktop driver and the
// headless one, and the state the module's files share. Internal to
// platform/window.
#pragma once

#include <SDL.h>

#include "platform/window/message_box.h"

namespace platform::window::detail {

struct Driver {
  const char* name;
  // SDL video driver to ask for; null lets SDL choose.
  const char* video_driver;
  MessageBoxAnswer (*show_message_box)(const char* title_utf8, const char* text_utf8, MessageBoxKind kind);
};

extern const Driver kDesktopDriver;
extern const Driver kHeadlessDriver;
const Driver& ActiveDriver();

struct WindowModuleState {
  bool video_started = false;
  SDL_Window* window = nullptr;
  int screen_width = 640;
  int screen_height = 480;
  // Last mouse position seen in an event, in window pixels.
  int mouse_x = 0;
  int mouse_y = 0;
  int cursor_changes = 0;
};

WindowModuleState& ModuleState();

}  // namespace platform::window::detail
