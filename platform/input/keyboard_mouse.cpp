// The keyboard through the key table and the mouse buttons, from the active
// driver (chosen once by the window module's headless switch).
#include <SDL.h>

#include <algorithm>

#include "platform/input/driver.h"
#include "platform/input/input.h"
#include "platform/input/key_table.h"
#include "platform/window/window.h"

namespace platform::input {

namespace detail {

const Driver& ActiveDriver() { return platform::window::IsHeadless() ? kHeadlessDriver : kDesktopDriver; }

}  // namespace detail

void ReadKeyState(uint8_t state[kKeyCodeCount]) {
  std::fill(state, state + kKeyCodeCount, 0);
  int count = 0;
  const uint8_t* keys = detail::ActiveDriver().key_states(&count);
  if (keys == nullptr) return;
  for (int scancode = 0; scancode < count; ++scancode) {
    if (keys[scancode] == 0) continue;
    if (int code = detail::KeyCodeForScancode(scancode)) state[code] = 0x80;
  }
}

int ReadMouseButtons() {
  uint32_t mask = detail::ActiveDriver().mouse_buttons();
  int bits = 0;
  if (mask & SDL_BUTTON_LMASK) bits |= 1;
  if (mask & SDL_BUTTON_RMASK) bits |= 2;
  if (mask & SDL_BUTTON_MMASK) bits |= 4;
  if (mask & SDL_BUTTON_X1MASK) bits |= 8;
  if (mask & SDL_BUTTON_X2MASK) bits |= 16;
  return bits;
}

}  // namespace platform::input
