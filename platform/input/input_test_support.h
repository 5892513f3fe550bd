// The test seam of the input module: keys and mouse buttons that the
// headless driver reports as held, and pads plugged in through SDL's virtual
// joysticks, which the module opens and reads like any other pad.
#pragma once

#include <memory>

namespace platform::input::test {

// Holds or releases the key that the module reports as the library's key
// code; false for a code no key gives.
bool ScriptKey(int key_code, bool down);
// Holds or releases a key by its SDL scancode.
void ScriptScancode(int scancode, bool down);
// Mouse buttons held, in the module's bits (1 left, 2 right, 4 middle, 8 and 16 the side buttons).
void ScriptMouseButtons(int bits);
// Releases every scripted key and button.
void ReleaseScriptedInput();

// A virtual controller's buttons and axes, as SDL numbers them.
enum VirtualControllerButton {
  kButtonA, kButtonB, kButtonX, kButtonY, kButtonBack, kButtonGuide, kButtonStart, kButtonLeftStick,
  kButtonRightStick, kButtonLeftShoulder, kButtonRightShoulder, kButtonDpadUp, kButtonDpadDown,
  kButtonDpadLeft, kButtonDpadRight, kVirtualControllerButtons
};
enum VirtualControllerAxis {
  kAxisLeftX, kAxisLeftY, kAxisRightX, kAxisRightY, kAxisTriggerLeft, kAxisTriggerRight, kVirtualControllerAxes
};
// Hat directions (combine for diagonals).
enum HatBits { kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8 };

// A pad plugged in while it lives (it starts SDL's joystick part for
// itself, so it may outlive the module's own start and stop).
class VirtualPad {
 public:
  // A controller that SDL maps by itself: the buttons and axes above. With
  // rumble it takes motor commands.
  static VirtualPad Controller(const char* name, bool rumble);
  // A plain joystick without a mapping.
  static VirtualPad Joystick(const char* name, int axes, int buttons, int hats, bool rumble);
  VirtualPad(VirtualPad&&) noexcept;
  ~VirtualPad();

  // False when SDL refused to make it.
  bool plugged() const;
  void SetAxis(int axis, int value);
  void SetButton(int button, bool down);
  void SetHat(int hat, int bits);
  // Pulls the pad out; it cannot come back.
  void Unplug();

  // The last motor command (low- and high-frequency strength) and how many came.
  int rumble_low() const;
  int rumble_high() const;
  int rumble_commands() const;

 public:
  struct Impl;  // the device and what its motors were told

 private:
  explicit VirtualPad(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::input::test
