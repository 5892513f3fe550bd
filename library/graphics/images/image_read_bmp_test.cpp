// The bitmap reader: each bit depth and orientation, RLE escapes, bit fields,
// and broken files that must be refused without reading out of bounds.
#include <gtest/gtest.h>

#include <vector>

#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

TEST(ReadBmp, ColourDepthsAndOrientations) {
  struct Case {
    const char* name;
    BmpRecipe recipe;
    int outBits;
    std::vector<uint32_t> rgb;  // top-down, left to right
  };
  const Case cases[] = {
      {"24-bit bottom-up",
       {2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}},
       24,
       {0x090807, 0x0C0B0A, 0x030201, 0x060504}},
      {"24-bit top-down",
       {2, -2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}},
       24,
       {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
      {"8-bit palette",
       {3, 2, 8, 0, Palette({0x112233, 0x445566, 0x778899}, 256), {2, 1, 0, 0, 0, 0, 1, 0}},
       8,
       {0x112233, 0x112233, 0x445566, 0x778899, 0x445566, 0x112233}},
      {"4-bit palette",
       {3, -1, 4, 0, Palette({0x000000, 0xFF0000, 0x00FF00}, 16), {0x12, 0x00, 0, 0}},
       8,
       {0xFF0000, 0x00FF00, 0x000000}},
      {"1-bit to 24",
       {10, 1, 1, 0, Palette({0x102030, 0xF0E0D0}, 2), {0xA0, 0x40, 0, 0}},
       24,
       {0xF0E0D0, 0x102030, 0xF0E0D0, 0x102030, 0x102030, 0x102030, 0x102030, 0x102030, 0x102030, 0xF0E0D0}},
      // Five-bit channels widen by repeating their bits: 1 -> 8, 16 -> 132.
      {"16-bit 5-5-5",
       {3, 1, 16, 0, Masks(0, 0, 0), Bytes().u16(0x7FFF).u16(0x0421).u16(0x4210).u16(0).data},
       24,
       {0xFFFFFF, 0x080808, 0x848484}},
      {"16-bit 5-6-5 fields",
       {4, 1, 16, 3, Masks(0xF800, 0x7E0, 0x1F), Bytes().u16(0xF800).u16(0x07E0).u16(0x001F).u16(0x0841).data},
       24,
       {0xFF0000, 0x00FF00, 0x0000FF, 0x080808}},
      {"16-bit single pixel, shorter than the masks",
       {1, 1, 16, 0, {}, Bytes().u16(0x7C00).u16(0).data},
       24,
       {0xFF0000}},
      {"32-bit BGRX",
       {2, 1, 32, 0, Masks(0, 0, 0), Bytes().u32(0xFF123456).u32(0x00ABCDEF).data},
       24,
       {0x123456, 0xABCDEF}},
      {"32-bit fields RGBX",
       {1, 1, 32, 3, Masks(0xFF, 0xFF00, 0xFF0000), Bytes().u32(0x00563412).data},
       24,
       {0x123456}},
      {"32-bit ten-bit fields",
       {1, 1, 32, 3, Masks(0x3FF00000, 0xFFC00, 0x3FF), Bytes().u32(0x3FF00000 | (0x200 << 10) | 0x3).data},
       24,
       {0xFF8000}},
      {"larger header",
       {1, 1, 8, 0, Palette({0x0A0B0C, 0x102030}, 256), {1, 0, 0, 0}, 108},
       8,
       {0x102030}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadBmpToRasterImage, MakeBmp(c.recipe), im.get()), 0);
    const int rows = c.recipe.height < 0 ? -c.recipe.height : c.recipe.height;
    ASSERT_EQ(im->width, c.recipe.width);
    ASSERT_EQ(im->height, rows);
    EXPECT_EQ(im->format.colorBits, c.outBits);
    EXPECT_GE(im->pitch, c.recipe.width * im->format.bytesPerPixel);
    EXPECT_EQ(im->pitch % 4, 0);
    for (int i = 0; i < int(c.rgb.size()); ++i)
      EXPECT_EQ(RgbAt(im.image, i % c.recipe.width, i / c.recipe.width), c.rgb[i]) << "pixel " << i;
    if (c.outBits == 8) {
      for (int i = 0; i < 256; ++i) EXPECT_EQ(im->format.palette[i][3], 0);
    }
  }
}

TEST(ReadBmp, RleEscapes) {
  struct Case {
    const char* name;
    BmpRecipe recipe;
    int pitch;
    std::vector<uint8_t> indices;  // top-down
  };
  const Case cases[] = {
      {"RLE8 run, odd literal, end of line, delta, clipped run",
       {4, 3, 8, 1, Palette({}, 256),
        {2, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 1, 6, 5, 4, 0, 1, 9, 9}},
       4,
       {0, 6, 4, 4, 0, 0, 0, 0, 5, 5, 7, 8}},
      {"RLE4 runs alternate nibbles, literals padded",
       {5, -2, 4, 2, Palette({}, 16), {3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 0, 1}},
       8,
       {1, 2, 1, 3, 4, 6, 7, 8, 9, 10}},
      {"positions outside the image are ignored",
       {2, 2, 8, 1, Palette({}, 256), {0, 2, 200, 200, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 3, 2}},
       4,
       {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadBmpToRasterImage, MakeBmp(c.recipe), im.get()), 0);
    EXPECT_EQ(im->format.bytesPerPixel, 1);
    EXPECT_EQ(im->pitch, c.pitch);
    for (int i = 0; i < int(c.indices.size()); ++i)
      EXPECT_EQ(PixelAt(im.image, i % c.recipe.width, i / c.recipe.width), c.indices[i]) << "pixel " << i;
  }
}

TEST(ReadBmp, RefusesBrokenFiles) {
  const std::vector<uint8_t> good = MakeBmp({2, 2, 24, 0, {}, std::vector<uint8_t>(16, 7)});
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases = {
      {"wrong magic", good},
      {"truncated pixels", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"negative width", MakeBmp({-2, 2, 24, 0, {}, std::vector<uint8_t>(16, 7)})},
      {"zero height", MakeBmp({2, 0, 24, 0, {}, {}})},
      {"row size overflows", MakeBmp({0x7FFFFFFF, 0x7FFFFFFF, 24, 0, {}, std::vector<uint8_t>(64, 7)})},
      {"huge RLE image", MakeBmp({0x40000000, 0x1000, 8, 1, Palette({}, 256), {0, 1}})},
      {"embedded JPEG", MakeBmp({2, 2, 24, 4, {}, std::vector<uint8_t>(16, 7)})},
      {"2-bit", MakeBmp({2, 2, 2, 0, Palette({}, 4), std::vector<uint8_t>(8, 7)})},
      {"bit fields on 24 bits", MakeBmp({2, 2, 24, 3, Masks(1, 2, 4), std::vector<uint8_t>(16, 7)})},
      {"truncated RLE literal", MakeBmp({8, 1, 8, 1, Palette({}, 256), {0, 8, 1, 2}})},
      {"short information header", MakeBmp({1, 1, 24, 0, {}, std::vector<uint8_t>(4, 7), 12})},
  };
  cases[0].bytes[1] = 'A';
  {
    // Pixel-data offset beyond the end of the file.
    std::vector<uint8_t> b = good;
    b[10] = 0xFF;
    b[11] = 0xFF;
    cases.push_back({"data offset past the end", b});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    EXPECT_EQ(ReadWith(ReadBmpToRasterImage, c.bytes, im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
