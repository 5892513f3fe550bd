// Presenting the screen image: where the picture lands, what the headless
// driver keeps, the desktop driver's texture path drawn by SDL's software
// renderer on the dummy video driver, and the display modes.
#include "platform/window/present.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/window/driver.h"
#include "platform/window/events.h"
#include "platform/window/inject.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

// A 32-bit image whose pixel (x, y) holds 0x00YYXX00 | marker, with spare bytes
// at the end of each row so that the pitch matters.
struct TestImage {
  int width;
  int height;
  int pitch;
  std::vector<uint8_t> bytes;

  TestImage(int w, int h, int spare = 8) : width(w), height(h), pitch(w * 4 + spare) {
    bytes.assign(static_cast<size_t>(pitch) * h, 0xEE);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t v = Value(x, y);
        std::memcpy(&bytes[static_cast<size_t>(y) * pitch + x * 4], &v, 4);
      }
    }
  }
  static uint32_t Value(int x, int y) { return 0x00000011u | uint32_t(x) << 8 | uint32_t(y) << 16; }
  ScreenImage View() const { return {bytes.data(), width, height, pitch}; }
};

PresentRequest Request(const TestImage& im, ScreenRect source, ScreenRect destination, bool vsync = true) {
  PresentRequest r;
  r.image = im.View();
  r.source = source;
  r.destination = destination;
  r.wait_for_vblank = vsync;
  return r;
}

void ExpectRect(const ScreenRect& got, const ScreenRect& want) {
  EXPECT_EQ(got.x, want.x);
  EXPECT_EQ(got.y, want.y);
  EXPECT_EQ(got.width, want.width);
  EXPECT_EQ(got.height, want.height);
}

class Present : public ::testing::Test {
 protected:
  void SetUp() override { ForgetPresentedFrames(); }
  void TearDown() override {
    StopVideo();
    ForgetPresentedFrames();
  }
};

TEST(PresentPlacement, WindowUsesTheDestinationFullScreenLetterboxesTheSource) {
  struct Case {
    ScreenRect source, destination;
    bool full_screen;
    int cw, ch;
    ScreenRect want;
  };
  const Case cases[] = {
      {{0, 0, 800, 600}, {0, 0, 800, 600}, false, 800, 600, {0, 0, 800, 600}},
      {{0, 0, 800, 600}, {0, 0, 1200, 900}, false, 1200, 900, {0, 0, 1200, 900}},  // zoomed window
      {{0, 0, 320, 240}, {0, 0, 640, 480}, false, 640, 480, {0, 0, 640, 480}},    // half size
      {{0, 0, 800, 600}, {0, 0, 800, 600}, true, 1920, 1080, {240, 0, 1440, 1080}},
      {{0, 0, 320, 240}, {0, 0, 640, 480}, true, 1280, 1024, {0, 32, 1280, 960}},
  };
  for (const Case& c : cases) {
    PresentRequest r;
    r.source = c.source;
    r.destination = c.destination;
    ExpectRect(PresentPlacement(r, c.full_screen, c.cw, c.ch), c.want);
  }
}

TEST_F(Present, HeadlessDriverKeepsTheSourcePartAndWhereItWent) {
  TestImage im(8, 6);
  EXPECT_FALSE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6})));  // no window yet
  EXPECT_EQ(PresentedFrameCount(), 0);

  ASSERT_TRUE(OpenWindow("p", kCentred, kCentred, 16, 12, false));
  ASSERT_TRUE(PresentScreenImage(Request(im, {2, 1, 4, 3}, {0, 0, 16, 12}, false)));
  PresentedFrame f;
  ASSERT_TRUE(LastPresentedFrame(&f));
  EXPECT_EQ(PresentedFrameCount(), 1);
  ASSERT_EQ(f.width, 4);
  ASSERT_EQ(f.height, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(f.pixels[y * 4 + x], TestImage::Value(2 + x, 1 + y)) << x << "," << y;
  }
  ExpectRect(f.placement, {0, 0, 16, 12});
  EXPECT_FALSE(f.waited_for_vblank);

  ASSERT_TRUE(SetFullScreen(true));
  const DesktopMode desk = GetDesktopMode();
  ASSERT_TRUE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6}, true)));
  ASSERT_TRUE(LastPresentedFrame(&f));
  ExpectRect(f.placement, LetterboxRect(desk.width, desk.height, 8, 6));
  EXPECT_TRUE(f.waited_for_vblank);
  EXPECT_EQ(PresentedFrameCount(), 2);
}

TEST_F(Present, HeadlessDriverAsksToQuitOnceItHasShownTheFramesAskedFor) {
  TestImage im(8, 6);
  ASSERT_TRUE(OpenWindow("p", kCentred, kCentred, 8, 6, false));
  std::vector<Message> drained;
  while (PollMessages(&drained)) {
  }
  auto CloseMessages = [] {
    std::vector<Message> messages;
    while (PollMessages(&messages)) {
    }
    int closes = 0;
    for (const Message& m : messages) closes += m.kind == MessageKind::WM_CLOSE ? 1 : 0;
    return closes;
  };
  QuitAfterPresentedFrames(2);
  ASSERT_TRUE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6})));
  EXPECT_EQ(CloseMessages(), 0);
  ASSERT_TRUE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6})));
  EXPECT_EQ(CloseMessages(), 1);
  ASSERT_TRUE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6})));
  EXPECT_EQ(CloseMessages(), 0) << "asked once";

  // Forgetting the frames forgets the wish too.
  QuitAfterPresentedFrames(1);
  ForgetPresentedFrames();
  ASSERT_TRUE(PresentScreenImage(Request(im, {0, 0, 8, 6}, {0, 0, 8, 6})));
  EXPECT_EQ(CloseMessages(), 0);
}

