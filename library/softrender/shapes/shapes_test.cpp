// Boxes, lines and circles: the colour preparation, the covered pixels counted
// on a hit-count target (additive blend of blue 1 on black, so each pixel's
// blue is the number of its writes), every rule against the reference model,
// and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "library/softrender/reference/guarded_image_test_support.h"
#include "library/softrender/reference/span_reference_test_support.h"
#include "library/softrender/shapes/flat_colour.h"
#include "library/softrender/shapes/rotated_blit.h"
#include "library/softrender/shapes/shapes.h"
#include "library/softrender/triangle/triangle.h"

namespace veziv::softrender {
namespace {

using test::FirstDifference;
using test::Snapshot;
using test::TestImage;
using Point = std::pair<int32_t, int32_t>;
using Hits = std::map<Point, int>;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr DrawRect kArea100{0, 0, 100, 100};

// A black 32-bit target inside random guard memory, and the additive state
// that makes each write add 1 to a pixel's blue.
struct HitTarget {
  std::mt19937 rng{7};
  TestImage image;
  TestImage before;
  explicit HitTarget(int32_t w = 100, int32_t h = 100) : image(w, h, kSoftType32, false, 3, 8, rng), before(image) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) image.Set32(x, y, 0);
    std::copy(image.memory.begin(), image.memory.end(), before.memory.begin());
  }
  SOFTSURFACE* view() { return &image.view; }
  static SoftDrawSnapshot Counting(DrawRect area = kArea100) { return Snapshot(2, 255, kWhite, area); }
  static constexpr uint32_t kColour = 1;

  // The pixels written and how often; fails on any write outside the view.
  Hits Read() {
    Hits hits;
    TestImage outside(image);
    for (int32_t y = 0; y < image.view.height; ++y)
      for (int32_t x = 0; x < image.view.width; ++x) {
        const uint32_t v = image.Get32(x, y);
        if (v != 0) hits[{x, y}] = int(v & 0xFF);
        outside.Set32(x, y, 0);
      }
    EXPECT_TRUE(outside.memory == before.memory) << FirstDifference(before, outside);
    return hits;
  }
};

Hits Once(const std::vector<Point>& points) {
  Hits h;
  for (const Point& p : points) h[p] = 1;
  return h;
}

