// Setting input up and ending it, enumerating the pads, the default
// keyboard mapping, and input's place in the library's start, end and pump.
#include <algorithm>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input.h"

namespace veziv {

namespace pi = platform::input;

namespace detail {

InputState& Input() {
  static InputState state;
  return state;
}

bool ReadyForInput(int* result) {
  // Without a window there is nothing to wait for (and no pump to wait in).
  if (WindowState().window != nullptr) WaitWhileWindowInactive();
  if (Input().set_up || IsWindowClosing()) return true;
  *result = InitializeInput();
  return false;
}

int64_t PadIndexOf(int pad) { return static_cast<int64_t>(pad & ~kPadWithKeyboard) - 1; }

}  // namespace detail

namespace {

using detail::Input;
using detail::InputState;
using detail::PadState;

struct DefaultMapping {
  int bit;
  int codes[2];
};
// Pad 1's keys: the keypad and the arrows steer, Z X C A S D Q W are buttons
// 1 to 8, Escape button 9 and Space button 10.
constexpr DefaultMapping kPadOneKeys[] = {
    {0, {0x50, 0xD0}}, {1, {0x4B, 0xCB}}, {2, {0x4D, 0xCD}}, {3, {0x48, 0xC8}}, {4, {0x2C, -1}},
    {5, {0x2D, -1}},   {6, {0x2E, -1}},   {7, {0x1E, -1}},   {8, {0x1F, -1}},   {9, {0x20, -1}},
    {10, {0x10, -1}},  {11, {0x11, -1}},  {12, {0x01, -1}},  {13, {0x39, -1}},
};

void SetDefaultKeyboardMapping(InputState& s) {
  for (auto& pad : s.keyboard_mapping) {
    for (auto& bit : pad) std::fill(std::begin(bit), std::end(bit), -1);
  }
  for (const DefaultMapping& m : kPadOneKeys) {
    s.keyboard_mapping[0][m.bit][0] = m.codes[0];
    s.keyboard_mapping[0][m.bit][1] = m.codes[1];
  }
}

}  // namespace

int InitializeInput() {
  InputState& s = Input();
  if (s.set_up) return 0;
  s = InputState{};
  s.set_up = true;
  IncreaseLogIndent();
  if (!pi::StartPads()) WriteLogText("ジョイパッドを使用できません\n");
  EnumeratePadDevices();
  WriteLogFormat("パッドの数は %d 個です", s.pad_count);
  DecreaseLogIndent();
  WriteLogText("入力関連の初期化をしました\n");
  SetDefaultKeyboardMapping(s);
  return 0;
}

int TerminateInput() {
  InputState& s = Input();
  if (!s.set_up) return 0;
  WriteLogText("入力関連の終了処理... 完了\n");
  ReleaseJoypads();
  pi::StopPads();
  s.set_up = false;
  return 0;
}

int EnumeratePadDevices() {
  InputState& s = Input();
  if (!s.set_up) return -1;
  ReleaseJoypads();
  WriteLogText("ジョイパッドの初期化... \n");
  // Pads plugged in since the last enumeration are found here, and only here,
  // so the numbering stays put while the game runs.
  int attached = pi::StartPads() ? pi::CountAttachedPads() : 0;
  for (int device = 0; device < attached && s.pad_count < detail::kMaxPads; ++device) {
    WriteLogText("入力装置を見つけました\n");
    pi::PadInfo info;
    if (!pi::OpenPad(s.pad_count, device, &info)) {
      WriteLogText("入力装置の取得に失敗しました\n");
      continue;
    }
    WriteLogFormat("デバイスの登録名:%s", info.name.c_str());
    WriteLogFormat("デバイスの製品登録名:%s", info.product_name.c_str());
    PadState& p = s.pads[s.pad_count];
    p = PadState{};
    p.device = true;
    p.instance_name = info.name;
    p.product_name = info.product_name;
    p.can_vibrate = info.can_vibrate;
    if (!p.can_vibrate) WriteLogText("周期的エフェクトの作成に失敗しました。\n");
    WriteLogText("ジョイパッドの追加は正常に終了しました\n");
    ++s.pad_count;
  }
  WriteLogText("ジョイパッドの初期化は正常に終了しました\n");
  return 0;
}

int ReleaseJoypads() {
  InputState& s = Input();
  if (!s.set_up) return -1;
  for (int i = 0; i < detail::kMaxPads; ++i) {
    pi::ClosePad(i);
    s.pads[i] = PadState{};
  }
  s.pad_count = 0;
  return 0;
}

// Pads are read whatever the window's state and kept still while it is
// inactive (see RefreshJoypadState), so there is nothing to acquire again.
int ReacquireInputDevices() { return 0; }

namespace detail {

void RegisterInputWithLibrary() {
  LibrarySubsystems& s = RegisteredSubsystems();
  s.initialize_input = [] { return InitializeInput(); };
  s.terminate_input = [] { TerminateInput(); };
  SubsystemHooks& cs = CallSites();
  cs.update_joypad_vibration_timers = [] { UpdateJoypadVibrationTimers(); };
  cs.reacquire_input_devices = [] { ReacquireInputDevices(); };
  cs.update_joypad_effects = [] { UpdateJoypadEffects(); };
  cs.check_any_input = CheckAnyInput;
}

}  // namespace detail

}  // namespace veziv
