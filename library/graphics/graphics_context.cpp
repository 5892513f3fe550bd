// The graphics side's screen record and its call sites, with their defaults.
#include "library/graphics/graphics_context.h"

#include "library/foundation/call_sites.h"
#include "library/foundation/pump.h"
#include "library/foundation/window_services.h"
#include "library/graphics/draw_state.h"
#include "library/graphics/graphics_system.h"

namespace veziv::detail {
namespace {

void Nothing() {}
void NothingWith(int) {}
void Present() { PresentBackBuffer(); }
void PresentThroughCallSite() { GraphicsCalls().present_back_buffer(); }

constexpr GraphicsCallSites kDefaults = {
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
};

GraphicsCallSites g_calls = kDefaults;
GraphicsScreen g_screen;

}  // namespace

GraphicsScreen& Screen() { return g_screen; }
GraphicsCallSites& GraphicsCalls() { return g_calls; }

void ConnectGraphicsToPump() {
  CallSites().run_window_timers = ServiceDrawTargetTimer;
  CallSites().present_back_screen_again = PresentThroughCallSite;
}

void DisconnectGraphicsFromPump() {
  CallSites().run_window_timers = Nothing;
  CallSites().present_back_screen_again = Nothing;
}

void ResetGraphicsContextForTest() {
  g_calls = kDefaults;
  g_screen = GraphicsScreen{};
}

}  // namespace veziv::detail
