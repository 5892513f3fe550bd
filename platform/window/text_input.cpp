// Text input on SDL2: SDL_StartTextInput / SDL_StopTextInput and the text
// input rectangle, in window pixels.
#include "platform/window/text_input.h"

#include <cstdint>

#include "platform/window/driver.h"
#include "platform/window/letterbox.h"
#include "platform/window/window.h"

namespace platform::window {

using detail::ModuleState;

void SetTextInputOn(bool on) {
  if (!ModuleState().video_started) return;
  if (on) {
    SDL_StartTextInput();
  } else {
    SDL_StopTextInput();
  }
}

bool IsTextInputOn() { return ModuleState().video_started && SDL_IsTextInputActive() == SDL_TRUE; }

void SetTextInputArea(int x, int y, int width, int height) {
  detail::WindowModuleState& s = ModuleState();
  if (s.window == nullptr) return;
  int ww = 0, wh = 0;
  GetClientSize(&ww, &wh);
  const ScreenRect shown = LetterboxRect(ww, wh, s.screen_width, s.screen_height);
  if (shown.width <= 0 || shown.height <= 0) return;
  auto along = [](int v, int shown_length, int screen_length) {
    return static_cast<int>(int64_t{v} * shown_length / screen_length);
  };
  ScreenRect area;
  area.x = shown.x + along(x, shown.width, s.screen_width);
  area.y = shown.y + along(y, shown.height, s.screen_height);
  area.width = along(width, shown.width, s.screen_width);
  area.height = along(height, shown.height, s.screen_height);
  // The input method hears of every change (a bus call on some desktops), so
  // a frame that draws the field where it was costs nothing.
  if (s.text_input_area_set && area.x == s.text_input_area.x && area.y == s.text_input_area.y &&
      area.width == s.text_input_area.width && area.height == s.text_input_area.height) {
    return;
  }
  s.text_input_area = area;
  s.text_input_area_set = true;
  SDL_Rect r{area.x, area.y, area.width, area.height};
  SDL_SetTextInputRect(&r);
}

}  // namespace platform::window
