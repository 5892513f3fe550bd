#include "game/story/script_line.h"

#include <cstdint>
#include <limits>

namespace game::story {

namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace

size_t findCommandStart(const std::string& line) {
  // "@" (0x40) is also a valid trail byte, as in the full-width blank, so
  // double-byte characters are stepped over whole.
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == '@') return i;
    if (isLeadByte(c) && i + 1 < line.size()) ++i;
  }
  return std::string::npos;
}

std::string commandWord(const std::string& line) {
  const size_t at = findCommandStart(line);
  if (at == std::string::npos) return {};
  const size_t blank = line.find(' ', at);
  return line.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
}

int readNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
  }
  return static_cast<int>(negative ? -value : value);
}

ScriptLine::ScriptLine(std::string text) : text_(std::move(text)) {
  at_ = findCommandStart(text_);
  if (at_ == std::string::npos) return;
  const size_t blank = text_.find(' ', at_);
  word_ = text_.substr(at_, blank == std::string::npos ? std::string::npos : blank - at_);
  if (blank != std::string::npos) args_ = blank + 1;
}

size_t ScriptLine::tokenStart(int i) const {
  size_t start = args_;
  for (int k = 0; k < i && start != std::string::npos; ++k) {
    const size_t blank = text_.find(' ', start);
    start = blank == std::string::npos ? std::string::npos : blank + 1;
  }
  return start;
}

std::string ScriptLine::token(int i) const {
  const size_t start = tokenStart(i);
  if (start == std::string::npos) return {};
  const size_t blank = text_.find(' ', start);
  return text_.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
}

bool ScriptLine::hasToken(int i) const { return tokenStart(i) != std::string::npos; }

std::string ScriptLine::rest() const { return args_ == std::string::npos ? std::string() : text_.substr(args_); }

std::vector<std::string> ScriptLine::list() const {
  std::vector<std::string> items;
  if (at_ == std::string::npos) return items;
  const size_t open = text_.find('(', at_ + word_.size());
  if (open == std::string::npos) return items;
  size_t close = text_.find(')', open + 1);
  if (close == std::string::npos) close = text_.size();
  size_t start = open + 1;
  for (;;) {
    const size_t comma = text_.find(',', start);
    if (comma == std::string::npos || comma > close) {
      items.push_back(text_.substr(start, close - start));
      return items;
    }
    items.push_back(text_.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string ScriptLine::textAfterList() const {
  if (at_ == std::string::npos) return {};
  const size_t open = text_.find('(', at_ + word_.size());
  const size_t close = open == std::string::npos ? std::string::npos : text_.find(')', open + 1);
  if (close == std::string::npos) return {};
  const size_t blank = text_.find(' ', close);
  return blank == std::string::npos ? std::string() : text_.substr(blank + 1);
}

}  // namespace game::story
