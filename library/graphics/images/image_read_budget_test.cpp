// What a hostile image file may cost: every reader refuses a picture beyond
// the side limit or the byte budget, or one its data cannot fill, before it
// allocates what the file claims, and holds no more than the output and one
// working buffer while it reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "library/foundation/files/read_budget.h"
#include "library/foundation/memory_log/allocation_watch_test_support.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

constexpr int64_t kFewMegabytes = int64_t(4) << 20;

// A PNG of one grey pixel with a text chunk claiming 2^31 - 1 bytes after
// its header; the file ends a few bytes into the chunk.
std::vector<uint8_t> PngWithHugeTextChunk() {
  std::vector<uint8_t> png = EncodePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, {{7}}});
  const size_t afterHeader = 8 + 8 + 13 + 4;
  std::vector<uint8_t> chunk = Bytes().u8(0x7F).u8(0xFF).u8(0xFF).u8(0xFF).text("tEXtTitle").u8(0).text("x").data;
  png.resize(afterHeader);
  png.insert(png.end(), chunk.begin(), chunk.end());
  png.resize(127, 0);
  return png;
}

// A JPEG whose frame header claims other sides than its data was coded for.
std::vector<uint8_t> JpegWithSides(int width, int height) {
  std::vector<uint8_t> jpeg = EncodeJpeg(16, 16, 1, JCS_GRAYSCALE, 1, 1);
  for (size_t i = 0; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = uint8_t(height >> 8);
      jpeg[i + 6] = uint8_t(height);
      jpeg[i + 7] = uint8_t(width >> 8);
      jpeg[i + 8] = uint8_t(width);
      break;
    }
  return jpeg;
}

// The densest honest JPEG of a flat picture: tables fitted to it,
// progressive on request, arithmetic-coded on request.
struct FlatJpeg {
  int width, height, components;
  bool progressive = false, arithmetic = false;
};
std::vector<uint8_t> EncodeFlatJpeg(const FlatJpeg& spec) {
  JpegCoding coding;
  coding.flat = true;
  coding.optimize = !spec.arithmetic;
  coding.progressive = spec.progressive;
  coding.arithmetic = spec.arithmetic;
  return EncodeJpeg(spec.width, spec.height, spec.components, spec.components == 1 ? JCS_GRAYSCALE : JCS_RGB, 1, 1,
                    coding);
}

class ReadBudget : public ::testing::Test {
 protected:
  void TearDown() override { detail::SetMaxReadBytes(0); }
};

