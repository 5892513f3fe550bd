// Where sound handles reach the stream half of sounds (loading a stream
// sound, its sources, play, stop, play position, deletion and the per-pass
// refill), which lives in files of its own. The table starts with the stream
// half's calls; tests may put others in. A null entry fails: a stream sound
// cannot be made without it. Also the list of stream sounds, which the sound
// system starts empty.
#pragma once

#include "library/foundation/core/handles.h"
#include "library/foundation/files/streams.h"

namespace veziv {

// 0; -1 without sound. Refills every stream sound (once a pump pass).
int RefillAllStreamSounds();

namespace detail {

struct StreamSoundHooks {
  int (*load_file)(const char* name, int play_count, int handle, int keep_mode, int owner);
  int (*load_image)(const void* image, int size, int play_count, int handle, int keep_mode, int owner);
  int (*attach_source)(const StreamFunctionTable* functions, StreamValue stream, int play_count, int handle,
                       int keep_mode, int* out_flag, int owner);
  int (*prefill)(int handle);
  int (*play)(int handle, int play_type, int top);
  int (*stop)(int handle);
  int (*is_playing)(int handle);
  int (*play_pos_ms)(int handle);
  // Lets go of the stream's parts: 0, and the record is freed; 1 while
  // others share its ring (the record then stays, marked to go).
  int (*delete_stream)(int handle);
  int (*refill_all)();
};

StreamSoundHooks& StreamCalls();
// Back to the stream half's own calls.
void ResetStreamCalls();
// The stream half's own calls.
StreamSoundHooks StreamHalfCalls();

// The stream sounds, in the order they were made.
struct StreamList {
  HandleListNode head;
  HandleListNode tail;
};
StreamList& StreamSoundList();
void InitStreamList();

}  // namespace detail
}  // namespace veziv
