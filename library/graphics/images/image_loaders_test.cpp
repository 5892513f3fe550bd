// The reader chain and the load calls: content decides the reader, mirroring,
// and the "_a" alpha companion.
#include "library/graphics/images/image_loaders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "library/graphics/images/image_test_support.h"
#include "library/graphics/images/image_writers.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

using test::Bytes;
using test::Loaded;
using test::PixelAt;

// A 24-bit bitmap, width x 1, pixels given as 0xRRGGBB.
std::vector<uint8_t> Bmp24(const std::vector<uint32_t>& rgb) {
  Bytes pixels;
  for (uint32_t c : rgb) pixels.u8(c).u8(c >> 8).u8(c >> 16);
  pixels.zeros((4 - pixels.size() % 4) % 4);
  return test::MakeBmp({int32_t(rgb.size()), 1, 24, 0, {}, pixels.data});
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TEST(LoadRasterImage, ContentChoosesTheReader) {
  test::TestFolder folder;
  // A PNG named .bmp is read as PNG.
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  Loaded source;
  ASSERT_EQ(InitRasterImageWithFormat(1, 1, &x8, source.get()), 0);
  detail::StoreLe32(static_cast<uint8_t*>(source->pixels), 0xFF112233);
  const std::string path = folder / "picture.bmp";
  ASSERT_EQ(WritePngFile(path.c_str(), source.get(), 6), 0);
  Loaded fromFile;
  ASSERT_EQ(LoadRasterImage(path.c_str(), nullptr, 0, 0, fromFile.get(), 0), 0);
  EXPECT_EQ(fromFile->format.colorBits, 24);
  EXPECT_EQ(PixelAt(fromFile.image, 0, 0), 0x112233u);

  const std::vector<uint8_t> unknown = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  Loaded refused;
  EXPECT_EQ(LoadRasterImage(nullptr, unknown.data(), int(unknown.size()), 1, refused.get(), 0), -1);
  EXPECT_EQ(refused->pixels, nullptr);
  EXPECT_EQ(LoadRasterImage((folder / "missing.png").c_str(), nullptr, 0, 0, refused.get(), 0), -1);
}

TEST(LoadRasterImage, MirrorTurnsEveryKindOfImage) {
  std::vector<uint8_t> bmp = Bmp24({0x010101, 0x020202, 0x030303});
  Loaded plain, mirrored;
  ASSERT_EQ(LoadRasterImage(nullptr, bmp.data(), int(bmp.size()), 1, plain.get(), 0), 0);
  ASSERT_EQ(LoadRasterImage(nullptr, bmp.data(), int(bmp.size()), 1, mirrored.get(), 1), 0);
  EXPECT_EQ(PixelAt(plain.image, 0, 0), 0x010101u);
  EXPECT_EQ(PixelAt(mirrored.image, 0, 0), 0x030303u);
  EXPECT_EQ(PixelAt(mirrored.image, 2, 0), 0x010101u);

  // Index images too, although the converter copies indices without turning them.
  std::vector<uint8_t> palette = Bytes()
                                     .text("BM").u32(54 + 1024 + 4).u32(0).u32(54 + 1024).u32(40).u32(3).u32(1)
                                     .u16(1).u16(8).u32(0).zeros(20).zeros(1024).u8(5).u8(6).u8(7).u8(0)
                                     .data;
  Loaded indices;
  ASSERT_EQ(LoadRasterImage(nullptr, palette.data(), int(palette.size()), 1, indices.get(), 1), 0);
  EXPECT_EQ(PixelAt(indices.image, 0, 0), 7u);
  EXPECT_EQ(PixelAt(indices.image, 2, 0), 5u);

  // DXT images are decoded before they are turned.
  Bytes dds;
  dds.text("DDS ").u32(124).u32(0x1007).u32(4).u32(4).zeros(4 * 2).zeros(44 + 4).u32(32).u32(4).text("DXT1");
  dds.zeros(20).u32(0x1000).zeros(16);
  dds.u16(0xF800).u16(0x001F).u32(0x00000000 | 1u << 6);  // pixel (3, 0) takes colour 1
  Loaded dxt;
  ASSERT_EQ(LoadRasterImage(nullptr, dds.data.data(), int(dds.size()), 1, dxt.get(), 1), 0);
  EXPECT_EQ(dxt->format.compressedKind, 0u);
  EXPECT_EQ(PixelAt(dxt.image, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(dxt.image, 3, 0), 0xFFFF0000u);
}

TEST(LoadRasterImageWithAlpha, CompanionNamesAndResults) {
  test::TestFolder folder;
  folder.MakeFolder("gfx");
  WriteFile(folder / "gfx/ship.bmp", Bmp24({0x102030}));
  WriteFile(folder / "gfx/ship_a.bmp", Bmp24({0xFF0000}));
  WriteFile(folder / "ship", Bmp24({0x405060}));
  WriteFile(folder / "ship_a", Bmp24({0x00FF00}));
  WriteFile(folder / "lone.bmp", Bmp24({0x0000FF}));
  struct Case {
    const char* name;
    std::string file;
    int result;
    uint32_t alphaPixel;
  };
  const Case cases[] = {
      {"dot in the name", folder / "gfx/ship.bmp", 0, 0xFF0000},
      {"no dot", folder / "ship", 0, 0x00FF00},
      {"no companion", folder / "lone.bmp", 1, 0},
      {"no colour image", folder / "none.bmp", -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded colour, alpha;
    EXPECT_EQ(LoadRasterImageWithAlpha(c.file.c_str(), nullptr, 0, 0, nullptr, 0, 0, colour.get(), alpha.get(), 0),
              c.result);
    EXPECT_EQ(colour->pixels != nullptr, c.result >= 0);
    EXPECT_EQ(alpha->pixels != nullptr, c.result == 0);
    if (c.result == 0) {
      EXPECT_EQ(PixelAt(alpha.image, 0, 0), c.alphaPixel);
    }
  }
}

TEST(LoadRasterImageWithAlpha, MemoryBlocks) {
  const std::vector<uint8_t> colourBytes = Bmp24({1}), alphaBytes = Bmp24({2});
  struct Case {
    const char* name;
    const std::vector<uint8_t>* alphaBlock;
    int alphaFlag;
    int result;
  };
  const Case cases[] = {
      {"alpha block", &alphaBytes, 1, 0},
      {"no alpha block", nullptr, 1, 1},
      {"unknown alpha flag", &alphaBytes, 2, 1},
      {"no file name for the companion", nullptr, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded colour, alpha;
    const void* block = c.alphaBlock ? c.alphaBlock->data() : nullptr;
    int size = c.alphaBlock ? int(c.alphaBlock->size()) : 0;
    EXPECT_EQ(LoadRasterImageWithAlpha(nullptr, colourBytes.data(), int(colourBytes.size()), 1, block, size,
                                       c.alphaFlag, colour.get(), alpha.get(), 0),
              c.result);
    EXPECT_NE(colour->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
