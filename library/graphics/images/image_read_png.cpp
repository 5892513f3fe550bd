// PNG reader through libpng, reading from a library stream. Palette images
// stay 8-bit indices unless a transparency chunk asks for expansion; 16-bit
// channels are cut to 8; grey with alpha keeps the grey byte and leaves the
// alpha byte unused, as stored images expect.
#include <png.h>

#include <atomic>
#include <csetjmp>
#include <cstdlib>
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

// No block libpng asks for may be larger than the bytes left in the stream
// (a chunk cannot hold more), or than a floor that covers its row buffers and
// zlib's window for the widest picture accepted.
constexpr int64_t kPngAllocationFloor = int64_t(1) << 20;

// Deflate makes at most 1032 bytes from each compressed byte.
constexpr int64_t kDeflateMaxRatio = 1032;

struct PngAllocationLimit {
  int64_t largest;
};

png_voidp PngAllocate(png_structp png, png_alloc_size_t size) {
  const auto* limit = static_cast<const PngAllocationLimit*>(png_get_mem_ptr(png));
  if (limit && size > uint64_t(limit->largest)) return nullptr;
  return std::malloc(size);
}

void PngFree(png_structp, png_voidp block) { std::free(block); }

std::atomic<bool>& SkipChecksums() {
  static std::atomic<bool> skip{false};
  return skip;
}

void PngStreamRead(png_structp png, png_bytep data, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->remaining < int64_t(length) || !detail::ReadStreamExact(*source->stream, data, length))
    png_error(png, "Read Error");
  source->remaining -= int64_t(length);
}

// A broken file is refused through the return value: libpng's messages stay
// off the program's error stream.
[[noreturn]] void PngSilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngSilentWarning(png_structp, png_const_charp) {}

}  // namespace

namespace detail {

void SkipPngChecksumsForFuzzing(bool skip) { SkipChecksums().store(skip); }

}  // namespace detail

int ReadPngToRasterImage(ImageStream* stream, RasterImage* image) {
  const int64_t here = detail::TellStream(*stream), size = detail::StreamSize(*stream);
  if (here < 0 || size < here) return -1;
  PngAllocationLimit limit{size - here > kPngAllocationFloor ? size - here : kPngAllocationFloor};
  png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, PngSilentError, PngSilentWarning,
                                             &limit, PngAllocate, PngFree);
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
  source.remaining = size - here;
  png_set_read_fn(png, &source, PngStreamRead);
  png_set_sig_bytes(png, 0);
  // libpng's own limits: the sides, ancillary chunks kept and their size, and
  // every "benign" error (a chunk too large for memory among them) an error.
  png_set_user_limits(png, png_uint_32(detail::kMaxPictureSide), png_uint_32(detail::kMaxPictureSide));
  png_set_chunk_cache_max(png, 1000);
  png_set_chunk_malloc_max(png, png_alloc_size_t(limit.largest));
  png_set_benign_errors(png, 0);
  if (SkipChecksums().load()) png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  // The compressed rows must be able to fill the picture at all.
  const int64_t storedBytes = (int64_t(png_get_rowbytes(png, info)) + 1) * int64_t(height);
  if (storedBytes > source.remaining * kDeflateMaxRatio + kPngAllocationFloor) png_error(png, "Image too large");
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
  if (width == 0 || height == 0 || rowBytes == 0 || int64_t(rowBytes) * height > detail::MaxReadBytes())
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
