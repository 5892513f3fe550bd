// Shift-JIS-aware string helpers, memory helpers, truncation under every
// rounding mode, integer formatting and 128-bit arithmetic.
#include "library/foundation/core/helpers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

namespace veziv {
namespace {

// A heap copy of bytes plus a zero and nothing more, so that AddressSanitizer
// reports any read past the terminator.
std::unique_ptr<char[]> ExactCString(std::string_view bytes) {
  auto buffer = std::make_unique<char[]>(bytes.size() + 1);
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return buffer;
}

TEST(CStringHelpers, CopyAndAppendCarryTheTerminator) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  CopyCString(buffer, "ab");
  EXPECT_EQ(std::memcmp(buffer, "ab\0x", 4), 0);
  AppendCString(buffer, "表c");
  EXPECT_EQ(std::memcmp(buffer, "ab\x95\x5C" "c\0x", 7), 0);
  AppendCString(buffer, "");
  EXPECT_STREQ(buffer, "ab表c");
}

TEST(CStringHelpers, FindCharSkipsTrailBytes) {
  struct Case {
    std::string_view text;
    char ch;
    int offset;  // -1: not found
  };
  const Case cases[] = {
      {"表\\x", '\\', 2},             // 95 5C 5C: the first 5C is a trail byte
      {"表", '\\', -1},
      {"ヂa", 'a', 2},                // 83 61: trail byte equal to 'a'
      {"a/b", '/', 1},
      {"abc", 'a', 0},
      {"", '\\', -1},
      {"ab", '\0', -1},
      {"a\x95", '\\', -1},            // lead byte right before the terminator
      {"\x95", 'x', -1},
  };
  for (const Case& c : cases) {
    auto text = ExactCString(c.text);
    const char* found = FindCharInCString(text.get(), c.ch);
    if (c.offset < 0) {
      EXPECT_EQ(found, nullptr) << c.text;
    } else {
      EXPECT_EQ(found, text.get() + c.offset) << c.text;
    }
  }
  char mutable_text[] = "a\\b";
  char* found = FindCharInCString(mutable_text, '\\');
  ASSERT_EQ(found, mutable_text + 1);
  EXPECT_EQ(FindCharInCString(static_cast<char*>(nullptr), 'a'), nullptr);
}

TEST(CStringHelpers, CompareIsEqualityOnly) {
  struct Case {
    const char* a;
    const char* b;
    int result;
  };
  const Case cases[] = {
      {"abc", "abc", 0}, {"", "", 0},      {"abc", "abd", 1}, {"abd", "abc", 1},
      {"ab", "abc", 1},  {"abc", "ab", 1}, {"表", "表", 0},  {"abc", "ABC", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareCString(c.a, c.b), c.result) << c.a << " / " << c.b;
}

TEST(CStringHelpers, UpperCaseChangesOnlySingleByteLetters) {
  struct Case {
    std::string_view text;
    std::string_view upper;
  };
  const Case cases[] = {
      {"image\\a.png", "IMAGE\\A.PNG"},
      {"ヂa", "ヂA"},        // the trail byte 61 of 83 61 stays
      {"表z", "表Z"},
      {"az{`@", "AZ{`@"},    // the neighbours of a-z stay
      {"a\x95", "A\x95"},    // lead byte right before the terminator
      {"", ""},
  };
  for (const Case& c : cases) {
    auto text = ExactCString(c.text);
    UpperCaseCString(text.get());
    EXPECT_EQ(std::string_view(text.get()), c.upper) << c.text;
  }
}

TEST(CStringHelpers, CompareNLooksAtExactlyNBytes) {
  struct Case {
    std::string_view a;
    std::string_view b;
    int n;
    int result;
  };
  const Case cases[] = {
      {"abc", "abd", 2, 0},
      {"abc", "abd", 3, 1},
      {"abc", "xyz", 0, 0},
      {"abc", "abc", -1, 1},
      {"ab", "ac", 1, 0},
      {std::string_view("a\0x", 3), std::string_view("a\0y", 3), 3, 1},  // goes on past a zero
      {std::string_view("a\0x", 3), std::string_view("a\0x", 3), 3, 0},
      {"ab", "abc", 3, 1},  // the terminator differs from 'c'
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareCStringN(c.a.data(), c.b.data(), c.n), c.result) << c.a << " / " << c.b << " n=" << c.n;
  }
}

TEST(MemoryHelpers, FillSetsCountBytesAndReturnsTheValue) {
  unsigned char buffer[8];
  std::memset(buffer, 0, sizeof buffer);
  EXPECT_EQ(FillMemoryBytes(buffer + 1, 0xAB, 5), 0xAB);
  const unsigned char expected[8] = {0, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0, 0};
  EXPECT_EQ(std::memcmp(buffer, expected, 8), 0);
  EXPECT_EQ(FillMemoryBytes(nullptr, 7, 0), 7);
}

TEST(MemoryHelpers, CompareIsEqualityOverCountBytes) {
  struct Case {
    const char* a;
    const char* b;
    size_t count;
    int result;
  };
  const Case cases[] = {
      {"abcd", "abcd", 4, 0}, {"abcd", "abce", 4, 1}, {"abcd", "abce", 3, 0},
      {"x", "y", 0, 0},       {"\x80", "\x7F", 1, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CompareMemoryBytes(c.a, c.b, c.count), c.result) << c.a << " / " << c.b;
  EXPECT_EQ(CompareMemoryBytes(nullptr, nullptr, 0), 0);
}

TEST(MemoryHelpers, CopyTransfersCountBytes) {
  const char source[] = "0123456789";
  char destination[12];
  std::memset(destination, '-', sizeof destination);
  CopyMemoryBytes(destination + 1, source, 4);
  EXPECT_EQ(std::string_view(destination, 7), "-0123--");
  CopyMemoryBytes(nullptr, nullptr, 0);
}

TEST(MemoryHelpers, MoveHandlesOverlapInBothDirections) {
  struct Case {
    int from;
    int to;
    std::string_view result;
  };
  const Case cases[] = {
      {0, 1, "00123456789"},  // up by one: copied from the top down, no smearing
      {1, 0, "123456789XX"},  // down by one
      {0, 0, "0123456789X"},  // same place: unchanged
  };
  for (const Case& c : cases) {
    char buffer[12] = "0123456789X";
    MoveMemoryBytes(buffer + c.to, buffer + c.from, 10);
    EXPECT_EQ(std::string_view(buffer, 11), c.result) << c.from << " -> " << c.to;
  }
}

TEST(NumberHelpers, SinCosStoresSineAndCosineRoundedToFloat) {
  const float angles[] = {0.0f, 0.5f, -0.5f, 1.5707964f, 3.1415927f, -2.0f, 100.0f, 1000.25f};
  for (float angle : angles) {
    float sine = -9.0f;
    float cosine = -9.0f;
    SinCosFloat(angle, &sine, &cosine);
    EXPECT_FLOAT_EQ(sine, static_cast<float>(std::sin(static_cast<double>(angle)))) << angle;
    EXPECT_FLOAT_EQ(cosine, static_cast<float>(std::cos(static_cast<double>(angle)))) << angle;
  }
  float sine = 0.0f;
  float cosine = 0.0f;
  SinCosFloat(0.0f, &sine, &cosine);
  EXPECT_EQ(sine, 0.0f);
  EXPECT_EQ(cosine, 1.0f);
}

// Sine and cosine match the long double values rounded to float bit for bit:
// the turned drawings and the frames they make depend on every bit. The
// table holds angles whose double sine or cosine lies next to the middle
// between two floats, and extreme ones; the sweep covers the usual range.
TEST(NumberHelpers, SinCosMatchesTheLongDoubleValuesBitForBit) {
  const auto expectLongDoubleValues = [](float angle) {
    float sine = -9.0f;
    float cosine = -9.0f;
    SinCosFloat(angle, &sine, &cosine);
    const long double a = angle;
    const float wantSine = static_cast<float>(std::sin(a));
    const float wantCosine = static_cast<float>(std::cos(a));
    EXPECT_EQ(std::bit_cast<uint32_t>(sine), std::bit_cast<uint32_t>(wantSine)) << std::hexfloat << angle;
    EXPECT_EQ(std::bit_cast<uint32_t>(cosine), std::bit_cast<uint32_t>(wantCosine)) << std::hexfloat << angle;
  };
  const float edges[] = {0x1.e64002p-2f,  0x1.e7061ep-2f, 0x1.0c4d4ap+0f,  0x1.41f49cp+0f,  0x1.544ce4p+0f,
                         0x1.b6781cp+0f,  -0.0f,          0x1p-149f,       -0x1.18ee6ap-123f, 1e-30f,
                         3.4028235e38f,   -1e30f,         16777216.0f,     1e10f};
  for (const int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const float angle : edges) expectLongDoubleValues(angle);
    for (int i = -20000; i <= 20000; ++i) expectLongDoubleValues(static_cast<float>(i) * 0.0123456f);
  }
  std::fesetround(FE_TONEAREST);
  float sine = 0.0f;
  float cosine = 0.0f;
  SinCosFloat(std::numeric_limits<float>::infinity(), &sine, &cosine);
  EXPECT_TRUE(std::isnan(sine) && std::isnan(cosine));
  SinCosFloat(1.0f, nullptr, &cosine);
  SinCosFloat(1.0f, &sine, nullptr);
  EXPECT_EQ(sine, static_cast<float>(std::sin(1.0L)));
}

TEST(NumberHelpers, AbsIntKeepsTheMostNegativeInt) {
  const int cases[][2] = {{5, 5}, {-5, 5}, {0, 0}, {INT_MAX, INT_MAX}, {-INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}};
  for (const auto& c : cases) EXPECT_EQ(AbsInt(c[0]), c[1]) << c[0];
}

TEST(NumberHelpers, AbsFloatNegatesOnlyValuesBelowZero) {
  EXPECT_EQ(AbsFloat(-1.5f), 1.5);
  EXPECT_EQ(AbsFloat(2.25f), 2.25);
  EXPECT_EQ(AbsFloat(-0.1f), static_cast<double>(0.1f));
  EXPECT_EQ(AbsFloat(-std::numeric_limits<float>::infinity()), std::numeric_limits<double>::infinity());
  // -0.0 is not below 0 and keeps its sign; NaN passes as well.
  EXPECT_TRUE(std::signbit(AbsFloat(-0.0f)));
  EXPECT_TRUE(std::isnan(AbsFloat(std::numeric_limits<float>::quiet_NaN())));
}

const int kRoundingModes[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};

// Restores round-to-nearest whatever a test does.
class RoundingModeTest : public ::testing::Test {
 protected:
  void TearDown() override { std::fesetround(FE_TONEAREST); }
};

TEST_F(RoundingModeTest, TruncateDoubleGoesTowardZeroUnderEveryMode) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    int result;
  };
  const Case cases[] = {
      {2.7, 2},
      {-2.7, -2},
      {2.5, 2},
      {-0.5, 0},
      {0.0, 0},
      {2147483647.0, INT_MAX},
      {2147483647.9, INT_MAX},
      {-2147483648.0, INT_MIN},
      {-2147483648.9, INT_MIN},
      {2147483648.0, INT_MIN},  // out of range
      {-2147483649.0, INT_MIN},
      {1e300, INT_MIN},
      {inf, INT_MIN},
      {-inf, INT_MIN},
      {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
  };
  for (int mode : kRoundingModes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const Case& c : cases) EXPECT_EQ(TruncateDoubleToInt(c.value), c.result) << c.value << " mode " << mode;
    EXPECT_EQ(std::fegetround(), mode);
  }
}

