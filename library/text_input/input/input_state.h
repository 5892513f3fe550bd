// The input block that the input files share: key state, keyboard mappings
// and the pad records. Internal to the library.
#pragma once

#include <cstdint>
#include <string>

namespace veziv::detail {

inline constexpr int kKeyCodes = 256;
inline constexpr int kMaxPads = 16;
inline constexpr int kPadBitCount = 32;
inline constexpr int kCodesPerPadBit = 4;
inline constexpr int kFullVibration = 10000;

// A pad's state as the game's pad code expects it: axes -1000..1000, direction
// pads in hundredths of a degree (-1 centred), button bytes with bit 7 held.
struct JoystickState {
  int32_t x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
  int32_t sliders[2] = {0, 0};
  int32_t povs[4] = {-1, -1, -1, -1};
  uint8_t buttons[32] = {};
};

struct PadState {
  bool device = false;
  bool can_vibrate = false;
  JoystickState joystick;
  int64_t last_poll_ms = -1;  // -1: never read
  int vibration_wanted = 0;
  int vibration_power = kFullVibration;  // -10000..10000
  int vibration_time = 0;                // ms; negative: until stopped
  int64_t vibration_elapsed = 0;
  uint32_t vibration_step_ms = 0;
  int constant_running = 0;
  int sine_running = 0;
  std::string instance_name;
  std::string product_name;
};

struct InputState {
  bool set_up = false;
  int64_t last_keyboard_read_ms = -1;  // -1: never read
  uint8_t keys[kKeyCodes] = {};
  // For each pad and PadInputBits bit, up to four key codes; negative: none.
  int keyboard_mapping[kMaxPads][kPadBitCount][kCodesPerPadBit] = {};
  int pad_count = 0;
  PadState pads[kMaxPads];
};

InputState& Input();

// Common start of the game's reads: waits while the window is inactive and,
// before input is set up (unless the window is closing), sets it up in place
// of the read; then false, with *result what the read returns.
bool ReadyForInput(int* result);

// A pad number's index (number without kPadWithKeyboard, less one), wide
// enough for any int.
int64_t PadIndexOf(int pad);

// The axis rule for a position 0..65535 with the centre at 32767: a quarter
// each side of the centre is dead, the rest scales to -1000..1000.
int AxisFromPosition(int position);
// The PadInputBits of a pad's state: sticks, direction pad and buttons 1..24.
int PadStateBits(const JoystickState& state);

// StopPadRumble without the wait and the set-up: for the timers, which run
// inside the pump.
void StopPadVibration(int index);

}  // namespace veziv::detail
