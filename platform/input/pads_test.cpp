// Pads end to end through SDL's virtual joysticks: enumeration and
// hot-plugging, controllers read in the library's button order, plain
// joysticks in their own, direction pads as angles, unplugging, and the
// rumble motors' commands.
#include <gtest/gtest.h>

#include <vector>

#include "platform/input/input.h"
#include "platform/input/input_test_support.h"
#include "platform/os/clock.h"

namespace platform::input {
namespace {

using test::VirtualPad;

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::os::UseManualClock(1'000'000);
    ASSERT_TRUE(StartPads());
  }
  void TearDown() override {
    StopPads();
    platform::os::UseRealClock();
  }
  // Opens every attached pad in order; slot i holds device i.
  std::vector<PadInfo> OpenAll() {
    std::vector<PadInfo> infos;
    int n = CountAttachedPads();
    for (int i = 0; i < n; ++i) {
      PadInfo info;
      EXPECT_TRUE(OpenPad(i, i, &info));
      infos.push_back(info);
    }
    return infos;
  }
  // SDL's pad state is taken at most once a millisecond.
  static PadReading Read(int slot, PadRead expected = PadRead::kRead) {
    platform::os::AdvanceManualClock(1000);
    PadReading r;
    EXPECT_EQ(ReadPad(slot, &r), expected);
    return r;
  }
};

TEST_F(PadTest, ControllerIsOpenedThroughItsMapping) {
  VirtualPad pad = VirtualPad::Controller("Test pad", true);
  ASSERT_TRUE(pad.plugged());
  std::vector<PadInfo> infos = OpenAll();
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_TRUE(infos[0].controller);
  EXPECT_EQ(infos[0].name, "Test pad");
  EXPECT_FALSE(infos[0].product_name.empty());
  EXPECT_TRUE(infos[0].can_vibrate);

  pad.SetAxis(test::kAxisLeftX, -20000);
  pad.SetAxis(test::kAxisLeftY, 32767);
  pad.SetAxis(test::kAxisRightX, 100);
  pad.SetAxis(test::kAxisRightY, -32768);
  PadReading r = Read(0);
  EXPECT_EQ(r.axes[0], -20000);
  EXPECT_EQ(r.axes[1], 32767);
  EXPECT_EQ(r.axes[2], 100);
  EXPECT_EQ(r.axes[3], -32768);
  EXPECT_EQ(r.buttons, 0u);
  EXPECT_EQ(r.povs[0], -1);
}

TEST_F(PadTest, ControllerButtonsComeInTheLibrarysOrder) {
  VirtualPad pad = VirtualPad::Controller("Test pad", false);
  OpenAll();
  struct Case {
    int virtual_button;
    int bit;
  };
  const Case cases[] = {
      {test::kButtonA, 0},          {test::kButtonB, 1},          {test::kButtonX, 2},
      {test::kButtonY, 3},          {test::kButtonLeftShoulder, 4}, {test::kButtonRightShoulder, 5},
      {test::kButtonStart, 8},      {test::kButtonBack, 9},       {test::kButtonLeftStick, 10},
      {test::kButtonRightStick, 11}, {test::kButtonGuide, 12},
  };
  for (const Case& c : cases) {
    pad.SetButton(c.virtual_button, true);
    EXPECT_EQ(Read(0).buttons, 1u << c.bit) << c.virtual_button;
    pad.SetButton(c.virtual_button, false);
  }
  // Triggers are buttons 7 and 8 once pressed past a quarter of their travel
  // (a virtual trigger's raw axis runs -32768 released to 32767 pressed).
  pad.SetAxis(test::kAxisTriggerLeft, -16768);
  EXPECT_EQ(Read(0).buttons, 0u);
  pad.SetAxis(test::kAxisTriggerLeft, -14768);
  pad.SetAxis(test::kAxisTriggerRight, 32767);
  EXPECT_EQ(Read(0).buttons, (1u << 6) | (1u << 7));
}

