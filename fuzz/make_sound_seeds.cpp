// Writes the seed corpora of the sound reader targets with the fixture
// builders the reader tests use (Ogg Vorbis through libvorbisenc, MP3 as
// silent Layer III frames). Run by hand: make_sound_seeds fuzz/corpus
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/seed_writer.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"

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
  return 0;
}
