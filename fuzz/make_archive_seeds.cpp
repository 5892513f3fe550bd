// Writes the seed corpora of the archive reader, archive file set and
// decompressor fuzz targets with the project's writer and packer and the
// archive tests' tree builders:
//   make_archive_seeds <fuzz/corpus folder>
// Archives use the default key (the targets open without a key string). A
// file set seed is one options byte (line buffer size, asynchronous reads)
// followed by the archive.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/files/archive_test_support.h"
#include "tools/archive_writer.h"
#include "tools/lz_packer.h"

namespace {

using veziv::test::FileNode;
using veziv::test::FolderNode;
using veziv::tools::ArchiveNode;

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "wave " + std::to_string(s.size() % 5) + " enemy\r\n";
  s.resize(n);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_archive_seeds <fuzz/corpus folder>\n", stderr);
    return 2;
  }
  const std::string corpus = argv[1];
  const ArchiveNode tree = FolderNode("", {
      FileNode("a.txt", Text(300)),
      FileNode("b.bin", std::string("\x00\x01\x02\x03\xFF", 5)),
      FileNode("\x95\x5C.txt", "hyou"),
      FolderNode("sub", {FileNode("c.txt", Text(64)), FolderNode("deep", {FileNode("d", "d")})}),
  });
  struct Variant {
    std::string name;
    uint16_t version;
    bool pack;
    bool fallback;
  };
  const Variant variants[] = {
      {"v3_packed.dat", 3, true, false},
      {"v3_stored.dat", 3, false, false},
      {"v1.dat", 1, false, false},
      {"v3_fallback_key.dat", 3, true, true},
  };
  bool ok = true;
  for (const Variant& v : variants) {
    veziv::tools::ArchiveWriteOptions options;
    options.version = v.version;
    options.pack = v.pack;
    options.fallbackKey = v.fallback;
    std::vector<uint8_t> image;
    std::string error;
    ok = ok && veziv::tools::WriteArchiveImage(tree, options, &image, &error) &&
         Save(corpus + "/archive_reader/" + v.name, image);
    // The reader target picks its opener by the size modulo 3: each archive
    // once for every opener, padded with bytes no table points at.
    for (int pad = 1; pad <= 2; ++pad) {
      std::vector<uint8_t> padded = image;
      padded.resize(image.size() + size_t(pad), 0);
      ok = ok && Save(corpus + "/archive_reader/" + v.name.substr(0, v.name.size() - 4) + "_pad" +
                          std::to_string(pad) + ".dat",
                      padded);
    }
    // Synchronous reads with a 16-byte line buffer, asynchronous ones with 69 bytes.
    for (const uint8_t first : {uint8_t(14), uint8_t(0x80 | 67)}) {
      std::vector<uint8_t> seed{first};
      seed.insert(seed.end(), image.begin(), image.end());
      ok = ok && Save(corpus + "/archive_file_set/" + (first & 0x80 ? "async_" : "") + v.name, seed);
    }
  }
  const std::string blocks[] = {Text(200), std::string(9000, 'z'), "abc", std::string()};
  int i = 0;
  for (const std::string& b : blocks) {
    ok = ok && Save(corpus + "/decompress/block" + std::to_string(i++) + ".bin",
                    veziv::tools::PackData(reinterpret_cast<const uint8_t*>(b.data()), b.size()));
  }
  if (!ok) std::fputs("make_archive_seeds: could not write the seeds\n", stderr);
  return ok ? 0 : 1;
}
