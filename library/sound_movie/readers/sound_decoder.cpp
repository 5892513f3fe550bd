// OpenSoundSource and the calls common to every kind of data: block reads
// through the conversion buffer, seeking, sizes and whole decoding.
#include "library/sound_movie/readers/sound_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "library/foundation/files/archive_format.h"
#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/readers/reader_kinds.h"

namespace veziv {
namespace {

constexpr int kOggBufferBytes = 4096;
constexpr int kMinRate = 100;
constexpr int kMaxRate = 200000;
constexpr int kSeekSlackBytes = 16;
// Whole decoding grows its block from this size up to the PCM size the data claims.
constexpr int kFirstDecodeBlock = 1 << 20;

struct ReaderSettings {
  int ogg_bytes_per_sample = 2;
  int movie_track = 0;
};

ReaderSettings& Settings() {
  static ReaderSettings settings;
  return settings;
}

// The PCM the mixer can play; the average rate is taken from the block
// size, never from what the file claims, since buffers are sized by it.
bool MakeMixable(SoundWaveFormat* format) {
  if (format->channels < 1 || format->channels > 2) return false;
  if (format->bitsPerSample != 8 && format->bitsPerSample != 16) return false;
  if (format->samplesPerSec < kMinRate || format->samplesPerSec > kMaxRate) return false;
  if (format->blockAlign != format->channels * format->bitsPerSample / 8) return false;
  format->avgBytesPerSec = format->blockAlign * format->samplesPerSec;
  return true;
}

void CloseReaderState(SoundDecoderRecord* record) {
  if (record->kind == kSoundDecoderOggVorbis) detail::CloseVorbis(record);
  if (record->kind == kSoundDecoderConverted) {
    detail::CloseMp3(record);
    detail::CloseCompressedWave(record);
    detail::CloseMovieTrack(record);
  }
}

int Refill(SoundDecoderRecord* record) {
  switch (record->kind) {
    case kSoundDecoderPcmWave: {
      const int done = record->functions.tell(record->stream) - record->dataPosition;
      const int want = std::min(record->bufferSize, record->dataSize - done);
      if (want <= 0) return 0;
      return static_cast<int>(detail::ReadFromSource(record, record->buffer, static_cast<size_t>(want)));
    }
    case kSoundDecoderConverted:
      if (record->waveConverter != nullptr) return detail::RefillCompressedWave(record);
      if (record->movieTrackConverter != nullptr) return detail::RefillMovieTrack(record);
      return detail::RefillMp3(record);
    default: return detail::RefillVorbis(record);
  }
}

void EmptyBuffer(SoundDecoderRecord* record) {
  record->bufferHeld = 0;
  record->bufferTaken = 0;
}

// Hands out up to bytes of PCM through the conversion buffer, into
// destination or, when it is null, nowhere (a forward seek). Sets the end
// flag when the data runs out first.
int Deliver(SoundDecoderRecord* record, uint8_t* destination, int bytes) {
  int delivered = 0;
  while (delivered < bytes) {
    if (record->bufferTaken >= record->bufferHeld) {
      const int held = Refill(record);
      if (held <= 0) {
        record->endFlag = 1;
        break;
      }
      record->bufferHeld = held;
      record->bufferTaken = 0;
    }
    const int take = std::min(bytes - delivered, record->bufferHeld - record->bufferTaken);
    if (destination != nullptr) {
      std::memcpy(destination + delivered, record->buffer + record->bufferTaken, static_cast<size_t>(take));
    }
    record->bufferTaken += take;
    record->outputPosition += take;
    delivered += take;
  }
  return delivered;
}

}  // namespace

void ReadWaveFormat(const uint8_t* bytes, int n, SoundWaveFormat* format) {
  uint8_t full[kWaveFormatBytes] = {};
  std::memcpy(full, bytes, static_cast<size_t>(std::clamp(n, 0, kWaveFormatBytes)));
  format->formatTag = LoadLe16(full);
  format->channels = LoadLe16(full + 2);
  format->samplesPerSec = LoadLe32(full + 4);
  format->avgBytesPerSec = LoadLe32(full + 8);
  format->blockAlign = LoadLe16(full + 12);
  format->bitsPerSample = LoadLe16(full + 14);
  format->extraSize = LoadLe16(full + 16);
}

void WriteWaveFormat(const SoundWaveFormat& format, uint8_t* bytes) {
  StoreLe16(bytes, format.formatTag);
  StoreLe16(bytes + 2, format.channels);
  StoreLe32(bytes + 4, format.samplesPerSec);
  StoreLe32(bytes + 8, format.avgBytesPerSec);
  StoreLe16(bytes + 12, format.blockAlign);
  StoreLe16(bytes + 14, format.bitsPerSample);
  StoreLe16(bytes + 16, format.extraSize);
}

int OpenSoundSource(const StreamFunctionTable* functions, StreamValue stream, SoundDecoderRecord* record) {
  *record = SoundDecoderRecord{};
  record->movieTrack = static_cast<uint32_t>(Settings().movie_track);
  record->functions = *functions;
  record->stream = stream;
  record->oggBytesPerSample = Settings().ogg_bytes_per_sample;
  int (*const readers[])(SoundDecoderRecord*) = {detail::OpenWaveReader, detail::OpenCompressedWaveReader,
                                                 detail::OpenVorbisReader, detail::OpenMp3Reader,
                                                 detail::OpenMovieTrackReader};
  bool accepted = false;
  for (auto* reader : readers) {
    if (functions->seek(stream, 0, 0) != 0) break;
    if (reader(record) == 0) {
      accepted = true;
      break;
    }
  }
  if (!accepted) return -1;
  bool playable = MakeMixable(&record->pcmFormat);
  if (record->kind == kSoundDecoderPcmWave) {
    record->dataSize -= record->dataSize % std::max<int>(record->pcmFormat.blockAlign, 1);
    playable = playable && record->dataSize > 0;
  }
  if (!playable) {
    CloseReaderState(record);
    return -1;
  }
  record->bufferSize = record->kind == kSoundDecoderOggVorbis ? kOggBufferBytes
                                                              : static_cast<int>(record->pcmFormat.avgBytesPerSec);
  record->buffer = static_cast<uint8_t*>(AllocLibMemory(static_cast<size_t>(record->bufferSize)));
  if (record->buffer == nullptr) {
    CloseReaderState(record);
    return -1;
  }
  EmptyBuffer(record);
  record->outputPosition = 0;
  if (record->kind == kSoundDecoderPcmWave) detail::SeekSource(record, record->dataPosition);
  record->open = 1;
  return 0;
}

int ReadSoundSourcePcm(SoundDecoderRecord* record, void* destination, int bytes) {
  if (!record->open) return -1;
  if (record->endFlag) return 0;
  return Deliver(record, static_cast<uint8_t*>(destination), bytes);
}

int SeekSoundSource(SoundDecoderRecord* record, int sample) {
  if (!record->open) return 0;
  record->endFlag = 0;
  const int64_t wanted = int64_t{record->pcmFormat.blockAlign} * std::max(sample, 0);
  const int target = static_cast<int>(std::min<int64_t>(wanted, 0x7FFFFFFF));
  if (std::abs(int64_t{target} - record->outputPosition) < kSeekSlackBytes) return 0;
  switch (record->kind) {
    case kSoundDecoderPcmWave:
      detail::SeekSource(record, int64_t{record->dataPosition} + std::min(target, record->dataSize));
      EmptyBuffer(record);
      break;
    case kSoundDecoderOggVorbis:
      detail::SeekVorbis(record, sample);
      EmptyBuffer(record);
      break;
    case kSoundDecoderConverted:
      if (record->movieTrackConverter != nullptr) {
        detail::SeekMovieTrack(record, sample);
        EmptyBuffer(record);
        break;
      }
      if (record->waveConverter != nullptr && detail::SeekCompressedWave(record, sample)) {
        EmptyBuffer(record);
        break;
      }
      [[fallthrough]];
    default:
      // The converter cannot step back: it starts over and decodes forward.
      if (target < record->outputPosition) {
        if (record->waveConverter != nullptr) {
          detail::RestartCompressedWave(record);
        } else {
          detail::RestartMp3(record);
        }
        EmptyBuffer(record);
        record->outputPosition = 0;
      }
      if (target > record->outputPosition) Deliver(record, nullptr, target - record->outputPosition);
      break;
  }
  record->outputPosition = target;
  return 0;
}

int GetSoundSourcePcmSize(SoundDecoderRecord* record) {
  switch (record->kind) {
    case kSoundDecoderPcmWave: return record->dataSize;
    case kSoundDecoderConverted:
      if (record->waveConverter != nullptr) return detail::CompressedWavePcmSize(record);
      if (record->movieTrackConverter != nullptr) return detail::MovieTrackPcmSize(record);
      return detail::Mp3PcmSize(record);
    default: return detail::VorbisPcmSize(record);
  }
}

int GetSoundSourceFormat(SoundDecoderRecord* record, SoundWaveFormat* format) {
  *format = record->pcmFormat;
  return 0;
}

int DecodeSoundSourceToPcm(SoundDecoderRecord* record, SoundWaveFormat* format, void** pcm, int* size) {
  if (!record->open) return -1;
  const int total = std::max(GetSoundSourcePcmSize(record), 0);
  SeekSoundSource(record, 0);
  uint8_t* block = nullptr;
  int decoded = 0;
  if (record->kind == kSoundDecoderPcmWave) {
    block = static_cast<uint8_t*>(AllocLibMemory(static_cast<size_t>(std::max(total, 1))));
    if (block == nullptr) return -1;
    detail::SeekSource(record, record->dataPosition);
    decoded = static_cast<int>(detail::ReadFromSource(record, block, static_cast<size_t>(total)));
    decoded -= decoded % record->pcmFormat.blockAlign;
  } else {
    // The claimed size is only an upper bound: the block grows with what
    // actually decodes, so a file that claims hours costs what it holds.
    int capacity = std::min(total, kFirstDecodeBlock);
    block = static_cast<uint8_t*>(AllocLibMemory(static_cast<size_t>(std::max(capacity, 1))));
    if (block == nullptr) return -1;
    while (decoded < total) {
      if (decoded == capacity) {
        const int grown = static_cast<int>(std::min<int64_t>(int64_t{capacity} * 2, total));
        auto* bigger = static_cast<uint8_t*>(ReallocLibMemory(block, static_cast<size_t>(grown)));
        if (bigger == nullptr) {
          FreeLibMemory(block);
          return -1;
        }
        block = bigger;
        capacity = grown;
      }
      const int got = ReadSoundSourcePcm(record, block + decoded, capacity - decoded);
      if (got <= 0) break;
      decoded += got;
    }
    if (decoded > 0 && decoded < capacity) {
      if (auto* fitted = static_cast<uint8_t*>(ReallocLibMemory(block, static_cast<size_t>(decoded)))) block = fitted;
    }
  }
  *format = record->pcmFormat;
  *pcm = block;
  *size = decoded;
  return 0;
}

int CloseSoundSource(SoundDecoderRecord* record) {
  if (!record->open) return -1;
  CloseReaderState(record);
  FreeLibMemory(record->buffer);
  record->buffer = nullptr;
  record->open = 0;
  return 0;
}

namespace detail {

void SetOggOutputBytesPerSample(int bytes) { Settings().ogg_bytes_per_sample = bytes == 1 ? 1 : 2; }

void SetSoundMovieTrackFlag(int flag) { Settings().movie_track = flag; }

size_t ReadFromSource(SoundDecoderRecord* record, void* buffer, size_t bytes) {
  if (bytes == 0) return 0;
  return record->functions.read(buffer, 1, bytes, record->stream);
}

bool SeekSource(SoundDecoderRecord* record, int64_t position) {
  if (position < 0 || position > 0x7FFFFFFF) return false;
  return record->functions.seek(record->stream, static_cast<int>(position), 0) == 0;
}

int SourceLength(SoundDecoderRecord* record) {
  if (record->functions.seek(record->stream, 0, 2) != 0) return -1;
  const int length = record->functions.tell(record->stream);
  if (record->functions.seek(record->stream, 0, 0) != 0) return -1;
  return length;
}

}  // namespace detail
}  // namespace veziv
