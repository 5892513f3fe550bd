// Movie bytes through the FFmpeg road: the demuxer's probe and the packet
// index at open, then the decode thread over a few advances, fetches, a wrap
// and a seek back; and, when they opened as a movie, the same bytes as its
// sound track, decoded whole and read again after a seek. Movies up to 4 MB
// of pictures: every run is fast, and the budget checks are the same at any
// size.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/files/streams.h"
#include "library/foundation/memory_log/memory.h"
#include "library/sound_movie/movie/media_movie.h"
#include "library/sound_movie/readers/sound_decoder.h"

namespace {

// True when the bytes opened as a movie.
bool PlayMovie(const uint8_t* data, size_t size) {
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(data, static_cast<int>(size));
  if (stream == nullptr) return false;
  veziv::MediaMovieContext* movie =
      veziv::OpenMediaMovie(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), 3);
  if (movie != nullptr) {
    veziv::MediaMovieInfo info{};
    veziv::GetMediaMovieInfo(movie, &info);
    for (int step : {1, 2, 5, 1}) {
      veziv::AdvanceMediaMovie(movie, step);
      veziv::FetchMediaFrame(movie);
    }
    veziv::AdvanceMediaMovie(movie, static_cast<int>(info.frameCount % 1000));
    veziv::FetchMediaFrame(movie);
    veziv::SeekMediaMovie(movie, 0);
    veziv::FetchMediaFrame(movie);
    veziv::CloseMediaMovie(movie);
  }
  veziv::CloseMemoryStream(stream);
  return movie != nullptr;
}

void PlayTrack(const uint8_t* data, size_t size) {
  veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(data, static_cast<int>(size));
  if (stream == nullptr) return;
  veziv::detail::SetSoundMovieTrackFlag(1);
  veziv::SoundDecoderRecord record{};
  const int opened =
      veziv::OpenSoundSource(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), &record);
  veziv::detail::SetSoundMovieTrackFlag(0);
  if (opened == 0) {
    veziv::SoundWaveFormat format;
    void* pcm = nullptr;
    int bytes = 0;
    if (veziv::DecodeSoundSourceToPcm(&record, &format, &pcm, &bytes) == 0) veziv::FreeLibMemory(pcm);
    uint8_t block[256];
    veziv::SeekSoundSource(&record, 700);
    veziv::ReadSoundSourcePcm(&record, block, sizeof block);
    veziv::CloseSoundSource(&record);
  }
  veziv::CloseMemoryStream(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  veziv::fuzzing::SilenceLog();
  veziv::detail::SetMaxReadBytes(int64_t(1) << 22);
  // A sound track is looked for only in a movie that opened, as the movie
  // handles do.
  if (PlayMovie(data, size)) PlayTrack(data, size);
  return 0;
}
