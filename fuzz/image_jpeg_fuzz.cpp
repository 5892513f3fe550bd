// The JPEG reader on arbitrary bytes. Pictures up to 1 MB decoded: the seeds
// stay within it and every run is fast, while the reader's checks are the
// same as at the full budget.
#include "fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return veziv::fuzzing::FuzzImageReader(veziv::ReadJpegToRasterImage, data, size, int64_t(1) << 20);
}
