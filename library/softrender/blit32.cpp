// The general 32-bit direct-colour loops of the unscaled blit: one loop per
// rule and option set from the shared blend rules, plus the special loops that
// replace them without blend image, tint or source alpha (row copy, average at
// p = 128, whole-pixel add and subtract at p = 255 in both forms).
#include <cstring>

#include "library/softrender/blit_setup.h"

namespace veziv::softrender {
namespace {

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
struct General32 {
  static void Run(const BlitSetup& k) {
    for (int32_t y = 0; y < k.h; ++y) {
      const uint8_t* sp = k.src + y * k.srcPitch;
      uint8_t* dp = k.dst + y * k.dstPitch;
      const uint8_t* bp = Blend ? k.blend + y * k.blendPitch : nullptr;
      for (int32_t x = 0; x < k.w; ++x) {
        uint32_t b = 1;
        if constexpr (Blend) b = k.blendAlpha[bp[x]];
        DrawPixel32<R, Blend, Tint, Alpha, Transp, kUnscaledForms>(dp + 4 * x, Load32(sp + 4 * x), b, k.key,
                                                                     k.rules);
      }
    }
  }
};

// Applies op(D, S) to every pixel of the rectangle, skipping source pixels equal
// to the transparent value when Transp.
template <bool Transp, class Op>
inline void WholePixelRows(const BlitSetup& k, Op op) {
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    for (int32_t x = 0; x < k.w; ++x) {
      const uint32_t s = Load32(sp + 4 * x);
      if (Transp && s == k.key) continue;
      Store32(dp + 4 * x, op(Load32(dp + 4 * x), s));
    }
  }
}

void CopyRows(const BlitSetup& k) {
  for (int32_t y = 0; y < k.h; ++y) std::memcpy(k.dst + y * k.dstPitch, k.src + y * k.srcPitch, size_t(k.w) * 4);
}

template <bool Transp>
void CopyOpaque(const BlitSetup& k) {
  WholePixelRows<Transp>(k, [](uint32_t, uint32_t s) { return s; });
}
template <bool Transp>
void Average(const BlitSetup& k) {
  WholePixelRows<Transp>(k, AverageBytes);
}
template <bool Transp, bool Mmx>
void WholeAdd(const BlitSetup& k) {
  if constexpr (Mmx) WholePixelRows<Transp>(k, SaturatingAddBytes);
  else WholePixelRows<Transp>(k, [](uint32_t d, uint32_t s) { return PackedAddNoLowBits(s, d); });
}
template <bool Transp, bool Mmx>
void WholeSubtract(const BlitSetup& k) {
  if constexpr (Mmx) WholePixelRows<Transp>(k, SaturatingSubtractBytes);
  else WholePixelRows<Transp>(k, PackedSubtract);
}

}  // namespace

BlitLoop ChooseGeneral32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx) {
  if (!o.blend && !o.tint && !o.alpha) {
    const bool m = mmx == 1;
    switch (rule) {
      case BlendRule::Copy: return o.transp ? CopyOpaque<true> : CopyRows;
      case BlendRule::Alpha:
        if (p == 128) return o.transp ? Average<true> : Average<false>;
        break;
      case BlendRule::Add:
        if (p == 255) return o.transp ? (m ? WholeAdd<true, true> : WholeAdd<true, false>)
                                      : (m ? WholeAdd<false, true> : WholeAdd<false, false>);
        break;
      case BlendRule::Subtract:
        if (p == 255) return o.transp ? (m ? WholeSubtract<true, true> : WholeSubtract<true, false>)
                                      : (m ? WholeSubtract<false, true> : WholeSubtract<false, false>);
        break;
      default: break;
    }
  }
  return PickOptionLoop<General32, BlitLoop>(rule, o);
}

}  // namespace veziv::softrender
