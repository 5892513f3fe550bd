// The two menus over a battle: the pause menu (mode 7) and the result menu
// that the finished battle's frame (mode 2) runs each frame.
#pragma once

#include <cstdint>

namespace game {

// Frames spent in the result menu; it takes input only above 60.
extern int32_t resultMenuFrames;
// The ranking table is drawn over the result menu / holds a downloaded board.
extern uint8_t rankingShown;
extern uint8_t rankingLoaded;

// The row 2 rule: "continue the story" only in a story game; elsewhere the
// cursor passes it (down to 3, else back to 1).
int32_t resultMenuRow(int32_t cursor, bool storyGame, bool downPressed);

// The mode-7 frame handler.
void pauseMenu();
// One frame of the result menu, after the finished battle was drawn.
void runBattleResultMenu();

// STAND-IN until the story screen lands: steps the story script once when a
// story battle's result menu leads on into the story (see battle_menus.cpp).
void continueStoryAfterBattle();

}  // namespace game
