// The glyph cache's arithmetic: cell and cache sizes, the edge masks, the
// grey edge and staging alpha rules, and one small glyph written into a cell
// of each memory-cache type and into the staging image.
#include "library/text_input/fonts/glyph_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "library/graphics/images/texture_formats.h"

namespace veziv::detail {
namespace {

TEST(GlyphCacheSizes, FollowTheMetrics) {
  const struct {
    int width, height, edge;
    bool texture;
    FontCacheLayout want;
  } cases[] = {
      {17, 12, 0, false, {24, 12, 24, 568 * 24, 568, 568}},
      {17, 12, 2, false, {24, 16, 24, 568 * 24, 568, 568}},   // 17 + 2 + 4 rounded up to 24
      {14, 16, 0, true, {16, 16, 512, 512, 1024, 32}},
      {198, 16, 0, true, {200, 16, 1024, 512, 10, 2}},         // 4 cells in 512 x 512: doubled once
      {14, 16, 0, false, {16, 16, 16, 1280 * 16, 1280, 1280}},
      {158, 16, 0, false, {160, 16, 160, 20 * 160, 20, 20}},    // 12 computed, 20 used
      {4, 31, 0, false, {32, 32, 32, 320 * 32, 320, 320}},      // a cell as tall as the even glyph height
      {6, 8, 0, true, {8, 8, 512, 512, 2024, 64}},              // 4096 cells capped
      {6, 8, 0, false, {8, 8, 8, 2024 * 8, 2024, 2024}},
  };
  for (const auto& c : cases) {
    const FontCacheLayout got = ComputeFontCacheLayout(c.width, c.height, c.edge, c.texture);
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " edge " + std::to_string(c.edge));
    EXPECT_EQ(got.cellSide, c.want.cellSide);
    EXPECT_EQ(got.glyphHeight, c.want.glyphHeight);
    EXPECT_EQ(got.cacheWidth, c.want.cacheWidth);
    EXPECT_EQ(got.cacheHeight, c.want.cacheHeight);
    EXPECT_EQ(got.cellCount, c.want.cellCount);
    EXPECT_EQ(got.cellsPerColumn, c.want.cellsPerColumn);
  }
  EXPECT_EQ(ComputeFontCacheLayout(1000, 16, 10000, false).cellSide, 0);  // no cache holds it
  int x = 0, y = 0;
  CellPosition(ComputeFontCacheLayout(198, 16, 0, true), 3, &x, &y);
  EXPECT_EQ(x, 200);  // cells run down a column, then on to the next
  EXPECT_EQ(y, 200);
}

std::vector<std::string> MaskPicture(int edge) {
  std::vector<std::string> rows;
  for (int dy = -edge; dy <= edge; ++dy) {
    std::string row;
    for (int dx = -edge; dx <= edge; ++dx) row += EdgeMaskReaches(edge, dx, dy) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(GlyphCacheEdges, MasksReachTheirPixels) {
  using Rows = std::vector<std::string>;
  EXPECT_EQ(MaskPicture(1), (Rows{".#.", "#.#", ".#."}));
  EXPECT_EQ(MaskPicture(2), (Rows{".###.", "#####", "#####", "#####", ".###."}));
  EXPECT_EQ(MaskPicture(3), (Rows{"...#...", ".#####.", ".#####.", "#######", ".#####.", ".#####.", "...#..."}));
  EXPECT_EQ(MaskPicture(4), (Rows{"..#####..", ".#######.", "#########", "#########", "#########", "#########",
                                  "#########", ".#######.", "..#####.."}));
  EXPECT_EQ(MaskPicture(5), Rows(11, std::string(11, '#')));
  EXPECT_FALSE(EdgeMaskReaches(0, 0, 1));
  EXPECT_FALSE(EdgeMaskReaches(2, 3, 0));
}

TEST(GlyphCacheEdges, GreyCoverageAndStagingAlpha) {
  const struct {
    int old, level, want;
  } cover[] = {{0, 16, 16}, {0, 8, 8}, {8, 8, 12}, {12, 8, 14}, {14, 8, 15}, {0, 1, 1}, {15, 1, 15}, {16, 3, 16}};
  for (const auto& c : cover) EXPECT_EQ(CombineEdgeCoverage(c.old, c.level), c.want) << c.old << " " << c.level;

  const struct {
    int index, level;
    uint32_t want;
  } staging[] = {
      {2, 16, 0xFFFF}, {2, 8, 0x7FFF}, {2, 1, 0x0FFF}, {2, 0, 0},  // A4R4G4B4: level 1 leaves alpha 0
      {3, 16, 0xFFFFFFFF}, {3, 1, 0x0FFFFFFF},                      // A8R8G8B8: 15..255
      {4, 16, 0xFFFF}, {1, 16, 0xFFFFFF},                           // key alpha; no alpha at all
  };
  for (const auto& c : staging) {
    EXPECT_EQ(StagingPixelValue(*GetTextureFormatPixelFormatDesc(c.index), c.level), c.want)
        << c.index << " " << c.level;
  }
}

// A plus of three by three: one-bit, and grey with a full centre and half arms.
const uint8_t kMonoPlus[] = {0x40, 0, 0, 0, 0xE0, 0, 0, 0, 0x40, 0, 0, 0};
const uint8_t kGreyPlus[] = {0, 8, 0, 0, 8, 16, 8, 0, 0, 8, 0, 0};
const GlyphBitmap kMono{kMonoPlus, 4, 3, 3, true};
const GlyphBitmap kGrey{kGreyPlus, 4, 3, 3, false};

constexpr int kPitch = 8;

std::vector<std::vector<int>> CellBytes(int type, int edge, const GlyphBitmap& glyph, int size) {
  std::vector<uint8_t> cell(kPitch * 8, 0);
  WriteMemoryCell(type, edge, glyph, cell.data(), kPitch);
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < size; ++y) rows.emplace_back(cell.begin() + y * kPitch, cell.begin() + y * kPitch + size);
  // Nothing lands outside the widened box.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < kPitch; ++x) {
      if (y >= size || x >= size) {
        EXPECT_EQ(cell[size_t(y * kPitch + x)], 0) << x << "," << y;
      }
    }
  }
  return rows;
}

