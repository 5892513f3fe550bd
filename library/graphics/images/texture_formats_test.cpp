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
// Alpha wins over the transparent colour; any colour bits but 16 mean 32.
TEST(TextureFormats, WishesPickTheFormatOfTheirTypeNumber) {
  const struct {
    int alpha, bits, trans, target, index;
  } cases[] = {
      {1, 16, 0, 0, 2}, {0, 16, 1, 0, 4}, {1, 32, 0, 0, 3}, {0, 32, 1, 0, 5},
      {0, 16, 0, 0, 0}, {0, 32, 0, 0, 1}, {0, 16, 0, 1, 11}, {0, 32, 0, 1, 12},
      {1, 32, 0, 1, 13}, {0, 16, 1, 1, 13}, {1, 16, 1, 0, 2},  {0, 24, 0, 0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetTexturePixelFormat(c.alpha, c.bits, c.trans, c.target), GetTextureFormatPixelFormatDesc(c.index))
        << c.alpha << c.bits << c.trans << c.target;
  }
  // A compressed format number wins over every other wish; above 5 it names no format.
  GraphCreateRequest compressed{};
  compressed.alpha = compressed.renderTarget = compressed.transColorUse = 1;
  compressed.colorBits = 16;
  for (uint8_t n = 1; n <= 5; ++n) {
    compressed.compressedFormat = n;
    const PixelFormatDesc* d = GetPixelFormatForRequest(compressed);
    EXPECT_EQ(d, GetTextureFormatPixelFormatDesc(5 + n)) << int(n);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->compressedKind, n);
  }
  compressed.compressedFormat = 6;
  EXPECT_EQ(GetPixelFormatForRequest(compressed), nullptr);
}

}  // namespace
}  // namespace veziv
