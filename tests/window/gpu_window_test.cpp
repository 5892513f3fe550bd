// The hardware road in a real window: one frame of graphs, boxes, lines and
// strings drawn through the OpenGL device shows what the software road draws,
// within a small tolerance (rasterised lines, thick lines and turned graphs
// may take a neighbouring pixel), and the window shows the device's frame,
// put there by the device itself. These tests run with VEZIV_GPU=any, so
// that a device that is a software rasterizer (Mesa's llvmpipe on a virtual
// display) is taken too.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "library/veziv.h"
#include "tests/window/whole_window_test_support.h"

namespace veziv::test {
namespace {

constexpr int kWidth = 800, kHeight = 600;
// Left of this column the frame holds only boxes and axis-aligned graphs,
// which both roads draw to the same pixels; right of it lines, a circle and
// turned graphs.
constexpr int kExactRight = 520;

void DrawFrame() {
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(DrawBoxShape(0, 0, kExactRight, 60, PackColorForScreen(30, 60, 90), 1), 0);
  ASSERT_EQ(DrawBoxShape(10, 70, 200, 170, PackColorForScreen(255, 200, 0), 1), 0);
  ASSERT_EQ(DrawBoxShape(20, 180, 220, 260, PackColorForScreen(0, 255, 128), 0), 0);

  // A graph with a key-coloured (black) border and a blue box inside.
  const int graph = CreateEmptyGraph(64, 48, 0);
  ASSERT_GE(graph, 0);
  ASSERT_EQ(ClearGraphToColor(graph, 220, 110, 40, 255), 0);
  ASSERT_EQ(SelectDrawTarget(graph), 0);
  ASSERT_EQ(DrawBoxShape(0, 0, 64, 4, PackColorForScreen(0, 0, 0), 1), 0);
  ASSERT_EQ(DrawBoxShape(8, 8, 40, 30, PackColorForScreen(20, 40, 250), 1), 0);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);

  ASSERT_EQ(RenderGraphAtPoint(240, 80, graph, 0), 0);
  ASSERT_EQ(RenderGraphAtPoint(320, 80, graph, 1), 0);     // the key colour left out
  ASSERT_EQ(RenderGraphAtPoint(-20, 280, graph, 1), 0);    // cut at the screen's left edge
  ASSERT_EQ(RenderGraphStretched(100, 300, 228, 396, graph, 0), 0);  // twice the size
  ASSERT_EQ(RenderGraphMirrored(260, 300, graph, 0), 0);
  ASSERT_EQ(SetDrawColorScale(128, 255, 255), 0);
  ASSERT_EQ(RenderGraphAtPoint(340, 300, graph, 0), 0);  // darker red
  ASSERT_EQ(SetDrawColorScale(255, 255, 255), 0);
  ASSERT_EQ(ChooseBlendMode(1, 128), 0);
  ASSERT_EQ(RenderGraphAtPoint(400, 120, graph, 1), 0);
  ASSERT_EQ(DrawBoxShape(10, 420, 200, 500, PackColorForScreen(255, 255, 255), 1), 0);
  ASSERT_EQ(ChooseBlendMode(2, 200), 0);
  ASSERT_EQ(RenderGraphAtPoint(240, 420, graph, 0), 0);
  ASSERT_EQ(ChooseBlendMode(0, 0), 0);
  // A part of the graph: the draw area narrowed around it cuts the graph.
  ASSERT_EQ(RenderGraphPart(300, 440, 6, 6, 30, 20, graph, 0, 0), 0);
  ASSERT_EQ(RenderGraphPart(360, 440, 6, 6, 30, 20, graph, 0, 1), 0);

  // Strings through the glyph cache in textures.
  ASSERT_EQ(DrawTextDefaultFont(20, 520, "ストーリー Story 1.02", PackColorForScreen(255, 240, 200), 0), 0);
  ASSERT_EQ(DrawBoxShape(300, 520, 500, 560, PackColorForScreen(40, 80, 160), 1), 0);
  ASSERT_EQ(DrawTextDefaultFont(310, 525, "～渡り鳥～", PackColorForScreen(255, 255, 255), 0), 0);

  // Lines, a circle and turned graphs.
  ASSERT_EQ(DrawLineSegment(560, 20, 780, 20, PackColorForScreen(255, 255, 255), 1), 0);
  ASSERT_EQ(DrawLineSegment(560, 40, 560, 200, PackColorForScreen(255, 0, 0), 1), 0);
  ASSERT_EQ(DrawLineSegment(580, 40, 780, 190, PackColorForScreen(0, 255, 0), 1), 0);
  ASSERT_EQ(DrawCircleShape(660, 300, 70, PackColorForScreen(200, 30, 220), 1), 0);
  ASSERT_EQ(DrawCircleShape(660, 300, 90, PackColorForScreen(250, 250, 30), 0), 0);
  ASSERT_EQ(RenderGraphRotatedAtCentre(650.0f, 480.0f, 1.5, 0.6, graph, 0, 0), 0);
  ASSERT_EQ(DrawLineSegment(560, 570, 780, 590, PackColorForScreen(0, 200, 255), 4), 0);
  ASSERT_EQ(FreeGraphHandle(graph, 0), 0);

