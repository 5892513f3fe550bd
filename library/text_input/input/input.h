// Keyboard, mouse and pads: the polled key state in the library's key codes
// (bit 7 = held), the mouse buttons, up to 16 pads described to the game as
// PadInputBits, optionally merged with keyboard mappings, their vibration
// with time limits, and the "any input" check that WaitForAnyKey uses.
// Stands on platform/input (SDL2) and on the foundation's pump, window state,
// log and clock.
#pragma once

#include "library/veziv.h"

namespace veziv {

// Sets input up (pads enumerated, default keyboard mappings). 0, also when
// already set up.
int InitializeInput();
// Closes the pads and ends input. 0.
int TerminateInput();
// Closes every pad. 0, or -1 when input is not set up.
int ReleaseJoypads();
// After the window's activation changes; nothing is left to do here. 0.
int ReacquireInputDevices();
// Reads the keyboard at most once a millisecond, pumping messages first:
// 1 when read, 0 when not (same millisecond, the pump reported the end).
int RefreshKeyboardState();
// Reads pad index 0..15 at most once a millisecond. 0, or -1 for a bad index.
int RefreshJoypadState(int pad_index);

// The next functions wait while the window is inactive, and the first call
// before input is set up sets it up instead of reading.

// Stops vibrations whose time has run out; run by the pump on each pass. 0.
int UpdateJoypadVibrationTimers();
// Makes each pad's effects match its wish; while the window is inactive
// every effect rests. 0.
int UpdateJoypadEffects();
// The flag CheckAnyInput reports as key 0x44 (F10) when no key is held. 0.
int SetF10HeldFlag();
int ClearF10HeldFlag();

namespace detail {
// Puts input's steps into the library's start and end and its upkeep into
// the pump's call sites. InitLibrary calls it; tests call it themselves.
void RegisterInputWithLibrary();
}  // namespace detail

}  // namespace veziv