TEST_F(PadTest, DirectionPadsReadAsAngles) {
  VirtualPad controller = VirtualPad::Controller("Pad with d-pad", false);
  VirtualPad stick = VirtualPad::Joystick("Stick with hat", 2, 4, 2, false);
  OpenAll();
  struct Case {
    int hat;  // the same directions on the d-pad buttons
    int angle;
  };
  const Case cases[] = {
      {0, -1},
      {test::kHatUp, 0},
      {test::kHatUp | test::kHatRight, 4500},
      {test::kHatRight, 9000},
      {test::kHatDown | test::kHatRight, 13500},
      {test::kHatDown, 18000},
      {test::kHatDown | test::kHatLeft, 22500},
      {test::kHatLeft, 27000},
      {test::kHatUp | test::kHatLeft, 31500},
  };
  for (const Case& c : cases) {
    controller.SetButton(test::kButtonDpadUp, c.hat & test::kHatUp);
    controller.SetButton(test::kButtonDpadRight, c.hat & test::kHatRight);
    controller.SetButton(test::kButtonDpadDown, c.hat & test::kHatDown);
    controller.SetButton(test::kButtonDpadLeft, c.hat & test::kHatLeft);
    stick.SetHat(1, c.hat);
    EXPECT_EQ(Read(0).povs[0], c.angle) << c.hat;
    PadReading s = Read(1);
    EXPECT_EQ(s.povs[0], -1);
    EXPECT_EQ(s.povs[1], c.angle) << c.hat;
  }
  // Opposite d-pad buttons held together cancel.
  controller.SetButton(test::kButtonDpadUp, true);
  controller.SetButton(test::kButtonDpadDown, true);
  controller.SetButton(test::kButtonDpadLeft, true);
  EXPECT_EQ(Read(0).povs[0], 27000);
}

TEST_F(PadTest, JoystickKeepsItsAxesAndButtonOrder) {
  VirtualPad stick = VirtualPad::Joystick("Arcade stick", 6, 32, 0, false);
  std::vector<PadInfo> infos = OpenAll();
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_FALSE(infos[0].controller);
  EXPECT_EQ(infos[0].product_name, "Arcade stick");
  EXPECT_FALSE(infos[0].can_vibrate);
  for (int axis = 0; axis < 6; ++axis) stick.SetAxis(axis, 1000 * (axis + 1));
  for (int button : {0, 5, 23, 31}) stick.SetButton(button, true);
  PadReading r = Read(0);
  EXPECT_EQ(std::vector<int>(r.axes, r.axes + 4), (std::vector<int>{1000, 2000, 3000, 4000}));
  EXPECT_EQ(r.buttons, (1u << 0) | (1u << 5) | (1u << 23) | (1u << 31));
}

TEST_F(PadTest, UnpluggedPadReadsAsGoneUntilClosed) {
  VirtualPad first = VirtualPad::Controller("First", false);
  VirtualPad second = VirtualPad::Controller("Second", false);
  OpenAll();
  second.SetButton(test::kButtonA, true);
  EXPECT_EQ(Read(1).buttons, 1u);
  second.Unplug();
  Read(1, PadRead::kUnplugged);
  Read(0);
  EXPECT_EQ(CountAttachedPads(), 1);
  ClosePad(1);
  Read(1, PadRead::kFailed);
}

TEST_F(PadTest, PadPluggedInLaterIsCountedAtTheNextLook) {
  EXPECT_EQ(CountAttachedPads(), 0);
  VirtualPad pad = VirtualPad::Joystick("Late pad", 2, 2, 0, false);
  EXPECT_EQ(CountAttachedPads(), 1);
  PadInfo info;
  EXPECT_TRUE(OpenPad(3, 0, &info));
  EXPECT_EQ(info.name, "Late pad");
  pad.SetButton(1, true);
  EXPECT_EQ(Read(3).buttons, 2u);
}

