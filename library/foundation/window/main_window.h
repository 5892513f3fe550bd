// The library's main window: creation at library start, the window procedure
// over the platform's messages, switching between window and full-screen
// mode, placement, and destruction at library end.
#pragma once

#include "platform/window/events.h"

namespace veziv {

// 0, or -1 when a second copy runs or the window cannot be made.
int CreateMainWindow();
// Takes the window down after graphics has ended. 0.
int DestroyMainWindow();
// flag 1: window mode, 0: full screen. 0 when nothing changed or there is no
// window yet; else the result of the graphics screen-mode change.
int SwitchWindowedMode(int flag);
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
// What the character-message handler lets through to the character ring: the
// character itself, 13 for a line feed, or -1 for a dropped control.
int FilterTypedChar(int ch);
}  // namespace detail

}  // namespace veziv
