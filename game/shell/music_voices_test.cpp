// The voices' lists and the save screen's switches.
#include "game/shell/music_voices.h"

#include <gtest/gtest.h>

#include "game/shell/frame_loop.h"
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

}  // namespace
}  // namespace game
