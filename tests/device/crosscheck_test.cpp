// The two roads side by side on the real device: a table of scenes, each
// drawn through the drawing calls once on the software road and once on the
// device (headless, through EGL; on this machine Mesa's llvmpipe, taken
// because the run sets VEZIV_GPU=any), the presented frames compared pixel
// by pixel with the tolerance each case allows: exact where both roads are
// exact, a stated bound per channel where blending rounds differently, and a
// count of pixels that may differ where rasterisers may take a neighbouring
// pixel (lines, quads, text edges).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/graphics_restore.h"
#include "library/veziv.h"
#include "platform/gpu/gl_driver_test_support.h"
#include "platform/os/clock.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"
#include "platform/window/inject.h"
#include "tests/fixtures/image_files_test_support.h"

namespace veziv::test {
namespace {

constexpr int kWidth = 320, kHeight = 240;

struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The graphs a scene draws with, made alike on each road.
struct Assets {
  int picture = -1;   // 64 x 48, a pattern in a black (key-colour) border
  int alpha = -1;     // 48 x 40 with alpha falling from left to right
  int wide = -1;      // 600 x 40: laid over several textures
  int gradient = -1;  // 64 x 48 grey ramp, a blend graph
  int target = -1;    // 96 x 64, drawn into
  int movie = -1;     // the demo data's opening movie
  int edgeFont = -1, smoothFont = -1;
  int dxt1 = -1, dxt5 = -1;  // block-compressed pictures, 64 x 64 and 32 x 32 with three levels
};

std::vector<uint8_t> PatternPng(int width, int height, bool alpha, int border) {
  PngRecipe png{width, height, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, 8, {}};
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
      const bool edge = x < border || y < border || x >= width - border || y >= height - border;
      row.push_back(edge ? 0 : Channel(x, y, 0));
      row.push_back(edge ? 0 : Channel(x, y, 1));
      row.push_back(edge ? 0 : static_cast<uint8_t>(255 * x / width));
      if (alpha) row.push_back(static_cast<uint8_t>(255 - 255 * x / (width - 1)));
    }
    png.rows.push_back(row);
  }
  return EncodePng(png);
}

int GraphFromFileBytes(const std::vector<uint8_t>& png) {
  return DecodeGraphFromBuffer(png.data(), static_cast<int>(png.size()), nullptr, 0, 1, 0);
}

// A block-compressed picture of side x side (a power of two) with its mip
// levels: each 4 x 4 block two end colours of its own and a pattern of
// picks between them; DXT5 blocks also an alpha ramp.
std::vector<uint8_t> CompressedPicture(bool dxt5, uint32_t side, uint32_t levels) {
  Bytes b;
  b.raw(DdsHeader({side, side, 0x4, dxt5 ? "DXT5" : "DXT1", 0, 0, 0, 0, 0, 0, levels}));
  for (uint32_t k = 0, w = side; k < std::max(1u, levels); ++k, w = std::max(1u, w / 2)) {
    const uint32_t blocks = std::max(1u, w / 4);
    for (uint32_t by = 0; by < blocks; ++by)
      for (uint32_t bx = 0; bx < blocks; ++bx) {
        if (dxt5) b.u8(255).u8(32).u16(0x2C8).u32(0x91A4C688u ^ (bx * 0x1111u));  // alpha ends, picks
        const uint32_t c0 = ((bx * 4 + k * 8) & 31) << 11 | ((by * 5) & 63) << 5 | 31;
        const uint32_t c1 = ((by * 3) & 31) << 11 | 40 << 5 | ((bx * 2) & 31);
        b.u16(std::max(c0, c1)).u16(std::min(c0, c1)).u32(0xE4E4E4E4u ^ (by * 0x01010101u));
      }
  }
  return b.data;
}

