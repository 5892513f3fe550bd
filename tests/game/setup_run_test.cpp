// The whole game on the demo data from the title through the player-count
// select and the battle set-up screen into the tutorial battle and back to
// the title, on scripted keys.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/shell/battle_setup.h"
#include "game/shell/setup_run_test_support.h"
#include "game/shell/startup.h"
#include "game/shell/title_menu.h"
#include "platform/input/input_test_support.h"
#include "platform/os/clock.h"
#include "platform/os/host_path.h"
#include "platform/window/inject.h"

namespace game {
namespace {

namespace fs = std::filesystem;

constexpr int kKeyShot = 0x2C, kKeyDown = 0xD0, kKeyRight = 0xCD, kKeyPause = 0x01;

// A key held from one loop frame and let go two frames later.
struct Press {
  int frame;
  int key;
  int frames = 2;
};

struct RunScript {
  std::vector<std::pair<int, std::pair<int, bool>>> events;  // frame, key, down
  size_t next = 0;
  std::vector<int32_t> modes;  // the modes the loop ran, each change once
  bool leftTitle = false;
  bool backAtTitle = false;
  int battleFrames = 0;
  int setupFramesWithStage = 0;
  // The battle as its last frame left it.
  std::string stageFolder;
  double scrolled = 0;
  int character = -1;
  BattleSetupScreen* setup = nullptr;
};
RunScript* script = nullptr;

void applyScript() {
  while (script->next < script->events.size() && script->events[script->next].first <= Session().frame.frameCounter) {
    const auto& [key, down] = script->events[script->next++].second;
    platform::input::test::ScriptKey(key, down);
  }
}

// Before each screen's frame: the scripted keys, the modes seen, the
// end once back at the title, and what the battle's last frame left.
test::Step beforeScreen(int32_t mode) {
  applyScript();
  if (script->modes.empty() || script->modes.back() != mode) script->modes.push_back(mode);
  if (mode == kModeTitle && script->leftTitle) {
    script->backAtTitle = true;
    return test::Step::kEnd;
  }
  if (mode != kModeTitle) script->leftTitle = true;
  if (mode == kModeBattleSetup && script->setup->choices().setupStage == 0) ++script->setupFramesWithStage;
  if (const battle::battleStage* stage = battle::currentStage(); mode == kModeBattle && stage != nullptr) {
    ++script->battleFrames;
    script->stageFolder = stage->folder;
    script->scrolled = battle::startScroll(stage->layer1Cells.size()) - stage->scroll;
    script->character = battle::battlePlayer(1).battleCharacter;
  }
  return test::Step::kRun;
}

class SetupRun : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "veziv-setup-run-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    // The demo data is made by the build (target demodata_run).
    fs::copy(VEZIV_RUN_FOLDER, folder_, fs::copy_options::recursive);
    fs::remove_all(fs::path(folder_) / "save");
    fs::current_path(folder_);
    old_start_ = platform::os::StartFolder();
    platform::os::SetStartFolder(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    platform::os::UseManualClock(5'000'000'000ull);
    platform::window::ForgetPresentedFrames();
    script = &run_;
    run_.setup = &game_.screens().battleSetup;
  }
  void TearDown() override {
    script = nullptr;
    platform::input::test::ReleaseScriptedInput();
    platform::window::ForgetPresentedFrames();
    platform::os::UseRealClock();
    fs::current_path(old_folder_);
    platform::os::SetStartFolder(old_start_);
    fs::remove_all(folder_);
  }
  void press(const std::vector<Press>& presses) {
    for (const Press& p : presses) {
      run_.events.push_back({p.frame, {p.key, true}});
      run_.events.push_back({p.frame + p.frames, {p.key, false}});
    }
    std::stable_sort(run_.events.begin(), run_.events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  std::string log() const {
    std::ifstream in(fs::path(folder_) / "Log.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  RunScript run_;
  NoStory story_;
  test::WrappedGame game_{story_, beforeScreen};

 private:
  fs::path old_folder_;
  std::string old_start_;
  std::string folder_;
};

TEST_F(SetupRun, FromTheTitleThroughTheSetUpIntoTheTutorialBattleAndBack) {
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
  press({
      {5, kKeyShot},              // the title: the intro flash ends
      {10, kKeyDown},             // row 3: the battle mode
      {14, kKeyDown},
      {18, kKeyShot},             // its animation runs 300 ms
      {50, kKeyShot},             // the player-count select: one player
      {60, kKeyShot},             // launch refused: nothing chosen yet
      {64, kKeyRight},            // row 2: the next stage
      {68, kKeyShot},             // the tutorial, the only open stage
      {72, kKeyDown},             // row 4: the next difficulty
      {76, kKeyShot},             // 10
      {80, kKeyDown},             // one player: row 6 is passed over, row 8
      {84, kKeyDown},             // row 11: launch
      {88, kKeyShot},
      {110, kKeyShot, 200},       // the battle: fire for a while
      {350, kKeyPause},           // pause: the pause menu
      {370, kKeyDown},            // its third row leads back to the title
      {374, kKeyDown},
      {378, kKeyShot},
  });
  platform::window::QuitAfterPresentedFrames(2000);
  EXPECT_EQ(runGame(game_.session()), 0);

  EXPECT_TRUE(run_.backAtTitle);
  EXPECT_EQ(run_.modes, (std::vector<int32_t>{kModeTitle, kModePlayerSelect, kModeBattleSetup, kModeBattle,
                                              kModeGameMenu, kModeTitle}));
  // The list: only the tutorial is open on a fresh save folder, with its description.
  const stageListData& stageList = game_.screens().battleSetup.stageList();
  ASSERT_EQ(stageList.names, (std::vector<std::string>{"チュートリアル"}));
  ASSERT_EQ(stageList.descriptions.size(), 1u);
  EXPECT_FALSE(stageList.descriptions[0].empty());
  EXPECT_GT(run_.setupFramesWithStage, 0);
  // The launch's choices in the player headers and the battle.
  EXPECT_EQ(game_.session().play.playerHeaders[0].difficulty, 10);
  EXPECT_EQ(game_.session().play.currentDifficulty, 10);
  EXPECT_EQ(battle::World().difficulty, 10);
  EXPECT_EQ(game_.session().play.playerHeaders[0].battleCharacter, 0);
  EXPECT_EQ(run_.character, 0);
  EXPECT_EQ(game_.screens().battleSetup.choices().setupStage, -1);
  EXPECT_EQ(game_.screens().battleSetup.choices().setupDifficulty, -1);
  EXPECT_EQ(game_.session().play.storyGameFlag, 0);
  EXPECT_GT(run_.battleFrames, 200);
  EXPECT_EQ(run_.stageFolder, "stages/チュートリアル");
  EXPECT_GT(run_.scrolled, 200);
  const std::string text = log();
  EXPECT_NE(text.find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace game
