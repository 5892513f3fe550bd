// The TGA reader: image types, depths, orientations, ID field, colour maps,
// the footer, and broken files.
#include <gtest/gtest.h>

#include <vector>

#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

TEST(ReadTga, TypesDepthsAndOrientations) {
  struct Case {
    const char* name;
    TgaRecipe recipe;
    int bits;
    std::vector<uint32_t> values;  // top-down, left to right, as stored in the record
  };
  const Case cases[] = {
      {"24-bit bottom-up", {2, 2, 2, 24, 0x00, Pixels({3, 4, 1, 2}, 3)}, 24, {1, 2, 3, 4}},
      {"32-bit top-down", {2, 2, 2, 32, 0x28, Pixels({0xFF000001, 2, 3, 4}, 4)}, 32, {0xFF000001, 2, 3, 4}},
      {"bottom-up, right to left", {2, 2, 2, 24, 0x10, Pixels({4, 3, 2, 1}, 3)}, 24, {1, 2, 3, 4}},
      {"top-down, right to left", {2, 3, 1, 16, 0x30, Pixels({0x7C00, 0x3E0, 0x801F}, 2)}, 16,
       {0x801F, 0x3E0, 0x7C00}},
      {"colour-mapped with ID field",
       {1, 3, 1, 8, 0x20, {0, 1, 2}, Pixels({0x112233, 0x445566}, 3), 1, 2, 24, "abc"},
       24,
       {0, 0x112233, 0x445566}},
      {"RLE colour-mapped", {9, 4, 1, 8, 0x20, {0x82, 1, 0x00, 0}, Pixels({0xAA, 0xBB}, 4), 0, 2, 32}, 32,
       {0xBB, 0xBB, 0xBB, 0xAA}},
      {"RLE true colour, footer",
       {10, 3, 1, 24, 0x20, Bytes().u8(0x81).raw(Pixels({7}, 3)).u8(0).raw(Pixels({9}, 3)).data, {}, 0, 0, 0, "",
        true},
       24,
       {7, 7, 9}},
      {"true colour with a colour map to skip",
       {2, 1, 1, 24, 0x20, Pixels({0x123456}, 3), Pixels({1, 2}, 2), 0, 2, 16},
       24,
       {0x123456}},
      {"RLE packet longer than the image stops at its end", {10, 2, 1, 16, 0x20, Bytes().u8(0xFF).u16(0x1234).data},
       16, {0x1234, 0x1234}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadTgaToRasterImage, MakeTga(c.recipe), im.get()), 0);
    EXPECT_EQ(im->width, c.recipe.width);
    EXPECT_EQ(im->height, c.recipe.height);
    EXPECT_EQ(im->format.colorBits, c.bits);
    EXPECT_EQ(im->pitch, c.recipe.width * c.bits / 8);
    for (int i = 0; i < int(c.values.size()); ++i)
      EXPECT_EQ(PixelAt(im.image, i % c.recipe.width, i / c.recipe.width), c.values[i]) << "pixel " << i;
  }
}

TEST(ReadTga, DescriptionsByDepth) {
  Loaded a, b;
  ASSERT_EQ(ReadWith(ReadTgaToRasterImage, MakeTga({2, 1, 1, 16, 0x20, {0, 0}}), a.get()), 0);
  EXPECT_EQ(a->format.redMask, 0x7C00u);
  EXPECT_EQ(a->format.unusedMask, 0x8000u);
  EXPECT_EQ(a->format.alphaWidth, 0);
  ASSERT_EQ(ReadWith(ReadTgaToRasterImage, MakeTga({2, 1, 1, 32, 0x20, {0, 0, 0, 0}}), b.get()), 0);
  EXPECT_EQ(b->format.alphaMask, 0xFF000000u);
}

TEST(ReadTga, RefusesBrokenFiles) {
  struct Case {
    const char* name;
    TgaRecipe recipe;
  };
  const Case cases[] = {
      {"x origin", {2, 1, 1, 24, 0, {1, 2, 3}, {}, 0, 0, 0, "", false, 5}},
      {"too wide", {2, 8193, 1, 24, 0, std::vector<uint8_t>(8193 * 3)}},
      {"zero height", {2, 4, 0, 24, 0, {}}},
      {"grey type", {3, 1, 1, 8, 0, {1}}},
      {"8-bit true colour", {2, 1, 1, 8, 0, {1}}},
      {"16-bit indices", {1, 1, 1, 16, 0, {0, 0}, Pixels({1}, 3), 0, 1, 24}},
      {"colour map past 256 entries", {1, 1, 1, 8, 0, {0}, std::vector<uint8_t>(30), 250, 10, 24}},
      {"truncated pixels", {2, 2, 2, 24, 0, std::vector<uint8_t>(11)}},
      {"truncated indices", {1, 2, 2, 8, 0, {0, 0, 0}, Pixels({1}, 3), 0, 1, 24}},
      {"RLE data ends early", {10, 4, 1, 24, 0, Bytes().u8(0x81).raw(Pixels({7}, 3)).u8(0x01).u8(1).data}},
      {"RLE run value cut", {10, 1, 1, 32, 0, {0x80, 1, 2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    EXPECT_EQ(ReadWith(ReadTgaToRasterImage, MakeTga(c.recipe), im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