Assets MakeAssets() {
  Assets a;
  a.picture = GraphFromFileBytes(PatternPng(64, 48, false, 3));
  a.alpha = GraphFromFileBytes(PatternPng(48, 40, true, 0));
  a.wide = GraphFromFileBytes(PatternPng(600, 40, false, 1));
  PngRecipe ramp{64, 48, PNG_COLOR_TYPE_RGB, 8, {}};
  for (int y = 0; y < 48; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < 64; ++x)
      for (int c = 0; c < 3; ++c) row.push_back(static_cast<uint8_t>((x * 4 + y * 2) & 255));
    ramp.rows.push_back(row);
  }
  a.gradient = GraphFromFileBytes(EncodePng(ramp));
  a.target = CreateEmptyGraph(96, 64, 0);
  const std::string movie = std::string(VEZIV_RUN_FOLDER) + "/image/movie/opening.ogv";
  a.movie = ImportGraphFile(movie.c_str(), 0);
  a.edgeFont = CreateFontHandle(nullptr, 18, 6, FontTypeEdge, -1, 2, 0, -1, -1);
  a.smoothFont = CreateFontHandle(nullptr, 20, 9, FontTypeAntialiasEdge, -1, 1, 0, -1, -1);
  a.dxt1 = GraphFromFileBytes(CompressedPicture(false, 64, 0));
  a.dxt5 = GraphFromFileBytes(CompressedPicture(true, 32, 3));
  return a;
}

uint32_t Rgb(int r, int g, int b) { return PackColorForScreen(r, g, b); }

void Reset() {
  ChooseBlendMode(0, 0);
  SetDrawColorScale(255, 255, 255);
  SelectBlendImageGraph(-1, 0, 0);
  SetClipRegion(0, 0, kWidth, kHeight);
}

struct Tolerance {
  int channel = 0;  // the difference a channel may show
  int pixels = 0;   // how many pixels may go beyond it
};

struct Scene {
  const char* name;
  Tolerance tolerance;
  std::function<void(const Assets&)> draw;
  // On a 16-bit screen the device rounds each blend into five or six bits
  // where the software road cuts: a channel may differ by one step (9) more,
  // or as stated here where the software road's tables of five-bit fields
  // lose more.
  Tolerance at16Bits = {-1, -1};
  Tolerance For(int bits) const {
    if (bits != 16) return tolerance;
    return at16Bits.channel >= 0 ? at16Bits : Tolerance{tolerance.channel + 9, tolerance.pixels};
  }
};

// One scene a blend mode: a key-colour graph, an alpha graph and a box over
// a background.
Scene BlendScene(const char* name, int mode, int param, Tolerance tolerance, Tolerance at16Bits = {-1, -1}) {
  return {name, tolerance, [mode, param](const Assets& a) {
            DrawBoxShape(0, 0, kWidth, kHeight, Rgb(90, 120, 150), 1);
            ChooseBlendMode(mode, param);
            RenderGraphAtPoint(10, 10, a.picture, 1);
            RenderGraphAtPoint(90, 10, a.alpha, 1);
            DrawBoxShape(150, 10, 200, 60, Rgb(240, 60, 20), 1);
            DrawCircleShape(250, 40, 30, Rgb(20, 240, 60), 1);
            RenderGraphStretched(10, 80, 138, 176, a.picture, 1);
          },
          at16Bits};
}

