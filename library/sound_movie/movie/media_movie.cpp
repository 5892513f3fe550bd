// The movie road through FFmpeg: the demuxer and decoder, the index of the
// video packets, the decode thread with its stock, and the caller's seek,
// advance and fetch.
//
// The thread and the caller share the request words and the stock under the
// worker's mutex: the thread fills and drops slots, the caller marks the slot
// it converts as being read, and the thread leaves such a slot alone. Each
// side sleeps on a condition until the other has news for it (the worker's;
// for the fuzz targets the caller may run the thread's steps itself).
#include "library/sound_movie/movie/media_movie.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "library/foundation/files/read_budget.h"
#include "library/graphics/images/raster_image.h"
#include "library/sound_movie/movie/decode_worker.h"
#include "library/sound_movie/movie/yuv_convert.h"
#include "library/sound_movie/readers/media_input.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace veziv {

namespace {

// Pictures a decoder may hold besides the stock: H.264's sixteen references,
// the one it builds and one it hands out.
constexpr int64_t kDecoderPictures = 18;
constexpr double kMaxFramesPerSecond = 1000.0;
// Formats without an index of their own: read again from the start to seek.
constexpr const char* kStreamFormats = "mpeg,mpegts,mpegvideo,m4v,h264,ivf";

// A keyframe: its place in the showing and its time (stream time base).
struct KeyFrame {
  int frame;
  int64_t time;
};

struct StockSlot {
  int frame = -1;  // -1: free
  AVFrame* picture = nullptr;
  bool reading = false;
};

}  // namespace

struct MediaMovieContext {
  detail::MediaInput input;
  AVCodecContext* decoder = nullptr;
  int videoStream = -1;
  int64_t frameCount = 0;
  std::vector<KeyFrame> keys;  // by frame, the first one frame 0
  bool seekByBytes = false;       // a stream format: a keyframe's packet is a clean place to start
  double fps = 0;
  int width = 0, height = 0;
  RasterImage frameImage{};
  SwsContext* scaler = nullptr;
  bool imageFetched = false;

  detail::DecodeWorker worker;
  bool stop = false;
  bool ended = false;
  bool seekRequest = false;
  int seekTarget = 0;
  int wanted = -1;
  bool endOfStream = false;
  int decoded = -1;  // the last frame the decoder gave
  int soughtFor = -1;  // the frame the last seek was for, until a frame is stocked
  std::vector<StockSlot> stock;

  // The thread's own.
  AVPacket* packet = nullptr;
  AVFrame* picture = nullptr;
  bool draining = false;
};

