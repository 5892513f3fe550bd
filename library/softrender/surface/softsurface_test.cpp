// Software images: pitch rule, views and reference counts, filling, and the
// run table and premultiplied alpha plane built from the pixels.
#include "library/softrender/surface/softsurface.h"

#include <gtest/gtest.h>

#include "library/softrender/surface/fill_pattern.h"

#include <cstring>
#include <vector>

namespace veziv {
namespace {

TEST(SoftSurface, PitchAndPitchShiftFollowTheBytesOfARow) {
  struct Case {
    int32_t width, pitch, type, alpha;
    int32_t expectedPitch, expectedShift, expectedBytes;
  };
  const Case cases[] = {
      {100, -1, kSoftType32, 0, 400, -1, 4},  {256, -1, kSoftType32, 0, 1024, 10, 4},
      {4, -1, kSoftType16, 0, 16, -1, 2},     {4, -1, kSoftType16, 1, 16, 4, 4},
      {3, -1, kSoftTypeGray8, 0, 16, -1, 1},  {8, 64, kSoftType32, 0, 64, 6, 4},
      {8, 48, kSoftType32, 0, 48, -1, 4},     {1, -1, kSoftTypeGray8, 0, 16, -1, 1},
  };
  for (const Case& c : cases) {
    SOFTSURFACE view{};
    ASSERT_EQ(SoftSurfaceCreate(&view, c.width, 2, c.pitch, 0, c.type, 0, c.alpha, 0, nullptr), 0);
    EXPECT_EQ(view.base->pitch, c.expectedPitch) << c.width;
    EXPECT_EQ(view.base->pitchShift, c.expectedShift) << c.width;
    EXPECT_EQ(view.base->bytesPerPixel, c.expectedBytes) << c.width;
    SoftSurfaceRelease(&view);
  }
}

TEST(SoftSurface, CreateRefusesASetViewAndImpossibleImages) {
  SOFTSURFACE view{};
  ASSERT_EQ(SoftSurfaceCreate(&view, 4, 4, -1, 0, kSoftType32, 0, 0, 0, nullptr), 0);
  const SOFTSURFACE before = view;
  EXPECT_EQ(SoftSurfaceCreate(&view, 8, 8, -1, 0, kSoftType32, 0, 0, 0, nullptr), -1);
  EXPECT_EQ(std::memcmp(&before, &view, sizeof view), 0);
  SoftSurfaceRelease(&view);
  SoftSurfaceRelease(&view);  // a second release does nothing
  EXPECT_EQ(view.magic, 0u);
  EXPECT_EQ(SoftSurfaceIsValid(&view), 0);

  SOFTSURFACE other{};
  EXPECT_EQ(SoftSurfaceCreate(&other, 4, 4, 12, 0, kSoftType32, 0, 0, 0, nullptr), -1);  // pitch below a row
  EXPECT_EQ(SoftSurfaceCreate(&other, 4, 4, -1, 0, 4, 0, 0, 0, nullptr), -1);            // no such type
  EXPECT_EQ(SoftSurfaceCreate(&other, -1, 4, -1, 0, kSoftType32, 0, 0, 0, nullptr), -1);
  EXPECT_EQ(other.magic, 0u);
}

TEST(SoftSurface, FlagsAndPlanesFollowTheType) {
  struct Case {
    int32_t type, palette, alpha, extra;
    int32_t paletteFlag, alphaFlag;
    bool palettes, alphaPlane, runTable;
  };
  const Case cases[] = {
      {kSoftType32, 1, 1, 1, 1, 0, true, false, true},      // a palette image has no alpha
      {kSoftType32, 0, 1, 1, 0, 1, false, true, true},
      {kSoftType16, 0, 1, 0, 0, 1, false, false, false},     // no extra planes asked for
      {kSoftTypeGray8, 1, 1, 1, 0, 0, false, false, false},  // single channel: neither, no run table
      {kSoftTypeGray16, 0, 0, 1, 0, 0, false, false, true},
  };
  for (const Case& c : cases) {
    SOFTSURFACE view{};
    ASSERT_EQ(SoftSurfaceCreate(&view, 5, 3, -1, 7, c.type, c.palette, c.alpha, c.extra, nullptr), 0);
    const SoftSurfaceShared& b = *view.base;
    EXPECT_EQ(b.paletteFlag, c.paletteFlag);
    EXPECT_EQ(b.alphaFlag, c.alphaFlag);
    EXPECT_EQ(b.palette != nullptr, c.palettes);
    EXPECT_EQ(b.paletteCopy, c.palettes ? b.palette + 1024 : nullptr);
    EXPECT_EQ(b.alphaPlane != nullptr, c.alphaPlane);
    EXPECT_EQ(view.alpha, b.alphaPlane);
    EXPECT_EQ(b.runTable != nullptr, c.runTable);
    EXPECT_EQ(b.transparentValue, 7u);
    EXPECT_EQ(b.references, 1);
    SoftSurfaceRelease(&view);
  }
}

TEST(SoftSurface, ViewsShareTheBlockUntilTheLastRelease) {
  SOFTSURFACE image{}, part{}, outside{};
  ASSERT_EQ(SoftSurfaceCreate(&image, 10, 8, -1, 0, kSoftType32, 0, 1, 1, nullptr), 0);
  ASSERT_EQ(SoftSurfaceMakeView(&part, &image, 2, 3, 8, 5), 0);
  EXPECT_EQ(part.base, image.base);
  EXPECT_EQ(image.base->references, 2);
  EXPECT_EQ(part.pixels, image.pixels + 3 * image.base->pitch + 2 * 4);
  EXPECT_EQ(part.alpha, image.alpha + 3 * image.base->pitch + 2 * 4);

  const SOFTSURFACE untouched{1, 2, 3, nullptr, nullptr, nullptr};
  const int32_t rects[][4] = {{3, 3, 8, 5}, {2, 4, 8, 5}, {-1, 0, 2, 2}, {0, -1, 2, 2}, {0, 0, 11, 1}};
  for (const auto& r : rects) {
    outside = untouched;
    EXPECT_EQ(SoftSurfaceMakeView(&outside, &image, r[0], r[1], r[2], r[3]), -1);
    EXPECT_EQ(std::memcmp(&outside, &untouched, sizeof outside), 0) << r[0] << "," << r[1];
  }
  EXPECT_EQ(image.base->references, 2);
  SoftSurfaceRelease(&image);
  EXPECT_EQ(part.base->references, 1);  // the block lives on for the other view
  part.pixels[0] = 1;
  SoftSurfaceRelease(&part);
}

TEST(SoftSurface, UserPixelMemoryStaysTheCallers) {
  std::vector<uint8_t> memory(64 * 4, 0xAB);
  SOFTSURFACE view{};
  ASSERT_EQ(SoftSurfaceCreate(&view, 4, 4, 64, 0, kSoftType32, 0, 0, 0, memory.data()), 0);
  EXPECT_EQ(view.pixels, memory.data());
  EXPECT_EQ(view.base->userMemory, 1);
  SoftSurfaceRelease(&view);
  EXPECT_EQ(memory[0], 0xAB);
}

TEST(SoftSurface, CreateForScreenZeroesTheViewFirst) {
  SOFTSURFACE view;
  std::memset(&view, 0x5A, sizeof view);  // stale contents, magic included
  ASSERT_EQ(SoftSurfaceCreateForScreen(&view, 8, 6, -1), 0);
  EXPECT_EQ(view.base->type, kSoftType32);
  EXPECT_EQ(view.base->paletteFlag, 0);
  EXPECT_EQ(view.base->runTable, nullptr);
  SoftSurfaceRelease(&view);
  ASSERT_EQ(SoftSurfaceCreateForScreen(&view, 8, 6, kSoftType16), 0);
  EXPECT_EQ(view.base->pitch, 16);
  SoftSurfaceRelease(&view);
}

TEST(SoftSurface, FillRawWritesOnlyTheClippedRectangle) {
  struct Case {
    int32_t type;
    bool whole;
    DrawRect rect;
    uint32_t raw;
  };
  const Case cases[] = {
      {kSoftType32, false, {1, 1, 3, 2}, 0x11223344},  {kSoftType32, false, {-5, -5, 2, 9}, 0xDEADBEEF},
      {kSoftType16, false, {2, 0, 9, 9}, 0x0000F81F},  {kSoftTypeGray8, true, {}, 0x7F},
      {kSoftType32, false, {3, 2, 1, 1}, 0x01010101},  // inverted: nothing
  };
  for (const Case& c : cases) {
    SOFTSURFACE image{}, view{};
    ASSERT_EQ(SoftSurfaceCreate(&image, 6, 5, -1, 0, c.type, 0, 0, 0, nullptr), 0);
    std::memset(image.pixels, 0, size_t(image.base->pitch) * 5);
    ASSERT_EQ(SoftSurfaceMakeView(&view, &image, 1, 1, 4, 3), 0);
    EXPECT_EQ(SoftSurfaceFillRaw(&view, c.whole ? nullptr : &c.rect, c.raw), 0);
    const int bytes = image.base->bytesPerPixel;
    for (int32_t y = 0; y < 5; ++y)
      for (int32_t x = 0; x < 6; ++x) {
        const int32_t vx = x - 1, vy = y - 1;
        const bool inView = vx >= 0 && vy >= 0 && vx < 4 && vy < 3;
        const bool inRect =
            c.whole || (vx >= c.rect.left && vx < c.rect.right && vy >= c.rect.top && vy < c.rect.bottom);
        uint32_t v = 0;
        std::memcpy(&v, image.pixels + y * image.base->pitch + x * bytes, size_t(bytes));
        EXPECT_EQ(v, inView && inRect ? c.raw & (bytes == 4 ? ~0u : (1u << 8 * bytes) - 1) : 0u)
            << "type " << c.type << " at " << x << "," << y;
      }
    SoftSurfaceRelease(&view);
    SoftSurfaceRelease(&image);
  }
}

// Short and long fills (either side of the string-store threshold), at every
// start within a word and with tails of every length, write the pattern from
// their first byte and nothing past their end.
TEST(SoftSurface, FillPatternRepeatsFromTheFirstByteAndStopsAtTheEnd) {
  constexpr size_t kGuard = 16;
  const size_t threshold = softrender::kStringFillBytes;
  const size_t lengths[] = {0, 1, 3, 4, 17, 63, 64, 130, threshold - 1, threshold, threshold + 1, threshold + 2,
                            threshold + 3, 3 * threshold + 6};
  for (const uint32_t pattern : {0x11223344u, 0xF81FF81Fu, 0x7F7F7F7Fu, 0u})
    for (const size_t n : lengths)
      for (size_t start = 0; start < 4; ++start) {
        std::vector<uint8_t> memory(kGuard + start + n + kGuard, 0xA5);
        softrender::FillPattern(memory.data() + kGuard + start, n, pattern);
        size_t wrong = 0;
        for (size_t i = 0; i < memory.size(); ++i) {
          const size_t at = i - kGuard - start;
          const bool inside = i >= kGuard + start && at < n;
          const uint8_t expected = inside ? static_cast<uint8_t>(pattern >> (8 * (at % 4))) : 0xA5;
          wrong += memory[i] != expected;
        }
        EXPECT_EQ(wrong, 0u) << std::hex << "pattern " << pattern << std::dec << ", " << n << " bytes from offset "
                             << start;
      }
}

std::vector<uint8_t> RunTableRow(int32_t type, int32_t alpha, const std::vector<uint32_t>& pixels, uint32_t key) {
  SOFTSURFACE view{};
  const int32_t width = int32_t(pixels.size());
  EXPECT_EQ(SoftSurfaceCreate(&view, width, 1, -1, key, type, 0, alpha, 1, nullptr), 0);
  for (int32_t x = 0; x < width; ++x)
    std::memcpy(view.pixels + x * view.base->bytesPerPixel, &pixels[size_t(x)], size_t(view.base->bytesPerPixel));
  BuildSoftSurfaceRunTable(view.base);
  EXPECT_EQ(view.base->runTableValid, 1);
  std::vector<uint8_t> row;
  for (const uint8_t* p = view.base->runTable;; ++p) {
    row.push_back(*p);
    if ((*p & 0xC0) == 0xC0) break;
  }
  SoftSurfaceRelease(&view);
  return row;
}

TEST(SoftSurface, RunTableCodesEachRow) {
  struct Case {
    const char* what;
    int32_t type, alpha;
    std::vector<uint32_t> pixels;
    uint32_t key;
    std::vector<uint8_t> codes;
  };
  const std::vector<uint32_t> opaque130(130, 0x00123456);
  std::vector<uint32_t> mixed(70, 0x00FF00FF);
  mixed[64] = 0x01FF00FF;  // differs from the key in byte 3 only
  const Case cases[] = {
      {"two transparent then one opaque", kSoftType32, 0, {5, 5, 6}, 5, {0x01, 0x40, 0xC0}},
      {"130 opaque pixels", kSoftType32, 0, opaque130, 0, {0x7F, 0x7F, 0x41, 0xC0}},
      {"alpha 0, 128, 255, 255", kSoftType32, 1, {0x00FFFFFF, 0x80FFFFFF, 0xFF000000, 0xFF123456}, 0,
       {0x00, 0x80, 0x41, 0xC0}},
      {"whole 32-bit value compared", kSoftType32, 0, mixed, 0x00FF00FF, {0x3F, 0x40, 0x04, 0xC0}},
      {"16-bit alpha in byte 2", kSoftType16, 1, {0x0000FFFF, 0x00FF0000, 0x00400000}, 0, {0x00, 0x40, 0x80, 0xC0}},
      {"16-bit values", kSoftType16, 0, {0xF81F, 0xF81F, 0x0001, 0xF81F}, 0xF81F, {0x01, 0x40, 0x00, 0xC0}},
  };
  for (const Case& c : cases) EXPECT_EQ(RunTableRow(c.type, c.alpha, c.pixels, c.key), c.codes) << c.what;
}

TEST(SoftSurface, AlphaPlaneIsPremultiplied) {
  SOFTSURFACE view32{}, view16{};
  ASSERT_EQ(SoftSurfaceCreate(&view32, 2, 1, -1, 0, kSoftType32, 0, 1, 1, nullptr), 0);
  const uint8_t px32[8] = {200, 100, 255, 128, 10, 20, 30, 255};
  std::memcpy(view32.pixels, px32, 8);
  BuildSoftSurfaceAlphaPlane(view32.base);
  const uint8_t expected32[8] = {100, 50, 127, 128, 9, 19, 29, 255};
  EXPECT_EQ(std::memcmp(view32.alpha, expected32, 8), 0);
  EXPECT_EQ(view32.base->alphaPlaneValid, 1);

  ASSERT_EQ(SoftSurfaceCreate(&view16, 1, 1, -1, 0, kSoftType16, 0, 1, 1, nullptr), 0);
  const uint8_t px16[4] = {0xFF, 0xFF, 128, 0};  // white at alpha 128
  std::memcpy(view16.pixels, px16, 4);
  BuildSoftSurfaceAlphaPlane(view16.base);
  // Red 31 -> 15, green 63 -> 31, blue 31 -> 15: 0x7BEF.
  EXPECT_EQ(view16.alpha[0], 0xEF);
  EXPECT_EQ(view16.alpha[1], 0x7B);
  EXPECT_EQ(view16.alpha[2], 128);
  SoftSurfaceRelease(&view32);
  SoftSurfaceRelease(&view16);
}

}  // namespace
}  // namespace veziv
