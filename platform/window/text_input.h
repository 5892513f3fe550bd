// Text input on the window: whether the input method (and with it SDL's text
// events) is on, and where its own candidate window should appear. While it
// is off, keys reach the program as key presses only, so that an input
// method in a kana mode does not swallow the game's keys.
#pragma once

namespace platform::window {

// Switches text input on or off; nothing happens before video has started.
void SetTextInputOn(bool on);
// False before video has started.
bool IsTextInputOn();

// The text being entered lies at (x, y), width x height in screen pixels (the
// program's own screen, mapped through the window's zoom or letterbox); the
// input method shows its candidates below it. SDL is told only of a change.
void SetTextInputArea(int x, int y, int width, int height);

}  // namespace platform::window
