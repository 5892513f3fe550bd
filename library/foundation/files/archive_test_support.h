// Test fixtures for the archive layer: archives made by the project's writer
// from small trees, in memory or as files in a temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/temp_folder_test_support.h"
#include "tools/archive_writer.h"

namespace veziv::test {

using tools::ArchiveNode;
using tools::ArchiveWriteOptions;

inline ArchiveNode FileNode(const std::string& name, const std::string& data) {
  ArchiveNode n;
  n.name = name;
  n.data = data;
  n.creationTime = 0x01D0000000000000ull;
  n.accessTime = 0x01D0000000000001ull;
  n.writeTime = 0x01D0000000000002ull;
  return n;
}

inline ArchiveNode FolderNode(const std::string& name, std::vector<ArchiveNode> children) {
  ArchiveNode n = FileNode(name, "");
  n.folder = true;
  n.children = std::move(children);
  return n;
}

inline std::vector<uint8_t> MakeArchive(std::vector<ArchiveNode> children,
                                        const ArchiveWriteOptions& options = {}) {
  ArchiveNode root = FolderNode("", std::move(children));
  std::vector<uint8_t> out;
  std::string error;
  if (!tools::WriteArchiveImage(root, options, &out, &error)) out.clear();
  return out;
}

// A text that packs well, so the writer stores it packed.
inline std::string Repetitive(size_t n) {
  std::string s;
  while (s.size() < n) s += "stage1 enemy wave " + std::to_string(s.size() % 7) + "\n";
  s.resize(n);
  return s;
}

// A text that does not pack, so the writer stores it as it is.
inline std::string Noisy(size_t n, uint32_t seed = 99) {
  std::string s(n, '\0');
  for (char& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

// A temporary folder, removed with everything in it, that writes files below
// itself, making their folders.
class TempFolder : public test::TestFolder {
 public:
  std::string Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path p = std::filesystem::path(path()) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  std::string Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    return Write(relative, std::string(bytes.begin(), bytes.end()));
  }
};

}  // namespace veziv::test
