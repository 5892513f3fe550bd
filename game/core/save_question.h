// The overwrite question through which every save passes (the save screen's
// slots and the story menu's quick save): the slot's picture beside the
// game's, yes or no, and on yes the save.
#pragma once

#include <string>
#include <vector>

#include "library/veziv.h"

namespace game {

// The caption of a save made at that local date: "%Y年%m月%d日 %H時%M分".
std::string saveCaption(const veziv::DateRecord& local);
// The caption of a save made now, by the library's calendar, which follows
// the library's clock: a run on the manual clock saves the same caption
// whenever it runs.
std::string saveCaptionNow();

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
