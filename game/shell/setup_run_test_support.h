// For runs of the whole game under test or benchmark: the game as the
// program's entry makes it (a session, the shell's screens and the story),
// with every screen of the mode table wrapped so that each frame of a
// screen passes through one call first.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "game/battle/battle_world.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/shell/screens.h"

namespace game::test {

// What the call before a screen's frame decides: the screen's frame runs,
// is passed over, or the loop ends.
enum class Step { kRun, kSkip, kEnd };
using BeforeScreen = std::function<Step(int32_t mode)>;

// A screen of the table with the call in front of its frames.
class WrappedScreen final : public Screen {
 public:
  WrappedScreen(int32_t mode, Screen& inner, const BeforeScreen& before)
      : mode_(mode), inner_(inner), before_(before) {}
  void enter() override { inner_.enter(); }
  bool frame() override {
    const Step step = before_(mode_);
    if (step == Step::kEnd) return true;
    return step == Step::kRun && inner_.frame();
  }
  void leave() override { inner_.leave(); }

 private:
  int32_t mode_;
  Screen& inner_;
  const BeforeScreen& before_;
};

// The game of one run, wrapped; the battle's world is emptied at its end.
class WrappedGame {
 public:
  WrappedGame(StoryModeHooks& story, BeforeScreen before) : before_(std::move(before)) {
    installGame(session_, screens_, story);
    for (int32_t mode = 0; mode < kModeCount; ++mode) {
      if (Screen* screen = session_.screens[mode]) {
        wrapped_[mode] = std::make_unique<WrappedScreen>(mode, *screen, before_);
        session_.screens[mode] = wrapped_[mode].get();
      }
    }
  }
  ~WrappedGame() { battle::ResetBattleWorld(); }
  WrappedGame(const WrappedGame&) = delete;
  WrappedGame& operator=(const WrappedGame&) = delete;

  GameSession& session() { return session_; }
  ShellScreens& screens() { return screens_; }

 private:
  BeforeScreen before_;
  GameSession session_;
  ShellScreens screens_;
  std::unique_ptr<WrappedScreen> wrapped_[kModeCount];
};

}  // namespace game::test
