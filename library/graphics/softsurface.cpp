// Software images: creating, viewing, filling and releasing SOFTSURFACE views and
// their shared blocks, the premultiplied alpha plane and the run table.
#include "library/graphics/softsurface.h"

#include <cstddef>
#include <cstring>

namespace veziv {
namespace {

uint32_t LoadPixel(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));  // little-endian: the low bytes
  return v;
}

// The run kind of one pixel of the block.
uint8_t PixelRunKind(const SoftSurfaceShared& b, const uint8_t* p) {
  if (b.alphaFlag == 1) {
    const uint8_t a = p[b.type == kSoftType16 ? 2 : 3];
    return a == 0 ? kRunTransparent : a == 255 ? kRunOpaque : kRunPartial;
  }
  return LoadPixel(p, b.bytesPerPixel) == b.transparentValue ? kRunTransparent : kRunOpaque;
}

}  // namespace

int SoftSurfaceBytesPerPixel(int type, int paletteFlag, int alphaFlag) {
  if (type < 0 || type > 3) return 0;
  if (paletteFlag == 1 && type <= 1) return 1;
  if (type == kSoftType16 && alphaFlag == 1) return 4;
  static const int kBytes[4] = {2, 4, 1, 2};
  return kBytes[type];
}

void BuildSoftSurfaceRunTable(SoftSurfaceShared* b) {
  if (!b || !b->runTable || !b->pixels || (b->type != kSoftType16 && b->type != kSoftType32)) return;
  uint8_t* out = b->runTable;
  for (int32_t y = 0; y < b->height; ++y) {
    const uint8_t* row = b->pixels + static_cast<ptrdiff_t>(y) * b->pitch;
    int32_t x = 0;
    while (x < b->width) {
      const uint8_t kind = PixelRunKind(*b, row + static_cast<ptrdiff_t>(x) * b->bytesPerPixel);
      int length = 1;
      while (length < kRunMaxLength && x + length < b->width &&
             PixelRunKind(*b, row + static_cast<ptrdiff_t>(x + length) * b->bytesPerPixel) == kind)
        ++length;
      *out++ = RunCode(kind, length);
      x += length;
    }
    *out++ = kRunEndOfRow;
  }
  b->runTableValid = 1;
}

void BuildSoftSurfaceAlphaPlane(SoftSurfaceShared* b) {
  if (!b || b->alphaFlag != 1 || !b->alphaPlane || !b->pixels) return;
  for (int32_t y = 0; y < b->height; ++y) {
    const uint8_t* src = b->pixels + static_cast<ptrdiff_t>(y) * b->pitch;
    uint8_t* dst = b->alphaPlane + static_cast<ptrdiff_t>(y) * b->pitch;
    for (int32_t x = 0; x < b->width; ++x, src += b->bytesPerPixel, dst += b->bytesPerPixel) {
      if (b->type == kSoftType16) {
        const uint32_t c = static_cast<uint32_t>(src[0] | src[1] << 8), a = src[2];
        const uint32_t m = (((c & 0xF800) * a) & 0xF80000) + (((c & 0x07E0) * a) & 0x7E000) +
                           (((c & 0x001F) * a) & 0x1F00);
        dst[0] = static_cast<uint8_t>(m >> 8);
        dst[1] = static_cast<uint8_t>(m >> 16);
        dst[2] = static_cast<uint8_t>(a);
      } else {
        const uint32_t a = src[3];
        for (int c = 0; c < 3; ++c) dst[c] = static_cast<uint8_t>(src[c] * a >> 8);
        dst[3] = static_cast<uint8_t>(a);
      }
    }
  }
  b->alphaPlaneValid = 1;
}

}  // namespace veziv
