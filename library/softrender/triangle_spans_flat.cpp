// The flat-colour span loops: the colour, prepared once with the brightness,
// goes through the rule as an untinted source without weights.
#include <array>

#include "library/softrender/triangle_span_loops.h"

namespace veziv::softrender {
namespace {

template <int32_t TargetType>
struct FlatSpans {
  template <BlendRule R>
  static void Run(const TriangleSpanSetup& k, const TriangleSpan& s) {
    constexpr int kBytes = TargetType == kSoftType32 ? 4 : 2;
    uint8_t* dp = k.target + s.row * k.targetPitch + ptrdiff_t{kBytes} * s.first;
    for (int32_t i = 0; i < s.count; ++i, dp += kBytes) {
      if constexpr (kBytes == 4) {
        DrawPixel32<R, false, false, false, false, kSpanForms>(dp, k.colour, 1, 0, k.rules.common);
      } else {
        DrawPixel16<R, false, false, false, false, kSpanForms>(dp, k.colour, 0, 1, 0, k.rules);
      }
    }
  }

  static constexpr std::array<TriangleSpanLoop, kRuleCount> kLoops = {
      &Run<BlendRule::Copy>,     &Run<BlendRule::Alpha>,  &Run<BlendRule::Add>,
      &Run<BlendRule::Subtract>, &Run<BlendRule::Multiply>, &Run<BlendRule::Invert>,
      &Run<BlendRule::MultiplyBlend>,
  };
};

}  // namespace

TriangleSpanLoop ChooseFlatSpanLoop(int32_t targetType, BlendRule rule) {
  if (targetType == kSoftType32) return FlatSpans<kSoftType32>::kLoops[RuleIndex(rule)];
  return FlatSpans<kSoftType16>::kLoops[RuleIndex(rule)];
}

}  // namespace veziv::softrender
