// The checked decoder against hand-made token streams and a byte-by-byte
// reference expansion of the same tokens.
#include "library/foundation/files/decompress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace veziv {
namespace {

using Bytes = std::vector<uint8_t>;

void PutU32(Bytes* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One token: literal bytes (markers doubled by the encoder) or a back-reference.
struct Token {
  std::string literal;
  uint32_t length = 0;
  uint32_t distance = 0;
};

Token Lit(std::string s) { return Token{std::move(s), 0, 0}; }
Token Ref(uint32_t length, uint32_t distance) { return Token{"", length, distance}; }

void EncodeRef(Bytes* body, uint8_t marker, uint32_t length, uint32_t distance) {
  const uint32_t field = length - 4;
  const uint32_t offset = distance - 1;
  const uint32_t width = offset < 0x100 ? 0 : offset < 0x10000 ? 1 : 2;
  uint32_t code = (field & 31) << 3 | width | (field >= 32 ? 4 : 0);
  if (code >= marker) code += 1;
  body->push_back(marker);
  body->push_back(static_cast<uint8_t>(code));
  if (field >= 32) body->push_back(static_cast<uint8_t>(field >> 5));
  for (uint32_t i = 0; i <= width; ++i) body->push_back(static_cast<uint8_t>(offset >> (8 * i)));
}

Bytes Block(uint8_t marker, const std::vector<Token>& tokens, std::string* expected) {
  Bytes body;
  expected->clear();
  for (const Token& t : tokens) {
    for (char c : t.literal) {
      body.push_back(static_cast<uint8_t>(c));
      if (static_cast<uint8_t>(c) == marker) body.push_back(marker);
      expected->push_back(c);
    }
    if (t.length != 0) {
      EncodeRef(&body, marker, t.length, t.distance);
      for (uint32_t i = 0; i < t.length; ++i) expected->push_back((*expected)[expected->size() - t.distance]);
    }
  }
  Bytes block;
  PutU32(&block, static_cast<uint32_t>(expected->size()));
  PutU32(&block, static_cast<uint32_t>(body.size() + 9));
  block.push_back(marker);
  block.insert(block.end(), body.begin(), body.end());
  return block;
}

Bytes RawBlock(uint32_t unpacked, uint8_t marker, const Bytes& body) {
  Bytes block;
  PutU32(&block, unpacked);
  PutU32(&block, static_cast<uint32_t>(body.size() + 9));
  block.push_back(marker);
  block.insert(block.end(), body.begin(), body.end());
  return block;
}

std::string Noise(size_t n) {
  std::string s;
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s.push_back(static_cast<char>(x >> 24));
  }
  return s;
}

TEST(DecompressData, ExpandsTokensLikeTheReference) {
  struct Case {
    const char* name;
    uint8_t marker;
    std::vector<Token> tokens;
  };
  const std::string noise = Noise(70000);
  const Case cases[] = {
      {"literals only", 0xFF, {Lit("plain text")}},
      {"doubled marker is a literal", 'A', {Lit("xAAyA")}},
      {"distance 1 length 10 is a run", 0x00, {Lit("z"), Ref(10, 1)}},
      {"overlapping period 3", 0x7E, {Lit("abc"), Ref(20, 3), Lit("!")}},
      {"one-byte offset at its limit", 0xF0, {Lit(noise.substr(0, 300)), Ref(31, 256)}},
      {"two-byte offset", 0xF0, {Lit(noise.substr(0, 300)), Ref(35, 257)}},
      {"two-byte offset at its limit", 0xF0, {Lit(noise.substr(0, 65536)), Ref(4, 65536)}},
      {"three-byte offset", 0x01, {Lit(noise.substr(0, 70000)), Ref(100, 65537), Ref(9, 69999)}},
      {"extra length byte, longest match", 0x80, {Lit("ab"), Ref(8195, 2)}},
      {"extra length byte, shortest", 0x80, {Lit("abcd"), Ref(36, 4)}},
      {"marker below and above codes", 0x33, {Lit("hello3"), Ref(4, 6), Ref(200, 1), Ref(40, 17)}},
  };
  for (const Case& c : cases) {
    std::string expected;
    const Bytes block = Block(c.marker, c.tokens, &expected);
    Bytes out(expected.size());
    EXPECT_EQ(DecompressData(block.data(), block.size(), out.data(), out.size()),
              static_cast<int64_t>(expected.size()))
        << c.name;
    EXPECT_EQ(std::string(out.begin(), out.end()), expected) << c.name;
  }
}

// Long streams, so that most tokens go through the 16-byte loop and the
// block ends in the exact one: every distance up to 40 and far ones, lengths
// around the piece size, runs of markers and literal runs of every length,
// for markers at both ends and in the middle of the byte range.
TEST(DecompressData, LongStreamsOfEveryKindOfTokenExpandLikeTheReference) {
  for (const uint8_t marker : {uint8_t{0x00}, uint8_t{0x5C}, uint8_t{0xFF}}) {
    uint32_t x = marker + 7u;
    auto next = [&x](uint32_t n) {
      x = x * 1103515245u + 12345u;
      return (x >> 8) % n;
    };
    const std::string noise = Noise(4096);
    std::vector<Token> tokens = {Lit(noise.substr(0, 64))};
    size_t size = 64;
    for (int i = 0; i < 3000; ++i) {
      const uint32_t kind = next(10);
      if (kind < 4) {
        std::string literal = noise.substr(next(4000), 1 + next(40));
        if (next(3) == 0) literal += std::string(1 + next(3), static_cast<char>(marker));
        size += literal.size();
        tokens.push_back(Lit(literal));
      } else {
        const uint32_t distance = kind < 8 ? 1 + next(40) : 1 + next(static_cast<uint32_t>(size));
        const uint32_t length = next(4) == 0 ? 4 + next(300) : 4 + next(36);
        tokens.push_back(Ref(length, distance));
        size += length;
      }
    }
    std::string expected;
    const Bytes block = Block(marker, tokens, &expected);
    Bytes out(expected.size());
    ASSERT_EQ(DecompressData(block.data(), block.size(), out.data(), out.size()),
              static_cast<int64_t>(expected.size()))
        << "marker " << int{marker};
    EXPECT_TRUE(std::string(out.begin(), out.end()) == expected) << "marker " << int{marker};
  }
}

TEST(DecompressData, ReadsCodesAboveTheMarkerLessOne) {
  // Marker 0x10: code 0x11 means 0x10 (length 6, one-byte offset); 0x0F is
  // taken as it is, whose offset width 3 is refused.
  Bytes out(16);
  const Bytes above = RawBlock(7, 0x10, {'q', 0x10, 0x11, 0x00});
  EXPECT_EQ(DecompressData(above.data(), above.size(), out.data(), out.size()), 7);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 7), "qqqqqqq");
  const Bytes below = RawBlock(7, 0x10, {'q', 0x10, 0x0F, 0x00, 0x00, 0x00});
  EXPECT_EQ(DecompressData(below.data(), below.size(), out.data(), out.size()), -1);
}

