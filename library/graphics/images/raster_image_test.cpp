// RasterImage records: creators, pixel access, mirroring, blits, scalers, the
// mip-level shrink and the soft-image table.
#include "library/graphics/images/raster_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "library/graphics/images/raster_memory.h"
#include "library/graphics/images/soft_image_table.h"

namespace veziv {
namespace {

struct Image {
  RasterImage image{};
  ~Image() { FreeRasterImage(&image); }
  RasterImage* operator->() { return &image; }
  RasterImage* get() { return &image; }
};

uint32_t At(const RasterImage& im, int x, int y) {
  return detail::LoadPixelValue(static_cast<const uint8_t*>(im.pixels) + y * im.pitch + x * im.format.bytesPerPixel,
                                im.format.bytesPerPixel);
}
void Put(RasterImage& im, int x, int y, uint32_t v) {
  detail::StorePixelValue(static_cast<uint8_t*>(im.pixels) + y * im.pitch + x * im.format.bytesPerPixel,
                          im.format.bytesPerPixel, v);
}

TEST(RasterImage, CreatorsRoundPitchToFourBytes) {
  PixelFormatDesc rgb{};
  SetPixelFormatDesc24Bit(&rgb);
  PixelFormatDesc gray{};
  SetPixelFormatDesc8BitGray(&gray);
  Image a, b, c, d;
  ASSERT_EQ(CreateRasterImageBuffer(3, 2, a.get()), 0);
  EXPECT_EQ(std::tuple(a->width, a->height, a->pitch, a->levelCount), std::tuple(3, 2, 12, 0));
  EXPECT_EQ(a->format.unusedMask, 0xFF000000u);
  ASSERT_EQ(CreateRasterImageArgb(5, 1, b.get()), 0);
  EXPECT_EQ(b->format.alphaMask, 0xFF000000u);
  EXPECT_EQ(b->format.unusedMask, 0u);
  ASSERT_EQ(InitRasterImageWithFormat(5, 2, &rgb, c.get()), 0);
  EXPECT_EQ(c->pitch, 16);
  ASSERT_EQ(InitRasterImageWithFormat(5, 2, &gray, d.get()), 0);
  EXPECT_EQ(d->pitch, 8);
  EXPECT_EQ(d->format.palette[9][1], 9) << "the description is copied whole";
  Image bad;
  EXPECT_EQ(CreateRasterImageBuffer(-1, 4, bad.get()), -1);
  EXPECT_EQ(bad->pixels, nullptr);
  EXPECT_EQ(CreateRasterImageBuffer(0x40000000, 0x10, bad.get()), -1);
  EXPECT_EQ(bad->pixels, nullptr);
}

TEST(RasterImage, FreeZeroesTheRecord) {
  RasterImage im{};
  ASSERT_EQ(CreateRasterImageBuffer(2, 2, &im), 0);
  EXPECT_EQ(FreeRasterImage(&im), 0);
  RasterImage zero{};
  EXPECT_EQ(std::memcmp(&im, &zero, sizeof im), 0);
  EXPECT_EQ(FreeRasterImage(&im), 0);
}

TEST(RasterImage, ClearAndMirror) {
  PixelFormatDesc rgb{};
  SetPixelFormatDesc24Bit(&rgb);
  Image im;
  ASSERT_EQ(InitRasterImageWithFormat(3, 2, &rgb, im.get()), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) Put(im.image, x, y, uint32_t(0x10101 * (y * 3 + x + 1)));
  ASSERT_EQ(MirrorRasterImage(im.get()), 0);
  EXPECT_EQ(std::tuple(At(im.image, 0, 0), At(im.image, 1, 0), At(im.image, 2, 0)),
            std::tuple(0x30303u, 0x20202u, 0x10101u));
  EXPECT_EQ(At(im.image, 0, 1), 0x60606u);
  ClearRasterImageRect(im.get(), 1, 1, 2, 1);
  EXPECT_EQ(std::tuple(At(im.image, 0, 1), At(im.image, 1, 1), At(im.image, 2, 1)), std::tuple(0x60606u, 0u, 0u));
  EXPECT_EQ(At(im.image, 1, 0), 0x20202u);
  ClearRasterImageRect(im.get(), 0, 0, 3, 0);
  EXPECT_EQ(At(im.image, 0, 0), 0x30303u);
  RasterImage empty{};
  EXPECT_EQ(MirrorRasterImage(&empty), -1);
  // Block-compressed pixels have no rows to turn: refused, left as they are.
  RasterImage compressed = *im.get();
  compressed.format.compressedKind = 1;
  EXPECT_EQ(MirrorRasterImage(&compressed), -1);
  EXPECT_EQ(At(im.image, 0, 0), 0x30303u);
}

TEST(RasterImage, PixelAccessChecksBoundsAndUsesThePalette) {
  PixelFormatDesc pal{};
  SetPixelFormatDesc8BitPalette(&pal);
  pal.palette[2][0] = 10;
  pal.palette[2][1] = 20;
  pal.palette[2][2] = 30;
  pal.palette[2][3] = 40;
  Image im;
  ASSERT_EQ(InitRasterImageWithFormat(2, 2, &pal, im.get()), 0);
  std::memset(im->pixels, 0, size_t(im->pitch) * 2);
  EXPECT_EQ(SetRasterImagePixel(im.get(), 1, 1, 31, 19, 11, 0), 0);
  EXPECT_EQ(At(im.image, 1, 1), 2u);
  int r, g, b, a;
  EXPECT_EQ(GetRasterImagePixel(im.get(), 1, 1, &r, &g, &b, &a), 0);
  EXPECT_EQ(std::tuple(r, g, b, a), std::tuple(30, 20, 10, 40));
  for (auto [x, y] : {std::pair{2, 0}, std::pair{0, 2}, std::pair{-1, 0}, std::pair{0, -1}}) {
    EXPECT_EQ(GetRasterImagePixel(im.get(), x, y, &r, &g, &b, &a), -1);
    EXPECT_EQ(SetRasterImagePixel(im.get(), x, y, 1, 2, 3, 4), -1);
  }
  Image argb;
  ASSERT_EQ(CreateRasterImageArgb(1, 1, argb.get()), 0);
  EXPECT_EQ(SetRasterImagePixel(argb.get(), 0, 0, 1, 2, 3, 4), 0);
  EXPECT_EQ(At(argb.image, 0, 0), 0x04010203u);
  EXPECT_EQ(GetRasterImagePixel(argb.get(), 0, 0, &r, nullptr, nullptr, &a), 0);
  EXPECT_EQ(std::tuple(r, a), std::tuple(1, 4));
}

TEST(RasterImage, ArgbOfAPixelMovesChannelsToTheTopOfTheirByte) {
  PixelFormatDesc r565{}, a4{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  SetPixelFormatDescFromMasks(&a4, 16, 0xF00, 0xF0, 0xF, 0xF000);
  Image a, b;
  ASSERT_EQ(InitRasterImageWithFormat(1, 1, &r565, a.get()), 0);
  ASSERT_EQ(InitRasterImageWithFormat(1, 1, &a4, b.get()), 0);
  Put(a.image, 0, 0, 0xFFFF);
  Put(b.image, 0, 0, 0x9ABC);
  EXPECT_EQ(GetRasterImagePixelArgb(a.get(), 0, 0), 0x00F8FCF8u);
  EXPECT_EQ(GetRasterImagePixelArgb(b.get(), 0, 0), 0x90A0B0C0u);
  RasterImage none{};
  EXPECT_EQ(GetRasterImagePixelArgb(&none, 0, 0), 0u);
}

Image Filled(int w, int h, uint32_t base) {
  Image im;
  EXPECT_EQ(CreateRasterImageBuffer(w, h, im.get()), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Put(im.image, x, y, base + uint32_t(y * 16 + x));
  return im;
}

TEST(RasterImage, BlitClipsOnEverySide) {
  struct Case {
    const char* name;
    int sx, sy, w, h, dx, dy;
    std::vector<std::tuple<int, int, uint32_t>> expect;  // destination pixel -> source value
  };
  const Case cases[] = {
      {"inside", 1, 1, 2, 1, 0, 0, {{0, 0, 0x11}, {1, 0, 0x12}, {2, 0, 0}}},
      {"negative source", -1, -1, 3, 3, 0, 0, {{1, 1, 0x00}, {2, 2, 0x11}, {0, 0, 0}}},
      {"negative destination", 0, 0, 3, 3, -2, -1, {{0, 0, 0x12}, {0, 1, 0x22}, {1, 0, 0}}},
      {"cut at right and bottom", 0, 0, 9, 9, 2, 2, {{2, 2, 0x00}, {3, 3, 0x11}, {1, 1, 0}}},
      {"nothing left", 0, 0, 2, 2, 4, 0, {{0, 0, 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Image src = Filled(3, 3, 0);
    Image dst;
    ASSERT_EQ(CreateRasterImageBuffer(4, 4, dst.get()), 0);
    std::memset(dst->pixels, 0, size_t(dst->pitch) * 4);
    EXPECT_EQ(BlitRasterImage(c.sx, c.sy, c.w, c.h, c.dx, c.dy, src.get(), dst.get()), 0);
    for (auto [x, y, v] : c.expect) EXPECT_EQ(At(dst.image, x, y), v) << x << "," << y;
  }
}

TEST(RasterImage, ScaledBlitOfEqualSizeEqualsThePlainBlit) {
  Image src = Filled(4, 4, 0xFF000000u);
  Image a, b;
  ASSERT_EQ(CreateRasterImageBuffer(4, 4, a.get()), 0);
  ASSERT_EQ(CreateRasterImageBuffer(4, 4, b.get()), 0);
  std::memset(a->pixels, 0, 64);
  std::memset(b->pixels, 0, 64);
  EXPECT_EQ(ScaleBlitRasterImage(1, 0, 4, 2, src.get(), 0, 1, 3, 3, a.get(), 1), 0);
  EXPECT_EQ(BlitRasterImage(1, 0, 3, 2, 0, 1, src.get(), b.get()), 0);
  EXPECT_EQ(std::memcmp(a->pixels, b->pixels, 64), 0);
}

TEST(RasterImage, ScaledBlitRefusesBadRectangles) {
  Image src = Filled(4, 4, 0), dst = Filled(4, 4, 0);
  const int bad[][8] = {{0, 0, 0, 4, 0, 0, 4, 4}, {2, 0, 1, 4, 0, 0, 4, 4}, {0, 0, 5, 4, 0, 0, 4, 4},
                        {-1, 0, 4, 4, 0, 0, 4, 4}, {0, 0, 4, 4, 0, 3, 4, 3}, {0, 0, 4, 4, 0, 0, 4, 5}};
  for (const auto& r : bad)
    EXPECT_EQ(ScaleBlitRasterImage(r[0], r[1], r[2], r[3], src.get(), r[4], r[5], r[6], r[7], dst.get(), 0), -1);
}

TEST(RasterImage, NearestScalingRepeatsSourcePixels) {
  Image src;
  ASSERT_EQ(CreateRasterImageBuffer(2, 1, src.get()), 0);
  Put(src.image, 0, 0, 0xFF102030u);
  Put(src.image, 1, 0, 0xFF405060u);
  Image dst;
  ASSERT_EQ(CreateRasterImageBuffer(4, 2, dst.get()), 0);
  ASSERT_EQ(ScaleBlitRasterImage(0, 0, 2, 1, src.get(), 0, 0, 4, 2, dst.get(), 0), 0);
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(At(dst.image, 0, y), 0xFF102030u);
    EXPECT_EQ(At(dst.image, 1, y), 0xFF102030u);
    EXPECT_EQ(At(dst.image, 2, y), 0xFF405060u);
    EXPECT_EQ(At(dst.image, 3, y), 0xFF405060u);
  }
}

TEST(RasterImage, BilinearScalingBlendsAndClampsAtTheEdge) {
  // The last source column has no right neighbour: it is blended with itself.
  Image src, dst;
  ASSERT_EQ(CreateRasterImageArgb(2, 1, src.get()), 0);
  Put(src.image, 0, 0, 0xFF000000u);
  Put(src.image, 1, 0, 0xFFFFFFFFu);
  ASSERT_EQ(CreateRasterImageArgb(4, 1, dst.get()), 0);
  ASSERT_EQ(ScaleBlitRasterImage(0, 0, 2, 1, src.get(), 0, 0, 4, 1, dst.get(), 1), 0);
  // Weights out of 65535 lose one step at full intensity.
  EXPECT_EQ(At(dst.image, 0, 0), 0xFE000000u);
  EXPECT_EQ(At(dst.image, 1, 0), 0xFE7F7F7Fu);
  EXPECT_EQ(At(dst.image, 2, 0), 0xFEFEFEFEu);
  EXPECT_EQ(At(dst.image, 3, 0), 0xFEFEFEFEu);
}

TEST(RasterImage, ShrinkAveragesBlocksPairsOrSinglePixels) {
  PixelFormatDesc r565{}, a8{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  SetPixelFormatDescA8R8G8B8(&a8);
  struct Case {
    const char* name;
    const PixelFormatDesc* desc;
    int w, h;
    std::vector<uint32_t> in, out;
  };
  const Case cases[] = {
      {"2x2 block", &a8, 2, 2, {0x10203040, 0x30405060, 0x50607080, 0x70808090}, {0x40505C6C}},
      {"truncating", &a8, 2, 2, {0x01, 0x01, 0x01, 0x00}, {0x00}},
      {"horizontal pair", &a8, 4, 1, {0xFF000000, 0xFF0000FF, 0x10, 0x20}, {0xFF00007F, 0x18}},
      {"vertical pair", &a8, 1, 2, {0x000000FF, 0x00000001}, {0x80}},
      {"single pixel", &a8, 1, 1, {0x12345678}, {0x12345678}},
      // 565 channels average apart: red 31+1, green 63+1, blue 31+1.
      {"565 channels", &r565, 2, 1, {0xFFFF, 0x0821}, {0x8410}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int bpp = c.desc->bytesPerPixel;
    std::vector<uint8_t> src(c.in.size() * bpp), dst(c.out.size() * bpp, 0xEE);
    for (size_t i = 0; i < c.in.size(); ++i) detail::StorePixelValue(src.data() + i * bpp, bpp, c.in[i]);
    int outW = c.w > 1 ? c.w / 2 : 1;
    ASSERT_EQ(ShrinkPixelsByHalf(c.desc, dst.data(), outW * bpp, src.data(), c.w * bpp, 0, 0, 0, 0, c.w, c.h), 0);
    for (size_t i = 0; i < c.out.size(); ++i)
      EXPECT_EQ(detail::LoadPixelValue(dst.data() + i * bpp, bpp), c.out[i]) << i;
  }
}

TEST(RasterImage, ShrinkRefusesOddSizesAndOtherDepths) {
  PixelFormatDesc a8{}, rgb{};
  SetPixelFormatDescA8R8G8B8(&a8);
  SetPixelFormatDesc24Bit(&rgb);
  uint8_t src[64] = {}, dst[64] = {};
  EXPECT_EQ(ShrinkPixelsByHalf(&a8, dst, 8, src, 12, 0, 0, 0, 0, 3, 2), -1);
  EXPECT_EQ(ShrinkPixelsByHalf(&a8, dst, 8, src, 16, 0, 0, 0, 0, 4, 3), -1);
  EXPECT_EQ(ShrinkPixelsByHalf(&rgb, dst, 8, src, 12, 0, 0, 0, 0, 2, 2), -1);
}

// Puts a copy of image into the soft-image table as a maker of soft images
// would, and returns its handle (-1 when full): nothing in the library makes
// them today.
int AddSoftImage(const RasterImage* image) {
  detail::SoftImageTable& table = detail::SoftImageTableState();
  for (int slot = 0; slot < detail::kSoftImageSlots; ++slot) {
    if (table.slots[slot]) continue;
    auto* record =
        static_cast<detail::SoftImageRecord*>(detail::AllocRasterMemoryZeroed(sizeof(detail::SoftImageRecord)));
    if (!record) return -1;
    record->image = *image;
    record->check = table.nextCheck = (table.nextCheck + 1) & 0x7FF;
    table.slots[slot] = record;
    ++table.used;
    if (slot >= table.end) table.end = slot + 1;
    return int(detail::kSoftImageHandleType | record->check << 16 | uint32_t(slot));
  }
  return -1;
}

int SoftImageCount() { return detail::SoftImageTableState().used; }

TEST(SoftImages, FreeChecksTheHandleAndMovesTheEndMark) {
  TerminateSoftImages();
  RasterImage a{}, b{};
  ASSERT_EQ(CreateRasterImageBuffer(2, 2, &a), 0);
  ASSERT_EQ(CreateRasterImageBuffer(2, 2, &b), 0);
  int ha = AddSoftImage(&a);
  int hb = AddSoftImage(&b);
  ASSERT_GE(ha, 0);
  ASSERT_EQ(ha & 0x78000000, 0x70000000);
  EXPECT_EQ(SoftImageCount(), 2);
  const int bad[] = {-1, ha ^ 0x70000000, ha ^ 0x00010000, (ha & ~0xFFFF) | 8192, (ha & ~0xFFFF) | 5};
  for (int h : bad) EXPECT_EQ(FreeSoftImageHandle(h), -1) << std::hex << h;
  EXPECT_EQ(FreeSoftImageHandle(hb), 0);
  EXPECT_EQ(FreeSoftImageHandle(hb), -1);
  EXPECT_EQ(SoftImageCount(), 1);
  RasterImage c{};
  ASSERT_EQ(CreateRasterImageBuffer(1, 1, &c), 0);
  int hc = AddSoftImage(&c);
  EXPECT_EQ(hc & 0xFFFF, hb & 0xFFFF) << "the freed slot is used again";
  ReleaseAllSoftImages();
  EXPECT_EQ(SoftImageCount(), 0);
  EXPECT_EQ(FreeSoftImageHandle(ha), -1);
  TerminateSoftImages();
}

}  // namespace
}  // namespace veziv
