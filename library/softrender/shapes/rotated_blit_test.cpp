// The rotated blit: exact quarter turns and scales against the inverse mapping,
// other angles within a small tolerance of it, a source taller than any fixed
// row table, the scales that draw nothing, the refusals, and the texel rules
// where the families differ.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "library/softrender/reference/guarded_image_test_support.h"
#include "library/softrender/reference/span_reference_test_support.h"
#include "library/softrender/shapes/rotated_blit.h"
#include "library/softrender/shapes/rotated_scan.h"
#include "library/softrender/triangle/triangle.h"

namespace veziv::softrender {
namespace {

using test::FirstDifference;
using test::Snapshot;
using test::TestImage;

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
  TestImage blend = test::MakeBlendImage(3, 5000, rng);
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
      {"vanishing scale, turned", 0.7f, 5.55e-17f, 10, 10},  // its steps saturate
      {"vanishing scale, square", 0, 5.55e-17f, 10, 10},
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

// The rotated blit pixel by pixel over the scan's box: each pixel's texel
// coordinates from the scan, the fetch and transparency tests written out,
// and the rules of the reference model.
void RefBlitRotated(const SOFTSURFACE& target, const SOFTSURFACE& source, int32_t cx, int32_t cy, float angle,
                    float scale, int flag, const SOFTSURFACE* blend, const SoftDrawSnapshot& draw) {
  const SoftSurfaceShared& s = *source.base;
  const bool palette = s.paletteFlag == 1, wide = s.type == kSoftType32;
  int mode;
  if (palette && draw.blendMode == 3) mode = 3;
  else if (!test::RefModeJump(draw.blendMode, draw.blendParam, &mode)) return;
  RotatedScan scan;
  if (!SetUpRotatedScan(uint32_t(source.width), uint32_t(source.height), cx, cy, angle, scale, draw.drawArea, target,
                        &scan))
    return;
  test::PixelContext k = test::MakeContext(source, flag, blend, draw, mode, false);
  k.spans = true;
  k.mmx = false;
  if (palette) {
    k.alpha = false;
    k.flag = 0;
  }
  const int bytes = wide ? 4 : 2;
  for (int64_t j = 0; j < scan.box.bottom - scan.box.top; ++j)
    for (int64_t i = 0; i < scan.box.right - scan.box.left; ++i) {
      const uint32_t u = uint32_t(scan.u + uint32_t(i) * scan.du + uint32_t(j) * scan.rowU);
      const uint32_t v = uint32_t(scan.v + uint32_t(i) * scan.dv + uint32_t(j) * scan.rowV);
      if (uint64_t{u} >= uint64_t(source.width) << 18 || uint64_t{v} >= uint64_t(source.height) << 18) continue;
      const int64_t col = u >> 18, row = v >> 18;
      const uint8_t* texel = source.pixels + row * s.pitch;
      uint32_t S;
      int64_t alpha = 0;
      if (palette) {
        const uint32_t index = texel[col];
        if (flag != 0 && index == s.transparentValue) continue;
        S = test::RefLoad(s.palette + index * bytes, bytes);
      } else {
        const int size = s.alphaFlag == 1 && !wide ? 4 : bytes;
        S = test::RefLoad(texel + col * size, bytes);
        if (size == 4 && !wide) alpha = texel[col * size + 2];
      }
      if (blend) k.B = draw.blendAlphaTable[blend->pixels[row * blend->base->pitch + col]];
      uint8_t* dp = target.pixels + (scan.box.top + j) * target.base->pitch + (scan.box.left + i) * bytes;
      uint32_t result;
      const uint32_t D = test::RefLoad(dp, bytes);
      if (wide ? test::RefPixel32(k, S, D, &result) : test::RefPixel16(k, S, alpha, D, &result))
        std::memcpy(dp, &result, size_t(bytes));
    }
}

enum class Family { kDirect, kAlpha, kPalette };

// A source of the family with random texels, the transparent value among
// them, alphas 0 and 255 planted, and a random palette.
TestImage FamilySource(int32_t type, Family family, std::vector<uint8_t>& palette, std::mt19937& rng) {
  const int32_t w = 7, h = 5;
  TestImage s = family == Family::kPalette ? TestImage(w, h, kSoftTypeGray8, false, 1, 3, rng)
                                           : TestImage(w, h, type, family == Family::kAlpha, 1, 3, rng);
  const bool wide = type == kSoftType32;
  for (uint8_t& b : palette) b = static_cast<uint8_t>(rng());
  if (family == Family::kPalette) {
    s.block.type = type;
    s.block.paletteFlag = 1;
    s.block.palette = palette.data();
    s.block.transparentValue = rng() % 256;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if (rng() % 4 == 0) s.Set8(x, y, uint8_t(s.block.transparentValue));
  } else if (wide) {
    s.block.transparentValue = static_cast<uint32_t>(rng());
    test::PlantPixels32(s, s.block.transparentValue, rng);
  } else {
    s.block.transparentValue = rng() % 65536;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* t = s.At(x, y);
        if (rng() % 4 == 0) std::memcpy(t, &s.block.transparentValue, 2);
        if (family == Family::kAlpha && rng() % 2 == 0) t[2] = rng() % 2 ? 255 : 0;
      }
  }
  return s;
}

TEST(BlitRotated, EveryLoopMatchesTheReference) {
  std::mt19937 rng(1211);
  const test::Sweep sweep{{0, 1, 2, 3, 4, 10, 11, 7, -1},
                             {0, 1, 128, 255, -1},
                             {0xFFFFFF, 0x80FF40},
                             {0, 1}};
  std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  std::vector<uint8_t> palette(1024);
  int drawn = 0;
  for (int32_t type : {kSoftType32, kSoftType16})
    for (Family family : {Family::kDirect, Family::kAlpha, Family::kPalette}) {
      const TestImage source = FamilySource(type, family, palette, rng);
      const TestImage blend = test::MakeBlendImage(7, 5, rng);
      const TestImage target(20, 16, type, false, 2, 4, rng);
      test::ForEachDrawState(sweep, {1, 2, 19, 15}, alphaTable.data(), rng,
                                [&](const SoftDrawSnapshot& draw, bool withBlend, int32_t flag) {
        if (draw.mmxUsable) return true;
        const SOFTSURFACE* b = withBlend ? &blend.view : nullptr;
        TestImage expected(target), actual(target);
        RefBlitRotated(expected.view, source.view, 9, 8, 0.6f, 1.7f, flag, b, draw);
        SoftSurfaceBlitRotated(&actual.view, &source.view, 9, 8, 0.6f, 1.7f, flag, 0, b, draw);
        if (expected.memory != target.memory) ++drawn;
        EXPECT_TRUE(expected.memory == actual.memory)
            << "type " << type << " family " << int(family) << " mode " << draw.blendMode << " p "
            << draw.blendParam << " blend " << withBlend << " brightness " << std::hex << draw.drawBrightness << std::dec
            << " flag " << flag << ": " << FirstDifference(expected, actual);
        return expected.memory == actual.memory;
      });
    }
  EXPECT_GT(drawn, 0);
}

TEST(BlitRotated, TurnFlagMirrorsThroughTheQuadFill) {
  std::mt19937 rng(12);
  const TestImage source = NamedSource(6, 4, rng);
  struct Case {
    float angle, scale;
    int32_t cx, cy;
  } cases[] = {{0, 1, 10, 8}, {0.4f, 1.5f, 10, 8}, {-2.0f, 0.8f, 3, 2}, {1.0f, 2.0f, 1, 1}};
  for (const Case& c : cases) {
    TestImage target = BlackTarget(24, 18, rng);
    TestImage quad(target);
    const SoftDrawSnapshot draw = Snapshot(0, 0, kWhite, {0, 0, 24, 18});
    SoftSurfaceBlitRotated(&target.view, &source.view, c.cx, c.cy, c.angle, c.scale, 0, 1, nullptr, draw);
    // The turned corners, top-right, top-left, bottom-right, bottom-left,
    // in whole pixels rounded down.
    const RotatedCorners t = TurnCorners(6, 4, c.cx, c.cy, c.angle, c.scale);
    int32_t corners[8];
    const int order[4] = {3, 0, 2, 1};
    for (int i = 0; i < 4; ++i) {
      corners[2 * i] = int32_t(t.x[order[i]] >> 18);
      corners[2 * i + 1] = int32_t(t.y[order[i]] >> 18);
    }
    SoftSurfaceFillQuad(&quad.view, &source.view, corners, 0, nullptr, draw);
    EXPECT_TRUE(quad.memory == target.memory) << c.angle << ": " << FirstDifference(quad, target);
  }
  // Unturned and unscaled, each row comes out reversed.
  TestImage target = BlackTarget(24, 18, rng);
  SoftSurfaceBlitRotated(&target.view, &source.view, 10, 8, 0, 1, 0, 1, nullptr, Snapshot(0, 0, kWhite, {0, 0, 24, 18}));
  int32_t x0 = 24, y0 = 18, drawn = 0;
  for (int32_t y = 0; y < 18; ++y)
    for (int32_t x = 0; x < 24; ++x)
      if (target.Get32(x, y) != 0) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        ++drawn;
      }
  EXPECT_EQ(drawn, 24);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(target.Get32(x0 + x, y0 + y), source.Get32(5 - x, y)) << x << "," << y;
}

}  // namespace
}  // namespace veziv::softrender
