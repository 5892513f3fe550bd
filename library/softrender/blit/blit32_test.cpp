// The unscaled blit of 32-bit images: every loop of the dispatch against the
// reference model on random images with guard bytes, the worked pixel examples,
// and the entry's refusals and clipping.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "library/softrender/blit/blit.h"
#include "library/softrender/blit/blit_setup.h"
#include "library/softrender/blit/blit_test_support.h"
#include "library/softrender/reference/blit_reference_test_support.h"
#include "library/softrender/reference/guarded_image_test_support.h"

namespace veziv::softrender {
namespace {

using test::FirstDifference;
using test::Placement;
using test::Snapshot;
using test::TestImage;

TEST(Blit32, EveryLoopMatchesTheReference) {
  std::mt19937 rng(20261210);
  const DrawRect full{0, 0, 16, 12};
  const Placement placements[] = {
      {7, 5, 3, 2, full, false},      {7, 5, -3, -2, full, true},      {7, 5, 12, 9, full, false},
      {7, 5, 20, 2, full, false},     {13, 3, 1, 4, {2, 3, 11, 10}, true}, {1, 1, 5, 5, full, false},
      {5, 6, 4, 3, {14, 11, 2, 1}, false}, {4, 2, 0, 0, {0, 0, 40, 40}, false},
  };
  const test::Sweep sweep{{0, 1, 2, 3, 4, 10, 11, 5, 9, 12, -1},
                             {0, 1, 127, 128, 129, 254, 255, -1},
                             {0xFFFFFF, 0x5AFFFFFF, 0xFFFFFE, 0x7F3AC1},
                             {0, 1, 2}};
  TestImage target(16, 12, kSoftType32, false, 2, 8, rng);
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  int drawn = 0;
  for (const Placement& pl : placements)
    for (bool alpha : {false, true}) {
      const TestImage source =
          test::PlantedSource32(pl.sw, pl.sh, alpha, pl.sourceIsView ? 1 : 0, pl.sourceIsView ? 4 : 0, rng);
      const TestImage blend = test::MakeBlendImage(pl.sw, pl.sh, rng);
      drawn += test::ExpectBlitSweepMatches(sweep, pl, source, blend, target, test::RefBlit32,
                                               alphaTable.data(), rng);
    }
  EXPECT_GT(drawn, 0);
}

TEST(Blit32, AlphaRunsMatchTheReference) {
  std::mt19937 rng(14);
  const test::Sweep sweep{{0, 1, 4, 11}, {128, -1}, {0xFFFFFF, 0xC0FF80}, {0, 1}};
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  TestImage target(40, 6, kSoftType32, false, 1, 4, rng);
  const Placement placement{37, 5, 1, 1, {0, 0, 40, 6}, false};
  for (int round = 0; round < 4; ++round) {
    TestImage source(37, 5, kSoftType32, true, 0, 0, rng);
    test::PlantAlphaRuns(source, rng);
    const TestImage blend = test::MakeBlendImage(37, 5, rng);
    const int drawn = test::ExpectBlitSweepMatches(sweep, placement, source, blend, target, test::RefBlit32,
                                                      alphaTable.data(), rng);
    EXPECT_GT(drawn, 0) << "round " << round;
  }
}

// One source pixel over one target pixel.
struct PixelCase {
  const char* what;
  int32_t mode, p;
  uint32_t brightness;
  int blendWeight;  // -1: no blend image
  bool alpha;
  int32_t flag;
  uint32_t mmx;
  uint32_t source, target, expected;
};

uint32_t DrawOnePixel(const PixelCase& c, uint32_t key = 0x00ABCDEF) {
  std::mt19937 rng(7);
  TestImage target(1, 1, kSoftType32, false, 1, 0, rng), source(1, 1, kSoftType32, c.alpha, 0, 0, rng);
  const test::OnePixelBlend blend(c.blendWeight, 9, rng);
  source.block.transparentValue = key;
  source.Set32(0, 0, c.source);
  target.Set32(0, 0, c.target);
  SoftDrawSnapshot draw = Snapshot(c.mode, c.p, c.brightness, {0, 0, 1, 1});
  draw.blendAlphaTable = blend.weights;
  draw.mmxUsable = c.mmx;
  SoftSurfaceBlit(&target.view, &source.view, 0, 0, c.flag, blend.View(), draw);
  return target.Get32(0, 0);
}

TEST(Blit32, WorkedPixelExamples) {
  const uint32_t white = 0xFFFFFF;
  const PixelCase cases[] = {
      {"alpha p=100 over darker", 1, 100, white, -1, false, 0, 0, 0x00C8C8C8, 0x00323232, 0x006C6C6C},
      {"alpha p=100 over lighter rounds away", 1, 100, white, -1, false, 0, 0, 0x00323232, 0x00C8C8C8, 0x008D8D8D},
      {"p=128 averages, byte 3 cleared", 1, 128, white, -1, false, 0, 0, 0x00FFFFFF, 0x77010101, 0x007F7F7F},
      {"p=127 keeps byte 3", 1, 127, white, -1, false, 0, 0, 0x00FFFFFF, 0x77010101, 0x777F7F7F},
      {"opaque form, flag 1", 0, 0, white, 255, true, 1, 0, 0xFFFFFFFF, 0x00000000, 0x00FEFEFE},
      {"translucent form, flag 0", 0, 0, white, 255, true, 0, 0, 0xFFFFFFFF, 0x00000000, 0x00FDFDFD},
      {"alpha copied whole without flag", 0, 0, white, -1, true, 0, 0, 0x40102030, 0x99999999, 0x40102030},
      {"tinted blends by alpha", 0, 0, 0xFFFFFE, -1, true, 0, 0, 0x80FF0000, 0x00000000, 0x007F0000},
      {"alpha 0 skipped in mode 0", 0, 0, white, -1, true, 1, 0, 0x00FFFFFF, 0x11223344, 0x11223344},
      {"alpha 0 skipped in mode 2", 2, 200, white, -1, true, 1, 0, 0x00FFFFFF, 0x11223344, 0x11223344},
      {"alpha 0 skipped in mode 11", 11, 200, white, -1, true, 1, 0, 0x00FFFFFF, 0x11223344, 0x11223344},
      {"alpha 0 blackens in mode 4", 4, 0, white, -1, true, 1, 0, 0x00FFFFFF, 0x11223344, 0x11000000},
      {"byte 3 differs from the key: drawn", 0, 0, white, -1, false, 1, 0, 0x01ABCDEF, 0x00000000, 0x01ABCDEF},
      {"equal to the key: skipped", 0, 0, white, -1, false, 1, 0, 0x00ABCDEF, 0x00000000, 0x00000000},
      {"whole add, portable", 2, 255, white, -1, false, 0, 0, 0x00000101, 0x00000101, 0x00000002},
      {"whole add, MMX", 2, 255, white, -1, false, 0, 1, 0x00000101, 0x00000101, 0x00000202},
      {"whole subtract, portable", 3, 255, white, -1, false, 0, 0, 0x00010101, 0x00101010, 0x0011110F},
      {"whole subtract, MMX", 3, 255, white, -1, false, 0, 1, 0x00010101, 0x00101010, 0x000F0F0F},
      {"MMX flag other than 1 is portable", 3, 255, white, -1, false, 0, 2, 0x00010101, 0x00101010, 0x0011110F},
      {"multiply by weight 0 blackens", 4, 0, white, 0, false, 0, 0, 0x00FFFFFF, 0x55FFFFFF, 0x55000000},
      {"red tinted to 128", 0, 0, 0x80FFFF, -1, false, 0, 0, 0x00FF4020, 0x66000000, 0x66804020},
      {"inverted source p=255", 10, 255, white, -1, false, 0, 0, 0x00000000, 0x00000000, 0x00FEFEFE},
      {"multiply blend p=255", 11, 255, white, -1, false, 0, 0, 0x00FFFFFF, 0x00FFFFFF, 0x00FEFEFE},
      {"multiply", 4, 255, white, -1, false, 0, 0, 0x00FFFFFF, 0x00FFFFFF, 0x00FEFEFE},
      {"inverted source p=0 unchanged", 10, 0, white, -1, false, 0, 0, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"multiply blend p=0 unchanged", 11, 0, white, -1, false, 0, 0, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"alpha p=0 draws nothing", 1, 0, white, -1, false, 0, 0, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"add p=0 draws nothing", 2, 0, white, -1, false, 0, 0, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"subtract p=0 draws nothing", 3, 0, white, -1, false, 0, 0, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"alpha p=255 copies", 1, 255, white, -1, false, 0, 0, 0x12345678, 0x00ABCDEF, 0x12345678},
      {"mode 7 draws nothing", 7, 100, white, -1, false, 0, 0, 0x12345678, 0x00ABCDEF, 0x00ABCDEF},
      {"whole add, portable, drops green's low bit", 2, 255, white, -1, false, 0, 0, 0x00000100, 0x00000100, 0},
      {"whole add, MMX, exact", 2, 255, white, -1, false, 0, 1, 0x00000100, 0x00000100, 0x00000200},
      {"add with blend, low bits kept", 2, 255, white, 255, false, 0, 0, 0x00000100, 0x00000100, 0x00000100},
      {"add carries into byte 3", 2, 255, white, 255, false, 0, 0, 0x00FF0000, 0x00FF0000, 0x01FF0000},
  };
  for (const PixelCase& c : cases) EXPECT_EQ(DrawOnePixel(c), c.expected) << c.what;
}

TEST(Blit32, RefusesWhatItCannotDraw) {
  std::mt19937 rng(3);
  TestImage source(4, 4, kSoftType32, false, 0, 0, rng);
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 8, 8});
  struct Case {
    const char* what;
    int32_t type;
    int32_t palette, alpha;
  };
  const Case cases[] = {
      {"16-bit target", kSoftType16, 0, 0},
      {"palette target", kSoftType32, 1, 0},
      {"alpha target", kSoftType32, 0, 1},
  };
  for (const Case& c : cases) {
    TestImage target(8, 8, kSoftType32, false, 1, 4, rng);
    target.block.type = c.type;
    target.block.paletteFlag = c.palette;
    target.block.alphaFlag = c.alpha;
    const std::vector<uint8_t> before = target.memory;
    SoftSurfaceBlit(&target.view, &source.view, 1, 1, 0, nullptr, draw);
    EXPECT_TRUE(target.memory == before) << c.what;
  }
}

