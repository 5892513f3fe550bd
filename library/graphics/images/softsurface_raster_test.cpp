// Software images filled from image records: formats, run tables and the
// palette, and copies between two images of different types.
#include "library/graphics/images/softsurface_raster.h"

#include <gtest/gtest.h>

#include <cstring>

#include "library/graphics/images/raster_image.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {
namespace {

struct Image32 {
  RasterImage image{};
  Image32(int w, int h) { EXPECT_EQ(CreateRasterImageArgb(w, h, &image), 0); }
  ~Image32() { FreeRasterImage(&image); }
  void Set(int x, int y, uint32_t argb) {
    std::memcpy(static_cast<uint8_t*>(image.pixels) + y * image.pitch + x * 4, &argb, 4);
  }
};

uint32_t Pixel32(const SOFTSURFACE& s, int x, int y) {
  uint32_t v;
  std::memcpy(&v, s.pixels + y * s.base->pitch + x * 4, 4);
  return v;
}

TEST(SoftSurfaceFormat, TypesGiveTheirChannelLayouts) {
  struct Case {
    int type, alpha, palette;
    int bits;
    uint32_t red, alphaMask;
  };
  const Case cases[] = {
      {0, 0, 0, 16, 0xF800, 0},          {0, 1, 0, 32, 0xF800, 0x00FF0000}, {1, 0, 0, 32, 0xFF0000, 0},
      {1, 1, 0, 32, 0xFF0000, 0xFF000000}, {1, 0, 1, 8, 0xFF0000, 0},        {2, 0, 0, 8, 0xFF, 0},
      {3, 0, 0, 16, 0xFFFF, 0},
  };
  for (const Case& c : cases) {
    const PixelFormatDesc* d = SoftSurfacePixelFormat(c.type, c.alpha, c.palette);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->colorBits, c.bits) << c.type << c.alpha << c.palette;
    EXPECT_EQ(d->redMask, c.red);
    EXPECT_EQ(d->alphaMask, c.alphaMask);
    EXPECT_EQ(d, SoftSurfacePixelFormat(c.type, c.alpha, c.palette));  // cached
  }
  EXPECT_EQ(SoftSurfacePixelFormat(4, 0, 0), nullptr);
}

TEST(SoftSurfaceFormat, MovieDescriptionsRoundTripToTheSameLayout) {
  for (int type = 0; type < 2; ++type) {
    for (int alpha = 0; alpha < 2; ++alpha) {
      const MoviePixelFormat* m = GetMoviePixelFormat(type, alpha, 0);
      ASSERT_NE(m, nullptr);
      EXPECT_EQ(m->size, 32u);
      EXPECT_EQ(m->flags, 0x40u);
      PixelFormatDesc d{};
      BuildPixelFormatFromMovieFormat(m, &d);
      const PixelFormatDesc* expected = SoftSurfacePixelFormat(type, alpha, 0);
      EXPECT_EQ(d.colorBits, expected->colorBits);
      EXPECT_EQ(d.bytesPerPixel, expected->bytesPerPixel);
      EXPECT_EQ(d.greenShift, expected->greenShift);
      EXPECT_EQ(d.greenWidth, expected->greenWidth);
      EXPECT_EQ(d.alphaMask, expected->alphaMask);
      EXPECT_EQ(d.unusedMask, expected->unusedMask) << type << alpha;
    }
  }
  EXPECT_EQ(GetMoviePixelFormat(2, 0, 0)->alphaMask, 0xFFu);
  EXPECT_EQ(GetMoviePixelFormat(3, 0, 0)->bitCount, 16u);
  EXPECT_EQ(GetMoviePixelFormat(4, 0, 0), nullptr);
  MoviePixelFormat record = *GetMoviePixelFormat(1, 0, 0);
  ClearPixelFormatInfo(&record);
  EXPECT_EQ(record.bitCount, 0u);
  EXPECT_EQ(record.size, 0u);
}

TEST(SoftSurfaceFromRaster, WholeFillBuildsTheRunTablePartialFillDoesNot) {
  Image32 picture(3, 2);
  for (int x = 0; x < 3; ++x) {
    picture.Set(x, 0, 0xFF000000);  // the transparent colour (black)
    picture.Set(x, 1, 0xFF102030);
  }
  picture.Set(2, 0, 0xFF405060);
  // The key is black as the converter writes it, unused bits included.
  const uint32_t key = FindColorCodeForImage(SoftSurfacePixelFormat(kSoftType32, 0, 0), 0, 0, 0, 0);
  SOFTSURFACE view{};
  ASSERT_EQ(SoftSurfaceCreate(&view, 3, 2, -1, key, kSoftType32, 0, 0, 1, nullptr), 0);
  ASSERT_GE(SoftSurfaceFromRaster(&picture.image, nullptr, &view, 0, 0, 3, 2, 0, 0, 0), 0);
  EXPECT_EQ(Pixel32(view, 2, 0) & 0xFFFFFF, 0x405060u);
  EXPECT_EQ(Pixel32(view, 1, 1) & 0xFFFFFF, 0x102030u);
  ASSERT_EQ(view.base->runTableValid, 1);
  const uint8_t row0[] = {0x01, 0x40, 0xC0};
  EXPECT_EQ(std::memcmp(view.base->runTable, row0, sizeof row0), 0);

  // Filling part of the image says nothing about the rest: the table goes.
  ASSERT_GE(SoftSurfaceFromRaster(&picture.image, nullptr, &view, 0, 0, 2, 1, 1, 1, 0), 0);
  EXPECT_EQ(view.base->runTableValid, 0);
  EXPECT_EQ(Pixel32(view, 1, 1) & 0xFFFFFF, 0u);
  SoftSurfaceRelease(&view);
}

