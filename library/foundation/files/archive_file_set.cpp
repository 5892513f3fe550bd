// The archive-aware file set: members of cached archives and, for paths that
// lie in no archive, plain files, behind one table of 512 handles; and finds
// that list an archive's folders as if they were on disk.
#include "library/foundation/files/archive_file_set.h"

#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "library/foundation/core/helpers.h"
#include "library/foundation/files/archive.h"
#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/archive_file_set_state.h"
#include "library/foundation/files/plain_file.h"
#include "library/foundation/memory_log/log.h"
#include "platform/os/filetime.h"

namespace veziv {
namespace {

using detail::ArchiveFileRecord;
using detail::ArchiveFileState;
using detail::ArchiveFindRecord;
using detail::kArchiveHandleTag;

ArchiveFileState& Files() { return detail::ArchiveFileSetRecord(); }

ArchiveFindRecord* FindOf(int handle) {
  ArchiveFileState& s = Files();
  std::lock_guard<std::mutex> hold(s.mutex);
  if (handle < 1 || static_cast<size_t>(handle) > s.finds.size()) return nullptr;
  return s.finds[static_cast<size_t>(handle) - 1].get();
}

ArchiveFileRecord* RecordOf(FileHandle handle) {
  const uint32_t slot = static_cast<uint32_t>(handle) & 0x0FFFFFFFu;
  if ((static_cast<uint32_t>(handle) & kArchiveHandleTag) != kArchiveHandleTag || slot >= kArchiveFileSlots) return nullptr;
  ArchiveFileState& s = Files();
  std::lock_guard<std::mutex> hold(s.mutex);
  return s.slots[slot].get();
}

// The window services will offer this conversion; until then it is kept here.
DateRecord LocalDateOf(uint64_t fileTime) {
  std::tm tm{};
  if (!platform::os::FileTimeToLocalTime(fileTime, &tm)) return DateRecord{};
  return DateRecord{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void FillVirtual(const char* name, FileFindRecord* record) {
  std::memset(record, 0, sizeof *record);
  std::memcpy(record->name, name, std::strlen(name) + 1);
  record->directory = 1;
}

// Moves find->next past the first entry from it on that matches, filling
// record; -1 when none is left.
int StepArchiveFind(ArchiveFindRecord* find, FileFindRecord* record) {
  ArchiveRecord* archive = CachedArchiveRecord(find->cacheIndex);
  if (archive == nullptr) return -1;
  const uint32_t virtuals = find->folder.root ? 1 : 2;
  for (; find->next < virtuals + find->folder.count; ++find->next) {
    if (find->next < virtuals) {
      const char* name = find->next == 0 ? "." : "..";
      if (MatchFindPattern(find->pattern.c_str(), name) != 0) continue;
      if (record != nullptr) FillVirtual(name, record);
      ++find->next;
      return 0;
    }
    std::string_view search;
    ArchiveEntryInfo info;
    if (!ReadArchiveFolderEntry(archive, find->folder, find->next - virtuals, &search, &info)) continue;
    // A name the record cannot hold is not listed rather than listed cut.
    if (info.storedName.size() >= sizeof(FileFindRecord::name)) continue;
    if (MatchFindPattern(find->pattern.c_str(), std::string(search).c_str()) != 0) continue;
    if (record != nullptr) {
      std::memset(record, 0, sizeof *record);
      std::memcpy(record->name, info.storedName.data(), info.storedName.size());
      record->directory = info.folder ? 1 : 0;
      record->sizeLow = info.size;
      record->creationTime = LocalDateOf(info.creationTime);
      record->lastWriteTime = LocalDateOf(info.lastWriteTime);
    }
    ++find->next;
    return 0;
  }
  return -1;
}

// Sets up a find inside the archive: the folder part of the inner path is
// looked up, the rest is the pattern.
bool StartArchiveFind(ArchiveFindRecord* find, const std::string& inner, FileFindRecord* record) {
  ArchiveRecord* archive = CachedArchiveRecord(find->cacheIndex);
  if (archive == nullptr) return false;
  size_t split = std::string::npos;
  for (size_t i = 0; i < inner.size(); ++i) {
    const auto c = static_cast<unsigned char>(inner[i]);
    if (detail::IsShiftJisLeadByte(c) && i + 1 < inner.size()) {
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      split = i;
    }
  }
  const std::string folder = split == std::string::npos ? std::string() : inner.substr(0, split);
  find->pattern = split == std::string::npos ? inner : inner.substr(split + 1);
  UpperCaseCString(find->pattern.data());
  if (!FindArchiveFolder(archive, folder, &find->folder)) return false;
  find->next = 0;
  return StepArchiveFind(find, record) == 0;
}

}  // namespace

FileHandle ArchiveFileOpen(const char* path, int cache, int reserved, int async) {
  (void)reserved;
  ArchiveFileState& s = Files();
  ArchiveFileRecord* record = nullptr;
  int slot = 0;
  {
    std::lock_guard<std::mutex> hold(s.mutex);
    if (s.open >= kArchiveFileSlots) {
      WriteLogText("同時に開けるファイルの数が限界を超えました\n");
      return 0;
    }
    while (s.slots[slot] != nullptr) ++slot;
    s.slots[slot].reset(new (std::nothrow) ArchiveFileRecord);
    record = s.slots[slot].get();
    if (record == nullptr) {
      WriteLogText("ファイルの情報を格納するメモリの確保に失敗しました\n");
      return 0;
    }
    ++s.open;
  }
  // The slot is held while the file is opened without the table's lock: an
  // open reads disk and may unpack a whole member, and the movie thread's reads
  // of its own files need not wait for that. No one else knows the handle yet.
  auto giveBack = [&s, slot] {
    std::lock_guard<std::mutex> hold(s.mutex);
    s.slots[slot].reset();
    --s.open;
    return FileHandle{0};
  };
  std::string inner;
  if (FindArchiveForPath(path, &record->cacheIndex, nullptr, &inner) != 0) {
    record->plain = PlainFileOpen(path, cache, 1, async);
    if (record->plain == 0) return giveBack();
  } else {
    record->inArchive = true;
    // A file whose folder has an archive is never looked for on disk.
    if (OpenArchiveMember(&record->member, CachedArchiveRecord(record->cacheIndex), inner.c_str(), async) != 0) {
      ReleaseArchiveReference(record->cacheIndex);
      return giveBack();
    }
  }
  return static_cast<FileHandle>(kArchiveHandleTag | static_cast<uint32_t>(slot));
}

int ArchiveFileClose(FileHandle handle) {
  const uint32_t slot = static_cast<uint32_t>(handle) & 0x0FFFFFFFu;
  if ((static_cast<uint32_t>(handle) & kArchiveHandleTag) != kArchiveHandleTag || slot >= kArchiveFileSlots) return -1;
  ArchiveFileState& s = Files();
  std::unique_ptr<ArchiveFileRecord> record;
  {
    std::lock_guard<std::mutex> hold(s.mutex);
    record = std::move(s.slots[slot]);
    if (record == nullptr) return -1;
    --s.open;
  }
  if (record->inArchive) {
    CloseArchiveMember(&record->member);
    ReleaseArchiveReference(record->cacheIndex);
  } else {
    PlainFileClose(record->plain);
  }
  return 0;
}

int ArchiveFileTell(FileHandle handle) {
  ArchiveFileRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  return r->inArchive ? TellArchiveMember(&r->member) : PlainFileTell(r->plain);
}

int ArchiveFileSeek(FileHandle handle, int offset, int origin) {
  ArchiveFileRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  return r->inArchive ? SeekArchiveMember(&r->member, offset, origin) : PlainFileSeek(r->plain, offset, origin);
}

size_t ArchiveFileRead(void* buffer, size_t size, size_t count, FileHandle handle) {
  ArchiveFileRecord* r = RecordOf(handle);
  if (r == nullptr) return static_cast<size_t>(-1);
  if (!r->inArchive) return PlainFileRead(buffer, size, count, r->plain);
  // A member is at most 4 GB, so a product beyond that asks for everything left.
  const size_t bytes = size != 0 && count > SIZE_MAX / size ? SIZE_MAX : size * count;
  return ReadArchiveMember(&r->member, buffer, bytes);
}

int ArchiveFileEof(FileHandle handle) {
  ArchiveFileRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  return r->inArchive ? EofArchiveMember(&r->member) : PlainFileEof(r->plain);
}

int ArchiveFileIdleCheck(FileHandle handle) {
  ArchiveFileRecord* r = RecordOf(handle);
  if (r == nullptr) return -1;
  return r->inArchive ? FinishArchiveMemberRead(&r->member) : PlainFileIdleCheck(r->plain);
}

int ArchiveSetCurrentDir(const char* path) {
  PlainFileSetCurrentDir(path);
  return 0;
}

int ArchiveGetCurrentDir(char* buffer) {
  PlainFileGetCurrentDir(buffer);
  return 0;
}

int ArchiveFindFirst(const char* pattern, FileFindRecord* record) {
  if (pattern == nullptr) return -1;
  auto find = std::make_unique<ArchiveFindRecord>();
  std::string inner;
  if (FindArchiveForPath(pattern, &find->cacheIndex, nullptr, &inner) != 0) {
    find->plain = PlainFileFindFirst(pattern, record);
    if (find->plain == -1) return -1;
  } else {
    find->inArchive = true;
    if (!StartArchiveFind(find.get(), inner, record)) {
      ReleaseArchiveReference(find->cacheIndex);
      return -1;
    }
  }
  ArchiveFileState& s = Files();
  std::lock_guard<std::mutex> hold(s.mutex);
  size_t i = 0;
  while (i < s.finds.size() && s.finds[i] != nullptr) ++i;
  if (i == s.finds.size()) s.finds.emplace_back();
  s.finds[i] = std::move(find);
  return static_cast<int>(i) + 1;
}

int ArchiveFindNext(int findHandle, FileFindRecord* record) {
  ArchiveFindRecord* find = FindOf(findHandle);
  if (find == nullptr) return -1;
  return find->inArchive ? StepArchiveFind(find, record) : PlainFileFindNext(find->plain, record);
}

int ArchiveFindClose(int findHandle) {
  std::unique_ptr<ArchiveFindRecord> find;
  {
    ArchiveFileState& s = Files();
    std::lock_guard<std::mutex> hold(s.mutex);
    if (findHandle < 1 || static_cast<size_t>(findHandle) > s.finds.size()) return -1;
    find = std::move(s.finds[static_cast<size_t>(findHandle) - 1]);
  }
  if (find == nullptr) return -1;
  if (find->inArchive) {
    ReleaseArchiveReference(find->cacheIndex);
    return 0;
  }
  return PlainFileFindClose(find->plain);
}

const FileFunctionTable* GetArchiveFileSet() {
  static const FileFunctionTable set = {
      ArchiveFileOpen,       ArchiveFileClose,      ArchiveFileTell,  ArchiveFileSeek,
      ArchiveFileRead,       ArchiveFileEof,        ArchiveFileIdleCheck,
      ArchiveSetCurrentDir,  ArchiveGetCurrentDir,  ArchiveFindFirst, ArchiveFindNext,
      ArchiveFindClose,
  };
  return &set;
}

namespace detail {

ArchiveFileState& ArchiveFileSetRecord() {
  static ArchiveFileState state;
  return state;
}

}  // namespace detail
}  // namespace veziv
