// Files, folders and directory searches for the library's CP932 paths, over POSIX.
//
// Every path argument is a library path and goes through ResolveHostPath (so an absolute host path,
// such as the one CreateTemporaryFile returns, also works). Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::os {

enum class OpenMode {
  kRead,            // existing file, read only
  kWrite,           // existing file, write only, not truncated
  kReadWrite,       // existing file, both
  kCreateTruncate,  // created or emptied, read and write
  kAppend,          // created when missing, write only, every write goes to the end
};

enum class SeekFrom { kBegin, kCurrent, kEnd };

// An open file; closes its descriptor when destroyed. Moves, never copies.
class File {
 public:
  File() = default;
  explicit File(int fd) : fd_(fd) {}
  File(File&& other) noexcept : fd_(other.Release()) {}
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  // Gives up the descriptor without closing it.
  int Release();

  // Reads until size bytes or the end of the file; the count read (0 at the end), -1 on error.
  int64_t Read(void* buffer, size_t size);
  // Reads until size bytes or the end of the file from offset on, leaving the position where it
  // was; the count read (0 at or past the end), -1 on error.
  int64_t ReadAt(void* buffer, size_t size, uint64_t offset) const;
  // Writes all size bytes; size, or -1 on error.
  int64_t Write(const void* data, size_t size);
  // The new position, or -1 (a position before the start is refused).
  int64_t Seek(int64_t offset, SeekFrom from);
  int64_t Tell() const;
  int64_t Size() const;
  // False when the descriptor was open and closing it reported an error (data may be lost).
  bool Close();

 private:
  int fd_ = -1;
};

// Opens a file; a closed File when it cannot be opened or names a folder.
File OpenFile(std::string_view cp932_path, OpenMode mode);
// OpenFile and DeleteFile for a host path taken as it is (relative to the working folder), for
// files that are the program's own rather than the game's, such as the log.
File OpenHostFile(const std::string& host_path, OpenMode mode);
bool DeleteHostFile(const std::string& host_path);

// True when the folder was made; false if it exists or its parent does not.
bool CreateFolder(std::string_view cp932_path);
// Deletes a file (not a folder); true when it was deleted.
bool DeleteFile(std::string_view cp932_path);
bool FolderExists(std::string_view cp932_path);
// True for an existing entry that is not a folder.
bool FileExists(std::string_view cp932_path);

// Creates an empty file in the system's temporary folder ($TMPDIR, else /tmp) and returns its host
// path; empty on failure.
std::string CreateTemporaryFile();

struct FoundFile {
  std::string name;     // CP932; raw bytes when the host name is not UTF-8 with a CP932 form
  uint64_t size = 0;    // 0 for folders
  bool folder = false;
  bool read_only = false;  // nobody may write it (by the permission bits, whoever runs the program)
  uint64_t last_write = 0;  // FILETIME
};

// Lists the entries of the pattern's folder whose names match its last component (see
// MatchesWildcard), "." and ".." first, then sorted by name bytes. Empty when the folder cannot be
// read, nothing matches, or the pattern ends with a separator.
std::vector<FoundFile> FindFiles(std::string_view cp932_pattern);

// Windows wildcard match of a CP932 name: '*' matches any run of characters, '?' exactly one (a
// double-byte character is one), ASCII letters match either case, and "*.*" matches every name,
// with or without a dot.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace platform::os
