// The span loop templates of the triangle families: one driver over a row of
// texels, one over a flat row, and the texel fetches of direct-colour and
// palette sources, each written once over the target format's traits.
// Triangles differ from the blits in two policies: an alpha source is mixed
// by its alpha also when the transparency flag is clear, and alpha 0 is
// skipped only in the rules that have that test.
#pragma once

#include <algorithm>
#include <array>
#include <functional>

#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/surface/fill_pattern.h"
#include "library/softrender/triangle/span_inside.h"
#include "library/softrender/triangle/triangle_spans.h"

namespace veziv::softrender {

inline constexpr FormRules kSpanForms{false, false};

// What differs between 16-bit and 32-bit targets: the pixel width, where a
// direct texel keeps its alpha, and which rule set draws a pixel.
template <int32_t Type>
struct SpanFormat;

template <>
struct SpanFormat<kSoftType32> {
  static constexpr int kBytes = 4;
  static uint32_t LoadColour(const uint8_t* p) { return Load32(p); }
  // The alpha of a 32-bit texel is its byte 3, which the rules read from the word.
  template <bool Alpha>
  static constexpr int kTexelBytes = 4;
  static uint32_t TexelAlpha(const uint8_t*) { return 0; }
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, uint32_t s, uint32_t, uint32_t g, uint32_t key, const RuleTables16& t) {
    DrawPixel32<R, Blend, Tint, Alpha, Transp, kSpanForms>(dp, s, g, key, t.common);
  }
};

template <>
struct SpanFormat<kSoftType16> {
  static constexpr int kBytes = 2;
  static uint32_t LoadColour(const uint8_t* p) { return Load16(p); }
  // With alpha a texel is 4 bytes: the colour word, the alpha, a byte nobody reads.
  template <bool Alpha>
  static constexpr int kTexelBytes = Alpha ? 4 : 2;
  static uint32_t TexelAlpha(const uint8_t* texel) { return texel[2]; }
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, uint32_t s, uint32_t a, uint32_t g, uint32_t key, const RuleTables16& t) {
    DrawPixel16<R, Blend, Tint, Alpha, Transp, kSpanForms>(dp, s, a, g, key, t);
  }
};

// Texel fetches: read the texel at (col, row) and draw it through the rule.
template <class F>
struct DirectTexels {
  using Format = F;
  static constexpr bool kDirect32 = F::kBytes == 4;
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint8_t* sp = k.source + row * k.sourcePitch + ptrdiff_t{F::template kTexelBytes<Alpha>} * col;
    F::template Draw<R, Blend, Tint, Alpha, Transp>(dp, F::LoadColour(sp), Alpha ? F::TexelAlpha(sp) : 0, g, k.key,
                                                     k.rules);
  }
};

// The index is tested, not its colour; palette sources have no alpha.
template <class F>
struct PaletteTexels {
  using Format = F;
  static constexpr bool kDirect32 = false;
  template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
  static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t col, uint32_t row, uint32_t g) {
    const uint32_t i = k.source[row * k.sourcePitch + col];
    if (Transp && i == k.key) return;
    F::template Draw<R, Blend, Tint, false, false>(dp, F::LoadColour(k.palette + F::kBytes * i), 0, g, 0, k.rules);
  }
};

// Whether the bytes of the 32-bit source lie within reach of the count
// pixels at dp.
inline bool SourceMeetsRow(const TriangleSpanSetup& k, const uint8_t* dp, int32_t count) {
  const ptrdiff_t rows = ptrdiff_t(k.heightBound >> kFixedShift), cols = ptrdiff_t(k.widthBound >> kFixedShift);
  if (rows <= 0 || cols <= 0) return false;
  const ptrdiff_t last = (rows - 1) * k.sourcePitch;
  const uint8_t* s0 = k.source + std::min<ptrdiff_t>(0, last);
  const uint8_t* s1 = k.source + std::max<ptrdiff_t>(0, last) + 4 * cols;
  return std::less<const uint8_t*>{}(s0, dp + ptrdiff_t{4} * count) && std::less<const uint8_t*>{}(dp, s1);
}

