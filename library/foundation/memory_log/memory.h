// The library's tracked allocator: every block carries a header naming where it
// came from, all live blocks sit in one list, and the leak dump at library end
// writes each of them to the log. The growable ring buffer lives here too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veziv {

// The header in front of every block. The first half (tag .. newer) is mirrored
// byte for byte in `mirror`, so that an overwritten header shows as a mismatch.
struct alignas(16) MemoryBlockHeader {
  char tag[16];             // last 15 characters of the source name, zero-terminated
  uint16_t number;          // allocation number (16-bit counter, wraps)
  uint16_t line;            // caller's line number
  uint32_t reserved;        // always 0
  size_t size;              // bytes handed to the caller
  MemoryBlockHeader* older; // toward the end of the list
  MemoryBlockHeader* newer; // toward the head; null for the newest block
  unsigned char mirror[48]; // copy of the bytes above
};
static_assert(sizeof(MemoryBlockHeader) == 96, "header must stay 96 bytes");
static_assert(offsetof(MemoryBlockHeader, mirror) == 48, "mirror must follow the first half");

// Size bytes (null on failure or when size plus the header does not fit in
// size_t). The library's own callers pass no source name and line 0.
void* AllocLibMemory(size_t size, const char* source = nullptr, int line = 0);
// As AllocLibMemory, with the bytes set to 0.
void* AllocLibMemoryZeroed(size_t size, const char* source = nullptr, int line = 0);
// Null address allocates. Bytes beyond the old size come back zeroed. On
// failure returns null and the old block stays valid.
void* ReallocLibMemory(void* address, size_t size, const char* source = nullptr, int line = 0);
// Null is ignored.
void FreeLibMemory(void* address);

// 0 when every header is intact; -1 after logging the first damaged one.
int CheckLibMemoryHeaders();
// Writes every live block and the totals to the log. Returns 0.
int DumpLibMemory();
// One log line describing the block.
void LogMemoryBlock(const MemoryBlockHeader* header);
// The totals line.
void LogMemoryTotals();

struct RingBuffer {
  unsigned char* data;  // from AllocLibMemory, null while empty
  size_t read;          // read position
  size_t write;         // write position
  size_t count;         // bytes held
  size_t size;          // bytes allocated
};

// Makes room for n more bytes, growing to count + n + 1000 with the held bytes
// moved to the start. 0, or -1 when growing failed (the ring is then emptied).
int ReserveRingBuffer(size_t n, RingBuffer* ring);
// Frees the data and zeroes the record. Returns 0.
int FreeRingBuffer(RingBuffer* ring);
// A read or write position equal to the size becomes 0.
void WrapRingBufferPositions(RingBuffer* ring);

}  // namespace veziv
