// What the blit entries hand to their pixel loops: the clipped geometry, start
// pointers, pitches and table rows of one call, and the loop tables of each
// family. Internal to the renderer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "library/softrender/blend/blend_rules.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv::softrender {

// Clipped rectangle of target pixels, kept in 64 bits beside the unclipped
// edges (a position plus a size can pass the 32-bit range); empty when
// right <= left or bottom <= top.
struct ClipBox {
  int64_t left, top, right, bottom;
};

// The rectangle {left, top, right, bottom} clipped, by ClipRectToRect, to the
// draw area ordered and limited to the target view.
ClipBox ClipToDrawArea(int64_t left, int64_t top, int64_t right, int64_t bottom, const DrawRect& area,
                       const SOFTSURFACE& target);

// Options that choose a loop inside a family.
struct LoopOptions {
  bool blend;   // a blend image is given
  bool tint;    // the brightness is not white
  bool alpha;   // the source has the alpha flag
  bool transp;  // the transparency flag is non-zero
};

// The unscaled blit set-up. Rows are addressed as start + row * pitch.
struct BlitSetup {
  int32_t w, h;
  const uint8_t* src;
  ptrdiff_t srcPitch;
  uint8_t* dst;
  ptrdiff_t dstPitch;
  const uint8_t* blend;  // null without a blend image
  ptrdiff_t blendPitch;
  const uint8_t* blendAlpha;  // blend alpha table
  RuleTables rules;
  const int32_t* differenceRow;  // signed product row of p, at difference 0
  const uint8_t* blend6Block;    // 6-bit blend block of p / 4
  uint32_t key;                  // transparent value as stored
  uint32_t packedKey;            // replicated for palette indices and 16-bit pixels
  const uint8_t* palette;        // a palette source's own palette
  const uint8_t* runTable;       // run-table path only
  uint32_t mmx;
};

using BlitLoop = void (*)(const BlitSetup&);

// The scaled blit set-up: source and blend positions are byte offsets from their
// images' first pixel, stepped by the accumulators.
struct ScaledSetup {
  int32_t cw, ch;
  const uint8_t* src;  // source view's first pixel
  ptrdiff_t srcStart;  // offset of the first sampled pixel
  ptrdiff_t srcXStep, srcRowStep;
  const uint8_t* blend;
  ptrdiff_t blendStart, blendXStep, blendRowStep;
  uint8_t* dst;  // first target pixel
  ptrdiff_t dstPitch;
  int64_t spanX, spanY;  // 16.16 width of one source pixel in target pixels
  int64_t accX0, accY0;
  const uint8_t* blendAlpha;
  RuleTables rules;
  const int32_t* differenceRow;
  uint32_t key;
  const uint8_t* palette;  // a palette source's own palette
  uint32_t mmx;
};

using ScaledLoop = void (*)(const ScaledSetup&);

// Family choosers: the loop for a rule, parameter and options, or null when the
// family draws nothing.
BlitLoop ChooseGeneral32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx);
BlitLoop ChooseGeneral16Loop(BlendRule rule, uint32_t p, const LoopOptions& o);
BlitLoop ChoosePalette32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx);
BlitLoop ChoosePalette16Loop(BlendRule rule, uint32_t p, const LoopOptions& o);
// The run-table loops of a 16-bit (else 32-bit), palette (else direct) source.
BlitLoop ChooseRunLoop(BlendRule rule, LoopOptions o, bool sixteen, bool palette);
ScaledLoop ChooseScaled32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx);
ScaledLoop ChooseScaled16Loop(BlendRule rule, uint32_t p, const LoopOptions& o);
ScaledLoop ChooseScaledPalette32Loop(BlendRule rule, uint32_t p, const LoopOptions& o, uint32_t mmx);
ScaledLoop ChooseScaledPalette16Loop(BlendRule rule, uint32_t p, const LoopOptions& o);

// The 7 x 16 table of a loop template, one loop per rule and option set
// (blend image, tint, source alpha, transparency flag).
template <template <BlendRule, bool, bool, bool, bool> class Loop, class Fn, BlendRule R, size_t... I>
constexpr std::array<Fn, 16> OptionLoops(std::index_sequence<I...>) {
  return {{&Loop<R, (I & 8) != 0, (I & 4) != 0, (I & 2) != 0, (I & 1) != 0>::Run...}};
}

template <template <BlendRule, bool, bool, bool, bool> class Loop, class Fn>
Fn PickOptionLoop(BlendRule r, const LoopOptions& o) {
  using Seq = std::make_index_sequence<16>;
  static constexpr std::array<std::array<Fn, 16>, kRuleCount> kLoops = {{
      OptionLoops<Loop, Fn, BlendRule::Copy>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::Alpha>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::Add>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::Subtract>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::Multiply>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::Invert>(Seq{}),
      OptionLoops<Loop, Fn, BlendRule::MultiplyBlend>(Seq{}),
  }};
  return kLoops[RuleIndex(r)][(o.blend ? 8 : 0) + (o.tint ? 4 : 0) + (o.alpha ? 2 : 0) + (o.transp ? 1 : 0)];
}

// The option table of a palette family: without source alpha, which a
// palette source never has.
template <template <BlendRule, bool, bool, bool, bool> class Loop, class Fn>
Fn PickPaletteLoop(BlendRule r, LoopOptions o) {
  o.alpha = false;
  return PickOptionLoop<Loop, Fn>(r, o);
}

// What a source draws with: false for a source type no family draws, or a
// palette source without its palette.
bool Drawable(const SoftSurfaceShared& source);
// After a loop has drawn into an image its run table no longer describes it.
void MarkDrawn(SOFTSURFACE& target);
// The options that choose a loop: blend image, tint, source alpha, flag.
LoopOptions ChooseOptions(const SoftDrawSnapshot& draw, const SoftSurfaceShared& source,
                          const SOFTSURFACE* blendImage, int32_t transparencyFlag);

// Whether the unscaled blit of a w x h clipped rectangle walks the source's run
// table: transparency flag exactly 1, a valid table built with the source's
// present transparent value, nothing clipped, and a view that is its whole
// image.
bool TakesRunTablePath(const SOFTSURFACE& source, int32_t transparencyFlag, int32_t w, int32_t h);
// The transparent value as the grouped loops compare it: a palette index in
// all four bytes, a 16-bit colour in both halves, a 32-bit colour as it is.
uint32_t PackTransparentValue(const SoftSurfaceShared& source);

// Product-table rows and parameter of the snapshot.
RuleTables MakeRuleTables(const SoftDrawSnapshot& draw, uint32_t p);
bool IsTinted(const SoftDrawSnapshot& draw);
uint32_t ClampedParam(const SoftDrawSnapshot& draw);

}  // namespace veziv::softrender
