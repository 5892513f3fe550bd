// The writers: bitmap bytes exactly, PNG and JPEG through round trips with the
// readers, and the failures that must be reported.
#include "library/graphics/images/image_writers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/graphics/images/image_test_support.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

using test::Bytes;
using test::Loaded;
using test::PixelAt;
using test::ReadWith;

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// An image of the given format with the given stored values, top-down.
Loaded MakeImage(const PixelFormatDesc& f, int width, int height, const std::vector<uint32_t>& values) {
  Loaded im;
  EXPECT_EQ(InitRasterImageWithFormat(width, height, &f, im.get()), 0);
  for (int i = 0; i < width * height; ++i)
    detail::StorePixelValue(static_cast<uint8_t*>(im->pixels) + (i / width) * im->pitch + (i % width) * f.bytesPerPixel,
                            f.bytesPerPixel, values[i]);
  return im;
}

std::vector<uint8_t> BmpHeader(uint32_t fileSize, uint32_t offset, int width, int height, int bits) {
  return Bytes().text("BM").u32(fileSize).u32(0).u32(offset).u32(40).u32(uint32_t(width)).u32(uint32_t(height))
      .u16(1).u16(uint32_t(bits)).u32(0).zeros(20).data;
}

TEST(SaveBmp, WritesExactBytes) {
  PixelFormatDesc r565{}, a8r565{}, x8{}, rgb{}, pal{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  SetPixelFormatDescFromMasks(&a8r565, 32, 0xF800, 0x7E0, 0x1F, 0xFF0000);
  SetPixelFormatDescX8R8G8B8(&x8);
  SetPixelFormatDesc24Bit(&rgb);
  SetPixelFormatDesc8BitPalette(&pal);
  pal.palette[1][0] = 0x11;
  pal.palette[1][1] = 0x22;
  pal.palette[1][2] = 0x33;
  pal.palette[1][3] = 0x99;  // written as 0
  std::vector<uint8_t> palBytes = Bytes().u32(0).u32(0x332211).zeros(254 * 4).data;
  struct Case {
    const char* name;
    const PixelFormatDesc* format;
    int width, height;
    std::vector<uint32_t> values;
    std::vector<uint8_t> expected;
  };
  const Case cases[] = {
      {"565 white and black, bottom row first",
       &r565, 1, 2, {0xFFFF, 0x0000},
       Bytes().raw(BmpHeader(62, 54, 1, 2, 24)).raw({0, 0, 0, 0, 0xF8, 0xFC, 0xF8, 0}).data},
      {"565 low bits of narrow channels are zero",
       &r565, 2, 1, {0x0821, 0x8410},
       Bytes().raw(BmpHeader(62, 54, 2, 1, 24)).raw({8, 4, 8, 0x80, 0x80, 0x80, 0, 0}).data},
      {"5:6:5 with an alpha byte in four bytes goes by its masks",
       &a8r565, 2, 1, {0x80F800, 0xFF07FF},
       Bytes().raw(BmpHeader(62, 54, 2, 1, 24)).raw({0, 0, 0xF8, 0xF8, 0xFC, 0, 0, 0}).data},
      {"X8R8G8B8 keeps its first three bytes",
       &x8, 1, 1, {0xFF123456},
       Bytes().raw(BmpHeader(58, 54, 1, 1, 24)).raw({0x56, 0x34, 0x12, 0}).data},
      {"24-bit", &rgb, 2, 1, {0x010203, 0x040506},
       Bytes().raw(BmpHeader(62, 54, 2, 1, 24)).raw({3, 2, 1, 6, 5, 4, 0, 0}).data},
      {"8-bit palette", &pal, 3, 2, {1, 0, 1, 0, 1, 0},
       Bytes().raw(BmpHeader(1078 + 8, 1078, 3, 2, 8)).raw(palBytes).raw({0, 1, 0, 0, 1, 0, 1, 0}).data},
  };
  test::TestFolder folder;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im = MakeImage(*c.format, c.width, c.height, c.values);
    const std::string path = folder / "out.bmp";
    ASSERT_EQ(SaveRasterImageAsBmp(path.c_str(), im.get()), 0);
    EXPECT_EQ(FileBytes(path), c.expected);
  }
}

