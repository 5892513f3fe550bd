// Standard descriptions, descriptions from masks, and colour <-> value mapping.
#include "library/graphics/images/pixel_format.h"

#include <gtest/gtest.h>

#include <tuple>

namespace veziv {
namespace {

struct SetterCase {
  const char* name;
  void (*set)(PixelFormatDesc*);
  int bits, bytes, alphaWidth, alphaShift;
  uint32_t alphaMask, unused;
};

TEST(PixelFormat, StandardSettersFillTheTable) {
  const SetterCase cases[] = {
      {"palette", SetPixelFormatDesc8BitPalette, 8, 1, 0, 0, 0, 0xFF000000u},
      {"gray", SetPixelFormatDesc8BitGray, 8, 1, 0, 0, 0, 0xFF000000u},
      {"24", SetPixelFormatDesc24Bit, 24, 3, 0, 0, 0, 0},
      {"x8", SetPixelFormatDescX8R8G8B8, 32, 4, 0, 0, 0, 0xFF000000u},
      {"a8", SetPixelFormatDescA8R8G8B8, 32, 4, 8, 24, 0xFF000000u, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PixelFormatDesc d{};
    d.compressedKind = 3;
    d.palette[5][0] = 77;
    c.set(&d);
    EXPECT_EQ(d.colorBits, c.bits);
    EXPECT_EQ(d.bytesPerPixel, c.bytes);
    EXPECT_EQ(std::tuple(d.redWidth, d.greenWidth, d.blueWidth), std::tuple(8, 8, 8));
    EXPECT_EQ(std::tuple(d.redShift, d.greenShift, d.blueShift), std::tuple(16, 8, 0));
    EXPECT_EQ(std::tuple(d.redMask, d.greenMask, d.blueMask), std::tuple(0xFF0000u, 0xFF00u, 0xFFu));
    EXPECT_EQ(d.alphaWidth, c.alphaWidth);
    EXPECT_EQ(d.alphaShift, c.alphaShift);
    EXPECT_EQ(d.alphaMask, c.alphaMask);
    EXPECT_EQ(d.unusedMask, c.unused);
    EXPECT_EQ(d.compressedKind, 0u);
  }
  PixelFormatDesc palette{};
  palette.palette[5][0] = 77;
  SetPixelFormatDesc8BitPalette(&palette);
  EXPECT_EQ(palette.palette[5][0], 77) << "the palette setter keeps the entries";
  PixelFormatDesc gray{};
  SetPixelFormatDesc8BitGray(&gray);
  EXPECT_EQ(gray.palette[200][0], 200);
  EXPECT_EQ(gray.palette[200][2], 200);
  EXPECT_EQ(gray.palette[200][3], 0);
  PixelFormatDesc x8{};
  SetPixelFormatDescX8R8G8B8(&x8);
  EXPECT_EQ(x8.unusedShift, 24);
  EXPECT_EQ(x8.unusedWidth, 8);
}

TEST(PixelFormat, FromMasksFindsShiftsWidthsAndUnusedBits) {
  struct Case {
    int bits;
    uint32_t r, g, b, a;
    int rs, rw, gs, gw, bs, bw, as, aw;
    uint32_t unused;
    int us, uw;
  };
  const Case cases[] = {
      {16, 0xF800, 0x7E0, 0x1F, 0, 11, 5, 5, 6, 0, 5, 0, 0, 0, 0, 0},
      {16, 0x7C00, 0x3E0, 0x1F, 0, 10, 5, 5, 5, 0, 5, 0, 0, 0x8000, 15, 1},
      {16, 0xF00, 0xF0, 0xF, 0xF000, 8, 4, 4, 4, 0, 4, 12, 4, 0, 0, 0},
      {32, 0xFF0000, 0xFF00, 0xFF, 0, 16, 8, 8, 8, 0, 8, 0, 0, 0xFF000000u, 24, 8},
      {32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000u, 0, 10, 10, 10, 20, 10, 30, 2, 0, 0, 0},
      {8, 0xE0, 0x1C, 0x3, 0, 5, 3, 2, 3, 0, 2, 0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, red " << std::hex << c.r);
    PixelFormatDesc d{};
    SetPixelFormatDescFromMasks(&d, c.bits, c.r, c.g, c.b, c.a);
    EXPECT_EQ(d.bytesPerPixel, c.bits / 8);
    EXPECT_EQ(std::tuple(d.redShift, d.redWidth, d.greenShift, d.greenWidth),
              std::tuple(c.rs, c.rw, c.gs, c.gw));
    EXPECT_EQ(std::tuple(d.blueShift, d.blueWidth, d.alphaShift, d.alphaWidth),
              std::tuple(c.bs, c.bw, c.as, c.aw));
    EXPECT_EQ(d.unusedMask, c.unused);
    EXPECT_EQ(std::tuple(d.unusedShift, d.unusedWidth), std::tuple(c.us, c.uw));
  }
}

TEST(PixelFormat, RecalcUnusedBitMaskIsZeroWhenTheWidthsFillThePixel) {
  PixelFormatDesc d{};
  SetPixelFormatDescFromMasks(&d, 16, 0xF800, 0x7E0, 0x1F, 0);
  d.unusedMask = 0x1234;
  RecalcUnusedBitMask(&d);
  EXPECT_EQ(d.unusedMask, 0u);
  SetPixelFormatDescFromMasks(&d, 16, 0x7C00, 0x3E0, 0x1F, 0);
  d.unusedMask = 0;
  RecalcUnusedBitMask(&d);
  EXPECT_EQ(d.unusedMask, 0x8000u);
}

TEST(PixelFormat, NearestPaletteEntryPrefersTheLowestIndexOnATie) {
  PixelFormatDesc d{};
  SetPixelFormatDesc8BitPalette(&d);
  for (int i = 0; i < 256; ++i) d.palette[i][0] = d.palette[i][1] = d.palette[i][2] = 250;
  auto set = [&d](int i, int r, int g, int b) {
    d.palette[i][2] = uint8_t(r);
    d.palette[i][1] = uint8_t(g);
    d.palette[i][0] = uint8_t(b);
  };
  set(3, 10, 20, 30);
  set(7, 10, 20, 30);
  set(9, 100, 0, 0);
  set(12, 0, 0, 100);
  EXPECT_EQ(FindColorCodeForImage(&d, 10, 20, 30, 0), 3u);
  EXPECT_EQ(FindColorCodeForImage(&d, 10, 20, 30, 255), 3u) << "alpha is ignored";
  EXPECT_EQ(FindColorCodeForImage(&d, 90, 0, 0, 0), 9u);
  EXPECT_EQ(FindColorCodeForImage(&d, 0, 0, 90, 0), 12u);
  // Equal distance from entries 9 (100,0,0) and 12 (0,0,100): the lower wins.
  EXPECT_EQ(FindColorCodeForImage(&d, 150, 0, 150, 0), 9u);
}

TEST(PixelFormat, ColourCodeTakesTopBitsAndAddsUnusedBits) {
  PixelFormatDesc r565{}, x555{}, x8{}, a8{}, a4{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  SetPixelFormatDescFromMasks(&x555, 16, 0x7C00, 0x3E0, 0x1F, 0);
  SetPixelFormatDescX8R8G8B8(&x8);
  SetPixelFormatDescA8R8G8B8(&a8);
  SetPixelFormatDescFromMasks(&a4, 16, 0xF00, 0xF0, 0xF, 0xF000);
  struct Case {
    const PixelFormatDesc* d;
    int r, g, b, a;
    uint32_t expected;
  };
  const Case cases[] = {
      {&r565, 255, 255, 255, 0, 0xFFFF},  {&r565, 0x80, 0x40, 0x08, 0, 0x8201},
      {&x555, 255, 0, 0, 0, 0xFC00},      {&x8, 1, 2, 3, 0, 0xFF010203},
      {&a8, 1, 2, 3, 4, 0x04010203},      {&a4, 0xF0, 0x80, 0x10, 0x70, 0x7F81},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindColorCodeForImage(c.d, c.r, c.g, c.b, c.a), c.expected) << std::hex << c.expected;
}

TEST(PixelFormat, ColourOfCodeScalesEachChannelToFullRange) {
  PixelFormatDesc r565{}, a4{}, a8{};
  SetPixelFormatDescFromMasks(&r565, 16, 0xF800, 0x7E0, 0x1F, 0);
  SetPixelFormatDescFromMasks(&a4, 16, 0xF00, 0xF0, 0xF, 0xF000);
  SetPixelFormatDescA8R8G8B8(&a8);
  struct Case {
    const PixelFormatDesc* d;
    uint32_t value;
    int r, g, b, a;
  };
  const Case cases[] = {
      {&r565, 0xFFFF, 255, 255, 255, 0},
      {&r565, 0x8410, 131, 129, 131, 0},  // 16*255/31, 32*255/63 with integer division
      {&a4, 0x8421, 68, 34, 17, 136},
      {&a8, 0x80FF4001, 255, 64, 1, 128},
  };
  for (const auto& c : cases) {
    int r = -1, g = -1, b = -1, a = -1;
    GetColorOfColorCode(c.d, c.value, &r, &g, &b, &a);
    EXPECT_EQ(std::tuple(r, g, b, a), std::tuple(c.r, c.g, c.b, c.a)) << std::hex << c.value;
  }
  GetColorOfColorCode(&r565, 0xFFFF, nullptr, nullptr, nullptr, nullptr);  // null outs are allowed
}

TEST(PixelFormat, WideningRepeatsTheValueSoFullStaysFull) {
  struct Case {
    uint32_t v;
    int from, to;
    uint32_t expected;
  };
  const Case cases[] = {
      {31, 5, 8, 255}, {16, 5, 8, 131}, {0, 5, 8, 0},     {63, 6, 8, 255}, {1, 1, 8, 255},
      {0xFF, 8, 5, 31}, {0x3FF, 10, 8, 255}, {15, 4, 8, 255}, {8, 4, 8, 136}, {5, 3, 3, 5},
      {7, 3, 0, 0},     {7, 0, 8, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(detail::ChangeChannelWidth(c.v, c.from, c.to), c.expected)
        << c.v << " from " << c.from << " to " << c.to;
}

}  // namespace
}  // namespace veziv
