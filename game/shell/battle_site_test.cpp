// The battle's questions to the shell answered from the registry: sheet
// pieces and their sizes, the craft's poses, and the music it plays.
#include "game/shell/battle_site.h"

#include <gtest/gtest.h>

#include "game/battle/battle_frame.h"
#include "game/battle/battle_world.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/shell/battle_menus.h"
#include "platform/os/clock.h"

namespace game {
namespace {

TEST(BattleSite, SheetsPosesAndMusicComeFromTheShell) {
  GameBattleHooks hooks;
  BattleResultScreen result;
  GameShellHooks shell(result);
  Session().registry.sheets[explosionSheet][15] = 501;
  Session().registry.sheets[thunderSheet][7] = 502;
  Session().registry.sheets[infoFrameSheet][4] = 503;
  Session().registry.sheets[planeSheet][5] = 504;
  struct Case {
    int sheet, picture, graph;
  };
  const Case cases[] = {{0, 15, 501}, {9, 7, 502}, {11, 4, 503}, {0, 16, -1}, {12, 0, -1}, {-1, 0, -1}};
  for (const Case& c : cases) EXPECT_EQ(hooks.sheetGraph(c.sheet, c.picture), c.graph) << c.sheet << " " << c.picture;
  EXPECT_EQ(hooks.sheetPictureWidth(0), 96);
  EXPECT_EQ(hooks.sheetPictureHeight(6), 10);
  EXPECT_EQ(hooks.sheetPictureWidth(12), 0);
  EXPECT_EQ(hooks.craftPoseGraph(5), 504);
  EXPECT_EQ(hooks.craftPoseGraph(6), -1);
  EXPECT_EQ(hooks.craftPoseGraph(-1), -1);
  shell.playMusic("audio/boss.mid");
  EXPECT_EQ(Session().music.rememberedMusic, "audio/boss.mid");  // so the story's replay finds it
  stopMusic();
}

// The battle's score becomes money, and a story battle takes the story's
// difficulty while a battle of the battle mode keeps the set-up's.
TEST(BattleSite, ScorePaysMoneyAndTheStorySetsTheDifficulty) {
  BattleResultScreen result;
  GameShellHooks shell(result);
  struct Case {
    int32_t before;
    int amount;
    int32_t after;
  };
  const Case cases[] = {{3000, 1740, 4740}, {0, 0, 0}, {INT32_MAX - 5, 100, INT32_MAX}, {10, -50, 0}};
  for (const Case& c : cases) {
    Session().play.holdings.money = c.before;
    shell.addMoney(c.amount);
    EXPECT_EQ(Session().play.holdings.money, c.after) << c.before << " + " << c.amount;
  }
  Session().play.holdings = holdingsData{};
  Session().play.playerHeaders[0].difficulty = 70;
  Session().play.storyGameFlag = 1;
  EXPECT_EQ(shell.storyDifficulty(), 70);
  Session().play.storyGameFlag = 0;
  EXPECT_EQ(shell.storyDifficulty(), -1);
  Session().play.playerHeaders[0] = gameHeader{};
}

// The battle start's loading is not play time: the frame clock starts over
// once the stage is loaded, so the first battle frame is a short one and is
// drawn; the loading bar moves on through the resource swap and the music.
TEST(BattleSite, LoadingDoesNotCountAsPlayTime) {
  BattleResultScreen result;
  GameShellHooks shell(result);
  platform::os::UseManualClock(1000000);
  FrameState& f = Session().frame;
  struct Case {
    bool restarted;
    int32_t delta;
    bool drawn;
  };
  // Five seconds of loading since the last frame began.
  for (const Case c : {Case{false, 100, false}, Case{true, 16, true}}) {
    f.pacer = FramePacer{};
    f.pacer.lastFrameTime = 1000;
    platform::os::AdvanceManualClock(5000000);
    if (c.restarted) shell.restartFrameClock();
    const PaceStep step = f.pacer.step(static_cast<uint32_t>(veziv::GetMillisecondCount(0)), true);
    EXPECT_EQ(step.deltaMs, c.delta) << c.restarted;
    EXPECT_EQ(step.draw, c.drawn) << c.restarted;
  }
  platform::os::UseRealClock();
  f.pacer = FramePacer{};

  static std::vector<int> bars;
  const battle::LoadingBar record = [](int percent) { bars.push_back(percent); };
  shell.swapToBattleResources(record);
  EXPECT_EQ(bars, (std::vector<int>{65, 70, 75, 80, 85}));
  bars.clear();
  shell.startStageMusic("audio/boss.mid", record);
  EXPECT_EQ(bars, std::vector<int>{95});
  EXPECT_EQ(Session().music.rememberedMusic, "audio/boss.mid");
  stopMusic();
}

}  // namespace
}  // namespace game
