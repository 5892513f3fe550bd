// The rotated blit and the box fill on an 800 x 600 32-bit image, drawn by the
// software renderer and, on the same pixels, by pixman: a transformed
// (nearest-neighbour) composite for the rotated blit, a fill or a solid-colour
// composite for the box.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "bench/bench_common.h"
#include "library/softrender/shapes/rotated_blit.h"
#include "library/softrender/shapes/shapes.h"
#include "library/softrender/surface/softsurface.h"

namespace {

using namespace veziv;
using namespace bench;

// With alpha, runs of 1 to 16 pixels are clear, opaque or of one level, as in
// sprites.
struct Image : Image32 {
  Image(int w, int h, bool alpha, uint32_t seed) : Image32(w, h, alpha) {
    std::mt19937 rng(seed);
    uint32_t a = 255;
    for (size_t i = 0, run = 0; i < pixels.size(); ++i, --run) {
      if (run == 0) {
        run = 1 + rng() % 16;
        a = std::array<uint32_t, 3>{0, 255, uint32_t(rng() % 256)}[rng() % 3];
      }
      pixels[i] = (rng() & 0x00FFFFFF) | a << 24;
    }
  }
};

// A 256 x 256 sprite turned by 0.5 radians and zoomed by 2 about the centre.
constexpr int kSprite = 256;
constexpr float kAngle = 0.5f, kScale = 2.0f;
constexpr double kSpritePixels = double(kSprite) * kSprite * kScale * kScale;

void CountSprite(benchmark::State& state) {
  state.counters["pixels"] = benchmark::Counter(double(state.iterations()) * kSpritePixels,
                                                benchmark::Counter::kIsRate);
}

void OurRotated(benchmark::State& state, int32_t mode, int32_t p, bool alpha) {
  Image dst(kWidth, kHeight, false, 1), src(kSprite, kSprite, alpha, 2);
  const SoftDrawSnapshot draw = Draw(mode, p);
  for (auto _ : state) {
    SoftSurfaceBlitRotated(&dst.view, &src.view, kWidth / 2, kHeight / 2, kAngle, kScale, alpha ? 1 : 0, 0, nullptr,
                           draw);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  CountSprite(state);
}
BENCHMARK_CAPTURE(OurRotated, Copy, 0, 0, false);
BENCHMARK_CAPTURE(OurRotated, Alpha128, 1, 128, false);
BENCHMARK_CAPTURE(OurRotated, SourceAlpha, 0, 0, true);
BENCHMARK_CAPTURE(OurRotated, Add, 2, 255, false);

// The same turn and zoom as a pixman transform from target to source, over the
// bounding box of the turned sprite.
void PixmanRotated(benchmark::State& state, pixman_op_t op, bool alpha, int constantAlpha) {
  Image dst(kWidth, kHeight, false, 1), src(kSprite, kSprite, alpha, 2);
  const double c = std::cos(kAngle) / kScale, s = std::sin(kAngle) / kScale;
  const double cx = kWidth / 2, cy = kHeight / 2, h = kSprite / 2;
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(c);
  t.matrix[0][1] = pixman_double_to_fixed(s);
  t.matrix[0][2] = pixman_double_to_fixed(h - c * cx - s * cy);
  t.matrix[1][0] = pixman_double_to_fixed(-s);
  t.matrix[1][1] = pixman_double_to_fixed(c);
  t.matrix[1][2] = pixman_double_to_fixed(h + s * cx - c * cy);
  pixman_image_set_transform(src.pix, &t);
  pixman_image_set_filter(src.pix, PIXMAN_FILTER_NEAREST, nullptr, 0);
  pixman_image_t* mask = nullptr;
  if (constantAlpha >= 0) {
    const pixman_color_t m = {0, 0, 0, uint16_t(constantAlpha * 257)};
    mask = pixman_image_create_solid_fill(&m);
  }
  const double half = kSprite * kScale * (std::fabs(std::cos(kAngle)) + std::fabs(std::sin(kAngle))) / 2;
  const int x0 = int(cx - half), y0 = int(cy - half), size = int(2 * half) + 1;
  for (auto _ : state) {
    pixman_image_composite32(op, src.pix, mask, dst.pix, x0, y0, 0, 0, x0, y0, size, size);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  if (mask) pixman_image_unref(mask);
  CountSprite(state);
}
BENCHMARK_CAPTURE(PixmanRotated, Over, PIXMAN_OP_OVER, false, -1);
BENCHMARK_CAPTURE(PixmanRotated, OverMask128, PIXMAN_OP_OVER, false, 128);
BENCHMARK_CAPTURE(PixmanRotated, OverSourceAlpha, PIXMAN_OP_OVER, true, -1);
BENCHMARK_CAPTURE(PixmanRotated, Add, PIXMAN_OP_ADD, false, -1);

// The whole image as one box.
void OurBox(benchmark::State& state, int32_t mode, int32_t p) {
  Image dst(kWidth, kHeight, false, 1);
  const SoftDrawSnapshot draw = Draw(mode, p);
  const DrawRect box{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    SoftSurfaceFillBox(&dst.view, &box, 0x00336699, draw);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  Count(state);
}
BENCHMARK_CAPTURE(OurBox, Copy, 0, 0);
BENCHMARK_CAPTURE(OurBox, Alpha128, 1, 128);
BENCHMARK_CAPTURE(OurBox, Add, 2, 255);
BENCHMARK_CAPTURE(OurBox, Multiply, 4, 0);

void PixmanFill(benchmark::State& state) {
  Image dst(kWidth, kHeight, false, 1);
  for (auto _ : state) {
    pixman_fill(dst.pixels.data(), kWidth, 32, 0, 0, kWidth, kHeight, 0x00336699);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  Count(state);
}
BENCHMARK(PixmanFill);

void PixmanSolid(benchmark::State& state, pixman_op_t op, int alpha) {
  Image dst(kWidth, kHeight, false, 1);
  const pixman_color_t colour = {0x3333, 0x6666, 0x9999, uint16_t(alpha * 257)};
  pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
  for (auto _ : state) {
    pixman_image_composite32(op, solid, nullptr, dst.pix, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  pixman_image_unref(solid);
  Count(state);
}
BENCHMARK_CAPTURE(PixmanSolid, OverAlpha128, PIXMAN_OP_OVER, 128);
BENCHMARK_CAPTURE(PixmanSolid, Add, PIXMAN_OP_ADD, 255);
BENCHMARK_CAPTURE(PixmanSolid, Multiply, PIXMAN_OP_MULTIPLY, 255);

}  // namespace

BENCHMARK_MAIN();
