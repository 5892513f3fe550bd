// Four-pixel SSE2 forms of the blend rules: the same exact integer arithmetic
// as blend_rules.h on 16-bit lanes (the sums fit, or wrap back into range),
// and the mix of modes 0 and 1 that the unscaled and scaled loops share.
// Every loop that uses them finishes its row with the scalar rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/softrender/blend/blend_rules.h"

namespace veziv::softrender {
// Stands for "no vector form" where SSE2 is not there.
struct NoVector {};

// Modes 0 and 1 with source alpha and without blend image over the leading
// multiple of eight of n pixels, source and target apart; returns how many it
// drew. The same results as MixVector<R, Tint, true, Transp>.
using WideAlphaMix = int32_t (*)(uint8_t* dp, const uint8_t* sp, int32_t n, const RuleTables& t);

// The eight-pixel form where the machine has it (mode 0 or 1), else null.
WideAlphaMix ChooseWideAlphaMix(BlendRule rule, bool tint, bool transp);

// A textured row's walk: 32-bit texel (u >> shift, v >> shift) of the source
// for the first pixel, stepping by (du, dv) a pixel.
struct TexelStep {
  const uint8_t* source;
  ptrdiff_t pitch;
  uint32_t u, v, du, dv;
  int shift;
};

// The same mix with the source pixels fetched along a texel walk, every texel
// inside the source and the source apart from the row: draws all n pixels and
// returns n, or none and returns 0 (fewer than eight, or a walk the gather
// cannot index: a pitch outside 1 .. 32767 or a shift below 16).
using WideTexelMix = int32_t (*)(uint8_t* dp, int32_t n, const TexelStep& w, const RuleTables& t);
WideTexelMix ChooseWideTexelMix(BlendRule rule, bool tint, bool transp);
}  // namespace veziv::softrender

#if defined(__SSE2__)
#include <emmintrin.h>
// A vector form of a loop, dropped where SSE2 is not there.
#define VEZIV_VECTOR(...) __VA_ARGS__

namespace veziv::softrender {

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
  const __m128i z = _mm_setzero_si128();
  const __m128i lo = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, z), p), magic), 7);
  const __m128i hi = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, z), p), magic), 7);
  return _mm_packus_epi16(lo, hi);
}

// PackedAdd on four pixels. The word-wide sum t puts each byte's carry into
// bit 0 of the byte above, which the 0xFE masks leave clear, so no carry runs
// on; bytes 1 and 2 are even sums, never 255, and overflow whatever comes in
// from below. The byte-wise saturating sum of the same masked words is
// therefore t wherever no byte overflowed and 0xFF where one did, and ORed
// with t it gains the carries: the whole result in four operations.
inline __m128i PackedAddLanes(__m128i d, __m128i v, bool lowBits) {
  const __m128i m = Splat(0x00FEFEFF);
  const __m128i a = _mm_and_si128(d, m), b = _mm_and_si128(v, m);
  __m128i r = _mm_or_si128(_mm_adds_epu8(a, b), _mm_add_epi32(a, b));
  if (lowBits) r = _mm_or_si128(r, _mm_and_si128(_mm_or_si128(d, v), Splat(0x00010100)));
  return r;
}

inline __m128i PackedSubtractLanes(__m128i d, __m128i v) {
  const __m128i t = _mm_sub_epi32(_mm_or_si128(d, Splat(0x01010100)), _mm_and_si128(v, Splat(0xFEFEFEFF)));
  const __m128i c = _mm_and_si128(t, Splat(0x01010100));
  return _mm_and_si128(t, _mm_sub_epi32(c, _mm_srli_epi32(c, 8)));
}

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

// Modes 0 and 1 without blend image on two pixels in 16-bit lanes: the
// (tinted) source mixed by the parameter, the alpha or both. a holds each
// pixel's alpha in its colour lanes and 0 in its byte-3 lane.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
inline __m128i MixLanes(__m128i d, __m128i raw, [[maybe_unused]] __m128i a, __m128i tint, __m128i p) {
  const __m128i x = Tint ? ScaleLanes(raw, tint) : raw;
  if constexpr (R == BlendRule::Copy && !Alpha) {
    return _mm_or_si128(_mm_and_si128(x, ColourLanes()), _mm_andnot_si128(ColourLanes(), d));
  } else if constexpr (!Alpha) {
    return Lerp8Lanes(d, x, _mm_and_si128(p, ColourLanes()));
  } else if constexpr (R == BlendRule::Copy) {
    return Lerp8Lanes(d, x, a);
  } else {
    __m128i w = _mm_mullo_epi16(a, p);
    if constexpr (Transp) {
      // Alpha 255 drops the alpha factor: p alone, which is a * p with a = 256.
      const __m128i opaque = _mm_cmpeq_epi16(a, _mm_set1_epi16(255));
      w = _mm_or_si128(_mm_and_si128(opaque, _mm_slli_epi16(p, 8)), _mm_andnot_si128(opaque, w));
    }
    return Lerp16Lanes(d, x, w);
  }
}

