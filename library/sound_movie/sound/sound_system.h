// Bringing the sound output up and down, the two set-up modes (they differ
// in how MIDI music is played), and sound's steps in the library's start,
// end and pump. Depends on the mixer and device of platform/audio, the
// foundation's log, clock and subsystem tables, and the sound handles.
#pragma once

#include <string>

#include "library/veziv.h"

namespace platform::audio {
class Mixer;
}

namespace veziv {

// 0; -1 when sound is already up. No output device is not a failure: sound
// then runs on the mixer alone, without output.
int StartSoundSystem();
// 0; -1 when sound is not up.
int EndSoundSystem();

namespace detail {

// Puts sound's start and end into the library's table and its upkeep into
// the pump. InitLibrary calls it; tests call it themselves.
void RegisterSoundWithLibrary();

// The mixer while sound is up, else null.
platform::audio::Mixer* SoundMixer();
int SoundInitMode();
// True while an output device pulls the mixer.
bool SoundDeviceOpen();
// The General MIDI sound font found at the start (empty when there is none).
const std::string& SoundFontPath();
// Without a device nothing pulls the mixer, so it is moved on by the clock
// whenever the library looks at a buffer: sounds still end on time.
void CatchUpSilentOutput();

// The capabilities the output reports, and the primary format they give.
struct SoundDeviceCaps {
  bool primaryStereo;
  bool primary16Bit;
  bool primary8Bit;
  bool primaryMono;
  bool secondaryStereo;
  bool secondaryMono;
  bool secondary16Bit;
  bool secondary8Bit;
  int minSecondaryRate;
  int maxSecondaryRate;
  unsigned totalHardwareBytes;
  unsigned freeHardwareBytes;
};
struct PrimaryFormat {
  int channels;
  int bits;
  int rate;
};
PrimaryFormat ChoosePrimaryFormat(const SoundDeviceCaps& caps);

// For tests: false keeps the output device closed (sound runs on the mixer
// alone); a finder replaces the search for a General MIDI sound font (it
// returns an empty path when there is none); null restores the search.
void SetSoundDeviceAllowed(bool allowed);
void SetSoundFontFinder(std::string (*finder)());

}  // namespace detail
}  // namespace veziv
