// The configuration screens' capture rules on input records, their
// navigation and mouse rows, without a window.
#include "game/shell/key_config.h"

#include <gtest/gtest.h>

#include "game/core/widgets.h"

namespace game {
namespace {

constexpr int32_t kZ = 0x2C, kX = 0x2D, kC = 0x2E, kA = 0x1E, kReturn = 0x1C, kEsc = 0x01;
constexpr int32_t kKeypad9 = 0x49, kKeypad7 = 0x47, kLeftWindows = 0xDB;

struct Players {
  inputRecord p1 = resetInputRecord();
  inputRecord p2 = resetInputRecord();
  Players() { setKeyPresetKeypad(p2); }
};

TEST(KeyConfig, KeyCaptureSwapsCrossesTakesOrRefuses) {
  struct Case {
    const char* what;
    int action;
    int32_t key;
    KeyCaptureResult result;
    int32_t p1Action, p1Other;  // player 1's key for the action and for otherAction afterwards
    int otherAction;
    int32_t p2Key;  // player 2's key for p2Action afterwards
    int p2Action;
  };
  const Case cases[] = {
      {"own special key to shot: swap", kActionShot, kX, KeyCaptureResult::kSwapped, kX, kZ, kActionSpecial, kKeypad9,
       kActionSpecial},
      {"player 2's shot key to shot: the players swap", kActionShot, kKeypad7, KeyCaptureResult::kCrossed, kKeypad7,
       kX, kActionSpecial, kZ, kActionShot},
      {"player 2's special key to slow", kActionSlow, kKeypad9, KeyCaptureResult::kCrossed, kKeypad9, kZ,
       kActionShot, 0x2A, kActionSpecial},
      {"a free key", kActionSub, kA, KeyCaptureResult::kTaken, kA, kZ, kActionShot, kKeypad7, kActionShot},
      {"the key it has already", kActionPause, kEsc, KeyCaptureResult::kTaken, kEsc, kZ, kActionShot, kKeypad7,
       kActionShot},
      {"a key without a name", kActionShot, kLeftWindows, KeyCaptureResult::kRefused, kZ, kX, kActionSpecial,
       kKeypad7, kActionShot},
  };
  for (const Case& c : cases) {
    Players pl;
    pl.p1.assigning = c.action;
    EXPECT_EQ(applyKeyCapture(pl.p1, pl.p2, c.key), c.result) << c.what;
    EXPECT_EQ(pl.p1.assigning, kNotAssigning) << c.what;
    EXPECT_EQ(pl.p1.keyCode[c.action], c.p1Action) << c.what;
    EXPECT_EQ(pl.p1.keyCode[c.otherAction], c.p1Other) << c.what;
    EXPECT_EQ(pl.p2.keyCode[c.p2Action], c.p2Key) << c.what;
  }
}

TEST(KeyConfig, AnUnnamedKeyThatPlayerTwoHoldsIsRefusedToo) {
  Players pl;
  pl.p2.keyCode[kActionPause] = kLeftWindows;  // as a damaged record could hold it
  pl.p1.assigning = kActionShot;
  EXPECT_EQ(applyKeyCapture(pl.p1, pl.p2, kLeftWindows), KeyCaptureResult::kRefused);
  EXPECT_EQ(pl.p1.keyCode[kActionShot], kZ);
  EXPECT_EQ(pl.p2.keyCode[kActionPause], kLeftWindows);
}

TEST(KeyConfig, TheLowestHeldKeyCodeIsTheCandidate) {
  char keys[kKeyStateCount] = {};
  EXPECT_EQ(lowestHeldKey(keys), -1);
  keys[kReturn] = 1;
  keys[kC] = 1;
  keys[kEsc] = 2;  // only 1 counts as held
  EXPECT_EQ(lowestHeldKey(keys), kReturn);
}

TEST(KeyConfig, PadCaptureTakesTheFirstMaskAndSwapsWithTheLastHolder) {
  EXPECT_EQ(firstPadMask(0), 0);
  EXPECT_EQ(firstPadMask(0x48), 0x8);
  EXPECT_EQ(firstPadMask(0x3000), 0x1000);
  EXPECT_EQ(firstPadMask(0x4000), 0);  // past the fourteen masks

  inputRecord r = resetInputRecord();
  r.assigning = kAssigningPad + kActionShot;
  applyPadCapture(r, 0x40);
  EXPECT_EQ(r.padMask[kActionShot], 0x40);
  EXPECT_EQ(r.assigning, kNotAssigning);

  r = resetInputRecord();
  r.padMask[kActionSlow] = 0x80;  // special and slow share button 4
  r.assigning = kAssigningPad + kActionShot;
  applyPadCapture(r, 0x80);
  EXPECT_EQ(r.padMask[kActionShot], 0x80);
  EXPECT_EQ(r.padMask[kActionSlow], 0x10);  // the last holder gets the old mask
  EXPECT_EQ(r.padMask[kActionSpecial], 0x80);
}

// The keyboard screen after one frame of holds from a row.
int keyStep(int row, int action, int count2 = 0) {
  inputRecord p1 = resetInputRecord(), p2 = resetInputRecord();
  if (action >= 0) p1.hold[action] = 1;
  if (count2 > 0) p2.hold[kActionUp] = count2;
  bool moved = false, sound = false;
  int r = cursorAfterHolds(row, p1.hold[kActionUp], p1.hold[kActionDown], 21, moved);
  r = cursorAfterHolds(r, p2.hold[kActionUp], p2.hold[kActionDown], 21, moved);
  return keyScreenNavigation(r, p1, p2, sound);
}

TEST(KeyConfig, KeyboardScreenNavigation) {
  EXPECT_EQ(keyStep(10, kActionDown), 21);
  EXPECT_EQ(keyStep(11, kActionUp), 21);
  EXPECT_EQ(keyStep(21, kActionDown), 1);
  EXPECT_EQ(keyStep(21, kActionRight), 20);
  EXPECT_EQ(keyStep(21, kActionLeft), 10);
  EXPECT_EQ(keyStep(4, kActionRight), 14);
  EXPECT_EQ(keyStep(14, kActionLeft), 4);
  EXPECT_EQ(keyStep(9, kActionDown), 10);
  EXPECT_EQ(keyStep(10, -1, 3), 21);  // player 2's up counts while held, not only when pressed
}

int padStep(int row, int action, int pads, bool* cancel = nullptr) {
  inputRecord p1 = resetInputRecord(), p2 = resetInputRecord();
  if (action >= 0) p1.hold[action] = 1;
  bool moved = false, sound = false, c = false;
  int r = row;
  if (pads > 0) r = cursorAfterHolds(row, p1.hold[kActionUp], p1.hold[kActionDown], 22, moved);
  r = padScreenNavigation(r, p1, p2, pads, sound, c);
  if (cancel != nullptr) *cancel = c;
  return r;
}

TEST(PadConfig, PadScreenNavigationByPadCount) {
  EXPECT_EQ(padStep(3, kActionRight, 1), 21);  // one pad: the second column is passed over
  EXPECT_EQ(padStep(3, kActionRight, 2), 13);
  EXPECT_EQ(padStep(19, kActionDown, 1), 22);  // row 20 is skipped with one pad
  EXPECT_EQ(padStep(19, kActionDown, 2), 20);
  EXPECT_EQ(padStep(21, kActionRight, 1), 10);
  EXPECT_EQ(padStep(21, kActionRight, 2), 20);
  EXPECT_EQ(padStep(21, kActionLeft, 2), 10);
  EXPECT_EQ(padStep(10, kActionDown, 1), 21);
  EXPECT_EQ(padStep(22, kActionDown, 1), 1);
  bool cancel = false;
  EXPECT_EQ(padStep(22, kActionLeft, 1, &cancel), 22);
  EXPECT_TRUE(cancel);
  // No pad: only the refresh and Back rows, switched by up and down.
  EXPECT_EQ(padStep(5, -1, 0), 21);
  EXPECT_EQ(padStep(5, kActionDown, 0), 22);
  EXPECT_EQ(padStep(22, kActionUp, 0), 21);
}

TEST(KeyConfig, MouseRowsOfBothScreens) {
  EXPECT_EQ(keyScreenRowAt(60, 138), 1);
  EXPECT_EQ(keyScreenRowAt(60, 167), 2);  // the shared border goes to the lower row
  EXPECT_EQ(keyScreenRowAt(360, 370), 9);
  EXPECT_EQ(keyScreenRowAt(85, 411), 10);
  EXPECT_EQ(keyScreenRowAt(385, 138), 11);
  EXPECT_EQ(keyScreenRowAt(606, 438), 20);
  EXPECT_EQ(keyScreenRowAt(700, 540), 21);
  EXPECT_EQ(keyScreenRowAt(370, 200), 0);
  EXPECT_EQ(padScreenRowAt(60, 152, 1), 1);
  EXPECT_EQ(padScreenRowAt(385, 152, 1), 0);  // player 2's column needs a second pad
  EXPECT_EQ(padScreenRowAt(385, 152, 2), 11);
  EXPECT_EQ(padScreenRowAt(60, 152, 0), 0);
  EXPECT_EQ(padScreenRowAt(500, 460, 0), 21);
  EXPECT_EQ(padScreenRowAt(771, 577, 0), 22);
}

TEST(KeyConfig, RowsNameTheirActionsAndHelp) {
  const int actions[] = {kActionShot, kActionUp, kActionDown, kActionLeft, kActionRight,
                         kActionSpecial, kActionSub, kActionSlow, kActionPause};
  for (int row = 1; row <= 9; ++row) {
    EXPECT_EQ(rowAction(row), actions[row - 1]) << row;
    EXPECT_EQ(rowAction(row + 10), actions[row - 1]) << row;
    EXPECT_STREQ(rowHelpText(row), rowHelpText(row + 10)) << row;
  }
  EXPECT_EQ(rowAction(10), -1);
  EXPECT_EQ(rowAction(21), -1);
}

}  // namespace
}  // namespace game
