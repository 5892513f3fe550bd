// The stream-half table and the stream list.
#include "library/sound_movie/sound/stream_calls.h"

#include "library/sound_movie/sound/sound_system.h"

namespace veziv {
namespace {

detail::StreamList g_stream_list{};

}  // namespace

int RefillAllStreamSounds() {
  if (detail::SoundMixer() == nullptr) return -1;
  detail::CatchUpSilentOutput();
  const auto refill_all = detail::StreamCalls().refill_all;
  if (refill_all != nullptr) return refill_all();
  return 0;
}

namespace detail {

StreamSoundHooks& StreamCalls() {
  static StreamSoundHooks calls = StreamHalfCalls();
  return calls;
}

void ResetStreamCalls() { StreamCalls() = StreamHalfCalls(); }

StreamList& StreamSoundList() { return g_stream_list; }

void InitStreamList() { InitHandleList(&g_stream_list.head, &g_stream_list.tail); }

}  // namespace detail
}  // namespace veziv
