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
//   story-log N of M   the story's log view open with N of the M pages
//                      read so far shown
//
// It also keeps one picture of each screen it reaches, so that a change of
// the art can be looked at: "screen-NN-MODE[-STAGE-PLAYERS].png" in the
// current folder, the frame shown a settling time after the mode was
// entered (or the last one before it was left, when that came sooner). A
// screen is a mode with, for the battle, its result and the story, the
// stage last started and the player count, so that the story after each
// battle and the battle mode's two-player battle count as screens of their
// own; each is kept once.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "game/battle/battle_world.h"
#include "game/battle/stage.h"
#include "game/battle/stage_folders.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/shell/setup_run_test_support.h"
#include "game/shell/startup.h"
#include "game/story/story_screen.h"
#include "game/story/story_state.h"
#include "platform/window/harness.h"
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

// Frames a screen is given to fade in and settle before it is kept; the
// title's sky, logo and rows come in one after another over a longer time.
constexpr int kScreenSettleFrames = 45;
constexpr int kTitleSettleFrames = 300;

class Observer {
 public:
  Observer() : out_(std::fopen("observed.txt", "w")) {}
  ~Observer() {
    keepScreen();
    if (out_ != nullptr) std::fclose(out_);
  }
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  test::Step beforeScreen(int32_t mode) {
    const bool newMode = mode != mode_;
    if (newMode) {
      // The last frame of the mode left, when its screen was not kept yet.
      keepScreen();
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
    if (newMode) {
      std::string screen = modeName(mode);
      if (mode == kModeBattle || mode == kModeBattleResult || mode == kModeStory) {
        screen += stageFolder_.empty() ? std::string("-none") : "-" + std::string(stageName(stageFolder_.c_str()));
        screen += "-" + std::to_string(battle::World().playerCount) + "p";
      }
      pendingScreen_.clear();
      if (screens_.insert(screen).second) {
        pendingScreen_ = screen;
        keepAt_ = platform::window::PresentedFrameCount() +
                  (mode == kModeTitle ? kTitleSettleFrames : kScreenSettleFrames);
      }
    } else if (platform::window::PresentedFrameCount() >= keepAt_) {
      keepScreen();
    }
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
    std::string log;
    if (scene.logOffset < 0) {
      int shown = 0;
      for (const story::LogRow& row : story::logRows()) shown += row.page >= 0 ? 1 : 0;
      log = "story-log " + std::to_string(shown) + " of " + std::to_string(scene.pages.size());
    }
    if (log != log_ && !log.empty()) note(log);
    log_ = log;
  }

  // Writes the last presented frame as the pending screen's picture.
  void keepScreen() {
    if (pendingScreen_.empty()) return;
    platform::window::PresentedFrame frame;
    if (platform::window::LastPresentedFrame(&frame)) {
      char number[8];
      std::snprintf(number, sizeof number, "%02d", ++kept_);
      platform::window::WriteFramePng(("screen-" + std::string(number) + "-" + pendingScreen_ + ".png").c_str(), frame);
    }
    pendingScreen_.clear();
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
  std::string log_;  // the log view's last event, empty while it is closed
  std::set<std::string> screens_;  // the screens met so far
  std::string pendingScreen_;      // the screen whose picture is still to be kept
  int keepAt_ = 0;                 // the presented frame to keep it at
  int kept_ = 0;
};

}  // namespace

int main() {
  Observer observer;
  game::story::StoryScreen story;
  game::test::WrappedGame wrapped(story, [&](int32_t mode) { return observer.beforeScreen(mode); });
  return game::runGame(wrapped.session());
}
