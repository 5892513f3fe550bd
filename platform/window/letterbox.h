// Where the program's screen sits inside a larger window (scaled to fit,
// centred, bars on two sides), and window pixels mapped back to it.
#pragma once

namespace platform::window {

struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The largest rectangle of the screen's aspect ratio that fits the window, centred.
ScreenRect LetterboxRect(int window_width, int window_height, int screen_width, int screen_height);

// A window pixel as a screen pixel, clamped to the screen.
void MapWindowPointToScreen(int window_x, int window_y, int window_width, int window_height, int screen_width,
                            int screen_height, int* screen_x, int* screen_y);

}  // namespace platform::window
