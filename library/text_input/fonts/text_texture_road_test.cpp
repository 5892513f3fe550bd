// The texture road on the software renderer: a font whose cache lives in
// graphs draws the same pixels as the memory road for the one-bit and edged
// types, across and down; smoothed glyphs blend by level; the graphs are made
// again after they were deleted from outside; scaled text is stretched; and
// the draw state the road changes is put back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/graphics/graphs/graph_handles.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/fonts/text_drawing.h"

namespace veziv::test {
namespace {

using Rows = std::vector<std::string>;

class TextureRoad : public LetterTextTest {
 protected:
  int Font(int type, bool texture) {
    detail::SetFontTextureCacheWanted(texture ? 1 : 0);
    const int font = CreateFontHandle(nullptr, 16, 6, type, -1, -1, 0, -1, -1);
    EXPECT_EQ(GetFontHandleUseTexture(font), texture ? 1 : 0);
    return font;
  }
  Rows Shown() const { return Picture(0, 0, 64, 24, {{0, '.'}, {0xFFFFFF, '#'}, {0xFF0000, 'o'}}); }
};

TEST_F(TextureRoad, DrawsWhatTheMemoryRoadDraws) {
  for (const int type : {FontTypeNormal, FontTypeEdge}) {
    for (const int vertical : {0, 1}) {
      SCOPED_TRACE(std::to_string(type) + (vertical ? " down" : " across"));
      ClearScreen();
      ASSERT_EQ(DrawTextWithFont(3, 2, "ALgA", white_, Font(type, false), red_, vertical), 0);
      const Rows memory = Shown();
      ClearScreen();
      ASSERT_EQ(DrawTextWithFont(3, 2, "ALgA", white_, Font(type, true), red_, vertical), 0);
      EXPECT_EQ(Shown(), memory);
      EXPECT_NE(memory, Rows(24, std::string(64, '.')));
    }
  }
}

// Turned glyphs of every small size at both parities of the position land
// where the memory road puts them, also partly off the screen.
TEST_F(TextureRoad, TurnedGlyphsOfEverySizeLandOnTheMemoryRoadsPixels) {
  std::string text;
  for (int w = 1; w <= 5; ++w) {
    for (int h = 1; h <= 5; ++h) {
      const char code = static_cast<char>('a' + (w - 1) * 5 + (h - 1));
      std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
      rows[0][0] = '#';  // the top-left corner shows which way the glyph turned
      rows[static_cast<size_t>(h - 1)][static_cast<size_t>(w - 1)] = '#';
      if (w > 2 && h > 2) rows[1][2] = '#';
      Fake().glyphs[static_cast<uint32_t>(code)] = FakeGlyph{rows, w % 2, 10 - h % 3, w + 1};
      text += code;
    }
  }
  const int memory = Font(FontTypeEdge, false), texture = Font(FontTypeEdge, true);
  for (const int x : {-3, 2, 3}) {
    for (const int y : {-1, 0}) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      ClearScreen();
      ASSERT_EQ(DrawTextWithFont(x, y, text.c_str(), white_, memory, red_, 1), 0);
      const Rows want = Picture(0, 0, 24, 64, {{0, '.'}, {0xFFFFFF, '#'}, {0xFF0000, 'o'}});
      ClearScreen();
      ASSERT_EQ(DrawTextWithFont(x, y, text.c_str(), white_, texture, red_, 1), 0);
      EXPECT_EQ(Picture(0, 0, 24, 64, {{0, '.'}, {0xFFFFFF, '#'}, {0xFF0000, 'o'}}), want);
    }
  }
}

TEST_F(TextureRoad, SmoothedGlyphsBlendByTheirLevels) {
  for (const int type : {FontTypeAntialias, FontTypeAntialiasEdge}) {
    SCOPED_TRACE(type);
    ClearScreen();
    const int e = type & 1;
    ASSERT_EQ(DrawTextWithFont(1, 1, "g", white_, Font(type, true), 0, 0), 0);
    EXPECT_EQ(Pixel(1 + e, 1 + e), 0xFFFFFFu);
    EXPECT_EQ(Pixel(2 + e, 2 + e), 0xFFFFFFu);
    EXPECT_EQ(Pixel(3 + e, 1 + e), 0u);
    const uint32_t eight = Pixel(2 + e, 1 + e), four = Pixel(1 + e, 2 + e);
    EXPECT_GT(eight & 0xFF, four & 0xFF);
    EXPECT_GT(four & 0xFF, 0u);
    EXPECT_EQ(eight, (eight & 0xFF) * 0x010101u);
  }
}

TEST_F(TextureRoad, GraphsDeletedFromOutsideAreMadeAgain) {
  const int font = Font(FontTypeEdge, true);
  ASSERT_EQ(DrawTextWithFont(3, 2, "AL", white_, font, red_, 0), 0);
  const Rows first = Shown();
  ASSERT_EQ(FreeAllGraphHandles(0), 0);
  const FontHandleData* r = GetFontRecord(font);
  EXPECT_EQ(r->cacheGraphNeeded, 1);
  EXPECT_EQ(MeasureTextWithFont("AL", -1, font, 0), 12);  // measuring needs no graphs
  ClearScreen();
  ASSERT_EQ(DrawTextWithFont(3, 2, "AL", white_, font, red_, 0), 0);
  EXPECT_EQ(r->cacheGraphNeeded, 0);
  EXPECT_EQ(IsGraphHandleValid(r->bodyGraph), 1);
  EXPECT_EQ(IsGraphHandleValid(r->edgeGraph), 1);
  EXPECT_EQ(Shown(), first);
}

TEST_F(TextureRoad, ScaledTextIsStretched) {
  const int font = Font(FontTypeNormal, true);
  const DrawRect area = GetDrawArea();
  int size[2] = {0, 0};
  EXPECT_EQ(ProcessTextWithFont(1, 2, 3, 1, 2.0, 2.0, "A", white_, nullptr, &area, 1, font, 0, -1, 0, size), 8);
  EXPECT_EQ(Picture(2, 3, 6, 8, {{0, '.'}, {0xFFFFFF, '#'}}), (Rows{"..##..", "..##..", "##..##", "##..##",
                                                                     "######", "######", "##..##", "##..##"}));
  // Measuring a texture-cache font takes the factors too.
  EXPECT_EQ(ProcessTextWithFont(0, 0, 0, 0, 1.5, 3.0, "AL", 0, nullptr, nullptr, 0, font, 0, -1, 0, size), 12);
  EXPECT_EQ(ProcessTextWithFont(0, 0, 0, 0, 1.5, 3.0, "AL", 0, nullptr, nullptr, 0, font, 0, -1, 1, size), 24);
}

TEST_F(TextureRoad, TheDrawStateIsPutBack) {
  const int font = Font(FontTypeEdge, true);
  const int blend = CreateEmptyGraph(64, 64, 0);
  ASSERT_EQ(SelectBlendImageGraph(blend, 10, 20), 0);
  ASSERT_EQ(SetDrawColorScale(10, 20, 30), 0);
  ASSERT_EQ(DrawTextWithFont(3, 2, "AL", white_, font, red_, 1), 0);
  int graph = 0, param = 0, range = 0;
  GetBlendImageSelection(&graph, &param, &range);
  EXPECT_EQ(graph, blend);
  EXPECT_EQ(param, 10);
  EXPECT_EQ(range, 20);
  EXPECT_EQ(GetDrawColorWord() & 0xFFFFFFu, 0x0A141Eu);
  const DrawRect area = GetDrawArea();
  EXPECT_EQ(area.right, 64);
  EXPECT_EQ(area.bottom, 64);
}

}  // namespace
}  // namespace veziv::test
