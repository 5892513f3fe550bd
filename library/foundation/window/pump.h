// The message pump and the waits built on it.
#pragma once

#include <cstdint>

#include "library/veziv.h"

namespace veziv {

// The body of PumpMessages, without the library's lock.
int PumpMessagesUnlocked();
// Before drawing: blocks, pumping, while the window is inactive.
void WaitWhileWindowInactive();

namespace detail {
// The library end's last pumping: until the pump reports the end or the
// window's destruction has been handled; at once when there is no window.
void PumpUntilWindowGone();
}  // namespace detail

}  // namespace veziv
