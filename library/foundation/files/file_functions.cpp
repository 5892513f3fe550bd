// The installed file table, its forwarders and the game's file calls.
#include "library/foundation/files/file_functions.h"

#include "library/foundation/core/helpers.h"
#include "library/foundation/files/archive_file_set.h"
#include "library/foundation/files/file_functions_state.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using detail::FileFunctionState;

FileFunctionState& State() { return detail::FileFunctionsRecord(); }

const FileFunctionTable& ArchiveSet() {
  FileFunctionState& files = State();
  return files.archiveSet != nullptr ? *files.archiveSet : *GetArchiveFileSet();
}

const FileFunctionTable& DefaultSet() {
  return State().archivesOff != 0 ? *GetPlainFileSet() : ArchiveSet();
}

bool SameSlots(const FileFunctionTable& a, const FileFunctionTable& b) {
  return a.open == b.open && a.close == b.close && a.tell == b.tell && a.seek == b.seek &&
         a.read == b.read && a.eof == b.eof && a.idleCheck == b.idleCheck &&
         a.setCurrentDir == b.setCurrentDir && a.getCurrentDir == b.getCurrentDir &&
         a.findFirst == b.findFirst && a.findNext == b.findNext && a.findClose == b.findClose;
}

// Before anything is installed, the table holds the archive-aware set.
const FileFunctionTable& Installed() {
  FileFunctionState& files = State();
  if (files.installed.open == nullptr) files.installed = ArchiveSet();
  return files.installed;
}

}  // namespace

int SetFileFunctionTable(const FileFunctionTable* table) {
  State().installed = table != nullptr ? *table : DefaultSet();
  return 0;
}

int IsDefaultFileFunctionTable() { return SameSlots(Installed(), DefaultSet()) ? 1 : 0; }

int EnableArchiveReading(int flag) {
  FileFunctionState& files = State();
  const int archivesOff = flag != 0 ? 0 : 1;
  if (archivesOff == files.archivesOff) return 0;
  const bool wasDefault = IsDefaultFileFunctionTable() == 1;
  files.archivesOff = archivesOff;
  if (wasDefault) SetFileFunctionTable(nullptr);
  return 0;
}

FileHandle FileStreamOpen(const char* path, int cache, int reserved, int async) {
  return Installed().open(path, cache, reserved, async);
}
int FileStreamClose(FileHandle handle) { return Installed().close(handle); }
int FileStreamTell(FileHandle handle) { return Installed().tell(handle); }
int FileStreamSeek(FileHandle handle, int offset, int origin) { return Installed().seek(handle, offset, origin); }
size_t FileStreamRead(void* buffer, size_t elementSize, size_t count, FileHandle handle) {
  return Installed().read(buffer, elementSize, count, handle);
}
int FileStreamEof(FileHandle handle) { return Installed().eof(handle); }
int FileStreamIdleCheck(FileHandle handle) { return Installed().idleCheck(handle); }
int FileStreamSetCurrentDir(const char* path) { return Installed().setCurrentDir(path); }
int FileStreamGetCurrentDir(char* buffer) { return Installed().getCurrentDir(buffer); }

FileHandle OpenFileForRead(const char* path, int async) { return FileStreamOpen(path, 0, 1, async != 0 ? 1 : 0); }

int ReadFileElements(void* buffer, int size, FileHandle handle) {
  if (size < 0) return 0;
  return static_cast<int>(FileStreamRead(buffer, static_cast<size_t>(size), 1, handle));
}

namespace {

// start + bytes as the int offset that seek takes, without signed overflow.
int OffsetFrom(int start, size_t bytes) {
  return static_cast<int>(static_cast<int64_t>(start) + static_cast<int64_t>(bytes));
}

// Reads count bytes and waits until an asynchronous handle has delivered them.
size_t ReadBytesAndWait(void* buffer, size_t count, FileHandle handle) {
  const size_t n = FileStreamRead(buffer, 1, count, handle);
  while (FileStreamIdleCheck(handle) == 0) platform::os::Sleep(0);
  return n;
}

}  // namespace

int ReadFileLine(char* buffer, int bufferSize, FileHandle handle) {
  if (buffer == nullptr || bufferSize < 2) return -1;
  if (FileStreamEof(handle) != 0) return -1;
  const int start = FileStreamTell(handle);
  const size_t asked = static_cast<size_t>(bufferSize) - 1;
  const size_t n = ReadBytesAndWait(buffer, asked, handle);
  if (n == 0) return -1;
  // A short read means the chunk reaches the end of the file: nothing follows
  // that could complete a character or a CR LF pair.
  const bool atEnd = n < asked;
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
  size_t i = 0;
  while (i < n) {
    const unsigned char c = bytes[i];
    if (c == 0) break;
    if (detail::IsShiftJisLeadByte(c)) {
      if (i + 2 <= n) {
        i += 2;
        continue;
      }
      // The trail byte lies beyond the chunk. Read it again next time, unless
      // nothing follows or the buffer holds one byte only: then the lone lead
      // byte is taken as a character of its own, so the reader always advances.
      if (atEnd || i == 0) {
        ++i;
        continue;
      }
      FileStreamSeek(handle, OffsetFrom(start, i), 0);
      break;
    }
    if (c == '\r') {
      if (i + 1 < n) {
        if (bytes[i + 1] == '\n') {
          FileStreamSeek(handle, OffsetFrom(start, i + 2), 0);
          break;
        }
        ++i;
        continue;
      }
      // A CR that ends the chunk: look at the byte after it, so that the pair
      // is never split between two lines.
      if (!atEnd) {
        unsigned char next = 0;
        const size_t got = ReadBytesAndWait(&next, 1, handle);
        if (got == 1 && next == '\n') break;  // the position is already behind the pair
        if (got == 1) FileStreamSeek(handle, OffsetFrom(start, n), 0);
      }
      ++i;
      continue;
    }
    ++i;
  }
  buffer[i] = '\0';
  return static_cast<int>(i);
}

namespace detail {

void RegisterArchiveFileSet(const FileFunctionTable* table) { State().archiveSet = table; }

FileFunctionState& FileFunctionsRecord() {
  static FileFunctionState state;
  return state;
}

}  // namespace detail

}  // namespace veziv
