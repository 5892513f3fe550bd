// Test support: small movies of the FFmpeg road, encoded and muxed at test
// time by FFmpeg's own libraries (the encoders Debian ships with them), into
// a temporary file that is read back. Frame i shows a flat grey with a 16 x 16
// block at the top-left corner in the grey DefaultMovieLuma(i), so a test
// knows what every frame shows, or what a painter makes of it. Optionally a
// sound track of a tone. Link the FFmpeg packages.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "library/sound_movie/movie/movie_fixtures_test_support.h"

namespace veziv::test {

struct MediaRecipe {
  const char* container = "avi";      // a muxer's name
  const char* video = "mpeg4";        // an encoder's name
  const char* audio = nullptr;        // an encoder's name, or none
  const char* extension = "avi";
  int width = 48;
  int height = 32;
  int frames = 12;
  int fps = 10;
  int gop = 4;
  int bFrames = 0;
  double soundSeconds = -1;  // the sound track's length; -1: as long as the pictures
  AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;  // or AV_PIX_FMT_YUV420P10LE
  int64_t bitRate = 400000;
  // The encoder's own options (name, value), such as libvpx's deadline.
  std::vector<std::pair<const char*, const char*>> encoderOptions;
  // Paints frame i (eight-bit levels); null: the flat grey and the block.
  std::function<void(int, MoviePlanes*)> paint;
};

namespace media_detail {

// A folder of its own for the muxer's file, removed with it.
struct ScratchFolder {
  std::string path = (std::filesystem::temp_directory_path() / "veziv-movie-XXXXXX").string();
  bool made = mkdtemp(path.data()) != nullptr;
  ~ScratchFolder() {
    std::error_code ignored;
    if (made) std::filesystem::remove_all(path, ignored);
  }
};

// Sends one frame (null: the end) and writes every packet that comes out.
inline bool Drain(AVFormatContext* out, AVCodecContext* encoder, AVStream* stream, const AVFrame* frame) {
  if (avcodec_send_frame(encoder, frame) < 0) return false;
  AVPacket* packet = av_packet_alloc();
  while (avcodec_receive_packet(encoder, packet) == 0) {
    // Every picture lasts one tick, so that a container's edit list keeps the last.
    if (packet->duration == 0 && encoder->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration = 1;
    av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
    packet->stream_index = stream->index;
    av_interleaved_write_frame(out, packet);
  }
  av_packet_free(&packet);
  return true;
}

inline AVCodecContext* OpenEncoder(const char* name, AVFormatContext* out, AVStream** stream) {
  const AVCodec* codec = avcodec_find_encoder_by_name(name);
  if (codec == nullptr) return nullptr;
  *stream = avformat_new_stream(out, nullptr);
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  return *stream != nullptr ? encoder : nullptr;
}

}  // namespace media_detail

// The movie's bytes; empty when an encoder or muxer is missing.
inline std::vector<uint8_t> MakeMediaMovie(const MediaRecipe& recipe) {
  using media_detail::Drain;
  av_log_set_level(AV_LOG_QUIET);
  media_detail::ScratchFolder folder;
  if (!folder.made) return {};
  const std::string path = folder.path + "/movie." + recipe.extension;
  AVFormatContext* out = nullptr;
  if (avformat_alloc_output_context2(&out, nullptr, recipe.container, path.c_str()) < 0) return {};
  AVStream* videoStream = nullptr;
  AVCodecContext* video = media_detail::OpenEncoder(recipe.video, out, &videoStream);
  AVStream* audioStream = nullptr;
  AVCodecContext* audio = recipe.audio ? media_detail::OpenEncoder(recipe.audio, out, &audioStream) : nullptr;
  std::vector<uint8_t> bytes;
  bool ok = video != nullptr && (recipe.audio == nullptr || audio != nullptr);
  if (ok) {
    video->width = recipe.width;
    video->height = recipe.height;
    video->time_base = AVRational{1, recipe.fps};
    video->framerate = AVRational{recipe.fps, 1};
    video->gop_size = recipe.gop;
    video->max_b_frames = recipe.bFrames;
    video->pix_fmt = recipe.pixelFormat;
    video->bit_rate = recipe.bitRate;
    if (out->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(video->priv_data, "preset", "ultrafast", 0);
    for (const auto& [name, value] : recipe.encoderOptions) av_opt_set(video->priv_data, name, value, 0);
    ok = avcodec_open2(video, video->codec, nullptr) >= 0 &&
         avcodec_parameters_from_context(videoStream->codecpar, video) >= 0;
    videoStream->time_base = video->time_base;
  }
  if (ok && audio != nullptr) {
    audio->sample_rate = 44100;
    av_channel_layout_default(&audio->ch_layout, 2);
    audio->sample_fmt = audio->codec->sample_fmts ? audio->codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    audio->bit_rate = 128000;
    audio->time_base = AVRational{1, 44100};
    if (out->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    ok = avcodec_open2(audio, audio->codec, nullptr) >= 0 &&
         avcodec_parameters_from_context(audioStream->codecpar, audio) >= 0;
    audioStream->time_base = audio->time_base;
  }
  ok = ok && avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, nullptr) >= 0;
  if (ok) {
    AVFrame* frame = av_frame_alloc();
    frame->format = video->pix_fmt;
    frame->width = video->width;
    frame->height = video->height;
    av_frame_get_buffer(frame, 0);
    MoviePlanes painted;
    painted.width = recipe.width;
    painted.height = recipe.height;
    painted.chromaWidth = recipe.width / 2;
    painted.chromaHeight = recipe.height / 2;
    painted.y.resize(static_cast<size_t>(painted.width) * painted.height);
    painted.u.resize(static_cast<size_t>(painted.chromaWidth) * painted.chromaHeight);
    painted.v.resize(painted.u.size());
    for (int i = 0; i < recipe.frames && ok; ++i) {
      av_frame_make_writable(frame);
      // Ten-bit samples are the eight-bit levels times four, two bytes each.
      const bool wide = recipe.pixelFormat == AV_PIX_FMT_YUV420P10LE;
      auto put = [&](int plane, int x, int y, int level) {
        uint8_t* row = frame->data[plane] + y * frame->linesize[plane];
        if (wide) {
          row[2 * x] = static_cast<uint8_t>(level << 2);
          row[2 * x + 1] = static_cast<uint8_t>(level >> 6);
        } else {
          row[x] = static_cast<uint8_t>(level);
        }
      };
      if (recipe.paint) {
        recipe.paint(i, &painted);
      } else {
        for (int y = 0; y < recipe.height; ++y)
          for (int x = 0; x < recipe.width; ++x)
            painted.y[static_cast<size_t>(y) * painted.width + x] = x < 16 && y < 16 ? DefaultMovieLuma(i) : 128;
        std::fill(painted.u.begin(), painted.u.end(), 128);
        std::fill(painted.v.begin(), painted.v.end(), 128);
      }
      for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x) put(0, x, y, painted.y[static_cast<size_t>(y) * painted.width + x]);
      for (int y = 0; y < painted.chromaHeight; ++y) {
        for (int x = 0; x < painted.chromaWidth; ++x) {
          put(1, x, y, painted.u[static_cast<size_t>(y) * painted.chromaWidth + x]);
          put(2, x, y, painted.v[static_cast<size_t>(y) * painted.chromaWidth + x]);
        }
      }
      frame->pts = i;
      ok = Drain(out, video, videoStream, frame);
    }
    av_frame_free(&frame);
    ok = ok && Drain(out, video, videoStream, nullptr);
    if (ok && audio != nullptr) {
      // A 440 Hz tone.
      AVFrame* sound = av_frame_alloc();
      sound->format = audio->sample_fmt;
      sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 1024;
      av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
      sound->sample_rate = 44100;
      av_frame_get_buffer(sound, 0);
      const int64_t total = recipe.soundSeconds >= 0 ? static_cast<int64_t>(44100 * recipe.soundSeconds)
                                                     : int64_t{44100} * recipe.frames / recipe.fps;
      for (int64_t at = 0; at < total && ok; at += sound->nb_samples) {
        av_frame_make_writable(sound);
        for (int s = 0; s < sound->nb_samples; ++s) {
          const double v = 0.4 * std::sin(2 * M_PI * 440.0 * static_cast<double>(at + s) / 44100.0);
          for (int ch = 0; ch < 2; ++ch) {
            if (audio->sample_fmt == AV_SAMPLE_FMT_FLTP) reinterpret_cast<float*>(sound->data[ch])[s] = static_cast<float>(v);
            else if (audio->sample_fmt == AV_SAMPLE_FMT_S16) reinterpret_cast<int16_t*>(sound->data[0])[2 * s + ch] = static_cast<int16_t>(v * 32767);
            else if (audio->sample_fmt == AV_SAMPLE_FMT_S16P) reinterpret_cast<int16_t*>(sound->data[ch])[s] = static_cast<int16_t>(v * 32767);
          }
        }
        sound->pts = at;
        ok = Drain(out, audio, audioStream, sound);
      }
      av_frame_free(&sound);
      ok = ok && Drain(out, audio, audioStream, nullptr);
    }
    ok = ok && av_write_trailer(out) >= 0;
    avio_closep(&out->pb);
  }
  avcodec_free_context(&video);
  avcodec_free_context(&audio);
  avformat_free_context(out);
  if (!ok) return {};
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return bytes;
}

}  // namespace veziv::test
