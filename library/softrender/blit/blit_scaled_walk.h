// The stepping of the scaled blit, shared by its families: two 16.16
// accumulators choose the source pixel of every target pixel, by the general
// rule (advance while the accumulator is 0 or less) or the lean one (while it
// is below 0). Internal to the renderer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "library/softrender/blit/blit_setup.h"

namespace veziv::softrender {

// One step of an accumulator: it falls by one target pixel; at 0 or below the
// source (and blend) offsets advance by a source pixel and it rises by the span,
// repeated while it is 0 or less (lean rule: below 0).
template <bool Lean>
inline void Step(int64_t& acc, int64_t span, ptrdiff_t& src, ptrdiff_t srcStep, ptrdiff_t& blend,
                 ptrdiff_t blendStep) {
  acc -= 65536;
  if (acc > 0) return;
  do {
    src += srcStep;
    blend += blendStep;
    acc += span;
  } while (Lean ? acc < 0 : acc <= 0);
}

// Visits the clipped target rows band by band: every row starts from the same
// source column, so the columns' source and blend offsets are stepped once per
// band of columns and handed to rowFn(dp, srcRow, blendRow, srcColumn,
// blendColumn, n) for each row.
template <bool Lean, int TargetBytes, class RowFn>
inline void WalkScaledRows(const ScaledSetup& k, RowFn rowFn) {
  constexpr int32_t kBand = 256;
  ptrdiff_t srcColumn[kBand], blendColumn[kBand];
  int64_t accX = k.accX0;
  ptrdiff_t srcX = 0, blendX = 0;
  for (int32_t first = 0; first < k.cw; first += kBand) {
    const int32_t n = std::min(kBand, k.cw - first);
    for (int32_t i = 0; i < n; ++i) {
      srcColumn[i] = srcX;
      blendColumn[i] = blendX;
      Step<Lean>(accX, k.spanX, srcX, k.srcXStep, blendX, k.blendXStep);
    }
    int64_t accY = k.accY0;
    ptrdiff_t srcRow = k.srcStart, blendRow = k.blendStart;
    for (int32_t row = 0; row < k.ch; ++row) {
      rowFn(k.dst + row * k.dstPitch + ptrdiff_t(first) * TargetBytes, srcRow, blendRow, srcColumn, blendColumn, n);
      Step<Lean>(accY, k.spanY, srcRow, k.srcRowStep, blendRow, k.blendRowStep);
    }
  }
}

// The same walk, handing fn(dp, srcOffset, blendOffset) each target pixel.
template <bool Lean, int TargetBytes, class PixelFn>
inline void WalkScaled(const ScaledSetup& k, PixelFn fn) {
  WalkScaledRows<Lean, TargetBytes>(k, [&fn](uint8_t* dp, ptrdiff_t srcRow, ptrdiff_t blendRow,
                                             const ptrdiff_t* srcColumn, const ptrdiff_t* blendColumn, int32_t n) {
    for (int32_t i = 0; i < n; ++i) fn(dp + TargetBytes * i, srcRow + srcColumn[i], blendRow + blendColumn[i]);
  });
}

}  // namespace veziv::softrender