TEST(SaveBmp, ScreenSizedImageRoundTripsThroughTheReader) {
  PixelFormatDesc r565{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  std::vector<uint32_t> values(640 * 480);
  for (int i = 0; i < 640 * 480; ++i) values[i] = uint32_t(i * 2654435761u) & 0xFFFF;
  Loaded im = MakeImage(r565, 640, 480, values);
  test::TestFolder folder;
  const std::string path = folder / "screen.bmp";
  ASSERT_EQ(SaveRasterImageAsBmp(path.c_str(), im.get()), 0);
  std::vector<uint8_t> file = FileBytes(path);
  ASSERT_EQ(file.size(), 54u + 1920u * 480u);
  Loaded back;
  ASSERT_EQ(ReadWith(ReadBmpToRasterImage, file, back.get()), 0);
  for (int y = 0; y < 480; y += 7)
    for (int x = 0; x < 640; x += 3) {
      uint32_t v = values[y * 640 + x];
      uint32_t expected = ((v >> 11) << 3) << 16 | (((v >> 5) & 0x3F) << 2) << 8 | (v & 0x1F) << 3;
      ASSERT_EQ(PixelAt(back.image, x, y), expected) << x << "," << y;
    }
}

TEST(Writers, ReportFailures) {
  test::TestFolder folder;
  const std::string missingFolder = folder / "no/such/folder/out.img";
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  Loaded good = MakeImage(x8, 1, 1, {0});
  RasterImage compressed = good.image;
  compressed.format.compressedKind = 1;
  RasterImage fourBit = good.image;
  fourBit.format.colorBits = 4;
  const std::string path = folder / "x";
  EXPECT_EQ(SaveRasterImageAsBmp(missingFolder.c_str(), good.get()), -1);
  EXPECT_EQ(WritePngFile(missingFolder.c_str(), good.get(), 6), -1);
  EXPECT_EQ(WriteJpegFile(missingFolder.c_str(), good.get(), 80), -1);
  EXPECT_EQ(SaveRasterImageAsBmp(path.c_str(), &compressed), -1);
  EXPECT_EQ(SaveRasterImageAsBmp(path.c_str(), &fourBit), -1);
  EXPECT_EQ(WritePngFile(path.c_str(), &compressed, 6), -1);
  EXPECT_EQ(WriteJpegFile(path.c_str(), &compressed, 80), -1);
  EXPECT_FALSE(std::ifstream(path).good()) << "no file for an image that cannot be stored";
  EXPECT_EQ(SaveRasterImageAsBmp(nullptr, good.get()), -1);
}

TEST(WritePng, RoundTripsAsRgbAndDropsAlpha) {
  PixelFormatDesc a8{}, pal{};
  SetPixelFormatDescA8R8G8B8(&a8);
  SetPixelFormatDesc8BitGray(&pal);
  struct Case {
    const char* name;
    const PixelFormatDesc* format;
    std::vector<uint32_t> values;
    std::vector<uint32_t> rgb;
  };
  const Case cases[] = {
      {"ARGB loses alpha", &a8, {0x80102030, 0x00FFEEDD, 0xFF000000, 0x12345678}, {0x102030, 0xFFEEDD, 0, 0x345678}},
      {"palette gives its colours", &pal, {0, 7, 200, 255}, {0, 0x070707, 0xC8C8C8, 0xFFFFFF}},
  };
  test::TestFolder folder;
  for (const auto& c : cases)
    for (int level : {0, 9}) {
      SCOPED_TRACE(::testing::Message() << c.name << ", level " << level);
      Loaded im = MakeImage(*c.format, 2, 2, c.values);
      const std::string path = folder / "out.png";
      ASSERT_EQ(WritePngFile(path.c_str(), im.get(), level), 0);
      std::vector<uint8_t> file = FileBytes(path);
      ASSERT_GT(file.size(), 26u);
      EXPECT_EQ(file[24], 8) << "bit depth";
      EXPECT_EQ(file[25], 2) << "colour type RGB";
      Loaded back;
      ASSERT_EQ(ReadWith(ReadPngToRasterImage, file, back.get()), 0);
      EXPECT_EQ(back->format.colorBits, 24);
      for (int i = 0; i < 4; ++i) EXPECT_EQ(PixelAt(back.image, i % 2, i / 2), c.rgb[i]) << i;
    }
}

TEST(WriteJpeg, RoundTripsWithinToleranceAtAnyQuality) {
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  std::vector<uint32_t> values(32 * 32);
  for (int i = 0; i < 32 * 32; ++i) values[i] = (i % 32) / 16 ? 0xFFC08040u : 0xFF204060u;
  Loaded im = MakeImage(x8, 32, 32, values);
  test::TestFolder folder;
  struct Case {
    int quality;
    int tolerance;
  };
  // Qualities outside 0-100 are clamped by libjpeg itself.
  for (Case c : {Case{100, 3}, Case{300, 3}, Case{75, 12}, Case{-5, 255}}) {
    SCOPED_TRACE(c.quality);
    const std::string path = folder / "out.jpg";
    ASSERT_EQ(WriteJpegFile(path.c_str(), im.get(), c.quality), 0);
    Loaded back;
    ASSERT_EQ(ReadWith(ReadJpegToRasterImage, FileBytes(path), back.get()), 0);
    ASSERT_EQ(back->width, 32);
    ASSERT_EQ(back->height, 32);
    int worst = 0;
    for (int y = 2; y < 30; ++y)
      for (int x : {2, 5, 10, 13, 18, 21, 26, 29}) {
        uint32_t got = PixelAt(back.image, x, y), want = values[y * 32 + x];
        for (int s = 0; s < 24; s += 8) worst = std::max(worst, std::abs(int(got >> s & 0xFF) - int(want >> s & 0xFF)));
      }
    EXPECT_LE(worst, c.tolerance);
  }
}

class SaveBmpLog : public veziv::test::LogFolderTest {};

TEST_F(SaveBmpLog, FileThatCannotBeOpenedIsLogged) {
  test::TestFolder folder;
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  Loaded im = MakeImage(x8, 1, 1, {0});
  EXPECT_EQ(SaveRasterImageAsBmp((folder / "missing/out.bmp").c_str(), im.get()), -1);
  EXPECT_NE(ReadLog().find("ＢＭＰセーブ用ファイルのオープンに失敗しました\r\n"), std::string::npos) << ReadLog();
}

TEST(Writers, ReplaceAnExistingFile) {
  test::TestFolder folder;
  const std::string path = folder / "same.bmp";
  folder.MakeFile("same.bmp", std::string(5000, 'z'));
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  Loaded im = MakeImage(x8, 1, 1, {0});
  ASSERT_EQ(SaveRasterImageAsBmp(path.c_str(), im.get()), 0);
  EXPECT_EQ(FileBytes(path).size(), 58u);
}

}  // namespace
}  // namespace veziv
