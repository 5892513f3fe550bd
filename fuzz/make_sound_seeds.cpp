// Writes the seed corpora of the sound reader targets and the MIDI data
// target with the fixture builders the tests use (Ogg Vorbis through
// libvorbisenc, MP3 as silent Layer III frames, MIDI files event by event).
// Run by hand: make_sound_seeds fuzz/corpus
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/seed_writer.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"
#include "platform/midi/midi_file_test_support.h"

using namespace veziv::test;
using veziv::fuzzing::Seed;

namespace {

std::vector<uint8_t> Ramp(size_t n) {
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 37 + 11);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  veziv::fuzzing::SeedRoot() = argv[1];

  WaveRecipe stereo;
  stereo.pcm = Ramp(64);
  Seed("sound_wave", "stereo16.wav", MakeWave(stereo));
  WaveRecipe mono8;
  mono8.channels = 1;
  mono8.bits = 8;
  mono8.rate = 8000;
  mono8.fmt_bytes = 18;
  mono8.odd_chunk_bytes = 3;
  mono8.pcm = Ramp(33);
  Seed("sound_wave", "mono8_odd_chunk.wav", MakeWave(mono8));
  WaveRecipe cut = stereo;
  cut.claimed_data = 0xFFFFFFFF;
  Seed("sound_wave", "unknown_size.wav", MakeWave(cut));

  Seed("sound_vorbis", "stereo.ogg", MakeOggVorbis(2, 22050, 1500));
  Seed("sound_vorbis", "mono.ogg", MakeOggVorbis(1, 8000, 600));

  Mp3Recipe plain;
  plain.frames = 3;
  Seed("sound_mp3", "stereo.mp3", MakeMp3(plain));
  Mp3Recipe tagged;
  tagged.frames = 2;
  tagged.mono = true;
  tagged.id3v2_bytes = 20;
  tagged.id3v24_footer = true;
  tagged.id3v1 = true;
  tagged.junk_before = {0xFF, 0x00};
  Seed("sound_mp3", "mono_tagged.mp3", MakeMp3(tagged));

  using platform::midi::test::MidiTrack;
  const std::vector<uint8_t> note = platform::midi::test::MakeOneNoteFile(96, 960);
  Seed("midi_data", "one_note.mid", note);
  Seed("midi_data", "one_note.rmi", platform::midi::test::WrapInRmid(note));
  MidiTrack conductor, tune;
  conductor.Tempo(400000).Event({0xFF, 0x58, 4, 4, 2, 24, 8}).Event({0xFF, 0x59, 2, 0, 0}).Wait(960).End();
  tune.Event({0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).Program(1, 40).Event({0xB1, 7, 100}).Event({0xE1, 0, 0x40});
  tune.NoteOn(1, 64).Raw({0x30, 67, 90}).Wait(120).NoteOff(1, 64).Raw({0, 0x81, 67, 0}).Wait(300);
  tune.Event({0xFF, 0x01, 3, 'e', 'n', 'd'}).End();
  Seed("midi_data", "two_tracks.mid", platform::midi::test::MakeMidiFile({conductor, tune}, 96));
  return 0;
}
