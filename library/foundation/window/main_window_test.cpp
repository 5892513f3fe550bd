// The main window on SDL's dummy driver: creation, the second-copy refusal,
// mode switching, closing, and what the window procedure makes of messages.
#include "library/foundation/window/main_window.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/fresh_log_test_support.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/foundation/window/window_test_support.h"
#include "platform/os/charset.h"
#include "platform/window/inject.h"
#include "platform/window/single_instance.h"

namespace veziv::test {
namespace {

namespace pw = platform::window;

// A second process that holds the lock for name until it is told to go.
class OtherCopy {
 public:
  explicit OtherCopy(const std::string& name) {
    int ready[2], go[2];
    EXPECT_EQ(pipe(ready), 0);
    EXPECT_EQ(pipe(go), 0);
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(go[1]);
      char c = pw::AcquireInstanceLock(name.c_str()) == pw::InstanceLockResult::kAcquired ? 'y' : 'n';
      if (write(ready[1], &c, 1) != 1) _exit(2);
      if (read(go[0], &c, 1) < 0) _exit(3);
      _exit(0);
    }
    close(ready[1]);
    close(go[0]);
    go_ = go[1];
    char c = 0;
    EXPECT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    close(ready[0]);
  }
  ~OtherCopy() {
    close(go_);
    int status = 0;
    waitpid(pid_, &status, 0);
  }

 private:
  pid_t pid_ = -1;
  int go_ = -1;
};

using MainWindow = WindowTest;

TEST_F(MainWindow, WindowModeOpensCentredAtTheScreenSize) {
  SetWindowTitle("\x95\x5C\x8E\xA6");  // CP932 text
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_NE(GetAppWindowHandle(), nullptr);
  EXPECT_EQ(pw::WindowTitleUtf8(), "\xE8\xA1\xA8\xE7\xA4\xBA");
  int w = 0, h = 0;
  pw::GetClientSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_FALSE(pw::IsFullScreen());
  int desk_w = 0, desk_h = 0;
  GetDesktopMode(&desk_w, &desk_h, nullptr);
  int rect[4] = {};
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[0], (desk_w - 640) / 2);
  EXPECT_EQ(rect[1], (desk_h - 480) / 2);
  EXPECT_EQ(rect[2] - rect[0], 640);
  EXPECT_EQ(rect[3] - rect[1], 480);
  EXPECT_EQ(IsWindowActive(), 1);
  EXPECT_EQ(IsWindowEnded(), 0);
  EXPECT_TRUE(pw::SystemCursorShown());
  EXPECT_EQ(GetWindowZoomRatio(), 1.0);  // a zoom of 0 means 1.0
}

TEST_F(MainWindow, UntitledWindowIsNamedAfterTheLibrary) {
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_EQ(detail::WindowState().title, "VeZiv");
  EXPECT_EQ(detail::WindowState().class_name, "V24K0ZQ");
  EXPECT_EQ(pw::WindowTitleUtf8(), "VeZiv");
}

TEST_F(MainWindow, FullScreenOpensOverTheDesktopWithoutCursor) {
  detail::WindowState().windowed = 0;
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_TRUE(pw::IsFullScreen());
  EXPECT_FALSE(pw::SystemCursorShown());
  int rect[4] = {};
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[0], 0);
  EXPECT_EQ(rect[1], 0);
  EXPECT_EQ(rect[2], 640);
  EXPECT_EQ(rect[3], 480);
}

TEST_F(MainWindow, SecondCopyIsRefused) {
  SetWindowTitle("second copy");
  {
    OtherCopy other("second copy");
    EXPECT_EQ(CreateMainWindow(), -1);
    EXPECT_EQ(GetAppWindowHandle(), nullptr);
    EXPECT_EQ(IsWindowEnded(), 1);
    EXPECT_FALSE(pw::HasWindow());
  }
  // Once the first copy has gone, the program starts.
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_EQ(IsWindowEnded(), 0);
}

