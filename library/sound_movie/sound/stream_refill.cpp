// The ring of a stream sound and its refill: who may use a ring, the first
// four seconds, the per-pass top-up behind the play cursor, the move from
// one source (or one repeat) to the next, silence after the end, and the
// count of bytes played.
#include <algorithm>
#include <climits>
#include <cstring>

#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "library/sound_movie/sound/stream_sounds.h"

namespace veziv {
namespace {

// The write cursor of a ring that has not been filled yet.
constexpr int kUnfilled = -800;

int Wrap(int64_t value, int ring) {
  const int64_t wrapped = value % ring;
  return static_cast<int>(wrapped < 0 ? wrapped + ring : wrapped);
}

// The record that holds the ring a stream plays through.
SoundHandleData* RingHolder(SoundHandleData* record) {
  if (record->streamBufferOwner == -1) return record;
  SoundHandleData* owner = detail::GetSoundRecord(record->streamBufferOwner);
  return owner != nullptr && owner->kind == kSoundStream && owner->streamBufferOwner == -1 ? owner : nullptr;
}

// True while more than four seconds are buffered: the play cursor lies
// strictly inside the stretch from the write cursor forward to the guard.
bool CursorInsideGuard(const SoundHandleData& record, int cursor) {
  if (record.writeCursor < 0 || record.guardCursor < 0) return false;
  const int ring = record.streamBufferSize;
  const int ahead = Wrap(int64_t{cursor} - record.writeCursor, ring);
  return ahead > 0 && ahead < Wrap(int64_t{record.guardCursor} - record.writeCursor, ring);
}

// Silence as the data holds it: 0, or for 8-bit data 127, as ever.
uint8_t SilenceByte(const SoundHandleData& record) { return record.format.bitsPerSample == 8 ? 127 : 0; }

void AdvanceCursors(SoundHandleData* record, int chunk) {
  const int ring = record->streamBufferSize;
  record->writeCursor += chunk;
  if (record->writeCursor >= ring) record->writeCursor -= ring;
  record->guardCursor = record->writeCursor - 4 * static_cast<int>(record->format.avgBytesPerSec);
  if (record->guardCursor < 0) record->guardCursor += ring;
}

// The data is over at ring offset reached: silence follows, and the stream
// stops once the play cursor has travelled past it.
void EndData(SoundHandleData* record, int reached, int cursor) {
  SoundStreamProgress& progress = record->progress;
  progress.allSourcesDone = 1;
  progress.endReached = 1;
  progress.endWritePosition = reached;
  progress.endPlayCursor = cursor;
  progress.endBytesLeft = Wrap(int64_t{reached} - cursor, record->streamBufferSize);
}

// A wrap written at ring offset reached: the played bytes go back to the
// loop start once the cursor passes it. With every slot taken, the oldest
// goes: the position is right again from the next wrap on.
void NoteWrap(SoundStreamProgress* progress, int reached) {
  if (progress->pendingWraps == kMaxPendingWraps) {
    std::memmove(progress->wrapPositions, progress->wrapPositions + 1, sizeof(int) * (kMaxPendingWraps - 1));
    std::memmove(progress->wrapLoopStarts, progress->wrapLoopStarts + 1, sizeof(int) * (kMaxPendingWraps - 1));
    --progress->pendingWraps;
  }
  progress->wrapPositions[progress->pendingWraps] = reached;
  progress->wrapLoopStarts[progress->pendingWraps] = progress->loopStartBytes;
  ++progress->pendingWraps;
  progress->loopWrapped = 1;
  progress->wrapWritePosition = reached;
}

// The current source has no more data: the next repeat, the next source,
// the loop position or the end.
void AdvanceStreamSource(SoundHandleData* record, int reached, int cursor) {
  SoundStreamProgress& progress = record->progress;
  const int block = record->format.blockAlign;
  ++progress.playsOfCurrent;
  SoundStreamSource* source = &record->sources[progress.currentSource];
  if (source->playCount == 255) {
    progress.loopStartBytes = source->loopPosition * block;
    progress.decodedBytes = progress.loopStartBytes;
    NoteWrap(&progress, reached);
  } else {
    if (progress.playsOfCurrent > source->playCount) {
      progress.playsOfCurrent = 0;
      if (progress.currentSource + 1 < record->sourceCount) {
        ++progress.currentSource;
      } else if (record->streamPlayType == SoundPlayLoop) {
        progress.allSourcesDone = 1;
        progress.currentSource = 0;
        progress.loopStartBytes = 0;
        NoteWrap(&progress, reached);
      } else {
        EndData(record, reached, cursor);
      }
    }
    progress.decodedBytes = 0;
    source = &record->sources[progress.currentSource];
  }
  SeekSoundSource(&source->decoder, progress.decodedBytes / block);
}

// How many moves to the next source or repeat in a row may find no data
// before the stream counts as over: one round of every source and repeat.
// Sources that hold nothing (or a loop position past the data) would
// otherwise keep the fill going round for ever.
int EmptyMovesAllowed(const SoundHandleData& record) {
  int moves = 1;
  for (int i = 0; i < record.sourceCount; ++i) {
    const int count = record.sources[i].playCount;
    moves += count == 255 ? 1 : count + 1;
  }
  return moves;
}

// Decodes into the locked span from the current source on; once the data is
// over, the rest of the span is silence.
void FillLocked(SoundHandleData* record, uint8_t* const parts[2], const int sizes[2], int lock_offset, int cursor) {
  SoundStreamProgress& progress = record->progress;
  const int allowed = EmptyMovesAllowed(*record);
  int written = 0;
  int since_move = 0;
  int empty_moves = 0;
  for (int part = 0; part < 2; ++part) {
    int done = 0;
    while (done < sizes[part] && !progress.endReached) {
      SoundStreamSource& source = record->sources[progress.currentSource];
      const int got = ReadSoundSourcePcm(&source.decoder, parts[part] + done, sizes[part] - done);
      if (got > 0) {
        done += got;
        written += got;
        since_move += got;
        progress.decodedBytes += got;
        continue;
      }
      const int reached = Wrap(int64_t{lock_offset} + written, record->streamBufferSize);
      empty_moves = since_move == 0 ? empty_moves + 1 : 0;
      since_move = 0;
      if (empty_moves > allowed) EndData(record, reached, cursor);
      else AdvanceStreamSource(record, reached, cursor);
    }
    if (done < sizes[part]) {
      std::memset(parts[part] + done, SilenceByte(*record), static_cast<size_t>(sizes[part] - done));
      written += sizes[part] - done;
    }
  }
}

// Locks bytes at offset and fills them with silence or data.
int WriteChunk(SoundBufferWrapper* ring, SoundHandleData* record, int offset, int bytes, int cursor, bool silence) {
  void* first = nullptr;
  void* second = nullptr;
  int first_bytes = 0, second_bytes = 0;
  if (detail::LockWrappedBuffer(ring, offset, bytes, &first, &first_bytes, &second, &second_bytes) != 0) return -1;
  uint8_t* const parts[2] = {static_cast<uint8_t*>(first), static_cast<uint8_t*>(second)};
  const int sizes[2] = {first_bytes, second != nullptr ? second_bytes : 0};
  if (silence) {
    for (int part = 0; part < 2; ++part) {
      if (sizes[part] > 0) std::memset(parts[part], SilenceByte(*record), static_cast<size_t>(sizes[part]));
    }
  } else {
    FillLocked(record, parts, sizes, offset, cursor);
  }
  detail::UnlockWrappedBuffer(ring);
  return 0;
}


}  // namespace

int AcquireStreamBuffer(int handle, SoundHandleData* record, SoundBufferWrapper** wrapper, int force) {
  if (record == nullptr) record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind != kSoundStream) {
    *wrapper = &record->buffers[0];
    return 0;
  }
  SoundHandleData* holder = RingHolder(record);
  if (holder == nullptr) return -1;
  *wrapper = &holder->buffers[0];
  if (holder->currentUser != -1 && holder->currentUser != handle) {
    if (!force) return -1;
    const int other = holder->currentUser;
    StopStreamSoundHandle(other);
    // What the other stream left in the ring is overwritten now: it fills
    // afresh from its decoding position when it plays again.
    if (SoundHandleData* displaced = detail::GetSoundRecord(other)) displaced->progress.fillingActive = 0;
  }
  holder->currentUser = handle;
  return 0;
}

