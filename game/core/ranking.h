// The online ranking: the board of the stage just played, fetched as text
// from a web server, the sending of player 1's score with an entered name,
// and the table drawn over the result menu. The two base addresses are
// settings: the environment variables VEZIV_RANKING_SEND and
// VEZIV_RANKING_FETCH, else the lines "send=" and "fetch=" of the file
// "ranking.cfg" beside the game, else the project's ranking server on the
// loopback address.
#pragma once

#include <cstdint>
#include <string>

namespace game {

// Whether player 1's score may be sent.
enum RankingEntry : int32_t { kRankingOpen = 0, kRankingRestored = 1, kRankingSent = 2 };

inline constexpr int kRankCount = 10;
struct rankingEntry {
  char name[256] = {};
  int32_t score = 0;
};
// The board of the stage just played and its table as last fetched.
struct RankingState {
  int32_t entryState = kRankingOpen;
  char board[256] = {};
  rankingEntry table[kRankCount];
};

// The default base addresses: the ranking server's own on 127.0.0.1.
inline constexpr const char* kDefaultSendBase = "http://127.0.0.1:48620/send/";
inline constexpr const char* kDefaultFetchBase = "http://127.0.0.1:48620/board/";
struct rankingAddresses {
  std::string sendBase, fetchBase;
};
// The settings as they stand now (environment, then "ranking.cfg", then the
// defaults).
rankingAddresses rankingSettings();

// The board name of a stage folder: the part behind its first "/", or the whole
// name.
std::string boardNameOf(const char* folder);
// Percent-encodes every byte outside the unreserved set (A-Z a-z 0-9 - . _ ~).
std::string percentEncode(const std::string& bytes);
// The request URLs (empty when longer than 255 characters).
std::string sendUrl(const std::string& base, const std::string& name, int32_t score, const std::string& board);
std::string boardUrl(const std::string& base, const std::string& board);
// Parses a board text into the ten entries: cut at the first "eof", one
// line a rank, "name**score[**...]"; a missing line or one without "**"
// gives an empty name and 0.
void parseRankingBoard(const std::string& text, rankingEntry table[kRankCount]);
// Why a name cannot be sent: 0 fine, 1 empty, 2 holds a half-width blank, 3
// holds "*", 4 holds "eof" (the server refuses it: its board text ends there).
int nameFault(const std::string& name);

// The requests alone: the board fetched and parsed into table (untouched on
// failure), and a score sent; true only for an HTTP 2xx answer.
bool fetchRankingBoard(const std::string& board, rankingEntry table[kRankCount]);
bool sendRankingScore(const std::string& name, int32_t score, const std::string& board);

void setRankingBoard();
bool downloadRanking();
bool submitRanking();
void drawRankingTable();

}  // namespace game
