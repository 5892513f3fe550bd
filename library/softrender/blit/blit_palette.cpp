// The general loops of the unscaled blit for palette sources, 32-bit and
// 16-bit: each index is looked up in the source's own palette and the entry
// drawn by the direct-colour rules of the target's depth. The transparency
// test compares the index with the whole transparent value, so a value above
// 255 leaves no index out. Without blend image and tint, the half blend at
// p = 128, the 6-bit blend (16-bit), and the whole-entry add and subtract at
// p = 255 (32-bit: MMX or packed form; 16-bit: two-pixel form) replace the
// rule's own loop.
#include <algorithm>
#include <cstring>

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

// The untinted copy without blend image into 32 bits. With Transp an index
// equal to the whole transparent value keeps its target pixel: eight indices
// are tested at once, and a group without the key stores its eight entries
// without a test each. Plain stores of the looked-up entries beat a vector
// form here: each entry is one load, and nothing needs putting together.
template <bool Transp>
void CopyEntries32(const BlitSetup& k) {
  const uint8_t* const palette = k.palette;
  const uint32_t key = k.key;
  if (Transp && key > 255) {
    // No index equals the transparent value.
    CopyEntries32<false>(k);
    return;
  }
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  const uint64_t keys = kOnes * (key & 0xFF);
  const size_t w = size_t(std::max(k.w, 0));
  const auto entry = [palette](uint8_t index) { return Load32(palette + 4 * size_t{index}); };
  for (int32_t y = 0; y < k.h; ++y) {
    const uint8_t* sp = k.src + y * k.srcPitch;
    uint8_t* dp = k.dst + y * k.dstPitch;
    const uint8_t* const end = sp + w;
    for (; end - sp >= 8; sp += 8, dp += 32) {
      if constexpr (Transp) {
        uint64_t group;
        std::memcpy(&group, sp, 8);
        // A byte of the difference is 0 exactly where an index is the key.
        const uint64_t d = group ^ keys;
        if (((d - kOnes) & ~d & kHighs) != 0) {
          for (size_t i = 0; i < 8; ++i)
            if (sp[i] != key) Store32(dp + 4 * i, entry(sp[i]));
          continue;
        }
      }
      for (size_t i = 0; i < 8; ++i) Store32(dp + 4 * i, entry(sp[i]));
    }
    for (; sp < end; ++sp, dp += 4) {
      if (Transp && *sp == key) continue;
      Store32(dp, entry(*sp));
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