// The second copy runs in the first one's folder: it must not touch the
// first copy's log, and it tells the player why it ends.
TEST_F(MainWindow, SecondCopyLeavesTheRunningCopysLogAndSaysSoInABox) {
  namespace fs = std::filesystem;
  const fs::path old_folder = fs::current_path();
  fs::current_path(runtime_dir_);
  const std::string running_log = "0:\xe3\x83\x86running copy\r\n1500:\tstill running\r\n";
  std::ofstream("Log.txt", std::ios::binary) << running_log;
  detail::ForgetLogFile();  // as a program that has just started
  SetWindowTitle("init second copy");
  int result = 0;
  {
    OtherCopy other("init second copy");
    result = detail::StartLibrary();
  }
  std::ifstream in("Log.txt", std::ios::binary);
  std::ostringstream log;
  log << in.rdbuf();
  fs::current_path(old_folder);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(log.str(), running_log);
  EXPECT_EQ(detail::IsLibraryInitialised(), 0);
  EXPECT_EQ(IsWindowEnded(), 1);
  pw::ShownMessageBox box;
  ASSERT_TRUE(pw::LastShownMessageBox(&box));
  EXPECT_EQ(box.title_utf8, "init second copy");
  EXPECT_EQ(box.text_utf8,
            platform::os::Cp932ToUtf8("このソフトは既に起動しています。\n同時に二つは起動できないため、終了します。"));
  EXPECT_EQ(box.kind, pw::MessageBoxKind::kOk);
  // Once the first copy has gone, the same start goes through and makes its own log.
  ASSERT_EQ(detail::StartLibrary(), 0);
  EndLibrary();
}

TEST_F(MainWindow, SwitchesToFullScreenAndBack) {
  ASSERT_EQ(CreateMainWindow(), 0);
  int changes = pw::CursorChangeCount();
  EXPECT_EQ(SwitchWindowedMode(1), 0);  // already in window mode: nothing happens
  EXPECT_EQ(pw::CursorChangeCount(), changes);

  static int mode_changes = 0;
  mode_changes = 0;
  detail::CallSites().change_screen_mode = [] { return ++mode_changes; };
  EXPECT_EQ(SwitchWindowedMode(0), 1);
  EXPECT_EQ(IsWindowedMode(), 0);
  EXPECT_TRUE(pw::IsFullScreen());
  EXPECT_FALSE(pw::SystemCursorShown());
  EXPECT_EQ(detail::WindowState().display_change_seen, 1);
  EXPECT_EQ(detail::WindowState().mode_changing, 0);
  int rect[4] = {};
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[2], 640);
  EXPECT_EQ(rect[3], 480);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);

  EXPECT_EQ(SwitchWindowedMode(1), 2);
  EXPECT_EQ(IsWindowedMode(), 1);
  EXPECT_FALSE(pw::IsFullScreen());
  EXPECT_TRUE(pw::SystemCursorShown());
  int w = 0, h = 0;
  pw::GetClientSize(&w, &h);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[2] - rect[0], 640);
  EXPECT_GE(rect[0], 0);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
}

TEST_F(MainWindow, SwitchBeforeTheWindowExistsOnlySetsTheFlag) {
  EXPECT_EQ(SwitchWindowedMode(0), 0);
  EXPECT_EQ(IsWindowedMode(), 0);
  EXPECT_FALSE(pw::HasWindow());
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_TRUE(pw::IsFullScreen());
}

TEST_F(MainWindow, CloseBoxMarksTheWindowDestroyedButKeepsItUntilTheEnd) {
  ASSERT_EQ(CreateMainWindow(), 0);
  pw::InjectWindowClose();
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
  EXPECT_EQ(IsWindowEnded(), 1);
  EXPECT_EQ(detail::WindowState().destroy_handled, 1);
  EXPECT_TRUE(pw::HasWindow());
  EXPECT_EQ(DestroyMainWindow(), 0);
  EXPECT_FALSE(pw::HasWindow());
  EXPECT_EQ(GetAppWindowHandle(), nullptr);
  EXPECT_EQ(DestroyMainWindow(), 0);
}

TEST_F(MainWindow, EndWithoutCloseClosesTheWindowAndShowsTheCursor) {
  detail::WindowState().windowed = 0;
  ASSERT_EQ(CreateMainWindow(), 0);
  static int text_entries_deleted = 0;
  text_entries_deleted = 0;
  detail::CallSites().delete_text_entry_handle_all = [] { ++text_entries_deleted; };
  pw::InjectDropFile("/tmp/a");
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(detail::WindowState().dropped_files.size(), 1u);
  EXPECT_EQ(DestroyMainWindow(), 0);
  EXPECT_EQ(IsWindowClosing(), 1);
  EXPECT_EQ(IsWindowEnded(), 1);
  EXPECT_EQ(detail::WindowState().cursor_shown, 1);
  EXPECT_EQ(text_entries_deleted, 1);
  EXPECT_TRUE(detail::WindowState().dropped_files.empty());
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
}

