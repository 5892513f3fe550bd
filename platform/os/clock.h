// Monotonic clocks and sleeping.
//
// The real clock is CLOCK_MONOTONIC. Tests switch to a manual clock: it only
// moves when Sleep or AdvanceManualClock is called, and Sleep returns at once.
#pragma once

#include <cstdint>

namespace platform::os {

// Milliseconds since an arbitrary start, masked to 31 bits (never negative).
uint32_t MillisecondClock();
// Microseconds since the same start, 64 bits.
uint64_t MicrosecondClock();

// Sleeps for ms milliseconds (0 yields). On the manual clock, advances it instead.
void Sleep(uint32_t ms);

// Switches the process to the manual clock, starting at start_us microseconds.
void UseManualClock(uint64_t start_us = 0);
// Back to the real monotonic clock.
void UseRealClock();
bool IsManualClock();
// Moves the manual clock forward; no effect on the real clock.
void AdvanceManualClock(uint64_t us);

}  // namespace platform::os
