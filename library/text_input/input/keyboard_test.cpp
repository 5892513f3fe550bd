// The keyboard as the game reads it: held keys by code, the once-a-
// millisecond read, the first read that sets input up, the default keyboard
// mapping of pad 1, and the "any input" check with its exceptions.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "library/foundation/window/window_state.h"
#include "library/text_input/input/input.h"
#include "library/text_input/input/input_test_support.h"
#include "platform/input/input_test_support.h"
#include "platform/window/events.h"
#include "platform/window/inject.h"

namespace veziv {
namespace {

namespace pit = platform::input::test;

constexpr int kZ = 0x2C, kX = 0x2D, kA = 0x1E, kRightShift = 0x36, kCapsLock = 0x3A, kKanji = 0x94, kKana = 0x70;

class KeyboardTest : public test::InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    ASSERT_EQ(InitializeInput(), 0);
  }
};

TEST_F(KeyboardTest, HeldKeysReadByTheirCodes) {
  Hold(kZ);
  Hold(0xC8);  // up arrow
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(kZ), 1);
  EXPECT_EQ(IsKeyDown(0xC8), 1);
  EXPECT_EQ(IsKeyDown(kX), 0);
  // Codes outside the key state are never held (and read nothing out of bounds).
  for (int code : {-1, 256, 0x1000 | kZ, INT_MAX, INT_MIN}) EXPECT_EQ(IsKeyDown(code), 0) << code;
}

TEST_F(KeyboardTest, KeyboardIsReadAtMostOnceAMillisecond) {
  Hold(kZ);
  NextMillisecond();
  EXPECT_EQ(RefreshKeyboardState(), 1);
  Release(kZ);
  EXPECT_EQ(RefreshKeyboardState(), 0);
  EXPECT_EQ(IsKeyDown(kZ), 1);
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(kZ), 0);
}

TEST_F(KeyboardTest, AllKeyStatesAreOneOrZero) {
  Hold(kA);
  Hold(kRightShift);
  NextMillisecond();
  std::vector<char> keys(256, 7);
  ASSERT_EQ(GetAllKeyStates(keys.data()), 0);
  for (int code = 0; code < 256; ++code) EXPECT_EQ(keys[code], code == kA || code == kRightShift ? 1 : 0) << code;
  EXPECT_EQ(GetAllKeyStates(nullptr), -1);
}

TEST_F(KeyboardTest, FirstReadSetsInputUpInsteadOfReading) {
  TerminateInput();
  Hold(kZ);
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(kZ), 0);
  EXPECT_TRUE(detail::Input().set_up);
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(kZ), 1);

  // The set-up read leaves the caller's buffer saying "nothing held".
  TerminateInput();
  std::vector<char> keys(256, 0x55);
  EXPECT_EQ(GetAllKeyStates(keys.data()), 0);
  EXPECT_EQ(keys, std::vector<char>(256, 0));
  EXPECT_NE(ReadLogWithoutStamps().find("入力関連の初期化をしました\r\n"), std::string::npos);
}

TEST_F(KeyboardTest, ClosingWindowReadsWithoutSettingUp) {
  TerminateInput();
  detail::WindowState().closing = 1;
  Hold(kZ);
  NextMillisecond();
  EXPECT_EQ(IsKeyDown(kZ), 1);
  EXPECT_EQ(GetPadDeviceCount(), 0);
  EXPECT_FALSE(detail::Input().set_up);
}

TEST_F(KeyboardTest, PadOneKeyboardMappingGivesPadBits) {
  struct Case {
    int code;
    int bit;
  };
  const Case cases[] = {
      {0x50, 0}, {0xD0, 0}, {0x4B, 1}, {0xCB, 1}, {0x4D, 2}, {0xCD, 2}, {0x48, 3},  {0xC8, 3},
      {kZ, 4},   {kX, 5},   {0x2E, 6}, {kA, 7},   {0x1F, 8}, {0x20, 9}, {0x10, 10}, {0x11, 11},
      {0x01, 12}, {0x39, 13},
  };
  for (const Case& c : cases) {
    Hold(c.code);
    // Without pads, the keyboard alone (0 + flag) and pad 1 with the flag read pad 1's keys.
    EXPECT_EQ(PadBits(kPadWithKeyboard), 1 << c.bit) << c.code;
    EXPECT_EQ(PadBits(1 | kPadWithKeyboard), 1 << c.bit) << c.code;
    EXPECT_EQ(PadBits(2 | kPadWithKeyboard), 0) << c.code;
    EXPECT_EQ(PadBits(1), 0) << c.code;
    Release(c.code);
  }
  Hold(0xCB);
  Hold(kZ);
  Hold(kX);
  EXPECT_EQ(PadBits(kPadWithKeyboard), (1 << 1) | (1 << 4) | (1 << 5));
  // Pads 17 and beyond have no mapping.
  EXPECT_EQ(PadBits(17 | kPadWithKeyboard), 0);
}

TEST_F(KeyboardTest, AnyInputSkipsLockKeysAndReportsTheFirstCode) {
  struct Case {
    std::vector<int> held;
    bool f10;
    int mask;
    int expected;
  };
  const Case cases[] = {
      {{}, false, 1, 0},
      {{kCapsLock}, false, 1, 0},
      {{kCapsLock}, true, 1, 0x44},
      {{kKanji, kKana, kCapsLock}, false, 1, 0},
      {{kZ, kA}, false, 1, kA},
      {{kZ, kA}, true, 7, kA},
      {{kZ}, false, 2, 0},
      {{kZ}, true, 4, 0},
  };
  for (const Case& c : cases) {
    for (int code : c.held) Hold(code);
    if (c.f10) SetF10HeldFlag();
    NextMillisecond();
    EXPECT_EQ(CheckAnyInput(c.mask), c.expected) << c.mask << " with " << c.held.size() << " keys";
    for (int code : c.held) Release(code);
    ClearF10HeldFlag();
  }
}

TEST_F(KeyboardTest, AnyMouseButtonCountsOverTheWindowOnly) {
  ASSERT_TRUE(platform::window::StartVideo());
  struct Case {
    int x, y;
    int buttons;
    int active;
    int expected;
  };
  // The screen is 640 x 480 while graphics has set no mode.
  const Case cases[] = {
      {10, 10, 1, 1, -1}, {640, 480, 4, 1, -1}, {10, 10, 0, 1, 0},  {641, 10, 1, 1, 0},
      {10, 481, 2, 1, 0}, {-1, 10, 1, 1, 0},    {10, 10, 1, 0, 0},
  };
  for (const Case& c : cases) {
    platform::window::InjectMouseMotion(c.x, c.y);
    std::vector<platform::window::Message> messages;
    while (platform::window::PollMessages(&messages)) {
    }
    pit::ScriptMouseButtons(c.buttons);
    detail::WindowState().active = c.active;
    EXPECT_EQ(GetMouseButtons(), c.buttons);
    EXPECT_EQ(CheckAnyInput(4), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(CheckAnyInput(1), 0);
  }
  platform::window::StopVideo();
}

}  // namespace
}  // namespace veziv
