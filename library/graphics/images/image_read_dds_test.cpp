// The DDS and raw BGRA readers: formats, mip chains, compressed sizes and
// broken files.
#include <gtest/gtest.h>

#include <vector>

#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

TEST(ReadDds, UncompressedFormats) {
  struct Case {
    const char* name;
    DdsRecipe recipe;
    size_t dataBytes;
    int bits, pitch, levels;
    uint32_t redMask, alphaMask;
  };
  const Case cases[] = {
      {"A8R8G8B8 with mips", {4, 4, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 3}, 64 + 16 + 4, 32, 16, 3,
       0xFF0000, 0xFF000000},
      {"RGB with alpha flag", {2, 2, 0x41, "", 0, 16, 0xF800, 0x7E0, 0x1F, 0}, 8, 16, 4, 0, 0xF800, 0},
      {"format number 21", {2, 1, 4, "", 21}, 8, 32, 8, 0, 0xFF0000, 0xFF000000},
      {"format number 23", {2, 1, 4, "", 23}, 4, 16, 4, 0, 0xF800, 0},
      {"format number 31", {1, 1, 4, "", 31}, 4, 32, 4, 0, 0x3FF, 0xC0000000},
      {"header pitch wider than the row", {2, 2, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0, 12}, 24, 32, 12, 0,
       0xFF0000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> file = WithData(DdsHeader(c.recipe), c.dataBytes);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadDdsToRasterImage, file, im.get()), 0);
    EXPECT_EQ(im->width, int(c.recipe.width));
    EXPECT_EQ(im->height, int(c.recipe.height));
    EXPECT_EQ(im->format.colorBits, c.bits);
    EXPECT_EQ(im->pitch, c.pitch);
    EXPECT_EQ(im->levelCount, c.levels);
    EXPECT_EQ(im->format.redMask, c.redMask);
    EXPECT_EQ(im->format.alphaMask, c.alphaMask);
    EXPECT_EQ(im->format.compressedKind, 0u);
    file.pop_back();
    Loaded shortFile;
    EXPECT_EQ(ReadWith(ReadDdsToRasterImage, file, shortFile.get()), -1) << "one byte short";
  }
}

TEST(ReadDds, CompressedSizesCountWholeBlocksPerLevel) {
  struct Case {
    const char* name;
    DdsRecipe recipe;
    size_t dataBytes;
    uint32_t kind;
    int bits;
  };
  const Case cases[] = {
      {"DXT1 8x8", {8, 8, 4, "DXT1"}, 4 * 8, 1, 4},
      {"DXT3 odd size", {5, 6, 4, "DXT3"}, 4 * 16, 3, 8},
      // The two smallest levels hold one whole block each.
      {"DXT5 256x256, 9 levels", {256, 256, 4, "DXT5", 0, 0, 0, 0, 0, 0, 9},
       65536 + 16384 + 4096 + 1024 + 256 + 64 + 16 + 16 + 16, 5, 8},
      {"DXT1 with mips to 1x1", {4, 4, 4, "DXT1", 0, 0, 0, 0, 0, 0, 3}, 3 * 8, 1, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> file = WithData(DdsHeader(c.recipe), c.dataBytes);
    Loaded im;
    ASSERT_EQ(ReadWith(ReadDdsToRasterImage, file, im.get()), 0);
    EXPECT_EQ(im->format.compressedKind, c.kind);
    EXPECT_EQ(im->format.colorBits, c.bits);
    EXPECT_EQ(im->pitch, 0);
    EXPECT_EQ(DecompressRasterImageDxt(im.get()), 0);
    EXPECT_EQ(im->pitch, int(c.recipe.width) * 4);
    file.pop_back();
    Loaded shortFile;
    EXPECT_EQ(ReadWith(ReadDdsToRasterImage, file, shortFile.get()), -1) << "one byte short";
  }
}

TEST(ReadDds, RefusesBrokenFiles) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> badMagic = WithData(DdsHeader({1, 1, 4, "", 21}), 4);
  badMagic[2] = 'T';
  const Case cases[] = {
      {"magic", badMagic},
      {"RGB without alpha flag", WithData(DdsHeader({2, 2, 0x40, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0}), 16)},
      {"unknown FourCC", WithData(DdsHeader({4, 4, 4, "ABCD"}), 64)},
      {"unknown format number with other flags", WithData(DdsHeader({1, 1, 5, "", 21}), 4)},
      {"zero width", WithData(DdsHeader({0, 4, 4, "DXT1"}), 64)},
      {"huge size", WithData(DdsHeader({100000, 100000, 4, "DXT1"}), 64)},
      {"pitch below the row", WithData(DdsHeader({4, 1, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0, 8}), 16)},
      {"odd bit count", WithData(DdsHeader({1, 1, 0x41, "", 0, 12, 0xF00, 0xF0, 0xF, 0}), 4)},
      {"absurd mip count", WithData(DdsHeader({4, 4, 4, "DXT1", 0, 0, 0, 0, 0, 0, 1000000}), 4096)},
      {"header cut", std::vector<uint8_t>(badMagic.begin(), badMagic.begin() + 60)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    EXPECT_EQ(ReadWith(ReadDdsToRasterImage, c.bytes, im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

TEST(ReadBgra, EightAndSixteenBitChannels) {
  Loaded a, b;
  ASSERT_EQ(ReadWith(ReadBgraToRasterImage, Bgra(0x08080808, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8}), a.get()), 0);
  EXPECT_EQ(PixelAt(a.image, 0, 0), 0x04030201u);
  EXPECT_EQ(PixelAt(a.image, 1, 0), 0x08070605u);
  EXPECT_EQ(a->format.alphaMask, 0xFF000000u);
  EXPECT_EQ(a->pitch, 8);
  std::vector<uint8_t> wide = Bytes().u16(0x1100).u16(0x22FF).u16(0x3301).u16(0x4480).u16(1).u16(2).u16(3).u16(4).data;
  ASSERT_EQ(ReadWith(ReadBgraToRasterImage, Bgra(0x10101010, 1, 2, wide), b.get()), 0);
  EXPECT_EQ(PixelAt(b.image, 0, 0), 0x44332211u);
  EXPECT_EQ(PixelAt(b.image, 0, 1), 0u);
}

TEST(ReadBgra, RefusesBrokenFiles) {
  const std::vector<uint8_t> cases[] = {
      Bgra(0x08080800, 1, 1, {1, 2, 3, 4}),
      Bgra(0x08080808, 2, 1, {1, 2, 3, 4}),
      Bgra(0x10101010, 1, 1, {1, 2, 3, 4}),
      Bgra(0x08080808, 0x10000, 0x10001, {1, 2, 3, 4}),
      Bgra(0x10101010, 0xFFFFFFFF, 0xFFFFFFFF, {1, 2, 3, 4}),
      Bgra(0x08080808, 0, 5, {}),
      Bytes().text("BGRX").u32(0x08080808).u32(1).u32(1).u32(0).data,
  };
  for (const auto& bytes : cases) {
    Loaded im;
    EXPECT_EQ(ReadWith(ReadBgraToRasterImage, bytes, im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
