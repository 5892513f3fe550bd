// The general 32-bit direct-colour loops of the unscaled blit: one loop per
// rule and option set from the shared blend rules, the special loops that
// replace them without blend image, tint or source alpha (row copy, average at
// p = 128, whole-pixel add and subtract at p = 255 in both forms), and
// four-pixel SSE2 forms of the busiest loops, which the same scalar rule
// finishes at the end of each row.
#include <cstring>
#include <type_traits>

#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/blit/blit_rows.h"

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

template <bool Transp, class Vec, class Scalar>
void PixelRows(const BlitSetup& k, Vec vec, Scalar scalar) {
  WalkPixelRows<4, Transp>(k, k.key, vec, scalar);
}

// Scalar form of a whole-word operation op(D, S).
template <class Op>
auto Whole(Op op) {
  return [op](uint8_t* dp, uint32_t s) { Store32(dp, op(Load32(dp), s)); };
}

void CopyRows(const BlitSetup& k) { CopyPixelRows<4>(k); }

template <bool Transp>
void CopyOpaque(const BlitSetup& k) {
  PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i, __m128i s) { return s; }),
                    Whole([](uint32_t, uint32_t s) { return s; }));
}

template <bool Transp>
void Average(const BlitSetup& k) {
  PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) {
                      const __m128i m = Splat(0x007F7F7F);
                      return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), m),
                                           _mm_and_si128(_mm_srli_epi32(d, 1), m));
                    }),
                    Whole(AverageBytes));
}

template <bool Transp, bool Mmx>
void WholeAdd(const BlitSetup& k) {
  if constexpr (Mmx)
    PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return _mm_adds_epu8(d, s); }),
                      Whole(SaturatingAddBytes));
  else
    PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return PackedAddLanes(d, s, false); }),
                      Whole([](uint32_t d, uint32_t s) { return PackedAddNoLowBits(s, d); }));
}

template <bool Transp, bool Mmx>
void WholeSubtract(const BlitSetup& k) {
  if constexpr (Mmx)
    PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return _mm_subs_epu8(d, s); }),
                      Whole(SaturatingSubtractBytes));
  else
    PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return PackedSubtractLanes(d, s); }),
                      Whole(PackedSubtract));
}

// The rule's own scalar loop body for one option set without blend image.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
auto RulePixel(const BlitSetup& k) {
  return [&k](uint8_t* dp, uint32_t s) {
    DrawPixel32<R, false, Tint, Alpha, Transp, kUnscaledForms>(dp, s, 1, k.key, k.rules);
  };
}

// Modes 0 and 1 without blend image, with their tint, source alpha and
// transparency options.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
void Mix(const BlitSetup& k) {
  if constexpr (Alpha) {
    // Eight pixels at a time where the machine has the wide form; the last
    // w % 8 columns of every row as below. Source and target apart only:
    // drawn into itself the image keeps the four-pixel order.
    static const WideAlphaMix wide = ChooseWideAlphaMix(R, Tint, Transp);
    if (wide && k.w >= 8 && !RowsOverlap(k)) {
      const int32_t done = k.w & ~7;
      for (int32_t y = 0; y < k.h; ++y) wide(k.dst + y * k.dstPitch, k.src + y * k.srcPitch, done, k.rules);
      BlitSetup rest = k;
      rest.w -= done;
      rest.src += ptrdiff_t{4} * done;
      rest.dst += ptrdiff_t{4} * done;
      PixelRows<false>(rest, VEZIV_VECTOR(MixVector<R, Tint, Alpha, Transp>(k.rules)),
                       RulePixel<R, Tint, Alpha, Transp>(rest));
      return;
    }
  }
  PixelRows<Transp && !Alpha>(k, VEZIV_VECTOR(MixVector<R, Tint, Alpha, Transp>(k.rules)),
                              RulePixel<R, Tint, Alpha, Transp>(k));
}

// Modes 2 and 3 by the parameter alone: the product-table term, then the
// packed add or subtract.
template <BlendRule R, bool Transp>
void PackedByParameter(const BlitSetup& k) {
  [[maybe_unused]] const uint32_t p = k.rules.p;
  PixelRows<Transp>(k, VEZIV_VECTOR([p](__m128i d, __m128i s) {
                      const __m128i v = ScaleBytes(s, _mm_set1_epi16(static_cast<short>(p)));
                      return R == BlendRule::Add ? PackedAddLanes(d, v, true) : PackedSubtractLanes(d, v);
                    }),
                    RulePixel<R, false, false, false>(k));
}

template <BlendRule R, size_t... I>
constexpr std::array<BlitLoop, 8> MixLoops(std::index_sequence<I...>) {
  return {{&Mix<R, (I & 4) != 0, (I & 2) != 0, (I & 1) != 0>...}};
}

BlitLoop ChooseMix(BlendRule rule, const LoopOptions& o) {
  static constexpr auto kCopy = MixLoops<BlendRule::Copy>(std::make_index_sequence<8>{});
  static constexpr auto kAlpha = MixLoops<BlendRule::Alpha>(std::make_index_sequence<8>{});
  const size_t i = (o.tint ? 4 : 0) + (o.alpha ? 2 : 0) + (o.transp ? 1 : 0);
  return rule == BlendRule::Copy ? kCopy[i] : kAlpha[i];
}

}  // namespace

BlitLoop ChooseGeneral32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx) {
  if (o.blend) return PickOptionLoop<General32, BlitLoop>(rule, o);
  if (!o.tint && !o.alpha) {
    const bool m = mmx == 1;
    switch (rule) {
      case BlendRule::Copy: return o.transp ? CopyOpaque<true> : CopyRows;
      case BlendRule::Alpha:
        if (p == 128) return o.transp ? Average<true> : Average<false>;
        break;
      case BlendRule::Add:
        if (p == 255)
          return o.transp ? (m ? WholeAdd<true, true> : WholeAdd<true, false>)
                          : (m ? WholeAdd<false, true> : WholeAdd<false, false>);
        return o.transp ? PackedByParameter<BlendRule::Add, true> : PackedByParameter<BlendRule::Add, false>;
      case BlendRule::Subtract:
        if (p == 255)
          return o.transp ? (m ? WholeSubtract<true, true> : WholeSubtract<true, false>)
                          : (m ? WholeSubtract<false, true> : WholeSubtract<false, false>);
        return o.transp ? PackedByParameter<BlendRule::Subtract, true>
                        : PackedByParameter<BlendRule::Subtract, false>;
      default: break;
    }
  }
  // Mode 0 untinted copies alpha pixels whole when the flag is off.
  if (rule == BlendRule::Copy && !o.tint && o.alpha && !o.transp) return CopyRows;
  if (rule == BlendRule::Copy || rule == BlendRule::Alpha) return ChooseMix(rule, o);
  return PickOptionLoop<General32, BlitLoop>(rule, o);
}

}  // namespace veziv::softrender
