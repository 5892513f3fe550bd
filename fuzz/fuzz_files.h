// What the file-format fuzz targets share: the library's log silenced (every
// refusal would be written to "Log.txt" and slow each run), and a temporary
// folder of the process's own in which an input becomes a file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "library/foundation/memory_log/log.h"

namespace veziv::fuzzing {

inline void SilenceLog() { detail::SilenceLogForFuzzing(true); }

// A folder made once for the process and removed when it ends.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    static const std::string removed = pattern;
    std::atexit([] { std::filesystem::remove_all(removed); });
    return pattern;
  }();
  return folder;
}

// Writes the bytes as the file relative below the scratch folder (its folders
// made); the file's host path.
inline std::string WriteScratchFile(const std::string& relative, const uint8_t* data, size_t size) {
  const std::filesystem::path path = std::filesystem::path(ScratchFolder()) / relative;
  std::filesystem::create_directories(path.parent_path());
  // A new file each time: cutting the old one to nothing makes ext4 write it
  // back to the disk first, which would cost more than the run.
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  if (!out) std::abort();
  return path.string();
}

}  // namespace veziv::fuzzing
