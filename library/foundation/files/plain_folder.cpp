// The plain-file set's folder operations: the current folder, find first/next/
// close over the platform's directory search, and the temporary-file writer;
// and the table of the plain-file set.
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "library/foundation/core/slot_table.h"
#include "library/foundation/files/plain_file.h"
#include "platform/os/charset.h"
#include "platform/os/filetime.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

constexpr size_t kPathBuffer = 260;

struct FindState {
  std::vector<platform::os::FoundFile> entries;
  size_t next = 0;
};

struct FolderState {
  SlotTable<FindState> finds;
};

FolderState& State() {
  static FolderState state;
  return state;
}

// Host folders are UTF-8; the library speaks CP932, and a name that has no
// CP932 form is kept as its bytes rather than with '?' in it.
std::string ToLibraryPath(const std::string& host) { return platform::os::TryUtf8ToCp932(host).value_or(host); }

DateRecord LocalDate(uint64_t fileTime) {
  std::tm tm{};
  if (!platform::os::FileTimeToLocalTime(fileTime, &tm)) return DateRecord{};
  return DateRecord{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void FillFindRecord(const platform::os::FoundFile& found, FileFindRecord* record) {
  if (record == nullptr) return;
  std::memcpy(record->name, found.name.c_str(), found.name.size() + 1);
  record->directory = found.folder ? 1 : 0;
  record->sizeLow = static_cast<uint32_t>(found.size);
  record->sizeHigh = static_cast<uint32_t>(found.size >> 32);
  // The host keeps no creation time that means the same; the last write stands in.
  record->lastWriteTime = LocalDate(found.last_write);
  record->creationTime = record->lastWriteTime;
}

}  // namespace

int PlainFileSetCurrentDir(const char* path) {
  if (path == nullptr) return 0;
  if (!platform::os::SetCurrentFolder(platform::os::ResolveHostPath(path))) return 0;
  // Relative library paths are resolved against this folder from now on.
  const std::string folder = platform::os::CurrentFolder();
  platform::os::SetStartFolder(folder);
  return folder.empty() ? 0 : 1;
}

int PlainFileGetCurrentDir(char* buffer) {
  if (buffer == nullptr) return 0;
  const std::string folder = ToLibraryPath(platform::os::StartFolder());
  if (folder.size() >= kPathBuffer) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return static_cast<int>(folder.size());
}

int PlainFileFindFirst(const char* pattern, FileFindRecord* record) {
  if (pattern == nullptr) return -1;
  auto* state = new (std::nothrow) FindState;
  if (state == nullptr) return -1;
  for (platform::os::FoundFile& found : platform::os::FindFiles(pattern)) {
    // A name the record cannot hold is not listed rather than listed cut.
    if (found.name.size() < sizeof(FileFindRecord::name)) state->entries.push_back(std::move(found));
  }
  if (state->entries.empty()) {
    delete state;
    return -1;
  }
  FillFindRecord(state->entries[0], record);
  state->next = 1;
  return State().finds.Put(state);
}

int PlainFileFindNext(int findHandle, FileFindRecord* record) {
  FindState* state = State().finds.Get(findHandle);
  if (state == nullptr || state->next >= state->entries.size()) return -1;
  FillFindRecord(state->entries[state->next++], record);
  return 0;
}

int PlainFileFindClose(int findHandle) {
  FindState* state = State().finds.Take(findHandle);
  if (state == nullptr) return -1;
  delete state;
  return 0;
}

platform::os::File CreateTempFile(char* pathBuffer) {
  const std::string host = platform::os::CreateTemporaryFile();
  if (host.empty()) return platform::os::File();
  const std::string path = ToLibraryPath(host);
  if (pathBuffer != nullptr && path.size() >= kPathBuffer) {
    platform::os::DeleteFile(host);
    return platform::os::File();
  }
  platform::os::File file = platform::os::OpenFile(host, platform::os::OpenMode::kWrite);
  if (!file.IsOpen()) {
    platform::os::DeleteFile(host);
    return file;
  }
  if (pathBuffer != nullptr) std::memcpy(pathBuffer, path.c_str(), path.size() + 1);
  return file;
}

const FileFunctionTable* GetPlainFileSet() {
  static const FileFunctionTable set = {
      PlainFileOpen,          PlainFileClose,     PlainFileTell,     PlainFileSeek,
      PlainFileRead,          PlainFileEof,       PlainFileIdleCheck, PlainFileSetCurrentDir,
      PlainFileGetCurrentDir, PlainFileFindFirst, PlainFileFindNext, PlainFileFindClose,
  };
  return &set;
}

}  // namespace veziv
