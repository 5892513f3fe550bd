// Movie bytes through the FFmpeg road: the demuxer's probe and the packet
// index at open, then the decode steps over an advance, a wrap and a seek
// back, run on this thread (movie_track takes the sound track). Movies up to 4 MB of pictures:
// every run is fast, and the budget checks are the same at any size.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/files/streams.h"
#include "library/sound_movie/movie/decode_worker.h"
#include "library/sound_movie/movie/media_movie.h"

namespace {

void PlayMovie(const uint8_t* data, size_t size) {
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(data, static_cast<int>(size));
  if (stream == nullptr) return;
  veziv::MediaMovieContext* movie =
      veziv::OpenMediaMovie(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), 3);
  if (movie != nullptr) {
    // A step within the stock, a far one that wraps through the end, and a
    // seek back: each fetch runs the decode steps it waits for.
    veziv::MediaMovieInfo info{};
    veziv::GetMediaMovieInfo(movie, &info);
    veziv::AdvanceMediaMovie(movie, 2);
    veziv::FetchMediaFrame(movie);
    veziv::AdvanceMediaMovie(movie, static_cast<int>(info.frameCount % 1000) + 5);
    veziv::FetchMediaFrame(movie);
    veziv::SeekMediaMovie(movie, 0);
    veziv::FetchMediaFrame(movie);
    veziv::CloseMediaMovie(movie);
  }
  veziv::CloseMemoryStream(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  veziv::fuzzing::SilenceLog();
  veziv::detail::SetMaxReadBytes(int64_t(1) << 22);
  veziv::detail::RunMovieThreadsInline(true);
  PlayMovie(data, size);
  return 0;
}
