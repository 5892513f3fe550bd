// A story for the tests: a fresh scene, hooks that record every call, and
// script files written to a folder of their own (CR LF line ends).
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story::test {

class RecordingHooks : public StoryHooks {
 public:
  std::vector<std::string> calls;  // "name:argument"
  std::vector<int> sounds;         // the sound ids played, apart from the calls

  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voicePath, int32_t) override {
    // One page a "$"-separated part, enough to count pages.
    std::vector<messagePage> pages;
    size_t start = 0;
    for (;;) {
      const size_t dollar = text.find('$', start);
      messagePage page;
      snprintf(page.speaker, sizeof page.speaker, "%s", speaker.c_str());
      snprintf(page.voice, sizeof page.voice, "%s", voicePath.c_str());
      snprintf(page.lines[0], sizeof page.lines[0], "%s", text.substr(start, dollar - start).c_str());
      page.lineCount = 1;
      pages.push_back(page);
      if (dollar == std::string::npos) return pages;
      start = dollar + 1;
    }
  }
  bool playPageVoice(messagePage& page) override { return record("voice", page.voice), true; }
  void playSound(int soundId) override { sounds.push_back(soundId); }
  void buildSpeakerTable() override {
    record("speakers", "");
    const char* names[] = {"オルナ", "ペサロット", "ドゥル", "サッフォ", "ティルン"};
    for (const char* name : names) State().speakerTable.emplace(name, speakerEntry{name, 0, 0, 0});
    State().speakerTable.emplace("ヴェルク", speakerEntry{"ヴェルク", 0, 0, -1000});
  }
  void playNewMusic(const std::string& file) override { record("music", file); }
  void rememberMusicName(const std::string& file) override { record("remember", file); }
  void stopMusic() override { record("stopMusic", ""); }
  void playMovie(const std::string& file) override { record("movie", file); }
  void loadModeResources(int32_t mode) override { record("load", std::to_string(mode)); }
  void unloadModeResources(int32_t mode) override { record("unload", std::to_string(mode)); }
  void startBattle(const std::string& folder) override { record("battle", folder); }
  void consumeEquippedItems() override { record("consume", ""); }
  void endBattleStoryEvent() override { record("endEvent", ""); }
  void setPlayerCharacter(int32_t c) override { record("character", std::to_string(c)); }
  void setPlayerDifficulty(int32_t d) override { record("difficulty", std::to_string(d)); }
  void setStoryGameFlag() override { record("storyFlag", ""); }
  void openStage(int32_t stage) override { record("openStage", std::to_string(stage)); }
  void unlockBattleModeItems() override { record("holdings", ""); }
  void saveConfig() override { record("saveConfig", ""); }

  bool called(const std::string& call) const {
    for (const std::string& c : calls) {
      if (c == call) return true;
    }
    return false;
  }

 private:
  void record(const char* name, const std::string& argument) { calls.push_back(std::string(name) + ":" + argument); }
};

// A screen that does nothing: the modes the story hands over to.
class NoScreen final : public Screen {
 public:
  bool frame() override { return false; }
};

// A session of its own with the story installed, every other mode on a
// screen that does nothing, and the recording hooks in the story.
class StoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("story_test_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    // Tests call SetUp again to start over: the frame, the settings and the
    // story go back to their start.
    session_.frame = FrameState{};
    session_.settings = settingsRecordData{};
    for (Screen*& screen : session_.screens) screen = &noScreen_;
    session_.story = &story_;
    session_.registry.voiceList = {0, 1, 5, 2, 3, 4, 6};
    story_.state() = StoryState{};
    InstallHooks(&hooks);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  // Writes lines with CR LF ends; the file's path.
  std::string writeFile(const std::string& name, const std::vector<std::string>& lines) {
    const std::filesystem::path path = folder_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) out << line << "\r\n";
    return path.string();
  }
  // Loads lines as the script (through the file reader) and starts at line 0.
  void useScript(const std::vector<std::string>& lines) { loadScript(writeFile("script.txt", lines)); }

  GameSession session_;
  SessionScope scope_{session_};
  StoryScreen story_;
  NoScreen noScreen_;
  RecordingHooks hooks;
  std::filesystem::path folder_;
};

#ifdef VEZIV_RUN_FOLDER
// A story test that runs in the demo data's run folder (made by the build,
// target demodata_run) and goes back to where it started.
class DemoDataTest : public StoryTest {
 protected:
  void SetUp() override {
    StoryTest::SetUp();
    char here[4096] = {};
    veziv::FileStreamGetCurrentDir(here);
    home_ = here;
    veziv::FileStreamSetCurrentDir(VEZIV_RUN_FOLDER);
  }
  void TearDown() override {
    if (!home_.empty()) veziv::FileStreamSetCurrentDir(home_.c_str());
    StoryTest::TearDown();
  }
  std::string home_;
};
#endif

}  // namespace game::story::test
