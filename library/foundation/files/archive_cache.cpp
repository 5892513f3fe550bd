// The cache of open archives, the search for the archive a path lies in, the
// archive settings, and the find-pattern match.
#include "library/foundation/files/archive_cache.h"

#include <memory>
#include <mutex>
#include <optional>

#include "library/foundation/core/helpers.h"
#include "library/foundation/core/path.h"
#include "library/foundation/files/archive.h"
#include "library/foundation/files/archive_cache_state.h"
#include "platform/os/charset.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

constexpr size_t kMaxExtension = 63;

using detail::ArchiveCacheState;
using detail::CacheEntry;

ArchiveCacheState& Cache() { return detail::ArchiveCacheRecord(); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The start folder in the library's form, upper-cased for comparisons or in
// its real case for opening files.
std::string StartFolderFull(bool upperCase = true) {
  const std::string host = platform::os::StartFolder();
  const std::string cp932 = platform::os::TryUtf8ToCp932(host).value_or(host);
  std::string out;
  NormalizePath(cp932, "", PathOptions{false, upperCase}, &out);
  return out;
}

// The part of full below the start folder, or nullopt when it is not below it.
std::optional<size_t> BelowStart(const std::string& full, const std::string& start) {
  const bool rootStart = !start.empty() && start.back() == '\\';
  const size_t cut = rootStart ? start.size() : start.size() + 1;
  if (full.size() <= cut || full.compare(0, start.size(), start) != 0) return std::nullopt;
  if (!rootStart && full[start.size()] != '\\') return std::nullopt;
  return cut;
}

void ReleaseUnusedLocked(ArchiveCacheState& s) {
  for (auto& slot : s.slots) {
    if (slot != nullptr && slot->references < 1) {
      ReleaseArchiveRecord(&slot->record);
      slot.reset();
      --s.used;
    }
  }
}

// openPath, when given, is the archive's path below the start folder in its
// real case, which the host-path resolver finds without listing folders.
int OpenCachedLocked(ArchiveCacheState& s, int hint, const std::string& path, int inMemory, int async,
                     const std::string* openPath = nullptr) {
  if (hint >= 0 && hint < kArchiveCacheSlots && s.slots[hint] != nullptr && s.slots[hint]->path == path) {
    ++s.slots[hint]->references;
    return hint;
  }
  int lastFree = -1;
  int seen = 0;
  for (int i = 0; i < kArchiveCacheSlots && seen < s.used; ++i) {
    if (s.slots[i] == nullptr) {
      lastFree = i;
      continue;
    }
    ++seen;
    if (s.slots[i]->path == path) {
      ++s.slots[i]->references;
      return i;
    }
  }
  if (s.used == kArchiveCacheSlots) {
    ReleaseUnusedLocked(s);
    if (s.used == kArchiveCacheSlots) return -1;
  }
  int slot = lastFree;
  if (slot < 0 || s.slots[slot] != nullptr) {
    for (slot = 0; s.slots[slot] != nullptr; ++slot) {
    }
  }
  auto entry = std::make_unique<CacheEntry>();
  std::string relative;
  if (openPath == nullptr) {
    // Below the start folder the archive is opened by its relative path, so the
    // resolver finds each component's real case from there.
    const std::optional<size_t> below = BelowStart(path, StartFolderFull());
    relative = below ? path.substr(*below) : path;
    openPath = &relative;
  }
  const char* key = s.keyGiven && !s.key.empty() ? s.key.c_str() : nullptr;
  ++s.opens;
  const int opened = inMemory ? OpenArchiveFileToMemory(&entry->record, openPath->c_str(), key, async)
                              : OpenArchiveFileOnDisk(&entry->record, openPath->c_str(), key);
  if (opened != 0) return -1;
  entry->path = path;
  entry->references = 1;
  s.slots[slot] = std::move(entry);
  ++s.used;
  return slot;
}

}  // namespace

int StoreArchiveFileExtension(const char* text) {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  const size_t n = text == nullptr ? 0 : std::string_view(text).size();
  s.extension = n >= 1 && n <= kMaxExtension ? std::string(text) : std::string();
  return 0;
}

int StoreArchiveKeyText(const char* text) {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  s.keyGiven = text != nullptr;
  s.key = text == nullptr ? std::string() : std::string(text).substr(0, kArchiveKeySize);
  return 0;
}

int SetArchiveFileExtension(const char* text) { return StoreArchiveFileExtension(text); }

int SetArchiveKeyText(const char* text) { return StoreArchiveKeyText(text); }

int MakeArchiveFullPath(const char* path, std::string* out) {
  if (out == nullptr) return -1;
  const std::string start = StartFolderFull();
  if (path == nullptr) {
    *out = start;
    return 0;
  }
  return NormalizePath(path, start, PathOptions{false, true}, out);
}

