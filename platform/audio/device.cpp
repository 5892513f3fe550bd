// The SDL audio device behind device.h.
#include "platform/audio/device.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace platform::audio {
namespace {

constexpr int kBlockFrames = 1024;  // about 23 ms at 44.1 kHz

struct DeviceState {
  SDL_AudioDeviceID id = 0;
  Mixer* mixer = nullptr;
};

DeviceState& Device() {
  static DeviceState state;
  return state;
}

void Pull(void* user, Uint8* stream, int bytes) {
  auto* mixer = static_cast<Mixer*>(user);
  mixer->RenderForDevice(reinterpret_cast<int16_t*>(stream), bytes / 4);
}

bool Headless() {
  const char* value = std::getenv("VEZIV_HEADLESS");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

// The whole-game harness (VEZIV_HARNESS) opens no device: the sound system
// then moves its mixer on by the manual clock, the same in every run.
bool HarnessRun() {
  const char* value = std::getenv("VEZIV_HARNESS");
  return value != nullptr && *value != '\0';
}

}  // namespace

bool OpenDevice(Mixer* mixer, DeviceDescription* description) {
  DeviceState& device = Device();
  if (device.id != 0 || mixer == nullptr || HarnessRun()) return false;
  if (Headless()) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = mixer->OutputRate();
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kBlockFrames;
  want.callback = Pull;
  want.userdata = mixer;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware takes, so the
  // mixer always renders one format.
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  device.id = id;
  device.mixer = mixer;
  if (description != nullptr) {
    *description = DeviceDescription{};
    const char* driver = SDL_GetCurrentAudioDriver();
    description->driver = driver != nullptr ? driver : "";
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      if (name != nullptr) description->outputs.emplace_back(name);
    }
    description->rate = have.freq;
    description->channels = have.channels;
    description->bits = SDL_AUDIO_BITSIZE(have.format);
    description->block_frames = have.samples;
  }
  SDL_PauseAudioDevice(id, 0);
  return true;
}

void CloseDevice() {
  DeviceState& device = Device();
  if (device.id == 0) return;
  SDL_CloseAudioDevice(device.id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  device = DeviceState{};
}

bool IsDeviceOpen() { return Device().id != 0; }

}  // namespace platform::audio