int PrefillStreamSound(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  if (record->kind != kSoundStream || record->sourceCount == 0) return 0;
  SoundBufferWrapper* ring = nullptr;
  if (AcquireStreamBuffer(handle, record, &ring, 0) != 0) return 0;
  uint32_t status = 0;
  if (detail::GetWrappedBufferStatus(ring, &status) != 0 || (status & 1) != 0) return 0;
  SoundStreamProgress& progress = record->progress;
  if (progress.fillingActive) return 0;
  detail::SetWrappedBufferPosition(ring, 0);
  SoundStreamSource& source = record->sources[progress.currentSource];
  SeekSoundSource(&source.decoder, progress.decodedBytes / record->format.blockAlign);
  record->writeCursor = kUnfilled;
  record->guardCursor = -1;
  progress.lastPlayCursor = 0;
  // Wraps written into the ring before are overwritten now.
  progress.pendingWraps = 0;
  progress.loopWrapped = 0;
  progress.endReached = 0;
  progress.fillingActive = 1;
  RefillStreamSound(handle);
  return 0;
}

int RefillStreamSound(int handle) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr || record->kind != kSoundStream || record->sourceCount == 0) return 0;
  SoundBufferWrapper* ring = nullptr;
  SoundStreamProgress& progress = record->progress;
  if (AcquireStreamBuffer(handle, record, &ring, 0) != 0 || !progress.fillingActive) return 0;
  const int rate = static_cast<int>(record->format.avgBytesPerSec);
  const int block = record->format.blockAlign;
  if (rate <= 0 || block <= 0 || record->streamBufferSize <= 0) return -1;
  int cursor = 0;
  uint32_t status = 0;
  if (detail::GetWrappedBufferPosition(ring, &cursor) != 0 || detail::GetWrappedBufferStatus(ring, &status) != 0) {
    return -1;
  }
  UpdateStreamPlayedBytes(handle, cursor);
  const int eighth = rate / 8 / block * block;

  if (progress.endReached) {
    // Measured by the distance travelled, so that a pass in which the cursor
    // crosses both the end and the ring's wrap stops it at once.
    if (progress.endBytesLeft < 0) {
      detail::StopWrappedBuffer(ring);
      progress.endReached = 0;
      return 0;
    }
    if (record->writeCursor < 0 || CursorInsideGuard(*record, cursor)) return -1;
    if (WriteChunk(ring, record, record->writeCursor, eighth, cursor, true) != 0) return -1;
    AdvanceCursors(record, eighth);
    return 0;
  }

  int chunk = 0;
  int offset = record->writeCursor;
  if ((status & 1) != 0) {
    if (record->writeCursor < 0) return 0;
    if (CursorInsideGuard(*record, cursor)) return -1;
    const int64_t buffered = Wrap(int64_t{record->writeCursor} - cursor, record->streamBufferSize);
    const int64_t units = buffered * 128 / rate;  // 1/128 s
    chunk = units < 384 ? static_cast<int>((384 - units) * rate / 128) / block * block : eighth;
  } else {
    if (record->writeCursor != kUnfilled) return 0;
    chunk = 4 * rate / block * block;
    offset = 0;
  }
  if (chunk <= 0) return 0;
  if (WriteChunk(ring, record, offset, chunk, cursor, false) != 0) return -1;
  if (record->writeCursor == kUnfilled) {
    record->writeCursor = Wrap(chunk, record->streamBufferSize);
    record->guardCursor = 0;
  } else {
    AdvanceCursors(record, chunk);
  }
  return 0;
}