TEST_F(MainWindow, ClickListKeepsThirtyTwoClicksWithTheirPlaces) {
  ASSERT_EQ(CreateMainWindow(), 0);
  const pw::PhysicalButton buttons[] = {pw::PhysicalButton::kLeft, pw::PhysicalButton::kRight,
                                        pw::PhysicalButton::kMiddle};
  for (int i = 0; i < 33; ++i) {
    pw::InjectMouseButton(buttons[i % 3], true, i, 100 + i);
    pw::InjectMouseButton(buttons[i % 3], false, i, 100 + i);
  }
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  const detail::WindowStateBlock& s = detail::WindowState();
  ASSERT_EQ(s.click_count, 32);
  const int codes[] = {1, 2, 4};
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(s.clicks[i].button, codes[i % 3]) << i;
    EXPECT_EQ(s.clicks[i].x, i);
    EXPECT_EQ(s.clicks[i].y, 100 + i);
  }
}

TEST_F(MainWindow, DropListKeepsAThousandNames) {
  ASSERT_EQ(CreateMainWindow(), 0);
  for (int i = 0; i < 1001; ++i) pw::InjectDropFile(("/data/" + std::to_string(i)).c_str());
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  const detail::WindowStateBlock& s = detail::WindowState();
  ASSERT_EQ(s.dropped_files.size(), 1000u);
  EXPECT_EQ(s.dropped_files.front(), "/data/0");
  EXPECT_EQ(s.dropped_files.back(), "/data/999");
  EXPECT_EQ(ClearDroppedFileList(), 0);
  EXPECT_TRUE(s.dropped_files.empty());
}

TEST_F(MainWindow, TypedCharactersPassTheControlFilter) {
  struct Case {
    int ch;
    int want;  // -1: dropped
  };
  const Case cases[] = {
      {0x20, 0x20}, {'a', 'a'}, {0x7F, 0x7F}, {0x82, 0x82}, {0xFF, 0xFF},
      {10, 13},     {13, 13},   {1, 1},       {3, 3},       {8, 8},       {9, 9},
      {0x10, 0x10}, {0x16, 0x16}, {0x18, 0x18}, {0x1B, 0x1B},
      {0, -1},      {2, -1},    {4, -1},      {7, -1},      {11, -1},     {12, -1},
      {0x11, -1},   {0x1A, -1}, {0x1C, -1},   {0x1F, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(detail::FilterTypedChar(c.ch), c.want) << c.ch;
}

TEST_F(MainWindow, KeysAndTextReachTheCharacterRing) {
  ASSERT_EQ(CreateMainWindow(), 0);
  pw::InjectText("a\xE3\x81\x82");
  pw::InjectKeyDown(pw::Key::kReturn, true);  // a line feed goes in as 13
  pw::InjectLetterKeyDown('b', true);         // control 2 is not let through
  pw::InjectLetterKeyDown('v', true);
  pw::InjectKeyDown(pw::Key::kLeft, false);
  pw::InjectKeyDown(pw::Key::kDelete, false, true);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TypedChars(), (std::vector<int>{'a', 0x82, 0xA0, 13, 0x16, 0x1D, 0x10}));
}

TEST_F(MainWindow, EditKeysWaitForRoomInTheRing) {
  ASSERT_EQ(CreateMainWindow(), 0);
  detail::CallSites().char_buffer_has_room = [] { return false; };
  pw::InjectKeyDown(pw::Key::kHome, false);
  pw::InjectText("x");
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TypedChars(), std::vector<int>{'x'});
}

