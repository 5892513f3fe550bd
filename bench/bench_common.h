// What the renderer benchmarks share: the 800 x 600 image size, a draw state
// over the blend tables, and the pixel-rate counter.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "library/graphics/blend_tables.h"
#include "library/graphics/draw_snapshot.h"

namespace bench {

constexpr int kWidth = 800, kHeight = 600;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;

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