TEST(SoftSurfaceFromRaster, RefusesRectanglesOutsideEitherImageAndCompressedPictures) {
  Image32 picture(4, 4);
  SOFTSURFACE view{};
  ASSERT_EQ(SoftSurfaceCreate(&view, 2, 2, -1, 0, kSoftType32, 0, 0, 0, nullptr), 0);
  EXPECT_LT(SoftSurfaceFromRaster(&picture.image, nullptr, &view, 3, 0, 2, 2, 0, 0, 0), 0);
  EXPECT_LT(SoftSurfaceFromRaster(&picture.image, nullptr, &view, 0, 0, 3, 2, 0, 0, 0), 0);
  EXPECT_LT(SoftSurfaceFromRaster(&picture.image, nullptr, &view, 0, 0, 2, 2, 1, 0, 0), 0);
  EXPECT_LT(SoftSurfaceFromRaster(&picture.image, nullptr, &view, -1, 0, 1, 1, 0, 0, 0), 0);
  // A block-compressed picture, as colour or as alpha, has no rows to read.
  RasterImage compressed = picture.image;
  compressed.format.compressedKind = 1;
  EXPECT_LT(SoftSurfaceFromRaster(&compressed, nullptr, &view, 0, 0, 1, 1, 0, 0, 0), 0);
  EXPECT_LT(SoftSurfaceFromRaster(&picture.image, &compressed, &view, 0, 0, 1, 1, 0, 0, 0), 0);
  SoftSurfaceRelease(&view);
}

TEST(SoftSurfaceFromRaster, PaletteImagesTakeThePicturesPaletteInTheirOwnLayout) {
  RasterImage picture{};
  PixelFormatDesc format{};
  SetPixelFormatDesc8BitPalette(&format);
  format.palette[5][0] = 0x18;  // blue
  format.palette[5][1] = 0x24;  // green
  format.palette[5][2] = 0xF8;  // red
  ASSERT_EQ(InitRasterImageWithFormat(2, 1, &format, &picture), 0);
  static_cast<uint8_t*>(picture.pixels)[0] = 5;
  static_cast<uint8_t*>(picture.pixels)[1] = 2;
  for (int type : {kSoftType16, kSoftType32}) {
    SOFTSURFACE view{};
    ASSERT_EQ(SoftSurfaceCreate(&view, 2, 1, -1, 0, type, 1, 0, 1, nullptr), 0);
    ASSERT_GE(SoftSurfaceFromRaster(&picture, nullptr, &view, 0, 0, 2, 1, 0, 0, 0), 0);
    EXPECT_EQ(view.pixels[0], 5);
    EXPECT_EQ(view.base->paletteColorCount, 6);
    if (type == kSoftType16) {
      uint16_t entry;
      std::memcpy(&entry, view.base->palette + 5 * 2, 2);
      EXPECT_EQ(entry, (0xF8 << 8) | (0x24 << 3) | (0x18 >> 3));
    } else {
      uint32_t entry;
      std::memcpy(&entry, view.base->palette + 5 * 4, 4);
      EXPECT_EQ(entry, 0xF82418u);
    }
    EXPECT_EQ(std::memcmp(view.base->palette, view.base->paletteCopy, 1024), 0);
    SoftSurfaceRelease(&view);
  }
  FreeRasterImage(&picture);
}

TEST(SoftSurfaceCopyRect, ConvertsAndCutsToBothImages) {
  SOFTSURFACE wide{}, narrow{};
  ASSERT_EQ(SoftSurfaceCreate(&wide, 4, 2, -1, 0, kSoftType32, 0, 0, 0, nullptr), 0);
  ASSERT_EQ(SoftSurfaceCreate(&narrow, 2, 2, -1, 0, kSoftType16, 0, 0, 0, nullptr), 0);
  SoftSurfaceFillRaw(&wide, nullptr, 0x00FF0000);  // red
  SoftSurfaceFillRaw(&narrow, nullptr, 0);
  // Starting at x = 1 in a 2-wide image: only one column fits.
  EXPECT_EQ(SoftSurfaceCopyRect(&narrow, &wide, nullptr, 1, 0), 0);
  uint16_t left, right;
  std::memcpy(&left, narrow.pixels, 2);
  std::memcpy(&right, narrow.pixels + 2, 2);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(right, 0xF800);
  EXPECT_EQ(SoftSurfaceCopyRect(&narrow, &wide, nullptr, 2, 0), -1);  // nothing left to copy
  SoftSurfaceRelease(&wide);
  SoftSurfaceRelease(&narrow);
}

}  // namespace
}  // namespace veziv