std::vector<Scene> Scenes() {
  std::vector<Scene> scenes = {
      {"boxes, frames and the clear", {0, 0},
       [](const Assets&) {
         DrawBoxShape(10, 10, 110, 60, Rgb(200, 40, 40), 1);
         DrawBoxShape(20, 70, 300, 230, Rgb(40, 200, 90), 0);
         DrawBoxShape(300, 10, 250, 50, Rgb(30, 30, 250), 1);  // reversed corners
         DrawBoxShape(315, 200, 340, 260, Rgb(250, 250, 0), 1);  // cut at the screen's edge
       }},
      {"graphs at points, the key colour left out, cut by the screen and the draw area", {2, 0},
       [](const Assets& a) {
         RenderGraphAtPoint(10, 10, a.picture, 0);
         RenderGraphAtPoint(90, 10, a.picture, 1);
         RenderGraphAtPoint(-20, 120, a.picture, 1);
         RenderGraphAtPoint(290, 200, a.picture, 1);
         SetClipRegion(170, 20, 200, 50);
         RenderGraphAtPoint(160, 10, a.picture, 1);
         SetClipRegion(0, 0, kWidth, kHeight);
         RenderGraphPart(200, 100, 10, 10, 30, 20, a.picture, 0, 0);
         RenderGraphPart(240, 100, 10, 10, 30, 20, a.picture, 0, 1);
         RenderGraphAtPoint(10, 180, a.alpha, 1);
       }},
      {"a graph laid over several textures", {0, 0},
       [](const Assets& a) {
         RenderGraphAtPoint(-100, 20, a.wide, 0);
         RenderGraphAtPoint(-300, 100, a.wide, 1);
       }},
      {"the draw brightness on graphs, shapes and blends", {2, 0},
       [](const Assets& a) {
         DrawBoxShape(0, 0, kWidth, kHeight, Rgb(60, 60, 60), 1);
         SetDrawColorScale(128, 200, 255);
         RenderGraphAtPoint(10, 10, a.picture, 1);
         DrawBoxShape(100, 10, 150, 60, Rgb(255, 255, 255), 1);
         ChooseBlendMode(1, 160);
         RenderGraphAtPoint(160, 10, a.alpha, 1);
         SetDrawColorScale(255, 60, 60);
         ChooseBlendMode(2, 255);
         RenderGraphAtPoint(10, 120, a.picture, 0);
       }},
      {"graphs stretched, shrunk and mirrored", {2, 0},
       [](const Assets& a) {
         RenderGraphStretched(10, 10, 138, 106, a.picture, 0);       // twice
         RenderGraphStretched(150, 10, 246, 82, a.picture, 1);       // one and a half
         RenderGraphStretched(250, 10, 288, 39, a.picture, 0);       // shrunk
         RenderGraphStretched(138, 120, 10, 230, a.picture, 1);      // mirrored both ways
         RenderGraphMirrored(160, 120, a.picture, 0);
         RenderGraphRotScaled(260, 180, 32, 24, 1.3, 0.0, a.alpha, 1, 1);
       }},
      {"graphs turned a quarter, half and three quarters", {0, 0},
       [](const Assets& a) {
         RenderGraphRotatedAtCentre(60.0f, 60.0f, 1.0, 1.5707963267948966, a.picture, 1, 0);
         RenderGraphRotatedAtCentre(160.0f, 60.0f, 1.0, 3.141592653589793, a.picture, 1, 0);
         RenderGraphRotatedAtCentre(260.0f, 60.0f, 1.0, 4.71238898038469, a.picture, 0, 0);
         RenderGraphRotatedAtCentre(60.0f, 170.0f, 2.0, 1.5707963267948966, a.picture, 0, 0);
       }},
      {"graphs turned and scaled at any angle", {16, 20},
       [](const Assets& a) {
         RenderGraphRotatedAtCentre(70.0f, 70.0f, 1.5, 0.6, a.picture, 0, 0);
         RenderGraphRotatedAtCentre(200.0f, 70.0f, 0.8, -1.1, a.picture, 1, 0);
         RenderGraphRotScaled(120, 180, 10, 10, 1.25, 2.5, a.alpha, 1, 0);
       }},
      {"free quads", {16, 100},
       [](const Assets& a) {
         RenderGraphFreeQuad(20, 20, 120, 30, 10, 110, 130, 100, a.picture, 0);
         RenderGraphFreeQuad(160, 20, 260, 20, 160, 80, 260, 80, a.picture, 1);  // upright: a stretch
         RenderGraphFreeQuadF(150.0f, 120.0f, 300.0f, 140.0f, 170.0f, 220.0f, 290.0f, 200.0f, a.alpha, 1);
       }},
      {"thin lines", {0, 0},
       [](const Assets&) {
         DrawLineSegment(10, 10, 300, 10, Rgb(255, 255, 255), 1);
         DrawLineSegment(10, 20, 10, 200, Rgb(255, 0, 0), 1);
         DrawLineSegment(20, 30, 300, 220, Rgb(0, 255, 0), 1);
         DrawLineSegment(300, 40, 30, 100, Rgb(250, 0, 250), 1);
         DrawLineSegment(-50, 120, 400, 160, Rgb(250, 250, 250), 1);  // clipped at both ends
         ChooseBlendMode(1, 128);
         DrawLineSegment(40, 230, 290, 130, Rgb(250, 250, 0), 1);
       }},
      {"thick lines", {16, 300},
       [](const Assets&) {
         DrawLineSegment(40, 200, 300, 60, Rgb(0, 200, 255), 4);
         DrawLineSegment(60, 40, 60, 180, Rgb(250, 200, 0), 3);
         DrawLineSegment(100, 30, 280, 30, Rgb(250, 0, 100), 6);
       }},
      {"circles and discs", {0, 0},
       [](const Assets&) {
         DrawCircleShape(80, 80, 60, Rgb(200, 30, 220), 1);
         DrawCircleShape(80, 80, 70, Rgb(250, 250, 30), 0);
         DrawCircleShape(230, 150, 40, Rgb(30, 250, 250), 1);
         ChooseBlendMode(1, 128);
         DrawCircleShape(260, 170, 50, Rgb(250, 250, 250), 1);
         DrawCircleShape(5, 230, 30, Rgb(250, 100, 100), 1);  // cut by the screen
       }},
      {"strings through the glyph cache", {32, 0},
       [](const Assets& a) {
         DrawBoxShape(0, 0, kWidth, kHeight, Rgb(40, 60, 110), 1);
         DrawTextDefaultFont(10, 10, "ストーリー Story 1.02", Rgb(255, 240, 200), 0);
         DrawTextWithFont(10, 50, "～渡り鳥～ edge", Rgb(255, 255, 255), a.edgeFont, Rgb(0, 0, 0), 0);
         DrawTextWithFont(10, 90, "滑らか smooth", Rgb(255, 220, 120), a.smoothFont, Rgb(90, 0, 0), 0);
         ChooseBlendMode(1, 150);
         DrawTextWithFont(10, 140, "半透明 blend", Rgb(255, 255, 255), a.edgeFont, Rgb(0, 0, 0), 0);
         ChooseBlendMode(0, 0);
         DrawTextWithFont(280, 20, "縦書き", Rgb(255, 255, 255), a.edgeFont, Rgb(0, 0, 0), 1);
       }},
      {"drawing into a graph, then the graph drawn", {0, 0},
       [](const Assets& a) {
         SelectDrawTarget(a.target);
         ClearDrawTarget();
         DrawBoxShape(4, 4, 60, 40, Rgb(220, 110, 40), 1);
         RenderGraphAtPoint(30, 20, a.picture, 1);
         DrawCircleShape(70, 40, 20, Rgb(20, 200, 250), 1);
         SelectDrawTarget(kTargetBackScreen);
         Reset();
         RenderGraphAtPoint(10, 10, a.target, 0);
         RenderGraphStretched(120, 10, 312, 138, a.target, 0);
       }},
      {"the screen captured into a graph and drawn again", {0, 0},
       [](const Assets& a) {
         RenderGraphAtPoint(0, 0, a.picture, 0);
         DrawBoxShape(20, 20, 50, 40, Rgb(0, 255, 0), 1);
         const int captured = CreateEmptyGraph(64, 48, 0);
         CaptureScreenToGraph(0, 0, 64, 48, captured);
         RenderGraphAtPoint(150, 100, captured, 0);
         FreeGraphHandle(captured, 0);
       }},
      {"a blend graph over graphs", {3, 0},
       [](const Assets& a) {
         DrawBoxShape(0, 0, kWidth, kHeight, Rgb(30, 30, 30), 1);
         SelectBlendImageGraph(a.gradient, 128, 255);
         RenderGraphAtPoint(10, 10, a.picture, 0);
         SelectBlendImageGraph(a.gradient, 60, 64);
         RenderGraphAtPoint(100, 10, a.picture, 0);
         SelectBlendImageGraph(a.gradient, 200, 1);
         RenderGraphAtPoint(190, 10, a.picture, 0);
       }},
      {"masked drawing", {0, 0},
       [](const Assets& a) {
         RenderGraphAtPoint(0, 0, a.picture, 0);
         SetupMaskScreen(1);
         int pitch = 0;
         uint8_t* mask = detail::MaskBytes(&pitch);
         for (int y = 0; y < kHeight; ++y)
           for (int x = 0; x < kWidth; ++x) mask[y * pitch + x] = ((x / 16 + y / 16) % 2) ? 1 : 0;
         SetMaskScreenUse(1);
         DrawBoxShape(20, 20, 300, 200, Rgb(250, 60, 60), 1);
         RenderGraphAtPoint(100, 100, a.picture, 1);
         SetMaskScreenUse(0);
         EndMaskSystem();
       }},
      {"coordinates at the ends of the int range", {0, 0},
       [](const Assets& a) {
         const int values[] = {INT_MIN, -1, 0, 100, INT_MAX};
         for (const int p : values)
           for (const int q : values) {
             RenderGraphAtPoint(p, q, a.picture, 1);
             RenderGraphStretched(p, q, q, p, a.picture, 1);
             RenderGraphRotatedAtCentre(float(p), float(q), 1.5, 0.5, a.picture, 1, 0);
             RenderGraphPart(p, q, q, p, p, q, a.picture, 1, 0);
             RenderGraphFreeQuad(p, q, q, p, p, p, q, q, a.picture, 1);
             DrawBoxShape(p, q, q, p, Rgb(250, 0, 0), 1);
             DrawBoxShape(p, q, q, p, Rgb(0, 250, 0), 0);
             DrawCircleShape(p, q, 20, Rgb(0, 0, 250), 1);
             DrawLineSegment(p, q, q, p, Rgb(250, 250, 0), 1);
           }
       }},
      {"block-compressed pictures", {4, 0},
       [](const Assets& a) {
         DrawBoxShape(0, 0, kWidth, kHeight, Rgb(70, 90, 40), 1);
         RenderGraphAtPoint(10, 10, a.dxt1, 0);
         RenderGraphAtPoint(100, 10, a.dxt5, 1);
         ChooseBlendMode(1, 200);
         RenderGraphAtPoint(150, 10, a.dxt5, 1);
       }},
      {"a movie's first frame", {4, 0},
       [](const Assets& a) {
         if (a.movie != -1) RenderGraphStretched(0, 0, kWidth, kHeight, a.movie, 0);
       }},
  };
  const Scene blends[] = {
      BlendScene("blend mode 1 (alpha) at 128", 1, 128, {2, 0}),
      BlendScene("blend mode 1 (alpha) at 255", 1, 255, {2, 0}),
      BlendScene("blend mode 2 (add) at 200", 2, 200, {2, 0}, {25, 0}),
      BlendScene("blend mode 3 (subtract) at 160", 3, 160, {4, 0}, {25, 0}),
      BlendScene("blend mode 4 (multiply)", 4, 255, {2, 0}),
      BlendScene("blend mode 10 (inverted source) at 100", 10, 100, {2, 0}),
      BlendScene("blend mode 11 (multiply blend) at 150", 11, 150, {2, 0}),
  };
  scenes.insert(scenes.end(), std::begin(blends), std::end(blends));
  return scenes;
}

