// The readers behind OpenSoundSource, one per kind of data, and the MP3
// frame header they share with the tests. Internal to the sound readers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/sound_movie/readers/sound_decoder.h"

namespace veziv::detail {

// Each reader starts with the stream at 0. On acceptance it fills the kind,
// the PCM format, the data position and size, the conversion buffer size and
// its own state, and returns 0; on refusal it frees what it made and returns -1.
int OpenWaveReader(SoundDecoderRecord* record);
int OpenCompressedWaveReader(SoundDecoderRecord* record);
int OpenVorbisReader(SoundDecoderRecord* record);
int OpenMp3Reader(SoundDecoderRecord* record);
// Only for a movie's sound track (the record's movie-track flag set).
int OpenMovieTrackReader(SoundDecoderRecord* record);

// What the RIFF walk found: the fmt chunk's first 18 bytes, where it and the
// data chunk lie, and the data's size cut to the bytes present.
struct WaveChunks {
  SoundWaveFormat format{};
  int fmtPosition = 0;
  int fmtSize = 0;
  int dataPosition = 0;
  int dataSize = 0;
};
// "RIFF", "WAVE", the fmt chunk first (at least 16 bytes, with channels,
// rate and block size not 0), then the chunks up to "data". False when one
// of these is missing.
bool WalkWaveChunks(SoundDecoderRecord* record, WaveChunks* chunks);
// The chunks' places and sizes into the record, with the decoder kind.
void KeepWaveChunks(SoundDecoderRecord* record, const WaveChunks& chunks, uint32_t kind);

// Decodes the next piece into the conversion buffer: its bytes, 0 at the end.
int RefillVorbis(SoundDecoderRecord* record);
int RefillMp3(SoundDecoderRecord* record);
int RefillCompressedWave(SoundDecoderRecord* record);
int RefillMovieTrack(SoundDecoderRecord* record);
// Ogg Vorbis seeks by itself, and so does compressed WAVE where its codec
// can (false where it cannot: GSM 6.10); otherwise the converter starts over
// from the first sample and decodes forward.
void SeekVorbis(SoundDecoderRecord* record, int sample);
void SeekMovieTrack(SoundDecoderRecord* record, int sample);
bool SeekCompressedWave(SoundDecoderRecord* record, int sample);
void RestartMp3(SoundDecoderRecord* record);
void RestartCompressedWave(SoundDecoderRecord* record);
int VorbisPcmSize(const SoundDecoderRecord* record);
int Mp3PcmSize(const SoundDecoderRecord* record);
int CompressedWavePcmSize(const SoundDecoderRecord* record);
int MovieTrackPcmSize(const SoundDecoderRecord* record);
void CloseVorbis(SoundDecoderRecord* record);
void CloseMp3(SoundDecoderRecord* record);
void CloseCompressedWave(SoundDecoderRecord* record);
void CloseMovieTrack(SoundDecoderRecord* record);

// Stream helpers over the record's table.
size_t ReadFromSource(SoundDecoderRecord* record, void* buffer, size_t bytes);
bool SeekSource(SoundDecoderRecord* record, int64_t position);
// The stream's length (the stream ends back at 0), or -1.
int SourceLength(SoundDecoderRecord* record);

struct Mp3FrameHeader {
  int mpegVersion;  // 1 or 2
  int layer;        // 1, 2 or 3
  int bitRate;      // kbit/s
  int sampleRate;
  int padding;
  int channels;
  int frameBytes;
  int samplesPerFrame;
};
// The four bytes of a frame header. False for a header the walk refuses:
// no sync, a reserved layer, a free-format or reserved bit rate, a reserved
// sample rate.
bool ParseMp3FrameHeader(const uint8_t* bytes, Mp3FrameHeader* header);
// Bytes an ID3v2 tag at the start takes (0 without one).
int Id3v2TagBytes(const uint8_t* bytes, size_t size);

}  // namespace veziv::detail
