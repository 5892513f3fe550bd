// The message boxes the platform layer draws, on a real X display: the
// start-up question read back from the display has its Japanese text drawn
// pixel for pixel as the glyph layer renders it, the default button is
// marked and the focus moves with the keys, and keys and clicks sent through
// the X server answer the box as the player's would.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/glyphs/glyphs.h"
#include "platform/window/inject.h"
#include "platform/window/message_box.h"
#include "platform/window/message_box_paint.h"
#include "platform/window/window.h"
#include "platform/window_capture/window_capture.h"

namespace {

namespace pw = platform::window;
namespace glyphs = platform::glyphs;

// Steps run by the box's loop, one at a time: each returns true when it is
// done. A step that waits too long gives up and answers the box with an
// Escape pushed into the program's queue, so a box never outlives its test.
struct BoxScript {
  std::vector<std::function<bool(const pw::MessageBoxOnScreen&)>> steps;
  size_t next = 0;
  int passes_in_step = 0;
  bool gave_up = false;
  bool watched = false;              // the box stood on a display
  const std::string* why = nullptr;  // what the last step saw
};
BoxScript* g_script = nullptr;

void RunScript(const pw::MessageBoxOnScreen& box) {
  BoxScript& s = *g_script;
  s.watched = true;
  if (s.next < s.steps.size() && s.steps[s.next](box)) {
    ++s.next;
    s.passes_in_step = 0;
  } else if (++s.passes_in_step > 400 && !s.gave_up) {
    // About twenty seconds of the box's loop.
    s.gave_up = true;
    if (s.next < s.steps.size()) {
      ADD_FAILURE() << "step " << s.next << " of the box's script never came about: " << (s.why ? *s.why : "");
    } else {
      ADD_FAILURE() << "the box's script ended and the box was not answered";
    }
    pw::InjectKeyDown(pw::Key::kEscape, false);
  }
}

// The box's answer to the script. When the display went away before the box
// could stand on it (a virtual display another run took over and ended),
// there is nothing to check: the box fails at once, and the test is skipped.
pw::MessageBoxAnswer Show(BoxScript& script, const char* title, const char* text, pw::MessageBoxKind kind) {
  g_script = &script;
  pw::WatchMessageBoxes(RunScript);
  const pw::MessageBoxAnswer answer = pw::ShowMessageBox(title, text, kind);
  pw::WatchMessageBoxes(nullptr);
  g_script = nullptr;
  if (!script.watched && answer == pw::MessageBoxAnswer::kFailed) return answer;
  EXPECT_EQ(script.next, script.steps.size()) << "the box was answered before its script ended";
  EXPECT_FALSE(script.gave_up);
  return answer;
}

uint32_t At(const pw::WindowPixels& p, int x, int y) {
  return p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)];
}

// The glyph layer's rendering of a line in the box's text colour over its
// background, written here from the glyph layer's own bitmaps.
void RenderLineAsTheGlyphLayerDoes(glyphs::Font& font, const pw::BoxTextLine& line, pw::WindowPixels* p) {
  const int baseline = line.y + glyphs::GetFontMetrics(font).ascent;
  int pen = line.x;
  const std::string& s = line.cp932;
  for (size_t i = 0; i < s.size();) {
    uint32_t code = static_cast<unsigned char>(s[i]);
    const bool lead = (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
    if (lead && i + 1 < s.size()) code = code << 8 | static_cast<unsigned char>(s[++i]);
    ++i;
    glyphs::GlyphBox box;
    std::vector<uint8_t> bits(static_cast<size_t>(
        std::max(glyphs::RenderGlyph(font, code, glyphs::GlyphFormat::kGray, &box, nullptr, 0), 0)));
    glyphs::RenderGlyph(font, code, glyphs::GlyphFormat::kGray, &box, bits.data(), bits.size());
    const int pitch = glyphs::GlyphRowPitch(glyphs::GlyphFormat::kGray, box.width);
    for (int gy = 0; gy < box.height; ++gy) {
      for (int gx = 0; gx < box.width; ++gx) {
        const uint32_t level = bits[static_cast<size_t>(gy * pitch + gx)];
        const int x = pen + box.origin_x + gx, y = baseline - box.origin_y + gy;
        if (level == 0 || x < 0 || y < 0 || x >= p->width || y >= p->height) continue;
        uint32_t& px = p->pixels[static_cast<size_t>(y) * static_cast<size_t>(p->width) + static_cast<size_t>(x)];
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
          const uint32_t b = (px >> shift) & 0xFF, c = (pw::kBoxTextColour >> shift) & 0xFF;
          out |= ((b * (16 - level) + c * level + 8) / 16) << shift;
        }
        px = out;
      }
    }
    pen += box.advance;
  }
}

