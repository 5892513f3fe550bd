// The battle's screens: the running battle (mode 1), the finished battle
// under the result menu (mode 2), the pause menu over a battle (mode 7),
// and the end screen of a battle that returns to the title.
#pragma once

#include <cstdint>

#include "game/core/screen.h"

namespace game {

// The row 2 rule: "continue the story" only in a story game; elsewhere the
// cursor passes it (down to 3, else back to 1).
int32_t resultMenuRow(int32_t cursor, bool storyGame, bool downPressed);

// The end of a battle that returns to the title: the mission picture over
// the darkening battle, a key awaited, the battle's sets released and the
// title's loaded.
void runBattleEndScreen(bool fromResultMenu);

// The running battle (mode 1); without a stage it goes back to the title.
class BattleScreen final : public Screen {
 public:
  bool frame() override;
};

// The finished battle (mode 2): its frame goes on under the result menu,
// which the battle's frame runs through the shell's hooks.
class BattleResultScreen final : public Screen {
 public:
  bool frame() override;
  // One frame of the result menu, after the finished battle was drawn.
  void runMenu();

 private:
  void drawMenu() const;
  void decide(int32_t row);
  void clearRankingView();

  // Frames spent in the result menu; it takes input only above 60.
  int32_t frames_ = 0;
  // The ranking table is drawn over the menu / holds a downloaded board.
  bool rankingShown_ = false;
  bool rankingLoaded_ = false;
};

// The pause menu over a battle (mode 7).
class PauseScreen final : public Screen {
 public:
  bool frame() override;

 private:
  void update();
  void draw() const;
  void toSaveScreen();
  void toTitle();
};

}  // namespace game
