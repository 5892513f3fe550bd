// Test support for input: a fixture with the manual clock, a log folder, an
// active window state, input registered and set up, and helpers that hold
// keys through the headless keyboard and step the clock past the
// once-a-millisecond reads.
#pragma once

#include <gtest/gtest.h>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input_test_support.h"
#include "platform/os/clock.h"
#include "platform/window/window.h"

namespace veziv::test {

class InputTest : public veziv::test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    ASSERT_TRUE(platform::window::IsHeadless());
    detail::WindowState() = detail::WindowStateBlock{};
    detail::WindowState().active = 1;
    detail::ResetCallSites();
    detail::RegisterInputWithLibrary();
    platform::input::test::ReleaseScriptedInput();
    ClearF10HeldFlag();
  }
  void TearDown() override {
    TerminateInput();
    platform::input::test::ReleaseScriptedInput();
    detail::ResetCallSites();
    detail::WindowState() = detail::WindowStateBlock{};
    LogFolderTest::TearDown();
  }

  // Every read is at most once a millisecond: the next one needs a new one.
  static void NextMillisecond() { platform::os::AdvanceManualClock(1000); }
  static void Hold(int key_code) { ASSERT_TRUE(platform::input::test::ScriptKey(key_code, true)) << key_code; }
  static void Release(int key_code) { platform::input::test::ScriptKey(key_code, false); }
  // ReadPadInputBits in a fresh millisecond.
  static int PadBits(int pad) {
    NextMillisecond();
    return ReadPadInputBits(pad);
  }
};

}  // namespace veziv::test
