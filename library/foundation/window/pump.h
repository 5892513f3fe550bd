// The message pump and the waits built on it.
#pragma once

#include <cstdint>

namespace veziv {

// One call a frame: 0 go on, -1 the window is gone.
int PumpMessages();
// The body of PumpMessages, without the library's lock.
int PumpMessagesUnlocked();
// 1: the program keeps running while its window is in the background. 0.
int SetRunWhileInactive(int flag);
// Before drawing: blocks, pumping, while the window is inactive.
void WaitWhileWindowInactive();
// Waits ms milliseconds, pumping, or until the window is gone. 0.
int WaitMilliseconds(uint32_t ms);
// Waits for every input to be released, then for any key, pad button or
// mouse button; returns what was pressed, or 0 when the window went away.
int WaitForAnyKey();

namespace detail {
// The library end's last pumping: until the pump reports the end or the
// window's destruction has been handled; at once when there is no window.
void PumpUntilWindowGone();
}  // namespace detail

}  // namespace veziv
