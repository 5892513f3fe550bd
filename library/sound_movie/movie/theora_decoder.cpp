// The Theora decoder: headers, the page index, the decode thread with its
// stock, and the caller's seek, advance and fetch.
//
// The thread and the caller share the request and state words (atomics, so
// that either side may read them at any time) and the stock, whose slots
// change hands under the worker's mutex: the thread fills and drops slots,
// the caller marks the slot it converts as being read, and the thread leaves
// such a slot alone. Each side sleeps on a condition until the other has
// news for it (the worker's; for the fuzz targets the caller may run the
// thread's steps itself).
#include "library/sound_movie/movie/theora_decoder.h"

#include <ogg/ogg.h>
#include <theora/theora.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "library/foundation/files/read_budget.h"
#include "library/foundation/memory_log/log.h"
#include "library/graphics/images/raster_image.h"
#include "library/sound_movie/movie/decode_worker.h"
#include "library/sound_movie/movie/yuv_convert.h"

namespace veziv {

namespace {

constexpr int kReadBlock = 4096;
// Pictures larger than this on a side are refused: the header alone claims
// the size, and the decoder and the frame image are allocated by it.
constexpr uint32_t kMaxPictureSide = 4096;
// The decoder keeps its reference frames and the one it builds, each with a
// border around the coded frame.
constexpr int64_t kDecoderPictures = 4;
constexpr int64_t kDecoderBorder = 16;

enum ThreadState : int { kIdle = 0, kDecoding = 1, kSeeking = 2, kEnded = 3, kPaused = 4 };

struct StockSlot {
  bool used = false;
  bool reading = false;  // the caller converts it: the thread leaves it alone
  int frame = -1;
  std::vector<uint8_t> y, u, v;
  int yWidth = 0, yHeight = 0, yStride = 0;
  int uvWidth = 0, uvHeight = 0, uvStride = 0;
};

}  // namespace

struct TheoraDecodeContext {
  std::atomic<int> state{kPaused};
  std::atomic<int> pauseRequest{1};
  std::atomic<int> stopRequest{0};
  std::atomic<int> seekRequest{0};
  std::atomic<int> seekTarget{0};
  std::atomic<int> endOfStream{0};

  StreamFunctionTable functions{};
  StreamValue stream = 0;

  ogg_sync_state sync{};
  ogg_page page{};
  ogg_stream_state streamState{};
  ogg_packet packet{};
  bool streamStarted = false;

  theora_info info{};
  theora_comment comment{};
  theora_state decoder{};
  bool decoderReady = false;

  std::vector<detail::TheoraPageEntry> pages;
  std::vector<uint8_t> keyframes;
  int64_t frameCount = 0;

  std::atomic<int> wantedFrame{-1};
  std::atomic<int> decodedFrame{-1};  // the picture the decoder holds
  std::atomic<int64_t> packetsDecoded{0};

  std::vector<StockSlot> stock;
  RasterImage frameImage{};
  int pictureX = 0, pictureY = 0, pictureWidth = 0, pictureHeight = 0;
  void* yuvSurface = nullptr;
  uint32_t yuvFourcc = 0;
  int imageFetched = 0;
  int surfaceFetched = 0;

