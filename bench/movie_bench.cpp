// Decoding an 800 x 600 movie of 300 frames at 30 per second (a scrolling
// texture with a moving box, a keyframe every 64 frames), once as Ogg Theora
// made with libtheoraenc and once as VP8 in WebM made with libvpx through
// FFmpeg: through each of the library's roads (its thread decodes, the caller
// advances a frame and fetches it as 32-bit pixels each step, as a movie
// graph does), beside the bare decoder on the same bytes (libtheora into its
// planes; libavformat and libavcodec into frames), the bare decoder with
// libswscale's conversion of each frame into the same 32-bit pixels (the
// whole of what a fetch gives), and the picture conversion alone, ours and
// libswscale's. "frames" is frames a second; "realtime" is that over the
// movie's 30 frames a second. Run under `taskset -c 0` for the one-core
// figures.
#include <benchmark/benchmark.h>
#include <ogg/ogg.h>
#include <theora/theoradec.h>

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include "library/foundation/files/streams.h"
#include "library/sound_movie/movie/media_fixtures_test_support.h"
#include "library/sound_movie/movie/media_movie.h"
#include "library/sound_movie/movie/movie_fixtures_test_support.h"
#include "library/sound_movie/movie/theora_decoder.h"
#include "library/sound_movie/movie/yuv_convert.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kFrames = 300;
constexpr double kMovieRate = 30.0;

void PaintScrollingTexture(int i, veziv::test::MoviePlanes* p) {
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
}

const std::vector<uint8_t>& TheoraMovie() {
  static const std::vector<uint8_t> bytes = [] {
    veziv::test::MovieRecipe recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.frames = kFrames;
    recipe.keyframeInterval = 64;
    recipe.quality = 40;
    recipe.paint = PaintScrollingTexture;
    return veziv::test::MakeTheoraMovie(recipe);
  }();
  return bytes;
}

// About the Theora movie's bytes a second (some 1.3 MB).
const std::vector<uint8_t>& WebmMovie() {
  static const std::vector<uint8_t> bytes = [] {
    veziv::test::MediaRecipe recipe;
    recipe.container = "webm";
    recipe.video = "libvpx";
    recipe.extension = "webm";
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.frames = kFrames;
    recipe.fps = int(kMovieRate);
    recipe.gop = 64;
    recipe.bitRate = 10'000'000;
    recipe.encoderOptions = {{"deadline", "realtime"}, {"cpu-used", "8"}};
    recipe.paint = PaintScrollingTexture;
    return veziv::test::MakeMediaMovie(recipe);
  }();
  return bytes;
}

void SetFrameCounters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kFrames);
  state.counters["frames"] = benchmark::Counter(double(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
  state.counters["realtime"] =
      benchmark::Counter(double(state.iterations()) * kFrames / kMovieRate, benchmark::Counter::kIsRate);
}

// libswscale's conversion of 4:2:0 planes into 32-bit pixels (bytes blue,
// green, red, alpha), the peers' share of a fetch.
class SwscaleToBgra {
 public:
  SwscaleToBgra()
      : scaler_(sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUV420P, kWidth, kHeight, AV_PIX_FMT_BGRA, SWS_BILINEAR,
                               nullptr, nullptr, nullptr)),
        out_(size_t(kWidth) * kHeight) {}
  ~SwscaleToBgra() { sws_freeContext(scaler_); }
  bool ready() const { return scaler_ != nullptr; }
  void Convert(const uint8_t* const planes[3], const int strides[3]) {
    uint8_t* out[4] = {reinterpret_cast<uint8_t*>(out_.data()), nullptr, nullptr, nullptr};
    const int pitch[4] = {kWidth * 4, 0, 0, 0};
    sws_scale(scaler_, planes, strides, 0, kHeight, out, pitch);
    benchmark::DoNotOptimize(out_.data());
  }

 private:
  SwsContext* scaler_;
  std::vector<uint32_t> out_;
};

// ---------------------------------------------------------------------------
// Ogg Theora.

