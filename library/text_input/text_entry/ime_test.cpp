// What the window hands the input method's side of text entry: the
// composition kept whole within its buffer with its cursor, the part being
// converted as a clause of its own, and a finished result arriving in the
// ring as typed bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/window/main_window.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"

namespace veziv::test {
namespace {

using Ime = TextEntryTest;
namespace pw = platform::window;

TEST_F(Ime, CompositionKeepsWholeCharactersAndRoomForItsZero) {
  const detail::ImeState& ime = detail::TextEntry().ime;
  struct Case {
    std::string text;
    int cursor;
    std::string kept;
    int wantCursor;
  };
  std::string many;  // 515 double-byte characters: 1030 bytes
  for (int i = 0; i < 515; ++i) many += "\x82\xA0";
  const Case cases[] = {
      {"\x82\xA0\x82\xA2", 1, "\x82\xA0\x82\xA2", 1},
      {"ab", 9, "ab", 2},  // a cursor past the end stops at it
      {"ab", -3, "ab", 0},
      {many, 600, many.substr(0, 1022), 511},
      {"a" + many, 0, ("a" + many).substr(0, 1023), 0},
      {"", 0, "", 0},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(FetchImeCandidateList(c.text.c_str(), c.cursor), 0);
    EXPECT_EQ(std::string(ime.composition), c.kept) << c.text.size();
    EXPECT_EQ(ime.cursor, c.wantCursor) << c.text.size();
    EXPECT_EQ(ime.composing, c.kept.empty() ? 0 : 1);
    if (!c.kept.empty()) {
      ASSERT_EQ(ime.clauseCount, 2);
      EXPECT_EQ(ime.clauses[0], 0);
      EXPECT_EQ(ime.clauses[1], static_cast<int>(c.kept.size()));
    }
  }
}

// The part being converted (from the cursor on) is a clause of its own, the
// text before and after it one clause each; without such a part, or when it
// is the whole composition, the composition is one clause.
TEST_F(Ime, ThePartBeingConvertedIsAClauseOfItsOwn) {
  const detail::ImeState& ime = detail::TextEntry().ime;
  // かんじへ (four double-byte characters, eight bytes) with "a" in front.
  const std::string text = "a\x82\xA9\x82\xF1\x82\xB6\x82\xD6";
  const struct {
    int cursor, selected;
    std::vector<int> clauses;
  } cases[] = {
      {0, 0, {0, 9}},        {3, 0, {0, 9}},        {1, 2, {0, 1, 5, 9}}, {0, 3, {0, 5, 9}},
      {3, 2, {0, 5, 9}},     {0, 5, {0, 9}},        {2, 9, {0, 3, 9}},    {4, 1, {0, 7, 9}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cursor << ", " << c.selected);
    ASSERT_EQ(FetchImeCandidateList(text.c_str(), c.cursor, c.selected), 0);
    EXPECT_EQ(ime.cursor, c.cursor);
    EXPECT_EQ(std::vector<int>(ime.clauses, ime.clauses + ime.clauseCount), c.clauses);
  }
}

TEST_F(Ime, WindowHandsOverTheCompositionAndTheResultAsTypedBytes) {
  pw::Message composition;
  composition.kind = pw::MessageKind::WM_IME_COMPOSITION;
  composition.text = "\x8A\xBF\x8E\x9A";  // 漢字 while it is being composed, 字 being converted
  composition.a = 1;
  composition.b = 1;
  MainWindowProc(composition);
  EXPECT_STREQ(detail::TextEntry().ime.composition, "\x8A\xBF\x8E\x9A");
  EXPECT_EQ(detail::TextEntry().ime.cursor, 1);
  EXPECT_EQ(detail::TextEntry().ime.clauseCount, 3);
  EXPECT_EQ(detail::TextEntry().ime.clauses[1], 2);

  // The finished text comes as typed characters, byte by byte, in order.
  for (unsigned char b : std::string("\x8A\xBF\x8E\x9A")) {
    pw::Message typed;
    typed.kind = pw::MessageKind::WM_CHAR;
    typed.a = b;
    MainWindowProc(typed);
  }
  composition.text.clear();
  composition.a = 0;
  MainWindowProc(composition);
  EXPECT_EQ(TakeAllBytes(), "\x8A\xBF\x8E\x9A");
  EXPECT_EQ(detail::TextEntry().ime.composing, 0);
}

}  // namespace
}  // namespace veziv::test
