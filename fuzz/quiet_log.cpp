// Linked into every fuzz target: the library's log is silenced before the
// first input, since every refusal would otherwise be written to "Log.txt"
// (megabytes a run for the targets that run the game's frames).
#include "library/foundation/memory_log/log.h"

namespace {

const bool kLogSilenced = [] {
  veziv::detail::SilenceLogForFuzzing(true);
  return true;
}();

}  // namespace
