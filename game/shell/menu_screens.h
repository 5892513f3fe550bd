// What the title, settings and configuration screens share: the mouse's
// arming rule and the banner they show while loading.
#pragma once

#include <string>

#include "game/core/nested_loop.h"
#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game {

// Whether a resting mouse may move the cursor: it moved this frame, or
// hovering needs no move.
bool hoverArmed();
// Moves menuCursor to the row under the mouse when armed; the cursor sound
// when it changed. row 0: nothing under the mouse.
void followMouse(int row);
// The row a click takes: the row under the mouse, which becomes the cursor.
// 0 when the left button was not pressed this frame or nothing is under it.
int clickedRow(int row);
// The loading banner at the foot of the screen, presented at once.
void presentBanner(const std::string& text);
// Waits while held() reports an input still held: each pass draws the
// screen as it stands, presents it and pumps messages. False when the
// window went away during the wait.
template <typename Held, typename Draw>
bool waitForRelease(Held held, Draw draw) {
  return runNestedLoop([&] {
    if (!held()) return false;
    draw();
    veziv::PresentBackBuffer();
    return true;
  });
}

}  // namespace game
