// The general loops of the unscaled blit for palette sources, 32-bit and
// 16-bit: each index is looked up in the source's own palette and the entry
// drawn by the direct-colour rules of the target's depth. The transparency
// test compares the index with the whole transparent value, so a value above
// 255 leaves no index out. Without blend image and tint, the half blend at
// p = 128, the 6-bit blend (16-bit), and the whole-entry add and subtract at
// p = 255 (32-bit: MMX or packed form; 16-bit: two-pixel form) replace the
// rule's own loop.
#include "library/softrender/blit/blit_rows.h"

namespace veziv::softrender {
namespace {

template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
struct Palette32 {
  static void Run(const BlitSetup& k) {
    WalkRows<1, 4, Blend>(k, [&k](uint8_t* dp, const uint8_t* sp, uint32_t b) {
      if (Transp && *sp == k.key) return;
      DrawPixel32<R, Blend, Tint, false, false, kUnscaledForms>(dp, Load32(k.palette + 4 * *sp), b, 0, k.rules);
    });
  }
};

template <BlendRule R, bool Blend, bool Tint, bool, bool Transp>
struct Palette16 {
  static void Run(const BlitSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkRows<1, 2, Blend>(k, [&k, &t](uint8_t* dp, const uint8_t* sp, uint32_t b) {
      if (Transp && *sp == k.key) return;
      DrawPixel16<R, Blend, Tint, false, false, kUnscaledForms>(dp, Load16(k.palette + 2 * *sp), 0, b, 0, t);
    });
  }
};

// op(D, entry) on each drawn pixel.
template <int DstBytes, bool Transp, class Op>
void EachEntry(const BlitSetup& k, Op op) {
  WalkRows<1, DstBytes, false>(k, [&](uint8_t* dp, const uint8_t* sp, uint32_t) {
    if (Transp && *sp == k.key) return;
    if constexpr (DstBytes == 4) {
      Store32(dp, op(Load32(dp), Load32(k.palette + 4 * *sp)));
    } else {
      Store16(dp, static_cast<uint16_t>(op(Load16(dp), Load16(k.palette + 2 * *sp))));
    }
  });
}

// The untinted copy without blend image into 32 bits: four entries looked up
// and stored at a time where SSE2 is there. With Transp an index equal to the
// whole transparent value keeps its target pixel.
template <bool Transp>
void CopyEntries32(const BlitSetup& k) {
  const uint8_t* const palette = k.palette;
  const uint32_t key = k.key;
  const int32_t w = k.w;
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    int32_t x = 0;
#if defined(__SSE2__)
    const __m128i keys = Splat(key), z = _mm_setzero_si128();
    for (; x + 4 <= w; x += 4) {
      const auto entry = [palette, sp, x](int i) { return static_cast<int>(Load32(palette + 4 * sp[x + i])); };
      const __m128i s = _mm_setr_epi32(entry(0), entry(1), entry(2), entry(3));
      auto* p = reinterpret_cast<__m128i*>(dp + 4 * x);
      if constexpr (Transp) {
        const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(Load32(sp + x)));
        const __m128i indices = _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, z), z);
        const __m128i keep = _mm_cmpeq_epi32(indices, keys);
        _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(keep, _mm_loadu_si128(p)), _mm_andnot_si128(keep, s)));
      } else {
        _mm_storeu_si128(p, s);
      }
    }
#endif
    for (; x < w; ++x) {
      if (Transp && sp[x] == key) continue;
      Store32(dp + 4 * x, Load32(palette + 4 * sp[x]));
    }
  }
}

template <bool Transp, uint32_t (*Op)(uint32_t, uint32_t)>
void Whole32(const BlitSetup& k) {
  EachEntry<4, Transp>(k, Op);
}

template <bool Transp, uint32_t (*Op)(uint32_t, uint32_t)>
void Whole16(const BlitSetup& k) {
  EachEntry<2, Transp>(k, Op);
}

template <bool Transp>
void Blend6Entries(const BlitSetup& k) {
  const uint8_t* block = k.blend6Block;
  EachEntry<2, Transp>(k, [block](uint32_t d, uint32_t s) { return Blend6Word(block, d, s); });
}

template <bool Transp, bool Add>
void PairEntries(const BlitSetup& k) {
  WalkPairs<1, Transp>(
      k, [&k](const uint8_t* sp) { return uint32_t{Load16(k.palette + 2 * *sp)}; },
      [&k](const uint8_t* sp) { return *sp == k.key; }, Add ? PairAdd565 : PairSubtract565,
      Add ? PackedAdd565NoLowBits : PackedSubtract565);
}

}  // namespace

BlitLoop ChoosePalette32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx) {
  if (!o.blend && !o.tint) {
    const bool m = mmx == 1, t = o.transp;
    if (rule == BlendRule::Copy) return t ? CopyEntries32<true> : CopyEntries32<false>;
    if (rule == BlendRule::Alpha && p == 128) return t ? Whole32<true, AverageBytes> : Whole32<false, AverageBytes>;
    if (rule == BlendRule::Add && p == 255) {
      if (m) return t ? Whole32<true, SaturatingAddBytes> : Whole32<false, SaturatingAddBytes>;
      return t ? Whole32<true, PackedAddNoLowBits> : Whole32<false, PackedAddNoLowBits>;
    }
    if (rule == BlendRule::Subtract && p == 255) {
      if (m) return t ? Whole32<true, SaturatingSubtractBytes> : Whole32<false, SaturatingSubtractBytes>;
      return t ? Whole32<true, PackedSubtract> : Whole32<false, PackedSubtract>;
    }
  }
  return PickPaletteLoop<Palette32, BlitLoop>(rule, o);
}

BlitLoop ChoosePalette16Loop(BlendRule rule, uint32_t p, const LoopOptions& o) {
  if (!o.blend && !o.tint) {
    const bool t = o.transp;
    if (rule == BlendRule::Alpha) {
      if (p == 128) return t ? Whole16<true, Half565> : Whole16<false, Half565>;
      return t ? Blend6Entries<true> : Blend6Entries<false>;
    }
    if (rule == BlendRule::Add && p == 255) return t ? PairEntries<true, true> : PairEntries<false, true>;
    if (rule == BlendRule::Subtract && p == 255) return t ? PairEntries<true, false> : PairEntries<false, false>;
  }
  return PickPaletteLoop<Palette16, BlitLoop>(rule, o);
}

}  // namespace veziv::softrender
