// The general 16-bit (5:6:5) direct-colour loops of the unscaled blit: one loop
// per rule and option set from the shared 16-bit rules, and the loops that
// replace them without blend image, tint or source alpha: the row copy, the
// half blend at p = 128, the 6-bit blend table for other p, and the two-pixel
// add and subtract at p = 255.
#include <cstring>

#include "library/softrender/blit/blit_rows.h"

namespace veziv::softrender {
namespace {

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp>
struct General16 {
  static void Run(const BlitSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkRows<Alpha ? 4 : 2, 2, Blend>(k, [&k, &t](uint8_t* dp, const uint8_t* sp, uint32_t b) {
      const uint32_t s = Alpha ? Load32(sp) : Load16(sp);
      DrawPixel16<R, Blend, Tint, Alpha, Transp, kUnscaledForms>(dp, s & 0xFFFF, (s >> 16) & 0xFF, b, k.key, t);
    });
  }
};

void CopyRows16(const BlitSetup& k) { CopyPixelRows<2>(k); }

// A whole-word operation op(d, s) on each pixel; the special loops compare
// source words with the low half of the packed transparent value. Where SSE2
// is there, vec(d, s) does eight pixels at a time in 16-bit lanes first.
template <bool Transp, class Op, class Vec = NoVector>
void EachWord(const BlitSetup& k, Op op, Vec vec = {}) {
  WalkPixelRows<2, Transp>(k, k.packedKey & 0xFFFF, vec,
                           [op](uint8_t* dp, uint32_t s) { Store16(dp, static_cast<uint16_t>(op(Load16(dp), s))); });
}

template <bool Transp>
void CopyWords(const BlitSetup& k) {
  EachWord<Transp>(k, [](uint32_t, uint32_t s) { return s; }, VEZIV_VECTOR([](__m128i, __m128i s) { return s; }));
}

template <bool Transp>
void HalfBlend(const BlitSetup& k) {
  EachWord<Transp>(k, Half565, VEZIV_VECTOR([](__m128i d, __m128i s) {
                     const __m128i m = _mm_set1_epi16(0x7BEF);
                     return _mm_add_epi16(_mm_and_si128(_mm_srli_epi16(s, 1), m),
                                          _mm_and_si128(_mm_srli_epi16(d, 1), m));
                   }));
}

template <bool Transp>
void Blend6(const BlitSetup& k) {
  const uint8_t* block = k.blend6Block;
  [[maybe_unused]] const uint32_t a = k.rules.p / 4;
  EachWord<Transp>(k, [block](uint32_t d, uint32_t s) { return Blend6Word(block, d, s); },
                   VEZIV_VECTOR([a](__m128i d, __m128i s) { return Blend6Lanes(d, s, a); }));
}

template <bool Transp, bool Add>
void Pairs(const BlitSetup& k) {
  const uint32_t key = k.packedKey & 0xFFFF;
  WalkPairs<2, Transp>(
      k, [](const uint8_t* sp) { return uint32_t{Load16(sp)}; },
      [key](const uint8_t* sp) { return Load16(sp) == key; }, Add ? PairAdd565 : PairSubtract565,
      Add ? PackedAdd565NoLowBits : PackedSubtract565);
}

}  // namespace

BlitLoop ChooseGeneral16Loop(BlendRule rule, uint32_t p, const LoopOptions& o) {
  if (!o.blend && !o.tint && !o.alpha) {
    switch (rule) {
      case BlendRule::Copy: return o.transp ? CopyWords<true> : CopyRows16;
      case BlendRule::Alpha:
        if (p == 128) return o.transp ? HalfBlend<true> : HalfBlend<false>;
        return o.transp ? Blend6<true> : Blend6<false>;
      case BlendRule::Add:
        if (p == 255) return o.transp ? Pairs<true, true> : Pairs<false, true>;
        break;
      case BlendRule::Subtract:
        if (p == 255) return o.transp ? Pairs<true, false> : Pairs<false, false>;
        break;
      default: break;
    }
  }
  return PickOptionLoop<General16, BlitLoop>(rule, o);
}

}  // namespace veziv::softrender
