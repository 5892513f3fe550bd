// One script line as the story's words read it: the command word from the
// line's first "@" to the next blank, and the three argument forms after
// it (a token, the rest of the line, a parenthesised list).
#pragma once

#include <string>
#include <vector>

namespace game::story {

// The reserved name that stands for the "@charaEnd" marker.
inline constexpr const char* kCharaEnd = "CHARA_END";

class ScriptLine {
 public:
  explicit ScriptLine(std::string text);

  bool hasWord() const { return at_ != std::string::npos; }
  const std::string& text() const { return text_; }
  // The command word, "@" included; empty for a line without one.
  const std::string& word() const { return word_; }
  // Token i after the word (0 = the first); empty when the line has fewer.
  std::string token(int i) const;
  // Whether a blank follows token i (so that token i + 1 exists, maybe empty).
  bool hasToken(int i) const;
  // Everything after the blank that ends the word.
  std::string rest() const;
  // The items of the first "(...)" after the word, split at ","; the list
  // ends at the first ")" (or the end of the line).
  std::vector<std::string> list() const;
  // The text after the first blank that follows the list's ")".
  std::string textAfterList() const;

 private:
  // Where token i starts; npos when no blank leads to it.
  size_t tokenStart(int i) const;

  std::string text_;
  size_t at_ = std::string::npos;    // the word's "@"
  size_t args_ = std::string::npos;  // the first byte after the word's blank
  std::string word_;
};

// The first "@" of a line that is not the trail byte of a double-byte
// character; npos when there is none.
size_t findCommandStart(const std::string& line);
// The command word of a line (from the "@" to the next blank); empty when none.
std::string commandWord(const std::string& line);
// A decimal number from the start of a text: blanks skipped, a sign, digits
// (no digits: 0; held to the i32 range).
int readNumber(const std::string& text);

}  // namespace game::story
