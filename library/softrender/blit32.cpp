// The general 32-bit direct-colour loops of the unscaled blit: one loop per
// rule and option set from the shared blend rules, the special loops that
// replace them without blend image, tint or source alpha (row copy, average at
// p = 128, whole-pixel add and subtract at p = 255 in both forms), and
// four-pixel SSE2 forms of the busiest loops, which the same scalar rule
// finishes at the end of each row.
#include <cstring>
#include <type_traits>

#include "library/softrender/blit_setup.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define VEZIV_VECTOR(...) __VA_ARGS__
#else
#define VEZIV_VECTOR(...) NoVector{}
#endif

namespace veziv::softrender {
namespace {

struct NoVector {};

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

// Walks the rectangle with vec(d, s) on four target and source pixels at a time
// where SSE2 is there, and scalar(dp, s) on the rest of each row. With Transp,
// source pixels equal to the transparent value keep their target pixel.
template <bool Transp, class Vec, class Scalar>
void PixelRows(const BlitSetup& k, [[maybe_unused]] Vec vec, Scalar scalar) {
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    int32_t x = 0;
#if defined(__SSE2__)
    if constexpr (!std::is_same_v<Vec, NoVector>) {
      const __m128i key = _mm_set1_epi32(static_cast<int>(k.key));
      for (; x + 4 <= k.w; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + 4 * x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dp + 4 * x));
        __m128i r = vec(d, s);
        if constexpr (Transp) {
          const __m128i keep = _mm_cmpeq_epi32(s, key);
          r = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, r));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dp + 4 * x), r);
      }
    }
#endif
    for (; x < k.w; ++x) {
      const uint32_t s = Load32(sp + 4 * x);
      if (Transp && s == k.key) continue;
      scalar(dp + 4 * x, s);
    }
  }
}

// Scalar form of a whole-word operation op(D, S).
template <class Op>
auto Whole(Op op) {
  return [op](uint8_t* dp, uint32_t s) { Store32(dp, op(Load32(dp), s)); };
}

#if defined(__SSE2__)
inline __m128i Splat(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }

// Bytes 0-2 of r with byte 3 of d.
inline __m128i KeepByte3(__m128i r, __m128i d) {
  const __m128i low = Splat(0x00FFFFFF);
  return _mm_or_si128(_mm_and_si128(r, low), _mm_andnot_si128(low, d));
}

// (d * (256 - w) + x * w) >> 8 on eight 16-bit lanes, w <= 256. The sum is
// d * 256 + (x - d) * w, which lies in 0..65280, so 16-bit wrap-around
// arithmetic gives it exactly with one multiplication.
inline __m128i Lerp8Lanes(__m128i d, __m128i x, __m128i w) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(d, 8), _mm_mullo_epi16(_mm_sub_epi16(x, d), w)), 8);
}

// floor(x * p / 255) of every byte, through floor(n / 255) = (n * 32897) >> 23
// for n <= 65025.
inline __m128i ScaleBytes(__m128i s, __m128i p) {
  const __m128i magic = _mm_set1_epi16(static_cast<short>(32897));
  const __m128i lo = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, _mm_setzero_si128()), p), magic), 7);
  const __m128i hi = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, _mm_setzero_si128()), p), magic), 7);
  return _mm_packus_epi16(lo, hi);
}

inline __m128i PackedAddLanes(__m128i d, __m128i v, bool lowBits) {
  const __m128i m = Splat(0x00FEFEFF);
  const __m128i t = _mm_add_epi32(_mm_and_si128(d, m), _mm_and_si128(v, m));
  const __m128i c = _mm_and_si128(t, Splat(0x01010100));
  __m128i r = _mm_or_si128(t, _mm_sub_epi32(c, _mm_srli_epi32(c, 8)));
  if (lowBits) r = _mm_or_si128(r, _mm_and_si128(_mm_or_si128(d, v), Splat(0x00010100)));
  return r;
}

inline __m128i PackedSubtractLanes(__m128i d, __m128i v) {
  const __m128i t = _mm_sub_epi32(_mm_or_si128(d, Splat(0x01010100)), _mm_and_si128(v, Splat(0xFEFEFEFF)));
  const __m128i c = _mm_and_si128(t, Splat(0x01010100));
  return _mm_and_si128(t, _mm_sub_epi32(c, _mm_srli_epi32(c, 8)));
}
#endif

void CopyRows(const BlitSetup& k) {
  for (int32_t y = 0; y < k.h; ++y) std::memcpy(k.dst + y * k.dstPitch, k.src + y * k.srcPitch, size_t(k.w) * 4);
}

template <bool Transp>
void CopyOpaque(const BlitSetup& k) {
  PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i, __m128i s) { return s; }),
                    Whole([](uint32_t, uint32_t s) { return s; }));
}

