// Pads on SDL2: the pad parts' start and end, enumeration, opening a device
// as a game controller where SDL has a mapping for it (its built-in database
// and SDL_GAMECONTROLLERCONFIG), else as a plain joystick, and reading one
// as axes, buttons and direction pads.
#include <algorithm>

#include "platform/input/input.h"
#include "platform/input/pad_slots.h"
#include "platform/os/charset.h"
#include "platform/os/clock.h"
#include "platform/window/harness.h"

namespace platform::input {

namespace detail {

PadModuleState& PadModule() {
  static PadModuleState state;
  return state;
}

bool StartJoystickParts(uint32_t flags) {
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (SDL_InitSubSystem(flags) != 0) return false;
  SDL_JoystickEventState(SDL_IGNORE);
  if (flags & SDL_INIT_GAMECONTROLLER) SDL_GameControllerEventState(SDL_IGNORE);
  return true;
}

}  // namespace detail

namespace {

using detail::PadModule;
using detail::PadSlot;

constexpr uint32_t kPadParts = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;
// A trigger counts as held past a quarter of its travel, as a stick leaves
// its dead zone past a quarter.
constexpr int kTriggerHeld = 8192;

// The library's button order for controllers; the triggers count as buttons.
struct ControllerInput {
  SDL_GameControllerButton button;
  SDL_GameControllerAxis trigger;
};
constexpr ControllerInput kControllerButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_Y, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_INVALID, SDL_CONTROLLER_AXIS_TRIGGERLEFT},
    {SDL_CONTROLLER_BUTTON_INVALID, SDL_CONTROLLER_AXIS_TRIGGERRIGHT},
    {SDL_CONTROLLER_BUTTON_START, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, SDL_CONTROLLER_AXIS_INVALID},
    {SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_AXIS_INVALID},
};
constexpr SDL_GameControllerAxis kControllerAxes[4] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                                       SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY};

// A direction pad as an angle; opposite directions held together cancel.
int32_t PovFromDirections(bool up, bool right, bool down, bool left) {
  int dy = (up ? 1 : 0) - (down ? 1 : 0);
  int dx = (right ? 1 : 0) - (left ? 1 : 0);
  static constexpr int32_t kAngles[3][3] = {
      // dx = -1, 0, 1
      {22500, 18000, 13500},  // dy = -1 (down)
      {27000, -1, 9000},      // dy = 0
      {31500, 0, 4500},       // dy = 1 (up)
  };
  return kAngles[dy + 1][dx + 1];
}

int32_t PovFromHat(Uint8 hat) {
  return PovFromDirections(hat & SDL_HAT_UP, hat & SDL_HAT_RIGHT, hat & SDL_HAT_DOWN, hat & SDL_HAT_LEFT);
}

std::string NameCp932(const char* utf8) { return utf8 != nullptr ? platform::os::Utf8ToCp932(utf8) : std::string(); }

bool SlotInRange(int slot) { return slot >= 0 && slot < kMaxPads; }

// SDL's pads are brought up to date once a millisecond at most, however
// many slots are read in it.
void UpdateSdlPads() {
  detail::PadModuleState& s = PadModule();
  uint32_t now = platform::os::MillisecondClock();
  if (s.updated && now == s.update_ms) return;
  s.updated = true;
  s.update_ms = now;
  SDL_JoystickUpdate();
}

void ReadController(SDL_GameController* c, PadReading* r) {
  for (int i = 0; i < 4; ++i) r->axes[i] = SDL_GameControllerGetAxis(c, kControllerAxes[i]);
  for (size_t i = 0; i < std::size(kControllerButtons); ++i) {
    const ControllerInput& in = kControllerButtons[i];
    bool held = in.trigger != SDL_CONTROLLER_AXIS_INVALID ? SDL_GameControllerGetAxis(c, in.trigger) > kTriggerHeld
                                                          : SDL_GameControllerGetButton(c, in.button) != 0;
    if (held) r->buttons |= 1u << i;
  }
  r->povs[0] = PovFromDirections(SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_UP),
                                 SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
                                 SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                                 SDL_GameControllerGetButton(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT));
}

void ReadJoystick(SDL_Joystick* j, PadReading* r) {
  int axes = std::min(SDL_JoystickNumAxes(j), 4);
  for (int i = 0; i < axes; ++i) r->axes[i] = SDL_JoystickGetAxis(j, i);
  int buttons = std::min(SDL_JoystickNumButtons(j), 32);
  for (int i = 0; i < buttons; ++i) {
    if (SDL_JoystickGetButton(j, i)) r->buttons |= 1u << i;
  }
  int hats = std::min(SDL_JoystickNumHats(j), 4);
  for (int i = 0; i < hats; ++i) r->povs[i] = PovFromHat(SDL_JoystickGetHat(j, i));
}

