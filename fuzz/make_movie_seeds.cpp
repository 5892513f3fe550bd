// Writes the seed corpus of the movie opener target with the movie builder
// the decoder tests use (libtheoraenc, with libvorbisenc for a sound track).
// Run by hand: make_movie_seeds fuzz/corpus
#include <cstdio>

#include "fuzz/seed_writer.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"

using namespace veziv::test;
using veziv::fuzzing::Seed;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  veziv::fuzzing::SeedRoot() = argv[1];

  MovieRecipe plain;
  plain.width = 16;
  plain.height = 16;
  plain.frames = 5;
  plain.keyframeInterval = 2;
  plain.quality = 10;
  Seed("movie_open", "plain.ogv", MakeTheoraMovie(plain));

  MovieRecipe region = plain;
  region.width = 10;
  region.height = 6;
  region.offsetX = 2;
  region.offsetY = 4;
  region.frames = 3;
  Seed("movie_open", "picture_region.ogv", MakeTheoraMovie(region));

  MovieRecipe full = plain;
  full.pixelFormat = TH_PF_444;
  full.frames = 2;
  Seed("movie_open", "chroma444.ogv", MakeTheoraMovie(full));

  MovieRecipe sound = plain;
  sound.frames = 4;
  sound.soundSeconds = 0.15;
  Seed("movie_open", "with_sound.ogv", MakeTheoraMovie(sound));
  return 0;
}
