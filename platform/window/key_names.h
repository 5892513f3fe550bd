// Names for the library's key codes, as a harness script and a person
// reading one write them: "Z", "Escape", "Return", "Up", "LeftShift",
// "Keypad8", "Digit1", ... Letters are named by their legends, digits as
// "Digit" and the digit (a bare number is a key code); keys whose legend
// differs between keyboard layouts by the Japanese keyboard's, as the key
// codes themselves are.
#pragma once

#include <string_view>

namespace platform::window {

// The key code of a name (ASCII case does not matter); -1 for no key.
int KeyCodeForName(std::string_view name);
// The name of a key code; null for a code no key has.
const char* KeyNameForCode(int code);

}  // namespace platform::window
