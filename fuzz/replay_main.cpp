// Runs a fuzz target's LLVMFuzzerTestOneInput over every file of the folders
// (or the single files) named on the command line, as the tests replay a seed
// corpus without libFuzzer. Fails when a folder is missing or holds no file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A copy of exactly the input's size, so that ASan sees a read past its end.
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <corpus folder or file>...\n", argv[0]);
    return 2;
  }
  int failures = 0;
  for (int a = 1; a < argc; ++a) {
    const std::filesystem::path arg = argv[a];
    std::error_code error;
    if (std::filesystem::is_regular_file(arg, error)) {
      if (!RunFile(arg)) ++failures;
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    if (error || files.empty()) {
      std::fprintf(stderr, "no corpus files in %s\n", arg.c_str());
      ++failures;
      continue;
    }
    for (const auto& f : files) {
      if (!RunFile(f)) ++failures;
    }
    std::fprintf(stderr, "%s: %zu inputs replayed\n", arg.c_str(), files.size());
  }
  return failures == 0 ? 0 : 1;
}
