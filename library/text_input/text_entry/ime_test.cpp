// What the window hands the input method's side of text entry: the
// composition kept whole within its buffer with its cursor as one clause,
// and a finished result arriving in the ring as typed bytes.
#include <gtest/gtest.h>

#include <string>

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

TEST_F(Ime, WindowHandsOverTheCompositionAndTheResultAsTypedBytes) {
  pw::Message composition;
  composition.kind = pw::MessageKind::WM_IME_COMPOSITION;
  composition.text = "\x8A\xBF\x8E\x9A";  // 漢字 while it is being composed
  composition.a = 2;
  MainWindowProc(composition);
  EXPECT_STREQ(detail::TextEntry().ime.composition, "\x8A\xBF\x8E\x9A");
  EXPECT_EQ(detail::TextEntry().ime.cursor, 2);

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