TEST(FlatColour, BrightnessScalesEachChannelBy256ths) {
  struct Case {
    uint32_t colour;
    int32_t type;
    uint32_t brightness;
    uint32_t expected;
  } cases[] = {
      {0x12345678, kSoftType32, 0xFFFFFF, 0x12345678},
      {0x12345678, kSoftType32, 0xFFFFFFFF, 0x12345678},  // the top byte is no part of the brightness
      {0x12345678, kSoftType32, 0x80FFFF, 0x121A5577},
      {0x00FFFFFF, kSoftType32, 0xFFFFFE, 0x00FEFEFD},
      {0xAB000000, kSoftType32, 0, 0xAB000000},
      {0xFFFF, kSoftType16, 0xFFFFFF, 0xFFFF},
      {0xFFFF, kSoftType16, 0x80FFFF, 15u << 11 | 62u << 5 | 30u},
      {0xFFFF, kSoftType16, 0x000000, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PrepareShapeColour(c.colour, c.type, c.brightness), c.expected)
        << std::hex << c.colour << " type " << c.type << " brightness " << c.brightness;
}

// --- boxes ---

Hits BoxHits(int32_t l, int32_t t, int32_t r, int32_t b) {
  std::vector<Point> pts;
  for (int32_t y = t; y < b; ++y)
    for (int32_t x = l; x < r; ++x) pts.push_back({x, y});
  return Once(pts);
}

TEST(FillBox, CoversTheNormalisedBoxClippedToTheArea) {
  struct Case {
    const char* name;
    bool whole;
    DrawRect rect;
    DrawRect area;
    Hits expected;
  } cases[] = {
      {"ordered", false, {0, 0, 10, 10}, kArea100, BoxHits(0, 0, 10, 10)},
      {"both swapped", false, {10, 10, 0, 0}, kArea100, BoxHits(0, 0, 10, 10)},
      {"x swapped", false, {10, 0, 0, 10}, kArea100, BoxHits(0, 0, 10, 10)},
      {"y swapped", false, {0, 10, 10, 0}, kArea100, BoxHits(0, 0, 10, 10)},
      {"no width", false, {5, 5, 5, 9}, kArea100, {}},
      {"across the area's edge", false, {-5, 95, 3, 120}, kArea100, BoxHits(0, 95, 3, 100)},
      {"outside the area", false, {20, 20, 30, 30}, {40, 40, 60, 60}, {}},
      {"inside a smaller area", false, {20, 20, 50, 25}, {30, 10, 60, 60}, BoxHits(30, 20, 50, 25)},
      {"whole view", true, {}, {0, 0, 100, 100}, BoxHits(0, 0, 100, 100)},
      {"whole view in an area", true, {}, {90, 3, 95, 4}, BoxHits(90, 3, 95, 4)},
      {"area beyond the view", false, {90, 90, 200, 200}, {0, 0, 500, 500}, BoxHits(90, 90, 100, 100)},
      {"extreme corners", false, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {1, 2, 3, 4}, BoxHits(1, 2, 3, 4)},
      {"one pixel", false, {7, 8, 8, 9}, kArea100, BoxHits(7, 8, 8, 9)},
  };
  for (const Case& c : cases) {
    HitTarget t;
    SoftSurfaceFillBox(t.view(), c.whole ? nullptr : &c.rect, HitTarget::kColour, HitTarget::Counting(c.area));
    EXPECT_EQ(t.Read(), c.expected) << c.name;
  }
}

TEST(FillBox, TintedCopyStoresThePreparedWordWithItsTopByte) {
  HitTarget t(4, 3);
  const DrawRect rect{1, 1, 3, 2};
  SoftSurfaceFillBox(t.view(), &rect, 0x12345678, Snapshot(0, 0, 0x80FFFF, kArea100));
  EXPECT_EQ(t.image.Get32(1, 1), 0x121A5577u);
  EXPECT_EQ(t.image.Get32(2, 1), 0x121A5577u);
  EXPECT_EQ(t.image.Get32(0, 1), 0u);
  EXPECT_EQ(t.image.Get32(1, 2), 0u);
  // Add into a red of 0xFF carries into the top byte; subtract clears it.
  t.image.Set32(0, 0, 0x00FF0000);
  const DrawRect first{0, 0, 1, 1};
  SoftSurfaceFillBox(t.view(), &first, 0x00020000, Snapshot(2, 255, kWhite, kArea100));
  EXPECT_EQ(t.image.Get32(0, 0) >> 24, 1u);
  SoftSurfaceFillBox(t.view(), &first, 0x00000000, Snapshot(3, 255, kWhite, kArea100));
  EXPECT_EQ(t.image.Get32(0, 0) >> 24, 0u);
}

// --- lines ---

std::vector<Point> PointRun(Point from, int32_t n, int32_t sx, int32_t sy) {
  std::vector<Point> pts;
  for (int32_t i = 0; i < n; ++i) pts.push_back({from.first + i * sx, from.second + i * sy});
  return pts;
}

TEST(Line, EndpointRules) {
  struct Case {
    int32_t x1, y1, x2, y2;
    std::vector<Point> expected;
  } cases[] = {
      {0, 0, 0, 0, {}},
      {0, 0, 1, 0, {{0, 0}}},
      {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}},
      {5, 2, 0, 0, {{5, 2}, {4, 2}, {3, 2}, {2, 1}, {1, 1}}},
      {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {90, 10, 120, 10, PointRun({90, 10}, 10, 1, 0)},
      {-5, 5, 5, 5, PointRun({0, 5}, 5, 1, 0)},
      {-10, -10, 10, 10, PointRun({0, 0}, 10, 1, 1)},
      {50, 50, -50, 150, PointRun({50, 50}, 50, -1, 1)},
      {-100, 50, 50, -100, {{0, 0}}},
      {99, 99, 120, 120, {{99, 99}}},
      {3, 7, 3, 2, PointRun({3, 7}, 5, 0, -1)},
      {0, 0, 2, 5, {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}},
      {200, 5, 300, 5, {}},
      {5, -50, 5, -1, {}},
  };
  for (const Case& c : cases) {
    HitTarget t;
    SoftSurfaceLine(t.view(), c.x1, c.y1, c.x2, c.y2, HitTarget::kColour, HitTarget::Counting());
    EXPECT_EQ(t.Read(), Once(c.expected)) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
  }
}

TEST(Line, StaysInsideTheAreaForAnyEndPoints) {
  std::mt19937 rng(99);
  const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -70000, -1, 0, 5, 19, 20, 70000, INT32_MAX};
  const DrawRect area{3, 4, 20, 17};
  HitTarget t(24, 20);
  for (int i = 0; i < 3000; ++i) {
    auto pick = [&] { return rng() % 3 == 0 ? extremes[rng() % 10] : int32_t(rng() % 40) - 10; };
    std::copy(t.before.memory.begin(), t.before.memory.end(), t.image.memory.begin());
    const int32_t x1 = pick(), y1 = pick(), x2 = pick(), y2 = pick();
    SoftSurfaceLine(t.view(), x1, y1, x2, y2, HitTarget::kColour, HitTarget::Counting(area));
    for (const auto& [p, n] : t.Read()) {
      ASSERT_EQ(n, 1) << x1 << "," << y1 << " to " << x2 << "," << y2;
      ASSERT_TRUE(p.first >= 3 && p.first < 20 && p.second >= 4 && p.second < 17)
          << x1 << "," << y1 << " to " << x2 << "," << y2 << " drew " << p.first << "," << p.second;
    }
  }
}

