// What hostile image files cost: each is decoded into a graph the way a save
// slot's picture is (DecodeGraphFromBuffer over the reader chain and the graph
// store), beside bare libpng or libjpeg-turbo with their default settings on
// the same bytes, and a patched JPEG beside an honest picture of the size it
// claims. `extra_MB` is how far the peak resident memory of a process rose
// over one decode (measured once, in a child process, outside the timing);
// `refused` is 1 when the file was refused.
#include <benchmark/benchmark.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/softrender/surface/softsurface.h"
#include "tests/fixtures/image_files_test_support.h"

namespace {

using namespace veziv::test;

// A small software screen, so that graphs can be made without a window.
void StartSoftScreen() {
  static veziv::SOFTSURFACE screen{};
  if (veziv::SoftSurfaceIsValid(&screen)) return;
  if (veziv::SoftSurfaceCreateForScreen(&screen, 64, 64, veziv::kSoftType32) != 0) std::abort();
  veziv::detail::GraphicsScreen& s = veziv::detail::Screen();
  s.started = 1;
  s.width = 64;
  s.height = 64;
  s.bits = 32;
  s.image = &screen;
  veziv::detail::GraphicsCalls().window_is_active = [] { return 1; };
  veziv::detail::GraphicsCalls().wait_while_window_inactive = [] {};
  veziv::ResetDrawState();
}

// 127 bytes: one grey pixel, then a text chunk claiming 2^31 - 1 bytes.
const std::vector<uint8_t>& HostilePng() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> png = EncodePng({1, 1, PNG_COLOR_TYPE_GRAY, 8, {{7}}});
    png.resize(8 + 8 + 13 + 4);
    const std::vector<uint8_t> chunk = Bytes().u8(0x7F).u8(0xFF).u8(0xFF).u8(0xFF).text("tEXtTitle").u8(0).data;
    png.insert(png.end(), chunk.begin(), chunk.end());
    png.resize(127, 'x');
    return png;
  }();
  return file;
}

std::vector<uint8_t> RleBmp(int32_t width, int32_t height) {
  return MakeBmp({width, height, 8, 1, Bytes().zeros(4).data, {0, 0, 0, 0, 0, 1}});
}
const std::vector<uint8_t>& Rle3By33M() {
  static const std::vector<uint8_t> file = RleBmp(3, 33554430);
  return file;
}
const std::vector<uint8_t>& Rle1By64M() {
  static const std::vector<uint8_t> file = RleBmp(1, 1 << 26);
  return file;
}
const std::vector<uint8_t>& Rle8192By8192() {
  static const std::vector<uint8_t> file = RleBmp(8192, 8192);
  return file;
}

constexpr int kJpegSide = 9000;

// A 32 x 32 colour JPEG whose frame header claims 9000 x 9000.
const std::vector<uint8_t>& PatchedJpeg() {
  static const std::vector<uint8_t> file = [] {
    std::vector<uint8_t> jpeg = EncodeJpeg(32, 32, 3, JCS_RGB, 2, 2);
    for (size_t i = 0; i + 8 < jpeg.size(); ++i)
      if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
        jpeg[i + 5] = jpeg[i + 7] = uint8_t(kJpegSide >> 8);
        jpeg[i + 6] = jpeg[i + 8] = uint8_t(kJpegSide & 0xFF);
        break;
      }
    return jpeg;
  }();
  return file;
}
const std::vector<uint8_t>& HonestJpeg() {
  static const std::vector<uint8_t> file = EncodeJpeg(kJpegSide, kJpegSide, 3, JCS_RGB, 2, 2);
  return file;
}

// How far the peak resident memory rises while work runs once, in a child.
double ExtraMegabytes(const std::function<void()>& work) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    work();
    getrusage(RUSAGE_SELF, &after);
    const double megabytes = double(after.ru_maxrss - before.ru_maxrss) / 1024.0;
    (void)!write(fds[1], &megabytes, sizeof megabytes);
    _exit(0);
  }
  close(fds[1]);
  double megabytes = -1;
  if (read(fds[0], &megabytes, sizeof megabytes) != sizeof megabytes) megabytes = -1;
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return megabytes;
}