// Under the whole-game harness one pad is plugged in: a plain joystick with
// a hat and 24 buttons, held as the script's pad bits say.
struct HarnessPad {
  SDL_Joystick* handle = nullptr;
  SDL_JoystickID id = -1;
};
HarnessPad g_harness_pad;

void PlugHarnessPad() {
  if (!platform::window::HarnessActive() || g_harness_pad.handle != nullptr) return;
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.nbuttons = 24;
  desc.nhats = 1;
  desc.name = "harness pad";
  const int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) return;
  g_harness_pad.id = SDL_JoystickGetDeviceInstanceID(index);
  g_harness_pad.handle = SDL_JoystickOpen(index);
}

void UnplugHarnessPad() {
  if (g_harness_pad.handle == nullptr) return;
  SDL_JoystickClose(g_harness_pad.handle);
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == g_harness_pad.id) SDL_JoystickDetachVirtual(i);
  }
  g_harness_pad = HarnessPad{};
}

void HoldHarnessBits() {
  if (g_harness_pad.handle == nullptr) return;
  const int bits = platform::window::HarnessInputState().pad_bits;
  Uint8 hat = SDL_HAT_CENTERED;
  if (bits & 0x1) hat |= SDL_HAT_DOWN;
  if (bits & 0x2) hat |= SDL_HAT_LEFT;
  if (bits & 0x4) hat |= SDL_HAT_RIGHT;
  if (bits & 0x8) hat |= SDL_HAT_UP;
  SDL_JoystickSetVirtualHat(g_harness_pad.handle, 0, hat);
  for (int b = 0; b < 24; ++b) SDL_JoystickSetVirtualButton(g_harness_pad.handle, b, (bits >> (4 + b)) & 1);
  SDL_JoystickUpdate();
}

}  // namespace

bool StartPads() {
  detail::PadModuleState& s = PadModule();
  if (s.started) return true;
  if (!detail::StartJoystickParts(kPadParts)) return false;
  PlugHarnessPad();
  s.started = true;
  s.haptic_started = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
  s.updated = false;
  return true;
}

void StopPads() {
  detail::PadModuleState& s = PadModule();
  for (int slot = 0; slot < kMaxPads; ++slot) ClosePad(slot);
  if (!s.started) return;
  UnplugHarnessPad();
  if (s.haptic_started) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
  SDL_QuitSubSystem(kPadParts);
  s.started = false;
  s.haptic_started = false;
}

int CountAttachedPads() {
  if (!PadModule().started) return 0;
  SDL_JoystickUpdate();
  return std::max(SDL_NumJoysticks(), 0);
}

bool OpenPad(int slot, int device, PadInfo* info) {
  detail::PadModuleState& s = PadModule();
  if (!s.started || !SlotInRange(slot)) return false;
  ClosePad(slot);
  PadSlot& p = s.slots[slot];
  if (SDL_IsGameController(device)) {
    p.controller = SDL_GameControllerOpen(device);
    if (p.controller != nullptr) p.joystick = SDL_GameControllerGetJoystick(p.controller);
  }
  if (p.joystick == nullptr) {
    if (p.controller != nullptr) SDL_GameControllerClose(p.controller);
    p.controller = nullptr;
    p.joystick = SDL_JoystickOpen(device);
  }
  if (p.joystick == nullptr) return false;
  detail::OpenEffects(p, s.haptic_started);
  PadInfo found;
  found.name = NameCp932(SDL_JoystickName(p.joystick));
  found.product_name = p.controller != nullptr ? NameCp932(SDL_GameControllerName(p.controller)) : found.name;
  found.controller = p.controller != nullptr;
  found.can_vibrate = p.constant_effect >= 0 || p.rumble;
  if (info != nullptr) *info = std::move(found);
  return true;
}

void ClosePad(int slot) {
  if (!SlotInRange(slot)) return;
  PadSlot& p = PadModule().slots[slot];
  if (p.joystick == nullptr) return;
  detail::CloseEffects(p);
  if (p.controller != nullptr) {
    SDL_GameControllerClose(p.controller);
  } else {
    SDL_JoystickClose(p.joystick);
  }
  p = PadSlot{};
}

PadRead ReadPad(int slot, PadReading* reading) {
  if (!SlotInRange(slot) || reading == nullptr) return PadRead::kFailed;
  PadSlot& p = PadModule().slots[slot];
  if (p.joystick == nullptr) return PadRead::kFailed;
  HoldHarnessBits();
  UpdateSdlPads();
  if (!SDL_JoystickGetAttached(p.joystick)) return PadRead::kUnplugged;
  *reading = PadReading{};
  if (p.controller != nullptr) {
    ReadController(p.controller, reading);
  } else {
    ReadJoystick(p.joystick, reading);
  }
  return PadRead::kRead;
}

}  // namespace platform::input
