// The buffer wrapper over the sound system's mixer.
#include "library/sound_movie/sound/sound_buffers.h"

#include "library/sound_movie/sound/sound_system.h"
#include "platform/audio/mixer.h"

namespace veziv::detail {
namespace {

platform::audio::Mixer* MixerOf(const SoundBufferWrapper* wrapper) {
  if (wrapper == nullptr || !wrapper->valid) return nullptr;
  return SoundMixer();
}

}  // namespace

int CreateWrappedBuffer(const SoundWaveFormat& format, int bytes, SoundBufferWrapper* wrapper) {
  platform::audio::Mixer* mixer = SoundMixer();
  if (mixer == nullptr || bytes <= 0) return -1;
  const platform::audio::PcmFormat pcm{format.channels, format.bitsPerSample, static_cast<int>(format.samplesPerSec)};
  const int id = mixer->CreateBuffer(pcm, static_cast<uint32_t>(bytes));
  if (id < 0) return -1;
  wrapper->valid = 1;
  wrapper->buffer = id;
  return 0;
}

int DuplicateWrappedBuffer(const SoundBufferWrapper* source, SoundBufferWrapper* target) {
  platform::audio::Mixer* mixer = MixerOf(source);
  if (mixer == nullptr || target->valid) return -1;
  const int id = mixer->DuplicateBuffer(source->buffer);
  if (id < 0) return -1;
  target->valid = 1;
  target->buffer = id;
  return 0;
}

int ReleaseWrappedBuffer(SoundBufferWrapper* wrapper) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  if (mixer == nullptr) return -1;
  mixer->ReleaseBuffer(wrapper->buffer);
  *wrapper = SoundBufferWrapper{};
  return 0;
}

int PlayWrappedBuffer(SoundBufferWrapper* wrapper, bool loop) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  return mixer != nullptr && mixer->Play(wrapper->buffer, loop) == 0 ? 0 : -1;
}

int StopWrappedBuffer(SoundBufferWrapper* wrapper) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  return mixer != nullptr && mixer->Stop(wrapper->buffer) == 0 ? 0 : -1;
}

int GetWrappedBufferStatus(SoundBufferWrapper* wrapper, uint32_t* status) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  if (mixer == nullptr) return -1;
  CatchUpSilentOutput();
  return mixer->GetStatus(wrapper->buffer, status) == 0 ? 0 : -1;
}

int LockWrappedBuffer(SoundBufferWrapper* wrapper, int offset, int bytes, void** first, int* first_bytes,
                      void** second, int* second_bytes) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  if (mixer == nullptr || offset < 0 || bytes < 0) return -1;
  platform::audio::LockedRegions regions;
  if (mixer->Lock(wrapper->buffer, static_cast<uint32_t>(offset), static_cast<uint32_t>(bytes), &regions) != 0) {
    return -1;
  }
  *first = regions.first;
  *first_bytes = static_cast<int>(regions.first_bytes);
  *second = regions.second;
  *second_bytes = static_cast<int>(regions.second_bytes);
  return 0;
}

int UnlockWrappedBuffer(SoundBufferWrapper* wrapper) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  return mixer != nullptr && mixer->Unlock(wrapper->buffer) == 0 ? 0 : -1;
}

int SetWrappedBufferFrequency(SoundBufferWrapper* wrapper, int hz) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  return mixer != nullptr && mixer->SetFrequency(wrapper->buffer, hz == -1 ? 0 : hz) == 0 ? 0 : -1;
}

int SetWrappedBufferVolume(SoundBufferWrapper* wrapper, int hundredths_db) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  return mixer != nullptr && mixer->SetVolume(wrapper->buffer, hundredths_db) == 0 ? 0 : -1;
}

int SetWrappedBufferPosition(SoundBufferWrapper* wrapper, int byte) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  if (mixer == nullptr || byte < 0) return -1;
  return mixer->SetPosition(wrapper->buffer, static_cast<uint32_t>(byte)) == 0 ? 0 : -1;
}

int GetWrappedBufferPosition(SoundBufferWrapper* wrapper, int* byte) {
  platform::audio::Mixer* mixer = MixerOf(wrapper);
  if (mixer == nullptr) return -1;
  CatchUpSilentOutput();
  uint32_t cursor = 0;
  if (mixer->GetPosition(wrapper->buffer, &cursor) != 0) return -1;
  *byte = static_cast<int>(cursor);
  return 0;
}

}  // namespace veziv::detail
