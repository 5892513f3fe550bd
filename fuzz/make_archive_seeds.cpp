// Writes the seed corpora of the archive reader and decompressor fuzz targets
// with the project's writer and packer:
//   make_archive_seeds <fuzz/corpus folder>
// Archives use the default key (the reader target opens without a key string).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/archive_writer.h"
#include "tools/lz_packer.h"

namespace {

using veziv::tools::ArchiveNode;

ArchiveNode File(const std::string& name, const std::string& data) {
  ArchiveNode n;
  n.name = name;
  n.data = data;
  return n;
}

ArchiveNode Folder(const std::string& name, std::vector<ArchiveNode> children) {
  ArchiveNode n;
  n.name = name;
  n.folder = true;
  n.children = std::move(children);
  return n;
}

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
  const ArchiveNode tree = Folder("", {
      File("a.txt", Text(300)),
      File("b.bin", std::string("\x00\x01\x02\x03\xFF", 5)),
      File("\x95\x5C.txt", "hyou"),
      Folder("sub", {File("c.txt", Text(64)), Folder("deep", {File("d", "d")})}),
  });
  struct Variant {
    const char* name;
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
