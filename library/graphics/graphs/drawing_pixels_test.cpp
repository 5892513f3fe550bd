// Scenes drawn by the real software renderer into a 64 x 64 screen image,
// compared with the pixels they must give.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>

#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;

constexpr uint32_t kBlack = 0xFF000000;

class DrawingPixels : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    ClearDrawTarget();
  }
  // The screen as rows of characters: '.' black, else the key of the pixel's value.
  std::string Rows(int x0, int y0, int w, int h, const std::vector<std::pair<uint32_t, char>>& keys) const {
    std::string out;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) {
        const uint32_t p = ScreenPixel(x, y);
        char c = p == kBlack ? '.' : '?';
        for (const auto& k : keys)
          if (k.first == p) c = k.second;
        out += c;
      }
      out += '\n';
    }
    return out;
  }
  // Pixels whose colour bits equal those of value (adding leaves the fourth byte 0).
  int CountColour(uint32_t value) const {
    int n = 0;
    for (int y = 0; y < kScreenSize; ++y)
      for (int x = 0; x < kScreenSize; ++x) n += Colour(x, y) == (value & 0xFFFFFF);
    return n;
  }
  uint32_t Colour(int x, int y) const { return ScreenPixel(x, y) & 0xFFFFFF; }
  // A graph whose left half is one value and right half another.
  int TwoToneGraph(int w, int h, uint32_t left, uint32_t right) {
    const int g = MakeGraph(w, h, left);
    DrawRect half{w / 2, 0, w, h};
    SoftSurfaceFillRaw(&GetGraphRecord(g)->view, &half, right);
    return g;
  }
};

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

TEST_F(DrawingPixels, GraphDrawnAtAPointMirroredAndInPart) {
  const int g = TwoToneGraph(4, 2, kRed, kBlue);
  ASSERT_EQ(RenderGraphAtPoint(1, 1, g, 0), 0);
  ASSERT_EQ(RenderGraphMirrored(1, 4, g, 0), 0);
  ASSERT_EQ(RenderGraphPart(1, 7, 1, 0, 2, 1, g, 0, 0), 0);  // the middle two columns of row 0
  ASSERT_EQ(RenderGraphPart(1, 9, 1, 0, 2, 1, g, 0, 1), 0);  // the same, turned
  EXPECT_EQ(Rows(0, 0, 6, 10, {{kRed, 'R'}, {kBlue, 'B'}}),
            "......\n"
            ".RRBB.\n"
            ".RRBB.\n"
            "......\n"
            ".BBRR.\n"
            ".BBRR.\n"
            "......\n"
            ".RB...\n"
            "......\n"
            ".BR...\n");
}

TEST_F(DrawingPixels, DrawAreaClipsAndTransparentPixelsAreLeftOut) {
  const int g = TwoToneGraph(4, 4, kBlack, kRed);  // black is the transparent colour
  SetClipRegion(0, 0, 3, 64);
  ASSERT_EQ(RenderGraphAtPoint(0, 0, g, 1), 0);
  SetClipRegion(0, 0, 64, 64);
  const DrawRect blue{8, 0, 12, 4};
  SoftSurfaceFillRaw(&screen_, &blue, kBlue);
  ASSERT_EQ(RenderGraphAtPoint(8, 0, g, 1), 0);
  ASSERT_EQ(RenderGraphAtPoint(8, 2, g, 0), 0);
  EXPECT_EQ(Rows(0, 0, 12, 4, {{kRed, 'R'}, {kBlue, 'B'}}),
            "..R.....BBRR\n"
            "..R.....BBRR\n"
            "..R.......RR\n"
            "..R.......RR\n");
}

TEST_F(DrawingPixels, StretchedAndRotScaledDoubleTheGraph) {
  const int g = TwoToneGraph(2, 1, kRed, kBlue);
  ASSERT_EQ(RenderGraphStretched(0, 0, 4, 2, g, 0), 0);
  ASSERT_EQ(RenderGraphRotScaled(10.0, 3.0, 1.0, 0.0, 2.0, 0.0, g, 0, 1), 0);  // turned in place
  EXPECT_EQ(Rows(0, 0, 13, 5, {{kRed, 'R'}, {kBlue, 'B'}}),
            "RRBB.........\n"
            "RRBB.........\n"
            ".............\n"
            "........BBRR.\n"
            "........BBRR.\n");
}

TEST_F(DrawingPixels, FreeQuadMapsTheGraphOntoTheCornersCoveringThemOnce) {
  // Adding 64 a cover shows how often each pixel was drawn; the renderer draws
  // the split diagonal (corner 2 to corner 3) with both triangles.
  const int g = TwoToneGraph(4, 4, 0x400000, 0x000040);
  ChooseBlendMode(2, 255);
  ASSERT_EQ(RenderGraphFreeQuad(2, 2, 10, 2, 2, 6, 10, 6, g, 0), 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint32_t c = Colour(x, y);
      const uint32_t covers = (c >> 22) + (c >> 6 & 3);
      const bool inside = x >= 2 && x < 10 && y >= 2 && y < 6;
      if (!inside) {
        EXPECT_EQ(c, 0u) << x << "," << y;
        continue;
      }
      EXPECT_EQ(c & ~0xC000C0u, 0u) << x << "," << y;
      EXPECT_EQ(c >> 16 != 0, x < 6) << x << "," << y;  // graph's left half on the left
      const double distance = std::abs(4.0 * (x - 10) + 8.0 * (y - 2)) / std::sqrt(80.0);
      EXPECT_EQ(covers, distance <= 1.5 ? covers : 1u) << x << "," << y;
      EXPECT_GE(covers, 1u);
      EXPECT_LE(covers, 2u);
    }
  }
}