  detail::DecodeWorker worker;
};

namespace {

using Context = TheoraDecodeContext;

// Reads the next block into the sync buffer; the bytes read (0 at the end).
int ReadMore(Context* c) {
  char* buffer = ogg_sync_buffer(&c->sync, kReadBlock);
  if (buffer == nullptr) return 0;
  const size_t got = c->functions.read(buffer, 1, kReadBlock, c->stream);
  const int n = got > static_cast<size_t>(kReadBlock) ? 0 : static_cast<int>(got);
  ogg_sync_wrote(&c->sync, n);
  return n;
}

// Algorithm of the headers: the first stream whose first packet is a Theora
// header, then its packets until three headers have been read.
bool ReadHeaders(Context* c) {
  int headers = 0;
  for (;;) {
    while (ogg_sync_pageout(&c->sync, &c->page) > 0) {
      if (ogg_page_bos(&c->page)) {
        if (c->streamStarted) continue;
        ogg_stream_state test;
        ogg_stream_init(&test, ogg_page_serialno(&c->page));
        ogg_stream_pagein(&test, &c->page);
        if (ogg_stream_packetout(&test, &c->packet) == 1 &&
            theora_decode_header(&c->info, &c->comment, &c->packet) >= 0) {
          c->streamState = test;
          c->streamStarted = true;
          headers = 1;
        } else {
          ogg_stream_clear(&test);
          continue;
        }
      } else if (!c->streamStarted || ogg_stream_pagein(&c->streamState, &c->page) != 0) {
        continue;
      }
      while (headers < 3) {
        const int r = ogg_stream_packetout(&c->streamState, &c->packet);
        if (r == 0) break;
        if (r < 0 || theora_decode_header(&c->info, &c->comment, &c->packet) < 0) return false;
        ++headers;
      }
      if (headers == 3) return true;
    }
    if (ReadMore(c) == 0) return false;
  }
}

// What a movie of this header holds once it plays: the decoder's own frames
// and the stock's pictures at the coded size, and the 32-bit frame image.
// The header alone claims it, so it must fit the readers' budget.
bool MovieFitsReadBudget(const theora_info& info, int stockSize) {
  // Luma and chroma bytes a pixel, in halves, by the chroma layout.
  const int64_t halves = info.pixelformat == OC_PF_444 ? 6 : info.pixelformat == OC_PF_422 ? 4 : 3;
  const int64_t coded = (int64_t{info.width} + 2 * kDecoderBorder) * (int64_t{info.height} + 2 * kDecoderBorder);
  const int64_t pictures = int64_t{stockSize} + kDecoderPictures;
  const int64_t bytes = coded * pictures * halves / 2 + int64_t{info.frame_width} * info.frame_height * 4;
  return bytes <= detail::MaxReadBytes();
}

bool PictureUsable(const theora_info& info, int stockSize) {
  if (info.fps_numerator == 0 || info.fps_denominator == 0) return false;
  if (info.frame_width == 0 || info.frame_height == 0) return false;
  if (info.frame_width > kMaxPictureSide || info.frame_height > kMaxPictureSide) return false;
  if (info.width > kMaxPictureSide + 16 || info.height > kMaxPictureSide + 16) return false;
  return uint64_t{info.offset_x} + info.frame_width <= info.width &&
         uint64_t{info.offset_y} + info.frame_height <= info.height && MovieFitsReadBudget(info, stockSize);
}

void ResetReading(Context* c, uint32_t offset) {
  ogg_sync_reset(&c->sync);
  ogg_stream_reset(&c->streamState);
  c->functions.seek(c->stream, static_cast<int>(offset), 0);
}

// The page index and the keyframe flags, from a pass over the whole file.
bool BuildPageIndex(Context* c) {
  ResetReading(c, 0);
  int64_t offset = 0;
  const int serial = c->streamState.serialno;
  for (;;) {
    const long r = ogg_sync_pageseek(&c->sync, &c->page);
    if (r < 0) {
      offset -= r;
      continue;
    }
    if (r == 0) {
      if (ReadMore(c) == 0) break;
      continue;
    }
    const int64_t pageOffset = offset;
    offset += r;
    if (ogg_page_serialno(&c->page) != serial || ogg_stream_pagein(&c->streamState, &c->page) != 0) continue;
    bool entered = false;
    for (;;) {
      const int got = ogg_stream_packetout(&c->streamState, &c->packet);
      if (got == 0) break;
      if (got < 0) continue;
      const int key = theora_packet_iskeyframe(&c->packet);
      if (key < 0) continue;
      if (c->frameCount >= INT32_MAX - 1 || pageOffset > UINT32_MAX) return !c->pages.empty();
      if (!entered) {
        c->pages.push_back({static_cast<uint32_t>(pageOffset), static_cast<uint32_t>(c->frameCount), 0, 0});
        entered = true;
      }
      c->keyframes.push_back(key == 1 ? 1 : 0);
      if (key == 1) c->pages.back().keyframe = 1;
      ++c->pages.back().frames;
      ++c->frameCount;
    }
  }
  // A seek to the first frame reads the file from its start.
  if (!c->pages.empty()) c->pages[0].offset = 0;
  return true;
}

// ---------------------------------------------------------------------------
// The thread's side.

int Distance(int64_t from, int64_t to, int64_t count) { return static_cast<int>(((to - from) % count + count) % count); }

// The next frame packet of the video stream; false at the end of the data.
bool NextFramePacket(Context* c, int* key) {
  for (;;) {
    const int r = ogg_stream_packetout(&c->streamState, &c->packet);
    if (r > 0) {
      const int k = theora_packet_iskeyframe(&c->packet);
      if (k < 0) continue;
      *key = k;
      return true;
    }
    if (r < 0) continue;
    for (;;) {
      const int p = ogg_sync_pageout(&c->sync, &c->page);
      if (p > 0) {
        ogg_stream_pagein(&c->streamState, &c->page);
        break;
      }
      if (p == 0 && ReadMore(c) == 0) return false;
    }
  }
}

// Reads the frame packets after the decoded frame up to frame last, feeding
// the decoder only from the last keyframe among them. false at the end of
// the data (the decoded frame is then unknown).
bool DecodeThrough(Context* c, int64_t last) {
  const int64_t first = c->decodedFrame.load() + 1;
  int64_t from = first;
  for (int64_t f = last; f >= first; --f) {
    if (c->keyframes[static_cast<size_t>(f)]) {
      from = f;
      break;
    }
  }
  for (int64_t f = first; f <= last; ++f) {
    int key = 0;
    if (!NextFramePacket(c, &key)) return false;
    if (f >= from) {
      theora_decode_packetin(&c->decoder, &c->packet);
      c->packetsDecoded.fetch_add(1);
    }
  }
  c->decodedFrame.store(static_cast<int>(last));
  return true;
}

// Decodes step frames on from the decoded frame; past the last frame the
// file is read again from its start.
bool DecodeFrames(Context* c, int step) {
  const int64_t target = c->decodedFrame.load() + step;
  if (target >= c->frameCount) {
    ResetReading(c, c->pages[0].offset);
    c->decodedFrame.store(-1);
    return DecodeThrough(c, target - c->frameCount);
  }
  return DecodeThrough(c, target);
}

// Decodes the target afresh from the keyframe page before it.
bool SeekDecode(Context* c, int target) {
  const int count = static_cast<int>(c->pages.size());
  int e = 0;
  while (e < count - 1 && int64_t{c->pages[e].firstFrame} + c->pages[e].frames <= target) ++e;
  --e;
  while (e > 0 && !c->pages[e].keyframe) --e;
  --e;
  if (e < 0) e = 0;
  ResetReading(c, c->pages[e].offset);
  // Read the entry's page to learn whether it continues a packet of the page
  // before (that packet's rest is dropped, so the count starts one later).
  int first = static_cast<int>(c->pages[e].firstFrame);
  for (;;) {
    const int p = ogg_sync_pageout(&c->sync, &c->page);
    if (p > 0) {
      if (ogg_page_serialno(&c->page) == c->streamState.serialno) {
        if (ogg_page_continued(&c->page) && e > 0) ++first;
        ogg_stream_pagein(&c->streamState, &c->page);
        break;
      }
      continue;
    }
    if (p == 0 && ReadMore(c) == 0) return false;
  }
  c->decodedFrame.store(first - 1);
  if (first > target) return false;
  return DecodeThrough(c, target);
}

// false when the decoder has no picture to give.
bool CopyPicture(Context* c, StockSlot* slot) {
  yuv_buffer yuv;
  if (theora_decode_YUVout(&c->decoder, &yuv) != 0 || yuv.y == nullptr || yuv.u == nullptr || yuv.v == nullptr) {
    return false;
  }
  auto copy = [](std::vector<uint8_t>* plane, const unsigned char* data, int width, int height, int stride) {
    plane->resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
      std::memcpy(plane->data() + static_cast<size_t>(row) * width, data + static_cast<ptrdiff_t>(row) * stride,
                  static_cast<size_t>(width));
    }
  };
  copy(&slot->y, yuv.y, yuv.y_width, yuv.y_height, yuv.y_stride);
  copy(&slot->u, yuv.u, yuv.uv_width, yuv.uv_height, yuv.uv_stride);
  copy(&slot->v, yuv.v, yuv.uv_width, yuv.uv_height, yuv.uv_stride);
  slot->yWidth = yuv.y_width;
  slot->yHeight = yuv.y_height;
  slot->yStride = yuv.y_width;
  slot->uvWidth = yuv.uv_width;
  slot->uvHeight = yuv.uv_height;
  slot->uvStride = yuv.uv_width;
  slot->frame = c->decodedFrame.load();
  slot->used = true;
  return true;
}

StockSlot* SlotOf(Context* c, int frame) {
  for (StockSlot& s : c->stock) {
    if (s.used && s.frame == frame) return &s;
  }
  return nullptr;
}

void SetState(Context* c, int state) {
  c->state.store(state);
  c->worker.Changed();
}

// One pass of the thread's loop, the worker's lock held.
detail::DecodeStep RunDecodeStep(Context* c, std::unique_lock<std::mutex>& lock) {
  using detail::DecodeStep;
  const int64_t count = c->frameCount;
  if (c->stopRequest.load()) {
    SetState(c, kEnded);
    return DecodeStep::kFinished;
  }
  if (c->pauseRequest.load()) {
    SetState(c, kPaused);
    return DecodeStep::kIdle;
  }
  if (c->seekRequest.load()) {
    SetState(c, kSeeking);
    const int target = c->seekTarget.load();
    lock.unlock();
    const bool done = SeekDecode(c, target);
    lock.lock();
    for (StockSlot& s : c->stock) s.used = s.reading;
    c->decodedFrame.store(target);
    c->endOfStream.store(done ? 0 : 1);
    c->seekRequest.store(0);
    SetState(c, kDecoding);
    return DecodeStep::kWorked;
  }
  if (c->endOfStream.load()) {
    SetState(c, kIdle);
    return DecodeStep::kIdle;
  }
  // The window of frames to hold: the wanted one and those after it.
  const int wanted = c->wantedFrame.load();
  const int window = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(c->stock.size()), count));
  for (StockSlot& s : c->stock) {
    if (s.used && !s.reading && Distance(wanted, s.frame, count) >= window) s.used = false;
  }
  int missing = -1;
  for (int i = 0; i < window && missing < 0; ++i) {
    const int f = static_cast<int>((wanted + i) % count);
    if (!SlotOf(c, f)) missing = f;
  }
  StockSlot* free = nullptr;
  for (StockSlot& s : c->stock) {
    if (!s.used && !s.reading) {
      free = &s;
      break;
    }
  }
  if (missing < 0 || free == nullptr) {
    SetState(c, kIdle);
    return DecodeStep::kIdle;
  }
  if (c->state.load() != kDecoding) SetState(c, kDecoding);
  const int step = Distance(c->decodedFrame.load(), missing, count);
  if (step > 0) {
    lock.unlock();
    const bool done = DecodeFrames(c, step);
    lock.lock();
    if (!done) {
      c->endOfStream.store(1);
      c->worker.Changed();
      return DecodeStep::kWorked;
    }
  }
  // Without a picture the movie can go no further, as at the end of its data.
  if (!CopyPicture(c, free)) c->endOfStream.store(1);
  c->worker.Changed();
  return DecodeStep::kWorked;
}

