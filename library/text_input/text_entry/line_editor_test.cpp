// The line editor, command by command: a field with a text, a cursor and a
// selection receives bytes through the ring (with Shift held or not and a
// clipboard held by the test) and ends with a text, a cursor, a selection,
// its flags and the clipboard.
#include <gtest/gtest.h>

#include <string>

#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"
#include "platform/input/input_test_support.h"

namespace veziv::test {
namespace {

using LineEditor = TextEntryTest;

// Bytes as the window puts them in the ring.
constexpr char kCopy[] = "\x03";
constexpr char kBack[] = "\x08";
constexpr char kEnter[] = "\x0D";
constexpr char kDel[] = "\x10";
constexpr char kPaste[] = "\x16";
constexpr char kCut[] = "\x18";
constexpr char kEsc[] = "\x1B";
constexpr char kRight[] = "\x1C";
constexpr char kLeft[] = "\x1D";
constexpr char kHome[] = "\x1A";
constexpr char kEnd[] = "\x19";

// Texts: "あ" 82 A0, "ん" 82 F1 (its trail byte is also a lead byte's value).
#define A "\x82\xA0"
#define N "\x82\xF1"

struct Field {
  std::string text;
  int cursor;
  int anchor = -1;
  int end = -1;
};

struct Limits {
  int max = 16;
  int cancel = 0;
  int singleByte = 0;
  int numbers = 0;
};

struct Case {
  const char* name;
  Field before;
  std::string input;
  Field after;
  Limits limits = {};
  bool shift = false;
  const char* clipboardBefore = nullptr;  // null: none
  const char* clipboardAfter = nullptr;   // null: as before
  int ended = 0;
  int cancelled = 0;
};

const Case kCases[] = {
    // Typing.
    {"type", {"", 0}, "ab" A, {"ab" A, 4}},
    {"insert in the middle", {"ac", 1}, "b", {"abc", 2}},
    {"typing replaces the selection", {"abcd", 3, 1, 3}, "X", {"aXd", 2}},
    {"Ctrl+A is no text", {"ab", 2}, "\x01", {"ab", 2}},
    {"Tab and the keys with no meaning", {"ab", 1}, "\x09\x1E\x1F\x15\x17", {"ab", 1}},
    // Backspace.
    {"Backspace", {"abc", 3}, kBack, {"ab", 2}},
    {"Backspace at the start", {"abc", 0}, kBack, {"abc", 0}},
    {"Backspace after a double-byte character", {"a" A, 3}, kBack, {"a", 1}},
    {"Backspace after a lead-looking trail byte", {N "a", 3}, kBack, {N, 2}},
    {"Backspace twice over both kinds", {"a" N "b", 4}, std::string(kBack) + kBack, {"a", 1}},
    {"Backspace deletes the selection", {"abcd", 3, 1, 3}, kBack, {"ad", 1}},
    // Delete.
    {"Delete", {"abc", 1}, kDel, {"ac", 1}},
    {"Delete a double-byte character", {"a" A "b", 1}, kDel, {"ab", 1}},
    {"Delete at the end", {"abc", 3}, kDel, {"abc", 3}},
    {"Delete the selection", {"abcd", 1, 3, 1}, kDel, {"ad", 1}, {}, false, "old", "old"},
    {"Shift+Delete cuts", {"abcd", 1, 3, 1}, kDel, {"ad", 1}, {}, true, "old", "bc"},
    // Clipboard.
    {"copy", {"abcd", 3, 1, 3}, kCopy, {"abcd", 3, 1, 3}, {}, false, "old", "bc"},
    {"copy without a selection", {"abcd", 3}, kCopy, {"abcd", 3}, {}, false, "old", "old"},
    {"cut", {"a" A "d", 1, 1, 3}, kCut, {"ad", 1}, {}, false, nullptr, A},
    {"cut without a selection", {"abcd", 2}, kCut, {"abcd", 2}, {}, false, "old", "old"},
    {"paste over a selection", {"aXYb", 3, 1, 3}, kPaste, {"aABb", 3}, {}, false, "AB"},
    {"paste a double-byte text", {"ab", 1}, kPaste, {"a" A N "b", 5}, {}, false, A N},
    {"paste leaves control bytes out", {"", 0}, kPaste, {"CD", 2}, {}, false, "C\x16\r\n\x08" "D"},
    {"paste with an empty clipboard", {"ab", 1}, kPaste, {"ab", 1}},
    // The pasted bytes queue behind what was typed after the paste.
    {"paste then typing", {"", 0}, std::string(kPaste) + "z", {"zxy", 3}, {}, false, "xy"},
    // Moving.
    {"Right over a double-byte character", {A "a", 0}, kRight, {A "a", 2}},
    {"Right at the end", {"ab", 2}, kRight, {"ab", 2}},
    {"Right drops the selection", {"abc", 2, 0, 2}, kRight, {"abc", 3}},
    {"Left over a double-byte character", {"a" A, 3}, kLeft, {"a" A, 1}},
    {"Left after a lead-looking trail byte", {N "a", 3}, kLeft, {N "a", 2}},
    {"Left at the start", {"ab", 0}, kLeft, {"ab", 0}},
    {"Home", {"abc", 2, 0, 2}, kHome, {"abc", 0}},
    {"End", {"abc", 1}, kEnd, {"abc", 3}},
    // Selecting with Shift.
    {"Shift+Right starts a selection", {"abc", 1}, kRight, {"abc", 2, 1, 2}, {}, true},
    {"Shift+Right extends it", {"a" A "c", 1, 0, 1}, kRight, {"a" A "c", 3, 0, 3}, {}, true},
    {"Shift+Left starts one backwards", {"a" A, 3}, kLeft, {"a" A, 1, 3, 1}, {}, true},
    {"Shift+Left back to the anchor", {"abc", 2, 1, 2}, kLeft, {"abc", 1, 1, 1}, {}, true},
    {"Shift+Home", {"abcdef", 5}, kHome, {"abcdef", 0, 5, 0}, {}, true},
    {"Shift+End with a selection", {"abcdef", 2, 1, 2}, kEnd, {"abcdef", 6, 1, 6}, {}, true},
    // Ending.
    {"Enter ends and leaves the rest in the ring", {"a", 1}, "b\rc", {"ab", 2}, {}, false, nullptr, nullptr, 1},
    {"Escape cancels", {"a", 1}, std::string(kEsc) + "z", {"a", 1}, {16, 1}, false, nullptr, nullptr, 1, 1},
    {"Escape without cancel", {"a", 1}, std::string(kEsc) + "z", {"az", 2}},
    {"Enter in a cancellable field", {"a", 1}, kEnter, {"a", 1}, {16, 1}, false, nullptr, nullptr, 1},
    // Limits and filters.
    {"a full field gives up its last character", {"123", 3}, "1", {"121", 3}, {3, 0, 0, 1}},
    {"a full field keeps the cursor in the middle", {"abc", 1}, "X", {"aXb", 2}, {3}},
    {"a double-byte character into a full field", {"abc", 3}, A, {"a" A, 3}, {3}},
    {"a double-byte character longer than the field", {"", 0}, A "b", {"b", 1}, {1}},
    {"a field of no length", {"", 0}, "ab" A, {"", 0}, {0}},
    {"numbers: digits, a leading minus, one point",
     {"", 0}, "-1.5.x-" A "2", {"-1.52", 5}, {16, 0, 0, 1}},
    {"numbers: minus only at the start", {"5", 1}, "-", {"5", 1}, {16, 0, 0, 1}},
    {"numbers: a refused character still deletes the selection", {"123", 2, 0, 2}, "x", {"3", 0}, {16, 0, 0, 1}},
    {"single bytes only", {"", 0}, "a" A "b", {"ab", 2}, {16, 0, 1, 0}},
};

#undef A
#undef N

TEST_F(LineEditor, EveryCommand) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    UseFakeClipboard();
    if (c.clipboardBefore != nullptr) {
      Clipboard().has_text = true;
      Clipboard().text = c.clipboardBefore;
    }
    platform::input::test::ScriptKey(42, c.shift);
    const Limits& s = c.limits;
    const int h = MakeField(s.max, c.before.text, c.before.cursor, c.before.anchor, c.before.end, s.cancel,
                            s.singleByte, s.numbers);
    ASSERT_NE(h, -1);
    ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
    ASSERT_TRUE(PushBytes(c.input));
    ASSERT_EQ(UpdateTextEntry(), 0);

