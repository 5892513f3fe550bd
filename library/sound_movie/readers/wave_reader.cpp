// The RIFF walk to the fmt and data chunks, with every size checked against
// the bytes present, and the reader of uncompressed PCM WAVE.
#include <cstring>

#include "library/foundation/files/archive_format.h"
#include "library/sound_movie/readers/reader_kinds.h"

namespace veziv::detail {
namespace {

constexpr int kMinFmtBytes = 16;

bool ReadChunkHeader(SoundDecoderRecord* record, char id[4], uint32_t* size) {
  uint8_t header[8];
  if (ReadFromSource(record, header, 8) != 8) return false;
  std::memcpy(id, header, 4);
  *size = LoadLe32(header + 4);
  return true;
}

}  // namespace

bool WalkWaveChunks(SoundDecoderRecord* record, WaveChunks* chunks) {
  const int length = SourceLength(record);
  if (length < 0) return false;
  uint8_t riff[12];
  if (ReadFromSource(record, riff, 12) != 12) return false;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return false;

  // The fmt chunk must come first.
  char id[4];
  uint32_t size = 0;
  if (!ReadChunkHeader(record, id, &size) || std::memcmp(id, "fmt ", 4) != 0) return false;
  if (size < kMinFmtBytes) return false;
  const uint32_t fmt_size = size;
  const int fmt_position = record->functions.tell(record->stream);
  uint8_t fmt[kWaveFormatBytes] = {};
  const int fmt_read = size < kWaveFormatBytes ? static_cast<int>(size) : kWaveFormatBytes;
  if (ReadFromSource(record, fmt, static_cast<size_t>(fmt_read)) != static_cast<size_t>(fmt_read)) return false;
  SoundWaveFormat& format = chunks->format;
  ReadWaveFormat(fmt, fmt_read, &format);
  if (format.channels == 0 || format.blockAlign == 0 || format.samplesPerSec == 0) return false;
  // The rest of the format's description is not needed.
  if (!SeekSource(record, int64_t{fmt_position} + size + (size & 1))) return false;

  for (;;) {
    if (!ReadChunkHeader(record, id, &size)) return false;
    if (std::memcmp(id, "data", 4) == 0) break;
    if (!SeekSource(record, int64_t{record->functions.tell(record->stream)} + size + (size & 1))) return false;
  }
  const int data_position = record->functions.tell(record->stream);
  if (data_position < 0 || data_position > length) return false;
  // A data chunk that claims more than the file holds (a cut file, or one
  // written as it was recorded) counts by what is there.
  int64_t data_size = size;
  if (data_size > length - data_position) data_size = length - data_position;

  chunks->fmtPosition = fmt_position;
  chunks->fmtSize = static_cast<int>(fmt_size > 0x7FFFFFFF ? 0x7FFFFFFF : fmt_size);
  chunks->dataPosition = data_position;
  chunks->dataSize = static_cast<int>(data_size);
  return true;
}

int OpenWaveReader(SoundDecoderRecord* record) {
  WaveChunks chunks;
  if (!WalkWaveChunks(record, &chunks) || chunks.format.formatTag != kWaveFormatPcm) return -1;
  SoundWaveFormat& format = chunks.format;
  if (chunks.fmtSize == kMinFmtBytes) {
    format.bitsPerSample = static_cast<uint16_t>(format.blockAlign / format.channels * 8);
    format.extraSize = 0;
  }
  KeepWaveChunks(record, chunks, kSoundDecoderPcmWave);
  record->pcmFormat = format;
  return 0;
}

void KeepWaveChunks(SoundDecoderRecord* record, const WaveChunks& chunks, uint32_t kind) {
  record->kind = kind;
  record->fmtPosition = chunks.fmtPosition;
  record->fmtSize = chunks.fmtSize;
  record->dataPosition = chunks.dataPosition;
  record->dataSize = chunks.dataSize;
}

}  // namespace veziv::detail
