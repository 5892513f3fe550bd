// Graphics start and end inside the library's own start and end (headless):
// the screen image of the stored mode, what the end deletes, a device that
// cannot be set up, a mode change restarting everything, and what the present
// gives the window (also from the auto-presenting target's timer and the
// window's repaint; 16-bit screens widened; the on-screen log drawn plainly
// over the frame with the game's draw state put back).
#include "library/graphics/screen/graphics_system.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/pump.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "platform/os/clock.h"
#include "platform/window/inject.h"

namespace veziv {
namespace {

namespace fs = std::filesystem;
namespace pw = platform::window;

// The library starts in the log's folder, which also holds the second-copy
// lock apart from any other test's.
class GraphicsSystemTest : public test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    old_folder_ = fs::current_path();
    fs::current_path(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    detail::WindowState().windowed = 1;
    pw::ForgetPresentedFrames();
    detail::ResetLibrarySubsystems();
    detail::RegisterGraphicsWithLibrary();
  }
  void TearDown() override {
    EndLibrary();
    detail::ResetLibrarySubsystems();
    fs::current_path(old_folder_);
    LogFolderTest::TearDown();
  }
  void StartAt(int width, int height, int bits) {
    ASSERT_EQ(SetScreenMode(width, height, bits, 60), 0);
    ASSERT_EQ(detail::StartLibrary(), 0);
  }

