// The scaled blit of 32-bit images: every loop against the reference model on
// random images (enlarged, shrunk, mirrored, clipped), the stepping sequences,
// the worked pixel examples, and the entry's refusals and arithmetic limits.
#include <gtest/gtest.h>

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

TEST(BlitScaled32, EveryLoopMatchesTheReference) {
  std::mt19937 rng(1210);
  const DrawRect full{0, 0, 16, 12};
  const Stretch stretches[] = {
      {"enlarged", 5, 4, {1, 1, 12, 10}, full},
      {"shrunk", 5, 4, {2, 2, 4, 4}, full},
      {"halved", 8, 6, {3, 2, 7, 5}, full},
      {"same size mirrored", 5, 4, {6, 1, 1, 5}, full},
      {"both mirrored", 5, 4, {12, 9, 2, 1}, full},
      {"clipped left and top", 5, 4, {-4, -3, 9, 7}, full},
      {"shrunk and clipped", 9, 7, {-2, -1, 4, 3}, full},
      {"clipped by the area", 5, 4, {0, 0, 14, 11}, {3, 2, 9, 8}},
      {"mirrored and clipped right", 3, 5, {20, 11, 9, 0}, {0, 0, 14, 12}},
      {"same size goes unscaled", 5, 4, {3, 3, 8, 7}, full},
      {"wholly outside", 5, 4, {17, 0, 30, 10}, full},
      {"empty", 5, 4, {4, 4, 4, 9}, full},
  };
  const test::Sweep sweep{
      {0, 1, 2, 3, 4, 10, 11, 6, 12}, {0, 1, 128, 254, 255, -1}, {0xFFFFFF, 0xFEFFFF, 0x9A40E0}, {0, 1}};
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  TestImage target(16, 12, kSoftType32, false, 2, 8, rng);
  for (const Stretch& st : stretches)
    for (bool alpha : {false, true}) {
      const TestImage source = test::PlantedSource32(st.sw, st.sh, alpha, 1, 4, rng);
      const TestImage blend = test::MakeBlendImage(st.sw, st.sh, rng);
      const int drawn = test::ExpectScaledSweepMatches(sweep, st, source, blend, target,
                                                          test::RefBlitScaled32, alphaTable.data(), rng);
      // Draws wholly outside the area or of no size leave the target alone.
      EXPECT_EQ(drawn > 0, test::StretchShows(st, 16, 12)) << st.what << " alpha " << alpha;
    }
}

// Which source columns a one-row stretch shows, read back from a source whose
// pixel i holds i.
std::vector<uint32_t> ShownColumns(int32_t sw, int32_t x1, int32_t x2, DrawRect area, bool lean) {
  std::mt19937 rng(2);
  TestImage source(sw, 1, kSoftType32, !lean, 0, 0, rng);
  for (int32_t i = 0; i < sw; ++i) source.Set32(i, 0, 0xFF000000u | uint32_t(i));
  const int32_t width = std::max(x1, x2);
  TestImage target(width, 1, kSoftType32, false, 0, 0, rng);
  for (int32_t i = 0; i < width; ++i) target.Set32(i, 0, 0xEEEEEEEE);
  const int32_t rect[4] = {x1, 0, x2, 1};
  // Lean: the plain copy. General: an alpha source drawn with the flag, all
  // alphas 255, which copies whole words too.
  SoftSurfaceBlitScaled(&target.view, &source.view, rect, lean ? 0 : 1, nullptr, Snapshot(0, 0, 0xFFFFFF, area));
  std::vector<uint32_t> shown;
  for (int32_t i = area.left; i < area.right; ++i) shown.push_back(target.Get32(i, 0) & 0xFFFFFF);
  return shown;
}

