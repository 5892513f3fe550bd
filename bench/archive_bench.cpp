// Reading every file of a game-like data set from a packed archive against
// reading the same files from a folder (both through OpenFileForRead), and the
// library's decoder against zlib's inflate on the same data. One run prints
// both comparisons:
//   ./build/bench/archive_bench
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/decompress.h"
#include "library/foundation/files/file_functions.h"
#include "platform/os/host_path.h"
#include "tools/archive_writer.h"
#include "tools/lz_packer.h"

namespace {

namespace fs = std::filesystem;

// Game-like data: stage and script texts, and pictures with smooth areas and
// noise, about 13 MB in 240 files.
struct DataSet {
  std::vector<std::string> paths;  // library paths below the start folder
  std::vector<std::string> contents;
  std::string folderGame;   // start folder with the plain files
  std::string archiveGame;  // start folder with data.dat
  std::string all;          // every file's bytes, one after another
};

std::string MakeText(uint32_t seed, size_t n) {
  static const char* words[] = {"enemy", "wave", "bullet", "boss", "speed", "angle", "wait", "\r\n"};
  std::string s;
  while (s.size() < n) {
    seed = seed * 1103515245u + 12345u;
    s += words[(seed >> 16) % 8];
    s += ' ';
    s += std::to_string((seed >> 8) % 640);
    s += ' ';
  }
  s.resize(n);
  return s;
}

std::string MakePicture(uint32_t seed, size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    const bool flat = (i / 4096) % 3 != 0;  // two thirds smooth, one third noisy
    s[i] = static_cast<char>(flat ? (i / 64) & 0xFF : seed >> 24);
  }
  return s;
}

const DataSet& Data() {
  static DataSet d = [] {
    DataSet set;
    char pattern[] = "/tmp/veziv_archive_bench_XXXXXX";
    static const std::string root = mkdtemp(pattern);
    std::atexit([] { fs::remove_all(root); });
    set.folderGame = root + "/plain";
    set.archiveGame = root + "/packed";
    veziv::tools::ArchiveNode data;
    data.folder = true;
    data.name = "data";
    for (int i = 0; i < 240; ++i) {
      const bool text = i % 3 == 0;
      const std::string name = (text ? "stage" : "pic") + std::to_string(i) + (text ? ".txt" : ".bmp");
      const std::string bytes = text ? MakeText(i, 8000 + (i * 977) % 30000)
                                     : MakePicture(i, 20000 + (i * 7919) % 100000);
      set.paths.push_back("data\\" + name);
      set.contents.push_back(bytes);
      set.all += bytes;
      fs::create_directories(set.folderGame + "/data");
      std::ofstream(set.folderGame + "/data/" + name, std::ios::binary) << bytes;
      veziv::tools::ArchiveNode file;
      file.name = name;
      file.data = bytes;
      data.children.push_back(file);
    }
    veziv::tools::ArchiveWriteOptions options;
    options.key = "MossyLarkPie";
    std::vector<uint8_t> image;
    std::string error;
    veziv::tools::WriteArchiveImage(data, options, &image, &error);
    fs::create_directories(set.archiveGame);
    std::ofstream(set.archiveGame + "/data.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return set;
  }();
  return d;
}

// Every file through the installed (archive-aware) table: OpenFileForRead,
// reads of 64 KB, close, as the library's readers do.
size_t ReadEveryFile(const DataSet& d, std::vector<char>* buffer) {
  size_t bytes = 0;
  for (const std::string& path : d.paths) {
    const veziv::FileHandle h = veziv::OpenFileForRead(path.c_str(), 0);
    if (h == 0) return 0;
    while (size_t n = veziv::FileStreamRead(buffer->data(), 1, buffer->size(), h)) bytes += n;
    veziv::FileStreamClose(h);
  }
  return bytes;
}

void ReadFromGame(benchmark::State& state, const std::string& game) {
  const DataSet& d = Data();
  platform::os::SetStartFolder(game);
  veziv::SetFileFunctionTable(nullptr);
  veziv::ClearArchiveCache();
  veziv::StoreArchiveFileExtension("dat");
  veziv::StoreArchiveKeyText("MossyLarkPie");
  std::vector<char> buffer(1 << 16);
  size_t bytes = 0;
  for (auto _ : state) {
    const size_t n = ReadEveryFile(d, &buffer);
    if (n != d.all.size()) {
      state.SkipWithError("a file did not read whole");
      return;
    }
    bytes += n;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  veziv::ClearArchiveCache();
}

void BM_ReadEveryMemberOfPackedArchive(benchmark::State& state) { ReadFromGame(state, Data().archiveGame); }

void BM_ReadEveryFileFromFolder(benchmark::State& state) { ReadFromGame(state, Data().folderGame); }

void BM_DecompressData(benchmark::State& state) {
  const std::string& all = Data().all;
  const std::vector<uint8_t> block =
      veziv::tools::PackData(reinterpret_cast<const uint8_t*>(all.data()), all.size());
  std::vector<uint8_t> out(all.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(veziv::DecompressData(block.data(), block.size(), out.data(), out.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * all.size()));
  state.counters["ratio"] = static_cast<double>(block.size()) / static_cast<double>(all.size());
}

void BM_ZlibInflate(benchmark::State& state) {
  const std::string& all = Data().all;
  uLongf packedSize = compressBound(all.size());
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(all.data()), all.size(), 6);
  std::vector<uint8_t> out(all.size());
  for (auto _ : state) {
    uLongf outSize = out.size();
    benchmark::DoNotOptimize(uncompress(out.data(), &outSize, packed.data(), packedSize));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * all.size()));
  state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(all.size());
}

// The packer over the first 1, 4 and 13 MB of the data set: a packer linear in
// its input takes about 13 times as long for the whole as for the first MB.
void BM_PackData(benchmark::State& state) {
  const std::string& all = Data().all;
  const size_t size = std::min(all.size(), size_t(state.range(0)) << 20);
  size_t packed = 0;
  for (auto _ : state) {
    packed = veziv::tools::PackData(reinterpret_cast<const uint8_t*>(all.data()), size).size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(size);
}

BENCHMARK(BM_ReadEveryMemberOfPackedArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadEveryFileFromFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressData)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackData)->Arg(1)->Arg(4)->Arg(13)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
