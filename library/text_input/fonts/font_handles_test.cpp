// Font handles on the fake font: the defaults of creation, handle values,
// slots and the limit of 40, a face that cannot be had, the record's cache
// of either road, deletion with the owner's flag, and the read-outs.
#include "library/text_input/fonts/font_handles.h"

#include <gtest/gtest.h>

#include "library/foundation/window/window_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/font_test_support.h"

namespace veziv::test {
namespace {

using FontHandles = FontTest;

TEST_F(FontHandles, CreationFillsInTheDefaults) {
  const struct {
    int size, thickness, type, charset, edge;
    int wantSize, wantThickness, wantType, wantCharset, wantEdge;
  } cases[] = {
      {-1, -1, -1, -1, -1, 16, 6, 0, 1, 1},
      {20, 9, 3, 0, -1, 20, 9, 3, 0, 1},
      {14, 4, 0, -1, 3, 14, 4, 1, 1, 3},   // an edge above 1 makes the font edged
      {14, 4, -1, -1, 2, 14, 4, 1, 1, 2},
      {14, 4, 2, 2, 1, 14, 4, 2, 2, 1},    // edge 1 leaves the type as it is
  };
  for (const auto& c : cases) {
    const int font = CreateFontHandle("ＭＳ 明朝", c.size, c.thickness, c.type, c.charset, c.edge, 0, -1, -1);
    ASSERT_NE(font, -1);
    const FontHandleData* r = GetFontRecord(font);
    EXPECT_EQ(r->size, c.wantSize);
    EXPECT_EQ(r->thickness, c.wantThickness);
    EXPECT_EQ(r->type, c.wantType);
    EXPECT_EQ(r->charsetIndex, c.wantCharset);
    EXPECT_EQ(r->edgeSize, c.wantEdge);
    EXPECT_STREQ(r->face, "ＭＳ 明朝");
    EXPECT_EQ(Fake().faces.back(), "ＭＳ 明朝");
    EXPECT_EQ(Fake().weights.back(), c.wantThickness * 100);
    EXPECT_EQ(r->spacing, 0);
    EXPECT_EQ(r->lostFlag, nullptr);
    DeleteFontHandle(font);
  }
}

TEST_F(FontHandles, SmoothingIsDroppedOnAnEightBitScreen) {
  StartScreen(8);
  const int font = CreateFontHandle(nullptr, 16, 6, FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  ASSERT_NE(font, -1);
  EXPECT_EQ(GetFontRecord(font)->type, FontTypeEdge);
}

TEST_F(FontHandles, HandlesSlotsAndTheLimitOfForty) {
  const int before = detail::FontHandleAtSlot(0);  // the default font of the font system's start
  ASSERT_EQ(before, 0x20000000);
  EXPECT_EQ(CreateFontHandle("", 16, 6, 0, -1, -1, 0, 5, 77), ((77 | 0x2000) << 16) | 5);
  EXPECT_EQ(CreateFontHandle("", 16, 6, 0, -1, -1, 0, 5, -1), -1);  // occupied: no message
  EXPECT_EQ(CreateFontHandle("", 16, 6, 0, -1, -1, 0, 40, -1), -1);
  EXPECT_EQ(ReadLogWithoutStamps().find("限界"), std::string::npos);
  int made = 2;
  for (int font = CreateFontHandle("", 16, 6, 0, -1, -1, 0, -1, -1); font != -1;
       font = CreateFontHandle("", 16, 6, 0, -1, -1, 0, -1, -1)) {
    ++made;
  }
  EXPECT_EQ(made, 40);
  const std::string log = ReadLogWithoutStamps();
  const std::string limit = "作成できるフォントハンドル数 40 の限界を超えました";
  ASSERT_NE(log.find(limit), std::string::npos);
  EXPECT_NE(log.substr(log.find(limit) + limit.size(), 1), "\r");  // the message has no line end
  // The first free slot was 1, with the counter's next check word.
  EXPECT_EQ(detail::FontHandleAtSlot(1), ((1 | 0x2000) << 16) | 1);
}

TEST_F(FontHandles, AFaceThatCannotBeHadFailsWithALogLine) {
  Fake().refuse = true;
  Fake().faces.clear();
  Fake().italics.clear();
  EXPECT_EQ(CreateFontHandle("どこにもない書体", 16, 6, 0, -1, -1, 1, -1, -1), -1);
  EXPECT_NE(ReadLogWithoutStamps().find("指定のフォントの作成に失敗しました\r\n"), std::string::npos);
  // The default face tries the Gothic with and without italics, then no name.
  EXPECT_EQ(CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 1, -1, -1), -1);
  EXPECT_NE(ReadLogWithoutStamps().find("\nフォントの作成に失敗しました\r\n"), std::string::npos);
  EXPECT_EQ(Fake().faces, (std::vector<std::string>{"どこにもない書体", "ＭＳ ゴシック", "ＭＳ ゴシック", "(none)"}));
  EXPECT_EQ(Fake().italics, (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(detail::FontHandleAtSlot(1), -1);  // nothing left behind
  Fake().refuse = false;
  EXPECT_EQ(CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1) & 0xFFFF, 1);
}

TEST_F(FontHandles, RecordsHoldTheCacheOfTheirRoad) {
  Fake().metrics = {12, 10, 10};  // cell side 16
  const int memory = CreateFontHandle(nullptr, 16, 6, FontTypeNormal, -1, -1, 0, -1, -1);
  const FontHandleData* m = GetFontRecord(memory);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->textureCache, 0);
  EXPECT_EQ(GetFontHandleUseTexture(memory), 0);
  EXPECT_EQ(m->cellSide, 16);
  EXPECT_EQ(m->glyphHeight, 12);
  EXPECT_EQ(m->cellCount, 1280);
  EXPECT_EQ(m->memoryBits, 1);
  EXPECT_EQ(m->memoryPitch, 2);
  EXPECT_NE(m->memoryCache, nullptr);
  EXPECT_EQ(m->bodyGraph, -1);
  EXPECT_EQ(m->cells[1279].cellIndex, 1279);
  EXPECT_EQ(m->cells[1280].cellIndex, -1);

  detail::SetFontTextureCacheWanted(1);
  const int edged = CreateFontHandle(nullptr, 16, 6, FontTypeAntialiasEdge, -1, 2, 0, -1, -1);
  const FontHandleData* t = GetFontRecord(edged);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(GetFontHandleUseTexture(edged), 1);
  EXPECT_EQ(t->cellSide, 16);  // 10 + 2 + 4
  EXPECT_EQ(t->glyphHeight, 16);
  EXPECT_EQ(t->cellCount, 1024);
  EXPECT_EQ(t->memoryCache, nullptr);
  int w = 0, h = 0;
  ASSERT_EQ(QueryGraphDimensions(t->bodyGraph, &w, &h), 0);
  EXPECT_EQ(w, 1024);  // body and edge side by side
  EXPECT_EQ(h, 512);
  ASSERT_EQ(QueryGraphDimensions(t->edgeGraph, &w, &h), 0);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(t->staging.width, 1024);
  EXPECT_EQ(t->staging.format.alphaMask, 0xFF000000u);  // the cache takes the 32-bit screen's depth
  EXPECT_EQ(t->cacheGraphNeeded, 0);
  const int body = t->bodyGraph, edge = t->edgeGraph;
  DeleteFontHandle(edged);
  EXPECT_EQ(IsGraphHandleValid(body), 0);
  EXPECT_EQ(IsGraphHandleValid(edge), 0);
}

TEST_F(FontHandles, DeletionRaisesTheOwnersFlagAndReadOutsRefuseDeadHandles) {
  const int font = CreateFontHandle("ＭＳ 明朝", 20, 9, 3, -1, -1, 0, -1, -1);
  int lost = 7;
  EXPECT_EQ(AttachFontLossFlag(font, &lost), 0);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(SetFontCharSpacing(3, font), 0);
  EXPECT_EQ(GetFontRecord(font)->spacing, 3);
  char face[256] = "x";
  int size = 0, thickness = 0;
  EXPECT_EQ(GetFontHandleInfo(face, &size, &thickness, font), 0);
  EXPECT_STREQ(face, "ＭＳ 明朝");
  EXPECT_EQ(size, 20);
  EXPECT_EQ(thickness, 9);
  EXPECT_EQ(GetFontHandleInfo(nullptr, nullptr, nullptr, font), 0);
  EXPECT_EQ(GetFontHandleSize(font), 20);
  const int closed = Fake().closed;
  EXPECT_EQ(DeleteFontHandle(font), 0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(Fake().closed, closed + 1);
  for (const int dead : {font, -1, 0x08000000, 0x20000000 | 39, font + (1 << 16)}) {
    EXPECT_EQ(IsValidFontHandle(dead), 0);
    EXPECT_EQ(GetFontRecord(dead), nullptr);
    EXPECT_EQ(DeleteFontHandle(dead), -1);
    EXPECT_EQ(AttachFontLossFlag(dead, &lost), -1);
    EXPECT_EQ(SetFontCharSpacing(1, dead), -1);
    EXPECT_EQ(GetFontHandleInfo(face, &size, &thickness, dead), -1);
    EXPECT_EQ(GetFontHandleSize(dead), -1);
    EXPECT_EQ(GetFontHandleUseTexture(dead), -1);
  }
}

TEST_F(FontHandles, NoFontOnceTheWindowIsGone) {
  detail::WindowState().destroyed = 1;
  EXPECT_EQ(CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1), -1);
  detail::WindowState().destroyed = 0;
}

TEST(FontLeadBytes, FollowTheCharset) {
  const struct {
    unsigned char byte;
    int charset, want;
  } cases[] = {{0x81, 1, 1}, {0x9F, 1, 1}, {0xA0, 1, 0}, {0xDF, 1, 0}, {0xE0, 1, 1}, {0xFC, 1, 1}, {0xFD, 1, 0},
               {0x41, 1, 0}, {0x80, 0, 0}, {0xA0, 2, 1}, {0x80, 2, 1}, {0x7F, 2, 0}};
  for (const auto& c : cases) {
    const char text[2] = {static_cast<char>(c.byte), 0};
    EXPECT_EQ(IsDoubleByteLead(text, c.charset), c.want) << std::hex << int(c.byte) << " " << c.charset;
  }
}

}  // namespace
}  // namespace veziv::test
