// The blend rules of the software renderer, each written once: how one source
// pixel combines with one target pixel for every blend mode, given the weights
// present (blend parameter, blend-image weight, source alpha) and the tint.
// Loops instantiate these templates for their own options, so no loop tests
// the draw state per pixel.
#pragma once

#include <cstdint>

#include "library/softrender/blend/blend_ops.h"
#include "library/softrender/surface/draw_snapshot.h"

namespace veziv::softrender {

// The rules a blend mode runs (modes 5 to 9 and unknown values run none).
enum class BlendRule { Copy, Alpha, Add, Subtract, Multiply, Invert, MultiplyBlend };
inline constexpr int kRuleCount = 7;

inline constexpr int RuleIndex(BlendRule r) { return static_cast<int>(r); }

// Turns a blend mode and parameter into the rule that draws it. Mode 1 at
// p = 255 draws as mode 0; modes 1 and 2 at p = 0 draw nothing, and mode 3 at
// p = 0 too unless the family subtracts a zero source then. Returns false when
// nothing is drawn.
inline bool ChooseRule(BlendMode mode, uint32_t p, bool zeroSubtractDraws, BlendRule* rule) {
  switch (mode) {
    case 0: *rule = BlendRule::Copy; return true;
    case 1:
      if (p == 0) return false;
      *rule = p == 255 ? BlendRule::Copy : BlendRule::Alpha;
      return true;
    case 2:
      if (p == 0) return false;
      *rule = BlendRule::Add;
      return true;
    case 3:
      if (p == 0 && !zeroSubtractDraws) return false;
      *rule = BlendRule::Subtract;
      return true;
    case 4: *rule = BlendRule::Multiply; return true;
    case 10: *rule = BlendRule::Invert; return true;
    case 11: *rule = BlendRule::MultiplyBlend; return true;
    default: return false;
  }
}

// Per-call constants the rules read.
struct RuleTables {
  const uint32_t* tint[3];   // product-table rows of the blue, green and red brightness
  const uint32_t* paramRow;  // product-table row of p
  uint32_t p;
};

// The source channel after the mode's inversion, the tint and the mode-11
// multiply by the target channel d.
template <BlendRule R, bool Tint>
inline uint32_t EffectiveSource(uint32_t s, uint32_t d, int c, const RuleTables& t) {
  uint32_t x = R == BlendRule::Invert ? 255 - s : s;
  if constexpr (Tint) x = t.tint[c][x];
  if constexpr (R == BlendRule::MultiplyBlend) x = (x * d) >> 8;
  return x;
}

// One 32-bit pixel: K weights other than p are present (blend-image weight,
// source alpha), f is their product (1 when K = 0). Returns the new target word.
// Modes 2 and 3 replace the whole word by the packed operation; every other rule
// writes bytes 0-2 and keeps byte 3, except the untinted copy without weights,
// which stores the source word whole.
template <BlendRule R, bool Tint, int K>
inline uint32_t BlendPixel32(uint32_t D, uint32_t S, uint32_t f, const RuleTables& t) {
  static_assert(K >= 0 && K <= 2);
  if constexpr (R == BlendRule::Copy && K == 0 && !Tint) {
    return S;
  } else if constexpr (R == BlendRule::Add || R == BlendRule::Subtract) {
    uint32_t v = 0;
    for (int c = 0; c < 3; ++c) {
      const uint32_t x = EffectiveSource<R, Tint>(Byte(S, c), 0, c, t);
      const uint32_t term = K == 0 ? t.paramRow[x] : (x * f * t.p) >> (8 * K + 8);
      v |= term << (8 * c);
    }
    return R == BlendRule::Add ? PackedAdd(D, v) : PackedSubtract(D, v);
  } else {
    uint32_t out = D & 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
      const uint32_t d = Byte(D, c);
      const uint32_t x = EffectiveSource<R, Tint>(Byte(S, c), d, c, t);
      uint32_t r;
      if constexpr (R == BlendRule::Copy) {
        if constexpr (K == 0) r = x;
        else r = Lerp<8 * K>(d, x, f);
      } else if constexpr (R == BlendRule::Multiply) {
        r = (d * x * f) >> (8 + 8 * K);
      } else {
        r = Lerp<8 * K + 8>(d, x, f * t.p);
      }
      out |= r << (8 * c);
    }
    return out;
  }
}

// How a path treats source alpha and the transparency flag where the families
// differ: whether alpha-0 pixels are skipped in modes 4, 10 and 11 as in the
// others, and whether mode 0 untinted without a blend image copies alpha pixels
// whole when the flag is off.
struct FormRules {
  bool skipAlpha0InEveryMode;
  bool copyAlphaWholeWithoutFlag;
};
inline constexpr FormRules kUnscaledForms{false, true};
inline constexpr FormRules kScaledForms{true, false};

// Draws one source word S over the target word at dp with the blend-image weight
// b (1 without a blend image): picks the plain, opaque or translucent form by
// source alpha and transparency flag, or leaves the pixel alone.
template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp, FormRules P>
inline void DrawPixel32(uint8_t* dp, uint32_t S, uint32_t b, uint32_t key, const RuleTables& t) {
  constexpr int kB = Blend ? 1 : 0;
  if constexpr (!Alpha) {
    if constexpr (Transp) {
      if (S == key) return;
    }
    Store32(dp, BlendPixel32<R, Tint, kB>(Load32(dp), S, b, t));
  } else {
    const uint32_t a = S >> 24;
    if constexpr (Transp) {
      constexpr bool kSkips = P.skipAlpha0InEveryMode || R == BlendRule::Copy || R == BlendRule::Alpha ||
                              R == BlendRule::Add || R == BlendRule::Subtract;
      if (kSkips && a == 0) return;
      if (a == 255) {
        Store32(dp, BlendPixel32<R, Tint, kB>(Load32(dp), S, b, t));
        return;
      }
      Store32(dp, BlendPixel32<R, Tint, kB + 1>(Load32(dp), S, b * a, t));
    } else if constexpr (P.copyAlphaWholeWithoutFlag && R == BlendRule::Copy && !Tint && !Blend) {
      Store32(dp, S);
    } else {
      Store32(dp, BlendPixel32<R, Tint, kB + 1>(Load32(dp), S, b * a, t));
    }
  }
}

}  // namespace veziv::softrender