namespace {

using Context = MediaMovieContext;

int64_t Count(const Context* c) { return c->frameCount; }

int Distance(int64_t from, int64_t to, int64_t count) { return static_cast<int>(((to - from) % count + count) % count); }

// Every video packet counted and the keyframes placed, from one pass over the
// file; at most what the budget holds. A keyframe's place in the showing is
// the number of frames that show before it when every packet has a time to
// show at; otherwise (streams that time only some packets) the number of
// packets before it, which is the same for streams whose groups of pictures
// are closed.
bool BuildFrameIndex(Context* c) {
  const int64_t maxFrames = std::min<int64_t>(detail::MaxReadBytes() / 32, INT32_MAX - 1);
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return false;
  std::vector<int64_t> times;
  struct Seen {
    int64_t ordinal, time;
  };
  std::vector<Seen> seen;
  bool allTimed = true;
  while (av_read_frame(c->input.format, packet) >= 0) {
    // A packet the container's edit list leaves out is decoded but never shown.
    if (packet->stream_index == c->videoStream && !(packet->flags & AV_PKT_FLAG_DISCARD)) {
      if (c->frameCount >= maxFrames) {
        av_packet_unref(packet);
        break;
      }
      const bool timed = packet->pts != AV_NOPTS_VALUE;
      const int64_t time = timed ? packet->pts : packet->dts != AV_NOPTS_VALUE ? packet->dts : c->frameCount;
      allTimed = allTimed && timed;
      if (timed) times.push_back(packet->pts);
      if (packet->flags & AV_PKT_FLAG_KEY) seen.push_back({c->frameCount, time});
      ++c->frameCount;
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  if (c->frameCount == 0) return false;
  std::sort(times.begin(), times.end());
  c->keys.push_back({0, seen.empty() ? 0 : seen.front().time});
  // A stream format is read again from its start: its packets' places do not
  // tell where a frame begins (one piece of the stream may carry several).
  if (c->seekByBytes) seen.clear();
  for (const Seen& k : seen) {
    const int64_t frame = allTimed ? std::lower_bound(times.begin(), times.end(), k.time) - times.begin() : k.ordinal;
    if (frame > c->keys.back().frame) c->keys.push_back({static_cast<int>(frame), k.time});
  }
  // The first keyframe is where the showing starts: sought by the earliest time.
  if (allTimed) c->keys.front().time = times.front();
  return true;
}

// The last keyframe at or before the frame.
size_t KeyBefore(const Context* c, int frame) {
  const auto after = std::upper_bound(c->keys.begin(), c->keys.end(), frame,
                                      [](int f, const KeyFrame& k) { return f < k.frame; });
  return after == c->keys.begin() ? 0 : static_cast<size_t>(after - c->keys.begin() - 1);
}

// The whole of what the movie holds once it plays, within the budget.
bool MovieFitsReadBudget(const AVCodecParameters* parameters, int stockSize) {
  const int64_t w = parameters->width, h = parameters->height;
  if (!detail::PictureFitsReadBudget(w, h, 4)) return false;
  int64_t picture = w * h * 3 / 2;
  if (parameters->format >= 0) {
    const int bytes = av_image_get_buffer_size(static_cast<AVPixelFormat>(parameters->format), static_cast<int>(w),
                                               static_cast<int>(h), 16);
    if (bytes < 0) return false;
    picture = bytes;
  }
  return (stockSize + kDecoderPictures) * picture + w * h * 4 <= detail::MaxReadBytes();
}

// The thread's side.

// Positions the demuxer on the keyframe before the frame and empties the
// decoder; the next decoded frames lead up to it.
void SeekBefore(Context* c, int frame) {
  const size_t key = KeyBefore(c, frame);
  AVFormatContext* format = c->input.format;
  // Stream formats start again from the file's start; containers with an
  // index seek by time.
  if (c->seekByBytes || av_seek_frame(format, c->videoStream, c->keys[key].time, AVSEEK_FLAG_BACKWARD) < 0) {
    av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE);
    c->decoded = -1;
  } else {
    c->decoded = c->keys[key].frame - 1;
  }
  avcodec_flush_buffers(c->decoder);
  c->draining = false;
}

// The next picture the decoder gives and its frame number; false at the end
// of the data.
bool DecodeNext(Context* c, int* frame) {
  for (;;) {
    const int received = avcodec_receive_frame(c->decoder, c->picture);
    if (received == 0) {
      // Pictures come in showing order, counted on from the keyframe sought:
      // their times only place keyframes (they may repeat or be missing).
      *frame = static_cast<int>(std::min<int64_t>(c->decoded + 1, Count(c) - 1));
      return true;
    }
    // The end, or nothing more to drain; otherwise the decoder wants more
    // (or could not make a picture of what it had): feed it the next packet.
    if (received == AVERROR_EOF || c->draining) return false;
    if (av_read_frame(c->input.format, c->packet) < 0) {
      c->draining = true;
      avcodec_send_packet(c->decoder, nullptr);
      continue;
    }
    if (c->packet->stream_index == c->videoStream) avcodec_send_packet(c->decoder, c->packet);
    av_packet_unref(c->packet);
  }
}

StockSlot* SlotOf(Context* c, int frame) {
  for (StockSlot& s : c->stock) {
    if (s.frame == frame) return &s;
  }
  return nullptr;
}

void FreeSlot(StockSlot* s) {
  av_frame_free(&s->picture);
  s->frame = -1;
}

// One pass of the thread's loop, the worker's lock held.
detail::DecodeStep RunDecodeStep(Context* c, std::unique_lock<std::mutex>& lock) {
  using detail::DecodeStep;
  const int64_t count = Count(c);
  const int window = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(c->stock.size()), count));
  if (c->stop) {
    c->ended = true;
    c->worker.Changed();
    return DecodeStep::kFinished;
  }
  if (c->seekRequest) {
    const int target = c->seekTarget;
    c->seekRequest = false;
    c->endOfStream = false;
    c->soughtFor = target;
    for (StockSlot& s : c->stock) {
      if (!s.reading) FreeSlot(&s);
    }
    lock.unlock();
    SeekBefore(c, target);
    lock.lock();
    c->worker.Changed();
    return DecodeStep::kWorked;
  }
  const int wanted = c->wanted;
  for (StockSlot& s : c->stock) {
    if (s.frame >= 0 && !s.reading && Distance(wanted, s.frame, count) >= window) FreeSlot(&s);
  }
  int missing = -1;
  for (int i = 0; i < window && missing < 0; ++i) {
    const int f = static_cast<int>((wanted + i) % count);
    if (SlotOf(c, f) == nullptr) missing = f;
  }
  StockSlot* free = SlotOf(c, -1);
  if (missing < 0 || free == nullptr) return DecodeStep::kIdle;
  // Behind the decoder (the movie went round), or beyond a keyframe that
  // lies ahead: start again from the keyframe before the frame.
  const bool behind = missing <= c->decoded;
  const size_t next = KeyBefore(c, c->decoded) + 1;
  const bool keyBetween = next < c->keys.size() && c->keys[next].frame > c->decoded &&
                          c->keys[next].frame <= missing && missing - c->decoded > window;
  if (behind || keyBetween) {
    // The decoder went past this frame once since it was sought without
    // giving it: the data cannot make it, as at the end of the data.
    if (missing == c->soughtFor) {
      c->endOfStream = true;
      c->worker.Changed();
      return DecodeStep::kIdle;
    }
    c->soughtFor = missing;
    lock.unlock();
    SeekBefore(c, missing);
    lock.lock();
    c->endOfStream = false;
    return DecodeStep::kWorked;
  }
  if (c->endOfStream) return DecodeStep::kIdle;
  lock.unlock();
  int frame = -1;
  const bool got = DecodeNext(c, &frame);
  lock.lock();
  if (!got) {
    c->endOfStream = true;
    c->worker.Changed();
    return DecodeStep::kWorked;
  }
  c->decoded = frame;
  if (!c->seekRequest && Distance(c->wanted, frame, count) < window && SlotOf(c, frame) == nullptr) {
    free->frame = frame;
    free->picture = av_frame_clone(c->picture);
    if (free->picture == nullptr) free->frame = -1;
    c->soughtFor = -1;
  }
  av_frame_unref(c->picture);
  c->worker.Changed();
  return DecodeStep::kWorked;
}

