// Flat and textured triangles covering an 800 x 600 32-bit image in two
// halves, drawn by the software renderer and by pixman's triangle
// compositing on the same pixels.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>
#include <vector>

#include "bench/bench_common.h"
#include "library/softrender/surface/softsurface.h"
#include "library/softrender/triangle/triangle.h"

namespace {

using namespace veziv;
using namespace bench;
using softrender::TriangleVertex;

// A whole-size image of random pixels.
struct Image : Image32 {
  Image(bool alpha, uint32_t seed) : Image32(kWidth, kHeight, alpha) {
    std::mt19937 rng(seed);
    for (uint32_t& p : pixels) p = rng();
  }
};

// The image's two halves, split along the top-right to bottom-left diagonal.
const TriangleVertex kHalves[2][3] = {
    {{0, 0, 0, 0}, {kWidth, 0, kWidth, 0}, {0, kHeight, 0, kHeight}},
    {{kWidth, 0, kWidth, 0}, {0, kHeight, 0, kHeight}, {kWidth, kHeight, kWidth, kHeight}},
};

void OurTriangles(benchmark::State& state, int32_t mode, int32_t p, bool textured, bool alpha) {
  Image dst(false, 1), src(alpha, 2);
  const SoftDrawSnapshot draw = Draw(mode, p);
  for (auto _ : state) {
    for (const auto& t : kHalves)
      SoftSurfaceFillTriangle(&dst.view, textured ? &src.view : nullptr, t, alpha ? 1 : 0, nullptr, 0x00336699, draw);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  Count(state);
}
BENCHMARK_CAPTURE(OurTriangles, FlatCopy, 0, 0, false, false);
BENCHMARK_CAPTURE(OurTriangles, FlatAlpha128, 1, 128, false, false);
BENCHMARK_CAPTURE(OurTriangles, FlatAdd, 2, 255, false, false);
BENCHMARK_CAPTURE(OurTriangles, TexturedCopy, 0, 0, true, false);
BENCHMARK_CAPTURE(OurTriangles, TexturedAlpha128, 1, 128, true, false);
BENCHMARK_CAPTURE(OurTriangles, TexturedSourceAlpha, 0, 0, true, true);

pixman_triangle_t PixmanTriangle(const TriangleVertex* c) {
  auto point = [](const TriangleVertex& v) {
    return pixman_point_fixed_t{pixman_int_to_fixed(v.x), pixman_int_to_fixed(v.y)};
  };
  return {point(c[0]), point(c[1]), point(c[2])};
}

// A solid colour (alpha < 0) or the source image, through an a8 coverage mask.
void PixmanTriangles(benchmark::State& state, pixman_op_t op, int solidAlpha, bool alpha) {
  Image dst(false, 1), src(alpha, 2);
  pixman_image_t* source = src.pix;
  pixman_image_t* solid = nullptr;
  if (solidAlpha >= 0) {
    const pixman_color_t colour = {0x3333, 0x6666, 0x9999, uint16_t(solidAlpha * 257)};
    solid = pixman_image_create_solid_fill(&colour);
    source = solid;
  }
  const pixman_triangle_t triangles[2] = {PixmanTriangle(kHalves[0]), PixmanTriangle(kHalves[1])};
  for (auto _ : state) {
    pixman_composite_triangles(op, source, dst.pix, PIXMAN_a8, 0, 0, 0, 0, 2, triangles);
    benchmark::DoNotOptimize(dst.pixels.data());
  }
  if (solid) pixman_image_unref(solid);
  Count(state);
}
BENCHMARK_CAPTURE(PixmanTriangles, FlatSrc, PIXMAN_OP_SRC, 255, false);
BENCHMARK_CAPTURE(PixmanTriangles, FlatOverAlpha128, PIXMAN_OP_OVER, 128, false);
BENCHMARK_CAPTURE(PixmanTriangles, FlatAdd, PIXMAN_OP_ADD, 255, false);
BENCHMARK_CAPTURE(PixmanTriangles, TexturedSrc, PIXMAN_OP_SRC, -1, false);
BENCHMARK_CAPTURE(PixmanTriangles, TexturedOverSourceAlpha, PIXMAN_OP_OVER, -1, true);

}  // namespace

BENCHMARK_MAIN();