TEST(Blit32, ClipsToTheDrawAreaAndReadsFromTheClippedColumn) {
  std::mt19937 rng(4);
  TestImage source(6, 3, kSoftType32, false, 0, 0, rng), target(10, 6, kSoftType32, false, 1, 0, rng);
  TestImage blend = test::MakeBlendImage(6, 3, rng);
  uint8_t identity[256];
  for (int i = 0; i < 256; ++i) identity[i] = static_cast<uint8_t>(i);
  for (int x = 0; x < 6; ++x) {
    source.Set32(x, 0, 0x00FFFFFF);
    blend.Set8(x, 0, static_cast<uint8_t>(x * 40));
  }
  for (int x = 0; x < 10; ++x) target.Set32(x, 1, 0);
  SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 10, 6});
  draw.blendAlphaTable = identity;
  SoftSurfaceBlit(&target.view, &source.view, -3, 1, 0, &blend.view, draw);
  // Target column 0 shows source column 3, weighted by blend column 3 (120).
  EXPECT_EQ(target.Get32(0, 1), 0x00777777u);
  EXPECT_EQ(target.Get32(2, 1), 0x00C7C7C7u);
  EXPECT_EQ(target.Get32(3, 1), 0u);
}

TEST(Blit32, PositionsAtTheEndsOfTheRangeDrawNothing) {
  std::mt19937 rng(5);
  TestImage source(4, 4, kSoftType32, false, 0, 0, rng), target(8, 8, kSoftType32, false, 1, 0, rng);
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 8, 8});
  const std::vector<uint8_t> before = target.memory;
  for (int32_t x : {INT32_MAX, INT32_MAX - 2, INT32_MIN}) {
    SoftSurfaceBlit(&target.view, &source.view, x, 0, 0, nullptr, draw);
    SoftSurfaceBlit(&target.view, &source.view, 0, x, 0, nullptr, draw);
  }
  EXPECT_TRUE(target.memory == before);
}

