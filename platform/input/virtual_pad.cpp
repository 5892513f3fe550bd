// Virtual pads for tests: SDL's virtual joysticks, which SDL's own pad code
// enumerates, maps, reads and rumbles like a device plugged in.
#include <SDL.h>

#include "platform/input/input_test_support.h"
#include "platform/input/pad_slots.h"

namespace platform::input::test {

struct VirtualPad::Impl {
  bool started = false;
  SDL_JoystickID id = -1;
  SDL_Joystick* handle = nullptr;
  int low = 0;
  int high = 0;
  int commands = 0;
};

namespace {

int SDLCALL TakeRumble(void* userdata, Uint16 low, Uint16 high) {
  auto* impl = static_cast<VirtualPad::Impl*>(userdata);
  impl->low = low;
  impl->high = high;
  ++impl->commands;
  return 0;
}

// The virtual device's index now: indices move as other pads come and go.
int DeviceIndexOf(SDL_JoystickID id) {
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
  }
  return -1;
}

}  // namespace

VirtualPad::VirtualPad(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VirtualPad::VirtualPad(VirtualPad&&) noexcept = default;

VirtualPad::~VirtualPad() {
  if (!impl_) return;
  Unplug();
  if (impl_->handle != nullptr) SDL_JoystickClose(impl_->handle);
  if (impl_->started) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

namespace {

std::unique_ptr<VirtualPad::Impl> Attach(SDL_VirtualJoystickDesc desc, bool rumble) {
  auto impl = std::make_unique<VirtualPad::Impl>();
  impl->started = detail::StartJoystickParts(SDL_INIT_JOYSTICK);
  if (!impl->started) return impl;
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.userdata = impl.get();
  if (rumble) desc.Rumble = TakeRumble;
  int index = SDL_JoystickAttachVirtualEx(&desc);
  if (index < 0) return impl;
  impl->id = SDL_JoystickGetDeviceInstanceID(index);
  impl->handle = SDL_JoystickOpen(index);
  return impl;
}

}  // namespace

VirtualPad VirtualPad::Controller(const char* name, bool rumble) {
  SDL_VirtualJoystickDesc desc{};
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = kVirtualControllerAxes;
  desc.nbuttons = kVirtualControllerButtons;
  desc.button_mask = (1u << kVirtualControllerButtons) - 1;
  desc.axis_mask = (1u << kVirtualControllerAxes) - 1;
  desc.name = name;
  return VirtualPad(Attach(desc, rumble));
}

VirtualPad VirtualPad::Joystick(const char* name, int axes, int buttons, int hats, bool rumble) {
  SDL_VirtualJoystickDesc desc{};
  desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
  desc.naxes = static_cast<Uint16>(axes);
  desc.nbuttons = static_cast<Uint16>(buttons);
  desc.nhats = static_cast<Uint16>(hats);
  desc.name = name;
  return VirtualPad(Attach(desc, rumble));
}

bool VirtualPad::plugged() const { return impl_->handle != nullptr && SDL_JoystickGetAttached(impl_->handle); }

void VirtualPad::SetAxis(int axis, int value) {
  if (plugged()) SDL_JoystickSetVirtualAxis(impl_->handle, axis, static_cast<Sint16>(value));
}

void VirtualPad::SetButton(int button, bool down) {
  if (plugged()) SDL_JoystickSetVirtualButton(impl_->handle, button, down ? 1 : 0);
}

void VirtualPad::SetHat(int hat, int bits) {
  if (plugged()) SDL_JoystickSetVirtualHat(impl_->handle, hat, static_cast<Uint8>(bits));
}

void VirtualPad::Unplug() {
  if (!plugged()) return;
  int index = DeviceIndexOf(impl_->id);
  if (index >= 0) SDL_JoystickDetachVirtual(index);
}

int VirtualPad::rumble_low() const { return impl_->low; }
int VirtualPad::rumble_high() const { return impl_->high; }
int VirtualPad::rumble_commands() const { return impl_->commands; }

}  // namespace platform::input::test
