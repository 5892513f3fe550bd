// The compressed WAVE reader: IMA and MS ADPCM, GSM 6.10, mu-law, A-law and
// MPEG audio inside a RIFF WAVE, converted to 16-bit PCM by libsndfile (which
// hands MPEG audio on to libmpg123). The file's layout is checked by the
// library's own RIFF walk first, so a file the walk refuses (an fmt chunk that
// does not come first, no data chunk, more than two channels) never reaches
// libsndfile, and libsndfile reads no further than the data the walk found.
#include <sndfile.h>

#include <algorithm>
#include <new>

#include "library/sound_movie/readers/reader_kinds.h"

namespace veziv::detail {

struct WaveConverter {
  SNDFILE* file = nullptr;
  StreamFunctionTable functions{};
  StreamValue stream = 0;
  sf_count_t length = 0;  // the file up to the end of its data chunk
  sf_count_t frames = 0;
  int channels = 0;
};

namespace {

constexpr uint16_t kWaveFormatMsAdpcm = 0x0002;
constexpr uint16_t kWaveFormatALaw = 0x0006;
constexpr uint16_t kWaveFormatMuLaw = 0x0007;
constexpr uint16_t kWaveFormatImaAdpcm = 0x0011;
constexpr uint16_t kWaveFormatGsm610 = 0x0031;
constexpr uint16_t kWaveFormatMpeg = 0x0050;
constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;

bool KnownCodec(uint16_t tag) {
  switch (tag) {
    case kWaveFormatMsAdpcm:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
    case kWaveFormatImaAdpcm:
    case kWaveFormatGsm610:
    case kWaveFormatMpeg:
    case kWaveFormatMpegLayer3: return true;
    default: return false;
  }
}

WaveConverter* Of(void* user) { return static_cast<WaveConverter*>(user); }

sf_count_t FileLength(void* user) { return Of(user)->length; }

sf_count_t Tell(void* user) { return Of(user)->functions.tell(Of(user)->stream); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  WaveConverter* c = Of(user);
  sf_count_t target = offset;
  if (whence == SEEK_CUR) target += Tell(user);
  if (whence == SEEK_END) target += c->length;
  if (target < 0 || target > c->length) return -1;
  if (c->functions.seek(c->stream, static_cast<int>(target), 0) != 0) return -1;
  return target;
}

// Reads stop at the end of the data chunk: what follows it is not the codec's.
sf_count_t Read(void* buffer, sf_count_t count, void* user) {
  WaveConverter* c = Of(user);
  const sf_count_t left = c->length - Tell(user);
  count = std::min(count, left);
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(c->functions.read(buffer, 1, static_cast<size_t>(count), c->stream));
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }

SF_VIRTUAL_IO kStreamIo = {FileLength, Seek, Read, Write, Tell};

}  // namespace

int OpenCompressedWaveReader(SoundDecoderRecord* record) {
  WaveChunks chunks;
  if (!WalkWaveChunks(record, &chunks) || !KnownCodec(chunks.format.formatTag)) return -1;
  // What the mixer can take, checked before the codec sees the file.
  if (chunks.format.channels > 2 || chunks.dataSize <= 0) return -1;
  auto* c = new (std::nothrow) WaveConverter;
  if (c == nullptr) return -1;
  c->functions = record->functions;
  c->stream = record->stream;
  c->length = sf_count_t{chunks.dataPosition} + chunks.dataSize;
  SF_INFO info{};
  if (!SeekSource(record, 0) || (c->file = sf_open_virtual(&kStreamIo, SFM_READ, &info, c)) == nullptr) {
    delete c;
    return -1;
  }
  // libsndfile must have read the file as the walk did.
  if (info.channels != chunks.format.channels || info.samplerate != static_cast<int>(chunks.format.samplesPerSec) ||
      info.frames < 0) {
    sf_close(c->file);
    delete c;
    return -1;
  }
  c->frames = info.frames;
  c->channels = info.channels;
  SoundWaveFormat& format = record->pcmFormat;
  format = SoundWaveFormat{};
  format.formatTag = kWaveFormatPcm;
  format.channels = static_cast<uint16_t>(info.channels);
  format.samplesPerSec = static_cast<uint32_t>(info.samplerate);
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(2 * info.channels);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  KeepWaveChunks(record, chunks, kSoundDecoderConverted);
  record->waveConverter = c;
  return 0;
}

int RefillCompressedWave(SoundDecoderRecord* record) {
  WaveConverter* c = record->waveConverter;
  if (c->file == nullptr) return 0;
  const sf_count_t wanted = record->bufferSize / (2 * c->channels);
  if (wanted <= 0) return 0;
  const sf_count_t got = sf_readf_short(c->file, reinterpret_cast<short*>(record->buffer), wanted);
  return got > 0 ? static_cast<int>(got * 2 * c->channels) : 0;
}

bool SeekCompressedWave(SoundDecoderRecord* record, int sample) {
  WaveConverter* c = record->waveConverter;
  if (c->file == nullptr) return false;
  // Beyond the end the next read meets the end.
  return sf_seek(c->file, std::clamp<sf_count_t>(sample, 0, c->frames), SEEK_SET) >= 0;
}

void RestartCompressedWave(SoundDecoderRecord* record) {
  WaveConverter* c = record->waveConverter;
  if (c->file != nullptr) sf_close(c->file);
  SF_INFO info{};
  c->file = c->functions.seek(c->stream, 0, 0) == 0 ? sf_open_virtual(&kStreamIo, SFM_READ, &info, c) : nullptr;
}

int CompressedWavePcmSize(const SoundDecoderRecord* record) {
  const WaveConverter* c = record->waveConverter;
  const int64_t blockBytes = int64_t{2} * c->channels;
  if (c->frames > 0x7FFFFFFF / blockBytes) return 0x7FFFFFFF;
  return static_cast<int>(c->frames * blockBytes);
}

void CloseCompressedWave(SoundDecoderRecord* record) {
  if (record->waveConverter == nullptr) return;
  if (record->waveConverter->file != nullptr) sf_close(record->waveConverter->file);
  delete record->waveConverter;
  record->waveConverter = nullptr;
}

}  // namespace veziv::detail
