// The texture formats' pixel descriptions and the format that a request's
// wishes pick.
#include "library/graphics/images/texture_formats.h"

#include <gtest/gtest.h>

namespace veziv {
namespace {

TEST(TextureFormats, EachIndexHasItsChannelMasks) {
  const struct {
    int index, bits, bytes;
    uint32_t red, alpha;
    uint32_t compressed;
  } cases[] = {
      {0, 16, 2, 0xF800, 0, 0},          {1, 32, 4, 0xFF0000, 0, 0},     {2, 16, 2, 0x0F00, 0xF000, 0},
      {3, 32, 4, 0xFF0000, 0xFF000000, 0}, {4, 16, 2, 0x7C00, 0x8000, 0}, {5, 32, 4, 0xFF0000, 0xFF000000, 0},
      {6, 4, 4, 0xFF0000, 0xFF000000, 1},  {10, 8, 4, 0xFF0000, 0xFF000000, 5}, {11, 16, 2, 0xF800, 0, 0},
      {12, 32, 4, 0xFF0000, 0, 0},       {13, 32, 4, 0xFF0000, 0xFF000000, 0},
  };
  for (const auto& c : cases) {
    const PixelFormatDesc* d = GetTextureFormatPixelFormatDesc(c.index);
    ASSERT_NE(d, nullptr) << c.index;
    EXPECT_EQ(d->colorBits, c.bits) << c.index;
    EXPECT_EQ(d->bytesPerPixel, c.bytes) << c.index;
    EXPECT_EQ(d->redMask, c.red) << c.index;
    EXPECT_EQ(d->alphaMask, c.alpha) << c.index;
    EXPECT_EQ(d->compressedKind, c.compressed) << c.index;
  }
  EXPECT_EQ(GetTextureFormatPixelFormatDesc(14), nullptr);
  EXPECT_EQ(GetTextureFormatPixelFormatDesc(-1), nullptr);
}

// The glyph cache asks for alpha when smoothed, else for the transparent colour.
TEST(TextureFormats, WishesPickTheFormatOfTheirTypeNumber) {
  const struct {
    int alpha, bits, trans, target, index;
  } cases[] = {
      {1, 16, 0, 0, 2}, {0, 16, 1, 0, 4}, {1, 32, 0, 0, 3}, {0, 32, 1, 0, 5},
      {0, 16, 0, 0, 0}, {0, 32, 0, 0, 1}, {0, 16, 0, 1, 11}, {1, 32, 0, 1, 13},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetTexturePixelFormat(c.alpha, c.bits, c.trans, c.target), GetTextureFormatPixelFormatDesc(c.index))
        << c.alpha << c.bits << c.trans << c.target;
  }
  GraphCreateRequest compressed{};
  compressed.compressedFormat = 3;
  EXPECT_EQ(GetPixelFormatForRequest(compressed), GetTextureFormatPixelFormatDesc(8));
  compressed.compressedFormat = 6;
  EXPECT_EQ(GetPixelFormatForRequest(compressed), nullptr);
}

}  // namespace
}  // namespace veziv
