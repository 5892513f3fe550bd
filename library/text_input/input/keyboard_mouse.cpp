// The keyboard's 256-byte state, read at most once a millisecond after the
// pump has taken the window's messages, the mouse buttons, and the check for
// any held input.
#include <algorithm>

#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using detail::Input;
using detail::InputState;

// Lock and mode keys stay "held" on some keyboards; they are no answer to
// "press any key". Kanji, Caps Lock, Kana.
constexpr int kIgnoredByAnyKey[] = {0x94, 0x3A, 0x70};
constexpr int kF10 = 0x44;

// Kept apart from the input block, which every set-up clears.
int g_f10_held = 0;

bool IgnoredByAnyKey(int code) {
  for (int c : kIgnoredByAnyKey) {
    if (c == code) return true;
  }
  return false;
}

}  // namespace

int RefreshKeyboardState() {
  InputState& s = Input();
  const uint32_t now = platform::os::MillisecondClock();
  if (s.last_keyboard_read_ms == now) return 0;
  s.last_keyboard_read_ms = now;
  // The keyboard's state follows the window's messages: take them first.
  if (PumpMessages() != 0) return 0;
  platform::input::ReadKeyState(s.keys);
  return 1;
}

int IsKeyDown(int key_code) {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  if (key_code < 0 || key_code >= detail::kKeyCodes) return 0;
  RefreshKeyboardState();
  return (Input().keys[key_code] & 0x80) != 0 ? 1 : 0;
}

int GetAllKeyStates(char* buffer) {
  if (buffer == nullptr) return -1;
  int result = 0;
  if (!detail::ReadyForInput(&result)) {
    // The set-up read nothing: the caller sees no key held, not its own garbage.
    std::fill(buffer, buffer + detail::kKeyCodes, 0);
    return result;
  }
  RefreshKeyboardState();
  const InputState& s = Input();
  for (int code = 0; code < detail::kKeyCodes; ++code) buffer[code] = (s.keys[code] & 0x80) != 0 ? 1 : 0;
  return 0;
}

int GetMouseButtons() { return platform::input::ReadMouseButtons(); }

int CheckAnyInput(int mask) {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  if (mask & 1) {
    RefreshKeyboardState();
    const InputState& s = Input();
    for (int code = 0; code < detail::kKeyCodes; ++code) {
      if ((s.keys[code] & 0x80) != 0 && !IgnoredByAnyKey(code)) return code;
    }
    if (g_f10_held) return kF10;
    for (int pad = 1; pad <= s.pad_count; ++pad) {
      if (ReadPadInputBits(pad) != 0) return -1;
    }
  }
  if (mask & 4) {
    int x = 0, y = 0, width = 0, height = 0;
    ReadMousePosition(&x, &y);
    detail::ScreenSize(&width, &height);
    if (x < 0 || y < 0 || !IsWindowActive() || x > width || y > height) return 0;
    if (GetMouseButtons() != 0) return -1;
  }
  return 0;
}

int SetF10HeldFlag() {
  g_f10_held = 1;
  return 0;
}

int ClearF10HeldFlag() {
  g_f10_held = 0;
  return 0;
}

}  // namespace veziv
