// The blend rules for 16-bit (R5G6B5) targets, each written once beside the
// 32-bit ones and chosen the same way: the fields are mixed on their own
// ranges, the parameter alone scales through the signed product row, and the
// packed add and subtract work on the whole word with the R5G6B5 masks.
#pragma once

#include <cstdint>

#include "library/softrender/blend/blend_ops.h"
#include "library/softrender/blend/blend_rules.h"

namespace veziv::softrender {

// Fields of an R5G6B5 word in the order of the tint rows: 0 blue, 1 green, 2 red.
inline constexpr int kFieldShift565[3] = {0, 5, 11};
inline constexpr int kFieldBits565[3] = {5, 6, 5};

constexpr uint32_t Field565(uint32_t w, int c) {
  return (w >> kFieldShift565[c]) & ((1u << kFieldBits565[c]) - 1);
}

// Packed saturating add: blue exact; green and red add their upper bits, the
// lowest bit being the OR of both lowest bits and the carry from below.
constexpr uint32_t PackedAdd565(uint32_t d, uint32_t s) {
  const uint32_t t = (s & 0xF7DFu) + (d & 0xF7DFu);
  const uint32_t c = t & 0x10820u;
  return (t | (c - (c >> 5)) | ((s | d) & 0x0820u)) & 0xFFFFu;
}

// Packed saturating subtract: blue exact; green and red subtract their upper
// bits from a target whose lowest bit is forced on; a field that borrows is 0.
constexpr uint32_t PackedSubtract565(uint32_t d, uint32_t s) {
  const uint32_t t = (d | 0x10820u) - (s & 0xF7DFu);
  const uint32_t c = t & 0x10820u;
  return t & (c - (c >> 5)) & 0xFFFFu;
}

// The 32-bit rule tables plus the signed product row of p (at difference 0),
// which the 16-bit rules use when p is the only weight.
struct RuleTables16 {
  RuleTables common;
  const int32_t* differenceRow;
};

// d + trunc((x - d) * p / 255), the step toward x the same size from either side.
inline uint32_t ScaleByParam(uint32_t d, uint32_t x, const int32_t* differenceRow) {
  return static_cast<uint32_t>(static_cast<int32_t>(d) + differenceRow[static_cast<int32_t>(x) - static_cast<int32_t>(d)]);
}

// Field c of the source after the invert rule's complement and the tint.
template <BlendRule R, bool Tint>
inline uint32_t Source565(uint32_t s, int c, const RuleTables& t) {
  uint32_t x = Field565(R == BlendRule::Invert ? ~s : s, c);
  if constexpr (Tint) x = t.tint[c][x];
  return x;
}

// One 16-bit pixel. A and G say which weights are present (source alpha, blend
// image weight), f is their product (1 when neither). Returns the new word.
template <BlendRule R, bool Tint, bool A, bool G>
inline uint32_t BlendPixel16(uint32_t D, uint32_t S, uint32_t f, const RuleTables16& tables) {
  constexpr int K = int{A} + int{G};
  const RuleTables& t = tables.common;
  if constexpr (R == BlendRule::Copy && K == 0 && !Tint) {
    return S & 0xFFFFu;
  } else if constexpr (R == BlendRule::Add || R == BlendRule::Subtract) {
    uint32_t y = 0;
    for (int c = 0; c < 3; ++c) {
      uint32_t z;
      if constexpr (A && !G) {
        // The alpha alone is applied before the tint.
        z = (Field565(S, c) * f) >> 8;
        if constexpr (Tint) z = t.tint[c][z];
      } else {
        z = (Source565<R, Tint>(S, c, t) * f) >> (8 * K);
      }
      y |= t.paramRow[z] << kFieldShift565[c];
    }
    return R == BlendRule::Add ? PackedAdd565(D, y) : PackedSubtract565(D, y);
  } else {
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
      const uint32_t d = Field565(D, c);
      const uint32_t x = Source565<R, Tint>(S, c, t);
      uint32_t r;
      if constexpr (R == BlendRule::Copy) {
        if constexpr (K == 0) r = x;
        else r = Lerp<8 * K>(d, x, f);
      } else if constexpr (R == BlendRule::Multiply) {
        r = (d * x * f) >> (kFieldBits565[c] + 8 * K);
      } else {
        const uint32_t v = R == BlendRule::MultiplyBlend ? (x * d) >> kFieldBits565[c] : x;
        if constexpr (K == 0) {
          r = ScaleByParam(d, v, tables.differenceRow);
        } else if (R == BlendRule::MultiplyBlend && A && !G && !Tint && c == 1) {
          // Untinted alpha sources keep green's product at 1/32 of a step.
          const uint32_t w = t.p * f;
          r = (32 * d * (65536 - w) + ((x * d) >> 1) * w) >> 21;
        } else {
          r = Lerp<8 * K + 8>(d, v, f * t.p);
        }
      }
      out |= r << kFieldShift565[c];
    }
    return out;
  }
}

