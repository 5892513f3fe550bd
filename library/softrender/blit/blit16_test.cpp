// The unscaled blit of 16-bit and palette sources, general and run-table
// paths: every loop against the reference model on random images with guard
// bytes, the worked pixel examples, the pair forms, and the run table's
// validity (whole view, transparent value, drawing into the image).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

const DrawRect kFull{0, 0, 16, 12};
const Placement kPlacements[] = {
    {7, 5, 3, 2, kFull, false},   {7, 5, -3, -2, kFull, true},   {6, 5, 12, 9, kFull, false},
    {7, 5, 20, 2, kFull, false},  {13, 3, 1, 4, {2, 3, 11, 10}, true}, {1, 1, 5, 5, kFull, false},
    {5, 6, 4, 3, {14, 11, 2, 1}, false}, {2, 2, -1, 0, kFull, false},
};

using MakeSource = std::function<TestImage(int32_t w, int32_t h, int32_t guard, int32_t slack, std::mt19937&)>;

// Every draw state of the sweep for every placement and source that make()
// gives, against the reference; the source is redrawn with a fresh built run
// table when runTable is set (flag 1 then takes the run-table path).
void SweepUnscaled(int32_t type, const MakeSource& make, const test::Sweep& sweep, bool runTable, uint32_t seed) {
  std::mt19937 rng(seed);
  TestImage target(16, 12, type, false, 2, 6, rng);
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  int drawn = 0;
  for (const Placement& pl : kPlacements) {
    const bool view = pl.sourceIsView && !runTable;
    TestImage source = make(pl.sw, pl.sh, view ? 1 : 0, view ? 4 : 0, rng);
    std::vector<uint8_t> table;
    if (runTable) test::BuildRunTable(source, table);
    const TestImage blend = test::MakeBlendImage(pl.sw, pl.sh, rng);
    drawn += test::ExpectBlitSweepMatches(sweep, pl, source, blend, target, test::RefBlit, alphaTable.data(),
                                             rng);
  }
  EXPECT_GT(drawn, 0);
}

const test::Sweep kSweep{{0, 1, 2, 3, 4, 10, 11, 5, 12, -1},
                            {0, 1, 3, 127, 128, 129, 254, 255, -1},
                            {0xFFFFFF, 0xFFFFFE, 0x7F3AC1},
                            {0, 1, 2}};

MakeSource Direct16(bool alpha) {
  return [alpha](int32_t w, int32_t h, int32_t guard, int32_t slack, std::mt19937& rng) {
    return test::PlantedSource16(w, h, alpha, guard, slack, rng);
  };
}
MakeSource Direct32(bool alpha) {
  return [alpha](int32_t w, int32_t h, int32_t guard, int32_t slack, std::mt19937& rng) {
    TestImage s = test::PlantedSource32(w, h, alpha, guard, slack, rng);
    if (alpha) test::PlantAlphaRuns(s, rng);
    return s;
  };
}
MakeSource Palette(int32_t type) {
  return [type](int32_t w, int32_t h, int32_t guard, int32_t slack, std::mt19937& rng) {
    return test::PlantedPaletteSource(w, h, type, guard, slack, rng);
  };
}

TEST(Blit16, EveryLoopMatchesTheReference) {
  SweepUnscaled(kSoftType16, Direct16(false), kSweep, false, 91);
  SweepUnscaled(kSoftType16, Direct16(true), kSweep, false, 92);
}

TEST(BlitPalette, EveryLoopMatchesTheReference) {
  SweepUnscaled(kSoftType32, Palette(kSoftType32), kSweep, false, 93);
  SweepUnscaled(kSoftType16, Palette(kSoftType16), kSweep, false, 94);
}

