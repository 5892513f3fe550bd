// Screen capture: on the software road the draw target's image is read in
// place, copied into a graph's view or described by an image record that
// points into its pixels for the file writers; on the device the target's
// rectangle is copied into the graph's textures on the device, and read back
// only to be written to a file.
#include "library/veziv.h"
#include "library/graphics/images/softsurface_raster.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/image_writers.h"
#include "library/graphics/images/pixel_format.h"
#include "library/graphics/images/raster_image.h"
#include "library/softrender/surface/softsurface.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/device/graph_textures.h"

namespace veziv {
namespace {

// The draw target's image when (x1, y1)-(x2, y2) lies inside it, else null.
// While masked drawing is on, the mask image holds only the parts drawn
// through it, so the target's own image is read.
SOFTSURFACE* TargetHolding(int x1, int y1, int x2, int y2) {
  SOFTSURFACE* target = DrawTargetOwnImage();
  if (!SoftSurfaceIsValid(target)) return nullptr;
  if (x1 < 0 || x1 >= x2 || x2 > target->width || y1 < 0 || y1 >= y2 || y2 > target->height) return nullptr;
  return target;
}

// A palette image keeps its entries in its type's own pixel layout; the image
// record wants blue, green and red bytes.
void CopyPalette(const SoftSurfaceShared& block, PixelFormatDesc* format) {
  const PixelFormatDesc* entryFormat = SoftSurfacePixelFormat(block.type, 0, 0);
  const int entryBytes = block.type == kSoftType16 ? 2 : 4;
  for (int i = 0; i < 256; ++i) {
    uint32_t entry = 0;
    std::memcpy(&entry, block.palette + i * entryBytes, static_cast<size_t>(entryBytes));
    int red = 0, green = 0, blue = 0;
    GetColorOfColorCode(entryFormat, entry, &red, &green, &blue, nullptr);
    format->palette[i][0] = static_cast<uint8_t>(blue);
    format->palette[i][1] = static_cast<uint8_t>(green);
    format->palette[i][2] = static_cast<uint8_t>(red);
    format->palette[i][3] = 0;
  }
}

// The rectangle as an image record over the target's own pixels: nothing is
// copied, and the record must not be freed.
RasterImage DescribeRegion(const SOFTSURFACE& target, int x1, int y1, int x2, int y2) {
  const SoftSurfaceShared& block = *target.base;
  RasterImage region{};
  region.format = block.format != nullptr ? *block.format
                                          : *SoftSurfacePixelFormat(block.type, block.alphaFlag, block.paletteFlag);
  if (block.paletteFlag && block.palette != nullptr && block.type <= kSoftType32) CopyPalette(block, &region.format);
  region.width = x2 - x1;
  region.height = y2 - y1;
  region.pitch = block.pitch;
  region.pixels = target.pixels + static_cast<ptrdiff_t>(y1) * block.pitch +
                  static_cast<ptrdiff_t>(x1) * block.bytesPerPixel;
  return region;
}

// Copies through a separate image: a graph captured from its own store (the
// graph itself or one sharing its store) may overlap the rectangle it reads.
int CopyThroughScratch(SOFTSURFACE* destination, const SOFTSURFACE* source, const DrawRect& rect) {
  const SoftSurfaceShared& b = *source->base;
  SOFTSURFACE scratch{};
  if (SoftSurfaceCreate(&scratch, rect.right - rect.left, rect.bottom - rect.top, -1, b.transparentValue, b.type,
                        b.paletteFlag, b.alphaFlag, 0, nullptr) != 0) {
    return -1;
  }
  int result = SoftSurfaceCopyRect(&scratch, source, &rect, 0, 0);
  if (result >= 0) result = SoftSurfaceCopyRect(destination, &scratch, nullptr, 0, 0);
  SoftSurfaceRelease(&scratch);
  return result;
}

// The draw target's one texture holding (x1, y1)-(x2, y2), and where the
// rectangle lies in it; false when none holds it whole.
bool DeviceTargetHolding(int x1, int y1, int x2, int y2, platform::gpu::TextureId* texture, DrawRect* rect) {
  int width = 0, height = 0;
  if (QueryGraphDimensions(GetCurrentDrawTarget(), &width, &height) != 0) return false;
  if (x1 < 0 || x1 >= x2 || x2 > width || y1 < 0 || y1 >= y2 || y2 > height) return false;
  detail::RenderTargets targets;
  if (!detail::DrawTargetTextures(&targets)) return false;
  FlushVertexBatch();
  for (int i = 0; i < targets.count; ++i) {
    const DrawRect in{x1 - targets.originX[i], y1 - targets.originY[i], x2 - targets.originX[i], y2 - targets.originY[i]};
    if (targets.count > 1 && (in.left < 0 || in.top < 0)) continue;
    *texture = targets.texture[i];
    *rect = in;
    return true;
  }
  return false;
}

int CaptureOnDevice(int x1, int y1, int x2, int y2, GraphRecord* record) {
  if (x2 - x1 != record->width || y2 - y1 != record->height) return -1;
  platform::gpu::TextureId texture = 0;
  DrawRect rect{};
  if (!DeviceTargetHolding(x1, y1, x2, y2, &texture, &rect)) return -1;
  return detail::CopyTargetIntoGraph(texture, rect, record);
}

int WriteFromDevice(int x1, int y1, int x2, int y2, const char* fileName, int type, int jpegQuality, int pngOption) {
  platform::gpu::TextureId texture = 0;
  DrawRect rect{};
  if (!DeviceTargetHolding(x1, y1, x2, y2, &texture, &rect)) return -1;
  EndSceneIfOpen();
  std::vector<uint32_t> pixels(static_cast<size_t>(x2 - x1) * static_cast<size_t>(y2 - y1));
  if (!detail::GpuDevice()->CaptureTargetRect(texture, {rect.left, rect.top, rect.right, rect.bottom}, pixels.data()))
    return -1;
  RasterImage region{};
  SetPixelFormatDescX8R8G8B8(&region.format);
  region.width = x2 - x1;
  region.height = y2 - y1;
  region.pitch = region.width * 4;
  region.pixels = pixels.data();
  switch (type) {
    case 0: SaveRasterImageAsBmp(fileName, &region); break;
    case 1: WriteJpegFile(fileName, &region, jpegQuality); break;
    case 2: WritePngFile(fileName, &region, pngOption); break;
    default: break;
  }
  return 0;
}

}  // namespace

int CaptureScreenToGraph(int x1, int y1, int x2, int y2, int graph) {
  GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr || !SoftSurfaceIsValid(&record->view)) return -1;
  if (detail::GpuInUse()) return CaptureOnDevice(x1, y1, x2, y2, record);
  const SOFTSURFACE* target = TargetHolding(x1, y1, x2, y2);
  if (target == nullptr || x2 - x1 != record->width || y2 - y1 != record->height) return -1;
  const DrawRect rect{x1, y1, x2, y2};
  const int result = target->base == record->view.base ? CopyThroughScratch(&record->view, target, rect)
                                                        : SoftSurfaceCopyRect(&record->view, target, &rect, 0, 0);
  return result < 0 ? -1 : 0;
}

int WriteScreenRegionImage(int x1, int y1, int x2, int y2, const char* fileName, int type, int jpegQuality,
                           int /*jpegOption*/, int pngOption) {
  if (detail::GpuInUse()) return WriteFromDevice(x1, y1, x2, y2, fileName, type, jpegQuality, pngOption);
  const SOFTSURFACE* target = TargetHolding(x1, y1, x2, y2);
  if (target == nullptr) return -1;
  const RasterImage region = DescribeRegion(*target, x1, y1, x2, y2);
  int written = 0;
  switch (type) {
    case 0:
      written = SaveRasterImageAsBmp(fileName, &region);
      break;
    case 1:
      written = WriteJpegFile(fileName, &region, jpegQuality);
      break;
    case 2:
      written = WritePngFile(fileName, &region, pngOption);
      break;
    default:
      break;
  }
  return written == 0 ? 0 : -1;
}

int WriteScreenRegionJpeg(int x1, int y1, int x2, int y2, const char* fileName, int quality, int option) {
  return WriteScreenRegionImage(x1, y1, x2, y2, fileName, 1, quality, option, -1);
}

}  // namespace veziv
