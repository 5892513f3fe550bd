// One whole 800 x 600 x 32 frame on the road the library takes (VEZIV_GPU=off
// keeps the software road, "any" takes any device), through the library's
// public calls: clear, 200 sprites with alpha, 50 turned and scaled sprites,
// 30 boxes (a third of them blended), then the present. Beside it the same
// frame without the present, the present alone, and a plain memcpy of the
// screen's bytes as the reference. Without a display the library runs with
// the headless driver (SDL's dummy video), whose present copies the frame into
// memory; with one (under xvfb-run) the present uploads it into the window.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "library/foundation/start/library_start.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/screen_mode.h"

namespace {

using namespace veziv;

constexpr int kWidth = 800, kHeight = 600;

struct Placement {
  int x, y;
  float angle, scale;
};

struct Scene {
  int alphaSprite = -1;
  int turnedSprite = -1;
  std::vector<Placement> sprites, turned, boxes;
};

// A w x h graph: a disc of colour, opaque inside, clear outside, soft at the
// edge (alpha) or a plain gradient (no alpha).
int MakeSprite(int size, bool alpha) {
  RasterImage image{};
  CreateRasterImageArgb(size, size, &image);
  const float r = float(size) / 2.0f;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float dx = float(x) + 0.5f - r, dy = float(y) + 0.5f - r;
      const float d = r - std::sqrt(dx * dx + dy * dy);
      const int a = alpha ? (d <= 0 ? 0 : d >= 3 ? 255 : int(d * 85)) : 255;
      SetRasterImagePixel(&image, x, y, 40 + 6 * x % 200, 200 - 5 * y % 180, 90, a);
    }
  }
  const int graph = BuildGraphFromRasterEx(&image, nullptr, 0, 0, 0);
  FreeRasterImage(&image);
  return graph;
}

Scene& TheScene() {
  static Scene scene = [] {
    // A real window when there is a display (xvfb-run gives one), else the
    // headless driver; in a folder of its own for the log and the lock.
    if (getenv("DISPLAY") == nullptr) {
      setenv("VEZIV_HEADLESS", "1", 1);
      setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-frame-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      std::filesystem::current_path(pattern);
      setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    }
    Scene s;
    SetScreenMode(kWidth, kHeight, 32, 60);
    if (InitLibrary() != 0) return s;
    SetPresentWaitsForVBlank(0);
    SelectDrawTarget(kTargetBackScreen);
    s.alphaSprite = MakeSprite(32, true);
    s.turnedSprite = MakeSprite(64, false);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(-16, kWidth - 16), y(-16, kHeight - 16);
    std::uniform_real_distribution<float> angle(0.0f, 6.283f), scale(0.5f, 2.0f);
    for (int i = 0; i < 200; ++i) s.sprites.push_back({x(rng), y(rng), 0, 1});
    for (int i = 0; i < 50; ++i) s.turned.push_back({x(rng), y(rng), angle(rng), scale(rng)});
    for (int i = 0; i < 30; ++i) s.boxes.push_back({x(rng), y(rng), 0, scale(rng)});
    return s;
  }();
  return scene;
}

// The frame's parts, each of which can be timed alone.
enum Part { kClear = 1, kSprites = 2, kTurned = 4, kBoxes = 8, kWhole = 15 };

void DrawFrame(const Scene& s, int parts = kWhole) {
  if (parts & kClear) ClearDrawTarget();
  if (parts & kSprites)
    for (const Placement& p : s.sprites) RenderGraphAtPoint(p.x, p.y, s.alphaSprite, 1);
  if (parts & kTurned)
    for (const Placement& p : s.turned)
      RenderGraphRotatedAtCentre(float(p.x), float(p.y), p.scale, p.angle, s.turnedSprite, 1, 0);
  if (!(parts & kBoxes)) return;
  for (size_t i = 0; i < s.boxes.size(); ++i) {
    const Placement& p = s.boxes[i];
    if (i % 3 == 0) ChooseBlendMode(1, 128);
    const int size = int(p.scale * 60.0f);
    DrawBoxShape(p.x, p.y, p.x + size, p.y + size, PackColorForScreen(int(i * 8), 100, 200 - int(i * 5)), 1);
    if (i % 3 == 0) ChooseBlendMode(0, 0);
  }
}

void CountFrames(benchmark::State& state) {
  state.counters["frames"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Frame(benchmark::State& state, bool present) {
  const Scene& s = TheScene();
  if (s.alphaSprite < 0 || s.turnedSprite < 0) {
    state.SkipWithError("the library did not start");
    return;
  }
  for (auto _ : state) {
    DrawFrame(s);
    if (present) benchmark::DoNotOptimize(PresentBackBuffer());
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK_CAPTURE(BM_Frame, WithPresent, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, WithoutPresent, false)->Unit(benchmark::kMicrosecond);

// One part of the frame alone, drawn over what the last whole frame left.
void BM_FramePart(benchmark::State& state, int part) {
  const Scene& s = TheScene();
  if (s.alphaSprite < 0 || s.turnedSprite < 0) {
    state.SkipWithError("the library did not start");
    return;
  }
  DrawFrame(s);
  for (auto _ : state) {
    DrawFrame(s, part);
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK_CAPTURE(BM_FramePart, Clear, kClear)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePart, AlphaSprites, kSprites)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePart, TurnedSprites, kTurned)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FramePart, Boxes, kBoxes)->Unit(benchmark::kMicrosecond);

void BM_PresentOnly(benchmark::State& state) {
  const Scene& s = TheScene();
  if (s.alphaSprite < 0) {
    state.SkipWithError("the library did not start");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(PresentBackBuffer());
  CountFrames(state);
}
BENCHMARK(BM_PresentOnly)->Unit(benchmark::kMicrosecond);

// The floor for anything that touches every byte of the screen once.
void BM_ScreenMemcpy(benchmark::State& state) {
  std::vector<uint32_t> from(size_t(kWidth) * kHeight, 0x00102030u), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size() * 4);
    benchmark::ClobberMemory();
  }
  CountFrames(state);
}
BENCHMARK(BM_ScreenMemcpy)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
