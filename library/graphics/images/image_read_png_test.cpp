// The PNG reader: every colour type and bit depth, transparency chunks,
// interlacing, and broken files. Fixtures are encoded here with libpng.
#include <gtest/gtest.h>

#include <vector>

#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

TEST(ReadPng, ColourTypesAndDepths) {
  struct Case {
    const char* name;
    PngRecipe recipe;
    int bits;
    std::vector<uint32_t> values;  // stored pixel values, top-down
  };
  const Case cases[] = {
      {"palette 1-bit", {9, 1, PNG_COLOR_TYPE_PALETTE, 1, {{0xA0, 0x80}}, Colours(2)}, 8, {1, 0, 1, 0, 0, 0, 0, 0, 1}},
      {"palette 2-bit", {5, 1, PNG_COLOR_TYPE_PALETTE, 2, {{0x1B, 0xC0}}, Colours(4)}, 8, {0, 1, 2, 3, 3}},
      {"palette 4-bit", {3, 1, PNG_COLOR_TYPE_PALETTE, 4, {{0xF2, 0x70}}, Colours(16)}, 8, {15, 2, 7}},
      {"palette 8-bit", {2, 2, PNG_COLOR_TYPE_PALETTE, 8, {{0, 200}, {7, 3}}, Colours(201)}, 8, {0, 200, 7, 3}},
      {"palette with alpha", {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}}, Colours(2), {0x40}}, 32,
       {0x400A64C8u, 0xFF0B65C9u}},
      {"grey 1-bit", {3, 1, PNG_COLOR_TYPE_GRAY, 1, {{0xA0}}}, 8, {255, 0, 255}},
      {"grey 2-bit", {4, 1, PNG_COLOR_TYPE_GRAY, 2, {{0x1B}}}, 8, {0, 85, 170, 255}},
      {"grey 4-bit", {2, 1, PNG_COLOR_TYPE_GRAY, 4, {{0x1F}}}, 8, {17, 255}},
      {"grey 8-bit", {2, 1, PNG_COLOR_TYPE_GRAY, 8, {{3, 250}}}, 8, {3, 250}},
      {"grey 16-bit", {2, 1, PNG_COLOR_TYPE_GRAY, 16, {{0x12, 0x34, 0xAB, 0xCD}}}, 8, {0x12, 0xAB}},
      // Grey with alpha keeps the alpha byte in bits the description leaves unused.
      {"grey and alpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{9, 0x80, 10, 0xFF}}}, 16, {0x8009, 0xFF0A}},
      {"grey with key", {2, 1, PNG_COLOR_TYPE_GRAY, 8, {{5, 6}}, {}, {}, 5}, 16, {0x0005, 0xFF06}},
      {"RGB 8-bit", {2, 1, PNG_COLOR_TYPE_RGB, 8, {{1, 2, 3, 4, 5, 6}}}, 24, {0x010203, 0x040506}},
      {"RGB 16-bit", {1, 1, PNG_COLOR_TYPE_RGB, 16, {{1, 9, 2, 9, 3, 9}}}, 24, {0x010203}},
      {"RGBA 8-bit", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, {{1, 2, 3, 4}}}, 32, {0x04010203}},
      {"RGBA 16-bit", {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {{1, 0, 2, 0, 3, 0, 4, 0}}}, 32, {0x04010203}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadPngToRasterImage, EncodePng(c.recipe), im.get()), 0);
    EXPECT_EQ(im->width, c.recipe.width);
    EXPECT_EQ(im->height, c.recipe.height);
    EXPECT_EQ(im->format.colorBits, c.bits);
    for (int i = 0; i < int(c.values.size()); ++i)
      EXPECT_EQ(PixelAt(im.image, i % c.recipe.width, i / c.recipe.width), c.values[i]) << "pixel " << i;
  }
}

TEST(ReadPng, PaletteEntriesBeyondTheChunkStayZero) {
  Loaded im;
  ASSERT_EQ(ReadWith(ReadPngToRasterImage, EncodePng({1, 1, PNG_COLOR_TYPE_PALETTE, 4, {{0x50}}, Colours(16)}),
                     im.get()),
            0);
  EXPECT_EQ(im->format.palette[15][0], 200 + 15);
  EXPECT_EQ(im->format.palette[15][1], 100 + 15);
  EXPECT_EQ(im->format.palette[15][2], 10 + 15);
  EXPECT_EQ(im->format.palette[15][3], 0);
  for (int i = 16; i < 256; ++i)
    EXPECT_EQ(im->format.palette[i][0] | im->format.palette[i][1] | im->format.palette[i][2], 0) << i;
  int r, g, b;
  ASSERT_EQ(GetRasterImagePixel(im.get(), 0, 0, &r, &g, &b, nullptr), 0);
  EXPECT_EQ(r, 15);
  EXPECT_EQ(g, 105);
}

TEST(ReadPng, InterlacedEqualsPlain) {
  PngRecipe recipe{11, 9, PNG_COLOR_TYPE_RGB, 8, {}};
  for (int y = 0; y < recipe.height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < recipe.width; ++x) row.insert(row.end(), {uint8_t(x * 20), uint8_t(y * 25), uint8_t(x ^ y)});
    recipe.rows.push_back(row);
  }
  Loaded plain, interlaced;
  ASSERT_EQ(ReadWith(ReadPngToRasterImage, EncodePng(recipe), plain.get()), 0);
  recipe.interlaced = true;
  ASSERT_EQ(ReadWith(ReadPngToRasterImage, EncodePng(recipe), interlaced.get()), 0);
  ASSERT_EQ(plain->pitch, interlaced->pitch);
  for (int y = 0; y < recipe.height; ++y)
    for (int x = 0; x < recipe.width; ++x) {
      EXPECT_EQ(PixelAt(interlaced.image, x, y), PixelAt(plain.image, x, y)) << x << "," << y;
      EXPECT_EQ(PixelAt(plain.image, x, y), uint32_t(x * 20) << 16 | uint32_t(y * 25) << 8 | uint32_t(x ^ y));
    }
}

TEST(ReadPng, RefusesBrokenFiles) {
  std::vector<uint8_t> good = EncodePng({4, 4, PNG_COLOR_TYPE_RGB, 8, std::vector<std::vector<uint8_t>>(4, std::vector<uint8_t>(12, 7))});
  std::vector<uint8_t> badCrc = good;
  badCrc[20] ^= 0xFF;  // inside the header chunk
  const std::vector<uint8_t> cases[] = {
      std::vector<uint8_t>(good.begin(), good.end() - 20),
      std::vector<uint8_t>(good.begin(), good.begin() + 40),
      std::vector<uint8_t>(good.begin(), good.begin() + 8),
      badCrc,
      {},
      {'B', 'M', 0, 0},
  };
  for (const auto& bytes : cases) {
    Loaded im;
    // A refusal is the caller's answer: libpng prints nothing on the way.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadWith(ReadPngToRasterImage, bytes, im.get()), -1) << bytes.size() << " bytes";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << bytes.size() << " bytes";
    EXPECT_EQ(im->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
