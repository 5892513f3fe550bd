// The graphics side's screen record and its call sites, with their defaults.
#include "library/graphics/screen/graphics_context.h"

#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_system.h"

namespace veziv::detail {
namespace {

void Nothing() {}
void NothingWith(int) {}
void Present() { PresentBackBuffer(); }
void PresentThroughCallSite() { GraphicsCalls().present_back_buffer(); }

constexpr GraphicsHooks kDefaults = {
    .window_is_active = IsWindowActive,
    .wait_while_window_inactive = WaitWhileWindowInactive,
    .close_movie = NothingWith,
    .advance_movie_frame = NothingWith,
    .present_back_buffer = Present,
    .reopen_all_movies = Nothing,
    .start_font_system = Nothing,
    .end_font_system = Nothing,
    .remember_default_font = Nothing,
    .reapply_default_font = Nothing,
    .recreate_all_fonts = Nothing,
};

}  // namespace

GraphicsScreen& Screen() {
  static GraphicsScreen state;
  return state;
}
GraphicsHooks& GraphicsCalls() {
  static GraphicsHooks state = kDefaults;
  return state;
}
const GraphicsHooks& DefaultGraphicsCalls() { return kDefaults; }

void ConnectGraphicsToPump() {
  CallSites().run_window_timers = ServiceDrawTargetTimer;
  CallSites().present_back_screen_again = PresentThroughCallSite;
  CallSites().reapply_draw_area = ReapplyDrawArea;
}

void DisconnectGraphicsFromPump() {
  CallSites().run_window_timers = Nothing;
  CallSites().present_back_screen_again = Nothing;
  CallSites().reapply_draw_area = Nothing;
}

}  // namespace veziv::detail
