// The tracked allocator over malloc: block headers with a mirrored first half,
// one list of live blocks under a lock (the movie decode thread allocates too),
// totals, the header check, the leak dump, and the ring buffer built on it.
#include "library/foundation/memory_log/memory.h"

#include <algorithm>
#include <cinttypes>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/log.h"

namespace veziv {
namespace {

constexpr size_t kHeaderSize = sizeof(MemoryBlockHeader);
constexpr size_t kTagLength = 15;
constexpr size_t kDumpBytes = 16;

struct MemoryState {
  // Recursive: a failed allocation runs the dump and the check, which take it again.
  std::recursive_mutex lock;
  MemoryBlockHeader sentinel{};  // ends the list; never handed out
  MemoryBlockHeader* head = nullptr;
  uint16_t counter = 0;
  size_t total_size = 0;
  size_t block_count = 0;
  // Trace settings. Nothing in the library changes them, so only blocks of
  // size 0 are traced.
  long long trace_size = 0;
  bool trace_all = false;
  bool totals_after_each = false;
  bool check_after_each = false;
};

MemoryState& State() {
  static MemoryState state;
  return state;
}

void Mirror(MemoryBlockHeader* h) { std::memcpy(h->mirror, h, sizeof h->mirror); }

bool IsTraced(const MemoryState& s, size_t size) {
  if (s.trace_all || s.trace_size < 0) return true;
  return static_cast<unsigned long long>(s.trace_size) == size;
}

void SetTagAndLine(MemoryBlockHeader* h, const char* source, int line) {
  std::memset(h->tag, 0, sizeof h->tag);
  if (source != nullptr) {
    size_t length = std::strlen(source);
    const char* from = length > kTagLength ? source + (length - kTagLength) : source;
    std::memcpy(h->tag, from, std::strlen(from));
  }
  h->line = static_cast<uint16_t>(line);
}

MemoryBlockHeader* HeaderOf(void* address) {
  return reinterpret_cast<MemoryBlockHeader*>(static_cast<unsigned char*>(address) - kHeaderSize);
}

void* AddressOf(MemoryBlockHeader* h) { return reinterpret_cast<unsigned char*>(h) + kHeaderSize; }

void AfterChange(MemoryState& s) {
  if (s.totals_after_each) LogMemoryTotals();
  if (s.check_after_each) CheckLibMemoryHeaders();
}

}  // namespace

void* AllocLibMemory(size_t size, const char* source, int line) {
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  void* raw = size <= SIZE_MAX - kHeaderSize ? std::malloc(size + kHeaderSize) : nullptr;
  if (raw == nullptr) {
    DumpLibMemory();
    CheckLibMemoryHeaders();
    return nullptr;
  }
  auto* h = static_cast<MemoryBlockHeader*>(raw);
  std::memset(h, 0, kHeaderSize);
  h->size = size;
  SetTagAndLine(h, source, line);
  h->number = s.counter++;

  if (s.head == nullptr) s.head = &s.sentinel;
  MemoryBlockHeader* old_head = s.head;
  old_head->newer = h;
  h->older = old_head;
  h->newer = nullptr;
  s.head = h;
  Mirror(h);
  Mirror(old_head);

  s.total_size += size;
  s.block_count += 1;
  if (IsTraced(s, size)) {
    WriteLogText("mem alloc  ");
    LogMemoryBlock(h);
  }
  AfterChange(s);
  return AddressOf(h);
}

void* AllocLibMemoryZeroed(size_t size, const char* source, int line) {
  void* address = AllocLibMemory(size, source, line);
  if (address != nullptr) std::memset(address, 0, size);
  return address;
}

void* ReallocLibMemory(void* address, size_t size, const char* source, int line) {
  if (address == nullptr) return AllocLibMemory(size, source, line);
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  MemoryBlockHeader* old_header = HeaderOf(address);
  const size_t old_size = old_header->size;
  const bool was_head = s.head == old_header;
  void* raw = size <= SIZE_MAX - kHeaderSize ? std::realloc(old_header, size + kHeaderSize) : nullptr;
  if (raw == nullptr) {
    DumpLibMemory();
    return nullptr;
  }
  auto* h = static_cast<MemoryBlockHeader*>(raw);
  if (size > old_size) std::memset(static_cast<unsigned char*>(AddressOf(h)) + old_size, 0, size - old_size);

  SetTagAndLine(h, source, line);
  h->number = s.counter++;
  if (h->older != nullptr) h->older->newer = h;
  if (h->newer != nullptr) h->newer->older = h;
  if (was_head) s.head = h;

  s.total_size = s.total_size - old_size + size;
  h->size = size;
  Mirror(h);
  if (h->older != nullptr) Mirror(h->older);
  if (h->newer != nullptr) Mirror(h->newer);

  if (IsTraced(s, size)) {
    WriteLogText("mem realloc  ");
    LogMemoryBlock(h);
  }
  AfterChange(s);
  return AddressOf(h);
}

void FreeLibMemory(void* address) {
  if (address == nullptr) return;
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  MemoryBlockHeader* h = HeaderOf(address);
  s.total_size -= h->size;
  s.block_count -= 1;
  if (s.check_after_each) CheckLibMemoryHeaders();

  MemoryBlockHeader* older = h->older;
  MemoryBlockHeader* newer = h->newer;
  if (older != nullptr) older->newer = newer;
  if (newer != nullptr) newer->older = older;
  if (s.head == h) s.head = older;
  if (older != nullptr) Mirror(older);
  if (newer != nullptr) Mirror(newer);

  if (IsTraced(s, h->size)) {
    WriteLogText("mem free  ");
    LogMemoryBlock(h);
  }
  if (s.totals_after_each) LogMemoryTotals();
  std::free(h);
}

int CheckLibMemoryHeaders() {
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  for (MemoryBlockHeader* h = s.head; h != nullptr && h != &s.sentinel; h = h->older) {
    if (std::memcmp(h, h->mirror, sizeof h->mirror) != 0) {
      WriteLogText("以下のメモリ確保情報が破損しました");
      LogMemoryBlock(h);
      return -1;
    }
  }
  return 0;
}

int DumpLibMemory() {
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  WriteLogText("\n");
  WriteLogText("Alloc memory dump\n");
  for (MemoryBlockHeader* h = s.head; h != nullptr && h != &s.sentinel; h = h->older) LogMemoryBlock(h);
  LogMemoryTotals();
  WriteLogText("\n");
  return 0;
}

void LogMemoryBlock(const MemoryBlockHeader* header) {
  if (header == nullptr) return;
  char line[260];
  const auto* data = reinterpret_cast<const unsigned char*>(header) + kHeaderSize;
  char tag[sizeof header->tag];
  std::memcpy(tag, header->tag, sizeof tag);
  tag[sizeof tag - 1] = '\0';  // a damaged header may have lost its terminator
  FormatText(line, sizeof line, "\tsize:%zu(%.3fkb)  file:%s  line:%u  ID:%u  addr:%08" PRIxPTR "  data:<",
             header->size, static_cast<double>(header->size) / 1024.0, tag, static_cast<unsigned>(header->line),
             static_cast<unsigned>(header->number), reinterpret_cast<uintptr_t>(data));
  size_t pos = std::strlen(line);
  // A damaged header may claim more bytes than the block has; its mirror keeps
  // the size it was given, so the smaller of the two is safe to read.
  size_t mirrored_size;
  std::memcpy(&mirrored_size, header->mirror + offsetof(MemoryBlockHeader, size), sizeof mirrored_size);
  const size_t n = std::min({header->size, mirrored_size, kDumpBytes});
  // The longest possible line is well under the buffer; these bounds only guard it.
  for (size_t i = 0; i < n && pos + 1 < sizeof line; ++i) {
    line[pos++] = (data[i] >= 0x20 && data[i] <= 0x7F) ? static_cast<char>(data[i]) : '.';
  }
  for (const char* p = "> ["; *p != '\0' && pos + 1 < sizeof line; ++p) line[pos++] = *p;
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < n && pos + 4 < sizeof line; ++i) {
    line[pos++] = kHex[data[i] >> 4];
    line[pos++] = kHex[data[i] & 15];
    line[pos++] = ' ';
  }
  // The last character written gives way to the closing bracket.
  if (pos + 2 < sizeof line) {
    line[pos - 1] = ']';
    line[pos++] = '\n';
  }
  line[pos] = '\0';
  WriteLogText(line);
}