// The caller's side.

void FreeContext(Context* c) {
  for (StockSlot& s : c->stock) FreeSlot(&s);
  av_frame_free(&c->picture);
  av_packet_free(&c->packet);
  sws_freeContext(c->scaler);
  avcodec_free_context(&c->decoder);
  detail::CloseMediaInput(&c->input);
  FreeRasterImage(&c->frameImage);
  delete c;
}

// The picture into the frame image. Planar 8-bit Y'CbCr of the movie's size
// (what nearly every movie holds) goes through the same conversion as the
// Theora road's pictures; other layouts, and a picture whose size changed
// mid-stream, through libswscale.
bool ConvertPicture(Context* c, const AVFrame* picture) {
  const auto format = static_cast<AVPixelFormat>(picture->format);
  const bool planar = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUV422P || format == AV_PIX_FMT_YUV444P;
  if (planar && picture->width == c->width && picture->height == c->height && picture->linesize[1] == picture->linesize[2]) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    const detail::YuvPlanes planes{picture->data[0],
                                   picture->data[1],
                                   picture->data[2],
                                   picture->width,
                                   picture->height,
                                   picture->linesize[0],
                                   AV_CEIL_RSHIFT(picture->width, d->log2_chroma_w),
                                   AV_CEIL_RSHIFT(picture->height, d->log2_chroma_h),
                                   picture->linesize[1]};
    detail::ConvertYuvPicture(planes, 0, 0, c->width, c->height, static_cast<uint8_t*>(c->frameImage.pixels),
                              c->frameImage.pitch);
    return true;
  }
  c->scaler = sws_getCachedContext(c->scaler, picture->width, picture->height,
                                   static_cast<AVPixelFormat>(picture->format), c->width, c->height,
                                   AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (c->scaler == nullptr) return false;
  uint8_t* out[4] = {static_cast<uint8_t*>(c->frameImage.pixels), nullptr, nullptr, nullptr};
  const int pitch[4] = {c->frameImage.pitch, 0, 0, 0};
  return sws_scale(c->scaler, picture->data, picture->linesize, 0, picture->height, out, pitch) > 0;
}

}  // namespace

