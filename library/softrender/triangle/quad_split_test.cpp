// The quad split: each corner order its callers pass covers the quad once,
// only the split diagonal twice; the widened box decides whether to walk at all.
#include "library/softrender/triangle/quad_split.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "library/softrender/triangle/span_grid_test_support.h"

namespace veziv::softrender {
namespace {

using test::SpanGrid;

// Corners round the outline, as a thick line lists them: both ends of the
// line moved by +p, then back along the line moved by -p.
struct Outline {
  const char* name;
  TriangleVertex p[4];
};

// Distance of point (x, y) from the line through a and b, positive on the
// side where the outline's inside lies (for clockwise outlines on screen).
double Side(const TriangleVertex& a, const TriangleVertex& b, double x, double y, double turn) {
  const double ex = b.x - a.x, ey = b.y - a.y;
  return turn * (ex * (y - a.y) - ey * (x - a.x)) / std::hypot(ex, ey);
}

void ExpectCoversOnce(const SpanGrid& grid, const TriangleVertex* o, const TriangleVertex& d0,
                      const TriangleVertex& d1, const char* name) {
  // Orientation of the outline, so that inside is positive for both windings.
  const double area2 = double(o[1].x - o[0].x) * (o[2].y - o[0].y) - double(o[2].x - o[0].x) * (o[1].y - o[0].y);
  const double turn = area2 > 0 ? 1 : -1;
  for (int y = grid.area.top; y < grid.area.bottom; ++y) {
    for (int x = grid.area.left; x < grid.area.right; ++x) {
      double inside = 1e9;
      for (int i = 0; i < 4; ++i) inside = std::min(inside, Side(o[i], o[(i + 1) % 4], x, y, turn));
      const int hits = grid.At(x, y);
      // A corner sits at its pixel's centre; spans reach up to one pixel past an edge.
      if (inside >= 1) {
        ASSERT_GE(hits, 1) << name << " misses " << x << "," << y;
      }
      if (inside < -1) {
        ASSERT_EQ(hits, 0) << name << " strays to " << x << "," << y;
      }
      ASSERT_LE(hits, 2) << name << " at " << x << "," << y;
      if (hits == 2) {
        ASSERT_LE(std::abs(Side(d0, d1, x, y, 1)), 1.5) << name << " doubles off the diagonal at " << x << "," << y;
      }
    }
  }
}

TEST(QuadSplit, EachCornerOrderCoversTheQuadOnceButForTheDiagonal) {
  const Outline cases[] = {
      {"thick line along x", {{10, 12}, {20, 12}, {20, 8}, {10, 8}}},
      {"thick line along y", {{12, 4}, {12, 30}, {8, 30}, {8, 4}}},
      {"slanted thick line", {{13, 8}, {43, 23}, {37, 35}, {7, 20}}},
      {"steep thick line", {{30, 2}, {40, 44}, {34, 45}, {24, 3}}},
      {"skewed quad", {{5, 5}, {40, 10}, {35, 40}, {2, 30}}},
      {"counter-clockwise", {{2, 30}, {35, 40}, {40, 10}, {5, 5}}},
  };
  for (const Outline& c : cases) {
    const TriangleVertex* o = c.p;
    TriangleVertex t[6];
    SpanGrid outline({0, 0, 50, 50});
    SplitQuad(o, QuadCornerOrder::kOutline, t);
    outline.Draw(t);
    outline.Draw(t + 3);
    ExpectCoversOnce(outline, o, o[0], o[2], c.name);

    // The same quad handed over as the image's top-left, top-right, bottom-left, bottom-right.
    const TriangleVertex z[4] = {o[0], o[1], o[3], o[2]};
    SpanGrid zOrder({0, 0, 50, 50});
    SplitQuad(z, QuadCornerOrder::kZ, t);
    zOrder.Draw(t);
    zOrder.Draw(t + 3);
    ExpectCoversOnce(zOrder, o, o[1], o[3], c.name);
  }
}

TEST(QuadSplit, ImageQuadMapsPixelsToTexelsAndDoublesOnePixelPerRow) {
  // Both triangles compute the shared edge alike and draw both span ends, so
  // each row has exactly one pixel on that edge drawn twice (on row 0, and on
  // steep edges, it is in column W, whose texels lie past the image); row H is
  // never walked.
  const int sizes[][2] = {{7, 5}, {16, 16}, {3, 9}, {20, 1}, {1, 6}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    const TriangleVertex z[4] = {{0, 0, 0, 0}, {w, 0, w, 0}, {0, h, 0, h}, {w, h, w, h}};
    TriangleVertex t[6];
    SplitQuad(z, QuadCornerOrder::kZ, t);
    SpanGrid grid({0, 0, w + 2, h + 2});
    grid.Draw(t, true);
    grid.Draw(t + 3, true);
    for (int y = 0; y < h + 2; ++y) {
      int doubled = 0;
      for (int x = 0; x < w + 2; ++x) {
        const int hits = grid.At(x, y);
        doubled += hits == 2;
        const bool inside = x <= w && y < h;  // flat coverage includes column w
        ASSERT_EQ(hits != 0, inside) << w << "x" << h << " at " << x << "," << y;
        if (hits != 0 && x < w) {
          // The identity map: a pixel's texel is the pixel, and column w lies past the texels.
          ASSERT_EQ(grid.u[grid.Index(x, y)] >> kFixedShift, uint32_t(x)) << w << "x" << h << " at " << x << "," << y;
          ASSERT_EQ(grid.v[grid.Index(x, y)] >> kFixedShift, uint32_t(y)) << w << "x" << h << " at " << x << "," << y;
        }
      }
      EXPECT_EQ(grid.u[grid.Index(w, std::min(y, h - 1))], uint32_t(w) << kFixedShift);
      EXPECT_EQ(doubled, y < h ? 1 : 0) << w << "x" << h << " row " << y;
    }
  }
}

TEST(QuadSplit, DoubleSizeQuadMapsPixelsToHalfTexels) {
  const int w = 6, h = 4;
  const TriangleVertex z[4] = {{0, 0, 0, 0}, {2 * w, 0, w, 0}, {0, 2 * h, 0, h}, {2 * w, 2 * h, w, h}};
  TriangleVertex t[6];
  SplitQuad(z, QuadCornerOrder::kZ, t);
  SpanGrid grid({0, 0, 2 * w, 2 * h});
  grid.Draw(t, true);
  grid.Draw(t + 3, true);
  for (int y = 0; y < 2 * h; ++y) {
    for (int x = 0; x < 2 * w; ++x) {
      ASSERT_EQ(grid.u[grid.Index(x, y)] >> kFixedShift, uint32_t(x / 2)) << x << "," << y;
      ASSERT_EQ(grid.v[grid.Index(x, y)] >> kFixedShift, uint32_t(y / 2)) << x << "," << y;
    }
  }
}

TEST(QuadSplit, WidenedBoxDecidesWhetherToWalk) {
  struct Case {
    const char* name;
    TriangleVertex corners[4];
    bool meets;
  };
  // Area 100..200 x 100..200; the box reaches 2 pixels up and left, 4 down and right.
  const DrawRect area = {100, 100, 200, 200};
  const Case cases[] = {
      {"inside", {{120, 120}, {130, 120}, {120, 130}, {130, 130}}, true},
      {"left, box touching", {{90, 120}, {96, 120}, {90, 130}, {96, 130}}, false},
      {"left, box overlapping", {{90, 120}, {97, 120}, {90, 130}, {97, 130}}, true},
      {"right, box touching", {{202, 120}, {210, 120}, {202, 130}, {210, 130}}, false},
      {"right, box overlapping", {{201, 120}, {210, 120}, {201, 130}, {210, 130}}, true},
      {"above, box touching", {{120, 80}, {130, 80}, {120, 96}, {130, 96}}, false},
      {"below, box overlapping", {{120, 201}, {130, 201}, {120, 230}, {130, 230}}, true},
      {"int range ends", {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}}, true},
      {"int range end, outside", {{INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}, {INT_MAX, INT_MAX}}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(QuadBoxMeetsArea(c.corners, area), c.meets) << c.name;
  const TriangleVertex inside[4] = {{120, 120}, {130, 120}, {120, 130}, {130, 130}};
  EXPECT_FALSE(QuadBoxMeetsArea(inside, {150, 100, 150, 200})) << "empty area";
}

}  // namespace
}  // namespace veziv::softrender
