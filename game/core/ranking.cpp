// The online ranking.
#include "game/core/ranking.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/music_voices.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr const char* kAgent = "data_up_down_test";
constexpr int kBodyBytes = 1024;  // 1023 bytes of body and the terminator
constexpr int kConnectMs = 3000;
constexpr int kTotalMs = 5000;
constexpr int kMaxUrl = 255;
constexpr const char* kSettingsFile = "ranking.cfg";

// A base address from the environment, else from the settings file, else the
// default.
std::string setting(const char* variable, const char* key, const char* fallback) {
  if (const char* value = std::getenv(variable); value != nullptr && *value != 0) return value;
  std::ifstream file(kSettingsFile);
  std::string line;
  const std::string prefix = std::string(key) + "=";
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, prefix.size(), prefix) == 0 && line.size() > prefix.size()) return line.substr(prefix.size());
  }
  return fallback;
}

// The box shown while a request waits, and its failure form.
void drawWaitBox(const char* line1, const char* line2, const char* line3) {
  drawFramedBox(100, 200, 600, 200, 255, Session().colourWhite, 5, Session().colourBlack);
  veziv::DrawTextDefaultFont(120, 220, line1, Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(120, 250, line2, Session().colourWhite, 0);
  if (line3 != nullptr) veziv::DrawTextDefaultFont(120, 280, line3, Session().colourWhite, 0);
  veziv::PresentBackBuffer();
}

int32_t playerOneScore() { return battle::battlePlayer(1).score; }

}  // namespace

rankingAddresses rankingSettings() {
  return {setting("VEZIV_RANKING_SEND", "send", kDefaultSendBase),
          setting("VEZIV_RANKING_FETCH", "fetch", kDefaultFetchBase)};
}

std::string boardNameOf(const char* folder) {
  const char* slash = std::strchr(folder, '/');
  std::string name = slash != nullptr ? slash + 1 : folder;
  if (name.size() > 255) name.resize(255);
  return name;
}

std::string percentEncode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string sendUrl(const std::string& base, const std::string& name, int32_t score, const std::string& board) {
  const std::string url = base + percentEncode(name) + "**" + std::to_string(score) + "**" + percentEncode(board);
  return url.size() <= static_cast<size_t>(kMaxUrl) ? url : std::string();
}

std::string boardUrl(const std::string& base, const std::string& board) {
  const std::string url = base + percentEncode(board) + ".txt";
  return url.size() <= static_cast<size_t>(kMaxUrl) ? url : std::string();
}

void parseRankingBoard(const std::string& body, rankingEntry table[kRankCount]) {
  std::string text = body.substr(0, body.find('\0'));
  if (const size_t end = text.find("eof"); end != std::string::npos) text.resize(end);
  size_t at = 0;
  for (int rank = 0; rank < kRankCount; ++rank) {
    rankingEntry& entry = table[rank];
    entry = rankingEntry{};
    if (at > text.size()) continue;
    const size_t newline = text.find('\n', at);
    const std::string line = text.substr(at, newline == std::string::npos ? std::string::npos : newline - at);
    at = newline == std::string::npos ? text.size() + 1 : newline + 1;
    const size_t mark = line.find("**");
    if (mark == std::string::npos) continue;
    std::snprintf(entry.name, sizeof entry.name, "%s", line.substr(0, std::min<size_t>(mark, 255)).c_str());
    // Digits up to the first non-digit; a value past the i32 range stops at its
    // largest.
    int64_t score = 0;
    for (size_t i = mark + 2; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
      score = std::min<int64_t>(score * 10 + (line[i] - '0'), INT32_MAX);
    }
    entry.score = static_cast<int32_t>(score);
  }
}

int nameFault(const std::string& name) {
  if (name.empty()) return 1;
  if (name.find(' ') != std::string::npos) return 2;
  if (name.find('*') != std::string::npos) return 3;
  // The server ends its board text with "eof" and refuses a name holding it.
  if (name.find("eof") != std::string::npos) return 4;
  return 0;
}

void setRankingBoard() {
  const battle::battleStage* stage = battle::currentStage();
  std::snprintf(Session().ranking.board, sizeof Session().ranking.board, "%s",
                boardNameOf(stage != nullptr ? stage->folder : "").c_str());
}

bool fetchRankingBoard(const std::string& board, rankingEntry table[kRankCount]) {
  const std::string url = boardUrl(rankingSettings().fetchBase, board);
  char body[kBodyBytes];
  if (url.empty() || veziv::RequestUrlText(url.c_str(), kAgent, body, sizeof body, kConnectMs, kTotalMs) < 0) {
    return false;
  }
  parseRankingBoard(body, table);
  return true;
}

