// The Ogg Vorbis reader: vorbisfile over the record's stream. The decoder
// reads through its own copy of the stream table, so the record may move.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <new>

#include "library/sound_movie/readers/reader_kinds.h"

namespace veziv::detail {

struct VorbisStream {
  OggVorbis_File file;
  StreamFunctionTable functions;
  StreamValue stream;
  int channels;
};

namespace {

size_t ReadCallback(void* buffer, size_t size, size_t count, void* source) {
  auto* vorbis = static_cast<VorbisStream*>(source);
  if (size == 0 || count == 0) return 0;
  return vorbis->functions.read(buffer, size, count, vorbis->stream);
}

int SeekCallback(void* source, ogg_int64_t offset, int origin) {
  auto* vorbis = static_cast<VorbisStream*>(source);
  if (offset < INT32_MIN || offset > INT32_MAX) return -1;
  return vorbis->functions.seek(vorbis->stream, static_cast<int>(offset), origin) == 0 ? 0 : -1;
}

long TellCallback(void* source) {
  auto* vorbis = static_cast<VorbisStream*>(source);
  return vorbis->functions.tell(vorbis->stream);
}

// The stream belongs to the caller.
int CloseCallback(void*) { return 0; }

constexpr ov_callbacks kCallbacks = {ReadCallback, SeekCallback, CloseCallback, TellCallback};

}  // namespace

int OpenVorbisReader(SoundDecoderRecord* record) {
  auto* vorbis = new (std::nothrow) VorbisStream{};
  if (vorbis == nullptr) return -1;
  vorbis->functions = record->functions;
  vorbis->stream = record->stream;
  if (ov_open_callbacks(vorbis, &vorbis->file, nullptr, 0, kCallbacks) != 0) {
    delete vorbis;
    return -1;
  }
  const vorbis_info* info = ov_info(&vorbis->file, -1);
  if (info == nullptr || info->channels < 1 || info->channels > 0xFFFF || info->rate <= 0 || info->rate > 0x7FFFFFFF) {
    ov_clear(&vorbis->file);
    delete vorbis;
    return -1;
  }
  vorbis->channels = info->channels;
  const int b = record->oggBytesPerSample;
  SoundWaveFormat& format = record->pcmFormat;
  format = SoundWaveFormat{};
  format.formatTag = kWaveFormatPcm;
  format.channels = static_cast<uint16_t>(info->channels);
  format.samplesPerSec = static_cast<uint32_t>(info->rate);
  format.blockAlign = static_cast<uint16_t>(info->channels * b);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  format.bitsPerSample = static_cast<uint16_t>(8 * b);
  record->kind = kSoundDecoderOggVorbis;
  record->vorbis = vorbis;
  return 0;
}

int RefillVorbis(SoundDecoderRecord* record) {
  VorbisStream* vorbis = record->vorbis;
  const int b = record->oggBytesPerSample;
  for (;;) {
    int section = 0;
    const long got = ov_read(&vorbis->file, reinterpret_cast<char*>(record->buffer), record->bufferSize, 0, b,
                             b != 1 ? 1 : 0, &section);
    // A gap in the pages is passed over; any other error ends the data.
    if (got == OV_HOLE) continue;
    if (got <= 0) return 0;
    // A chained stream that changes its channels cannot go on in this format.
    const vorbis_info* info = ov_info(&vorbis->file, section);
    if (info == nullptr || info->channels != vorbis->channels) return 0;
    return static_cast<int>(got);
  }
}

void SeekVorbis(SoundDecoderRecord* record, int sample) { ov_pcm_seek(&record->vorbis->file, sample); }

int VorbisPcmSize(const SoundDecoderRecord* record) {
  const ogg_int64_t total = ov_pcm_total(&record->vorbis->file, -1);
  if (total < 0) return 0;
  // The total comes from the last page's granule, which a file may set to
  // anything: it saturates before the margin is added and the bytes counted.
  const int64_t blockBytes = int64_t{record->pcmFormat.channels} * record->oggBytesPerSample;
  const int64_t maxFrames = 0x7FFFFFFF / std::max<int64_t>(blockBytes, 1);
  if (total > maxFrames - 44100) return 0x7FFFFFFF;
  return static_cast<int>(blockBytes * (total + 44100));
}

void CloseVorbis(SoundDecoderRecord* record) {
  if (record->vorbis == nullptr) return;
  ov_clear(&record->vorbis->file);
  delete record->vorbis;
  record->vorbis = nullptr;
}

}  // namespace veziv::detail
