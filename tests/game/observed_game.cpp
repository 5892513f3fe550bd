// The game as the program's entry runs it, with every screen of the mode
// table wrapped by an observer that only reads: before each screen's frame
// it notes what the game has reached, one event a line, in "observed.txt"
// in the current folder (written as it goes, so a run that ends anyhow
// leaves what it reached). run_twice.sh runs it beside the plain program,
// requires the same frames from both, and checks a script's "#! reach"
// lines against the events.
//
// The events, each written when it changes, with the number of the frame
// about to be presented (as the harness counts frames) after an "@":
//   mode NAME          the mode whose screen runs (the names below)
//   cursor N           the menus' shared cursor row
//   stage ID           a battle started on a stage (its source id)
//   insert / insert done   a story insert began / ended in a battle
//   story SCRIPT LINE  the story's script and line on entering the story
//                      mode, on a new script, and when the line goes back
//                      (a load)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/battle/stage.h"
#include "game/battle/stage_folders.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/shell/setup_run_test_support.h"
#include "game/shell/startup.h"
#include "game/story/story_screen.h"
#include "game/story/story_state.h"
#include "platform/window/inject.h"

namespace {

using namespace game;

const char* modeName(int32_t mode) {
  switch (mode) {
    case kModeTitle: return "title";
    case kModeBattle: return "battle";
    case kModeBattleResult: return "battle-result";
    case kModeSettings: return "settings";
    case kModeShop: return "shop";
    case kModePadConfig: return "pad-config";
    case kModeGameMenu: return "pause-menu";
    case kModeEquipment: return "equipment";
    case kModePlayerSelect: return "player-select";
    case kModeKeyConfig: return "key-config";
    case kModeStory: return "story";
    case kModeBattleSetup: return "battle-setup";
    case kModeSaveLoad: return "save-load";
    default: return "unknown";
  }
}

const char* stageName(const char* folder) {
  static constexpr const char* kNames[] = {
#define VEZIV_STAGE_NAME(id, path) #id,
      VEZIV_STAGE_FOLDERS(VEZIV_STAGE_NAME)
#undef VEZIV_STAGE_NAME
  };
  for (int i = 0; i < battle::kStageFolderCount; ++i) {
    if (std::strcmp(folder, battle::kStageFolders[i]) == 0) return kNames[i];
  }
  return "unknown";
}

class Observer {
 public:
  Observer() : out_(std::fopen("observed.txt", "w")) {}
  ~Observer() {
    if (out_ != nullptr) std::fclose(out_);
  }
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  test::Step beforeScreen(int32_t mode) {
    const bool newMode = mode != mode_;
    if (newMode) {
      mode_ = mode;
      note(std::string("mode ") + modeName(mode));
    }
    if (Session().menuCursor != cursor_) {
      cursor_ = Session().menuCursor;
      note("cursor " + std::to_string(cursor_));
    }
    if (const battle::battleStage* stage = battle::currentStage(); mode == kModeBattle && stage != nullptr) {
      if (newMode && std::strcmp(stage->folder, stageFolder_.c_str()) != 0) {
        stageFolder_ = stage->folder;
        note(std::string("stage ") + stageName(stage->folder));
      }
      const bool insert = stage->storyEventActive != 0;
      if (insert != insert_) {
        insert_ = insert;
        note(insert ? "insert" : "insert done");
      }
    } else if (mode == kModeTitle) {
      stageFolder_.clear();
    }
    if (mode == kModeStory) noteStory(newMode);
    return test::Step::kRun;
  }

 private:
  void noteStory(bool entered) {
    const story::storySceneRecord& scene = story::State().scene;
    const bool newScript = script_ != scene.scriptName;
    if (entered || newScript || scene.lineIndex < line_) {
      note(std::string("story ") + scene.scriptName + " " + std::to_string(scene.lineIndex));
    }
    script_ = scene.scriptName;
    line_ = scene.lineIndex;
  }

  void note(const std::string& event) {
    if (out_ == nullptr) return;
    std::fprintf(out_, "%s @%d\n", event.c_str(), platform::window::PresentedFrameCount() + 1);
    std::fflush(out_);
  }

  std::FILE* out_;
  int32_t mode_ = -1;
  int32_t cursor_ = -1;
  std::string stageFolder_;
  bool insert_ = false;
  std::string script_;
  int32_t line_ = 0;
};

}  // namespace

int main() {
  Observer observer;
  game::story::StoryScreen story;
  game::test::WrappedGame wrapped(story, [&](int32_t mode) { return observer.beforeScreen(mode); });
  return game::runGame(wrapped.session());
}
