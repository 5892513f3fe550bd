// The MP3 reader: tags skipped, the frames walked header by header to find
// the audio and its format, then libmpg123 in feed mode as the converter,
// fed the audio from memory 2048 bytes at a time, giving 16-bit PCM at the
// first frame's rate and channels with nothing trimmed.
#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/readers/reader_kinds.h"

namespace veziv::detail {

struct Mp3Converter {
  mpg123_handle* handle = nullptr;
  uint8_t* data = nullptr;  // the audio frames, from the first to where the walk stopped
  int size = 0;
  int input = 0;  // bytes of data fed so far
  bool needs_input = true;
  int64_t frames = 0;
  int samples_per_frame = 0;
};

namespace {

constexpr int kFeedBytes = 2048;
constexpr int kId3v1Bytes = 128;
constexpr int kMinFrameBytes = 4;

// kbit/s by [MPEG-2][layer - 1][index]; index 0 (free format) is refused.
constexpr int kBitRates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};
constexpr int kSampleRates[2][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}};

bool IsSync(const uint8_t* p) { return p[0] == 0xFF && (p[1] & 0xF0) == 0xF0; }

bool OpenDecoder(Mp3Converter* converter, const SoundWaveFormat& format) {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
  converter->handle = mpg123_new(nullptr, nullptr);
  if (converter->handle == nullptr) return false;
  mpg123_handle* h = converter->handle;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  mpg123_format_none(h);
  const int channels = format.channels == 1 ? MPG123_MONO : MPG123_STEREO;
  if (mpg123_format(h, static_cast<long>(format.samplesPerSec), channels, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_open_feed(h) != MPG123_OK) {
    mpg123_delete(h);
    converter->handle = nullptr;
    return false;
  }
  converter->input = 0;
  converter->needs_input = true;
  return true;
}

void FreeConverter(Mp3Converter* converter) {
  if (converter->handle != nullptr) mpg123_delete(converter->handle);
  FreeLibMemory(converter->data);
  delete converter;
}

}  // namespace

bool ParseMp3FrameHeader(const uint8_t* b, Mp3FrameHeader* header) {
  if (!IsSync(b)) return false;
  const int mpeg2 = (b[1] & 0x08) ? 0 : 1;
  const int layer_index = 3 - ((b[1] >> 1) & 3);
  if (layer_index > 2) return false;
  const int rate_index = (b[2] >> 2) & 3;
  const int bit_index = b[2] >> 4;
  // A free-format frame has no length to step by.
  if (bit_index == 0 || bit_index > 14 || rate_index > 2) return false;
  header->mpegVersion = mpeg2 ? 2 : 1;
  header->layer = layer_index + 1;
  header->bitRate = kBitRates[mpeg2][layer_index][bit_index];
  header->sampleRate = kSampleRates[mpeg2][rate_index];
  header->padding = (b[2] >> 1) & 1;
  header->channels = (b[3] & 0xC0) == 0xC0 ? 1 : 2;
  const int rate = header->sampleRate;
  if (header->layer == 1) {
    header->frameBytes = (12000 * header->bitRate / rate + header->padding) * 4;
    header->samplesPerFrame = 384;
  } else if (header->layer == 2 || !mpeg2) {
    header->frameBytes = 144000 * header->bitRate / rate + header->padding;
    header->samplesPerFrame = 1152;
  } else {
    header->frameBytes = 72000 * header->bitRate / rate + header->padding;
    header->samplesPerFrame = 576;
  }
  return header->frameBytes >= kMinFrameBytes;
}

int Id3v2TagBytes(const uint8_t* b, size_t size) {
  if (size < 10 || std::memcmp(b, "ID3", 3) != 0) return 0;
  int skip = (b[6] << 21 | b[7] << 14 | b[8] << 7 | b[9]) + 10;
  if (b[3] == 4 && (b[5] & 0x10)) skip += 10;  // a footer follows the tag
  return skip;
}

