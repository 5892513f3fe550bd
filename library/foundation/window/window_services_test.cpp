// The window services: cursor state machine, wheel, mouse, clipboard and
// clocks.
#include "library/veziv.h"

#include <cstring>
#include <ctime>
#include <vector>

#include "library/foundation/window/pump.h"
#include "library/foundation/window/window_test_support.h"
#include "platform/window/inject.h"

namespace veziv::test {
namespace {

namespace pw = platform::window;

using WindowServices = WindowTest;

TEST_F(WindowServices, CursorIsDrivenOnlyWhenItsSettingChangesOrIsReapplied) {
  ASSERT_EQ(CreateMainWindow(), 0);
  struct Step {
    int flag;
    int drives;  // how many times the system cursor is shown or hidden
    bool shown;
  };
  const Step steps[] = {
      {1, 0, true},   // already shown since creation
      {0, 1, false}, {0, 0, false}, {-1, 1, false}, {-1, 1, false},
      {1, 1, true},  {1, 0, true},  {-1, 1, true},
      {2, 1, false},  // anything but 1 hides
  };
  for (const Step& s : steps) {
    int before = pw::CursorChangeCount();
    EXPECT_EQ(SetCursorVisibility(s.flag), 0);
    EXPECT_EQ(pw::CursorChangeCount() - before, s.drives) << s.flag;
    EXPECT_EQ(pw::SystemCursorShown(), s.shown) << s.flag;
  }
}

TEST_F(WindowServices, WheelCountIsTakenAndCleared) {
  ASSERT_EQ(CreateMainWindow(), 0);
  pw::InjectWheel(0, 3, false);
  pw::InjectWheel(0, 1, false);
  pw::InjectWheel(0, -2, false);
  pw::InjectWheel(0, 1, false);
  pw::InjectWheel(5, 0, false);  // sideways: no notch
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TakeWheelRotation(0), 2);
  EXPECT_EQ(TakeWheelRotation(0), 2);
  EXPECT_EQ(TakeWheelRotation(1), 2);
  EXPECT_EQ(TakeWheelRotation(0), 0);
  pw::InjectWheel(0, -1, false);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TakeWheelRotation(1), -1);
}

