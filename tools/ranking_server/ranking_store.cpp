#include "tools/ranking_server/ranking_store.h"

#include <sqlite3.h>

#include <cstdio>

namespace ranking {

Store::Store(const std::string& path) : path_(path) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
    std::fprintf(stderr, "ranking: cannot open %s: %s\n", path.c_str(), sqlite3_errmsg(db_));
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  const char* schema =
      "CREATE TABLE IF NOT EXISTS scores (id INTEGER PRIMARY "
      "KEY, board BLOB NOT NULL, name BLOB NOT NULL, "
      "score INTEGER NOT NULL);"
      "CREATE INDEX IF NOT EXISTS scores_by_board ON scores "
      "(board, score DESC, id);";
  if (sqlite3_exec(db_, schema, nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "ranking: %s\n", sqlite3_errmsg(db_));
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  if (sqlite3_db_readonly(db_, "main") == 1) {
    std::fprintf(stderr, "ranking: %s is read-only: scores sent will not be stored\n", path.c_str());
  }
}

Store::~Store() { sqlite3_close(db_); }

bool Store::add(const Entry& e) {
  if (db_ == nullptr) return false;
  sqlite3_stmt* st = nullptr;
  bool done = false;
  if (sqlite3_prepare_v2(db_, "INSERT INTO scores (board, name, score) VALUES (?, ?, ?)", -1, &st, nullptr) ==
      SQLITE_OK) {
    sqlite3_bind_blob(st, 1, e.board.data(), static_cast<int>(e.board.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(st, 2, e.name.data(), static_cast<int>(e.name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 3, e.score);
    done = sqlite3_step(st) == SQLITE_DONE;
  }
  // The operator learns why sends fail (a read-only file, a full disk)
  // before the players do.
  if (!done) std::fprintf(stderr, "ranking: a score was not stored in %s: %s\n", path_.c_str(), sqlite3_errmsg(db_));
  sqlite3_finalize(st);
  return done;
}

std::string Store::boardText(const std::string& board) {
  std::string text;
  sqlite3_stmt* st = nullptr;
  if (db_ != nullptr && sqlite3_prepare_v2(db_,
                                           "SELECT name, score FROM scores WHERE board = ? ORDER "
                                           "BY score DESC, id LIMIT 10",
                                           -1, &st, nullptr) == SQLITE_OK) {
    sqlite3_bind_blob(st, 1, board.data(), static_cast<int>(board.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
      const void* name = sqlite3_column_blob(st, 0);
      const int size = sqlite3_column_bytes(st, 0);
      text.append(static_cast<const char*>(name), static_cast<size_t>(size));
      text += "**" + std::to_string(sqlite3_column_int(st, 1)) + "\n";
    }
    sqlite3_finalize(st);
  }
  return text + "eof";
}

}  // namespace ranking
