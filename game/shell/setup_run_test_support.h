// For runs of the whole game under test or benchmark: a mode-handler table
// in which each screen's frame passes through one call first.
#pragma once

#include <algorithm>
#include <iterator>
#include <utility>

#include "game/shell/frame_loop.h"

namespace game::test {

// A mode-handler table in which every mode with a screen runs through one
// call first, which decides whether the screen's own handler runs this
// time, is passed over, or the loop ends.
enum class Step { kRun, kSkip, kEnd };
using BeforeScreen = Step (*)(int32_t mode);
struct HandlerWrap {
  ModeHandler original[kModeCount] = {};
  BeforeScreen before = nullptr;
};
inline HandlerWrap& Wrapping() {
  static HandlerWrap wrap;
  return wrap;
}
template <int Mode>
bool Wrapped() {
  HandlerWrap& w = Wrapping();
  const Step step = w.before != nullptr ? w.before(Mode) : Step::kRun;
  if (step == Step::kEnd) return true;
  return step == Step::kRun && w.original[Mode]();
}
template <size_t... M>
void WrapHandlers(BeforeScreen before, std::index_sequence<M...>) {
  HandlerWrap& w = Wrapping();
  std::copy(std::begin(modeHandlers), std::end(modeHandlers), w.original);
  w.before = before;
  ((modeHandlers[M] = (w.original[M] != nullptr ? &Wrapped<M> : nullptr)), ...);
}
// Wraps every mode that has a handler.
inline void WrapHandlers(BeforeScreen before) {
  WrapHandlers(before, std::make_index_sequence<kModeCount>());
}
// The screens' own handlers back.
inline void UnwrapHandlers() {
  HandlerWrap& w = Wrapping();
  std::copy(std::begin(w.original), std::end(w.original), modeHandlers);
  w.before = nullptr;
}

}  // namespace game::test
