// Keyboard, mouse buttons and pads on SDL2: the keyboard read as the
// library's 256 key codes through one fixed table, the mouse buttons, and up
// to 16 pads opened as game controllers where SDL knows a mapping (else as
// plain joysticks), with vibration by haptic effects or by rumble motors.
//
// The keyboard and the mouse come from SDL, or from a script under the
// headless driver (VEZIV_HEADLESS=1); pads are SDL's in both, so tests drive
// them with SDL's virtual joysticks. Under the whole-game harness
// (VEZIV_HARNESS) the script holds keys and buttons, and one virtual pad
// holds its pad bits. Names are CP932.
#pragma once

#include <cstdint>
#include <string>

namespace platform::input {

inline constexpr int kKeyCodeCount = 256;
inline constexpr int kMaxPads = 16;

// Fills state[code] with 0x80 for each held key and 0 for the others.
void ReadKeyState(uint8_t state[kKeyCodeCount]);

// Held mouse buttons: bit 0 left, 1 right, 2 middle, 3 and 4 the side buttons.
int ReadMouseButtons();

// Starts SDL's joystick, game controller and haptic parts; true when pads can
// be used (haptic is optional). Safe to repeat.
bool StartPads();
// Closes every pad and stops what StartPads started.
void StopPads();

// Looks for pads plugged in or pulled out since the last look; the number of
// attached devices, each openable by its index below that number.
int CountAttachedPads();

struct PadInfo {
  std::string name;          // the device's own name
  std::string product_name;  // the controller mapping's name, else the device's
  bool controller = false;   // read through a game controller mapping
  bool can_vibrate = false;  // has a constant-force effect or a rumble motor
};
// Opens attached device `device` into slot 0..kMaxPads-1, closing what the
// slot held. false when the device cannot be opened (the slot stays empty).
bool OpenPad(int slot, int device, PadInfo* info);
// Stops the slot's effects and closes it; nothing happens to an empty slot.
void ClosePad(int slot);

struct PadReading {
  // x, y, z and rz as SDL reports them, -32768..32767: a controller's left
  // stick is x, y and its right stick z, rz; a joystick's axes 0 to 3.
  int32_t axes[4] = {0, 0, 0, 0};
  // Bit i: button i + 1 held. A controller's run A, B, X, Y, LB, RB, LT, RT,
  // START, BACK, LS, RS, GUIDE (its triggers count as buttons); a joystick's
  // keep SDL's order.
  uint32_t buttons = 0;
  // Direction pads in hundredths of a degree clockwise from up, -1 centred:
  // a joystick's hats, a controller's d-pad buttons as the first.
  int32_t povs[4] = {-1, -1, -1, -1};
};
enum class PadRead {
  kRead,       // *reading holds the pad's state now
  kUnplugged,  // the device is gone; its slot stays open until closed
  kFailed,     // an empty slot
};
// Brings SDL's pad state up to date (at most once a millisecond) and reads the slot.
PadRead ReadPad(int slot, PadReading* reading);

// What a pad's motors should do: a constant force at level -10000..10000 and
// the slow sine wave. Called on every pump pass for a vibrating pad, so that
// rumble motors, which SDL stops after a while, keep going.
struct PadEffects {
  bool constant = false;
  int level = 0;
  bool sine = false;
};
void SetPadEffects(int slot, const PadEffects& effects);

}  // namespace platform::input