// The four-pixel form of a textured 32-bit row for the rules that have one
// (modes 0 and 1 without blend image, and modes 2 and 3 by the parameter
// alone, as the blit's forms): texels fetched one by one, drawn four
// at a time. Draws the leading multiple of four of count pixels, every texel
// inside the source, and returns how many it drew.
template <class Texels, BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
inline int32_t TexturedFourPixels([[maybe_unused]] uint8_t* dp, [[maybe_unused]] const TriangleSpanSetup& k,
                                  [[maybe_unused]] uint32_t u, [[maybe_unused]] uint32_t v,
                                  [[maybe_unused]] uint32_t du, [[maybe_unused]] uint32_t dv,
                                  [[maybe_unused]] int32_t count) {
#if defined(__SSE2__)
  constexpr bool kMix = R == BlendRule::Copy || R == BlendRule::Alpha;
  constexpr bool kPacked = (R == BlendRule::Add || R == BlendRule::Subtract) && !Tint && !Alpha;
  if constexpr (Texels::kDirect32 && !Blend && (kMix || kPacked)) {
    const __m128i key = _mm_set1_epi32(static_cast<int>(k.key));
    const MixVector<R, Tint, Alpha, Transp> mix(k.rules.common);
    [[maybe_unused]] const __m128i param = _mm_set1_epi16(static_cast<short>(k.rules.common.p));
    // Draws the four texels s over the four pixels at p.
    const auto group = [&](__m128i* p, __m128i s) {
      if constexpr (R == BlendRule::Copy && !Tint && !Alpha) {
        // The untinted copy stores the texel whole.
        if constexpr (Transp) {
          const __m128i keep = _mm_cmpeq_epi32(s, key);
          if (_mm_movemask_epi8(keep) != 0) {
            const __m128i d = _mm_loadu_si128(p);
            _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
            return;
          }
        }
        _mm_storeu_si128(p, s);
      } else if constexpr (kPacked) {
        // The product-table term of each byte, then the packed add or subtract.
        const auto packed = [param](__m128i d, __m128i x) {
          const __m128i v = ScaleBytes(x, param);
          return R == BlendRule::Add ? PackedAddLanes(d, v, true) : PackedSubtractLanes(d, v);
        };
        _mm_storeu_si128(p, ApplyVector<Transp>(packed, _mm_loadu_si128(p), s, key));
      } else {
        _mm_storeu_si128(p, ApplyVector<Transp && !Alpha>(mix, _mm_loadu_si128(p), s, key));
      }
    };
    const uint8_t* const src = k.source;
    const ptrdiff_t pitch = k.sourcePitch;
    // Where the texels are stored whole the multiply-add of the indices pays;
    // with mixing after it, the indices' trip out of the vector registers costs more.
    constexpr bool kPackedIndex = R == BlendRule::Copy && !Tint && !Alpha;
    int32_t i = 0;
    if (kPackedIndex && pitch > 0 && pitch % 4 == 0 && pitch / 4 < 32768) {
      // Texel indices row * (pitch / 4) + column four at a time in one
      // multiply-add of 16-bit halves: inside the source both are below 8192.
      const __m128i stepU = Splat(4 * du), stepV = Splat(4 * dv);
      const __m128i weights = Splat(uint32_t(pitch / 4) << 16 | 1), rowBits = Splat(0xFFFF0000u);
      __m128i us = _mm_setr_epi32(int(u), int(u + du), int(u + 2 * du), int(u + 3 * du));
      __m128i vs = _mm_setr_epi32(int(v), int(v + dv), int(v + 2 * dv), int(v + 3 * dv));
      for (; i + 4 <= count; i += 4, us = _mm_add_epi32(us, stepU), vs = _mm_add_epi32(vs, stepV)) {
        const __m128i place =
            _mm_or_si128(_mm_and_si128(_mm_srli_epi32(vs, 2), rowBits), _mm_srli_epi32(us, kFixedShift));
        const __m128i index = _mm_madd_epi16(place, weights);
        const auto texel = [src](__m128i x) {
          return static_cast<int>(Load32(src + 4 * size_t(uint32_t(_mm_cvtsi128_si32(x)))));
        };
        const __m128i s = _mm_setr_epi32(texel(index), texel(_mm_shuffle_epi32(index, 1)),
                                         texel(_mm_shuffle_epi32(index, 2)), texel(_mm_shuffle_epi32(index, 3)));
        group(reinterpret_cast<__m128i*>(dp + ptrdiff_t{4} * i), s);
      }
      return i;
    }
    const auto texel = [src, pitch](uint32_t tu, uint32_t tv) {
      return static_cast<int>(Load32(src + ptrdiff_t(tv >> kFixedShift) * pitch + 4 * ptrdiff_t(tu >> kFixedShift)));
    };
    if constexpr (kMix && Alpha) {
      // Eight pixels at a time where the machine has the wide form, and where
      // that cannot read a pixel this row has already drawn (the source apart
      // from the row).
      static const WideTexelMix wide = ChooseWideTexelMix(R, Tint, Transp);
      if (wide && count >= 8 && !SourceMeetsRow(k, dp, count)) {
        i = wide(dp, count, TexelStep{src, pitch, u, v, du, dv, kFixedShift}, k.rules.common);
        u += uint32_t(i) * du;
        v += uint32_t(i) * dv;
      }
    }
    for (; i + 4 <= count; i += 4, u += 4 * du, v += 4 * dv) {
      const __m128i s = _mm_setr_epi32(texel(u, v), texel(u + du, v + dv), texel(u + 2 * du, v + 2 * dv),
                                       texel(u + 3 * du, v + 3 * dv));
      group(reinterpret_cast<__m128i*>(dp + ptrdiff_t{4} * i), s);
    }
    return i;
  }
#endif
  return 0;
}

