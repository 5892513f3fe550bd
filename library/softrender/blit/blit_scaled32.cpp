// The 32-bit direct-colour loops of the scaled blit: one loop per rule and
// option set from the shared blend rules on the shared stepping, the lean copy
// and subtract loops, and four-pixel SSE2 forms of modes 0 and 1.
#include <algorithm>
#include <type_traits>

#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/blit/blit_scaled_walk.h"

namespace veziv::softrender {
namespace {

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

// Walks with vec(d, s) on four sampled source pixels at a time where SSE2 is
// there, and scalar(dp, s) on the rest of each row. With KeyTest, source pixels
// equal to the transparent value keep their target pixel.
template <bool Lean, bool KeyTest, class Vec, class Scalar>
void GatherRows(const ScaledSetup& k, [[maybe_unused]] const Vec& vec, Scalar scalar) {
#if defined(__SSE2__)
  const __m128i key = _mm_set1_epi32(static_cast<int>(k.key));
#endif
  WalkScaledRows<Lean, 4>(k, [&](uint8_t* dp, ptrdiff_t srcRow, ptrdiff_t, const ptrdiff_t* srcColumn,
                                 const ptrdiff_t*, int32_t n) {
    const uint8_t* row = k.src + srcRow;
    int32_t i = 0;
#if defined(__SSE2__)
    if constexpr (!std::is_same_v<Vec, NoVector>) {
      for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_set_epi32(static_cast<int>(Load32(row + srcColumn[i + 3])),
                                        static_cast<int>(Load32(row + srcColumn[i + 2])),
                                        static_cast<int>(Load32(row + srcColumn[i + 1])),
                                        static_cast<int>(Load32(row + srcColumn[i])));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dp + 4 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dp + 4 * i), ApplyVector<KeyTest>(vec, d, s, key));
      }
    }
#endif
    for (; i < n; ++i) {
      const uint32_t s = Load32(row + srcColumn[i]);
      if (KeyTest && s == k.key) continue;
      scalar(dp + 4 * i, s);
    }
  });
}

// Modes 0 and 1 without blend image, through the mix shared with the unscaled
// loops.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
void ScaledMix(const ScaledSetup& k) {
  GatherRows<false, Transp && !Alpha>(k, VEZIV_VECTOR(MixVector<R, Tint, Alpha, Transp>(k.rules)),
                                      [&k](uint8_t* dp, uint32_t s) {
                                        DrawPixel32<R, false, Tint, Alpha, Transp, kScaledForms>(dp, s, 1, k.key,
                                                                                                 k.rules);
                                      });
}

template <BlendRule R, size_t... I>
constexpr std::array<ScaledLoop, 8> MixLoops(std::index_sequence<I...>) {
  return {{&ScaledMix<R, (I & 4) != 0, (I & 2) != 0, (I & 1) != 0>...}};
}

// The lean loops: the whole-word copy and the p = 255 subtract.
template <bool Transp>
void LeanCopy(const ScaledSetup& k) {
  GatherRows<true, Transp>(k, VEZIV_VECTOR([](__m128i, __m128i s) { return s; }),
                           [](uint8_t* dp, uint32_t s) { Store32(dp, s); });
}
template <bool Transp, bool Mmx>
void LeanSubtract(const ScaledSetup& k) {
  if constexpr (Mmx)
    GatherRows<true, Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return _mm_subs_epu8(d, s); }),
                             [](uint8_t* dp, uint32_t s) { Store32(dp, SaturatingSubtractBytes(Load32(dp), s)); });
  else
    GatherRows<true, Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) { return PackedSubtractLanes(d, s); }),
                             [](uint8_t* dp, uint32_t s) { Store32(dp, PackedSubtract(Load32(dp), s)); });
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
  if (!o.blend && (rule == BlendRule::Copy || rule == BlendRule::Alpha)) {
    static constexpr auto kCopy = MixLoops<BlendRule::Copy>(std::make_index_sequence<8>{});
    static constexpr auto kAlpha = MixLoops<BlendRule::Alpha>(std::make_index_sequence<8>{});
    const size_t i = (o.tint ? 4 : 0) + (o.alpha ? 2 : 0) + (o.transp ? 1 : 0);
    return rule == BlendRule::Copy ? kCopy[i] : kAlpha[i];
  }
  return PickOptionLoop<Scaled32, ScaledLoop>(rule, o);
}

}  // namespace veziv::softrender
