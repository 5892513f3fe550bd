// Files, folders, directory searches and temporary files over POSIX.
#include "platform/os/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <tuple>

#include "platform/os/charset.h"
#include "platform/os/filetime.h"
#include "platform/os/host_path.h"

namespace platform::os {
namespace {

// One read or write call at most this long, well inside ssize_t.
constexpr size_t kMaxChunk = size_t{1} << 30;

bool StatHost(const std::string& host, struct stat* st) {
  return stat(host.c_str(), st) == 0 || lstat(host.c_str(), st) == 0;  // a dangling link still lists
}

// Splits a CP932 text into its characters, a double-byte character being one.
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> out;
  for (size_t i = 0; i < s.size(); i += out.back().size()) out.push_back(s.substr(i, Cp932CharLength(s, i)));
  return out;
}

FoundFile Describe(const std::string& host, std::string name) {
  FoundFile found;
  found.name = std::move(name);
  struct stat st;
  if (StatHost(host, &st)) {
    found.folder = S_ISDIR(st.st_mode);
    found.size = found.folder || st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
    found.read_only = (st.st_mode & 0222) == 0;
    found.last_write = FileTimeFromTimespec(st.st_mtim);
  }
  return found;
}

}  // namespace

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int File::Release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

int64_t File::Read(void* buffer, size_t size) {
  if (fd_ < 0) return -1;
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = read(fd_, out + done, std::min(size - done, kMaxChunk));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::ReadAt(void* buffer, size_t size, uint64_t offset) const {
  if (fd_ < 0) return -1;
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd_, out + done, std::min(size - done, kMaxChunk), static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Write(const void* data, size_t size) {
  if (fd_ < 0) return -1;
  const char* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd_, in + done, std::min(size - done, kMaxChunk));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, SeekFrom from) {
  if (fd_ < 0) return -1;
  int whence = from == SeekFrom::kBegin ? SEEK_SET : from == SeekFrom::kCurrent ? SEEK_CUR : SEEK_END;
  return static_cast<int64_t>(lseek(fd_, static_cast<off_t>(offset), whence));
}

int64_t File::Tell() const { return fd_ < 0 ? -1 : static_cast<int64_t>(lseek(fd_, 0, SEEK_CUR)); }

int64_t File::Size() const {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool File::Close() {
  if (fd_ < 0) return true;
  // Linux releases the descriptor even when close fails, so it is never retried.
  return close(Release()) == 0;
}

File OpenFile(std::string_view cp932_path, OpenMode mode) { return OpenHostFile(ResolveHostPath(cp932_path), mode); }

File OpenHostFile(const std::string& host_path, OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead: flags |= O_RDONLY; break;
    case OpenMode::kWrite: flags |= O_WRONLY; break;
    case OpenMode::kReadWrite: flags |= O_RDWR; break;
    case OpenMode::kCreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case OpenMode::kAppend: flags |= O_WRONLY | O_CREAT | O_APPEND; break;
  }
  File file(open(host_path.c_str(), flags, 0666));
  struct stat st;
  // A folder opens read-only on Linux; as a file it would only fail later, on the first read.
  if (file.IsOpen() && (fstat(file.Descriptor(), &st) != 0 || S_ISDIR(st.st_mode))) file.Close();
  return file;
}

bool CreateFolder(std::string_view cp932_path) { return mkdir(ResolveHostPath(cp932_path).c_str(), 0777) == 0; }

bool DeleteFile(std::string_view cp932_path) { return DeleteHostFile(ResolveHostPath(cp932_path)); }

bool DeleteHostFile(const std::string& host_path) { return unlink(host_path.c_str()) == 0; }

bool FolderExists(std::string_view cp932_path) {
  struct stat st;
  return stat(ResolveHostPath(cp932_path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(std::string_view cp932_path) {
  struct stat st;
  return stat(ResolveHostPath(cp932_path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string CreateTemporaryFile() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string path = tmpdir && *tmpdir ? tmpdir : "/tmp";
  if (path.back() != '/') path += '/';
  path += "veziv-XXXXXX";
  int fd = mkstemp(path.data());
  if (fd < 0) return std::string();
  close(fd);
  return path;
}

std::vector<FoundFile> FindFiles(std::string_view cp932_pattern) {
  std::vector<FoundFile> found;
  cp932_pattern = cp932_pattern.substr(0, cp932_pattern.find('\0'));
  std::vector<std::string_view> parts = SplitCp932Path(cp932_pattern);
  if (parts.empty()) return found;
  std::string_view name_pattern = parts.back();
  size_t folder_length = static_cast<size_t>(name_pattern.data() - cp932_pattern.data());
  if (folder_length + name_pattern.size() != cp932_pattern.size()) return found;  // ends with a separator

  std::string folder = ResolveHostPath(cp932_pattern.substr(0, folder_length));
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return found;

  std::vector<std::pair<std::string, std::string>> entries;  // host name, CP932 name
  if (folder != "/") {  // a root folder has no "." or "..", as on a drive's root
    entries.emplace_back(".", ".");
    entries.emplace_back("..", "..");
  }
  for (std::string& host_name : ListHostFolder(folder)) {
    std::string name = TryUtf8ToCp932(host_name).value_or(host_name);
    entries.emplace_back(std::move(host_name), std::move(name));
  }
  auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
  std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
    return std::forward_as_tuple(rank(a.first), a.second, a.first) <
           std::forward_as_tuple(rank(b.first), b.second, b.first);
  });
  for (auto& [host_name, name] : entries) {
    if (MatchesWildcard(name_pattern, name)) {
      found.push_back(Describe(folder + (folder == "/" ? "" : "/") + host_name, std::move(name)));
    }
  }
  return found;
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  std::string folded_pattern = LowerCp932Ascii(pattern);
  std::string folded_name = LowerCp932Ascii(name);
  std::vector<std::string_view> p = Characters(folded_pattern);
  std::vector<std::string_view> n = Characters(folded_name);
  // Greedy match, going back to the last '*' on a mismatch.
  size_t pi = 0;
  size_t ni = 0;
  std::optional<size_t> star;
  size_t star_name = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == "?" || p[pi] == n[ni])) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == "*") {
      star = pi++;
      star_name = ni;
    } else if (star) {
      pi = *star + 1;
      ni = ++star_name;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == "*") ++pi;
  return pi == p.size();
}

}  // namespace platform::os