TEST(GlyphCacheCells, MemoryTypesEncodeBodyAndEdge) {
  using Grid = std::vector<std::vector<int>>;
  std::vector<uint8_t> bits(kPitch * 4, 0);
  WriteMemoryCell(0, 1, kMono, bits.data(), kPitch);  // one bit a pixel, never edged
  EXPECT_EQ(bits[0], 0x40);
  EXPECT_EQ(bits[kPitch], 0xE0);
  EXPECT_EQ(bits[2 * kPitch], 0x40);
  EXPECT_EQ(bits[3 * kPitch], 0);

  EXPECT_EQ(CellBytes(1, 1, kMono, 5), (Grid{{0, 0, 2, 0, 0},
                                             {0, 2, 1, 2, 0},
                                             {2, 1, 1, 1, 2},
                                             {0, 2, 1, 2, 0},
                                             {0, 0, 2, 0, 0}}));
  EXPECT_EQ(CellBytes(2, 0, kGrey, 3), (Grid{{0, 7, 0}, {7, 15, 7}, {0, 7, 0}}));
  EXPECT_EQ(CellBytes(3, 1, kGrey, 5), (Grid{{0x00, 0x00, 0x70, 0x00, 0x00},
                                             {0x00, 0x70, 0xF7, 0x70, 0x00},
                                             {0x70, 0xF7, 0x7F, 0xF7, 0x70},
                                             {0x00, 0x70, 0xF7, 0x70, 0x00},
                                             {0x00, 0x00, 0x70, 0x00, 0x00}}));
}

