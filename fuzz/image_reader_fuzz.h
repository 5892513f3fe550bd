// Shared body of the image reader targets: the bytes go through one reader over
// a memory stream. An accepted image must be consistent (size, pitch, every row
// readable, DXT data decodable); a refused one must leave nothing allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "library/foundation/files/streams.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_stream.h"

namespace veziv::fuzzing {

inline void CheckImage(RasterImage& image) {
  if (!image.pixels || image.width <= 0 || image.height <= 0) std::abort();
  if (image.format.compressedKind != 0 && DecompressRasterImageDxt(&image) != 0) return;
  const int64_t rowBytes = int64_t(image.width) * image.format.bytesPerPixel;
  if (rowBytes > image.pitch || image.format.bytesPerPixel < 1 || image.format.bytesPerPixel > 4) std::abort();
  unsigned sum = 0;
  for (int y = 0; y < image.height; ++y) {
    const auto* row = static_cast<const uint8_t*>(image.pixels) + int64_t(y) * image.pitch;
    for (int64_t i = 0; i < rowBytes; ++i) sum += row[i];
  }
  // Keeps the reads from being optimised away.
  if (sum == 0xFFFFFFFFu) std::abort();
  // The description a file gave (DDS masks above all) must be safe to use:
  // pixel access and the converter on the first row and the last pixel.
  int r, g, b, a;
  if (GetRasterImagePixel(&image, image.width - 1, image.height - 1, &r, &g, &b, &a) != 0) std::abort();
  PixelFormatDesc argb{};
  SetPixelFormatDescA8R8G8B8(&argb);
  std::vector<uint8_t> row(size_t(image.width) * 4);
  const DrawRect rect{0, 0, image.width, 1};
  for (int dither = 0; dither < 3; ++dither)
    ConvertPixelsBlock(row.data(), int(row.size()), &argb, image.pixels, image.pitch, &image.format, nullptr, 0,
                       nullptr, 0, 0, &rect, dither == 1, 0, 0, dither, 0, dither == 2, 0, 0);
}

// budget: the largest picture decoded. Images up to 16 MB keep the runs fast;
// the readers' checks are the same at any budget.
inline int FuzzImageReader(int (*reader)(ImageStream*, RasterImage*), const uint8_t* data, size_t size,
                           int64_t budget = int64_t(1) << 24) {
  if (size > 1u << 24) return 0;
  SilenceLog();
  detail::SetMaxReadBytes(budget);
  MemoryStreamState* state = OpenMemoryStream(data, int(size));
  if (!state) return 0;
  ImageStream stream{*GetMemoryStreamTable(), reinterpret_cast<StreamValue>(state)};
  RasterImage image{};
  const int result = reader(&stream, &image);
  stream.table.close(stream.stream);
  if (result == 0)
    CheckImage(image);
  else if (image.pixels)
    std::abort();
  FreeRasterImage(&image);
  return 0;
}

}  // namespace veziv::fuzzing
