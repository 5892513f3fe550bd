// The library's texts are Shift-JIS bytes: a Japanese literal in a UTF-8
// source must come out as its code page 932 bytes.
#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Charset, JapaneseLiteralsAreCodePage932Bytes) {
  struct Case {
    const char* literal;
    const char* bytes;
  };
  const Case cases[] = {
      {"表", "\x95\x5C"},
      {"～", "\x81\x60"},
      {"ペルヴァロ", "\x83\x79\x83\x8B\x83\x94\x83\x40\x83\x8D"},
      {"\\", "\x5C"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::strlen(c.literal), std::strlen(c.bytes));
    EXPECT_EQ(std::memcmp(c.literal, c.bytes, std::strlen(c.bytes)), 0) << c.bytes;
  }
}

}  // namespace
