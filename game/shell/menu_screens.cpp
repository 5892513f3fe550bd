// The menu screens' shared pieces.
#include "game/shell/menu_screens.h"

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {

bool hoverArmed() { return Session().frame.mouseMoved || !Session().frame.hoverNeedsMove; }

void followMouse(int row) {
  if (row == 0 || !hoverArmed() || row == Session().menuCursor) return;
  Session().menuCursor = row;
  playMenuSound(kSoundCursor);
}

int clickedRow(int row) {
  if (row == 0 || Session().playerInputs[0].hold[kActionMouseLeft] != 1) return 0;
  Session().menuCursor = row;
  return row;
}

void presentBanner(const std::string& text) {
  showNowLoading(text);
  veziv::PresentBackBuffer();
}

}  // namespace game
