// Reading and whole-file writing of the save folder's files.
#include "game/core/save_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/core/frame_loop.h"
#include "game/core/session.h"

namespace game {

namespace {

bool writeAll(int fd, const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Makes the rename itself durable; a folder that cannot be synced does not
// undo a write that is already in place.
void syncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const int fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool fail(const char* path, const std::string& temp, const char* step, int error) {
  if (!temp.empty()) ::unlink(temp.c_str());
  std::fprintf(stderr, "save file \"%s\" not written (%s: %s)\n", path, step, std::strerror(error));
  return false;
}

}  // namespace

long readSaveFile(const char* path, uint8_t* buffer, size_t capacity) {
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return errno == ENOENT ? kSaveFileMissing : kSaveFileUnreadable;
  const size_t got = std::fread(buffer, 1, capacity, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  return failed ? kSaveFileUnreadable : static_cast<long>(got);
}

bool writeSaveFile(const char* path, const uint8_t* bytes, size_t size) {
  const std::string temp = std::string(path) + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return fail(path, "", "open", errno);
  if (!writeAll(fd, bytes, size)) {
    const int error = errno;
    ::close(fd);
    return fail(path, temp, "write", error);
  }
  if (::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    return fail(path, temp, "flush", error);
  }
  if (::close(fd) != 0) return fail(path, temp, "close", errno);
  if (::rename(temp.c_str(), path) != 0) return fail(path, temp, "rename", errno);
  syncFolderOf(path);
  return true;
}

void noticeUnsaved(const char* what) {
  Session().frame.noticeQueue.push_back({std::string(what) + "を保存できませんでした。",
                                         "ディスクの空きと書き込みの権限を確かめてください。", "OK"});
}

}  // namespace game