TEST_F(DrawingPixels, ThickLineCoversItsQuadOnceButForTheSplitDiagonal) {
  // Adding 64 of green a cover shows how often each pixel was drawn.
  const uint32_t colour = PackColorForScreen(0, 64, 0);
  ChooseBlendMode(2, 255);
  ASSERT_EQ(DrawLineSegment(4, 10, 20, 10, colour, 4), 0);
  for (int x = 5; x < 19; ++x) EXPECT_NE(Colour(x, 8), 0u) << x;
  for (int x = 5; x < 19; ++x) EXPECT_NE(Colour(x, 11), 0u) << x;
  EXPECT_EQ(Colour(12, 7), 0u);
  EXPECT_EQ(Colour(12, 13), 0u);
  SoftSurfaceFillRaw(&screen_, nullptr, kBlack);

  // Corners (32, 3), (42, 23), (37, 26), (27, 6); the triangles share 1 - 3.
  ASSERT_EQ(DrawLineSegment(30, 5, 40, 25, colour, 6), 0);
  int covered = 0;
  for (int y = 0; y < kScreenSize; ++y) {
    for (int x = 25; x < kScreenSize; ++x) {
      const uint32_t covers = Colour(x, y) >> 14;
      ASSERT_EQ(Colour(x, y) & ~0xC000u, 0u) << x << "," << y;
      if (covers == 0) continue;
      ++covered;
      ASSERT_LE(covers, 2u) << x << "," << y;
      // Twice only on the shared diagonal: within a pixel and a half of it.
      const double distance = std::abs(23.0 * (x - 32) - 5.0 * (y - 3)) / std::sqrt(23.0 * 23.0 + 5.0 * 5.0);
      if (covers == 2) {
        EXPECT_LE(distance, 1.5) << x << "," << y;
      }
    }
  }
  // Each quarter between the two diagonals is filled: no bow-tie.
  for (const auto& p : {std::pair{35, 13}, std::pair{37, 19}, std::pair{33, 15}, std::pair{32, 9}})
    EXPECT_NE(Colour(p.first, p.second), 0u) << p.first << "," << p.second;
  EXPECT_GT(covered, 110);  // the quad's area is about 130 pixels
  EXPECT_LT(covered, 170);
  EXPECT_EQ(Colour(27, 20), 0u);
}

TEST_F(DrawingPixels, ThickLinesShowWholeThroughAnOpenMask) {
  // The mask bracket copies back only the touched rectangle, so it must hold
  // every pixel of the line's body, not just its end points.
  const uint32_t white = PackColorForScreen(255, 255, 255);
  struct Line {
    int x1, y1, x2, y2, thickness;
  };
  const Line lines[] = {{4, 10, 20, 10, 4}, {30, 5, 40, 25, 6}, {50, 40, 12, 44, 5}, {20, 60, 21, 30, 9}};
  for (const Line& l : lines) {
    ASSERT_EQ(IsMaskedDrawActive(), 0);
    ClearDrawTarget();
    ASSERT_EQ(DrawLineSegment(l.x1, l.y1, l.x2, l.y2, white, l.thickness), 0);
    const std::string plain = Rows(0, 0, kScreenSize, kScreenSize, {{white, '#'}});
    ClearDrawTarget();
    ASSERT_EQ(SetupMaskScreen(1), 0);  // every mask byte 0: drawing goes through
    ASSERT_EQ(SetMaskScreenUse(1), 0);
    ASSERT_EQ(DrawLineSegment(l.x1, l.y1, l.x2, l.y2, white, l.thickness), 0);
    EXPECT_EQ(Rows(0, 0, kScreenSize, kScreenSize, {{white, '#'}}), plain) << l.x1 << "," << l.y1;
    EndMaskSystem();
  }
}

TEST_F(DrawingPixels, BoxFrameFilledBoxAndLineLandOnTheirPixels) {
  const uint32_t white = PackColorForScreen(255, 255, 255);
  ASSERT_EQ(DrawBoxShape(1, 1, 6, 5, white, 0), 0);
  ASSERT_EQ(DrawBoxShape(9, 4, 7, 1, white, 1), 0);  // reversed corners
  ASSERT_EQ(DrawLineSegment(1, 7, 9, 7, white, 1), 0);
  ASSERT_EQ(DrawCircleShape(5, 5, -1, white, 1), 0);
  EXPECT_EQ(Rows(0, 0, 11, 9, {{white, '#'}}),
            "...........\n"
            ".#####.##..\n"
            ".#...#.##..\n"
            ".#...#.##..\n"
            ".#####.....\n"
            "...........\n"
            "...........\n"
            ".########..\n"  // the renderer leaves the end point out
            "...........\n");
}

