// Test support shared by the blit tests: where a sweep puts its source
// (unscaled or stretched), the run of every draw state of a sweep through the
// renderer and the reference model, each into its own copy of a target,
// expecting the same memory after; and the check that a view of part of an
// image draws its own pixels through the run-table path; and the copy between
// views of one image.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "library/softrender/blit/blit.h"
#include "library/softrender/reference/guarded_image_test_support.h"

namespace veziv::test {

// An unscaled drawing in a sweep: the source's size, its place on the target,
// the draw area.
struct Placement {
  int32_t sw, sh;
  int32_t x, y;
  DrawRect area;
  bool sourceIsView;  // the source is a view inside a larger image
};

// A scaled drawing in a sweep: the source's size, the target rectangle
// {x1, y1, x2, y2} and the draw area.
struct Stretch {
  const char* what;
  int32_t sw, sh;
  int32_t rect[4];
  DrawRect area;
};

// Whether any pixel of the stretch's rectangle lies inside its draw area and a
// target of width x height, so that a sweep of it must change the target.
inline bool StretchShows(const Stretch& st, int32_t width, int32_t height) {
  const int32_t left = std::max({std::min(st.rect[0], st.rect[2]), st.area.left, 0});
  const int32_t right = std::min({std::max(st.rect[0], st.rect[2]), st.area.right, width});
  const int32_t top = std::max({std::min(st.rect[1], st.rect[3]), st.area.top, 0});
  const int32_t bottom = std::min({std::max(st.rect[1], st.rect[3]), st.area.bottom, height});
  return left < right && top < bottom;
}

// The reference models the sweeps compare with.
using RefBlitFn = void (*)(const SOFTSURFACE& target, const SOFTSURFACE& source, int64_t x, int64_t y, int flag,
                           const SOFTSURFACE* blend, const SoftDrawSnapshot& draw);
using RefBlitScaledFn = void (*)(const SOFTSURFACE& target, const SOFTSURFACE& source, const int32_t r[4], int flag,
                                 const SOFTSURFACE* blend, const SoftDrawSnapshot& draw);

// The source's transparent value and alpha flag, for a failure message.
inline std::string DescribeSource(const TestImage& source) {
  std::ostringstream s;
  s << "key " << std::hex << source.block.transparentValue << std::dec << " alpha " << source.block.alphaFlag;
  return s.str();
}

// Every draw state of the sweep (blend image or none, each flag, MMX on and
// off) drawn by drawBoth(expected, actual, draw, blend, flag) into two copies of
// target, the reference way into expected and the renderer's into actual;
// expects the copies alike, stops at the first difference. describe() names the
// drawing in a failure message. Returns how many states changed the target.
template <class DrawBoth, class Describe>
int ExpectSweepMatchesReference(const Sweep& sweep, DrawRect area, const uint8_t* blendAlphaTable, std::mt19937& rng,
                                const TestImage& target, const TestImage& blend, DrawBoth drawBoth,
                                Describe describe) {
  int drawn = 0;
  ForEachDrawState(sweep, area, blendAlphaTable, rng, [&](const SoftDrawSnapshot& draw, bool withBlend, int32_t flag) {
    const SOFTSURFACE* b = withBlend ? &blend.view : nullptr;
    TestImage expected(target), actual(target);
    drawBoth(expected.view, actual.view, draw, b, flag);
    if (expected.memory != target.memory) ++drawn;
    EXPECT_TRUE(expected.memory == actual.memory)
        << describe() << " mode " << draw.blendMode << " p " << draw.blendParam << " blend " << withBlend
        << " brightness " << std::hex << draw.drawBrightness << std::dec << " flag " << flag << " mmx "
        << draw.mmxUsable << ": " << FirstDifference(expected, actual);
    return expected.memory == actual.memory;
  });
  return drawn;
}

// The unscaled blit of source at the placement, against ref, in every state of
// the sweep; returns how many states changed the target.
inline int ExpectBlitSweepMatches(const Sweep& sweep, const Placement& pl, const TestImage& source,
                                  const TestImage& blend, const TestImage& target, RefBlitFn ref,
                                  const uint8_t* blendAlphaTable, std::mt19937& rng) {
  return ExpectSweepMatchesReference(
      sweep, pl.area, blendAlphaTable, rng, target, blend,
      [&](SOFTSURFACE& expected, SOFTSURFACE& actual, const SoftDrawSnapshot& draw, const SOFTSURFACE* b,
          int32_t flag) {
        ref(expected, source.view, pl.x, pl.y, flag, b, draw);
        SoftSurfaceBlit(&actual, &source.view, pl.x, pl.y, flag, b, draw);
      },
      [&] {
        std::ostringstream s;
        s << "source " << pl.sw << "x" << pl.sh << " at " << pl.x << "," << pl.y << " " << DescribeSource(source);
        return s.str();
      });
}

// The scaled blit of source by the stretch, against ref, in every state of the
// sweep; returns how many states changed the target.
inline int ExpectScaledSweepMatches(const Sweep& sweep, const Stretch& st, const TestImage& source,
                                    const TestImage& blend, const TestImage& target, RefBlitScaledFn ref,
                                    const uint8_t* blendAlphaTable, std::mt19937& rng) {
  return ExpectSweepMatchesReference(
      sweep, st.area, blendAlphaTable, rng, target, blend,
      [&](SOFTSURFACE& expected, SOFTSURFACE& actual, const SoftDrawSnapshot& draw, const SOFTSURFACE* b,
          int32_t flag) {
        ref(expected, source.view, st.rect, flag, b, draw);
        SoftSurfaceBlitScaled(&actual, &source.view, st.rect, flag, b, draw);
      },
      [&] { return std::string(st.what) + " " + DescribeSource(source); });
}

// A view of 4 x 3 pixels at (2, 1) of an 8 x 6 image of the given type with a
// built run table, drawn with flag 1 at (1, 1) of a 10 x 8 screen of 0xEE
// bytes: the screen shows the view's own pixels, save the transparent value 7
// (every third diagonal); pixel (x, y) of the image is 7 or
// rowStep * y + columnStep * x + 1.
inline void ExpectViewOfPartDrawsItsOwnPixels(int32_t type, uint32_t rowStep, uint32_t columnStep) {
  SOFTSURFACE image{}, part{}, screen{};
  ASSERT_EQ(SoftSurfaceCreate(&image, 8, 6, -1, 7, type, 0, 0, 1, nullptr), 0);
  const size_t bytes = size_t(image.base->bytesPerPixel);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t v = (x + y) % 3 == 0 ? 7u : rowStep * uint32_t(y) + columnStep * uint32_t(x) + 1;
      std::memcpy(image.pixels + y * image.base->pitch + x * bytes, &v, bytes);
    }
  BuildSoftSurfaceRunTable(image.base);
  ASSERT_EQ(image.base->runTableValid, 1);
  ASSERT_EQ(SoftSurfaceMakeView(&part, &image, 2, 1, 4, 3), 0);
  ASSERT_EQ(SoftSurfaceCreateForScreen(&screen, 10, 8, type), 0);
  for (int32_t y = 0; y < 8; ++y) std::memset(screen.pixels + y * screen.base->pitch, 0xEE, 10 * bytes);
  uint32_t blank = 0;
  std::memset(&blank, 0xEE, bytes);
  SoftSurfaceBlit(&screen, &part, 1, 1, 1, nullptr, Snapshot(0, 0, 0xFFFFFF, {0, 0, 10, 8}));
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 10; ++x) {
      uint32_t expected = blank, actual = 0;
      const int32_t vx = x - 1, vy = y - 1;
      if (vx >= 0 && vy >= 0 && vx < 4 && vy < 3) {
        expected = 0;
        std::memcpy(&expected, part.pixels + vy * image.base->pitch + vx * bytes, bytes);
        if (expected == 7) expected = blank;  // transparent
      }
      std::memcpy(&actual, screen.pixels + y * screen.base->pitch + x * bytes, bytes);
      EXPECT_EQ(actual, expected) << x << "," << y;
    }
  SoftSurfaceRelease(&part);
  SoftSurfaceRelease(&image);
  SoftSurfaceRelease(&screen);
}