TEST_F(MainWindow, ActivationChangesReachMoviesInputAndPads) {
  ASSERT_EQ(CreateMainWindow(), 0);
  detail::SubsystemHooks& cs = detail::CallSites();
  cs.resume_movie_all = [] { Calls().push_back("resume"); };
  cs.suspend_all_movies = [] { Calls().push_back("suspend"); };
  cs.reacquire_input_devices = [] { Calls().push_back("reacquire"); };
  cs.update_joypad_effects = [] { Calls().push_back("pads"); };
  struct Case {
    bool run_while_inactive;
    bool gained;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {false, false, {"suspend", "reacquire", "pads"}},
      {false, true, {"resume", "reacquire", "pads"}},
      {true, false, {"reacquire", "pads"}},
      {true, true, {"reacquire", "pads"}},
  };
  for (const Case& c : cases) {
    SetRunWhileInactive(c.run_while_inactive ? 1 : 0);
    Calls().clear();
    pw::InjectFocus(c.gained);
    if (!c.gained) pw::InjectFocus(true);  // ends the inactive wait
    EXPECT_EQ(PumpMessagesUnlocked(), 0);
    std::vector<std::string> first(Calls().begin(), Calls().begin() + std::min(Calls().size(), c.want.size()));
    EXPECT_EQ(first, c.want) << c.run_while_inactive << c.gained;
  }
}

TEST_F(MainWindow, MovesUpdateTheClientRectOutsideAModeChange) {
  ASSERT_EQ(CreateMainWindow(), 0);
  static int reapplied = 0;
  reapplied = 0;
  detail::CallSites().reapply_draw_area = [] { ++reapplied; };
  pw::InjectMoved(-15, 40);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  int rect[4] = {};
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[0], -15);
  EXPECT_EQ(rect[1], 40);
  EXPECT_EQ(rect[2], 625);
  EXPECT_EQ(rect[3], 520);
  EXPECT_EQ(reapplied, 1);
  detail::WindowState().mode_changing = 1;
  pw::InjectMoved(5, 5);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[0], -15);
  EXPECT_EQ(reapplied, 1);
}

// The client size a zoom gives a screen, as the window takes it.
void ZoomedClient(int screen_width, int screen_height, double zoom, int* width, int* height) {
  *width = TruncateDoubleToInt(screen_width * zoom);
  *height = TruncateDoubleToInt(screen_height * zoom);
}

TEST(WindowDrag, ZoomKeepsTheScreensShapeFromTheDraggedSide) {
  struct Case {
    const char* what;
    int screen_w, screen_h, from_w, from_h, to_w, to_h;
    double zoom;
    int want_w, want_h;
  };
  const Case cases[] = {
      {"right edge out", 800, 600, 800, 600, 1200, 600, 1.0, 1200, 900},
      {"left edge in", 800, 600, 800, 600, 400, 600, 1.0, 400, 300},
      {"bottom edge out", 800, 600, 800, 600, 800, 900, 1.0, 1200, 900},
      {"top edge by one row", 800, 600, 800, 600, 800, 601, 1.0, 801, 601},
      {"corner, the width changed more", 800, 600, 800, 600, 1000, 650, 1.0, 1000, 750},
      // 100 more columns are 12.5 %, 90 more rows 15 %: the height leads.
      {"corner, fewer pixels but more zoom", 800, 600, 800, 600, 900, 690, 1.0, 920, 690},
      {"corner in", 800, 600, 800, 600, 500, 500, 1.0, 500, 375},
      {"corner, a tie goes to the width", 800, 600, 800, 600, 720, 660, 1.0, 720, 540},
      {"from a zoomed size", 800, 600, 1200, 900, 1200, 750, 1.5, 1000, 750},
      {"a tall screen", 600, 800, 600, 800, 900, 800, 1.0, 900, 1200},
      {"nothing changed keeps the zoom", 800, 600, 1069, 802, 1069, 802, 1.337, 1069, 802},
      {"an empty window keeps the zoom", 800, 600, 1200, 900, 0, 900, 1.5, 1200, 900},
      {"no screen keeps the zoom", 0, 0, 800, 600, 900, 600, 1.25, 0, 0},
      {"a sliver keeps a pixel each way", 800, 600, 800, 600, 1, 600, 1.0, 1, 1},
      {"a sliver of a tall screen", 600, 800, 600, 800, 600, 1, 1.0, 1, 1},
  };
  for (const Case& c : cases) {
    const double zoom = detail::ZoomAfterDrag(c.screen_w, c.screen_h, c.from_w, c.from_h, c.to_w, c.to_h, c.zoom);
    int w = 0, h = 0;
    ZoomedClient(c.screen_w, c.screen_h, zoom, &w, &h);
    EXPECT_EQ(w, c.want_w) << c.what;
    EXPECT_EQ(h, c.want_h) << c.what;
  }
  EXPECT_EQ(detail::ZoomAfterDrag(800, 600, 800, 600, 1200, 600, 1.0), 1.5);
}

