// Drawing calls against a recording renderer: the order of checks, touched
// rectangles, the decomposition of the combined calls, part draws narrowing
// the draw area, and the geometry handed to the renderer.
#include "library/graphics/graphs/drawing_calls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "library/graphics/graphs/graphics_test_support.h"

namespace veziv {
namespace {

using test::GraphicsTest;
using test::Recorded;
using Args = std::vector<int>;

class DrawingCalls : public GraphicsTest {
 protected:
  void SetUp() override {
    GraphicsTest::SetUp();
    graph_ = MakeGraph(10, 6, 0);
    Record();
  }
  static bool SameRect(const DrawRect& a, const DrawRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  int graph_ = -1;
};

constexpr int kStale = 0x08000000 | 0x7123;

TEST_F(DrawingCalls, CommonChecksRunBeforeAnythingIsDrawn) {
  struct Case {
    const char* name;
    void (*setUp)();
    int expected;
  };
  const Case cases[] = {
      {"suppressed", [] { detail::SetDrawingSuppressed(1); }, 0},
      {"empty area", [] { SetClipRegion(5, 5, 5, 40); }, 0},
      {"blend graph smaller than the graph", [] { SelectBlendImageGraph(CreateEmptyGraph(9, 6, 0), 0, 0); }, -1},
      {"blend graph deleted", [] {
         const int b = CreateEmptyGraph(20, 20, 0);
         SelectBlendImageGraph(b, 0, 0);
         FreeGraphHandle(b, 0);
       }, -1},
  };
  for (const Case& c : cases) {
    ResetDrawState();
    c.setUp();
    Recorded().clear();
    EXPECT_EQ(RenderGraphAtPoint(0, 0, graph_, 1), c.expected) << c.name;
    EXPECT_EQ(RenderGraphStretched(0, 0, 5, 5, graph_, 1), c.expected) << c.name;
    EXPECT_EQ(RenderGraphFreeQuad(0, 0, 5, 0, 0, 5, 5, 5, graph_, 1), c.expected) << c.name;
    EXPECT_TRUE(Recorded().empty()) << c.name;
  }
  ResetDrawState();
  EXPECT_EQ(RenderGraphAtPoint(0, 0, kStale, 1), -1);
  EXPECT_EQ(RenderGraphRotatedAtCentre(0, 0, 1, 1, kStale, 1, 0), -1);
  EXPECT_EQ(RenderGraphMirrored(0, 0, kStale, 1), -1);
  EXPECT_TRUE(Recorded().empty());
  detail::Screen().started = 0;
  EXPECT_EQ(RenderGraphAtPoint(0, 0, graph_, 1), -1);
  EXPECT_TRUE(Recorded().empty());
}

// Each row sets up failing checks two at a time where their order shows: the
// earlier check decides the result. The wait for an inactive window comes after
// every check and before the draw, so a refused call never waits.
TEST_F(DrawingCalls, ChecksRunInOrderAndTheInactiveWindowIsWaitedForLast) {
  struct Outcome {
    int result;
    bool draws;
  };
  struct Case {
    const char* name;
    bool notStarted, suppressed, emptyArea, staleGraph, smallBlendGraph;
    Outcome atPoint, otherGraphCalls, shapes;
  };
  const Outcome drawn{0, true}, skipped{0, false}, refused{-1, false};
  const Case cases[] = {
      {"all clear", false, false, false, false, false, drawn, drawn, drawn},
      {"not started, suppressed", true, true, false, false, false, refused, skipped, skipped},
      {"suppressed, stale graph", false, true, false, true, false, skipped, skipped, skipped},
      {"empty area, stale graph", false, false, true, true, false, skipped, skipped, skipped},
      {"suppressed, blend graph too small", false, true, false, false, true, skipped, skipped, skipped},
      {"stale graph", false, false, false, true, false, refused, refused, drawn},
      {"blend graph too small", false, false, false, false, true, refused, refused, drawn},
  };
  enum Kind { kAtPoint, kOtherGraphCall, kShape };
  struct Call {
    const char* name;
    Kind kind;
    int (*draw)(int graph);
  };
  const Call calls[] = {
      {"at point", kAtPoint, [](int g) { return RenderGraphAtPoint(1, 1, g, 1); }},
      {"stretched", kOtherGraphCall, [](int g) { return RenderGraphStretched(1, 1, 20, 9, g, 1); }},
      {"rotated", kOtherGraphCall, [](int g) { return RenderGraphRotatedAtCentre(20, 20, 1.5, 0.5, g, 1, 0); }},
      {"free quad", kOtherGraphCall, [](int g) { return RenderGraphFreeQuad(0, 0, 9, 0, 0, 9, 9, 9, g, 1); }},
      {"box", kShape, [](int) { return DrawBoxShape(2, 2, 9, 9, 1, 1); }},
      {"frame", kShape, [](int) { return DrawBoxShape(2, 2, 9, 9, 1, 0); }},
      {"circle", kShape, [](int) { return DrawCircleShape(20, 20, 4, 1, 1); }},
      {"line", kShape, [](int) { return DrawLineSegment(1, 1, 30, 9, 1, 1); }},
      {"thick line", kShape, [](int) { return DrawLineSegment(1, 1, 30, 9, 1, 5); }},
  };
  const int smallBlend = MakeGraph(9, 6, 0);
  for (const Case& c : cases)
    for (const Call& call : calls) {
      const std::string what = std::string(c.name) + " / " + call.name;
      detail::GraphicsCalls().window_is_active = [] { return 1; };
      detail::Screen().started = 1;
      ResetDrawState();
      if (c.smallBlendGraph) {
        ASSERT_EQ(SelectBlendImageGraph(smallBlend, 0, 0), 0) << what;
      }
      if (c.emptyArea) SetClipRegion(5, 5, 5, 40);
      if (c.suppressed) detail::SetDrawingSuppressed(1);
      if (c.notStarted) detail::Screen().started = 0;
      // The wait goes into the same record as the draws, so its place shows.
      MakeWindowInactive();
      detail::GraphicsCalls().wait_while_window_inactive = [] {
        test::RecordedCall wait;
        wait.name = "wait";
        Recorded().push_back(wait);
      };
      Recorded().clear();
      const Outcome& expected = call.kind == kAtPoint ? c.atPoint : call.kind == kShape ? c.shapes : c.otherGraphCalls;
      EXPECT_EQ(call.draw(c.staleGraph ? kStale : graph_), expected.result) << what;
      if (!expected.draws) {
        EXPECT_TRUE(Recorded().empty()) << what << ": " << (Recorded().empty() ? "" : Recorded()[0].name);
        continue;
      }
      ASSERT_GE(Recorded().size(), 2u) << what;
      EXPECT_EQ(Recorded()[0].name, "wait") << what;
      for (size_t i = 1; i < Recorded().size(); ++i) EXPECT_NE(Recorded()[i].name, "wait") << what;
    }
}

TEST_F(DrawingCalls, TouchedRectanglesCoverEachDraw) {
  struct Case {
    const char* name;
    int (*draw)(int graph);
    DrawRect touched;
  };
  const Case cases[] = {
      {"at point", [](int g) { return RenderGraphAtPoint(3, 4, g, 1); }, {3, 4, 13, 10}},
      {"stretched reversed", [](int g) { return RenderGraphStretched(20, 30, 2, 1, g, 1); }, {2, 1, 20, 30}},
      {"rotated by zero", [](int g) { return RenderGraphRotatedAtCentre(20.9f, 20.5f, 1.0, 0.0, g, 1, 0); },
       {15 - 5, 17 - 5, 25 + 5, 23 + 5}},
      {"rotated a quarter turn and doubled",
       [](int g) { return RenderGraphRotatedAtCentre(30, 30, 2.0, M_PI / 2, g, 1, 0); },
       {30 - 6 - 5, 30 - 10 - 5, 30 + 6 + 5, 30 + 10 + 5}},
      {"free quad", [](int g) { return RenderGraphFreeQuad(5, 9, 40, 2, 7, 30, 33, 31, g, 1); }, {5, 2, 40, 31}},
      {"free quad left of zero", [](int g) { return RenderGraphFreeQuad(-5, -9, -1, -2, -7, -3, -4, -4, g, 1); },
       {-7, -9, 0, 0}},
      {"box reversed", [](int) { return DrawBoxShape(30, 20, 10, 5, 1, 1); }, {10, 5, 30, 20}},
      {"line", [](int) { return DrawLineSegment(30, 2, 10, 8, 1, 1); }, {10, 2, 31, 9}},
      {"circle", [](int) { return DrawCircleShape(20, 20, 5, 1, 0); }, {14, 14, 26, 26}},
      {"thick line", [](int) { return DrawLineSegment(10, 10, 20, 10, 1, 4); }, {9, 7, 21, 13}},
  };
  for (const Case& c : cases) {
    Recorded().clear();
    EXPECT_EQ(c.draw(graph_), 0) << c.name;
    EXPECT_FALSE(Recorded().empty()) << c.name;
    const DrawRect t = detail::LastTouchedRect();
    EXPECT_TRUE(SameRect(t, c.touched)) << c.name << ": " << t.left << "," << t.top << "," << t.right << ","
                                        << t.bottom;
  }
}

TEST_F(DrawingCalls, GraphDrawsHandTheRendererTheGraphsOwnView) {
  const int sub = MakeSubGraph(2, 1, 4, 4, graph_);
  const int blend = MakeGraph(16, 16, 0);
  SelectBlendImageGraph(blend, 0, 0);
  Recorded().clear();
  RenderGraphAtPoint(7, 8, sub, 1);
  RenderGraphStretched(1, 2, 30, 40, sub, 0);
  RenderGraphRotatedAtCentre(9.7f, -3.2f, 1.5, 0.25, sub, 1, 1);
  ASSERT_EQ(Recorded().size(), 3u);
  for (const auto& call : Recorded()) {
    EXPECT_EQ(call.target, &screen_) << call.name;
    EXPECT_EQ(call.source, &GetGraphRecord(sub)->view) << call.name;
    EXPECT_EQ(call.blendImage, &GetGraphRecord(blend)->view) << call.name;
  }
  EXPECT_EQ(Recorded()[0].args, (Args{7, 8, 1}));
  EXPECT_EQ(Recorded()[1].args, (Args{1, 2, 30, 40, 0}));
  // Centre truncated toward zero; angle then scale (here in thousandths).
  EXPECT_EQ(Recorded()[2].args, (Args{9, -3, 250, 1500, 1, 1}));
}

TEST_F(DrawingCalls, RotScaledPicksRotationStretchOrPlainDraw) {
  struct Case {
    const char* name;
    double x, y, cx, cy, scale, angle;
    int turn;
    const char* call;
    Args args;
  };
  const Case cases[] = {
      {"plain", 20, 30, 3, 2, 1.0, 0.0, 0, "blit", {17, 28, 1}},
      {"plain turned", 20, 30, 3, 2, 1.0, 0.0, 1, "blitScaled", {27, 28, 17, 34, 1}},
      {"scaled", 20, 30, 3, 2, 2.0, 0.0, 0, "blitScaled", {14, 26, 34, 38, 1}},
      {"scaled turned", 20, 30, 3, 2, 2.0, 0.0, 1, "blitScaled", {34, 26, 14, 38, 1}},
      // Graph centre (5, 3) is 2 right and 1 below the point (3, 2); doubled and
      // turned a quarter: the offset (4, 2) becomes (-2, 4).
      {"rotated", 20, 30, 3, 2, 2.0, M_PI / 2, 0, "blitRotated", {18, 34, 1570, 2000, 1, 0}},
  };
  for (const Case& c : cases) {
    Recorded().clear();
    EXPECT_EQ(RenderGraphRotScaled(c.x, c.y, c.cx, c.cy, c.scale, c.angle, graph_, 1, c.turn), 0) << c.name;
    ASSERT_EQ(Recorded().size(), 1u) << c.name;
    EXPECT_EQ(Recorded()[0].name, c.call) << c.name;
    EXPECT_EQ(Recorded()[0].args, c.args) << c.name;
  }
}

TEST_F(DrawingCalls, PartDrawsNarrowTheAreaAndPutItBackOnEveryPath) {
  SetClipRegion(0, 0, 50, 50);
  struct Case {
    const char* name;
    int graph, turn;
    int result;
    const char* call;
    Args args;
    DrawRect during;
  };
  const Case cases[] = {
      {"plain", 0, 0, 0, "blit", {10 - 3, 20 - 1, 1}, {10, 20, 14, 22}},
      {"turned", 0, 1, 0, "blitScaled", {10 - 10 + 3 + 4 + 10, 19, 10 - 10 + 3 + 4, 19 + 6, 1}, {10, 20, 14, 22}},
      {"invalid", kStale, 0, -1, nullptr, {}, {}},
      {"invalid turned", kStale, 1, -1, nullptr, {}, {}},
  };
  for (const Case& c : cases) {
    Recorded().clear();
    const int g = c.graph ? c.graph : graph_;
    EXPECT_EQ(RenderGraphPart(10, 20, 3, 1, 4, 2, g, 1, c.turn), c.result) << c.name;
    EXPECT_TRUE(SameRect(GetDrawArea(), DrawRect{0, 0, 50, 50})) << c.name;
    EXPECT_EQ(IsDrawAreaEmpty(), 0) << c.name;
    if (!c.call) {
      EXPECT_TRUE(Recorded().empty()) << c.name;
      continue;
    }
    ASSERT_EQ(Recorded().size(), 1u) << c.name;
    EXPECT_EQ(Recorded()[0].name, c.call) << c.name;
    EXPECT_EQ(Recorded()[0].args, c.args) << c.name;
    EXPECT_TRUE(SameRect(Recorded()[0].area, c.during)) << c.name;
  }
  // A part outside the area leaves nothing to draw, and the area comes back.
  Recorded().clear();
  EXPECT_EQ(RenderGraphPart(60, 60, 0, 0, 4, 4, graph_, 1, 0), 0);
  EXPECT_TRUE(Recorded().empty());
  EXPECT_TRUE(SameRect(GetDrawArea(), DrawRect{0, 0, 50, 50}));
  EXPECT_EQ(IsDrawAreaEmpty(), 0);
}

TEST_F(DrawingCalls, PartStretchedPlacesTheWholeGraphSoThatTheSourceCoversTheTarget) {
  // Source rectangle (2, 1, 4 x 2) of the 10 x 6 graph, doubled into 8 x 4.
  struct Case {
    const char* name;
    int x1, y1, x2, y2;
    Args args;
  };
  const Case cases[] = {
      {"upright", 10, 20, 18, 24, {10 - 4, 20 - 2, 10 + 16, 20 + 10, 1}},
      {"mirrored across", 18, 20, 10, 24, {18 + 4, 18, 18 - 16, 30, 1}},
      {"mirrored upside down", 10, 24, 18, 20, {6, 24 + 2, 26, 24 - 10, 1}},
  };
  for (const Case& c : cases) {
    Recorded().clear();
    EXPECT_EQ(RenderGraphPartStretched(c.x1, c.y1, c.x2, c.y2, 2, 1, 4, 2, graph_, 1), 0) << c.name;
    ASSERT_EQ(Recorded().size(), 1u) << c.name;
    EXPECT_EQ(Recorded()[0].args, c.args) << c.name;
    EXPECT_TRUE(SameRect(Recorded()[0].area, DrawRect{10, 20, 18, 24})) << c.name;
    EXPECT_TRUE(SameRect(GetDrawArea(), DrawRect{0, 0, kScreenSize, kScreenSize})) << c.name;
  }
  EXPECT_EQ(RenderGraphPartStretched(0, 0, 4, 4, 0, 0, 1, 1, kStale, 1), -1);
  EXPECT_EQ(RenderGraphPartStretched(0, 0, 4, 4, 0, 0, 0, 1, graph_, 1), 0);
  EXPECT_TRUE(SameRect(GetDrawArea(), DrawRect{0, 0, kScreenSize, kScreenSize}));
}

TEST_F(DrawingCalls, FreeQuadCornersTakeTheGraphsCornersInZOrder) {
  EXPECT_EQ(RenderGraphFreeQuadF(1.9f, 2.5f, 20, 3, 4, 30, 25.99f, 28, graph_, 1), 0);
  ASSERT_EQ(Recorded().size(), 2u);
  // Corners 1-2-3, then 2-3-4; each vertex x, y, u, v.
  EXPECT_EQ(Recorded()[0].args, (Args{1, 2, 0, 0, 20, 3, 10, 0, 4, 30, 0, 6, 1, 0}));
  EXPECT_EQ(Recorded()[1].args, (Args{20, 3, 10, 0, 4, 30, 0, 6, 25, 28, 10, 6, 1, 0}));
  EXPECT_EQ(Recorded()[0].source, &GetGraphRecord(graph_)->view);
}

TEST_F(DrawingCalls, ThickLinesBecomeTwoFlatTrianglesOverTheQuad) {
  struct Case {
    int thickness;
    std::vector<std::string> calls;
  };
  for (const Case& c : {Case{0, {"line"}}, Case{1, {"line"}}, Case{4, {"triangle", "triangle"}}}) {
    Recorded().clear();
    EXPECT_EQ(DrawLineSegment(0, 0, 10, 0, 0x123, c.thickness), 0);
    std::vector<std::string> names;
    for (const auto& call : Recorded()) names.push_back(call.name);
    EXPECT_EQ(names, c.calls) << c.thickness;
  }
  // Quad (0, -2), (10, -2), (10, 2), (0, 2), split along its diagonal.
  EXPECT_EQ(Recorded()[0].args, (Args{0, -2, 0, 0, 10, -2, 0, 0, 10, 2, 0, 0, 0, 0x123}));
  EXPECT_EQ(Recorded()[1].args, (Args{0, -2, 0, 0, 10, 2, 0, 0, 0, 2, 0, 0, 0, 0x123}));
  EXPECT_EQ(Recorded()[0].source, nullptr);
  Recorded().clear();
  EXPECT_EQ(DrawLineSegment(5, 5, 5, 5, 1, 3), 0);  // no length, no direction
  EXPECT_TRUE(Recorded().empty());
  EXPECT_EQ(DrawLineSegment(3, 4, 8, 9, 7, 0), 0);
  EXPECT_EQ(Recorded()[0].args, (Args{3, 4, 8, 9, 7}));
}

TEST_F(DrawingCalls, BoxFrameIsFourLinesOnTheEdgePixels) {
  ChooseBlendMode(1, 90);
  EXPECT_EQ(DrawBoxShape(10, 10, 20, 20, 0x55, 0), 0);
  ASSERT_EQ(Recorded().size(), 1u);
  EXPECT_EQ(Recorded()[0].name, "lineList");
  EXPECT_EQ(Recorded()[0].args, (Args{10, 10, 19, 10, 0x55, 90, 19, 10, 19, 19, 0x55, 90,  //
                                      19, 19, 10, 19, 0x55, 90, 10, 19, 10, 10, 0x55, 90}));
  Recorded().clear();
  EXPECT_EQ(DrawBoxShape(10, 10, 20, 20, 0x55, 1), 0);
  EXPECT_EQ(Recorded()[0].name, "box");
  EXPECT_EQ(Recorded()[0].args, (Args{10, 10, 20, 20, 0x55}));
}

TEST_F(DrawingCalls, CircleWithNegativeRadiusDrawsNothing) {
  EXPECT_EQ(DrawCircleShape(5, 5, -1, 1, 1), 0);
  EXPECT_TRUE(Recorded().empty());
  EXPECT_EQ(DrawCircleShape(5, 6, 0, 9, 1), 0);
  ASSERT_EQ(Recorded().size(), 1u);
  EXPECT_EQ(Recorded()[0].args, (Args{5, 6, 0, 9, 1}));
}

TEST_F(DrawingCalls, DrawsGoToTheSelectedTargetGraph) {
  const int target = MakeGraph(32, 32, 0);
  SelectDrawTarget(target);
  Recorded().clear();
  RenderGraphAtPoint(0, 0, graph_, 0);
  DrawBoxShape(0, 0, 3, 3, 1, 1);
  ASSERT_EQ(Recorded().size(), 2u);
  EXPECT_EQ(Recorded()[0].target, &GetGraphRecord(target)->view);
  EXPECT_EQ(Recorded()[1].target, &GetGraphRecord(target)->view);
  EXPECT_TRUE(SameRect(Recorded()[1].area, DrawRect{0, 0, 32, 32}));
}

TEST_F(DrawingCalls, PolygonColoursAreScaledByBrightnessAndBlendParameter) {
  const PolygonVertex v[2] = {{1, 2, 0.5f, 0.25f, 200, 100, 50, 255}, {3, 4, 0, 0, 255, 255, 255, 128}};
  DeviceVertex out[2];
  detail::BuildPolygonDeviceVertices(v, 2, out);  // untinted: bytes as given
  EXPECT_EQ(out[0].colour, 0xFF3264C8u);
  EXPECT_FLOAT_EQ(out[0].rhw, 1.0f);
  EXPECT_FLOAT_EQ(out[0].u, 0.5f);
  SetDrawColorScale(255, 128, 0);
  detail::BuildPolygonDeviceVertices(v, 2, out);  // mode 0: alpha stays
  EXPECT_EQ(out[1].colour, 0x80FF8000u);
  EXPECT_EQ(out[0].colour, 0xFF323200u);  // 100 * 128 / 255 = 50
  ChooseBlendMode(1, 128);
  detail::BuildPolygonDeviceVertices(v, 2, out);
  EXPECT_EQ(out[0].colour >> 24, 128u);
  EXPECT_EQ(out[1].colour >> 24, 64u);  // 128 * 128 / 255
  EXPECT_EQ(DrawVertexPolygon(v, 2, 5, -5, 0, 0), -1);  // no device in the software form
}

}  // namespace
}  // namespace veziv
