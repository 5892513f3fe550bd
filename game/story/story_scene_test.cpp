// The script reader, the scene's reset and the step.
#include "game/story/story_scene.h"

#include <fstream>

#include "game/core/session.h"
#include "game/story/story_test_support.h"

namespace game::story {
namespace {

using test::StoryTest;

std::string writeRaw(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

TEST_F(StoryTest, ReaderSplitsAtCrLfOnlyAndKeepsItsLimits) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<size_t> sizes;  // of the lines read; empty: compare nothing but the count
    size_t count;
  };
  std::string thousand;
  for (int i = 0; i < 1001; ++i) thousand += "line" + std::to_string(i) + "\r\n";
  const Case cases[] = {
      {"CR LF ends lines, blanks kept", "@a\r\n\r\n  b \r\n", {2, 0, 4}, 3},
      {"a lone LF does not end a line", "@a\n@b\r\n", {5}, 1},
      {"a last line without an end", "@a\r\n@b", {2, 2}, 2},
      {"a 512-byte line comes back in two", std::string(512, 'x') + "\r\n", {511, 1}, 2},
      {"1000 lines are kept, the 1001st dropped", thousand, {}, 1000},
      {"an empty file", "", {}, 0},
  };
  for (const Case& c : cases) {
    const auto lines = readScriptLines(writeRaw(folder_ / "s.txt", c.bytes));
    ASSERT_EQ(lines.size(), c.count) << c.what;
    for (size_t i = 0; i < c.sizes.size(); ++i) EXPECT_EQ(lines[i].size(), c.sizes[i]) << c.what << " line " << i;
  }
  EXPECT_TRUE(readScriptLines((folder_ / "missing.txt").string()).empty());
  EXPECT_EQ(readScriptLines(writeRaw(folder_ / "t.txt", thousand)).back(), "line999");
}

TEST_F(StoryTest, ResetStartsCleanAndLoadsTheScript) {
  State().scene.boxColour[1] = 3;
  State().scene.logOffset = -4;
  State().scene.choiceState = 0;
  State().scene.choiceTexts = {"a"};
  State().scene.faceImage = 262;
  State().scene.textComplete = 0;
  State().scene.pages.emplace_back();
  State().storyGraphTable["bg"] = storyGraph{};
  State().speakerTable["x"] = speakerEntry{"x", 0, 0, 5};
  const std::string path = writeFile("script.txt", {"@message (オルナ) a", "@foo"});
  resetScenario(path);
  EXPECT_EQ(State().scene.boxColour[0], 255);
  EXPECT_EQ(State().scene.boxColour[1], 255);
  EXPECT_EQ(State().scene.boxColour[2], 255);
  EXPECT_EQ(State().scene.logOffset, 0);
  EXPECT_EQ(State().scene.lineIndex, 0);
  EXPECT_EQ(State().scene.choiceState, -1);
  EXPECT_TRUE(State().scene.choiceTexts.empty());
  EXPECT_EQ(State().scene.faceImage, kNoFaceImage);
  EXPECT_EQ(State().scene.previousFaceImage, kNoFaceImage);
  EXPECT_EQ(State().scene.textComplete, 1);
  EXPECT_TRUE(State().scene.pages.empty());
  EXPECT_TRUE(State().storyGraphTable.empty());
  EXPECT_EQ(State().speakerTable.count("x"), 0u);
  EXPECT_TRUE(hooks.called("speakers:"));
  EXPECT_EQ(State().scene.scriptLines.size(), 2u);
  EXPECT_STREQ(State().scene.scriptName, path.c_str());
  EXPECT_EQ(Session().registry.imagePaths[331], "image/faceGraph/dolu_8.jpg");
  EXPECT_EQ(Session().registry.imagePaths[260], "image/faceGraph/NONE.jpg");
}

TEST_F(StoryTest, ALongScriptNameIsCutToItsField) {
  loadScript(std::string(400, 'n'));
  EXPECT_EQ(std::string(State().scene.scriptName), std::string(255, 'n'));
  EXPECT_TRUE(State().scene.scriptLines.empty());
}

TEST_F(StoryTest, StepsRunChainsUpToAStoppingLine) {
  useScript({"comment", "", "@changeBoxCol (1,2,3)", "plain text", "@message (ナ) stop", "@changeBoxCol (4,5,6)"});
  stepScenario(false);
  EXPECT_EQ(State().scene.lineIndex, 5);  // the comment, blank and colour lines ran, the message stops
  EXPECT_EQ(State().scene.boxColour[2], 3);
  ASSERT_EQ(State().scene.pages.size(), 1u);
  stepScenario(false);
  EXPECT_EQ(State().scene.lineIndex, 6);
  EXPECT_EQ(State().scene.boxColour[0], 4);
  // At the end a step changes nothing.
  State().scene.boxColour[0] = 9;
  stepScenario(false);
  EXPECT_EQ(State().scene.lineIndex, 6);
  EXPECT_EQ(State().scene.boxColour[0], 9);
  State().scene.lineIndex = -3;
  stepScenario(false);
  EXPECT_EQ(State().scene.lineIndex, -3);
}

TEST_F(StoryTest, LongChainsRunFlatAndACircleOfScriptsIsCut) {
  // 999 comment lines and a line that loads the same script again: the chain
  // never stops by itself. It is cut after a bounded number of lines.
  std::vector<std::string> lines(999, "comment");
  const std::string self = (folder_ / "circle.txt").string();
  lines.push_back("@goTo " + self);
  writeFile("circle.txt", lines);
  loadScript(self);
  stepScenario(false);
  EXPECT_EQ(State().scene.scriptLines.size(), 1000u);
  EXPECT_LT(State().scene.lineIndex, 1000);
  // A chain of 999 lines that ends at a stopping line runs whole.
  lines.back() = "@message (ナ) end";
  useScript(lines);
  stepScenario(false);
  EXPECT_EQ(State().scene.lineIndex, 1000);
  EXPECT_EQ(State().scene.pages.size(), 1u);
}

TEST_F(StoryTest, ReleaseForgetsPagesPicturesAndAnswers) {
  messagePage page;
  page.voiceHandle = 77;  // not a sound: not playing, so it is freed
  State().scene.pages.push_back(page);
  State().storyGraphTable["a"] = storyGraph{};
  State().scene.choiceHistory = {2, 1};
  State().scene.choiceReplayIndex = 1;
  State().scene.choiceState = 0;
  State().scene.faceImage = 262;
  State().scene.previousFaceImage = 263;
  releaseStoryResources();
  EXPECT_TRUE(State().scene.pages.empty());
  EXPECT_TRUE(State().storyGraphTable.empty());
  EXPECT_TRUE(State().scene.choiceHistory.empty());
  EXPECT_EQ(State().scene.choiceReplayIndex, 0);
  EXPECT_EQ(State().scene.choiceState, -1);
  EXPECT_EQ(State().scene.faceImage, kNoFaceImage);
  EXPECT_EQ(State().scene.previousFaceImage, kNoFaceImage);
  releasePageVoice(page);
  EXPECT_EQ(page.voiceHandle, -1);
}

}  // namespace
}  // namespace game::story
