// The pixel converter: each path, the flags that choose between them, and the
// channel arithmetic of the general path.
#include <gtest/gtest.h>

#include <vector>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {
namespace {

PixelFormatDesc Masks(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  PixelFormatDesc d{};
  SetPixelFormatDescFromMasks(&d, bits, r, g, b, a);
  return d;
}
PixelFormatDesc R565() { return Masks(16, 0xF800, 0x7E0, 0x1F, 0); }
PixelFormatDesc X555() { return Masks(16, 0x7C00, 0x3E0, 0x1F, 0); }
PixelFormatDesc A555() { return Masks(16, 0x7C00, 0x3E0, 0x1F, 0x8000); }
PixelFormatDesc A4444() { return Masks(16, 0xF00, 0xF0, 0xF, 0xF000); }
PixelFormatDesc Rgb24() {
  PixelFormatDesc d{};
  SetPixelFormatDesc24Bit(&d);
  return d;
}
PixelFormatDesc X8() {
  PixelFormatDesc d{};
  SetPixelFormatDescX8R8G8B8(&d);
  return d;
}
PixelFormatDesc A8() {
  PixelFormatDesc d{};
  SetPixelFormatDescA8R8G8B8(&d);
  return d;
}
// Entry i is (red 4i, green 255 - i, blue i, fourth byte 0).
PixelFormatDesc Palette() {
  PixelFormatDesc d{};
  SetPixelFormatDesc8BitPalette(&d);
  for (int i = 0; i < 256; ++i) {
    d.palette[i][0] = uint8_t(i);
    d.palette[i][1] = uint8_t(255 - i);
    d.palette[i][2] = uint8_t(4 * i);
    d.palette[i][3] = 0;
  }
  return d;
}

struct Flags {
  int mirror = 0, keyAlpha = 0;
  uint32_t transparent = 0;
  int dither = 0, colorToZero = 0, alphaFromRed = 0, skip = 0, remap = 0;
  const PixelFormatDesc* alphaFormat = nullptr;
  std::vector<uint32_t> alphaValues;
};

std::vector<uint8_t> Pack(const PixelFormatDesc& f, const std::vector<uint32_t>& values) {
  std::vector<uint8_t> bytes(values.size() * f.bytesPerPixel);
  for (size_t i = 0; i < values.size(); ++i)
    detail::StorePixelValue(bytes.data() + i * f.bytesPerPixel, f.bytesPerPixel, values[i]);
  return bytes;
}

// Converts width x height source values (row by row) into a destination
// pre-filled with fill; returns the destination values.
std::vector<uint32_t> Convert(const PixelFormatDesc& from, const std::vector<uint32_t>& values, int width,
                              const PixelFormatDesc& to, const Flags& flags = {}, int* result = nullptr,
                              uint32_t fill = 0xA5A5A5A5u) {
  int height = int(values.size()) / width;
  std::vector<uint8_t> src = Pack(from, values);
  std::vector<uint8_t> dst = Pack(to, std::vector<uint32_t>(values.size(), fill));
  std::vector<uint8_t> alpha;
  if (flags.alphaFormat) alpha = Pack(*flags.alphaFormat, flags.alphaValues);
  DrawRect rect{0, 0, width, height};
  int r = ConvertPixelsBlock(dst.data(), width * to.bytesPerPixel, &to, src.data(), width * from.bytesPerPixel,
                             &from, flags.alphaFormat ? alpha.data() : nullptr,
                             flags.alphaFormat ? width * flags.alphaFormat->bytesPerPixel : 0, flags.alphaFormat, 0,
                             0, &rect, flags.mirror, flags.keyAlpha, flags.transparent, flags.dither,
                             flags.colorToZero, flags.alphaFromRed, flags.skip, flags.remap);
  if (result) *result = r;
  std::vector<uint32_t> out(values.size());
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = detail::LoadPixelValue(dst.data() + i * to.bytesPerPixel, to.bytesPerPixel);
  return out;
}

using V = std::vector<uint32_t>;

TEST(ConvertPixelsBlock, EmptyRectangleFailsAndWritesNothing) {
  PixelFormatDesc f = X8();
  uint8_t src[16] = {1, 2, 3, 4}, dst[16] = {};
  for (DrawRect rect : {DrawRect{0, 0, 0, 1}, DrawRect{0, 0, 1, 0}, DrawRect{2, 1, 2, 3}}) {
    EXPECT_EQ(ConvertPixelsBlock(dst, 8, &f, src, 8, &f, nullptr, 0, nullptr, 0, 0, &rect, 0, 0, 0, 0, 0, 0, 0, 0),
              -1);
  }
  EXPECT_EQ(dst[0], 0);
}

TEST(ConvertPixelsBlock, ShiftOnlyPathLeavesLowBitsZeroWhereTheGeneralPathWidensFully) {
  // The fast pair shifts channels up with zero low bits and a zero top byte;
  // the general path (taken here because of the mirror flag) widens fully and
  // adds the unused bits.
  EXPECT_EQ(Convert(R565(), {0xFFFF}, 1, X8()), V{0x00F8FCF8u});
  Flags mirror;
  mirror.mirror = 1;
  EXPECT_EQ(Convert(R565(), {0xFFFF}, 1, X8(), mirror), V{0xFFFFFFFFu});
  Flags dither;
  dither.dither = 1;
  EXPECT_EQ(Convert(R565(), {0xFFFF}, 1, X8(), dither), V{0xFFFFFFFFu});
}

TEST(ConvertPixelsBlock, ShiftOnlyPairsTruncate) {
  const PixelFormatDesc pal = Palette(), r565 = R565(), x555 = X555(), x8 = X8(), rgb = Rgb24();
  struct Case {
    const char* name;
    const PixelFormatDesc* from;
    const PixelFormatDesc* to;
    V in, out;
  };
  const Case cases[] = {
      // Entry 10 is (40, 245, 10).
      {"palette to 565", &pal, &r565, {10}, {(40u >> 3) << 11 | (245u >> 2) << 5 | 10u >> 3}},
      {"palette to 555", &pal, &x555, {10}, {0x8000u | (40u >> 3) << 10 | (245u >> 3) << 5 | 10u >> 3}},
      {"palette to X8", &pal, &x8, {10}, {0xFF28F50Au}},
      {"24 to 565", &rgb, &r565, {0xFF7F0F}, {0xFBE1}},
      {"24 to 555", &rgb, &x555, {0xFF7F0F}, {0xFDE1}},
      {"24 to X8", &rgb, &x8, {0x123456}, {0xFF123456u}},
      {"X8 to 565", &x8, &r565, {0x00FF7F0F}, {0xFBE1}},
      {"565 to 24", &r565, &rgb, {0xFFFF, 0x0821}, {0xF8FCF8, 0x080408}},
      {"565 to 555", &r565, &x555, {0xFFFF, 0x0020}, {0x7FFF, 0x0000}},
      // The new lowest green bit repeats the old one.
      {"555 to 565", &x555, &r565, {0x7FFF, 0x0020, 0x8000}, {0xFFFF, 0x0060, 0x0000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Convert(*c.from, c.in, int(c.in.size()), *c.to), c.out);
  }
}

TEST(ConvertPixelsBlock, ShiftOnlyPairsWriteEveryPixelEvenWhenSkipping) {
  Flags skip;
  skip.skip = 1;
  skip.transparent = 0x123456;
  EXPECT_EQ(Convert(Rgb24(), {0x123456, 0x000001}, 2, X8(), skip), (V{0xFF123456u, 0xFF000001u}));
}

TEST(ConvertPixelsBlock, KeyAlphaPairsClearAlphaOfTheTransparentColour) {
  const PixelFormatDesc pal = Palette(), r565 = R565(), a555 = A555(), a8 = A8(), rgb = Rgb24(), x8 = X8();
  struct Case {
    const char* name;
    const PixelFormatDesc* from;
    const PixelFormatDesc* to;
    uint32_t key;
    V in, out;
  };
  const Case cases[] = {
      {"24 to A8", &rgb, &a8, 0x00FF00, {0x00FF00, 0x00FF01}, {0x0000FF00u, 0xFF00FF01u}},
      {"24 to A1555", &rgb, &a555, 0x00FF00, {0x00FF00, 0xFFFFFF}, {0x03E0, 0xFFFF}},
      // A palette entry is compared as its whole value: entry 1 is 0x0004FE01.
      {"palette to A8", &pal, &a8, 0x0004FE01, {1, 2}, {0x0004FE01u, 0xFF08FD02u}},
      {"565 to A8", &r565, &a8, 0xF8FCF8, {0xFFFF, 0xFFDF}, {0x00F8FCF8u, 0xFFF8F8F8u}},
      {"565 to A1555", &r565, &a555, 0xFFFFFF, {0xFFFF, 0x0000}, {0x7FFF, 0x8000}},
      // Same colour layout: the key alpha path, compared in the colour bits only.
      {"X8 to A8", &x8, &a8, 0x102030, {0xFF102030u, 0x00102031u}, {0x00102030u, 0xFF102031u}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Flags key;
    key.keyAlpha = 1;
    key.transparent = c.key;
    EXPECT_EQ(Convert(*c.from, c.in, int(c.in.size()), *c.to, key), c.out);
  }
}

TEST(ConvertPixelsBlock, KeyAlphaIsDroppedWhenTheSourceHasAlphaOrTheDestinationNone) {
  Flags key;
  key.keyAlpha = 1;
  key.transparent = 0x102030;
  // Source alpha wins over the key.
  EXPECT_EQ(Convert(A8(), {0x40102030u}, 1, A4444(), key), V{0x4123u});
  // No destination alpha: a plain conversion.
  EXPECT_EQ(Convert(Rgb24(), {0x102030}, 1, X8(), key), V{0xFF102030u});
}

TEST(ConvertPixelsBlock, PaletteRemapTakesTheNearestDestinationEntry) {
  PixelFormatDesc from = Palette(), to{};
  SetPixelFormatDesc8BitGray(&to);
  Flags remap;
  remap.remap = 1;
  int result = 0;
  // Entry 0 (0,255,0) is nearest gray 85; entry 63 (252,192,63) nearest 169.
  EXPECT_EQ(Convert(from, {0, 63}, 2, to, remap, &result), (V{85, 169}));
  EXPECT_EQ(result, 0);
  // Equal palettes, or no remap flag: indices are copied and the largest returned.
  EXPECT_EQ(Convert(from, {7, 200, 3}, 3, from, remap, &result), (V{7, 200, 3}));
  EXPECT_EQ(result, 200);
  EXPECT_EQ(Convert(from, {9, 4}, 2, to, {}, &result), (V{9, 4}));
  EXPECT_EQ(result, 9);
}

TEST(ConvertPixelsBlock, ColourToPaletteWidensThenPicksNearest) {
  PixelFormatDesc gray{};
  SetPixelFormatDesc8BitGray(&gray);
  // 565 white widens to 255, 255, 255; 0x8410 to 131, 129, 131 -> gray 130.
  EXPECT_EQ(Convert(R565(), {0xFFFF, 0x8410, 0}, 3, gray), (V{255, 130, 0}));
  EXPECT_EQ(Convert(Rgb24(), {0x404040}, 1, gray), V{0x40});
}

TEST(ConvertPixelsBlock, SameFormatCopiesMirrorsAndSkips) {
  Flags mirror;
  mirror.mirror = 1;
  EXPECT_EQ(Convert(R565(), {1, 2, 3, 4, 5, 6}, 3, R565(), mirror), (V{3, 2, 1, 6, 5, 4}));
  Flags skip;
  skip.skip = 1;
  skip.transparent = 0x10002;  // cut to the 16-bit pixel: 2
  EXPECT_EQ(Convert(R565(), {1, 2, 3}, 3, R565(), skip, nullptr, 0xEEEE), (V{1, 0xEEEE, 3}));
  // Unused bits take no part in the comparison.
  Flags skipX8;
  skipX8.skip = 1;
  skipX8.transparent = 0x123456;
  EXPECT_EQ(Convert(X8(), {0xFF123456u, 0xFF123457u}, 2, X8(), skipX8, nullptr, 0), (V{0, 0xFF123457u}));
  EXPECT_EQ(Convert(X8(), {0xFF123456u, 0xFF123457u}, 2, A4444(), skipX8, nullptr, 0x5555), (V{0x5555, 0xF135}));
  // Mirroring drops skipping.
  skip.mirror = 1;
  EXPECT_EQ(Convert(R565(), {1, 2, 3}, 3, R565(), skip, nullptr, 0xEEEE), (V{3, 2, 1}));
  // Index images skip by index.
  Flags skipIndex;
  skipIndex.skip = 1;
  skipIndex.transparent = 5;
  int result = 0;
  EXPECT_EQ(Convert(Palette(), {5, 6}, 2, Palette(), skipIndex, &result, 0x77), (V{0x77, 6}));
  EXPECT_EQ(result, 0);
}

TEST(ConvertPixelsBlock, GeneralPathAlphaSources) {
  const PixelFormatDesc a8 = A8(), a4 = A4444(), x8 = X8(), r565 = R565();
  struct Case {
    const char* name;
    const PixelFormatDesc* from;
    const PixelFormatDesc* to;
    Flags flags;
    V in, out;
  };
  Flags alphaImage;
  alphaImage.alphaFormat = &r565;
  alphaImage.alphaValues = {0x8000, 0xFFFF};  // red 16 -> 4 bits: 8; red 31 -> 15
  Flags fromRed;
  fromRed.alphaFromRed = 1;
  Flags toZero;
  toZero.colorToZero = 1;
  Flags keyWithRed;  // alpha from red drops the key
  keyWithRed.keyAlpha = 1;
  keyWithRed.alphaFromRed = 1;
  keyWithRed.transparent = 0x804020;
  const Case cases[] = {
      {"no source alpha gives full alpha", &x8, &a4, {}, {0x00804020u}, {0xF842u}},
      {"source alpha narrowed", &a8, &a4, {}, {0x7F804020u}, {0x7842u}},
      {"alpha image red channel", &x8, &a4, alphaImage, {0x00804020u, 0x00804020u}, {0x8842u, 0xF842u}},
      {"alpha from red", &x8, &a8, fromRed, {0x00804020u}, {0x80804020u}},
      {"alpha from red 565", &r565, &a8, fromRed, {0x8000}, {0x83830000u}},
      {"colour to zero keeps alpha", &a8, &a4, toZero, {0x7F804020u}, {0x7000u}},
      {"key dropped by alpha from red", &x8, &a8, keyWithRed, {0x00804020u}, {0x80804020u}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Convert(*c.from, c.in, int(c.in.size()), *c.to, c.flags), c.out);
  }
}

TEST(ConvertPixelsBlock, GeneralPathAlphaImageIsIgnoredWhenTheSourceHasAlpha) {
  PixelFormatDesc r565 = R565();
  Flags alphaImage;
  alphaImage.alphaFormat = &r565;
  alphaImage.alphaValues = {0x0000};
  EXPECT_EQ(Convert(A8(), {0x80FFFFFFu}, 1, A4444(), alphaImage), V{0x8FFFu});
}

TEST(ConvertPixelsBlock, GeneralPathKeyAlphaComparesInTheSourceFormat) {
  Flags key;
  key.keyAlpha = 1;
  key.transparent = 0xFFFFFF;
  // A 4444 destination is not a shift-only pair: the general path keys on the
  // 565 channels of the colour (0xFF -> 31, 63, 31).
  EXPECT_EQ(Convert(R565(), {0xFFFF, 0xFFFE}, 2, A4444(), key), (V{0x0FFF, 0xFFFF}));
}

TEST(ConvertPixelsBlock, GeneralPathSkipsTheTransparentValue) {
  Flags skip;
  skip.skip = 1;
  skip.transparent = 0x0001F;
  EXPECT_EQ(Convert(R565(), {0x001F, 0xFFFF}, 2, A4444(), skip, nullptr, 0x5555), (V{0x5555, 0xFFFF}));
}

TEST(ConvertPixelsBlock, OrderedDitherRoundsUpByTheMatrix) {
  // 8-bit channel to 4 bits drops 4 bits; dropped 7 rounds up where the
  // threshold (m * 16) >> 4 = m is below 7.
  const V in(16, 0x00070707u);
  Flags dither;
  dither.dither = 1;
  V out = Convert(X8(), in, 4, A4444(), dither);
  const int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      uint32_t c = matrix[y][x] < 7 ? 1 : 0;
      EXPECT_EQ(out[y * 4 + x], 0xF000u | c << 8 | c << 4 | c) << x << "," << y;
    }
  // A full channel is capped at its mask.
  EXPECT_EQ(Convert(X8(), {0x00FFFFFFu}, 1, A4444(), dither), V{0xFFFFu});
}

TEST(ConvertPixelsBlock, CarriedDitherAccumulatesAlongRowsWithoutReset) {
  // Dropped bits 8 of 16: every second pixel rounds up, carried across the row end.
  const V in(6, 0x00080808u);
  Flags dither;
  dither.dither = 2;
  V out = Convert(X8(), in, 3, A4444(), dither);
  EXPECT_EQ(out, (V{0xF000, 0xF111, 0xF000, 0xF111, 0xF000, 0xF111}));
}

TEST(ConvertPixelsBlock, GeneralPathLeavesUnusedBitsOffTwentyFourBitTargets) {
  Flags mirror;
  mirror.mirror = 1;
  EXPECT_EQ(Convert(A8(), {0x80112233u, 0x00445566u}, 2, Rgb24(), mirror), (V{0x445566u, 0x112233u}));
  EXPECT_EQ(Convert(A8(), {0x80FFFFFFu}, 1, X555(), mirror), V{0xFFFFu});
}

TEST(ConvertPixelsBlock, WritesAtTheDestinationOffsetInsideLargerImages) {
  PixelFormatDesc f = X8();
  std::vector<uint8_t> src = Pack(f, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  std::vector<uint8_t> dst(4 * 4 * 4, 0);
  DrawRect rect{1, 1, 3, 3};
  ASSERT_EQ(ConvertPixelsBlock(dst.data(), 16, &f, src.data(), 12, &f, nullptr, 0, nullptr, 2, 1, &rect, 0, 0, 0, 0,
                               0, 0, 0, 0),
            0);
  V out(16);
  for (int i = 0; i < 16; ++i) out[i] = detail::LoadPixelValue(dst.data() + 4 * i, 4);
  EXPECT_EQ(out, (V{0, 0, 0, 0, 0, 0, 5, 6, 0, 0, 8, 9, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace veziv
