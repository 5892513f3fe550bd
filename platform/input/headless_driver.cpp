// The headless driver: keys and mouse buttons held as a test scripts them,
// since SDL's dummy video driver never delivers a key.
#include <SDL.h>

#include <algorithm>

#include "platform/input/driver.h"
#include "platform/input/input_test_support.h"
#include "platform/input/key_table.h"
#include "platform/window/harness.h"

namespace platform::input {
namespace detail {
namespace {

struct ScriptedInput {
  uint8_t keys[SDL_NUM_SCANCODES] = {};
  uint32_t mouse = 0;
};

ScriptedInput g_scripted;

// Under the whole-game harness its script holds the keys and buttons.
void TakeHarnessInput() {
  if (!platform::window::HarnessActive()) return;
  const platform::window::HarnessInput& h = platform::window::HarnessInputState();
  std::fill(std::begin(g_scripted.keys), std::end(g_scripted.keys), 0);
  for (int code = 0; code < 256; ++code) {
    const int scancode = h.keys[code] != 0 ? ScancodeForKeyCode(code) : -1;
    if (scancode >= 0 && scancode < SDL_NUM_SCANCODES) g_scripted.keys[scancode] = 1;
  }
  test::ScriptMouseButtons(h.mouse_buttons);
}

const uint8_t* ScriptedKeyStates(int* count) {
  TakeHarnessInput();
  *count = SDL_NUM_SCANCODES;
  return g_scripted.keys;
}

uint32_t ScriptedMouseButtons() {
  TakeHarnessInput();
  return g_scripted.mouse;
}

}  // namespace

const Driver kHeadlessDriver = {"headless", ScriptedKeyStates, ScriptedMouseButtons};

}  // namespace detail

namespace test {

bool ScriptKey(int key_code, bool down) {
  int scancode = detail::ScancodeForKeyCode(key_code);
  if (scancode < 0) return false;
  ScriptScancode(scancode, down);
  return true;
}

void ScriptScancode(int scancode, bool down) {
  if (scancode >= 0 && scancode < SDL_NUM_SCANCODES) detail::g_scripted.keys[scancode] = down ? 1 : 0;
}

void ScriptMouseButtons(int bits) {
  uint32_t mask = 0;
  if (bits & 1) mask |= SDL_BUTTON_LMASK;
  if (bits & 2) mask |= SDL_BUTTON_RMASK;
  if (bits & 4) mask |= SDL_BUTTON_MMASK;
  if (bits & 8) mask |= SDL_BUTTON_X1MASK;
  if (bits & 16) mask |= SDL_BUTTON_X2MASK;
  detail::g_scripted.mouse = mask;
}

void ReleaseScriptedInput() {
  std::fill(std::begin(detail::g_scripted.keys), std::end(detail::g_scripted.keys), 0);
  detail::g_scripted.mouse = 0;
}

}  // namespace test
}  // namespace platform::input
