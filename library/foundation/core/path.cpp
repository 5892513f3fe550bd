// Path normalisation into the library's form (prefix, then components joined
// by '\'), shared by every function that makes a full path.
#include "library/foundation/core/path.h"

#include <vector>

#include "library/foundation/core/helpers.h"
#include "platform/os/charset.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

enum class PrefixKind { kNone, kRoot, kNetwork, kDrive };

struct PathState {
  CurrentDirectoryReader reader = nullptr;
};

PathState& State() {
  static PathState state;
  return state;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Separates the prefix of text; *prefix receives it in the library's form.
std::string_view SplitPrefix(std::string_view text, PrefixKind* kind, std::string* prefix) {
  if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    *kind = PrefixKind::kNetwork;
    prefix->assign(2, '\\');
    return text.substr(2);
  }
  if (!text.empty() && IsSeparator(text[0])) {
    *kind = PrefixKind::kRoot;
    prefix->assign(1, '\\');
    return text.substr(1);
  }
  if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
    *kind = PrefixKind::kDrive;
    prefix->assign(text.data(), 2);
    text.remove_prefix(2);
    if (!text.empty() && IsSeparator(text[0])) text.remove_prefix(1);
    return text;
  }
  *kind = PrefixKind::kNone;
  prefix->clear();
  return text;
}

// Applies the components of text to parts. False for an empty component when
// those are rejected; a single trailing separator is not one.
bool AddComponents(std::string_view text, bool reject_empty, std::vector<std::string_view>* parts) {
  size_t start = 0;
  size_t i = 0;
  auto take = [&](size_t end) {
    std::string_view part = text.substr(start, end - start);
    if (part.empty()) return !reject_empty;
    if (part == "..") {
      if (!parts->empty()) parts->pop_back();
    } else if (part != ".") {
      parts->push_back(part);
    }
    return true;
  };
  // A lead byte pairs only with a trail byte, so a '/' after a UTF-8 byte of a
  // host folder name that looks like a lead byte still separates.
  while (i < text.size()) {
    if (IsSeparator(text[i])) {
      if (!take(i)) return false;
      start = ++i;
    } else {
      i += platform::os::Cp932CharLength(text, i);
    }
  }
  if (start < text.size()) return take(text.size());
  return true;
}

// The host folder is UTF-8 and the library's paths are CP932; a folder with a
// name that has no CP932 form stays UTF-8, which the host-path resolver finds
// by its raw bytes.
std::string DefaultCurrentDirectory() {
  const std::string host = platform::os::CurrentFolder();
  if (host.empty()) return std::string();
  return platform::os::TryUtf8ToCp932(host).value_or(host);
}

}  // namespace

int NormalizePath(std::string_view path, std::string_view base, const PathOptions& options,
                  std::string* out) {
  if (out == nullptr) return -1;
  PrefixKind kind;
  std::string prefix;
  std::string_view rest = SplitPrefix(path, &kind, &prefix);
  std::vector<std::string_view> parts;
  if (kind == PrefixKind::kRoot || kind == PrefixKind::kNone) {
    PrefixKind base_kind;
    std::string base_prefix;
    std::string_view base_rest = SplitPrefix(base, &base_kind, &base_prefix);
    if (kind == PrefixKind::kNone) {
      kind = base_kind;
      prefix = base_prefix;
      AddComponents(base_rest, false, &parts);
    } else if (base_kind != PrefixKind::kNone) {
      kind = base_kind;
      prefix = base_prefix;
    }
  }
  if (!AddComponents(rest, options.reject_empty_components, &parts)) return -1;

  std::string result = prefix;
  for (size_t i = 0; i < parts.size(); ++i) {
    // Root and network prefixes end in a separator already; a drive does not.
    if (i > 0 || kind == PrefixKind::kDrive) result += '\\';
    result += parts[i];
  }
  if (options.upper_case) UpperCaseCString(result.data());
  *out = std::move(result);
  return 0;
}

void SetCurrentDirectoryReader(CurrentDirectoryReader reader) { State().reader = reader; }

std::string ReadCurrentDirectoryForPaths() {
  const CurrentDirectoryReader reader = State().reader;
  return reader != nullptr ? reader() : DefaultCurrentDirectory();
}

}  // namespace veziv
