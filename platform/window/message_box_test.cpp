// The drawn message box apart from its window: the answers keys and clicks
// give, the text wrapped to the box, the layout, and the picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/charset.h"
#include "platform/window/message_box_model.h"
#include "platform/window/message_box_paint.h"

namespace platform::window {
namespace {

using Answer = MessageBoxAnswer;

std::string Cp932(const char* utf8) { return os::Utf8ToCp932(utf8); }

TEST(MessageBoxModel, KeysAndClicksGiveTheAnswersOfEachKind) {
  struct Case {
    MessageBoxKind kind;
    std::vector<BoxKey> keys;
    Answer answer;
  };
  using K = BoxKey;
  const Case cases[] = {
      {MessageBoxKind::kYesNo, {K::kReturn}, Answer::kYes},  // Yes is the default
      {MessageBoxKind::kYesNo, {K::kSpace}, Answer::kYes},
      {MessageBoxKind::kYesNo, {K::kEscape}, Answer::kNo},  // as closing the box
      {MessageBoxKind::kYesNo, {K::kRight, K::kReturn}, Answer::kNo},
      {MessageBoxKind::kYesNo, {K::kTab, K::kReturn}, Answer::kNo},
      {MessageBoxKind::kYesNo, {K::kTab, K::kTab, K::kReturn}, Answer::kYes},  // round the row
      {MessageBoxKind::kYesNo, {K::kLeft, K::kReturn}, Answer::kNo},
      {MessageBoxKind::kYesNo, {K::kShiftTab, K::kShiftTab, K::kReturn}, Answer::kYes},
      {MessageBoxKind::kYesNo, {K::kDown, K::kUp, K::kUp, K::kSpace}, Answer::kNo},
      {MessageBoxKind::kYesNo, {K::kRight, K::kEscape}, Answer::kNo},
      {MessageBoxKind::kOk, {K::kReturn}, Answer::kOk},
      {MessageBoxKind::kOk, {K::kTab, K::kRight, K::kSpace}, Answer::kOk},
      {MessageBoxKind::kOk, {K::kEscape}, Answer::kOk},
  };
  for (const Case& c : cases) {
    MessageBoxModel model(c.kind);
    std::optional<Answer> answer;
    for (size_t i = 0; i < c.keys.size(); ++i) {
      ASSERT_FALSE(answer) << "answered before its last key";
      answer = model.Key(c.keys[i]);
    }
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, c.answer);
  }
  EXPECT_EQ(MessageBoxModel(MessageBoxKind::kYesNo).Close(), Answer::kNo);
  EXPECT_EQ(MessageBoxModel(MessageBoxKind::kOk).Close(), Answer::kOk);

  // A click answers when let go over the button it pressed; a press moves the focus.
  MessageBoxModel model(MessageBoxKind::kYesNo);
  EXPECT_FALSE(model.MouseDown(1));
  EXPECT_EQ(model.focused(), 1);
  EXPECT_EQ(model.pressed(), 1);
  EXPECT_FALSE(model.MouseUp(0));  // slid off to another button: nothing
  EXPECT_EQ(model.pressed(), -1);
  EXPECT_FALSE(model.MouseDown(-1));
  EXPECT_FALSE(model.MouseUp(-1));
  EXPECT_FALSE(model.MouseDown(1));
  EXPECT_EQ(model.MouseUp(1), Answer::kNo);
  EXPECT_FALSE(model.MouseUp(1));  // a release without a press
}

class MessageBoxText : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fonts_.ok()) << "no IPA Gothic font file"; }
  MessageBoxFonts fonts_;
};

TEST_F(MessageBoxText, LongTextIsWrappedToTheBoxAndLosesNothing) {
  struct Case {
    const char* utf8;
    const char* joined;  // the lines put back together with '|'
  };
  const Case cases[] = {
      {"", ""},
      {"短い文", "短い文"},
      {"一行目\n二行目\r\n\n四行目", "一行目|二行目||四行目"},
      // Latin words break after a blank, which goes with the break.
      {"aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn oooo pppp qqqq rrrr ssss tttt",
       nullptr},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = WrapBoxText(fonts_.text(), Cp932(c.utf8), kBoxMaxTextWidth);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) joined += (i > 0 ? "|" : "") + lines[i];
    if (c.joined != nullptr) {
      EXPECT_EQ(joined, Cp932(c.joined)) << c.utf8;
    }
  }
  // Japanese without blanks: broken between characters, every line within
  // the width, no character lost, and no line begins with a closing mark.
  std::string text;
  for (int i = 0; i < 12; ++i) text += Cp932("ゲームを再インストールしてください。");
  const std::vector<std::string> lines = WrapBoxText(fonts_.text(), text, kBoxMaxTextWidth);
  ASSERT_GT(lines.size(), 3u);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(BoxTextWidth(fonts_.text(), line), kBoxMaxTextWidth + BoxTextWidth(fonts_.text(), Cp932("。")));
    EXPECT_NE(line.rfind(Cp932("。"), 0), 0u) << os::Cp932ToUtf8(line);
    EXPECT_NE(line.rfind(Cp932("、"), 0), 0u) << os::Cp932ToUtf8(line);
    joined += line;
  }
  EXPECT_EQ(joined, text);
  const std::vector<std::string> latin =
      WrapBoxText(fonts_.text(), Cp932(cases[3].utf8), kBoxMaxTextWidth);
  ASSERT_GT(latin.size(), 1u);
  std::string words;
  for (const std::string& line : latin) {
    EXPECT_LE(BoxTextWidth(fonts_.text(), line), kBoxMaxTextWidth);
    EXPECT_NE(line.front(), ' ');
    EXPECT_NE(line.back(), ' ');
    words += (words.empty() ? "" : " ") + line;
  }
  EXPECT_EQ(words, cases[3].utf8);
}

