// The installed table of file operations that every reader of the library
// goes through, its forwarders, and the game's calls for text and data files.
//
// Two built-in sets exist: the plain-file set (plain_file.h) and the
// archive-aware set, which the archive layer registers. A caller may install
// a table of its own. Handles belong to the set that opened them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "library/veziv.h"

namespace veziv {

// 1 when the installed table is, slot by slot, the default set of the current setting.
int IsDefaultFileFunctionTable();

// The plain-file set (plain_file.h) in slot order.
const FileFunctionTable* GetPlainFileSet();

namespace detail {
// A stand-in for the archive-aware set (archive_file_set.h), for tests; null
// puts the real one back.
void RegisterArchiveFileSet(const FileFunctionTable* table);
}  // namespace detail

}  // namespace veziv