// Modes 0 and 1 without blend image on four pixels, with their tint, source
// alpha and transparency options. Alpha 0 under the flag needs no test: a
// weight of 0 gives the target back.
template <BlendRule R, bool Tint, bool Alpha, bool Transp>
struct MixVector {
  __m128i tint;  // 16-bit lanes: blue, green, red brightness, 0, twice
  __m128i p;     // the parameter in every lane

  explicit MixVector(const RuleTables& t)
      : tint(_mm_set_epi16(0, short(t.tint[2][255]), short(t.tint[1][255]), short(t.tint[0][255]), 0,
                           short(t.tint[2][255]), short(t.tint[1][255]), short(t.tint[0][255]))),
        p(_mm_set1_epi16(static_cast<short>(t.p))) {}

  __m128i operator()(__m128i d, __m128i s) const {
    const __m128i z = _mm_setzero_si128();
    [[maybe_unused]] __m128i opaque = z, lowAlpha = z, highAlpha = z;
    if constexpr (Alpha) {
      const __m128i a = _mm_srli_epi32(s, 24);
      if constexpr (R == BlendRule::Copy && Transp) {
        opaque = _mm_cmpeq_epi32(a, Splat(255));
        if constexpr (!Tint) {
          // Four clear or four opaque pixels, common inside sprites, need no mixing.
          if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, z)) == 0xFFFF) return d;
          if (_mm_movemask_epi8(opaque) == 0xFFFF) return s;
        }
      }
      // Each 32-bit lane a | a << 16 interleaved with a: alpha in the three
      // colour lanes of its pixel and 0 in the fourth.
      const __m128i doubled = _mm_or_si128(a, _mm_slli_epi32(a, 16));
      lowAlpha = _mm_unpacklo_epi32(doubled, a);
      highAlpha = _mm_unpackhi_epi32(doubled, a);
    }
    const auto mix = [this](__m128i dl, __m128i sl, __m128i al) {
      return MixLanes<R, Tint, Alpha, Transp>(dl, sl, al, tint, p);
    };
    __m128i r = _mm_packus_epi16(mix(_mm_unpacklo_epi8(d, z), _mm_unpacklo_epi8(s, z), lowAlpha),
                                 mix(_mm_unpackhi_epi8(d, z), _mm_unpackhi_epi8(s, z), highAlpha));
    if constexpr (R == BlendRule::Copy && Alpha && Transp) {
      // Alpha 255 takes the opaque form: the word whole, or the tinted colour.
      const __m128i plain = Tint ? KeepByte3(_mm_packus_epi16(ScaleLanes(_mm_unpacklo_epi8(s, z), tint),
                                                              ScaleLanes(_mm_unpackhi_epi8(s, z), tint)),
                                             d)
                                 : s;
      r = _mm_or_si128(_mm_and_si128(opaque, plain), _mm_andnot_si128(opaque, r));
    }
    return r;
  }
};

// Blend6Word on eight 5:6:5 pixels in 16-bit lanes, by the formula its table
// holds: floor((s * a + d * (63 - a)) / 63) in each field, a = p / 4, the
// division through floor(n / 63) = (n * 2081) >> 17 for n <= 3969.
inline __m128i Blend6Lanes(__m128i d, __m128i s, uint32_t a) {
  const __m128i wa = _mm_set1_epi16(static_cast<short>(a)), wd = _mm_set1_epi16(static_cast<short>(63 - a));
  const __m128i magic = _mm_set1_epi16(static_cast<short>(2081));
  const auto field = [&](__m128i sf, __m128i df) {
    const __m128i n = _mm_add_epi16(_mm_mullo_epi16(sf, wa), _mm_mullo_epi16(df, wd));
    return _mm_srli_epi16(_mm_mulhi_epu16(n, magic), 1);
  };
  const __m128i five = _mm_set1_epi16(0x1F), six = _mm_set1_epi16(0x3F);
  const __m128i blue = field(_mm_and_si128(s, five), _mm_and_si128(d, five));
  const __m128i green = field(_mm_and_si128(_mm_srli_epi16(s, 5), six), _mm_and_si128(_mm_srli_epi16(d, 5), six));
  const __m128i red = field(_mm_srli_epi16(s, 11), _mm_srli_epi16(d, 11));
  return _mm_or_si128(_mm_or_si128(blue, _mm_slli_epi16(green, 5)), _mm_slli_epi16(red, 11));
}

// vec(d, s) on four pixels; with KeyTest, source pixels equal to key keep
// their target pixel.
template <bool KeyTest, class Vec>
inline __m128i ApplyVector(const Vec& vec, __m128i d, __m128i s, __m128i key) {
  __m128i r = vec(d, s);
  if constexpr (KeyTest) {
    const __m128i keep = _mm_cmpeq_epi32(s, key);
    r = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, r));
  }
  return r;
}

}  // namespace veziv::softrender

#else
#define VEZIV_VECTOR(...) ::veziv::softrender::NoVector {}
#endif