TEST(Blit32, DrawAreaLargerThanTheTargetStopsAtItsEdge) {
  std::mt19937 rng(6);
  TestImage source(6, 6, kSoftType32, false, 0, 0, rng), target(4, 4, kSoftType32, false, 2, 4, rng);
  TestImage expected(target);
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {-5, -5, 50, 50});
  SoftSurfaceBlit(&target.view, &source.view, -1, -1, 0, nullptr, draw);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) expected.Set32(x, y, source.Get32(x + 1, y + 1));
  EXPECT_TRUE(expected.memory == target.memory) << FirstDifference(expected, target);
}

TEST(BlitEntry, AViewOfPartOfAnImageDrawsItsOwnPixels) {
  test::ExpectViewOfPartDrawsItsOwnPixels(kSoftType32, 0x00100000, 0x100);
}

TEST(Blit32, CopiesBetweenViewsOfOneImageRowByRow) {
  test::ExpectCopyBetweenViewsOfOneImageGoesRowByRow(kSoftType32);
}

TEST(BlitEntry, RunTablePathOnlyForAWholeUnclippedImageWithFlag1) {
  std::mt19937 rng(12);
  TestImage whole(6, 4, kSoftType32, false, 0, 0, rng);
  whole.block.runTableValid = 1;
  std::vector<uint8_t> table(size_t(6 + 5) * 4);
  whole.block.runTable = table.data();
  SOFTSURFACE part = whole.view;  // a view of the top-left 5 x 4 pixels
  part.width = 5;
  SOFTSURFACE inner = whole.view;  // same size, but starting one row down
  inner.pixels += whole.block.pitch;
  struct Case {
    const char* what;
    const SOFTSURFACE* view;
    int32_t flag, w, h;
    int32_t valid;
    bool expected;
  };
  const Case cases[] = {
      {"whole image, flag 1", &whole.view, 1, 6, 4, 1, true},
      {"flag 2", &whole.view, 2, 6, 4, 1, false},
      {"flag 0", &whole.view, 0, 6, 4, 1, false},
      {"clipped by one column", &whole.view, 1, 5, 4, 1, false},
      {"clipped by one row", &whole.view, 1, 6, 3, 1, false},
      {"table not valid", &whole.view, 1, 6, 4, 0, false},
      {"view of part of the image", &part, 1, 5, 4, 1, false},
      {"view not at the first pixel", &inner, 1, 6, 4, 1, false},
  };
  for (const Case& c : cases) {
    whole.block.runTableValid = c.valid;
    EXPECT_EQ(TakesRunTablePath(*c.view, c.flag, c.w, c.h), c.expected) << c.what;
  }
}

TEST(BlitEntry, PacksTheTransparentValueForGroupedCompares) {
  struct Case {
    int32_t type, palette;
    uint32_t value, packed;
  };
  const Case cases[] = {
      {kSoftType32, 1, 5, 0x05050505},
      {kSoftType16, 1, 0xC8, 0xC8C8C8C8},
      {kSoftType16, 0, 0xF81F, 0xF81FF81F},
      {kSoftType32, 0, 0xFF123456, 0xFF123456},
  };
  for (const Case& c : cases) {
    SoftSurfaceShared block{};
    block.type = c.type;
    block.paletteFlag = c.palette;
    block.transparentValue = c.value;
    EXPECT_EQ(PackTransparentValue(block), c.packed) << std::hex << c.value;
  }
}

}  // namespace
}  // namespace veziv::softrender
