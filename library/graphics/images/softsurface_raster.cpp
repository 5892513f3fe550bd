// Software images and image records: the pixel formats of the image types,
// copying between two images, and filling an image from a decoded picture.
#include "library/graphics/images/softsurface_raster.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>

#include "library/graphics/images/raster_image.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {
namespace {

// Index: type * 4 + alpha * 2 + palette.
struct SoftFormatCache {
  std::once_flag once;
  PixelFormatDesc formats[16];
};

struct MovieFormatCache {
  std::once_flag once;
  MoviePixelFormat formats[16];
};

struct FormatCaches {
  SoftFormatCache soft;
  MovieFormatCache movie;
};

FormatCaches& State() {
  static FormatCaches state;
  return state;
}

void BuildMovieFormats(MovieFormatCache& cache) {
  for (int i = 0; i < 16; ++i) {
    const PixelFormatDesc* d = SoftSurfacePixelFormat(i / 4, (i / 2) % 2, i % 2);
    MoviePixelFormat& m = cache.formats[i];
    m = MoviePixelFormat{32, 0x40, 0, d->colorBits, d->redMask, d->greenMask, d->blueMask, d->alphaMask};
    if (i / 4 >= kSoftTypeGray8) m.alphaMask = m.redMask;  // single channel: every mask the same
  }
}

void BuildFormats(SoftFormatCache& cache) {
  for (int type = 0; type < 4; ++type) {
    for (int alpha = 0; alpha < 2; ++alpha) {
      for (int palette = 0; palette < 2; ++palette) {
        PixelFormatDesc& d = cache.formats[type * 4 + alpha * 2 + palette];
        d = PixelFormatDesc{};
        const bool withAlpha = alpha != 0 && palette == 0;
        switch (type) {
          case kSoftType16:
            SetPixelFormatDescFromMasks(&d, withAlpha ? 32 : 16, 0xF800, 0x07E0, 0x001F, withAlpha ? 0x00FF0000 : 0);
            break;
          case kSoftType32:
            if (withAlpha) {
              SetPixelFormatDescA8R8G8B8(&d);
            } else {
              SetPixelFormatDescX8R8G8B8(&d);
            }
            break;
          case kSoftTypeGray8:
            SetPixelFormatDescFromMasks(&d, 8, 0xFF, 0xFF, 0xFF, 0);
            break;
          default:
            SetPixelFormatDescFromMasks(&d, 16, 0xFFFF, 0xFFFF, 0xFFFF, 0);
            break;
        }
        if (palette != 0 && type <= kSoftType32) {
          d.colorBits = 8;
          d.bytesPerPixel = 1;
        }
      }
    }
  }
}

const PixelFormatDesc* BlockFormat(const SoftSurfaceShared* block) {
  return block->format != nullptr ? block->format
                                  : SoftSurfacePixelFormat(block->type, block->alphaFlag, block->paletteFlag);
}

// A view's top-left pixel offset inside its block, in pixels.
void ViewOrigin(const SOFTSURFACE* view, int* x, int* y) {
  const SoftSurfaceShared* b = view->base;
  const ptrdiff_t offset = view->pixels - b->pixels;
  *y = static_cast<int>(offset / b->pitch);
  *x = static_cast<int>((offset % b->pitch) / b->bytesPerPixel);
}

void FillPaletteFromImage(const RasterImage* image, SoftSurfaceShared* block) {
  if (block->palette == nullptr) return;
  for (int i = 0; i < 256; ++i) {
    const uint32_t b = image->format.palette[i][0];
    const uint32_t g = image->format.palette[i][1];
    const uint32_t r = image->format.palette[i][2];
    if (block->type == kSoftType16) {
      const uint16_t entry = static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
      std::memcpy(block->palette + i * 2, &entry, 2);
    } else {
      const uint32_t entry = r << 16 | g << 8 | b;
      std::memcpy(block->palette + i * 4, &entry, 4);
    }
  }
  std::memcpy(block->paletteCopy, block->palette, 1024);
}

}  // namespace

const PixelFormatDesc* SoftSurfacePixelFormat(int type, int alphaFlag, int paletteFlag) {
  if (type < 0 || type > 3) return nullptr;
  SoftFormatCache& cache = State().soft;
  std::call_once(cache.once, BuildFormats, std::ref(cache));
  return &cache.formats[type * 4 + (alphaFlag ? 2 : 0) + (paletteFlag ? 1 : 0)];
}

const MoviePixelFormat* GetMoviePixelFormat(int type, int alphaFlag, int paletteFlag) {
  if (type < 0 || type > 3) return nullptr;
  MovieFormatCache& cache = State().movie;
  std::call_once(cache.once, BuildMovieFormats, std::ref(cache));
  return &cache.formats[type * 4 + (alphaFlag ? 2 : 0) + (paletteFlag ? 1 : 0)];
}

