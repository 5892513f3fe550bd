// Text in the installed IPA faces at the game's sizes: the widths its
// layouts measure, and the pixels the memory road draws for a fixed face and
// size (pinned from this build's own output; the faces come from the Debian
// packages the project installs).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/fonts/text_drawing.h"

namespace veziv::test {
namespace {

using Rows = std::vector<std::string>;

class RealFonts : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    EndGraphicsSystem();  // the fonts of the fake go with it
    detail::UseRealFontRasterizer();
    StartScreen(32);
  }
};

TEST_F(RealFonts, LayoutWidthsOfTheGamesFaces) {
  const int gothic16 = CreateFontHandle(nullptr, 16, 4, FontTypeEdge, -1, -1, 0, -1, -1);  // the on-screen log
  const int gothic14 = CreateFontHandle(nullptr, 14, 4, FontTypeNormal, -1, -1, 0, -1, -1);
  const int mincho20 = CreateFontHandle("ＭＳ 明朝", 20, 9, FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  const int mincho24 = CreateFontHandle("ＭＳ 明朝", 24, 9, FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  const struct {
    int font;
    const char* text;
    int width;
  } cases[] = {
      {gothic14, "Now Loading...", 14 * 7},
      {gothic14, "あいう", 3 * 13},
      {gothic16, "ABC", 3 * (8 + 2)},  // edged: two more pixels a character
      {gothic16, "あいう", 3 * (15 + 2)},
      {mincho20, "A", 10 + 2},
      {mincho20, "終了中", 3 * (19 + 2)},
      {mincho24, "Initializing...", 15 * (12 + 2)},
      {mincho24, "ほしの渡り鳥", 6 * (23 + 2)},
  };
  for (const auto& c : cases) EXPECT_EQ(MeasureTextWithFont(c.text, -1, c.font, 0), c.width) << c.text;
}

TEST_F(RealFonts, GothicFourteenDrawsItsPinnedPixels) {
  const int font = CreateFontHandle(nullptr, 14, 4, FontTypeNormal, -1, -1, 0, -1, -1);
  ASSERT_EQ(DrawTextWithFont(1, 1, "Aあ", PackColorForScreen(255, 255, 255), font, 0, 0), 0);
  EXPECT_EQ(Picture(0, 0, 24, 13, {{0, '.'}, {0xFFFFFF, '#'}}), (Rows{"........................",  //
                                                                      "........................",  //
                                                                      "...##........#..........",  //
                                                                      "...##.......#.###.......",  //
                                                                      "...#.#....####..........",  //
                                                                      "...#.#......#..#........",  //
                                                                      "..#..#......#######.....",  //
                                                                      "..####.....##.##...#....",  //
                                                                      "..#...#...#.#.#....#....",  //
                                                                      "..#...#..#..##.....#....",  //
                                                                      ".##...#..#..#.....#.....",  //
                                                                      ".........###.#.###......",  //
                                                                      "........................"}));
}

}  // namespace
}  // namespace veziv::test
