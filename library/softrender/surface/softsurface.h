// Software images: a SOFTSURFACE view over a reference-counted SoftSurfaceShared
// block that owns the pixels, the optional palette, premultiplied alpha plane and
// per-row transparency run table. The software renderer reads these records;
// the functions that make and fill them live in softsurface.cpp. Depends on the
// foundation's allocator and rectangles only.
#pragma once

#include <cstdint>

#include "library/foundation/core/rect_matrix.h"

namespace veziv {

// The graphics layer's description of the pixel format; the renderer never
// reads it, it only travels with the block.
struct PixelFormatDesc;

inline constexpr uint32_t kSoftSurfaceMagic = 0x12345678;

// Pixel types of a software image.
inline constexpr int32_t kSoftType16 = 0;        // R5G6B5 (4 bytes a pixel with alpha: word, alpha byte, unused)
inline constexpr int32_t kSoftType32 = 1;        // X8R8G8B8, bytes blue, green, red, fourth (alpha with the alpha flag)
inline constexpr int32_t kSoftTypeGray8 = 2;     // 8-bit single channel
inline constexpr int32_t kSoftTypeGray16 = 3;    // 16-bit single channel

struct SoftSurfaceShared {
  int32_t references;
  int32_t width;
  int32_t height;
  int32_t pitch;
  int32_t pitchShift;
  const PixelFormatDesc* format;
  uint32_t transparentValue;
  int32_t type;
  int32_t paletteFlag;
  int32_t paletteColorCount;
  int32_t alphaFlag;
  int32_t alphaPlaneValid;
  int32_t runTableValid;
  int32_t userMemory;
  uint8_t* palette;      // 1024 bytes, entries in the type's own pixel layout
  uint8_t* paletteCopy;  // the second 1024 bytes of the same allocation
  uint8_t* pixels;       // pitch x height bytes
  uint8_t* alphaPlane;   // pitch x height bytes, or null
  uint8_t* runTable;     // (width + 5) x height bytes, or null
  // Bytes per pixel of the format, kept beside it so that the renderer reads the
  // block alone.
  int32_t bytesPerPixel;
  // The transparent value the run table was built with: a table built before
  // the value changed classes other pixels as transparent.
  uint32_t runTableTransparentValue;
};

struct SOFTSURFACE {
  uint32_t magic;
  int32_t width;
  int32_t height;
  uint8_t* pixels;  // the view's top-left pixel
  uint8_t* alpha;   // the same pixel in the alpha plane, or null
  SoftSurfaceShared* base;
};

// Run table: per row, code bytes of kind (bits 7-6) and length - 1 (bits 5-0),
// closed by kRunEndOfRow. Any byte with both top bits set ends a row.
inline constexpr uint8_t kRunTransparent = 0;
inline constexpr uint8_t kRunOpaque = 1;
inline constexpr uint8_t kRunPartial = 2;
inline constexpr uint8_t kRunEndOfRow = 0xC0;
inline constexpr int kRunMaxLength = 64;

inline constexpr uint8_t RunCode(uint8_t kind, int length) {
  return static_cast<uint8_t>(kind << 6 | (length - 1));
}
inline constexpr uint8_t RunKind(uint8_t code) { return static_cast<uint8_t>(code >> 6); }
inline constexpr int RunLength(uint8_t code) { return (code & 0x3F) + 1; }

// Sets up `view` over a new block: pitch -1 takes bytes per pixel x width
// rounded up to 16; userPixels (or null) is pixel memory that stays the
// caller's; extraPlanes adds the alpha plane (alpha images) and the run table.
// 0, or -1 when the view is already set up, the arguments cannot make an image
// or memory runs out (the view is then left as it was).
int SoftSurfaceCreate(SOFTSURFACE* view, int32_t width, int32_t height, int32_t pitch, uint32_t transparentValue,
                      int32_t type, int32_t paletteFlag, int32_t alphaFlag, int32_t extraPlanes, void* userPixels);
// Zeroes the view, then creates a plain image of the given type (-1: the
// screen's type) with default pitch, transparent value 0 and own memory.
int SoftSurfaceCreateForScreen(SOFTSURFACE* view, int32_t width, int32_t height, int32_t type);
// 1 when the view is set up and has a block, else 0.
int SoftSurfaceIsValid(const SOFTSURFACE* view);
// Drops the view's reference (the last one frees the block) and clears the
// view; an unset view is left alone.
void SoftSurfaceRelease(SOFTSURFACE* view);
// Makes newView cover the rectangle (x, y, width, height) of source, sharing its
// block; a rectangle not inside source leaves newView untouched. 0 or -1.
int SoftSurfaceMakeView(SOFTSURFACE* newView, const SOFTSURFACE* source, int32_t x, int32_t y, int32_t width,
                        int32_t height);
// Writes raw (1, 2 or 4 bytes a pixel) into every pixel of rect (null: the
// whole view) clipped to the view. Returns 0.
int SoftSurfaceFillRaw(SOFTSURFACE* view, const DrawRect* rect, uint32_t raw);
// The type that SoftSurfaceCreateForScreen takes for -1: 0 for a 16-bit
// screen, else 1 (set by graphics start-up; 1 until then).
void SetSoftSurfaceScreenType(int32_t type);

// Bytes per pixel of a (type, palette, alpha) combination; 0 for an unknown type.
int SoftSurfaceBytesPerPixel(int type, int paletteFlag, int alphaFlag);

// Writes the run table of the whole image into the block's table storage and
// marks it valid; does nothing for a block without storage or of type 2 or 3.
void BuildSoftSurfaceRunTable(SoftSurfaceShared* block);
// Computes the premultiplied alpha plane of an alpha image and marks it valid;
// does nothing without the alpha flag or the plane.
void BuildSoftSurfaceAlphaPlane(SoftSurfaceShared* block);

}  // namespace veziv
