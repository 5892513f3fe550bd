#include "library/foundation/files/fresh_files_test_support.h"

#include <mutex>

#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/archive_cache_state.h"
#include "library/foundation/files/archive_file_set.h"
#include "library/foundation/files/archive_file_set_state.h"
#include "library/foundation/files/file_functions_state.h"

namespace veziv::detail {

void StartArchiveFilesAfresh() {
  for (int slot = 0; slot < kArchiveFileSlots; ++slot) {
    ArchiveFileClose(static_cast<FileHandle>(kArchiveHandleTag | static_cast<uint32_t>(slot)));
  }
  for (size_t handle = ArchiveFileSetRecord().finds.size(); handle >= 1; --handle) {
    ArchiveFindClose(static_cast<int>(handle));
  }
  ClearArchiveCache();
}

int ArchiveOpens() {
  ArchiveCacheState& s = ArchiveCacheRecord();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  return s.opens;
}

int ArchiveReferenceCount(int cacheIndex) {
  ArchiveCacheState& s = ArchiveCacheRecord();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  if (cacheIndex < 0 || cacheIndex >= kArchiveCacheSlots || s.slots[cacheIndex] == nullptr) return -1;
  return s.slots[cacheIndex]->references;
}

void SetFileThreadHooks(FileThreadHooks hooks) {
  FileThreadSettings& settings = FileThreadSettingsBlock();
  std::lock_guard<std::mutex> lock(settings.lock);
  settings.hooks = std::move(hooks);
}

void SetFileCacheInterval(uint32_t milliseconds) {
  FileThreadSettings& settings = FileThreadSettingsBlock();
  std::lock_guard<std::mutex> lock(settings.lock);
  settings.cacheInterval = milliseconds;
}

void StartPlainFilesAfresh() {
  FileThreadSettings& settings = FileThreadSettingsBlock();
  std::lock_guard<std::mutex> lock(settings.lock);
  settings.hooks = FileThreadHooks{};
  settings.cacheInterval = kDefaultFileCacheInterval;
  settings.inlineThreads = false;
}

void StartFileFunctionsAfresh() { FileFunctionsRecord() = FileFunctionState{}; }

}  // namespace veziv::detail
