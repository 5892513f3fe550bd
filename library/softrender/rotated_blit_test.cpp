// The rotated blit: exact quarter turns and scales against the inverse mapping,
// other angles within a small tolerance of it, a source taller than any fixed
// row table, the scales that draw nothing, the refusals, and the texel rules
// where the families differ.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "library/softrender/rotated_blit.h"
#include "library/softrender/test_image.h"

namespace veziv::softrender {
namespace {

using testing::FirstDifference;
using testing::Snapshot;
using testing::TestImage;

constexpr uint32_t kWhite = 0xFFFFFF;

// Each texel names its own column and row; none is the transparent value.
TestImage NamedSource(int32_t w, int32_t h, std::mt19937& rng) {
  TestImage s(w, h, kSoftType32, false, 1, 8, rng);
  s.block.transparentValue = 0xFFFFFFFF;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s.Set32(x, y, 0x80000000u | uint32_t(y) << 12 | uint32_t(x));
  return s;
}

TestImage BlackTarget(int32_t w, int32_t h, std::mt19937& rng) {
  TestImage t(w, h, kSoftType32, false, 2, 4, rng);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) t.Set32(x, y, 0);
  return t;
}

// Where target pixel (x, y) lands in the source, ideally.
struct Ideal {
  double u, v;
};
Ideal InverseMap(int32_t w, int32_t h, int32_t cx, int32_t cy, double angle, double scale, int32_t x, int32_t y,
                 double cosA, double sinA) {
  (void)angle;
  const double dx = x - cx, dy = y - cy;
  return {(w >> 1) + (dx * cosA + dy * sinA) / scale, (h >> 1) + (dy * cosA - dx * sinA) / scale};
}

TEST(BlitRotated, ExactTurnsAndScalesFollowTheInverseMapping) {
  std::mt19937 rng(3);
  const float kQuarter = static_cast<float>(M_PI / 2), kHalf = static_cast<float>(M_PI);
  struct Turn {
    float angle;
    double cosA, sinA;
  } turns[] = {{0, 1, 0}, {kQuarter, 0, 1}, {kHalf, -1, 0}, {-kQuarter, 0, -1}};
  const float scales[] = {1, 2, 0.5f, -1};
  struct Size {
    int32_t w, h;
  } sizes[] = {{7, 5}, {8, 6}, {1, 1}, {2, 9}};
  for (const Turn& turn : turns)
    for (float scale : scales)
      for (const Size& size : sizes) {
        const TestImage source = NamedSource(size.w, size.h, rng);
        TestImage target = BlackTarget(40, 32, rng);
        TestImage expected(target);
        const int32_t cx = 19, cy = 14;
        for (int32_t y = 0; y < 32; ++y)
          for (int32_t x = 0; x < 40; ++x) {
            const Ideal m = InverseMap(size.w, size.h, cx, cy, turn.angle, scale, x, y, turn.cosA, turn.sinA);
            if (m.u < 0 || m.v < 0 || m.u >= size.w || m.v >= size.h) continue;
            expected.Set32(x, y, source.Get32(int32_t(std::floor(m.u)), int32_t(std::floor(m.v))));
          }
        SoftSurfaceBlitRotated(&target.view, &source.view, cx, cy, turn.angle, scale, 0, 0, nullptr,
                               Snapshot(0, 0, kWhite, {0, 0, 40, 32}));
        EXPECT_TRUE(expected.memory == target.memory) << "angle " << turn.angle << " scale " << scale << " source "
                                                      << size.w << "x" << size.h << ": "
                                                      << FirstDifference(expected, target);
      }
}

TEST(BlitRotated, OtherAnglesStayWithinATexelFractionOfTheInverseMapping) {
  std::mt19937 rng(4);
  const float angles[] = {0.3f, 1.0f, 2.5f, -0.7f, 4.0f};
  const float scales[] = {1.5f, 0.7f, 3.0f, -2.2f, 1.0f};
  constexpr double kTolerance = 0.01;  // texels
  const TestImage source = NamedSource(13, 9, rng);
  for (float angle : angles)
    for (float scale : scales) {
      TestImage target = BlackTarget(60, 50, rng);
      const int32_t cx = 30, cy = 24;
      SoftSurfaceBlitRotated(&target.view, &source.view, cx, cy, angle, scale, 0, 0, nullptr,
                             Snapshot(0, 0, kWhite, {0, 0, 60, 50}));
      int drawn = 0;
      for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 60; ++x) {
          const Ideal m = InverseMap(13, 9, cx, cy, angle, scale, x, y, std::cos(double(angle)),
                                     std::sin(double(angle)));
          const uint32_t got = target.Get32(x, y);
          if (got == 0) {
            const bool wellInside = m.u >= kTolerance && m.v >= kTolerance && m.u < 13 - kTolerance &&
                                    m.v < 9 - kTolerance;
            EXPECT_FALSE(wellInside) << "angle " << angle << " scale " << scale << " pixel " << x << "," << y
                                     << " left out, maps to " << m.u << "," << m.v;
            continue;
          }
          ++drawn;
          const double col = got & 0xFFF, row = (got >> 12) & 0xFFF;
          EXPECT_TRUE(col >= std::floor(m.u - kTolerance) && col <= std::floor(m.u + kTolerance) &&
                      row >= std::floor(m.v - kTolerance) && row <= std::floor(m.v + kTolerance))
              << "angle " << angle << " scale " << scale << " pixel " << x << "," << y << " shows " << col << ","
              << row << ", maps to " << m.u << "," << m.v;
        }
      EXPECT_NEAR(drawn, 13 * 9 * double(scale) * scale, 13 * 9 * double(scale) * scale * 0.25 + 8);
    }
}

