// Triangle set-up and edge walk: coverage against drawn masks, independence
// from corner order and clipping, texel stepping, degenerate and far corners.
#include "library/softrender/triangle/triangle_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "library/softrender/triangle/span_grid_test_support.h"

namespace veziv::softrender {
namespace {

using test::Rows;
using test::SpanGrid;

struct MaskCase {
  const char* name;
  TriangleVertex corners[3];
  DrawRect area;
  std::string mask;
};

TEST(TriangleWalk, CoversPixelsAsDrawn) {
  // Corners sit at pixel centres, both span ends are drawn, the bottom corner's
  // row is not, and integer parts round toward zero also below zero.
  const MaskCase cases[] = {
      {"one row", {{0, 0}, {10, 0}, {0, 1}}, {0, 0, 12, 2},
       Rows({"11111111111.",
             "............"})},
      {"flat top", {{0, 0}, {4, 0}, {0, 4}}, {0, 0, 6, 5},
       Rows({"11111.",
             "1111..",
             "111...",
             "11....",
             "......"})},
      {"middle corner on the right", {{1, 1}, {6, 3}, {2, 6}}, {0, 0, 8, 7},
       Rows({"........",
             ".1......",
             ".1111...",
             ".111111.",
             "..1111..",
             "..11....",
             "........"})},
      {"middle corner on the left", {{4, 0}, {0, 3}, {5, 6}}, {0, 0, 7, 7},
       Rows({"....1..",
             "...11..",
             ".1111..",
             "11111..",
             "..1111.",
             "...111.",
             "......."})},
      {"flat bottom", {{3, 0}, {0, 4}, {6, 4}}, {0, 0, 8, 6},
       Rows({"...1....",
             "..111...",
             "..1111..",
             ".11111..",
             "........",
             "........"})},
      {"left of the area paints its first column", {{-5, 0}, {-1, 0}, {-1, 10}}, {0, 0, 2, 11},
       Rows({"1.", "1.", "1.", "1.", "1.", "1.", "1.", "1.", "1.", "1.", ".."})},
      {"top above row 0 walks the middle row twice", {{2, -3}, {0, 2}, {4, 6}}, {0, 0, 6, 7},
       Rows({".11...",
             ".111..",
             "2222..",
             ".111..",
             "..111.",
             "...11.",
             "......"})},
  };
  for (const MaskCase& c : cases) {
    SpanGrid grid(c.area);
    grid.Draw(c.corners);
    EXPECT_FALSE(grid.strayed) << c.name;
    EXPECT_EQ(grid.Mask(), c.mask) << c.name << "\n" << grid.Mask();
  }
}


// Random corners with x and y in [lo, hi] and texels in [0, 40].
struct RandomTriangles {
  std::mt19937 rng;
  std::uniform_int_distribution<int> position, texel{0, 40};
  RandomTriangles(uint32_t seed, int lo, int hi) : rng(seed), position(lo, hi) {}
  void Next(TriangleVertex* c) {
    for (int i = 0; i < 3; ++i) c[i] = {position(rng), position(rng), texel(rng), texel(rng)};
  }
};

TEST(TriangleWalk, CornerOrderDoesNotChangeCoverage) {
  RandomTriangles random(1, -20, 60);
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int n = 0; n < 300; ++n) {
    TriangleVertex c[3];
    random.Next(c);
    // Shared rows and columns make the ties that the sorts must not depend on.
    if (n % 3 == 0) c[1].y = c[0].y;
    if (n % 5 == 0) c[2].x = c[0].x;
    SpanGrid first({-4, -4, 48, 48});
    first.Draw(c);
    for (const auto& o : orders) {
      const TriangleVertex p[3] = {c[o[0]], c[o[1]], c[o[2]]};
      SpanGrid grid({-4, -4, 48, 48});
      grid.Draw(p);
      ASSERT_EQ(grid.hits, first.hits) << "triangle " << n;
    }
  }
}

TEST(TriangleWalk, ClippedDrawEqualsFullDrawCutToTheArea) {
  // Texels too: a span cut on the left starts with the texel of its first drawn pixel.
  RandomTriangles random(2, -30, 70);
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> edge(-10, 60);
  const DrawRect full = {-40, -40, 100, 100};
  for (int n = 0; n < 300; ++n) {
    TriangleVertex c[3];
    random.Next(c);
    int x0 = edge(rng), x1 = edge(rng), y0 = edge(rng), y1 = edge(rng);
    const DrawRect clip = {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
    SpanGrid whole(full), cut(full);
    whole.Draw(c, true);
    cut.Draw(c, true, clip);
    ASSERT_FALSE(cut.strayed);
    for (int y = full.top; y < full.bottom; ++y) {
      for (int x = full.left; x < full.right; ++x) {
        const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        const size_t k = whole.Index(x, y);
        ASSERT_EQ(cut.hits[k], inside ? whole.hits[k] : 0) << "triangle " << n << " at " << x << "," << y;
        if (inside && whole.hits[k] != 0) {
          ASSERT_EQ(cut.u[k], whole.u[k]) << "triangle " << n << " at " << x << "," << y;
          ASSERT_EQ(cut.v[k], whole.v[k]) << "triangle " << n << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(TriangleWalk, TexelFollowsTheAffineMapOfTheCorners) {
  // The oracle is the exact affine map from corner pixels to corner texels, not
  // the fixed-point walk; the walk may be off by one near a texel boundary.
  RandomTriangles random(4, 0, 60);
  for (int n = 0; n < 300; ++n) {
    TriangleVertex c[3];
    random.Next(c);
    const double d = double(c[1].x - c[0].x) * (c[2].y - c[0].y) - double(c[2].x - c[0].x) * (c[1].y - c[0].y);
    if (d == 0) continue;
    SpanGrid grid({0, 0, 64, 64});
    grid.Draw(c, true);
    ASSERT_FALSE(grid.strayed);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        if (grid.At(x, y) == 0) continue;
        // Barycentric weights of corners 1 and 2 at pixel (x, y).
        const double w1 = (double(x - c[0].x) * (c[2].y - c[0].y) - double(c[2].x - c[0].x) * (y - c[0].y)) / d;
        const double w2 = (double(c[1].x - c[0].x) * (y - c[0].y) - double(x - c[0].x) * (c[1].y - c[0].y)) / d;
        const double u = c[0].u + w1 * (c[1].u - c[0].u) + w2 * (c[2].u - c[0].u);
        const double v = c[0].v + w1 * (c[1].v - c[0].v) + w2 * (c[2].v - c[0].v);
        const size_t k = grid.Index(x, y);
        const double gotU = static_cast<int32_t>(grid.u[k]) / double(kFixedOne);
        const double gotV = static_cast<int32_t>(grid.v[k]) / double(kFixedOne);
        ASSERT_LE(std::abs(std::floor(gotU) - std::floor(u)), 1) << "triangle " << n << " at " << x << "," << y;
        ASSERT_LE(std::abs(std::floor(gotV) - std::floor(v)), 1) << "triangle " << n << " at " << x << "," << y;
      }
    }
  }
}

TEST(TriangleWalk, DegenerateCornersDrawNothing) {
  const TriangleVertex cases[][3] = {
      {{0, 0}, {5, 5}, {10, 10}},   // on one line
      {{3, 1}, {3, 1}, {8, 6}},     // two equal corners
      {{4, 4}, {4, 4}, {4, 4}},     // one point
      {{0, 7}, {20, 7}, {9, 7}},    // one row
      {{6, 0}, {6, 20}, {6, 11}},   // one column
  };
  for (const auto& c : cases) {
    SpanGrid grid({0, 0, 24, 24});
    grid.Draw(c, true);
    EXPECT_EQ(grid.Mask(), SpanGrid({0, 0, 24, 24}).Mask());
  }
}

TEST(TriangleWalk, FarCornersDrawAsNearOnesMovedThere) {
  // Beyond +-8191 the set-up must neither overflow nor change the shape: a
  // triangle moved by whole pixels covers the moved pixels with the same texels.
  RandomTriangles random(5, 0, 50);
  const int shifts[][2] = {{20000, 30000}, {9000, 100}, {3000000, 16000000}};
  for (int n = 0; n < 100; ++n) {
    TriangleVertex c[3];
    random.Next(c);
    for (const auto& s : shifts) {
      TriangleVertex far[3];
      for (int i = 0; i < 3; ++i) far[i] = {c[i].x + s[0], c[i].y + s[1], c[i].u, c[i].v};
      SpanGrid near({0, 0, 56, 56}), moved({s[0], s[1], s[0] + 56, s[1] + 56});
      near.Draw(c, true);
      moved.Draw(far, true);
      ASSERT_EQ(moved.hits, near.hits) << "triangle " << n << " moved by " << s[0] << "," << s[1];
      ASSERT_EQ(moved.u, near.u);
      ASSERT_EQ(moved.v, near.v);
    }
  }
}

TEST(TriangleWalk, HugeTrianglesCoverTheAreaOnceAndStayInside) {
  const int32_t big = kTriangleCoordinateLimit - 1;
  const TriangleVertex cases[][3] = {
      {{-big, -big}, {big, -big}, {0, big}},
      // Middle corner on the left, above the area: the row it is walked twice on stays out.
      {{0, -big}, {-big, -100}, {big, big}},
      {{0, -big}, {big, 300}, {-big, big}},  // middle corner on the right, inside the area
  };
  for (const auto& c : cases) {
    SpanGrid grid({0, 0, 800, 600});
    grid.Draw(c);
    EXPECT_FALSE(grid.strayed);
    EXPECT_EQ(*std::min_element(grid.hits.begin(), grid.hits.end()), 1);
    EXPECT_EQ(*std::max_element(grid.hits.begin(), grid.hits.end()), 1);
  }
}

TEST(TriangleWalk, CornersBeyondTheLimitAreRefused) {
  const int32_t limit = kTriangleCoordinateLimit;
  const TriangleVertex cases[][3] = {
      {{limit, 0}, {0, 10}, {10, 10}},
      {{0, 0}, {-limit, 10}, {10, 10}},
      {{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}},
      {{0, 0, INT32_MAX, 0}, {20, 0, 0, INT32_MIN}, {0, 20, 0, 0}},  // texels
  };
  for (const auto& c : cases) {
    SpanGrid grid({0, 0, 32, 32});
    grid.Draw(c, true);
    EXPECT_EQ(*std::max_element(grid.hits.begin(), grid.hits.end()), 0);
  }
  // A flat fill does not read u and v.
  const TriangleVertex flat[3] = {{0, 0, INT32_MAX, INT32_MIN}, {20, 0, 0, 0}, {0, 20, 0, 0}};
  SpanGrid grid({0, 0, 32, 32});
  grid.Draw(flat, false);
  EXPECT_EQ(grid.At(0, 0), 1);
}

}  // namespace
}  // namespace veziv::softrender
