// The PNG reader on arbitrary bytes, with chunk checksums ignored so that
// mutations reach past them (libpng's own fuzzing does the same).
#include "fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veziv::detail::SkipPngChecksumsForFuzzing(true);
  return veziv::fuzzing::FuzzImageReader(veziv::ReadPngToRasterImage, data, size);
}