TEST(LineList, DrawsEachRecordAndIgnoresTheSixthWord) {
  // A box frame of {10, 10, 20, 15} as four half-open lines: each pixel once.
  const int32_t frame[4][kLineRecordWords] = {{10, 10, 19, 10, 1, 999},
                                             {19, 10, 19, 14, 1, -7},
                                             {19, 14, 10, 14, 1, 0},
                                             {10, 14, 10, 10, 1, 255}};
  HitTarget t;
  SoftSurfaceLineList(t.view(), &frame[0][0], 4, HitTarget::Counting());
  const Hits hits = t.Read();
  EXPECT_EQ(hits.size(), 26u);
  for (const auto& [p, n] : hits) EXPECT_EQ(n, 1) << p.first << "," << p.second;

  for (int32_t count : {0, -1, INT32_MIN}) {
    HitTarget none;
    SoftSurfaceLineList(none.view(), &frame[0][0], count, HitTarget::Counting());
    EXPECT_TRUE(none.Read().empty()) << count;
  }
}

// --- circles ---

TEST(Circle, OutlinePlotsAndDiscPixelsPerRadius) {
  struct Case {
    int32_t r;
    int plots, outlinePixels, discPixels;
  } cases[] = {{0, 4, 1, 1}, {1, 4, 4, 5}, {2, 12, 12, 21}, {3, 20, 16, 37}, {5, 28, 28, 97}, {8, 44, 44, 221},
               {30, 0, 0, 0}};
  for (const Case& c : cases) {
    HitTarget outline, disc;
    SoftSurfaceCircle(outline.view(), 50, 50, c.r, HitTarget::kColour, 0, HitTarget::Counting());
    SoftSurfaceCircle(disc.view(), 50, 50, c.r, HitTarget::kColour, 7, HitTarget::Counting());
    const Hits o = outline.Read(), d = disc.Read();
    int plots = 0;
    for (const auto& [p, n] : o) plots += n;
    if (c.plots) {
      EXPECT_EQ(plots, c.plots) << "r " << c.r;
      EXPECT_EQ(int(o.size()), c.outlinePixels) << "r " << c.r;
      EXPECT_EQ(int(d.size()), c.discPixels) << "r " << c.r;
    }
    // Each disc row spans exactly the outline's extent on that row, once.
    std::map<int32_t, std::pair<int32_t, int32_t>> extent;
    for (const auto& [p, n] : o) {
      auto [it, fresh] = extent.try_emplace(p.second, p.first, p.first);
      it->second.first = std::min(it->second.first, p.first);
      it->second.second = std::max(it->second.second, p.first);
    }
    std::vector<Point> rows;
    for (const auto& [y, span] : extent)
      for (int32_t x = span.first; x <= span.second; ++x) rows.push_back({x, y});
    EXPECT_EQ(d, Once(rows)) << "r " << c.r;
  }
}

