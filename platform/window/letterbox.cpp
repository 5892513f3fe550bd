// Letterbox placement and the mapping of mouse positions through it. Integer
// arithmetic in 64 bits so that no window size can overflow.
#include "platform/window/letterbox.h"

#include <algorithm>
#include <cstdint>

namespace platform::window {

ScreenRect LetterboxRect(int window_width, int window_height, int screen_width, int screen_height) {
  ScreenRect r;
  if (window_width <= 0 || window_height <= 0 || screen_width <= 0 || screen_height <= 0) return r;
  // Compare window_w / screen_w with window_h / screen_h without division.
  if (int64_t{window_width} * screen_height <= int64_t{window_height} * screen_width) {
    r.width = window_width;
    r.height = static_cast<int>(int64_t{window_width} * screen_height / screen_width);
  } else {
    r.height = window_height;
    r.width = static_cast<int>(int64_t{window_height} * screen_width / screen_height);
  }
  r.x = (window_width - r.width) / 2;
  r.y = (window_height - r.height) / 2;
  return r;
}

void MapWindowPointToScreen(int window_x, int window_y, int window_width, int window_height, int screen_width,
                            int screen_height, int* screen_x, int* screen_y) {
  ScreenRect r = LetterboxRect(window_width, window_height, screen_width, screen_height);
  if (r.width <= 0 || r.height <= 0) {
    *screen_x = 0;
    *screen_y = 0;
    return;
  }
  int64_t x = (int64_t{window_x} - r.x) * screen_width / r.width;
  int64_t y = (int64_t{window_y} - r.y) * screen_height / r.height;
  *screen_x = static_cast<int>(std::clamp<int64_t>(x, 0, screen_width - 1));
  *screen_y = static_cast<int>(std::clamp<int64_t>(y, 0, screen_height - 1));
}

}  // namespace platform::window
