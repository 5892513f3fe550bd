// The library's path normaliser and where it reads the current directory.
//
// Paths inside the library are CP932 byte strings in one form: an optional
// prefix (a drive "C:", a root "\" or a network "\\"), then components joined
// by '\'. Input may use '\' and '/' alike; a 0x5C that is the trail byte of a
// double-byte character is part of a name, never a separator. platform/os
// turns this form into host paths.
#pragma once

#include <string>
#include <string_view>

namespace veziv {

struct PathOptions {
  // Two separators in a row inside the path fail with -1 instead of being skipped.
  bool reject_empty_components = false;
  // ASCII a-z of the whole result become A-Z (the form archive lookups compare).
  bool upper_case = false;
};

// Makes the full path of path against base into *out:
// - two leading separators: a network path, "\\" and the components that follow;
// - one leading separator: the base's prefix (its drive, root or "\\"; a root
//   when base has none), then the path's components;
// - a letter and ':': that drive, then the components (one separator after the
//   colon is skipped);
// - otherwise the base's prefix and components, then the path's.
// Base is read with the same rules (a host folder like "/home/u/game" is a
// rooted path). "." is dropped; ".." removes the last component but never the
// prefix; empty components are skipped unless options reject them.
// Returns 0, or -1 (out unchanged) for a rejected empty component or null out.
int NormalizePath(std::string_view path, std::string_view base, const PathOptions& options,
                  std::string* out);

// Returns the current directory in the library's path form, or "" when it
// cannot be read.
using CurrentDirectoryReader = std::string (*)();
// Installs the reader the path functions use for a missing base; null restores
// the default, the process's working directory as the system reports it.
void SetCurrentDirectoryReader(CurrentDirectoryReader reader);
// The current directory through the installed reader.
std::string ReadCurrentDirectoryForPaths();

}  // namespace veziv
