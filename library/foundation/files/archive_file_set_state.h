// The archive-aware set's open files and finds: archive_file_set.cpp keeps
// them; the tests' support closes them all between tests.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "library/foundation/files/archive.h"
#include "library/foundation/files/archive_file_set.h"

namespace veziv::detail {

inline constexpr uint32_t kArchiveHandleTag = 0xF0000000u;

struct ArchiveFileRecord {
  bool inArchive = false;
  FileHandle plain = 0;
  int cacheIndex = -1;
  ArchiveMemberState member;
};

struct ArchiveFindRecord {
  bool inArchive = false;
  int plain = -1;
  int cacheIndex = -1;
  std::string pattern;  // upper-cased
  ArchiveFolderView folder;
  uint32_t next = 0;  // the entry to test next: ".", ".." (not at the root), then the entries
};

struct ArchiveFileState {
  // The movie thread opens and reads through this set as well.
  std::mutex mutex;
  std::unique_ptr<ArchiveFileRecord> slots[kArchiveFileSlots];
  int open = 0;
  std::vector<std::unique_ptr<ArchiveFindRecord>> finds;  // handle = index + 1
};

ArchiveFileState& ArchiveFileSetRecord();

}  // namespace veziv::detail
