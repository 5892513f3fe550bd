// The sound track of a movie of the FFmpeg road: its best audio stream decoded
// by libavcodec and turned by libswresample into 16-bit PCM at the stream's
// rate, in one or two channels (more are mixed down to two). Tried only while
// a movie opens its sound track, after the readers of plain sound files.
#include <algorithm>
#include <cstring>
#include <new>

#include "library/sound_movie/readers/media_input.h"
#include "library/sound_movie/readers/reader_kinds.h"

extern "C" {
#include <libswresample/swresample.h>
}

namespace veziv::detail {

struct MovieTrack {
  MediaInput input;
  AVCodecContext* decoder = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  int channels = 0;
  int rate = 0;
  bool draining = false;
  bool flushed = false;
  int64_t seekTarget = -1;  // after a seek: the sample the output starts at
  int64_t totalFrames = 0;  // from the container's duration, 0 when unknown
  AVChannelLayout inLayout{};  // what the resampler takes
  int inFormat = -1;
  int inRate = 0;
};

namespace {

constexpr int kMinRate = 100;
constexpr int kMaxRate = 200000;
// Pictures the probe of a track may decode on the way to its sound.
constexpr int64_t kProbePictures = 4;

void FreeTrack(MovieTrack* t) {
  swr_free(&t->resampler);
  av_channel_layout_uninit(&t->inLayout);
  av_frame_free(&t->frame);
  av_packet_free(&t->packet);
  avcodec_free_context(&t->decoder);
  CloseMediaInput(&t->input);
  delete t;
}

// The resampler from the given input to the track's output, which stays the
// same whatever the stream does.
bool StartResampler(MovieTrack* t, const AVChannelLayout* layout, int format, int rate) {
  swr_free(&t->resampler);
  if (layout->nb_channels < 1 || rate <= 0) return false;
  AVChannelLayout out{}, in{};
  av_channel_layout_default(&out, t->channels);
  const int made = av_channel_layout_copy(&in, layout) < 0
                       ? -1
                       : swr_alloc_set_opts2(&t->resampler, &out, AV_SAMPLE_FMT_S16, t->rate, &in,
                                             static_cast<AVSampleFormat>(format), rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  av_channel_layout_uninit(&in);
  if (made < 0 || swr_init(t->resampler) < 0) return false;
  av_channel_layout_uninit(&t->inLayout);
  av_channel_layout_copy(&t->inLayout, layout);
  t->inFormat = format;
  t->inRate = rate;
  return true;
}

// A frame whose layout, sample format or rate is not what the resampler was
// made for (a stream may change them mid-way) gets a resampler of its own.
bool ResamplerTakes(MovieTrack* t, const AVFrame* frame) {
  if (frame->format == t->inFormat && frame->sample_rate == t->inRate &&
      av_channel_layout_compare(&frame->ch_layout, &t->inLayout) == 0) {
    return true;
  }
  return StartResampler(t, &frame->ch_layout, frame->format, frame->sample_rate);
}

// The next decoded frame of the track; false at its end.
bool NextFrame(MovieTrack* t) {
  for (;;) {
    const int received = avcodec_receive_frame(t->decoder, t->frame);
    if (received == 0) return true;
    if (received == AVERROR_EOF || t->draining) return false;
    if (av_read_frame(t->input.format, t->packet) < 0) {
      t->draining = true;
      avcodec_send_packet(t->decoder, nullptr);
      continue;
    }
    if (t->packet->stream_index == t->stream) avcodec_send_packet(t->decoder, t->packet);
    av_packet_unref(t->packet);
  }
}

}  // namespace

int OpenMovieTrackReader(SoundDecoderRecord* record) {
  if (!record->movieTrack) return -1;
  auto* t = new (std::nothrow) MovieTrack;
  if (t == nullptr) return -1;
  if (!OpenMediaInput(&record->functions, record->stream, AVMEDIA_TYPE_AUDIO, MediaPictureLimit(kProbePictures),
                      &t->input)) {
    delete t;
    return -1;
  }
  t->stream = av_find_best_stream(t->input.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  t->decoder = OpenMediaDecoder(t->input, t->stream, MediaPictureLimit(kProbePictures));
  if (t->decoder == nullptr || t->decoder->sample_rate < kMinRate || t->decoder->sample_rate > kMaxRate ||
      t->decoder->ch_layout.nb_channels < 1) {
    FreeTrack(t);
    return -1;
  }
  t->channels = std::min(t->decoder->ch_layout.nb_channels, 2);
  t->rate = t->decoder->sample_rate;
  t->packet = av_packet_alloc();
  t->frame = av_frame_alloc();
  if (t->packet == nullptr || t->frame == nullptr ||
      !StartResampler(t, &t->decoder->ch_layout, t->decoder->sample_fmt, t->decoder->sample_rate)) {
    FreeTrack(t);
    return -1;
  }
  const AVStream* audio = t->input.format->streams[t->stream];
  if (audio->duration > 0) {
    t->totalFrames = av_rescale_q(audio->duration, audio->time_base, AVRational{1, t->rate});
  } else if (t->input.format->duration > 0) {
    t->totalFrames = av_rescale_q(t->input.format->duration, AV_TIME_BASE_Q, AVRational{1, t->rate});
  }
  SoundWaveFormat& format = record->pcmFormat;
  format = SoundWaveFormat{};
  format.formatTag = kWaveFormatPcm;
  format.channels = static_cast<uint16_t>(t->channels);
  format.samplesPerSec = static_cast<uint32_t>(t->rate);
  format.bitsPerSample = 16;
  format.blockAlign = static_cast<uint16_t>(2 * t->channels);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  record->kind = kSoundDecoderConverted;
  record->movieTrackConverter = t;
  return 0;
}

int RefillMovieTrack(SoundDecoderRecord* record) {
  MovieTrack* t = record->movieTrackConverter;
  const int block = 2 * t->channels;
  const int room = record->bufferSize / block;
  uint8_t* out[1] = {record->buffer};
  for (;;) {
    if (t->flushed) return 0;
    int made = 0;
    int64_t skip = 0;
    if (NextFrame(t)) {
      // The first frame after a seek may start before the sample sought.
      if (t->seekTarget >= 0 && t->frame->pts != AV_NOPTS_VALUE) {
        const AVRational base = t->input.format->streams[t->stream]->time_base;
        skip = t->seekTarget - av_rescale_q(t->frame->pts, base, AVRational{1, t->rate});
      }
      t->seekTarget = -1;
      if (ResamplerTakes(t, t->frame)) {
        made = swr_convert(t->resampler, out, room, const_cast<const uint8_t**>(t->frame->extended_data),
                           t->frame->nb_samples);
      }
      av_frame_unref(t->frame);
    } else {
      // What the resampler still holds, then the end.
      made = t->resampler != nullptr ? swr_convert(t->resampler, out, room, nullptr, 0) : 0;
      t->flushed = true;
    }
    if (made <= 0) continue;
    if (skip >= made) continue;
    if (skip > 0) {
      std::memmove(record->buffer, record->buffer + skip * block, static_cast<size_t>((made - skip) * block));
      made -= static_cast<int>(skip);
    }
    return made * block;
  }
}

void SeekMovieTrack(SoundDecoderRecord* record, int sample) {
  MovieTrack* t = record->movieTrackConverter;
  const AVRational base = t->input.format->streams[t->stream]->time_base;
  const int64_t time = av_rescale_q(std::max(sample, 0), AVRational{1, t->rate}, base);
  if (av_seek_frame(t->input.format, t->stream, time, AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(t->input.format, -1, 0, AVSEEK_FLAG_BYTE);
  }
  avcodec_flush_buffers(t->decoder);
  t->draining = false;
  t->flushed = false;
  t->seekTarget = sample;
  // Whatever the resampler held belongs before the seek.
  if (!StartResampler(t, &t->decoder->ch_layout, t->decoder->sample_fmt, t->decoder->sample_rate)) t->flushed = true;
}

int MovieTrackPcmSize(const SoundDecoderRecord* record) {
  const MovieTrack* t = record->movieTrackConverter;
  const int64_t block = 2 * t->channels;
  if (t->totalFrames > 0x7FFFFFFF / block) return 0x7FFFFFFF;
  return static_cast<int>(t->totalFrames * block);
}

void CloseMovieTrack(SoundDecoderRecord* record) {
  if (record->movieTrackConverter == nullptr) return;
  FreeTrack(record->movieTrackConverter);
  record->movieTrackConverter = nullptr;
}

}  // namespace veziv::detail
