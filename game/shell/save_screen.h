// The save and load screen (mode 18): the ten slots with their pictures,
// the save/load switches, Back, Title and End; and the overwrite question
// through which every save passes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "game/shell/screen.h"
#include "game/shell/widgets.h"

namespace game {

// Rows of the screen: 1 to 10 the slots, then the buttons.
enum SaveScreenRow : int32_t {
  kRowSaveMode = 11,
  kRowLoadMode = 12,
  kRowBack = 13,
  kRowTitle = 14,
  kRowEnd = 15,
};

// The cursor after a press of down or up landed on a disabled mode button:
// down moves on past it, up moves back past it.
int32_t skipDisabledRows(int32_t cursor, bool down, bool up, bool saveModeDisabled, bool loadModeDisabled);
// The row under the pointer, 0 for none.
int32_t pointerRow(int x, int y);
// The caption of a save made at that local time: "%Y年%m月%d日 %H時%M分".
std::string saveCaption(const std::tm& local);

// The ten slots' headers and pictures, and the pointed slot's larger picture.
void drawSlotHeader();

// The save and load screen (mode 18); a frame ends the game when the player
// chose to.
class SaveLoadScreen final : public Screen {
 public:
  bool frame() override;

 private:
  // The frame's input; true ends the game.
  bool update();
  void draw() const;
  // The decided row's action; true ends the game.
  bool decideRow(int32_t row);

  // The cursor's row at the last frame: a move by the pointer sounds.
  int32_t previousRow_ = 1;
};

// The overwrite question's state from pass to pass.
struct saveQuestion {
  bool yes = true;
  bool decided = false;
  bool cancelled = false;  // pause held, "no", or the window closed
};
// One pass of the question's input: a press of left or right flips the
// choice; the pointer over a button chooses it; a shot press decides the
// choice, a click on a button decides that button; pause held cancels. The
// sounds of the pass are returned.
struct saveQuestionInput {
  bool leftOrRight = false;
  bool shot = false;
  bool click = false;
  bool pauseHeld = false;
  bool hover = false;
  int overButton = -1;  // 0 yes, 1 no
};
std::vector<int> stepSaveQuestion(saveQuestion& q, const saveQuestionInput& in);
// The modal overwrite question and, on "yes", the save. A window closed
// during the question saves nothing. True when the slot was written.
bool runSaveScreen(int slot);

}  // namespace game
