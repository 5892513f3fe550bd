// The run-table loops of the unscaled blit, 32-bit and 16-bit, for direct and
// palette sources: the walk over the source's run table (transparent runs
// stepped over unread, drawn runs blended pixel by pixel) and one loop per
// rule and option set. Opaque runs take a rule's form without source alpha,
// partly transparent runs of an alpha source its form with it; there are no
// special loops on this path.
#include <algorithm>
#include <functional>

#include "library/softrender/blend/blend_rules16.h"
#include "library/softrender/blend/blend_vector.h"
#include "library/softrender/blit/blit_rows.h"
#include "library/softrender/blit/blit_setup.h"

namespace veziv::softrender {
namespace {

// fn(dp, sp, b, kind) for every pixel of a drawn run. A run never reaches past
// its row, whatever the table says.
template <int SrcBytes, int DstBytes, bool Blend, class Fn>
inline void WalkRuns(const BlitSetup& k, Fn fn) {
  const uint8_t* run = k.runTable;
  const int32_t w = k.w;
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    const uint8_t* bp = Blend ? k.blend + y * k.blendPitch : nullptr;
    int32_t x = 0;
    for (uint8_t code = *run++; RunKind(code) != 3; code = *run++) {
      const int32_t n = std::min(RunLength(code), w - x);
      const uint8_t kind = RunKind(code);
      if (kind != kRunTransparent) {
        for (int32_t i = x; i < x + n; ++i) {
          uint32_t b = 1;
          if constexpr (Blend) b = k.blendAlpha[bp[i]];
          fn(dp + DstBytes * i, sp + SrcBytes * i, b, kind);
        }
      }
      x += n;
    }
  }
}

// fn(dp, sp, n, room, kind) for every drawn run of n pixels, room pixels
// from its start to the end of its row (at least n).
template <class Fn>
inline void EachDrawnRun(const BlitSetup& k, Fn fn) {
  const uint8_t* run = k.runTable;
  const int32_t w = k.w;
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    int32_t x = 0;
    for (uint8_t code = *run++; RunKind(code) != 3; code = *run++) {
      const int32_t n = std::min(RunLength(code), w - x);
      const uint8_t kind = RunKind(code);
      if (kind != kRunTransparent && n > 0) fn(dp + 4 * x, sp + 4 * x, n, w - x, kind);
      x += n;
    }
  }
}

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool>
struct Runs32 {
  static void Scalar(const BlitSetup& k) {
    constexpr int kB = Blend ? 1 : 0;
    WalkRuns<4, 4, Blend>(k, [&k](uint8_t* dp, const uint8_t* sp, uint32_t b, uint8_t kind) {
      const uint32_t s = Load32(sp);
      if constexpr (Alpha) {
        if (kind == kRunPartial) {
          Store32(dp, BlendPixel32<R, Tint, kB + 1>(Load32(dp), s, b * (s >> 24), k.rules));
          return;
        }
      }
      Store32(dp, BlendPixel32<R, Tint, kB>(Load32(dp), s, b, k.rules));
    });
  }