// The caller's side.

void FreeContext(Context* c) {
  if (c->decoderReady) theora_clear(&c->decoder);
  theora_info_clear(&c->info);
  theora_comment_clear(&c->comment);
  if (c->streamStarted) ogg_stream_clear(&c->streamState);
  ogg_sync_clear(&c->sync);
  FreeRasterImage(&c->frameImage);
  delete c;
}

}  // namespace

TheoraDecodeContext* OpenTheoraMovie(const StreamFunctionTable* functions, StreamValue stream, int stockSize) {
  if (functions == nullptr) return nullptr;
  char magic[4] = {};
  if (functions->read(magic, 1, 4, stream) != 4 || std::memcmp(magic, "OggS", 4) != 0) return nullptr;
  functions->seek(stream, 0, 0);
  auto* c = new (std::nothrow) Context;
  if (c == nullptr) {
    WriteLogText("Theora ムービーデコード処理用のメモリ確保に失敗しました");
    return nullptr;
  }
  ogg_sync_init(&c->sync);
  theora_info_init(&c->info);
  theora_comment_init(&c->comment);
  c->functions = *functions;
  c->stream = stream;
  const int stock = std::max(stockSize, 1);
  if (!ReadHeaders(c) || !PictureUsable(c->info, stock) || theora_decode_init(&c->decoder, &c->info) != 0) {
    FreeContext(c);
    return nullptr;
  }
  c->decoderReady = true;
  c->pictureX = static_cast<int>(c->info.offset_x);
  c->pictureY = static_cast<int>(c->info.offset_y);
  c->pictureWidth = static_cast<int>(c->info.frame_width);
  c->pictureHeight = static_cast<int>(c->info.frame_height);
  if (!BuildPageIndex(c) || c->frameCount == 0) {
    FreeContext(c);
    return nullptr;
  }
  CreateTheoraYuvSurface(c);
  if (CreateRasterImageBuffer(c->pictureWidth, c->pictureHeight, &c->frameImage) != 0) {
    WriteLogText("Theora ムービーデコードフレームストック用画像バッファの確保に失敗しました");
    FreeContext(c);
    return nullptr;
  }
  c->stock.resize(static_cast<size_t>(stock));
  if (!c->worker.Start([c](std::unique_lock<std::mutex>& lock) { return RunDecodeStep(c, lock); })) {
    WriteLogText("Theora ムービーデコード用スレッドの作成に失敗しました");
    FreeContext(c);
    return nullptr;
  }
  SeekTheoraMovie(c, 0);
  FetchTheoraFrame(c, 1, 1);
  return c;
}

