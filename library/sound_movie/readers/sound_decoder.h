// Sound data readers: recognise PCM WAVE, compressed WAVE (ADPCM, GSM 6.10,
// mu-law, A-law, MP3), Ogg Vorbis and MP3 data (and, for a movie's sound
// track, the audio of a movie through FFmpeg) behind a
// stream table, then hand out 16- or 8-bit little-endian PCM block by block,
// seek to a sample, tell the PCM size or decode everything at once. Also an
// in-memory WAVE image of PCM and whole-file reads. Depends on the
// foundation's streams, file functions, allocator and log, libvorbisfile,
// libsndfile, libmpg123 and FFmpeg's libraries (in the sources only).
#pragma once

#include <cstdint>

#include "library/foundation/files/streams.h"

namespace veziv {

// The format of PCM, in the order of a WAVE fmt chunk (18 bytes stored).
struct SoundWaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t extraSize;
};
constexpr int kWaveFormatBytes = 18;
constexpr uint16_t kWaveFormatPcm = 1;

// Reads the first n (at most 18) bytes of a stored fmt; the rest stay zero.
void ReadWaveFormat(const uint8_t* bytes, int n, SoundWaveFormat* format);
void WriteWaveFormat(const SoundWaveFormat& format, uint8_t* bytes);

enum SoundDecoderKind : uint32_t {
  kSoundDecoderPcmWave = 0,
  kSoundDecoderConverted = 1,  // compressed WAVE and MP3 through a converter
  kSoundDecoderOggVorbis = 2,
};

namespace detail {
struct Mp3Converter;
struct VorbisStream;
struct WaveConverter;
struct MovieTrack;
}  // namespace detail

// One opened source. Zero it before OpenSoundSource; it may be embedded in
// a record that is zero-filled.
struct SoundDecoderRecord {
  uint32_t open;
  uint32_t endFlag;  // a read came back short at the end; cleared by each seek
  uint32_t kind;
  StreamFunctionTable functions;
  StreamValue stream;
  int fmtPosition;
  int fmtSize;
  int dataPosition;
  int dataSize;
  SoundWaveFormat pcmFormat;  // what the decoder hands out
  detail::Mp3Converter* converter;  // MP3 files
  detail::WaveConverter* waveConverter;  // compressed WAVE
  detail::MovieTrack* movieTrackConverter;  // a movie's sound track
  detail::VorbisStream* vorbis;
  int oggBytesPerSample;
  uint8_t* buffer;  // conversion buffer
  int bufferSize;
  int bufferHeld;
  int bufferTaken;
  int outputPosition;  // PCM bytes from the start
  int loopPosition;    // bytes; set by stream loop points
  uint32_t movieTrack;
};

// 0, or -1 when no reader accepts the data, the data is PCM the mixer cannot
// play (more than two channels, other than 8 or 16 bits, a rate outside
// 100..200000 Hz, no whole block of data), or memory runs out.
int OpenSoundSource(const StreamFunctionTable* functions, StreamValue stream, SoundDecoderRecord* record);
// Bytes delivered (fewer at the end; 0 once the end flag is set), -1 when not open.
int ReadSoundSourcePcm(SoundDecoderRecord* record, void* destination, int bytes);
// Moves to a sample. 0.
int SeekSoundSource(SoundDecoderRecord* record, int sample);
// Total PCM bytes (Ogg Vorbis with a margin of 44100 samples; MP3 from its frames).
int GetSoundSourcePcmSize(SoundDecoderRecord* record);
int GetSoundSourceFormat(SoundDecoderRecord* record, SoundWaveFormat* format);
// Everything from sample 0 into one new block (FreeLibMemory); size is what
// was decoded. 0, -1.
int DecodeSoundSourceToPcm(SoundDecoderRecord* record, SoundWaveFormat* format, void** pcm, int* size);
// Frees the decoder's state; the stream stays the caller's. 0, -1 when not open.
int CloseSoundSource(SoundDecoderRecord* record);

// A RIFF WAVE image (FreeLibMemory) of the format (formatSize bytes of it)
// and the PCM. 0, -1.
int BuildWaveImage(void** image, int* size, const SoundWaveFormat* format, int formatSize, const void* pcm,
                   int pcmSize);
// A whole file through the installed file functions (FreeLibMemory). 0, -1.
int LoadFileToMemory(const char* name, void** image, int* size);
// A whole stream from its start; the stream stays open. 0, -1.
int ReadStreamToMemory(const StreamFunctionTable* functions, StreamValue stream, void** image, int* size);

namespace detail {
// Bytes per sample of decoded Ogg Vorbis (1 or 2); sound set-up makes it 2.
void SetOggOutputBytesPerSample(int bytes);
// Set while a movie opens its sound track; copied into each record opened.
void SetSoundMovieTrackFlag(int flag);
}  // namespace detail

}  // namespace veziv