Frame PresentedFrame() {
  Frame frame;
  if (PresentBackBuffer() != 0) return frame;
  platform::window::PresentedFrame shown;
  if (!platform::window::LastPresentedFrame(&shown)) return frame;
  frame.width = shown.width, frame.height = shown.height;
  for (uint32_t p : shown.pixels) frame.pixels.push_back(p & 0xFFFFFF);
  return frame;
}

std::string LogText() {
  std::ifstream in("Log.txt", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RoadsSideBySide : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::gpu::test::KeepGlDriverLoaded();
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    platform::os::SetStartFolder(folder_.path());
  }
  void TearDown() override {
    EndLibrary();
    SetHardwareRenderingWanted(1);
    std::filesystem::current_path(old_);
  }

  // The library started afresh on one road; false when the road cannot be had.
  bool StartRoad(bool device, int bits = 32) {
    EndLibrary();
    SetHardwareRenderingWanted(device ? 1 : 0);
    SwitchWindowedMode(1);
    if (SetScreenMode(kWidth, kHeight, bits, 60) != 0 || InitLibrary() != 0) return false;
    SetPresentWaitsForVBlank(0);
    const bool onDevice = LogText().find("ハードウエアで描画します") != std::string::npos;
    return onDevice == device;
  }

  // Every scene's frame on one road; false when the road cannot be had.
  bool DrawAll(bool device, std::vector<Frame>* frames, int bits = 32) {
    if (!StartRoad(device, bits)) return false;
    const Assets assets = MakeAssets();
    for (const Scene& scene : Scenes()) {
      SelectDrawTarget(kTargetBackScreen);
      Reset();
      ClearDrawTarget();
      scene.draw(assets);
      Reset();
      frames->push_back(PresentedFrame());
    }
    return true;
  }

  TestFolder folder_;
  std::filesystem::path old_;
};