// 0 when the file became a graph (deleted again), -1 when it was refused.
int DecodeToGraph(const std::vector<uint8_t>& file) {
  const veziv::GraphHandle graph = veziv::DecodeGraphFromBuffer(file.data(), int(file.size()), nullptr, 0, 0, 0);
  if (graph == -1) return -1;
  veziv::FreeGraphHandle(graph, 0);
  return 0;
}

void ThroughGraph(benchmark::State& state, const std::vector<uint8_t>& file) {
  StartSoftScreen();
  int result = 0;
  for (auto _ : state) result = DecodeToGraph(file);
  state.counters["refused"] = result == -1 ? 1 : 0;
  state.counters["extra_MB"] = ExtraMegabytes([&] { DecodeToGraph(file); });
}

struct MemoryCursor {
  const uint8_t* data;
  size_t left;
};

// libpng as it comes: the picture read whole; -1 on its error.
int BareLibpng(const std::vector<uint8_t>& file) {
  MemoryCursor cursor{file.data(), file.size()};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t>* volatile pixels = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    delete pixels;
    png_destroy_read_struct(&png, &info, nullptr);
    return -1;
  }
  png_set_read_fn(png, &cursor, [](png_structp p, png_bytep out, png_size_t n) {
    auto* c = static_cast<MemoryCursor*>(png_get_io_ptr(p));
    if (c->left < n) png_error(p, "Read Error");
    std::copy(c->data, c->data + n, out);
    c->data += n;
    c->left -= n;
  });
  png_read_info(png, info);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  pixels = new std::vector<uint8_t>(rowBytes * height);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels->data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  delete pixels;
  return 0;
}

// libjpeg-turbo as it comes: the picture decoded whole; -1 on its error.
int BareLibjpeg(const std::vector<uint8_t>& file) {
  struct Errors {
    jpeg_error_mgr pub;
    jmp_buf point;
  } err;
  jpeg_decompress_struct cinfo;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = [](j_common_ptr c) { longjmp(reinterpret_cast<Errors*>(c->err)->point, 1); };
  err.pub.output_message = [](j_common_ptr) {};
  std::vector<uint8_t>* volatile pixels = nullptr;
  if (setjmp(err.point)) {
    delete pixels;
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  const size_t rowBytes = size_t(cinfo.output_width) * cinfo.output_components;
  pixels = new std::vector<uint8_t>(rowBytes * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels->data() + size_t(cinfo.output_scanline) * rowBytes;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  delete pixels;
  return 0;
}

void Bare(benchmark::State& state, int (*decode)(const std::vector<uint8_t>&), const std::vector<uint8_t>& file) {
  int result = 0;
  for (auto _ : state) result = decode(file);
  state.counters["refused"] = result == -1 ? 1 : 0;
  state.counters["extra_MB"] = ExtraMegabytes([&] { decode(file); });
}

void BM_HostilePngLibraryGraph(benchmark::State& state) { ThroughGraph(state, HostilePng()); }
void BM_HostilePngBareLibpng(benchmark::State& state) { Bare(state, BareLibpng, HostilePng()); }
void BM_Rle3x33MLibraryGraph(benchmark::State& state) { ThroughGraph(state, Rle3By33M()); }
void BM_Rle1x64MLibraryGraph(benchmark::State& state) { ThroughGraph(state, Rle1By64M()); }
void BM_Rle8192x8192LibraryGraph(benchmark::State& state) { ThroughGraph(state, Rle8192By8192()); }
void BM_PatchedJpeg9000LibraryGraph(benchmark::State& state) { ThroughGraph(state, PatchedJpeg()); }
void BM_PatchedJpeg9000BareLibjpeg(benchmark::State& state) { Bare(state, BareLibjpeg, PatchedJpeg()); }
void BM_HonestJpeg9000LibraryGraph(benchmark::State& state) { ThroughGraph(state, HonestJpeg()); }
void BM_HonestJpeg9000BareLibjpeg(benchmark::State& state) { Bare(state, BareLibjpeg, HonestJpeg()); }

}  // namespace

BENCHMARK(BM_HostilePngLibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostilePngBareLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle3x33MLibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle1x64MLibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rle8192x8192LibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatchedJpeg9000LibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatchedJpeg9000BareLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HonestJpeg9000LibraryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HonestJpeg9000BareLibjpeg)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