TEST(Circle, SmallRadiiPlotTheirPoints) {
  HitTarget one, five;
  SoftSurfaceCircle(one.view(), 50, 50, 1, HitTarget::kColour, 0, HitTarget::Counting());
  EXPECT_EQ(one.Read(), Once({{49, 50}, {51, 50}, {50, 51}, {50, 49}}));
  SoftSurfaceCircle(five.view(), 50, 50, 3, HitTarget::kColour, 0, HitTarget::Counting());
  const Hits h = five.Read();
  for (Point p : {Point{48, 48}, Point{52, 48}, Point{48, 52}, Point{52, 52}}) EXPECT_EQ(h.at(p), 2);
}

TEST(Circle, ClipsToTheArea) {
  const DrawRect area{40, 45, 55, 100};
  for (int32_t fill : {0, 1}) {
    HitTarget whole, clipped;
    SoftSurfaceCircle(whole.view(), 50, 50, 12, HitTarget::kColour, fill, HitTarget::Counting());
    SoftSurfaceCircle(clipped.view(), 50, 50, 12, HitTarget::kColour, fill, HitTarget::Counting(area));
    Hits expected;
    for (const auto& [p, n] : whole.Read())
      if (p.first >= 40 && p.first < 55 && p.second >= 45) expected[p] = n;
    EXPECT_EQ(clipped.Read(), expected) << "fill " << fill;
  }
  // Wholly outside, also where plain 32-bit sums of centre and radius would overflow.
  struct Case {
    int32_t x, y, r;
  } far[] = {{200, 50, 20}, {50, -30, 29}, {INT32_MAX, INT32_MAX, 1000}, {INT32_MIN, 0, INT32_MAX}};
  for (const Case& c : far)
    for (int32_t fill : {0, 1}) {
      HitTarget t;
      SoftSurfaceCircle(t.view(), c.x, c.y, c.r, HitTarget::kColour, fill, HitTarget::Counting());
      EXPECT_TRUE(t.Read().empty()) << c.x << "," << c.y << " r " << c.r;
    }
  // A huge disc over the area fills it all, each pixel once.
  HitTarget huge;
  SoftSurfaceCircle(huge.view(), 50, 2000000, 2000000, HitTarget::kColour, 1, HitTarget::Counting());
  EXPECT_EQ(huge.Read(), BoxHits(0, 0, 100, 100));
}

// Radii up to the largest a caller can pass finish at once (a walk over every
// step would take minutes) and draw the arc that crosses the area: near its
// top or its side such a circle is a straight row or column there.
TEST(Circle, AnyRadiusDrawsOnlyWhatCrossesTheArea) {
  constexpr int32_t kMax = INT32_MAX;
  const Hits row50 = BoxHits(0, 50, 100, 51), column50 = BoxHits(50, 0, 51, 100);
  struct Case {
    const char* name;
    int32_t x, y, r;
    Hits outline, disc;
  } cases[] = {
      {"top at row 50", 50, kMax, kMax - 50, row50, BoxHits(0, 50, 100, 100)},
      {"right side at column 50", 100 - kMax, 50, kMax - 50, column50, BoxHits(0, 0, 51, 100)},
      {"left side at column 50", kMax - 50, 50, kMax - 100, column50, BoxHits(50, 0, 100, 100)},
      {"bottom at row 50", 50, 50 - kMax, kMax, row50, BoxHits(0, 0, 100, 51)},
      {"centred on the area", 50, 50, kMax, {}, BoxHits(0, 0, 100, 100)},
  };
  for (const Case& c : cases) {
    HitTarget outline, disc;
    SoftSurfaceCircle(outline.view(), c.x, c.y, c.r, HitTarget::kColour, 0, HitTarget::Counting());
    SoftSurfaceCircle(disc.view(), c.x, c.y, c.r, HitTarget::kColour, 1, HitTarget::Counting());
    EXPECT_EQ(outline.Read(), c.outline) << c.name;
    EXPECT_EQ(disc.Read(), c.disc) << c.name;
  }
}

