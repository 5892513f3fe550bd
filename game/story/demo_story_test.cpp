// The demo story as the demo data tool writes it, read back by the story's
// reader and played from the first line to the title: every battle in its
// order, the answered choice, the split by impression and the unlocks.
#include "game/core/session.h"
#include "game/story/story_test_support.h"
#include "library/veziv.h"

namespace game::story {
namespace {

using DemoStory = test::DemoDataTest;

TEST_F(DemoStory, PlaysFromTheFirstLineToTheTitle) {
  resetScenario(kFirstScript);
  ASSERT_GT(State().scene.scriptLines.size(), 50u);
  Session().frame.gameMode = kModeStory;
  std::vector<int32_t> handOvers;
  int steps = 0;
  for (; steps < 1000; ++steps) {
    if (State().scene.choiceState == 0) {
      // The choice window's answer: the second option.
      State().scene.choiceHistory.push_back(2);
      State().scene.choiceReplayIndex += 1;
      State().scene.choiceState = -1;
      skipToChoice(2, false);
      State().scene.choiceTexts.clear();
    } else {
      stepScenario(false);
    }
    if (Session().frame.gameMode == kModeTitle) break;
    if (Session().frame.gameMode != kModeStory) {
      handOvers.push_back(Session().frame.gameMode);
      Session().frame.gameMode = kModeStory;  // the screen returns to the story and steps on
    }
  }
  EXPECT_EQ(Session().frame.gameMode, kModeTitle);
  EXPECT_EQ(State().scene.lineIndex, static_cast<int32_t>(State().scene.scriptLines.size()));
  EXPECT_STREQ(State().scene.scriptName, "story/part2.txt");
  EXPECT_EQ(handOvers, (std::vector<int32_t>{kModeBattle, kModeShop, kModeEquipment, kModeBattle, kModeBattle,
                                             kModeBattle, kModeBattle}));
  std::vector<std::string> battles, characters;
  for (const std::string& call : hooks.calls) {
    if (call.rfind("battle:", 0) == 0) battles.push_back(call.substr(7));
    if (call.rfind("character:", 0) == 0) characters.push_back(call.substr(10));
  }
  EXPECT_EQ(battles, (std::vector<std::string>{"stages/チュートリアル", "stages/ステージ1", "stages/ステージ2",
                                               "stages/ステージ3", "stages/ステージ4"}));
  // オルナ for the tutorial, ティルン by the answer and again by the split, then ペサロット and ドゥル.
  EXPECT_EQ(characters, (std::vector<std::string>{"2", "1", "1", "3", "4"}));
  EXPECT_EQ(State().speakerTable.at("ティルン").impression, 3);
  EXPECT_EQ(State().scene.impressionBlock[0], 1);  // オルナ, the first key, when the second part began
  EXPECT_TRUE(hooks.called("movie:image/movie/opening.ogv"));
  EXPECT_TRUE(hooks.called("difficulty:10"));
  EXPECT_EQ(Session().settings.storyCleared, 1);
  for (const char* stage : {"openStage:1", "openStage:2", "openStage:3", "openStage:4"}) {
    EXPECT_TRUE(hooks.called(stage)) << stage;
  }
  EXPECT_EQ(State().scene.faceImage, kNoFaceImage);
}

}  // namespace
}  // namespace game::story