    const TextEntryHandleData* r = detail::TextEntryRecord(h);
    EXPECT_EQ(std::string(r->buffer), c.after.text);
    EXPECT_EQ(r->length, static_cast<int>(c.after.text.size()));
    EXPECT_EQ(r->cursor, c.after.cursor);
    EXPECT_EQ(r->selectionAnchor, c.after.anchor);
    EXPECT_EQ(r->selectionEnd, c.after.end);
    EXPECT_EQ(r->ended, c.ended);
    EXPECT_EQ(r->cancelled, c.cancelled);
    const char* clipboard = c.clipboardAfter != nullptr ? c.clipboardAfter : c.clipboardBefore;
    EXPECT_EQ(Clipboard().has_text, clipboard != nullptr);
    if (clipboard != nullptr) {
      EXPECT_EQ(Clipboard().text, clipboard);
    }
    ASSERT_EQ(DeleteTextEntryHandle(h), 0);
  }
}

TEST_F(LineEditor, EnterLeavesTheRestForTheNextFieldAndAnEndedFieldTakesNothing) {
  const int h = MakeField(8, "", 0);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_TRUE(PushBytes("ab\rcd"));
  ASSERT_EQ(UpdateTextEntry(), 0);
  EXPECT_EQ(UpdateTextEntry(), 0);
  EXPECT_STREQ(detail::TextEntryRecord(h)->buffer, "ab");
  EXPECT_EQ(TakeAllBytes(), "cd");
  EXPECT_EQ(DrawTextEntryHandle(0, 0, h), -1);  // an ended field is not drawn

  // Activating it again lets it go on.
  ASSERT_EQ(SetActiveTextEntryHandle(-1), 0);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_TRUE(PushBytes("e"));
  ASSERT_EQ(UpdateTextEntry(), 0);
  EXPECT_STREQ(detail::TextEntryRecord(h)->buffer, "abe");
}

TEST_F(LineEditor, PastingMoreThanTheRingHoldsKeepsWholeCharacters) {
  // After 1023 bytes the ring has room for one: the double-byte character
  // stays out whole, so the next typed character is not joined to half of it.
  const int h = MakeField(2000, "", 0);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  Clipboard().has_text = true;
  Clipboard().text = std::string(1023, 'x') + "\x82\xA0" "y";
  ASSERT_TRUE(PushBytes(kPaste));
  ASSERT_EQ(UpdateTextEntry(), 0);
  ASSERT_TRUE(PushBytes("z"));
  ASSERT_EQ(UpdateTextEntry(), 0);
  EXPECT_EQ(std::string(detail::TextEntryRecord(h)->buffer), std::string(1023, 'x') + "z");
}

}  // namespace
}  // namespace veziv::test