// The plain copy between two whole-width views of one image (rows that follow
// one another in both) gives what a copy row by row from the top gives, with
// the target above, on, or below the source, overlapping or not.
inline void ExpectCopyBetweenViewsOfOneImageGoesRowByRow(int32_t type) {
  constexpr int32_t kWidth = 8, kHeight = 12, kRows = 4;  // rows of 16 or 32 bytes: no padding
  for (const int32_t targetRow : {0, 1, 2, 3, 4, 5, 8}) {
    constexpr int32_t kSourceRow = 3;
    SCOPED_TRACE("target at row " + std::to_string(targetRow) + ", source at row 3");
    SOFTSURFACE image{}, source{}, target{};
    ASSERT_EQ(SoftSurfaceCreate(&image, kWidth, kHeight, -1, 0, type, 0, 0, 1, nullptr), 0);
    const ptrdiff_t pitch = image.base->pitch;
    const size_t rowBytes = size_t(kWidth) * size_t(image.base->bytesPerPixel);
    ASSERT_EQ(pitch, ptrdiff_t(rowBytes));
    for (size_t i = 0; i < rowBytes * kHeight; ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> expected(image.pixels, image.pixels + rowBytes * kHeight);
    for (int32_t y = 0; y < kRows; ++y) {
      std::memmove(expected.data() + (targetRow + y) * pitch, expected.data() + (kSourceRow + y) * pitch, rowBytes);
    }
    ASSERT_EQ(SoftSurfaceMakeView(&source, &image, 0, kSourceRow, kWidth, kRows), 0);
    ASSERT_EQ(SoftSurfaceMakeView(&target, &image, 0, targetRow, kWidth, kRows), 0);
    SoftSurfaceBlit(&target, &source, 0, 0, 0, nullptr, Snapshot(0, 0, 0xFFFFFF, {0, 0, kWidth, kRows}));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.pixels));
    SoftSurfaceRelease(&target);
    SoftSurfaceRelease(&source);
    SoftSurfaceRelease(&image);
  }
}

}  // namespace veziv::test
