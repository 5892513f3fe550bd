// The stream-half table and the stream list.
#include "library/sound_movie/sound/stream_calls.h"

#include "library/sound_movie/sound/sound_system.h"

namespace veziv {
namespace {

detail::StreamSoundCalls g_stream_calls{};
detail::StreamList g_stream_list{};

}  // namespace

int RefillAllStreamSounds() {
  if (detail::SoundMixer() == nullptr) return -1;
  detail::CatchUpSilentOutput();
  if (g_stream_calls.refill_all != nullptr) return g_stream_calls.refill_all();
  return 0;
}

namespace detail {

StreamSoundCalls& StreamCalls() { return g_stream_calls; }

void ResetStreamCalls() { g_stream_calls = StreamSoundCalls{}; }

StreamList& StreamSoundList() { return g_stream_list; }

void InitStreamList() { InitHandleList(&g_stream_list.head, &g_stream_list.tail); }

}  // namespace detail
}  // namespace veziv