TEST(BlitRotated, TallSourcesAndBlendImagesNeedNoRowTable) {
  std::mt19937 rng(5);
  const TestImage source = NamedSource(3, 5000, rng);
  TestImage blend = testing::MakeBlendImage(3, 5000, rng);
  std::vector<uint8_t> alphaTable(256, 255);
  for (bool withBlend : {false, true}) {
    TestImage target = BlackTarget(7, 5010, rng);
    TestImage expected(target);
    for (int32_t y = 0; y < 5000; ++y)
      for (int32_t x = 0; x < 3; ++x) expected.Set32(x + 2, y + 5, source.Get32(x, y));
    SoftDrawSnapshot draw = Snapshot(0, 0, kWhite, {0, 0, 7, 5010});
    draw.blendAlphaTable = alphaTable.data();
    // The texel (1, 2500) lands on (3, 2505); a weight of 255 mixes to the
    // same colour as a copy only where channels are 0, so compare the rows.
    SoftSurfaceBlitRotated(&target.view, &source.view, 3, 2505, 0, 1, 0, 0, withBlend ? &blend.view : nullptr, draw);
    if (!withBlend) {
      EXPECT_TRUE(expected.memory == target.memory) << FirstDifference(expected, target);
    } else {
      for (int32_t y : {0, 1, 4999})
        EXPECT_EQ(target.Get32(3, y + 5) & 0x00FFFFFFu, ((source.Get32(1, y) & 0xFF) * 255 >> 8) |
                                                            ((((source.Get32(1, y) >> 8) & 0xFF) * 255 >> 8) << 8) |
                                                            ((((source.Get32(1, y) >> 16) & 0xFF) * 255 >> 8) << 16))
            << y;
    }
  }
}

TEST(BlitRotated, DrawsNothingForDegenerateScalesAndRefusedImages) {
  std::mt19937 rng(6);
  const TestImage source = NamedSource(6, 6, rng);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    float angle, scale;
    int32_t cx, cy;
  } cases[] = {
      {"scale 0", 0, 0, 10, 10},
      {"scale -0", 1, -0.0f, 10, 10},
      {"scale NaN", 0, nan, 10, 10},
      {"scale inf", 0, inf, 10, 10},
      {"scale -inf", 0.5f, -inf, 10, 10},
      {"scale below float's inverse", 0, 1e-39f, 10, 10},
      {"angle NaN", nan, 1, 10, 10},
      {"centre far right", 0, 1, INT32_MAX, 10},
      {"centre far up", 0.3f, 4, 10, INT32_MIN},
  };
  for (const Case& c : cases) {
    TestImage target = BlackTarget(20, 20, rng);
    const TestImage before(target);
    SoftSurfaceBlitRotated(&target.view, &source.view, c.cx, c.cy, c.angle, c.scale, 0, 0, nullptr,
                           Snapshot(0, 0, kWhite, {0, 0, 20, 20}));
    EXPECT_TRUE(before.memory == target.memory) << c.name;
  }

  TestImage source16(6, 6, kSoftType16, false, 0, 0, rng);
  TestImage palette(20, 20, kSoftTypeGray8, false, 0, 0, rng);
  palette.block.type = kSoftType32;
  palette.block.paletteFlag = 1;
  TestImage alpha(20, 20, kSoftType32, true, 0, 0, rng);
  struct Refused {
    const char* name;
    TestImage* target;
    const TestImage* source;
  } refused[] = {{"type mismatch", nullptr, &source16}, {"palette target", &palette, &source},
                 {"alpha target", &alpha, &source}};
  for (const Refused& r : refused) {
    TestImage plain = BlackTarget(20, 20, rng);
    TestImage* target = r.target ? r.target : &plain;
    const TestImage before(*target);
    SoftSurfaceBlitRotated(&target->view, &r.source->view, 10, 10, 0.2f, 1, 0, 0, nullptr,
                           Snapshot(0, 0, kWhite, {0, 0, 20, 20}));
    EXPECT_TRUE(before.memory == target->memory) << r.name;
  }
}