  fs::path old_folder_;
};

TEST_F(GraphicsSystemTest, LibraryStartMakesTheScreenOfTheStoredModeAndItsEndDeletesEverything) {
  StartAt(800, 600, 32);
  const detail::GraphicsScreen& screen = detail::Screen();
  EXPECT_EQ(screen.started, 1);
  ASSERT_TRUE(SoftSurfaceIsValid(screen.image));
  EXPECT_EQ(screen.image->width, 800);
  EXPECT_EQ(screen.image->height, 600);
  EXPECT_EQ(screen.image->base->type, kSoftType32);
  EXPECT_EQ(GetCurrentDrawTarget(), kTargetAutoPresent);
  EXPECT_GE(GetCurrentLight(), 0);
  // The auto-presenting target shows the screen once its period has passed,
  // from the pump; the window's repaint shows it at once.
  const int shown = pw::PresentedFrameCount();
  platform::os::AdvanceManualClock(40000);
  PumpMessages();
  EXPECT_EQ(pw::PresentedFrameCount(), shown + 1);
  detail::CallSites().present_back_screen_again();
  EXPECT_EQ(pw::PresentedFrameCount(), shown + 2);
  // A second start changes nothing.
  EXPECT_EQ(StartGraphicsSystem(), 0);
  EXPECT_EQ(screen.image->width, 800);

  const int graph = CreateEmptyGraph(16, 16, 0);
  ASSERT_GE(graph, 0);
  const int light = CreateLightHandle();
  ASSERT_GE(light, 0);
  const int current = GetCurrentLight();

  EXPECT_EQ(EndLibrary(), 0);
  detail::CallSites().present_back_screen_again();
  EXPECT_EQ(pw::PresentedFrameCount(), shown + 2);
  EXPECT_EQ(screen.started, 0);
  EXPECT_EQ(screen.image, nullptr);
  EXPECT_EQ(IsGraphHandleValid(graph), 0);
  EXPECT_EQ(GetLightRecord(light), nullptr);
  EXPECT_EQ(GetLightRecord(current), nullptr);
  EXPECT_EQ(GetCurrentLight(), -1);
  EXPECT_EQ(PresentBackBuffer(), -1);
  const std::string log = ReadLog();
  EXPECT_NE(log.find(":\tTotal size:0(0.000kb)  Alloc num:0"), std::string::npos) << log;
  EXPECT_EQ(log.find("\tsize:"), std::string::npos) << log;

  // The library starts again from nothing, graphs numbered from the first slot.
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_TRUE(SoftSurfaceIsValid(detail::Screen().image));
  EXPECT_EQ(detail::GraphCount(), 0);
  EXPECT_EQ(detail::GraphEndMark(), 0);
}

TEST_F(GraphicsSystemTest, TheHardwareRoadAskedForHeadlessFallsBackToSoftwareAndSaysWhy) {
  ASSERT_EQ(SetHardwareRenderingWanted(1), 0);
  detail::GraphicsLifecycleCalls().setup_device = SetupGraphicsDevice;  // as graphics start has it
  StartAt(800, 600, 32);
  EXPECT_EQ(SetHardwareRenderingWanted(1), -1) << "chosen at the start only";
  EXPECT_EQ(detail::GpuInUse(), 0);
  const std::string log = ReadLog();
  EXPECT_NE(log.find("グラフィックデバイス(OpenGL)を作成します.... 作成に失敗しました、ソフトウエアで描画します ("),
            std::string::npos)
      << log;
  // The software road draws.
  SelectDrawTarget(kTargetBackScreen);
  ASSERT_EQ(DrawBoxShape(0, 0, 10, 10, PackColorForScreen(255, 0, 0), 1), 0);
  EXPECT_EQ(detail::Screen().image->pixels[2], 0xFF);
  EndLibrary();
  ASSERT_EQ(SetHardwareRenderingWanted(0), 0);
}

TEST_F(GraphicsSystemTest, DeviceThatCannotBeSetUpFailsTheStart) {
  ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  detail::GraphicsLifecycleCalls().setup_device = [] { return -1; };
  EXPECT_EQ(detail::StartLibrary(), -1);
  EXPECT_EQ(detail::IsLibraryInitialised(), 0);
  EXPECT_EQ(detail::Screen().started, 0);
  EXPECT_EQ(detail::Screen().image, nullptr);
  detail::GraphicsLifecycleCalls().setup_device = detail::SetupSoftwareDevice;
  EXPECT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(detail::Screen().started, 1);
}

TEST_F(GraphicsSystemTest, ModeChangeRestartsGraphicsInTheNewSize) {
  StartAt(800, 600, 32);
  const int graph = CreateEmptyGraph(16, 16, 0);
  ASSERT_GE(graph, 0);
  EXPECT_EQ(SetScreenMode(640, 480, 16, 60), 0);
  EXPECT_EQ(IsGraphHandleValid(graph), 0);
  const SOFTSURFACE* image = detail::Screen().image;
  ASSERT_TRUE(SoftSurfaceIsValid(image));
  EXPECT_EQ(image->width, 640);
  EXPECT_EQ(image->base->type, kSoftType16);
  EXPECT_EQ(GetCurrentDrawTarget(), kTargetAutoPresent);
}

TEST_F(GraphicsSystemTest, PresentShowsTheScreenImageWhileTheLibraryAndWindowAreUp) {
  EXPECT_EQ(PresentBackBuffer(), -1);
  StartAt(320, 200, 32);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(DrawBoxShape(10, 20, 30, 40, PackColorForScreen(255, 128, 0), 1), 0);
  ASSERT_EQ(PresentBackBuffer(), 0);
  EXPECT_EQ(PresentAfterEndScene(), 0);
  pw::PresentedFrame frame;
  ASSERT_TRUE(pw::LastPresentedFrame(&frame));
  ASSERT_EQ(frame.width, 320);
  ASSERT_EQ(frame.height, 200);
  const SOFTSURFACE* image = detail::Screen().image;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 320; ++x) {
      uint32_t want = 0;
      std::memcpy(&want, image->pixels + y * image->base->pitch + x * 4, 4);
      ASSERT_EQ(frame.pixels[y * 320 + x] & 0xFFFFFFu, want & 0xFFFFFFu) << x << "," << y;
    }
  }
  EXPECT_EQ(frame.pixels[25 * 320 + 15] & 0xFFFFFFu, 0xFF8000u);

  detail::WindowState().destroyed = 1;
  EXPECT_EQ(PresentBackBuffer(), -1);
  detail::WindowState().destroyed = 0;
  EXPECT_EQ(SetDeviceDialogBoxMode(1), 0);
  EXPECT_EQ(SetDialogBoxModeAfterEndScene(1), 0);
}

