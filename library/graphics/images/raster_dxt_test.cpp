// The DXT decoder: colour modes, both alpha encodings, and edge blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {
namespace {

void ColourBlock(std::vector<uint8_t>& out, uint16_t c0, uint16_t c1, uint32_t indices) {
  uint8_t b[8];
  detail::StoreLe16(b, c0);
  detail::StoreLe16(b + 2, c1);
  detail::StoreLe32(b + 4, indices);
  out.insert(out.end(), b, b + 8);
}

// Pixel k of a block uses index k mod 4.
constexpr uint32_t kIndexByColumn = 0xE4E4E4E4u;

RasterImage Compressed(int kind, int width, int height, const std::vector<uint8_t>& data, int levels = 0) {
  RasterImage im{};
  SetPixelFormatDescA8R8G8B8(&im.format);
  im.format.colorBits = kind == 1 ? 4 : 8;
  im.format.compressedKind = uint32_t(kind);
  im.width = width;
  im.height = height;
  im.levelCount = levels;
  im.pixels = detail::AllocRasterMemory(data.size());
  std::memcpy(im.pixels, data.data(), data.size());
  return im;
}

uint32_t At(const RasterImage& im, int x, int y) {
  return detail::LoadLe32(static_cast<const uint8_t*>(im.pixels) + y * im.pitch + x * 4);
}

TEST(DecompressDxt, Dxt1ColourModes) {
  struct Case {
    const char* name;
    uint16_t c0, c1;
    uint32_t expected[4];
  };
  const Case cases[] = {
      {"four colours", 0xF800, 0x001F, {0xFFFF0000u, 0xFF0000FFu, 0xFFAA0055u, 0xFF5500AAu}},
      // colour 0 <= colour 1: index 2 is the mean, index 3 the mean made transparent.
      {"three colours", 0x001F, 0xF800, {0xFF0000FFu, 0xFFFF0000u, 0xFF7F007Fu, 0x007F007Fu}},
      {"equal colours", 0x07E0, 0x07E0, {0xFF00FF00u, 0xFF00FF00u, 0xFF00FF00u, 0x0000FF00u}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> data;
    ColourBlock(data, c.c0, c.c1, kIndexByColumn);
    RasterImage im = Compressed(1, 4, 4, data, 2);
    ASSERT_EQ(DecompressRasterImageDxt(&im), 0);
    EXPECT_EQ(im.format.compressedKind, 0u);
    EXPECT_EQ(im.format.alphaMask, 0xFF000000u);
    EXPECT_EQ(im.pitch, 16);
    EXPECT_EQ(im.levelCount, 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(At(im, x, y), c.expected[x]) << x << "," << y;
    FreeRasterImage(&im);
  }
}

TEST(DecompressDxt, ExplicitAlphaAndAlwaysFourColours) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 8; ++i) data.push_back(uint8_t((2 * i) | (2 * i + 1) << 4));  // pixel k has alpha k
  ColourBlock(data, 0x001F, 0xF800, kIndexByColumn);
  for (int kind : {2, 3}) {
    SCOPED_TRACE(kind);
    RasterImage im = Compressed(kind, 4, 4, data);
    ASSERT_EQ(DecompressRasterImageDxt(&im), 0);
    const uint32_t rgb[4] = {0x0000FF, 0xFF0000, 0x5500AA, 0xAA0055};
    for (int k = 0; k < 16; ++k) EXPECT_EQ(At(im, k % 4, k / 4), uint32_t(k * 17) << 24 | rgb[k % 4]) << k;
    FreeRasterImage(&im);
  }
}

TEST(DecompressDxt, InterpolatedAlphaBothModes) {
  struct Case {
    uint8_t a0, a1;
    uint32_t table[8];
  };
  const Case cases[] = {
      {200, 100, {200, 100, 185, 171, 157, 142, 128, 114}},
      {100, 200, {100, 200, 120, 140, 160, 180, 0, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.a0));
    std::vector<uint8_t> data = {c.a0, c.a1};
    uint64_t bits = 0;
    for (int k = 0; k < 16; ++k) bits |= uint64_t(k & 7) << (3 * k);
    for (int i = 0; i < 6; ++i) data.push_back(uint8_t(bits >> (8 * i)));
    ColourBlock(data, 0xFFFF, 0xFFFF, 0);
    for (int kind : {4, 5}) {
      RasterImage im = Compressed(kind, 4, 4, data);
      ASSERT_EQ(DecompressRasterImageDxt(&im), 0);
      for (int k = 0; k < 16; ++k) EXPECT_EQ(At(im, k % 4, k / 4), c.table[k & 7] << 24 | 0xFFFFFF) << k;
      FreeRasterImage(&im);
    }
  }
}

TEST(DecompressDxt, PartialEdgeBlocksAreDecoded) {
  // 5 x 6 pixels: 2 x 2 blocks, each a solid colour of its own.
  const uint16_t colours[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  std::vector<uint8_t> data;
  for (uint16_t c : colours) ColourBlock(data, c, 0, 0);
  RasterImage im = Compressed(1, 5, 6, data);
  ASSERT_EQ(DecompressRasterImageDxt(&im), 0);
  EXPECT_EQ(im.pitch, 20);
  EXPECT_EQ(At(im, 3, 3), 0xFFFF0000u);
  EXPECT_EQ(At(im, 4, 0), 0xFF00FF00u);
  EXPECT_EQ(At(im, 0, 5), 0xFF0000FFu);
  EXPECT_EQ(At(im, 4, 5), 0xFFFFFFFFu);
  FreeRasterImage(&im);
}

TEST(DecompressDxt, PlainImagesAreLeftAlone) {
  RasterImage im{};
  ASSERT_EQ(CreateRasterImageBuffer(2, 2, &im), 0);
  void* before = im.pixels;
  EXPECT_EQ(DecompressRasterImageDxt(&im), 0);
  EXPECT_EQ(im.pixels, before);
  FreeRasterImage(&im);
}

TEST(DecompressDxt, PixelAccessDecodesFirst) {
  std::vector<uint8_t> data;
  ColourBlock(data, 0xF800, 0xF800, 0);
  RasterImage im = Compressed(1, 4, 4, data);
  int r, g, b, a;
  ASSERT_EQ(GetRasterImagePixel(&im, 3, 3, &r, &g, &b, &a), 0);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(a, 255);
  EXPECT_EQ(im.format.compressedKind, 0u);
  FreeRasterImage(&im);
}

}  // namespace
}  // namespace veziv
