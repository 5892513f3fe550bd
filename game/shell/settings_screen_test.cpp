// The settings screen's navigation, slider steps and mouse mappings, and
// the voice list edits of the voice switches, without a window.
#include "game/shell/settings_screen.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <list>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "game/core/widgets.h"
#include "game/shell/startup.h"
#include "library/veziv.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

// Left and right from every row, as the screen's layout pairs them.
TEST(SettingsScreen, LeftAndRightFollowTheLayoutTable) {
  const int right[21] = {0, 7, 8, 10, 14, 18, 1, 1, 2, 3, 11, 12, 13, 4, 15, 16, 4, 4, 19, 20, 5};
  const int left[21] = {0, 7, 8, 3, 16, 20, 1, 1, 2, 3, 3, 10, 11, 12, 4, 14, 15, 4, 5, 18, 19};
  for (int row = 1; row <= kSettingsRows; ++row) {
    EXPECT_EQ(settingsSideStep(row, true), right[row]) << row;
    EXPECT_EQ(settingsSideStep(row, false), left[row]) << row;
  }
}

// Up and down from a row: moveMenuCursor's step, then the screen's correction.
int verticalFrom(int row, bool up) {
  inputRecord r = resetInputRecord();
  r.hold[up ? kActionUp : kActionDown] = 1;
  bool moved = false;
  const int after = cursorAfterHolds(row, r.hold[kActionUp], r.hold[kActionDown], kSettingsRows, moved);
  return settingsVerticalStep(after, up, !up);
}

TEST(SettingsScreen, UpAndDownWalkTheVoiceSwitchesInRowsOfFour) {
  struct Case {
    int from;
    bool up;
    int to;
  };
  const Case cases[] = {
      {10, false, 14}, {11, false, 15}, {12, false, 16}, {13, false, 16}, {14, false, 17}, {15, false, 17},
      {14, true, 10},  {16, true, 12},  {13, true, 9},   {11, true, 9},   {17, true, 13},
      {6, true, 20},   // up onto the text speed row goes to Back
      {5, false, 1},   // down onto the BGM row goes to the top
      {20, false, 6},  // the wrap onto row 1 goes on to the BGM row
      {18, false, 20}, // down onto MCI goes to Back
      {2, false, 3},   {4, false, 5},
  };
  for (const Case& c : cases) EXPECT_EQ(verticalFrom(c.from, c.up), c.to) << c.from << (c.up ? " up" : " down");
}

TEST(SettingsScreen, HeldKeysStepSlidersOnFrameOneThenEveryTenthFrom31) {
  std::vector<int> due;
  for (int hold = 1; hold <= 60; ++hold) {
    if (sliderStepDue(hold)) due.push_back(hold);
  }
  EXPECT_EQ(due, (std::vector<int>{1, 31, 41, 51}));
}

TEST(SettingsScreen, SliderStepsAreTensClampedToTheirRanges) {
  EXPECT_EQ(stepSliderValue(100, 1, false), 100);
  EXPECT_EQ(stepSliderValue(5, -1, false), 0);
  EXPECT_EQ(stepSliderValue(80, 1, false), 90);
  EXPECT_EQ(stepSliderValue(160, 1, true), 160);
  EXPECT_EQ(stepSliderValue(15, -1, true), 10);
  EXPECT_EQ(stepSliderValue(20, 1, true), 30);
}

TEST(SettingsScreen, TheMouseXMapsOntoVolumesAndTheTextSpeed) {
  struct Case {
    int x;
    bool reached;
    int32_t value;
  };
  const Case volumes[] = {{439, false, 0}, {440, true, 0}, {445, true, 0}, {600, true, 50},
                          {755, true, 100}, {780, true, 100}, {781, false, 0}};
  for (const Case& c : volumes) {
    int32_t v = -1;
    EXPECT_EQ(volumeAtMouse(c.x, v), c.reached) << c.x;
    if (c.reached) {
      EXPECT_EQ(v, c.value) << c.x;
    }
  }
  const Case speeds[] = {{29, false, 0}, {30, true, 10}, {60, true, 25}, {330, true, 160}, {340, true, 160},
                         {341, false, 0}};
  for (const Case& c : speeds) {
    int32_t v = -1;
    EXPECT_EQ(textSpeedAtMouse(c.x, v), c.reached) << c.x;
    if (c.reached) {
      EXPECT_EQ(v, c.value) << c.x;
    }
  }
}

