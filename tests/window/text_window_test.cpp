// Text in the game's faces and sizes, and the on-screen log, presented in a
// real window: the display shows the software screen image pixel for pixel,
// on a 32-bit and a 16-bit screen.
#include <gtest/gtest.h>

#include "library/veziv.h"
#include "tests/window/whole_window_test_support.h"

namespace veziv::test {
namespace {

void DrawTexts(int width, int height) {
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(DrawBoxShape(0, height / 2, width, height, PackColorForScreen(40, 60, 120), 1), 0);
  const struct {
    const char* face;
    int size, thickness, type;
  } fonts[] = {
      {"ＭＳ 明朝", 20, 9, FontTypeAntialiasEdge},
      {"ＭＳ 明朝", 24, 9, FontTypeAntialiasEdge},
      {nullptr, 14, 4, FontTypeNormal},
      {nullptr, 16, 4, FontTypeEdge},
  };
  int y = 40;
  for (const auto& f : fonts) {
    const int font = CreateFontHandle(f.face, f.size, f.thickness, f.type, -1, -1, 0, -1, -1);
    ASSERT_NE(font, -1);
    ASSERT_EQ(DrawTextWithFont(10, y, "ストーリー Story 1.02 ～渡り鳥～", PackColorForScreen(255, 240, 200), font,
                               PackColorForScreen(90, 30, 0), 0),
              0);
    ASSERT_EQ(DrawTextWithFont(10, height / 2 + y, "終了中 Now Loading...", PackColorForScreen(255, 255, 255), font,
                               PackColorForScreen(0, 0, 0), 0),
              0);
    y += f.size + 12;
  }
  ASSERT_EQ(ChooseBlendMode(1, 160), 0);
  ASSERT_EQ(DrawTextDefaultFont(300, 20, "半透明の文字", PackColorForScreen(255, 255, 0), 0), 0);
  ASSERT_EQ(ChooseBlendMode(0, 0), 0);
  ASSERT_EQ(PrintfToScreen("score %d\t画面ログ\n", 1200), 0);
}

TEST_F(WindowTest, DisplayShowsTextInTheGamesFaces) {
  struct Case {
    int width, height, bits;
  };
  for (const Case c : {Case{800, 600, 32}, Case{640, 480, 16}}) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits");
    if (!Start(c.width, c.height, c.bits)) GTEST_SKIP() << "no display to open a window on";
    ASSERT_EQ(SetDefaultFontType(FontTypeAntialiasEdge), 0);
    ASSERT_EQ(SetDefaultFontFace("ＭＳ 明朝", -1), 0);
    DrawTexts(c.width, c.height);
    EXPECT_GT(LitPixels(), 2000);
    ExpectWindowShowsTheScreen();
    ClearScreenLog();
    EndLibrary();
  }
}

}  // namespace
}  // namespace veziv::test
