// The frame header's picture size of a JPEG, read segment by segment.
#include "game/core/jpeg_size.h"

namespace game {

namespace {

// Frame header markers: C0 to CF but for C4 (Huffman tables), C8 (reserved)
// and CC (arithmetic conditioning).
bool isFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool standsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

bool jpegPictureSize(const uint8_t* data, size_t size, int& width, int& height) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t at = 2;
  while (at < size) {
    if (data[at] != 0xFF) return false;
    // Any number of fill bytes may come before a marker.
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return false;
    const uint8_t marker = data[at++];
    if (standsAlone(marker)) continue;
    // The image ends, or its scan starts, before any frame header.
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) return false;
    if (size - at < 2) return false;
    const size_t length = size_t{data[at]} << 8 | data[at + 1];
    if (length < 2 || length > size - at) return false;
    if (isFrameHeader(marker)) {
      // Length, precision, then the height and the width.
      if (length < 7) return false;
      height = data[at + 3] << 8 | data[at + 4];
      width = data[at + 5] << 8 | data[at + 6];
      return true;
    }
    at += length;
  }
  return false;
}

}  // namespace game