TEST_F(RoundingModeTest, TruncateFloatGoesTowardZeroUnderEveryMode) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value;
    int result;
  };
  const Case cases[] = {
      {2.7f, 2},
      {-2.7f, -2},
      {0.999f, 0},
      {-1.0f, -1},
      {16777217.0f, 16777216},        // rounded when the literal became a float
      {2147483520.0f, 2147483520},    // the largest float below 2^31
      {-2147483648.0f, INT_MIN},
      {2147483648.0f, INT_MIN},       // out of range
      {-2147483904.0f, INT_MIN},
      {inf, INT_MIN},
      {-inf, INT_MIN},
      {std::numeric_limits<float>::quiet_NaN(), INT_MIN},
  };
  for (int mode : kRoundingModes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const Case& c : cases) EXPECT_EQ(TruncateFloatToInt(c.value), c.result) << c.value << " mode " << mode;
    EXPECT_EQ(std::fegetround(), mode);
  }
}

TEST_F(RoundingModeTest, TruncateFourConvertsEachValue) {
  const double values[4] = {-2.7, 3.9, std::numeric_limits<double>::quiet_NaN(), 5e9};
  for (int mode : kRoundingModes) {
    ASSERT_EQ(std::fesetround(mode), 0);
    int results[4] = {7, 7, 7, 7};
    TruncateFourDoublesToInt(values, results);
    EXPECT_EQ(results[0], -2);
    EXPECT_EQ(results[1], 3);
    EXPECT_EQ(results[2], INT_MIN);
    EXPECT_EQ(results[3], INT_MIN);
  }
}