void LogMemoryTotals() {
  MemoryState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  WriteLogFormat("\tTotal size:%zu(%.3fkb)  Alloc num:%zu", s.total_size, static_cast<double>(s.total_size) / 1024.0,
                 s.block_count);
}

int ReserveRingBuffer(size_t n, RingBuffer* ring) {
  WrapRingBufferPositions(ring);
  if (n <= ring->size && ring->count <= ring->size - n) return 0;
  const bool fits = ring->count <= SIZE_MAX - 1000 && n <= SIZE_MAX - 1000 - ring->count;
  const size_t new_size = fits ? ring->count + n + 1000 : SIZE_MAX;
  auto* data = fits ? static_cast<unsigned char*>(AllocLibMemory(new_size)) : nullptr;
  if (data == nullptr) {
    FreeLibMemory(ring->data);
    *ring = RingBuffer{};
    WriteLogFormat("リングバッファの再確保に失敗しました(確保しようとしたサイズ %zu byte)", new_size);
    return -1;
  }
  if (ring->count > 0) {
    const size_t first = ring->size - ring->read;
    if (ring->count > first) {
      std::memcpy(data, ring->data + ring->read, first);
      std::memcpy(data + first, ring->data, ring->count - first);
    } else {
      std::memcpy(data, ring->data + ring->read, ring->count);
    }
  }
  FreeLibMemory(ring->data);
  ring->data = data;
  ring->size = new_size;
  ring->read = 0;
  ring->write = ring->count;
  return 0;
}

int FreeRingBuffer(RingBuffer* ring) {
  FreeLibMemory(ring->data);
  *ring = RingBuffer{};
  return 0;
}

void WrapRingBufferPositions(RingBuffer* ring) {
  if (ring->read == ring->size) ring->read = 0;
  if (ring->write == ring->size) ring->write = 0;
}

}  // namespace veziv