// The library: open once (its index pass), then each iteration plays the
// whole movie frame by frame, through the wrap back to frame 0.
void BM_LibraryDecodeAndFetch(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = TheoraMovie();
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

// Bare libtheora: every packet of the same bytes decoded into its planes,
// and with convert set, each picture converted by libswscale.
void BareLibtheora(benchmark::State& state, bool convert) {
  const std::vector<uint8_t>& bytes = TheoraMovie();
  SwscaleToBgra swscale;
  if (!swscale.ready()) state.SkipWithError("no libswscale context");
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
          if (convert) {
            const uint8_t* data[3] = {planes[0].data, planes[1].data, planes[2].data};
            const int strides[3] = {planes[0].stride, planes[1].stride, planes[2].stride};
            swscale.Convert(data, strides);
          }
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

void BM_BareLibtheoraDecode(benchmark::State& state) { BareLibtheora(state, false); }
void BM_BareLibtheoraDecodeAndSwscale(benchmark::State& state) { BareLibtheora(state, true); }

// ---------------------------------------------------------------------------
// VP8 in WebM through FFmpeg.

// The library's FFmpeg road, as the Theora row plays its movie.
void BM_MediaDecodeAndFetch(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = WebmMovie();
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(bytes.data(), int(bytes.size()));
  veziv::MediaMovieContext* movie =
      veziv::OpenMediaMovie(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), 10);
  veziv::MediaMovieInfo info{};
  if (movie != nullptr) veziv::GetMediaMovieInfo(movie, &info);
  if (movie == nullptr || info.frameCount != kFrames) {
    state.SkipWithError("the movie does not open whole");
    if (movie != nullptr) veziv::CloseMediaMovie(movie);
    veziv::CloseMemoryStream(stream);
    return;
  }
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      veziv::AdvanceMediaMovie(movie, 1);
      if (veziv::FetchMediaFrame(movie) != 1) state.SkipWithError("a frame was not fetched");
    }
    benchmark::DoNotOptimize(veziv::GetMediaFrameImage(movie)->pixels);
  }
  SetFrameCounters(state);
  veziv::CloseMediaMovie(movie);
  veziv::CloseMemoryStream(stream);
}

// The bytes behind libavformat's reads.
struct MemoryInput {
  const std::vector<uint8_t>* bytes;
  size_t at = 0;
};

int ReadMemory(void* opaque, uint8_t* buffer, int size) {
  auto* in = static_cast<MemoryInput*>(opaque);
  const size_t n = std::min(size_t(size), in->bytes->size() - in->at);
  if (n == 0) return AVERROR_EOF;
  std::memcpy(buffer, in->bytes->data() + in->at, n);
  in->at += n;
  return int(n);
}

int64_t SeekMemory(void* opaque, int64_t offset, int whence) {
  auto* in = static_cast<MemoryInput*>(opaque);
  if ((whence & ~AVSEEK_FORCE) == AVSEEK_SIZE) return int64_t(in->bytes->size());
  const int64_t base = whence == SEEK_CUR ? int64_t(in->at) : whence == SEEK_END ? int64_t(in->bytes->size()) : 0;
  const int64_t to = base + offset;
  if (to < 0 || to > int64_t(in->bytes->size())) return -1;
  in->at = size_t(to);
  return to;
}

