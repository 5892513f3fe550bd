// Stream sounds: long sound data played through a ring of six seconds that
// each pump pass refills behind the play cursor, from up to three sources of
// one format played in turn, each repeated or looped from a loop position.
// Streams of one format may share a ring. A movie's sound track is one of
// these, read straight from the movie's open file (keep mode 3).
// Every call returns -1 for a handle that is not valid or while sound is
// down. Depends on the sound handles, the buffer wrapper, the readers and
// the foundation's streams, files, log and pump.
#pragma once

#include "library/foundation/files/streams.h"
#include "library/sound_movie/sound/sound_record.h"

namespace veziv {

// Adds a source to the handle: keep mode 0 decodes it whole and keeps it as
// PCM, 2 keeps a copy of its bytes, 3 (and 1) reads the caller's stream as
// it plays. play_count: repeats after the first play (255: from the loop
// position for ever). The first source gives the handle its format and its
// ring: that of owner when owner is a stream sound of the same format with a
// ring of its own, else a new one. out_flag is 1 when the library keeps its
// own copy, so that the caller may close its stream. 0, -1.
int AttachStreamSource(const StreamFunctionTable* functions, StreamValue stream, int play_count, int handle,
                       int keep_mode, int* out_flag, int owner);
// A file through the file functions as a source of the handle.
int LoadStreamSoundFileToHandle(const char* file_name, int play_count, int handle, int keep_mode, int owner);
// The caller's image as a source; keep mode 3 counts as 2.
int LoadStreamSoundFromFileImage(const void* image, int size, int play_count, int handle, int keep_mode, int owner);
// Fills the first four seconds of the ring from the decoding position, unless
// the stream plays, its ring is in another's use or it is filled already.
int PrefillStreamSound(int handle);
// As PlaySoundHandle: top 1 starts from the beginning, 0 resumes.
int PlayStreamSoundHandle(int handle, int play_type, int top);
// The decoding position is kept, so that a later play resumes.
int StopStreamSoundHandle(int handle);
// 1, 0 (also while another stream plays through its ring).
int IsStreamSoundPlaying(int handle);
// One pass: tops the ring up behind the play cursor. 0; -1 when it skipped
// the pass (more than four seconds buffered, or a buffer call failed).
int RefillStreamSound(int handle);
// The ring the handle plays through (a memory sound's first buffer). force
// takes a shared ring over from the stream that uses it, stopping that one.
// 0; -1 when the ring is in another's use (without force) or its owner is gone.
int AcquireStreamBuffer(int handle, SoundHandleData* record, SoundBufferWrapper** wrapper, int force);
// Counts the bytes the play cursor has moved over since it was last read
// (play_cursor -1 reads it). 0.
int UpdateStreamPlayedBytes(int handle, int play_cursor);
// The milliseconds played, at most the handle's length.
int GetStreamPlayPosMs(int handle);

namespace detail {
// The ring a stream sound plays through (its own or its owner's), null when
// its owner is gone.
SoundBufferWrapper* StreamRing(SoundHandleData* record);
// Stops the stream and lets go of its sources, ring and list place: 0, after
// which the record is freed; or 1 while other streams still share its ring
// (its deletion then waits for the last of them).
int DeleteStreamSound(int handle);
int RefillStreamSoundList();
}  // namespace detail

}  // namespace veziv
