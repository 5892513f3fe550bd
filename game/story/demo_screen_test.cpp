// The demo story played through the story screen, frame by frame, on the
// player's presses: its messages, fades and stops up to the first choice,
// with the tutorial battle's story insert run in the reduced window.
#include "game/core/input.h"
#include "game/core/session.h"
#include "game/core/story_mode_hooks.h"
#include "game/story/story_screen.h"
#include "game/story/story_test_support.h"
#include "library/veziv.h"

namespace game::story {
namespace {

// The screen's pages, voices and speakers; the hand-overs recorded.
class ScreenRecordingHooks : public test::RecordingHooks {
 public:
  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voicePath, int32_t voiceHandle) override {
    return story::splitMessageIntoPages(speaker, text, voicePath, voiceHandle);
  }
  bool playPageVoice(messagePage& page) override { return story::playPageVoice(page); }
  void buildSpeakerTable() override { story::buildSpeakerTable(); }
};

class DemoScreen : public test::DemoDataTest {
 protected:
  void SetUp() override {
    test::DemoDataTest::SetUp();
    InstallHooks(&screenHooks);
    for (inputRecord& record : Session().playerInputs) record = resetInputRecord();
    Session().frame.frameDeltaMs = 16;
    Session().menuCursor = 1;
    State().choiceCursor = 1;
  }
  // One frame with the shot key pressed on every fourth.
  void frame(int n, void (*run)()) {
    Session().playerInputs[0].hold[kActionShot] = n % 4 == 0 ? 1 : 0;
    run();
  }
  ScreenRecordingHooks screenHooks;
};

TEST_F(DemoScreen, PlaysThroughTheTutorialInsertToTheFirstChoice) {
  resetScenario(kFirstScript);
  Session().frame.gameMode = kModeStory;
  std::vector<std::string> speakers;
  bool insertRan = false;
  int n = 0;
  for (; n < 20000 && State().scene.choiceState != 0; ++n) {
    if (Session().frame.gameMode == kModeStory) {
      frame(n, [] { updateStoryScene(); });
      if (!State().scene.pages.empty() &&
          (speakers.empty() || speakers.back() != State().scene.pages.front().speaker)) {
        speakers.emplace_back(State().scene.pages.front().speaker);
      }
      continue;
    }
    if (Session().frame.gameMode == kModeBattle && !insertRan) {
      // The tutorial's first story insert, in the battle's reduced window.
      const std::vector<std::string> body = {"@setFaceGraph ORUNA_1", "@message (オルナ,oruna_e01.ogg) 「敵機よ。」",
                                             "@endEvent"};
      story_.insertLines(body, false);
      story_.startInsert();
      EXPECT_STREQ(State().scene.pages.front().speaker, "オルナ");
      screenHooks.calls.clear();
      int frames = 0;
      for (; frames < 400 && !screenHooks.called("endEvent:"); ++frames) {
        runStoryWindow();
        if (frames % 4 == 0) advanceStoryText(1);
      }
      EXPECT_LT(frames, 400);
      insertRan = true;
    }
    // The screen the story handed over to returns and steps the story on.
    Session().frame.gameMode = kModeStory;
    stepScenario(false);
  }
  ASSERT_EQ(State().scene.choiceState, 0) << "after " << n << " frames";
  EXPECT_GT(n, 64);  // the fade to the hangar alone takes 64 frames
  EXPECT_TRUE(insertRan);
  EXPECT_EQ(State().scene.choiceTexts, (std::deque<std::string>{"サッフォと飛ぶ", "ティルンと飛ぶ"}));
  EXPECT_EQ(speakers.front(), "寮長");
  EXPECT_EQ(speakers.back(), "大将");
  EXPECT_EQ(State().speakerTable.at("オルナ").impression, 1);

  // The first option by the shot key: サッフォ answers.
  Session().playerInputs[0].hold[kActionShot] = 1;
  updateStoryScene();
  EXPECT_EQ(State().scene.choiceHistory, std::deque<int32_t>{1});
  EXPECT_STREQ(State().scene.pages.front().speaker, "サッフォ");
}

}  // namespace
}  // namespace game::story
