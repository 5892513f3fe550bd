// The graphics side's screen record and its call sites, with their defaults.
#include "library/graphics/graphics_context.h"

namespace veziv::detail {
namespace {

int Active() { return 1; }
void Nothing() {}
void NothingWith(int) {}

constexpr GraphicsCallSites kDefaults = {
    .window_is_active = Active,
    .wait_while_window_inactive = Nothing,
    .close_movie = NothingWith,
    .advance_movie_frame = NothingWith,
    .present_back_buffer = Nothing,
};

GraphicsCallSites g_calls = kDefaults;
GraphicsScreen g_screen;

}  // namespace

GraphicsScreen& Screen() { return g_screen; }
GraphicsCallSites& GraphicsCalls() { return g_calls; }

void ResetGraphicsContextForTest() {
  g_calls = kDefaults;
  g_screen = GraphicsScreen{};
}

}  // namespace veziv::detail
