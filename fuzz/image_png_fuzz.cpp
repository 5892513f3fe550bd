// The PNG reader on arbitrary bytes.
#include "fuzz/image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return veziv::fuzzing::FuzzImageReader(veziv::ReadPngToRasterImage, data, size);
}
