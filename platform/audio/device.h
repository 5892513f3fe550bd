// The sound output: one SDL audio device that pulls a mixer from its own
// thread. Under VEZIV_HEADLESS=1 SDL's dummy driver is asked for (unless
// SDL_AUDIODRIVER names another), which takes the sound at the real rate and
// plays it nowhere; under VEZIV_HARNESS no device opens. Depends on SDL2
// (in the source only) and the mixer.
#pragma once

#include <string>
#include <vector>

#include "platform/audio/mixer.h"

namespace platform::audio {

struct DeviceDescription {
  std::string driver;                // the SDL driver in use
  std::vector<std::string> outputs;  // names of the output devices the driver lists
  int rate = 0;
  int channels = 0;
  int bits = 0;
  int block_frames = 0;  // frames the device takes at a time
};

// Opens the default output at the mixer's rate, 16-bit stereo, and starts
// pulling the mixer. False when no device can be opened (nothing is pulled
// then). One device at a time: false while one is open.
bool OpenDevice(Mixer* mixer, DeviceDescription* description);
// Stops pulling the mixer at once (the caller may free it on return); nothing
// happens when none is open. The output itself stays paused, playing silence,
// until the next OpenDevice at the same rate takes it up again, or the program
// ends: SDL's own close would hold the caller for some 60 ms.
void CloseDevice();
bool IsDeviceOpen();

}  // namespace platform::audio
