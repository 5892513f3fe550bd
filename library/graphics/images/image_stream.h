// Byte-level reading helpers over an ImageStream, shared by the readers; the
// limits every reader applies to what a file asks for are the reader-wide
// budget of read_budget.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/foundation/files/read_budget.h"
#include "library/graphics/images/image_loaders.h"

namespace veziv::detail {

// Makes the PNG reader use chunks whatever their checksums say, so that a
// fuzzer's mutations reach past them; for the fuzz targets only.
void SkipPngChecksumsForFuzzing(bool skip);

// Reads up to n bytes; returns the bytes actually read.
size_t ReadStreamBytes(const ImageStream& s, void* dst, size_t n);
inline bool ReadStreamExact(const ImageStream& s, void* dst, size_t n) { return ReadStreamBytes(s, dst, n) == n; }
bool SeekStream(const ImageStream& s, int64_t position);
int64_t TellStream(const ImageStream& s);
// Bytes from the start to the end; the position is put back.
int64_t StreamSize(const ImageStream& s);

}  // namespace veziv::detail
