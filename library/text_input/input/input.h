// Keyboard, mouse and pads: the polled key state in the library's key codes
// (bit 7 = held), the mouse buttons, up to 16 pads described to the game as
// PadInputBits, optionally merged with keyboard mappings, their vibration
// with time limits, and the "any input" check that WaitForAnyKey uses.
// Stands on platform/input (SDL2) and on the foundation's pump, window state,
// log and clock.
#pragma once

namespace veziv {

// PadInputBits: bit 0 down, 1 left, 2 right, 3 up, bits 4 to 27 buttons 1 to 24.
// Adding this to a pad number asks for the pad's keyboard mapping too.
inline constexpr int kPadWithKeyboard = 0x1000;

// Sets input up (pads enumerated, default keyboard mappings). 0, also when
// already set up.
int InitializeInput();
// Closes the pads and ends input. 0.
int TerminateInput();
// Closes the pads and opens every attached one again, at most 16, in the
// order the system lists them. 0, or -1 when input is not set up.
int EnumeratePadDevices();
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

// 1 while the key with that code (0..255) is held, else 0.
int IsKeyDown(int key_code);
// Fills 256 bytes with 1 (held) or 0 per key code. 0; -1 without a buffer.
int GetAllKeyStates(char* buffer);
// Held mouse buttons: bit 0 left, 1 right, 2 middle, 3 and 4 the side buttons.
int GetMouseButtons();
int GetPadDeviceCount();
// pad: 1..16, plus kPadWithKeyboard to merge the keyboard mapping (0 plus
// it is the keyboard alone). 0 for a pad that does not exist.
int ReadPadInputBits(int pad);
// power: 0..1000 (-1 keeps the pad's current power); time in ms, negative
// until stopped. 0.
int StartPadRumble(int pad, int power, int time);
int StopPadRumble(int pad);
// mask bit 0: keys and pads, bit 2: mouse buttons over the window. The first
// held key code; -1 for a held pad input or mouse button; else 0.
int CheckAnyInput(int mask);

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
// the pump's call sites. The program calls it before InitLibrary.
void RegisterInputWithLibrary();
}  // namespace detail

}  // namespace veziv