TEST(BlitRunTable, EveryLoopMatchesTheReference) {
  const test::Sweep sweep{{0, 1, 2, 3, 4, 10, 11, 7}, {0, 1, 128, 254, 255, -1}, {0xFFFFFF, 0x7F3AC1}, {1, 2}};
  SweepUnscaled(kSoftType32, Direct32(false), sweep, true, 95);
  SweepUnscaled(kSoftType32, Direct32(true), sweep, true, 96);
  SweepUnscaled(kSoftType32, Palette(kSoftType32), sweep, true, 97);
  SweepUnscaled(kSoftType16, Direct16(false), sweep, true, 98);
  SweepUnscaled(kSoftType16, Direct16(true), sweep, true, 99);
  SweepUnscaled(kSoftType16, Palette(kSoftType16), sweep, true, 100);
}

// One 16-bit source pixel over one target pixel.
struct PixelCase {
  const char* what;
  int32_t mode, p;
  uint32_t brightness;
  int blendWeight;  // -1: no blend image
  int alpha;        // -1: no alpha flag, else the source's alpha byte
  int32_t flag;
  uint32_t source, target, expected;
};

uint32_t DrawOnePixel16(const PixelCase& c, bool runTable) {
  std::mt19937 rng(7);
  TestImage target(1, 1, kSoftType16, false, 1, 0, rng), source(1, 1, kSoftType16, c.alpha >= 0, 0, 0, rng);
  const test::OnePixelBlend blend(c.blendWeight, 9, rng);
  source.block.transparentValue = 0xF81F;
  test::Set16WithAlpha(source, 0, 0, c.source, c.alpha);
  std::vector<uint8_t> table;
  if (runTable) test::BuildRunTable(source, table);
  target.Set16(0, 0, c.target);
  SoftDrawSnapshot draw = Snapshot(c.mode, c.p, c.brightness, {0, 0, 1, 1});
  draw.blendAlphaTable = blend.weights;
  SoftSurfaceBlit(&target.view, &source.view, 0, 0, c.flag, blend.View(), draw);
  return target.Get16(0, 0);
}

TEST(Blit16, WorkedPixelExamples) {
  const uint32_t white = 0xFFFFFF;
  const PixelCase cases[] = {
      {"add saturates white", 2, 200, white, 255, -1, 0, 0xFFFF, 0xFFFF, 0xFFFF},
      {"add: blue saturates and sets green's low bit", 2, 255, 0xFEFFFF, -1, -1, 0, 0x0001, 0x001F, 0x003F},
      {"one-pixel add keeps low bits", 2, 255, white, 255, -1, 0, 0x0000, 0xFFFF, 0xFFFF},
      {"two-pixel loop drops low bits", 2, 255, white, -1, -1, 0, 0x0000, 0xFFFF, 0xF7DF},
      {"subtract of the target itself", 3, 255, white, -1, -1, 0, 0x1234, 0x1234, 0x0800},
      {"subtract nothing from white", 3, 200, white, 255, -1, 0, 0x0000, 0xFFFF, 0xFFDF},
      {"subtract white from black", 3, 255, white, -1, -1, 0, 0xFFFF, 0x0000, 0x0000},
      {"half blend", 1, 128, white, -1, -1, 0, 0xFFFF, 0x0821, 0x7BEF},
      {"p=127 through the 6-bit table", 1, 127, white, -1, -1, 0, 0xFFFF, 0x0000, 0x7BEF},
      {"mode 4 blackens alpha 0 with the flag", 4, 0, white, -1, 0, 1, 0xFFFF, 0x1234, 0x0000},
      {"mode 11 keeps alpha 0 with the flag", 11, 200, white, -1, 0, 1, 0xFFFF, 0x1234, 0x1234},
      {"alpha 0 copied without the flag", 0, 0, white, -1, 0, 0, 0x1234, 0xFFFF, 0x1234},
      {"alpha 0 blended by alpha when tinted", 0, 0, 0xFFFFFE, -1, 0, 0, 0x1234, 0xFFFF, 0xFFFF},
      {"opaque pixel with blend weight 255, flag 1", 0, 0, white, 255, 255, 1, 0x001F, 0x0000, 0x001E},
      {"mode 10 tests the uninverted word", 10, 200, white, -1, -1, 1, 0xF81F, 0x0000, 0x0000},
      {"mode 10 without options at p=255", 10, 255, white, -1, -1, 0, 0x1234, 0x0000, 0xEDCB},
      {"mode 11 green exception", 11, 255, white, -1, 255, 0, 0x0740, 0x0560, 0x04E0},
      {"mode 11 tinted has no green exception", 11, 255, 0xFFFFFE, -1, 255, 0, 0x0740, 0x0560, 0x04C0},
      {"multiply white by white", 4, 0, white, -1, -1, 0, 0xFFFF, 0xFFFF, 0xF7DE},
      {"mode 1 p=0 draws nothing", 1, 0, white, -1, -1, 0, 0x1234, 0xABCD, 0xABCD},
      {"mode 3 p=0 draws nothing", 3, 0, white, -1, -1, 0, 0x1234, 0xABCD, 0xABCD},
      {"transparent colour skipped", 0, 0, 0xFFFFFE, -1, -1, 1, 0xF81F, 0xABCD, 0xABCD},
  };
  for (const PixelCase& c : cases) EXPECT_EQ(DrawOnePixel16(c, false), c.expected) << c.what;
}