int OpenMp3Reader(SoundDecoderRecord* record) {
  const int length = SourceLength(record);
  if (length < 4) return -1;
  // The whole file is walked in memory: it costs what the file holds.
  std::vector<uint8_t> file;
  try {
    file.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (ReadFromSource(record, file.data(), file.size()) != file.size()) return -1;

  const int skip = Id3v2TagBytes(file.data(), file.size());
  int end = length;
  if (length > kId3v1Bytes && std::memcmp(&file[static_cast<size_t>(length - kId3v1Bytes)], "TAG", 3) == 0) {
    end = length - kId3v1Bytes;
  }
  int64_t position = skip;
  int first = -1;
  int64_t frames = 0;
  Mp3FrameHeader first_header{};
  while (position + 4 <= end) {
    while (position + 1 < end && !IsSync(&file[static_cast<size_t>(position)])) ++position;
    if (position + 4 > end) break;
    Mp3FrameHeader header;
    if (!ParseMp3FrameHeader(&file[static_cast<size_t>(position)], &header)) return -1;
    if (first < 0) {
      first = static_cast<int>(position);
      first_header = header;
    }
    ++frames;
    position += header.frameBytes;
  }
  if (first < 0) return -1;
  const int stop = static_cast<int>(std::min<int64_t>(position, end));

  SoundWaveFormat& format = record->pcmFormat;
  format = SoundWaveFormat{};
  format.formatTag = kWaveFormatPcm;
  format.channels = static_cast<uint16_t>(first_header.channels);
  format.samplesPerSec = static_cast<uint32_t>(first_header.sampleRate);
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(2 * first_header.channels);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;

  auto* converter = new (std::nothrow) Mp3Converter;
  if (converter == nullptr) return -1;
  converter->size = stop - first;
  converter->data = static_cast<uint8_t*>(AllocLibMemory(static_cast<size_t>(converter->size)));
  if (converter->data == nullptr || !OpenDecoder(converter, format)) {
    FreeConverter(converter);
    return -1;
  }
  std::memcpy(converter->data, &file[static_cast<size_t>(first)], static_cast<size_t>(converter->size));
  converter->frames = frames;
  converter->samples_per_frame = first_header.samplesPerFrame;
  record->kind = kSoundDecoderConverted;
  record->dataPosition = first;
  record->dataSize = converter->size;
  record->converter = converter;
  SeekSource(record, first);
  return 0;
}

int RefillMp3(SoundDecoderRecord* record) {
  Mp3Converter* c = record->converter;
  if (c->handle == nullptr) return 0;
  size_t produced = 0;
  // Each round either feeds input or drains output, so it ends with the data.
  while (produced == 0) {
    const unsigned char* in = nullptr;
    size_t in_bytes = 0;
    if (c->needs_input) {
      if (c->input >= c->size) return 0;
      in_bytes = static_cast<size_t>(std::min(kFeedBytes, c->size - c->input));
      in = c->data + c->input;
      c->input += static_cast<int>(in_bytes);
    }
    size_t done = 0;
    const int result = mpg123_decode(c->handle, in, in_bytes, record->buffer,
                                     static_cast<size_t>(record->bufferSize), &done);
    produced += done;
    if (result == MPG123_NEED_MORE) {
      c->needs_input = true;
    } else if (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
      c->needs_input = false;
    } else {
      return static_cast<int>(produced);
    }
  }
  return static_cast<int>(produced);
}

void RestartMp3(SoundDecoderRecord* record) {
  Mp3Converter* c = record->converter;
  if (c->handle == nullptr) return;
  mpg123_close(c->handle);
  if (mpg123_open_feed(c->handle) != MPG123_OK) {
    mpg123_delete(c->handle);
    c->handle = nullptr;
    return;
  }
  c->input = 0;
  c->needs_input = true;
}

int Mp3PcmSize(const SoundDecoderRecord* record) {
  const Mp3Converter* c = record->converter;
  const int64_t bytes = c->frames * c->samples_per_frame * record->pcmFormat.blockAlign;
  return bytes > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(bytes);
}

void CloseMp3(SoundDecoderRecord* record) {
  if (record->converter == nullptr) return;
  FreeConverter(record->converter);
  record->converter = nullptr;
}

}  // namespace veziv::detail