TEST(NumberHelpers, SqrtFloatIsRoundedToFloat) {
  uint32_t bits;
  float root = SqrtFloat(2.0f);
  std::memcpy(&bits, &root, sizeof bits);
  EXPECT_EQ(bits, 0x3FB504F3u);  // sqrt(2) correctly rounded
  EXPECT_EQ(SqrtFloat(0.0f), 0.0f);
  EXPECT_EQ(SqrtFloat(6.25f), 2.5f);
  EXPECT_TRUE(std::isnan(SqrtFloat(-1.0f)));
}

TEST(NumberHelpers, FormatIntToTextWritesDigitsInTheRadix) {
  struct Case {
    int value;
    int radix;
    const char* text;
  };
  const Case cases[] = {
      {0, 10, "0"},
      {-255, 16, "-ff"},
      {255, 2, "11111111"},
      {35, 36, "z"},
      {-1, 16, "-1"},
      {INT_MAX, 10, "2147483647"},
      {INT_MIN, 10, "-2147483648"},
      {INT_MIN, 2, "-10000000000000000000000000000000"},
      {INT_MIN, 16, "-80000000"},
      {7, 1, ""},  // radix outside 2..36: empty text
      {7, 0, ""},
      {7, -10, ""},
      {7, 37, ""},
  };
  for (const Case& c : cases) {
    char buffer[kIntTextSize];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(FormatIntToText(c.value, buffer, c.radix), buffer);
    EXPECT_STREQ(buffer, c.text) << c.value << " radix " << c.radix;
  }
}