TEST_F(PadTest, BadSlotsAndDevicesAreRefused) {
  VirtualPad pad = VirtualPad::Joystick("Pad", 2, 2, 0, false);
  PadInfo info;
  EXPECT_FALSE(OpenPad(0, 1, &info));
  EXPECT_FALSE(OpenPad(0, -1, &info));
  EXPECT_FALSE(OpenPad(kMaxPads, 0, &info));
  EXPECT_FALSE(OpenPad(-1, 0, &info));
  PadReading r;
  EXPECT_EQ(ReadPad(0, &r), PadRead::kFailed);
  EXPECT_EQ(ReadPad(kMaxPads, &r), PadRead::kFailed);
  EXPECT_EQ(ReadPad(-1, &r), PadRead::kFailed);
  SetPadEffects(-1, PadEffects{true, 10000, true});
  ClosePad(kMaxPads);
}

TEST_F(PadTest, NothingIsCountedOrOpenedWhilePadsAreStopped) {
  VirtualPad pad = VirtualPad::Joystick("Pad", 2, 2, 0, false);
  StopPads();
  EXPECT_EQ(CountAttachedPads(), 0);
  EXPECT_FALSE(OpenPad(0, 0, nullptr));
  ASSERT_TRUE(StartPads());
  EXPECT_EQ(CountAttachedPads(), 1);
}

class RumbleTest : public PadTest {
 protected:
  void SetUp() override {
    PadTest::SetUp();
    pad_ = std::make_unique<VirtualPad>(VirtualPad::Controller("Rumble pad", true));
    std::vector<PadInfo> infos = OpenAll();
    ASSERT_EQ(infos.size(), 1u);
    ASSERT_TRUE(infos[0].can_vibrate);
  }
  void TearDown() override {
    ClosePad(0);
    pad_.reset();
    PadTest::TearDown();
  }
  std::unique_ptr<VirtualPad> pad_;
};

TEST_F(RumbleTest, ConstantForceDrivesTheLowMotorBySize) {
  struct Case {
    int level;
    int low;
  };
  for (const Case& c : {Case{10000, 0xFFFF}, Case{5000, 0x7FFF}, Case{-5000, 0x7FFF}, Case{20000, 0xFFFF}}) {
    SetPadEffects(0, PadEffects{true, c.level, false});
    EXPECT_EQ(pad_->rumble_low(), c.low) << c.level;
    EXPECT_EQ(pad_->rumble_high(), 0);
  }
  SetPadEffects(0, PadEffects{false, 5000, false});
  EXPECT_EQ(pad_->rumble_low(), 0);
  int commands = pad_->rumble_commands();
  // Staying off sends nothing more.
  SetPadEffects(0, PadEffects{false, 5000, false});
  EXPECT_EQ(pad_->rumble_commands(), commands);
}

TEST_F(RumbleTest, SineFadesInOnTheHighMotor) {
  SetPadEffects(0, PadEffects{true, 10000, true});
  EXPECT_EQ(pad_->rumble_high(), 0);
  platform::os::AdvanceManualClock(250'000);
  SetPadEffects(0, PadEffects{true, 10000, true});
  EXPECT_EQ(pad_->rumble_high(), 0x7FFF);
  platform::os::AdvanceManualClock(250'000);
  SetPadEffects(0, PadEffects{true, 10000, true});
  EXPECT_EQ(pad_->rumble_high(), 0xFFFF);
  platform::os::AdvanceManualClock(5'000'000);
  SetPadEffects(0, PadEffects{true, 10000, true});
  EXPECT_EQ(pad_->rumble_high(), 0xFFFF);
  EXPECT_EQ(pad_->rumble_low(), 0xFFFF);
  // Stopped and started again, the sine fades in afresh.
  SetPadEffects(0, PadEffects{true, 10000, false});
  EXPECT_EQ(pad_->rumble_high(), 0);
  SetPadEffects(0, PadEffects{true, 10000, true});
  EXPECT_EQ(pad_->rumble_high(), 0);
}

TEST_F(RumbleTest, ClosingAVibratingPadStopsItsMotors) {
  SetPadEffects(0, PadEffects{true, 8000, false});
  ASSERT_NE(pad_->rumble_low(), 0);
  ClosePad(0);
  EXPECT_EQ(pad_->rumble_low(), 0);
  EXPECT_EQ(pad_->rumble_high(), 0);
}

}  // namespace
}  // namespace platform::input