// Bare FFmpeg: the same bytes demuxed and every frame decoded by the same
// decoder with one thread, as the library opens it; with convert set, each
// frame converted by libswscale.
void BareFfmpeg(benchmark::State& state, bool convert) {
  const std::vector<uint8_t>& bytes = WebmMovie();
  SwscaleToBgra swscale;
  if (bytes.empty() || !swscale.ready()) state.SkipWithError("no movie or no libswscale context");
  for (auto _ : state) {
    MemoryInput input{&bytes};
    auto* buffer = static_cast<uint8_t*>(av_malloc(32768));
    AVIOContext* io = avio_alloc_context(buffer, 32768, 0, &input, ReadMemory, nullptr, SeekMemory);
    AVFormatContext* format = avformat_alloc_context();
    format->pb = io;
    int frames = 0;
    if (avformat_open_input(&format, nullptr, nullptr, nullptr) == 0) {
      const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
      const AVCodecParameters* parameters = video >= 0 ? format->streams[video]->codecpar : nullptr;
      const AVCodec* codec = parameters != nullptr ? avcodec_find_decoder(parameters->codec_id) : nullptr;
      AVCodecContext* decoder = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
      if (decoder != nullptr) {
        decoder->thread_count = 1;
        avcodec_parameters_to_context(decoder, parameters);
      }
      if (decoder != nullptr && avcodec_open2(decoder, codec, nullptr) == 0) {
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto receive = [&] {
          while (avcodec_receive_frame(decoder, frame) == 0) {
            if (convert) {
              const uint8_t* data[3] = {frame->data[0], frame->data[1], frame->data[2]};
              swscale.Convert(data, frame->linesize);
            }
            benchmark::DoNotOptimize(frame->data[0]);
            ++frames;
            av_frame_unref(frame);
          }
        };
        while (av_read_frame(format, packet) >= 0) {
          if (packet->stream_index == video) avcodec_send_packet(decoder, packet);
          av_packet_unref(packet);
          receive();
        }
        avcodec_send_packet(decoder, nullptr);
        receive();
        av_frame_free(&frame);
        av_packet_free(&packet);
      }
      avcodec_free_context(&decoder);
      avformat_close_input(&format);
    } else {
      avformat_free_context(format);
    }
    av_freep(&io->buffer);
    avio_context_free(&io);
    if (frames != kFrames) state.SkipWithError("bare decoding lost frames");
  }
  SetFrameCounters(state);
}

void BM_BareFfmpegDecode(benchmark::State& state) { BareFfmpeg(state, false); }
void BM_BareFfmpegDecodeAndSwscale(benchmark::State& state) { BareFfmpeg(state, true); }

// ---------------------------------------------------------------------------
// The conversion of one 800 x 600 4:2:0 picture into 32-bit pixels, the
// caller's share of each fetched frame: ours, and libswscale's.

struct TestPlanes {
  std::vector<uint8_t> y = std::vector<uint8_t>(kWidth * kHeight);
  std::vector<uint8_t> u = std::vector<uint8_t>(kWidth * kHeight / 4);
  std::vector<uint8_t> v = std::vector<uint8_t>(kWidth * kHeight / 4);
  TestPlanes() {
    for (size_t i = 0; i < y.size(); ++i) y[i] = uint8_t(i * 7);
    for (size_t i = 0; i < u.size(); ++i) {
      u[i] = uint8_t(i * 3);
      v[i] = uint8_t(i * 5);
    }
  }
};

void BM_PictureConversion(benchmark::State& state) {
  const TestPlanes p;
  std::vector<uint32_t> out(kWidth * kHeight);
  const veziv::detail::YuvPlanes planes{p.y.data(), p.u.data(), p.v.data(), kWidth,    kHeight,
                                        kWidth,     kWidth / 2, kHeight / 2, kWidth / 2};
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      veziv::detail::ConvertYuvPicture(planes, 0, 0, kWidth, kHeight, reinterpret_cast<uint8_t*>(out.data()),
                                       kWidth * 4);
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetFrameCounters(state);
}

void BM_SwscaleConversion(benchmark::State& state) {
  const TestPlanes p;
  SwscaleToBgra swscale;
  if (!swscale.ready()) state.SkipWithError("no libswscale context");
  const uint8_t* data[3] = {p.y.data(), p.u.data(), p.v.data()};
  const int strides[3] = {kWidth, kWidth / 2, kWidth / 2};
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) swscale.Convert(data, strides);
  }
  SetFrameCounters(state);
}

BENCHMARK(BM_LibraryDecodeAndFetch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareLibtheoraDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareLibtheoraDecodeAndSwscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MediaDecodeAndFetch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFfmpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFfmpegDecodeAndSwscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PictureConversion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwscaleConversion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
