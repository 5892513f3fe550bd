// Choice and character blocks: the chosen block runs, the others are passed
// over, and recorded answers are replayed without opening a choice.
#include <functional>

#include "game/story/story_test_support.h"

namespace game::story {
namespace {

using test::StoryTest;

// A choice set whose blocks each set one box colour; "@message" stops after it.
const std::vector<std::string> kChoiceScript = {
    "@makeChoice (A,B)",
    "@choice1 the first",
    "@changeBoxCol (1,1,1)",
    "@choice2",
    "@changeBoxCol (2,2,2)",
    "@choiceEnd",
    "@message (ナ) after",
    "@makeChoice (C,D)",
    "@choice1",
    "@changeBoxCol (11,1,1)",
    "@choice2",
    "@changeBoxCol (12,2,2)",
    "@choiceEnd",
    "@message (ナ) end",
};

// The choice window's answer: recorded, then the skip.
void answer(int32_t k) {
  State().scene.choiceHistory.push_back(k);
  State().scene.choiceReplayIndex += 1;
  State().scene.choiceState = -1;
  skipToChoice(k, false);
  State().scene.choiceTexts.clear();
}

TEST_F(StoryTest, AnsweredChoicesRunTheirBlockAndGoOnAfterTheSet) {
  struct Case {
    int32_t answer;
    int32_t colour;
  };
  for (const Case c : {Case{1, 1}, Case{2, 2}}) {
    SetUp();
    useScript(kChoiceScript);
    stepScenario(false);
    EXPECT_EQ(State().scene.choiceState, 0);
    answer(c.answer);
    EXPECT_EQ(State().scene.boxColour[0], c.colour) << c.answer;
    EXPECT_EQ(State().scene.lineIndex, 7) << c.answer;  // stopped at the message after the set
    EXPECT_EQ(State().scene.pages.size(), 1u);
  }
}

TEST_F(StoryTest, ReplayTakesRecordedAnswersThenAsks) {
  useScript(kChoiceScript);
  State().scene.choiceHistory = {2, 1};
  stepScenario(true);
  EXPECT_EQ(State().scene.boxColour[0], 2);
  EXPECT_EQ(State().scene.lineIndex, 7);
  stepScenario(true);
  EXPECT_EQ(State().scene.boxColour[0], 11);
  EXPECT_EQ(State().scene.lineIndex, 14);
  EXPECT_EQ(State().scene.choiceState, -1);
  EXPECT_EQ(State().scene.choiceReplayIndex, 2);
  // With the answers used up, the next choice opens as live.
  State().scene.choiceHistory = {2};
  State().scene.choiceReplayIndex = 1;
  State().scene.lineIndex = 7;
  stepScenario(true);
  EXPECT_EQ(State().scene.choiceState, 0);
  EXPECT_EQ(State().scene.choiceTexts, (std::deque<std::string>{"C", "D"}));
  EXPECT_EQ(State().scene.lineIndex, 8);
}

TEST_F(StoryTest, MarkersMatchTheWholeWord) {
  std::vector<std::string> lines = {"@makeChoice (a,b,c,d,e,f,g,h,i,j)"};
  for (int k = 1; k <= 10; ++k) {
    lines.push_back("@choice" + std::to_string(k));
    lines.push_back("@changeBoxCol (" + std::to_string(k) + ",0,0)");
  }
  lines.push_back("@choiceEnd");
  lines.push_back("@message (ナ) end");
  useScript(lines);
  stepScenario(false);
  answer(10);
  EXPECT_EQ(State().scene.boxColour[0], 10);
  EXPECT_EQ(State().scene.lineIndex, static_cast<int32_t>(lines.size()));
}

TEST_F(StoryTest, AMissingMarkerRunsTheScriptOut) {
  struct Case {
    const char* what;
    std::function<void()> skip;
  };
  const Case cases[] = {
      {"choice 3 of two", [] { skipToChoice(3, false); }},
      {"an answer with three digits", [] { skipToChoice(100, false); }},
      {"a character without a branch", [] { skipToChara("ホーベ", false); }},
  };
  for (const Case& c : cases) {
    SetUp();
    useScript({"@choice1", "@chara:オルナ", "@changeBoxCol (1,1,1)", "@charaEnd", "@message (ナ) x"});
    c.skip();
    EXPECT_EQ(State().scene.lineIndex, 5) << c.what;
    EXPECT_EQ(State().scene.boxColour[0], 255) << c.what;
    EXPECT_TRUE(State().scene.pages.empty()) << c.what;
  }
}

TEST_F(StoryTest, CharacterSplitTakesTheHighestImpressionFirstKeyOnTies) {
  const std::vector<std::string> script = {
      "@makeCharaSplit", "@chara:オルナ", "@changeBoxCol (1,0,0)", "@chara:ティルン",
      "@changeBoxCol (2,0,0)", "@chara:ドゥル comment", "@changeBoxCol (3,0,0)", "@charaEnd",
      "@message (ナ) after",
  };
  struct Case {
    const char* what;
    std::map<std::string, int32_t> raise;
    int32_t colour;
    int32_t lineIndex;
  };
  const Case cases[] = {
      {"a tie goes to the first key", {}, 1, 9},
      {"the strictly greatest wins", {{"ティルン", 2}}, 2, 9},
      {"the last branch reaches the end marker", {{"ドゥル", 1}}, 3, 9},
      {"a winner without a branch runs out", {{"ペサロット", 5}}, 255, 9},
  };
  for (const Case& c : cases) {
    SetUp();
    hooks.buildSpeakerTable();
    for (const auto& [name, n] : c.raise) State().speakerTable.at(name).impression += n;
    useScript(script);
    stepScenario(true);
    EXPECT_EQ(State().scene.boxColour[0], c.colour) << c.what;
    EXPECT_EQ(State().scene.lineIndex, c.lineIndex) << c.what;
    EXPECT_EQ(State().scene.pages.size(), c.colour == 255 ? 0u : 1u) << c.what;
  }
}

}  // namespace
}  // namespace game::story