template <bool Transp>
void Average(const BlitSetup& k) {
  PixelRows<Transp>(k, VEZIV_VECTOR([](__m128i d, __m128i s) {
                      const __m128i m = Splat(0x007F7F7F);
                      return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(s, 1), m), _mm_and_si128(_mm_srli_epi32(d, 1), m));
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

#if defined(__SSE2__)
// floor((d * 65536 + (x - d) * w) / 65536) on eight 16-bit lanes, w < 65536:
// d plus the high half of the rising part, minus the rounded-up high half of the
// falling part.
inline __m128i Lerp16Lanes(__m128i d, __m128i x, __m128i w) {
  const __m128i up = _mm_subs_epu16(x, d), down = _mm_subs_epu16(d, x);
  const __m128i cut = _mm_cmpeq_epi16(_mm_mullo_epi16(down, w), _mm_setzero_si128());
  const __m128i r = _mm_sub_epi16(_mm_add_epi16(d, _mm_mulhi_epu16(up, w)), _mm_mulhi_epu16(down, w));
  return _mm_sub_epi16(r, _mm_andnot_si128(cut, _mm_set1_epi16(1)));
}

// floor(x * m / 255) on eight 16-bit lanes.
inline __m128i ScaleLanes(__m128i x, __m128i m) {
  return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(x, m), _mm_set1_epi16(static_cast<short>(32897))), 7);
}

// Lanes of two pixels: 0xFFFF for bytes 0-2, 0 for byte 3, so that a weight
// masked with it leaves byte 3 of the target as it was.
inline __m128i ColourLanes() { return _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1); }

// Each pixel's alpha in the four lanes of that pixel.
inline __m128i AlphaLanes(__m128i lanes) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, 0xFF), 0xFF); }

// Modes 0 and 1 without blend image on two pixels in 16-bit lanes: the
// (tinted) source mixed by the parameter, the alpha or both.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
inline __m128i MixLanes(__m128i d, __m128i raw, __m128i tint, __m128i p) {
  const __m128i x = Tint ? ScaleLanes(raw, tint) : raw;
  if constexpr (R == BlendRule::Copy && !Alpha) {
    return _mm_or_si128(_mm_and_si128(x, ColourLanes()), _mm_andnot_si128(ColourLanes(), d));
  } else if constexpr (!Alpha) {
    return Lerp8Lanes(d, x, _mm_and_si128(p, ColourLanes()));
  } else if constexpr (R == BlendRule::Copy) {
    return Lerp8Lanes(d, x, _mm_and_si128(AlphaLanes(raw), ColourLanes()));
  } else {
    const __m128i a = AlphaLanes(raw);
    __m128i w = _mm_mullo_epi16(a, p);
    if constexpr (Transp) {
      // Alpha 255 drops the alpha factor: p alone, which is a * p with a = 256.
      const __m128i opaque = _mm_cmpeq_epi16(a, _mm_set1_epi16(255));
      w = _mm_or_si128(_mm_and_si128(opaque, _mm_slli_epi16(p, 8)), _mm_andnot_si128(opaque, w));
    }
    return Lerp16Lanes(d, x, _mm_and_si128(w, ColourLanes()));
  }
}
#endif

// Modes 0 and 1 without blend image, with their tint, source alpha and
// transparency options. Alpha 0 under the flag needs no test: a weight of 0
// gives the target back.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
void Mix(const BlitSetup& k) {
#if defined(__SSE2__)
  const __m128i tint = _mm_set_epi16(0, short(k.rules.tint[2][255]), short(k.rules.tint[1][255]),
                                     short(k.rules.tint[0][255]), 0, short(k.rules.tint[2][255]),
                                     short(k.rules.tint[1][255]), short(k.rules.tint[0][255]));
  const __m128i p = _mm_set1_epi16(static_cast<short>(k.rules.p));
#endif
  PixelRows<Transp && !Alpha>(
      k, VEZIV_VECTOR([tint, p](__m128i d, __m128i s) {
        const __m128i z = _mm_setzero_si128();
        [[maybe_unused]] __m128i opaque;
        if constexpr (R == BlendRule::Copy && Alpha && Transp) {
          const __m128i a = _mm_srli_epi32(s, 24);
          opaque = _mm_cmpeq_epi32(a, Splat(255));
          if constexpr (!Tint) {
            // Four clear or four opaque pixels, common inside sprites, need no mixing.
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, z)) == 0xFFFF) return d;
            if (_mm_movemask_epi8(opaque) == 0xFFFF) return s;
          }
        }
        __m128i r = _mm_packus_epi16(MixLanes<R, Tint, Alpha, Transp>(_mm_unpacklo_epi8(d, z), _mm_unpacklo_epi8(s, z), tint, p),
                                     MixLanes<R, Tint, Alpha, Transp>(_mm_unpackhi_epi8(d, z), _mm_unpackhi_epi8(s, z), tint, p));
        if constexpr (R == BlendRule::Copy && Alpha && Transp) {
          // Alpha 255 takes the opaque form: the word whole, or the tinted colour.
          const __m128i plain = Tint ? KeepByte3(_mm_packus_epi16(ScaleLanes(_mm_unpacklo_epi8(s, z), tint),
                                                                  ScaleLanes(_mm_unpackhi_epi8(s, z), tint)),
                                                 d)
                                     : s;
          r = _mm_or_si128(_mm_and_si128(opaque, plain), _mm_andnot_si128(opaque, r));
        }
        return r;
      }),
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
