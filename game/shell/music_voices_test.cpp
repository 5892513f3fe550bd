// The volumes by group, the voices' picks, the save screen's switches,
// the remembered music and a movie that cannot play.
#include "game/shell/music_voices.h"

#include <gtest/gtest.h>

#include <set>

#include "game/shell/frame_loop.h"
#include "game/shell/resources.h"
#include "game/shell/settings.h"
#include "game/shell/startup.h"

namespace game {
namespace {

TEST(Voices, MenuAndStartIdsAndListPlaces) {
  EXPECT_EQ(voiceIdFor(menuVoiceIds, 0), 31);
  EXPECT_EQ(voiceIdFor(startVoiceIds, 6), 78);
  EXPECT_EQ(voiceIdFor(menuVoiceIds, 10), 65);
  EXPECT_EQ(voiceIdFor(menuVoiceIds, 11), -1);
  const std::list<int32_t> list = {0, 1, 5, 2};
  EXPECT_EQ(voiceListEntry(list, 0), 0);
  EXPECT_EQ(voiceListEntry(list, 2), 5);
  EXPECT_EQ(voiceListEntry(list, 4), -1);
}

TEST(Voices, TheSaveScreenTakesEachSwitchOnceInTurn) {
  resetFrameState();
  saveMode = true;
  EXPECT_FALSE(voiceRequestRefused(true));  // outside the save screen nothing is refused
  gameMode = kModeSaveLoad;
  returnModeMap[kModeSaveLoad] = 0;  // opened from the title: saving is refused
  saveMode = false;
  EXPECT_TRUE(voiceRequestRefused(true));
  EXPECT_TRUE(voiceRequestRefused(false));
  returnModeMap[kModeSaveLoad] = kModeGameMenu;
  EXPECT_FALSE(voiceRequestRefused(true));
  saveMode = true;
  EXPECT_TRUE(voiceRequestRefused(true));
  EXPECT_FALSE(voiceRequestRefused(false));
  resetFrameState();
  saveMode = true;
}

TEST(Volumes, EachGroupFollowsItsSettingInDoublePrecision) {
  const settingsRecordData saved = settingsRecord;
  struct Case {
    int id, perSound, bgm, se, voice, radio, want;
  };
  const Case cases[] = {
      {2, 100, 80, 100, 80, 80, 254},  // 100 x 2.55 is just under 255
      {1, 50, 80, 100, 80, 80, 127},
      {21, 50, 80, 100, 80, 80, 102},
      {0, 100, 100, 0, 100, 100, 0},   // SE 0 silences every effect
      {19, 100, 100, 0, 100, 100, 0},
      {20, 10, 100, 0, 100, 100, 25},  // 20 is in the BGM group
      {20, 10, 0, 100, 100, 100, 0},
      {24, 100, 10, 100, 100, 100, 25},
      {25, 100, 100, 100, 0, 100, 0},  // voice 0 through the formula
      {84, 100, 0, 0, 50, 0, 127},
      {85, 100, 0, 0, 0, 100, 254},    // radio
      {104, 70, 100, 100, 100, 30, 53},
  };
  for (const Case& c : cases) {
    settingsRecord.bgmVolume = c.bgm;
    settingsRecord.seVolume = c.se;
    settingsRecord.voiceVolume = c.voice;
    settingsRecord.radioVolume = c.radio;
    EXPECT_EQ(soundVolumeFor(c.id, c.perSound), c.want) << "sound " << c.id;
  }
  EXPECT_EQ(musicVolumeFor(1), 146);
  EXPECT_EQ(musicVolumeFor(100), 245);
  settingsRecord = saved;
}

TEST(Voices, ARandomPickReachesEveryCharacterOfTheList) {
  const std::list<int32_t> saved = voiceList;
  voiceList = {6};
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), 77);
  EXPECT_EQ(pickRandomVoice(startVoiceIds), 78);
  voiceList = {11};  // a damaged entry plays nothing
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), -1);
  voiceList.clear();
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), -1);
  voiceList = {0, 1, 5, 2, 3, 4, 6, 9, 10};
  veziv::SeedRandom(7);
  std::set<int> heard;
  for (int k = 0; k < 400; ++k) heard.insert(pickRandomVoice(menuVoiceIds));
  EXPECT_EQ(heard, (std::set<int>{31, 25, 37, 55, 49, 43, 77, 73, 65}));
  voiceList = saved;
}

TEST(Voices, TheSwitchesSetTheSaveModeUnlessRefused) {
  resetFrameState();
  const std::list<int32_t> saved = voiceList;
  voiceList = {0};
  saveMode = false;
  playRandomMenuVoice();
  EXPECT_TRUE(saveMode);
  playRandomStartVoice();
  EXPECT_FALSE(saveMode);
  gameMode = kModeSaveLoad;
  returnModeMap[kModeSaveLoad] = 0;  // opened from the title
  playRandomMenuVoice();             // refused: the cancel sound only
  EXPECT_FALSE(saveMode);
  returnModeMap[kModeSaveLoad] = kModeGameMenu;
  playRandomMenuVoice();
  EXPECT_TRUE(saveMode);
  playRandomMenuVoice();  // already saving: refused
  EXPECT_TRUE(saveMode);
  resetFrameState();
  voiceList = saved;
  saveMode = true;
}

TEST(Music, TheNameIsRememberedUntilStopped) {
  playNewMusic("audio/stage1.mid");
  EXPECT_EQ(rememberedMusic, "audio/stage1.mid");
  playNewMusic(std::string(120, 'a'));
  EXPECT_EQ(rememberedMusic.size(), 99u);
  stopMusic();
  EXPECT_EQ(rememberedMusic, "");
}

TEST(Movies, OnlyASkippableMovieInFrontIsSkipped) {
  struct Case {
    bool skippable;
    int32_t shot;
    int mouse;
    bool inFront, skipped;
  };
  const Case cases[] = {
      {true, 1, 0, true, true},   {true, 30, 0, true, true},  {true, 0, 2, true, true},
      {true, 0, 1, false, false},  // a click on another window
      {true, 0, 0, true, false},  {false, 1, 1, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(movieSkipped(c.skippable, c.shot, c.mouse, c.inFront), c.skipped) << c.shot << " " << c.mouse;
}

TEST(Movies, AFileThatCannotBeLoadedEndsAtOnce) {
  // Without a window or a movie the loop never starts: no hang.
  playMovie("image/movie/none.ogv", true);
  playMovie("", false);
}

}  // namespace
}  // namespace game
