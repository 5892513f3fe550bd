// The screen mode: what SetScreenMode accepts and answers, the fallback ladder
// of a change against a display that refuses chosen modes, the size reported
// to the window and the projections, the software device set-up, the present
// rectangles and what reaches the window, and the display-mode list.
#include "library/graphics/screen/screen_mode.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "library/foundation/core/rect_matrix.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/screen/fresh_graphics_test_support.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_system.h"
#include "platform/os/clock.h"
#include "platform/window/inject.h"
#include "platform/window/window.h"

namespace veziv {
namespace {

namespace fs = std::filesystem;
namespace pw = platform::window;

// A display that refuses the modes listed, written "WxHxB" ("h" added for the
// half-size screen), and remembers every mode graphics tried to start in.
struct FakeDisplay {
  std::set<std::string> refused;
  std::vector<std::string> tried;
};
FakeDisplay g_display;

std::string ModeName() {
  const detail::GraphicsScreen& m = detail::Screen();
  std::string name = std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.bits);
  if (m.half_size) name += "h";
  return name;
}

int FakeSetupDevice() {
  g_display.tried.push_back(ModeName());
  return g_display.refused.count(ModeName()) ? -1 : 0;
}

class ScreenModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_display = FakeDisplay{};
    old_folder_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "veziv-screen-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = fs::canonical(pattern);
    fs::current_path(folder_);
    platform::os::UseManualClock(0);
    detail::StartScreenModeAfresh();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::WindowState().windowed = 1;
    // No window here: drawing must not wait for one to become active.
    detail::GraphicsCalls().window_is_active = [] { return 1; };
    detail::RegisteredSubsystems() = {};
    detail::RegisterGraphicsWithLibrary();
    detail::GraphicsLifecycleCalls().setup_device = FakeSetupDevice;
    pw::ForgetPresentedFrames();
  }
  void TearDown() override {
    EndLibrary();
    pw::StopVideo();
    pw::ForgetPresentedFrames();
    detail::ResetLibrarySubsystems();
    detail::StartScreenModeAfresh();
    detail::StartGraphicsContextAfresh();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::SetLogFolder("");
    platform::os::UseRealClock();
    fs::current_path(old_folder_);
    fs::remove_all(folder_);
  }
  std::string Log() const {
    std::ifstream in(folder_ / "Log.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // Started at 800 x 600 x 32, 60 Hz, as the game starts.
  void StartLibraryAt800x600() {
    ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
    ASSERT_EQ(detail::StartLibrary(), 0);
    ASSERT_EQ(detail::Screen().started, 1);
    g_display.tried.clear();
  }

  fs::path old_folder_;
  fs::path folder_;
};

TEST_F(ScreenModeTest, SetScreenModeBeforeStartChecksAndStores) {
  struct Case {
    int w, h, bits, refresh, result;
  };
  const Case cases[] = {
      {800, 600, 24, 60, -1}, {0, 600, 32, 60, -1}, {800, 0, 32, 60, -1}, {800, 600, 15, 0, -1},
      {320, 240, 8, 0, 0},    {640, 480, 16, 0, 0}, {800, 600, 32, 60, 0},
  };
  int w = 0, h = 0, bits = 0;
  for (const Case& c : cases) {
    GetScreenSizeAndDepth(&w, &h, &bits);
    const int before[] = {w, h, bits};
    EXPECT_EQ(SetScreenMode(c.w, c.h, c.bits, c.refresh), c.result) << c.w << "x" << c.h << "x" << c.bits;
    GetScreenSizeAndDepth(&w, &h, &bits);
    if (c.result == 0) {
      EXPECT_EQ(w, c.w);
      EXPECT_EQ(h, c.h);
      EXPECT_EQ(bits, c.bits);
      EXPECT_EQ(detail::Screen().refresh, c.refresh);
    } else {
      EXPECT_EQ(w, before[0]);
      EXPECT_EQ(h, before[1]);
      EXPECT_EQ(bits, before[2]);
    }
  }
  EXPECT_TRUE(g_display.tried.empty());
}

TEST_F(ScreenModeTest, ChangeBeforeStartLogsButKeepsTheMode) {
  ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  CreateLogFile();
  EXPECT_EQ(ChangeScreenMode(1024, 768, 16, 0, 0), 0);
  int w = 0, h = 0, bits = 0;
  GetScreenSizeAndDepth(&w, &h, &bits);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(bits, 32);
  EXPECT_NE(Log().find("画面モード変更処理を開始します"), std::string::npos);
  EXPECT_TRUE(g_display.tried.empty());
}

TEST_F(ScreenModeTest, StartFillsAnUnsetModeWith640x480x16) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  int w = 0, h = 0, bits = 0;
  GetScreenSizeAndDepth(&w, &h, &bits);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(g_display.tried, std::vector<std::string>{"640x480x16"});
}

