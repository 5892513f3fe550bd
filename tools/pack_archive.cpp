// pack_archive: packs a folder into a keyed archive that VeZiv reads.
//   pack_archive [--version N] [--store] <folder> <out.dat> [key]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/archive_writer.h"

namespace {

int Usage() {
  std::fputs(
      "usage: pack_archive [--version N] [--store] <folder> <out.dat> [key]\n"
      "  --version N  archive version 0-3 (default 3; below 2 nothing is packed)\n"
      "  --store      store every member unpacked\n"
      "  key          the key string the game hands the library (none: the default key)\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  veziv::tools::ArchiveWriteOptions options;
  std::string positional[3];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long v = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || v < 0 || v > 3) return Usage();
      options.version = static_cast<uint16_t>(v);
    } else if (std::strcmp(argv[i], "--store") == 0) {
      options.pack = false;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else if (count < 3) {
      positional[count++] = argv[i];
    } else {
      return Usage();
    }
  }
  if (count < 2) return Usage();
  options.key = positional[2];
  std::string error;
  if (!veziv::tools::PackFolderToArchive(positional[0], positional[1], options, &error)) {
    std::fprintf(stderr, "pack_archive: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