class EveryScene : public RoadsSideBySide, public ::testing::WithParamInterface<int> {};

TEST_P(EveryScene, AgreesOnBothRoadsWithinItsTolerance) {
  const int bits = GetParam();
  std::vector<Frame> software, device;
  ASSERT_TRUE(DrawAll(false, &software, bits));
  if (!DrawAll(true, &device, bits)) GTEST_SKIP() << "no device here: " << LogText();
  const std::vector<Scene> scenes = Scenes();
  ASSERT_EQ(software.size(), scenes.size());
  ASSERT_EQ(device.size(), scenes.size());
  for (size_t i = 0; i < scenes.size(); ++i) {
    SCOPED_TRACE(scenes[i].name);
    const Frame& s = software[i];
    const Frame& d = device[i];
    ASSERT_EQ(s.width, kWidth);
    ASSERT_EQ(d.width, kWidth);
    int beyond = 0, worst = 0, lit = 0, firstX = -1, firstY = -1, worstX = 0, worstY = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const uint32_t a = s.At(x, y), b = d.At(x, y);
        lit += a != 0;
        int diff = 0;
        for (int shift = 0; shift < 24; shift += 8)
          diff = std::max(diff, std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)));
        if (diff > worst) worst = diff, worstX = x, worstY = y;
        if (diff > scenes[i].For(bits).channel && beyond++ == 0) firstX = x, firstY = y;
      }
    EXPECT_GT(lit, 100) << "the scene draws something";
    EXPECT_LE(beyond, scenes[i].For(bits).pixels)
        << "worst channel difference " << worst << "; first beyond at " << firstX << "," << firstY << ": software "
        << std::hex << (firstX >= 0 ? s.At(firstX, firstY) : 0) << ", device " << (firstX >= 0 ? d.At(firstX, firstY) : 0);
    std::printf("%-80s worst %3d at %d,%d (%06x against %06x), beyond %d\n", scenes[i].name, worst, worstX, worstY,
                s.At(worstX, worstY), d.At(worstX, worstY), beyond);
    // VEZIV_CROSSCHECK_FRAMES names a folder for the frames of both roads, to look at.
    if (const char* folder = std::getenv("VEZIV_CROSSCHECK_FRAMES")) {
      for (int road = 0; road < 2; ++road) {
        const Frame& f = road == 0 ? s : d;
        PngRecipe png{kWidth, kHeight, PNG_COLOR_TYPE_RGB, 8, {}};
        for (int y = 0; y < kHeight; ++y) {
          std::vector<uint8_t> row;
          for (int x = 0; x < kWidth; ++x)
            for (int shift : {16, 8, 0}) row.push_back(static_cast<uint8_t>(f.At(x, y) >> shift));
          png.rows.push_back(row);
        }
        const std::vector<uint8_t> bytes = EncodePng(png);
        std::ofstream(std::string(folder) + "/" + std::to_string(bits) + "-" + std::to_string(i) +
                          (road == 0 ? "-software.png" : "-device.png"),
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ScreenDepths, EveryScene, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "Bits"; });

TEST_F(RoadsSideBySide, AMovieGraphShowsEachNewFrameOnEitherRoad) {
  for (const bool device : {false, true}) {
    SCOPED_TRACE(device ? "device" : "software");
    if (!StartRoad(device)) {
      ASSERT_TRUE(device) << LogText();
      GTEST_SKIP() << "no device here: " << LogText();
    }
    const std::string file = std::string(VEZIV_RUN_FOLDER) + "/image/movie/opening.ogv";
    const int movie = ImportGraphFile(file.c_str(), 0);
    ASSERT_NE(movie, -1);
    ASSERT_EQ(StartGraphMovie(movie, 0, 0), 0);
    std::set<std::vector<uint32_t>> shown;
    for (int i = 0; i < 12; ++i) {
      platform::os::Sleep(120);
      RenderGraphStretched(0, 0, kWidth, kHeight, movie, 0);
      shown.insert(PresentedFrame().pixels);
    }
    EXPECT_GE(shown.size(), 4u) << "the picture moves with the movie";
  }
}

// A scene of what a device loss takes away: pictures from files (one of
// them block-compressed), one from memory, a graph drawn into, a string.
struct LossScene {
  int picture = -1, compressed = -1, fromMemory = -1, target = -1, font = -1;
  void Draw() const {
    SelectDrawTarget(target);
    ClearDrawTarget();
    DrawBoxShape(4, 4, 60, 40, Rgb(220, 110, 40), 1);
    SelectDrawTarget(kTargetBackScreen);
    ClearDrawTarget();
    RenderGraphAtPoint(10, 10, picture, 1);
    RenderGraphAtPoint(100, 10, compressed, 0);
    RenderGraphAtPoint(10, 100, fromMemory, 0);
    RenderGraphAtPoint(180, 100, target, 0);
    DrawTextWithFont(10, 200, "復帰 restored", Rgb(255, 255, 255), font, Rgb(0, 0, 0), 0);
  }
};

int& RestoreCalls() {
  static int calls = 0;
  return calls;
}

int& CompressedGraph() {
  static int graph = -1;
  return graph;
}

TEST_F(RoadsSideBySide, ADeviceLossIsRecoveredWithEveryPictureAndStringBack) {
  if (!StartRoad(true)) GTEST_SKIP() << "no device here: " << LogText();
  auto write = [](const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  write("picture.png", PatternPng(64, 48, false, 3));
  write("compressed.dds", CompressedPicture(false, 64, 0));
  LossScene scene;
  scene.picture = ImportGraphFile("picture.png", 0);
  scene.compressed = ImportGraphFile("compressed.dds", 0);
  scene.fromMemory = GraphFromFileBytes(PatternPng(48, 40, true, 0));
  scene.target = CreateEmptyGraph(64, 48, 0);
  scene.font = CreateFontHandle(nullptr, 18, 6, FontTypeEdge, -1, 2, 0, -1, -1);
  ASSERT_NE(scene.compressed, -1);
  ASSERT_NE(scene.font, -1);
  scene.Draw();
  const Frame before = PresentedFrame();

  // Without a restore callback the files are read again; what came from
  // memory keeps its picture from the software image.
  detail::SimulateDeviceLoss();
  ASSERT_EQ(RecoverLostDevice(), 0);
  EXPECT_NE(LogText().find("グラフィックデバイスを復帰します"), std::string::npos);
  EXPECT_NE(LogText().find("グラフィックを復帰します"), std::string::npos);
  ASSERT_EQ(detail::GpuInUse(), 1);
  scene.Draw();
  const Frame reloaded = PresentedFrame();
  EXPECT_EQ(reloaded.pixels, before.pixels);

  // With one, the program's callback does the restoring instead; the block-
  // compressed picture has nothing else to come back from.
  RestoreCalls() = 0;
  CompressedGraph() = scene.compressed;
  SetGraphicsRestoreCallback([] {
    ++RestoreCalls();
    const std::vector<uint8_t> file = CompressedPicture(false, 64, 0);
    RedecodeGraphFromBuffer(file.data(), static_cast<int>(file.size()), CompressedGraph(), nullptr, 0, 0, 0);
  });
  detail::SimulateDeviceLoss();
  ASSERT_EQ(RecoverLostDevice(), 0);
  EXPECT_EQ(RestoreCalls(), 1);
  scene.Draw();
  EXPECT_EQ(PresentedFrame().pixels, before.pixels);
  SetGraphicsRestoreCallback(nullptr);
}

}  // namespace
}  // namespace veziv::test