TEST_F(ScreenModeTest, ChangesFallBackDownTheLadder) {
  struct Case {
    const char* what;
    int w, h, bits, refresh;
    std::set<std::string> refused;
    std::vector<std::string> tried;
    int result;
    int final_w, final_h, final_bits, final_refresh, final_half;
  };
  const Case cases[] = {
      {"accepted", 1024, 768, 32, 60, {}, {"1024x768x32"}, 0, 1024, 768, 32, 60, 0},
      {"same mode", 800, 600, 32, 60, {}, {}, 0, 800, 600, 32, 60, 0},
      {"320x240 as the half-size screen", 320, 240, 32, 60, {"320x240x32"}, {"320x240x32", "640x480x32h"}, -1,
       640, 480, 32, 60, 1},
      {"half size refused too: the old mode", 320, 240, 32, 60, {"320x240x32", "640x480x32h"},
       {"320x240x32", "640x480x32h", "800x600x32"}, -1, 800, 600, 32, 60, 0},
      {"refused: the old mode", 1024, 768, 16, 0, {"1024x768x16"}, {"1024x768x16", "800x600x32"}, -1, 800, 600, 32,
       60, 0},
      {"old mode refused: 640x480x16", 1024, 768, 16, 0, {"1024x768x16", "800x600x32"},
       {"1024x768x16", "800x600x32", "640x480x16"}, -2, 640, 480, 16, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartLibraryAt800x600();
    g_display.refused = c.refused;
    EXPECT_EQ(SetScreenMode(c.w, c.h, c.bits, c.refresh), c.result);
    EXPECT_EQ(g_display.tried, c.tried);
    const detail::GraphicsScreen& m = detail::Screen();
    EXPECT_EQ(m.width, c.final_w);
    EXPECT_EQ(m.height, c.final_h);
    EXPECT_EQ(m.bits, c.final_bits);
    EXPECT_EQ(m.refresh, c.final_refresh);
    EXPECT_EQ(m.half_size, c.final_half);
    EXPECT_EQ(m.started, 1);
    int sw = 0, sh = 0;
    detail::ScreenSize(&sw, &sh);
    EXPECT_EQ(sw, c.final_w);
    EXPECT_EQ(sh, c.final_h);
    EndLibrary();
    detail::StartScreenModeAfresh();
    detail::GraphicsLifecycleCalls().setup_device = FakeSetupDevice;
    g_display = FakeDisplay{};
  }
}

TEST_F(ScreenModeTest, UnchangedModeWithoutForceLogsNothingAndForceRestarts) {
  StartLibraryAt800x600();
  CreateLogFile();
  EXPECT_EQ(ChangeScreenMode(-1, -1, -1, 0, -1), 0);
  EXPECT_EQ(ChangeScreenMode(800, 600, 32, 0, 60), 0);
  EXPECT_TRUE(g_display.tried.empty());
  EXPECT_EQ(Log(), "");

  EXPECT_EQ(ChangeScreenMode(-1, -1, -1, 1, -1), 0);
  EXPECT_EQ(g_display.tried, std::vector<std::string>{"800x600x32"});
  const std::string log = Log();
  EXPECT_NE(log.find("画面モード変更処理を開始します"), std::string::npos) << log;
  EXPECT_NE(log.find("画面モード変更処理は正常に終了しました"), std::string::npos) << log;
}

TEST_F(ScreenModeTest, WindowModeSwitchRestartsGraphicsInTheSameMode) {
  StartLibraryAt800x600();
  EXPECT_EQ(detail::CallSites().change_screen_mode(), 0);
  EXPECT_EQ(g_display.tried, std::vector<std::string>{"800x600x32"});
}

TEST_F(ScreenModeTest, NothingStartingIsFatal) {
  StartLibraryAt800x600();
  g_display.refused = {"1024x768x32", "800x600x32", "640x480x16"};
  EXPECT_EXIT(ChangeScreenMode(1024, 768, 32, 0, -1), ::testing::ExitedWithCode(255), "");
  EXPECT_NE(Log().find("予期せぬ画面モード変更不能現象が起きました2"), std::string::npos);
}

TEST_F(ScreenModeTest, ScreenSizeReachesTheWindowAndTheProjections) {
  int w = -1, h = -1;
  EXPECT_EQ(GetScreenSizeOrDefault(&w, &h), 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(GetScreenSizeOrDefault(nullptr, nullptr), 0);

  ASSERT_EQ(SetScreenMode(800, 500, 32, 60), 0);
  detail::ScreenSize(&w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 500);
  Matrix from_screen{}, given{};
  ASSERT_EQ(BuildPerspectiveMatrix(&from_screen, 1.0f, 1.0f, 100.0f, -1.0f), 0);
  ASSERT_EQ(BuildPerspectiveMatrix(&given, 1.0f, 1.0f, 100.0f, 500.0f / 800.0f), 0);
  EXPECT_EQ(std::memcmp(&from_screen, &given, sizeof given), 0);
  EXPECT_EQ(detail::RegisteredSubsystems().screen_bits_per_pixel(), 32);
}

TEST_F(ScreenModeTest, LibraryStartTurnsTheVerticalBlankWaitOn) {
  ASSERT_EQ(SetScreenMode(800, 600, 32, 60), 0);
  ASSERT_EQ(SetPresentWaitsForVBlank(0), 0);
  EXPECT_EQ(GetPresentWaitsForVBlank(), 0);
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(GetPresentWaitsForVBlank(), 1);

  platform::os::AdvanceManualClock(7000);
  EXPECT_EQ(WaitFrameInterval(), 0);
  EXPECT_EQ(detail::Display().last_flip_ms, 7u);
}

TEST_F(ScreenModeTest, SoftwareDeviceInFullScreenTakesOnly16And32Bits) {
  detail::WindowState().windowed = 0;
  detail::GraphicsScreen& m = detail::Screen();
  struct Case {
    int bits, result;
  };
  for (const Case& c : {Case{8, -1}, Case{16, 0}, Case{32, 0}}) {
    CreateLogFile();
    m.width = 640;
    m.height = 480;
    m.bits = c.bits;
    EXPECT_EQ(detail::SetupSoftwareDevice(), c.result) << c.bits;
    const std::string log = Log();
    EXPECT_NE(log.find("画面モードの変更処理を開始します 640 x 480  " + std::to_string(c.bits) + " bit "),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("成功しました") != std::string::npos, c.result == 0) << log;
  }
  // With the window open, full screen covers the desktop.
  ASSERT_TRUE(pw::OpenWindow("s", pw::kCentred, pw::kCentred, 640, 480, false));
  EXPECT_EQ(detail::SetupSoftwareDevice(), 0);
  EXPECT_TRUE(pw::IsFullScreen());
  // Releasing the device gives the desktop back.
  detail::ReleaseGraphicsDevice();
  EXPECT_FALSE(pw::IsFullScreen());
  // Window mode needs nothing of the display.
  detail::WindowState().windowed = 1;
  m.bits = 8;
  EXPECT_EQ(detail::SetupSoftwareDevice(), 0);
}

TEST(PresentRects, SourceAndDestinationFollowHalfSizeAndZoom) {
  struct Case {
    int w, h;
    bool half, windowed;
    double zoom;
    pw::ScreenRect source, destination;
  };
  const Case cases[] = {
      {800, 600, false, true, 1.0, {0, 0, 800, 600}, {0, 0, 800, 600}},
      {800, 600, false, true, 1.5, {0, 0, 800, 600}, {0, 0, 1200, 900}},
      {640, 480, false, true, 0.7, {0, 0, 640, 480}, {0, 0, 448, 336}},
      {640, 480, true, true, 1.0, {0, 0, 320, 240}, {0, 0, 640, 480}},
      {640, 480, true, true, 2.0, {0, 0, 320, 240}, {0, 0, 1280, 960}},
      {800, 600, true, true, 1.0, {0, 0, 800, 600}, {0, 0, 800, 600}},  // only a 640 x 480 screen is halved
      {800, 600, false, false, 1.0, {0, 0, 800, 600}, {0, 0, 800, 600}},
      {640, 480, true, false, 1.0, {0, 0, 320, 240}, {0, 0, 640, 480}},
  };
  for (const Case& c : cases) {
    const detail::PresentRects r = detail::ComputePresentRects(c.w, c.h, c.half, c.windowed, c.zoom);
    const pw::ScreenRect got[] = {r.source, r.destination};
    const pw::ScreenRect want[] = {c.source, c.destination};
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(got[i].x, want[i].x) << c.w << " half " << c.half << " zoom " << c.zoom << " rect " << i;
      EXPECT_EQ(got[i].y, want[i].y) << c.w << " half " << c.half << " zoom " << c.zoom << " rect " << i;
      EXPECT_EQ(got[i].width, want[i].width) << c.w << " half " << c.half << " zoom " << c.zoom << " rect " << i;
      EXPECT_EQ(got[i].height, want[i].height) << c.w << " half " << c.half << " zoom " << c.zoom << " rect " << i;
    }
  }
}

TEST_F(ScreenModeTest, HalfSizeScreenShowsItsTopLeftQuarterEnlarged) {
  const int w = 640, h = 480, pitch = w * 4;
  std::vector<uint8_t> image(static_cast<size_t>(pitch) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t v = uint32_t(x) | uint32_t(y) << 12;
      std::memcpy(&image[static_cast<size_t>(y) * pitch + x * 4], &v, 4);
    }
  }
  // No window: nothing to show, and that is not a failure.
  EXPECT_EQ(detail::PresentScreenImage(image.data(), w, h, pitch), 0);
  EXPECT_EQ(pw::PresentedFrameCount(), 0);

  ASSERT_TRUE(pw::OpenWindow("h", pw::kCentred, pw::kCentred, w, h, false));
  SetHalfSizeScreenFlag(1);
  ASSERT_EQ(detail::PresentScreenImage(image.data(), w, h, pitch), 0);
  pw::PresentedFrame f;
  ASSERT_TRUE(pw::LastPresentedFrame(&f));
  ASSERT_EQ(f.width, 320);
  ASSERT_EQ(f.height, 240);
  EXPECT_EQ(f.pixels[0], 0u);
  EXPECT_EQ(f.pixels[239 * 320 + 319], 319u | 239u << 12);
  EXPECT_EQ(f.placement.width, 640);
  EXPECT_EQ(f.placement.height, 480);
  EXPECT_TRUE(f.waited_for_vblank);

  SetHalfSizeScreenFlag(0);
  SetPresentWaitsForVBlank(0);
  ASSERT_EQ(detail::PresentScreenImage(image.data(), w, h, pitch), 0);
  ASSERT_TRUE(pw::LastPresentedFrame(&f));
  EXPECT_EQ(f.width, 640);
  EXPECT_EQ(f.pixels[479 * 640 + 639], 639u | 479u << 12);
  EXPECT_FALSE(f.waited_for_vblank);

  EXPECT_EQ(detail::PresentScreenImage(nullptr, w, h, pitch), -1);
  EXPECT_EQ(detail::PresentScreenImage(image.data(), w, h, w * 2), -1);
  EXPECT_EQ(pw::PresentedFrameCount(), 2);
}