TEST(WideArithmetic, MultiplyGivesTheFull128BitProduct) {
  struct Case {
    uint64_t a;
    uint64_t b;
    UInt128 product;
  };
  const Case cases[] = {
      {0, UINT64_MAX, {0, 0}},
      {1, 1, {1, 0}},
      {1ull << 32, 1ull << 32, {0, 1}},
      {UINT64_MAX, UINT64_MAX, {1, 0xFFFFFFFFFFFFFFFEull}},
      {0x123456789ABCDEF0ull, 0x0FEDCBA987654321ull, {0x2236D88FE5618CF0ull, 0x0121FA00AD77D742ull}},
      {0xFFFFFFFFFFFFull, 1000000, {0x423FFFFFFFF0BDC0ull, 0xF}},
  };
  for (const Case& c : cases) {
    UInt128 product;
    MultiplyUInt64Wide(c.a, c.b, &product);
    EXPECT_EQ(product.low, c.product.low) << std::hex << c.a << " * " << c.b;
    EXPECT_EQ(product.high, c.product.high) << std::hex << c.a << " * " << c.b;
  }
}

TEST(WideArithmetic, DivideTruncatesTheQuotient) {
  struct Case {
    UInt128 dividend;
    uint64_t divisor;
    UInt128 quotient;
  };
  const Case cases[] = {
      {{100, 0}, 7, {14, 0}},
      {{0, 1}, 2, {1ull << 63, 0}},
      {{7, 5}, 3, {0xAAAAAAAAAAAAAAADull, 1}},  // quotient above 64 bits
      {{UINT64_MAX, UINT64_MAX}, UINT64_MAX, {1, 1}},
      {{0x423FFFFFFFF0BDC0ull, 0xF}, 10000000, {0x199999999999ull, 0}},
      {{0x0123456789ABCDEFull, 0xFEDCBA9876543210ull}, 0x1F2E3D4C5B6A7988ull, {0x2C7A0D724B81CF8Bull, 8}},
      {{5, 0}, 9, {0, 0}},
      {{12345, 678}, 0, {UINT64_MAX, UINT64_MAX}},  // no trap on a zero divisor
  };
  for (const Case& c : cases) {
    UInt128 quotient;
    DivideUInt128By64(c.dividend, c.divisor, &quotient);
    EXPECT_EQ(quotient.low, c.quotient.low) << std::hex << c.dividend.high << ":" << c.dividend.low << " / " << c.divisor;
    EXPECT_EQ(quotient.high, c.quotient.high) << std::hex << c.dividend.high << ":" << c.dividend.low << " / " << c.divisor;
  }
}

}  // namespace
}  // namespace veziv
