// Vibration: the power that decides the sine, the time limit run by the
// pump's timer call site (also across a clock that goes back), stopping,
// the inactive window, and pads that cannot vibrate; seen both in the pad
// records and in the motor commands a virtual pad receives.
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "library/text_input/input/input_test_support.h"
#include "platform/input/input_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using platform::input::test::VirtualPad;

class VibrationTest : public test::InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    rumble_ = std::make_unique<VirtualPad>(VirtualPad::Controller("Rumble pad", true));
    still_ = std::make_unique<VirtualPad>(VirtualPad::Joystick("Still pad", 2, 4, 0, false));
    ASSERT_EQ(InitializeInput(), 0);
    ASSERT_EQ(GetPadDeviceCount(), 2);
  }
  void TearDown() override {
    TerminateInput();
    rumble_.reset();
    still_.reset();
    InputTest::TearDown();
  }
  static const detail::PadState& Pad(int index) { return detail::Input().pads[index]; }
  // One pump pass after ms milliseconds.
  static void PassAfter(int ms) {
    platform::os::AdvanceManualClock(uint64_t(ms) * 1000);
    detail::CallSites().update_joypad_vibration_timers();
  }
  void ExpectStill() const {
    EXPECT_EQ(Pad(0).vibration_wanted, 0);
    EXPECT_EQ(Pad(0).vibration_power, 10000);
    EXPECT_EQ(Pad(0).constant_running, 0);
    EXPECT_EQ(Pad(0).sine_running, 0);
    EXPECT_EQ(rumble_->rumble_low(), 0);
    EXPECT_EQ(rumble_->rumble_high(), 0);
  }
  std::unique_ptr<VirtualPad> rumble_;
  std::unique_ptr<VirtualPad> still_;
};

TEST_F(VibrationTest, PowerAboveHalfAddsTheSine) {
  struct Case {
    int power;
    int value;
    int sine;
  };
  const Case cases[] = {
      {600, 6000, 1},     {400, 4000, 0},       {500, 5000, 0},       {1000, 10000, 1}, {-600, -6000, 0},
      {2000, 10000, 1},   {INT_MAX, 10000, 1},  {INT_MIN, -10000, 0}, {0, 0, 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(StartPadRumble(1, c.power, -1), 0);
    EXPECT_EQ(Pad(0).vibration_power, c.value) << c.power;
    EXPECT_EQ(Pad(0).constant_running, 1) << c.power;
    EXPECT_EQ(Pad(0).sine_running, c.sine) << c.power;
    // The constant force is the low motor, by its size.
    EXPECT_EQ(rumble_->rumble_low(), std::abs(c.value) * 0xFFFF / 10000) << c.power;
  }
  // A full sine comes in over half a second of pump passes.
  ASSERT_EQ(StartPadRumble(1, 600, -1), 0);
  EXPECT_EQ(rumble_->rumble_high(), 0);
  PassAfter(500);
  EXPECT_EQ(rumble_->rumble_high(), 0xFFFF);
}

TEST_F(VibrationTest, TimeLimitStopsThePadOnAPumpPass) {
  ASSERT_EQ(StartPadRumble(1, 600, 1000), 0);
  PassAfter(400);
  PassAfter(599);
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
  EXPECT_EQ(Pad(0).sine_running, 1);
  EXPECT_NE(rumble_->rumble_low(), 0);
  PassAfter(1);
  ExpectStill();
}

TEST_F(VibrationTest, ClockGoingBackRestartsTheStepNotTheCount) {
  platform::os::UseManualClock(50'000'000);
  ASSERT_EQ(StartPadRumble(1, 600, 1000), 0);
  PassAfter(400);
  platform::os::UseManualClock(10'000'000);
  PassAfter(0);
  EXPECT_EQ(Pad(0).vibration_elapsed, 400);
  PassAfter(599);
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
  PassAfter(1);
  ExpectStill();
}

TEST_F(VibrationTest, StartingAgainAtTheSamePowerRestartsTheTime) {
  ASSERT_EQ(StartPadRumble(1, 700, 1000), 0);
  PassAfter(800);
  ASSERT_EQ(StartPadRumble(1, 700, 1000), 0);
  EXPECT_EQ(Pad(0).vibration_elapsed, 0);
  PassAfter(800);
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
  // -1 keeps the power the pad has.
  ASSERT_EQ(StartPadRumble(1, -1, -1), 0);
  EXPECT_EQ(Pad(0).vibration_power, 7000);
  PassAfter(3'600'000);
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
  ASSERT_EQ(StopPadRumble(1), 0);
  ExpectStill();
  ASSERT_EQ(StartPadRumble(1, -1, -1), 0);
  EXPECT_EQ(Pad(0).vibration_power, 10000);
}

TEST_F(VibrationTest, InactiveWindowRestsThePadButKeepsTheWish) {
  ASSERT_EQ(StartPadRumble(1, 800, -1), 0);
  detail::WindowState().active = 0;
  detail::CallSites().update_joypad_effects();
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
  EXPECT_EQ(Pad(0).constant_running, 0);
  EXPECT_EQ(rumble_->rumble_low(), 0);
  detail::WindowState().active = 1;
  detail::CallSites().update_joypad_effects();
  EXPECT_EQ(Pad(0).constant_running, 1);
  EXPECT_EQ(Pad(0).sine_running, 1);
  EXPECT_EQ(rumble_->rumble_low(), 8000 * 0xFFFF / 10000);
}

TEST_F(VibrationTest, PadsThatCannotVibrateAreLeftAlone) {
  for (int pad : {2, 3, 0, -1, INT_MIN}) {
    EXPECT_EQ(StartPadRumble(pad, 600, -1), 0) << pad;
    EXPECT_EQ(StopPadRumble(pad), 0) << pad;
  }
  EXPECT_EQ(Pad(1).vibration_wanted, 0);
  ExpectStill();
  // The keyboard flag does not change which pad vibrates.
  ASSERT_EQ(StartPadRumble(1 | kPadWithKeyboard, 600, -1), 0);
  EXPECT_EQ(Pad(0).vibration_wanted, 1);
}

TEST_F(VibrationTest, ReleasingThePadsStopsTheMotors) {
  ASSERT_EQ(StartPadRumble(1, 600, -1), 0);
  ASSERT_NE(rumble_->rumble_low(), 0);
  ASSERT_EQ(ReleaseJoypads(), 0);
  EXPECT_EQ(rumble_->rumble_low(), 0);
  EXPECT_EQ(rumble_->rumble_high(), 0);
}

}  // namespace
}  // namespace veziv
