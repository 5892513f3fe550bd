// Pad vibration: the wish (on or off, with a power) and its time limit kept
// here, advanced by the pump on every pass, and handed to the pads as a
// constant force plus, above half power, a slow sine.
#include <algorithm>

#include "library/veziv.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using detail::Input;
using detail::InputState;
using detail::PadState;

constexpr int kSineAbove = 5000;

// The pad behind a pad number, when it can vibrate.
PadState* VibratingPad(int pad, int* index_out) {
  InputState& s = Input();
  const int64_t index = detail::PadIndexOf(pad);
  if (index < 0 || index >= s.pad_count) return nullptr;
  PadState& p = s.pads[index];
  if (!p.device || !p.can_vibrate) return nullptr;
  *index_out = static_cast<int>(index);
  return &p;
}

}  // namespace

namespace detail {

void StopPadVibration(int index) {
  PadState& p = Input().pads[index];
  if (!p.device || !p.can_vibrate || !p.vibration_wanted) return;
  p.vibration_wanted = 0;
  p.vibration_power = kFullVibration;
  UpdateJoypadEffects();
}

}  // namespace detail

int StartPadRumble(int pad, int power, int time) {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  int index = 0;
  PadState* p = VibratingPad(pad, &index);
  if (p == nullptr) return 0;
  // Widened first: a huge power is full power, not an overflow.
  const int value = power == -1 ? p->vibration_power
                                : static_cast<int>(std::clamp<int64_t>(int64_t{power} * 10, -detail::kFullVibration,
                                                                       detail::kFullVibration));
  p->vibration_time = time;
  p->vibration_elapsed = 0;
  p->vibration_step_ms = platform::os::MillisecondClock();
  if (p->vibration_wanted && p->vibration_power == value) return 0;
  p->vibration_power = value;
  p->vibration_wanted = 1;
  UpdateJoypadEffects();
  return 0;
}

int StopPadRumble(int pad) {
  int result = 0;
  if (!detail::ReadyForInput(&result)) return result;
  int index = 0;
  if (VibratingPad(pad, &index) != nullptr) detail::StopPadVibration(index);
  return 0;
}

int UpdateJoypadVibrationTimers() {
  InputState& s = Input();
  const uint32_t now = platform::os::MillisecondClock();
  for (int i = 0; i < s.pad_count; ++i) {
    PadState& p = s.pads[i];
    if (!p.vibration_wanted || p.vibration_time < 0) continue;
    if (now != p.vibration_step_ms) {
      // A clock that went back (or wrapped) starts the count again from now.
      if (now < p.vibration_step_ms) p.vibration_step_ms = now;
      p.vibration_elapsed += now - p.vibration_step_ms;
      p.vibration_step_ms = now;
    }
    if (p.vibration_elapsed >= p.vibration_time) detail::StopPadVibration(i);
  }
  UpdateJoypadEffects();
  return 0;
}

int UpdateJoypadEffects() {
  InputState& s = Input();
  // An inactive window's pads rest; the wish is kept for its return.
  const bool active = IsWindowActive() != 0;
  for (int i = 0; i < s.pad_count; ++i) {
    PadState& p = s.pads[i];
    if (!p.device || !p.can_vibrate) continue;
    p.constant_running = active && p.vibration_wanted ? 1 : 0;
    p.sine_running = p.constant_running && p.vibration_power > kSineAbove ? 1 : 0;
    platform::input::SetPadEffects(i, {p.constant_running != 0, p.vibration_power, p.sine_running != 0});
  }
  return 0;
}

}  // namespace veziv