// One texel drawn over one target pixel at angle 0, scale 1.
uint32_t DrawOne(TestImage& source, uint32_t targetPixel, int32_t mode, int32_t p, uint32_t brightness,
                 int32_t flag, std::mt19937& rng) {
  TestImage target(1, 1, kSoftType32, false, 1, 0, rng);
  target.Set32(0, 0, targetPixel);
  SoftSurfaceBlitRotated(&target.view, &source.view, 0, 0, 0, 1, flag, 0, nullptr,
                         Snapshot(mode, p, brightness, {0, 0, 1, 1}));
  return target.Get32(0, 0);
}

TEST(BlitRotated, TexelRulesOfTheFamilies) {
  std::mt19937 rng(8);
  TestImage direct(1, 1, kSoftType32, false, 0, 0, rng);
  TestImage alpha(1, 1, kSoftType32, true, 0, 0, rng);
  TestImage indexed(1, 1, kSoftTypeGray8, false, 0, 0, rng);
  indexed.block.type = kSoftType32;
  indexed.block.paletteFlag = 1;
  indexed.block.paletteColorCount = 2;  // entries past the count are read all the same
  uint8_t paletteBytes[1024] = {};
  indexed.block.palette = paletteBytes;
  const uint32_t entry7 = 0xAB102030, entry9 = 0xAB102030;
  std::memcpy(paletteBytes + 4 * 7, &entry7, 4);
  std::memcpy(paletteBytes + 4 * 9, &entry9, 4);

  struct Case {
    const char* name;
    TestImage* source;
    uint32_t texel;  // the pixel, or the index of a palette source
    uint32_t key;
    int32_t mode, p;
    uint32_t brightness;
    int32_t flag;
    uint32_t before, after;
  } cases[] = {
      {"key skipped", &direct, 0x11223344, 0x11223344, 0, 0, kWhite, 1, 5, 5},
      {"key's colour with another top byte drawn", &direct, 0x12223344, 0x11223344, 0, 0, kWhite, 1, 5,
       0x12223344},
      {"index skipped", &indexed, 7, 7, 0, 0, kWhite, 1, 5, 5},
      {"same colour, other index drawn", &indexed, 9, 7, 0, 0, kWhite, 1, 5, 0xAB102030},
      {"index key above 255 never matches", &indexed, 7, 0x107, 0, 0, kWhite, 1, 5, 0xAB102030},
      {"palette copy takes the entry's top byte", &indexed, 7, 0x300, 0, 0, kWhite, 0, 0x5A000000, 0xAB102030},
      {"tinted palette copy keeps the top byte", &indexed, 7, 0x300, 0, 0, 0xFEFFFF, 0, 0x5A000000, 0x5A0F2030},
      {"palette subtract at p 0", &indexed, 7, 0x300, 3, 0, kWhite, 0, 0x12345678, 0x00355778},
      {"direct subtract at p 0 draws nothing", &direct, 0x00102030, 1, 3, 0, kWhite, 0, 0x12345678, 0x12345678},
      {"alpha 255 without the flag is a weight", &alpha, 0xFFFFFFFF, 0, 0, 0, kWhite, 0, 0, 0x00FEFEFE},
      {"alpha 255 with the flag is a copy", &alpha, 0xFFFFFFFF, 0, 0, 0, kWhite, 1, 0, 0xFFFFFFFF},
      {"alpha 0 with the flag skipped", &alpha, 0x00FFFFFF, 0, 2, 255, kWhite, 1, 0x10, 0x10},
      {"alpha 0 with the flag multiplies", &alpha, 0x00FFFFFF, 0, 4, 0, kWhite, 1, 0x77102030, 0x77000000},
      {"mode 1 at 255 copies", &direct, 0x44556677, 0, 1, 255, kWhite, 0, 1, 0x44556677},
      {"mode 1 at 0 draws nothing", &direct, 0x44556677, 0, 1, 0, kWhite, 0, 1, 1},
  };
  for (const Case& c : cases) {
    if (c.source == &indexed) c.source->Set8(0, 0, uint8_t(c.texel));
    else c.source->Set32(0, 0, c.texel);
    c.source->block.transparentValue = c.key;
    EXPECT_EQ(DrawOne(*c.source, c.before, c.mode, c.p, c.brightness, c.flag, rng), c.after) << c.name;
  }
}

}  // namespace
}  // namespace veziv::softrender
