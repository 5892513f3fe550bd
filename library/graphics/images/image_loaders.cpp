// The reader chain and the load calls over a file or a memory block, with the
// "_a" alpha companion.
#include "library/graphics/images/image_loaders.h"

#include <cstring>
#include <string>

#include "library/graphics/images/raster_memory.h"

namespace veziv {

namespace {

using Reader = int (*)(ImageStream*, RasterImage*);
const Reader kImageLoaderTable[] = {ReadBmpToRasterImage,  ReadJpegToRasterImage, ReadPngToRasterImage,
                                    ReadBgraToRasterImage, ReadTgaToRasterImage,  ReadDdsToRasterImage,
                                    nullptr};

int MirrorLoadedImage(RasterImage* image) {
  if (DecompressRasterImageDxt(image) != 0) return -1;
  if (image->width <= 0 || image->height <= 0) return -1;
  // The converter copies index images without mirroring them, so those are
  // turned in place.
  // Only the first level is mirrored (and, below, kept): the record says so.
  image->levelCount = 0;
  if (image->format.bytesPerPixel == 1) return MirrorRasterImage(image);
  auto* mirrored = static_cast<uint8_t*>(detail::AllocRasterMemory(size_t(image->pitch) * size_t(image->height)));
  if (!mirrored) return -1;
  DrawRect all{0, 0, image->width, image->height};
  if (ConvertPixelsBlock(mirrored, image->pitch, &image->format, image->pixels, image->pitch, &image->format,
                         nullptr, 0, nullptr, 0, 0, &all, 1, 0, 0, 0, 0, 0, 0, 0) < 0) {
    detail::FreeRasterMemory(mirrored);
    return -1;
  }
  detail::FreeRasterMemory(image->pixels);
  image->pixels = mirrored;
  return 0;
}

}  // namespace

int LoadRasterImageByLoaders(ImageStream* stream, RasterImage* image) {
  for (const Reader* reader = kImageLoaderTable; *reader; ++reader) {
    stream->table.seek(stream->stream, 0, 0);
    std::memset(image, 0, sizeof *image);
    if ((*reader)(stream, image) == 0) return 0;
  }
  return -1;
}

int LoadRasterImageFromSource(const char* fileName, const void* memory, int memorySize, int memoryFlag,
                              int mirror, RasterImage* out) {
  ImageStream stream{};
  if (memoryFlag != 0) {
    MemoryStreamState* state = OpenMemoryStream(memory, memorySize);
    if (!state) return -1;
    stream.table = *GetMemoryStreamTable();
    stream.stream = reinterpret_cast<StreamValue>(state);
  } else {
    FileHandle handle = FileStreamOpen(fileName, 0, 1, 0);
    if (handle == 0) return -1;
    stream.table = *GetFileStreamTable();
    stream.stream = StreamValue(handle);
  }
  RasterImage image{};
  const int loaded = LoadRasterImageByLoaders(&stream, &image);
  stream.table.close(stream.stream);
  if (loaded != 0) return -1;
  if (mirror == 1 && MirrorLoadedImage(&image) != 0) {
    FreeRasterImage(&image);
    return -1;
  }
  *out = image;
  return 0;
}

int LoadRasterImage(const char* fileName, const void* memory, int memorySize, int memoryFlag, RasterImage* out,
                    int mirror) {
  return LoadRasterImageFromSource(fileName, memory, memorySize, memoryFlag, mirror, out);
}

int LoadRasterImageWithAlpha(const char* fileName, const void* colourBlock, int colourSize, int colourMemoryFlag,
                             const void* alphaBlock, int alphaSize, int alphaMemoryFlag, RasterImage* colour,
                             RasterImage* alpha, int mirror) {
  if (LoadRasterImageFromSource(fileName, colourBlock, colourSize, colourMemoryFlag, mirror, colour) != 0) return -1;
  if (alphaMemoryFlag == 1 && !alphaBlock) return 1;
  if (alphaMemoryFlag != 0 && alphaMemoryFlag != 1) return 1;
  std::string alphaName;
  const char* name = nullptr;
  if (alphaMemoryFlag == 0 && fileName) {
    alphaName = fileName;
    size_t dot = alphaName.rfind('.');
    alphaName.insert(dot == std::string::npos ? alphaName.size() : dot, "_a");
    name = alphaName.c_str();
  }
  if (alphaMemoryFlag == 0 && !name) return 1;
  return LoadRasterImageFromSource(name, alphaBlock, alphaSize, alphaMemoryFlag, mirror, alpha) == 0 ? 0 : 1;
}

}  // namespace veziv
