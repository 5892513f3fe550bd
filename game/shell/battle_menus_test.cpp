// The result menu's way on into the story, and the battle end screen's
// release of the battle's sets and way back to the title, run on the
// started library.
#include "game/shell/battle_menus.h"

#include <gtest/gtest.h>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/started_library_test_support.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "platform/window/inject.h"

namespace game {
namespace {

// The result menu with the cursor on its "continue the story" row and the
// shot key pressed once, after the 60 frames in which it takes no input.
void pressContinueRow(test::RecordingStory& story, int storyGame) {
  Session().story = &story;
  Session().play.storyGameFlag = storyGame;
  Session().frame.gameMode = kModeBattleResult;
  BattleResultScreen result;
  Session().playerInputs[0] = resetInputRecord();
  for (int f = 0; f < 61; ++f) result.runMenu();
  Session().menuCursor = 2;
  Session().playerInputs[0].hold[kActionShot] = 1;
  result.runMenu();
}

TEST(ResultMenu, ContinuingTheStoryStepsItOnWithTheSamePress) {
  test::RecordingStory story;
  pressContinueRow(story, 1);
  EXPECT_EQ(story.steps, 1);
  EXPECT_EQ(Session().frame.gameMode, kModeStory);

  // In a battle of the battle mode the row is passed over: nothing steps.
  test::RecordingStory none;
  pressContinueRow(none, 0);
  EXPECT_EQ(none.steps, 0);
  EXPECT_NE(Session().menuCursor, 2);
}

using test::StartedLibrary;

TEST_F(StartedLibrary, TheEndOfABattleReleasesTheBattlesSetsAndOpensTheTitleOnItsFirstRow) {
  loadModeResources(kModeBattle, false);
  loadModeResources(kModeSettings, false);
  const int battleImages[] = {29, 70, 84, 109, 312};
  const int settingsImages[] = {0, 34, 37, 72, 8};
  for (int id : battleImages) ASSERT_TRUE(isGraphLoaded(id)) << id;
  for (int id : settingsImages) ASSERT_TRUE(isGraphLoaded(id)) << id;
  ASSERT_NE(soundOf(2), 0);
  // The window closes during the darkening: the end screen goes straight to its clean-up.
  platform::window::QuitAfterPresentedFrames(3);
  Session().menuCursor = 3;  // the result menu's row that leads to the title
  runBattleEndScreen(true);
  EXPECT_EQ(Session().menuCursor, 1);
  for (int id : battleImages) EXPECT_FALSE(isGraphLoaded(id)) << id;
  for (int id : settingsImages) EXPECT_FALSE(isGraphLoaded(id)) << id;
  EXPECT_EQ(soundOf(2), 0);  // the battle's sounds with its pictures
  // The title's set in their place, and the title's mode.
  for (int id : {4, 38, 39}) EXPECT_TRUE(isGraphLoaded(id)) << id;
  EXPECT_EQ(Session().frame.gameMode, kModeTitle);
}

}  // namespace
}  // namespace game
