// The library's main window: creation at library start, the window procedure
// over the platform's messages, switching between window and full-screen
// mode, placement, and destruction at library end.
#pragma once

#include "library/veziv.h"
#include "platform/window/events.h"

namespace veziv {

// 0, or -1 when a second copy runs or the window cannot be made.
int CreateMainWindow();
// Takes the window down after graphics has ended. 0.
int DestroyMainWindow();
int SetWindowModeFlag(int flag);
int ApplyWindowModeStyle();
int UpdateWindowPlacement();
// x, y: the client origin on the desktop, as the move message carries it.
int UpdateClientRectOnMove(int x, int y);
int ForceWindowToForeground(int topmost);
int UpdateFullScreenMenuByMouse();
// Appends a click (1 left, 2 right, 4 middle) at the mouse position; ignored
// when the list is full.
void RecordMouseClick(int button);
int ClearDroppedFileList();

// Handles one translated window message.
void MainWindowProc(const platform::window::Message& message);

namespace detail {
// The second-copy check, made before the log file is opened: that file may be
// the running copy's. 0 when this copy may run (it holds the instance lock
// from then on); -1 when another copy of the program runs in the same scope:
// the refusal is logged (only to the debug output while this copy has no log
// file of its own), shown to the player in a box, and the window state marked
// destroyed.
int ClaimSingleInstance();
// Lets go of the instance lock; nothing happens without it.
void ReleaseSingleInstance();

// The size message. In window mode a size the user gave the window moves the
// zoom at once and starts (or goes on with) a drag; any other size updates
// the placement.
void FollowWindowSize();
// Once a drag has brought no size change for a moment, the window takes the
// client size of its new zoom. Called by the pump.
void SettleWindowDrag();
// The zoom after a drag took the client area from one size to another: a
// change of one side sets the zoom from that side, a change of both follows
// the side whose zoom changed more (the width on a tie). The zoom's client
// size (the screen size times it, truncated) has the chosen side's new
// length, the other side the screen's shape rounded down, and no side below
// 1. zoom itself when nothing changed or the new size or the screen is empty.
double ZoomAfterDrag(int screen_width, int screen_height, int from_width, int from_height, int to_width,
                     int to_height, double zoom);

// What the character-message handler lets through to the character ring: the
// character itself, 13 for a line feed, or -1 for a dropped control.
int FilterTypedChar(int ch);
}  // namespace detail

}  // namespace veziv
