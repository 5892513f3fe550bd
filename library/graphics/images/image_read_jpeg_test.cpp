// The JPEG reader: grey and colour images with and without chroma subsampling
// (within a small tolerance, the decoder is not bit-exact across versions),
// files cut short, empty and CMYK streams. Fixtures are encoded here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "library/graphics/images/image_test_support.h"

namespace veziv {
namespace {

using namespace test;

TEST(ReadJpeg, GreyAndColourWithinTolerance) {
  struct Case {
    const char* name;
    int components;
    J_COLOR_SPACE space;
    int h, v;
  };
  const Case cases[] = {
      {"grey", 1, JCS_GRAYSCALE, 1, 1},
      {"colour 4:4:4", 3, JCS_RGB, 1, 1},
      {"colour 4:2:0", 3, JCS_RGB, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int width = 48, height = 32;
    Loaded im;
    ASSERT_EQ(ReadWith(ReadJpegToRasterImage, EncodeJpeg(width, height, c.components, c.space, c.h, c.v), im.get()),
              0);
    ASSERT_EQ(im->width, width);
    ASSERT_EQ(im->height, height);
    EXPECT_EQ(im->pitch, width * c.components);
    EXPECT_EQ(im->format.colorBits, c.components == 1 ? 8 : 24);
    // Pixels next to a block edge take part of the neighbour's colour when
    // chroma is upsampled smoothly; the inside of each block must be exact.
    int worst = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        if (x % 16 < 2 || x % 16 > 13 || y % 16 < 2 || y % 16 > 13) continue;
        int rgb[3];
        ASSERT_EQ(GetRasterImagePixel(im.get(), x, y, &rgb[0], &rgb[1], &rgb[2], nullptr), 0);
        for (int k = 0; k < 3; ++k) worst = std::max(worst, std::abs(rgb[k] - Channel(x, y, c.components == 1 ? 0 : k)));
      }
    EXPECT_LE(worst, 2);
  }
}

TEST(ReadJpeg, FileCutShortDecodesWithTheTailFilledIn) {
  std::vector<uint8_t> file = EncodeJpeg(64, 64, 3, JCS_RGB, 1, 1);
  // Cut halfway through the entropy-coded data after the scan header.
  size_t scan = 0;
  for (size_t i = 0; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) scan = i;
  ASSERT_GT(scan, 0u);
  file.resize(scan + (file.size() - scan) / 2);
  Loaded im;
  ASSERT_EQ(ReadWith(ReadJpegToRasterImage, file, im.get()), 0);
  EXPECT_EQ(im->width, 64);
  EXPECT_EQ(im->height, 64);
  int r, g, b;
  ASSERT_EQ(GetRasterImagePixel(im.get(), 0, 0, &r, &g, &b, nullptr), 0);
  EXPECT_NEAR(r, Channel(0, 0, 0), 2);
}

TEST(ReadJpeg, RefusesEmptyBrokenAndFourComponentStreams) {
  std::vector<uint8_t> good = EncodeJpeg(16, 16, 3, JCS_RGB, 1, 1);
  const std::vector<uint8_t> cases[] = {
      {},
      {0xFF, 0xD8},
      std::vector<uint8_t>(good.begin(), good.begin() + 100),
      {'B', 'M', 1, 2, 3},
      EncodeJpeg(16, 16, 4, JCS_CMYK, 1, 1),
  };
  for (const auto& bytes : cases) {
    Loaded im;
    // A refusal is the caller's answer: libjpeg prints nothing on the way.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadWith(ReadJpegToRasterImage, bytes, im.get()), -1) << bytes.size() << " bytes";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << bytes.size() << " bytes";
    EXPECT_EQ(im->pixels, nullptr);
  }
}

}  // namespace
}  // namespace veziv
