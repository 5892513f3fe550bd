// The glyph cache on the fake font: batches of new characters, replacement
// in turn once the cache is full, the codes of double-byte characters and of
// a lone lead byte, spaces and blank glyphs, glyphs larger than their cell,
// and forgetting.
#include <gtest/gtest.h>

#include <string>

#include "library/graphics/graphs/draw_state.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/fonts/text_drawing.h"

namespace veziv::test {
namespace {

using GlyphCache = FontTest;

bool Cached(const FontHandleData* r, int code) { return r->codes[code].cached == 1; }

// Every cell in use and the code entry that maps to it point at each other.
void ExpectBackPointersHold(const FontHandleData* r) {
  for (int k = 0; k < r->cellCount; ++k) {
    const FontGlyphCell& cell = r->cells[k];
    if (!cell.inUse) continue;
    ASSERT_NE(cell.owner, nullptr) << k;
    EXPECT_EQ(cell.owner->cached, 1) << k;
    EXPECT_EQ(cell.owner->cell, &cell) << k;
  }
  for (int code = 0; code < kFontCodeEntries; ++code) {
    if (r->codes[code].cached) {
      EXPECT_EQ(r->codes[code].cell->owner, &r->codes[code]) << code;
    }
  }
}

TEST_F(GlyphCache, ABatchTakesNewCharactersUpToTheCellCountAndTheRestAreRenderedAlone) {
  Fake().metrics = {12, 10, 126};  // cell side 128: 20 cells
  const int font = CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  const FontHandleData* r = GetFontRecord(font);
  ASSERT_EQ(r->cellCount, 20);
  const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  FontCharEntry list[32];
  int count = 0;
  Fake().rendered = 0;
  ASSERT_EQ(CacheFontGlyphs(-1, text.c_str(), font, list, &count), 0);
  EXPECT_EQ(count, 25);
  EXPECT_EQ(list[24].Code(), 'Y');
  EXPECT_EQ(Fake().rendered, 20);
  for (const char c : text) EXPECT_EQ(Cached(r, c), c <= 'T') << c;
  EXPECT_EQ(r->nextCell, 0);
  ExpectBackPointersHold(r);

  // Measuring batches U..Y into the first cells; each evicted character is
  // then rendered alone, taking the next cell in turn.
  EXPECT_EQ(MeasureTextWithFont(text.c_str(), -1, font, 0), 25 * 5);
  EXPECT_EQ(Fake().rendered, 20 + 5 + 25);
  EXPECT_EQ(r->nextCell, 10);
  for (const char c : text) EXPECT_EQ(Cached(r, c), c >= 'F') << c;
  EXPECT_EQ(r->codes['P'].cell->cellIndex, 0);
  EXPECT_EQ(r->codes['Y'].cell->cellIndex, 9);
  ExpectBackPointersHold(r);

  // A string that fits is rasterised once, its repeats and later draws not at all.
  Fake().rendered = 0;
  EXPECT_EQ(MeasureTextWithFont("FFGGF", -1, font, 0), 25);
  EXPECT_EQ(Fake().rendered, 0);
  EXPECT_EQ(MeasureTextWithFont("AAB", -1, font, 0), 15);
  EXPECT_EQ(Fake().rendered, 2);
}

TEST_F(GlyphCache, CodesKeepTheBytesAsTheyStandAndALoneLeadByteTakesTheTerminator) {
  const int font = CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  const FontHandleData* r = GetFontRecord(font);
  Fake().codes.clear();
  FontCharEntry list[8];
  int count = 0;
  ASSERT_EQ(CacheFontGlyphs(-1, "あA\x82", font, list, &count), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(list[0].Code(), 0xA082);
  EXPECT_EQ(list[1].Code(), 'A');
  EXPECT_EQ(list[2].Code(), 0x82);
  EXPECT_TRUE(Cached(r, 0xA082));
  EXPECT_TRUE(Cached(r, 0x82));
  // The platform font is asked for lead << 8 | trail.
  EXPECT_EQ(Fake().codes, (std::vector<uint32_t>{0x82A0, 0x82A0, 'A', 'A', 0x8200, 0x8200}));
  EXPECT_EQ(MeasureTextWithFont("あA\x82", -1, font, 0), 10 + 5 + 10);
  // A byte count that ends on a lead byte counts the whole character.
  EXPECT_EQ(MeasureTextWithFont("Aあ", 2, font, 0), 15);
}

TEST_F(GlyphCache, SpacesAndBlankGlyphsKeepTheirAdvanceAndHaveNoBox) {
  Fake().glyphs['b'] = FakeGlyph{{}, 0, 0, 7};
  const int font = CreateFontHandle(nullptr, 16, 6, FontTypeEdge, -1, 2, 0, -1, -1);
  const FontHandleData* r = GetFontRecord(font);
  Fake().rendered = 0;
  ASSERT_EQ(CacheFontGlyphs(-1, " \x81\x40" "b", font, nullptr, nullptr), 0);
  EXPECT_EQ(Fake().rendered, 0);  // no bitmap is fetched for any of them
  const struct {
    int code, advance;
  } cases[] = {{0x20, 5}, {0x4081, 10}, {'b', 7}};
  for (const auto& c : cases) {
    const FontGlyphCell* cell = r->codes[c.code].cell;
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->advance, c.advance + 4) << c.code;  // twice the edge
    EXPECT_EQ(cell->width, 4) << c.code;
    EXPECT_EQ(cell->height, 4) << c.code;
  }
}

TEST_F(GlyphCache, AGlyphLargerThanItsCellIsCutToIt) {
  Fake().metrics = {12, 10, 126};  // 20 cells of 128, the last one at the end of the memory
  Fake().glyphs['W'] = FakeGlyph{std::vector<std::string>(150, std::string(140, '#')), 0, 10, 140};
  for (const int type : {0, 1, 2, 3}) {
    SCOPED_TRACE(type);
    const int font = CreateFontHandle(nullptr, 16, 6, type, -1, -1, 0, -1, -1);
    const FontHandleData* r = GetFontRecord(font);
    const int e = (type & 1) ? 1 : 0;
    const int side = r->cellSide;  // 128, or 136 with the edges
    ASSERT_EQ(r->cellCount, 20);
    // Into the first cell, and then into the last.
    ASSERT_EQ(CacheFontGlyphs(-1, "W", font, nullptr, nullptr), 0);
    EXPECT_EQ(r->codes['W'].cell->width, side);
    EXPECT_EQ(r->codes['W'].cell->height, side);
    const uint8_t* next = r->memoryCache + side * r->memoryPitch;
    for (int i = 0; i < side * r->memoryPitch; ++i) ASSERT_EQ(next[i], 0) << "the second cell was written at " << i;
    EXPECT_NE(r->memoryCache[(side - 1 - e) * r->memoryPitch + e], 0);  // the glyph fills its cell to the last row
    ASSERT_EQ(CacheFontGlyphs(-1, "ABCDEFGHIJKLMNOPQRS", font, nullptr, nullptr), 0);
    ClearFontGlyphCache(font);
    const_cast<FontHandleData*>(r)->nextCell = 19;
    ASSERT_EQ(CacheFontGlyphs(-1, "W", font, nullptr, nullptr), 0);
    EXPECT_EQ(r->codes['W'].cell->cellIndex, 19);
    DeleteFontHandle(font);
  }

  detail::SetFontTextureCacheWanted(1);
  const int font = CreateFontHandle(nullptr, 16, 6, FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  const FontHandleData* r = GetFontRecord(font);
  const int side = r->cellSide;
  ASSERT_EQ(CacheFontGlyphs(-1, "W", font, nullptr, nullptr), 0);
  EXPECT_EQ(r->codes['W'].cell->width, side);
  // Nothing past the cell square in the staging image, neither under nor beside it.
  const auto* staging = static_cast<const uint8_t*>(r->staging.pixels);
  for (int y = 0; y < r->staging.height; ++y) {
    for (int x = 0; x < r->staging.width; ++x) {
      const bool inCell = y < side && (x < side || (x >= r->cacheWidth && x < r->cacheWidth + side));
      if (inCell) continue;
      uint32_t v = 0;
      std::memcpy(&v, staging + y * r->staging.pitch + x * 4, 4);
      ASSERT_EQ(v, 0u) << x << "," << y;
    }
  }
}

TEST_F(GlyphCache, ClearingForgetsEveryCharacter) {
  const int font = CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  const FontHandleData* r = GetFontRecord(font);
  ASSERT_EQ(CacheFontGlyphs(-1, "ABC\x82\xa0", font, nullptr, nullptr), 0);
  ASSERT_EQ(r->nextCell, 4);
  EXPECT_EQ(ClearFontGlyphCache(font), 0);
  EXPECT_EQ(r->nextCell, 0);
  EXPECT_FALSE(Cached(r, 'A'));
  int left = 0;
  for (const FontCodeEntry& entry : r->codes) left += entry.cached != 0 || entry.cell != nullptr;
  EXPECT_EQ(left, 0);
  EXPECT_EQ(r->cells[0].inUse, 0);
  EXPECT_EQ(r->cells[0].owner, nullptr);
  EXPECT_EQ(r->cells[2].cellIndex, 2);
  EXPECT_EQ(r->cells[r->cellCount].cellIndex, -1);
  EXPECT_EQ(ClearFontGlyphCache(-1), -1);
}

TEST_F(GlyphCache, NothingIsRasterisedWhileDrawingIsSuppressed) {
  const int font = CreateFontHandle(nullptr, 16, 6, 0, -1, -1, 0, -1, -1);
  detail::SetDrawingSuppressed(1);
  EXPECT_EQ(CacheFontGlyphs(-1, "AB", font, nullptr, nullptr), 0);
  EXPECT_FALSE(Cached(GetFontRecord(font), 'A'));
  EXPECT_EQ(MeasureTextWithFont("AB", -1, font, 0), -1);
  detail::SetDrawingSuppressed(0);
  EXPECT_EQ(MeasureTextWithFont("AB", -1, font, 0), 10);
}

}  // namespace
}  // namespace veziv::test
