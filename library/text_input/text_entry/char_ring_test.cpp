// The character ring at its limits: full at 1024 pending bytes across the
// wrap, a lead byte that waits for its trail byte, looking without taking,
// and the drain.
#include <gtest/gtest.h>

#include <string>

#include "library/foundation/window/main_window.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "library/text_input/text_entry/text_entry_test_support.h"

namespace veziv::test {
namespace {

using CharRing = TextEntryTest;

// Bytes 0x20..0x7E over and over, n of them.
std::string Printable(int n, int first = 0) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>(0x20 + (first + i) % 95);
  return s;
}

TEST_F(CharRing, HoldsAtMost1024BytesWhereverItsIndicesStand) {
  for (int start : {0, 1, 600, 1024}) {
    // Move both indices to start first.
    ASSERT_EQ(DrainCharInputBuffer(), 0);
    ASSERT_TRUE(PushBytes(Printable(start)));
    ASSERT_EQ(TakeAllBytes().size(), static_cast<size_t>(start));

    const std::string bytes = Printable(1024, start);
    ASSERT_TRUE(PushBytes(bytes)) << start;
    EXPECT_FALSE(detail::CharRingHasRoom());
    EXPECT_EQ(PushInputChar('!'), -1) << start;
    EXPECT_EQ(TakeAllBytes(), bytes) << start;  // the refused byte is gone, the rest in order
    EXPECT_TRUE(detail::CharRingHasRoom());
  }
}

TEST_F(CharRing, TakesWholeCharactersAndLeavesALoneLeadByteWaiting) {
  char ch[2] = {'?', '?'};
  EXPECT_EQ(TakeInputChar(ch, 1), 0);
  EXPECT_EQ(ch[0], 0);

  // "aあ" then the lead byte of "い" alone.
  ASSERT_TRUE(PushBytes("a\x82\xA0\x82"));
  EXPECT_EQ(TakeInputChar(ch, 0), 1);  // looking takes nothing
  EXPECT_EQ(TakeInputChar(ch, 1), 1);
  EXPECT_EQ(ch[0], 'a');
  EXPECT_EQ(ch[1], 0);
  EXPECT_EQ(TakeInputChar(ch, 0), 2);
  EXPECT_EQ(TakeInputChar(ch, 1), 2);
  EXPECT_EQ(std::string(ch, 2), "\x82\xA0");
  EXPECT_EQ(TakeInputChar(ch, 1), 0);
  EXPECT_EQ(TakeInputChar(ch, 1), 0);  // still waiting, not lost
  ASSERT_EQ(PushInputChar(0xA2), 0);
  EXPECT_EQ(TakeInputChar(ch, 1), 2);
  EXPECT_EQ(std::string(ch, 2), "\x82\xA2");

  // A lead byte waiting at the ring's last cell joins its trail byte at the first.
  ASSERT_EQ(DrainCharInputBuffer(), 0);
  ASSERT_TRUE(PushBytes(Printable(1024)));
  ASSERT_EQ(TakeAllBytes().size(), 1024u);
  ASSERT_EQ(PushInputChar(0x82), 0);
  EXPECT_EQ(TakeInputChar(ch, 1), 0);
  ASSERT_EQ(PushInputChar(0xA4), 0);
  EXPECT_EQ(TakeInputChar(ch, 1), 2);
  EXPECT_EQ(std::string(ch, 2), "\x82\xA4");

  // Editing codes are never lead bytes.
  for (int code = 0; code < 256; ++code) {
    const bool edit = code == 0x10 || code == 0x15 || code == 0x17 || (code >= 0x19 && code <= 0x1A) ||
                      (code >= 0x1C && code <= 0x1F);
    EXPECT_EQ(IsEditKey(code), edit ? 1 : 0) << code;
  }
}

TEST_F(CharRing, DrainEmptiesItAndNamesAByteThatCannotBeThere) {
  ASSERT_TRUE(PushBytes("ab\xFF" "c"));
  EXPECT_EQ(DrainCharInputBuffer(), 0);
  EXPECT_EQ(detail::TextEntry().ring.read, 0);
  EXPECT_EQ(detail::TextEntry().ring.write, 0);
  char ch[2];
  EXPECT_EQ(TakeInputChar(ch, 1), 0);
  EXPECT_NE(ReadLogWithoutStamps().find("文字バッファエラー\r\n"), std::string::npos);
}

TEST_F(CharRing, WindowPutsEditKeysInOnlyWhileThereIsRoom) {
  platform::window::Message key;
  key.kind = platform::window::MessageKind::WM_KEYDOWN;
  key.a = kEditCodeLeft;
  MainWindowProc(key);
  ASSERT_TRUE(PushBytes(Printable(1023)));
  MainWindowProc(key);
  const std::string all = TakeAllBytes();
  ASSERT_EQ(all.size(), 1024u);
  EXPECT_EQ(all.front(), kEditCodeLeft);
  EXPECT_EQ(all.back(), Printable(1023).back());
}

}  // namespace
}  // namespace veziv::test
