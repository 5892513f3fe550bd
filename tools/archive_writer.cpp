// Lays out and scrambles a keyed archive: header, data area, then the table
// block (names, file entries, directory entries), folders breadth first and
// each folder's entries sorted by search name.
#include "tools/archive_writer.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "library/foundation/files/archive_format.h"
#include "platform/os/charset.h"
#include "platform/os/filetime.h"
#include "tools/lz_packer.h"

namespace veziv::tools {
namespace {

struct FolderJob {
  const ArchiveNode* node;
  uint32_t dirIndex;
  uint32_t parentDir;    // offset, kArchiveNoParent for the root
  uint32_t ownEntry;     // offset of the folder's own file entry, 0 for the root
};

void Append(std::vector<uint8_t>* out, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  out->insert(out->end(), p, p + n);
}

// Children in search-name order; false when two look the same to lookups.
bool SortedChildren(const ArchiveNode& folder, std::vector<const ArchiveNode*>* sorted,
                    std::string* error) {
  std::vector<std::pair<std::string, const ArchiveNode*>> keyed;
  for (const ArchiveNode& child : folder.children) {
    ArchiveSearchName name;
    const size_t used = BuildArchiveSearchName(child.name, &name);
    if (child.name.empty() || used != child.name.size() || name.words == 0) {
      *error = "unusable name \"" + child.name + "\"";
      return false;
    }
    keyed.emplace_back(name.bytes, &child);
  }
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 1; i < keyed.size(); ++i) {
    if (keyed[i].first == keyed[i - 1].first) {
      *error = "names \"" + keyed[i - 1].second->name + "\" and \"" + keyed[i].second->name +
               "\" are the same to lookups";
      return false;
    }
  }
  sorted->clear();
  for (const auto& k : keyed) sorted->push_back(k.second);
  return true;
}

uint32_t AddName(std::vector<uint8_t>* names, const std::string& stored) {
  const auto at = static_cast<uint32_t>(names->size());
  ArchiveSearchName search;
  BuildArchiveSearchName(stored, &search);
  uint8_t head[4];
  StoreLe16(head, search.words);
  StoreLe16(head + 2, search.checksum);
  Append(names, head, 4);
  Append(names, search.bytes.data(), search.bytes.size());
  Append(names, stored.c_str(), stored.size() + 1);
  while (names->size() % 4 != 0) names->push_back(0);
  return at;
}

bool ReadFolderInto(const std::string& host, ArchiveNode* node, std::string* error) {
  DIR* dir = opendir(host.c_str());
  if (dir == nullptr) {
    *error = "cannot read folder " + host + ": " + std::strerror(errno);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* e = readdir(dir)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    const std::string path = host + "/" + n;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      *error = "cannot stat " + path + ": " + std::strerror(errno);
      return false;
    }
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) continue;
    ArchiveNode child;
    const std::optional<std::string> name = platform::os::TryUtf8ToCp932(n);
    if (!name) {
      *error = "name has no CP932 form: " + path;
      return false;
    }
    child.name = *name;
    child.creationTime = platform::os::FileTimeFromTimespec(st.st_mtim);
    child.accessTime = platform::os::FileTimeFromTimespec(st.st_atim);
    child.writeTime = platform::os::FileTimeFromTimespec(st.st_mtim);
    if (S_ISDIR(st.st_mode)) {
      child.folder = true;
      if (!ReadFolderInto(path, &child, error)) return false;
    } else {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      if (!in.good() && !in.eof()) {
        *error = "cannot read " + path;
        return false;
      }
      child.data = bytes.str();
    }
    node->children.push_back(std::move(child));
  }
  return true;
}

}  // namespace

