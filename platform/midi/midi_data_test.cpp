// The MIDI data check: what it takes and refuses, and that whatever it
// takes, the synthesizer's player loads (a file the player refused would
// spin a looping player).
#include "platform/midi/midi_data.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/midi/midi_file_test_support.h"
#include "platform/midi/synth.h"

namespace platform::midi {
namespace {

using test::MakeMidiFile;
using test::MidiTrack;

// A file of one track of the bytes given, delta times and all.
std::vector<uint8_t> OneTrack(std::initializer_list<uint8_t> bytes) {
  MidiTrack track;
  track.Raw(bytes);
  return MakeMidiFile({track});
}

struct Case {
  std::string name;
  std::vector<uint8_t> bytes;
  bool taken;
  uint32_t ticks = 0;
};

std::vector<Case> Cases() {
  const std::vector<uint8_t> note = test::MakeOneNoteFile(96, 960);
  std::vector<Case> cases = {
      {"one note", note, true, 960},
      {"in RMID", test::WrapInRmid(note), true, 960},
      {"running status", OneTrack({0, 0x90, 60, 100, 0x60, 60, 0, 0x10, 0xFF, 0x01, 1, 'a', 0x40, 0xFF, 0x2F, 0}), true,
       0xB0},
      {"system exclusive", OneTrack({0, 0xF0, 3, 0x7E, 0x7F, 0xF7, 0, 0x90, 60, 100, 0x60, 0xFF, 0x2F, 0}), true, 0x60},
      {"no end of track", OneTrack({0, 0x90, 60, 100, 0x60, 0x80, 60, 0}), true, 0x60},
      {"bytes after the end", OneTrack({0, 0x90, 60, 100, 0x60, 0xFF, 0x2F, 0, 0x12, 0x34}), true, 0x60},
      {"empty", {}, false},
      {"a WAVE file", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
      {"RMID without data", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'}, false},
      {"header cut short", std::vector<uint8_t>(note.begin(), note.begin() + 13), false},
      {"track cut short", std::vector<uint8_t>(note.begin(), note.end() - 1), false},
      {"running status first", OneTrack({0, 60, 100, 0x60, 0xFF, 0x2F, 0}), false},
      {"running status after a meta event",
       OneTrack({0, 0x90, 60, 100, 0, 0xFF, 0x58, 4, 4, 2, 24, 8, 0x10, 60, 0, 0, 0xFF, 0x2F, 0}), false},
      {"running status after system exclusive",
       OneTrack({0, 0x90, 60, 100, 0, 0xF0, 1, 0xF7, 0, 60, 0, 0, 0xFF, 0x2F, 0}), false},
      {"escaped system exclusive", OneTrack({0, 0xF7, 1, 0xF8, 0, 0xFF, 0x2F, 0}), false},
      {"system common message", OneTrack({0, 0xF1, 5, 0, 0xFF, 0x2F, 0}), false},
      {"data byte with its top bit", OneTrack({0, 0x90, 60, 0x90, 0, 0xFF, 0x2F, 0}), false},
      {"tempo of two bytes", OneTrack({0, 0xFF, 0x51, 2, 1, 2, 0, 0xFF, 0x2F, 0}), false},
      {"time signature of three bytes", OneTrack({0, 0xFF, 0x58, 3, 1, 2, 3, 0, 0xFF, 0x2F, 0}), false},
      {"key signature of three bytes", OneTrack({0, 0xFF, 0x59, 3, 1, 2, 3, 0, 0xFF, 0x2F, 0}), false},
      {"end of track with a byte", OneTrack({0, 0xFF, 0x2F, 1, 0}), false},
      {"meta event past the chunk", OneTrack({0, 0xFF, 0x01, 9, 'a'}), false},
      {"delta time of five bytes", OneTrack({0x81, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0}), false},
  };
  auto patched = [&note](size_t at, uint8_t value) {
    std::vector<uint8_t> bytes = note;
    bytes[at] = value;
    return bytes;
  };
  cases.push_back({"header of eight bytes", patched(7, 8), false});
  cases.push_back({"format 3", patched(9, 3), false});
  cases.push_back({"no tracks", patched(11, 0), false});
  cases.push_back({"two tracks claimed, one there", patched(11, 2), false});
  cases.push_back({"time in SMPTE frames", patched(12, 0xE7), false});
  cases.push_back({"no ticks a beat", [&] { auto b = patched(12, 0); b[13] = 0; return b; }(), false});
  cases.push_back({"another chunk before the track", patched(14, 'X'), false});
  cases.push_back({"track longer than the file", patched(21, static_cast<uint8_t>(note[21] + 1)), false});
  // A delta of 2^28 - 1 ticks, sixteen times: more ticks than a length can hold.
  {
    MidiTrack track;
    for (int i = 0; i < 16; ++i) track.Wait(0x0FFFFFFF).Event({0xFF, 0x01, 0});
    track.End();
    cases.push_back({"too many ticks", MakeMidiFile({track}), false});
  }
  return cases;
}

TEST(MidiDataTest, TakesWellFormedFilesAndRefusesTheRest) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    MidiData data;
    ASSERT_EQ(FindMidiData(c.bytes.data(), c.bytes.size(), &data), c.taken);
    if (!c.taken) continue;
    EXPECT_EQ(data.ticks, c.ticks);
    EXPECT_EQ(data.tracks, 1);
    EXPECT_EQ(std::string(c.bytes.begin() + static_cast<ptrdiff_t>(data.offset),
                          c.bytes.begin() + static_cast<ptrdiff_t>(data.offset) + 4),
              "MThd");
  }
}

TEST(MidiDataTest, MeasuresTheLongestTrackAndStopsAtTheLastTrack) {
  MidiTrack conductor, notes;
  conductor.Tempo(250000).Wait(100).End();
  notes.NoteOn(0, 60).Wait(300).NoteOff(0, 60).Wait(20).End();
  std::vector<uint8_t> bytes = MakeMidiFile({conductor, notes});
  const size_t file_size = bytes.size();
  bytes.insert(bytes.end(), {'j', 'u', 'n', 'k'});
  MidiData data;
  ASSERT_TRUE(FindMidiData(bytes.data(), bytes.size(), &data));
  EXPECT_EQ(data.format, 1);
  EXPECT_EQ(data.tracks, 2);
  EXPECT_EQ(data.ticks, 320u);
  EXPECT_EQ(data.offset, 0u);
  EXPECT_EQ(data.size, file_size);
}

TEST(MidiDataTest, EveryFileItTakesTheSynthesizerLoads) {
  audio::Mixer mixer(44100);
  std::unique_ptr<Synth> synth = Synth::Create(&mixer, "");
  ASSERT_NE(synth, nullptr);
  std::vector<int16_t> out(441 * 2);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const int player = synth->OpenPlayer(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(player > 0, c.taken);
    if (!c.taken) continue;
    ASSERT_EQ(synth->Play(player, false), 0);
    mixer.Render(out.data(), 441);  // 10 ms: a file the player refuses is over at once
    EXPECT_EQ(synth->IsPlaying(player), 1);
    EXPECT_EQ(synth->ClosePlayer(player), 0);
  }
}

}  // namespace
}  // namespace platform::midi