TEST(BlitRunTable, WorkedPixelExamples16) {
  const uint32_t white = 0xFFFFFF;
  const PixelCase cases[] = {
      {"p=128 rises by truncation", 1, 128, white, -1, -1, 1, 0xFFFF, 0x0000, 0x7BEF},
      {"p=128 falls by truncation", 1, 128, white, -1, -1, 1, 0x0000, 0xFFFF, 0x8410},
      {"add (16,32,16) twice", 2, 255, white, -1, -1, 1, 0x8410, 0x8410, 0xFFFF},
      {"add (1,1,1) twice", 2, 255, white, -1, -1, 1, 0x0821, 0x0821, 0x0822},
      {"subtract (1,1,1) from itself", 3, 255, white, -1, -1, 1, 0x0821, 0x0821, 0x0800},
      {"blend weight 255 stops short", 0, 0, white, 255, -1, 1, 0x001F, 0x0000, 0x001E},
      {"mode 4 by alpha 128", 4, 0, white, -1, 128, 1, 0xFFFF, 0xFFFF, 0x7BEF},
      {"alpha 254 blends", 0, 0, white, -1, 254, 1, 0x001F, 0x0000, 0x001E},
      {"alpha 0 untouched in mode 4", 4, 0, white, -1, 0, 1, 0xFFFF, 0x1234, 0x1234},
  };
  for (const PixelCase& c : cases) EXPECT_EQ(DrawOnePixel16(c, true), c.expected) << c.what;
}

