// The SDL audio device behind device.h.
#include "platform/audio/device.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace platform::audio {
namespace {

constexpr int kBlockFrames = 1024;  // about 23 ms at 44.1 kHz

// The device, open from the first OpenDevice to the end of the program.
// CloseDevice only pauses it and lets go of the mixer: SDL's close waits for
// its thread to wake and then sleeps two blocks more "to drain" (some 60 ms
// at this block size), which the library's end would otherwise spend each
// time; the next OpenDevice at the same rate takes the paused device up
// again at once. The mixer pointer changes under SDL's device lock, which
// the callback runs under.
struct DeviceState {
  SDL_AudioDeviceID id = 0;
  Mixer* mixer = nullptr;  // null while paused between a close and the next open
  int rate = 0;
  DeviceDescription description;
};

DeviceState& Device() {
  static DeviceState state;
  return state;
}

void Pull(void* user, Uint8* stream, int bytes) {
  auto* device = static_cast<DeviceState*>(user);
  if (device->mixer == nullptr) {
    std::memset(stream, 0, static_cast<size_t>(bytes));
    return;
  }
  device->mixer->RenderForDevice(reinterpret_cast<int16_t*>(stream), bytes / 4);
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

// Really closes the paused device (one of another rate is in the way).
void ClosePausedDevice(DeviceState& device) {
  SDL_CloseAudioDevice(device.id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  device = DeviceState{};
}

// Hands the device the mixer and lets it play.
void Attach(DeviceState& device, Mixer* mixer) {
  SDL_LockAudioDevice(device.id);
  device.mixer = mixer;
  SDL_UnlockAudioDevice(device.id);
  SDL_PauseAudioDevice(device.id, 0);
}

}  // namespace

bool OpenDevice(Mixer* mixer, DeviceDescription* description) {
  DeviceState& device = Device();
  if (device.mixer != nullptr || mixer == nullptr || HarnessRun()) return false;
  if (device.id != 0 && device.rate != mixer->OutputRate()) ClosePausedDevice(device);
  if (device.id == 0) {
    if (Headless()) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = mixer->OutputRate();
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBlockFrames;
    want.callback = Pull;
    want.userdata = &device;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // mixer always renders one format. The device starts paused.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    device.id = id;
    device.rate = mixer->OutputRate();
    DeviceDescription& d = device.description;
    const char* driver = SDL_GetCurrentAudioDriver();
    d.driver = driver != nullptr ? driver : "";
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
      const char* name = SDL_GetAudioDeviceName(i, 0);
      if (name != nullptr) d.outputs.emplace_back(name);
    }
    d.rate = have.freq;
    d.channels = have.channels;
    d.bits = SDL_AUDIO_BITSIZE(have.format);
    d.block_frames = have.samples;
  }
  if (description != nullptr) *description = device.description;
  Attach(device, mixer);
  return true;
}

void CloseDevice() {
  DeviceState& device = Device();
  if (device.mixer == nullptr) return;
  SDL_PauseAudioDevice(device.id, 1);
  SDL_LockAudioDevice(device.id);
  device.mixer = nullptr;
  SDL_UnlockAudioDevice(device.id);
}

bool IsDeviceOpen() { return Device().mixer != nullptr; }

}  // namespace platform::audio
