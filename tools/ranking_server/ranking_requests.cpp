#include "tools/ranking_server/ranking_requests.h"

#include <climits>

namespace ranking {

namespace {

constexpr std::string_view kSendPrefix = "/send/";
constexpr std::string_view kBoardPrefix = "/board/";
constexpr std::string_view kBoardSuffix = ".txt";

bool hasControlByte(std::string_view s) {
  for (const unsigned char c : s) {
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

bool parseScore(std::string_view s, int32_t& out) {
  if (s.empty() || s.size() > 11) return false;
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  if (s[0] == '-') v = -v;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int32_t>(v);
  return true;
}

}  // namespace

bool validBoard(std::string_view board) {
  return !board.empty() && board.size() <= 255 && board.find('/') == std::string_view::npos && !hasControlByte(board) &&
         board != "." && board != "..";
}

bool parseEntry(std::string_view text, Entry& out) {
  const size_t first = text.find("**");
  if (first == std::string_view::npos) return false;
  const size_t second = text.find("**", first + 2);
  if (second == std::string_view::npos) return false;
  const std::string_view name = text.substr(0, first), board = text.substr(second + 2);
  if (name.empty() || name.size() > 19 || name.find(' ') != std::string_view::npos ||
      name.find('*') != std::string_view::npos || name.find("eof") != std::string_view::npos || hasControlByte(name) ||
      !validBoard(board)) {
    return false;
  }
  if (!parseScore(text.substr(first + 2, second - first - 2), out.score)) return false;
  out.name = name;
  out.board = board;
  return true;
}

size_t headEnd(std::string_view bytes, size_t from) {
  for (size_t at = from; at < bytes.size(); ++at) {
    if (bytes[at] != '\n') continue;
    // The line this newline ends starts after the previous newline (or at
    // the start): it is empty when nothing but a "\r" lies between.
    size_t start = at;
    if (start > 0 && bytes[start - 1] == '\r') --start;
    if (start == 0 || bytes[start - 1] == '\n') return at + 1;
  }
  return std::string_view::npos;
}

Route routeOf(std::string_view path) {
  Route route;
  if (path.starts_with(kSendPrefix) && path.size() > kSendPrefix.size()) {
    route.kind = parseEntry(path.substr(kSendPrefix.size()), route.entry) ? RouteKind::kSend : RouteKind::kBad;
  } else if (path.starts_with(kBoardPrefix) && path.ends_with(kBoardSuffix) &&
             path.size() > kBoardPrefix.size() + kBoardSuffix.size()) {
    const std::string_view board =
        path.substr(kBoardPrefix.size(), path.size() - kBoardPrefix.size() - kBoardSuffix.size());
    if (validBoard(board)) {
      route.kind = RouteKind::kBoard;
      route.board = board;
    } else {
      route.kind = RouteKind::kBad;
    }
  }
  return route;
}

}  // namespace ranking
