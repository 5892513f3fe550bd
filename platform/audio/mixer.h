// The software mixer: PCM buffers (whole sounds and rings that are refilled
// while they play), each with its own play position, loop flag, playback rate
// and volume, summed into 16-bit stereo at the output rate. The audio device
// pulls it from its own thread; tests call Render directly. Depends on the
// standard library only.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::audio {

// PCM as buffers hold it: 8-bit unsigned or 16-bit signed little-endian
// samples, one or two interleaved channels.
struct PcmFormat {
  int channels = 2;
  int bits = 16;
  int rate = 44100;
};

constexpr int kMinRate = 100;
constexpr int kMaxRate = 200000;
// Volumes are hundredths of a decibel; this one and below are silent.
constexpr int kSilentVolume = -10000;
// The status bit of a sounding buffer.
constexpr uint32_t kStatusPlaying = 1;

// True for the formats a buffer can take: 1 or 2 channels, 8 or 16 bits, a
// rate from kMinRate to kMaxRate.
bool IsMixablePcmFormat(const PcmFormat& format);
// Amplitude gain of a volume, in 1/65536 steps: 10^(v/2000), 0 at kSilentVolume.
int32_t VolumeToGain(int hundredths_db);

// The two parts of a locked span of a buffer: the second is used when the
// span runs past the end and goes on from the start.
struct LockedRegions {
  uint8_t* first = nullptr;
  uint32_t first_bytes = 0;
  uint8_t* second = nullptr;
  uint32_t second_bytes = 0;
};

// Adds frames of interleaved stereo into the mix (16-bit scale, not yet
// clipped); a synthesizer renders through this.
using SourceRender = void (*)(void* user, int32_t* mix, int frames);

class Mixer {
 public:
  explicit Mixer(int output_rate = 44100);
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  int OutputRate() const;

  // Every call below that names a buffer returns -1 for an id that names none.
  // A new buffer of bytes (whole blocks, at least one), zero-filled, stopped
  // at 0, at full volume and its own rate. Its id (> 0), or -1 for a format
  // IsMixablePcmFormat refuses or a size of no whole block.
  int CreateBuffer(const PcmFormat& format, uint32_t bytes);
  // A new buffer over the same PCM, with the same volume and rate, stopped at
  // 0; the PCM goes with its last buffer.
  int DuplicateBuffer(int buffer);
  int ReleaseBuffer(int buffer);

  // Starts from the current position; on a sounding buffer only the loop flag
  // changes. A buffer that is not looping stops at its end and goes back to 0.
  int Play(int buffer, bool loop);
  // Stops where the play cursor is, so that Play goes on from there.
  int Stop(int buffer);
  int GetStatus(int buffer, uint32_t* status);
  // Hands out the span of bytes at offset (wrapping to the start), which the
  // caller fills until Unlock. -1 when the offset lies outside the buffer or
  // the span is longer than the buffer.
  int Lock(int buffer, uint32_t offset, uint32_t bytes, LockedRegions* regions);
  int Unlock(int buffer);
  // Playback rate in Hz, 0 for the data's own; -1 outside kMinRate..kMaxRate.
  int SetFrequency(int buffer, int hz);
  int GetFrequency(int buffer, int* hz);
  // Hundredths of a decibel, -10000..0 (values outside are clamped).
  int SetVolume(int buffer, int hundredths_db);
  int GetVolume(int buffer, int* hundredths_db);
  // Moves the play position at once, to the block holding byte; -1 past the end.
  int SetPosition(int buffer, uint32_t byte);
  // The play cursor in bytes, on a block boundary. While the device plays,
  // it moves sample by sample between the blocks the device takes.
  int GetPosition(int buffer, uint32_t* byte);
  // The buffer's size in bytes.
  int GetSize(int buffer, uint32_t* bytes);

  // A synthesizer's voice; its id (> 0). RemoveSource returns -1 for an unknown id.
  int AddSource(SourceRender render, void* user);
  int RemoveSource(int source);

  // Mixes frames of interleaved 16-bit stereo into out, moving every
  // sounding buffer on.
  void Render(int16_t* out, int frames);
  // Render for the device, which also notes when the block went out so
  // that the play cursor can move on between blocks.
  void RenderForDevice(int16_t* out, int frames);

  // Buffers alive (for tests and the log).
  int BufferCount() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform::audio
