// The second movie road, for movies that are not Ogg Theora: MPEG-1/2,
// MPEG-4, H.264, VP8 and VP9 in AVI, MP4, Matroska, WebM, MPEG program and
// transport streams, read through libavformat and decoded through libavcodec
// on a thread of its own, which keeps a stock of decoded pictures from the
// frame the caller wants onward, as the Theora decoder does. Frames are
// numbered in showing order from an index of the video packets made at open;
// the caller moves the wanted frame on and fetches it as 32-bit pixels
// (planar 8-bit pictures as the Theora road converts them, others through
// libswscale). What a movie may cost (its pictures, the
// decoder's, the stock's and the frame image) is held to the readers' budget
// before anything is decoded. Depends on FFmpeg's libraries, the foundation's
// streams and log, and the image records of graphics.
#pragma once

#include <cstdint>

#include "library/foundation/files/streams.h"
#include "library/veziv.h"

namespace veziv {

struct MediaMovieContext;

struct MediaMovieInfo {
  double framesPerSecond;
  int64_t frameCount;
  int width;
  int height;
};

// Opens the movie behind the stream, which must stay open until the close;
// null when the bytes are no movie of this road or a step fails. stockSize:
// pictures decoded ahead (at least 1).
MediaMovieContext* OpenMediaMovie(const StreamFunctionTable* functions, StreamValue stream, int stockSize);
// Ends the decode thread and frees everything. 0.
int CloseMediaMovie(MediaMovieContext* context);
// Makes frame (clamped to the movie) the wanted one, decoded afresh from the
// keyframe before it. Nothing when it is wanted already. 0.
int SeekMediaMovie(MediaMovieContext* context, int frame);
// Moves the wanted frame on by frames, through the end to the start. 0.
int AdvanceMediaMovie(MediaMovieContext* context, int frames);
// Converts the wanted frame into the frame image unless it is there already,
// waiting for the thread to decode it. 1 when a frame was converted; 0 when
// there was nothing to do or the movie's data ended first (the previous
// picture stays).
int FetchMediaFrame(MediaMovieContext* context);
// 0.
int GetMediaMovieInfo(MediaMovieContext* context, MediaMovieInfo* info);
// The wanted frame.
int GetMediaCurrentFrame(MediaMovieContext* context);
// 32-bit pixels (bytes blue, green, red, 255) of the picture's size.
RasterImage* GetMediaFrameImage(MediaMovieContext* context);

namespace detail {
// The next fetch converts the wanted frame again.
void ForgetMediaFetch(MediaMovieContext* context);
}  // namespace detail

}  // namespace veziv
