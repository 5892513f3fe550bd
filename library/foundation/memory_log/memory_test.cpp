// The tracked allocator: tags, totals, relinking, the dump's line format, the
// header check, size overflow, the lock, and the ring buffer's growth.
#include "library/foundation/memory_log/memory.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "library/foundation/memory_log/log_test_support.h"

namespace veziv {
namespace {

using MemoryTest = test::LogFolderTest;

MemoryBlockHeader* Header(void* address) {
  return reinterpret_cast<MemoryBlockHeader*>(static_cast<unsigned char*>(address) - sizeof(MemoryBlockHeader));
}

std::string Hex(const void* address) {
  char text[32];
  std::snprintf(text, sizeof text, "%08" PRIxPTR, reinterpret_cast<uintptr_t>(address));
  return text;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_F(MemoryTest, TagKeepsTheLastFifteenCharactersOfTheSource) {
  struct Case {
    const char* source;
    const char* tag;
  };
  const Case cases[] = {
      {"0123456789012345678901234567890123456789", "567890123456789"},
      {"abcdefghijklmn", "abcdefghijklmn"},
      {"abcdefghijklmno", "abcdefghijklmno"},
      {"abcdefghijklmnop", "bcdefghijklmnop"},
      {"", ""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    void* p = AllocLibMemory(4, c.source, 77);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(Header(p)->tag, c.tag) << (c.source ? c.source : "null");
    EXPECT_EQ(Header(p)->line, 77);
    FreeLibMemory(p);
  }
}

TEST_F(MemoryTest, BlocksAreAlignedForAnyType) {
  for (size_t size : {0, 1, 3, 100, 4097}) {
    void* p = AllocLibMemory(size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    FreeLibMemory(p);
  }
}

TEST_F(MemoryTest, AllocationAndFreeBalanceTheTotals) {
  FreeLibMemory(nullptr);
  void* p = AllocLibMemory(10);
  FreeLibMemory(p);
  DumpLibMemory();
  EXPECT_EQ(ReadLogWithoutStamps(), "\r\nAlloc memory dump\r\n\tTotal size:0(0.000kb)  Alloc num:0\r\n\r\n");
}

TEST_F(MemoryTest, TotalsCountLiveBlocks) {
  void* a = AllocLibMemory(10);
  void* b = ReallocLibMemory(nullptr, 100);
  void* c = AllocLibMemoryZeroed(2048);
  c = ReallocLibMemory(c, 1938);
  LogMemoryTotals();
  EXPECT_EQ(ReadLogWithoutStamps(), "\tTotal size:2048(2.000kb)  Alloc num:3\r\n");
  FreeLibMemory(a);
  FreeLibMemory(b);
  FreeLibMemory(c);
}

TEST_F(MemoryTest, ZeroedBlocksComeBackZero) {
  // Fresh blocks hold leftovers (the sanitizer's allocator fills them), so this shows the clearing.
  void* dirty = AllocLibMemory(300);
  std::memset(dirty, 0xAB, 300);
  FreeLibMemory(dirty);
  for (size_t size : {1, 300, 5000}) {
    auto* p = static_cast<unsigned char*>(AllocLibMemoryZeroed(size));
    ASSERT_NE(p, nullptr);
    for (size_t i = 0; i < size; ++i) ASSERT_EQ(p[i], 0) << size << " at " << i;
    FreeLibMemory(p);
  }
}

TEST_F(MemoryTest, DumpLineShowsTheBlockAndUpToSixteenBytes) {
  struct Case {
    std::vector<unsigned char> bytes;
    std::string data;
  };
  const Case cases[] = {
      {{0x41, 0x01, 0x42}, "data:<A.B> [41 01 42]"},
      {{}, "data:<> ]"},
      {{0x20, 0x7F, 0x80, 0xFF, 0x1F}, "data:< \x7F...> [20 7f 80 ff 1f]"},
      {std::vector<unsigned char>(20, 'z'),
       "data:<zzzzzzzzzzzzzzzz> [7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a]"},
  };
  for (const Case& c : cases) {
    CreateLogFile();
    auto* p = static_cast<unsigned char*>(AllocLibMemory(c.bytes.size(), "stage.cpp", 65535));
    ASSERT_NE(p, nullptr);
    if (!c.bytes.empty()) std::memcpy(p, c.bytes.data(), c.bytes.size());
    CreateLogFile();
    LogMemoryBlock(Header(p));
    char kb[32];
    std::snprintf(kb, sizeof kb, "%.3f", c.bytes.size() / 1024.0);
    const std::string expected = "\tsize:" + std::to_string(c.bytes.size()) + "(" + kb +
                                 "kb)  file:stage.cpp  line:65535  ID:" + std::to_string(Header(p)->number) +
                                 "  addr:" + Hex(p) + "  " + c.data + "\r\n";
    EXPECT_EQ(ReadLogWithoutStamps(), expected);
    FreeLibMemory(p);
  }
}

TEST_F(MemoryTest, OnlyEmptyBlocksAreTraced) {
  void* empty = AllocLibMemory(0);
  void* one = AllocLibMemory(1);
  FreeLibMemory(one);
  FreeLibMemory(empty);
  const std::string log = ReadLogWithoutStamps();
  EXPECT_EQ(Count(log, "mem alloc  \tsize:0(0.000kb)"), 1) << log;
  EXPECT_EQ(Count(log, "mem free  \tsize:0(0.000kb)"), 1) << log;
  EXPECT_EQ(Count(log, "size:1("), 0) << log;
}

TEST_F(MemoryTest, AllocationNumbersCountUpAndReallocTakesANewOne) {
  void* a = AllocLibMemory(1);
  void* b = AllocLibMemory(1);
  const uint16_t first = Header(a)->number;
  EXPECT_EQ(Header(b)->number, static_cast<uint16_t>(first + 1));
  b = ReallocLibMemory(b, 2);
  EXPECT_EQ(Header(b)->number, static_cast<uint16_t>(first + 2));
  FreeLibMemory(a);
  FreeLibMemory(b);
}

TEST_F(MemoryTest, ReallocKeepsTheListInOrderAndTheHeadersIntact) {
  // Five blocks; the oldest, a middle one and the newest are moved by growing
  // them a lot, then the list must still run newest to oldest with every
  // header's mirror renewed.
  const char* names[] = {"b0", "b1", "b2", "b3", "b4"};
  void* blocks[5];
  for (int i = 0; i < 5; ++i) {
    blocks[i] = AllocLibMemory(8, names[i]);
    std::memset(blocks[i], 'a' + i, 8);
  }
  for (int i : {0, 2, 4, 2}) {
    void* moved = ReallocLibMemory(blocks[i], 1 << 20, names[i], i);
    ASSERT_NE(moved, nullptr);
    const auto* bytes = static_cast<unsigned char*>(moved);
    EXPECT_EQ(bytes[7], 'a' + i);
    EXPECT_EQ(bytes[8], 0);
    EXPECT_EQ(bytes[(1 << 20) - 1], 0);
    blocks[i] = moved;
    // Shrinking back keeps the bytes too.
    blocks[i] = ReallocLibMemory(blocks[i], 8, names[i], i);
    EXPECT_EQ(static_cast<unsigned char*>(blocks[i])[0], 'a' + i);
  }
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
  CreateLogFile();
  DumpLibMemory();
  const std::string log = ReadLogWithoutStamps();
  size_t at = 0;
  for (int i = 4; i >= 0; --i) {
    size_t found = log.find(std::string("file:") + names[i] + " ", at);
    ASSERT_NE(found, std::string::npos) << names[i] << "\n" << log;
    at = found;
  }
  EXPECT_NE(log.find("Total size:40(0.039kb)  Alloc num:5"), std::string::npos) << log;
  // Freeing in a scattered order must leave an empty, intact list.
  for (int i : {2, 4, 0, 3, 1}) FreeLibMemory(blocks[i]);
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
}

TEST_F(MemoryTest, DamagedHeaderIsReportedOnce) {
  void* older = AllocLibMemory(3, "older.cpp");
  void* newer = AllocLibMemory(3, "newer.cpp");
  Header(older)->tag[0] = 'X';
  Header(newer)->line = 999;
  EXPECT_EQ(CheckLibMemoryHeaders(), -1);
  const std::string log = ReadLogWithoutStamps();
  EXPECT_EQ(Count(log, "以下のメモリ確保情報が破損しました"), 1) << log;
  EXPECT_EQ(Count(log, "\tsize:"), 1) << log;
  EXPECT_NE(log.find("line:999"), std::string::npos) << log;
  Header(older)->tag[0] = 'o';
  Header(newer)->line = 0;
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
  FreeLibMemory(older);
  FreeLibMemory(newer);
}

TEST_F(MemoryTest, DamagedSizeIsReportedWithoutReadingPastTheBlock) {
  // An overrun of the block in front can rewrite this header's size; the report
  // must then show no more bytes than the block really has.
  auto* p = static_cast<unsigned char*>(AllocLibMemory(3, "short.cpp"));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "\x41\x01\x42", 3);
  const size_t real_size = Header(p)->size;
  Header(p)->size = 100000;
  EXPECT_EQ(CheckLibMemoryHeaders(), -1);
  const std::string log = ReadLogWithoutStamps();
  EXPECT_EQ(Count(log, "以下のメモリ確保情報が破損しました"), 1) << log;
  EXPECT_NE(log.find("size:100000("), std::string::npos) << log;
  EXPECT_NE(log.find("data:<A.B> [41 01 42]\r\n"), std::string::npos) << log;
  Header(p)->size = real_size;
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
  FreeLibMemory(p);
}

TEST_F(MemoryTest, SizesThatOverflowWithTheHeaderAreRefused) {
  void* kept = AllocLibMemory(5, "kept.cpp");
  std::memcpy(kept, "abcde", 5);
  for (size_t size : {SIZE_MAX, SIZE_MAX - 10, SIZE_MAX - sizeof(MemoryBlockHeader) + 1}) {
    EXPECT_EQ(AllocLibMemory(size), nullptr) << size;
    EXPECT_EQ(AllocLibMemoryZeroed(size), nullptr) << size;
    EXPECT_EQ(ReallocLibMemory(kept, size), nullptr) << size;
  }
  EXPECT_EQ(std::memcmp(kept, "abcde", 5), 0);
  CreateLogFile();
  LogMemoryTotals();
  EXPECT_EQ(ReadLogWithoutStamps(), "\tTotal size:5(0.005kb)  Alloc num:1\r\n");
  FreeLibMemory(kept);
}

TEST_F(MemoryTest, ThreadsShareTheListSafely) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      std::vector<void*> live;
      for (int i = 0; i < 2000; ++i) {
        live.push_back(AllocLibMemory(static_cast<size_t>(1 + (i + t) % 50)));
        if (i % 3 == 0) live.back() = ReallocLibMemory(live.back(), static_cast<size_t>(60 + i % 7));
        if (i % 2 == 1) {
          FreeLibMemory(live.front());
          live.erase(live.begin());
        }
      }
      for (void* p : live) FreeLibMemory(p);
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(CheckLibMemoryHeaders(), 0);
  LogMemoryTotals();
  EXPECT_EQ(ReadLogWithoutStamps(), "\tTotal size:0(0.000kb)  Alloc num:0\r\n");
}

RingBuffer MakeRing(size_t size, size_t read, size_t count) {
  RingBuffer ring{};
  ring.data = static_cast<unsigned char*>(AllocLibMemory(size));
  for (size_t i = 0; i < size; ++i) ring.data[i] = static_cast<unsigned char>(i);
  ring.size = size;
  ring.read = read;
  ring.count = count;
  ring.write = (read + count) % size;
  return ring;
}

TEST_F(MemoryTest, RingGrowsWithTheHeldBytesInOrder) {
  struct Case {
    size_t size, read, count, asked;
    size_t new_size;  // 0: no growth
  };
  const Case cases[] = {
      {100, 90, 30, 80, 1110},  // held bytes wrap past the end
      {100, 10, 30, 80, 1110},  // held bytes in one piece
      {100, 100, 0, 100, 0},    // read at the end wraps to 0; fits exactly
      {100, 40, 30, 70, 0},     // fits exactly
      {100, 40, 30, 71, 1101},
  };
  for (const Case& c : cases) {
    RingBuffer ring = MakeRing(c.size, c.read, c.count);
    const size_t write = ring.write;
    ASSERT_EQ(ReserveRingBuffer(c.asked, &ring), 0);
    if (c.new_size == 0) {
      EXPECT_EQ(ring.size, c.size);
      EXPECT_EQ(ring.read, c.read % c.size);
      EXPECT_EQ(ring.write, write);
    } else {
      EXPECT_EQ(ring.size, c.new_size);
      EXPECT_EQ(ring.read, 0u);
      EXPECT_EQ(ring.write, c.count);
      for (size_t i = 0; i < c.count; ++i) {
        EXPECT_EQ(ring.data[i], static_cast<unsigned char>((c.read + i) % c.size)) << i;
      }
    }
    EXPECT_EQ(ring.count, c.count);
    FreeRingBuffer(&ring);
    EXPECT_EQ(ring.data, nullptr);
    EXPECT_EQ(ring.size, 0u);
  }
}

TEST_F(MemoryTest, EmptyRingGetsItsFirstBuffer) {
  RingBuffer ring{};
  ASSERT_EQ(ReserveRingBuffer(24, &ring), 0);
  EXPECT_NE(ring.data, nullptr);
  EXPECT_EQ(ring.size, 1024u);
  EXPECT_EQ(ring.read, 0u);
  EXPECT_EQ(ring.write, 0u);
  FreeRingBuffer(&ring);
}

TEST_F(MemoryTest, RingThatCannotGrowIsEmptiedAndLogged) {
  RingBuffer ring = MakeRing(100, 0, 50);
  EXPECT_EQ(ReserveRingBuffer(SIZE_MAX - 500, &ring), -1);
  EXPECT_EQ(ring.data, nullptr);
  EXPECT_EQ(ring.size, 0u);
  EXPECT_EQ(ring.count, 0u);
  EXPECT_NE(ReadLog().find("リングバッファの再確保に失敗しました"), std::string::npos);
  LogMemoryTotals();
  EXPECT_NE(ReadLog().find("Total size:0(0.000kb)  Alloc num:0"), std::string::npos);
}

TEST_F(MemoryTest, WrapMovesEndPositionsToTheStart) {
  RingBuffer ring{nullptr, 100, 100, 0, 100};
  WrapRingBufferPositions(&ring);
  EXPECT_EQ(ring.read, 0u);
  EXPECT_EQ(ring.write, 0u);
  ring = RingBuffer{nullptr, 99, 5, 0, 100};
  WrapRingBufferPositions(&ring);
  EXPECT_EQ(ring.read, 99u);
  EXPECT_EQ(ring.write, 5u);
}

}  // namespace
}  // namespace veziv
