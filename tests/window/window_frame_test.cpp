// A drawn frame presented in a real window: what the display shows is, pixel
// for pixel, the software screen image, on a 32-bit screen and on a 16-bit
// one (whose pixels are widened on the way), and, once the user has dragged
// the window larger, the image zoomed with each pixel repeated, and as it is
// once the window is dragged back.
#include <gtest/gtest.h>

#include "library/veziv.h"
#include "tests/window/whole_window_test_support.h"

namespace veziv::test {
namespace {

void DrawFrame(int width, int height) {
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(ClearDrawTarget(), 0);
  ASSERT_EQ(DrawBoxShape(0, 0, width, height / 3, PackColorForScreen(30, 60, 90), 1), 0);
  ASSERT_EQ(DrawBoxShape(40, 50, 300, 260, PackColorForScreen(255, 200, 0), 1), 0);
  ASSERT_EQ(DrawBoxShape(100, 300, 500, 420, PackColorForScreen(0, 255, 128), 0), 0);
  ASSERT_EQ(DrawCircleShape(width - 120, height - 120, 90, PackColorForScreen(200, 30, 220), 1), 0);

  const int graph = CreateEmptyGraph(64, 48, 0);
  ASSERT_GE(graph, 0);
  ASSERT_EQ(ClearGraphToColor(graph, 220, 110, 40, 255), 0);
  ASSERT_EQ(SelectDrawTarget(graph), 0);
  ASSERT_EQ(DrawBoxShape(8, 8, 40, 30, PackColorForScreen(20, 40, 250), 1), 0);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(RenderGraphAtPoint(20, height - 100, graph, 0), 0);
  ASSERT_EQ(RenderGraphRotatedAtCentre(width / 2.0f, height / 2.0f, 2.5, 0.6, graph, 0, 0), 0);
  ASSERT_EQ(ChooseBlendMode(1, 128), 0);
  ASSERT_EQ(RenderGraphRotatedAtCentre(width / 2.0f + 60, height / 2.0f + 40, 1.5, -0.3, graph, 0, 1), 0);
  ASSERT_EQ(ChooseBlendMode(0, 0), 0);
}

// Drags the window's client area to width x height from outside and waits (a
// bounded while) for the window to settle at the client size it should take.
void DragWindowTo(int width, int height, int settled_width, int settled_height) {
  ASSERT_TRUE(platform::window::ResizeWindowFromOutside(width, height));
  int rect[4] = {};
  for (int attempt = 0; attempt < 100; ++attempt) {
    WaitMilliseconds(20);
    GetWindowDrawRect(rect);
    if (rect[2] - rect[0] == settled_width && rect[3] - rect[1] == settled_height) break;
  }
  EXPECT_EQ(rect[2] - rect[0], settled_width);
  EXPECT_EQ(rect[3] - rect[1], settled_height);
}

TEST_F(WindowTest, DisplayShowsTheDrawnScreenImage) {
  struct Case {
    int width, height, bits;
  };
  for (const Case c : {Case{800, 600, 32}, Case{640, 480, 16}}) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits");
    if (!Start(c.width, c.height, c.bits)) GTEST_SKIP() << "no display to open a window on";
    DrawFrame(c.width, c.height);
    EXPECT_GT(LitPixels(), c.width * c.height / 3);
    ExpectWindowShowsTheScreen();
    EndLibrary();
  }
}

TEST_F(WindowTest, DraggedWindowShowsTheScreenZoomed) {
  if (!Start(400, 300, 32)) GTEST_SKIP() << "no display to open a window on";
  DrawFrame(400, 300);
  // Stripes one pixel wide: any smoothing of the zoom would blend them.
  for (int x = 0; x < 64; x += 2) ASSERT_EQ(DrawBoxShape(x, 200, x + 1, 264, PackColorForScreen(255, 255, 255), 1), 0);
  for (int y = 200; y < 264; y += 2) ASSERT_EQ(DrawBoxShape(80, y, 144, y + 1, PackColorForScreen(255, 0, 64), 1), 0);

  // The lower right corner dragged mostly to the right: the width leads.
  DragWindowTo(800, 500, 800, 600);
  EXPECT_EQ(GetWindowZoomRatio(), 2.0);
  ExpectWindowShowsTheScreen(2);

  // Dragged back, the window shows the screen as it is again. (The zoom
  // outlives the library, as the program's setting does: the next test's
  // window would open zoomed.)
  DragWindowTo(400, 300, 400, 300);
  EXPECT_EQ(GetWindowZoomRatio(), 1.0);
  ExpectWindowShowsTheScreen();
}

}  // namespace
}  // namespace veziv::test
