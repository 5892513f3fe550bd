// PNG reader through libpng, reading from a library stream. Palette images
// stay 8-bit indices unless a transparency chunk asks for expansion; 16-bit
// channels are cut to 8; grey with alpha keeps the grey byte and leaves the
// alpha byte unused, as stored images expect.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

namespace {

struct PngSource {
  const ImageStream* stream;
  int64_t remaining;
};

void PngStreamRead(png_structp png, png_bytep data, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->remaining < int64_t(length) || !detail::ReadStreamExact(*source->stream, data, length))
    png_error(png, "Read Error");
  source->remaining -= int64_t(length);
}

}  // namespace

int ReadPngToRasterImage(ImageStream* stream, RasterImage* image) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return -1;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return -1;
  }
  // Everything the error return needs lives outside the frames libpng jumps over.
  uint8_t* volatile pixels = nullptr;
  png_bytep* volatile rows = nullptr;
  PngSource source{stream, 0};
  if (setjmp(png_jmpbuf(png))) {
    detail::FreeRasterMemory(rows);
    detail::FreeRasterMemory(pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    return -1;
  }
  const int64_t here = detail::TellStream(*stream), size = detail::StreamSize(*stream);
  source.remaining = size - here;
  png_set_read_fn(png, &source, PngStreamRead);
  png_set_sig_bytes(png, 0);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  png_set_strip_16(png);
  png_set_packing(png);
  png_set_packswap(png);
  bool expanded = false;
  if ((colourType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8) || png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_expand(png);
    expanded = true;
  }
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (width == 0 || height == 0 || rowBytes == 0 || int64_t(rowBytes) * height > detail::MaxImageBytes())
    png_error(png, "Image too large");
  pixels = static_cast<uint8_t*>(detail::AllocRasterMemory(rowBytes * height));
  rows = static_cast<png_bytep*>(detail::AllocRasterMemory(sizeof(png_bytep) * height));
  if (!pixels || !rows) png_error(png, "Out of memory");
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels + size_t(y) * rowBytes;
  png_read_image(png, rows);
  png_read_end(png, nullptr);

  PixelFormatDesc& f = image->format;
  if (colourType == PNG_COLOR_TYPE_PALETTE && !expanded) {
    SetPixelFormatDesc8BitPalette(&f);
    png_colorp palette = nullptr;
    int entries = 0;
    if (png_get_PLTE(png, info, &palette, &entries) & PNG_INFO_PLTE) {
      for (int i = 0; i < entries && i < 256; ++i) {
        f.palette[i][0] = palette[i].blue;
        f.palette[i][1] = palette[i].green;
        f.palette[i][2] = palette[i].red;
        f.palette[i][3] = 0;
      }
    }
  } else if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (rowBytes / 2 < width) {
      SetPixelFormatDesc8BitGray(&f);
    } else {
      // Grey and an alpha byte: all three colour channels read the grey byte.
      std::memset(&f, 0, sizeof f);
      f.colorBits = 16;
      f.bytesPerPixel = 2;
      f.redWidth = f.greenWidth = f.blueWidth = 8;
      f.redMask = f.greenMask = f.blueMask = 0xFF;
      f.unusedMask = 0xFF00;
      f.unusedShift = 8;
      f.unusedWidth = 8;
    }
  } else if (png_get_channels(png, info) == 4) {
    SetPixelFormatDescA8R8G8B8(&f);
  } else {
    SetPixelFormatDesc24Bit(&f);
  }
  image->width = int32_t(width);
  image->height = int32_t(height);
  image->pitch = int32_t(rowBytes);
  image->pixels = pixels;
  image->levelCount = 0;
  detail::FreeRasterMemory(rows);
  png_destroy_read_struct(&png, &info, nullptr);
  return 0;
}

}  // namespace veziv
