// What the graph and drawing code needs from outside itself: the screen record
// (the mode, whether graphics are up, the software screen image), and
// the call sites into the window, movie, font and presentation code. The
// window's entries default to the main window's own functions and the present
// to PresentBackBuffer; the others do nothing until their owner puts its own
// function in.
#pragma once

#include "library/softrender/surface/softsurface.h"

namespace veziv::detail {

// The one record of the screen: the mode the program asked for (graphics
// start fills an unset size with 640 x 480 x 16) and what graphics made of it.
struct GraphicsScreen {
  int width = 0;  // 0: not set, 640 x 480 is used
  int height = 0;
  int bits = 16;    // 8, 16 or 32; an 8-bit screen draws into a 32-bit image
  int refresh = 0;  // 0: the display's default
  int half_size = 0;
  int no_vblank_wait = 0;
  int started = 0;               // graphics started
  SOFTSURFACE* image = nullptr;  // the software screen image
};

GraphicsScreen& Screen();

struct GraphicsHooks {
  // 1 while the main window is active.
  int (*window_is_active)();
  void (*wait_while_window_inactive)();
  void (*close_movie)(int movie);
  // Brings a movie graph's frame up to date.
  void (*advance_movie_frame)(int movie);
  // Shows the back screen (the auto-presenting target's tick, and the window
  // asking to be painted again).
  void (*present_back_buffer)();
  // Opens the movies again after the graphics device was set up again.
  void (*reopen_all_movies)();
  // The font system's start and end within graphics start and end.
  void (*start_font_system)();
  void (*end_font_system)();
  // A screen-mode change keeps the default font's size and thickness across
  // the restart of graphics: noted before, put back after.
  void (*remember_default_font)();
  void (*reapply_default_font)();
  // After a lost device came back: every font made again with the same handle.
  void (*recreate_all_fonts)();
};

GraphicsHooks& GraphicsCalls();
// The call sites as the library starts with them: graphics alone, no window's
// activity, no movies and no fonts reached.
const GraphicsHooks& DefaultGraphicsCalls();
// Puts the draw target's timer into the pump's window timers, the present
// into the window's repaint and the draw area's re-application into the
// window's move (graphics start), and takes them out again (graphics end).
void ConnectGraphicsToPump();
void DisconnectGraphicsFromPump();

}  // namespace veziv::detail
