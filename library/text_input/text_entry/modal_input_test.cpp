// The modal string input inside the library (headless, on the fake font),
// driven by key and text events injected while its field runs: what it
// returns and writes, what the user saw, and everything put back after it.
#include "library/text_input/text_entry/modal_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"
#include "platform/window/inject.h"
#include "platform/window/text_input.h"

namespace veziv::test {
namespace {

namespace pw = platform::window;

using Step = std::function<void()>;

// The steps the pump runs, one a pass, while a field is active.
std::vector<Step>& Script() {
  static std::vector<Step> steps;
  return steps;
}

void RunScript() {
  if (Script().empty() || !detail::CallSites().key_input_field_active()) return;
  Step step = Script().front();
  Script().erase(Script().begin());
  step();
}

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class ModalInput : public LibraryOnFakeFontsTest {
 protected:
  void SetUp() override {
    LibraryOnFakeFontsTest::SetUp();
    UseFakeClipboard();
  }
  void TearDown() override {
    LibraryOnFakeFontsTest::TearDown();
    Script().clear();
    UseWindowClipboard();
    detail::ResetCallSites();
  }

  // A started library with a red picture on screen and a draw area of its own.
  void Start() {
    detail::ResetCallSites();
    detail::RegisterGraphicsWithLibrary();
    detail::RegisterFontsWithLibrary();
    detail::RegisterTextEntryWithLibrary();
    detail::CallSites().poll_midi_play_state = RunScript;
    ASSERT_EQ(SetScreenMode(kWidth, kHeight, 32, 60), 0);
    ASSERT_EQ(detail::StartLibrary(), 0);
    ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
    ASSERT_EQ(DrawBoxFilled(0, 0, kWidth, kHeight, PackColorForScreen(255, 0, 0)), 0);
    ASSERT_EQ(PresentBackBuffer(), 0);
    ASSERT_EQ(SetClipRegion(10, 10, 150, 110), 0);
    pw::ForgetPresentedFrames();
  }

  static uint32_t ScreenPixel(int x, int y) {
    const SOFTSURFACE* s = detail::Screen().image;
    uint32_t v = 0;
    std::memcpy(&v, s->pixels + y * s->base->pitch + x * 4, 4);
    return v & 0xFFFFFFu;
  }

  // What the call changes, to be found as it was after it.
  struct Before {
    int graphs = detail::GraphCount();
    int option = GetGraphCreateOptionWord();
    int hardware = GetHardwareRenderingWanted();
    int transparent[3] = {-1, -1, -1};
    Before() { GetTransparentColorRGB(&transparent[0], &transparent[1], &transparent[2]); }
  };

  void ExpectPutBack(const Before& before) {
    EXPECT_EQ(GetCurrentDrawTarget(), kTargetBackScreen);
    int area[4];
    GetClipRegion(area);
    EXPECT_EQ(area[0], 10);
    EXPECT_EQ(area[1], 10);
    EXPECT_EQ(area[2], 150);
    EXPECT_EQ(area[3], 110);
    EXPECT_EQ(GetGraphCreateOptionWord(), before.option);
    EXPECT_EQ(GetHardwareRenderingWanted(), before.hardware);
    int transparent[3] = {-1, -1, -1};
    GetTransparentColorRGB(&transparent[0], &transparent[1], &transparent[2]);
    EXPECT_EQ(transparent[0], before.transparent[0]);
    EXPECT_EQ(transparent[1], before.transparent[1]);
    EXPECT_EQ(transparent[2], before.transparent[2]);
    EXPECT_EQ(detail::GraphCount(), before.graphs);
    EXPECT_FALSE(pw::IsTextInputOn());
    for (int slot = 0; slot < detail::kTextEntrySlots; ++slot) {
      EXPECT_EQ(detail::TextEntry().table.HandleAt(slot), -1);
    }
    EXPECT_EQ(ScreenPixel(0, 0), 0xFF0000u);
    EXPECT_EQ(ScreenPixel(25, 45), 0xFF0000u);  // where the field was
  }

};

TEST_F(ModalInput, EnterEscapeAndTheWindowClosedInTheMiddle) {
  struct Case {
    const char* name;
    int cancelAllowed;
    std::vector<Step> steps;
    int result;
    std::string out;
  };
  auto text = [](const char* utf8) { return [utf8] { pw::InjectText(utf8); }; };
  auto key = [](pw::Key k) { return [k] { pw::InjectKeyDown(k, false); }; };
  const Case cases[] = {
      {"typed, erased, pasted and entered",
       0,
       {text("AB"), text("\xE5\x90\x8D\xE5\x89\x8D"),  // 名前
        key(pw::Key::kBackspace), [] { pw::InjectLetterKeyDown('v', true); }, key(pw::Key::kReturn)},
       1,
       "AB\x96\xBC" "CD"},
      {"Escape cancels", 1, {text("X"), key(pw::Key::kEscape)}, 2, "keep"},
      {"Escape does nothing without cancel", 0, {key(pw::Key::kEscape), text("Z"), key(pw::Key::kReturn)}, 1, "Z"},
      {"Enter on an empty line", 1, {key(pw::Key::kReturn)}, 1, ""},
      {"the window closed in the middle", 1, {text("A"), [] { pw::InjectWindowClose(); }}, -1, "keep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    SetTransparentColorRGB(1, 2, 3);
    const Before before;
    Clipboard().has_text = true;
    Clipboard().text = "C\x16" "D";  // a paste code inside the clipboard is no command
    Script() = c.steps;
    char out[20] = "keep";
    EXPECT_EQ(InputStringModalCore(20, 40, 19, out, c.cancelAllowed, 0, 0), c.result);
    EXPECT_EQ(std::string(out), c.out);
    EXPECT_TRUE(Script().empty());
    if (c.result != -1) {
      ExpectPutBack(before);
      // Each pass showed the frozen picture with the field over it.
      pw::PresentedFrame frame;
      ASSERT_TRUE(pw::LastPresentedFrame(&frame));
      EXPECT_EQ(frame.pixels[0] & 0xFFFFFFu, 0xFF0000u);
    }
    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_NE(ReadLog().find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << ReadLog();
  }
}

TEST_F(ModalInput, FieldIsDrawnWithTheCompositionAndTheInputMethodsWindowAtItsCursor) {
  Start();
  bool input_on = false;
  pw::ScreenRect area;
  bool area_set = false;
  pw::PresentedFrame frame;
  Script() = {[] { pw::InjectText("AB"); },
              [] { pw::InjectComposition("\xE3\x81\xAA\xE3\x81\xBE", 1); },  // なま, the cursor after な
              [] {},
              [&] {
                input_on = pw::IsTextInputOn();
                area_set = pw::LastTextInputArea(&area);
                pw::LastPresentedFrame(&frame);
                pw::InjectComposition("", 0);
                pw::InjectText("\xE3\x81\xAA\xE3\x81\xBE");
                pw::InjectKeyDown(pw::Key::kReturn, false);
              }};
  char out[20] = "";
  ASSERT_EQ(InputStringModal(20, 40, 19, out, 1), 1);
  EXPECT_STREQ(out, "AB\x82\xC8\x82\xDC");
  EXPECT_TRUE(input_on);
  // "AB" is 10 wide: the composition starts at x 30, its cursor 10 further.
  ASSERT_TRUE(area_set);
  EXPECT_EQ(area.x, 40);
  EXPECT_EQ(area.y, 40);
  EXPECT_EQ(area.height, GetDefaultFontSize());
  ASSERT_EQ(frame.width, kWidth);
  auto pixel = [&frame](int x, int y) { return frame.pixels[static_cast<size_t>(y * kWidth + x)] & 0xFFFFFFu; };
  EXPECT_EQ(pixel(30, 40), 0xFFFF00u);  // the composition's box
  EXPECT_EQ(pixel(40, 41), 0x00FFFFu);  // its cursor
  EXPECT_EQ(pixel(5, 5), 0xFF0000u);    // the frozen picture around it
  EXPECT_FALSE(pw::IsTextInputOn());
}

TEST_F(ModalInput, NoFieldToBeHadPutsEverythingBack) {
  Start();
  const int graphs = detail::GraphCount();
  std::vector<int> fields;
  for (int i = 0; i < 256; ++i) fields.push_back(CreateTextEntryHandle(4, 0, 0, 0));
  ASSERT_NE(fields.back(), -1);
  char out[8] = "keep";
  EXPECT_EQ(InputStringModal(20, 40, 7, out, 1), -1);
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(detail::GraphCount(), graphs);
  EXPECT_EQ(GetCurrentDrawTarget(), kTargetBackScreen);
  EXPECT_TRUE(pw::IsTextInputOn());  // the fields that exist keep it on
  ASSERT_EQ(DeleteTextEntryHandleAll(), 0);
  EXPECT_FALSE(pw::IsTextInputOn());
}

}  // namespace
}  // namespace veziv::test
