// The JPEG writer through libjpeg: RGB rows, the library's defaults, the given
// quality with baseline tables.
#include <cstring>

#include "library/graphics/images/image_jpeg_common.h"
#include "library/graphics/images/image_writers.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

int WriteJpegFile(const char* fileName, const RasterImage* image, int quality) {
  if (image->format.compressedKind != 0 || !image->pixels || image->width <= 0 || image->height <= 0) return -1;
  FILE* file = detail::CreateImageFile(fileName);
  if (!file) return -1;
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  detail::JpegErrorManager err;
  cinfo.err = detail::SetupJpegErrors(&err);
  uint8_t* volatile block = nullptr;
  JSAMPROW* volatile rows = nullptr;
  if (setjmp(err.errorPoint)) {
    detail::FreeRasterMemory(rows);
    detail::FreeRasterMemory(block);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
    return -1;
  }
  jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = JDIMENSION(image->width);
  cinfo.image_height = JDIMENSION(image->height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = size_t(image->width) * 3;
  block = static_cast<uint8_t*>(detail::AllocRasterMemory(rowBytes * size_t(image->height)));
  rows = static_cast<JSAMPROW*>(detail::AllocRasterMemory(sizeof(JSAMPROW) * size_t(image->height)));
  if (!block || !rows) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  for (int y = 0; y < image->height; ++y) {
    rows[y] = block + size_t(y) * rowBytes;
    for (int x = 0; x < image->width; ++x) detail::ReadPixelRgb(*image, x, y, rows[y] + 3 * x);
  }
  jpeg_write_scanlines(&cinfo, rows, JDIMENSION(image->height));
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  detail::FreeRasterMemory(rows);
  detail::FreeRasterMemory(block);
  return std::fclose(file) == 0 ? 0 : -1;
}

}  // namespace veziv
