// Test support: standard MIDI files made in memory, event by event, and
// their RIFF "RMID" wrapping. Times are in ticks; at the default tempo
// (120 beats a minute) and 480 ticks a beat, 960 ticks make a second.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace platform::midi::test {

// The small General MIDI font that tests play with.
constexpr const char* kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class MidiTrack {
 public:
  // The delta time before the next event.
  MidiTrack& Wait(uint32_t ticks) {
    pending_ += ticks;
    return *this;
  }
  // Any event: its bytes as they stand in the file, after the delta time.
  MidiTrack& Event(std::initializer_list<uint8_t> bytes) {
    Delta();
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  // Bytes as they stand, with no delta time before them.
  MidiTrack& Raw(std::initializer_list<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes);
    return *this;
  }
  MidiTrack& Program(int channel, int program) { return Event({Status(0xC0, channel), Data(program)}); }
  MidiTrack& NoteOn(int channel, int key, int velocity = 100) {
    return Event({Status(0x90, channel), Data(key), Data(velocity)});
  }
  MidiTrack& NoteOff(int channel, int key) { return Event({Status(0x80, channel), Data(key), 0}); }
  // Microseconds a beat.
  MidiTrack& Tempo(uint32_t us) {
    return Event({0xFF, 0x51, 3, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)});
  }
  MidiTrack& End() { return Event({0xFF, 0x2F, 0}); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

  static void PutNumber(std::vector<uint8_t>* out, uint32_t value) {
    uint8_t groups[5];
    int n = 0;
    groups[n++] = value & 0x7F;
    while ((value >>= 7) != 0) groups[n++] = static_cast<uint8_t>(0x80 | (value & 0x7F));
    while (n > 0) out->push_back(groups[--n]);
  }

 private:
  static uint8_t Status(int kind, int channel) { return static_cast<uint8_t>(kind | (channel & 15)); }
  static uint8_t Data(int value) { return static_cast<uint8_t>(value & 0x7F); }
  void Delta() {
    PutNumber(&bytes_, pending_);
    pending_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint32_t pending_ = 0;
};

inline void PutBe32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

// A standard MIDI file of the tracks (format 0 for one track, else 1).
inline std::vector<uint8_t> MakeMidiFile(const std::vector<MidiTrack>& tracks, uint16_t division = 480) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<uint8_t>(tracks.size() > 1 ? 1 : 0)};
  out.push_back(static_cast<uint8_t>(tracks.size() >> 8));
  out.push_back(static_cast<uint8_t>(tracks.size()));
  out.push_back(static_cast<uint8_t>(division >> 8));
  out.push_back(static_cast<uint8_t>(division));
  for (const MidiTrack& track : tracks) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBe32(&out, static_cast<uint32_t>(track.bytes().size()));
    out.insert(out.end(), track.bytes().begin(), track.bytes().end());
  }
  return out;
}

// A file that sounds one piano note from 0 to note_ticks and ends at end_ticks.
inline std::vector<uint8_t> MakeOneNoteFile(uint32_t note_ticks, uint32_t end_ticks, int key = 60) {
  MidiTrack track;
  track.Program(0, 0).NoteOn(0, key).Wait(note_ticks).NoteOff(0, key).Wait(end_ticks - note_ticks).End();
  return MakeMidiFile({track});
}

// The file inside a RIFF "RMID" file, after a chunk of another kind.
inline std::vector<uint8_t> WrapInRmid(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'L', 'I', 'S', 'T', 3, 0, 0, 0, 1, 2, 3, 0};
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  const uint32_t n = static_cast<uint32_t>(file.size());
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(n >> shift));
  out.insert(out.end(), file.begin(), file.end());
  const uint32_t riff = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  return out;
}

}  // namespace platform::midi::test
