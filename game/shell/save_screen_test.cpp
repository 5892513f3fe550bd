// The save and load screen's cursor rules and way back, the overwrite
// question's steps, the caption, and the result menu's row rule.
#include "game/shell/save_screen.h"

#include <gtest/gtest.h>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/shell/battle_menus.h"
#include "game/shell/startup.h"

namespace game {
namespace {

TEST(SaveScreenRows, DisabledModeButtonsArePassedInBothDirections) {
  struct Case {
    const char* what;
    int32_t landed;
    bool down, saveOff, loadOff;
    int32_t expected;
  };
  const Case cases[] = {
      {"from the title, loading: down past both", kRowSaveMode, true, true, false, kRowLoadMode},
      {"from the title, loading: up past both", kRowLoadMode, false, true, false, kRowLoadMode},
      {"saving: down past save", kRowSaveMode, true, true, false, kRowLoadMode},
      {"saving: up past save", kRowSaveMode, false, true, false, kSlotCount},
      {"loading: down past load", kRowLoadMode, true, false, true, kRowBack},
      {"loading: up past load", kRowLoadMode, false, false, true, kRowSaveMode},
      {"both off: down", kRowSaveMode, true, true, true, kRowBack},
      {"both off: up", kRowLoadMode, false, true, true, kSlotCount},
      {"an enabled row stays", kRowSaveMode, true, false, true, kRowSaveMode},
      {"a slot row stays", 4, true, true, true, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(skipDisabledRows(c.landed, c.down, !c.down, c.saveOff, c.loadOff), c.expected) << c.what;
  }
  // No key pressed this frame (the pointer put it there): it stays.
  EXPECT_EQ(skipDisabledRows(kRowSaveMode, false, false, true, true), kRowSaveMode);
}

TEST(SaveScreenRows, ThePointersRows) {
  struct Case {
    int x, y, row;
  };
  const Case cases[] = {
      {30, 19, 1},
      {426, 67, 1},
      {200, 68, 0},
      {200, 71, 2},
      {29, 19, 0},
      {427, 19, 0},
      {100, 487, 10},
      {30, 550, kRowSaveMode},
      {145, 585, kRowLoadMode},
      {300, 560, kRowBack},
      {500, 560, kRowTitle},
      {600, 560, kRowEnd},
      {125, 560, 0},
      {600, 586, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(pointerRow(c.x, c.y), c.row) << c.x << "," << c.y;
}

TEST(ResultMenuRows, TheStoryRowOnlyInAStoryGame) {
  EXPECT_EQ(resultMenuRow(2, false, true), 3);
  EXPECT_EQ(resultMenuRow(2, false, false), 1);
  EXPECT_EQ(resultMenuRow(2, true, true), 2);
  EXPECT_EQ(resultMenuRow(4, false, true), 4);
}

// The screen frame by frame; the other modes have no screen in the table.
class SaveScreenFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    Session().frame.gameMode = kModeSaveLoad;
    Session().frame.hoverNeedsMove = true;
    Session().frame.mouseMoved = false;
    Session().playerInputs[0] = resetInputRecord();
  }
  // One frame with a press of one action (hold count 1), then its release.
  bool press(int action) {
    Session().playerInputs[0].hold[action] = 1;
    const bool end = screen_.frame();
    Session().playerInputs[0].hold[action] = 0;
    return end;
  }
  SaveLoadScreen screen_;
};

TEST_F(SaveScreenFrames, FromTheTitleInLoadModeTheCursorSkipsBothModeButtons) {
  setReturnMode(kModeSaveLoad, kModeTitle);
  Session().music.saveMode = false;
  Session().menuCursor = kSlotCount;
  press(kActionDown);
  EXPECT_EQ(Session().menuCursor, kRowBack);
  press(kActionUp);
  EXPECT_EQ(Session().menuCursor, kSlotCount);
}

TEST_F(SaveScreenFrames, FromThePauseMenuInSaveModeOnlySaveIsSkipped) {
  setReturnMode(kModeSaveLoad, kModeGameMenu);
  Session().music.saveMode = true;
  Session().menuCursor = kSlotCount;
  press(kActionDown);
  EXPECT_EQ(Session().menuCursor, kRowLoadMode);
  press(kActionUp);
  EXPECT_EQ(Session().menuCursor, kSlotCount);
}

TEST_F(SaveScreenFrames, BackLeadsWhereTheCallerSaid) {
  setReturnMode(kModeSaveLoad, kModeBattleResult);
  Session().menuCursor = 5;
  EXPECT_FALSE(press(kActionPause));
  EXPECT_EQ(Session().frame.gameMode, kModeBattleResult);
  EXPECT_EQ(Session().menuCursor, 1);

  Session().frame.gameMode = kModeSaveLoad;
  Session().menuCursor = kRowBack;
  EXPECT_FALSE(press(kActionShot));
  EXPECT_EQ(Session().frame.gameMode, kModeBattleResult);
}

TEST_F(SaveScreenFrames, LoadingAnEmptySlotDoesNothing) {
  setReturnMode(kModeSaveLoad, kModeTitle);
  Session().music.saveMode = false;
  Session().menuCursor = 3;
  EXPECT_FALSE(press(kActionShot));
  EXPECT_EQ(Session().frame.gameMode, kModeSaveLoad);
  EXPECT_EQ(Session().menuCursor, 3);
}

}  // namespace
}  // namespace game