// --- every rule, every shape ---

// Draws one shape of the list; index chooses it.
void DrawShape(int index, SOFTSURFACE* t, uint32_t colour, const SoftDrawSnapshot& draw) {
  const DrawRect box{2, 1, 9, 6};
  const int32_t records[2][kLineRecordWords] = {{0, 0, 11, 7, int32_t(colour), 0}, {11, 0, 1, 6, int32_t(colour), 0}};
  switch (index) {
    case 0: SoftSurfaceFillBox(t, &box, colour, draw); break;
    case 1: SoftSurfaceLineList(t, &records[0][0], 2, draw); break;
    case 2: SoftSurfaceCircle(t, 6, 4, 3, colour, 0, draw); break;
    case 3: SoftSurfaceCircle(t, 6, 4, 4, colour, 1, draw); break;
  }
}

TEST(FlatShapes, EveryRuleMatchesTheReference) {
  std::mt19937 rng(1210);
  const DrawRect area{0, 0, 12, 9};
  const int32_t modes[] = {0, 1, 2, 3, 4, 5, 9, 10, 11, 12, -1};
  const int32_t params[] = {0, 1, 128, 254, 255, -1};
  const uint32_t brightnesses[] = {0xFFFFFF, 0x80FFFF, 0xFFFFFE, 0x3A7FC1};
  for (int shape = 0; shape < 4; ++shape) {
    // The pixels a shape covers and how often, from the hit-count fixture.
    HitTarget count(12, 9);
    DrawShape(shape, count.view(), HitTarget::kColour, HitTarget::Counting(area));
    const Hits hits = count.Read();
    ASSERT_FALSE(hits.empty());
    for (int32_t type : {kSoftType32, kSoftType16})
      for (int32_t mode : modes)
        for (int32_t p0 : params)
          for (uint32_t brightness : brightnesses) {
            const int32_t p = p0 < 0 ? int32_t(rng() % 256) : p0;
            const bool wide = type == kSoftType32;
            const uint32_t colour = static_cast<uint32_t>(rng()) & (wide ? 0xFFFFFFFFu : 0xFFFFu);
            const SoftDrawSnapshot draw = Snapshot(mode, p, brightness, area);
            TestImage target(12, 9, type, false, 2, 4, rng);
            TestImage expected(target), actual(target);
            int rule;
            if (test::RefModeJump(mode, p, &rule)) {
              test::PixelContext k{};
              k.spans = true;
              k.mode = rule;
              k.p = p;
              const uint32_t prepared = PrepareShapeColour(colour, type, brightness);
              for (const auto& [pt, n] : hits)
                for (int i = 0; i < n; ++i) {
                  uint8_t* dp = expected.At(pt.first, pt.second);
                  const uint32_t d = test::RefLoad(dp, wide ? 4 : 2);
                  uint32_t out;
                  ASSERT_TRUE(wide ? test::RefPixel32(k, prepared, d, &out)
                                   : test::RefPixel16(k, prepared, 0, d, &out));
                  std::memcpy(dp, &out, wide ? 4 : 2);
                }
            }
            DrawShape(shape, &actual.view, colour, draw);
            ASSERT_TRUE(expected.memory == actual.memory)
                << "shape " << shape << " type " << type << " mode " << mode << " p " << p << " brightness "
                << std::hex << brightness << " colour " << colour << ": " << FirstDifference(expected, actual);
          }
  }
}

TEST(FlatShapes, RefusePaletteAndAlphaTargets) {
  std::mt19937 rng(5);
  // A palette image stores one byte a pixel: a shape that took the type's
  // pixel size would write past its rows.
  TestImage palette(9, 9, kSoftTypeGray8, false, 0, 0, rng);
  palette.block.type = kSoftType32;
  palette.block.paletteFlag = 1;
  TestImage alpha(9, 9, kSoftType32, true, 0, 0, rng);
  for (TestImage* image : {&palette, &alpha})
    for (int shape = 0; shape < 4; ++shape) {
      const TestImage before(*image);
      DrawShape(shape, &image->view, 0x123456, Snapshot(0, 0, kWhite, {0, 0, 9, 9}));
      EXPECT_TRUE(before.memory == image->memory) << "shape " << shape;
    }
}