TEST_F(GraphicsSystemTest, SixteenBitScreenIsWidenedForTheWindow) {
  StartAt(64, 48, 16);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  struct Case {
    int r, g, b;
    uint32_t shown;
  };
  const Case cases[] = {
      {255, 255, 255, 0xFFFFFF}, {255, 0, 0, 0xFF0000}, {0, 255, 0, 0x00FF00},
      {0, 0, 255, 0x0000FF},     {0, 0, 0, 0x000000},   {128, 64, 8, 0x844108},
  };
  for (int i = 0; i < 6; ++i) {
    const Case& c = cases[i];
    ASSERT_EQ(DrawBoxShape(i * 10, 0, i * 10 + 10, 10, PackColorForScreen(c.r, c.g, c.b), 1), 0);
  }
  ASSERT_EQ(PresentBackBuffer(), 0);
  pw::PresentedFrame frame;
  ASSERT_TRUE(pw::LastPresentedFrame(&frame));
  ASSERT_EQ(frame.width, 64);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(frame.pixels[5 * 64 + i * 10 + 5] & 0xFFFFFFu, cases[i].shown) << i;
  }
}

// What the on-screen log saw of the draw state while it drew.
struct LogDrawing {
  int lines = 0;
  int blend_mode = -1;
  uint32_t brightness = 0;
  DrawRect area{};
};
LogDrawing g_log_drawing;

TEST_F(GraphicsSystemTest, ScreenLogIsDrawnPlainlyOverTheFrameAndTheDrawStateKept) {
  detail::ScreenLogServices services;
  services.ready = [] { return true; };
  services.screen_width = [] { return 320; };
  services.screen_height = [] { return 200; };
  services.create_font = [](int, int*) { return 1; };
  services.delete_font = [](int) {};
  services.measure = [](const char*, int bytes, int) { return bytes * 8; };
  services.draw_line = [](int, int, const char*, int) {
    ++g_log_drawing.lines;
    g_log_drawing.blend_mode = GetBlendMode();
    g_log_drawing.brightness = GetDrawColorWord() & 0xFFFFFFu;
    g_log_drawing.area = GetDrawArea();
  };
  detail::SetScreenLogServices(services);
  StartAt(320, 200, 32);
  ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  ASSERT_EQ(SetClipRegion(10, 10, 100, 50), 0);
  ASSERT_EQ(ChooseBlendMode(1, 128), 0);
  ASSERT_EQ(SetDrawColorScale(10, 20, 30), 0);

  EXPECT_EQ(PresentBackBuffer(), 0);
  EXPECT_EQ(g_log_drawing.lines, 0);  // nothing shown yet

  PrintfToScreen("score %d", 100);
  ASSERT_EQ(IsScreenLogActive(), 1);
  EXPECT_EQ(PresentBackBuffer(), 0);
  EXPECT_GT(g_log_drawing.lines, 0);
  EXPECT_EQ(g_log_drawing.blend_mode, 0);
  EXPECT_EQ(g_log_drawing.brightness, 0xFFFFFFu);
  EXPECT_EQ(g_log_drawing.area.left, 0);
  EXPECT_EQ(g_log_drawing.area.top, 0);
  EXPECT_EQ(g_log_drawing.area.right, 320);
  EXPECT_EQ(g_log_drawing.area.bottom, 200);

  EXPECT_EQ(GetBlendMode(), 1);
  EXPECT_EQ(GetBlendParam(), 128);
  EXPECT_EQ(GetDrawColorWord() & 0xFFFFFFu, 0x0A141Eu);
  const DrawRect area = GetDrawArea();
  EXPECT_EQ(area.left, 10);
  EXPECT_EQ(area.top, 10);
  EXPECT_EQ(area.right, 100);
  EXPECT_EQ(area.bottom, 50);
  EndLibrary();
  detail::SetScreenLogServices({});
}

}  // namespace
}  // namespace veziv
