// Pads as the game reads them: the axis rule, the bits of a pad's state, and
// virtual pads driving PadInputBits end to end, through enumeration,
// hot-plugging, unplugging, the inactive window and the pad number rules.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_state.h"
#include "library/text_input/input/input_test_support.h"
#include "platform/input/input_test_support.h"

namespace veziv {
namespace {

namespace pit = platform::input::test;
using pit::VirtualPad;

constexpr int kDown = 1 << 0, kLeft = 1 << 1, kRight = 1 << 2, kUp = 1 << 3;
constexpr int Button(int n) { return 1 << (3 + n); }

TEST(AxisRule, PositionsScaleOutsideTheDeadZone) {
  struct Case {
    int position;
    int axis;
  };
  const Case cases[] = {
      {0, -1000},    {1, -999},     {16384, -333}, {20000, -186}, {24575, 0},   {30000, 0},
      {32767, 0},    {32768, 0},    {40960, 0},    {40961, 0},    {50000, 367}, {65534, 999},
      {65535, 1000},
  };
  for (const Case& c : cases) EXPECT_EQ(detail::AxisFromPosition(c.position), c.axis) << c.position;
}

TEST(PadStateBits, SticksDirectionPadAndButtons) {
  struct Case {
    int x, y;
    int pov;
    int expected;
  };
  const Case cases[] = {
      {0, 0, -1, 0},
      {-1, 0, -1, kLeft},
      {1000, 0, -1, kRight},
      {0, -5, -1, kUp},
      {0, 5, -1, kDown},
      {0, 0, 0, kUp},
      {0, 0, 4500, kUp | kRight},
      {0, 0, 9000, kRight},
      {0, 0, 13500, kRight | kDown},
      {0, 0, 18000, kDown},
      {0, 0, 22500, kDown | kLeft},
      {0, 0, 27000, kLeft},
      {0, 0, 31500, kLeft | kUp},
      {0, 0, 36000, 0},
      {-1, -1, 27000, kLeft | kUp},
  };
  for (const Case& c : cases) {
    detail::JoystickState s;
    s.x = c.x;
    s.y = c.y;
    s.povs[0] = c.pov;
    s.povs[1] = 18000;  // only the first direction pad steers
    EXPECT_EQ(detail::PadStateBits(s), c.expected) << c.x << "," << c.y << " pov " << c.pov;
  }
  detail::JoystickState buttons;
  buttons.buttons[0] = 0x80;
  buttons.buttons[23] = 0x80;
  buttons.buttons[24] = 0x80;  // button 25 does not reach the game
  buttons.buttons[5] = 0x7F;   // bit 7 only
  EXPECT_EQ(static_cast<unsigned>(detail::PadStateBits(buttons)), (1u << 4) | (1u << 27));
}

class PadInputTest : public test::InputTest {
 protected:
  void TearDown() override {
    TerminateInput();
    pads_.clear();
    InputTest::TearDown();
  }
  VirtualPad& Plug(VirtualPad pad) {
    EXPECT_TRUE(pad.plugged());
    pads_.push_back(std::make_unique<VirtualPad>(std::move(pad)));
    return *pads_.back();
  }
  std::vector<std::unique_ptr<VirtualPad>> pads_;
};

TEST_F(PadInputTest, ControllerDrivesPadBits) {
  VirtualPad& pad = Plug(VirtualPad::Controller("Test pad", true));
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(GetPadDeviceCount(), 1);
  EXPECT_EQ(PadBits(1), 0);

  struct Step {
    int axis_x, axis_y;  // the left stick, SDL units
    int button;          // a virtual controller button, or -1
    int expected;
  };
  const Step steps[] = {
      {-20000, 0, -1, kLeft},          {20000, 0, -1, kRight},
      {0, -20000, -1, kUp},            {0, 20000, -1, kDown},
      {8000, -8000, -1, 0},            {-32768, 32767, -1, kLeft | kDown},
      {0, 0, pit::kButtonA, Button(1)}, {0, 0, pit::kButtonY, Button(4)},
      {0, 0, pit::kButtonLeftShoulder, Button(5)}, {0, 0, pit::kButtonStart, Button(9)},
      {0, 0, pit::kButtonGuide, Button(13)},       {0, 0, pit::kButtonDpadUp, kUp},
      {0, 0, pit::kButtonDpadLeft, kLeft},
  };
  for (const Step& s : steps) {
    pad.SetAxis(pit::kAxisLeftX, s.axis_x);
    pad.SetAxis(pit::kAxisLeftY, s.axis_y);
    if (s.button >= 0) pad.SetButton(s.button, true);
    EXPECT_EQ(PadBits(1), s.expected) << s.axis_x << "," << s.axis_y << " button " << s.button;
    if (s.button >= 0) pad.SetButton(s.button, false);
  }
  // The left trigger is button 7.
  pad.SetAxis(pit::kAxisTriggerLeft, 32767);
  EXPECT_EQ(PadBits(1), Button(7));
  // The pad's own bits and its keyboard mapping together.
  Hold(0x2D);
  EXPECT_EQ(PadBits(1 | kPadWithKeyboard), Button(7) | Button(2));
}

TEST_F(PadInputTest, JoystickHatSteersAndLateButtonsDoNot) {
  VirtualPad& stick = Plug(VirtualPad::Joystick("Stick", 2, 32, 1, false));
  ASSERT_EQ(InitializeInput(), 0);
  stick.SetHat(0, pit::kHatDown | pit::kHatRight);
  stick.SetButton(0, true);
  stick.SetButton(23, true);
  stick.SetButton(24, true);
  EXPECT_EQ(static_cast<unsigned>(PadBits(1)), unsigned(kDown | kRight | Button(1) | Button(24)));
}

TEST_F(PadInputTest, UnpluggedPadReadsReleasedUntilEnumeratedAway) {
  VirtualPad& pad = Plug(VirtualPad::Controller("Test pad", false));
  ASSERT_EQ(InitializeInput(), 0);
  pad.SetAxis(pit::kAxisLeftX, -32768);
  pad.SetButton(pit::kButtonA, true);
  EXPECT_EQ(PadBits(1), kLeft | Button(1));
  pad.Unplug();
  EXPECT_EQ(PadBits(1), 0);
  EXPECT_EQ(GetPadDeviceCount(), 1);
  ASSERT_EQ(EnumeratePadDevices(), 0);
  EXPECT_EQ(GetPadDeviceCount(), 0);
  EXPECT_EQ(PadBits(1), 0);
}

TEST_F(PadInputTest, PadPluggedInLaterJoinsAtTheNextEnumeration) {
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(GetPadDeviceCount(), 0);
  VirtualPad& pad = Plug(VirtualPad::Joystick("Late pad", 2, 4, 0, false));
  pad.SetButton(2, true);
  EXPECT_EQ(PadBits(1), 0);
  ASSERT_EQ(EnumeratePadDevices(), 0);
  EXPECT_EQ(GetPadDeviceCount(), 1);
  EXPECT_EQ(PadBits(1), Button(3));
}

TEST_F(PadInputTest, PadNumbersOutsideThePadsGiveOnlyKeyboardBits) {
  VirtualPad& first = Plug(VirtualPad::Joystick("First", 2, 4, 0, false));
  VirtualPad& second = Plug(VirtualPad::Joystick("Second", 2, 4, 0, false));
  ASSERT_EQ(InitializeInput(), 0);
  first.SetButton(0, true);
  second.SetButton(1, true);
  Hold(0xD0);  // down arrow: bit 0 of pad 1's keyboard mapping
  struct Case {
    int pad;
    int expected;
  };
  const Case cases[] = {
      {1, Button(1)},
      {2, Button(2)},
      {3, 0},
      {0, 0},
      {INT_MIN, 0},
      {kPadWithKeyboard, kDown},
      {1 | kPadWithKeyboard, Button(1) | kDown},
      {2 | kPadWithKeyboard, Button(2)},
      {3 | kPadWithKeyboard, 0},
      {17 | kPadWithKeyboard, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PadBits(c.pad), c.expected) << c.pad;
}

TEST_F(PadInputTest, InactiveWindowKeepsThePadsLastState) {
  VirtualPad& pad = Plug(VirtualPad::Controller("Test pad", false));
  ASSERT_EQ(InitializeInput(), 0);
  pad.SetButton(pit::kButtonB, true);
  EXPECT_EQ(PadBits(1), Button(2));
  detail::WindowState().active = 0;
  pad.SetButton(pit::kButtonB, false);
  EXPECT_EQ(PadBits(1), Button(2));
  detail::WindowState().active = 1;
  EXPECT_EQ(PadBits(1), 0);
}

TEST_F(PadInputTest, PadIsReadAtMostOnceAMillisecond) {
  VirtualPad& pad = Plug(VirtualPad::Controller("Test pad", false));
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(PadBits(1), 0);
  pad.SetButton(pit::kButtonX, true);
  EXPECT_EQ(ReadPadInputBits(1), 0);
  EXPECT_EQ(PadBits(1), Button(3));
}

TEST_F(PadInputTest, CallsOutsideTheirRangeOrBeforeSetUpFail) {
  EXPECT_EQ(EnumeratePadDevices(), -1);
  EXPECT_EQ(ReleaseJoypads(), -1);
  ASSERT_EQ(InitializeInput(), 0);
  for (int index : {-1, 16, INT_MAX, INT_MIN}) EXPECT_EQ(RefreshJoypadState(index), -1) << index;
  EXPECT_EQ(RefreshJoypadState(15), 0);
}

TEST_F(PadInputTest, AtMostSixteenPadsAreOpenedAndLogged) {
  for (int i = 0; i < 17; ++i) Plug(VirtualPad::Joystick(("Pad " + std::to_string(i)).c_str(), 2, 2, 0, i == 0));
  ASSERT_EQ(InitializeInput(), 0);
  EXPECT_EQ(GetPadDeviceCount(), 16);
  pads_[15]->SetButton(1, true);
  EXPECT_EQ(PadBits(16), Button(2));
  const std::string log = ReadLogWithoutStamps();
  for (const char* line : {"ジョイパッドの初期化... \r\n", "入力装置を見つけました\r\n", "デバイスの登録名:Pad 0\r\n",
                           "デバイスの製品登録名:Pad 15\r\n", "周期的エフェクトの作成に失敗しました。\r\n",
                           "ジョイパッドの追加は正常に終了しました\r\n", "ジョイパッドの初期化は正常に終了しました\r\n",
                           "パッドの数は 16 個です\r\n", "入力関連の初期化をしました\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(log.find("デバイスの登録名:Pad 16"), std::string::npos);
  // Only the first pad has a motor; the other fifteen are kept without vibration.
  size_t without = 0;
  for (size_t at = log.find("周期的エフェクト"); at != std::string::npos; at = log.find("周期的エフェクト", at + 1)) ++without;
  EXPECT_EQ(without, 15u);
}

}  // namespace
}  // namespace veziv
