// Byte-level reading over the stream table for the image readers.
#include "library/graphics/images/image_stream.h"

namespace veziv::detail {

size_t ReadStreamBytes(const ImageStream& s, void* dst, size_t n) {
  size_t done = 0;
  auto* out = static_cast<unsigned char*>(dst);
  while (done < n) {
    size_t got = s.table.read(out + done, 1, n - done, s.stream);
    if (got == 0 || got > n - done) break;
    done += got;
  }
  return done;
}

bool SeekStream(const ImageStream& s, int64_t position) {
  if (position < 0 || position > INT32_MAX) return false;
  if (s.table.seek(s.stream, int(position), 0) != 0) return false;
  return s.table.tell(s.stream) == position;
}

int64_t TellStream(const ImageStream& s) { return s.table.tell(s.stream); }

int64_t StreamSize(const ImageStream& s) {
  int here = s.table.tell(s.stream);
  if (s.table.seek(s.stream, 0, 2) != 0) return -1;
  int64_t size = s.table.tell(s.stream);
  s.table.seek(s.stream, here, 0);
  return size;
}

}  // namespace veziv::detail
