// The project's archive writer: turns a tree of folders and files (CP932
// names) into a keyed archive that the library's reader opens, and reads a
// host folder (UTF-8 names) into such a tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veziv::tools {

struct ArchiveNode {
  std::string name;  // CP932, letter case as it should be stored
  bool folder = false;
  uint64_t creationTime = 0;  // file times: 100 ns since 1601-01-01 UTC
  uint64_t accessTime = 0;
  uint64_t writeTime = 0;
  std::string data;                   // files
  std::vector<ArchiveNode> children;  // folders
};

struct ArchiveWriteOptions {
  uint16_t version = 3;  // 0 to 3; members are packed from version 2 on
  std::string key;       // empty: no key string (the default key)
  bool pack = true;      // pack a member when its packed block is smaller
  bool fallbackKey = false;  // scramble with the fallback key instead
};

// Writes the archive of root's children into *out. False, with *error set, for
// a version above 3, two names of one folder that look the same to lookups,
// or data too large for the format's 32-bit offsets.
bool WriteArchiveImage(const ArchiveNode& root, const ArchiveWriteOptions& options,
                       std::vector<uint8_t>* out, std::string* error);

// Reads a host folder into a tree: names converted from UTF-8 to CP932, times
// from the file system. Entries other than folders and regular files are
// skipped. False, with *error set, when something cannot be read or a name has
// no CP932 form.
bool ReadHostFolder(const std::string& hostFolder, ArchiveNode* root, std::string* error);

// ReadHostFolder, WriteArchiveImage and a write to outPath.
bool PackFolderToArchive(const std::string& hostFolder, const std::string& outPath,
                         const ArchiveWriteOptions& options, std::string* error);

}  // namespace veziv::tools
