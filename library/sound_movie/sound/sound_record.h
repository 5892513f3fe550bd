// The sound handle record and the buffer wrapper, shared by the sound
// handles, the stream sounds and the sound system. Depends on the handle
// list and the readers' decoder record.
#pragma once

#include <cstdint>

#include "library/foundation/core/handles.h"
#include "library/sound_movie/readers/sound_decoder.h"
#include "library/veziv.h"

namespace veziv {

constexpr int kMaxSoundBuffers = 10;
constexpr int kMaxStreamSources = 3;
// Loop wraps written ahead of the play cursor that a stream remembers.
constexpr int kMaxPendingWraps = 32;

constexpr int kSoundMemory = 0;
constexpr int kSoundStream = 1;

// A mixer buffer as the library holds it.
struct SoundBufferWrapper {
  uint32_t valid;
  int buffer;  // the mixer's id
};

struct SoundStreamSource {
  uint8_t playCount;  // repeats after the first play; 255: from the loop position for ever
  int keepMode;
  void* memoryImage;
  int memoryImageSize;
  StreamFunctionTable functions;
  StreamValue stream;
  int loopPosition;  // samples
  SoundDecoderRecord decoder;
};

struct SoundStreamProgress {
  int currentSource;
  int playsOfCurrent;
  int decodedBytes;
  int totalSamples;
  int playedBytes;
  int lastPlayCursor;
  uint8_t fillingActive;
  uint8_t endReached;
  uint8_t loopWrapped;  // a wrap lies ahead of the play cursor
  uint8_t allSourcesDone;
  int loopStartBytes;
  int endWritePosition;
  int endPlayCursor;
  int wrapWritePosition;  // the latest wrap
  // The wraps ahead of the play cursor, oldest first, with the loop start
  // each goes back to: a loop shorter than what is written ahead has more
  // than one.
  int pendingWraps;
  int wrapPositions[kMaxPendingWraps];
  int wrapLoopStarts[kMaxPendingWraps];
  // Once the end is reached: how far the play cursor has still to travel
  // round the ring to pass the end write position.
  int endBytesLeft;
};

// Zero-filled at creation.
struct SoundHandleData {
  uint32_t check;
  SoundBufferWrapper buffers[kMaxSoundBuffers];
  SoundWaveFormat format;
  int kind;
  int streamPlayType;
  uint32_t startTime;
  int streamBufferOwner;
  int borrowerCount;
  int currentUser;
  int deletePending;
  int streamBufferSize;
  int writeCursor;
  int guardCursor;
  SoundStreamSource sources[kMaxStreamSources];
  uint8_t sourceFlags[kMaxStreamSources];
  int sourceCount;
  SoundStreamProgress progress;
  HandleListNode streamNode;
  int pcmSize;
  void* pcm;
  int bufferCount;
  int lastBufferIndex;
  // What was last set on the handle (hundredths of a decibel; Hz, 0 for
  // the data's own), so that a change of kind keeps it.
  int volume;
  int frequency;
};

namespace detail {
// The record of a valid handle while sound is up, else null.
SoundHandleData* GetSoundRecord(int handle);
}  // namespace detail

}  // namespace veziv
