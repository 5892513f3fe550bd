// Strings measured and drawn on the memory road with the fake font: byte
// counts, spacing and the box of text that runs down; pixels of the one-bit
// and edged types on 32- and 16-bit screens, in the draw brightness, cut to
// the draw area, blended through the work image, and turned for text that
// runs down; the smoothed types through the work image with alpha; the
// formatted calls cut at 2048 bytes; and what refuses to draw.
#include "library/text_input/fonts/text_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/graphics/graphs/drawing_calls.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/fonts/text_roads.h"

namespace veziv::test {
namespace {

using Rows = std::vector<std::string>;

class TextDrawing : public LetterTextTest {
 protected:
  int Font(int type, int edge = -1) { return CreateFontHandle(nullptr, 16, 6, type, -1, edge, 0, -1, -1); }
};

TEST_F(TextDrawing, MeasuresCountBytesSpacingAndTheBoxOfTextThatRunsDown) {
  const int font = Font(0);
  EXPECT_EQ(MeasureTextWithFont("ABC", 2, font, 0), 4 + 5);  // B and C are the fake's plain boxes
  EXPECT_EQ(MeasureTextWithFont("ABC", -1, font, 0), 4 + 5 + 5);
  EXPECT_EQ(MeasureTextWithFont("ABC", 100, font, 0), 14);
  EXPECT_EQ(MeasureTextWithFont("あいA", 4, font, 0), 20);  // a double-byte character counts two bytes
  EXPECT_EQ(MeasureTextWithFont("", -1, font, 0), 0);
  EXPECT_EQ(MeasureTextWithFont(nullptr, -1, font, 0), 0);
  EXPECT_EQ(MeasureTextWithFont("A", -1, font + 1, 0), -1);
  ASSERT_EQ(SetFontCharSpacing(2, font), 0);
  EXPECT_EQ(MeasureTextWithFont("AL", -1, font, 0), (4 + 2) * 2);
  int size[2] = {0, 0};
  EXPECT_EQ(ProcessTextWithFont(0, 0, 0, 0, 1.0, 1.0, "AL", 0, nullptr, nullptr, 0, font, 0, -1, 0, size), 12);
  EXPECT_EQ(size[0], 12);
  EXPECT_EQ(size[1], 12);  // the glyph height
  EXPECT_EQ(ProcessTextWithFont(0, 0, 0, 0, 1.0, 1.0, "ALA", 0, nullptr, nullptr, 0, font, 0, -1, 1, size), 18);
  EXPECT_EQ(size[0], 12);  // down: the glyph height is the width
  EXPECT_EQ(size[1], 18);
  // Edged fonts advance by twice the edge more.
  EXPECT_EQ(MeasureTextWithFont("AL", -1, Font(FontTypeEdge, 2), 0), 8 + 8);
  EndGraphicsSystem();
  EXPECT_EQ(MeasureTextWithFont("AL", -1, font, 0), -1);
}

TEST_F(TextDrawing, OneBitGlyphsLandAtTheirOffsetsInTheTextColour) {
  const int font = Font(FontTypeNormal);
  ASSERT_EQ(DrawTextWithFont(2, 3, "AL", white_, font, 0, 0), 0);
  EXPECT_EQ(Picture(2, 3, 9, 6, {{0, '.'}, {0xFFFFFF, '#'}}), (Rows{".#.......",  //
                                                                     "#.#......",  //
                                                                     "###..#...",  //
                                                                     "#.#..#...",  //
                                                                     ".....###.",  //
                                                                     "........."}));
  // The draw brightness tints the colour; the draw area cuts the string.
  ClearScreen();
  ASSERT_EQ(SetDrawColorScale(128, 255, 0), 0);
  ASSERT_EQ(SetClipRegion(0, 0, 4, 64), 0);
  ASSERT_EQ(DrawTextWithFont(2, 3, "AL", white_, font, 0, 0), 0);
  EXPECT_EQ(Picture(2, 3, 9, 4, {{0, '.'}, {0x80FF00, '#'}}), (Rows{".#.......",  //
                                                                     "#........",  //
                                                                     "##.......",  //
                                                                     "#........"}));
}

TEST_F(TextDrawing, EdgedGlyphsCarryTheirEdgeAndAdvanceByIt) {
  const int font = Font(FontTypeEdge);
  ASSERT_EQ(DrawTextWithFont(2, 3, "AL", white_, font, red_, 0), 0);
  EXPECT_EQ(Picture(2, 3, 12, 7, {{0, '.'}, {0xFFFFFF, '#'}, {0xFF0000, 'o'}}), (Rows{"..o.........",  //
                                                                                       ".o#o........",  //
                                                                                       "o#o#o...o...",  //
                                                                                       "o###o..o#o..",  //
                                                                                       "o#o#o..o#oo.",  //
                                                                                       ".o.o...o###o",  //
                                                                                       "........ooo."}));
}

TEST_F(TextDrawing, SixteenBitScreensTakeTwoBytePixels) {
  StartScreen(16);
  const int font = Font(FontTypeNormal);
  ASSERT_EQ(DrawTextWithFont(0, 0, "A", PackColorForScreen(255, 0, 255), font, 0, 0), 0);
  EXPECT_EQ(Picture(0, 0, 4, 4, {{0, '.'}, {0xF81F, '#'}}), (Rows{".#..", "#.#.", "###.", "#.#."}));
}

TEST_F(TextDrawing, TextThatRunsDownIsTurnedAQuarterClockwise) {
  const int font = Font(FontTypeNormal);
  ASSERT_EQ(DrawTextWithFont(20, 2, "L", white_, font, 0, 1), 0);
  // The box: x from 20 + (12 - 2) - 3 to 30, y from 2 + 1 to 2 + 1 + 3.
  EXPECT_EQ(Picture(26, 2, 5, 5, {{0, '.'}, {0xFFFFFF, '#'}}), (Rows{".....",  //
                                                                     ".###.",  //
                                                                     ".#...",  //
                                                                     ".#...",  //
                                                                     "....."}));
}

TEST_F(TextDrawing, BlendedTextGoesThroughTheWorkImageAsOnePicture) {
  const int font = Font(FontTypeNormal);
  // The colour a blended white pixel takes, by the renderer's own rule.
  ASSERT_EQ(ChooseBlendMode(1, 128), 0);
  ASSERT_EQ(DrawBoxShape(60, 60, 61, 61, white_, 1), 0);
  const uint32_t half = Pixel(60, 60);
  ASSERT_NE(half, 0u);
  ASSERT_NE(half, 0xFFFFFFu);
  ASSERT_EQ(DrawTextWithFont(2, 3, "A", white_, font, 0, 0), 0);
  EXPECT_EQ(Picture(2, 3, 4, 4, {{0, '.'}, {half, '#'}}), (Rows{".#..", "#.#.", "###.", "#.#."}));

  // Black text on white: the work image's transparent colour steps aside.
  SoftSurfaceFillRaw(Screen(), nullptr, 0xFFFFFF);
  ASSERT_EQ(DrawTextWithFont(2, 3, "A", PackColorForScreen(0, 0, 0), font, 0, 0), 0);
  const uint32_t dark = Pixel(3, 3);
  EXPECT_NE(dark, 0xFFFFFFu);
  EXPECT_EQ(Picture(2, 3, 4, 4, {{0xFFFFFF, '.'}, {dark, '#'}}), (Rows{".#..", "#.#.", "###.", "#.#."}));
}

// A blended string wider than the screen that starts left of it: the part
// that lands on the screen is drawn, its last letter where it belongs.
TEST_F(TextDrawing, BlendedTextWiderThanTheScreenShowsWhatLandsOnIt) {
  const int font = Font(FontTypeNormal);
  ASSERT_EQ(ChooseBlendMode(1, 128), 0);
  ASSERT_EQ(DrawBoxShape(60, 60, 61, 61, white_, 1), 0);
  const uint32_t half = Pixel(60, 60);
  const std::string text(40, 'A');
  const int width = MeasureTextWithFont(text.c_str(), -1, font, 0);
  const int advance = MeasureTextWithFont("A", -1, font, 0);
  ASSERT_GT(width, 2 * 64);
  const int end = 40;  // the string's right end, on the screen
  ASSERT_EQ(DrawTextWithFont(end - width, 3, text.c_str(), white_, font, 0, 0), 0);
  EXPECT_EQ(Picture(end - advance, 3, 4, 4, {{0, '.'}, {half, '#'}}), (Rows{".#..", "#.#.", "###.", "#.#."}));
  EXPECT_EQ(Picture(end, 3, 4, 4, {{0, '.'}, {half, '#'}}), (Rows{"....", "....", "....", "...."}));
}

TEST_F(TextDrawing, SmoothedGlyphsAreBlendedByTheirLevels) {
  for (const int type : {FontTypeAntialias, FontTypeAntialiasEdge}) {
    SCOPED_TRACE(type);
    ClearScreen();
    const int font = Font(type);
    const int e = type & 1;
    ASSERT_EQ(DrawTextWithFont(1, 1, "g", white_, font, 0, 0), 0);
    // Full levels are the text colour; the level below the first is lost with
    // the cache's sixteen steps; the others lie between.
    EXPECT_EQ(Pixel(1 + e, 1 + e), 0xFFFFFFu);
    EXPECT_EQ(Pixel(2 + e, 2 + e), 0xFFFFFFu);
    EXPECT_EQ(Pixel(3 + e, 1 + e), 0u);
    EXPECT_EQ(Pixel(3 + e, 2 + e), 0u);
    const uint32_t eight = Pixel(2 + e, 1 + e), four = Pixel(1 + e, 2 + e);
    for (const uint32_t v : {eight, four}) {
      EXPECT_GT(v & 0xFF, 0u);
      EXPECT_LT(v & 0xFF, 0xFFu);
      EXPECT_EQ(v, (v & 0xFF) * 0x010101u);  // grey
    }
    EXPECT_GT(eight & 0xFF, four & 0xFF);
    DeleteFontHandle(font);
  }
}

TEST(TextSmoothing, CellPixelsMixTextAndEdge) {
  const struct {
    int cell;
    bool edged, sixteen;
    uint32_t text, edge, colour;
    int alpha;
  } cases[] = {
      {0x00, true, false, 0xFFFFFF, 0xFF0000, 0, 0},             // nothing
      {0x80, true, false, 0xFFFFFF, 0xFF0000, 0xFF0000, 128},    // edge alone
      {0x8F, true, false, 0xFFFFFF, 0xFF0000, 0xFFFFFF, 255},    // full body
      {0x08, true, false, 0x123456, 0, 0x123456, 128},           // body alone keeps its colour
      {0xF8, true, false, 0xFFFFFF, 0, 0x8B8B8B, 233},           // 7 x 15 + 128; 255 x 140 / 256
      {0xF4, true, false, 0, 0xFF0000, 0xB90000, 229},           // falling channels truncate toward the edge
      {0xF8, false, false, 0xFFFFFF, 0, 0xFFFFFF, 128},          // no edge: the high nibble is not read
      {0xF8, true, true, 0xFFFF, 0, 0x8450, 233},                // 5, 6 and 5 bits: 16, 34, 16
  };
  for (const auto& c : cases) {
    const detail::MixedPixel m = detail::MixAntialiasPixel(c.cell, c.edged, c.text, c.edge, c.sixteen);
    EXPECT_EQ(m.colour, c.colour) << std::hex << c.cell;
    EXPECT_EQ(m.alpha, c.alpha) << std::hex << c.cell;
  }
}

TEST_F(TextDrawing, FormattedTextIsCutAt2048BytesBetweenCharacters) {
  const int font = Font(FontTypeNormal);
  // 2045 blanks, then A and a double-byte character that would end at byte 2048.
  const std::string blanks(2045, ' ');
  const int x = -2045 * 5 + 10;
  ASSERT_EQ(DrawFormattedTextWithFont(x, 3, white_, font, "%sA%s", blanks.c_str(), "あ"), 0);
  const Rows drawn = Picture(0, 0, 64, 16, {{0, '.'}, {0xFFFFFF, '#'}});
  ClearScreen();
  ASSERT_EQ(DrawTextWithFont(10, 3, "A", white_, font, 0, 0), 0);
  EXPECT_EQ(drawn, Picture(0, 0, 64, 16, {{0, '.'}, {0xFFFFFF, '#'}}));
  // Two bytes shorter, the double-byte character fits and is drawn after A.
  ClearScreen();
  ASSERT_EQ(DrawFormattedTextWithFont(x + 10, 3, white_, font, "%sA%s", blanks.substr(2).c_str(), "あ"), 0);
  EXPECT_EQ(Pixel(11, 3), 0xFFFFFFu);  // A at 10
  EXPECT_EQ(Pixel(15, 5), 0xFFFFFFu);  // あ from 15
}

TEST_F(TextDrawing, NothingIsDrawnForEmptyTextsDeadFontsOrBeyondTheMaskedArea) {
  const int font = Font(FontTypeNormal);
  EXPECT_EQ(DrawTextWithFont(0, 0, "", white_, font, 0, 0), 0);
  EXPECT_EQ(DrawTextWithFont(0, 0, nullptr, white_, font, 0, 0), 0);
  EXPECT_EQ(DrawTextWithFont(0, 0, "A", white_, font + 1, 0, 0), -1);
  EXPECT_NE(ReadLogWithoutStamps().find("フォントハンドル値が異常です\r\n"), std::string::npos);
  detail::SetDrawingSuppressed(1);
  EXPECT_EQ(DrawTextWithFont(0, 0, "A", white_, font, 0, 0), 0);
  detail::SetDrawingSuppressed(0);
  ASSERT_EQ(SetupMaskScreen(1), 0);
  ASSERT_EQ(SetMaskScreenUse(1), 0);
  EXPECT_EQ(DrawTextWithFont(64, 0, "A", white_, font, 0, 0), 0);
  EXPECT_EQ(DrawTextWithFont(70, 0, "A", white_, font, 0, 1), 0);
  EXPECT_EQ(Picture(0, 0, 64, 16, {{0, '.'}}), Rows(16, std::string(64, '.')));
}

}  // namespace
}  // namespace veziv::test