  // Modes 0 and 1 without blend image, run by run: an untinted copy of an
  // opaque run moves its bytes, the rest mix four pixels at a time. Source
  // and target apart only: drawn into itself the image keeps the pixel order.
  static void Run(const BlitSetup& k) {
#if defined(__SSE2__)
    if constexpr (!Blend && (R == BlendRule::Copy || R == BlendRule::Alpha)) {
      if (!RowsOverlap(k)) {
        const MixVector<R, Tint, false, false> plain(k.rules);
        [[maybe_unused]] const MixVector<R, Tint, true, false> partial(k.rules);
        const RuleTables& t = k.rules;
        // Partial runs of eight or more take the eight-pixel form where there is one.
        static const WideAlphaMix wide = Alpha ? ChooseWideAlphaMix(R, Tint, false) : nullptr;
        EachDrawnRun(k, [&](uint8_t* dp, const uint8_t* sp, int32_t n, int32_t room, uint8_t kind) {
          if (Alpha && kind == kRunPartial) {
            if (wide && n >= 8) {
              const int32_t i = wide(dp, sp, n, t);
              dp += ptrdiff_t{4} * i;
              sp += ptrdiff_t{4} * i;
              n -= i;
              room -= i;
            }
            MixRun(dp, sp, n, room, partial, [&t](uint32_t d, uint32_t s) {
              return BlendPixel32<R, Tint, 1>(d, s, s >> 24, t);
            });
          } else if (R == BlendRule::Copy && !Tint) {
            // Runs are short: plain 16-byte moves beat a string copy's start-up.
            CopyRun(dp, sp, n);
          } else {
            MixRun(dp, sp, n, room, plain,
                   [&t](uint32_t d, uint32_t s) { return BlendPixel32<R, Tint, 0>(d, s, 1, t); });
          }
        });
        return;
      }
    }
#endif
    Scalar(k);
  }

#if defined(__SSE2__)
  // Four pixels at a time. A run of four or more mixes its last four (which
  // may overlap the groups before them) over the target as it was, before any
  // group is stored, and stores them last: every pixel gets the value one mix
  // gives. A shorter run with four pixels of room in its row mixes four and
  // stores the pixels past the run as they were.
  template <class Vec, class One>
  static void MixRun(uint8_t* dp, const uint8_t* sp, int32_t n, int32_t room, const Vec& vec, One one) {
    const auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    if (n >= 4) {
      uint8_t* const lastAt = dp + ptrdiff_t{4} * (n - 4);
      const __m128i last = vec(load(lastAt), load(sp + ptrdiff_t{4} * (n - 4)));
      for (int32_t i = 0; i + 4 < n; i += 4) {
        auto* p = reinterpret_cast<__m128i*>(dp + 4 * i);
        _mm_storeu_si128(p, vec(_mm_loadu_si128(p), load(sp + 4 * i)));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(lastAt), last);
      return;
    }
    if (room >= 4) {
      const __m128i d = load(dp);
      const __m128i inRun = _mm_cmpgt_epi32(_mm_set1_epi32(n), _mm_setr_epi32(0, 1, 2, 3));
      const __m128i r = vec(d, load(sp));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dp), _mm_or_si128(_mm_and_si128(inRun, r), _mm_andnot_si128(inRun, d)));
      return;
    }
    for (int32_t i = 0; i < n; ++i) Store32(dp + 4 * i, one(Load32(dp + 4 * i), Load32(sp + 4 * i)));
  }

  // Copies of the last four overlap the ones before them with the same bytes.
  static void CopyRun(uint8_t* dp, const uint8_t* sp, int32_t n) {
    const auto copy = [dp, sp](int32_t i) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dp + 4 * i),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + 4 * i)));
    };
    if (n < 4) {
      for (int32_t i = 0; i < n; ++i) Store32(dp + 4 * i, Load32(sp + 4 * i));
      return;
    }
    for (int32_t i = 0; i + 4 < n; i += 4) copy(i);
    copy(n - 4);
  }
#endif
};

template <BlendRule R, bool Blend, bool Tint, bool, bool>
struct PaletteRuns32 {
  static void Run(const BlitSetup& k) {
    WalkRuns<1, 4, Blend>(k, [&k](uint8_t* dp, const uint8_t* sp, uint32_t b, uint8_t) {
      Store32(dp, BlendPixel32<R, Tint, Blend ? 1 : 0>(Load32(dp), Load32(k.palette + 4 * *sp), b, k.rules));
    });
  }
};

template <BlendRule R, bool Blend, bool Tint, bool Alpha, bool>
struct Runs16 {
  static void Run(const BlitSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkRuns<Alpha ? 4 : 2, 2, Blend>(k, [&t](uint8_t* dp, const uint8_t* sp, uint32_t b, uint8_t kind) {
      const uint32_t s = Alpha ? Load32(sp) : Load16(sp);
      uint32_t r;
      if (Alpha && kind == kRunPartial)
        r = BlendPixel16<R, Tint, true, Blend>(Load16(dp), s & 0xFFFF, b * ((s >> 16) & 0xFF), t);
      else
        r = BlendPixel16<R, Tint, false, Blend>(Load16(dp), s & 0xFFFF, b, t);
      Store16(dp, static_cast<uint16_t>(r));
    });
  }
};

template <BlendRule R, bool Blend, bool Tint, bool, bool>
struct PaletteRuns16 {
  static void Run(const BlitSetup& k) {
    const RuleTables16 t{k.rules, k.differenceRow};
    WalkRuns<1, 2, Blend>(k, [&k, &t](uint8_t* dp, const uint8_t* sp, uint32_t b, uint8_t) {
      Store16(dp, static_cast<uint16_t>(
                      BlendPixel16<R, Tint, false, Blend>(Load16(dp), Load16(k.palette + 2 * *sp), b, t)));
    });
  }
};

}  // namespace

BlitLoop ChooseRunLoop(BlendRule rule, LoopOptions o, bool sixteen, bool palette) {
  // The flag is always 1 on this path and a palette source has no alpha.
  o.transp = false;
  if (palette) o.alpha = false;
  if (sixteen)
    return palette ? PickOptionLoop<PaletteRuns16, BlitLoop>(rule, o) : PickOptionLoop<Runs16, BlitLoop>(rule, o);
  return palette ? PickOptionLoop<PaletteRuns32, BlitLoop>(rule, o) : PickOptionLoop<Runs32, BlitLoop>(rule, o);
}

}  // namespace veziv::softrender
