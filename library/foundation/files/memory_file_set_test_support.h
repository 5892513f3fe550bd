// For tests and fuzz targets: a file set whose files are memory blocks,
// installed like any caller's own table, so that the game's file calls run
// over known bytes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/streams.h"

namespace veziv::test {

struct MemoryFiles {
  std::map<std::string, std::string> contents;
  std::vector<MemoryStreamState*> open;  // slot index + 1 is the handle
};

inline MemoryFiles& TheMemoryFiles() {
  static MemoryFiles files;
  return files;
}

inline MemoryStreamState* MemoryFileState(FileHandle handle) {
  auto& open = TheMemoryFiles().open;
  if (handle < 1 || static_cast<size_t>(handle) > open.size()) return nullptr;
  return open[static_cast<size_t>(handle) - 1];
}

inline const FileFunctionTable* MemoryFileSet() {
  static const FileFunctionTable set = {
      [](const char* path, int, int, int) -> FileHandle {
        auto& files = TheMemoryFiles();
        auto found = files.contents.find(path);
        if (found == files.contents.end()) return 0;
        MemoryStreamState* s = OpenMemoryStream(found->second.data(), static_cast<int>(found->second.size()));
        files.open.push_back(s);
        return static_cast<FileHandle>(files.open.size());
      },
      [](FileHandle h) {
        MemoryStreamState* s = MemoryFileState(h);
        if (s == nullptr) return -1;
        TheMemoryFiles().open[static_cast<size_t>(h) - 1] = nullptr;
        return CloseMemoryStream(s);
      },
      [](FileHandle h) { return MemoryStreamTell(MemoryFileState(h)); },
      [](FileHandle h, int offset, int origin) { return MemoryStreamSeek(MemoryFileState(h), offset, origin); },
      [](void* buffer, size_t size, size_t count, FileHandle h) {
        return MemoryStreamRead(buffer, size, count, MemoryFileState(h));
      },
      [](FileHandle h) { return MemoryStreamEof(MemoryFileState(h)) != 0 ? -1 : 0; },
      [](FileHandle) { return 1; },
      [](const char*) { return 0; },
      [](char* buffer) {
        buffer[0] = '\0';
        return 0;
      },
      [](const char*, FileFindRecord*) { return -1; },
      [](int, FileFindRecord*) { return -1; },
      [](int) { return -1; },
  };
  return &set;
}

// Installs the memory set with one file of the given bytes; returns its handle.
inline FileHandle OpenMemoryFile(const std::string& bytes) {
  TheMemoryFiles().contents["memory"] = bytes;
  SetFileFunctionTable(MemoryFileSet());
  return FileStreamOpen("memory", 0, 1, 0);
}

// Closes every file left open and forgets the contents.
inline void ForgetMemoryFiles() {
  auto& files = TheMemoryFiles();
  for (MemoryStreamState* s : files.open) CloseMemoryStream(s);
  files.open.clear();
  files.contents.clear();
}

}  // namespace veziv::test
