// The save and load screen's cursor rules and way back, the overwrite
// question's steps, the caption, and the result menu's row rule.
#include "game/shell/save_screen.h"

#include <gtest/gtest.h>

#include "game/shell/battle_menus.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/music_voices.h"
#include "game/shell/session.h"
#include "game/shell/slot_files.h"
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

TEST(SaveScreenRows, TheCaptionOfASave) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 3;
  EXPECT_EQ(saveCaption(t), "2026年01月05日 07時03分");
}

TEST(SaveQuestion, StepsFromYesToASaveOrNone) {
  struct Case {
    const char* what;
    std::vector<saveQuestionInput> passes;
    bool decided, cancelled, yes;
  };
  saveQuestionInput flip, shot, click0, click1, hover1, pause, shotPause;
  flip.leftOrRight = true;
  shot.shot = true;
  click0.click = true;
  click0.overButton = 0;
  click1.click = true;
  click1.overButton = 1;
  hover1.hover = true;
  hover1.overButton = 1;
  pause.pauseHeld = true;
  shotPause.shot = true;
  shotPause.pauseHeld = true;
  saveQuestionInput clickOutside;
  clickOutside.click = true;
  const Case cases[] = {
      {"shot at once saves", {shot}, true, false, true},
      {"flip then shot: no", {flip, shot}, true, true, false},
      {"flip twice then shot", {flip, flip, shot}, true, false, true},
      {"pause held while deciding yes", {shotPause}, true, true, true},
      {"pause alone leaves", {pause}, false, true, true},
      {"a click on yes", {click0}, true, false, true},
      {"a click on no", {click1}, true, true, false},
      {"hovering no then shot", {hover1, shot}, true, true, false},
      {"a click beside the buttons", {clickOutside}, false, false, true},
  };
  for (const Case& c : cases) {
    saveQuestion q;
    for (const saveQuestionInput& in : c.passes) {
      if (q.decided || q.cancelled) break;
      stepSaveQuestion(q, in);
    }
    EXPECT_EQ(q.decided, c.decided) << c.what;
    EXPECT_EQ(q.cancelled, c.cancelled) << c.what;
    EXPECT_EQ(q.yes, c.yes) << c.what;
  }
  saveQuestion q;
  EXPECT_EQ(stepSaveQuestion(q, flip), std::vector<int>{0});
  EXPECT_EQ(stepSaveQuestion(q, hover1), std::vector<int>{});  // already on no: silent
  EXPECT_EQ(stepSaveQuestion(q, shot), std::vector<int>{1});
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
