// The scaled blit of 16-bit and palette sources: every loop against the
// reference model on random images (enlarged, shrunk, mirrored, clipped), the
// worked pixel examples, and the lean loops' choice of source columns.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "library/softrender/blit/blit.h"
#include "library/softrender/blit/blit_test_support.h"
#include "library/softrender/reference/blit_reference_test_support.h"
#include "library/softrender/reference/guarded_image_test_support.h"

namespace veziv::softrender {
namespace {

using test::FirstDifference;
using test::Snapshot;
using test::Stretch;
using test::TestImage;

using MakeSource = std::function<TestImage(int32_t w, int32_t h, std::mt19937&)>;

void SweepScaled(int32_t type, const MakeSource& make, uint32_t seed) {
  std::mt19937 rng(seed);
  const DrawRect full{0, 0, 16, 12};
  const Stretch stretches[] = {
      {"enlarged", 5, 4, {1, 1, 12, 10}, full},
      {"halved", 8, 6, {3, 2, 7, 5}, full},
      {"same size mirrored", 5, 4, {6, 1, 1, 5}, full},
      {"both mirrored", 5, 4, {12, 9, 2, 1}, full},
      {"shrunk and clipped", 9, 7, {-2, -1, 4, 3}, full},
      {"clipped by the area", 5, 4, {0, 0, 14, 11}, {3, 2, 9, 8}},
      {"same size goes unscaled", 5, 4, {3, 3, 8, 7}, full},
  };
  const test::Sweep sweep{
      {0, 1, 2, 3, 4, 10, 11, 6}, {0, 1, 128, 254, 255, -1}, {0xFFFFFF, 0xFEFFFF, 0x9A40E0}, {0, 1}};
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  TestImage target(16, 12, type, false, 2, 6, rng);
  for (const Stretch& st : stretches) {
    const TestImage source = make(st.sw, st.sh, rng);
    const TestImage blend = test::MakeBlendImage(st.sw, st.sh, rng);
    const int drawn = test::ExpectScaledSweepMatches(sweep, st, source, blend, target, test::RefBlitScaled,
                                                        alphaTable.data(), rng);
    EXPECT_GT(drawn, 0) << st.what;
  }
}

TEST(BlitScaled16, EveryLoopMatchesTheReference) {
  for (bool alpha : {false, true})
    SweepScaled(kSoftType16, [alpha](int32_t w, int32_t h, std::mt19937& rng) {
      return test::PlantedSource16(w, h, alpha, 1, 4, rng);
    }, alpha ? 21 : 22);
}

TEST(BlitScaledPalette, EveryLoopMatchesTheReference) {
  for (int32_t type : {kSoftType32, kSoftType16})
    SweepScaled(type, [type](int32_t w, int32_t h, std::mt19937& rng) {
      return test::PlantedPaletteSource(w, h, type, 1, 4, rng);
    }, 23 + uint32_t(type));
}

struct PixelCase {
  const char* what;
  int32_t mode, p;
  int blendWeight;  // -1: no blend image
  int alpha;        // -1: no alpha flag, else the source's alpha byte
  int32_t flag;
  uint32_t source, target, expected;
};

TEST(BlitScaled16, WorkedPixelExamples) {
  const PixelCase cases[] = {
      {"blend weight 255 stops short of white", 0, 0, 255, -1, 0, 0xFFFF, 0x0000, 0xF7DE},
      {"p=128 rises by truncation", 1, 128, -1, -1, 0, 0xF800, 0x0000, 0x7800},
      {"p=128 falls by truncation", 1, 128, -1, -1, 0, 0x0000, 0xF800, 0x8000},
      {"alpha 255 with the flag copies", 0, 0, -1, 255, 1, 0x1234, 0xFFFF, 0x1234},
      {"alpha 128 with the flag", 0, 0, -1, 128, 1, 0x001F, 0x0000, 0x000F},
      {"alpha 255 without the flag blends", 0, 0, -1, 255, 0, 0x001F, 0x0000, 0x001E},
      {"alpha 0 without the flag keeps the target", 0, 0, -1, 0, 0, 0x001F, 0x1234, 0x1234},
      {"add white", 2, 255, -1, -1, 0, 0xFFFF, 0x1234, 0xFFFF},
      {"add blue 20 twice", 2, 255, -1, -1, 0, 0x0014, 0x0014, 0x003F},
      {"lean subtract", 3, 255, -1, -1, 0, 0x0841, 0xFFFF, 0xFF9E},
      {"subtract of black sets red's low bit", 3, 255, -1, -1, 0, 0x0000, 0x0000, 0x0800},
      {"multiply white by white", 4, 0, -1, -1, 0, 0xFFFF, 0xFFFF, 0xF7DE},
      {"mode 11 green exception", 11, 255, -1, 255, 0, 0x0740, 0x0560, 0x04E0},
      {"mode 10 complements", 10, 255, -1, -1, 0, 0x1234, 0x0000, 0xEDCB},
      {"mode 4 keeps alpha 0 with the flag", 4, 0, -1, 0, 1, 0xFFFF, 0x1234, 0x1234},
      {"mode 4 blackens alpha 0 without it", 4, 0, -1, 0, 0, 0xFFFF, 0x1234, 0x0000},
      {"transparent colour skipped", 10, 100, -1, -1, 1, 0xF81F, 0x1234, 0x1234},
  };
  for (const PixelCase& c : cases) {
    std::mt19937 rng(8);
    TestImage source(1, 1, kSoftType16, c.alpha >= 0, 0, 0, rng), target(2, 1, kSoftType16, false, 1, 0, rng);
    const test::OnePixelBlend blend(c.blendWeight, 4, rng);
    source.block.transparentValue = 0xF81F;
    test::Set16WithAlpha(source, 0, 0, c.source, c.alpha);
    target.Set16(0, 0, c.target);
    target.Set16(1, 0, c.target);
    SoftDrawSnapshot draw = Snapshot(c.mode, c.p, 0xFFFFFF, {0, 0, 2, 1});
    draw.blendAlphaTable = blend.weights;
    const int32_t rect[4] = {0, 0, 2, 1};
    SoftSurfaceBlitScaled(&target.view, &source.view, rect, c.flag, blend.View(), draw);
    EXPECT_EQ(target.Get16(0, 0), c.expected) << c.what;
    EXPECT_EQ(target.Get16(1, 0), c.expected) << c.what;
  }
}

TEST(BlitScaledPalette, WorkedPixelExamples) {
  struct Case {
    const char* what;
    int32_t type, mode, p;
    uint32_t brightness, mmx, transparent;
    int32_t flag;
    uint32_t entry, target, expected;
  };
  const uint32_t white = 0xFFFFFF;
  const Case cases[] = {
      {"transparent index skipped", kSoftType32, 0, 0, white, 0, 5, 1, 0x00123456, 0x00ABCDEF, 0x00ABCDEF},
      {"drawn without the flag", kSoftType32, 0, 0, white, 0, 5, 0, 0x00123456, 0x00ABCDEF, 0x00123456},
      {"value 300 hides nothing", kSoftType32, 0, 0, white, 0, 300, 1, 0x00123456, 0x00ABCDEF, 0x00123456},
      {"whole entry with its fourth byte", kSoftType32, 0, 0, white, 0, 0, 0, 0x77123456, 0x11000000, 0x77123456},
      {"tinted keeps the fourth byte", kSoftType32, 0, 0, 0xFFFFFE, 0, 0, 0, 0x77123456, 0x11000000, 0x11123455},
      {"32: subtract at p=0 still draws", kSoftType32, 3, 0, white, 0, 0, 0, 0x00FFFFFF, 0x00123456, 0x00133556},
      {"16: subtract at p=0 still draws", kSoftType16, 3, 0, white, 0, 0, 0, 0xFFFF, 0x1234, 0x1A14},
      {"32: p=128 by the parameter", kSoftType32, 1, 128, white, 0, 0, 0, 0x000000FF, 0x00000000, 0x0000007F},
      {"32: packed add", kSoftType32, 2, 255, white, 0, 0, 0, 0x00808080, 0x00808080, 0x01FFFFFF},
      {"32: lean subtract, integer", kSoftType32, 3, 255, white, 0, 0, 0, 0x00010101, 0x00000000, 0x00010000},
      {"32: lean subtract, MMX", kSoftType32, 3, 255, white, 1, 0, 0, 0x00010101, 0x00000000, 0x00000000},
      {"16: packed add of white", kSoftType16, 2, 255, white, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF},
  };
  for (const Case& c : cases) {
    std::mt19937 rng(3);
    TestImage source = test::PlantedPaletteSource(1, 1, c.type, 0, 0, rng);
    TestImage target(2, 1, c.type, false, 1, 0, rng);
    source.block.transparentValue = c.transparent;
    source.Set8(0, 0, 5);
    const int bytes = c.type == kSoftType16 ? 2 : 4;
    std::memcpy(source.palette.data() + 5 * bytes, &c.entry, size_t(bytes));
    for (int32_t x = 0; x < 2; ++x) std::memcpy(target.At(x, 0), &c.target, size_t(bytes));
    SoftDrawSnapshot draw = Snapshot(c.mode, c.p, c.brightness, {0, 0, 2, 1});
    draw.mmxUsable = c.mmx;
    const int32_t rect[4] = {0, 0, 2, 1};
    SoftSurfaceBlitScaled(&target.view, &source.view, rect, c.flag, nullptr, draw);
    for (int32_t x = 0; x < 2; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, target.At(x, 0), size_t(bytes));
      EXPECT_EQ(v, c.expected) << c.what;
    }
  }
}

// The source columns a 16-column row drawn 8 wide shows, read back from a
// 16-bit source whose pixel i has blue 2i: copied, or subtracted from white
// (blue 31 - v, v = 2i scaled by p: 2i at p = 255, 2i - 1 at p = 254).
std::vector<uint32_t> ShownColumns16(int32_t mode, int32_t p) {
  std::mt19937 rng(2);
  TestImage source(16, 1, kSoftType16, false, 0, 0, rng), target(8, 1, kSoftType16, false, 0, 0, rng);
  for (int32_t i = 0; i < 16; ++i) source.Set16(i, 0, uint32_t(2 * i));
  for (int32_t i = 0; i < 8; ++i) target.Set16(i, 0, 0xFFFF);
  const int32_t rect[4] = {0, 0, 8, 1};
  SoftSurfaceBlitScaled(&target.view, &source.view, rect, 0, nullptr, Snapshot(mode, p, 0xFFFFFF, {0, 0, 8, 1}));
  std::vector<uint32_t> shown;
  for (int32_t i = 0; i < 8; ++i) {
    const uint32_t blue = target.Get16(i, 0) & 31;
    shown.push_back(mode == 0 ? blue / 2 : (31 - blue + 1) / 2);
  }
  return shown;
}

TEST(BlitScaled16, LeanLoopsTakeOtherColumnsWhenShrinking) {
  struct Case {
    int32_t mode, p;
    std::vector<uint32_t> columns;
  };
  const Case cases[] = {
      {0, 0, {0, 1, 3, 5, 7, 9, 11, 13}},
      {3, 255, {0, 1, 3, 5, 7, 9, 11, 13}},
      {3, 254, {0, 2, 4, 6, 8, 10, 12, 14}},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownColumns16(c.mode, c.p), c.columns) << c.mode << " " << c.p;
}

}  // namespace
}  // namespace veziv::softrender
