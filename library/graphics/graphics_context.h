// What the graph and drawing code needs from outside itself: whether graphics
// are up, the software screen image and mode (set by graphics start-up), and
// the call sites into the window, movie and presentation code. The window's
// entries default to the main window's own functions; the others do nothing
// until their owner puts its own function in.
#pragma once

#include "library/graphics/softsurface.h"

namespace veziv::detail {

struct GraphicsScreen {
  int started = 0;
  int width = 640;
  int height = 480;
  int bits = 32;                   // 16 or 32
  SOFTSURFACE* image = nullptr;    // the software screen image
};

GraphicsScreen& Screen();

struct GraphicsCallSites {
  // 1 while the main window is active.
  int (*window_is_active)();
  void (*wait_while_window_inactive)();
  void (*close_movie)(int movie);
  // Brings a movie graph's frame up to date.
  void (*advance_movie_frame)(int movie);
  // Shows the back screen (the auto-presenting target's tick).
  void (*present_back_buffer)();
  // Opens the movies again after the graphics device was set up again.
  void (*reopen_all_movies)();
};

GraphicsCallSites& GraphicsCalls();
// Puts the draw target's timer into the pump's window timers (graphics start)
// and takes it out again (graphics end).
void ConnectGraphicsToPump();
void DisconnectGraphicsFromPump();
// The screen and the call sites back to their defaults.
void ResetGraphicsContextForTest();

}  // namespace veziv::detail