// A run table describes an image as it was filled; once anything is drawn into
// the image, the blits must not walk it any more.
TEST(ShapeDrawing, EveryPrimitiveDrawingIntoAnImageRetiresItsRunTable) {
  std::mt19937 rng(7);
  TestImage source(4, 4, kSoftType32, false, 0, 0, rng);
  const SoftDrawSnapshot draw = Snapshot(0, 255, 0xFFFFFF, {0, 0, 16, 16});
  const TriangleVertex triangle[3] = {{1, 1, 0, 0}, {10, 2, 3, 0}, {3, 10, 0, 3}};
  const int32_t box[4] = {2, 2, 9, 9};
  const int32_t line[6] = {0, 0, 12, 7, 0x123456, 255};
  struct Case {
    const char* name;
    void (*draw)(SOFTSURFACE*, const SOFTSURFACE*, const TriangleVertex*, const int32_t*, const int32_t*,
                 const SoftDrawSnapshot&);
  };
  const Case cases[] = {
      {"triangle", [](SOFTSURFACE* t, const SOFTSURFACE* s, const TriangleVertex* v, const int32_t*, const int32_t*,
                      const SoftDrawSnapshot& d) { SoftSurfaceFillTriangle(t, s, v, 0, nullptr, 0, d); }},
      {"flat triangle", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex* v, const int32_t*,
                           const int32_t*, const SoftDrawSnapshot& d) {
         SoftSurfaceFillTriangle(t, nullptr, v, 0, nullptr, 0x445566, d);
       }},
      {"box", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex*, const int32_t* b, const int32_t*,
                 const SoftDrawSnapshot& d) {
         const DrawRect r{b[0], b[1], b[2], b[3]};
         SoftSurfaceFillBox(t, &r, 0x445566, d);
       }},
      {"line", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex*, const int32_t*, const int32_t* l,
                  const SoftDrawSnapshot& d) { SoftSurfaceLine(t, l[0], l[1], l[2], l[3], uint32_t(l[4]), d); }},
      {"line list", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex*, const int32_t*, const int32_t* l,
                       const SoftDrawSnapshot& d) { SoftSurfaceLineList(t, l, 1, d); }},
      {"circle", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex*, const int32_t*, const int32_t*,
                    const SoftDrawSnapshot& d) { SoftSurfaceCircle(t, 8, 8, 4, 0x445566, 0, d); }},
      {"disc", [](SOFTSURFACE* t, const SOFTSURFACE*, const TriangleVertex*, const int32_t*, const int32_t*,
                  const SoftDrawSnapshot& d) { SoftSurfaceCircle(t, 8, 8, 4, 0x445566, 1, d); }},
      {"rotated", [](SOFTSURFACE* t, const SOFTSURFACE* s, const TriangleVertex*, const int32_t*, const int32_t*,
                     const SoftDrawSnapshot& d) { SoftSurfaceBlitRotated(t, s, 8, 8, 0.5f, 1.0f, 0, 0, nullptr, d); }},
      {"turned", [](SOFTSURFACE* t, const SOFTSURFACE* s, const TriangleVertex*, const int32_t*, const int32_t*,
                    const SoftDrawSnapshot& d) { SoftSurfaceBlitRotated(t, s, 8, 8, 0.5f, 1.0f, 0, 1, nullptr, d); }},
  };
  for (const Case& c : cases) {
    TestImage target(16, 16, kSoftType32, false, 0, 0, rng);
    target.block.runTableValid = 1;
    c.draw(&target.view, &source.view, triangle, box, line, draw);
    EXPECT_EQ(target.block.runTableValid, 0) << c.name;
  }
  // Nothing drawn (an empty draw area): the table still holds.
  TestImage untouched(16, 16, kSoftType32, false, 0, 0, rng);
  untouched.block.runTableValid = 1;
  SoftSurfaceFillBox(&untouched.view, nullptr, 0x445566, Snapshot(0, 255, 0xFFFFFF, {4, 4, 4, 4}));
  EXPECT_EQ(untouched.block.runTableValid, 1);
}

}  // namespace
}  // namespace veziv::softrender
