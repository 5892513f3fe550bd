// The checked decoder of the library's packed blocks (see decompress.h).
#include "library/foundation/files/decompress.h"

#include <cstring>

#include "library/foundation/files/archive_format.h"

namespace veziv {

bool ReadPackedHeader(const void* source, size_t sourceSize, PackedHeader* header) {
  if (source == nullptr || sourceSize < kPackedHeaderSize) return false;
  const auto* p = static_cast<const uint8_t*>(source);
  PackedHeader h{LoadLe32(p), LoadLe32(p + 4), p[8]};
  if (h.packedSize < kPackedHeaderSize || h.packedSize > sourceSize) return false;
  *header = h;
  return true;
}

int64_t DecompressData(const void* source, size_t sourceSize, void* destination,
                       size_t destinationCapacity) {
  PackedHeader header;
  if (!ReadPackedHeader(source, sourceSize, &header)) return -1;
  if (destination == nullptr) return header.unpackedSize;
  if (header.unpackedSize > destinationCapacity) return -1;

  const auto* in = static_cast<const uint8_t*>(source);
  size_t at = kPackedHeaderSize;
  const size_t end = header.packedSize;
  auto* out = static_cast<uint8_t*>(destination);
  const size_t limit = header.unpackedSize;
  size_t written = 0;
  const uint8_t marker = header.marker;

  while (at < end) {
    const uint8_t byte = in[at++];
    if (byte != marker) {
      if (written == limit) return -1;
      out[written++] = byte;
      continue;
    }
    if (at == end) return -1;
    uint32_t code = in[at++];
    if (code == marker) {
      if (written == limit) return -1;
      out[written++] = marker;
      continue;
    }
    if (code > marker) code -= 1;
    uint32_t length = code >> 3;
    if (code & 4) {
      if (at == end) return -1;
      length |= uint32_t{in[at++]} << 5;
    }
    length += kPackedMinMatch;
    const uint32_t width = code & 3;
    if (width == 3 || end - at < width + 1) return -1;
    uint32_t offset = in[at];
    if (width >= 1) offset |= uint32_t{in[at + 1]} << 8;
    if (width == 2) offset |= uint32_t{in[at + 2]} << 16;
    at += width + 1;
    const size_t distance = size_t{offset} + 1;
    if (distance > written || length > limit - written) return -1;

    // Copy in rounds of at most `distance` bytes: each round reads only output
    // already written, and the period doubles as the run grows.
    size_t span = distance;
    size_t left = length;
    while (left > 0) {
      const size_t n = left < span ? left : span;
      std::memcpy(out + written, out + written - span, n);
      written += n;
      left -= n;
      span *= 2;
    }
  }
  // A body that ends short of the size, an empty one included, would leave
  // part of the destination as it was while the caller takes it all as data.
  if (written != limit) return -1;
  return header.unpackedSize;
}

}  // namespace veziv
