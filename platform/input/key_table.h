// The one fixed table from SDL scancodes (physical key positions) to the
// library's key codes: PC/AT set-1 scan codes, extended keys at 0x80 | code,
// and the Japanese keyboard's own codes. Where a key's legend differs between
// the JIS and the US layout, the JIS code is taken, so that every key the
// game can name is reachable. Internal to platform/input.
#pragma once

namespace platform::input::detail {

// The key code of an SDL scancode; 0 for a key the table does not know.
int KeyCodeForScancode(int scancode);
// The first scancode that gives the key code; -1 when none does.
int ScancodeForKeyCode(int code);

}  // namespace platform::input::detail
