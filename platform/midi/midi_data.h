// Finds the standard MIDI data in a music file's bytes: a standard MIDI file
// itself, or one wrapped in a RIFF "RMID" file. The check walks every event
// of every track and takes only what the synthesizer's player loads: a file
// it failed to load would leave a looping player restarting it for ever.
// Depends on the standard library only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::midi {

// The most tracks a file may have.
constexpr int kMaxMidiTracks = 128;

struct MidiData {
  size_t offset = 0;  // where the standard MIDI file starts in the bytes
  size_t size = 0;
  int format = 0;  // 0, 1 or 2
  int tracks = 0;
  uint32_t ticks = 0;  // the length: the latest track end
};

// False for bytes that hold no standard MIDI file, or one whose header,
// chunks or events do not read as such (truncated, with unknown events,
// time in SMPTE frames, meta events of a wrong size).
bool FindMidiData(const uint8_t* bytes, size_t size, MidiData* found);

}  // namespace platform::midi