TEST(BlitScaled32, SteppingPicksTheSourceColumns) {
  struct Case {
    const char* what;
    int32_t sw, x1, x2;
    DrawRect area;
    bool lean;
    std::vector<uint32_t> columns;
  };
  const Case cases[] = {
      {"3 into 5", 3, 0, 5, {0, 0, 5, 1}, false, {0, 0, 1, 1, 2}},
      {"3 into 5, lean", 3, 0, 5, {0, 0, 5, 1}, true, {0, 0, 1, 1, 2}},
      {"3 into 6", 3, 0, 6, {0, 0, 6, 1}, false, {0, 0, 1, 1, 2, 2}},
      {"8 into 4", 8, 0, 4, {0, 0, 4, 1}, false, {0, 2, 4, 6}},
      {"8 into 4, lean", 8, 0, 4, {0, 0, 4, 1}, true, {0, 1, 3, 5}},
      {"5 into 2", 5, 0, 2, {0, 0, 2, 1}, false, {0, 2}},
      {"5 into 2, lean", 5, 0, 2, {0, 0, 2, 1}, true, {0, 2}},
      {"3 into 5, two columns clipped", 3, 0, 5, {2, 0, 5, 1}, false, {1, 1, 2}},
      {"8 into 4, lean, one column clipped", 8, 0, 4, {1, 0, 4, 1}, true, {2, 3, 5}},
      {"3 into 5 mirrored", 3, 5, 0, {0, 0, 5, 1}, false, {2, 2, 1, 1, 0}},
      {"3 mirrored at its own size", 3, 3, 0, {0, 0, 3, 1}, false, {2, 1, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownColumns(c.sw, c.x1, c.x2, c.area, c.lean), c.columns) << c.what;
}

struct PixelCase {
  const char* what;
  int32_t mode, p;
  bool alpha;
  int32_t flag;
  uint32_t mmx;
  uint32_t source, target, expected;
};

TEST(BlitScaled32, WorkedPixelExamples) {
  const PixelCase cases[] = {
      {"alpha 255 with flag copies whole", 0, 0, true, 1, 0, 0xFF102030, 0x00000000, 0xFF102030},
      {"alpha 0 with flag leaves the target", 0, 0, true, 1, 0, 0x00102030, 0x11223344, 0x11223344},
      {"alpha 128 with flag", 0, 0, true, 1, 0, 0x80FFFFFF, 0x00000000, 0x007F7F7F},
      {"alpha 255 without flag still blends", 0, 0, true, 0, 0, 0xFFFFFFFF, 0x00000000, 0x00FEFEFE},
      {"untinted alpha without flag blends by alpha", 0, 0, true, 0, 0, 0x80FFFFFF, 0x66000000, 0x667F7F7F},
      {"p=128 has no average", 1, 128, false, 0, 0, 0x00FFFFFF, 0x77010101, 0x77808080},
      {"add keeps green's low bit", 2, 255, false, 0, 0, 0x00000100, 0x00000100, 0x00000100},
      {"add carries into byte 3", 2, 255, false, 0, 0, 0x00FF0000, 0x00020000, 0x01FF0000},
      {"add of alpha 0 clears byte 3", 2, 100, true, 0, 0, 0x00FFFFFF, 0x55123456, 0x00123456},
      {"subtract of alpha 0 sets low bits", 3, 100, true, 0, 0, 0x00FFFFFF, 0x55123456, 0x00133556},
      {"lean subtract, MMX", 3, 255, false, 0, 1, 0x00000100, 0x00001000, 0x00000F00},
      {"lean subtract, integer", 3, 255, false, 0, 0, 0x00000100, 0x00001000, 0x00011100},
      {"multiply by alpha 0 blackens", 4, 0, true, 0, 0, 0x00FFFFFF, 0x55ABCDEF, 0x55000000},
      {"multiply skips alpha 0 with flag", 4, 0, true, 1, 0, 0x00FFFFFF, 0x55ABCDEF, 0x55ABCDEF},
      {"inverted source p=255", 10, 255, false, 0, 0, 0x00101010, 0x00404040, 0x00EEEEEE},
      {"multiply blend white p=255", 11, 255, false, 0, 0, 0x00FFFFFF, 0x00808080, 0x007F7F7F},
      {"inverted source p=0 unchanged", 10, 0, false, 0, 0, 0x00101010, 0x00404040, 0x00404040},
      {"subtract p=0 draws nothing", 3, 0, false, 0, 0, 0x00101010, 0x00404040, 0x00404040},
  };
  for (const PixelCase& c : cases) {
    std::mt19937 rng(8);
    TestImage source(1, 1, kSoftType32, c.alpha, 0, 0, rng), target(2, 1, kSoftType32, false, 1, 0, rng);
    source.block.transparentValue = 0x00ABCDEF;
    source.Set32(0, 0, c.source);
    target.Set32(0, 0, c.target);
    target.Set32(1, 0, c.target);
    SoftDrawSnapshot draw = Snapshot(c.mode, c.p, 0xFFFFFF, {0, 0, 2, 1});
    draw.mmxUsable = c.mmx;
    const int32_t rect[4] = {0, 0, 2, 1};
    SoftSurfaceBlitScaled(&target.view, &source.view, rect, c.flag, nullptr, draw);
    EXPECT_EQ(target.Get32(0, 0), c.expected) << c.what;
    EXPECT_EQ(target.Get32(1, 0), c.expected) << c.what;
  }
}

TEST(BlitScaled32, RefusesWhatItCannotDraw) {
  std::mt19937 rng(9);
  struct Case {
    const char* what;
    int32_t sourceWidth, sourceHeight;
    int32_t targetType, targetPalette, targetAlpha;
    int32_t rect[4];
  };
  const Case cases[] = {
      {"alpha target", 3, 3, kSoftType32, 0, 1, {0, 0, 6, 6}},
      {"palette target", 3, 3, kSoftType32, 1, 0, {0, 0, 6, 6}},
      {"16-bit target", 3, 3, kSoftType16, 0, 0, {0, 0, 6, 6}},
      {"source without width", 0, 3, kSoftType32, 0, 0, {0, 0, 6, 6}},
      {"source without height", 3, 0, kSoftType32, 0, 0, {0, 0, 6, 6}},
      {"span rounds to 0", 65537, 1, kSoftType32, 0, 0, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    TestImage source(c.sourceWidth, c.sourceHeight, kSoftType32, false, 0, 0, rng);
    TestImage target(8, 8, kSoftType32, false, 1, 4, rng);
    target.block.type = c.targetType;
    target.block.paletteFlag = c.targetPalette;
    target.block.alphaFlag = c.targetAlpha;
    const std::vector<uint8_t> before = target.memory;
    SoftSurfaceBlitScaled(&target.view, &source.view, c.rect, 0, nullptr, Snapshot(0, 0, 0xFFFFFF, {0, 0, 8, 8}));
    EXPECT_TRUE(target.memory == before) << c.what;
  }
}

TEST(BlitScaled32, ClipOffsetsBeyond32767SampleTheRightColumn) {
  std::mt19937 rng(10);
  TestImage source(4, 1, kSoftType32, false, 0, 0, rng), target(6, 1, kSoftType32, false, 1, 0, rng);
  for (int32_t i = 0; i < 4; ++i) source.Set32(i, 0, uint32_t(i));
  TestImage expected(target);
  // 80000 target columns for 4 source columns: the visible ones are 40000 to
  // 40005 of the stretch, all showing source column 2.
  const int32_t rect[4] = {-40000, 0, 40000, 1};
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 6, 1});
  test::RefBlitScaled32(expected.view, source.view, rect, 0, nullptr, draw);
  SoftSurfaceBlitScaled(&target.view, &source.view, rect, 0, nullptr, draw);
  EXPECT_EQ(target.Get32(0, 0), 2u);
  EXPECT_EQ(target.Get32(5, 0), 2u);
  EXPECT_TRUE(expected.memory == target.memory);
}

TEST(BlitScaled32, WideStretchesMatchTheReference) {
  std::mt19937 rng(13);
  const TestImage source = test::PlantedSource32(7, 2, true, 1, 4, rng);
  const TestImage plain = test::PlantedSource32(7, 2, false, 0, 0, rng);
  TestImage target(700, 3, kSoftType32, false, 1, 4, rng);
  const int32_t rects[][4] = {{-30, 0, 680, 3}, {699, 3, 0, 0}, {5, 0, 650, 2}};
  for (const auto& rect : rects)
    for (int32_t flag : {0, 1})
      for (const TestImage* s : {&source, &plain}) {
        const SoftDrawSnapshot draw = Snapshot(flag ? 1 : 0, 77, 0xFFFFFF, {0, 0, 700, 3});
        TestImage expected(target), actual(target);
        test::RefBlitScaled32(expected.view, s->view, rect, flag, nullptr, draw);
        SoftSurfaceBlitScaled(&actual.view, &s->view, rect, flag, nullptr, draw);
        EXPECT_TRUE(expected.memory == actual.memory) << rect[0] << " flag " << flag << " "
                                                      << FirstDifference(expected, actual);
      }
}

TEST(BlitScaled32, SameSizeRequestDrawsAsTheUnscaledBlit) {
  std::mt19937 rng(11);
  TestImage source(5, 4, kSoftType32, true, 0, 0, rng), target(9, 9, kSoftType32, false, 1, 0, rng);
  TestImage unscaled(target);
  // Mode 0 untinted without flag: the unscaled blit copies alpha pixels whole,
  // which the scaled loops would not.
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {0, 0, 9, 9});
  const int32_t rect[4] = {-2, 3, 3, 7};
  SoftSurfaceBlitScaled(&target.view, &source.view, rect, 0, nullptr, draw);
  SoftSurfaceBlit(&unscaled.view, &source.view, -2, 3, 0, nullptr, draw);
  EXPECT_TRUE(unscaled.memory == target.memory);
  EXPECT_EQ(target.Get32(0, 3), source.Get32(2, 0));
}

}  // namespace
}  // namespace veziv::softrender
