// Movie bytes through the Theora decoder: the Ogg pages, the Theora headers
// and the page index at open, then the decode steps (run on this thread) over
// a few advances, fetches, a wrap and a seek back to the start. Movies up to 4 MB of
// pictures: every run is fast, and the budget check is the same at any size.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/files/streams.h"
#include "library/sound_movie/movie/decode_worker.h"
#include "library/sound_movie/movie/theora_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  veziv::fuzzing::SilenceLog();
  veziv::detail::SetMaxReadBytes(int64_t(1) << 22);
  veziv::detail::RunMovieThreadsInline(true);
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(data, static_cast<int>(size));
  if (stream == nullptr) return 0;
  veziv::TheoraDecodeContext* movie =
      veziv::OpenTheoraMovie(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), 3);
  if (movie != nullptr) {
    veziv::TheoraMovieInfo info{};
    veziv::GetTheoraMovieInfo(movie, &info);
    for (int step : {1, 2, 5, 1}) {
      veziv::AdvanceTheoraMovie(movie, step);
      veziv::FetchTheoraFrame(movie, 1, 0);
    }
    veziv::AdvanceTheoraMovie(movie, static_cast<int>(info.frameCount % 1000));
    veziv::FetchTheoraFrame(movie, 1, 0);
    veziv::SeekTheoraMovie(movie, 0);
    veziv::FetchTheoraFrame(movie, 1, 0);
    veziv::CloseTheoraMovie(movie);
  }
  veziv::CloseMemoryStream(stream);
  return 0;
}
