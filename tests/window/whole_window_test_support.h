// What the whole-window tests share: the library started in a real window of
// the given mode in a fresh folder (the test is skipped when no display can be
// opened), and the frame presented and read back from the display.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "library/foundation/start/library_start.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/pump.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/screen_mode.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"
#include "platform/window_capture/window_capture.h"

namespace veziv::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    // Archives are looked for from the start folder down, and each test has its own.
    platform::os::SetStartFolder(folder_.path());
    // The second-copy lock lives there, apart from any other run's.
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    // The window's zoom outlives the library, as a fresh process's would not.
    detail::ResetWindowStateForTest();
  }
  void TearDown() override {
    EndLibrary();
    std::filesystem::current_path(old_folder_);
  }

  // False (and the test skipped) when there is no display to open a window on.
  bool Start(int width, int height, int bits) {
    if (getenv("DISPLAY") == nullptr) return false;
    SwitchWindowedMode(1);
    if (SetScreenMode(width, height, bits, 60) != 0 || InitLibrary() != 0) return false;
    if (!platform::window::WindowIsOnXDisplay()) return false;
    SetPresentWaitsForVBlank(0);
    return true;
  }

  // The screen image's pixel as the window should show it (0xRRGGBB); a
  // 16-bit screen's channels widened so that full values become 255.
  static uint32_t ScreenPixelShown(int x, int y) {
    const SOFTSURFACE* image = detail::Screen().image;
    const uint8_t* p = image->pixels + y * image->base->pitch + x * image->base->bytesPerPixel;
    if (image->base->type == kSoftType32) {
      uint32_t v = 0;
      std::memcpy(&v, p, 4);
      return v & 0xFFFFFFu;
    }
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
    const uint32_t r = v >> 11 & 0x1F, g = v >> 5 & 0x3F, b = v & 0x1F;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }

  // Presents the frame and waits (a bounded while) until the display shows
  // it; then every pixel of the window must equal the screen image's, each
  // screen pixel shown as a zoom x zoom block.
  void ExpectWindowShowsTheScreen(int zoom = 1) {
    ASSERT_EQ(PresentBackBuffer(), 0);
    const SOFTSURFACE* image = detail::Screen().image;
    platform::window::WindowPixels shown;
    int mismatches = -1, first_x = 0, first_y = 0;
    for (int attempt = 0; attempt < 50 && mismatches != 0; ++attempt) {
      if (attempt > 0) {
        PumpMessages();
        WaitMilliseconds(20);
        ASSERT_EQ(PresentBackBuffer(), 0);
      }
      ASSERT_TRUE(platform::window::CaptureWindowPixels(&shown));
      ASSERT_EQ(shown.width, image->width * zoom);
      ASSERT_EQ(shown.height, image->height * zoom);
      mismatches = 0;
      for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
          if (shown.pixels[size_t(y) * size_t(shown.width) + size_t(x)] == ScreenPixelShown(x / zoom, y / zoom))
            continue;
          if (mismatches++ == 0) {
            first_x = x;
            first_y = y;
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << "first at " << first_x << "," << first_y << ": window "
                             << shown.pixels[size_t(first_y) * size_t(shown.width) + size_t(first_x)]
                             << ", screen " << ScreenPixelShown(first_x / zoom, first_y / zoom);
  }

  // Pixels of the screen image that are not black.
  static int LitPixels() {
    const SOFTSURFACE* image = detail::Screen().image;
    int lit = 0;
    for (int y = 0; y < image->height; ++y)
      for (int x = 0; x < image->width; ++x) lit += ScreenPixelShown(x, y) != 0;
    return lit;
  }

  test::TestFolder folder_;
  std::filesystem::path old_folder_;
};

}  // namespace veziv::test
