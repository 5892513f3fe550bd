// The archive-aware set of the file table, the library's default: a file is
// read from the archive that stands in for one of its folders, and from disk
// only when no such archive exists. Handles are 0xF0000000 | slot, at most 512
// files open at once; finds inside archives list ".", ".." and the folder's
// entries in table order.
#pragma once

#include <cstddef>

#include "library/foundation/files/file_functions.h"

namespace veziv {

inline constexpr int kArchiveFileSlots = 512;

FileHandle ArchiveFileOpen(const char* path, int cache, int reserved, int async);
int ArchiveFileClose(FileHandle handle);
int ArchiveFileTell(FileHandle handle);
int ArchiveFileSeek(FileHandle handle, int offset, int origin);
// Members: size * count bytes are asked for and the bytes read are returned.
// Plain files: whole elements, as the plain set counts them.
size_t ArchiveFileRead(void* buffer, size_t size, size_t count, FileHandle handle);
int ArchiveFileEof(FileHandle handle);
int ArchiveFileIdleCheck(FileHandle handle);
// Forward to the plain set and return 0.
int ArchiveSetCurrentDir(const char* path);
int ArchiveGetCurrentDir(char* buffer);
int ArchiveFindFirst(const char* pattern, FileFindRecord* record);
int ArchiveFindNext(int findHandle, FileFindRecord* record);
int ArchiveFindClose(int findHandle);

// The set in slot order.
const FileFunctionTable* GetArchiveFileSet();

}  // namespace veziv
