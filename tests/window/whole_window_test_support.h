// What the whole-window tests share: the library started in a real window of
// the given mode in a fresh folder (the test is skipped when no display can be
// opened), the screen image read back through the library's own capture, and
// the frame presented and read back from the display. Only the public calls.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "library/veziv.h"
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
  }
  void TearDown() override {
    EndLibrary();
    std::filesystem::current_path(old_folder_);
  }

  // False (and the test skipped) when there is no display to open a window on.
  bool Start(int width, int height, int bits) {
    if (getenv("DISPLAY") == nullptr) return false;
    SwitchWindowedMode(1);
    // A virtual display has no window manager to give the window focus: an
    // inactive window's pump waits for activation, which may never come.
    SetRunWhileInactive(1);
    if (SetScreenMode(width, height, bits, 60) != 0 || InitLibrary() != 0) return false;
    if (!platform::window::WindowIsOnXDisplay()) return false;
    SetPresentWaitsForVBlank(0);
    return true;
  }

  // The back screen as the window should show it, 0xRRGGBB row by row from
  // the top, read back as a bitmap written by WriteScreenRegionImage. A
  // 16-bit screen's channels are widened as the present widens them, so that
  // full values become 255. Empty when the bitmap cannot be written or read.
  struct ScreenShot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  };
  ScreenShot CaptureScreen() const {
    ScreenShot shot;
    int width = 0, height = 0;
    GetScreenSizeOrDefault(&width, &height);
    EXPECT_EQ(GetCurrentDrawTarget(), kTargetBackScreen);
    if (WriteScreenRegionImage(0, 0, width, height, "screen.bmp", 0, 0, 0, 0) != 0) return shot;
    std::ifstream in(folder_ / "screen.bmp", std::ios::binary);
    const std::vector<uint8_t> bmp{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto le32 = [&bmp](size_t at) {
      return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 | uint32_t(bmp[at + 3]) << 24;
    };
    if (bmp.size() < 54 || bmp[28] != 24 || int(le32(18)) != width || int(le32(22)) != height) return shot;
    const size_t row_size = (size_t(width) * 3 + 3) / 4 * 4;
    if (bmp.size() < le32(10) + row_size * size_t(height)) return shot;
    const bool sixteen = GetScreenColorBitDepth() == 16;
    shot.width = width;
    shot.height = height;
    shot.pixels.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = bmp.data() + le32(10) + row_size * size_t(height - 1 - y);
      for (int x = 0; x < width; ++x) {
        uint32_t b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
        if (sixteen) {
          r |= r >> 5;
          g |= g >> 6;
          b |= b >> 5;
        }
        shot.pixels[size_t(y) * size_t(width) + size_t(x)] = r << 16 | g << 8 | b;
      }
    }
    return shot;
  }

  // Presents the frame and waits (a bounded while) until the display shows
  // it; then every pixel of the window must equal the screen image's, each
  // screen pixel shown as a zoom x zoom block.
  void ExpectWindowShowsTheScreen(int zoom = 1) {
    ASSERT_EQ(PresentBackBuffer(), 0);
    // After the present: it draws the on-screen log into the screen image.
    const ScreenShot image = CaptureScreen();
    ASSERT_GT(image.width, 0);
    platform::window::WindowPixels shown;
    int mismatches = -1, first_x = 0, first_y = 0;
    for (int attempt = 0; attempt < 50 && mismatches != 0; ++attempt) {
      if (attempt > 0) {
        PumpMessages();
        WaitMilliseconds(20);
        ASSERT_EQ(PresentBackBuffer(), 0);
      }
      ASSERT_TRUE(platform::window::CaptureWindowPixels(&shown));
      ASSERT_EQ(shown.width, image.width * zoom);
      ASSERT_EQ(shown.height, image.height * zoom);
      mismatches = 0;
      for (int y = 0; y < shown.height; ++y) {
        for (int x = 0; x < shown.width; ++x) {
          if (shown.pixels[size_t(y) * size_t(shown.width) + size_t(x)] == image.At(x / zoom, y / zoom)) continue;
          if (mismatches++ == 0) {
            first_x = x;
            first_y = y;
          }
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << "first at " << first_x << "," << first_y << ": window "
                             << shown.pixels[size_t(first_y) * size_t(shown.width) + size_t(first_x)]
                             << ", screen " << image.At(first_x / zoom, first_y / zoom);
  }

  // Pixels of the screen image that are not black.
  int LitPixels() const {
    int lit = 0;
    for (const uint32_t pixel : CaptureScreen().pixels) lit += pixel != 0;
    return lit;
  }

  test::TestFolder folder_;
  std::filesystem::path old_folder_;
};

}  // namespace veziv::test
