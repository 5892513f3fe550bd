// The volumes by group, the voices' picks, the save screen's switches,
// the remembered music and when a movie is skipped.
#include "game/core/music_voices.h"

#include <gtest/gtest.h>

#include <set>

#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"

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
  Session().music.saveMode = true;
  EXPECT_FALSE(voiceRequestRefused(true));  // outside the save screen nothing is refused
  Session().frame.gameMode = kModeSaveLoad;
  Session().frame.returnModeMap[kModeSaveLoad] = 0;  // opened from the title: saving is refused
  Session().music.saveMode = false;
  EXPECT_TRUE(voiceRequestRefused(true));
  EXPECT_TRUE(voiceRequestRefused(false));
  Session().frame.returnModeMap[kModeSaveLoad] = kModeGameMenu;
  EXPECT_FALSE(voiceRequestRefused(true));
  Session().music.saveMode = true;
  EXPECT_TRUE(voiceRequestRefused(true));
  EXPECT_FALSE(voiceRequestRefused(false));
  Session().music.saveMode = true;
}

TEST(Volumes, EachGroupFollowsItsSettingInDoublePrecision) {
  const settingsRecordData saved = Session().settings;
  struct Case {
    int id, perSound, bgm, se, voice, radio, want;
  };
  const Case cases[] = {
      {2, 100, 80, 100, 80, 80, 254},  // 100 x 2.55 is just under 255
      {1, 50, 80, 100, 80, 80, 127},    {21, 50, 80, 100, 80, 80, 102},
      {0, 100, 100, 0, 100, 100, 0},                                     // SE 0 silences every effect
      {19, 100, 100, 0, 100, 100, 0},   {20, 10, 100, 0, 100, 100, 25},  // 20 is in the BGM group
      {20, 10, 0, 100, 100, 100, 0},    {24, 100, 10, 100, 100, 100, 25},
      {25, 100, 100, 100, 0, 100, 0},                                  // voice 0 through the formula
      {84, 100, 0, 0, 50, 0, 127},      {85, 100, 0, 0, 0, 100, 254},  // radio
      {104, 70, 100, 100, 100, 30, 53},
  };
  for (const Case& c : cases) {
    Session().settings.bgmVolume = c.bgm;
    Session().settings.seVolume = c.se;
    Session().settings.voiceVolume = c.voice;
    Session().settings.radioVolume = c.radio;
    EXPECT_EQ(soundVolumeFor(c.id, c.perSound), c.want) << "sound " << c.id;
  }
  EXPECT_EQ(musicVolumeFor(1), 146);
  EXPECT_EQ(musicVolumeFor(100), 245);
  Session().settings = saved;
}

TEST(Voices, ARandomPickReachesEveryCharacterOfTheList) {
  const std::list<int32_t> saved = Session().registry.voiceList;
  Session().registry.voiceList = {6};
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), 77);
  EXPECT_EQ(pickRandomVoice(startVoiceIds), 78);
  Session().registry.voiceList = {11};  // a damaged entry plays nothing
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), -1);
  Session().registry.voiceList.clear();
  EXPECT_EQ(pickRandomVoice(menuVoiceIds), -1);
  Session().registry.voiceList = {0, 1, 5, 2, 3, 4, 6, 9, 10};
  veziv::SeedRandom(7);
  std::set<int> heard;
  for (int k = 0; k < 400; ++k) heard.insert(pickRandomVoice(menuVoiceIds));
  EXPECT_EQ(heard, (std::set<int>{31, 25, 37, 55, 49, 43, 77, 73, 65}));
  Session().registry.voiceList = saved;
}

TEST(Voices, TheSwitchesSetTheSaveModeUnlessRefused) {
  const std::list<int32_t> saved = Session().registry.voiceList;
  Session().registry.voiceList = {0};
  Session().music.saveMode = false;
  playRandomMenuVoice();
  EXPECT_TRUE(Session().music.saveMode);
  playRandomStartVoice();
  EXPECT_FALSE(Session().music.saveMode);
  Session().frame.gameMode = kModeSaveLoad;
  Session().frame.returnModeMap[kModeSaveLoad] = 0;  // opened from the title
  playRandomMenuVoice();                             // refused: the cancel sound only
  EXPECT_FALSE(Session().music.saveMode);
  Session().frame.returnModeMap[kModeSaveLoad] = kModeGameMenu;
  playRandomMenuVoice();
  EXPECT_TRUE(Session().music.saveMode);
  playRandomMenuVoice();  // already saving: refused
  EXPECT_TRUE(Session().music.saveMode);
  Session().registry.voiceList = saved;
  Session().music.saveMode = true;
}

TEST(Music, TheNameIsRememberedUntilStopped) {
  playNewMusic("audio/stage1.mid");
  EXPECT_EQ(Session().music.rememberedMusic, "audio/stage1.mid");
  playNewMusic(std::string(120, 'a'));
  EXPECT_EQ(Session().music.rememberedMusic.size(), 99u);
  stopMusic();
  EXPECT_EQ(Session().music.rememberedMusic, "");
}

TEST(Movies, OnlyASkippableMovieInFrontIsSkipped) {
  struct Case {
    bool skippable;
    int32_t shot;
    int mouse;
    bool inFront, skipped;
  };
  const Case cases[] = {
      {true, 1, 0, true, true},  {true, 30, 0, true, true},
      {true, 0, 2, true, true},  {true, 0, 1, false, false},  // a click on another window
      {true, 0, 0, true, false}, {false, 1, 1, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(movieSkipped(c.skippable, c.shot, c.mouse, c.inFront), c.skipped) << c.shot << " " << c.mouse;
}

}  // namespace
}  // namespace game
