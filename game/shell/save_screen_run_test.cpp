// The overwrite question in a running game: a decided "yes" writes the slot,
// a window closed while the question shows writes nothing.
#include <cstring>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/story/story_scene.h"
#include "game/shell/frame_loop.h"
#include "game/shell/resources.h"
#include "game/shell/save_screen.h"
#include "game/shell/settings.h"
#include "game/shell/slot_files.h"
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

bool askOnce() {
  if (!drawThisFrame) return false;
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
    resetFrameState();
    resetResources();
    settingsRecord = settingsRecordData{};
    title_ = modeHandlers[kModeTitle];
    modeHandlers[kModeTitle] = askOnce;
    questionReturned = questionSaved = false;
    // A story slot names the script it replays.
    std::strcpy(story::storyScene.scriptName, "story/part1.txt");
  }
  void TearDown() override {
    modeHandlers[kModeTitle] = title_;
    platform::window::ForgetPresentedFrames();
    veziv::FileStreamSetCurrentDir(old_.c_str());
    fs::current_path(old_);
    fs::remove_all(folder_);
    resetFrameState();
    resetResources();
    settingsRecord = settingsRecordData{};
    slotTable = slotTableRecord{};
    story::storyScene.scriptName[0] = '\0';
  }
  fs::path old_;
  std::string folder_;
  ModeHandler title_ = nullptr;
};

TEST_F(SaveQuestionRun, ADecidedYesWritesTheSlot) {
  answer = Answer::kShotKey;
  runGame();
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
  EXPECT_EQ(slotTable.present[0], 1);  // the headers were read again
  EXPECT_EQ(std::string(slotTable.headers[0].caption).size(), std::string("2026年12月11日 03時25分").size());
}

TEST_F(SaveQuestionRun, AWindowClosedDuringTheQuestionWritesNothing) {
  answer = Answer::kCloseWindow;
  runGame();
  ASSERT_TRUE(questionReturned);
  EXPECT_FALSE(questionSaved);
  EXPECT_FALSE(fs::exists("save/slot1.dat"));
}

}  // namespace
}  // namespace game
