// The open archives and the archive settings: archive_cache.cpp keeps them;
// the tests' support reads the open count and the reference counts.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "library/foundation/files/archive.h"
#include "library/foundation/files/archive_cache.h"

namespace veziv::detail {

struct CacheEntry {
  int references = 0;
  ArchiveRecord record;
  std::string path;  // full, upper-cased
};

struct ArchiveCacheState {
  // Guards everything below; the movie thread opens files through the cache.
  std::recursive_mutex mutex;
  std::unique_ptr<CacheEntry> slots[kArchiveCacheSlots];
  int used = 0;
  std::string extension;  // empty: "VUR"
  bool keyGiven = false;
  std::string key;
  int lastIndex = -1;
  std::string lastArchivePath;
  std::string lastFolder;
  int opens = 0;  // archive files opened since the last clear
};

ArchiveCacheState& ArchiveCacheRecord();

}  // namespace veziv::detail
