// Player input: counting from keys, pads and the mouse, the latch's rules,
// the defaults and the presets.
#include "game/core/input.h"

#include <gtest/gtest.h>

#include <vector>

namespace game {
namespace {

struct Keys {
  char state[kKeyStateCount] = {};
  Keys& down(int code) {
    state[code] = 1;
    return *this;
  }
};

TEST(InputRecord, DefaultsAndPresets) {
  inputRecord r = resetInputRecord();
  const int32_t keys[] = {0x2C, 0xCB, 0xC8, 0xCD, 0xD0, 0x2E, 0x2D, 0x2A, 0x01};
  const int32_t pads[] = {0x10, 0x02, 0x08, 0x04, 0x01, 0x20, 0x80, 0x100, 0x1000};
  for (int a = 0; a < kBoundActions; ++a) {
    EXPECT_EQ(r.keyCode[a], keys[a]) << a;
    EXPECT_EQ(r.padMask[a], pads[a]) << a;
  }
  for (int a = 0; a < kHoldCount; ++a) EXPECT_EQ(r.hold[a], 0);
  EXPECT_EQ(r.assigning, -1);

  r.assigning = 1003;
  r.padMask[0] = 0x40;
  setKeyPresetA(r);
  EXPECT_EQ(r.keyCode[kActionSub], 0x1F);  // S, not C
  EXPECT_EQ(r.keyCode[kActionShot], 0x2C);
  EXPECT_EQ(r.padMask[0], 0x40);
  EXPECT_EQ(r.assigning, -1);

  r.assigning = 4;
  setKeyPresetKeypad(r);
  const int32_t keypad[] = {0x47, 0x4B, 0x48, 0x4D, 0x50, 0xB5, 0x49, 0x4F, 0x0E};
  for (int a = 0; a < kBoundActions; ++a) EXPECT_EQ(r.keyCode[a], keypad[a]);
  EXPECT_EQ(r.assigning, 4);
  EXPECT_EQ(r.padMask[0], 0x40);

  setPadPreset(r);
  EXPECT_EQ(r.padMask[0], 0x10);
  EXPECT_EQ(r.assigning, -1);
  EXPECT_EQ(r.keyCode[0], 0x47);
}

// One latch a row: what is held, and the counters it must leave.
struct LatchCase {
  const char* what;
  bool inFront;
  int padBits;
  std::vector<int> keysDown;
  int32_t shot, left, sub, pause, mouseLeft;
};

TEST(InputRecord, LatchSequence) {
  inputRecord r = resetInputRecord();
  r.hold[kActionMouseLeft] = 3;  // counted elsewhere; only the focus rule touches it
  const LatchCase steps[] = {
      {"shot pressed", true, 0, {0x2C}, 1, 0, 0, 0, 3},
      {"shot held", true, 0, {0x2C}, 2, 0, 0, 0, 3},
      {"held with left and pause", true, 0, {0x2C, 0xCB, 0x01}, 3, 1, 0, 1, 3},
      {"a pad bit hides the keyboard", true, 0x20, {0x2C, 0xCB, 0x01}, 0, 0, 1, 0, 3},
      {"pad released: keys count from 1", true, 0, {0x2C, 0x01}, 1, 0, 0, 1, 3},
      {"not in front: all but pause from 0", false, 0, {0x2C, 0x01}, 1, 0, 0, 2, 0},
      {"not in front again", false, 0, {0x2C, 0x01}, 1, 0, 0, 3, 0},
      {"back in front", true, 0, {0x2C}, 2, 0, 0, 0, 0},
      {"released", true, 0, {}, 0, 0, 0, 0, 0},
  };
  for (const LatchCase& c : steps) {
    Keys keys;
    for (int k : c.keysDown) keys.down(k);
    latchInput(r, c.inFront, c.padBits, keys.state);
    EXPECT_EQ(r.hold[kActionShot], c.shot) << c.what;
    EXPECT_EQ(r.hold[kActionLeft], c.left) << c.what;
    EXPECT_EQ(r.hold[kActionSub], c.sub) << c.what;
    EXPECT_EQ(r.hold[kActionPause], c.pause) << c.what;
    EXPECT_EQ(r.hold[kActionMouseLeft], c.mouseLeft) << c.what;
  }
}

TEST(InputRecord, SharedBindingsCountTogetherAndBadCodesReadAsReleased) {
  inputRecord r = resetInputRecord();
  r.keyCode[kActionSpecial] = 0x2C;  // the shot's key
  r.padMask[kActionSlow] = 0x10;     // the shot's button
  r.keyCode[kActionSub] = 300;       // from a damaged key file
  r.keyCode[kActionDown] = -5;
  Keys keys;
  keys.down(0x2C);
  for (char& k : keys.state) k = 1;  // every key held
  countKeyHolds(r, keys.state);
  countKeyHolds(r, keys.state);
  EXPECT_EQ(r.hold[kActionShot], 2);
  EXPECT_EQ(r.hold[kActionSpecial], 2);
  EXPECT_EQ(r.hold[kActionSub], 0);
  EXPECT_EQ(r.hold[kActionDown], 0);
  updatePadHoldCounters(r, 0x10);
  EXPECT_EQ(r.hold[kActionShot], 3);
  EXPECT_EQ(r.hold[kActionSlow], 3);  // its key was held too, and the button is the shot's
  EXPECT_EQ(r.hold[kActionSpecial], 0);
}

TEST(InputRecord, MouseButtonsCountLeftAndRight) {
  inputRecord r = resetInputRecord();
  const int buttons[] = {1, 3, 2, 0, 4};
  const int32_t left[] = {1, 2, 0, 0, 0};
  const int32_t right[] = {0, 1, 2, 0, 0};
  for (int i = 0; i < 5; ++i) {
    countMouseHolds(r, buttons[i]);
    EXPECT_EQ(r.hold[kActionMouseLeft], left[i]) << i;
    EXPECT_EQ(r.hold[kActionMouseRight], right[i]) << i;
  }
}

}  // namespace
}  // namespace game
