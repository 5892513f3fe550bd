// Test support for the file layer: its tables and settings started afresh
// between tests, the file-access thread's hooks and interval set, and the
// archive cache's counts read.
#pragma once

#include <cstdint>

#include "library/foundation/files/plain_file_state.h"

namespace veziv::detail {

// Closes every file and find of the archive-aware set and clears the archive cache.
void StartArchiveFilesAfresh();
// How many archive files the cache has opened since the last clear.
int ArchiveOpens();
// The reference count of a cache slot, -1 for an empty one.
int ArchiveReferenceCount(int cacheIndex);

// The hooks that threads of files opened from now on take.
void SetFileThreadHooks(FileThreadHooks hooks);
// How long a cached file's thread waits for a command before it tops up its read-ahead.
void SetFileCacheInterval(uint32_t milliseconds);
// Hooks cleared, the interval back to its default, threads started again.
void StartPlainFilesAfresh();

// Back to the state before start-up: archives on, the default set installed,
// no archive set registered.
void StartFileFunctionsAfresh();

}  // namespace veziv::detail
