// The ranking server's scores: one SQLite file holding every sent score by
// board, and the board text the game fetches (the ten best, best first).
#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

namespace ranking {

// What a send request carries, decoded: "<name>**<score>**<board>".
struct Entry {
  std::string name, board;
  int32_t score = 0;
};
// Splits and checks a send request's decoded path part: the name 1 to 19
// bytes without a blank, "*" or "eof"; the score a decimal i32; the board 1
// to 255 bytes without "/" or a control byte. False for anything else.
bool parseEntry(const std::string& text, Entry& out);
// Checks a board name the same way (for the fetch requests).
bool validBoard(const std::string& board);

class Store {
 public:
  // Opens (creating) the database file; ":memory:" keeps it in memory. A
  // file that opens only for reading is kept (its boards can still be
  // served), with a word on standard error.
  explicit Store(const std::string& path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  bool ok() const { return db_ != nullptr; }

  // Records a score; false, with the database's reason on standard error,
  // when it could not be stored (a read-only file, a full disk, a lock held
  // by another program).
  bool add(const Entry& entry);
  // Up to ten lines "name**score\n", best score first (the earlier send
  // first on a tie), then "eof".
  std::string boardText(const std::string& board);

 private:
  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace ranking
