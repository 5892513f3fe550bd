// The buffer wrapper: the one way the library touches a mixer buffer. Each
// operation returns -1 when the wrapper is not valid or sound is down, else
// 0 unless said. Depends on the sound system's mixer.
#pragma once

#include <cstdint>

#include "library/sound_movie/sound/sound_record.h"

namespace veziv::detail {

int CreateWrappedBuffer(const SoundWaveFormat& format, int bytes, SoundBufferWrapper* wrapper);
// -1 also when the target is already valid.
int DuplicateWrappedBuffer(const SoundBufferWrapper* source, SoundBufferWrapper* target);
int ReleaseWrappedBuffer(SoundBufferWrapper* wrapper);
int PlayWrappedBuffer(SoundBufferWrapper* wrapper, bool loop);
int StopWrappedBuffer(SoundBufferWrapper* wrapper);
// Bit 0 of status: playing.
int GetWrappedBufferStatus(SoundBufferWrapper* wrapper, uint32_t* status);
int LockWrappedBuffer(SoundBufferWrapper* wrapper, int offset, int bytes, void** first, int* first_bytes,
                      void** second, int* second_bytes);
int UnlockWrappedBuffer(SoundBufferWrapper* wrapper);
// -1 stands for the data's own rate.
int SetWrappedBufferFrequency(SoundBufferWrapper* wrapper, int hz);
int SetWrappedBufferVolume(SoundBufferWrapper* wrapper, int hundredths_db);
int SetWrappedBufferPosition(SoundBufferWrapper* wrapper, int byte);
// The play cursor in bytes.
int GetWrappedBufferPosition(SoundBufferWrapper* wrapper, int* byte);

}  // namespace veziv::detail
