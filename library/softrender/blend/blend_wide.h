// The eight-pixel AVX2 forms that the wide loops share: the arithmetic of
// MixVector in blend_vector.h lane for lane (the 256-bit unpacks and packs
// work within each 128-bit half, so each half goes through exactly the steps
// of the four-pixel form), and the texel gather of a textured row. Every
// function here carries the AVX2 target and is inlined into a caller that
// carries it too and runs only where the machine has AVX2. Internal to the
// renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/softrender/blend/blend_rules.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace veziv::softrender::wide {

#define VEZIV_WIDE __attribute__((target("avx2"), always_inline)) inline

VEZIV_WIDE __m256i Splat8(uint32_t v) { return _mm256_set1_epi32(static_cast<int>(v)); }

VEZIV_WIDE __m256i Lerp8Wide(__m256i d, __m256i x, __m256i w) {
  return _mm256_srli_epi16(_mm256_add_epi16(_mm256_slli_epi16(d, 8), _mm256_mullo_epi16(_mm256_sub_epi16(x, d), w)),
                           8);
}

VEZIV_WIDE __m256i Lerp16Wide(__m256i d, __m256i x, __m256i w) {
  const __m256i up = _mm256_subs_epu16(x, d), down = _mm256_subs_epu16(d, x);
  const __m256i cut = _mm256_cmpeq_epi16(_mm256_mullo_epi16(down, w), _mm256_setzero_si256());
  const __m256i r = _mm256_sub_epi16(_mm256_add_epi16(d, _mm256_mulhi_epu16(up, w)), _mm256_mulhi_epu16(down, w));
  return _mm256_sub_epi16(r, _mm256_andnot_si256(cut, _mm256_set1_epi16(1)));
}

VEZIV_WIDE __m256i ScaleWide(__m256i x, __m256i m) {
  return _mm256_srli_epi16(
      _mm256_mulhi_epu16(_mm256_mullo_epi16(x, m), _mm256_set1_epi16(static_cast<short>(32897))), 7);
}

VEZIV_WIDE __m256i KeepByte3Wide(__m256i r, __m256i d) {
  const __m256i low = Splat8(0x00FFFFFF);
  return _mm256_or_si256(_mm256_and_si256(r, low), _mm256_andnot_si256(low, d));
}

template <BlendRule R, bool Tint, bool Transp>
VEZIV_WIDE __m256i MixLanesWide(__m256i d, __m256i raw, __m256i a, __m256i tint, __m256i p) {
  const __m256i x = Tint ? ScaleWide(raw, tint) : raw;
  if constexpr (R == BlendRule::Copy) {
    return Lerp8Wide(d, x, a);
  } else {
    __m256i w = _mm256_mullo_epi16(a, p);
    if constexpr (Transp) {
      const __m256i opaque = _mm256_cmpeq_epi16(a, _mm256_set1_epi16(255));
      w = _mm256_or_si256(_mm256_and_si256(opaque, _mm256_slli_epi16(p, 8)), _mm256_andnot_si256(opaque, w));
    }
    return Lerp16Wide(d, x, w);
  }
}

// The parameter and tint of the mix in 16-bit lanes.
struct WideWeights {
  __m256i tint, p;
};

VEZIV_WIDE WideWeights MakeWeights(const RuleTables& t) {
  const short b = short(t.tint[0][255]), g = short(t.tint[1][255]), r = short(t.tint[2][255]);
  return {_mm256_set_epi16(0, r, g, b, 0, r, g, b, 0, r, g, b, 0, r, g, b), _mm256_set1_epi16(static_cast<short>(t.p))};
}

// The eight source pixels s mixed over the eight target pixels d.
template <BlendRule R, bool Tint, bool Transp>
VEZIV_WIDE __m256i MixedEight(__m256i d, __m256i s, const WideWeights& k) {
  const __m256i z = _mm256_setzero_si256();
  const __m256i a = _mm256_srli_epi32(s, 24);
  const __m256i doubled = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
  const __m256i lowAlpha = _mm256_unpacklo_epi32(doubled, a), highAlpha = _mm256_unpackhi_epi32(doubled, a);
  __m256i res = _mm256_packus_epi16(
      MixLanesWide<R, Tint, Transp>(_mm256_unpacklo_epi8(d, z), _mm256_unpacklo_epi8(s, z), lowAlpha, k.tint, k.p),
      MixLanesWide<R, Tint, Transp>(_mm256_unpackhi_epi8(d, z), _mm256_unpackhi_epi8(s, z), highAlpha, k.tint, k.p));
  if constexpr (R == BlendRule::Copy && Transp) {
    // Alpha 255 takes the opaque form: the word whole, or the tinted colour.
    const __m256i opaque = _mm256_cmpeq_epi32(a, Splat8(255));
    __m256i plain = s;
    if constexpr (Tint)
      plain = KeepByte3Wide(_mm256_packus_epi16(ScaleWide(_mm256_unpacklo_epi8(s, z), k.tint),
                                                ScaleWide(_mm256_unpackhi_epi8(s, z), k.tint)),
                            d);
    res = _mm256_or_si256(_mm256_and_si256(opaque, plain), _mm256_andnot_si256(opaque, res));
  }
  return res;
}

