// The on-screen log: a page of up to 80 text lines that the game fills with
// printf-style read-outs and that the present step draws over the picture.
#pragma once

#include "library/veziv.h"

namespace veziv {

// Sets the on-screen log up once. 0, or -1 while graphics or the window are not up.
int InitScreenLog();
// 1 while the log is shown, else 0.
int IsScreenLogActive();
// Draws every line that fits on the screen. Returns 0.
int DrawScreenLog();
// Adds a Shift-JIS text: BEL, BS, VT, FF, CR and "?" are dropped, a tab becomes
// blanks, a line feed starts a new line. Returns 0.
int AddScreenLogText(const char* text);
// Puts one character (one or two bytes), starting a new line when it would not
// fit. Returns the bytes taken.
int PutScreenLogChars(const char* p);
// Moves to the next line, scrolling the page up when the screen is full. Returns 0.
int AdvanceScreenLogLine();
// Zeroes every line and goes back to the top. Returns 0.
int ResetScreenLogBuffer();
// Creates the log's font when it is missing (first use, or lost with the device). Returns 0.
int MakeScreenLogFont();

namespace detail {
// What the on-screen log needs from graphics and fonts. Until graphics
// registers these, every member is null and the on-screen log cannot start.
struct ScreenLogServices {
  bool (*ready)() = nullptr;  // graphics and the main window are up
  int (*screen_width)() = nullptr;
  int (*screen_height)() = nullptr;
  // Makes the log's font (size in pixels) and registers lost_flag, which the
  // font system sets to 1 when the font is deleted. A handle, or -1.
  int (*create_font)(int size, int* lost_flag) = nullptr;
  void (*delete_font)(int font) = nullptr;
  // Width in pixels of bytes bytes of text.
  int (*measure)(const char* text, int bytes, int font) = nullptr;
  // Draws one line in white with a black edge.
  void (*draw_line)(int x, int y, const char* text, int font) = nullptr;
};
void SetScreenLogServices(const ScreenLogServices& services);
// The library end's step: deletes the log's font (unless already lost) and
// forgets it.
void ReleaseScreenLogFont();
}  // namespace detail

}  // namespace veziv
