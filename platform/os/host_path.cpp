// Resolves the library's CP932 paths to host paths, folding case per component.
#include "platform/os/host_path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/os/charset.h"

namespace platform::os {
namespace {

struct HostPathState {
  std::mutex mutex;
  bool start_known = false;
  std::string start_folder;
};

HostPathState& State() {
  static HostPathState state;
  return state;
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Join(const std::string& base, std::string_view name) {
  std::string out = base;
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

void RemoveLastComponent(std::string& path) {
  size_t slash = path.rfind('/');
  // Only the relative start folder used when the working directory was unreadable climbs by "..".
  if (slash == std::string::npos || path.compare(slash + 1, std::string::npos, "..") == 0) {
    path += "/..";
  } else {
    path.erase(slash == 0 ? 1 : slash);
  }
}

bool NameExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals wanted once both are folded by fold; the smallest such
// name when several differ only in case, so the choice does not depend on the listing order.
template <typename Fold>
std::optional<std::string> FindFolded(const std::vector<std::string>& names, std::string_view wanted, Fold fold) {
  std::string key = fold(wanted);
  std::optional<std::string> best;
  for (const std::string& name : names) {
    if (name.size() == wanted.size() && fold(name) == key && (!best || name < *best)) best = name;
  }
  return best;
}

// The on-disk name for one CP932 component inside folder base.
std::string ResolveComponent(const std::string& base, std::string_view cp932) {
  std::optional<std::string> utf8 = TryCp932ToUtf8(cp932);
  if (utf8 && NameExists(Join(base, *utf8))) return *utf8;
  if (NameExists(Join(base, cp932))) return std::string(cp932);
  std::vector<std::string> names = ListHostFolder(base);
  if (utf8) {
    if (std::optional<std::string> found = FindFolded(names, *utf8, LowerAscii)) return *found;
  }
  if (std::optional<std::string> found = FindFolded(names, cp932, LowerCp932Ascii)) return *found;
  return utf8 ? *utf8 : std::string(cp932);
}

}  // namespace

std::string CurrentFolder() {
  char* cwd = getcwd(nullptr, 0);
  std::string folder = cwd != nullptr ? cwd : "";
  free(cwd);
  return folder;
}

bool SetCurrentFolder(const std::string& host_folder) { return chdir(host_folder.c_str()) == 0; }

std::string StartFolder() {
  HostPathState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.start_known) {
    const std::string cwd = CurrentFolder();
    s.start_folder = !cwd.empty() ? WithoutTrailingSlashes(cwd) : std::string(".");
    s.start_known = true;
  }
  return s.start_folder;
}

void SetStartFolder(std::string host_utf8) {
  HostPathState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.start_folder = host_utf8.empty() ? std::string(".") : WithoutTrailingSlashes(std::move(host_utf8));
  s.start_known = true;
}

std::vector<std::string_view> SplitCp932Path(std::string_view cp932_path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  size_t i = 0;
  for (; i < cp932_path.size(); i += Cp932CharLength(cp932_path, i)) {
    if (IsSeparator(cp932_path[i])) {
      if (i > start) parts.push_back(cp932_path.substr(start, i - start));
      start = i + 1;
    }
  }
  if (i > start) parts.push_back(cp932_path.substr(start, i - start));
  return parts;
}

std::string ResolveHostPath(std::string_view cp932_path) {
  cp932_path = cp932_path.substr(0, cp932_path.find('\0'));
  bool absolute = !cp932_path.empty() && IsSeparator(cp932_path[0]);
  std::string path = absolute ? std::string("/") : StartFolder();
  for (std::string_view part : SplitCp932Path(cp932_path)) {
    if (part == ".") continue;
    if (part == "..") {
      RemoveLastComponent(path);
      continue;
    }
    path = Join(path, ResolveComponent(path, part));
  }
  return path;
}

std::vector<std::string> ListHostFolder(const std::string& host_folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(host_folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return names;
}

}  // namespace platform::os
