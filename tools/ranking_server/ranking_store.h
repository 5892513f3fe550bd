// The ranking server's scores: one SQLite file holding every sent score by
// board, and the board text the game fetches (the ten best, best first).
#pragma once

#include <string>

#include "tools/ranking_server/ranking_requests.h"

struct sqlite3;

namespace ranking {

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
