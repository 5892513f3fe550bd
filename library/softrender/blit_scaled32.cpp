// The 32-bit direct-colour loops of the scaled blit: the accumulator walk shared
// by every loop (general and lean advance rules), one loop per rule and option
// set from the shared blend rules, and the lean copy and subtract loops.
#include <algorithm>

#include "library/softrender/blit_setup.h"

namespace veziv::softrender {
namespace {

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

// Visits the clipped target pixels, handing each the byte offsets of its source
// pixel and blend byte. Every row starts from the same source column, so the
// columns' offsets are stepped once per band of columns and reused by each row.
template <bool Lean, int TargetBytes, class PixelFn>
inline void WalkScaled(const ScaledSetup& k, PixelFn fn) {
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
      uint8_t* dp = k.dst + row * k.dstPitch + ptrdiff_t(first) * TargetBytes;
      for (int32_t i = 0; i < n; ++i) fn(dp + TargetBytes * i, srcRow + srcColumn[i], blendRow + blendColumn[i]);
      Step<Lean>(accY, k.spanY, srcRow, k.srcRowStep, blendRow, k.blendRowStep);
    }
  }
}

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
struct Scaled32 {
  static void Run(const ScaledSetup& k) {
    WalkScaled<false, 4>(k, [&k](uint8_t* dp, ptrdiff_t so, ptrdiff_t bo) {
      uint32_t b = 1;
      if constexpr (Blend) b = k.blendAlpha[k.blend[bo]];
      DrawPixel32<R, Blend, Tint, Alpha, Transp, kScaledForms>(dp, Load32(k.src + so), b, k.key, k.rules);
    });
  }
};

template <bool Transp, class Op>
void LeanLoop(const ScaledSetup& k, Op op) {
  WalkScaled<true, 4>(k, [&k, op](uint8_t* dp, ptrdiff_t so, ptrdiff_t) {
    const uint32_t s = Load32(k.src + so);
    if (Transp && s == k.key) return;
    Store32(dp, op(Load32(dp), s));
  });
}

template <bool Transp>
void LeanCopy(const ScaledSetup& k) {
  LeanLoop<Transp>(k, [](uint32_t, uint32_t s) { return s; });
}
template <bool Transp, bool Mmx>
void LeanSubtract(const ScaledSetup& k) {
  if constexpr (Mmx) LeanLoop<Transp>(k, SaturatingSubtractBytes);
  else LeanLoop<Transp>(k, PackedSubtract);
}

}  // namespace

ScaledLoop ChooseScaled32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx) {
  if (!o.blend && !o.tint && !o.alpha) {
    if (rule == BlendRule::Copy) return o.transp ? LeanCopy<true> : LeanCopy<false>;
    if (rule == BlendRule::Subtract && p == 255) {
      if (mmx == 1) return o.transp ? LeanSubtract<true, true> : LeanSubtract<false, true>;
      return o.transp ? LeanSubtract<true, false> : LeanSubtract<false, false>;
    }
  }
  return PickOptionLoop<Scaled32, ScaledLoop>(rule, o);
}

}  // namespace veziv::softrender