TEST(WindowDrag, ClientSizeKeepsEveryLengthDespiteRounding) {
  // A plain side / screen side times screen side falls a hair short for
  // many lengths (29 of an 800-pixel width), which truncation would turn
  // into a window one pixel short of the drag or of the screen's shape.
  const int screens[][2] = {{800, 600}, {640, 480}, {49, 37}, {1000, 750}};
  for (const auto& screen : screens) {
    const int sw = screen[0], sh = screen[1];
    for (int side = 1; side <= 3000; ++side) {
      const int64_t shaped_h = std::max<int64_t>(int64_t{side} * sh / sw, 1);
      const int64_t shaped_w = std::max<int64_t>(int64_t{side} * sw / sh, 1);
      int w = 0, h = 0;
      ZoomedClient(sw, sh, detail::ZoomAfterDrag(sw, sh, sw, sh, side, sh, 1.0), &w, &h);
      ASSERT_EQ(w, side) << "width drag on " << sw << "x" << sh;
      ASSERT_EQ(h, shaped_h) << "width drag on " << sw << "x" << sh << " to " << side;
      ZoomedClient(sw, sh, detail::ZoomAfterDrag(sw, sh, sw, sh, sw, side, 1.0), &w, &h);
      ASSERT_EQ(h, side) << "height drag on " << sw << "x" << sh;
      ASSERT_EQ(w, shaped_w) << "height drag on " << sw << "x" << sh << " to " << side;
    }
  }
}

TEST_F(MainWindow, DragSetsTheZoomAndTheWindowTakesTheScreensShapeOnceItSettles) {
  ASSERT_EQ(CreateMainWindow(), 0);  // 640 x 480 at zoom 1
  auto client_is = [](int want_w, int want_h) {
    int w = 0, h = 0;
    pw::GetClientSize(&w, &h);
    int rect[4] = {};
    GetWindowDrawRect(rect);
    EXPECT_EQ(w, want_w);
    EXPECT_EQ(h, want_h);
    EXPECT_EQ(rect[2] - rect[0], want_w);
    EXPECT_EQ(rect[3] - rect[1], want_h);
  };
  // A corner drag that arrives as two steps: much wider, then a little
  // taller. It is measured from where it started, so the width leads.
  pw::InjectUserResize(1000, 480);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.5625);
  pw::InjectUserResize(1000, 600);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.5625);
  client_is(1000, 600);  // the user's size while the drag may go on

  platform::os::AdvanceManualClock(240'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  client_is(1000, 600);
  platform::os::AdvanceManualClock(20'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  client_is(1000, 750);
  // The window's own size change starts no drag.
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(detail::WindowState().sizing, 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.5625);

  // The bottom edge sets the width.
  pw::InjectUserResize(1000, 600);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.25);
  platform::os::AdvanceManualClock(300'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  client_is(800, 600);
}

TEST_F(MainWindow, FullScreenShowsZoomOneAndWindowModeGetsItsZoomBack) {
  ASSERT_EQ(CreateMainWindow(), 0);
  pw::InjectUserResize(960, 480);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  platform::os::AdvanceManualClock(300'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  ASSERT_EQ(GetWindowZoomRatio(), 1.5);

  ASSERT_EQ(SwitchWindowedMode(0), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.0);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);  // the desktop-sized window moves no zoom
  platform::os::AdvanceManualClock(300'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.0);

  ASSERT_EQ(SwitchWindowedMode(1), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.5);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  platform::os::AdvanceManualClock(300'000);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(GetWindowZoomRatio(), 1.5);
  int w = 0, h = 0;
  pw::GetClientSize(&w, &h);
  EXPECT_EQ(w, 960);
  EXPECT_EQ(h, 720);
  int rect[4] = {};
  GetWindowDrawRect(rect);
  EXPECT_EQ(rect[2] - rect[0], 960);
  EXPECT_EQ(rect[3] - rect[1], 720);
}

TEST_F(MainWindow, DisplayChangeIsSeenAndNeverEndsTheProgram) {
  ASSERT_EQ(CreateMainWindow(), 0);
  detail::WindowState().display_change_seen = 0;
  pw::InjectDisplayChanged();
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(detail::WindowState().display_change_seen, 1);
  EXPECT_EQ(IsWindowClosing(), 0);
}

}  // namespace
}  // namespace veziv::test