bool WriteArchiveImage(const ArchiveNode& root, const ArchiveWriteOptions& options,
                       std::vector<uint8_t>* out, std::string* error) {
  if (options.version > kArchiveMaxVersion) {
    *error = "version above 3";
    return false;
  }
  const uint32_t entrySize = options.version < 2 ? kArchiveFileEntrySizeV1 : kArchiveFileEntrySizeV2;
  std::vector<uint8_t> image(kArchiveHeaderSize);
  std::vector<uint8_t> names;
  std::vector<uint8_t> files;
  std::vector<uint8_t> dirs;

  // Breadth first: each folder's directory entry and its contiguous file entries.
  std::vector<FolderJob> queue{{&root, 0, kArchiveNoParent, 0}};
  for (size_t q = 0; q < queue.size(); ++q) {
    const FolderJob job = queue[q];
    std::vector<const ArchiveNode*> children;
    if (!SortedChildren(*job.node, &children, error)) return false;
    uint8_t dir[kArchiveDirEntrySize];
    StoreLe32(dir, job.ownEntry);
    StoreLe32(dir + 4, job.parentDir);
    StoreLe32(dir + 8, static_cast<uint32_t>(children.size()));
    StoreLe32(dir + 12, static_cast<uint32_t>(files.size()));
    Append(&dirs, dir, sizeof dir);
    for (const ArchiveNode* child : children) {
      std::vector<uint8_t> entry(entrySize, 0);
      StoreLe32(entry.data(), AddName(&names, child->name));
      StoreLe32(entry.data() + 4, child->folder ? kArchiveFolderAttribute : kArchiveFileAttribute);
      StoreLe64(entry.data() + 8, child->creationTime);
      StoreLe64(entry.data() + 16, child->accessTime);
      StoreLe64(entry.data() + 24, child->writeTime);
      if (child->folder) {
        const auto dirIndex = static_cast<uint32_t>(queue.size());
        StoreLe32(entry.data() + 32, dirIndex * kArchiveDirEntrySize);
        queue.push_back({child, dirIndex, job.dirIndex * kArchiveDirEntrySize,
                         static_cast<uint32_t>(files.size())});
        if (entrySize > 40) StoreLe32(entry.data() + 40, kArchiveStoredMark);
      } else {
        const uint64_t dataAt = image.size() - kArchiveHeaderSize;
        if (child->data.size() > UINT32_MAX || dataAt > UINT32_MAX) {
          *error = "too much data for an archive";
          return false;
        }
        const auto* bytes = reinterpret_cast<const uint8_t*>(child->data.data());
        std::vector<uint8_t> packed;
        if (options.version >= 2 && options.pack) packed = PackData(bytes, child->data.size());
        const bool usePacked = !packed.empty() && packed.size() < child->data.size();
        StoreLe32(entry.data() + 32, static_cast<uint32_t>(dataAt));
        StoreLe32(entry.data() + 36, static_cast<uint32_t>(child->data.size()));
        if (usePacked) {
          Append(&image, packed.data(), packed.size());
          StoreLe32(entry.data() + 40, static_cast<uint32_t>(packed.size()));
        } else {
          Append(&image, bytes, child->data.size());
          if (entrySize > 40) StoreLe32(entry.data() + 40, kArchiveStoredMark);
        }
      }
      Append(&files, entry.data(), entry.size());
    }
  }

  ArchiveHeader header{};
  header.magic = kArchiveMagic;
  header.version = options.version;
  header.dataOffset = kArchiveHeaderSize;
  const uint64_t tableOffset = image.size();
  const uint64_t tableSize = names.size() + files.size() + dirs.size();
  if (tableOffset + tableSize > UINT32_MAX) {
    *error = "too much data for an archive";
    return false;
  }
  header.tableOffset = static_cast<uint32_t>(tableOffset);
  header.tableSize = static_cast<uint32_t>(tableSize);
  header.fileTableOffset = static_cast<uint32_t>(names.size());
  header.dirTableOffset = static_cast<uint32_t>(names.size() + files.size());
  WriteArchiveHeader(header, image.data());
  Append(&image, names.data(), names.size());
  Append(&image, files.data(), files.size());
  Append(&image, dirs.data(), dirs.size());

  uint8_t key[kArchiveKeySize];
  if (options.fallbackKey) {
    FallbackArchiveKey(key);
  } else {
    DeriveArchiveKey(options.key.empty() ? nullptr : options.key.c_str(), key);
  }
  ScrambleArchiveBytes(image.size(), image.data(), 0, key);
  *out = std::move(image);
  return true;
}

bool ReadHostFolder(const std::string& hostFolder, ArchiveNode* root, std::string* error) {
  *root = ArchiveNode{};
  root->folder = true;
  return ReadFolderInto(hostFolder, root, error);
}

bool PackFolderToArchive(const std::string& hostFolder, const std::string& outPath,
                         const ArchiveWriteOptions& options, std::string* error) {
  ArchiveNode root;
  std::vector<uint8_t> image;
  if (!ReadHostFolder(hostFolder, &root, error) || !WriteArchiveImage(root, options, &image, error)) {
    return false;
  }
  std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) {
    *error = "cannot write " + outPath;
    return false;
  }
  return true;
}

}  // namespace veziv::tools
