// The battle set-up screen: the stage list from the open stages and their
// description files, the choices' cycling, the difficulty values, the
// keyboard and mouse rows, the comments and the launch refusal; and single
// frames of the screen on its keys.
#include "game/shell/battle_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/shell/equipment.h"
#include "game/shell/startup.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

using Lines = std::vector<std::string>;

// A name written on disk as UTF-8, as the demo data writes it.
std::string onDisk(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A run folder as the library's current folder while the test runs.
class StageListFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::os::StartFolder();
    platform::os::SetStartFolder(folder_.path());
  }
  void TearDown() override { platform::os::SetStartFolder(saved_); }
  void stage(const char8_t* name, const std::string* description) {
    const std::string folder = "stages/" + onDisk(name);
    folder_.MakeFolder(folder);
    if (description != nullptr) folder_.MakeFile(folder + "/description.txt", *description);
  }

 private:
  veziv::test::TestFolder folder_;
  std::string saved_;
};

TEST_F(StageListFolder, OpenStagesWithTheirDescriptionLines) {
  const std::string tutorial = "first line\r\nsecond line\r\n";
  const std::string stage2 = std::string(600, 'a') + "\r\nlast";  // a long line comes back in pieces
  const std::string stage3 = "unused\r\n";
  // A megabyte of lines: the screen's twelve are read, the rest never.
  std::string stage4;
  for (int n = 0; stage4.size() < (1u << 20); ++n) stage4 += "line " + std::to_string(n) + "\r\n";
  stage(u8"チュートリアル", &tutorial);
  stage(u8"ステージ1", nullptr);  // open, without a description file
  stage(u8"ステージ2", &stage2);
  stage(u8"ステージ3", &stage3);  // has a file but is not open
  stage(u8"ステージ4", &stage4);

  const uint8_t open[kStageCount] = {1, 1, 1, 0, 1};
  const stageListData list = stageListFrom(open);
  EXPECT_EQ(list.names, (Lines{"チュートリアル", "ステージ1", "ステージ2", "ステージ4"}));
  EXPECT_EQ(list.folders,
            (Lines{"stages/チュートリアル", "stages/ステージ1", "stages/ステージ2", "stages/ステージ4"}));
  ASSERT_EQ(list.descriptions.size(), 4u);
  EXPECT_EQ(list.descriptions[0], (Lines{"first line", "second line"}));
  EXPECT_EQ(list.descriptions[1], Lines{});
  EXPECT_EQ(list.descriptions[2], (Lines{std::string(511, 'a'), std::string(89, 'a'), "last"}));
  ASSERT_EQ(list.descriptions[3].size(), kDescriptionLines);
  EXPECT_EQ(list.descriptions[3].back(), "line 11");

  const uint8_t none[kStageCount] = {};
  const stageListData empty = stageListFrom(none);
  EXPECT_TRUE(empty.names.empty() && empty.folders.empty() && empty.descriptions.empty());
}

TEST(SetupChoices, StageAndDifficultyCycleAndEmptyListStaysNone) {
  struct Case {
    int32_t value;
    int delta;
    int32_t count, want;
  };
  const Case cases[] = {
      {-1, +1, 3, 0},  // from none, increase takes the first
      {-1, -1, 3, 2},  // and decrease the last
      {0, -1, 3, 2},  {2, +1, 3, 0}, {1, +1, 3, 2}, {1, -1, 3, 0},
      {0, +1, 1, 0},  {0, -1, 1, 0},  // a single stage stays chosen
      {-1, +1, 0, -1}, {-1, -1, 0, -1},  // no stage listed: stays none
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stepChoice(c.value, c.delta, c.count), c.want) << c.value << " " << c.delta << " of " << c.count;
  }
}

TEST(SetupChoices, PartnersCycleOverTheStoryRange) {
  struct Case {
    bool cleared;
    int32_t value;
    int delta;
    int32_t want;
  };
  const Case cases[] = {
      {false, 4, +1, 0}, {false, 0, -1, 4}, {false, 3, +1, 4},
      {true, 4, +1, 5},  {true, 5, +1, 0},  {true, 0, -1, 5},
      {false, -1, +1, 0}, {false, -1, -1, 4},  // a later visit starts from none
  };
  for (const Case& c : cases) {
    Session().settings.storyCleared = c.cleared ? 1 : 0;
    EXPECT_EQ(stepPartner(c.value, c.delta, partnerMaxForStory()), c.want) << c.cleared << " " << c.value;
  }
  Session().settings = settingsRecordData{};
}