TEST_F(Present, RefusesRequestsThatDoNotDescribeThePixels) {
  TestImage im(8, 6);
  ASSERT_TRUE(OpenWindow("p", kCentred, kCentred, 16, 12, false));
  struct Case {
    const char* what;
    ScreenImage image;
    ScreenRect source;
    ScreenRect destination;
  };
  const ScreenImage good = im.View();
  const ScreenRect whole{0, 0, 8, 6};
  const Case cases[] = {
      {"no pixels", {nullptr, 8, 6, im.pitch}, whole, whole},
      {"pitch shorter than a row", {im.bytes.data(), 8, 6, 28}, whole, whole},
      {"empty source", good, {0, 0, 0, 6}, whole},
      {"source past the right edge", good, {1, 0, 8, 6}, whole},
      {"source past the bottom", good, {0, 4, 8, 3}, whole},
      {"negative source origin", good, {-1, 0, 4, 4}, whole},
      {"empty destination", good, whole, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    PresentRequest r;
    r.image = c.image;
    r.source = c.source;
    r.destination = c.destination;
    EXPECT_FALSE(PresentScreenImage(r)) << c.what;
  }
  EXPECT_EQ(PresentedFrameCount(), 0);
}

// The desktop driver's own path, drawn by SDL's software renderer into the
// dummy driver's window surface and read back.
class DesktopPresent : public Present {
 protected:
  std::vector<uint32_t> ReadBack(int w, int h) {
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    EXPECT_EQ(SDL_RenderReadPixels(detail::ModuleState().renderer, nullptr, SDL_PIXELFORMAT_RGB888, out.data(), w * 4),
              0)
        << SDL_GetError();
    return out;
  }
};

TEST_F(DesktopPresent, EnlargesTheSourcePartIntoThePlacementOverBlack) {
  ASSERT_TRUE(OpenWindow("d", kCentred, kCentred, 12, 8, false));
  TestImage im(8, 6);
  // Source 3 x 2 at (2, 1), shown twice as large at (2, 2).
  ASSERT_TRUE(detail::PresentOnDesktop(Request(im, {2, 1, 3, 2}, {}), {2, 2, 6, 4}));
  const std::vector<uint32_t> px = ReadBack(12, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 2 && y < 6;
      const uint32_t want = inside ? TestImage::Value(2 + (x - 2) / 2, 1 + (y - 2) / 2) : 0;
      EXPECT_EQ(px[y * 12 + x] & 0xFFFFFF, want) << x << "," << y;
    }
  }
}

TEST_F(DesktopPresent, NewSourceSizesAndANewWindowGetFreshObjects) {
  TestImage im(8, 6);
  ASSERT_TRUE(OpenWindow("d", kCentred, kCentred, 8, 6, false));
  ASSERT_TRUE(detail::PresentOnDesktop(Request(im, {0, 0, 8, 6}, {}), {0, 0, 8, 6}));
  ASSERT_TRUE(detail::PresentOnDesktop(Request(im, {4, 3, 4, 3}, {}, false), {0, 0, 8, 6}));
  EXPECT_EQ(ReadBack(8, 6)[0] & 0xFFFFFF, TestImage::Value(4, 3));

  CloseWindow();
  EXPECT_EQ(detail::ModuleState().renderer, nullptr);
  EXPECT_EQ(detail::ModuleState().texture, nullptr);
  ASSERT_TRUE(OpenWindow("d", kCentred, kCentred, 8, 6, false));
  ASSERT_TRUE(detail::PresentOnDesktop(Request(im, {0, 0, 8, 6}, {}), {0, 0, 8, 6}));
  const std::vector<uint32_t> px = ReadBack(8, 6);
  EXPECT_EQ(px[5 * 8 + 7] & 0xFFFFFF, TestImage::Value(7, 5));
}

TEST(DisplayModes, FourBytePixelsCountAsThirtyTwoBits) {
  struct Case {
    Uint32 format;
    int bits;
  };
  const Case cases[] = {
      {SDL_PIXELFORMAT_RGB888, 32},   {SDL_PIXELFORMAT_ARGB8888, 32}, {SDL_PIXELFORMAT_RGB24, 24},
      {SDL_PIXELFORMAT_RGB565, 16},   {SDL_PIXELFORMAT_RGB555, 16},   {SDL_PIXELFORMAT_INDEX8, 8},
  };
  for (const Case& c : cases) EXPECT_EQ(detail::StoredBitsPerPixel(c.format), c.bits) << SDL_GetPixelFormatName(c.format);
}

TEST(DisplayModes, ListsTheDummyDisplaysMode) {
  const std::vector<DisplayMode> modes = ListDisplayModes();
  ASSERT_FALSE(modes.empty());
  const DesktopMode desk = GetDesktopMode();
  EXPECT_EQ(modes[0].width, desk.width);
  EXPECT_EQ(modes[0].height, desk.height);
  EXPECT_EQ(modes[0].bits_per_pixel, 32);
  StopVideo();
}

}  // namespace
}  // namespace platform::window
