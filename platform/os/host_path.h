// Host paths for the library's Windows-style CP932 paths.
//
// "image\\System\\bar1.png" becomes "/home/u/game/image/system/Bar1.png" when that is what is on disk:
// "\\" and "/" both separate (a 0x5C trail byte does not), each component is converted to UTF-8 and,
// when that exact name is missing, matched ignoring ASCII case, also as its raw CP932 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

// Resolves a CP932 path to a UTF-8 host path. A path starting with "/" or "\\" is absolute, so a
// host path handed back by this module passes through unchanged; any other path is relative to the
// start folder. "." is dropped and ".." removes the previous component (never above "/"). A component
// that matches nothing on disk is kept, converted, so a new file can be created under that name;
// one that does not convert to UTF-8 is kept as its raw bytes rather than with '?' in it, so two
// different names never land on the same file. The path ends at an embedded NUL, as a C string would.
// Directory listings are not cached, so files created or deleted by anyone are seen at once.
std::string ResolveHostPath(std::string_view cp932_path);

// The process's working folder (a host path); empty when it cannot be read.
std::string CurrentFolder();
// Makes host_folder the working folder; false when it cannot be entered.
bool SetCurrentFolder(const std::string& host_folder);

// The folder relative paths start from: the working directory when first needed, unless set here.
std::string StartFolder();
void SetStartFolder(std::string host_utf8);

// The names in a host folder except "." and "..", in the order the file system gives them; empty
// when it cannot be read.
std::vector<std::string> ListHostFolder(const std::string& host_folder);

// Splits a CP932 path at its separators, skipping double-byte characters; empty components (from
// "a//b" or a leading separator) are dropped.
std::vector<std::string_view> SplitCp932Path(std::string_view cp932_path);

}  // namespace platform::os
