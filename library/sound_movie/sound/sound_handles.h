// Sound handles: the table of sounds, loading a sound file into a handle
// (whole into memory, played through up to ten buffers sharing its PCM, or
// as a stream sound), and play, stop, volume, rate, loop point and position.
// Every call returns -1 for a handle that is not valid or while sound is
// down. Depends on the readers, the buffer wrapper, the stream half's table
// and the foundation's handles, files, log and pump.
#pragma once

#include "library/sound_movie/readers/sound_decoder.h"
#include "library/sound_movie/sound/sound_record.h"
#include "library/veziv.h"

namespace veziv {

// The library's own.
// -1 makes a new handle; a handle that was just deleted is made again under
// the same value. The handle, or -1.
int AllocSoundHandle(int handle);
// kind kSoundMemory or kSoundStream. A first buffer that cannot be made ends the program.
int CreateSoundBuffers(const SoundWaveFormat* format, int bytes, int kind, int buffer_count, int handle);

namespace detail {
// Volume 0..255 in hundredths of a decibel.
int SoundVolumeToHundredths(int volume);
// The table's count and end index (one past the highest slot in use).
int SoundHandleCount();
int SoundHandleEndIndex();
}  // namespace detail

}  // namespace veziv
