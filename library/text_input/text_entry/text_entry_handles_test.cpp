// Text-entry handles: their shape and limits, the input method switched on
// with the first field and off with the last, activation, the ring drained
// by a new field, the text copied out, and the character-boundary helpers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/memory_log/memory.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"

namespace veziv::test {
namespace {

using TextEntryHandles = TextEntryTest;

TEST_F(TextEntryHandles, InitLogsAndStartsEmpty) {
  EXPECT_NE(ReadLogWithoutStamps().find("文字コードバッファの初期化を行います... 完了しました\r\n"), std::string::npos);
  EXPECT_EQ(detail::TextEntry().active, -1);
  EXPECT_EQ(detail::TextEntry().ime.enabled, 0);
}

TEST_F(TextEntryHandles, AllTwoHundredFiftySixAndNoMore) {
  std::vector<int> handles;
  for (int i = 0; i < 256; ++i) {
    const int h = CreateTextEntryHandle(8, 0, 0, 0);
    ASSERT_NE(h, -1) << i;
    EXPECT_EQ(h & 0x78000000, 0x50000000);
    EXPECT_EQ(h & 0xFFFF, i);
    handles.push_back(h);
  }
  EXPECT_EQ(CreateTextEntryHandle(8, 0, 0, 0), -1);
  ASSERT_EQ(DeleteTextEntryHandle(handles[17]), 0);
  const int again = CreateTextEntryHandle(8, 0, 0, 0);
  EXPECT_EQ(again & 0xFFFF, 17);  // the first free slot, under a new check number
  EXPECT_NE(again, handles[17]);
  EXPECT_EQ(DeleteTextEntryHandle(handles[17]), -1);  // stale
  EXPECT_EQ(DeleteTextEntryHandleAll(), 0);
  for (int h : handles) EXPECT_EQ(DeleteTextEntryHandle(h), -1);
}

TEST_F(TextEntryHandles, BadHandlesAndLimitsAreRefused) {
  const int h = CreateTextEntryHandle(4, 0, 0, 0);
  ASSERT_NE(h, -1);
  char out[8] = "keep";
  for (int bad : {-1, 0, h & ~0x78000000, (h & 0xFFFF) | 0x20000000, h + (1 << 16)}) {
    EXPECT_EQ(DeleteTextEntryHandle(bad), -1) << bad;
    EXPECT_EQ(DrawTextEntryHandle(0, 0, bad), -1) << bad;
    EXPECT_EQ(CopyTextEntryText(out, bad), -1) << bad;
    if (bad != -1) {
      EXPECT_EQ(SetActiveTextEntryHandle(bad), -1) << bad;
    }
  }
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(CreateTextEntryHandle(-1, 0, 0, 0), -1);
  const int empty = CreateTextEntryHandle(0, 0, 0, 0);  // a field that takes nothing is still a field
  EXPECT_NE(empty, -1);
}

TEST_F(TextEntryHandles, InputMethodIsOnWhileAnyFieldExists) {
  const int a = CreateTextEntryHandle(4, 0, 0, 0);
  EXPECT_EQ(detail::TextEntry().ime.enabled, 1);
  const int b = CreateTextEntryHandle(4, 0, 0, 0);
  ASSERT_EQ(FetchImeCandidateList("\x82\xA0", 1), 0);
  ASSERT_EQ(DeleteTextEntryHandle(a), 0);
  EXPECT_EQ(detail::TextEntry().ime.enabled, 1);
  EXPECT_STREQ(detail::TextEntry().ime.composition, "\x82\xA0");
  ASSERT_EQ(DeleteTextEntryHandle(b), 0);
  EXPECT_EQ(detail::TextEntry().ime.enabled, 0);
  EXPECT_STREQ(detail::TextEntry().ime.composition, "");  // switching off forgets the composition
}

TEST_F(TextEntryHandles, ActivationClearsTheOtherSelectionAndTheEndedFlags) {
  const int a = MakeField(8, "abc", 3, 0, 2);
  const int b = MakeField(8, "xyz", 0);
  ASSERT_EQ(SetActiveTextEntryHandle(a), 0);
  EXPECT_EQ(SetActiveTextEntryHandle(a), 0);
  EXPECT_EQ(detail::TextEntryRecord(a)->selectionAnchor, 0);
  EXPECT_TRUE(detail::CallSites().key_input_field_active());

  detail::TextEntryRecord(b)->ended = 1;
  detail::TextEntryRecord(b)->cancelled = 1;
  ASSERT_EQ(SetActiveTextEntryHandle(b), 0);
  EXPECT_EQ(detail::TextEntryRecord(a)->selectionAnchor, -1);
  EXPECT_EQ(detail::TextEntryRecord(a)->selectionEnd, -1);
  EXPECT_EQ(detail::TextEntryRecord(b)->ended, 0);
  EXPECT_EQ(detail::TextEntryRecord(b)->cancelled, 0);

  ASSERT_EQ(SetActiveTextEntryHandle(-1), 0);
  EXPECT_FALSE(detail::CallSites().key_input_field_active());
  ASSERT_EQ(SetActiveTextEntryHandle(b), 0);
  ASSERT_EQ(DeleteTextEntryHandle(b), 0);
  EXPECT_EQ(detail::TextEntry().active, -1);
  EXPECT_EQ(UpdateTextEntry(), 0);  // no field: the ring is left alone
}

TEST_F(TextEntryHandles, NewFieldStartsOnAnEmptyRingAndTextCopiesOut) {
  ASSERT_TRUE(PushBytes("typed before"));
  const int h = CreateTextEntryHandle(10, 0, 0, 0);
  ASSERT_EQ(SetActiveTextEntryHandle(h), 0);
  ASSERT_TRUE(PushBytes("A\x82\xA0" "B"));
  ASSERT_EQ(UpdateTextEntry(), 0);
  char out[11] = "xxxxxxxxxx";
  ASSERT_EQ(CopyTextEntryText(out, h), 0);
  EXPECT_STREQ(out, "A\x82\xA0" "B");
}

TEST_F(TextEntryHandles, BuffersComeFromTheLibraryAllocatorAndGoBack) {
  const int h = CreateTextEntryHandle(100, 0, 0, 0);
  const char* buffer = detail::TextEntryRecord(h)->buffer;
  const MemoryBlockHeader* header = reinterpret_cast<const MemoryBlockHeader*>(buffer) - 1;
  EXPECT_EQ(header->size, 101u);
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
  ASSERT_EQ(DeleteTextEntryHandleAll(), 0);
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
}

TEST(TextEntryCharacters, OffsetsAndCountsStopAtTheZero) {
  struct Case {
    const char* text;
    int n;
    int offset;  // ByteOffsetOfChars(text, n)
    int count;   // CharCountOfBytes(text, n)
  };
  const Case cases[] = {
      {"abc", 2, 2, 2},
      {"a\x82\xA0" "b", 2, 3, 2},
      {"a\x82\xA0" "b", 3, 4, 2},  // b starts at byte 3
      {"a\x82\xA0" "b", 9, 4, 3},
      {"\x82\xA0\x82\xA2", 1, 2, 1},  // a count ending inside a character still counts it
      {"ab\x82", 3, 3, 3},            // a lead byte before the zero is one byte
      {"", 5, 0, 0},
      {"abc", 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ByteOffsetOfChars(c.text, c.n), c.offset) << c.text << " " << c.n;
    EXPECT_EQ(CharCountOfBytes(c.text, c.n), c.count) << c.text << " " << c.n;
  }
}

}  // namespace
}  // namespace veziv::test