// Random glyphs, one bit and grey, with every edge from 1 to 5 in both edged
// types, against the rule applied pixel by pixel: the body as it stands, and
// each pixel the mask reaches from a body pixel raised to that pixel's edge.
TEST(GlyphCacheCells, EdgesOfEverySizeFollowTheMaskPixelByPixel) {
  uint32_t x = 5;
  auto next = [&x](uint32_t n) {
    x = x * 1103515245u + 12345u;
    return (x >> 8) % n;
  };
  for (const bool mono : {true, false})
    for (const int type : {1, 3})
      for (int edge = 1; edge <= 5; ++edge) {
        SCOPED_TRACE((mono ? "one bit, type " : "grey, type ") + std::to_string(type) + ", edge " + std::to_string(edge));
        const int width = 1 + static_cast<int>(next(13)), height = 1 + static_cast<int>(next(11));
        const int pitch = mono ? (width + 7) / 8 : width;
        std::vector<uint8_t> bits(static_cast<size_t>(pitch * height));
        for (uint8_t& b : bits) b = static_cast<uint8_t>(mono ? next(256) : next(3) == 0 ? 0 : next(17));
        const GlyphBitmap glyph{bits.data(), pitch, width, height, mono};
        const int side = std::max(width, height) + 2 * edge, cellPitch = side + 3;
        std::vector<uint8_t> cell(static_cast<size_t>(cellPitch * side), 0), expected = cell;
        WriteMemoryCell(type, edge, glyph, cell.data(), cellPitch);
        auto at = [&](int gx, int gy) -> uint8_t& { return expected[static_cast<size_t>((gy + edge) * cellPitch + gx + edge)]; };
        for (int gy = 0; gy < height; ++gy)
          for (int gx = 0; gx < width; ++gx) {
            const int g = glyph.Level(gx, gy);
            at(gx, gy) = static_cast<uint8_t>(type == 1 ? (g != 0) : (g > 0 ? g - 1 : 0));
          }
        for (int gy = 0; gy < height; ++gy)
          for (int gx = 0; gx < width; ++gx) {
            const int g = glyph.Level(gx, gy);
            if (g == 0) continue;
            for (int dy = -edge; dy <= edge; ++dy)
              for (int dx = -edge; dx <= edge; ++dx) {
                if (!EdgeMaskReaches(edge, dx, dy)) continue;
                uint8_t& p = at(gx + dx, gy + dy);
                if (type == 1 && p == 0) p = 2;
                if (type == 3 && (g - 1) * 16 > (p & 0xF0)) p = static_cast<uint8_t>((p & 0x0F) | (g - 1) * 16);
              }
          }
        EXPECT_EQ(cell, expected);
      }
}

std::vector<std::vector<uint32_t>> Square(const RasterImage& image, int x0, int size) {
  std::vector<std::vector<uint32_t>> rows;
  for (int y = 0; y < size; ++y) {
    std::vector<uint32_t> row;
    for (int x = x0; x < x0 + size; ++x) {
      const uint8_t* p = static_cast<const uint8_t*>(image.pixels) + y * image.pitch + x * 2;
      row.push_back(uint32_t(p[0]) | uint32_t(p[1]) << 8);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GlyphCacheCells, StagingTakesTheBodyLeftAndTheEdgeRight) {
  using Grid = std::vector<std::vector<uint32_t>>;
  RasterImage image;
  ASSERT_EQ(InitRasterImageWithFormat(16, 8, GetTextureFormatPixelFormatDesc(2), &image), 0);
  std::memset(image.pixels, 0, size_t(image.pitch) * 8);
  WriteStagingCell(1, kGrey, &image, 0, 0, 8);
  EXPECT_EQ(Square(image, 0, 5), (Grid{{0, 0, 0, 0, 0},
                                       {0, 0, 0x7FFF, 0, 0},
                                       {0, 0x7FFF, 0xFFFF, 0x7FFF, 0},
                                       {0, 0, 0x7FFF, 0, 0},
                                       {0, 0, 0, 0, 0}}));
  // Gathered in sixteenths, body pixels in rows from the top, each row from the left.
  EXPECT_EQ(Square(image, 8, 5), (Grid{{0, 0, 0x7FFF, 0, 0},
                                       {0, 0xBFFF, 0xFFFF, 0xBFFF, 0},
                                       {0x7FFF, 0xFFFF, 0xEFFF, 0xFFFF, 0x7FFF},
                                       {0, 0xBFFF, 0xFFFF, 0xBFFF, 0},
                                       {0, 0, 0x7FFF, 0, 0}}));
  FreeRasterImage(&image);

  ASSERT_EQ(InitRasterImageWithFormat(16, 8, GetTextureFormatPixelFormatDesc(4), &image), 0);
  std::memset(image.pixels, 0, size_t(image.pitch) * 8);
  WriteStagingCell(1, kMono, &image, 0, 0, 8);
  const uint32_t F = 0xFFFF;
  EXPECT_EQ(Square(image, 8, 5), (Grid{{0, 0, F, 0, 0}, {0, F, F, F, 0}, {F, F, F, F, F}, {0, F, F, F, 0}, {0, 0, F, 0, 0}}));
  FreeRasterImage(&image);
}

}  // namespace
}  // namespace veziv::detail