void BuildPixelFormatFromMovieFormat(const MoviePixelFormat* record, PixelFormatDesc* desc) {
  *desc = PixelFormatDesc{};
  desc->colorBits = static_cast<uint16_t>(record->bitCount);
  desc->bytesPerPixel = static_cast<uint16_t>(record->bitCount / 8);
  desc->redMask = record->redMask;
  desc->greenMask = record->greenMask;
  desc->blueMask = record->blueMask;
  desc->alphaMask = record->alphaMask;
  detail::MaskShiftAndWidth(desc->redMask, &desc->redShift, &desc->redWidth);
  detail::MaskShiftAndWidth(desc->greenMask, &desc->greenShift, &desc->greenWidth);
  detail::MaskShiftAndWidth(desc->blueMask, &desc->blueShift, &desc->blueWidth);
  detail::MaskShiftAndWidth(desc->alphaMask, &desc->alphaShift, &desc->alphaWidth);
  const uint32_t all = record->bitCount >= 32 ? 0xFFFFFFFFu : (1u << record->bitCount) - 1u;
  desc->unusedMask = all & ~(desc->redMask | desc->greenMask | desc->blueMask | desc->alphaMask);
  detail::MaskShiftAndWidth(desc->unusedMask, &desc->unusedShift, &desc->unusedWidth);
}

void ClearPixelFormatInfo(MoviePixelFormat* record) {
  if (record != nullptr) *record = MoviePixelFormat{};
}

int SoftSurfaceCopyRect(SOFTSURFACE* destination, const SOFTSURFACE* source, const DrawRect* srcRect, int dstX,
                        int dstY) {
  if (!SoftSurfaceIsValid(destination) || !SoftSurfaceIsValid(source)) return -1;
  DrawRect r = srcRect != nullptr ? *srcRect : DrawRect{0, 0, source->width, source->height};
  // The converter clips nothing: cut the rectangle to the source and to the
  // destination, moving the destination with a cut left or top edge.
  if (r.left < 0) {
    dstX -= r.left;
    r.left = 0;
  }
  if (r.top < 0) {
    dstY -= r.top;
    r.top = 0;
  }
  if (dstX < 0) {
    r.left -= dstX;
    dstX = 0;
  }
  if (dstY < 0) {
    r.top -= dstY;
    dstY = 0;
  }
  r.right = std::min({r.right, source->width, r.left + (destination->width - dstX)});
  r.bottom = std::min({r.bottom, source->height, r.top + (destination->height - dstY)});
  if (r.right <= r.left || r.bottom <= r.top) return -1;
  const SoftSurfaceShared* d = destination->base;
  const SoftSurfaceShared* s = source->base;
  destination->base->runTableValid = 0;
  destination->base->alphaPlaneValid = 0;
  return ConvertPixelsBlock(destination->pixels, d->pitch, BlockFormat(d), source->pixels, s->pitch, BlockFormat(s),
                            nullptr, 0, nullptr, dstX, dstY, &r, 0, 0, 0, 0, 0, 0, 0, 0);
}

int SoftSurfaceFromRaster(const RasterImage* image, const RasterImage* alphaImage, SOFTSURFACE* view, int srcX,
                          int srcY, int width, int height, int dstX, int dstY, int keyAlpha) {
  if (image == nullptr || !SoftSurfaceIsValid(view) || width < 0 || height < 0) return -1;
  if (srcX < 0 || srcY < 0 || dstX < 0 || dstY < 0 || width > image->width - srcX ||
      height > image->height - srcY || width > view->width - dstX || height > view->height - dstY) {
    return -1;
  }
  if (alphaImage != nullptr && (width > alphaImage->width - srcX || height > alphaImage->height - srcY)) return -1;
  // Block-compressed pixels have no rows to convert; callers decode them first.
  if (image->format.compressedKind != 0 || (alphaImage != nullptr && alphaImage->format.compressedKind != 0)) {
    return -1;
  }
  SoftSurfaceShared* block = view->base;
  const PixelFormatDesc* format = BlockFormat(block);
  int red = 0, green = 0, blue = 0;
  GetColorOfColorCode(format, block->transparentValue, &red, &green, &blue, nullptr);
  const uint32_t keyColor = static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 |
                            static_cast<uint32_t>(blue);
  const DrawRect rect{srcX, srcY, srcX + width, srcY + height};
  const int result = ConvertPixelsBlock(
      view->pixels, block->pitch, format, image->pixels, image->pitch, &image->format,
      alphaImage != nullptr ? alphaImage->pixels : nullptr, alphaImage != nullptr ? alphaImage->pitch : 0,
      alphaImage != nullptr ? &alphaImage->format : nullptr, dstX, dstY, &rect, 0, keyAlpha, keyColor, 0, 0, 0, 0, 0);
  if (result < 0) return result;
  if (block->paletteFlag) {
    if (alphaImage == nullptr) block->paletteColorCount = result + 1;
    FillPaletteFromImage(image, block);
  }
  block->alphaPlaneValid = 0;
  block->runTableValid = 0;
  // Only a picture that fills the whole image describes it completely.
  if (width != view->width || height != view->height) return result;
  if (block->type > kSoftType32 || block->runTable == nullptr) return result;
  int originX = 0, originY = 0;
  ViewOrigin(view, &originX, &originY);
  if (originX != 0 || originY != 0 || view->width != block->width || view->height != block->height) return result;
  if (block->alphaFlag && block->alphaPlane != nullptr) BuildSoftSurfaceAlphaPlane(block);
  BuildSoftSurfaceRunTable(block);
  return result;
}

}  // namespace veziv