// One row of a textured triangle: a texel outside the source leaves its pixel
// alone (and reads no blend weight), and the coordinates step on regardless.
// Where they move on a line over the row only the run of pixels inside is
// walked, without a test at each.
template <class Texels>
struct TexturedSpans {
  template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
  struct Loop {
    static void Draw(uint8_t* dp, const TriangleSpanSetup& k, uint32_t u, uint32_t v) {
      const uint32_t col = u >> kFixedShift, row = v >> kFixedShift;
      uint32_t g = 1;
      if constexpr (Blend) g = k.blendAlpha[k.blend[row * k.blendPitch + col]];
      Texels::template Draw<R, Blend, Tint, Alpha, Transp>(dp, k, col, row, g);
    }
    static void Run(const TriangleSpanSetup& k, const TriangleSpan& s) {
      constexpr int kBytes = Texels::Format::kBytes;
      uint8_t* dp = k.target + s.row * k.targetPitch + ptrdiff_t{kBytes} * s.first;
      const uint32_t du = s.du, dv = s.dv;
      const SpanInside inside = FindSpanInside(s, k.widthBound, k.heightBound);
      if (!inside.linear) {
        uint32_t u = s.u, v = s.v;
        for (int32_t i = 0; i < s.count; ++i, dp += kBytes, u += du, v += dv) {
          if (u < k.widthBound && v < k.heightBound) Draw(dp, k, u, v);
        }
        return;
      }
      const int32_t count = inside.last - inside.first;
      dp += ptrdiff_t{kBytes} * inside.first;
      uint32_t u = s.u + uint32_t(inside.first) * du, v = s.v + uint32_t(inside.first) * dv;
      const int32_t four = TexturedFourPixels<Texels, R, Blend, Tint, Alpha, Transp>(dp, k, u, v, du, dv, count);
      dp += ptrdiff_t{kBytes} * four;
      u += uint32_t(four) * du;
      v += uint32_t(four) * dv;
      for (int32_t i = four; i < count; ++i, dp += kBytes, u += du, v += dv) Draw(dp, k, u, v);
    }
  };
};

