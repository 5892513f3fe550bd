// Text in the installed IPA faces at the game's sizes: the widths its
// layouts measure, the pixels the memory road draws for a fixed face and
// size (pinned from this build's own output; the faces come from the Debian
// packages the project installs), and the long-vowel mark drawn whole.
#include <gtest/gtest.h>

#include <algorithm>
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

// The long-vowel mark is one bar across its cell in every face and size the
// game draws with: every column inside the bar holds at least a third of a
// full pixel of ink (a gap between two dashes holds a sixteenth or so), alone
// and between neighbours. The edge is drawn in the background's black, so
// only the body counts.
TEST_F(RealFonts, LongVowelMarkIsOneUnbrokenBar) {
  StartScreen(32, 128, 48);
  const struct {
    const char* face;
    int size, thickness, type;
  } fonts[] = {
      {nullptr, 14, 4, FontTypeNormal},          {nullptr, 16, 4, FontTypeEdge},
      {"ＭＳ 明朝", 18, 6, FontTypeAntialiasEdge}, {"ＭＳ 明朝", 20, 9, FontTypeAntialiasEdge},
      {"ＭＳ 明朝", 22, 9, FontTypeAntialiasEdge}, {"ＭＳ 明朝", 24, 9, FontTypeAntialiasEdge},
      {"ＭＳ 明朝", 20, 9, FontTypeAntialias},     {"ＭＳ 明朝", 17, 4, FontTypeAntialias},
      {nullptr, 18, 4, FontTypeAntialias},
  };
  const struct {
    const char* text;
    const char* before;  // what comes before the mark
  } texts[] = {{"ー", ""}, {"セーブ", "セ"}, {"レーザー", "レーザ"}};
  for (const auto& f : fonts) {
    const int font = CreateFontHandle(f.face, f.size, f.thickness, f.type, -1, -1, 0, -1, -1);
    ASSERT_NE(font, -1);
    for (const auto& t : texts) {
      SCOPED_TRACE(std::string(f.face != nullptr ? "Mincho " : "Gothic ") + std::to_string(f.size) + " type " +
                   std::to_string(f.type) + " in " + t.text);
      ClearScreen();
      ASSERT_EQ(DrawTextWithFont(2, 2, t.text, PackColorForScreen(255, 255, 255), font, PackColorForScreen(0, 0, 0), 0),
                0);
      // The mark's advance: the columns from the pen before it to the pen after it.
      const int left = 2 + MeasureTextWithFont(t.before, -1, font, 0);
      const int right = left + MeasureTextWithFont("ー", -1, font, 0);
      ASSERT_LE(right, 128);
      std::vector<int> ink;
      for (int x = left; x < right; ++x) {
        int sum = 0;
        for (int y = 0; y < 48; ++y) sum += int(Pixel(x, y) >> 8 & 0xFF);
        ink.push_back(sum);
      }
      const auto first = std::find_if(ink.begin(), ink.end(), [](int v) { return v > 0; });
      const auto last = std::find_if(ink.rbegin(), ink.rend(), [](int v) { return v > 0; }).base();
      ASSERT_GE(last - first, f.size / 2) << "no bar drawn";
      // The two columns at each end may thin out, as a brush stroke does.
      std::string columns, weak;
      for (auto it = first; it != last; ++it) {
        columns += std::to_string(*it) + " ";
        if (it >= first + 2 && it < last - 2 && *it * 3 < 255) weak += std::to_string(it - first) + " ";
      }
      EXPECT_EQ(weak, "") << "the bar's ink column by column: " << columns;
    }
  }
}

}  // namespace
}  // namespace veziv::test
