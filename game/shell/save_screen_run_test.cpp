// The overwrite question in a running game: a decided "yes" writes the slot,
// a window closed while the question shows writes nothing.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/save_question.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/slot_files.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "game/shell/save_screen.h"
#include "game/shell/startup.h"
#include "library/veziv.h"
#include "platform/input/input_test_support.h"
#include "platform/window/inject.h"

namespace game {
namespace {

namespace fs = std::filesystem;

// What the title's first drawn frame does instead of the title.
enum class Answer { kShotKey, kCloseWindow };
Answer answer = Answer::kShotKey;
bool questionReturned = false;
bool questionSaved = false;

// The title's first drawn frame asks the question once.
class AskOnce final : public Screen {
 public:
  bool frame() override;
};

bool AskOnce::frame() {
  if (!Session().frame.drawThisFrame) return false;
  platform::window::ForgetPresentedFrames();
  if (answer == Answer::kShotKey) {
    platform::input::test::ScriptKey(0x2C, true);     // Z, the shot key
    platform::window::QuitAfterPresentedFrames(100);  // never waits for ever
  } else {
    platform::window::QuitAfterPresentedFrames(3);
  }
  questionSaved = runSaveScreen(0);
  platform::input::test::ReleaseScriptedInput();
  questionReturned = true;
  return true;
}

class SaveQuestionRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "veziv-save-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    fs::current_path(folder_);
    // The library's own current folder too: it writes the thumbnail's file.
    veziv::FileStreamSetCurrentDir(folder_.c_str());
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    for (const char* d : {"stages", "story", "voice", "image", "audio"}) fs::create_directory(d);
    platform::window::ForgetPresentedFrames();
    Session().settings = settingsRecordData{};
    Session().screens[kModeTitle] = &askOnce_;
    Session().story = &story_;
    questionReturned = questionSaved = false;
    // A story slot names the script it replays.
    story_.saved.script = "story/part1.txt";
  }
  void TearDown() override {
    platform::window::ForgetPresentedFrames();
    veziv::FileStreamSetCurrentDir(old_.c_str());
    fs::current_path(old_);
    fs::remove_all(folder_);
  }
  fs::path old_;
  std::string folder_;
  AskOnce askOnce_;
  test::RecordingStory story_;
};

TEST_F(SaveQuestionRun, ADecidedYesWritesTheSlot) {
  answer = Answer::kShotKey;
  runGame(Session());
  ASSERT_TRUE(questionReturned);
  EXPECT_TRUE(questionSaved);
  EXPECT_FALSE(fs::exists("save/temp.jpeg"));
  std::ifstream in("save/slot1.dat", std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  slotContents c;
  ASSERT_EQ(decodeSlot(bytes.data(), bytes.size(), c), nullptr);
  EXPECT_EQ(c.kind, kSaveStory);        // saved from outside a battle
  ASSERT_GT(c.thumbnail.size(), 100u);  // the picture, a whole JPEG
  EXPECT_EQ(c.thumbnail[0], 0xFF);
  EXPECT_EQ(c.thumbnail[1], 0xD8);
  EXPECT_EQ(c.thumbnail[c.thumbnail.size() - 2], 0xFF);
  EXPECT_EQ(c.thumbnail.back(), 0xD9);
  EXPECT_EQ(Session().slotTable.present[0], 1);  // the headers were read again
  EXPECT_EQ(std::string(Session().slotTable.headers[0].caption).size(), std::string("2026年12月11日 03時25分").size());
}

TEST_F(SaveQuestionRun, AWindowClosedDuringTheQuestionWritesNothing) {
  answer = Answer::kCloseWindow;
  runGame(Session());
  ASSERT_TRUE(questionReturned);
  EXPECT_FALSE(questionSaved);
  EXPECT_FALSE(fs::exists("save/slot1.dat"));
}

}  // namespace
}  // namespace game