TEST(SettingsScreen, MouseAreasFindRowsAndVoiceSwitches) {
  EXPECT_EQ(settingsRowAt(45, 155), 1);
  EXPECT_EQ(settingsRowAt(27, 308), 0);  // the key row's area starts at y 309
  EXPECT_EQ(settingsRowAt(27, 309), 3);
  EXPECT_EQ(settingsRowAt(368, 113), 6);
  EXPECT_EQ(settingsRowAt(394, 355), 10);
  EXPECT_EQ(settingsRowAt(474 + 180, 383 + 30), 16);
  EXPECT_EQ(settingsRowAt(735, 533), 19);
  EXPECT_EQ(settingsRowAt(774, 580), 20);
  EXPECT_EQ(voiceToggleAt(394 + 270, 355), 3);
  EXPECT_EQ(voiceToggleAt(394 + 270, 385), -1);  // no eighth switch
  EXPECT_EQ(voiceToggleAt(475, 360), -1);
}

TEST(SettingsScreen, VoiceSwitchesEditTheVoiceList) {
  std::list<int32_t> list = {0, 1, 5, 2, 3, 4, 6, 9, 10};
  editVoiceList(list, 1, false, false);
  EXPECT_EQ(list, (std::list<int32_t>{0, 5, 2, 3, 4, 6, 9, 10}));
  editVoiceList(list, 1, true, false);
  EXPECT_EQ(list, (std::list<int32_t>{0, 5, 2, 3, 4, 6, 9, 10, 1}));
  editVoiceList(list, 6, false, true);  // off: every character from 6 on
  EXPECT_EQ(list, (std::list<int32_t>{0, 5, 2, 3, 4, 1}));
  editVoiceList(list, 6, true, false);  // on before the story is cleared: 6 alone
  EXPECT_EQ(list, (std::list<int32_t>{0, 5, 2, 3, 4, 1, 6}));
  editVoiceList(list, 6, false, false);
  editVoiceList(list, 6, true, true);  // after the clear: 7 and 8 as well, not 9 and 10
  EXPECT_EQ(list, (std::list<int32_t>{0, 5, 2, 3, 4, 1, 6, 7, 8}));
}

}  // namespace
}  // namespace game

namespace game {
namespace {

// A MIDI mode change restarts the sound system, which deletes every sound.
// The game's handle tables must forget their old numbers and load again.
class MidiModeChange : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    veziv::SwitchWindowedMode(1);
    ASSERT_EQ(veziv::InitLibrary(), 0);
    // The sound system's mode outlives a library run: start from mode 0.
    veziv::SetSoundInitMode(0);
    Session().settings.midiMode = 0;
    Session().story = &story_;
    // A short voice of the made demo data.
    beep_ = std::string(VEZIV_RUN_FOLDER) + "/voice/story/pesa_e01.ogg";
  }
  void TearDown() override {
    veziv::EndLibrary();
    std::filesystem::current_path(old_);
  }
  veziv::test::TestFolder folder_;
  std::filesystem::path old_;
  std::string beep_;
  test::RecordingStory story_;
};

TEST_F(MidiModeChange, LazySoundsComeBackUsableAndTheStoryReloadsItsOwnVoices) {
  Session().registry.soundPaths[kSoundGameOver] = beep_;
  ensureSoundLoaded(kSoundGameOver);
  const int before = soundOf(kSoundGameOver);
  ASSERT_EQ(veziv::IsSoundHandlePlaying(before), 0);
  setReturnMode(kModeSettings, kModeStory);

  changeMidiMode(1);
  EXPECT_EQ(Session().settings.midiMode, 1);
  EXPECT_EQ(veziv::IsSoundHandlePlaying(before), -1);  // gone with the restart
  EXPECT_EQ(soundOf(kSoundGameOver), 0);              // and forgotten, so it loads again on use
  ensureSoundLoaded(kSoundGameOver);
  EXPECT_EQ(veziv::IsSoundHandlePlaying(soundOf(kSoundGameOver)), 0);
  // The story's page voices went with the restart: the story forgets their
  // handles and loads its newest voices again itself.
  EXPECT_EQ(story_.voiceForgets, 1);
  EXPECT_EQ(story_.voiceReloads, 1);

  const int again = soundOf(kSoundGameOver);
  changeMidiMode(1);  // the mode it has: nothing restarts
  EXPECT_EQ(soundOf(kSoundGameOver), again);
  EXPECT_EQ(story_.voiceReloads, 1);
  // Opened from the title, the story's voices are not asked for.
  setReturnMode(kModeSettings, kModeTitle);
  changeMidiMode(0);
  EXPECT_EQ(story_.voiceForgets, 2);
  EXPECT_EQ(story_.voiceReloads, 1);
}

}  // namespace
}  // namespace game