TEST(BlitRunTable, WorkedPixelExamples32) {
  struct Case {
    const char* what;
    int32_t mode, p;
    uint32_t brightness;
    int alpha;  // -1: no alpha flag (the alpha byte is the source's byte 3 then)
    uint32_t source, target, expected;
  };
  const uint32_t white = 0xFFFFFF;
  const Case cases[] = {
      {"p=128 has no average", 1, 128, white, -1, 0x000000FF, 0x77000000, 0x7700007F},
      {"p=128 keeps 1 over 1", 1, 128, white, -1, 0x00000001, 0x00000001, 0x00000001},
      {"alpha 128 mixes by alpha", 0, 0, white, 128, 0x000000FF, 0x00000000, 0x0000007F},
      {"alpha 255 copies whole", 0, 0, white, 255, 0x00123456, 0x00ABCDEF, 0xFF123456},
      {"alpha 0 untouched, also in mode 4", 4, 0, white, 0, 0x00FFFFFF, 0x00ABCDEF, 0x00ABCDEF},
      {"untinted copy takes byte 3", 0, 0, white, -1, 0x5A123456, 0x00ABCDEF, 0x5A123456},
      {"tinted copy keeps byte 3", 0, 0, 0xFFFFFE, -1, 0x5A123456, 0x66ABCDEF, 0x66123455},
      {"add keeps green 1 + 1 at 1", 2, 255, white, -1, 0x00000100, 0x00000100, 0x00000100},
      {"add saturates red into byte 3", 2, 255, white, -1, 0x00FF0000, 0x00020000, 0x01FF0000},
      {"subtract at p=0 draws nothing", 3, 0, white, -1, 0x00FF0000, 0x00123456, 0x00123456},
  };
  for (const Case& c : cases) {
    std::mt19937 rng(11);
    TestImage source(1, 1, kSoftType32, c.alpha >= 0, 0, 0, rng), target(1, 1, kSoftType32, false, 1, 0, rng);
    source.block.transparentValue = 0xFFFFFFFF;
    source.Set32(0, 0, c.alpha >= 0 ? (c.source & 0x00FFFFFF) | uint32_t(c.alpha) << 24 : c.source);
    std::vector<uint8_t> table;
    test::BuildRunTable(source, table);
    target.Set32(0, 0, c.target);
    SoftSurfaceBlit(&target.view, &source.view, 0, 0, 1, nullptr, Snapshot(c.mode, c.p, c.brightness, {0, 0, 1, 1}));
    EXPECT_EQ(target.Get32(0, 0), c.expected) << c.what;
  }
}

// A one-row 16-bit drawing of words over words, clipped by the draw area.
std::vector<uint32_t> DrawRow16(int32_t mode, int32_t flag, const std::vector<uint32_t>& source,
                                const std::vector<uint32_t>& target, DrawRect area) {
  std::mt19937 rng(5);
  TestImage s(int32_t(source.size()), 1, kSoftType16, false, 0, 0, rng);
  TestImage t(int32_t(target.size()), 1, kSoftType16, false, 1, 0, rng);
  s.block.transparentValue = 0xF81F;
  for (size_t i = 0; i < source.size(); ++i) s.Set16(int32_t(i), 0, source[i]);
  for (size_t i = 0; i < target.size(); ++i) t.Set16(int32_t(i), 0, target[i]);
  SoftSurfaceBlit(&t.view, &s.view, 0, 0, flag, nullptr, Snapshot(mode, 255, 0xFFFFFF, area));
  std::vector<uint32_t> out;
  for (size_t i = 0; i < target.size(); ++i) out.push_back(t.Get16(int32_t(i), 0));
  return out;
}

TEST(Blit16, PairLoopsCarryFromTheFirstPixelToTheSecond) {
  struct Case {
    const char* what;
    int32_t mode, flag;
    std::vector<uint32_t> source, target;
    DrawRect area;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"subtract pair of zeros", 3, 0, {0, 0}, {0, 0}, {0, 0, 2, 1}, {0x0800, 0x0801}},
      {"red carry into the second blue", 2, 0, {0x8000, 0x0000}, {0x8000, 0x0000}, {0, 0, 2, 1}, {0xF800, 0x0001}},
      {"the odd last pixel alone", 2, 0, {0x8000, 0x0000, 0x0000}, {0x8000, 0x0000, 0x0001}, {0, 0, 3, 1},
       {0xF800, 0x0001, 0x0001}},
      {"clipping moves the pairs", 2, 0, {0x0000, 0x8000, 0x0000}, {0x0000, 0x8000, 0x0000}, {1, 0, 3, 1},
       {0x0000, 0xF800, 0x0001}},
      {"a transparent partner leaves the other alone", 2, 1, {0x8000, 0xF81F}, {0x8000, 0x0000}, {0, 0, 2, 1},
       {0xF800, 0x0000}},
      {"subtract borrow keeps the second blue low", 3, 0, {0x8000, 0x0000}, {0x0000, 0x0003}, {0, 0, 2, 1},
       {0x0000, 0x0802}},
  };
  for (const Case& c : cases) EXPECT_EQ(DrawRow16(c.mode, c.flag, c.source, c.target, c.area), c.expected) << c.what;
}