TEST(DisplayModeList, KeepsModesOfSixteenBitsAndMoreInOrder) {
  const std::vector<pw::DisplayMode> modes = {
      {640, 480, 8, 60}, {800, 600, 16, 60}, {1024, 768, 24, 0}, {640, 480, 32, 75}, {320, 200, 4, 70}};
  const std::vector<DisplayModeRecord> kept = detail::KeepListedModes(modes);
  ASSERT_EQ(kept.size(), 3u);
  const int want[3][4] = {{800, 600, 16, 60}, {1024, 768, 24, 0}, {640, 480, 32, 75}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(kept[i].width, want[i][0]);
    EXPECT_EQ(kept[i].height, want[i][1]);
    EXPECT_EQ(kept[i].colorBits, want[i][2]);
    EXPECT_EQ(kept[i].refreshRate, want[i][3]);
  }
}

TEST(DisplayModeList, EntriesOutsideTheListAreAllMinusOne) {
  const int count = GetDisplayModeCount();
  ASSERT_GE(count, 1);
  const DisplayModeRecord first = GetDisplayModeEntry(0);
  EXPECT_GT(first.width, 0);
  EXPECT_EQ(first.colorBits, 32);
  for (int index : {-1, count, count + 100}) {
    const DisplayModeRecord e = GetDisplayModeEntry(index);
    EXPECT_EQ(e.width, -1) << index;
    EXPECT_EQ(e.height, -1) << index;
    EXPECT_EQ(e.colorBits, -1) << index;
    EXPECT_EQ(e.refreshRate, -1) << index;
  }
  detail::ReleaseGraphicsDevice();
  EXPECT_FALSE(detail::Display().modes_listed);
  pw::StopVideo();
}

}  // namespace
}  // namespace veziv
