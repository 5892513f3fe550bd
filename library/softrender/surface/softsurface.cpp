// Software images: creating, viewing, filling and releasing SOFTSURFACE views and
// their shared blocks, the premultiplied alpha plane and the run table.
#include "library/softrender/surface/softsurface.h"

#include <cstddef>
#include <climits>
#include <cstring>

#include "library/foundation/memory_log/memory.h"
#include "library/softrender/surface/fill_pattern.h"

namespace veziv {
namespace {

struct SoftSurfaceState {
  int32_t screenType = kSoftType32;
};

SoftSurfaceState& State() {
  static SoftSurfaceState state;
  return state;
}

// Frees everything a block owns, then the block.
void FreeBlock(SoftSurfaceShared* b) {
  if (!b->userMemory) FreeLibMemory(b->pixels);
  FreeLibMemory(b->alphaPlane);
  FreeLibMemory(b->runTable);
  FreeLibMemory(b->palette);
  FreeLibMemory(b);
}

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

int SoftSurfaceCreate(SOFTSURFACE* view, int32_t width, int32_t height, int32_t pitch, uint32_t transparentValue,
                      int32_t type, int32_t paletteFlag, int32_t alphaFlag, int32_t extraPlanes, void* userPixels) {
  if (!view || view->magic == kSoftSurfaceMagic) return -1;
  if (type < 0 || type > 3 || width < 0 || height < 0) return -1;
  const bool palette = paletteFlag != 0 && type <= 1;
  const bool alpha = alphaFlag != 0 && type <= 1 && !palette;
  const int32_t bytes = SoftSurfaceBytesPerPixel(type, palette ? 1 : 0, alpha ? 1 : 0);
  const int64_t rowBytes = int64_t{bytes} * width;
  const int64_t actualPitch = pitch == -1 ? (rowBytes + 15) / 16 * 16 : pitch;
  // A pitch shorter than a row would make the pixel memory too small for it.
  if (actualPitch < rowBytes || actualPitch > INT32_MAX) return -1;
  const int64_t n = pitch == -1 ? rowBytes : pitch;
  int64_t power = 1;
  int32_t log2 = 0;
  while (power < n) {
    power <<= 1;
    ++log2;
  }
  const size_t planeBytes = size_t(actualPitch) * size_t(height);

  auto* b = static_cast<SoftSurfaceShared*>(AllocLibMemoryZeroed(sizeof(SoftSurfaceShared)));
  if (!b) return -1;
  b->references = 1;
  b->width = width;
  b->height = height;
  b->pitch = static_cast<int32_t>(actualPitch);
  b->pitchShift = actualPitch == power ? log2 : -1;
  b->transparentValue = transparentValue;
  b->type = type;
  b->paletteFlag = palette ? 1 : 0;
  b->alphaFlag = alpha ? 1 : 0;
  b->bytesPerPixel = bytes;
  bool ok = true;
  if (palette) {
    b->palette = static_cast<uint8_t*>(AllocLibMemoryZeroed(2048));
    b->paletteCopy = b->palette ? b->palette + 1024 : nullptr;
    ok = b->palette != nullptr;
  }
  if (ok && userPixels) {
    b->pixels = static_cast<uint8_t*>(userPixels);
    b->userMemory = 1;
  } else if (ok) {
    b->pixels = static_cast<uint8_t*>(AllocLibMemory(planeBytes));
    ok = b->pixels != nullptr;
  }
  if (ok && extraPlanes) {
    if (alpha) {
      b->alphaPlane = static_cast<uint8_t*>(AllocLibMemory(planeBytes));
      ok = b->alphaPlane != nullptr;
    }
    if (ok && type != kSoftTypeGray8) {
      b->runTable = static_cast<uint8_t*>(AllocLibMemory((size_t(width) + 5) * size_t(height)));
      ok = b->runTable != nullptr;
    }
  }
  if (!ok) {
    FreeBlock(b);
    return -1;
  }
  view->magic = kSoftSurfaceMagic;
  view->width = width;
  view->height = height;
  view->pixels = b->pixels;
  view->alpha = b->alphaPlane;
  view->base = b;
  return 0;
}

int SoftSurfaceCreateForScreen(SOFTSURFACE* view, int32_t width, int32_t height, int32_t type) {
  if (!view) return -1;
  *view = SOFTSURFACE{};
  return SoftSurfaceCreate(view, width, height, -1, 0, type == -1 ? State().screenType : type, 0, 0, 0, nullptr);
}

void SetSoftSurfaceScreenType(int32_t type) { State().screenType = type; }

int SoftSurfaceIsValid(const SOFTSURFACE* view) {
  return view && view->magic == kSoftSurfaceMagic && view->base ? 1 : 0;
}

void SoftSurfaceRelease(SOFTSURFACE* view) {
  if (!view || view->magic != kSoftSurfaceMagic) return;
  SoftSurfaceShared* b = view->base;
  if (b && --b->references <= 0) FreeBlock(b);
  view->base = nullptr;
  view->magic = 0;
}

int SoftSurfaceMakeView(SOFTSURFACE* newView, const SOFTSURFACE* source, int32_t x, int32_t y, int32_t width,
                        int32_t height) {
  if (!newView || !SoftSurfaceIsValid(source)) return -1;
  if (x < 0 || y < 0 || width < 0 || height < 0 || int64_t{x} + width > source->width ||
      int64_t{y} + height > source->height)
    return -1;
  SoftSurfaceShared* b = source->base;
  const ptrdiff_t offset = ptrdiff_t(y) * b->pitch + ptrdiff_t(x) * b->bytesPerPixel;
  newView->magic = kSoftSurfaceMagic;
  newView->width = width;
  newView->height = height;
  newView->pixels = source->pixels + offset;
  newView->alpha = source->alpha ? source->alpha + offset : nullptr;
  newView->base = b;
  ++b->references;
  return 0;
}

int SoftSurfaceFillRaw(SOFTSURFACE* view, const DrawRect* rect, uint32_t raw) {
  if (!SoftSurfaceIsValid(view)) return 0;
  const DrawRect whole{0, 0, view->width, view->height};
  DrawRect r = rect ? *rect : whole;
  ClipRectToRect(&r, &whole);
  SoftSurfaceShared& b = *view->base;
  // The run table no longer describes the pixels.
  if (r.right <= r.left || r.bottom <= r.top) return 0;
  b.runTableValid = 0;
  const int bytes = b.bytesPerPixel;
  if (bytes != 1 && bytes != 2 && bytes != 4) return 0;
  // The value as a four-byte pattern that every row repeats from its first byte.
  const uint32_t pattern = softrender::PixelPattern(raw, bytes);
  const size_t rowBytes = size_t(r.right - r.left) * size_t(bytes);
  const ptrdiff_t pitch = b.pitch;
  uint8_t* row = view->pixels + ptrdiff_t(r.top) * pitch + ptrdiff_t(r.left) * bytes;
  if (ptrdiff_t(rowBytes) == pitch) {
    // Rows that follow one another without a gap are one fill.
    softrender::FillPattern(row, rowBytes * size_t(r.bottom - r.top), pattern);
    return 0;
  }
  for (int32_t y = r.top; y < r.bottom; ++y, row += pitch) softrender::FillPattern(row, rowBytes, pattern);
  return 0;
}

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
  b->runTableTransparentValue = b->transparentValue;
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
