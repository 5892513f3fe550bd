// Vibration: a pad with haptic support gets the two effects the library
// drives, a constant force and a slow sine wave; a pad with only rumble
// motors (most pads on Linux) plays the constant force on its low-frequency
// motor and the sine on its high-frequency one, faded in as the sine's
// attack would be.
#include <algorithm>
#include <cstdlib>

#include "platform/input/input.h"
#include "platform/input/pad_slots.h"
#include "platform/os/clock.h"

namespace platform::input {

namespace {

using detail::PadSlot;

constexpr int kFullLevel = 10000;
constexpr uint32_t kSinePeriodMs = 1500;
constexpr uint16_t kSineAttackMs = 500;
constexpr uint16_t kSineFadeMs = 1000;
// SDL lets rumble run out after this long unless it is told again, which the
// library's pump does on every pass.
constexpr uint32_t kRumbleHoldMs = 1000;

SDL_HapticEffect ConstantEffect(int level) {
  SDL_HapticEffect e{};
  e.type = SDL_HAPTIC_CONSTANT;
  e.constant.direction.type = SDL_HAPTIC_CARTESIAN;
  e.constant.direction.dir[0] = 1;
  e.constant.length = SDL_HAPTIC_INFINITY;
  e.constant.level = static_cast<Sint16>(level * 32767 / kFullLevel);
  return e;
}

SDL_HapticEffect SineEffect() {
  SDL_HapticEffect e{};
  e.type = SDL_HAPTIC_SINE;
  e.periodic.direction.type = SDL_HAPTIC_POLAR;
  e.periodic.length = SDL_HAPTIC_INFINITY;
  e.periodic.period = kSinePeriodMs;
  e.periodic.magnitude = 32767;
  e.periodic.attack_length = kSineAttackMs;
  e.periodic.attack_level = 0;
  e.periodic.fade_length = kSineFadeMs;
  e.periodic.fade_level = 0;
  return e;
}

void SetHapticEffects(PadSlot& p, const PadEffects& want) {
  const PadEffects& sent = p.sent;
  if (want.constant) {
    if (!sent.constant || sent.level != want.level) {
      SDL_HapticEffect e = ConstantEffect(want.level);
      SDL_HapticUpdateEffect(p.haptic, p.constant_effect, &e);
    }
    if (!sent.constant) SDL_HapticRunEffect(p.haptic, p.constant_effect, 1);
  } else if (sent.constant) {
    SDL_HapticStopEffect(p.haptic, p.constant_effect);
  }
  if (p.sine_effect < 0 || want.sine == sent.sine) return;
  if (want.sine) {
    SDL_HapticRunEffect(p.haptic, p.sine_effect, 1);
  } else {
    SDL_HapticStopEffect(p.haptic, p.sine_effect);
  }
}

bool MotorsOn(const PadEffects& e) { return (e.constant && e.level != 0) || e.sine; }

void SetRumble(PadSlot& p, const PadEffects& want) {
  uint32_t now = platform::os::MillisecondClock();
  if (want.sine && !p.sent.sine) p.sine_started_ms = now;
  uint32_t low = want.constant ? static_cast<uint32_t>(std::abs(want.level)) * 0xFFFF / kFullLevel : 0;
  uint32_t high = 0;
  if (want.sine) {
    // The clock is 31 bits; the mask keeps the age right across its wrap.
    uint32_t age = (now - p.sine_started_ms) & 0x7FFFFFFFu;
    high = std::min<uint32_t>(age, kSineAttackMs) * 0xFFFF / kSineAttackMs;
  }
  if (low != 0 || high != 0) {
    SDL_JoystickRumble(p.joystick, static_cast<Uint16>(low), static_cast<Uint16>(high), kRumbleHoldMs);
  } else if (MotorsOn(p.sent)) {
    SDL_JoystickRumble(p.joystick, 0, 0, 0);
  }
}

}  // namespace

namespace detail {

void OpenEffects(PadSlot& p, bool haptic_available) {
  if (haptic_available && SDL_JoystickIsHaptic(p.joystick) == 1) {
    p.haptic = SDL_HapticOpenFromJoystick(p.joystick);
    if (p.haptic != nullptr) {
      unsigned supported = SDL_HapticQuery(p.haptic);
      if (supported & SDL_HAPTIC_CONSTANT) {
        SDL_HapticEffect constant = ConstantEffect(kFullLevel);
        p.constant_effect = SDL_HapticNewEffect(p.haptic, &constant);
      }
      if (p.constant_effect >= 0 && (supported & SDL_HAPTIC_SINE)) {
        SDL_HapticEffect sine = SineEffect();
        p.sine_effect = SDL_HapticNewEffect(p.haptic, &sine);
      }
      if (p.constant_effect < 0) {
        SDL_HapticClose(p.haptic);
        p.haptic = nullptr;
      }
    }
  }
  if (p.haptic == nullptr) p.rumble = SDL_JoystickHasRumble(p.joystick) == SDL_TRUE;
}

void CloseEffects(PadSlot& p) {
  if (p.haptic != nullptr) {
    // Closing the device ends and frees its effects.
    SDL_HapticClose(p.haptic);
  } else if (p.rumble && MotorsOn(p.sent)) {
    SDL_JoystickRumble(p.joystick, 0, 0, 0);
  }
  p.haptic = nullptr;
  p.constant_effect = -1;
  p.sine_effect = -1;
  p.rumble = false;
  p.sent = PadEffects{};
}

}  // namespace detail

void SetPadEffects(int slot, const PadEffects& effects) {
  if (slot < 0 || slot >= kMaxPads) return;
  PadSlot& p = detail::PadModule().slots[slot];
  if (p.joystick == nullptr) return;
  PadEffects want = effects;
  want.level = std::clamp(want.level, -kFullLevel, kFullLevel);
  if (p.haptic != nullptr) {
    SetHapticEffects(p, want);
  } else if (p.rumble) {
    SetRumble(p, want);
  }
  p.sent = want;
}

}  // namespace platform::input