TEST_F(ReadBudget, HostileFilesAreRefusedBeforeTheirClaimIsAllocated) {
  using Reader = int (*)(ImageStream*, RasterImage*);
  struct Case {
    const char* name;
    Reader reader;
    std::vector<uint8_t> bytes;
  };
  const int wide = int(detail::kMaxPictureSide) + 1;
  const Case cases[] = {
      {"PNG text chunk of 2 GB", ReadPngToRasterImage, PngWithHugeTextChunk()},
      {"PNG wider than the side limit", ReadPngToRasterImage,
       EncodePng({wide, 1, PNG_COLOR_TYPE_GRAY, 8, {std::vector<uint8_t>(size_t(wide), 9)}})},
      {"RLE8 of 3 x 33,554,430 pixels", ReadBmpToRasterImage,
       MakeBmp({3, 33554430, 8, 1, Palette({}, 256), {0, 0, 0, 1}})},
      {"RLE8 of 1 x 64 M pixels", ReadBmpToRasterImage, MakeBmp({1, 1 << 26, 8, 1, Palette({}, 256), {0, 1}})},
      {"RLE8 of 8192 x 8192 pixels from 8 bytes", ReadBmpToRasterImage,
       MakeBmp({8192, 8192, 8, 1, Palette({}, 256), {2, 5, 0, 0, 2, 6, 0, 1}})},
      {"RLE4 of 16384 x 16384 pixels from 2 bytes", ReadBmpToRasterImage,
       MakeBmp({16384, 16384, 4, 2, Palette({}, 16), {0, 1}})},
      {"plain BMP taller than the side limit", ReadBmpToRasterImage,
       MakeBmp({1, wide, 8, 0, Palette({}, 256), std::vector<uint8_t>(size_t(wide) * 4, 1)})},
      {"JPEG wider than the side limit", ReadJpegToRasterImage, JpegWithSides(wide, 16)},
      {"raw BGRA wider than the side limit", ReadBgraToRasterImage,
       Bgra(0x08080808, uint32_t(wide), 1, std::vector<uint8_t>(size_t(wide) * 4, 3))},
  };
  VEZIV_NEED_ALLOCATION_WATCH();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loaded im;
    AllocationWatch watch;
    EXPECT_EQ(ReadWith(c.reader, c.bytes, im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
    EXPECT_LT(watch.Largest(), kFewMegabytes);
  }
}

// A few hundred bytes claiming a picture of hundreds of megabytes: refused
// from the header, before a row is decoded.
TEST_F(ReadBudget, JpegClaimsItsScanDataCannotMakeAreRefusedBeforeDecoding) {
  const struct {
    int width, height;
  } claims[] = {{9000, 9000}, {8000, 8000}, {16384, 4096}, {2048, 2048}};
  VEZIV_NEED_ALLOCATION_WATCH();
  for (const auto& claim : claims) {
    SCOPED_TRACE(testing::Message() << claim.width << " x " << claim.height);
    const std::vector<uint8_t> jpeg = JpegWithSides(claim.width, claim.height);
    ASSERT_LT(jpeg.size(), 1000u);
    Loaded im;
    AllocationWatch watch;
    EXPECT_EQ(ReadWith(ReadJpegToRasterImage, jpeg, im.get()), -1);
    EXPECT_EQ(im->pixels, nullptr);
    EXPECT_LT(watch.Largest(), kFewMegabytes);
  }
}

// The densest honest files still load whole, and so does an honest file cut
// to a quarter of its scan data (the rest filled in); arithmetic coding,
// which the bound cannot hold, is refused.
TEST_F(ReadBudget, JpegScanBoundKeepsDenseAndCutHonestFiles) {
  const struct {
    const char* name;
    FlatJpeg spec;
    double keep;  // the share of the file kept
    int result;
  } cases[] = {
      {"flat grey 2048 x 2048", {2048, 2048, 1}, 1.0, 0},
      {"flat grey, progressive", {2048, 2048, 1, true}, 1.0, 0},
      {"flat colour 1024 x 1024, progressive", {1024, 1024, 3, true}, 1.0, 0},
      {"flat colour cut to a quarter", {1024, 1024, 3}, 0.25, 0},
      {"arithmetic-coded", {64, 64, 3, false, true}, 1.0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> jpeg = EncodeFlatJpeg(c.spec);
    jpeg.resize(size_t(double(jpeg.size()) * c.keep));
    Loaded im;
    ASSERT_EQ(ReadWith(ReadJpegToRasterImage, jpeg, im.get()), c.result);
    if (c.result == 0) {
      EXPECT_EQ(im->width, c.spec.width);
      EXPECT_EQ(im->height, c.spec.height);
    }
  }
}

// Under a graph's store (32 bits a pixel) a picture that fits the budget at
// its own 24 bits, but not at 32, is refused from its header.
TEST_F(ReadBudget, PictureStoreCountsBeforeDecoding) {
  const std::vector<uint8_t> jpeg = EncodeFlatJpeg({512, 512, 3});
  detail::SetMaxReadBytes(512 * 512 * 3);
  Loaded plain;
  EXPECT_EQ(ReadWith(ReadJpegToRasterImage, jpeg, plain.get()), 0);
  VEZIV_NEED_ALLOCATION_WATCH();
  const detail::ScopedPictureStore store(4);
  Loaded stored;
  AllocationWatch watch;
  EXPECT_EQ(ReadWith(ReadJpegToRasterImage, jpeg, stored.get()), -1);
  EXPECT_LT(watch.Largest(), 512 * 512);
}

TEST_F(ReadBudget, DecodedSizeCountsAgainstTheBudget) {
  // Each fits the budget as stored and not as decoded.
  detail::SetMaxReadBytes(8192);
  const std::vector<uint8_t> dxt = WithData(DdsHeader({64, 64, 4, "DXT1"}), 64 * 64 / 2);
  Bytes runs;  // runs of 128 pixels of entry 0
  for (int i = 0; i < 64 * 64 / 128; ++i) runs.u8(0xFF).u8(0);
  const std::vector<uint8_t> tga = MakeTga({9, 64, 64, 8, 0x20, runs.data, Pixels({1}, 4), 0, 1, 32});
  for (const auto* bytes : {&dxt, &tga}) {
    Loaded im;
    EXPECT_EQ(LoadRasterImage(nullptr, bytes->data(), int(bytes->size()), 1, im.get(), 0), -1);
  }
  detail::SetMaxReadBytes(64 * 64 * 4);
  for (const auto* bytes : {&dxt, &tga}) {
    Loaded im;
    EXPECT_EQ(LoadRasterImage(nullptr, bytes->data(), int(bytes->size()), 1, im.get(), 0), 0);
  }
}

TEST_F(ReadBudget, PngChecksumsAreSkippedOnlyWhenTheFuzzTargetsAsk) {
  std::vector<uint8_t> png = EncodePng({2, 1, PNG_COLOR_TYPE_GRAY, 8, {{3, 4}}});
  png[8 + 8 + 13] ^= 0xFF;  // the header chunk's checksum
  Loaded refused, accepted;
  EXPECT_EQ(ReadWith(ReadPngToRasterImage, png, refused.get()), -1);
  detail::SkipPngChecksumsForFuzzing(true);
  EXPECT_EQ(ReadWith(ReadPngToRasterImage, png, accepted.get()), 0);
  detail::SkipPngChecksumsForFuzzing(false);
  EXPECT_EQ(PixelAt(accepted.image, 1, 0), 4u);
}

// TGA: plain data is read straight into the output and RLE data needs one
// buffer besides it, whatever the orientation.
TEST_F(ReadBudget, TgaHoldsTheOutputAndAtMostThePackedData) {
  constexpr int kSide = 256, kBytes = 4;
  auto value = [](int x, int y) { return uint32_t(x * 7 + y * 1031) | 0x80000000u; };
  struct Case {
    const char* name;
    int type, descriptor;
  };
  const Case cases[] = {{"plain, bottom-up", 2, 0x00},
                        {"plain, top-down, right to left", 2, 0x30},
                        {"RLE, bottom-up, right to left", 10, 0x10}};
  VEZIV_NEED_ALLOCATION_WATCH();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool bottomUp = !(c.descriptor & 0x20), rightToLeft = (c.descriptor & 0x10) != 0;
    Bytes data;
    for (int row = 0; row < kSide; ++row)
      for (int column = 0; column < kSide; ++column) {
        if (c.type == 10 && column % 128 == 0) data.u8(0x7F);  // a raw packet of 128 pixels
        data.u32(value(rightToLeft ? kSide - 1 - column : column, bottomUp ? kSide - 1 - row : row));
      }
    const std::vector<uint8_t> file = MakeTga({c.type, kSide, kSide, 32, c.descriptor, data.data});
    const int64_t output = int64_t(kSide) * kSide * kBytes;
    const int64_t working = c.type == 10 ? int64_t(data.size()) : 0;
    Loaded im;
    {
      AllocationWatch watch;
      ASSERT_EQ(ReadWith(ReadTgaToRasterImage, file, im.get()), 0);
      EXPECT_LE(watch.PeakAboveStart(), output + working + 16384);
    }
    for (int y = 0; y < kSide; y += 51)
      for (int x = 0; x < kSide; x += 17) ASSERT_EQ(PixelAt(im.image, x, y), value(x, y)) << x << ", " << y;
  }
}

TEST_F(ReadBudget, MirroredLoadKeepsOneLevelAndSaysSo) {
  const std::vector<uint8_t> dds =
      WithData(DdsHeader({4, 4, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 3}), 64 + 16 + 4);
  Loaded plain, mirrored;
  ASSERT_EQ(LoadRasterImage(nullptr, dds.data(), int(dds.size()), 1, plain.get(), 0), 0);
  EXPECT_EQ(plain->levelCount, 3);
  ASSERT_EQ(LoadRasterImage(nullptr, dds.data(), int(dds.size()), 1, mirrored.get(), 1), 0);
  EXPECT_EQ(mirrored->levelCount, 0);
}

}  // namespace
}  // namespace veziv