// The eight source pixels s over the eight target pixels at out.
template <BlendRule R, bool Tint, bool Transp>
VEZIV_WIDE void MixEight(__m256i* out, __m256i s, const WideWeights& k) {
  if constexpr (R == BlendRule::Copy && Transp && !Tint) {
    // Eight clear or eight opaque pixels need no mixing (the mix would give
    // the target or the source back).
    const __m256i a = _mm256_srli_epi32(s, 24);
    if (_mm256_testz_si256(a, a)) return;
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, Splat8(255))) == -1) {
      _mm256_storeu_si256(out, s);
      return;
    }
  }
  _mm256_storeu_si256(out, MixedEight<R, Tint, Transp>(_mm256_loadu_si256(out), s, k));
}

// Eight texels of a walk at the given coordinates: the byte offsets
// row * pitch + column * 4 in one multiply-add of 16-bit halves (inside the
// source both are below 8192), the texels gathered by them.
struct GatherWalk {
  const int* base;
  __m128i rowShift, colShift;
  __m256i weights;
};

VEZIV_WIDE __m256i GatherTexels(const GatherWalk& g, __m256i us, __m256i vs) {
  const __m256i place = _mm256_or_si256(_mm256_and_si256(_mm256_srl_epi32(vs, g.rowShift), Splat8(0xFFFF0000u)),
                                        _mm256_srl_epi32(us, g.colShift));
  return _mm256_i32gather_epi32(g.base, _mm256_madd_epi16(place, g.weights), 1);
}

// What a textured row's walk keeps from pixel to pixel and row to row.
struct TexelRow {
  WideWeights weights;
  GatherWalk gather;
  __m256i laneU, laneV;  // lane i: i steps
  __m256i stepU, stepV;  // eight steps
  uint32_t du, dv;
};

// The walk over a 32-bit source of positive pitch below 32768 in steps of
// (du, dv) a pixel, texel (u >> shift, v >> shift) with shift at least 16.
VEZIV_WIDE TexelRow MakeTexelRow(const uint8_t* source, ptrdiff_t pitch, int shift, uint32_t du, uint32_t dv,
                                 const RuleTables& t) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  return {MakeWeights(t),
          {reinterpret_cast<const int*>(source), _mm_cvtsi32_si128(shift - 16), _mm_cvtsi32_si128(shift),
           Splat8(uint32_t(pitch) << 16 | 4)},
          _mm256_mullo_epi32(lanes, Splat8(du)),
          _mm256_mullo_epi32(lanes, Splat8(dv)),
          Splat8(8 * du),
          Splat8(8 * dv),
          du,
          dv};
}

// Draws all n >= 8 pixels at dp from (u, v) on, every texel inside the source
// and the source apart from the row: eight at a time, the last eight (which
// may overlap the groups before them) mixed over the target as it was before
// any of them was drawn and stored last, which gives every pixel the value a
// single mix would.
template <BlendRule R, bool Tint, bool Transp>
VEZIV_WIDE void MixTexelRun(uint8_t* dp, int32_t n, uint32_t u, uint32_t v, const TexelRow& w) {
  const uint32_t lastU = u + uint32_t(n - 8) * w.du, lastV = v + uint32_t(n - 8) * w.dv;
  auto* const last = reinterpret_cast<__m256i*>(dp + ptrdiff_t{4} * (n - 8));
  const __m256i lastMixed = MixedEight<R, Tint, Transp>(
      _mm256_loadu_si256(last),
      GatherTexels(w.gather, _mm256_add_epi32(Splat8(lastU), w.laneU), _mm256_add_epi32(Splat8(lastV), w.laneV)),
      w.weights);
  __m256i us = _mm256_add_epi32(Splat8(u), w.laneU), vs = _mm256_add_epi32(Splat8(v), w.laneV);
  for (int32_t i = 0; i + 8 < n; i += 8, us = _mm256_add_epi32(us, w.stepU), vs = _mm256_add_epi32(vs, w.stepV))
    MixEight<R, Tint, Transp>(reinterpret_cast<__m256i*>(dp + ptrdiff_t{4} * i), GatherTexels(w.gather, us, vs),
                              w.weights);
  _mm256_storeu_si256(last, lastMixed);
}

#undef VEZIV_WIDE

}  // namespace veziv::softrender::wide

#endif