bool sendRankingScore(const std::string& name, int32_t score, const std::string& board) {
  const std::string url = sendUrl(rankingSettings().sendBase, name, score, board);
  char body[kBodyBytes];
  return !url.empty() && veziv::RequestUrlText(url.c_str(), kAgent, body, sizeof body, kConnectMs, kTotalMs) >= 0;
}

bool downloadRanking() {
  veziv::StopCurrentMusic();
  drawWaitBox("この作業にはしばらく時間がかかります。", "しばらくお待ちください。", nullptr);
  setRankingBoard();
  if (!fetchRankingBoard(Session().ranking.board, Session().ranking.table)) {
    drawWaitBox("受信に失敗しました。", "インターネットに接続しているか確認してください。",
                "何かキーを押してください。");
    veziv::WaitForAnyKey();
    replayMidiWithNotice();
    return false;
  }
  replayMidiWithNotice();
  return true;
}

bool submitRanking() {
  setRankingBoard();
  const int32_t score = playerOneScore();
  if (Session().ranking.table[kRankCount - 1].score > score) {
    char line[256];
    std::snprintf(line, 255, "%d　点以上を目指しましょう。", Session().ranking.table[kRankCount - 1].score);
    Session().frame.noticeQueue.push_back({"残念ながら得点が足りませんでした。", line, "OK"});
    return false;
  }
  if (Session().ranking.entryState == kRankingSent) {
    Session().frame.noticeQueue.push_back({"すでに送信済みです。", "OK"});
    return false;
  }
  if (Session().ranking.entryState == kRankingRestored) {
    Session().frame.noticeQueue.push_back(
        {"ランキングに参加する権利がありません。", "戦闘データをロードすると参加できなくなります。", "OK"});
    return false;
  }
  waitAnyKeyPrompt("登録する名前を入力してください。", "", false);
  drawFramedBox(219, 309, 300, 24, 255, Session().colourWhite, 1, Session().colourBlack);
  veziv::DrawTextWithFont(219, 295, "入力待ち…", Session().colourBlack, Session().registry.gameFont, 0, 0);
  char entered[20] = {};
  if (veziv::InputStringModal(220, 310, 19, entered, 1) != 1) {
    showMessageBox({"ランキング送信を中止しました", "OK"});
    return false;
  }
  const std::string name = entered;
  switch (nameFault(name)) {
    case 1: return false;  // an empty name ends silently
    case 2:
      showMessageBox({"半角スペース( )は使用できません。", "もう一度入力しなおしてください。", "OK"});
      return false;
    case 3: showMessageBox({"*は使用できません。", "もう一度入力しなおしてください。", "OK"}); return false;
    case 4:
      showMessageBox({"この名前は登録できません。", "「eof」を含まない名前を入力しなおしてください。", "OK"});
      return false;
    default: break;
  }
  veziv::StopCurrentMusic();
  waitAnyKeyPrompt("この作業にはしばらく時間がかかります。", "しばらくお待ちください。", false);
  if (!sendRankingScore(name, score, Session().ranking.board)) {
    waitAnyKeyPrompt("送信に失敗しました。", "インターネットに接続しているか確認してください。", true);
    replayMidiWithNotice();
    return false;
  }
  Session().ranking.entryState = kRankingSent;
  replayMidiWithNotice();
  return true;
}

void drawRankingTable() {
  drawFramedBox(50, 50, 600, 400, 160, Session().colourWhite, 5, Session().colourBlack);
  veziv::DrawFormattedTextDefaultFont(70, 70, Session().colourWhite, "%s", Session().ranking.board);
  veziv::DrawTextDefaultFont(70, 100, "名前", Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(470, 100, "スコア", Session().colourWhite, 0);
  const veziv::GraphHandle digits = graphOf(kImageDigits);
  for (int rank = 1; rank <= kRankCount; ++rank) {
    const int y = 130 + 30 * (rank - 1);
    const rankingEntry& entry = Session().ranking.table[rank - 1];
    veziv::DrawFormattedTextDefaultFont(70, y, Session().colourWhite, "%d位 %s", rank, entry.name);
    if (entry.score <= 0) continue;
    const std::string number = std::to_string(entry.score);
    for (size_t i = 0; i < number.size(); ++i) {
      const int d = number[i] - '0';
      veziv::RenderGraphPart(470 + 14 * static_cast<int>(i), y, 0, 15 * d, 14, 15, digits, 1, 0);
    }
  }
}

}  // namespace game
