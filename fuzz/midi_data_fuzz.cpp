// Music file bytes through the MIDI data check and, when it takes them,
// through a player of the synthesizer (without a sound font: the events are
// read and timed, nothing sounds), looping, for a tenth of a second of
// output. What the check takes, the player must load, and it must neither
// crash nor keep restarting inside one render.
#include <fluidsynth.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/midi/midi_data.h"
#include "platform/midi/synth.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::audio::Mixer mixer(44100);
  static std::unique_ptr<platform::midi::Synth> synth = [] {
    // Without instruments every program change would warn.
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    return platform::midi::Synth::Create(&mixer, "");
  }();
  platform::midi::MidiData found;
  if (!platform::midi::FindMidiData(data, size, &found)) return 0;
  if (found.offset + found.size > size || found.tracks < 1) __builtin_trap();
  const int player = synth->OpenPlayer(data, size);
  if (player <= 0) __builtin_trap();
  synth->Play(player, true);
  std::vector<int16_t> out(2 * 1024);
  mixer.Render(out.data(), 1024);
  // A file the player refused would be over at once: the check took
  // something the player does not.
  if (synth->IsPlaying(player) != 1) __builtin_trap();
  for (int i = 0; i < 3; ++i) mixer.Render(out.data(), 1024);
  synth->ClosePlayer(player);
  return 0;
}