int FindArchiveForPath(const char* path, int* cacheIndex, std::string* archivePath,
                       std::string* innerPath) {
  if (path == nullptr) return -1;
  const std::string start = StartFolderFull();
  std::string full;
  if (NormalizePath(path, start, PathOptions{false, true}, &full) != 0) return -1;
  const std::optional<size_t> below = BelowStart(full, start);
  if (!below) return -1;

  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  int index = -1;
  size_t folderEnd = 0;
  // The memo serves only folders below the start folder, which may have moved since.
  if (s.lastIndex >= 0 && s.lastFolder.size() >= *below && full.size() > s.lastFolder.size() &&
      full.compare(0, s.lastFolder.size(), s.lastFolder) == 0 && IsSeparator(full[s.lastFolder.size()])) {
    index = OpenCachedLocked(s, s.lastIndex, s.lastArchivePath, 0, 0);
    if (index < 0) return -1;
    folderEnd = s.lastFolder.size();
  } else {
    const std::string extension = s.extension.empty() ? "VUR" : s.extension;
    // The same path in its real case: upper-casing changes no length, so its
    // prefixes line up with those of full.
    std::string realCase;
    if (NormalizePath(path, StartFolderFull(false), PathOptions{false, false}, &realCase) != 0 ||
        realCase.size() != full.size()) {
      return -1;
    }
    // Each folder prefix below the start folder, shortest first; a 0x5C trail
    // byte is part of its character.
    for (size_t i = *below; i < full.size(); ++i) {
      const auto c = static_cast<unsigned char>(full[i]);
      if (detail::IsShiftJisLeadByte(c) && i + 1 < full.size()) {
        ++i;
        continue;
      }
      if (!IsSeparator(full[i])) continue;
      std::string candidate = full.substr(0, i) + "." + extension;
      UpperCaseCString(candidate.data());
      const std::string openPath = realCase.substr(*below, i - *below) + "." + extension;
      index = OpenCachedLocked(s, -1, candidate, 0, 0, &openPath);
      if (index >= 0) {
        folderEnd = i;
        s.lastIndex = index;
        s.lastArchivePath = candidate;
        s.lastFolder = full.substr(0, i);
        break;
      }
    }
    if (index < 0) return -1;
  }
  if (cacheIndex != nullptr) *cacheIndex = index;
  if (archivePath != nullptr) *archivePath = s.slots[index]->path;
  if (innerPath != nullptr) *innerPath = full.substr(folderEnd + 1);
  return 0;
}

int OpenCachedArchive(int hint, const char* archivePath, int inMemory, int async) {
  if (archivePath == nullptr) return -1;
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  return OpenCachedLocked(s, hint, archivePath, inMemory, async);
}

void ReleaseArchiveReference(int cacheIndex) {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  if (cacheIndex < 0 || cacheIndex >= kArchiveCacheSlots || s.slots[cacheIndex] == nullptr) return;
  if (s.slots[cacheIndex]->references > 0) --s.slots[cacheIndex]->references;
}

int ReleaseUnusedArchives() {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  ReleaseUnusedLocked(s);
  return 0;
}

int ReleaseAllArchives() { return ReleaseUnusedArchives(); }

int ClearArchiveCache() {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  for (auto& slot : s.slots) {
    if (slot != nullptr) ReleaseArchiveRecord(&slot->record);
    slot.reset();
  }
  s.used = 0;
  s.extension.clear();
  s.keyGiven = false;
  s.key.clear();
  s.lastIndex = -1;
  s.lastArchivePath.clear();
  s.lastFolder.clear();
  s.opens = 0;
  return 0;
}

ArchiveRecord* CachedArchiveRecord(int cacheIndex) {
  ArchiveCacheState& s = Cache();
  std::lock_guard<std::recursive_mutex> hold(s.mutex);
  if (cacheIndex < 0 || cacheIndex >= kArchiveCacheSlots || s.slots[cacheIndex] == nullptr) {
    return nullptr;
  }
  return &s.slots[cacheIndex]->record;
}

int MatchFindPattern(const char* pattern, const char* name) {
  if (pattern == nullptr || name == nullptr) return -1;
  const auto* p = reinterpret_cast<const unsigned char*>(pattern);
  const auto* n = reinterpret_cast<const unsigned char*>(name);
  auto charLength = [](const unsigned char* c) { return detail::IsShiftJisLeadByte(*c) && c[1] ? 2 : 1; };
  while (*p != 0) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == 0) return 0;
      // "?" occurs at once: any byte is one.
      if (*p == '?') continue;
      const int length = charLength(p);
      while (*n != 0 && !(charLength(n) == length && n[0] == p[0] && (length == 1 || n[1] == p[1]))) {
        n += charLength(n);
      }
      if (*n == 0) return -1;
      continue;
    }
    if (*p == '?') {
      if (*n == 0) return -1;
      ++p;
      ++n;
      continue;
    }
    if (charLength(p) == 2) {
      if (n[0] != p[0] || n[1] != p[1]) return -1;
      p += 2;
      n += 2;
      continue;
    }
    if (*n != *p) return -1;
    ++p;
    ++n;
  }
  return *n == 0 ? 0 : -1;
}

namespace detail {

ArchiveCacheState& ArchiveCacheRecord() {
  static ArchiveCacheState state;
  return state;
}

}  // namespace detail
}  // namespace veziv