int CloseTheoraMovie(TheoraDecodeContext* c) {
  if (c == nullptr) return 0;
  {
    std::lock_guard<std::mutex> lock(c->worker.Mutex());
    c->stopRequest.store(1);
  }
  c->worker.Wake();
  c->worker.Join();
  FreeContext(c);
  return 0;
}

int SeekTheoraMovie(TheoraDecodeContext* c, int frame) {
  if (frame == c->wantedFrame.load()) return 0;
  c->imageFetched = 0;
  c->surfaceFetched = 0;
  std::unique_lock<std::mutex> lock(c->worker.Mutex());
  c->pauseRequest.store(1);
  c->worker.Wake();
  c->worker.WaitUntil(lock, [c] { return c->state.load() == kPaused || c->state.load() == kEnded; });
  if (c->state.load() != kPaused) return 0;
  frame = static_cast<int>(std::clamp<int64_t>(frame, 0, c->frameCount - 1));
  c->wantedFrame.store(frame);
  c->seekTarget.store(frame);
  c->seekRequest.store(1);
  c->pauseRequest.store(0);
  lock.unlock();
  c->worker.Wake();
  return 0;
}

int AdvanceTheoraMovie(TheoraDecodeContext* c, int frames) {
  if (frames < 1) return 0;
  {
    std::lock_guard<std::mutex> lock(c->worker.Mutex());
    c->wantedFrame.store(static_cast<int>((c->wantedFrame.load() + int64_t{frames}) % c->frameCount));
  }
  c->imageFetched = 0;
  c->surfaceFetched = 0;
  c->worker.Wake();
  return 0;
}