TEST_F(WindowServices, MousePositionIsInScreenPixelsInBothModes) {
  ASSERT_EQ(CreateMainWindow(), 0);
  pw::InjectMouseMotion(33, 44);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  int x = -1, y = -1;
  ReadMousePosition(&x, &y);
  EXPECT_EQ(x, 33);
  EXPECT_EQ(y, 44);
  ReadMousePosition(nullptr, nullptr);

  ASSERT_EQ(SwitchWindowedMode(0), 0);
  int dw = 0, dh = 0;
  pw::GetClientSize(&dw, &dh);
  pw::InjectMouseMotion(dw / 2, dh / 2);
  pw::InjectMouseMotion(dw / 2, dh / 2);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  ReadMousePosition(&x, &y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
}

TEST_F(WindowServices, MouseMapsBackThroughTheZoomADragSet) {
  ASSERT_EQ(CreateMainWindow(), 0);  // a 640 x 480 screen
  struct Point {
    int client_x, client_y;
    int want_x, want_y;
  };
  struct Case {
    int drag_width;  // the right edge dragged to here
    double zoom;
    std::vector<Point> points;
  };
  const Case cases[] = {
      {960, 1.5, {{300, 450, 200, 300}, {301, 451, 200, 300}, {959, 719, 639, 479}, {2, 1, 1, 0}}},
      {1280, 2.0, {{1, 1, 0, 0}, {3, 5, 1, 2}, {1279, 959, 639, 479}}},
  };
  for (const Case& c : cases) {
    int w = 0, h = 0;
    pw::GetClientSize(&w, &h);
    pw::InjectUserResize(c.drag_width, h);
    EXPECT_EQ(PumpMessagesUnlocked(), 0);
    platform::os::AdvanceManualClock(300'000);
    EXPECT_EQ(PumpMessagesUnlocked(), 0);
    ASSERT_EQ(GetWindowZoomRatio(), c.zoom);
    for (const Point& p : c.points) {
      pw::InjectMouseMotion(p.client_x, p.client_y);
      EXPECT_EQ(PumpMessagesUnlocked(), 0);
      int x = -1, y = -1;
      ReadMousePosition(&x, &y);
      EXPECT_EQ(x, p.want_x) << c.zoom << " at " << p.client_x << "," << p.client_y;
      EXPECT_EQ(y, p.want_y) << c.zoom << " at " << p.client_x << "," << p.client_y;
    }
  }
  // A click is kept where the game sees it.
  pw::InjectMouseButton(pw::PhysicalButton::kLeft, true, 301, 451);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  const detail::WindowStateBlock& s = detail::WindowState();
  ASSERT_EQ(s.click_count, 1);
  EXPECT_EQ(s.clicks[0].x, 150);  // at zoom 2
  EXPECT_EQ(s.clicks[0].y, 225);
}

TEST_F(WindowServices, ZoomIsOneInFullScreenAndWhenNotSet) {
  struct Case {
    int windowed;
    double stored;
    double want;
  };
  const Case cases[] = {{1, 0.0, 1.0}, {1, -2.0, 1.0}, {1, 1.5, 1.5}, {0, 1.5, 1.0}, {0, 0.0, 1.0}};
  for (const Case& c : cases) {
    detail::WindowState().windowed = c.windowed;
    detail::WindowState().zoom = c.stored;
    EXPECT_EQ(GetWindowZoomRatio(), c.want) << c.windowed << " " << c.stored;
  }
}

TEST_F(WindowServices, ClipboardReadNeedsSizeAndCutsToTheBuffer) {
  ASSERT_EQ(WriteClipboardText("abc"), 0);
  EXPECT_EQ(ReadClipboardText(nullptr, 0), 5);
  struct Case {
    const char* text;
    size_t size;
    const char* want;
  };
  const Case cases[] = {
      {"abc", 16, "abc"},
      {"abc", 4, "abc"},
      {"abc", 3, "ab"},
      {"a\x95\x5C", 3, "a"},  // a double-byte character is never cut in two
      {"a\x95\x5C", 4, "a\x95\x5C"},
      {"abc", 1, ""},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(WriteClipboardText(c.text), 0);
    char buffer[16];
    std::memset(buffer, 'Z', sizeof buffer);
    ASSERT_EQ(ReadClipboardText(buffer, c.size), 0);
    EXPECT_STREQ(buffer, c.want) << c.text << " in " << c.size;
    if (c.size < sizeof buffer) {
      EXPECT_EQ(buffer[c.size], 'Z') << "written past the end";
    }
  }
  WriteClipboardText("");
  char buffer[4];
  EXPECT_EQ(ReadClipboardText(nullptr, 0), -1);
  EXPECT_EQ(ReadClipboardText(buffer, sizeof buffer), -1);
}

TEST_F(WindowServices, MillisecondCountWrapsAt31Bits) {
  platform::os::UseManualClock(uint64_t{0x7FFFFFFF} * 1000);
  EXPECT_EQ(GetMillisecondCount(0), 0x7FFFFFFF);
  platform::os::Sleep(1);
  EXPECT_EQ(GetMillisecondCount(0), 0);
  platform::os::Sleep(5);
  EXPECT_EQ(GetMillisecondCount(0), 5);
  EXPECT_EQ(GetMicrosecondCount(0), int64_t{0x80000005} * 1000);
}

TEST_F(WindowServices, TitleIsKeptBeforeTheWindowAndShownAfter) {
  EXPECT_EQ(SetWindowTitle("before"), 0);
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_EQ(pw::WindowTitleUtf8(), "before");
  EXPECT_EQ(SetWindowTitle("\x81\x60"), 0);
  EXPECT_EQ(pw::WindowTitleUtf8(), "\xEF\xBD\x9E");
  EXPECT_EQ(SetWindowIconFromResource(101), 0);
  EXPECT_EQ(SetWindowIconFromResource(7), 0);
  EXPECT_EQ(detail::WindowState().icon_resource_id, 7);
}

TEST_F(WindowServices, ReadOutsFollowTheWindowState) {
  EXPECT_EQ(GetAppWindowHandle(), nullptr);
  int w = 0, h = 0, bits = 0;
  EXPECT_EQ(GetDesktopMode(&w, &h, &bits), 0);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_EQ(bits, 32);
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_EQ(IsWindowedMode(), 1);
  EXPECT_EQ(IsWindowActive(), 1);
  EXPECT_EQ(IsWindowClosing(), 0);
  EXPECT_EQ(IsWindowEnded(), 0);
}

}  // namespace
}  // namespace veziv::test
