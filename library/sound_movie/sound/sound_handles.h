// Sound handles: the table of sounds, loading a sound file into a handle
// (whole into memory, played through up to ten buffers sharing its PCM, or
// as a stream sound), and play, stop, volume, rate, loop point and position.
// Every call returns -1 for a handle that is not valid or while sound is
// down. Depends on the readers, the buffer wrapper, the stream half's table
// and the foundation's handles, files, log and pump.
#pragma once

#include "library/sound_movie/readers/sound_decoder.h"
#include "library/sound_movie/sound/sound_record.h"

namespace veziv {

// type: SoundPlayWait, SoundPlayBack or SoundPlayLoop; top 1 starts from the
// beginning, 0 leaves a sounding buffer alone and lets a stopped one resume.
int PlaySoundHandle(int handle, int play_type, int top);
// 0; -1 when a status query fails.
int StopSoundHandle(int handle);
// 1 while any buffer sounds, 0 when none does (or there is none).
int IsSoundHandlePlaying(int handle);
// The second value is not used.
int DeleteSoundHandle(int handle, int unused);
int DeleteSoundHandleAll(int unused);
// volume 0..255.
int SetSoundHandleVolume(int volume, int handle);
// Hz; -1 for the data's own rate.
int SetSoundHandleFrequency(int frequency, int handle);
// 0 once the handle is valid.
int SetSoundHandleLoopPointMs(int ms, int handle);
// The new handle, or -1. buffer_count above 10 counts as 10.
int LoadSoundFileToHandle(const char* file_name, int buffer_count, int owner);

// The library's own.
// -1 makes a new handle; a handle that was just deleted is made again under
// the same value. The handle, or -1.
int AllocSoundHandle(int handle);
// 0..3: 0 decodes new sounds whole, 1..3 makes stream sounds. -1 outside.
int SetSoundCreateType(int type);
int GetSoundCreateType();
// The new handle, or -1 (also for a buffer count above 10).
int LoadSoundFromFileImage(const void* image, int size, int buffer_count, int owner);
// kind kSoundMemory or kSoundStream. A first buffer that cannot be made ends the program.
int CreateSoundBuffers(const SoundWaveFormat* format, int bytes, int kind, int buffer_count, int handle);
int GetSoundHandleTotalSamples(int handle);
int GetSoundHandleTotalMs(int handle);
int GetSoundHandlePlayPosMs(int handle);
int SetSoundHandleLoopPointSamples(int samples, int handle);

namespace detail {
// Volume 0..255 in hundredths of a decibel.
int SoundVolumeToHundredths(int volume);
// The table's count and end index (one past the highest slot in use).
int SoundHandleCount();
int SoundHandleEndIndex();
}  // namespace detail

}  // namespace veziv
