// The geometry of fields and compositions with every byte 8 pixels wide:
// placing in the draw area, the room a field has, the scroll that keeps the
// cursor in view, the mode name's place and the candidate box's page, lines
// and place.
#include "library/text_input/text_entry/text_entry_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/text_input/text_entry/text_entry_state.h"

namespace veziv::test {
namespace {

using detail::CandidateBoxLayout;
using detail::ImeCandidates;

int EightPerByte(const char*, int bytes) { return bytes * 8; }

TEST(TextEntryLayout, PlacingStaysInsideTheAreaAndWrapsFromItsRightEdge) {
  const DrawRect area{10, 20, 50, 100};
  struct Case {
    int x, y;
    int wantX, wantY;
  };
  const Case cases[] = {
      {0, 0, 10, 20},     {30, 40, 30, 40},
      {50, 40, 50, 40},   // on the edge is not beyond it
      {51, 40, 11, 50},   {135, 40, 15, 70},
  };
  for (const Case& c : cases) {
    int x = c.x, y = c.y;
    ASSERT_TRUE(detail::PlaceInDrawArea(area, 10, &x, &y));
    EXPECT_EQ(x, c.wantX) << c.x << "," << c.y;
    EXPECT_EQ(y, c.wantY) << c.x << "," << c.y;
  }
  int x = 1000000000, y = 0;
  EXPECT_TRUE(detail::PlaceInDrawArea(area, 10, &x, &y));  // far beyond: no long walk
  EXPECT_GT(x, 10);
  EXPECT_LE(x, 50);
  // An area of no width has no place for anything (walking left by its width would never end).
  for (const DrawRect& empty : {DrawRect{10, 20, 10, 100}, DrawRect{10, 20, 5, 100}}) {
    x = 60;
    y = 0;
    EXPECT_FALSE(detail::PlaceInDrawArea(empty, 10, &x, &y));
  }

  EXPECT_EQ(detail::RoomInDrawArea(area, 10, 10, 20), 40 * 7 + 40);
  EXPECT_EQ(detail::RoomInDrawArea(area, 10, 30, 80), 40 + 20);
  EXPECT_EQ(detail::RoomInDrawArea(area, 10, 30, 95), 20);  // not a whole line left below
}

TEST(TextEntryLayout, ScrollKeepsTheCursorInView) {
  struct Case {
    const char* name;
    std::string text;
    int cursor, firstShown, room;
    int want;
  };
  const Case cases[] = {
      {"a short text shows from its start", "abc", 1, 2, 40, 0},
      {"the cursor at the end of a long text", "abcdefghij", 10, 0, 40, 5},
      {"the cursor before the first shown byte", "abcdefghij", 3, 7, 40, 3},
      {"the cursor in view keeps the scroll", "abcdefghij", 6, 2, 40, 2},
      {"steps back over double-byte characters", "a\x82\xA0\x82\xA2\x82\xA4", 7, 0, 20, 5},
      {"a trail byte that looks like a lead byte", "\x82\xF1" "abcdef", 3, 0, 16, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(detail::ScrollToCursor(c.text.c_str(), static_cast<int>(c.text.size()), c.cursor, c.firstShown,
                                     c.room, EightPerByte),
              c.want)
        << c.name;
  }
}

TEST(TextEntryLayout, ModeNamesFromTheConversionBitsAndTheirPlace) {
  struct Case {
    int mode;
    const char* name;
  };
  const Case cases[] = {{0x0B, "全角カタカナ"}, {0x03, "半角カタカナ"}, {0x09, "全角ひらがな"}, {0x19, "全角ひらがな"},
                        {0x08, "全角英数"},     {0x00, "半角英数"},     {0x01, "半角英数"}};
  for (const Case& c : cases) EXPECT_STREQ(detail::ImeModeName(c.mode), c.name) << c.mode;
  EXPECT_EQ(detail::ImeModeName(detail::kImeModeUnknown), nullptr);

  const DrawRect area{0, 0, 100, 80};
  int x = 90, y = 75;
  detail::PlaceImeModeName(area, 40, 12, &x, &y);
  EXPECT_EQ(x, 60);
  EXPECT_EQ(y, 80 - 12 - 2);
  x = 200;
  y = -5;
  detail::PlaceImeModeName(area, 200, 12, &x, &y);  // wider than the area: from its left edge
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

ImeCandidates Twelve(int selected) {
  ImeCandidates c;
  for (int i = 0; i < 12; ++i) c.texts.push_back("c" + std::to_string(i));
  c.selected = selected;
  return c;
}

TEST(TextEntryLayout, CandidateBoxShowsTheSelectedOnesPage) {
  const DrawRect screen{0, 0, 640, 480};
  // Size 12: a margin of 4, the box half a line below the composition.
  CandidateBoxLayout l = detail::LayoutCandidateBox(Twelve(7), 5, 100, 50, 12, screen, EightPerByte);
  EXPECT_EQ(l.pageStart, 5);
  EXPECT_EQ(l.lines, (std::vector<std::string>{"1:c5", "2:c6", "3:c7", "4:c8", "5:c9"}));
  EXPECT_EQ(l.indices, (std::vector<int>{5, 6, 7, 8, 9}));
  EXPECT_EQ(l.countLine, "8/12");
  EXPECT_EQ(l.box.left, 100);
  EXPECT_EQ(l.box.top, 50 + 12 + 6);
  EXPECT_EQ(l.box.right, 100 + 32 + 8);
  EXPECT_EQ(l.box.bottom, 50 + 7 * 12 + 6 + 8);
  EXPECT_EQ(l.textX, 104);
  EXPECT_EQ(l.textY, 72);
  EXPECT_EQ(l.countX, 104);
  EXPECT_EQ(l.countY, 72 + 5 * 12);

  // The last page holds what is left; the count line is a line like the others.
  l = detail::LayoutCandidateBox(Twelve(11), 5, 100, 50, 12, screen, EightPerByte);
  EXPECT_EQ(l.lines, (std::vector<std::string>{"1:c10", "2:c11"}));
  EXPECT_EQ(l.countLine, "12/12");
  EXPECT_EQ(l.box.right - l.box.left, 40 + 8);
  EXPECT_EQ(l.countX, 104);
}

TEST(TextEntryLayout, CandidateBoxMovesToStayInTheArea) {
  struct Case {
    const char* name;
    int y;
    DrawRect area;
    DrawRect want;
  };
  const Case cases[] = {
      {"below the composition", 50, {0, 0, 640, 480}, {100, 68, 140, 148}},
      {"above it when the bottom is near", 300, {0, 0, 640, 320}, {100, 214, 140, 294}},
      {"up by the overflow when neither fits", 50, {0, 0, 640, 140}, {100, 60, 140, 140}},
      {"left by the overflow at the right edge", 50, {0, 0, 120, 480}, {80, 68, 120, 148}},
  };
  for (const Case& c : cases) {
    const CandidateBoxLayout l = detail::LayoutCandidateBox(Twelve(7), 5, 100, c.y, 12, c.area, EightPerByte);
    EXPECT_EQ(l.box.left, c.want.left) << c.name;
    EXPECT_EQ(l.box.top, c.want.top) << c.name;
    EXPECT_EQ(l.box.right, c.want.right) << c.name;
    EXPECT_EQ(l.box.bottom, c.want.bottom) << c.name;
  }
}

}  // namespace
}  // namespace veziv::test