// The leading multiple of four pixels of a flat 32-bit row in the module's
// four-pixel forms, for the rules that have one; returns how many it drew.
template <BlendRule R>
inline int32_t FlatFourPixels32([[maybe_unused]] uint8_t* dp, [[maybe_unused]] int32_t count,
                                [[maybe_unused]] const TriangleSpanSetup& k) {
#if defined(__SSE2__)
  if constexpr (R == BlendRule::Copy || R == BlendRule::Alpha || R == BlendRule::Add ||
                R == BlendRule::Subtract) {
    const RuleTables& t = k.rules.common;
    uint32_t word = k.colour;
    if constexpr (R == BlendRule::Add || R == BlendRule::Subtract) {
      word = t.paramRow[Byte(k.colour, 2)] << 16 | t.paramRow[Byte(k.colour, 1)] << 8 | t.paramRow[Byte(k.colour, 0)];
    }
    const __m128i s = Splat(word);
    const MixVector<BlendRule::Alpha, false, false, false> mix(t);
    int32_t i = 0;
    if constexpr (R == BlendRule::Add) {
      static const FlatAddRow wide = ChooseWideFlatAdd();
      if (wide) i = wide(dp, count, word);
    }
    for (; i + 4 <= count; i += 4) {
      auto* p = reinterpret_cast<__m128i*>(dp + ptrdiff_t{4} * i);
      const __m128i d = _mm_loadu_si128(p);
      __m128i r = s;
      if constexpr (R == BlendRule::Alpha) r = mix(d, s);
      if constexpr (R == BlendRule::Add) r = PackedAddLanes(d, s, true);
      if constexpr (R == BlendRule::Subtract) r = PackedSubtractLanes(d, s);
      _mm_storeu_si128(p, r);
    }
    return i;
  }
#endif
  return 0;
}

// One row of a flat fill: the prepared colour as an untinted source without weights.
template <class F>
struct FlatSpans {
  template <BlendRule R>
  static void Run(const TriangleSpanSetup& k, const TriangleSpan& s) {
    uint8_t* dp = k.target + s.row * k.targetPitch + ptrdiff_t{F::kBytes} * s.first;
    if constexpr (R == BlendRule::Copy) {
      // The untinted copy without weights stores the colour whole.
      if (s.count > 0) FillPattern(dp, size_t(s.count) * F::kBytes, PixelPattern(k.colour, F::kBytes));
      return;
    }
    int32_t i = 0;
    if constexpr (F::kBytes == 4) i = FlatFourPixels32<R>(dp, s.count, k);
    for (dp += ptrdiff_t{F::kBytes} * i; i < s.count; ++i, dp += F::kBytes) {
      F::template Draw<R, false, false, false, false>(dp, k.colour, 0, 1, 0, k.rules);
    }
  }
  static constexpr std::array<TriangleSpanLoop, kRuleCount> kLoops = {
      &Run<BlendRule::Copy>,     &Run<BlendRule::Alpha>,    &Run<BlendRule::Add>,
      &Run<BlendRule::Subtract>, &Run<BlendRule::Multiply>, &Run<BlendRule::Invert>,
      &Run<BlendRule::MultiplyBlend>,
  };
};

template <int32_t Type>
TriangleSpanLoop ChooseSpanLoop(SpanSource kind, BlendRule rule, const LoopOptions& o) {
  using F = SpanFormat<Type>;
  switch (kind) {
    case SpanSource::kFlat: return FlatSpans<F>::kLoops[RuleIndex(rule)];
    case SpanSource::kDirect: return PickOptionLoop<TexturedSpans<DirectTexels<F>>::template Loop, TriangleSpanLoop>(rule, o);
    case SpanSource::kPalette:
      return PickOptionLoop<TexturedSpans<PaletteTexels<F>>::template Loop, TriangleSpanLoop>(
          rule, {o.blend, o.tint, false, o.transp});
  }
  return nullptr;
}

}  // namespace veziv::softrender
