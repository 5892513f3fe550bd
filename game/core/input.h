// Player input: one record per player with a hold counter per action, the
// keyboard key and the pad mask bound to each action, refreshed once a frame
// from the keyboard or the player's pad, and from the mouse where a screen
// asks for it. Screens read the counters only: 1 is a press, more a hold.
#pragma once

#include <cstdint>

namespace game {

// Action numbers, the indexes of the hold counters.
enum InputAction : int {
  kActionShot = 0,  // also decide in menus
  kActionLeft = 1,
  kActionUp = 2,
  kActionRight = 3,
  kActionDown = 4,
  kActionSub = 5,
  kActionSpecial = 6,
  kActionSlow = 7,
  kActionPause = 8,  // also cancel in menus
  kActionMouseLeft = 9,
  kActionMouseRight = 10,
};
inline constexpr int kHoldCount = 11;
inline constexpr int kBoundActions = 9;  // actions 0..8 have a key and a pad mask
inline constexpr int kKeyStateCount = 256;
inline constexpr int kNotAssigning = -1;
inline constexpr int kAssigningPad = 1000;  // 1000 + action: the pad screen waits for a button

// One player's input, 30 i32 in this order (the key files and the
// configuration screens rely on the layout).
struct inputRecord {
  int32_t hold[kHoldCount];
  int32_t keyCode[kBoundActions];
  int32_t padMask[kBoundActions];
  int32_t assigning;
};
static_assert(sizeof(inputRecord) == 30 * sizeof(int32_t));

// The defaults: counters 0, Z / arrows / C / X / left Shift / Esc, pad
// buttons 1, 2, 4, 5 and 9 with the four directions, not assigning.
inputRecord resetInputRecord();
// Player 1's keyboard defaults (the sub weapon on S); assigning -1.
void setKeyPresetA(inputRecord& record);
// Player 2's keyboard defaults on the numeric keypad; nothing else changes.
void setKeyPresetKeypad(inputRecord& record);
// The pad defaults; assigning -1.
void setPadPreset(inputRecord& record);

// Counts actions 0..8 from a 256-byte key state (1 = held). A key code
// outside 0..255 (from a damaged key file) reads as not held.
void countKeyHolds(inputRecord& record, const char keys[kKeyStateCount]);
// Counts actions 0..8 from the library's key state.
void updateKeyHoldCounters(inputRecord& record);
// Counts actions 0..8 from a pad bit set.
void updatePadHoldCounters(inputRecord& record, int bits);
// Counts actions 9 and 10 from the mouse buttons (bit 0 left, bit 1 right).
void countMouseHolds(inputRecord& record, int buttons);
void updateMouseButtons(inputRecord& record);

// One latch from given readings: with the window not in front every counter
// but pause is cleared first; then pad bits, when any is set, count alone,
// else the keyboard counts.
void latchInput(inputRecord& record, bool inFront, int padBits, const char keys[kKeyStateCount]);
// The whole per-frame latch of one player from the library (pad 1 or 2).
void updateInput(inputRecord& record, int pad);

}  // namespace game
