// The title menu (mode 0) with its intro flash and the widening animation
// of a chosen row, and the player-count select of the battle mode (mode 12).
#pragma once

#include <cstdint>

#include "game/core/screen.h"

namespace game {

inline constexpr int32_t kTitleFlashMs = 1000;
inline constexpr int32_t kTitleChoiceMs = 300;
inline constexpr int32_t kTitleBarMs = 300;

// The title rows' look as functions of the timers.
// A row's blend alpha: -1 for the selected row while no choice runs (drawn
// without blending), 100 for the others; while a choice runs both fade out
// with the square root of choiceMs / 300.
int titleRowAlpha(bool selected, int32_t choiceMs);
// How far the selected row's bar reaches out on each side: the whole part
// of the square root of barMs.
int titleBarGrowth(int32_t barMs);
// The chosen row's text while the choice runs: its blend alpha and how far
// it widens on each side.
int titleTextAlpha(int32_t choiceMs);
int titleTextGrowth(int32_t choiceMs);
// The white veil's alpha during the intro flash: rising from 0 at 1000 to
// 255 at 500 over the start-up screen, then falling to 0 over the title.
int titleFlashAlpha(int32_t flashMs);
// The title row (1 to 5) under a point, 0 for none; the first row wins at a
// shared border.
int titleRowAt(int x, int y);
// The player-count row (1 to 3) under a point, 0 for none.
int playerCountRowAt(int x, int y);

// The title (mode 0): the intro flash at the program's start, the five rows
// with the widening animation of a chosen row, and the quit question.
class TitleScreen final : public Screen {
 public:
  bool frame() override;

 private:
  // The frame's input and timers; false ends the program.
  bool update();
  void draw() const;
  void drawRows() const;
  void drawFlash() const;
  // A row chosen: the quit question at once, the other rows after the
  // animation; false when the quit was confirmed.
  bool choose(bool byMouse);
  // Advances the choice animation and performs the chosen row once it is over.
  void runChoice();

  // The title's timers in milliseconds, advanced by frameDeltaMs: the intro
  // flash (1000 at program start, -1 when over), the chosen row's animation
  // (-1 idle, counts up from 0) and the selected row's bar growth (0 to 300).
  int32_t flashMs_ = kTitleFlashMs;
  int32_t choiceMs_ = -1;
  int32_t barMs_ = 0;
};

class BattleSetupScreen;

// The player-count select of the battle mode (mode 12); a count chosen
// opens the battle set-up screen with its partners reset.
class PlayerSelectScreen final : public Screen {
 public:
  explicit PlayerSelectScreen(BattleSetupScreen& setup);
  bool frame() override;

 private:
  void update();
  void draw() const;
  void backToTitle();
  void startBattleSetup(int players);

  BattleSetupScreen& setup_;
};

}  // namespace game
