// Pads as the game reads them: each pad's state refreshed at most once a
// millisecond, axes through the library's dead-zone rule, and PadInputBits
// with the keyboard mapping merged in on request.
#include "library/veziv.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input.h"
#include "platform/os/clock.h"

namespace veziv {

namespace detail {

int AxisFromPosition(int position) {
  if (position == 0) return -1000;
  if (position == 32767) return 0;
  if (position == 65535) return 1000;
  if (position < 24576) return (position - 24576) * 1000 / 24576;
  if (position > 40960) return (position - 40960) * 1000 / 24576;
  return 0;
}

namespace {

// The direction pad's angle as the four direction bits: each direction
// covers the half circle around it, so a diagonal gives two.
int PovBits(int32_t pov) {
  if (pov < 0 || pov >= 36000) return 0;
  int bits = 0;
  if (pov > 27000 || pov < 9000) bits |= 1 << 3;
  if (pov > 0 && pov < 18000) bits |= 1 << 2;
  if (pov > 9000 && pov < 27000) bits |= 1 << 0;
  if (pov > 18000) bits |= 1 << 1;
  return bits;
}

}  // namespace

int PadStateBits(const JoystickState& state) {
  uint32_t bits = 0;
  if (state.x < 0) bits |= 1u << 1;
  if (state.x > 0) bits |= 1u << 2;
  if (state.y < 0) bits |= 1u << 3;
  if (state.y > 0) bits |= 1u << 0;
  bits |= static_cast<uint32_t>(PovBits(state.povs[0]));
  for (int i = 0; i < 24; ++i) {
    if (state.buttons[i] & 0x80) bits |= 1u << (4 + i);
  }
  return static_cast<int>(bits);
}

}  // namespace detail

namespace {

using detail::Input;
using detail::InputState;
using detail::JoystickState;
using detail::PadState;

int AxisFromSdl(int32_t value) { return detail::AxisFromPosition(value + 32768); }

JoystickState StateFromReading(const platform::input::PadReading& r) {
  JoystickState s;
  s.x = AxisFromSdl(r.axes[0]);
  s.y = AxisFromSdl(r.axes[1]);
  s.z = AxisFromSdl(r.axes[2]);
  s.rz = AxisFromSdl(r.axes[3]);
  for (int i = 0; i < 4; ++i) s.povs[i] = r.povs[i];
  for (int i = 0; i < 32; ++i) s.buttons[i] = (r.buttons >> i) & 1 ? 0x80 : 0;
  return s;
}

// The keyboard mapping's bits for pad index (0 stands for a negative one).
uint32_t MappedKeyBits(int64_t index) {
  if (index < 0) index = 0;
  if (index >= detail::kMaxPads) return 0;
  RefreshKeyboardState();
  const InputState& s = Input();
  uint32_t bits = 0;
  for (int bit = 0; bit < detail::kPadBitCount; ++bit) {
    for (int code : s.keyboard_mapping[index][bit]) {
      if (code >= 0 && code < detail::kKeyCodes && (s.keys[code] & 0x80) != 0) bits |= 1u << bit;
    }
  }
  return bits;
}

}  // namespace

int RefreshJoypadState(int pad_index) {
  if (pad_index < 0 || pad_index >= detail::kMaxPads) return -1;
  PadState& p = Input().pads[pad_index];
  if (!p.device) return 0;
  const uint32_t now = platform::os::MillisecondClock();
  if (p.last_poll_ms == now) return 0;
  p.last_poll_ms = now;
  // A pad belongs to the window in front: while ours is not, it stays as it was.
  if (!IsWindowActive()) return 0;
  platform::input::PadReading reading;
  switch (platform::input::ReadPad(pad_index, &reading)) {
    case platform::input::PadRead::kRead:
      p.joystick = StateFromReading(reading);
      break;
    case platform::input::PadRead::kUnplugged:
      // A pad pulled out with a direction held must not keep steering.
      p.joystick = JoystickState{};
      break;
    case platform::input::PadRead::kFailed:
      break;
  }
  return 0;
}

int GetPadDeviceCount() {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  return Input().pad_count;
}

int ReadPadInputBits(int pad) {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  const InputState& s = Input();
  const int64_t index = detail::PadIndexOf(pad);
  const bool with_keys = (pad & kPadWithKeyboard) != 0;
  if (s.pad_count > 0 && !with_keys && (index < -1 || index >= s.pad_count)) return 0;
  uint32_t bits = 0;
  if (index >= 0 && index < s.pad_count) {
    RefreshJoypadState(static_cast<int>(index));
    bits |= static_cast<uint32_t>(detail::PadStateBits(s.pads[index].joystick));
  }
  if (with_keys) bits |= MappedKeyBits(index);
  return static_cast<int>(bits);
}

}  // namespace veziv