TEST_F(DrawingPixels, UnturnedRotationByNothingDrawsTheGraphAroundItsCentre) {
  const int g = TwoToneGraph(4, 2, kRed, kBlue);
  ASSERT_EQ(RenderGraphRotatedAtCentre(4.0f, 3.0f, 1.0, 0.0, g, 0, 0), 0);
  EXPECT_EQ(Rows(0, 0, 7, 5, {{kRed, 'R'}, {kBlue, 'B'}}),
            ".......\n"
            ".......\n"
            "..RRBB.\n"
            "..RRBB.\n"
            ".......\n");
}

}  // namespace
// A program may pass any coordinate: every drawing call, through the mask
// bracket too, takes the ends of the int range (and its neighbours) in every
// argument without overflowing and without drawing outside the screen.
TEST_F(DrawingPixels, EveryCallTakesCoordinatesAtTheEndsOfTheIntRange) {
  const int graph = MakeGraph(10, 6, 0x00FF0000);
  const int values[] = {INT_MIN, INT_MIN + 1, -1, 0, 63, INT_MAX - 1, INT_MAX};
  const uint32_t red = PackColorForScreen(255, 0, 0);
  struct Call {
    const char* name;
    std::function<void(int, int)> draw;
  };
  const PolygonVertex strip[4] = {{0, 0, 0, 0, 0, 0, 255, 255}, {8, 0, 1, 0, 0, 0, 255, 255},
                                  {0, 8, 0, 1, 0, 0, 255, 255}, {8, 8, 1, 1, 0, 0, 255, 255}};
  const Call calls[] = {
      {"graph at a point", [&](int a, int b) { RenderGraphAtPoint(a, b, graph, 1); }},
      {"graph stretched", [&](int a, int b) { RenderGraphStretched(a, b, b, a, graph, 1); }},
      {"graph stretched by floats", [&](int a, int b) { RenderGraphStretchedF(float(a), float(b), 10.0f, 10.0f, graph, 0); }},
      {"graph mirrored", [&](int a, int b) { RenderGraphMirrored(a, b, graph, 1); }},
      {"graph turned", [&](int a, int b) { RenderGraphRotatedAtCentre(float(a), float(b), 1.5, 0.5, graph, 1, 0); }},
      {"graph turned and mirrored", [&](int a, int b) { RenderGraphRotatedAtCentre(float(a), float(b), 2.0, 1.0, graph, 1, 1); }},
      {"graph turned about a point", [&](int a, int b) { RenderGraphRotScaled(a, b, a, b, 1.0, 0.3, graph, 1, 0); }},
      {"graph scaled about a point", [&](int a, int b) { RenderGraphRotScaled(a, b, b, a, 2.0, 0.0, graph, 1, 1); }},
      {"part of a graph", [&](int a, int b) { RenderGraphPart(a, b, b, a, a, b, graph, 1, 0); }},
      {"part of a graph mirrored", [&](int a, int b) { RenderGraphPart(b, a, a, b, b, a, graph, 1, 1); }},
      {"part stretched", [&](int a, int b) { RenderGraphPartStretched(a, b, b, a, a, b, b, a, graph, 1); }},
      {"free quad", [&](int a, int b) { RenderGraphFreeQuad(a, b, b, a, a, a, b, b, graph, 1); }},
      {"free quad by floats", [&](int a, int b) {
         RenderGraphFreeQuadF(float(a), float(b), float(b), float(a), 0.0f, float(b), float(a), 0.0f, graph, 1);
       }},
      {"filled box", [&](int a, int b) { DrawBoxShape(a, b, b, a, red, 1); }},
      {"box frame", [&](int a, int b) { DrawBoxShape(a, b, b, a, red, 0); }},
      {"circle", [&](int a, int b) { DrawCircleShape(a, b, 20, red, 0); }},
      {"disc", [&](int a, int b) { DrawCircleShape(a, b, 30, red, 1); }},
      {"line", [&](int a, int b) { DrawLineSegment(a, b, b, a, red, 1); }},
      {"thick line", [&](int a, int b) { DrawLineSegment(a, b, b, a, red, 4); }},
      {"vertex polygon", [&](int a, int b) {
         PolygonVertex v[4];
         for (int i = 0; i < 4; ++i) v[i] = strip[i], v[i].x += float(a), v[i].y += float(b);
         DrawVertexPolygon(v, 4, 5, -5, 0, 0);
       }},
  };
  SetupMaskScreen(1);
  for (const bool masked : {false, true}) {
    SetMaskScreenUse(masked ? 1 : 0);
    for (const Call& call : calls)
      for (const int a : values)
        for (const int b : values) {
          SCOPED_TRACE(std::string(call.name) + (masked ? ", masked" : "") + " at " + std::to_string(a) + ", " +
                       std::to_string(b));
          call.draw(a, b);
        }
  }
  EndMaskSystem();
}

}  // namespace veziv
