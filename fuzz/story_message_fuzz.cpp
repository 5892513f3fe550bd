// Feeds the story's message splitter: the first byte sets the width a byte
// of the stand-in measure (the message font needs a started library), the
// rest is a message's text. Every page holds one to four lines, every line
// at most 63 bytes and ends between two Shift-JIS characters, and the lines
// in order are the text without the "$" marks that broke it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/story/story_screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game::story;
  if (size < 1) return 0;
  const int byteWidth = 1 + data[0] % 24;
  // A page keeps its lines as C strings: a zero byte would end one early.
  std::string text;
  for (size_t i = 1; i < size; ++i) {
    if (data[i] != 0) text.push_back(static_cast<char>(data[i]));
  }
  const std::vector<messagePage> pages = splitMessageIntoPages(
      "ナ", text, "NONE", -1, [byteWidth](const char*, int bytes) { return byteWidth * bytes; });
  if (pages.empty()) std::abort();

  // The text as the splitter should have kept it: every "$" that starts a
  // character is a break and is dropped.
  std::string kept;
  for (size_t at = 0; at < text.size();) {
    const size_t n = characterBytes(text, at);
    if (text[at] != '$') kept.append(text, at, n);
    at += n;
  }
  std::vector<bool> boundary(kept.size() + 1, false);
  for (size_t at = 0; at < kept.size(); at += characterBytes(kept, at)) boundary[at] = true;
  boundary[kept.size()] = true;
  std::string joined;
  for (const messagePage& page : pages) {
    if (page.lineCount < 1 || page.lineCount > 4) std::abort();
    if (std::strcmp(page.speaker, "ナ") != 0 || std::strcmp(page.voice, "NONE") != 0) std::abort();
    for (int i = 0; i < page.lineCount; ++i) {
      const std::string line = page.lines[i];
      if (line.size() > 63) std::abort();
      // A line starts where a character of the text starts.
      if (joined.size() > kept.size() || !boundary[joined.size()]) std::abort();
      joined += line;
    }
  }
  if (joined != kept) std::abort();
  return 0;
}
