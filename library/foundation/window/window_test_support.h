// Shared set-up of the window tests: the manual clock, a private runtime
// folder for the second-copy lock, fresh window state and call sites, and
// call recorders standing in for the subsystems the pump reaches.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/window_state.h"
#include "platform/os/clock.h"
#include "platform/window/window.h"

namespace veziv::test {

// What the recorders saw, in order.
inline std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}
inline std::vector<int>& TypedChars() {
  static std::vector<int> chars;
  return chars;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::window::IsHeadless());
    platform::os::UseManualClock(1'000'000);
    char dir[] = "/tmp/veziv-window-test-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    runtime_dir_ = dir;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    detail::WindowState() = detail::WindowStateBlock{};
    detail::ResetCallSites();
    Calls().clear();
    TypedChars().clear();
    detail::CallSites().push_input_char = [](int c) { TypedChars().push_back(c); };
    detail::WindowState().windowed = 1;
  }
  void TearDown() override {
    DestroyMainWindow();
    detail::ResetCallSites();
    platform::os::UseRealClock();
    std::string cmd = "rm -rf " + runtime_dir_;
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << cmd;
  }

  // Records each upkeep call site by name.
  static void RecordUpkeep() {
    detail::SubsystemHooks& cs = detail::CallSites();
    cs.refill_all_stream_sounds = [] { Calls().push_back("refill"); };
    cs.poll_midi_play_state = [] { Calls().push_back("midi"); };
    cs.update_joypad_vibration_timers = [] { Calls().push_back("vibration"); };
    cs.pump_network_messages = [](int n) {
      Calls().push_back("network" + std::to_string(n));
      return 0;
    };
    cs.update_text_entry = [] { Calls().push_back("text"); };
    cs.draw_movie_to_window_all = [] { Calls().push_back("movies"); };
  }

  static int Count(const std::string& name) {
    int n = 0;
    for (const std::string& c : Calls()) n += c == name ? 1 : 0;
    return n;
  }

  std::string runtime_dir_;
};

}  // namespace veziv::test
