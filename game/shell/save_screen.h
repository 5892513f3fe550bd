// The save and load screen (mode 18): the ten slots with their pictures,
// the save/load switches, Back, Title and End; and the overwrite question
// through which every save passes.
#pragma once

#include <cstdint>
#include <string>

#include "game/core/screen.h"
#include "game/core/widgets.h"

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

}  // namespace game