// Reads the box back until the display shows its text and the focus where
// the model has it; then the text area must equal the glyph layer's rendering.
bool TextAndFocusShown(const pw::MessageBoxOnScreen& box, int focused, std::string* mismatch) {
  *mismatch = "the focus is on " + std::to_string(box.focused);
  if (box.focused != focused) return false;
  *mismatch = "not on an X display";
  if (box.x11_display == nullptr) return false;
  pw::WindowPixels shown;
  *mismatch = "no picture from the display";
  if (!pw::CaptureX11WindowPixels(box.x11_display, box.x11_window, &shown)) return false;
  const pw::MessageBoxLayout& layout = box.layout;
  *mismatch = "a window of " + std::to_string(shown.width) + " x " + std::to_string(shown.height);
  if (shown.width != layout.width || shown.height != layout.height) return false;
  // The focused button has the focus border, the others the plain one.
  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    const pw::ScreenRect& b = layout.buttons[i];
    *mismatch = "button " + std::to_string(i) + "'s edge is " + std::to_string(At(shown, b.x, b.y + b.height / 2));
    if ((At(shown, b.x, b.y + b.height / 2) == 0x0078D7) != (static_cast<int>(i) == focused)) return false;
  }
  pw::MessageBoxFonts fonts;
  pw::WindowPixels expected;
  expected.width = shown.width;
  expected.height = shown.height;
  expected.pixels.assign(shown.pixels.size(), pw::kBoxBackground);
  int top = shown.height, bottom = 0, left = shown.width;
  for (const pw::BoxTextLine& line : layout.lines) {
    RenderLineAsTheGlyphLayerDoes(fonts.text(), line, &expected);
    top = std::min(top, line.y);
    bottom = std::max(bottom, line.y + glyphs::GetFontMetrics(fonts.text()).height);
    left = std::min(left, line.x);
  }
  int dark = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left - 4; x < shown.width; ++x) {
      if (At(shown, x, y) != At(expected, x, y)) {
        *mismatch = "at " + std::to_string(x) + "," + std::to_string(y) + ": shown " + std::to_string(At(shown, x, y)) +
                    ", the glyph layer " + std::to_string(At(expected, x, y));
        return false;
      }
      dark += (At(expected, x, y) & 0xFF) < 0x60;
    }
  }
  // Strokes of real characters, not an empty or a blank line.
  *mismatch = std::to_string(dark) + " dark pixels";
  return dark > 200;
}

class MessageBoxWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (getenv("DISPLAY") == nullptr || pw::IsHeadless() || !pw::CanOpenXDisplay()) {
      GTEST_SKIP() << "no display to open a window on";
    }
  }
  void TearDown() override {
    if (!pw::HasWindow()) pw::StopVideo();
  }
};

