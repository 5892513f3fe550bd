// PNG and JPEG decoding through the library's readers (stream layer, reader
// chain, conversion to the record) beside the bare libpng and libjpeg-turbo
// decode of the same files in memory.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "library/foundation/files/streams.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/image_writers.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;

// A picture with gradients, edges and fine texture, written by the library's
// own writers so the files look like the game's captures.
std::vector<uint8_t> WriteSample(bool png) {
  veziv::RasterImage image{};
  veziv::CreateRasterImageBuffer(kWidth, kHeight, &image);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      int r = (x * 255) / kWidth, g = (y * 255) / kHeight, b = ((x / 32 + y / 32) & 1) ? 200 : 40;
      b += int((uint32_t(x * 73 + y * 151) * 2654435761u) >> 28);
      veziv::SetRasterImagePixel(&image, x, y, r, g, b, 0);
    }
  const std::string path =
      (std::filesystem::temp_directory_path() / (png ? "veziv-bench.png" : "veziv-bench.jpg")).string();
  if (png)
    veziv::WritePngFile(path.c_str(), &image, 6);
  else
    veziv::WriteJpegFile(path.c_str(), &image, 90);
  veziv::FreeRasterImage(&image);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  std::filesystem::remove(path);
  return bytes;
}

const std::vector<uint8_t>& PngFile() {
  static const std::vector<uint8_t> file = WriteSample(true);
  return file;
}
const std::vector<uint8_t>& JpegFile() {
  static const std::vector<uint8_t> file = WriteSample(false);
  return file;
}

void ThroughReader(benchmark::State& state, int (*reader)(veziv::ImageStream*, veziv::RasterImage*),
                   const std::vector<uint8_t>& file) {
  for (auto _ : state) {
    veziv::MemoryStreamState* s = veziv::OpenMemoryStream(file.data(), int(file.size()));
    veziv::ImageStream stream{*veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(s)};
    veziv::RasterImage image{};
    if (reader(&stream, &image) != 0) state.SkipWithError("reader refused the file");
    stream.table.close(stream.stream);
    benchmark::DoNotOptimize(image.pixels);
    veziv::FreeRasterImage(&image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 3);
}

void ThroughChain(benchmark::State& state, const std::vector<uint8_t>& file) {
  for (auto _ : state) {
    veziv::RasterImage image{};
    if (veziv::LoadRasterImage(nullptr, file.data(), int(file.size()), 1, &image, 0) != 0)
      state.SkipWithError("no reader accepted the file");
    benchmark::DoNotOptimize(image.pixels);
    veziv::FreeRasterImage(&image);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 3);
}

void BM_PngLibraryReader(benchmark::State& state) { ThroughReader(state, veziv::ReadPngToRasterImage, PngFile()); }
void BM_PngLibraryChain(benchmark::State& state) { ThroughChain(state, PngFile()); }
void BM_JpegLibraryReader(benchmark::State& state) { ThroughReader(state, veziv::ReadJpegToRasterImage, JpegFile()); }
void BM_JpegLibraryChain(benchmark::State& state) { ThroughChain(state, JpegFile()); }

struct MemoryCursor {
  const uint8_t* data;
  size_t left;
};

void BM_PngBareLibpng(benchmark::State& state) {
  const std::vector<uint8_t>& file = PngFile();
  std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 3);
  std::vector<png_bytep> rows(kHeight);
  for (int y = 0; y < kHeight; ++y) rows[y] = pixels.data() + size_t(y) * kWidth * 3;
  for (auto _ : state) {
    MemoryCursor cursor{file.data(), file.size()};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
      png_destroy_read_struct(&png, &info, nullptr);
      state.SkipWithError("libpng failed");
      break;
    }
    png_set_read_fn(png, &cursor, [](png_structp p, png_bytep out, png_size_t n) {
      auto* c = static_cast<MemoryCursor*>(png_get_io_ptr(p));
      if (c->left < n) png_error(p, "Read Error");
      std::copy(c->data, c->data + n, out);
      c->data += n;
      c->left -= n;
    });
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 3);
}

void BM_JpegBareLibjpeg(benchmark::State& state) {
  const std::vector<uint8_t>& file = JpegFile();
  std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 3);
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * kWidth * 3;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 3);
}

BENCHMARK(BM_PngBareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLibraryReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngLibraryChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegBareLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryReader)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegLibraryChain)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
