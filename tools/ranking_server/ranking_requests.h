// What the ranking server reads from a request by itself: where a request's
// head ends in the bytes received so far, and which of its two requests a
// decoded path makes. "GET /send/<name>**<score>**<board>" records a score,
// "GET /board/<board>.txt" serves a board's text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ranking {

// What a send request carries, decoded: "<name>**<score>**<board>".
struct Entry {
  std::string name, board;
  int32_t score = 0;
};
// Splits and checks a send request's decoded path part: the name 1 to 19
// bytes without a blank, "*" or "eof"; the score a decimal i32; the board 1
// to 255 bytes without "/" or a control byte. False for anything else.
bool parseEntry(std::string_view text, Entry& out);
// Checks a board name the same way (for the fetch requests).
bool validBoard(std::string_view board);

// The offset just past the first empty line of a request's head (a line
// ending in "\n", with or without "\r" before it), or npos while none has
// arrived. Bytes before `from` were scanned already (by a call on fewer
// bytes), so a head arriving a byte at a time costs its length, not its
// square.
size_t headEnd(std::string_view bytes, size_t from = 0);

enum class RouteKind {
  kNone,   // a path the server does not serve
  kBad,    // a send or a board whose parts a board cannot show
  kSend,   // entry holds the score to record
  kBoard,  // board names the board to serve
};
struct Route {
  RouteKind kind = RouteKind::kNone;
  Entry entry;
  std::string board;
};
// The request a decoded path (without its query) makes.
Route routeOf(std::string_view path);

}  // namespace ranking
