#include "platform/os/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::os {
namespace {

struct RoundTrip {
  const char* what;
  std::string cp932;
  std::string utf8;
};

// 0x5C must stay a backslash and 0x7E a tilde: those are the bytes paths and texts rely on.
TEST(CharsetConversion, ConvertsBothWaysExactly) {
  const RoundTrip cases[] = {
      {"ascii with backslash and tilde", "a\\b~c", "a\\b~c"},
      {"trail byte 0x5C", "\x95\x5C", "\xE8\xA1\xA8"},                       // 表
      {"wave dash", "\x81\x60", "\xEF\xBD\x9E"},                             // ～
      {"mixed path", "image\\BGs\\\x8A\x69\x94\x5B\x8C\xC9.jpg", "image\\BGs\\\xE6\xA0\xBC\xE7\xB4\x8D\xE5\xBA\xAB.jpg"},  // 格納庫
      {"half-width katakana", "\xB1", "\xEF\xBD\xB1"},                       // ｱ
      {"NEC special", "\x87\x40", "\xE2\x91\xA0"},                          // ①
      {"embedded NUL", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"empty", "", ""},
  };
  for (const RoundTrip& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.what;
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.what;
    EXPECT_EQ(TryCp932ToUtf8(c.cp932), c.utf8) << c.what;
    EXPECT_EQ(TryUtf8ToCp932(c.utf8), c.cp932) << c.what;
  }
}

TEST(CharsetConversion, ReplacesWhatDoesNotConvertWithQuestionMark) {
  struct Case {
    const char* what;
    std::string in;
    std::string out;
  };
  const Case to_utf8[] = {
      {"unassigned double-byte character counts once", "a\x85\x40z", "a?z"},
      {"lead byte before ASCII keeps the ASCII", "\x81 x", "? x"},
      {"lead byte cut off at the end", "ab\x95", "ab?"},
      {"byte that is never a character", "\xFF\x80", "??"},
  };
  for (const Case& c : to_utf8) {
    EXPECT_EQ(Cp932ToUtf8(c.in), c.out) << c.what;
    EXPECT_EQ(TryCp932ToUtf8(c.in), std::nullopt) << c.what;
  }
  const Case to_cp932[] = {
      {"character with no CP932 form", "a\xF0\x9F\x98\x80z", "a?z"},  // an emoji
      {"stray continuation byte", "a\x80z", "a?z"},
      {"sequence cut off at the end", "ab\xE8\xA1", "ab?"},
      {"invalid lead byte", "\xFF", "?"},
  };
  for (const Case& c : to_cp932) {
    EXPECT_EQ(Utf8ToCp932(c.in), c.out) << c.what;
    EXPECT_EQ(TryUtf8ToCp932(c.in), std::nullopt) << c.what;
  }
}

// Half-width katakana triple in size, more than the first output buffer holds.
TEST(CharsetConversion, GrowsOutputForLongTexts) {
  std::string cp932;
  std::string utf8;
  for (int i = 0; i < 5000; ++i) {
    cp932 += "\xB1\x95\x5C";
    utf8 += "\xEF\xBD\xB1\xE8\xA1\xA8";
  }
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(Utf8ToCp932(utf8), cp932);
}

TEST(CharsetConversion, ClassifiesLeadAndTrailBytes) {
  const unsigned char leads[] = {0x81, 0x95, 0x9F, 0xE0, 0xFC};
  const unsigned char singles[] = {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0xFF};
  for (unsigned char b : leads) EXPECT_TRUE(IsCp932LeadByte(b)) << int{b};
  for (unsigned char b : singles) EXPECT_FALSE(IsCp932LeadByte(b)) << int{b};
  EXPECT_TRUE(IsCp932TrailByte(0x5C));
  EXPECT_TRUE(IsCp932TrailByte(0x40));
  EXPECT_FALSE(IsCp932TrailByte('/'));
  EXPECT_FALSE(IsCp932TrailByte(0x7F));
  EXPECT_FALSE(IsCp932TrailByte(0xFD));
}

}  // namespace
}  // namespace platform::os