// Draws one 16-bit source word S with alpha a (read only with Alpha) over the
// word at dp, with the blend image weight b (1 without a blend image): the
// transparency flag's tests first, then the rule for the weights left.
template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool Transp, FormRules P>
inline void DrawPixel16(uint8_t* dp, uint32_t S, uint32_t a, uint32_t b, uint32_t key, const RuleTables16& t) {
  if constexpr (!Alpha) {
    if constexpr (Transp) {
      if (S == key) return;
    }
    Store16(dp, static_cast<uint16_t>(BlendPixel16<R, Tint, false, Blend>(Load16(dp), S, b, t)));
  } else if constexpr (Transp) {
    constexpr bool kSkips = P.skipAlpha0InEveryMode || (R != BlendRule::Multiply && R != BlendRule::MultiplyBlend);
    if (kSkips && a == 0) return;
    if (a == 255) {
      Store16(dp, static_cast<uint16_t>(BlendPixel16<R, Tint, false, Blend>(Load16(dp), S, b, t)));
      return;
    }
    Store16(dp, static_cast<uint16_t>(BlendPixel16<R, Tint, true, Blend>(Load16(dp), S, b * a, t)));
  } else if constexpr (P.copyAlphaWholeWithoutFlag && R == BlendRule::Copy && !Tint && !Blend) {
    Store16(dp, static_cast<uint16_t>(S));
  } else {
    Store16(dp, static_cast<uint16_t>(BlendPixel16<R, Tint, true, Blend>(Load16(dp), S, b * a, t)));
  }
}

// The add of a pixel drawn alone inside the two-pixel loops: no low-bit term.
constexpr uint32_t PackedAdd565NoLowBits(uint32_t d, uint32_t s) {
  const uint32_t t = (s & 0xF7DFu) + (d & 0xF7DFu);
  const uint32_t c = t & 0x10820u;
  return (t | (c - (c >> 5))) & 0xFFFFu;
}

// Two pixels at once (first in the low half) in 33 bits: the second pixel's
// lowest blue bit takes the first pixel's red carry, and a carry out of the
// second pixel's red saturates it. No low-bit term.
constexpr uint32_t PairAdd565(uint32_t d, uint32_t s) {
  const uint64_t sum = uint64_t(d & 0xF7DEF7DFu) + (s & 0xF7DEF7DFu);
  const uint64_t k = sum & 0x108210820u;
  return static_cast<uint32_t>(sum | (k - (k >> 5)));
}

// Two pixels at once: the second pixel's blue takes the first pixel's red
// borrow, and its red survives only when no borrow passes out of bit 31.
constexpr uint32_t PairSubtract565(uint32_t d, uint32_t s) {
  const uint64_t t = (uint64_t(d) | 0x108210820u) - (s & 0xF7DEF7DFu);
  const uint64_t k = t & 0x108210820u;
  return static_cast<uint32_t>(t & (k - (k >> 5)));
}

// floor(s / 2) + floor(d / 2) in each field.
constexpr uint32_t Half565(uint32_t d, uint32_t s) { return ((s >> 1) & 0x7BEFu) + ((d >> 1) & 0x7BEFu); }

// The 6-bit blend of each field through a block of the 6-bit blend table
// (entry s * 64 + d), the 5-bit fields indexing it as the 6-bit one does.
inline uint32_t Blend6Word(const uint8_t* block, uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int c = 0; c < 3; ++c) out |= uint32_t{block[Field565(s, c) * 64 + Field565(d, c)]} << kFieldShift565[c];
  return out;
}

}  // namespace veziv::softrender
