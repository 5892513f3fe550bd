// The installed table of file operations that every reader of the library
// goes through, its forwarders, and the game's calls for text and data files.
//
// Two built-in sets exist: the plain-file set (plain_file.h) and the
// archive-aware set, which the archive layer registers. A caller may install
// a table of its own. Handles belong to the set that opened them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/foundation/core/date_record.h"

namespace veziv {

// 0 means failure; the value is private to the set that made it.
using FileHandle = int;

struct FileFindRecord {
  char name[260];  // file name without folder, zero-terminated, Shift-JIS
  int directory;   // 1 for a folder, 0 for a file
  uint32_t sizeLow;
  uint32_t sizeHigh;
  DateRecord creationTime;   // local time
  DateRecord lastWriteTime;  // local time
};

struct FileFunctionTable {
  // path, cache flag, reserved (callers pass 1), asynchronous flag; 0 on failure.
  FileHandle (*open)(const char* path, int cache, int reserved, int async);
  int (*close)(FileHandle handle);
  int (*tell)(FileHandle handle);
  // origin 0 start, 1 current position, 2 end; 0, -1 on failure.
  int (*seek)(FileHandle handle, int offset, int origin);
  size_t (*read)(void* buffer, size_t elementSize, size_t count, FileHandle handle);
  // -1 once a read has met the end of the file, else 0.
  int (*eof)(FileHandle handle);
  // Non-zero when no asynchronous request of the handle is pending.
  int (*idleCheck)(FileHandle handle);
  int (*setCurrentDir)(const char* path);
  // buffer of at least 260 bytes.
  int (*getCurrentDir)(char* buffer);
  // Find handle, -1 when nothing matches; record may be null.
  int (*findFirst)(const char* pattern, FileFindRecord* record);
  int (*findNext)(int findHandle, FileFindRecord* record);
  int (*findClose)(int findHandle);
};

// Copies the twelve slots of table into the installed table; null installs the
// default set of the use-archive setting. Returns 0.
int SetFileFunctionTable(const FileFunctionTable* table);
// 1 when the installed table is, slot by slot, the default set of the current setting.
int IsDefaultFileFunctionTable();
// Non-zero turns archive reading on. A caller's own table stays installed. Returns 0.
int EnableArchiveReading(int flag);

// Forwarders to the installed table, read at each call.
FileHandle FileStreamOpen(const char* path, int cache, int reserved, int async);
int FileStreamClose(FileHandle handle);
int FileStreamTell(FileHandle handle);
int FileStreamSeek(FileHandle handle, int offset, int origin);
size_t FileStreamRead(void* buffer, size_t elementSize, size_t count, FileHandle handle);
int FileStreamEof(FileHandle handle);
int FileStreamIdleCheck(FileHandle handle);
int FileStreamSetCurrentDir(const char* path);
int FileStreamGetCurrentDir(char* buffer);

// The game's calls.
// Opens for reading without read-ahead; async is taken as a truth value.
FileHandle OpenFileForRead(const char* path, int async);
// Reads one element of size bytes; returns the installed read's result.
int ReadFileElements(void* buffer, int size, FileHandle handle);
// Reads one line (ending at CR LF, which is not stored, or at a zero byte) into
// buffer and zero-terminates it; a line longer than bufferSize - 1 bytes comes
// back in pieces, never splitting a double-byte character. Returns the length,
// or -1 at the end of the file or for a buffer smaller than 2 bytes.
int ReadFileLine(char* buffer, int bufferSize, FileHandle handle);

// A stand-in for the archive-aware set (archive_file_set.h), for tests; null
// puts the real one back.
void RegisterArchiveFileSet(const FileFunctionTable* table);
const FileFunctionTable* GetPlainFileSet();

namespace detail {
// Back to the state before start-up: archives on, the default set installed,
// no archive set registered.
void ResetFileFunctionsForTest();
}  // namespace detail

}  // namespace veziv
