// Fields drawn on the fake font (single bytes 5 pixels apart as 3 x 6
// boxes, double bytes 10 apart as 8 x 8 boxes) on a small software screen:
// the wrap at the draw area's right edge, the selection, the cursor, the
// scroll, and an area of no width.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "library/graphics/graphs/draw_state.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"

namespace veziv::test {
namespace {

using Rows = std::vector<std::string>;

class TextEntryDrawing : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    detail::ResetCallSites();
    detail::RegisterTextEntryWithLibrary();
    ASSERT_EQ(InitCharInputBuffer(), 0);
    UseFakeClipboard();
    ASSERT_EQ(SetDefaultFontSize(10), 0);  // lines 13 apart
    ClearScreen();
  }
  void TearDown() override {
    detail::ResetTextEntryState();
    UseWindowClipboard();
    detail::ResetCallSites();
    FontTest::TearDown();
  }
  static Rows Screen(int x, int y, int w, int h) {
    return Picture(x, y, w, h, {{0, '.'}, {0xFFFFFF, '#'}, {0x808080, 'e'}});
  }
};

TEST_F(TextEntryDrawing, WrapsAtTheAreasEdgeWithSelectionAndCursor) {
  // The area ends at x 40: "h" no longer fits after "g" and goes on the next
  // line (13 lower) from the left edge, and so does the cursor after "j".
  ASSERT_EQ(SetClipRegion(0, 0, 40, 64), 0);
  const int h = MakeField(20, "abcdefghij", 10, 1, 3);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  EXPECT_EQ(Screen(0, 2, 40, 24), (Rows{"..........##########....................",  // b and c on the selection box
                                        "..........##########....................",
                                        "......###.#...##...#.###..###..###..###.",
                                        "......###.#...##...#.###..###..###..###.",
                                        "......###.#...##...#.###..###..###..###.",
                                        "......###.#...##...#.###..###..###..###.",
                                        "......###.#...##...#.###..###..###..###.",
                                        "......###.#...##...#.###..###..###..###.",
                                        "..........##########....................",
                                        "..........##########....................",
                                        "........................................",
                                        "........................................",
                                        "........................................",
                                        "...............##.......................",  // the cursor
                                        "...............##.......................",
                                        ".###..###..###.##.......................",
                                        ".###..###..###.##.......................",
                                        ".###..###..###.##.......................",
                                        ".###..###..###.##.......................",
                                        ".###..###..###.##.......................",
                                        ".###..###..###.##.......................",
                                        "...............##.......................",
                                        "...............##.......................",
                                        "........................................"}));
  EXPECT_EQ(detail::TextEntryRecord(h)->firstShown, 0);

  // A field that is not active shows no cursor.
  ClearScreen();
  ASSERT_EQ(SetActiveTextEntryHandle(-1), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  EXPECT_EQ(Screen(0, 15, 20, 1), (Rows{"...................."}));
}

TEST_F(TextEntryDrawing, ACharacterCutAtTheEdgeShowsBothHalvesWithOrWithoutASelection) {
  // The double-byte character starts at 35 and is 10 wide: 4 of its 8
  // columns before the edge at 40, the other 4 from the left edge below.
  ASSERT_EQ(SetClipRegion(0, 0, 40, 64), 0);
  const int h = MakeField(20, "abcdef\x82\xA0", 8);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  const Rows whole = Screen(0, 0, 40, 30);
  EXPECT_EQ(Screen(36, 4, 4, 1), (Rows{"####"}));
  EXPECT_EQ(Screen(0, 17, 5, 1), (Rows{"####."}));

  ClearScreen();
  detail::TextEntryRecord(h)->selectionAnchor = 0;  // "a" selected: drawn character by character
  detail::TextEntryRecord(h)->selectionEnd = 1;
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  const Rows selected = Screen(0, 0, 40, 30);
  for (size_t row = 13; row < whole.size(); ++row) EXPECT_EQ(selected[row], whole[row]) << row;
  for (size_t row = 2; row < 12; ++row) EXPECT_EQ(selected[row].substr(10), whole[row].substr(10)) << row;
}

TEST_F(TextEntryDrawing, ScrollFollowsTheCursorOnOneLine) {
  // One line of room: 35 pixels from x 5 to the edge, seven characters.
  ASSERT_EQ(SetClipRegion(0, 0, 40, 14), 0);
  const int h = MakeField(20, "abcdefghij", 10);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  EXPECT_EQ(detail::TextEntryRecord(h)->firstShown, 3);
  EXPECT_EQ(Screen(0, 6, 40, 1), (Rows{"......###..###..###..###..###..###..###."}));

  ASSERT_TRUE(PushBytes("\x1D\x1D\x1D\x1D\x1D\x1D\x1D\x1D"));  // eight to the left: before the first shown byte
  ASSERT_EQ(UpdateTextEntry(), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  EXPECT_EQ(detail::TextEntryRecord(h)->firstShown, 2);
}

TEST_F(TextEntryDrawing, AnAreaOfNoWidthDrawsNothingAndReturns) {
  ASSERT_EQ(SetClipRegion(20, 0, 20, 64), 0);
  const int h = MakeField(20, "abc", 3, 0, 2);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_EQ(FetchImeCandidateList("\x82\xA0", 1), 0);
  EXPECT_EQ(DrawTextEntryHandle(50, 2, h), 0);
  const int font = GetLibraryDefaultFont();
  EXPECT_EQ(RenderTextEntryLine(50, 2, 13, "abc", 1, 0, font, 1, 0, 0, -1, -1), 0);
  EXPECT_EQ(RenderTextEntryLine(50, 2, 13, "abc", 1, 0, font, 1, 0, 0, 0, 2), 0);
  EXPECT_EQ(DrawInputSelection(50, 2, 60, 12, 13, 1, 1), 0);
  EXPECT_EQ(DrawImeComposition(50, 2, 5), 0);
  ASSERT_EQ(SetClipRegion(0, 0, 64, 64), 0);
  EXPECT_EQ(Screen(0, 0, 64, 64), Rows(64, std::string(64, '.')));
}

TEST_F(TextEntryDrawing, CompositionAtTheCursorWithItsOwnCursorAndUnderline) {
  const int h = MakeField(20, "a", 1);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_EQ(FetchImeCandidateList("\x82\xA0\x82\xA2", 1), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  const std::map<uint32_t, char> legend{{0, '.'}, {0xFFFFFF, '#'}, {0xFFFF00, 'Y'}, {0x00FFFF, 'C'}, {0xFF0000, 'R'}};
  EXPECT_EQ(Picture(0, 2, 32, 13, legend), (Rows{"..........YYYYYYYYYYCCYYYYYYYY..",  // black text on yellow
                                                 "..........Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "......###.Y........YCC.......Y..",
                                                 "..........Y........YCC.......Y..",
                                                 "..........YYYYYYYYYYCCYYYYYYYY..",
                                                 "................................",
                                                 "............################....",  // one clause, inset
                                                 "................................"}));

  // With a candidate list (made up: none arrives from the input method) the
  // box opens half a line below, the selected candidate in red, and the
  // composition has no cursor of its own.
  detail::TextEntry().ime.candidates.texts = {"a", "bb", "c"};
  detail::TextEntry().ime.candidates.selected = 1;
  ClearScreen();
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  const Rows all = Picture(0, 0, 64, 64, legend);
  EXPECT_EQ(all[3].substr(10, 20), "Y........YY........Y");
  EXPECT_EQ(all[17].substr(20, 26), std::string(26, 'Y'));  // the frame: 10 + 5 below the top
  EXPECT_EQ(all[62].substr(20, 26), std::string(26, 'Y'));
  EXPECT_EQ(all[36].substr(20, 26), "Y...RRR..RRR..RRR..RRR...Y");  // "2:bb"
  EXPECT_EQ(all[54].substr(20, 26), "Y........###..###..###...Y");  // "2/3", right-aligned

  // Switched off, the input method draws nothing and forgets it all.
  ASSERT_EQ(EnableIme(0), 0);
  EXPECT_EQ(DrawImeComposition(10, 2, 5), -1);
  EXPECT_TRUE(detail::TextEntry().ime.candidates.texts.empty());
  ASSERT_EQ(EnableIme(1), 0);
  EXPECT_EQ(DrawImeComposition(10, 2, 5), 0);
}

// The part being converted is filled red behind the text, and each of the
// three clauses gets an underline of its own.
TEST_F(TextEntryDrawing, ThePartBeingConvertedIsFilledAndEachClauseUnderlined) {
  const int h = MakeField(20, "a", 1);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_EQ(FetchImeCandidateList("\x82\xA0\x82\xA2\x82\xA4", 1, 1), 0);
  ASSERT_EQ(DrawTextEntryHandle(5, 2, h), 0);
  const std::map<uint32_t, char> legend{{0, '.'}, {0xFFFFFF, '#'}, {0xFFFF00, 'Y'}, {0x00FFFF, 'C'}, {0xFF0000, 'R'}};
  EXPECT_EQ(Picture(0, 2, 42, 13, legend), (Rows{"..........YYYYYYYYYYCCRRRRRRRRYYYYYYYYYY..",  // the second in red
                                                 "..........Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "......###.Y........YCC.......RY........Y..",
                                                 "..........Y........YCC.......RY........Y..",
                                                 "..........YYYYYYYYYYCCRRRRRRRRYYYYYYYYYY..",
                                                 "..........................................",
                                                 "............######....######....######....",  // three clauses
                                                 ".........................................."}));
}

TEST_F(TextEntryDrawing, ModeNameOnlyWhenTheInputMethodTellsOne) {
  char name[32] = "none";
  const std::map<uint32_t, char> legend{{0, '.'}, {0xFFFF14, 'M'}};
  EXPECT_EQ(DescribeImeMode(name), -1);  // off
  ASSERT_EQ(EnableIme(1), 0);
  EXPECT_EQ(DescribeImeMode(name), -1);  // on, but no mode is known here
  ASSERT_EQ(RenderImeModeName(60, 60), 0);
  EXPECT_EQ(Picture(0, 0, 64, 64, legend), Rows(64, std::string(64, '.')));

  detail::TextEntry().ime.conversionMode = 0x09;
  ASSERT_EQ(DescribeImeMode(name), 0);
  EXPECT_STREQ(name, "全角ひらがな");
  // Six double-byte characters, 60 wide, pulled in from the corner to x 4
  // and y 64 - 10 - 2 (the glyphs one pixel in and down).
  ASSERT_EQ(RenderImeModeName(60, 60), 0);
  const Rows all = Picture(0, 0, 64, 64, legend);
  EXPECT_EQ(all[53].substr(0, 16), ".....MMMMMMMM..M");
  EXPECT_EQ(all[52], std::string(64, '.'));
}

}  // namespace
}  // namespace veziv::test
