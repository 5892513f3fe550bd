// The table of operations that differ between the desktop driver and the
// headless one, and the state the module's files share. Internal to
// platform/window.
#pragma once

#include <SDL.h>

#include <optional>

#include "platform/window/inject.h"
#include "platform/window/letterbox.h"
#include "platform/window/message_box.h"
#include "platform/window/present.h"

namespace platform::window::detail {

struct Driver {
  const char* name;
  // SDL video driver to ask for; null lets SDL choose.
  const char* video_driver;
  MessageBoxAnswer (*show_message_box)(const char* title_utf8, const char* text_utf8, MessageBoxKind kind);
  // Shows a checked request's source part at placement (client pixels).
  bool (*present)(const PresentRequest& request, const ScreenRect& placement);
  // The same for a frame held elsewhere.
  bool (*present_frame)(FrameSource& frame, const FrameRequest& request, const ScreenRect& placement);
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
  // The desktop driver's presentation objects, made at the first present and
  // released before the window goes.
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int texture_width = 0;
  int texture_height = 0;
  int renderer_vsync = -1;  // -1: not set yet
  // The text input area last given to SDL, in window pixels.
  bool text_input_area_set = false;
  ScreenRect text_input_area;
};

WindowModuleState& ModuleState();

// The harness's share of a presented frame: its checksum, its picture when
// chosen, and the script's events up to it (harness.cpp).
void HarnessPresented(const PresentedFrame& frame, int presented);
// The script's events of frame 0.
void HarnessBeforeFirstFrame();
// The headless driver presents its last frame once more (its count goes on
// and the harness sees it); false when it has presented none.
bool PresentLastFrameAgain();

// The message box drawn by the platform layer in a window of its own; nothing
// when it cannot be drawn here (no font file, no window, no surface).
std::optional<MessageBoxAnswer> ShowDrawnMessageBox(const char* title_utf8, const char* text_utf8,
                                                    MessageBoxKind kind);

// The desktop driver's present of a held frame: its holder shows it (the
// renderer, which would draw over it, is released first).
bool PresentFrameOnDesktop(FrameSource& frame, const FrameRequest& request, const ScreenRect& placement);
// The headless driver reads a held frame and keeps it as it keeps images.
bool KeepHeldFrame(FrameSource& frame, const FrameRequest& request, const ScreenRect& placement);
// Releases the renderer and its texture; nothing happens without them.
void ReleasePresenter();
// Colour bits of an SDL pixel format as the program counts them, from the
// bytes a pixel is stored in: 32 for any 4-byte pixel (XRGB8888 included).
int StoredBitsPerPixel(Uint32 format);
// True when the image and source describe pixels that exist.
bool PresentRequestIsSound(const PresentRequest& request);
// The desktop driver's present: the source part into a streaming texture,
// drawn at placement over black.
bool PresentOnDesktop(const PresentRequest& request, const ScreenRect& placement);

}  // namespace platform::window::detail
