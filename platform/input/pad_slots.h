// The pad slots that pads.cpp and pad_effects.cpp share, and the start of
// SDL's joystick parts that the pads and the test seam's virtual pads share.
// Internal to platform/input.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/input/input.h"

namespace platform::input::detail {

struct PadSlot {
  SDL_GameController* controller = nullptr;  // null for a plain joystick
  SDL_Joystick* joystick = nullptr;          // the controller's own, or opened alone
  SDL_Haptic* haptic = nullptr;              // only while it has the constant force
  int constant_effect = -1;
  int sine_effect = -1;
  bool rumble = false;  // vibrates through SDL's rumble instead of haptic effects
  PadEffects sent;      // what the pad was last told
  uint32_t sine_started_ms = 0;
};

struct PadModuleState {
  bool started = false;
  bool haptic_started = false;
  bool updated = false;  // SDL's pad state has been brought up to date once
  uint32_t update_ms = 0;
  PadSlot slots[kMaxPads];
};

PadModuleState& PadModule();

// Starts SDL's joystick parts given by flags the way every user here needs
// them: pads read whether or not the window has the focus (the library
// decides what an inactive window reads), and no pad events queued, since the
// library polls. true when they run.
bool StartJoystickParts(uint32_t flags);

// Makes and releases the slot's vibration: haptic effects where the device
// has a constant force, else its rumble motors, else none.
void OpenEffects(PadSlot& slot, bool haptic_available);
void CloseEffects(PadSlot& slot);

}  // namespace platform::input::detail
