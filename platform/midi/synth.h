// The MIDI player: one General MIDI synthesizer that renders as a source of
// the mixer, on the thread that pulls the mixer, so that its clock is the
// output's own sample clock and a looping file goes round without a gap.
// No second audio device is opened. Players hold a copy of a standard MIDI
// file each and play it once or for ever. Depends on the mixer and the MIDI
// data check (FluidSynth in the source only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/mixer.h"

namespace platform::midi {

// The environment variable that names the sound font to use.
constexpr const char* kSoundFontVariable = "VEZIV_SOUND_FONT";

// The sound font: the file kSoundFontVariable names when it is one, else the
// first of Debian's General MIDI fonts that is installed (the full one before
// the small one). Empty when there is none.
std::string FindSoundFont();

class Synth {
 public:
  // Loads the sound font and joins the mixer. Null when the font does not
  // load. An empty path makes a synthesizer without instruments, which plays
  // files in silence (for tests of the players alone).
  static std::unique_ptr<Synth> Create(audio::Mixer* mixer, const std::string& sound_font);
  // Leaves the mixer first, so that nothing renders while it goes.
  ~Synth();
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;

  // A player over a copy of the standard MIDI data in bytes (FindMidiData);
  // its id (> 0), or -1 for bytes that hold none.
  int OpenPlayer(const void* bytes, size_t size);
  // Stops it when it plays and frees it. -1 for an id that names none.
  int ClosePlayer(int player);
  // Plays from the start, once or for ever. A file no longer than no time
  // at all plays once.
  int Play(int player, bool loop);
  // Stops it and silences every note at once.
  int Stop(int player);
  // 1 from Play until the file's end (a looping player never ends; a file
  // of no length ends when the synthesizer's own tail time is over) or Stop,
  // else 0; -1 for an id that names none.
  int IsPlaying(int player);

  // Hundredths of a decibel on the whole synthesizer: 0 full, -10000 and
  // below silent (values above 0 count as 0).
  void SetMasterVolume(int hundredths_db);
  int MasterVolume() const;

 private:
  struct State;
  explicit Synth(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace platform::midi
