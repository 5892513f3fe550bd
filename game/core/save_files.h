// Plain files under "save/": read with stdio, never through the archives
// (an archive named "save.dat" must not shadow them), and written whole:
// a temporary file beside the target, flushed to disk and renamed over it,
// so that a crash or a full disk never leaves a half-written file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace game {

// Little-endian fields of the save files, at any alignment.
inline int32_t readLeI32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
inline void putLeI32(uint8_t* p, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// What readSaveFile gives for a file that is not there, and for one that is
// there but cannot be read (no permission, a folder, a read error).
inline constexpr long kSaveFileMissing = -1;
inline constexpr long kSaveFileUnreadable = -2;

// Reads at most capacity bytes from the start of a file: the count read, or
// kSaveFileMissing or kSaveFileUnreadable.
long readSaveFile(const char* path, uint8_t* buffer, size_t capacity);

// Writes the bytes as the whole new content of the file through
// "<path>.tmp". On any failure the temporary file is removed, the old file
// stays as it was, a line goes to standard error, and the result is false.
bool writeSaveFile(const char* path, const uint8_t* bytes, size_t size);

// Tells the player, in a notice box, that what the text names ("設定", never
// a file name) could not be saved: a failed write is never silent.
void noticeUnsaved(const char* what);

}  // namespace game
