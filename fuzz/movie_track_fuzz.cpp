// Movie bytes as a movie's sound track: the sound readers with the movie-track
// flag set (as a movie opens its track), decoded whole and read again after a
// seek. Pictures met while the streams are learnt are held to 4 MB.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_files.h"
#include "fuzz/sound_reader_fuzz.h"
#include "library/foundation/files/read_budget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veziv::fuzzing::SilenceLog();
  veziv::detail::SetMaxReadBytes(int64_t(1) << 22);
  veziv::detail::SetSoundMovieTrackFlag(1);
  const int result = FuzzSoundReader(data, size);
  veziv::detail::SetSoundMovieTrackFlag(0);
  return result;
}
