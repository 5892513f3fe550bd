// Writes the seed corpora of the two movie targets with the movie builders
// the decoder tests use (libtheoraenc, with libvorbisenc for a sound track;
// FFmpeg's encoders and muxers for the other road). Run by hand:
// make_movie_seeds fuzz/corpus
#include <cstdio>
#include <cstring>

#include "fuzz/seed_writer.h"
#include "library/sound_movie/movie/media_fixtures_test_support.h"
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

  const struct {
    const char *name, *container, *video, *audio;
    int bFrames, fps;
  } media[] = {
      {"mpeg4.avi", "avi", "mpeg4", nullptr, 0, 10},
      {"mpeg4_mp2.avi", "avi", "mpeg4", "mp2", 0, 10},
      {"mpeg4_bframes.mp4", "mp4", "mpeg4", "aac", 2, 10},
      {"h264.mkv", "matroska", "libx264", nullptr, 2, 10},
      {"vp8_vorbis.webm", "webm", "libvpx", "libvorbis", 0, 10},
      {"vp9.webm", "webm", "libvpx-vp9", nullptr, 0, 10},
      {"mpeg1.mpg", "mpeg", "mpeg1video", "mp2", 0, 25},
      {"mpeg2.ts", "mpegts", "mpeg2video", nullptr, 2, 25},
      {"vp8.ivf", "ivf", "libvpx", nullptr, 0, 10},
  };
  for (const auto& m : media) {
    MediaRecipe recipe;
    recipe.container = m.container;
    recipe.video = m.video;
    recipe.audio = m.audio;
    recipe.extension = std::strrchr(m.name, '.') + 1;
    recipe.width = 16;
    recipe.height = 16;
    recipe.frames = 6;
    recipe.gop = 3;
    recipe.bFrames = m.bFrames;
    recipe.fps = m.fps;
    const std::vector<uint8_t> bytes = MakeMediaMovie(recipe);
    Seed("movie_media", m.name, bytes);
    if (m.audio != nullptr) Seed("movie_track", m.name, bytes);
  }
  return 0;
}