TEST(SetupChoices, StartValuesAndALaterVisit) {
  Session().settings.storyCleared = 1;
  const setupChoices start = startChoices();
  EXPECT_EQ(start.setupStage, -1);
  EXPECT_EQ(start.setupDifficulty, -1);
  EXPECT_EQ(start.setupPartner[0], 0);
  EXPECT_EQ(start.setupPartner[1], 1);
  EXPECT_EQ(start.setupPartnerMax, 5);
  Session().settings.storyCleared = 0;
  EquipmentScreen equipment;
  BattleSetupScreen setup(equipment);
  setup.resetPartners();
  EXPECT_EQ(setup.choices().setupPartner[0], -1);
  EXPECT_EQ(setup.choices().setupPartner[1], -1);
  EXPECT_EQ(setup.choices().setupPartnerMax, 4);
}

TEST(SetupChoices, DifficultyValues) {
  const int32_t want[][2] = {{0, 10}, {1, 70}, {2, 100}, {-1, -1}, {3, -1}};
  for (const auto& w : want) EXPECT_EQ(difficultyValue(w[0]), w[1]) << w[0];
}

TEST(SetupChoices, LaunchRefusedWithoutAnyChoiceOfAnActivePlayer) {
  struct Case {
    int32_t stage, difficulty, partner1, partner2, players;
    bool refused;
  };
  const Case cases[] = {
      {0, 1, 0, 1, 1, false},  {0, 1, 0, 1, 2, false},
      {-1, 1, 0, 1, 1, true},  {0, -1, 0, 1, 1, true}, {0, 1, -1, 1, 1, true},
      {0, 1, 0, -1, 1, false},  // player 2 is not playing
      {0, 1, 0, -1, 2, true},   // but with two players it must be chosen
  };
  for (const Case& c : cases) {
    const setupChoices choices{c.stage, c.difficulty, {c.partner1, c.partner2}, 4};
    EXPECT_EQ(launchRefused(choices, c.players), c.refused)
        << c.stage << " " << c.difficulty << " " << c.partner1 << " " << c.partner2 << " " << c.players;
  }
}

TEST(SetupRows, KeyboardMovesWithOneAndTwoPlayers) {
  const setupKeys up{true, false, false}, down{false, true, false}, side{false, false, true};
  struct Case {
    int32_t row;
    setupKeys keys;
    int32_t players, want;
  };
  const Case cases[] = {
      // Two players: every row is reached.
      {1, up, 2, 11}, {2, up, 2, 11}, {3, up, 2, 1}, {11, up, 2, 9},
      {9, down, 2, 11}, {10, down, 2, 11}, {11, down, 2, 1}, {4, down, 2, 6},
      {5, side, 2, 6}, {6, side, 2, 5}, {9, side, 2, 10}, {11, side, 2, 1},
      // One player: rows 6, 9 and 10 are passed over.
      {8, up, 1, 4}, {4, down, 1, 8}, {5, side, 1, 5},
      {7, down, 1, 11}, {8, down, 1, 11}, {11, up, 1, 7},
      {1, up, 1, 11}, {11, down, 1, 1}, {3, down, 1, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rowAfterKeys(c.row, c.keys, c.players), c.want)
        << "row " << c.row << " up " << c.keys.up << " down " << c.keys.down << " side " << c.keys.leftRight
        << " players " << c.players;
  }
  // No row that one player can reach by keys is a row of player 2.
  for (int32_t row : {1, 2, 3, 4, 5, 7, 8, 11}) {
    for (const setupKeys& keys : {up, down, side}) {
      const int32_t next = rowAfterKeys(row, keys, 1);
      EXPECT_TRUE(next != 6 && next != 9 && next != 10 && next >= 1 && next <= 11) << row << " -> " << next;
    }
  }
}

