// The library's Ogg Theora decoder: a movie read through a stream table is
// indexed page by page at open, then decoded by a thread of its own that
// keeps a stock of decoded pictures from the frame the caller wants onward.
// The caller moves the wanted frame forward and fetches it as 32-bit pixels.
// Depends on libogg, libtheora's legacy decoding interface, the foundation's
// streams and log, and the image records of graphics.
#pragma once

#include <cstdint>

#include "library/foundation/files/streams.h"
#include "library/veziv.h"

namespace veziv {

struct TheoraDecodeContext;

struct TheoraMovieInfo {
  double framesPerSecond;
  int64_t frameCount;
  int width;  // the picture's size
  int height;
};

// Opens the movie behind the stream, which must stay open until the close;
// null when it is no Ogg Theora movie or a step fails (logged). stockSize:
// pictures decoded ahead (at least 1).
TheoraDecodeContext* OpenTheoraMovie(const StreamFunctionTable* functions, StreamValue stream, int stockSize);
// Ends the decode thread and frees everything. 0.
int CloseTheoraMovie(TheoraDecodeContext* context);
// Makes frame (clamped to the movie) the wanted one, decoded afresh from the
// keyframe before it. Nothing when it is wanted already. 0.
int SeekTheoraMovie(TheoraDecodeContext* context, int frame);
// Moves the wanted frame on by frames, through the end to the start. 0.
int AdvanceTheoraMovie(TheoraDecodeContext* context, int frames);
// Converts the wanted frame into the frame image (image 1) unless it is
// there already, waiting for the thread to decode it. 1 when a frame was
// fetched; 0 when there was nothing to fetch, or the decoder has ended or met
// the end of its data (the previous picture stays).
int FetchTheoraFrame(TheoraDecodeContext* context, int image, int surface);
// 0.
int GetTheoraMovieInfo(TheoraDecodeContext* context, TheoraMovieInfo* info);
// The wanted frame.
int GetTheoraCurrentFrame(TheoraDecodeContext* context);
// 32-bit pixels (bytes blue, green, red, 255) of the picture's size.
RasterImage* GetTheoraFrameImage(TheoraDecodeContext* context);
// Frames go to the frame image only: there is no YUV surface, so this is
// always null.
void* GetTheoraYuvSurface(TheoraDecodeContext* context);
// Looks for a YUV surface; the screen offers none, so the movie keeps
// converting into its frame image.
void CreateTheoraYuvSurface(TheoraDecodeContext* context);

namespace detail {

// One entry of the page index: the page's file offset, the number of the
// first frame whose packet ends in it, 1 when a keyframe packet ends in it,
// and how many frame packets end in it.
struct TheoraPageEntry {
  uint32_t offset;
  uint32_t firstFrame;
  uint32_t keyframe;
  uint32_t frames;
};

// The next fetch converts the wanted frame again (a new receiver of the
// frames has not seen it).
void ForgetTheoraFetch(TheoraDecodeContext* context);

// For tests: the index, the keyframe flag of each frame, the frame packets
// handed to the decoder so far, and the thread's state word (1 decoding, 0
// idle, 2 seeking, 4 paused, 3 ended).
const TheoraPageEntry* TheoraPageIndex(TheoraDecodeContext* context, int* count);
const uint8_t* TheoraKeyframeFlags(TheoraDecodeContext* context);
int64_t TheoraPacketsDecoded(TheoraDecodeContext* context);
int TheoraThreadState(TheoraDecodeContext* context);
// Waits until the thread has nothing left to do (its stock is full, or it
// has ended); for tests that count decoded packets.
void WaitForTheoraIdle(TheoraDecodeContext* context);

}  // namespace detail
}  // namespace veziv
