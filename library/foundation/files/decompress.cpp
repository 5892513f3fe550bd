// The checked decoder of the library's packed blocks (see decompress.h).
//
// Most of a block is decoded by a loop that works in 16-byte steps: it scans
// literals 16 at a time for the marker and stores them whole, and copies
// back-references in 16-byte pieces, each time writing up to 15 bytes past
// what the token gives (they are written over by what follows). It runs while
// at least 32 body bytes remain (enough for a scan and the longest token after
// it) and while 16 bytes of room remain after what is written; the checks of
// every token are the same as in the exact loop, which finishes the block one
// byte at a time.
#include "library/foundation/files/decompress.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "library/foundation/files/archive_format.h"

namespace veziv {
namespace {

// A back-reference's fields, read from the code byte on.
struct Reference {
  size_t length;
  size_t distance;
};

// Reads the back-reference whose code byte is in[at] (not the marker), with
// at least 5 bytes readable from in + at; advances at past it. False for the
// offset width 3.
inline bool ReadReference(const uint8_t* in, size_t* at, uint8_t marker, Reference* ref) {
  uint32_t code = in[(*at)++];
  if (code > marker) code -= 1;
  uint32_t length = code >> 3;
  if (code & 4) length |= uint32_t{in[(*at)++]} << 5;
  const uint32_t width = code & 3;
  if (width == 3) return false;
  uint32_t offset = in[*at];
  if (width >= 1) offset |= uint32_t{in[*at + 1]} << 8;
  if (width == 2) offset |= uint32_t{in[*at + 2]} << 16;
  *at += width + 1;
  ref->length = length + kPackedMinMatch;
  ref->distance = size_t{offset} + 1;
  return true;
}

// Copies length bytes from distance back, exactly, in rounds of at most
// `distance` bytes: each round reads only output already written, and the
// period doubles as the run grows.
inline void CopyExact(uint8_t* out, size_t written, size_t length, size_t distance) {
  size_t span = distance;
  while (length > 0) {
    const size_t n = length < span ? length : span;
    std::memcpy(out + written, out + written - span, n);
    written += n;
    length -= n;
    span *= 2;
  }
}

#if defined(__SSE2__)
inline __m128i Load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store16(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

// Copies length bytes from distance back in 16-byte pieces, overrunning by up
// to 15 bytes. A piece reads 16 bytes that end before it starts: from distance
// back when that is 16 or more, else from the smallest multiple of the
// distance that is, once that many bytes are in place.
inline void CopyWide(uint8_t* op, size_t length, size_t distance) {
  size_t i = 0;
  if (distance == 1) {
    const __m128i run = _mm_set1_epi8(static_cast<char>(op[-1]));
    for (; i < length; i += 16) Store16(op + i, run);
    return;
  }
  size_t period = distance;
  if (period < 16) {
    period *= (16 + distance - 1) / distance;
    const size_t first = length < period ? length : period;
    for (; i < first; ++i) op[i] = op[i - distance];
  }
  for (; i < length; i += 16) Store16(op + i, Load16(op + i - period));
}
#endif

}  // namespace

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

#if defined(__SSE2__)
  constexpr size_t kInputSlack = 32;
  constexpr size_t kOutputSlack = 16;
  const __m128i markers = _mm_set1_epi8(static_cast<char>(marker));
  while (end - at >= kInputSlack && limit - written >= kOutputSlack) {
    const __m128i bytes = Load16(in + at);
    Store16(out + written, bytes);
    const unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, markers)));
    if (hits == 0) {
      at += 16;
      written += 16;
      continue;
    }
    const unsigned run = static_cast<unsigned>(__builtin_ctz(hits));
    at += run + 1;  // the literals and the marker
    written += run;
    if (in[at] == marker) {
      ++at;
      out[written++] = marker;
      continue;
    }
    Reference ref;
    if (!ReadReference(in, &at, marker, &ref)) return -1;
    if (ref.distance > written || ref.length > limit - written) return -1;
    if (ref.length + kOutputSlack <= limit - written) {
      CopyWide(out + written, ref.length, ref.distance);
    } else {
      CopyExact(out, written, ref.length, ref.distance);
    }
    written += ref.length;
  }
#endif

  while (at < end) {
    const uint8_t byte = in[at++];
    if (byte != marker) {
      if (written == limit) return -1;
      out[written++] = byte;
      continue;
    }
    if (at == end) return -1;
    if (in[at] == marker) {
      ++at;
      if (written == limit) return -1;
      out[written++] = marker;
      continue;
    }
    // The code byte, an optional length byte and 1 to 3 offset bytes: the
    // fields are read only once all of them are known to be in the body.
    uint32_t code = in[at];
    if (code > marker) code -= 1;
    const size_t need = 1 + ((code & 4) ? 1 : 0) + (code & 3) + 1;
    if ((code & 3) == 3 || end - at < need) return -1;
    Reference ref;
    ReadReference(in, &at, marker, &ref);
    if (ref.distance > written || ref.length > limit - written) return -1;
    CopyExact(out, written, ref.length, ref.distance);
    written += ref.length;
  }
  // A body that ends short of the size, an empty one included, would leave
  // part of the destination as it was while the caller takes it all as data.
  if (written != limit) return -1;
  return header.unpackedSize;
}

}  // namespace veziv