// The start-up question: read back, Japanese drawn as the glyph layer draws
// it, the default button marked, then answered by keys in three ways.
TEST_F(MessageBoxWindow, TheStartUpQuestionReadsAndAnswersByKeys) {
  const char* title = "スクリーン設定";
  const char* text = "フルスクリーンモードで起動しますか？\n(フルスクリーン推奨)";
  std::string mismatch;
  auto shows = [&mismatch](int focused) {
    return [&mismatch, focused](const pw::MessageBoxOnScreen& box) { return TextAndFocusShown(box, focused, &mismatch); };
  };
  auto key = [](unsigned long keysym) {
    return [keysym](const pw::MessageBoxOnScreen& box) {
      EXPECT_TRUE(pw::SendX11Key(box.x11_display, box.x11_window, keysym));
      return true;
    };
  };
  struct Case {
    const char* name;
    std::vector<std::function<bool(const pw::MessageBoxOnScreen&)>> steps;
    pw::MessageBoxAnswer answer;
  };
  const std::vector<Case> cases = {
      {"Return takes the default", {shows(0), key(XK_Return)}, pw::MessageBoxAnswer::kYes},
      {"Right moves to No", {shows(0), key(XK_Right), shows(1), key(XK_Return)}, pw::MessageBoxAnswer::kNo},
      {"Tab goes round the row", {shows(0), key(XK_Tab), shows(1), key(XK_Tab), shows(0), key(XK_space)},
       pw::MessageBoxAnswer::kYes},
      {"Escape is No", {shows(0), key(XK_Escape)}, pw::MessageBoxAnswer::kNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoxScript script;
    script.why = &mismatch;
    script.steps = c.steps;
    const pw::MessageBoxAnswer answer = Show(script, title, text, pw::MessageBoxKind::kYesNo);
    if (!script.watched) GTEST_SKIP() << "the display went away";
    EXPECT_EQ(answer, c.answer) << mismatch;
    if (HasFailure()) {
      ADD_FAILURE() << "last difference from the glyph layer's rendering: " << mismatch;
      return;
    }
  }
}

TEST_F(MessageBoxWindow, AClickAnswersAndALongTextIsWrappedInTheBox) {
  std::string text = "ステージのデータが見つかりません。";
  for (int i = 0; i < 6; ++i) text += "ゲームを再インストールしてください。";
  size_t lines = 0;
  std::string mismatch;
  BoxScript script;
  script.why = &mismatch;
  script.steps = {[&](const pw::MessageBoxOnScreen& box) {
                    lines = box.layout.lines.size();
                    return TextAndFocusShown(box, 0, &mismatch);
                  },
                  [](const pw::MessageBoxOnScreen& box) {
                    const pw::ScreenRect& ok = box.layout.buttons[0];
                    EXPECT_TRUE(
                        pw::SendX11Click(box.x11_display, box.x11_window, ok.x + ok.width / 2, ok.y + ok.height / 2));
                    return true;
                  }};
  const pw::MessageBoxAnswer answer = Show(script, "ファイルエラー", text.c_str(), pw::MessageBoxKind::kOk);
  if (!script.watched) GTEST_SKIP() << "the display went away";
  EXPECT_EQ(answer, pw::MessageBoxAnswer::kOk) << mismatch;
  EXPECT_GT(lines, 2u);

  // On a Yes/No box a click on No answers No, whatever has the focus.
  BoxScript no;
  no.why = &mismatch;
  no.steps = {[&](const pw::MessageBoxOnScreen& box) { return TextAndFocusShown(box, 0, &mismatch); },
              [](const pw::MessageBoxOnScreen& box) {
                const pw::ScreenRect& b = box.layout.buttons[1];
                EXPECT_TRUE(pw::SendX11Click(box.x11_display, box.x11_window, b.x + 5, b.y + 5));
                return true;
              }};
  const pw::MessageBoxAnswer no_answer = Show(no, "スクリーン設定", "質問", pw::MessageBoxKind::kYesNo);
  if (!no.watched) GTEST_SKIP() << "the display went away";
  EXPECT_EQ(no_answer, pw::MessageBoxAnswer::kNo) << mismatch;
}

}  // namespace
