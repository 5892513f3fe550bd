// The PNG writer through libpng: 8-bit RGB, every filter, the caller's zlib level.
#include <png.h>

#include <csetjmp>

#include "library/graphics/images/image_writers.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

int WritePngFile(const char* fileName, const RasterImage* image, int level) {
  if (image->format.compressedKind != 0 || !image->pixels || image->width <= 0 || image->height <= 0) return -1;
  FILE* file = detail::CreateImageFile(fileName);
  if (!file) return -1;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    return -1;
  }
  png_bytep* volatile rows = nullptr;
  uint8_t* volatile block = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    detail::FreeRasterMemory(rows);
    detail::FreeRasterMemory(block);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return -1;
  }
  png_init_io(png, file);
  png_set_filter(png, 0, PNG_ALL_FILTERS);
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, png_uint_32(image->width), png_uint_32(image->height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t rowBytes = size_t(image->width) * 3;
  block = static_cast<uint8_t*>(detail::AllocRasterMemory(rowBytes * size_t(image->height)));
  rows = static_cast<png_bytep*>(detail::AllocRasterMemory(sizeof(png_bytep) * size_t(image->height)));
  if (!block || !rows) png_error(png, "Out of memory");
  for (int y = 0; y < image->height; ++y) {
    rows[y] = block + size_t(y) * rowBytes;
    for (int x = 0; x < image->width; ++x) detail::ReadPixelRgb(*image, x, y, rows[y] + 3 * x);
  }
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  detail::FreeRasterMemory(rows);
  detail::FreeRasterMemory(block);
  return std::fclose(file) == 0 ? 0 : -1;
}

}  // namespace veziv
