// Byte-level reading helpers over an ImageStream, shared by the readers, and
// the limits every reader applies to what a file asks for.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/graphics/images/image_loaders.h"

namespace veziv::detail {

// Largest pixel block a reader allocates (256 MB): keeps a corrupt size field
// from asking for gigabytes.
int64_t MaxImageBytes();
// Lowers the limit, for the fuzz targets, which would otherwise spend their
// time clearing large images; 0 puts the default back.
void SetMaxImageBytesForFuzzing(int64_t bytes);

// Reads up to n bytes; returns the bytes actually read.
size_t ReadStreamBytes(const ImageStream& s, void* dst, size_t n);
inline bool ReadStreamExact(const ImageStream& s, void* dst, size_t n) { return ReadStreamBytes(s, dst, n) == n; }
bool SeekStream(const ImageStream& s, int64_t position);
int64_t TellStream(const ImageStream& s);
// Bytes from the start to the end; the position is put back.
int64_t StreamSize(const ImageStream& s);

}  // namespace veziv::detail
