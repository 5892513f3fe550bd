// Small services around the main window and the system: read-outs of the
// window state, title, icon, cursor, mouse, wheel, clipboard and clocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veziv {


// The main window's identity (null before creation and after destruction).
void* GetAppWindowHandle();
int IsWindowEnded();
int IsWindowedMode();
// 1 while the window is the active one; the game's "is my window in front".
int IsWindowActive();
int IsWindowClosing();
// Each pointer may be null. 0.
int GetDesktopMode(int* width, int* height, int* color_bits);
double GetWindowZoomRatio();
int SetWindowTitle(const char* text);
// Resource 101 is the program's own icon; 0 is the system's default.
int SetWindowIconFromResource(int resource_id);
// 1 show, 0 hide, -1 apply the current setting again. 0.
int SetCursorVisibility(int flag);
// The mouse in screen pixels; each pointer may be null. 0.
int ReadMousePosition(int* x, int* y);
// The wheel notches counted so far; a non-zero clear sets the count to 0.
int TakeWheelRotation(int clear);
// rect: left, top, right, bottom of the client area on the desktop. 0.
int GetWindowDrawRect(int* rect);
// With a buffer of size bytes: copies the clipboard's text, cut to fit, and
// returns 0. Without one: the size a copy needs plus one. No text: -1.
int ReadClipboardText(char* buffer, size_t size);
int WriteClipboardText(const char* text);
// Milliseconds, 31 bits, never negative.
int GetMillisecondCount(int unused);
int64_t GetMicrosecondCount(int mode);
// No picture for the inactive window is ever set: -1 (0 while the library ends).
int DrawInactivePicture();

}  // namespace veziv
