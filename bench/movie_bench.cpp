// Decoding an 800 x 600 Ogg Theora movie of 300 frames at 30 per second,
// made once with libtheoraenc (a scrolling texture with a moving box, a
// keyframe every 64 frames): through the library's decoder (its thread
// decodes, the caller advances a frame and fetches it as 32-bit pixels each
// step, as a movie graph does) beside bare libtheora decoding the same bytes
// into its planes, and the picture conversion alone. "frames" is frames a
// second; "realtime" is that over the movie's 30 frames a second. Run under
// `taskset -c 0` for the one-core figures.
#include <benchmark/benchmark.h>
#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <cstring>
#include <vector>

#include "library/foundation/files/streams.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/movie/theora_decoder.h"
#include "library/sound_movie/movie/yuv_convert.h"

namespace {

constexpr int kFrames = 300;
constexpr double kMovieRate = 30.0;

const std::vector<uint8_t>& Movie() {
  static const std::vector<uint8_t> bytes = [] {
    veziv::test::MovieRecipe recipe;
    recipe.width = 800;
    recipe.height = 600;
    recipe.frames = kFrames;
    recipe.keyframeInterval = 64;
    recipe.quality = 40;
    recipe.paint = [](int i, veziv::test::MoviePlanes* p) {
      for (int y = 0; y < p->height; ++y) {
        for (int x = 0; x < p->width; ++x) {
          const int v = ((x + 2 * i) * 3 + y * 2) % 220 + ((x * 7 + y * 13) % 17);
          p->y[size_t(y) * p->width + x] = uint8_t(16 + v % 220);
        }
      }
      const int bx = (i * 5) % (p->width - 96), by = (i * 3) % (p->height - 96);
      for (int y = by; y < by + 96; ++y) std::memset(&p->y[size_t(y) * p->width + bx], 220, 96);
      for (int y = 0; y < p->chromaHeight; ++y) {
        for (int x = 0; x < p->chromaWidth; ++x) {
          p->u[size_t(y) * p->chromaWidth + x] = uint8_t(96 + (x + i) % 64);
          p->v[size_t(y) * p->chromaWidth + x] = uint8_t(96 + (y + i) % 64);
        }
      }
    };
    return veziv::test::MakeTheoraMovie(recipe);
  }();
  return bytes;
}

void SetFrameCounters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.counters["frames"] = benchmark::Counter(double(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
  state.counters["realtime"] =
      benchmark::Counter(double(state.iterations()) * kFrames / kMovieRate, benchmark::Counter::kIsRate);
}

// The library: open once (its index pass), then each iteration plays the
// whole movie frame by frame, through the wrap back to frame 0.
void BM_LibraryDecodeAndFetch(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Movie();
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(bytes.data(), int(bytes.size()));
  veziv::TheoraDecodeContext* movie =
      veziv::OpenTheoraMovie(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), 10);
  if (movie == nullptr) {
    state.SkipWithError("the movie does not open");
    return;
  }
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      veziv::AdvanceTheoraMovie(movie, 1);
      if (veziv::FetchTheoraFrame(movie, 1, 0) != 1) state.SkipWithError("a frame was not fetched");
    }
    benchmark::DoNotOptimize(veziv::GetTheoraFrameImage(movie)->pixels);
  }
  SetFrameCounters(state);
  veziv::CloseTheoraMovie(movie);
  veziv::CloseMemoryStream(stream);
}

// Bare libtheora: every packet of the same bytes decoded into its planes.
void BM_BareLibtheoraDecode(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Movie();
  for (auto _ : state) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, long(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    ogg_sync_wrote(&sync, long(bytes.size()));
    ogg_stream_state os;
    bool started = false;
    th_info info;
    th_info_init(&info);
    th_comment comment;
    th_comment_init(&comment);
    th_setup_info* setup = nullptr;
    th_dec_ctx* decoder = nullptr;
    ogg_page page;
    ogg_packet packet;
    int frames = 0;
    while (ogg_sync_pageout(&sync, &page) > 0) {
      if (!started) {
        ogg_stream_init(&os, ogg_page_serialno(&page));
        started = true;
      }
      if (ogg_stream_pagein(&os, &page) != 0) continue;
      while (ogg_stream_packetout(&os, &packet) > 0) {
        if (decoder == nullptr) {
          if (th_decode_headerin(&info, &comment, &setup, &packet) > 0) continue;
          decoder = th_decode_alloc(&info, setup);
        }
        if (th_decode_packetin(decoder, &packet, nullptr) >= 0) {
          th_ycbcr_buffer planes;
          th_decode_ycbcr_out(decoder, planes);
          benchmark::DoNotOptimize(planes[0].data);
          ++frames;
        }
      }
    }
    if (frames != kFrames) state.SkipWithError("bare decoding lost frames");
    th_decode_free(decoder);
    th_setup_free(setup);
    th_comment_clear(&comment);
    th_info_clear(&info);
    if (started) ogg_stream_clear(&os);
    ogg_sync_clear(&sync);
  }
  SetFrameCounters(state);
}

// The conversion of one 800 x 600 4:2:0 picture into 32-bit pixels, the
// caller's share of each fetched frame.
void BM_PictureConversion(benchmark::State& state) {
  std::vector<uint8_t> y(800 * 600), u(400 * 300), v(400 * 300);
  for (size_t i = 0; i < y.size(); ++i) y[i] = uint8_t(i * 7);
  for (size_t i = 0; i < u.size(); ++i) {
    u[i] = uint8_t(i * 3);
    v[i] = uint8_t(i * 5);
  }
  std::vector<uint32_t> out(800 * 600);
  const veziv::detail::YuvPlanes planes{y.data(), u.data(), v.data(), 800, 600, 800, 400, 300, 400};
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      veziv::detail::ConvertYuvPicture(planes, 0, 0, 800, 600, reinterpret_cast<uint8_t*>(out.data()), 800 * 4);
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetFrameCounters(state);
}

BENCHMARK(BM_LibraryDecodeAndFetch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareLibtheoraDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PictureConversion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