int FetchTheoraFrame(TheoraDecodeContext* c, int image, int surface) {
  const bool wantImage = image != 0 && !c->imageFetched;
  const bool wantSurface = surface != 0 && !c->surfaceFetched && c->yuvSurface != nullptr;
  if (!wantImage && !wantSurface) return 0;
  std::unique_lock<std::mutex> lock(c->worker.Mutex());
  StockSlot* slot = nullptr;
  c->worker.WaitUntil(lock, [c, &slot] {
    if (c->state.load() == kEnded) return true;
    if (c->seekRequest.load() || c->state.load() == kSeeking) return false;
    slot = SlotOf(c, c->wantedFrame.load());
    return slot != nullptr || c->endOfStream.load() != 0;
  });
  if (slot == nullptr || c->state.load() == kEnded) return 0;
  slot->reading = true;
  lock.unlock();
  if (wantImage) {
    const detail::YuvPlanes planes{slot->y.data(), slot->u.data(), slot->v.data(), slot->yWidth,   slot->yHeight,
                                   slot->yStride,  slot->uvWidth,   slot->uvHeight, slot->uvStride};
    // The picture region, cut to what the decoder delivered.
    const int width = std::min(c->pictureWidth, slot->yWidth - c->pictureX);
    const int height = std::min(c->pictureHeight, slot->yHeight - c->pictureY);
    detail::ConvertYuvPicture(planes, c->pictureX, c->pictureY, width, height,
                              static_cast<uint8_t*>(c->frameImage.pixels), c->frameImage.pitch);
    c->imageFetched = 1;
  }
  lock.lock();
  slot->reading = false;
  lock.unlock();
  c->worker.Wake();
  return 1;
}

