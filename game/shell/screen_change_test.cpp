// A change between window and full screen on the started library: every
// graph went with it, and the game loads again what the screen behind the
// settings shows, never through an old handle.
#include <gtest/gtest.h>

#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/started_library_test_support.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {
namespace {

class ScreenChange : public test::StartedLibrary {
 protected:
  void SetUp() override {
    test::StartedLibrary::SetUp();
    Session().story = &story_;
    Session().frame.gameMode = kModeSettings;
  }
  // The settings screen's full-screen row: the library changes the mode,
  // then the game reloads.
  static void switchToFullScreen() {
    veziv::SwitchWindowedMode(0);
    reloadAfterScreenChange();
  }
  test::RecordingStory story_;
};

TEST_F(ScreenChange, FromABattleItsSetComesBackAndPicturesOnDemandLoadAnew) {
  setReturnMode(kModeSettings, kModeGameMenu);
  loadModeResources(kModeBattle, false);
  loadGraphById(307);  // a face, loaded on demand
  ASSERT_TRUE(graphExists(graphOf(307)));
  const veziv::GraphHandle oldScoreBoard = graphOf(29);
  switchToFullScreen();
  EXPECT_FALSE(graphExists(oldScoreBoard));  // the library took it with the change
  // The battle behind the pause menu has its set again.
  for (int id : {29, 70, 84, 109, 312}) EXPECT_TRUE(graphExists(graphOf(id))) << id;
  // A picture on demand is no longer held, so it loads again when wanted.
  EXPECT_FALSE(isGraphLoaded(307));
  loadGraphById(307);
  EXPECT_TRUE(graphExists(graphOf(307)));
  EXPECT_EQ(story_.graphReloads, 0);
}

TEST_F(ScreenChange, FromTheStoryTheStoryReloadsItsOwnPictures) {
  setReturnMode(kModeSettings, kModeStory);
  loadModeResources(kModeStory, false);
  switchToFullScreen();
  EXPECT_EQ(story_.graphReloads, 1);
  for (int id : {35, 36, 260}) EXPECT_TRUE(graphExists(graphOf(id))) << id;  // the story's set
  EXPECT_FALSE(isGraphLoaded(29));                                           // the battle's set stays out
}

}  // namespace
}  // namespace game
