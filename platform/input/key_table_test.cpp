// The scancode table: every key the game can name is reachable, the keys
// whose legend differs between layouts give their JIS codes, and the
// keyboard read turns held scancodes into the 256-byte state.
#include "platform/input/key_table.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/input/input.h"
#include "platform/input/input_test_support.h"
#include "platform/window/key_names.h"
#include "platform/window/window.h"

namespace platform::input {
namespace {

using detail::KeyCodeForScancode;
using detail::ScancodeForKeyCode;

// Every code of the game's key-name table (key configuration screens, legends).
const int kNamedCodes[] = {
    0x0E, 0x0F, 0x1C, 0x2A, 0x36, 0x1D, 0x9D, 0x39, 0xC9, 0xD1, 0xCF, 0xC7, 0xCB, 0xC8, 0xCD, 0xD0, 0xD2,
    0xD3, 0x0C, 0x7D, 0x90, 0x34, 0x35, 0x38, 0xB8, 0x46, 0x27, 0x92, 0x1A, 0x1B, 0x91, 0x2B, 0x33, 0x3A,
    0xC5, 0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49, 0x37, 0x4E, 0x4A, 0x53, 0xB5, 0x9C,
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58, 0x1E, 0x30, 0x2E, 0x20, 0x12,
    0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F,
    0x11, 0x2D, 0x15, 0x2C, 0x0B, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x01, 0x45, 0xDD,
    0xB7, 0x79,
};

TEST(KeyTable, EveryNamedKeyIsReachable) {
  for (int code : kNamedCodes) {
    int scancode = ScancodeForKeyCode(code);
    ASSERT_GE(scancode, 0) << "no key gives code 0x" << std::hex << code;
    EXPECT_EQ(KeyCodeForScancode(scancode), code) << std::hex << code;
  }
}

// The names a harness script may give keys name exactly the codes some key gives.
TEST(KeyTable, EveryKeyHasAScriptNameAndEveryNameAKey) {
  for (int code = 1; code < 256; ++code) {
    const bool reachable = ScancodeForKeyCode(code) >= 0;
    const char* name = platform::window::KeyNameForCode(code);
    EXPECT_EQ(reachable, name != nullptr) << "code 0x" << std::hex << code << " " << (name ? name : "");
  }
}

TEST(KeyTable, PhysicalKeysGiveTheirCodes) {
  struct Case {
    SDL_Scancode scancode;
    int code;
  };
  const Case cases[] = {
      // Where JIS and US legends differ, the JIS key's code.
      {SDL_SCANCODE_EQUALS, 0x90},        // ^
      {SDL_SCANCODE_LEFTBRACKET, 0x91},   // @
      {SDL_SCANCODE_RIGHTBRACKET, 0x1A},  // [
      {SDL_SCANCODE_BACKSLASH, 0x1B},     // ]
      {SDL_SCANCODE_NONUSHASH, 0x1B},     // ] on an ISO board
      {SDL_SCANCODE_APOSTROPHE, 0x92},    // :
      {SDL_SCANCODE_GRAVE, 0x94},         // half/full width
      {SDL_SCANCODE_INTERNATIONAL1, 0x2B},
      {SDL_SCANCODE_NONUSBACKSLASH, 0x2B},
      {SDL_SCANCODE_INTERNATIONAL3, 0x7D},
      {SDL_SCANCODE_INTERNATIONAL4, 0x79},
      {SDL_SCANCODE_INTERNATIONAL2, 0x70},
      {SDL_SCANCODE_INTERNATIONAL5, 0x7B},
      // Extended keys sit at 0x80 | code.
      {SDL_SCANCODE_RCTRL, 0x9D},
      {SDL_SCANCODE_KP_ENTER, 0x9C},
      {SDL_SCANCODE_KP_DIVIDE, 0xB5},
      {SDL_SCANCODE_UP, 0xC8},
      {SDL_SCANCODE_LGUI, 0xDB},
      {SDL_SCANCODE_RGUI, 0xDC},
      // The main block keeps its scan codes.
      {SDL_SCANCODE_SEMICOLON, 0x27},
      {SDL_SCANCODE_MINUS, 0x0C},
      {SDL_SCANCODE_KP_2, 0x50},
      {SDL_SCANCODE_Z, 0x2C},
      {SDL_SCANCODE_0, 0x0B},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyCodeForScancode(c.scancode), c.code) << SDL_GetScancodeName(c.scancode);
}

TEST(KeyTable, UnknownScancodesAndCodesGiveNothing) {
  EXPECT_EQ(KeyCodeForScancode(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(KeyCodeForScancode(SDL_SCANCODE_AUDIOPLAY), 0);
  EXPECT_EQ(KeyCodeForScancode(-1), 0);
  EXPECT_EQ(KeyCodeForScancode(SDL_NUM_SCANCODES), 0);
  // The US-only codes of the five keys cannot be typed.
  for (int code : {0x0D, 0x28, 0x29, 0, -1, 0x100}) EXPECT_EQ(ScancodeForKeyCode(code), -1) << code;
}

class ScriptedKeyboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::window::IsHeadless()); }
  void TearDown() override { test::ReleaseScriptedInput(); }
};

TEST_F(ScriptedKeyboard, HeldKeysSetBitSevenOfTheirCodes) {
  test::ScriptScancode(SDL_SCANCODE_LSHIFT, true);
  test::ScriptScancode(SDL_SCANCODE_KP_2, true);
  test::ScriptScancode(SDL_SCANCODE_AUDIOPLAY, true);  // no code: ignored
  uint8_t state[kKeyCodeCount];
  ReadKeyState(state);
  for (int code = 0; code < kKeyCodeCount; ++code) {
    EXPECT_EQ(state[code], code == 0x2A || code == 0x50 ? 0x80 : 0) << std::hex << code;
  }
  test::ScriptScancode(SDL_SCANCODE_LSHIFT, false);
  ReadKeyState(state);
  EXPECT_EQ(state[0x2A], 0);
  EXPECT_EQ(state[0x50], 0x80);
}

TEST_F(ScriptedKeyboard, MouseButtonsKeepTheirBits) {
  for (int bits : {0, 1, 2, 4, 8, 16, 1 | 4, 31}) {
    test::ScriptMouseButtons(bits);
    EXPECT_EQ(ReadMouseButtons(), bits);
  }
}

}  // namespace
}  // namespace platform::input
