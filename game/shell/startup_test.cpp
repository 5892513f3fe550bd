// The start-up's pieces (the data folder check, the caution rows, the voice
// tables, the settings file, the exit veil) and whole runs of the game in a
// fresh folder under the headless drivers.
#include "game/shell/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/battle/battle_world.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/unlocks.h"
#include "game/shell/screens.h"
#include "platform/input/input_test_support.h"
#include "platform/os/charset.h"
#include "platform/window/inject.h"

namespace game {
namespace {

namespace fs = std::filesystem;

struct FolderCase {
  std::vector<std::string> entries;
  bool saveMissing;
  std::string missing;
};

TEST(DataFolders, NamesCutAtTheFirstDotEachUsedOnce) {
  const std::vector<std::string> all = {"save", "stages", "story", "voice", "image", "audio"};
  const FolderCase cases[] = {
      {all, false, ""},
      {{".", "..", "save", "stages.dat", "story", "voice.dat", "image.txt", "audio"}, false, ""},
      {{"stages", "story", "voice", "image", "audio"}, true, ""},
      {{"save", "story", "voice", "image", "audio", "Stages"}, false, "stages"},  // bytes, case and all
      {{"save", "stages", "story", "image", "audio"}, false, "voice"},
      {{"save", "stages", "story"}, false, "voice"},  // the first missing one stops the check
      {{"save.dat", "stages", "story", "voice", "image", "audio"}, false, ""},
      {{"image.a.b", "save", "stages", "story", "voice", "audio"}, false, ""},
      {{"imageX", "save", "stages", "story", "voice", "audio"}, false, "image"},
  };
  for (const FolderCase& c : cases) {
    const DataFolderCheck check = checkDataFolderNames(c.entries);
    EXPECT_EQ(check.saveMissing, c.saveMissing) << c.entries.size();
    EXPECT_EQ(check.missing, c.missing) << c.entries.size();
  }
  EXPECT_EQ(missingDataText("stages"), "stages.dat が見つかりません。\nゲームを再インストールしてください。");
}

TEST(CautionScreen, RowsBeforeAtAndAfterTheStage) {
  struct Row {
    int row, percent, stage;
    CautionRow::Kind kind;
    int barRight;
  };
  const Row rows[] = {
      {1, 40, 1, CautionRow::kPercent, 520}, {2, 40, 1, CautionRow::kZero, 400},
      {3, 40, 1, CautionRow::kZero, 400},    {1, 55, 3, CautionRow::kDone, 700},
      {2, 55, 3, CautionRow::kDone, 700},    {3, 55, 3, CautionRow::kPercent, 565},
      {3, 100, 3, CautionRow::kPercent, 700}, {1, 0, 2, CautionRow::kDone, 700},
      {2, 0, 2, CautionRow::kPercent, 400},  {2, 50, 4, CautionRow::kNone, 400},
      {1, 50, 0, CautionRow::kNone, 400},
  };
  for (const Row& r : rows) {
    const CautionRow got = cautionRow(r.row, r.percent, r.stage);
    EXPECT_EQ(got.kind, r.kind) << r.row << " " << r.stage;
    EXPECT_EQ(got.barRight, r.barRight) << r.row << " " << r.stage;
  }
}

TEST(Voices, GreetingAndExitIdsByCharacter) {
  EXPECT_EQ(voiceIdFor(greetingVoiceIds, 0), 33);
  EXPECT_EQ(voiceIdFor(greetingVoiceIds, 6), 79);
  EXPECT_EQ(voiceIdFor(greetingVoiceIds, 10), 67);
  EXPECT_EQ(voiceIdFor(exitVoiceIds, 1), 30);
  EXPECT_EQ(voiceIdFor(exitVoiceIds, 8), 72);
  EXPECT_EQ(voiceIdFor(exitVoiceIds, 11), -1);
  EXPECT_EQ(voiceIdFor(exitVoiceIds, -1), -1);
  // Each character's greeting and exit are its system voices 3 and 6 (4 for
  // the last four voices of the five characters with four).
  for (int c = 0; c < 11; ++c) EXPECT_GT(exitVoiceIds[c], greetingVoiceIds[c]);
}

TEST(ExitVeil, DrawnOnceWhenSilentAndAsLongAsASoundPlays) {
  int draws = 0;
  EXPECT_EQ(runExitVeil([] { return false; }, [] { return true; }, [&] { ++draws; }), 1);
  int left = 30;  // the voice ends after 30 passes of a fake sound clock
  EXPECT_EQ(runExitVeil([&] { return --left > 0; }, [] { return true; }, [&] { ++draws; }), 30);
  // The window going away ends it at once.
  EXPECT_EQ(runExitVeil([] { return true; }, [] { return false; }, [&] { ++draws; }), 1);
  EXPECT_EQ(draws, 32);
}

TEST(Volumes, GroupsAndDoublePrecision) {
  Session().settings = settingsRecordData{};
  EXPECT_EQ(soundVolumeFor(21, 50), 102);  // the title music at BGM 80
  Session().settings.seVolume = 100;
  EXPECT_EQ(soundVolumeFor(2, 100), 254);
  EXPECT_EQ(soundVolumeFor(1, 50), 127);
  Session().settings.seVolume = 0;
  EXPECT_EQ(soundVolumeFor(2, 100), 0);
  Session().settings.voiceVolume = 0;
  EXPECT_EQ(soundVolumeFor(30, 100), 0);
  Session().settings.radioVolume = 100;
  EXPECT_EQ(soundVolumeFor(90, 100), 254);
  Session().settings = settingsRecordData{};
}

// A run of the whole game in a fresh folder of its own.
class GameRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "veziv-game-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    fs::current_path(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    platform::window::ForgetPresentedFrames();
    installGame(Session(), screens_, story_);
  }
  void TearDown() override {
    battle::ResetBattleWorld();
    platform::window::ForgetPresentedFrames();
    fs::current_path(old_folder_);
    fs::remove_all(folder_);
  }
  std::string log() {
    std::ifstream in("Log.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  ShellScreens screens_;
  NoStory story_;
  fs::path old_folder_;
  std::string folder_;
};

TEST_F(GameRun, AMissingDataFolderNamesItsArchiveAndEndsBeforeTheLibrary) {
  for (const char* d : {"story", "voice", "image", "audio"}) fs::create_directory(d);
  EXPECT_EQ(runGame(Session()), -1);
  platform::window::ShownMessageBox box;
  ASSERT_TRUE(platform::window::LastShownMessageBox(&box));
  EXPECT_EQ(box.title_utf8, platform::os::Cp932ToUtf8("ファイルエラー"));
  EXPECT_EQ(box.text_utf8, platform::os::Cp932ToUtf8(missingDataText("stages")));
  EXPECT_TRUE(fs::is_directory("save"));  // made before the check failed
  EXPECT_FALSE(fs::exists("Log.txt"));
  EXPECT_EQ(platform::window::PresentedFrameCount(), 0);
}

TEST_F(GameRun, StartsAsksShowsTheCautionReachesTheTitleAndEndsClean) {
  for (const char* d : {"stages", "story", "voice", "image", "audio"}) fs::create_directory(d);
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
  // The shot key is held throughout: in front, its counter grows a frame at a time.
  platform::input::test::ScriptKey(0x2C, true);
  // The caution screen presents a frame per step; the title's frames follow.
  platform::window::QuitAfterPresentedFrames(40);
  EXPECT_EQ(runGame(Session()), 0);
  platform::input::test::ReleaseScriptedInput();
  EXPECT_EQ(Session().playerInputs[0].hold[kActionShot],
            Session().frame.frameCounter + 1);  // the entry's latch and one a frame
  EXPECT_EQ(Session().playerInputs[0].hold[kActionLeft], 0);
  EXPECT_TRUE(Session().windowedMode);
  EXPECT_TRUE(fs::is_directory("save"));
  EXPECT_EQ(Session().frame.gameMode, kModeTitle);
  EXPECT_GT(Session().frame.frameCounter, 0);
  EXPECT_EQ(Session().registry.voiceList, (std::list<int32_t>{0, 1, 5, 2, 3, 4, 6, 9, 10}));
  EXPECT_EQ(Session().settings.bgmVolume, 80);  // no settings file: the defaults
  EXPECT_EQ(Session().settings.midiMode, 1);
  EXPECT_EQ(getReturnMode(1), 7);
  const std::string text = log();
  EXPECT_NE(text.find("ウインドウの作成に成功しました\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\tsize:"), std::string::npos) << text;
}

TEST_F(GameRun, TheSettingsFileIsReadAndAClearedStoryAddsTwoVoices) {
  for (const char* d : {"stages", "story", "voice", "image", "audio", "save"}) fs::create_directory(d);
  const char bytes[30] = {0, 0, 0, 0, 50, 0, 0, 0, 60, 0, 0, 0, 70, 0, 0, 0, 1, 1, 1, 1,
                          1, 1, 0, 0, 1, 40, 0, 0, 0, 1};
  std::ofstream("save/Config.dat", std::ios::binary).write(bytes, sizeof bytes);
  platform::window::QuitAfterPresentedFrames(30);
  EXPECT_EQ(runGame(Session()), 0);
  EXPECT_EQ(Session().settings.bgmVolume, 0);
  EXPECT_EQ(Session().settings.seVolume, 50);
  EXPECT_EQ(Session().settings.midiMode, 0);
  EXPECT_EQ(Session().settings.textSpeed, 40);
  EXPECT_EQ(Session().registry.voiceList, (std::list<int32_t>{0, 1, 5, 2, 3, 4, 6, 7, 8, 9, 10}));
  Session().settings = settingsRecordData{};
}

TEST_F(GameRun, StartUpReadsTheSaveFolderAndRefusesWhatIsDamaged) {
  for (const char* d : {"stages", "story", "voice", "image", "audio", "save"}) fs::create_directory(d);
  auto writeFile = [](const char* path, const std::vector<int32_t>& words, size_t size) {
    std::string bytes;
    for (int32_t w : words) {
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(static_cast<uint32_t>(w) >> (8 * i)));
    }
    ASSERT_LE(size, bytes.size());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
  };
  // Volumes 999 and -4, then a file that ends inside the text speed.
  writeFile("save/Config.dat", {999, -4, 30, 40, 0x01000101, 0x00000100, 0x00A00001}, 27);
  // Player 1: S for the shot, a code without a name for left, 300 for up.
  writeFile("save/key1.dat", {0x1F, 0x5A, 300, 0xCD, 0xD0, 0x2E, 0x2D, 0x2A, 0x39}, 36);
  // Player 2: 32 bytes, the pause key kept.
  writeFile("save/key2.dat", {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}, 32);
  std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
  platform::window::QuitAfterPresentedFrames(30);
  EXPECT_EQ(runGame(Session()), 0);
  EXPECT_EQ(Session().settings.bgmVolume, 100);
  EXPECT_EQ(Session().settings.seVolume, 0);
  EXPECT_EQ(Session().settings.radioVolume, 40);
  EXPECT_EQ(Session().settings.midiMode, 0);
  EXPECT_EQ(Session().settings.battleEventsOn, 1);
  EXPECT_EQ(Session().settings.textSpeed, 20);  // cut inside: the default
  EXPECT_EQ(Session().settings.storyCleared, 0);
  const inputRecord defaults = resetInputRecord();
  EXPECT_EQ(Session().playerInputs[0].keyCode[kActionShot], 0x1F);
  EXPECT_EQ(Session().playerInputs[0].keyCode[kActionLeft], defaults.keyCode[kActionLeft]);
  EXPECT_EQ(Session().playerInputs[0].keyCode[kActionUp], defaults.keyCode[kActionUp]);
  EXPECT_EQ(Session().playerInputs[0].keyCode[kActionPause], 0x39);
  EXPECT_EQ(Session().playerInputs[1].keyCode[kActionShot], 0x10);
  EXPECT_EQ(Session().playerInputs[1].keyCode[kActionSlow], 0x17);
  EXPECT_EQ(Session().playerInputs[1].keyCode[kActionPause], 0x0E);  // the keypad preset's pause key
  // No stage file: only the tutorial, written.
  EXPECT_EQ(Session().openStages[0], 1);
  EXPECT_EQ(Session().openStages[1], 0);
  EXPECT_EQ(fs::file_size("save/openStages.dat"), 5u);
  EXPECT_FALSE(fs::exists("save/Config.dat.tmp"));
  Session().settings = settingsRecordData{};
  Session().playerInputs[0] = Session().playerInputs[1] = resetInputRecord();
}

TEST_F(GameRun, YesMeansFullScreenAndAWindowClosedDuringStartUpStillEndsTheLibrary) {
  for (const char* d : {"stages", "story", "voice", "image", "audio"}) fs::create_directory(d);
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kYes);
  platform::window::QuitAfterPresentedFrames(2);  // during the caution screen
  EXPECT_EQ(runGame(Session()), -1);
  EXPECT_FALSE(Session().windowedMode);
  EXPECT_EQ(Session().frame.frameCounter, 0);  // no frame of the loop ran
  const std::string text = log();
  EXPECT_NE(text.find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace game
