// Row walks shared by the unscaled families: every pixel of the clipped
// rectangle in order, and the two-pixel walk of the 5:6:5 pair loops, whose
// pairs start at the first drawn pixel of each row. Internal to the renderer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <type_traits>

#include "library/softrender/blend/blend_rules16.h"
#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/blit/blit_setup.h"

namespace veziv::softrender {

// Whether the source rows and the target rows of the blit share bytes.
inline bool RowsOverlap(const BlitSetup& k) {
  if (k.h <= 0) return false;
  const uint8_t* s0 = k.src + std::min<ptrdiff_t>(0, (k.h - 1) * k.srcPitch);
  const uint8_t* s1 = k.src + std::max<ptrdiff_t>(0, (k.h - 1) * k.srcPitch) + 4 * ptrdiff_t{k.w};
  const uint8_t* d0 = k.dst + std::min<ptrdiff_t>(0, (k.h - 1) * k.dstPitch);
  const uint8_t* d1 = k.dst + std::max<ptrdiff_t>(0, (k.h - 1) * k.dstPitch) + 4 * ptrdiff_t{k.w};
  return std::less<const uint8_t*>{}(s0, d1) && std::less<const uint8_t*>{}(d0, s1);
}

// The rows of Bytes-wide pixels copied as they stand. Rows that follow one
// another without a gap, in source and target alike, go as one move when the
// result is the same as row by row from the top: the two do not overlap, or
// the target starts at or before the source (a target above an overlapping
// source reads every source row before it is written). Otherwise memmove row
// by row, since a view may be drawn into another view of the same image.
template <int Bytes>
inline void CopyPixelRows(const BlitSetup& k) {
  const size_t rowBytes = size_t(k.w) * Bytes;
  if (k.h <= 0 || k.w <= 0) return;
  if (ptrdiff_t(rowBytes) == k.srcPitch && k.srcPitch == k.dstPitch) {
    const size_t total = rowBytes * size_t(k.h);
    const auto s = reinterpret_cast<uintptr_t>(k.src), d = reinterpret_cast<uintptr_t>(k.dst);
    if (d <= s || d >= s + total) {
      std::memmove(k.dst, k.src, total);
      return;
    }
  }
  for (int32_t y = 0; y < k.h; ++y) std::memmove(k.dst + y * k.dstPitch, k.src + y * k.srcPitch, rowBytes);
}

// fn(dp, sp, b) for every pixel: target and source addresses and the blend
// weight (1 without a blend image).
template <int SrcBytes, int DstBytes, bool Blend, class Fn>
inline void WalkRows(const BlitSetup& k, Fn fn) {
  const int32_t w = k.w;
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    const uint8_t* bp = Blend ? k.blend + y * k.blendPitch : nullptr;
    for (int32_t x = 0; x < w; ++x) {
      uint32_t b = 1;
      if constexpr (Blend) b = k.blendAlpha[bp[x]];
      fn(dp + DstBytes * x, sp + SrcBytes * x, b);
    }
  }
}

// Walks the rectangle of Bytes-wide pixels (2 or 4) with vec(d, s) on 16
// bytes of target and source at a time where SSE2 is there, and scalar(dp, s)
// on the rest of each row. With Transp, source pixels equal to key keep their
// target pixel.
template <int Bytes, bool Transp, class Vec, class Scalar>
void WalkPixelRows(const BlitSetup& k, uint32_t key, [[maybe_unused]] Vec vec, Scalar scalar) {
  static_assert(Bytes == 2 || Bytes == 4);
  const int32_t w = k.w;  // a local copy: the stores below may alias k for all the compiler knows
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    int32_t x = 0;
#if defined(__SSE2__)
    if constexpr (!std::is_same_v<Vec, NoVector>) {
      constexpr int32_t kLanes = 16 / Bytes;
      const __m128i keys = Bytes == 2 ? _mm_set1_epi16(static_cast<short>(key)) : Splat(key);
      for (; x + kLanes <= w; x += kLanes) {
        auto* p = reinterpret_cast<__m128i*>(dp + Bytes * x);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + Bytes * x));
        const __m128i d = _mm_loadu_si128(p);
        __m128i r = vec(d, s);
        if constexpr (Transp) {
          const __m128i keep = Bytes == 2 ? _mm_cmpeq_epi16(s, keys) : _mm_cmpeq_epi32(s, keys);
          r = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, r));
        }
        _mm_storeu_si128(p, r);
      }
    }
#endif
    for (; x < w; ++x) {
      const uint32_t s = Bytes == 2 ? Load16(sp + 2 * x) : Load32(sp + 4 * x);
      if (Transp && s == key) continue;
      scalar(dp + Bytes * x, s);
    }
  }
}

// The two-pixel loops of 5:6:5 targets. word(sp) gives the colour word of a
// source pixel and clear(sp) whether the transparency test leaves it out.
// Two drawn pixels go through pair(D, S) as one 32-bit word (first pixel in
// the low half); a pixel drawn alone (its partner left out, or the odd last
// pixel of a row) through single(d, s).
template <int SrcBytes, bool Transp, class Word, class Clear, class Pair, class Single>
inline void WalkPairs(const BlitSetup& k, Word word, Clear clear, Pair pair, Single single) {
  const int32_t w = k.w;
  const auto alone = [&](uint8_t* dp, const uint8_t* sp) {
    if (Transp && clear(sp)) return;
    Store16(dp, static_cast<uint16_t>(single(Load16(dp), word(sp))));
  };
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    int32_t x = 0;
    for (; x + 2 <= w; x += 2, sp += 2 * SrcBytes, dp += 4) {
      if (Transp && (clear(sp) || clear(sp + SrcBytes))) {
        alone(dp, sp);
        alone(dp + 2, sp + SrcBytes);
        continue;
      }
      Store32(dp, pair(Load32(dp), word(sp) | word(sp + SrcBytes) << 16));
    }
    if (x < w) alone(dp, sp);
  }
}

}  // namespace veziv::softrender
