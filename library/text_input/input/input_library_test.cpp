// Input inside the library: started and ended by the library's start and end,
// keys reaching WaitForAnyKey through the pump, and the pump's timer pass
// stopping a timed vibration.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/pump.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "platform/input/input_test_support.h"
#include "platform/os/clock.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

namespace pit = platform::input::test;

class InputInLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    platform::os::UseManualClock(0);
    detail::ResetCallSites();
    detail::ResetLibrarySubsystems();
    detail::RegisterInputWithLibrary();
    detail::WindowState().windowed = 1;
    pit::ReleaseScriptedInput();
  }
  void TearDown() override {
    EndLibrary();
    pit::ReleaseScriptedInput();
    detail::ResetCallSites();
    detail::ResetLibrarySubsystems();
    detail::SetLogFolder("");
    platform::os::UseRealClock();
    std::filesystem::current_path(old_folder_);
  }
  std::string Log() const {
    std::ifstream in(folder_ / "Log.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  veziv::test::TestFolder folder_;
  std::filesystem::path old_folder_;
};

// Presses Space on the third upkeep pass of the pump.
int g_passes = 0;
void PressSpaceOnThirdPass() {
  if (++g_passes == 3) pit::ScriptKey(0x39, true);
}

TEST_F(InputInLibraryTest, LibraryStartsInputAndWaitForAnyKeySeesAKey) {
  pit::VirtualPad pad = pit::VirtualPad::Controller("Library pad", true);
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_TRUE(detail::Input().set_up);
  EXPECT_EQ(GetPadDeviceCount(), 1);

  g_passes = 0;
  detail::CallSites().update_text_entry = PressSpaceOnThirdPass;
  EXPECT_EQ(WaitForAnyKey(), 0x39);
  EXPECT_GE(g_passes, 3);
  pit::ScriptKey(0x39, false);

  // A held pad button is input too.
  pad.SetButton(pit::kButtonA, true);
  platform::os::AdvanceManualClock(1000);
  EXPECT_EQ(CheckAnyInput(1), -1);
  pad.SetButton(pit::kButtonA, false);

  // The pump's timer pass ends a timed vibration.
  ASSERT_EQ(StartPadRumble(1, 900, 20), 0);
  EXPECT_NE(pad.rumble_low(), 0);
  WaitMilliseconds(25);
  EXPECT_EQ(detail::Input().pads[0].vibration_wanted, 0);
  EXPECT_EQ(pad.rumble_low(), 0);

  EndLibrary();
  EXPECT_FALSE(detail::Input().set_up);
  const std::string log = Log();
  EXPECT_NE(log.find("入力関連の初期化をしました"), std::string::npos) << log;
  EXPECT_NE(log.find("入力関連の終了処理... 完了"), std::string::npos) << log;
}

}  // namespace
}  // namespace veziv
