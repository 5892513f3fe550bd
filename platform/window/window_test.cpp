// The window on SDL's dummy driver: full screen and back, mouse mapping,
// clipboard, message boxes and the desktop mode.
#include "platform/window/window.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/window/events.h"
#include "platform/window/inject.h"
#include "platform/window/message_box.h"
#include "platform/window/text_input.h"

namespace platform::window {
namespace {

class Window : public ::testing::Test {
 protected:
  void TearDown() override { StopVideo(); }
};

TEST_F(Window, OpensOnceAndClosesCleanly) {
  EXPECT_FALSE(HasWindow());
  EXPECT_EQ(WindowIdentity(), nullptr);
  ASSERT_TRUE(OpenWindow("\x95\x5C", kCentred, kCentred, 800, 600, false));
  EXPECT_TRUE(HasWindow());
  EXPECT_NE(WindowIdentity(), nullptr);
  EXPECT_FALSE(OpenWindow("again", 0, 0, 800, 600, false));
  int w = 0, h = 0;
  GetClientSize(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  CloseWindow();
  EXPECT_FALSE(HasWindow());
  CloseWindow();
}

TEST_F(Window, FullScreenCoversTheDesktopAndMapsTheMouseToTheScreen) {
  DesktopMode desk = GetDesktopMode();
  ASSERT_GT(desk.width, 0);
  ASSERT_TRUE(OpenWindow("fs", kCentred, kCentred, 800, 600, false));
  SetLogicalScreenSize(800, 600);
  EXPECT_FALSE(IsFullScreen());
  ASSERT_TRUE(SetFullScreen(true));
  EXPECT_TRUE(IsFullScreen());
  int w = 0, h = 0;
  GetClientSize(&w, &h);
  EXPECT_EQ(w, desk.width);
  EXPECT_EQ(h, desk.height);

  // The centre of the desktop is the centre of the screen.
  InjectMouseMotion(desk.width / 2, desk.height / 2);
  std::vector<Message> m;
  while (PollMessages(&m)) {
  }
  int x = 0, y = 0;
  ReadMouse(&x, &y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);

  ASSERT_TRUE(SetFullScreen(false));
  EXPECT_FALSE(IsFullScreen());
  SetClientSize(800, 600);
  GetClientSize(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  ReadMouse(&x, &y);  // window mode: client pixels as they are
  EXPECT_EQ(x, desk.width / 2);
}

TEST_F(Window, TextInputSwitchesAndItsAreaFollowsTheZoomAndTheLetterbox) {
  EXPECT_FALSE(IsTextInputOn());  // no video yet
  SetTextInputOn(true);
  ASSERT_TRUE(OpenWindow("ime", kCentred, kCentred, 640, 480, false));
  SetLogicalScreenSize(320, 240);
  SetTextInputOn(false);
  EXPECT_FALSE(IsTextInputOn());
  SetTextInputOn(true);
  EXPECT_TRUE(IsTextInputOn());

  // The window shows the 320 x 240 screen zoomed 2 times.
  ScreenRect area;
  EXPECT_FALSE(LastTextInputArea(&area));
  SetTextInputArea(10, 20, 1, 16);
  ASSERT_TRUE(LastTextInputArea(&area));
  EXPECT_EQ(area.x, 20);
  EXPECT_EQ(area.y, 40);
  EXPECT_EQ(area.width, 2);
  EXPECT_EQ(area.height, 32);

  // A window wider than the screen's shape shows it with bars at the sides.
  SetClientSize(800, 480);
  SetTextInputArea(10, 20, 1, 16);
  ASSERT_TRUE(LastTextInputArea(&area));
  EXPECT_EQ(area.x, 80 + 20);
  EXPECT_EQ(area.y, 40);

  CloseWindow();
  EXPECT_FALSE(LastTextInputArea(&area));
}

TEST_F(Window, DesktopDepthCountsStoredBitsNotColourBits) {
  DesktopMode desk = GetDesktopMode();
  EXPECT_EQ(desk.bits_per_pixel, 32);
}

TEST_F(Window, ClipboardKeepsCp932TextThroughUtf8) {
  std::string text;
  ASSERT_TRUE(SetClipboardText("abc\x95\x5C\x81\x60"));
  ASSERT_TRUE(GetClipboardText(&text));
  EXPECT_EQ(text, "abc\x95\x5C\x81\x60");
  ASSERT_TRUE(SetClipboardText(""));
  EXPECT_FALSE(GetClipboardText(&text));
  EXPECT_TRUE(text.empty());
}

TEST_F(Window, MessageBoxesConvertTheirTextsAndAnswerFromTheScript) {
  ShownMessageBox box;
  EXPECT_EQ(ShowMessageBox("t", "q", MessageBoxKind::kYesNo), MessageBoxAnswer::kNo);
  EXPECT_EQ(ShowMessageBox("t", "q", MessageBoxKind::kOk), MessageBoxAnswer::kOk);
  ScriptMessageBoxAnswer(MessageBoxAnswer::kYes);
  ScriptMessageBoxAnswer(MessageBoxAnswer::kNo);
  EXPECT_EQ(ShowMessageBox("\x95\x5C", "\x82\xA0\x81\x60", MessageBoxKind::kYesNo), MessageBoxAnswer::kYes);
  ASSERT_TRUE(LastShownMessageBox(&box));
  EXPECT_EQ(box.title_utf8, "\xE8\xA1\xA8");
  EXPECT_EQ(box.text_utf8, "\xE3\x81\x82\xEF\xBD\x9E");
  EXPECT_EQ(box.kind, MessageBoxKind::kYesNo);
  EXPECT_EQ(ShowMessageBox("t", "q", MessageBoxKind::kYesNo), MessageBoxAnswer::kNo);
}

TEST_F(Window, CursorChangesAreCounted) {
  ASSERT_TRUE(OpenWindow("cursor", kCentred, kCentred, 320, 240, false));
  int before = CursorChangeCount();
  ShowSystemCursor(false);
  ShowSystemCursor(true);
  EXPECT_EQ(CursorChangeCount(), before + 2);
}

TEST_F(Window, MemoryStatusIsPlausible) {
  MemoryStatus m = QueryMemoryStatus();
  EXPECT_GT(m.total, 0u);
  EXPECT_LE(m.available, m.total);
}

}  // namespace
}  // namespace platform::window