MediaMovieContext* OpenMediaMovie(const StreamFunctionTable* functions, StreamValue stream, int stockSize) {
  if (functions == nullptr) return nullptr;
  const int stock = std::max(stockSize, 1);
  auto* c = new (std::nothrow) Context;
  if (c == nullptr) return nullptr;
  // No picture larger than the budget holds at 4:2:0 with the stock and the
  // decoder's own, even while the streams are being learnt.
  const int64_t maxPixels = detail::MediaPictureLimit(stock + kDecoderPictures);
  if (!detail::OpenMediaInput(functions, stream, AVMEDIA_TYPE_VIDEO, maxPixels, &c->input)) {
    delete c;
    return nullptr;
  }
  AVFormatContext* format = c->input.format;
  c->seekByBytes = av_match_list(format->iformat->name, kStreamFormats, ',') > 0;
  c->videoStream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  bool usable = c->videoStream >= 0;
  if (usable) {
    AVStream* video = format->streams[c->videoStream];
    const AVRational rate = av_guess_frame_rate(format, video, nullptr);
    c->fps = rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
    c->width = video->codecpar->width;
    c->height = video->codecpar->height;
    usable = c->fps > 0 && c->fps <= kMaxFramesPerSecond && MovieFitsReadBudget(video->codecpar, stock) &&
             (c->decoder = detail::OpenMediaDecoder(c->input, c->videoStream, maxPixels)) != nullptr;
  }
  usable = usable && BuildFrameIndex(c) &&
           CreateRasterImageBuffer(c->width, c->height, &c->frameImage) == 0 &&
           (c->packet = av_packet_alloc()) != nullptr && (c->picture = av_frame_alloc()) != nullptr;
  if (!usable) {
    FreeContext(c);
    return nullptr;
  }
  c->stock.resize(static_cast<size_t>(stock));
  c->wanted = 0;
  c->seekTarget = 0;
  c->seekRequest = true;
  if (!c->worker.Start([c](std::unique_lock<std::mutex>& lock) { return RunDecodeStep(c, lock); })) {
    FreeContext(c);
    return nullptr;
  }
  FetchMediaFrame(c);
  return c;
}

int CloseMediaMovie(MediaMovieContext* c) {
  if (c == nullptr) return 0;
  {
    std::lock_guard<std::mutex> lock(c->worker.Mutex());
    c->stop = true;
  }
  c->worker.Wake();
  c->worker.Join();
  FreeContext(c);
  return 0;
}

int SeekMediaMovie(MediaMovieContext* c, int frame) {
  frame = static_cast<int>(std::clamp<int64_t>(frame, 0, Count(c) - 1));
  {
    std::lock_guard<std::mutex> lock(c->worker.Mutex());
    if (frame == c->wanted) return 0;
    c->wanted = frame;
    c->seekTarget = frame;
    c->seekRequest = true;
    c->imageFetched = false;
  }
  c->worker.Wake();
  return 0;
}

int AdvanceMediaMovie(MediaMovieContext* c, int frames) {
  if (frames < 1) return 0;
  {
    std::lock_guard<std::mutex> lock(c->worker.Mutex());
    c->wanted = static_cast<int>((c->wanted + int64_t{frames}) % Count(c));
    c->imageFetched = false;
  }
  c->worker.Wake();
  return 0;
}

int FetchMediaFrame(MediaMovieContext* c) {
  std::unique_lock<std::mutex> lock(c->worker.Mutex());
  if (c->imageFetched) return 0;
  StockSlot* slot = nullptr;
  c->worker.WaitUntil(lock, [c, &slot] {
    if (c->ended) return true;
    if (c->seekRequest) return false;
    slot = SlotOf(c, c->wanted);
    return slot != nullptr || c->endOfStream;
  });
  if (slot == nullptr || c->ended) return 0;
  slot->reading = true;
  lock.unlock();
  const bool converted = ConvertPicture(c, slot->picture);
  lock.lock();
  slot->reading = false;
  c->imageFetched = converted;
  lock.unlock();
  c->worker.Wake();
  return converted ? 1 : 0;
}

int GetMediaMovieInfo(MediaMovieContext* c, MediaMovieInfo* info) {
  if (info == nullptr) return 0;
  info->framesPerSecond = c->fps;
  info->frameCount = Count(c);
  info->width = c->width;
  info->height = c->height;
  return 0;
}

int GetMediaCurrentFrame(MediaMovieContext* c) {
  std::lock_guard<std::mutex> lock(c->worker.Mutex());
  return c->wanted;
}

RasterImage* GetMediaFrameImage(MediaMovieContext* c) { return &c->frameImage; }

namespace detail {

void ForgetMediaFetch(MediaMovieContext* c) {
  std::lock_guard<std::mutex> lock(c->worker.Mutex());
  c->imageFetched = false;
}

}  // namespace detail
}  // namespace veziv
