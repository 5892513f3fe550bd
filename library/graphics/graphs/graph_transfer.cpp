// Filling a graph's software store from an image record: the region cut to the
// graph, moved by the graph's place in the store, and the palette's
// transparent index found again afterwards.
#include <cstring>

#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/pixel_format.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/softsurface_raster.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace {

// The first palette entry equal to the transparent colour packed for the
// store's type, or 0.
uint32_t PaletteTransparentIndex(const SoftSurfaceShared& block, uint32_t rgb) {
  const PixelFormatDesc* format = SoftSurfacePixelFormat(block.type, block.alphaFlag, 0);
  const uint32_t packed =
      FindColorCodeForImage(format, int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF), 0);
  for (uint32_t i = 0; i < 256; ++i) {
    if (block.type == kSoftType16) {
      uint16_t entry = 0;
      std::memcpy(&entry, block.palette + 2 * i, 2);
      if (entry == (packed & 0xFFFF)) return i;
    } else {
      uint32_t entry = 0;
      std::memcpy(&entry, block.palette + 4 * i, 4);
      if ((entry & 0xFFFFFF) == (packed & 0xFFFFFF)) return i;
    }
  }
  return 0;
}

}  // namespace

int TransferImageToGraph(const RasterImage* image, const RasterImage* alphaImage, const DrawRect* srcRect, int dstX,
                         int dstY, GraphHandle handle, int sourceOption, const char* fileName, int keyAlpha) {
  if (!detail::Screen().started || !image) return -1;
  GraphRecord* record = GetGraphRecord(handle);
  if (!record || !record->drawInfo) return -1;
  if (RegisterGraphSourceFile(handle, fileName, -1) != 0) return -1;
  record->sourceX = srcRect ? srcRect->left - dstX : 0;
  record->sourceY = srcRect ? srcRect->top - dstY : 0;
  record->sourceOption = sourceOption;
  const DrawRect rect = srcRect ? *srcRect : DrawRect{0, 0, image->width, image->height};
  if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width > record->width - dstX) width = record->width - dstX;
  if (height > record->height - dstY) height = record->height - dstY;
  if (width <= 0 || height <= 0) return -1;
  GraphDrawInfo& info = *record->drawInfo;
  const int result = SoftSurfaceFromRaster(image, alphaImage, &info.surface, rect.left, rect.top, width, height,
                                           dstX + record->offsetX, dstY + record->offsetY, keyAlpha);
  if (result < 0) return result;
  const DrawRect stale{dstX + record->offsetX, dstY + record->offsetY, dstX + record->offsetX + width,
                       dstY + record->offsetY + height};
  detail::MarkStoreStale(&info, &stale);
  SoftSurfaceShared& block = *info.surface.base;
  if (info.request.palette && block.paletteFlag && block.palette) {
    int r = 0, g = 0, b = 0;
    GetTransparentColorRGB(&r, &g, &b);
    block.transparentValue = PaletteTransparentIndex(block, uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
  }
  return 0;
}

int SetGraphicSourceImage(const RasterImage* image, const RasterImage* alphaImage, int x, int y, GraphHandle handle,
                          int sourceOption, const char* fileName) {
  const GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  const DrawRect rect{x, y, x + record->width, y + record->height};
  return TransferImageToGraph(image, alphaImage, &rect, 0, 0, handle, sourceOption, fileName, 0);
}

}  // namespace veziv
