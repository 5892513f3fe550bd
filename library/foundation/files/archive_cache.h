// The archive cache: which archive a path belongs to, the open archives kept
// with reference counts, the two settings the game makes at start-up (the
// archive extension and key), and the find-pattern match of archive finds.
//
// An archive stands in for one folder below the start folder: with the
// extension "dat", "image\\chara\\a.png" is looked for in "image.dat" first,
// then in "image\\chara.dat". Folders above the start folder never stand in.
#pragma once

#include <string>

#include "library/veziv.h"

namespace veziv {

inline constexpr int kArchiveCacheSlots = 512;

// 1 to 63 characters set the extension; null, empty or longer texts clear it,
// so that "VUR" applies. Returns 0.
int StoreArchiveFileExtension(const char* text);
// Null clears the key; otherwise the first 12 characters are the key string
// (an empty text counts as no key). Returns 0.
int StoreArchiveKeyText(const char* text);

// The full path of path with its ASCII letters upper-cased, relative paths
// taken from the start folder. 0, or -1 for a null out.
int MakeArchiveFullPath(const char* path, std::string* out);

// Finds the archive that path lies in, raising its reference count. 0 with its
// cache index, its archive path and the path inside it (as asked); -1 when the
// path lies in no archive.
int FindArchiveForPath(const char* path, int* cacheIndex, std::string* archivePath,
                       std::string* innerPath);
// The cache index of the archive at archivePath (a full, upper-cased path),
// opened when not cached yet, with its reference count raised; -1 when it
// cannot be opened or the cache is full of archives in use. hint is a cache
// index to try first, or -1.
int OpenCachedArchive(int hint, const char* archivePath, int inMemory, int async);
// Lowers an archive's reference count, never below 0.
void ReleaseArchiveReference(int cacheIndex);
// Releases the cached archives that nothing uses. Return 0.
int ReleaseUnusedArchives();
int ReleaseAllArchives();
// Closes every archive and clears the settings and the last-archive memo;
// the state of library start-up. Returns 0.
int ClearArchiveCache();

struct ArchiveRecord;
// The record of a cached archive; null for an empty slot.
ArchiveRecord* CachedArchiveRecord(int cacheIndex);

// 0 when name matches pattern, -1 otherwise. "?" matches any one byte; a run
// of "*" matches up to the first occurrence of the pattern character after it
// (no backtracking: "*.png" does not match "a.b.png"), and a final "*" the rest;
// double-byte characters must equal the name's two bytes; other bytes match
// exactly. Pattern and name must end together.
int MatchFindPattern(const char* pattern, const char* name);

}  // namespace veziv