  // A piece of the frame captured into a graph and drawn again below.
  const int captured = CreateEmptyGraph(100, 40, 0);
  ASSERT_GE(captured, 0);
  ASSERT_EQ(CaptureScreenToGraph(10, 70, 110, 110, captured), 0);
  ASSERT_EQ(RenderGraphAtPoint(400, 540, captured, 0), 0);
  ASSERT_EQ(FreeGraphHandle(captured, 0), 0);
}

std::string LogText() {
  std::ifstream in("Log.txt", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GpuWindowTest : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    SetHardwareRenderingWanted(1);  // as a program starts
  }

  // The frame as the software road or the hardware road draws it; empty
  // (the test skipped) without a display or a device.
  ScreenShot DrawOn(bool hardware) {
    EXPECT_EQ(SetHardwareRenderingWanted(hardware ? 1 : 0), 0);
    // A start right after an end may find the display still busy with the
    // last window; it is tried once more.
    if (!Start(kWidth, kHeight, 32)) {
      EndLibrary();
      WaitMilliseconds(300);
      if (!Start(kWidth, kHeight, 32)) return {};
    }
    DrawFrame();
    EXPECT_EQ(PresentBackBuffer(), 0);
    ScreenShot shot = CaptureScreen();
    if (hardware) {
      ExpectWindowShowsTheScreen();
    }
    return shot;
  }
};

TEST_F(GpuWindowTest, TheDeviceDrawsTheFrameTheSoftwareRoadDraws) {
  const ScreenShot soft = DrawOn(false);
  if (soft.width == 0) GTEST_SKIP() << "no display to open a window on";
  EndLibrary();
  const ScreenShot gpu = DrawOn(true);
  ASSERT_EQ(gpu.width, kWidth) << LogText();
  if (LogText().find("グラフィックデバイス(OpenGL)を作成します.... 成功") == std::string::npos)
    GTEST_SKIP() << "no OpenGL device on this display";
  EXPECT_NE(LogText().find("ハードウエアで描画します"), std::string::npos) << LogText();

  auto differs = [&](int x, int y, int tolerance) {
    const uint32_t a = soft.At(x, y), b = gpu.At(x, y);
    for (int shift = 0; shift < 24; shift += 8)
      if (std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)) > tolerance) return true;
    return false;
  };
  int exact = 0, loose = 0, looseLit = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (x < kExactRight) {
        if (differs(x, y, 2) && exact++ == 0) firstX = x, firstY = y;
      } else {
        loose += differs(x, y, 2);
        looseLit += soft.At(x, y) != 0;
      }
    }
  }
  EXPECT_EQ(exact, 0) << "first at " << firstX << "," << firstY << ": software " << std::hex
                      << (firstX >= 0 ? soft.At(firstX, firstY) : 0) << ", device "
                      << (firstX >= 0 ? gpu.At(firstX, firstY) : 0);
  EXPECT_GT(looseLit, 10000);
  int textLit = 0;
  for (int y = 515; y < 550; ++y)
    for (int x = 15; x < 250; ++x) textLit += gpu.At(x, y) != 0;
  EXPECT_GT(textLit, 100) << "the string is on the device's frame";
  EXPECT_LT(loose, looseLit / 20) << "lines, circle and turned graph: pixels that differ";
}

TEST_F(GpuWindowTest, TheSoftwareRoadIsChosenBeforeTheStartOnly) {
  EXPECT_EQ(GetHardwareRenderingWanted(), 1) << "the device is the default";
  ASSERT_EQ(SetHardwareRenderingWanted(0), 0);
  if (!Start(kWidth, kHeight, 32)) GTEST_SKIP() << "no display to open a window on";
  EXPECT_EQ(LogText().find("OpenGL"), std::string::npos) << "no device is made when the program asks for none";
  EXPECT_EQ(SetHardwareRenderingWanted(1), -1) << "refused while graphics run";
  EXPECT_EQ(GetHardwareRenderingWanted(), 0);
}

TEST_F(GpuWindowTest, ASixteenBitScreenIsDrawnOnTheDevice) {
  if (!Start(640, 480, 16)) GTEST_SKIP() << "no display to open a window on";
  if (LogText().find("ハードウエアで描画します") == std::string::npos) GTEST_SKIP() << "no OpenGL device on this display";
  EXPECT_NE(LogText().find("画面のフォーマットは D3DFMT_R5G6B5 です"), std::string::npos) << LogText();
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(DrawBoxShape(10, 10, 100, 100, PackColorForScreen(255, 0, 0), 1), 0);
  ExpectWindowShowsTheScreen();
  EXPECT_EQ(LitPixels(), 90 * 90);
}

}  // namespace
}  // namespace veziv::test