TEST_F(MessageBoxText, LayoutHoldsTheTextTheButtonsAndTheKeyLineApart) {
  for (MessageBoxKind kind : {MessageBoxKind::kYesNo, MessageBoxKind::kOk}) {
    const std::string text = Cp932("フルスクリーンモードで起動しますか？\n(フルスクリーン推奨)");
    const MessageBoxLayout layout = LayOutMessageBox(fonts_, text, kind);
    ASSERT_EQ(layout.lines.size(), 2u);
    ASSERT_EQ(layout.buttons.size(), MessageBoxButtons(kind).size());
    const int cell = glyphs::GetFontMetrics(fonts_.text()).height;
    const int text_bottom = layout.lines.back().y + cell;
    for (const BoxTextLine& line : layout.lines) {
      EXPECT_GE(line.x, layout.icon.x + layout.icon.width);
      EXPECT_LE(line.x + BoxTextWidth(fonts_.text(), line.cp932), layout.width);
    }
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
      const ScreenRect& b = layout.buttons[i];
      EXPECT_GT(b.y, text_bottom);
      EXPECT_GE(b.x, 0);
      EXPECT_LE(b.x + b.width, layout.width);
      if (i > 0) {
        EXPECT_GT(b.x, layout.buttons[i - 1].x + layout.buttons[i - 1].width);
      }
      EXPECT_EQ(ButtonAt(layout, b.x + b.width / 2, b.y + b.height / 2), static_cast<int>(i));
      EXPECT_EQ(ButtonAt(layout, b.x - 1, b.y), -1);
    }
    EXPECT_EQ(ButtonAt(layout, 0, 0), -1);
    EXPECT_GT(layout.hint.y, layout.buttons[0].y + layout.buttons[0].height);
    EXPECT_LE(layout.hint.y + glyphs::GetFontMetrics(fonts_.small()).height, layout.height);
  }
}

TEST_F(MessageBoxText, ThePictureMarksTheFocusedButtonOnly) {
  const MessageBoxLayout layout = LayOutMessageBox(fonts_, Cp932("質問"), MessageBoxKind::kYesNo);
  MessageBoxModel model(MessageBoxKind::kYesNo);
  auto left_edge = [&](const BoxPicture& p, int button) {
    const ScreenRect& b = layout.buttons[button];
    return p.pixels[static_cast<size_t>(b.y + b.height / 2) * static_cast<size_t>(p.width) + static_cast<size_t>(b.x)];
  };
  BoxPicture picture;
  PaintMessageBox(fonts_, layout, MessageBoxKind::kYesNo, model, &picture);
  ASSERT_EQ(picture.width, layout.width);
  ASSERT_EQ(picture.height, layout.height);
  const uint32_t focused = left_edge(picture, 0), plain = left_edge(picture, 1);
  EXPECT_NE(focused, plain);
  model.Key(BoxKey::kRight);
  PaintMessageBox(fonts_, layout, MessageBoxKind::kYesNo, model, &picture);
  EXPECT_EQ(left_edge(picture, 0), plain);
  EXPECT_EQ(left_edge(picture, 1), focused);
  // The text is there: dark pixels where the first line is drawn.
  int dark = 0;
  const BoxTextLine& line = layout.lines[0];
  for (int y = line.y; y < line.y + 20; ++y) {
    for (int x = line.x; x < line.x + BoxTextWidth(fonts_.text(), line.cp932); ++x) {
      dark += (picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)] &
               0xFF) < 0x80;
    }
  }
  EXPECT_GT(dark, 40);
}

}  // namespace
}  // namespace platform::window
