#include "platform/window/letterbox.h"

#include <gtest/gtest.h>

namespace platform::window {
namespace {

TEST(Letterbox, FitsTheScreenCentredWithBars) {
  struct Case {
    int ww, wh, sw, sh;
    ScreenRect want;
  };
  const Case cases[] = {
      {800, 600, 800, 600, {0, 0, 800, 600}},
      {1920, 1080, 800, 600, {240, 0, 1440, 1080}},  // bars left and right
      {1024, 1280, 800, 600, {0, 256, 1024, 768}},   // bars above and below
      {1025, 768, 800, 600, {0, 0, 1024, 768}},      // odd spare pixel goes right
      {0, 600, 800, 600, {0, 0, 0, 0}},
      {800, 600, 0, 0, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    ScreenRect r = LetterboxRect(c.ww, c.wh, c.sw, c.sh);
    EXPECT_EQ(r.x, c.want.x) << c.ww << "x" << c.wh;
    EXPECT_EQ(r.y, c.want.y) << c.ww << "x" << c.wh;
    EXPECT_EQ(r.width, c.want.width) << c.ww << "x" << c.wh;
    EXPECT_EQ(r.height, c.want.height) << c.ww << "x" << c.wh;
  }
}

TEST(Letterbox, MapsWindowPixelsBackToScreenPixels) {
  struct Case {
    int wx, wy;
    int want_x, want_y;
  };
  // 1920x1080 desktop, 800x600 screen: the picture is 1440x1080 from x 240.
  const Case cases[] = {
      {240, 0, 0, 0},
      {960, 540, 400, 300},
      {1679, 1079, 799, 599},
      {100, 500, 0, 277},     // in the left bar: clamped to the edge
      {1900, 10, 799, 5},     // in the right bar
      {-50, -50, 0, 0},
  };
  for (const Case& c : cases) {
    int x = -1, y = -1;
    MapWindowPointToScreen(c.wx, c.wy, 1920, 1080, 800, 600, &x, &y);
    EXPECT_EQ(x, c.want_x) << c.wx << "," << c.wy;
    EXPECT_EQ(y, c.want_y) << c.wx << "," << c.wy;
  }
}

}  // namespace
}  // namespace platform::window