TEST(DecompressData, NullDestinationGivesTheSizeOnly) {
  const Bytes block = RawBlock(123456, 0x00, {0x00});  // the body would be refused
  EXPECT_EQ(DecompressData(block.data(), block.size(), nullptr, 0), 123456);
  const Bytes empty = RawBlock(0, 0x00, {});
  uint8_t sink = 0xAA;
  EXPECT_EQ(DecompressData(empty.data(), empty.size(), &sink, 0), 0);
  EXPECT_EQ(sink, 0xAA);
}

TEST(DecompressData, RefusesMalformedBlocksWithoutWritingOutside) {
  struct Case {
    const char* name;
    Bytes block;
    size_t capacity;
    size_t sourceSize;  // 0: the block's size
  };
  const Case cases[] = {
      {"header shorter than 9 bytes", {1, 0, 0, 0, 9, 0, 0, 0}, 1, 0},
      {"packed size below the header", Bytes{1, 0, 0, 0, 8, 0, 0, 0, 0}, 1, 0},
      {"packed size beyond the source", RawBlock(3, 0xFF, {'a', 'b', 'c'}), 3, 11},
      {"unpacked size beyond the capacity", RawBlock(4, 0xFF, {'a', 'b', 'c', 'd'}), 3, 0},
      {"offset width 3", RawBlock(8, 0x00, {'a', 0x00, 0x04, 0, 0, 0}), 8, 0},
      {"distance before the start", RawBlock(8, 0x00, {'a', 'b', 0x00, 0x01, 0x02}), 8, 0},
      {"back-reference past the size", RawBlock(5, 0x00, {'a', 0x00, 0x31, 0x00}), 5, 0},
      {"literal past the size", RawBlock(2, 0xFF, {'a', 'b', 'c'}), 2, 0},
      {"doubled marker past the size", RawBlock(1, 0x00, {'a', 0x00, 0x00}), 1, 0},
      {"marker at the end of the body", RawBlock(2, 0x00, {'a', 0x00}), 2, 0},
      {"length byte cut off", RawBlock(60, 0x00, {'a', 0x00, 0x05}), 60, 0},
      {"offset cut off", RawBlock(70000, 0x00, {'a', 0x00, 0x03, 0x00}), 70000, 0},
      {"body stops short of the size", RawBlock(9, 0xFF, {'a', 'b'}), 9, 0},
      {"empty body with a size", RawBlock(4, 0xFF, {}), 4, 0},
  };
  // The same faults after 100 literals and with room to spare in the body, where
  // the 16-byte loop meets them.
  const std::string lead = Noise(100);
  auto late = [&lead](uint32_t unpacked, uint8_t marker, Bytes body) {
    Bytes all;
    for (const char c : lead) {
      all.push_back(static_cast<uint8_t>(c));
      if (static_cast<uint8_t>(c) == marker) all.push_back(marker);
    }
    all.insert(all.end(), body.begin(), body.end());
    all.insert(all.end(), 40, 'z');
    return RawBlock(static_cast<uint32_t>(lead.size()) + unpacked, marker, all);
  };
  const Case lateCases[] = {
      {"offset width 3, late", late(100, 0x00, {0x00, 0x04, 0, 0, 0}), 0, 0},
      {"distance before the start, late", late(100, 0x00, {0x00, 0x02, 0x65, 0x00}), 0, 0},
      {"back-reference past the size, late", late(20, 0x00, {0x00, 0x25, 0x01, 0x00}), 0, 0},
      {"long back-reference past the size, late", late(40, 0x00, {0x00, 0x05, 0x10, 0x00}), 0, 0},
      {"literals past the size, late", late(30, 0x00, {}), 0, 0},
  };
  for (const Case& c : lateCases) {
    // Exactly the unpacked size the block claims.
    std::vector<uint8_t> out(c.block[0] | c.block[1] << 8);
    EXPECT_EQ(DecompressData(c.block.data(), c.block.size(), out.data(), out.size()), -1) << c.name;
  }
  for (const Case& c : cases) {
    // Exactly the capacity, so AddressSanitizer sees any write beyond it.
    std::vector<uint8_t> out(c.capacity);
    const size_t sourceSize = c.sourceSize ? c.sourceSize : c.block.size();
    EXPECT_EQ(DecompressData(c.block.data(), sourceSize, out.data(), out.size()), -1) << c.name;
  }
}

}  // namespace
}  // namespace veziv