// One palette index over one target pixel.
struct PaletteCase {
  const char* what;
  int32_t type, mode, p;
  uint32_t brightness;
  int blendWeight;
  int32_t flag;
  uint32_t mmx, transparent;
  uint8_t index;
  uint32_t entry, target, expected;
};

TEST(BlitPalette, WorkedPixelExamples) {
  const uint32_t white = 0xFFFFFF;
  const PaletteCase cases[] = {
      {"32: subtract at p=0 still draws", kSoftType32, 3, 0, white, -1, 0, 0, 0, 1, 0, 0x55123456, 0x00133556},
      {"16: subtract at p=0 still draws", kSoftType16, 3, 0, white, -1, 0, 0, 0, 1, 0, 0x1234, 0x1A14},
      {"16: subtract at p=0 blackest", kSoftType16, 3, 0, white, -1, 0, 0, 0, 1, 0, 0x0000, 0x0800},
      {"32: add white, packed entry sets X", kSoftType32, 2, 255, white, -1, 0, 0, 0, 1, 0x00FFFFFF, 0x00FFFFFF,
       0x01FFFFFF},
      {"32: add white, MMX keeps X", kSoftType32, 2, 255, white, -1, 0, 1, 0, 1, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF},
      {"32: packed entry drops green's low bits", kSoftType32, 2, 255, white, -1, 0, 0, 0, 1, 0x00000100, 0x00000200,
       0x00000200},
      {"32: MMX add keeps them", kSoftType32, 2, 255, white, -1, 0, 1, 0, 1, 0x00000100, 0x00000200, 0x00000300},
      {"32: half blend clears X", kSoftType32, 1, 128, white, -1, 0, 0, 0, 1, 0x00FF0000, 0x66000000, 0x007F0000},
      {"32: tinted p=128 keeps X", kSoftType32, 1, 128, 0xFFFFFE, -1, 0, 0, 0, 1, 0x00FF0000, 0x66000000, 0x667F0000},
      {"32: whole entry with its fourth byte", kSoftType32, 0, 0, white, -1, 0, 0, 0, 1, 0x77123456, 0, 0x77123456},
      {"32: mode 4 white entry", kSoftType32, 4, 0, white, -1, 0, 0, 0, 1, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
      {"16: mode 4 white entry", kSoftType16, 4, 0, white, -1, 0, 0, 0, 1, 0xFFFF, 0xFFFF, 0xF7DE},
      {"32: mode 4 blend weight 0", kSoftType32, 4, 0, white, 0, 0, 0, 0, 1, 0x00FFFFFF, 0x55808080, 0x55000000},
      {"32: tinted inversion of black", kSoftType32, 10, 255, 0x808080, -1, 0, 0, 0, 1, 0, 0, 0x007F7F7F},
      {"transparent index skipped", kSoftType32, 0, 0, white, -1, 1, 0, 5, 5, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"value 0xFFFF leaves index 255 drawn", kSoftType32, 0, 0, white, -1, 1, 0, 0xFFFF, 255, 0x00123456, 0,
       0x00123456},
      {"value 0xFFFF, 16-bit pair add", kSoftType16, 2, 255, white, -1, 1, 0, 0xFFFF, 255, 0x0001, 0x0001, 0x0002},
      {"value 511 leaves index 255 drawn", kSoftType16, 1, 77, white, -1, 1, 0, 511, 255, 0xFFFF, 0, 0x4A69},
      {"mode 2 p=0 draws nothing", kSoftType16, 2, 0, white, -1, 0, 0, 0, 1, 0xFFFF, 0x1234, 0x1234},
  };
  for (const PaletteCase& c : cases) {
    std::mt19937 rng(9);
    TestImage source = test::PlantedPaletteSource(1, 1, c.type, 0, 0, rng);
    TestImage target(1, 1, c.type, false, 1, 0, rng);
    const test::OnePixelBlend blend(c.blendWeight, 3, rng);
    source.block.transparentValue = c.transparent;
    source.Set8(0, 0, c.index);
    std::memcpy(source.palette.data() + c.index * (c.type == kSoftType16 ? 2 : 4), &c.entry,
                c.type == kSoftType16 ? 2 : 4);
    if (c.type == kSoftType16)
      target.Set16(0, 0, c.target);
    else
      target.Set32(0, 0, c.target);
    SoftDrawSnapshot draw = Snapshot(c.mode, c.p, c.brightness, {0, 0, 1, 1});
    draw.blendAlphaTable = blend.weights;
    draw.mmxUsable = c.mmx;
    SoftSurfaceBlit(&target.view, &source.view, 0, 0, c.flag, blend.View(), draw);
    EXPECT_EQ(c.type == kSoftType16 ? target.Get16(0, 0) : target.Get32(0, 0), c.expected) << c.what;
  }
}

TEST(BlitPalette, EveryLoopReadsTheSourcesOwnPalette) {
  // Only two entries are in use, but index 200 is drawn: its entry is the
  // palette's own, on every path and in the loops of every special form.
  struct Case {
    int32_t type, mode, p, flag;
    bool scaled;
  };
  const Case cases[] = {
      {kSoftType32, 0, 0, 1, false},   {kSoftType32, 2, 255, 0, false}, {kSoftType32, 1, 128, 0, false},
      {kSoftType16, 0, 0, 0, false},   {kSoftType16, 1, 100, 1, false}, {kSoftType16, 3, 255, 0, false},
      {kSoftType32, 0, 0, 1, true},    {kSoftType32, 3, 255, 0, true},  {kSoftType16, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    std::mt19937 rng(21);
    TestImage source = test::PlantedPaletteSource(2, 1, c.type, 0, 0, rng);
    source.block.paletteColorCount = 2;
    source.block.transparentValue = 1;
    source.Set8(0, 0, 200);
    source.Set8(1, 0, 200);
    TestImage expected(4, 1, c.type, false, 1, 0, rng);
    TestImage actual(expected);
    const SoftDrawSnapshot draw = Snapshot(c.mode, c.p, 0xFFFFFF, {0, 0, 4, 1});
    const int32_t rect[4] = {0, 0, 4, 1};
    if (c.scaled) {
      test::RefBlitScaled(expected.view, source.view, rect, c.flag, nullptr, draw);
      SoftSurfaceBlitScaled(&actual.view, &source.view, rect, c.flag, nullptr, draw);
    } else {
      test::RefBlit(expected.view, source.view, 0, 0, c.flag, nullptr, draw);
      SoftSurfaceBlit(&actual.view, &source.view, 0, 0, c.flag, nullptr, draw);
    }
    EXPECT_TRUE(expected.memory == actual.memory) << c.type << " mode " << c.mode << " p " << c.p << " scaled "
                                                  << c.scaled << ": " << FirstDifference(expected, actual);
  }
}

TEST(BlitRunTable, RowsEndAtAnyEndCodeAndRunsStopAtTheirRow) {
  std::mt19937 rng(15);
  TestImage source(100, 3, kSoftType32, false, 0, 0, rng), target(100, 3, kSoftType32, false, 1, 0, rng);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 100; ++x) source.Set32(x, y, 0x00010000u * uint32_t(y) + uint32_t(x));
  // Row 0: 64 + 36 opaque, ended by 0xC1. Row 1: all transparent, ended by
  // 0xFF. Row 2: a run of 64 claimed after 90 pixels is cut at the row's end.
  std::vector<uint8_t> table = {0x7F, 0x63, 0xC1, 0x3F, 0x23, 0xFF, 0x3F, 0x59, 0x7F, 0xC0};
  source.block.runTable = table.data();
  source.block.runTableValid = 1;
  source.block.runTableTransparentValue = source.block.transparentValue;
  TestImage expected(target);
  for (int32_t x = 0; x < 100; ++x) {
    expected.Set32(x, 0, source.Get32(x, 0));
    if (x >= 64) expected.Set32(x, 2, source.Get32(x, 2));
  }
  SoftSurfaceBlit(&target.view, &source.view, 0, 0, 1, nullptr, Snapshot(0, 0, 0xFFFFFF, {0, 0, 100, 3}));
  EXPECT_TRUE(expected.memory == target.memory) << FirstDifference(expected, target);
}

// A 16-bit image with a built run table whose pixels are all transparent, and
// a screen filled with 0x1111.
struct RunTableScene {
  SOFTSURFACE image{}, screen{};
  RunTableScene(int32_t type, int32_t palette) {
    SoftSurfaceCreate(&image, 6, 4, -1, 7, type, palette, 0, 1, nullptr);
    SoftSurfaceFillRaw(&image, nullptr, 7);
    BuildSoftSurfaceRunTable(image.base);
    SoftSurfaceCreateForScreen(&screen, 8, 6, type);
    SoftSurfaceFillRaw(&screen, nullptr, 0x1111);
  }
  ~RunTableScene() {
    SoftSurfaceRelease(&image);
    SoftSurfaceRelease(&screen);
  }
  uint32_t ScreenPixel(int32_t x, int32_t y) const {
    uint32_t v = 0;
    std::memcpy(&v, screen.pixels + y * screen.base->pitch + x * screen.base->bytesPerPixel,
                size_t(screen.base->bytesPerPixel));
    return v;
  }
};

TEST(BlitRunTable, ATableNoLongerDescribingItsImageIsNotWalked) {
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 8, 6});
  {
    // The transparent value changed after the table was built: index 7 now
    // draws, as the general loops draw it.
    RunTableScene s(kSoftType32, 1);
    std::memset(s.image.base->palette + 4 * 7, 0x22, 4);
    s.image.base->transparentValue = 0xFFFF;
    SoftSurfaceBlit(&s.screen, &s.image, 1, 1, 1, nullptr, draw);
    EXPECT_EQ(s.ScreenPixel(1, 1), 0x22222222u);
  }
  {
    // Pixels drawn into the image after its table was built are drawn.
    RunTableScene s(kSoftType16, 0);
    SOFTSURFACE dot{};
    ASSERT_EQ(SoftSurfaceCreateForScreen(&dot, 1, 1, kSoftType16), 0);
    SoftSurfaceFillRaw(&dot, nullptr, 0x4321);
    SoftSurfaceBlit(&s.image, &dot, 2, 1, 0, nullptr, draw);
    EXPECT_EQ(s.image.base->runTableValid, 0);
    SoftSurfaceBlit(&s.screen, &s.image, 1, 1, 1, nullptr, draw);
    EXPECT_EQ(s.ScreenPixel(3, 2), 0x4321u);
    SoftSurfaceRelease(&dot);
  }
  {
    // So are pixels filled into it.
    RunTableScene s(kSoftType16, 0);
    const DrawRect one{0, 0, 1, 1};
    SoftSurfaceFillRaw(&s.image, &one, 0x2222);
    SoftSurfaceBlit(&s.screen, &s.image, 1, 1, 1, nullptr, draw);
    EXPECT_EQ(s.ScreenPixel(1, 1), 0x2222u);
  }
}

TEST(BlitRunTable, AViewOfPartOf16BitImageDrawsItsOwnPixels) {
  test::ExpectViewOfPartDrawsItsOwnPixels(kSoftType16, 0x0800, 0x20);
}

TEST(Blit16, CopiesBetweenViewsOfOneImageRowByRow) {
  test::ExpectCopyBetweenViewsOfOneImageGoesRowByRow(kSoftType16);
}

}  // namespace
}  // namespace veziv::softrender
