// Play, stop, status and position of stream sounds, and the table through
// which the sound handles reach them.
#include <algorithm>

#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "library/sound_movie/sound/stream_sounds.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

SoundHandleData* StreamRecord(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  return record != nullptr && record->kind == kSoundStream ? record : nullptr;
}

// Back to the start of the first source, the ring to be filled again.
void ResetProgress(SoundStreamProgress* progress) {
  progress->currentSource = 0;
  progress->playsOfCurrent = 0;
  progress->decodedBytes = 0;
  progress->playedBytes = 0;
  progress->loopWrapped = 0;
  progress->pendingWraps = 0;
  progress->fillingActive = 0;
}

}  // namespace

int PlayStreamSoundHandle(int handle, int play_type, int top) {
  SoundHandleData* record = StreamRecord(handle);
  if (record == nullptr) return -1;
  SoundBufferWrapper* ring = nullptr;
  if (AcquireStreamBuffer(handle, record, &ring, 1) != 0) return -1;
  uint32_t status = 0;
  if (detail::GetWrappedBufferStatus(ring, &status) != 0) return -1;
  if (top == 0 && (status & 1) != 0) return 0;
  StopStreamSoundHandle(handle);
  SoundStreamProgress& progress = record->progress;
  const bool looping_changed = ((play_type ^ record->streamPlayType) & 2) != 0;
  if ((progress.allSourcesDone && looping_changed) || (top == 1 && progress.playedBytes > 0)) {
    ResetProgress(&progress);
  }
  if (top == 1) progress.allSourcesDone = 0;
  record->streamPlayType = play_type;
  PrefillStreamSound(handle);
  if (AcquireStreamBuffer(handle, record, &ring, 0) != 0 || detail::PlayWrappedBuffer(ring, true) != 0) return -1;
  record->startTime = static_cast<uint32_t>(GetMillisecondCount(0));
  if (play_type != SoundPlayWait) return 0;
  // The pump refills the ring and ends the stream; the sleep spares the core.
  while (PumpMessagesUnlocked() == 0 && IsSoundHandlePlaying(handle) == 1) platform::os::Sleep(1);
  return 0;
}

int StopStreamSoundHandle(int handle) {
  SoundHandleData* record = StreamRecord(handle);
  if (record == nullptr) return -1;
  UpdateStreamPlayedBytes(handle, -1);
  SoundBufferWrapper* ring = nullptr;
  if (AcquireStreamBuffer(handle, record, &ring, 0) != 0) return 0;
  if (record->streamBufferOwner != -1) {
    if (SoundHandleData* owner = detail::GetSoundRecord(record->streamBufferOwner)) owner->currentUser = -1;
  }
  uint32_t status = 0;
  if (detail::GetWrappedBufferStatus(ring, &status) != 0) return -1;
  if ((status & 1) != 0) detail::StopWrappedBuffer(ring);
  return 0;
}

int IsStreamSoundPlaying(int handle) {
  SoundHandleData* record = StreamRecord(handle);
  if (record == nullptr) return -1;
  SoundBufferWrapper* ring = nullptr;
  if (AcquireStreamBuffer(handle, record, &ring, 0) != 0) return 0;
  uint32_t status = 0;
  if (detail::GetWrappedBufferStatus(ring, &status) != 0) return -1;
  return (status & 1) != 0 ? 1 : 0;
}

int GetStreamPlayPosMs(int handle) {
  SoundHandleData* record = StreamRecord(handle);
  if (record == nullptr || record->format.avgBytesPerSec == 0) return -1;
  UpdateStreamPlayedBytes(handle, -1);
  const int64_t ms = int64_t{record->progress.playedBytes} * 1000 / record->format.avgBytesPerSec;
  const int total = GetSoundHandleTotalMs(handle);
  return static_cast<int>(std::min<int64_t>(ms, total));
}

namespace detail {

StreamSoundHooks StreamHalfCalls() {
  StreamSoundHooks calls{};
  calls.load_file = LoadStreamSoundFileToHandle;
  calls.load_image = LoadStreamSoundFromFileImage;
  calls.attach_source = AttachStreamSource;
  calls.prefill = PrefillStreamSound;
  calls.play = PlayStreamSoundHandle;
  calls.stop = StopStreamSoundHandle;
  calls.is_playing = IsStreamSoundPlaying;
  calls.play_pos_ms = GetStreamPlayPosMs;
  calls.delete_stream = DeleteStreamSound;
  calls.refill_all = RefillStreamSoundList;
  return calls;
}

}  // namespace detail
}  // namespace veziv