int UpdateStreamPlayedBytes(int handle, int play_cursor) {
  SoundHandleData* record = detail::GetSoundRecord(handle);
  if (record == nullptr) return -1;
  const int ring_size = record->streamBufferSize;
  if (record->kind != kSoundStream || ring_size <= 0) return 0;
  if (play_cursor == -1) {
    // Only the stream that uses the ring reads its cursor.
    SoundHandleData* holder = RingHolder(record);
    if (holder == nullptr || !(holder->currentUser == handle || (holder == record && holder->currentUser == -1))) {
      return 0;
    }
    if (detail::GetWrappedBufferPosition(&holder->buffers[0], &play_cursor) != 0) return 0;
  }
  SoundStreamProgress& progress = record->progress;
  const int last = progress.lastPlayCursor;
  if (play_cursor == last) return 0;
  const int moved = Wrap(int64_t{play_cursor} - last, ring_size);
  if (progress.endReached) progress.endBytesLeft -= moved;
  // A wrap is passed when it lies after the last cursor and at or before
  // this one, taken round the ring: the same inclusive test whether or not
  // the move crossed the ring's end.
  int passed = 0;
  while (passed < progress.pendingWraps) {
    const int ahead = Wrap(int64_t{progress.wrapPositions[passed]} - last, ring_size);
    if (ahead == 0 || ahead > moved) break;
    ++passed;
  }
  if (passed > 0) {
    const int wrap = progress.wrapPositions[passed - 1];
    progress.playedBytes = progress.wrapLoopStarts[passed - 1] + Wrap(int64_t{play_cursor} - wrap, ring_size);
    progress.pendingWraps -= passed;
    std::memmove(progress.wrapPositions, progress.wrapPositions + passed, sizeof(int) * progress.pendingWraps);
    std::memmove(progress.wrapLoopStarts, progress.wrapLoopStarts + passed, sizeof(int) * progress.pendingWraps);
    progress.loopWrapped = progress.pendingWraps > 0 ? 1 : 0;
  } else {
    progress.playedBytes = progress.playedBytes > INT_MAX - moved ? INT_MAX : progress.playedBytes + moved;
  }
  progress.lastPlayCursor = play_cursor;
  return 0;
}

namespace detail {

SoundBufferWrapper* StreamRing(SoundHandleData* record) {
  if (record->kind != kSoundStream) return &record->buffers[0];
  SoundHandleData* holder = RingHolder(record);
  return holder != nullptr ? &holder->buffers[0] : nullptr;
}

int RefillStreamSoundList() {
  StreamList& list = StreamSoundList();
  for (HandleListNode* node = list.head.next; node != nullptr && node != &list.tail;) {
    HandleListNode* next = node->next;
    RefillStreamSound(node->handle);
    node = next;
  }
  return 0;
}

}  // namespace detail
}  // namespace veziv
