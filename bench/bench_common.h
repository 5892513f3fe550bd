// What the renderer benchmarks share: the 800 x 600 image size, a 32-bit image
// seen by our renderer and by pixman, a draw state over the blend tables, and
// the pixel-rate counter.
#pragma once

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace bench {

constexpr int kWidth = 800, kHeight = 600;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;

// One 32-bit image of w x h pixels seen as our view and as a pixman image over
// the same memory; whoever makes it fills the pixels.
struct Image32 {
  std::vector<uint32_t> pixels;
  veziv::SoftSurfaceShared block{};
  veziv::SOFTSURFACE view{};
  pixman_image_t* pix = nullptr;

  Image32(int w, int h, bool alpha) : pixels(size_t(w) * size_t(h)) {
    block.references = 1;
    block.width = w;
    block.height = h;
    block.pitch = w * 4;
    block.type = veziv::kSoftType32;
    block.alphaFlag = alpha ? 1 : 0;
    block.bytesPerPixel = 4;
    block.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    view = veziv::SOFTSURFACE{veziv::kSoftSurfaceMagic, w, h, block.pixels, nullptr, &block};
    pix = pixman_image_create_bits(alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8, w, h, pixels.data(), w * 4);
  }
  ~Image32() { pixman_image_unref(pix); }
  Image32(const Image32&) = delete;
  Image32& operator=(const Image32&) = delete;
};

// The whole image as draw area, blend mode and parameter, white brightness.
inline veziv::SoftDrawSnapshot Draw(int32_t mode, int32_t p) {
  static const std::unique_ptr<veziv::SoftBlendTables> tables = [] {
    auto t = std::make_unique<veziv::SoftBlendTables>();
    veziv::FillBlendTables(*t);
    return t;
  }();
  veziv::SoftDrawSnapshot d;
  d.drawArea = {0, 0, kWidth, kHeight};
  d.blendMode = mode;
  d.blendParam = p;
  d.tables = tables.get();
  d.mmxUsable = 1;
  return d;
}

// Target pixels a second, and the bytes of target written.
inline void Count(benchmark::State& state) {
  state.counters["pixels"] =
      benchmark::Counter(double(state.iterations()) * double(kPixels), benchmark::Counter::kIsRate);
  state.SetBytesProcessed(state.iterations() * kPixels * 4);
}

}  // namespace bench
