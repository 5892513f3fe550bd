// Movie files other than Ogg Theora, and their sound tracks, opened through
// libavformat over a library stream (so a movie inside an archive plays as a
// plain one does). Only the containers and codecs a game's movies come in are
// let through, and what a file may make FFmpeg probe and allocate before a
// frame is shown is capped here, since FFmpeg's own limits let a few
// kilobytes claim gigabytes. Internal to the sound and movie code.
#pragma once

#include <cstdint>

#include "library/foundation/files/streams.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace veziv::detail {

// The demuxer over the stream, and the stream's functions that it reads
// through. The stream stays the caller's.
struct MediaInput {
  AVFormatContext* format = nullptr;
  AVIOContext* io = nullptr;
  StreamFunctionTable functions{};
  StreamValue stream = 0;
  int64_t length = 0;
  int64_t position = 0;  // where the demuxer reads next (may lie past the end)
};

// Opens the container and, unless its header tells them for a stream of the
// type wanted, reads its streams' parameters (decoding a little of each with
// at most maxPixels pixels a picture). False when the bytes are no container
// let through here; nothing is left open then.
bool OpenMediaInput(const StreamFunctionTable* functions, StreamValue stream, AVMediaType type, int64_t maxPixels,
                    MediaInput* input);
void CloseMediaInput(MediaInput* input);

// The most pixels a picture of a movie may have, when heldPictures of them
// (at 12 bits a pixel) and the 32-bit frame image must fit the read budget.
int64_t MediaPictureLimit(int64_t heldPictures);

// A decoder for one of the input's streams, with the same caps and one thread.
// Null when its codec is not let through or it does not open.
AVCodecContext* OpenMediaDecoder(const MediaInput& input, int streamIndex, int64_t maxPixels);

}  // namespace veziv::detail
