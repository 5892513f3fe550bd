// The plain-file set of the file table: files read from disk in three modes
// (synchronous; cached, with a read-ahead kept topped up by a file-access
// thread; asynchronous, where reads return before the data has arrived), find
// over folders, and the temporary-file writer.
//
// File and find handles are slot indices plus one, so they fit the 32-bit
// handle values of the file table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/foundation/files/file_functions.h"
#include "platform/os/files.h"

namespace veziv {

FileHandle PlainFileOpen(const char* path, int cache, int reserved, int async);
// 0, or -1 for a handle that is not open or a file that did not close.
int PlainFileClose(FileHandle handle);
int PlainFileTell(FileHandle handle);
// The target is not clamped; a seek beyond the end makes the next read meet the end.
int PlainFileSeek(FileHandle handle, int offset, int origin);
// Whole elements only; 0 at the end (and the end flag set).
size_t PlainFileRead(void* buffer, size_t elementSize, size_t count, FileHandle handle);
int PlainFileEof(FileHandle handle);
// 1 when the file's thread has no request pending (always for a synchronous file).
int PlainFileIdleCheck(FileHandle handle);
// Non-zero on success.
int PlainFileSetCurrentDir(const char* path);
// Writes the current folder (at most 259 bytes and a zero) into buffer; returns
// its length, 0 when it does not fit or cannot be read.
int PlainFileGetCurrentDir(char* buffer);
// Names match case-insensitively with Windows wildcards ("*.*" matches names
// without a dot too); "." and ".." are listed; order is by name.
int PlainFileFindFirst(const char* pattern, FileFindRecord* record);
int PlainFileFindNext(int findHandle, FileFindRecord* record);
int PlainFileFindClose(int findHandle);

// Creates an empty file for writing in the system's temporary folder; a closed
// File on failure. pathBuffer, when given (at least 260 bytes), receives the
// file's full path in the library's form.
platform::os::File CreateTempFile(char* pathBuffer);

// The file-access thread's command codes.
enum FileThreadCommand : int {
  kFileThreadOpen = 0,
  kFileThreadCloseHandle = 1,
  kFileThreadRead = 2,
  kFileThreadSeek = 3,
  kFileThreadCloseAndEnd = 4,
};

inline constexpr uint32_t kFileCacheSize = 0x20000;

namespace detail {

// Cached and asynchronous files opened from now on get no thread: each
// command is carried out on the caller's thread as it is handed over (a
// cached file tops up its read-ahead after each), so that the fuzz targets
// run these modes' code without a thread switch per read.
void RunFileThreadsInline(bool inlined);

}  // namespace detail

}  // namespace veziv