TEST(SetupRows, ButtonsUnderTheMouse) {
  struct Case {
    int x, y, players, want;
  };
  const Case cases[] = {
      {330, 180, 1, 1},  {362, 212, 1, 1},  // inclusive edges; the first row wins on a shared edge
      {362, 213, 1, 3},  {600, 190, 1, 2},  {633, 190, 1, 0},
      {394, 250, 1, 5},  {395, 250, 1, 0},  // the weapons button is 64 wide
      {664, 250, 2, 6},  {664, 250, 1, 0},  // player 2's buttons need two players
      {340, 320, 2, 9},  {340, 320, 1, 0},  {610, 320, 2, 10},
      {630, 400, 1, 11}, {694, 432, 1, 11}, {695, 432, 1, 0}, {100, 100, 2, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rowAtPoint(c.x, c.y, c.players), c.want) << c.x << "," << c.y << " players " << c.players;
  }
}

TEST(SetupRows, CommentsByRowAndPartner) {
  struct Case {
    int32_t row, partner;
    const char* want;
  };
  const Case cases[] = {
      {1, 0, "ステージを選択できます。"},
      {4, 1, "レベルだよ！"},
      {6, 2, "強い武器のほうがいいわね。"},
      {9, 3, "あらら、変えるのですか？残念ですぅ。"},
      {11, 5, "ふふふ、敵を木端微塵にしてやるわ！"},
      {11, -1, ""},  // a partner of none shows no comment
      {12, 0, ""},
  };
  for (const Case& c : cases) EXPECT_STREQ(setupComment(c.row, c.partner), c.want) << c.row << " " << c.partner;
  EXPECT_STREQ(partnerName(0), "サッフォ");
  EXPECT_EQ(partnerPortrait(5), 245);
  EXPECT_STREQ(partnerName(-1), "");
  EXPECT_EQ(partnerPortrait(-1), -1);
}

// One frame of the screen on given presses, without drawing (the library is
// not started: pictures and sounds are absent and nothing shows).
// The screens this one leads to are not in the mode table: they stay still
// when entered.
class SetupFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    initReturnModeMap();
    Session().frame.gameMode = kModeBattleSetup;
    Session().frame.drawThisFrame = false;
    // Only the tutorial is open; its description file is not found here.
    Session().openStages[0] = 1;
  }
  // Runs a frame at a row with one action pressed.
  void press(int32_t row, int action) {
    Session().menuCursor = row;
    Session().playerInputs[0] = resetInputRecord();
    Session().playerInputs[0].hold[action] = 1;
    setup_.frame();
  }
  setupChoices& choices() { return setup_.choices(); }

  EquipmentScreen equipment_;
  BattleSetupScreen setup_{equipment_};
};

TEST_F(SetupFrame, ChoicesLaunchRefusalEquipmentAndLeaving) {
  press(kRowPartnerP1Down, kActionShot);
  // The list is built on the first frame; the partner 0 - 1 wraps to the story's range.
  EXPECT_EQ(setup_.stageList().names, std::vector<std::string>{"チュートリアル"});
  EXPECT_EQ(choices().setupPartner[0], 4);
  press(kRowStageUp, kActionShot);
  EXPECT_EQ(choices().setupStage, 0);
  press(kRowLaunch, kActionShot);  // no difficulty yet
  EXPECT_EQ(Session().frame.gameMode, kModeBattleSetup);
  press(kRowDifficultyDown, kActionShot);
  EXPECT_EQ(choices().setupDifficulty, 2);
  Session().play.playerCount = 2;
  choices().setupPartner[1] = kNoChoice;  // a later visit's second player
  press(kRowLaunch, kActionShot);
  EXPECT_EQ(Session().frame.gameMode, kModeBattleSetup);
  EXPECT_EQ(choices().setupStage, 0);  // nothing was reset by the refusal
  press(kRowEquipP2, kActionShot);
  EXPECT_EQ(Session().frame.gameMode, kModeEquipment);
  EXPECT_EQ(getReturnMode(kModeEquipment), kModeBattleSetup);
  EXPECT_EQ(equipment_.selection().equipTarget, &Session().play.playerHeaders[1]);  // the second player's header
  Session().frame.gameMode = kModeBattleSetup;
  press(kRowPartnerP2Up, kActionPause);  // cancel: everything back, to the title
  EXPECT_EQ(Session().frame.gameMode, kModeTitle);
  EXPECT_EQ(Session().menuCursor, 1);
  EXPECT_EQ(choices().setupStage, -1);
  EXPECT_EQ(choices().setupDifficulty, -1);
  EXPECT_EQ(choices().setupPartner[0], 0);
  EXPECT_EQ(choices().setupPartner[1], 1);
}

}  // namespace
}  // namespace game
