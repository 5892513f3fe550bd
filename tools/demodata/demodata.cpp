// demodata: makes the game's run folder from the sources under data/, and
// checks a made one.
//   demodata gen --src DATA --out RUN [--jobs N]
//   demodata check RUN
// Files whose bytes did not change are left untouched.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tools/demodata/check.h"
#include "tools/demodata/generator.h"

namespace fs = std::filesystem;
using demodata::Outputs;

namespace {

int usage() {
  std::fprintf(stderr, "usage: demodata gen --src DATA --out RUN [--jobs N]\n       demodata check RUN\n");
  return 2;
}

bool sameBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  if (fs::file_size(file, ec) != bytes.size() || ec) return false;
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> old{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::equal(old.begin(), old.end(), bytes.begin(), bytes.end(),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

int generate(const fs::path& src, const fs::path& run, unsigned jobs) {
  const auto start = std::chrono::steady_clock::now();
  demodata::Sources sources(src);
  Outputs outputs;
  const auto& generators = demodata::allGenerators();
  // The generators run side by side, at most `jobs` at a time.
  for (size_t first = 0; first < generators.size(); first += jobs) {
    std::vector<std::future<void>> running;
    for (size_t g = first; g < generators.size() && g < first + jobs; ++g) {
      running.push_back(std::async(std::launch::async, generators[g].run, std::cref(sources), std::ref(outputs)));
    }
    for (auto& r : running) r.get();
  }
  int written = 0;
  fs::create_directories(run);
  for (const std::string& f : outputs.folders()) fs::create_directories(run / fs::u8path(f));
  for (const auto& [path, bytes] : outputs.files()) {
    const fs::path file = run / fs::u8path(path);
    if (sameBytes(file, bytes)) continue;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    ++written;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("demodata: %zu files made, %d written, in %.2f s\n", outputs.files().size(), written, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 2 && std::strcmp(argv[1], "gen") == 0) {
      fs::path src, out;
      unsigned jobs = 2;
      for (int i = 2; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--src") == 0) src = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
        else if (std::strcmp(argv[i], "--jobs") == 0) jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[i + 1])));
        else return usage();
      }
      if (src.empty() || out.empty()) return usage();
      return generate(src, out, jobs);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) {
      const auto faults = demodata::checkRunFolder(argv[2]);
      for (const auto& f : faults) std::fprintf(stderr, "demodata check: %s\n", f.c_str());
      if (faults.empty()) std::printf("demodata check: %s is sound\n", argv[2]);
      return faults.empty() ? 0 : 1;
    }
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "demodata: %s\n", e.what());
    return 1;
  }
}
