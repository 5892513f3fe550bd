// The operations that differ between the desktop driver and the headless
// one: where the keyboard's and the mouse's state come from. Pads are SDL's
// under both. Internal to platform/input.
#pragma once

#include <cstdint>

namespace platform::input::detail {

struct Driver {
  const char* name;
  // One byte per SDL scancode, non-zero while the key is held; *count is the
  // number of scancodes the array covers.
  const uint8_t* (*key_states)(int* count);
  // SDL's mouse button mask.
  uint32_t (*mouse_buttons)();
};

extern const Driver kDesktopDriver;
extern const Driver kHeadlessDriver;
const Driver& ActiveDriver();

}  // namespace platform::input::detail
