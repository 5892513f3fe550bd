// The library's packed-block format and its checked decoder.
//
// A block is a 9-byte header (u32 unpacked size, u32 packed size counting the
// header, u8 marker) followed by a token body: literal bytes, the marker twice
// for a literal marker, or the marker, a code byte, an optional length byte and
// a 1-3 byte offset for a back-reference. The decoder trusts nothing in it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veziv {

inline constexpr size_t kPackedHeaderSize = 9;
inline constexpr uint32_t kPackedMinMatch = 4;
inline constexpr uint32_t kPackedMaxMatch = 8195;
inline constexpr uint32_t kPackedMaxDistance = 1u << 24;

struct PackedHeader {
  uint32_t unpackedSize;
  uint32_t packedSize;  // the 9 header bytes included
  uint8_t marker;
};

// Reads the header of the block at source. False when fewer than 9 bytes are
// given or the packed size is below 9 or above sourceSize.
bool ReadPackedHeader(const void* source, size_t sourceSize, PackedHeader* header);

// Unpacks the block at source (sourceSize readable bytes) into destination.
// Returns the unpacked size; with a null destination only the header is read.
// Returns -1, with nothing written past destinationCapacity, when the header is
// refused, the unpacked size exceeds destinationCapacity, or the body is
// malformed: a token cut off by the end of the body, the offset width 3, a
// distance reaching before the start of the output, output beyond the unpacked
// size, or output that stops short of it (an empty body with a size too).
int64_t DecompressData(const void* source, size_t sourceSize, void* destination,
                       size_t destinationCapacity);

}  // namespace veziv
