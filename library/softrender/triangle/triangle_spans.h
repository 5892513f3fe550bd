// What the triangle entry hands to its span loops, and the loop choosers of
// the six span families. Each loop is one texel fetch (or the flat colour)
// times one blend rule and option set of the shared rules, generated from
// the template in triangle_span_loops.h. Internal to the renderer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/softrender/blend/blend_rules16.h"
#include "library/softrender/blit/blit_setup.h"
#include "library/softrender/triangle/triangle_walk.h"

namespace veziv::softrender {

// Per-call facts of one fill; rows are addressed as start + row * pitch.
struct TriangleSpanSetup {
  uint8_t* target;
  ptrdiff_t targetPitch;
  const uint8_t* source;  // null for flat fills
  ptrdiff_t sourcePitch;
  uint32_t widthBound;   // texel coordinates at or past these lie outside the source
  uint32_t heightBound;
  const uint8_t* blend;  // null without a blend image
  ptrdiff_t blendPitch;
  const uint8_t* blendAlpha;
  const uint8_t* palette;  // palette sources only
  uint32_t key;            // transparent colour, or index for palette sources
  uint32_t colour;         // flat fills: the colour with the brightness applied
  RuleTables16 rules;      // .common for 32-bit targets
};

using TriangleSpanLoop = void (*)(const TriangleSpanSetup&, const TriangleSpan&);

enum class SpanSource { kFlat, kDirect, kPalette };

// The packed add of the word over the leading multiple of eight of count 32-bit
// pixels at dp; returns how many it drew.
using FlatAddRow = int32_t (*)(uint8_t* dp, int32_t count, uint32_t word);
// The eight-pixel form where the machine has AVX2, else null.
FlatAddRow ChooseWideFlatAdd();

// The rows first.row .. bottom - 1 of a rotated walk, the texel position
// stepping by (rowU, rowV) a row; rows the form does not take go to each,
// the family's loop for the same rule and options.
using TriangleRowsLoop = void (*)(const TriangleSpanSetup& k, TriangleSpan first, int32_t bottom, uint32_t rowU,
                                  uint32_t rowV, TriangleSpanLoop each);
// The eight-pixel form of a direct-colour source's rows into 32 bits where
// the machine has AVX2 and the rule and options have one, else null.
TriangleRowsLoop ChooseWideRowsLoop(SpanSource kind, BlendRule rule, const LoopOptions& o);

// The loop of a family for a rule and options; options a family lacks are
// ignored (a palette source has no alpha, a flat fill no option at all).
// Instantiated for kSoftType16 and kSoftType32, one source file each.
template <int32_t Type>
TriangleSpanLoop ChooseSpanLoop(SpanSource kind, BlendRule rule, const LoopOptions& o);

}  // namespace veziv::softrender