int GetTheoraMovieInfo(TheoraDecodeContext* c, TheoraMovieInfo* info) {
  if (info == nullptr) return 0;
  info->framesPerSecond = static_cast<double>(c->info.fps_numerator) / c->info.fps_denominator;
  info->frameCount = c->frameCount;
  info->width = c->pictureWidth;
  info->height = c->pictureHeight;
  return 0;
}

int GetTheoraCurrentFrame(TheoraDecodeContext* c) { return c->wantedFrame.load(); }

RasterImage* GetTheoraFrameImage(TheoraDecodeContext* c) { return &c->frameImage; }

void* GetTheoraYuvSurface(TheoraDecodeContext* c) { return c->yuvSurface; }

void CreateTheoraYuvSurface(TheoraDecodeContext* c) {
  c->yuvSurface = nullptr;
  c->yuvFourcc = 0;
}

namespace detail {

void ForgetTheoraFetch(TheoraDecodeContext* c) {
  c->imageFetched = 0;
  c->surfaceFetched = 0;
}

const TheoraPageEntry* TheoraPageIndex(TheoraDecodeContext* c, int* count) {
  *count = static_cast<int>(c->pages.size());
  return c->pages.data();
}

const uint8_t* TheoraKeyframeFlags(TheoraDecodeContext* c) { return c->keyframes.data(); }

int64_t TheoraPacketsDecoded(TheoraDecodeContext* c) { return c->packetsDecoded.load(); }

int TheoraThreadState(TheoraDecodeContext* c) { return c->state.load(); }

void WaitForTheoraIdle(TheoraDecodeContext* c) {
  std::unique_lock<std::mutex> lock(c->worker.Mutex());
  c->worker.WaitUntil(lock, [c] {
    if (c->state.load() == kEnded || c->endOfStream.load()) return true;
    if (c->seekRequest.load() || c->state.load() != kIdle) return false;
    const int window = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(c->stock.size()), c->frameCount));
    for (int i = 0; i < window; ++i) {
      if (!SlotOf(c, static_cast<int>((c->wantedFrame.load() + i) % c->frameCount))) return false;
    }
    return true;
  });
}

}  // namespace detail
}  // namespace veziv
